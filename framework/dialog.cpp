// Dialog boxes.
#include "framework/dialog.h"
#include "framework/module_state.h"
#include "framework/win_app.h"
#include "framework/wnd_internal.h"

#include <vector>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOkCommand)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancelCommand)
END_MESSAGE_MAP()

#ifndef RT_DLGINIT
#define RT_DLGINIT MAKEINTRESOURCEW(240)
#endif

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_nIDHelp(nIDTemplate),
      m_pParentWnd(pParentWnd)
{}

CDialog::CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd) : m_pParentWnd(pParentWnd)
{
    if (IS_INTRESOURCE(lpszTemplateName))
    {
        m_lpszTemplateName = lpszTemplateName;
        m_nIDHelp = (UINT)(UINT_PTR)lpszTemplateName;
    }
    else
    {
        m_strTemplateName = lpszTemplateName;
        m_lpszTemplateName = m_strTemplateName;
    }
}

CDialog::~CDialog()
{
    if (m_hWnd != nullptr && CWnd::FromHandlePermanent(m_hWnd) == this)
    {
        // A modeless dialog still open: close it before the object goes.
        DestroyWindow();
    }
}

// ---------------------------------------------------------------------------------------------
// Creation.

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
    {
        CDialog* pDlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
        return pDlg != nullptr ? pDlg->HandleInitDialog() : TRUE;
    }
    return FALSE;
}

// True when the template says where the dialog goes: a position other than the owner's corner,
// or one of the styles that make the dialog manager place it (screen coordinates, centred on the
// monitor or on the mouse).
static bool TemplatePlacesDialog(LPCDLGTEMPLATE lpTemplate)
{
    const BYTE* p = (const BYTE*)lpTemplate;
    WORD wVersion, wSignature;
    memcpy(&wVersion, p, sizeof(WORD));
    memcpy(&wSignature, p + 2, sizeof(WORD));
    DWORD dwStyle;
    short x, y;
    if (wVersion == 1 && wSignature == 0xFFFF)
    {
        // DLGTEMPLATEEX: version, signature, help id, extended style, style, item count, x, y.
        memcpy(&dwStyle, p + 12, sizeof(DWORD));
        memcpy(&x, p + 18, sizeof(short));
        memcpy(&y, p + 20, sizeof(short));
    }
    else
    {
        // DLGTEMPLATE: style, extended style, item count, x, y.
        memcpy(&dwStyle, p, sizeof(DWORD));
        memcpy(&x, p + 10, sizeof(short));
        memcpy(&y, p + 12, sizeof(short));
    }
    return (dwStyle & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)) != 0 || x != 0 || y != 0;
}

BOOL CDialog::CreateDlgIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd, HINSTANCE hInst)
{
    if (lpDialogTemplate == nullptr || m_hWnd != nullptr)
        return FALSE;
    if (hInst == nullptr)
        hInst = AfxGetResourceHandle();
    m_bAutoCenter = !TemplatePlacesDialog(lpDialogTemplate);
    AfxHookWindowCreate(this);
    HWND hWnd = ::CreateDialogIndirectParamW(hInst, lpDialogTemplate, pParentWnd->GetSafeHwnd(),
                                             AfxDlgProc, 0);
    if (!AfxUnhookWindowCreate())
    {
        PostNcDestroy();
        return FALSE;
    }
    return hWnd != nullptr;
}

static LPCDLGTEMPLATE LoadDialogTemplate(LPCTSTR lpszTemplateName, HINSTANCE* phInst)
{
    HINSTANCE hInst = AfxFindResourceHandle(lpszTemplateName, RT_DIALOG);
    HRSRC hResource = ::FindResourceW(hInst, lpszTemplateName, RT_DIALOG);
    if (hResource == nullptr)
        return nullptr;
    HGLOBAL hTemplate = ::LoadResource(hInst, hResource);
    if (phInst != nullptr)
        *phInst = hInst;
    return hTemplate ? (LPCDLGTEMPLATE)::LockResource(hTemplate) : nullptr;
}

BOOL CDialog::Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd)
{
    if (IS_INTRESOURCE(lpszTemplateName))
    {
        m_lpszTemplateName = lpszTemplateName;
        if (m_nIDHelp == 0)
            m_nIDHelp = (UINT)(UINT_PTR)lpszTemplateName;
    }
    else
    {
        m_strTemplateName = lpszTemplateName;
        m_lpszTemplateName = m_strTemplateName;
    }
    if (pParentWnd == nullptr)
        pParentWnd = AfxGetMainWnd();
    m_pParentWnd = pParentWnd;
    HINSTANCE hInst = nullptr;
    LPCDLGTEMPLATE lpTemplate = LoadDialogTemplate(m_lpszTemplateName, &hInst);
    if (lpTemplate == nullptr)
        return FALSE;
    return CreateDlgIndirect(lpTemplate, pParentWnd, hInst);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    return Create(MAKEINTRESOURCEW(nIDTemplate), pParentWnd);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd, void* lpDialogInit)
{
    if (pParentWnd == nullptr)
        pParentWnd = AfxGetMainWnd();
    m_pParentWnd = pParentWnd;
    m_lpDialogInit = lpDialogInit;
    return CreateDlgIndirect(lpDialogTemplate, pParentWnd, nullptr);
}

BOOL CDialog::CreateIndirect(HGLOBAL hDialogTemplate, CWnd* pParentWnd)
{
    auto lpTemplate = (LPCDLGTEMPLATE)::GlobalLock(hDialogTemplate);
    BOOL bResult = CreateIndirect(lpTemplate, pParentWnd, nullptr);
    ::GlobalUnlock(hDialogTemplate);
    return bResult;
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd,
                                void* lpDialogInit)
{
    m_lpDialogTemplate = lpDialogTemplate;
    m_pParentWnd = pParentWnd;
    m_lpDialogInit = lpDialogInit;
    return lpDialogTemplate != nullptr;
}

BOOL CDialog::InitModalIndirect(HGLOBAL hDialogTemplate, CWnd* pParentWnd)
{
    m_hDialogTemplate = hDialogTemplate;
    m_pParentWnd = pParentWnd;
    return hDialogTemplate != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Modal loop.

HWND CDialog::PreModal()
{
    HWND hWndTop = nullptr;
    CWnd* pOwner = CWnd::GetSafeOwner(m_pParentWnd, &hWndTop);
    (void)pOwner;
    return hWndTop;
}

void CDialog::PostModal() {}

INT_PTR CDialog::DoModal()
{
    LPCDLGTEMPLATE lpTemplate = m_lpDialogTemplate;
    HINSTANCE hInst = AfxGetResourceHandle();
    BOOL bUnlock = FALSE;
    if (m_lpszTemplateName != nullptr)
    {
        lpTemplate = LoadDialogTemplate(m_lpszTemplateName, &hInst);
    }
    else if (m_hDialogTemplate != nullptr)
    {
        lpTemplate = (LPCDLGTEMPLATE)::GlobalLock(m_hDialogTemplate);
        bUnlock = TRUE;
    }
    if (lpTemplate == nullptr)
        return -1;

    HWND hWndParent = PreModal();
    BOOL bEnableParent = FALSE;
    if (hWndParent != nullptr && hWndParent != ::GetDesktopWindow() &&
        ::IsWindowEnabled(hWndParent))
    {
        ::EnableWindow(hWndParent, FALSE);
        bEnableParent = TRUE;
    }

    m_nModalResult = -1;
    m_bContinueModal = TRUE; // EndDialog during OnInitDialog clears it
    if (CreateDlgIndirect(lpTemplate, CWnd::FromHandle(hWndParent), hInst))
    {
        if (m_bContinueModal)
        {
            DWORD dwFlags = 0x0004; // show when idle
            if (GetStyle() & DS_NOIDLEMSG)
                dwFlags |= 0x0001;
            RunModalLoop(dwFlags);
        }
        if (m_hWnd != nullptr)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE |
                               SWP_NOZORDER);
    }
    if (bEnableParent)
        ::EnableWindow(hWndParent, TRUE);
    if (hWndParent != nullptr && m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(hWndParent);

    DestroyWindow();
    PostModal();
    if (bUnlock)
        ::GlobalUnlock(m_hDialogTemplate);
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bInModalLoop || m_bContinueModal)
        EndModalLoop(nResult);
    else if (m_hWnd != nullptr)
        ::EndDialog(m_hWnd, nResult);
    m_nModalResult = nResult;
}

// ---------------------------------------------------------------------------------------------
// Initialisation and commands.

BOOL CDialog::HandleInitDialog()
{
    CRect rectBefore;
    ::GetWindowRect(m_hWnd, &rectBefore);
    const DWORD dwStyleBefore = GetStyle();
    PreInitDialog();
    if (m_lpDialogInit != nullptr)
        ExecuteDlgInit(m_lpDialogInit);
    else if (m_lpszTemplateName != nullptr)
        ExecuteDlgInit(m_lpszTemplateName);
    BOOL bResult = OnInitDialog();
    CenterIfUnplaced(rectBefore, dwStyleBefore);
    return bResult;
}

void CDialog::CenterIfUnplaced(const RECT& rectBefore, DWORD dwStyleBefore)
{
    // A template at (0, 0) without a placing style would open the dialog at the top-left corner
    // of the owner's client area, over its menu and toolbar: such a dialog is centred over its
    // owner instead. Left alone: pages and other child dialogs, a dialog shown or moved by its
    // OnInitDialog (a restored placement), and a dialog the template places.
    if (!m_bAutoCenter || m_hWnd == nullptr || (dwStyleBefore & (WS_VISIBLE | WS_CHILD)) != 0 ||
        (GetStyle() & (WS_VISIBLE | WS_CHILD)) != 0)
        return;
    CRect rectAfter;
    ::GetWindowRect(m_hWnd, &rectAfter);
    if (rectAfter.left != rectBefore.left || rectAfter.top != rectBefore.top)
        return;
    CenterWindow();
}

void CDialog::PreInitDialog() {}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE; // the dialog manager sets the focus
}

void CDialog::OnSetFont(CFont*) {}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return; // validation failed: the dialog stays open
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnOkCommand()
{
    OnOK();
}
void CDialog::OnCancelCommand()
{
    OnCancel();
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    // Keyboard and mouse input go through the dialog manager (Tab, Enter, Esc, mnemonics).
    if ((pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) &&
        (pMsg->message < WM_MOUSEFIRST || pMsg->message > WM_MOUSELAST))
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    // Commands the dialog does not handle get a last chance at the thread (application).
    if ((nCode != CN_COMMAND && (UINT)nCode != CN_UPDATE_COMMAND_UI) || nID == 0 || nID >= 0xF000)
        return FALSE;
    CWinThread* pThread = AfxGetThread();
    return pThread != nullptr && pThread->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (pWndCtrl != nullptr && pWndCtrl->m_hWnd != nullptr)
        ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, (WPARAM)pWndCtrl->m_hWnd, 1);
}

// ---------------------------------------------------------------------------------------------
// Dialog-initialisation data.

BOOL CDialog::ExecuteDlgInit(LPCTSTR lpszResourceName)
{
    HINSTANCE hInst = AfxFindResourceHandle(lpszResourceName, RT_DLGINIT);
    HRSRC hResource = ::FindResourceW(hInst, lpszResourceName, RT_DLGINIT);
    if (hResource == nullptr)
    {
        hInst = AfxFindResourceHandle(lpszResourceName, RT_RCDATA);
        hResource = ::FindResourceW(hInst, lpszResourceName, RT_RCDATA);
    }
    if (hResource == nullptr)
        return TRUE; // nothing to fill
    HGLOBAL hData = ::LoadResource(hInst, hResource);
    void* lpData = hData ? ::LockResource(hData) : nullptr;
    if (lpData == nullptr)
        return FALSE;
    DWORD dwSize = ::SizeofResource(hInst, hResource);
    // Copy with a terminator so truncated data cannot run past the resource.
    std::vector<BYTE> data((BYTE*)lpData, (BYTE*)lpData + dwSize);
    data.resize(data.size() + 2, 0);
    return ExecuteDlgInit(data.data());
}

BOOL CDialog::ExecuteDlgInit(LPVOID lpResource)
{
    if (lpResource == nullptr)
        return TRUE;
    const BYTE* p = (const BYTE*)lpResource;
    BOOL bSuccess = TRUE;
    for (;;)
    {
        WORD nIDC;
        memcpy(&nIDC, p, sizeof(WORD));
        if (nIDC == 0)
            break;
        WORD nMsg;
        DWORD dwLen;
        memcpy(&nMsg, p + 2, sizeof(WORD));
        memcpy(&dwLen, p + 4, sizeof(DWORD));
        const char* lpText = (const char*)(p + 8);
        // Older data uses the 16-bit message numbers.
        if (nMsg == 0x0401)
            nMsg = LB_ADDSTRING;
        else if (nMsg == 0x0403)
            nMsg = CB_ADDSTRING;
        if (nMsg == LB_ADDSTRING || nMsg == CB_ADDSTRING)
        {
            // The text must end inside its record.
            if (dwLen == 0 || memchr(lpText, 0, dwLen) == nullptr)
            {
                bSuccess = FALSE;
                break;
            }
            if (::SendDlgItemMessageA(m_hWnd, nIDC, nMsg, 0, (LPARAM)lpText) < 0)
                bSuccess = FALSE;
        }
        p += 8 + dwLen;
    }
    return bSuccess;
}
