// Threads and their message loops.
#include "framework/win_thread.h"
#include "framework/wnd_internal.h"

#include <process.h>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam)
{}

CWinThread::~CWinThread()
{
    if (m_hThread != nullptr)
        ::CloseHandle(m_hThread);
    AfxThreadState& state = AfxGetThreadState();
    if (state.pThread == this)
        state.pThread = nullptr;
}

CWinThread* AfxGetThread()
{
    return AfxGetThreadState().pThread;
}

DWORD WINAPI AfxThreadEntry(LPVOID pParam)
{
    CWinThread* pThread = static_cast<CWinThread*>(pParam);
    AfxGetThreadState().pThread = pThread;
    UINT nResult;
    if (pThread->m_pfnThreadProc != nullptr)
    {
        nResult = pThread->m_pfnThreadProc(pThread->m_pThreadParams);
    }
    else if (!pThread->InitInstance())
    {
        nResult = (UINT)pThread->ExitInstance();
    }
    else
    {
        nResult = (UINT)pThread->Run();
    }
    AfxEndThread(nResult, TRUE);
    return nResult;
}

static unsigned __stdcall ThreadStart(void* pParam)
{
    return (unsigned)AfxThreadEntry(pParam);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize,
                              LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (m_hThread != nullptr)
        return FALSE;
    unsigned nThreadID = 0;
    // Always created suspended: the handle and id are set before the thread runs a line.
    m_hThread = (HANDLE)_beginthreadex(lpSecurityAttrs, nStackSize, &ThreadStart, this,
                                       CREATE_SUSPENDED, &nThreadID);
    if (m_hThread == nullptr)
        return FALSE;
    m_nThreadID = nThreadID;
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        ::ResumeThread(m_hThread);
    return TRUE;
}

void AfxEndThread(UINT nExitCode, BOOL bDelete)
{
    CWinThread* pThread = AfxGetThread();
    AfxFreeThreadTempMaps();
    if (pThread != nullptr)
    {
        AfxGetThreadState().pThread = nullptr;
        if (bDelete)
            pThread->Delete();
    }
    (void)nExitCode;
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority,
                           UINT nStackSize, DWORD dwCreateFlags,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (pfnThreadProc == nullptr)
        return nullptr;
    CWinThread* pThread = new CWinThread(pfnThreadProc, pParam);
    if (!pThread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs))
    {
        delete pThread;
        return nullptr;
    }
    pThread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        pThread->ResumeThread();
    return pThread;
}

CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (pThreadClass == nullptr || !pThreadClass->IsDerivedFrom(RUNTIME_CLASS(CWinThread)))
        return nullptr;
    CWinThread* pThread = static_cast<CWinThread*>(pThreadClass->CreateObject());
    if (pThread == nullptr)
        return nullptr;
    if (!pThread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs))
    {
        delete pThread;
        return nullptr;
    }
    pThread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        pThread->ResumeThread();
    return pThread;
}

CWnd* CWinThread::GetMainWnd()
{
    return m_pActiveWnd != nullptr ? m_pActiveWnd : m_pMainWnd;
}

BOOL CWinThread::InitInstance()
{
    return FALSE;
}

int CWinThread::ExitInstance()
{
    return (int)m_msgCur.wParam;
}

int CWinThread::Run()
{
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    for (;;)
    {
        while (bIdle && !::PeekMessageW(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (!OnIdle(lIdleCount++))
                bIdle = FALSE;
        }
        do
        {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(&m_msgCur))
            {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (::PeekMessageW(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PumpMessage()
{
    if (!::GetMessageW(&m_msgCur, nullptr, 0, 0))
        return FALSE;
    if (m_msgCur.message != WM_KICKIDLE && !PreTranslateMessage(&m_msgCur))
    {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->hwnd == nullptr)
        return FALSE; // thread messages have no window to ask
    if (CWnd::WalkPreTranslateTree(nullptr, pMsg))
        return TRUE;
    // The main window (accelerators) gets a turn for messages of its other top-level windows,
    // unless a modal dialog has disabled it.
    CWnd* pMainWnd = GetMainWnd();
    if (pMainWnd != nullptr && pMainWnd->m_hWnd != nullptr && ::IsWindowEnabled(pMainWnd->m_hWnd))
    {
        HWND hWndTop = pMsg->hwnd;
        while (hWndTop != nullptr && (::GetWindowLongW(hWndTop, GWL_STYLE) & WS_CHILD))
            hWndTop = ::GetParent(hWndTop);
        if (hWndTop != pMainWnd->m_hWnd)
            return pMainWnd->PreTranslateMessage(pMsg);
    }
    return FALSE;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg)
{
    // Repeated mouse moves at the same spot, paints and caret blinks do not restart idle work.
    if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE)
    {
        if (m_ptCursorLast == CPoint(pMsg->pt.x, pMsg->pt.y) && pMsg->message == m_nMsgLast)
            return FALSE;
        m_ptCursorLast = CPoint(pMsg->pt.x, pMsg->pt.y);
        m_nMsgLast = pMsg->message;
        return TRUE;
    }
    return pMsg->message != WM_PAINT && pMsg->message != 0x0118;
}

BOOL CWinThread::OnIdle(LONG lCount)
{
    if (lCount <= 0)
    {
        // Command-UI update of the main window and of every window in it (control bars answer
        // WM_IDLEUPDATECMDUI by updating their items).
        CWnd* pMainWnd = m_pMainWnd;
        if (pMainWnd != nullptr && pMainWnd->m_hWnd != nullptr && pMainWnd->IsWindowVisible())
        {
            AfxThreadState& state = AfxGetThreadState();
            MSG oldMsg = state.lastSentMsg;
            state.lastSentMsg = MSG{pMainWnd->m_hWnd, WM_IDLEUPDATECMDUI, TRUE, 0, 0, {0, 0}};
            pMainWnd->WindowProc(WM_IDLEUPDATECMDUI, TRUE, 0);
            state.lastSentMsg = oldMsg;
            pMainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
        }
    }
    else
    {
        AfxDeleteTempMaps();
    }
    return lCount < 0;
}
