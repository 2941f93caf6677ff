// CQuenlarkApp: start-up, single instance, exit; the program-wide objects of the application.
#include "app/quenlark_app.h"

#include "app/about_dlg.h"
#include "app/app_helpers.h"
#include "app/app_settings.h"
#include "app/connection_dialogs.h"
#include "app/main_frame.h"
#include "app/running_instance.h"
#include "editor/editor_class.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(CQuenlarkApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, &CQuenlarkApp::OnAppAbout)
END_MESSAGE_MAP()

CQuenlarkApp::CQuenlarkApp() : CWinApp(L"Quenlark") {}

bool CQuenlarkApp::HandOverScript(HWND hRunning, LPCWSTR pszPath)
{
    COPYDATASTRUCT data{};
    data.dwData = 1;
    data.cbData = (DWORD)((wcslen(pszPath) + 1) * sizeof(WCHAR));
    data.lpData = const_cast<LPWSTR>(pszPath);
    // Zero: the instance began to close after it was found, or its window is gone meanwhile
    // (the send then fails); the script is not open anywhere yet.
    if (::SendMessageW(hRunning, WM_COPYDATA, 0, (LPARAM)&data) == 0)
        return false;
    ::SetFocus(hRunning);
    ::SetForegroundWindow(hRunning);
    return true;
}

BOOL CQuenlarkApp::InitInstance()
{
    // COM and the common controls were initialised by the framework's start-up.
    AfxEnableControlContainer();
    SetRegistryKey(L"Dravolen");
    if (!RegisterRColorEditorClass(m_hInstance))
        return FALSE;

    // The path is made absolute before the settings move to the saved current directory, so a
    // relative path names the file the user meant (also for the instance it is handed to).
    const CString strPath = MakeAbsolutePath(ParseCommandLinePath(m_lpCmdLine));
    theSettings.Load();

    // An instance that is closing is passed over: it would not keep the script, and once it
    // has gone this one is the instance the user works with (it connects at start-up).
    const std::vector<HWND> running = RunningInstance::FindServing();
    const bool bOtherRunning = !running.empty();
    if (!strPath.IsEmpty() && CMainFrame::GetFileType(strPath) == 4)
    {
        for (HWND hRunning : running)
            if (HandOverScript(hRunning, strPath))
                return FALSE;
    }

    auto* pFrame = new CMainFrame;
    m_pMainWnd = pFrame;
    // A frame whose window could not be made has deleted itself already.
    if (!pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, nullptr))
    {
        m_pMainWnd = nullptr;
        return FALSE;
    }
    m_hMainMenu = ::LoadMenuW(m_hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_hMainAccel = ::LoadAcceleratorsW(m_hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));

    if (theSettings.m_bWindowPlacementValid)
    {
        WINDOWPLACEMENT placement = theSettings.m_windowPlacement;
        placement.length = sizeof(placement);
        if (placement.showCmd == SW_SHOWMINIMIZED)
            placement.showCmd = SW_SHOWNORMAL;
        pFrame->SetWindowPlacement(&placement);
    }
    pFrame->ShowWindow(SW_SHOW);
    pFrame->UpdateWindow();

    if (!strPath.IsEmpty())
        pFrame->OpenFile(strPath);
    else if (theSettings.m_bConnectAtStartup && theSettings.m_connectStrings.GetSize() > 0 &&
             !bOtherRunning)
        pFrame->ConnectString(theSettings.m_connectStrings[0]);
    return TRUE;
}

int CQuenlarkApp::ExitInstance()
{
    if (m_hMainMenu != nullptr)
        ::DestroyMenu(m_hMainMenu);
    if (m_hMainAccel != nullptr)
        ::DestroyAcceleratorTable(m_hMainAccel);
    m_hMainMenu = nullptr;
    m_hMainAccel = nullptr;
    theSettings.Save();
    return CWinApp::ExitInstance();
}

void CQuenlarkApp::OnAppAbout()
{
    CAboutDlg dlg(AfxGetMainWnd());
    dlg.DoModal();
}
