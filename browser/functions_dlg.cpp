// CFunctionsDlg: the driver's functions.
#include "browser/functions_dlg.h"

#include "browser/info_texts.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(CFunctionsDlg, CDialog)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_DBO_LIST, &CFunctionsDlg::OnColumnClickList)
END_MESSAGE_MAP()

CFunctionsDlg::CFunctionsDlg(CRDatabase* pDatabase, CWnd* pParent)
    : CDialog(IDD_DBO_FUNCTIONS, pParent), m_pDatabase(pDatabase)
{}

void CFunctionsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DBO_LIST, m_list);
}

BOOL CFunctionsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CWaitCursor wait;
    CString dbms, version;
    if (m_pDatabase != nullptr && m_pDatabase->GetDBMSName(dbms) &&
        m_pDatabase->GetDriverODBCVersion(version))
        SetWindowText(L"Functions (" + dbms + L" ODBC ver " + version + L")");

    const int cx = ::GetSystemMetrics(SM_CXSMICON);
    const int cy = ::GetSystemMetrics(SM_CYSMICON);
    m_images.Create(cx, cy, ILC_COLOR32 | ILC_MASK, 1, 1);
    HICON hIcon = (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_SUPPORTED),
                                      IMAGE_ICON, cx, cy, 0);
    if (hIcon != nullptr)
    {
        m_images.Add(hIcon);
        ::DestroyIcon(hIcon);
    }
    m_list.SetImageList(&m_images, LVSIL_SMALL);

    const DWORD ex = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
    ListView_SetExtendedListViewStyleEx(m_list.GetSafeHwnd(), ex, ex);
    CRect rect;
    m_list.GetClientRect(&rect);
    const int nWidth = rect.Width() - ::GetSystemMetrics(SM_CXVSCROLL);
    m_list.InsertColumn(0, L"Name", LVCFMT_LEFT, nWidth * 15 / 28);
    m_list.InsertColumn(1, L"Type", LVCFMT_LEFT, nWidth * 13 / 28);
    m_list.SetSortArrow(m_nSortColumn, HDF_SORTUP);

    int nRow = 0;
    int nCount = 0;
    const CFunctionCategory* pCategories = FunctionCategories(&nCount);
    for (int c = 0; c < nCount && m_pDatabase != nullptr; ++c)
    {
        const CFunctionCategory& category = pCategories[c];
        DWORD nValue = 0;
        if (!m_pDatabase->GetInfoDWord(category.nInfoType, nValue))
            continue;
        for (int f = 0; f < category.nCount; ++f)
            AddFunction(nRow, nValue, category.pFunctions[f].nBit, category.pFunctions[f].pszName,
                        category.pszText);
    }
    // The header shows Name ascending from the start, so the rows are put in that order too
    // (the driver's categories stay one click away, on Type).
    SortRows();
    m_list.AutoSizeColumns();
    return TRUE;
}

void CFunctionsDlg::AddFunction(int& nRow, DWORD nValue, DWORD nBit, LPCWSTR pszName,
                                LPCWSTR pszCategory)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = nRow;
    item.pszText = const_cast<LPWSTR>(pszName);
    // I_IMAGENONE: no image at all for an unsupported function.
    item.iImage = (nValue & nBit) != 0 ? 0 : I_IMAGENONE;
    item.lParam = nRow + 1;
    const int nIndex = m_list.InsertItem(&item);
    if (nIndex >= 0)
        m_list.SetItemText(nIndex, 1, pszCategory);
    ++nRow;
}

void CFunctionsDlg::OnColumnClickList(NMHDR* pNMHDR, LRESULT* pResult)
{
    const int nColumn = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem;
    *pResult = 0;
    if (nColumn != m_nSortColumn)
        m_list.SetSortArrow(m_nSortColumn, 0);
    if (nColumn < 0 || nColumn > 1)
        return;
    m_bAscending[nColumn] = m_bAscending[nColumn] ? 0 : 1;
    m_nSortColumn = nColumn;
    m_list.SetSortArrow(nColumn, m_bAscending[nColumn] ? HDF_SORTUP : HDF_SORTDOWN);
    SortRows();
}

void CFunctionsDlg::SortRows()
{
    CWaitCursor wait;
    m_sortTexts.assign(m_list.GetItemCount() + 1, CString());
    for (int i = 0; i < m_list.GetItemCount(); ++i)
    {
        const DWORD_PTR nData = m_list.GetItemData(i);
        if (nData >= 1 && nData < m_sortTexts.size())
            m_sortTexts[nData] = m_list.GetItemText(i, m_nSortColumn);
    }
    m_list.SortItems(&CFunctionsDlg::CompareItems, (DWORD_PTR)this);
    m_sortTexts.clear();
}

int CALLBACK CFunctionsDlg::CompareItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const auto* pDlg = reinterpret_cast<const CFunctionsDlg*>(lParamSort);
    const size_t n = pDlg->m_sortTexts.size();
    if (lParam1 < 1 || lParam2 < 1 || (size_t)lParam1 >= n || (size_t)lParam2 >= n)
        return 0;
    return CompareTextsOrdinal(pDlg->m_sortTexts[lParam1], pDlg->m_sortTexts[lParam2],
                               pDlg->m_bAscending[pDlg->m_nSortColumn] != 0);
}
