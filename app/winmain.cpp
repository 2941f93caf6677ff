// Program entry. The application object lives here, outside the app library, so that the test
// programs linking that library have no second application object.
#include "app/quenlark_app.h"

CQuenlarkApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE prev, LPWSTR cmdLine, int show)
{
    return AfxWinMain(instance, prev, cmdLine, show);
}
