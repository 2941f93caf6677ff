// Message flow of framework windows: the window procedure, message-map dispatch, commands,
// notifications and their reflection to the child that sent them, pre-translation and the
// modal loop.
#include "framework/wnd.h"
#include "framework/win_app.h"
#include "framework/wnd_internal.h"

AfxThreadState& AfxGetThreadState()
{
    thread_local AfxThreadState state;
    return state;
}

// Callers may hold a null object; the volatile keeps the test from being optimised away.
HWND AfxGetSafeHwnd(const CWnd* pWnd)
{
    const CWnd* volatile p = pWnd;
    return p == nullptr ? nullptr : p->m_hWnd;
}

// ---------------------------------------------------------------------------------------------
// The window procedure.

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == nullptr)
        return ::DefWindowProcW(hWnd, nMsg, wParam, lParam);

    AfxThreadState& state = AfxGetThreadState();
    MSG oldMsg = state.lastSentMsg;
    state.lastSentMsg.hwnd = hWnd;
    state.lastSentMsg.message = nMsg;
    state.lastSentMsg.wParam = wParam;
    state.lastSentMsg.lParam = lParam;

    LRESULT lResult = 0;
    try
    {
        lResult = pWnd->WindowProc(nMsg, wParam, lParam);
    }
    catch (CException* e)
    {
        // An exception must not unwind through the system's code: report it here.
        if (CWinApp* pApp = AfxGetApp())
            lResult = pApp->ProcessWndProcException(e, &state.lastSentMsg);
        else
        {
            e->ReportError();
            lResult = (nMsg == WM_CREATE) ? -1 : 0;
        }
        e->Delete();
    }

    // The window is gone: detach it (unless a handler already did) and let it clean up.
    if (nMsg == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == pWnd)
        pWnd->NcDestroyCleanup();

    state.lastSentMsg = oldMsg;
    return lResult;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC pfnSuper = *GetSuperWndProcAddr();
    if (pfnSuper != nullptr)
        return ::CallWindowProcW(pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& msg = AfxGetThreadState().lastSentMsg;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

const MSG* CWnd::GetCurrentMessage()
{
    return &AfxGetThreadState().lastSentMsg;
}

// The child a parent's message concerns, when the message is one reflected to the child.
static HWND ReflectionTarget(HWND hWndParent, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_DRAWITEM: {
        auto* p = (LPDRAWITEMSTRUCT)lParam;
        return p != nullptr && p->CtlType != ODT_MENU ? p->hwndItem : nullptr;
    }
    case WM_MEASUREITEM: {
        auto* p = (LPMEASUREITEMSTRUCT)lParam;
        return p != nullptr && p->CtlType != ODT_MENU ? ::GetDlgItem(hWndParent, (int)p->CtlID)
                                                      : nullptr;
    }
    case WM_COMPAREITEM: {
        auto* p = (LPCOMPAREITEMSTRUCT)lParam;
        return p != nullptr && p->CtlType != ODT_MENU ? p->hwndItem : nullptr;
    }
    case WM_DELETEITEM: {
        auto* p = (LPDELETEITEMSTRUCT)lParam;
        return p != nullptr && p->CtlType != ODT_MENU ? p->hwndItem : nullptr;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM: return (HWND)lParam;
    case WM_PARENTNOTIFY:
        return (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY) ? (HWND)lParam
                                                                             : nullptr;
    default: return nullptr;
    }
}

static BOOL ReflectToChild(CWnd* pParent, HWND hWndChild, UINT message, WPARAM wParam,
                           LPARAM lParam, LRESULT* pResult)
{
    if (hWndChild == nullptr || hWndChild == pParent->m_hWnd)
        return FALSE;
    CWnd* pChild = CWnd::FromHandlePermanent(hWndChild);
    if (pChild == nullptr)
        return FALSE;
    return pChild->OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult)
{
    CWnd* pChild = FromHandlePermanent(hWndChild);
    if (pChild == nullptr)
        return FALSE;
    const MSG& msg = AfxGetThreadState().lastSentMsg;
    return pChild->OnChildNotify(msg.message, msg.wParam, msg.lParam, pResult);
}

static UINT CtlColorType(UINT message)
{
    switch (message)
    {
    case WM_CTLCOLORMSGBOX: return CTLCOLOR_MSGBOX;
    case WM_CTLCOLOREDIT: return CTLCOLOR_EDIT;
    case WM_CTLCOLORLISTBOX: return CTLCOLOR_LISTBOX;
    case WM_CTLCOLORBTN: return CTLCOLOR_BTN;
    case WM_CTLCOLORDLG: return CTLCOLOR_DLG;
    case WM_CTLCOLORSCROLLBAR: return CTLCOLOR_SCROLLBAR;
    case WM_CTLCOLORSTATIC: return CTLCOLOR_STATIC;
    default: return (UINT)-1;
    }
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT lResult = 0;
    if (pResult == nullptr)
        pResult = &lResult;

    // Commands and notifications go through OnCmdMsg.
    if (message == WM_COMMAND)
    {
        if (OnCommand(wParam, lParam))
        {
            *pResult = 1;
            return TRUE;
        }
        return FALSE;
    }
    if (message == WM_NOTIFY)
    {
        NMHDR* pNMHDR = (NMHDR*)lParam;
        if (pNMHDR != nullptr && OnNotify(wParam, lParam, pResult))
            return TRUE;
        return FALSE;
    }
    // A reflected notification sent to this control directly (by an in-place editor, say).
    if (message == WM_REFLECT_BASE + WM_NOTIFY)
    {
        NMHDR* pNMHDR = (NMHDR*)lParam;
        if (pNMHDR == nullptr)
            return FALSE;
        AFX_NOTIFY notify = {pResult, pNMHDR};
        return CCmdTarget::OnCmdMsg(0, (int)MAKELONG(pNMHDR->code, message), &notify, nullptr);
    }
    if (message == WM_REFLECT_BASE + WM_COMMAND)
    {
        if (CCmdTarget::OnCmdMsg(0, (int)MAKELONG(HIWORD(wParam), message), nullptr, nullptr))
        {
            *pResult = 1;
            return TRUE;
        }
        return FALSE;
    }

    // Messages about a child control go to the control first.
    if (HWND hWndChild = ReflectionTarget(m_hWnd, message, wParam, lParam))
    {
        if (ReflectToChild(this, hWndChild, message, wParam, lParam, pResult))
            return TRUE;
    }

    const AFX_MSGMAP* pMap = GetMessageMap();
    UINT nCtlType = CtlColorType(message);
    if (nCtlType != (UINT)-1)
    {
        // All WM_CTLCOLOR* messages meet in one ON_WM_CTLCOLOR entry.
        const AFX_MSGMAP_ENTRY* e = FindMessageEntry(pMap, WM_CTLCOLOR, 0, 0);
        if (e == nullptr)
            return FALSE;
        AFX_CTLCOLOR ctl = {(HWND)lParam, (HDC)wParam, nCtlType};
        AFX_MSGCALL call{WM_CTLCOLOR, 0, (LPARAM)&ctl, 0, 0, nullptr, pResult};
        return e->pfn(this, call);
    }

    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(pMap, message, 0, 0);
    if (e == nullptr)
        return FALSE;
    AFX_MSGCALL call{message, wParam, lParam, 0, 0, nullptr, pResult};
    return e->pfn(this, call);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    HWND hWndCtrl = (HWND)lParam;
    int nCode = HIWORD(wParam);

    if (hWndCtrl == nullptr)
    {
        // A menu item or an accelerator: a command whose update handler disabled it is dropped.
        if (nID == 0)
            return FALSE;
        CTestCmdUI state;
        state.m_nID = nID;
        OnCmdMsg(nID, (int)CN_UPDATE_COMMAND_UI, &state, nullptr);
        if (!state.m_bEnabled)
            return TRUE;
        nCode = CN_COMMAND;
    }
    else
    {
        if (ReflectToChild(this, hWndCtrl, WM_COMMAND, wParam, lParam, nullptr))
            return TRUE;
        if (nID == 0)
            return FALSE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* pNMHDR = (NMHDR*)lParam;
    HWND hWndCtrl = pNMHDR->hwndFrom;
    // The id comes from the window itself (an in-place editor may send another idFrom).
    UINT nID = hWndCtrl != nullptr ? (UINT)::GetDlgCtrlID(hWndCtrl) : (UINT)pNMHDR->idFrom;
    if (hWndCtrl != nullptr && nID == 0)
        nID = (UINT)pNMHDR->idFrom;

    if (ReflectToChild(this, hWndCtrl, WM_NOTIFY, (WPARAM)nID, lParam, pResult))
        return TRUE;

    AFX_NOTIFY notify = {pResult, pNMHDR};
    return OnCmdMsg(nID, (int)MAKELONG(pNMHDR->code, WM_NOTIFY), &notify, nullptr);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT lResult = 0;
    if (pResult == nullptr)
        pResult = &lResult;
    switch (message)
    {
    case WM_NOTIFY: {
        NMHDR* pNMHDR = (NMHDR*)lParam;
        AFX_NOTIFY notify = {pResult, pNMHDR};
        return CCmdTarget::OnCmdMsg(0, (int)MAKELONG(pNMHDR->code, WM_REFLECT_BASE + WM_NOTIFY),
                                    &notify, nullptr);
    }
    case WM_COMMAND:
        if (CCmdTarget::OnCmdMsg(0, (int)MAKELONG(HIWORD(wParam), WM_REFLECT_BASE + WM_COMMAND),
                                 nullptr, nullptr))
        {
            *pResult = 1;
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        AFX_CTLCOLOR ctl = {m_hWnd, (HDC)wParam, CtlColorType(message)};
        return CWnd::OnWndMsg(WM_REFLECT_BASE + WM_CTLCOLOR, 0, (LPARAM)&ctl, pResult);
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
    case WM_PARENTNOTIFY: return CWnd::OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
    default: return FALSE;
    }
}

// ---------------------------------------------------------------------------------------------
// Pre-translation and message pumps.

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd))
    {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop)
            break;
        if (!::IsWindow(hWnd) || !(::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD))
            break; // the top-level window has had its turn
    }
    return FALSE;
}

BOOL AfxPreTranslateMessage(MSG* pMsg)
{
    if (CWinThread* pThread = AfxGetThread())
        return pThread->PreTranslateMessage(pMsg);
    return pMsg->hwnd != nullptr && CWnd::WalkPreTranslateTree(nullptr, pMsg);
}

BOOL AfxPumpMessage()
{
    if (CWinThread* pThread = AfxGetThread())
        return pThread->PumpMessage();
    MSG msg;
    if (!::GetMessageW(&msg, nullptr, 0, 0))
        return FALSE;
    if (msg.message != WM_KICKIDLE && !AfxPreTranslateMessage(&msg))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return TRUE;
}

static BOOL IsIdleMessageForLoop(const MSG& msg)
{
    return msg.message != WM_PAINT && msg.message != 0x0118 /* caret blink */ &&
           msg.message != WM_MOUSEMOVE && msg.message != WM_NCMOUSEMOVE;
}

BOOL CWnd::ContinueModal()
{
    return m_bContinueModal && ::IsWindow(m_hWnd);
}

void CWnd::EndModalLoop(int nResult)
{
    m_nModalResult = nResult;
    if (m_bContinueModal)
    {
        m_bContinueModal = FALSE;
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0); // wake the loop
    }
}

// Flags of RunModalLoop.
#ifndef MLF_NOIDLEMSG
#define MLF_NOIDLEMSG 0x0001
#define MLF_NOKICKIDLE 0x0002
#define MLF_SHOWONIDLE 0x0004
#endif

int CWnd::RunModalLoop(DWORD dwFlags)
{
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    BOOL bShowIdle = (dwFlags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
    HWND hWndParent = ::GetParent(m_hWnd);
    HWND hWndSelf = m_hWnd;
    m_bContinueModal = TRUE;
    m_bInModalLoop = TRUE;

    MSG msg;
    for (;;)
    {
        // Idle: show the window, tell the owner, let the window update its controls.
        while (bIdle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (bShowIdle)
            {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                bShowIdle = FALSE;
            }
            if (!(dwFlags & MLF_NOIDLEMSG) && hWndParent != nullptr && lIdleCount == 0)
                ::SendMessageW(hWndParent, WM_ENTERIDLE, MSGF_DIALOGBOX, (LPARAM)hWndSelf);
            if ((dwFlags & MLF_NOKICKIDLE) ||
                !::SendMessageW(hWndSelf, WM_KICKIDLE, MSGF_DIALOGBOX, lIdleCount++))
                bIdle = FALSE;
            if (!ContinueModal())
                goto ExitModal;
        }
        do
        {
            if (!ContinueModal())
                goto ExitModal;
            if (!AfxPumpMessage())
            {
                ::PostQuitMessage(0); // leave WM_QUIT for the outer loop
                m_bInModalLoop = FALSE;
                return -1;
            }
            if (bShowIdle && (msg.message == 0x0118 || msg.message == WM_SYSKEYDOWN))
            {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                bShowIdle = FALSE;
            }
            if (!ContinueModal())
                goto ExitModal;
            if (IsIdleMessageForLoop(msg))
            {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }

ExitModal:
    m_bContinueModal = FALSE;
    m_bInModalLoop = FALSE;
    return m_nModalResult;
}

// ---------------------------------------------------------------------------------------------
// Attaching windows at creation: a CBT hook attaches the next window this thread creates to
// the object that asked for it, before the window gets its first message.

LRESULT CALLBACK AfxCbtFilterHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    AfxThreadState& state = AfxGetThreadState();
    if (nCode == HCBT_CREATEWND && state.pWndInit != nullptr)
    {
        HWND hWnd = (HWND)wParam;
        // Input-method helper windows are not ours.
        wchar_t szClass[32] = {};
        ::GetClassNameW(hWnd, szClass, 32);
        if (lstrcmpiW(szClass, L"IME") != 0)
        {
            CWnd* pWndInit = state.pWndInit;
            state.pWndInit = nullptr;
            pWndInit->Attach(hWnd);
            pWndInit->PreSubclassWindow();
            WNDPROC* ppfnSuper = pWndInit->GetSuperWndProcAddr();
            WNDPROC oldProc =
                (WNDPROC)::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, (LONG_PTR)&AfxWndProc);
            if (oldProc != &AfxWndProc)
                *ppfnSuper = oldProc;
        }
    }
    return ::CallNextHookEx(state.hHookCbt, nCode, wParam, lParam);
}

void AfxHookWindowCreate(CWnd* pWnd)
{
    AfxThreadState& state = AfxGetThreadState();
    if (state.hHookCbt == nullptr)
        state.hHookCbt =
            ::SetWindowsHookExW(WH_CBT, AfxCbtFilterHook, nullptr, ::GetCurrentThreadId());
    state.pWndInit = pWnd;
}

BOOL AfxUnhookWindowCreate()
{
    AfxThreadState& state = AfxGetThreadState();
    if (state.pWndInit != nullptr)
    {
        state.pWndInit = nullptr;
        return FALSE; // no window was attached
    }
    return TRUE;
}
