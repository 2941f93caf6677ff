// CTypesDlg: the driver's data types.
#include "browser/types_dlg.h"

#include "browser/info_texts.h"
#include "dbaccess/catalog.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"

CTypesDlg::CTypesDlg(CRDatabase* pDatabase, CWnd* pParent)
    : CDialog(IDD_DBO_TYPES, pParent), m_pDatabase(pDatabase)
{}

void CTypesDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DBO_LIST, m_list);
}

CString CTypesDlg::GetSQLTypeName(int nType) const
{
    return SQLTypeNameText(nType, m_pDatabase != nullptr ? m_pDatabase->GetDBMSKind() : DBMS_OTHER);
}

BOOL CTypesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CWaitCursor wait;
    const DWORD ex = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
    ListView_SetExtendedListViewStyleEx(m_list.GetSafeHwnd(), ex, ex);
    static const struct
    {
        LPCWSTR pszName;
        int nWidth;
    } columns[] = {
        {L"Name", 100},           {L"Size", 80},        {L"SQL type", 110}, {L"Nullable", 100},
        {L"Case sensitive", 100}, {L"Searchable", 100}, {L"Unsigned", 100}};
    for (int i = 0; i < (int)(sizeof columns / sizeof columns[0]); ++i)
        m_list.InsertColumn(i, columns[i].pszName, LVCFMT_LEFT, columns[i].nWidth);

    if (m_pDatabase != nullptr)
    {
        try
        {
            CRTypes types(m_pDatabase);
            CRTypes::CTypeInfo info;
            while (types.Fetch(&info))
            {
                // The list keeps itself sorted by name: the row lands where it belongs.
                const int nRow = m_list.InsertItem(m_list.GetItemCount(), info.szTypeName);
                if (nRow < 0)
                    continue;
                CString size;
                size.Format(L"%d", (int)info.nColumnSize);
                m_list.SetItemText(nRow, 1, size);
                m_list.SetItemText(nRow, 2, GetSQLTypeName(info.nDataType));
                m_list.SetItemText(nRow, 3, TypeNullableText(info.nNullable));
                m_list.SetItemText(nRow, 4, TypeYesNoText(info.nCaseSensitive));
                m_list.SetItemText(nRow, 5, TypeSearchableText(info.nSearchable));
                m_list.SetItemText(nRow, 6, TypeYesNoText(info.nUnsignedAttribute));
            }
        }
        catch (Zelt::CRDBException* e)
        {
            // The rows read so far stay; the dialog opens after the report.
            ReportException(e, GetSafeHwnd());
        }
    }
    m_list.AutoSizeColumns();
    return TRUE;
}
