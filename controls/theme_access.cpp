#include "controls/theme_access.h"

CUxTheme::~CUxTheme()
{
    Close();
}

bool CUxTheme::Open(HWND hWnd, LPCWSTR classList)
{
    if (!m_bLoadAttempted)
    {
        m_bLoadAttempted = true;
        m_hModule = ::GetModuleHandleW(m_moduleName);
    }
    if (m_hModule == nullptr)
        return false;
    if (m_pfnOpen == nullptr && m_pfnClose == nullptr && m_pfnBackground == nullptr &&
        m_pfnText == nullptr)
    {
        m_pfnOpen = (PFNOPEN)(void*)::GetProcAddress(m_hModule, "OpenThemeData");
        m_pfnClose = (PFNCLOSE)(void*)::GetProcAddress(m_hModule, "CloseThemeData");
        m_pfnBackground = (PFNBACKGROUND)(void*)::GetProcAddress(m_hModule, "DrawThemeBackground");
        m_pfnText = (PFNTEXT)(void*)::GetProcAddress(m_hModule, "DrawThemeText");
    }
    if (m_pfnOpen == nullptr || m_pfnClose == nullptr)
        return false;
    Close();
    m_hTheme = m_pfnOpen(hWnd, classList);
    return m_hTheme != nullptr;
}

bool CUxTheme::Close()
{
    if (m_hTheme == nullptr)
        return true;
    if (m_pfnClose == nullptr || FAILED(m_pfnClose(m_hTheme)))
        return false;
    m_hTheme = nullptr;
    return true;
}

bool CUxTheme::DrawThemeBackground(HDC hDC, int part, int state, const RECT* rect, const RECT* clip)
{
    if (m_hTheme == nullptr || m_pfnBackground == nullptr)
        return false;
    return m_pfnBackground(m_hTheme, hDC, part, state, rect, clip) == S_OK;
}

bool CUxTheme::DrawThemeText(HDC hDC, int part, int state, LPCWSTR text, int length, DWORD flags,
                             DWORD flags2, const RECT* rect)
{
    if (m_hTheme == nullptr || m_pfnText == nullptr)
        return false;
    return m_pfnText(m_hTheme, hDC, part, state, text, length, flags, flags2, rect) == S_OK;
}
