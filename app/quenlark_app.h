// CQuenlarkApp: the application object. It starts the program, hands a script file to an
// instance that already runs, creates and shows the main frame, opens the file named on the
// command line or reconnects to the last database, and saves the settings at exit.
#pragma once

#include "framework/ui.h"

class CQuenlarkApp : public CWinApp
{
public:
    CQuenlarkApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Sends a script path to the running instance's main window (WM_COPYDATA, dwData 1, the
    // UTF-16 path with its terminating zero) and brings that window to the front. False when
    // that instance did not take it (it is closing): this start then opens the script itself.
    static bool HandOverScript(HWND hRunning, LPCWSTR pszPath);

protected:
    HMENU m_hMainMenu = nullptr;
    HACCEL m_hMainAccel = nullptr;

    afx_msg void OnAppAbout();
    DECLARE_MESSAGE_MAP()
};

extern CQuenlarkApp theApp;
