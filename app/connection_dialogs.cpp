// The connection dialogs' shared help, the data source dialog and the login memory.
#include "app/connection_dialogs.h"

#include "app/app_helpers.h"
#include "app/connection_text.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"

#include <algorithm>

CLoginMemory theLoginMemory;

// ---- Help of the connection dialogs ------------------------------------------------------------

BEGIN_MESSAGE_MAP(CConnectionDialog, CDialog)
    ON_BN_CLICKED(IDC_HELP_BUTTON, &CConnectionDialog::OnHelp)
    ON_WM_HELPINFO()
END_MESSAGE_MAP()

void CConnectionDialog::OnHelp()
{
    ShowHelpTopic(L"::/Connection.html");
}

BOOL CConnectionDialog::OnHelpInfo(HELPINFO*)
{
    OnHelp();
    return TRUE;
}

// ---- Data sources -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDSNDlg, CConnectionDialog)
    ON_BN_CLICKED(IDC_SERVER_LOGIN, &CDSNDlg::OnAuthenticationChanged)
    ON_BN_CLICKED(IDC_TRUSTED_CONNECTION, &CDSNDlg::OnAuthenticationChanged)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_DSN_LIST, &CDSNDlg::OnItemChangedDSNList)
END_MESSAGE_MAP()

CDSNDlg::CDSNDlg(CWnd* pParent) : CConnectionDialog(IDD_DSN, pParent) {}

void CDSNDlg::SortDataSources(std::vector<CDSNInfo>& sources)
{
    std::stable_sort(sources.begin(), sources.end(), [](const CDSNInfo& a, const CDSNInfo& b) {
        int n = _wcsicmp(a.m_strName, b.m_strName);
        return n != 0 ? n < 0 : a.m_nKind < b.m_nKind;
    });
}

CString CDSNDlg::BuildConnectString(LPCWSTR pszDSN, bool bServerLogin, LPCWSTR pszUser,
                                    LPCWSTR pszPassword)
{
    CString str = MakeConnectItem(L"DSN", pszDSN);
    if (bServerLogin)
    {
        if (pszUser != nullptr && *pszUser != 0)
            str += MakeConnectItem(L"UID", pszUser);
        if (pszPassword != nullptr && *pszPassword != 0)
            str += MakeConnectItem(L"PWD", pszPassword);
    }
    else
        str += L"Trusted_Connection=Yes;";
    return str;
}

BOOL CDSNDlg::OnInitDialog()
{
    CConnectionDialog::OnInitDialog();
    m_wndList.SubclassDlgItem(IDC_DSN_LIST, this);
    m_wndList.SetExtendedStyle(m_wndList.GetExtendedStyle() | LVS_EX_FULLROWSELECT |
                               LVS_EX_LABELTIP);
    CRect rc;
    m_wndList.GetClientRect(&rc);
    const int u = (rc.Width() - ::GetSystemMetrics(SM_CXVSCROLL)) / 8;
    m_wndList.InsertColumn(0, L"Data Source Name", LVCFMT_LEFT, 4 * u);
    m_wndList.InsertColumn(1, L"Type", LVCFMT_LEFT, u);
    m_wndList.InsertColumn(2, L"Description", LVCFMT_LEFT, 3 * u);

    bool bRead = false;
    RunReportingErrors(
        [&] {
            bRead = CRDatabase::GetDataSources(0, m_sources) &&
                    CRDatabase::GetDataSources(1, m_sources);
        },
        GetSafeHwnd());
    if (!bRead)
    {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    SortDataSources(m_sources);
    for (int i = 0; i < (int)m_sources.size(); ++i)
    {
        const CDSNInfo& info = m_sources[i];
        int nItem = m_wndList.InsertItem(i, info.m_strName);
        m_wndList.SetItemText(nItem, 1, info.m_nKind == 0 ? L"User" : L"System");
        m_wndList.SetItemText(nItem, 2, info.m_strDescription);
        m_wndList.SetItemData(nItem, (DWORD_PTR)i);
    }
    CheckRadioButton(IDC_SERVER_LOGIN, IDC_TRUSTED_CONNECTION, IDC_SERVER_LOGIN);
    if (!m_sources.empty())
        m_wndList.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    UpdateLoginFields();
    m_wndList.SetFocus();
    return FALSE;
}

void CDSNDlg::UpdateLoginFields()
{
    const BOOL bServerLogin = IsDlgButtonChecked(IDC_SERVER_LOGIN) == BST_CHECKED;
    GetDlgItem(IDC_USER)->EnableWindow(bServerLogin);
    GetDlgItem(IDC_PASSWORD)->EnableWindow(bServerLogin);
}

void CDSNDlg::OnAuthenticationChanged()
{
    UpdateLoginFields();
}

void CDSNDlg::OnItemChangedDSNList(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const auto* pItem = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    if (!(pItem->uChanged & LVIF_STATE) || !(pItem->uNewState & LVIS_FOCUSED) ||
        (pItem->uOldState & LVIS_FOCUSED))
        return;
    SetDlgItemText(IDC_USER, L"");
    SetDlgItemText(IDC_PASSWORD, L"");
    const DWORD_PTR nIndex = m_wndList.GetItemData(pItem->iItem);
    if (nIndex >= m_sources.size())
        return;
    auto it = theLoginMemory.m_logins.find(m_sources[nIndex].m_strName);
    if (it != theLoginMemory.m_logins.end())
    {
        CheckDlgButton(IDC_SERVER_LOGIN, BST_UNCHECKED);
        CheckDlgButton(IDC_TRUSTED_CONNECTION, BST_UNCHECKED);
        if (it->second.first.IsEmpty() && it->second.second.IsEmpty())
            CheckDlgButton(IDC_TRUSTED_CONNECTION, BST_CHECKED);
        else
        {
            CheckDlgButton(IDC_SERVER_LOGIN, BST_CHECKED);
            SetDlgItemText(IDC_USER, it->second.first);
            SetDlgItemText(IDC_PASSWORD, it->second.second);
        }
    }
    UpdateLoginFields();
}

void CDSNDlg::OnOK()
{
    const int nItem = m_wndList.GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0)
        return;
    const DWORD_PTR nIndex = m_wndList.GetItemData(nItem);
    if (nIndex >= m_sources.size())
        return;
    const CString& strName = m_sources[nIndex].m_strName;
    const bool bServerLogin = IsDlgButtonChecked(IDC_SERVER_LOGIN) == BST_CHECKED;
    CString strUser, strPassword;
    if (bServerLogin)
    {
        GetDlgItemText(IDC_USER, strUser);
        GetDlgItemText(IDC_PASSWORD, strPassword);
    }
    m_strConnect = BuildConnectString(strName, bServerLogin, strUser, strPassword);
    theLoginMemory.m_logins[strName] = std::make_pair(strUser, strPassword);
    EndDialog(IDOK);
}

// ---- Drivers ------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDriverDlg, CConnectionDialog)
    ON_NOTIFY(NM_DBLCLK, IDC_DRIVER_LIST, &CDriverDlg::OnDblClkList)
END_MESSAGE_MAP()

CDriverDlg::CDriverDlg(CWnd* pParent) : CConnectionDialog(IDD_DRIVERS, pParent) {}

BOOL CDriverDlg::OnInitDialog()
{
    CConnectionDialog::OnInitDialog();
    m_wndList.SubclassDlgItem(IDC_DRIVER_LIST, this);
    m_wndList.SetExtendedStyle(m_wndList.GetExtendedStyle() | LVS_EX_FULLROWSELECT |
                               LVS_EX_LABELTIP);
    CRect rc;
    m_wndList.GetClientRect(&rc);
    m_wndList.InsertColumn(0, L"Driver Name", LVCFMT_LEFT,
                           rc.Width() - ::GetSystemMetrics(SM_CXVSCROLL));
    bool bRead = false;
    RunReportingErrors([&] { bRead = CRDatabase::GetDrivers(m_drivers); }, GetSafeHwnd());
    if (!bRead)
    {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    std::stable_sort(m_drivers.begin(), m_drivers.end(),
                     [](const CRDatabase::CDriverInfo& a, const CRDatabase::CDriverInfo& b) {
                         return _wcsicmp(a.m_strDescription, b.m_strDescription) < 0;
                     });
    for (int i = 0; i < (int)m_drivers.size(); ++i)
    {
        int nItem = m_wndList.InsertItem(i, m_drivers[i].m_strDescription);
        m_wndList.SetItemData(nItem, (DWORD_PTR)i);
    }
    if (!m_drivers.empty())
        m_wndList.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_wndList.SetFocus();
    return FALSE;
}

void CDriverDlg::OnOK()
{
    const int nItem = m_wndList.GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0)
        return;
    const DWORD_PTR nIndex = m_wndList.GetItemData(nItem);
    if (nIndex >= m_drivers.size())
        return;
    m_strDriver = m_drivers[nIndex].m_strDescription;
    m_attributes = m_drivers[nIndex].m_attributes;
    EndDialog(IDOK);
}

void CDriverDlg::OnDblClkList(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OnOK();
}
