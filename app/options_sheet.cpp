// The Options sheet, its "Database objects" page and CAppSettings::EditOptions.
#include "app/app_settings.h"
#include "app/options_dlg.h"

#include "resources/resource.h"

// ---- "Database objects" -------------------------------------------------------------------------

CDBObjOptionsDlg::CDBObjOptionsDlg(COptionsValues& values)
    : COptionsPage(IDD_OPTIONS_DBOBJECTS, values, L"::/Properties.html#DatabaseObjects")
{}

BOOL CDBObjOptionsDlg::OnInitDialog()
{
    CComboBox* pCursorLib = (CComboBox*)GetDlgItem(IDC_OPT_CURSOR_LIB);
    pCursorLib->AddString(L"ODBC");
    pCursorLib->AddString(L"Driver");
    return COptionsPage::OnInitDialog();
}

void CDBObjOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    COptionsPage::DoDataExchange(pDX);
    COptionsValues& v = m_values;
    DDX_Radio(pDX, IDC_OPT_SORT_ASCENDING, v.m_nTableSortDirection);
    DDX_Radio(pDX, IDC_OPT_SORT_BY_NAME, v.m_nTableSortValue);
    DDX_Check(pDX, IDC_OPT_SHOW_PKEYS, v.m_bTableDialogPKey);
    DDX_Check(pDX, IDC_OPT_SHOW_FKEYS, v.m_bTableDialogFKey);
    DDX_Check(pDX, IDC_OPT_FKEY_IN_FILTER, v.m_bFKeyInFilter);
    DDX_Check(pDX, IDC_OPT_MARK_INVALID, v.m_bMarkInvalidObjects);
    DDX_Check(pDX, IDC_OPT_CUR_SCHEMA, v.m_bCurSchema);
    DDX_Check(pDX, IDC_OPT_SHOW_PACKAGES, v.m_bTableDialogPackage);
    DDX_Check(pDX, IDC_OPT_SHOW_SYSTABLES, v.m_bTableDialogSysTables);
    DDX_CBIndex(pDX, IDC_OPT_CURSOR_LIB, v.m_nCursorLib);
}

// ---- The sheet ----------------------------------------------------------------------------------

COptionsDlg::COptionsDlg(COptionsValues& values, CWnd* pParent, int nStartPage)
    : CPropertySheet(L"Options", pParent, (UINT)nStartPage), m_mainPage(values),
      m_dbObjPage(values), m_editorPage(values)
{
    m_psh.dwFlags = (m_psh.dwFlags | PSH_NOAPPLYNOW) & ~PSH_HASHELP;
    AddPage(&m_mainPage);
    AddPage(&m_dbObjPage);
    AddPage(&m_editorPage);
    m_nActivePage = nStartPage;
}

// ---- Running it ---------------------------------------------------------------------------------

bool CAppSettings::EditOptions(CWnd* pParent, BOOL* pbGridChanged)
{
    COptionsValues values;
    values.ReadFrom(*this);
    const int nStartPage = m_nOptionsPage >= 0 && m_nOptionsPage < 3 ? m_nOptionsPage : 0;
    COptionsDlg sheet(values, pParent, nStartPage);
    const INT_PTR nResult = sheet.DoModal();
    m_nOptionsPage = sheet.m_nActivePage;
    if (nResult != IDOK)
        return false;
    ApplyOptions(values, pbGridChanged);
    return true;
}

void CAppSettings::ApplyOptions(const COptionsValues& values, BOOL* pbGridChanged)
{
    const int nOldConnectStrings = m_nConnectStringNumber;
    const int nOldSQLQueries = m_nSQLQueriesNumber;
    const bool bGridChanged = values.WriteTo(*this);
    if (pbGridChanged != nullptr)
        *pbGridChanged = bGridChanged ? TRUE : FALSE;
    // The history lengths live in the lists' own keys, which Save does not write: without this
    // a new length would be lost unless an entry was added before the program ends.
    if (m_nConnectStringNumber != nOldConnectStrings)
    {
        if (m_connectStrings.GetSize() > m_nConnectStringNumber)
            m_connectStrings.SetSize(m_nConnectStringNumber);
        SaveConnectStrings();
    }
    if (m_nSQLQueriesNumber != nOldSQLQueries)
    {
        if (m_sqlQueries.GetSize() > m_nSQLQueriesNumber)
            m_sqlQueries.SetSize(m_nSQLQueriesNumber);
        SaveSQLQueries();
    }
    CreateEditorFont();
    UpdateSyntaxColors();
}
