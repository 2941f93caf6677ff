// The application object and start-up.
#include "framework/win_app.h"
#include "framework/module_state.h"
#include "framework/wnd_internal.h"

#include <objbase.h>
#include <ole2.h>

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

static CWinApp* g_pApp = nullptr;

CWinApp::CWinApp(LPCTSTR lpszAppName)
{
    if (lpszAppName != nullptr)
    {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName;
    }
    g_pApp = this;
    m_bAutoDelete = FALSE;
    // The application is the main thread's CWinThread.
    AfxGetThreadState().pThread = this;
    m_nThreadID = ::GetCurrentThreadId();
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    CWinThread* pThread = AfxGetThread();
    if (pThread == nullptr)
        pThread = g_pApp;
    return pThread != nullptr ? pThread->GetMainWnd() : nullptr;
}

LPCTSTR AfxGetAppName()
{
    return g_pApp != nullptr && g_pApp->m_pszAppName ? g_pApp->m_pszAppName : L"";
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return (int)m_msgCur.wParam;
}

int CWinApp::Run()
{
    if (m_pMainWnd == nullptr)
        ::PostQuitMessage(0); // nothing to run for
    return CWinThread::Run();
}

BOOL CWinApp::OnIdle(LONG lCount)
{
    if (lCount <= 0)
    {
        CWinThread::OnIdle(lCount);
        return TRUE; // temporaries next
    }
    if (lCount == 1)
        CWinThread::OnIdle(lCount);
    return lCount < 1;
}

int CWinApp::DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT)
{
    HWND hWndTop = nullptr;
    CWnd* pOwner = CWnd::GetSafeOwner(nullptr, &hWndTop);
    HWND hWndOwner = pOwner->GetSafeHwnd();
    if (hWndOwner != nullptr && !::IsWindowEnabled(hWndOwner))
        hWndOwner = nullptr;
    if ((nType & MB_ICONMASK) == 0)
    {
        switch (nType & MB_TYPEMASK)
        {
        case MB_OK:
        case MB_OKCANCEL: nType |= MB_ICONEXCLAMATION; break;
        case MB_YESNO:
        case MB_YESNOCANCEL: nType |= MB_ICONQUESTION; break;
        default: break;
        }
    }
    return ::MessageBoxW(hWndOwner, lpszPrompt, m_pszAppName ? m_pszAppName : L"", nType);
}

void CWinApp::WinHelp(DWORD_PTR, UINT) {}

LRESULT CWinApp::ProcessWndProcException(CException* e, const MSG* pMsg)
{
    if (!e->IsKindOf(RUNTIME_CLASS(CUserException)))
        e->ReportError(MB_ICONEXCLAMATION);
    return (pMsg != nullptr && pMsg->message == WM_CREATE) ? -1 : 0;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return LoadIcon(MAKEINTRESOURCEW(nIDResource));
}

HICON CWinApp::LoadIcon(LPCTSTR lpszResourceName) const
{
    return ::LoadIconW(AfxFindResourceHandle(lpszResourceName, RT_GROUP_ICON), lpszResourceName);
}

HCURSOR CWinApp::LoadCursor(UINT nIDResource) const
{
    LPCWSTR name = MAKEINTRESOURCEW(nIDResource);
    return ::LoadCursorW(AfxFindResourceHandle(name, RT_GROUP_CURSOR), name);
}

void CWinApp::DoWaitCursor(int nCode)
{
    m_nWaitCursorCount += nCode;
    if (m_nWaitCursorCount < 0)
        m_nWaitCursorCount = 0;
    if (m_nWaitCursorCount > 0)
    {
        HCURSOR hcurPrev = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        if (nCode > 0 && m_nWaitCursorCount == 1)
            m_hcurWaitCursorRestore = hcurPrev;
    }
    else if (nCode != 0)
    {
        ::SetCursor(m_hcurWaitCursorRestore ? m_hcurWaitCursorRestore
                                            : ::LoadCursorW(nullptr, IDC_ARROW));
    }
}

void AfxDoWaitCursor(int nCode)
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->DoWaitCursor(nCode);
    else if (nCode != 0)
        ::SetCursor(::LoadCursorW(nullptr, nCode > 0 ? IDC_WAIT : IDC_ARROW));
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT nIDHelp)
{
    if (CWinApp* pApp = AfxGetApp())
        return pApp->DoMessageBox(lpszText, nType, nIDHelp);
    return ::MessageBoxW(nullptr, lpszText, L"", nType);
}

CString AfxLoadString(UINT nID)
{
    CString text;
    text.LoadString(nID);
    return text;
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString text = AfxLoadString(nIDPrompt);
    if (nIDHelp == (UINT)-1)
        nIDHelp = nIDPrompt;
    return AfxMessageBox(text, nType, nIDHelp);
}

// ---------------------------------------------------------------------------------------------
// Start-up.

static bool g_bComInitialized = false;

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPTSTR lpCmdLine, int nCmdShow)
{
    if (hInstance == nullptr)
        hInstance = ::GetModuleHandleW(nullptr);
    AfxSetInstanceHandle(hInstance);
    if (!g_bComInitialized)
        g_bComInitialized = SUCCEEDED(::OleInitialize(nullptr));

    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                                 ICC_LINK_CLASS | ICC_USEREX_CLASSES |
                                                 ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&icc);

    if (CWinApp* pApp = AfxGetApp())
    {
        pApp->m_hInstance = hInstance;
        pApp->m_lpCmdLine = lpCmdLine;
        pApp->m_nCmdShow = nCmdShow;
        wchar_t szPath[MAX_PATH] = {};
        ::GetModuleFileNameW(hInstance, szPath, MAX_PATH);
        CString strPath(szPath);
        int nSlash = strPath.ReverseFind(L'\\');
        CString strName = strPath.Mid(nSlash + 1);
        int nDot = strName.ReverseFind(L'.');
        if (nDot > 0)
            strName = strName.Left(nDot);
        if (pApp->m_pszExeName == nullptr)
        {
            pApp->m_strExeName = strName;
            pApp->m_pszExeName = pApp->m_strExeName;
        }
        if (pApp->m_pszAppName == nullptr)
        {
            pApp->m_strAppName = strName;
            pApp->m_pszAppName = pApp->m_strAppName;
        }
        if (pApp->m_pszProfileName == nullptr)
        {
            pApp->m_strProfileName = pApp->m_strExeName + L".INI";
            pApp->m_pszProfileName = pApp->m_strProfileName;
        }
    }
    return TRUE;
}

void AfxWinTerm()
{
    AfxDeleteTempMaps();
    if (g_bComInitialized)
    {
        ::OleUninitialize();
        g_bComInitialized = false;
    }
}

void AfxEnableControlContainer() {}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow)
{
    int nReturnCode = -1;
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr || !AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow))
    {
        AfxWinTerm();
        return nReturnCode;
    }
    try
    {
        if (!pApp->InitInstance())
        {
            if (pApp->m_pMainWnd != nullptr)
                pApp->m_pMainWnd->DestroyWindow();
            nReturnCode = pApp->ExitInstance();
        }
        else
        {
            nReturnCode = pApp->Run();
        }
    }
    catch (CException* e)
    {
        e->ReportError();
        e->Delete();
    }
    AfxWinTerm();
    return nReturnCode;
}
