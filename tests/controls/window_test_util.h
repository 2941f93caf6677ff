// Helpers of the windowed tests: a top-level host window that records what its children tell
// it, a message pump that goes through the framework's pre-translate walk, and keys with a
// matching keyboard state.
#pragma once

#include "framework/ui.h"
#include "tests/support/windowed_tests.h"

#include <vector>

namespace qltest {

// Posts a key press (down and up) to a window and pumps it; the loop's TranslateMessage makes
// the character from the keyboard state, as for a real key.
inline void PressKey(HWND hWnd, UINT vk, bool shift = false, bool control = false)
{
    SetModifiers(shift, control);
    const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    ::PostMessageW(hWnd, WM_KEYDOWN, vk, 1 | (scan << 16));
    PumpPending();
    if (::IsWindow(hWnd))
        ::PostMessageW(hWnd, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000);
    PumpPending();
    SetModifiers(false, false);
}

// A top-level window that records commands and keys sent to it and hands notifications on.
class CTestHost : public CWnd
{
public:
    struct Command
    {
        UINT id;
        UINT code;
    };
    std::vector<Command> commands;
    std::vector<WPARAM> keysDown;
    std::vector<HWND> killFocus; // wParam of WM_KILLFOCUS sent by a child
    struct Notify
    {
        WPARAM wParam;
        UINT code;
    };
    std::vector<Notify> notifies;

    bool CreateHost(int width = 640, int height = 480, LPCWSTR title = L"Test")
    {
        LPCTSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                          (HBRUSH)(COLOR_BTNFACE + 1));
        if (!CreateEx(0, cls, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 20, 20,
                      width, height, nullptr, nullptr))
            return false;
        ::SetForegroundWindow(m_hWnd);
        ::SetFocus(m_hWnd);
        PumpPending();
        return true;
    }

    // A plain child window (the composite editor around a wrapped control, say).
    bool CreateChild(CWnd* pParent, const RECT& rect)
    {
        LPCTSTR cls =
            AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1));
        return CreateEx(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, pParent->GetSafeHwnd(),
                        nullptr) != FALSE;
    }

    ~CTestHost() override
    {
        if (::IsWindow(m_hWnd))
            DestroyWindow();
    }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        commands.push_back({LOWORD(wParam), HIWORD(wParam)});
        return CWnd::OnCommand(wParam, lParam);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_KEYDOWN)
            keysDown.push_back(wParam);
        else if (message == WM_KILLFOCUS)
            killFocus.push_back((HWND)wParam);
        else if (message == WM_NOTIFY && lParam != 0)
            notifies.push_back({wParam, ((NMHDR*)lParam)->code});
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

} // namespace qltest
