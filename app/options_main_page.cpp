// The Options sheet's "Main" page: grid flags, scripts and history, windows, time-outs.
#include "app/options_dlg.h"

#include "resources/resource.h"

BEGIN_MESSAGE_MAP(CMainOptionsDlg, COptionsPage)
    ON_NOTIFY(UDN_DELTAPOS, IDC_OPT_CONNECTION_TIMEOUT_SPIN,
              &CMainOptionsDlg::OnDeltaposConnectionTimeout)
    ON_NOTIFY(UDN_DELTAPOS, IDC_OPT_LOGIN_TIMEOUT_SPIN, &CMainOptionsDlg::OnDeltaposLoginTimeout)
    ON_NOTIFY(UDN_DELTAPOS, IDC_OPT_QUERY_TIMEOUT_SPIN, &CMainOptionsDlg::OnDeltaposQueryTimeout)
    ON_NOTIFY(UDN_DELTAPOS, IDC_OPT_CONNECT_STRINGS_SPIN,
              &CMainOptionsDlg::OnDeltaposConnectStrings)
    ON_NOTIFY(UDN_DELTAPOS, IDC_OPT_SQL_QUERIES_SPIN, &CMainOptionsDlg::OnDeltaposSQLQueries)
    ON_NOTIFY(UDN_DELTAPOS, IDC_OPT_CACHE_SIZE_SPIN, &CMainOptionsDlg::OnDeltaposCacheSize)
    ON_BN_CLICKED(IDC_OPT_USE_CACHE, &CMainOptionsDlg::OnUseCache)
    ON_BN_CLICKED(IDC_OPT_MARK_EDIT_LINES, &CMainOptionsDlg::OnMarkEditLines)
    ON_BN_CLICKED(IDC_OPT_EDIT_LINES_COLOR, &CMainOptionsDlg::OnEditLinesColor)
END_MESSAGE_MAP()

CMainOptionsDlg::CMainOptionsDlg(COptionsValues& values)
    : COptionsPage(IDD_OPTIONS_MAIN, values, L"::/Properties.html#Main")
{}

BOOL CMainOptionsDlg::OnInitDialog()
{
    COptionsPage::OnInitDialog();
    m_editLinesColor.SubclassDlgItem(IDC_OPT_EDIT_LINES_COLOR, this);
    m_editLinesColor.SetColor(m_values.m_crEditLines);
    m_editLinesColor.EnableWindow(m_values.m_bMarkEditLines);

    CComboBox* pSeparator = (CComboBox*)GetDlgItem(IDC_OPT_SQL_SEPARATOR);
    for (LPCWSTR pszItem : {L"", L";", L"GO", L"/"})
        pSeparator->AddString(pszItem);
    // An empty separator matches nothing in CB_FINDSTRINGEXACT; it is the first entry anyway.
    int nSeparator = m_values.m_strSQLSeparator.IsEmpty()
                         ? 0
                         : pSeparator->FindStringExact(0, m_values.m_strSQLSeparator);
    // FindStringExact ignores case: "go" must not pass for "GO".
    CString strFound;
    if (nSeparator > 0)
        pSeparator->GetLBText(nSeparator, strFound);
    if (nSeparator < 0 || strFound != m_values.m_strSQLSeparator)
        nSeparator = 0;
    pSeparator->SetCurSel(nSeparator);

    InitSpin(IDC_OPT_CONNECTION_TIMEOUT_SPIN, IDC_OPT_CONNECTION_TIMEOUT, 0, 32767,
             m_values.m_nConnectionTimeout);
    InitSpin(IDC_OPT_LOGIN_TIMEOUT_SPIN, IDC_OPT_LOGIN_TIMEOUT, 0, 32767, m_values.m_nLoginTimeout);
    InitSpin(IDC_OPT_QUERY_TIMEOUT_SPIN, IDC_OPT_QUERY_TIMEOUT, 0, 32767, m_values.m_nQueryTimeout);
    InitSpin(IDC_OPT_CONNECT_STRINGS_SPIN, IDC_OPT_CONNECT_STRINGS, 1, 32767,
             m_values.m_nConnectStringNumber);
    InitSpin(IDC_OPT_SQL_QUERIES_SPIN, IDC_OPT_SQL_QUERIES, 1, 32767, m_values.m_nSQLQueriesNumber);
    InitSpin(IDC_OPT_CACHE_SIZE_SPIN, IDC_OPT_CACHE_SIZE, 100, 32767, m_values.m_nCacheSize);
    // The spins were given their buddies after the data exchange wrote the edits.
    UpdateData(FALSE);
    EnableCacheControls();
    return TRUE;
}

void CMainOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    COptionsPage::DoDataExchange(pDX);
    COptionsValues& v = m_values;
    DDX_Check(pDX, IDC_OPT_GRID_LINES, v.m_bGridLines);
    DDX_Check(pDX, IDC_OPT_SELECT_FULL_LINE, v.m_bSelectFullLine);
    DDX_Check(pDX, IDC_OPT_USE_CACHE, v.m_bUseCache);
    DDX_Check(pDX, IDC_OPT_SHOW_NULL, v.m_bDebug);
    DDX_Check(pDX, IDC_OPT_EDITABLE, v.m_bEditable);
    DDX_Check(pDX, IDC_OPT_ADJUST_COLUMNS, v.m_bAdjustColumns);
    DDX_Check(pDX, IDC_OPT_FETCH_ALL, v.m_bFetchAllRecs);
    DDX_Check(pDX, IDC_OPT_COLUMN_SCROLL, v.m_bColumnScroll);
    DDX_Check(pDX, IDC_OPT_MARK_EVEN_LINES, v.m_bMarkEvenLines);
    DDX_Check(pDX, IDC_OPT_MARK_EDIT_LINES, v.m_bMarkEditLines);
    DDX_Check(pDX, IDC_OPT_SHOW_KEYS, v.m_bShowKeysInGrid);
    DDX_Check(pDX, IDC_OPT_MARK_SORTED, v.m_bMarkSortedColumns);
    DDX_Check(pDX, IDC_OPT_CONFIRM_DELETE, v.m_bConfirmRowDeletion);
    DDX_Check(pDX, IDC_OPT_USE_CURSOR, v.m_bUseCursorForEdit);
    DDX_Check(pDX, IDC_OPT_CONNECT_AT_STARTUP, v.m_bConnectAtStartup);
    DDX_Check(pDX, IDC_OPT_CANCEL_EXEC, v.m_bCancelExec);
    DDX_Text(pDX, IDC_OPT_CACHE_SIZE, v.m_nCacheSize);
    DDX_Text(pDX, IDC_OPT_CONNECT_STRINGS, v.m_nConnectStringNumber);
    DDX_Text(pDX, IDC_OPT_SQL_QUERIES, v.m_nSQLQueriesNumber);
    DDX_Text(pDX, IDC_OPT_CONNECTION_TIMEOUT, v.m_nConnectionTimeout);
    DDX_Text(pDX, IDC_OPT_LOGIN_TIMEOUT, v.m_nLoginTimeout);
    DDX_Text(pDX, IDC_OPT_QUERY_TIMEOUT, v.m_nQueryTimeout);
    DDX_Radio(pDX, IDC_OPT_NEW_WINDOW, v.m_nNewWindowAction);
    if (pDX->m_bSaveAndValidate)
    {
        CComboBox* pSeparator = (CComboBox*)GetDlgItem(IDC_OPT_SQL_SEPARATOR);
        const int nSel = pSeparator->GetCurSel();
        v.m_strSQLSeparator.Empty();
        if (nSel >= 0)
            pSeparator->GetLBText(nSel, v.m_strSQLSeparator);
    }
}

BOOL CMainOptionsDlg::OnKillActive()
{
    if (!CheckPositive(IDC_OPT_SQL_QUERIES) || !CheckPositive(IDC_OPT_CONNECT_STRINGS) ||
        !CheckPositive(IDC_OPT_CACHE_SIZE))
        return FALSE;
    return COptionsPage::OnKillActive();
}

void CMainOptionsDlg::EnableCacheControls()
{
    const BOOL bEnable = IsDlgButtonChecked(IDC_OPT_USE_CACHE) == BST_CHECKED;
    for (UINT nID : {IDC_OPT_CACHE_SIZE_LABEL, IDC_OPT_CACHE_SIZE, IDC_OPT_CACHE_SIZE_SPIN})
        ::EnableWindow(::GetDlgItem(m_hWnd, nID), bEnable);
}

void CMainOptionsDlg::OnDeltaposConnectionTimeout(NMHDR* pNMHDR, LRESULT* pResult)
{
    StepValue(pNMHDR, pResult, IDC_OPT_CONNECTION_TIMEOUT, m_values.m_nConnectionTimeout, 1, 0, 0);
}

void CMainOptionsDlg::OnDeltaposLoginTimeout(NMHDR* pNMHDR, LRESULT* pResult)
{
    StepValue(pNMHDR, pResult, IDC_OPT_LOGIN_TIMEOUT, m_values.m_nLoginTimeout, 1, 0, 0);
}

void CMainOptionsDlg::OnDeltaposQueryTimeout(NMHDR* pNMHDR, LRESULT* pResult)
{
    StepValue(pNMHDR, pResult, IDC_OPT_QUERY_TIMEOUT, m_values.m_nQueryTimeout, 1, 0, 0);
}

void CMainOptionsDlg::OnDeltaposConnectStrings(NMHDR* pNMHDR, LRESULT* pResult)
{
    StepValue(pNMHDR, pResult, IDC_OPT_CONNECT_STRINGS, m_values.m_nConnectStringNumber, 1, 1, 0);
}

void CMainOptionsDlg::OnDeltaposSQLQueries(NMHDR* pNMHDR, LRESULT* pResult)
{
    StepValue(pNMHDR, pResult, IDC_OPT_SQL_QUERIES, m_values.m_nSQLQueriesNumber, 1, 1, 0);
}

void CMainOptionsDlg::OnDeltaposCacheSize(NMHDR* pNMHDR, LRESULT* pResult)
{
    StepValue(pNMHDR, pResult, IDC_OPT_CACHE_SIZE, m_values.m_nCacheSize, 100, 100, 0);
}

void CMainOptionsDlg::OnUseCache()
{
    EnableCacheControls();
}

void CMainOptionsDlg::OnMarkEditLines()
{
    m_editLinesColor.EnableWindow(IsDlgButtonChecked(IDC_OPT_MARK_EDIT_LINES) == BST_CHECKED);
}

void CMainOptionsDlg::OnEditLinesColor()
{
    ChooseColor(m_editLinesColor, m_values.m_crEditLines);
}
