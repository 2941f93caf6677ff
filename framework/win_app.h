// CWinApp: the application object. Exactly one exists; its constructor registers it, and the
// program's WinMain calls AfxWinMain, which initialises COM and the common controls, then
// runs InitInstance, Run (the message loop) and ExitInstance.
//
// Settings: after SetRegistryKey(company) the profile functions read and write
// HKEY_CURRENT_USER\Software\<company>\<m_pszProfileName>\<section>; without it they use the
// INI file named m_pszProfileName.
#pragma once

#include "framework/win_thread.h"

class CWinApp : public CWinThread
{
    DECLARE_DYNAMIC(CWinApp)

public:
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;

    LPCTSTR m_pszAppName = nullptr;     // the title of message boxes
    LPCTSTR m_pszRegistryKey = nullptr; // company key (SetRegistryKey)
    LPCTSTR m_pszProfileName = nullptr; // application key, or INI file
    LPCTSTR m_pszExeName = nullptr;
    LPCTSTR m_pszHelpFilePath = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPTSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;

    BOOL InitInstance() override;
    int ExitInstance() override;
    int Run() override;
    BOOL OnIdle(LONG lCount) override;
    virtual int DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT nIDPrompt);
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);
    // Shows an error for an exception that reached the message loop.
    virtual LRESULT ProcessWndProcException(CException* e, const MSG* pMsg);

    void SetRegistryKey(LPCTSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    // The application's key (HKCU\Software\company\app), opened or created; the caller closes it.
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(LPCTSTR lpszSection);

    UINT GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue);
    CString GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszDefault = nullptr);
    BOOL WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue);
    // Binary values: *ppData is allocated with new[] (the caller deletes it); false when absent.
    BOOL GetProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE* ppData, UINT* pBytes);
    BOOL WriteProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE pData, UINT nBytes);

    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(LPCTSTR lpszResourceName) const;
    HICON LoadStandardIcon(LPCTSTR lpszIconName) const
    {
        return ::LoadIconW(nullptr, lpszIconName);
    }
    HCURSOR LoadCursor(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(LPCTSTR lpszCursorName) const
    {
        return ::LoadCursorW(nullptr, lpszCursorName);
    }

    // Wait cursor nesting (CWaitCursor, CCmdTarget::BeginWaitCursor).
    void DoWaitCursor(int nCode); // 1 begin, -1 end, 0 restore
    int m_nWaitCursorCount = 0;
    HCURSOR m_hcurWaitCursorRestore = nullptr;

protected:
    CString m_strAppName, m_strRegistryKey, m_strProfileName, m_strExeName;
    friend BOOL AfxWinInit(HINSTANCE, HINSTANCE, LPTSTR, int);
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
LPCTSTR AfxGetAppName();
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);
// Start-up and the loop for the program's WinMain.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
// COM and the common controls, as AfxWinMain does them (tests call this themselves).
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
void AfxWinTerm();
// Hosting of ActiveX controls in dialogs is not supported; kept for start-up code that asks.
void AfxEnableControlContainer();
