// Whether a window still has painting to do: for tests that look at pixels only once a window
// has drawn everything it was asked to. Works on another process's windows too.
#pragma once

#include <windows.h>

namespace ql {

// True while the window or any window inside it has an update region, i.e. a WM_PAINT still to
// come.
inline bool PaintPending(HWND wnd)
{
    if (GetUpdateRect(wnd, nullptr, FALSE))
        return true;
    bool pending = false;
    EnumChildWindows(
        wnd,
        [](HWND child, LPARAM found) -> BOOL {
            if (!GetUpdateRect(child, nullptr, FALSE))
                return TRUE;
            *reinterpret_cast<bool*>(found) = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&pending));
    return pending;
}

} // namespace ql
