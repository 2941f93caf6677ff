// CWinThread: a thread with (optionally) its own message loop. The application object is the
// main thread's CWinThread. Worker threads come from AfxBeginThread(function, parameter).
#pragma once

#include "framework/wnd.h"

typedef UINT (*AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinThread)

public:
    CWinThread();
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override;

    // Starts the thread (CREATE_SUSPENDED keeps it waiting for ResumeThread).
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0,
                      LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    operator HANDLE() const { return m_hThread; }
    BOOL m_bAutoDelete = TRUE;  // delete the object when the thread ends
    CWnd* m_pMainWnd = nullptr; // the thread's main window (quits the loop when destroyed)
    CWnd* m_pActiveWnd = nullptr;

    int GetThreadPriority() { return ::GetThreadPriority(m_hThread); }
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return ::PostThreadMessageW(m_nThreadID, message, wParam, lParam);
    }

    virtual CWnd* GetMainWnd();
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop: pumps messages, calls OnIdle while the queue is empty.
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL PumpMessage();
    // lCount 0: command-UI update of the main window and its descendants (WM_IDLEUPDATECMDUI);
    // lCount 1: frees the thread's temporary window, DC, GDI, menu and image-list wrappers.
    // Answers whether more idle work remains.
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL IsIdleMessage(MSG* pMsg);
    virtual void Delete(); // deletes the object when m_bAutoDelete

    // The routine of a worker thread (null for a thread with a message loop).
    AFX_THREADPROC m_pfnThreadProc = nullptr;
    LPVOID m_pThreadParams = nullptr;

protected:
    MSG m_msgCur{};
    CPoint m_ptCursorLast{-1, -1};
    UINT m_nMsgLast = 0;
    friend DWORD WINAPI AfxThreadEntry(LPVOID);
};

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
void AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);
// The CWinThread of the calling thread (the application object on the main thread).
CWinThread* AfxGetThread();
