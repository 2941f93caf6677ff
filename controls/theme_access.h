// Run-time binding to the visual-styles library for windows that draw themed parts themselves
// (the grid's column header). The library is never loaded here: when it is not already in the
// process, every call answers false and the caller draws the classic look.
#pragma once

#include "framework/core.h"

#include <uxtheme.h>

class CUxTheme
{
public:
    CUxTheme() = default;
    ~CUxTheme();

    CUxTheme(const CUxTheme&) = delete;
    CUxTheme& operator=(const CUxTheme&) = delete;

    // Opens the theme of a class list ("HEADER") for a window, closing any open one first.
    // False when the library is not in the process, a function is missing or no theme came back.
    bool Open(HWND hWnd, LPCWSTR classList);
    // True when no theme is open afterwards; false (handle kept) when closing failed.
    bool Close();
    bool IsOpen() const { return m_hTheme != nullptr; }

    // Forward to the library with the open theme; true exactly when it answered S_OK.
    bool DrawThemeBackground(HDC hDC, int part, int state, const RECT* rect, const RECT* clip);
    bool DrawThemeText(HDC hDC, int part, int state, LPCWSTR text, int length, DWORD flags,
                       DWORD flags2, const RECT* rect);

    // The module looked for on the first Open (tests name one that is absent).
    LPCWSTR m_moduleName = L"UXTHEME.DLL";

private:
    typedef HTHEME(WINAPI* PFNOPEN)(HWND, LPCWSTR);
    typedef HRESULT(WINAPI* PFNCLOSE)(HTHEME);
    typedef HRESULT(WINAPI* PFNBACKGROUND)(HTHEME, HDC, int, int, const RECT*, const RECT*);
    typedef HRESULT(WINAPI* PFNTEXT)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD,
                                     const RECT*);

    bool m_bLoadAttempted = false;
    HMODULE m_hModule = nullptr;
    HTHEME m_hTheme = nullptr;
    PFNOPEN m_pfnOpen = nullptr;
    PFNCLOSE m_pfnClose = nullptr;
    PFNBACKGROUND m_pfnBackground = nullptr;
    PFNTEXT m_pfnText = nullptr;
};
