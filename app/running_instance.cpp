// Finding the instances that take a handed-over script; the closing mark of a main window.
#include "app/running_instance.h"

namespace RunningInstance {
namespace {

// A window property: visible to every process, and gone with the window itself. Its value is
// no handle of anything, so a window destroyed while marked leaks nothing.
const WCHAR kClosingProperty[] = L"Quenlark.Closing";

} // namespace

std::vector<HWND> FindServing()
{
    std::vector<HWND> found;
    const DWORD self = ::GetCurrentProcessId();
    HWND hWnd = nullptr;
    while ((hWnd = ::FindWindowExW(nullptr, hWnd, L"Quenlark", nullptr)) != nullptr)
    {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hWnd, &owner);
        if (owner != self && !IsMarkedClosing(hWnd))
            found.push_back(hWnd);
    }
    return found;
}

void MarkClosing(HWND hMainWnd, bool bClosing)
{
    if (bClosing)
        ::SetPropW(hMainWnd, kClosingProperty, reinterpret_cast<HANDLE>(1));
    else
        ::RemovePropW(hMainWnd, kClosingProperty);
}

bool IsMarkedClosing(HWND hMainWnd)
{
    return ::GetPropW(hMainWnd, kClosingProperty) != nullptr;
}

} // namespace RunningInstance
