// Program entry: the application object opens the MDI main frame and runs the message loop.
#include "app/main_frame.h"
#include "resources/resource.h"

namespace {

class CQuenlarkApp : public CWinApp
{
public:
    CQuenlarkApp() : CWinApp(L"Quenlark") {}

    BOOL InitInstance() override
    {
        auto* pFrame = new CMainFrame;
        // A frame whose window could not be made has deleted itself already.
        if (!pFrame->LoadFrame(IDR_MAINFRAME))
            return FALSE;
        m_pMainWnd = pFrame;
        pFrame->ShowWindow(m_nCmdShow);
        pFrame->UpdateWindow();
        return TRUE;
    }
};

CQuenlarkApp theApp;

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE prev, LPWSTR cmdLine, int show)
{
    return AfxWinMain(instance, prev, cmdLine, show);
}
