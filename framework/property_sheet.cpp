// Property sheets and wizards run in the framework's own modal loop.
#include "framework/property_sheet.h"

#include "framework/module_state.h"
#include "framework/win_app.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

namespace {

thread_local CPropertySheet* t_pSheetInit = nullptr;

CString LoadCaption(UINT nID)
{
    if (nID == 0)
        return CString();
    const wchar_t* p = nullptr;
    int n = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&p), 0);
    return (n > 0 && p != nullptr) ? CString(p, n) : CString();
}

// The dialog procedure of every page: attaches the page object to its window; everything else
// reaches the object through the window procedure.
INT_PTR CALLBACK AfxPropPageDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* psp = reinterpret_cast<PROPSHEETPAGEW*>(lParam);
    auto* pPage = reinterpret_cast<CPropertyPage*>(psp->lParam);
    if (pPage == nullptr)
        return TRUE;
    if (CWnd::FromHandlePermanent(hWnd) == nullptr && !pPage->SubclassWindow(hWnd))
        return TRUE;
    return pPage->OnInitDialog();
}

} // namespace

int CALLBACK AfxPropSheetCallback(HWND hWnd, UINT message, LPARAM lParam)
{
    switch (message)
    {
    case PSCB_PRECREATE:
        if (lParam != 0)
        {
            // No "?" button in the caption.
            auto* pTemplate = reinterpret_cast<DLGTEMPLATE*>(lParam);
            if (reinterpret_cast<WORD*>(pTemplate)[1] == 0xFFFF)
                reinterpret_cast<DWORD*>(pTemplate)[3] &= ~DS_CONTEXTHELP; // extended template
            else
                pTemplate->style &= ~DS_CONTEXTHELP;
        }
        break;
    case PSCB_INITIALIZED:
        if (t_pSheetInit != nullptr && t_pSheetInit->m_hWnd == nullptr)
            t_pSheetInit->SubclassWindow(hWnd);
        // The sheet's template sits at (0, 0), the top-left corner of the owner's client area,
        // over its menu and toolbar: like the framework's dialogs, a top-level sheet is centred
        // over its owner (the sheet has its final size by now).
        if ((::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD) == 0)
            CWnd::FromHandle(hWnd)->CenterWindow();
        break;
    default: break;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------

CPropertyPage::CPropertyPage()
{
    CommonConstruct(nullptr, 0);
}

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption)
{
    CommonConstruct(MAKEINTRESOURCEW(nIDTemplate), nIDCaption);
}

CPropertyPage::CPropertyPage(LPCTSTR lpszTemplateName, UINT nIDCaption)
{
    CommonConstruct(lpszTemplateName, nIDCaption);
}

CPropertyPage::~CPropertyPage() = default;

void CPropertyPage::Construct(UINT nIDTemplate, UINT nIDCaption)
{
    CommonConstruct(MAKEINTRESOURCEW(nIDTemplate), nIDCaption);
}

void CPropertyPage::Construct(LPCTSTR lpszTemplateName, UINT nIDCaption)
{
    CommonConstruct(lpszTemplateName, nIDCaption);
}

void CPropertyPage::CommonConstruct(LPCTSTR lpszTemplateName, UINT nIDCaption)
{
    m_psp = PROPSHEETPAGEW{};
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.hInstance = AfxFindResourceHandle(lpszTemplateName, RT_DIALOG);
    m_psp.pszTemplate = lpszTemplateName;
    m_lpszTemplateName = lpszTemplateName;
    if (IS_INTRESOURCE(lpszTemplateName))
        m_nIDHelp = (UINT)(UINT_PTR)lpszTemplateName;
    m_strCaption = LoadCaption(nIDCaption);
    m_bFirstSetActive = TRUE;
}

void CPropertyPage::ConstructIndirect(LPCDLGTEMPLATE lpTemplate, LPCTSTR lpszCaption)
{
    CommonConstruct(nullptr, 0);
    m_psp.dwFlags |= PSP_DLGINDIRECT;
    m_psp.pResource = lpTemplate;
    m_strCaption = lpszCaption != nullptr ? lpszCaption : L"";
}

CPropertySheet* CPropertyPage::GetSheet() const
{
    HWND hParent = m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr;
    return hParent != nullptr ? dynamic_cast<CPropertySheet*>(CWnd::FromHandlePermanent(hParent))
                              : nullptr;
}

void CPropertyPage::CancelToClose()
{
    if (HWND hSheet = ::GetParent(m_hWnd))
        ::SendMessageW(hSheet, PSM_CANCELTOCLOSE, 0, 0);
}

void CPropertyPage::SetModified(BOOL bChanged)
{
    if (HWND hSheet = ::GetParent(m_hWnd))
        ::SendMessageW(hSheet, bChanged ? PSM_CHANGED : PSM_UNCHANGED, (WPARAM)m_hWnd, 0);
}

LRESULT CPropertyPage::QuerySiblings(WPARAM wParam, LPARAM lParam)
{
    HWND hSheet = ::GetParent(m_hWnd);
    return hSheet != nullptr ? ::SendMessageW(hSheet, PSM_QUERYSIBLINGS, wParam, lParam) : 0;
}

BOOL CPropertyPage::OnSetActive()
{
    if (m_bFirstSetActive)
        m_bFirstSetActive = FALSE;
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

void CPropertyPage::OnOK() {}

void CPropertyPage::OnCancel() {}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset()
{
    OnCancel();
}

BOOL CPropertyPage::OnQueryCancel()
{
    return TRUE;
}

LRESULT CPropertyPage::OnWizardBack()
{
    return 0;
}

LRESULT CPropertyPage::OnWizardNext()
{
    return 0;
}

BOOL CPropertyPage::OnWizardFinish()
{
    return TRUE;
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    CPropertySheet* pSheet = GetSheet();
    LRESULT result = 0;
    switch (pNMHDR->code)
    {
    case PSN_SETACTIVE: result = OnSetActive() ? 0 : -1; break;
    case PSN_KILLACTIVE: result = OnKillActive() ? FALSE : TRUE; break;
    case PSN_APPLY: {
        BOOL bOK = OnApply();
        result = bOK ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        if (bOK && pSheet != nullptr && reinterpret_cast<PSHNOTIFY*>(lParam)->lParam)
            pSheet->m_nModalResultCode = IDOK;
        break;
    }
    case PSN_RESET:
        OnReset();
        if (pSheet != nullptr)
            pSheet->m_nModalResultCode = IDCANCEL;
        break;
    case PSN_QUERYCANCEL: result = OnQueryCancel() ? FALSE : TRUE; break;
    case PSN_WIZBACK: result = OnWizardBack(); break;
    case PSN_WIZNEXT: result = OnWizardNext(); break;
    case PSN_WIZFINISH: {
        BOOL bOK = OnWizardFinish();
        result = bOK ? FALSE : TRUE;
        if (bOK && pSheet != nullptr)
            pSheet->m_nModalResultCode = ID_WIZFINISH;
        break;
    }
    default: return CDialog::OnNotify(wParam, lParam, pResult);
    }
    *pResult = result;
    ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

BOOL CPropertyPage::PreTranslateMessage(MSG* pMsg)
{
    // The dialog keys are the sheet's (it sees the message next in the walk).
    return CWnd::PreTranslateMessage(pMsg);
}

// ---------------------------------------------------------------------------------------------

CPropertySheet::CPropertySheet()
{
    Construct(nullptr);
}

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
{
    Construct(nullptr, pParentWnd, iSelectPage);
    m_strCaption = LoadCaption(nIDCaption);
}

CPropertySheet::CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
{
    Construct(pszCaption, pParentWnd, iSelectPage);
}

CPropertySheet::~CPropertySheet()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
}

void CPropertySheet::Construct(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
{
    m_psh = PROPSHEETHEADERW{};
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
    m_psh.nStartPage = iSelectPage;
    m_strCaption = pszCaption != nullptr ? pszCaption : L"";
    m_pParentWnd = pParentWnd;
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    if (pPage == nullptr)
        return;
    m_pages.push_back(pPage);
    if (m_hWnd != nullptr)
    {
        PROPSHEETPAGEW psp = pPage->m_psp;
        psp.pfnDlgProc = AfxPropPageDlgProc;
        psp.lParam = reinterpret_cast<LPARAM>(pPage);
        if (!pPage->m_strCaption.IsEmpty())
        {
            psp.dwFlags |= PSP_USETITLE;
            psp.pszTitle = pPage->m_strCaption;
        }
        HPROPSHEETPAGE hPage = ::CreatePropertySheetPageW(&psp);
        if (hPage != nullptr)
            ::SendMessageW(m_hWnd, PSM_ADDPAGE, 0, (LPARAM)hPage);
    }
}

void CPropertySheet::RemovePage(CPropertyPage* pPage)
{
    int n = GetPageIndex(pPage);
    if (n >= 0)
        RemovePage(n);
}

void CPropertySheet::RemovePage(int nPage)
{
    if (nPage < 0 || nPage >= (int)m_pages.size())
        return;
    if (m_hWnd != nullptr)
        ::SendMessageW(m_hWnd, PSM_REMOVEPAGE, nPage, 0);
    m_pages.erase(m_pages.begin() + nPage);
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    return nPage >= 0 && nPage < (int)m_pages.size() ? m_pages[nPage] : nullptr;
}

int CPropertySheet::GetPageIndex(CPropertyPage* pPage) const
{
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i] == pPage)
            return (int)i;
    return -1;
}

int CPropertySheet::GetActiveIndex() const
{
    if (m_hWnd == nullptr)
        return (int)m_psh.nStartPage;
    HWND hPage = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
    if (hPage == nullptr)
        return -1;
    return (int)::SendMessageW(m_hWnd, PSM_HWNDTOINDEX, (WPARAM)hPage, 0);
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    return GetPage(GetActiveIndex());
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    if (m_hWnd == nullptr)
    {
        m_psh.nStartPage = (UINT)nPage;
        return TRUE;
    }
    return (BOOL)::SendMessageW(m_hWnd, PSM_SETCURSEL, nPage, 0);
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* pPage)
{
    int n = GetPageIndex(pPage);
    return n >= 0 && SetActivePage(n);
}

void CPropertySheet::SetTitle(LPCTSTR lpszText, UINT nStyle)
{
    m_strCaption = lpszText != nullptr ? lpszText : L"";
    m_psh.dwFlags = (m_psh.dwFlags & ~PSH_PROPTITLE) | (nStyle & PSH_PROPTITLE);
    if (m_hWnd != nullptr)
        ::SendMessageW(m_hWnd, PSM_SETTITLEW, nStyle, (LPARAM)(LPCWSTR)m_strCaption);
}

void CPropertySheet::SetWizardMode()
{
    m_psh.dwFlags |= PSH_WIZARD;
}

void CPropertySheet::SetWizardButtons(DWORD dwFlags)
{
    if (m_hWnd != nullptr)
        ::SendMessageW(m_hWnd, PSM_SETWIZBUTTONS, 0, dwFlags);
}

void CPropertySheet::SetFinishText(LPCTSTR lpszText)
{
    if (m_hWnd != nullptr)
        ::SendMessageW(m_hWnd, PSM_SETFINISHTEXTW, 0, (LPARAM)lpszText);
}

void CPropertySheet::EnableStackedTabs(BOOL bStacked)
{
    m_bStacked = bStacked;
}

CTabCtrl* CPropertySheet::GetTabControl() const
{
    HWND hTab = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, PSM_GETTABCONTROL, 0, 0));
    return static_cast<CTabCtrl*>(CWnd::FromHandle(hTab));
}

void CPropertySheet::EndDialog(int nEndID)
{
    m_nModalResultCode = nEndID;
    if (m_bInModalLoop)
        EndModalLoop(nEndID);
    else if (m_hWnd != nullptr)
        DestroyWindow();
}

BOOL CPropertySheet::BuildPageArray()
{
    m_psps.clear();
    for (CPropertyPage* pPage : m_pages)
    {
        PROPSHEETPAGEW psp = pPage->m_psp;
        psp.dwSize = sizeof(psp);
        psp.pfnDlgProc = AfxPropPageDlgProc;
        psp.lParam = reinterpret_cast<LPARAM>(pPage);
        if (!pPage->m_strCaption.IsEmpty())
        {
            psp.dwFlags |= PSP_USETITLE;
            psp.pszTitle = pPage->m_strCaption;
        }
        pPage->m_bFirstSetActive = TRUE;
        m_psps.push_back(psp);
    }
    return !m_psps.empty();
}

HWND CPropertySheet::CreateSheetWindow(HWND hWndParent)
{
    if (!BuildPageArray())
        return nullptr;
    PROPSHEETHEADERW psh = m_psh;
    psh.dwSize = sizeof(psh);
    psh.dwFlags |= PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_USECALLBACK;
    psh.hwndParent = hWndParent;
    psh.hInstance = AfxGetResourceHandle();
    psh.pszCaption = m_strCaption;
    psh.nPages = (UINT)m_psps.size();
    psh.ppsp = m_psps.data();
    if (psh.nStartPage >= psh.nPages)
        psh.nStartPage = 0;
    psh.pfnCallback = AfxPropSheetCallback;
    CPropertySheet* pOld = t_pSheetInit;
    t_pSheetInit = this;
    HWND hWnd = reinterpret_cast<HWND>(::PropertySheetW(&psh));
    t_pSheetInit = pOld;
    if (hWnd == nullptr || hWnd == reinterpret_cast<HWND>(-1))
        return nullptr;
    if (m_hWnd == nullptr && !SubclassWindow(hWnd))
    {
        ::DestroyWindow(hWnd);
        return nullptr;
    }
    OnInitDialog();
    return hWnd;
}

BOOL CPropertySheet::OnInitDialog()
{
    if (m_bStacked)
    {
        HWND hTab = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, PSM_GETTABCONTROL, 0, 0));
        if (hTab != nullptr)
            ::SetWindowLongW(hTab, GWL_STYLE, ::GetWindowLongW(hTab, GWL_STYLE) | TCS_MULTILINE);
    }
    return TRUE;
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle)
{
    (void)dwStyle;
    (void)dwExStyle;
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    m_bModeless = TRUE;
    HWND hParent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    return CreateSheetWindow(hParent) != nullptr;
}

INT_PTR CPropertySheet::DoModal()
{
    CWnd* pParent = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    HWND hWndParent = pParent != nullptr ? pParent->GetSafeHwnd() : nullptr;
    if (hWndParent != nullptr)
        hWndParent = ::GetAncestor(hWndParent, GA_ROOT);
    BOOL bEnableParent = FALSE;
    if (hWndParent != nullptr && ::IsWindowEnabled(hWndParent))
    {
        ::EnableWindow(hWndParent, FALSE);
        bEnableParent = TRUE;
    }
    m_bModeless = FALSE;
    m_nModalResultCode = IDCANCEL;
    INT_PTR nResult = -1;
    if (CreateSheetWindow(hWndParent) != nullptr)
    {
        RunModalLoop(0);
        if (m_hWnd != nullptr && m_nModalResultCode == IDCANCEL &&
            ::SendMessageW(m_hWnd, PSM_GETRESULT, 0, 0) == IDOK)
            m_nModalResultCode = IDOK;
        nResult = m_nModalResultCode;
    }
    if (bEnableParent)
        ::EnableWindow(hWndParent, TRUE);
    if (hWndParent != nullptr && m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(hWndParent);
    if (m_hWnd != nullptr)
        DestroyWindow();
    return nResult;
}

BOOL CPropertySheet::ContinueModal()
{
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd))
        return FALSE;
    if (::SendMessageW(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0) == 0)
        return FALSE;
    return CWnd::ContinueModal();
}

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if ((pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
        (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST))
        return (BOOL)::SendMessageW(m_hWnd, PSM_ISDIALOGMESSAGE, 0, (LPARAM)pMsg);
    return FALSE;
}

BOOL CPropertySheet::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    return CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
