#include "grid/text_widths.h"

void CTextWidths::Reset()
{
    if (m_hDC != nullptr)
    {
        ::SelectObject(m_hDC, m_hOldFont);
        ::DeleteDC(m_hDC);
    }
    m_hDC = nullptr;
    m_hOldFont = nullptr;
    m_hFont = nullptr;
    m_bValid = false;
}

bool CTextWidths::Load(HWND hWnd, HFONT hFont)
{
    Reset();
    m_hFont = hFont;
    HDC hWindowDC = ::GetDC(hWnd);
    if (hWindowDC == nullptr)
        return false;
    m_hDC = ::CreateCompatibleDC(hWindowDC);
    ::ReleaseDC(hWnd, hWindowDC);
    if (m_hDC == nullptr)
        return false;
    m_hOldFont = ::SelectObject(m_hDC, hFont);
    TEXTMETRICW metrics = {};
    // Advance widths add up to the extent only without overhang (synthesised bold or italic).
    if (::GetTextMetricsW(m_hDC, &metrics) && metrics.tmOverhang == 0 &&
        ::GetCharWidth32W(m_hDC, 0, 255, m_widths))
        m_bValid = true;
    return m_bValid;
}

int CTextWidths::MeasureWithGDI(HWND hWnd, HFONT hFont, const wchar_t* pText, int n)
{
    if (m_hDC == nullptr)
    {
        // No memory DC could be made: the window's own, for this text.
        HDC hDC = ::GetDC(hWnd);
        if (hDC == nullptr)
            return 0;
        HGDIOBJ oldFont = ::SelectObject(hDC, hFont);
        SIZE size = {};
        ::GetTextExtentPoint32W(hDC, pText, n, &size);
        ::SelectObject(hDC, oldFont);
        ::ReleaseDC(hWnd, hDC);
        return size.cx;
    }
    SIZE size = {};
    ::GetTextExtentPoint32W(m_hDC, pText, n, &size);
    return size.cx;
}

int CTextWidths::Measure(HWND hWnd, HFONT hFont, const wchar_t* pText, int n)
{
    if (n <= 0 || pText == nullptr)
        return 0;
    if (hFont != m_hFont)
        Load(hWnd, hFont);
    if (m_bValid)
    {
        int width = 0;
        int i = 0;
        for (; i < n && pText[i] < 0x100; ++i)
            width += m_widths[pText[i]];
        if (i == n)
            return width;
    }
    return MeasureWithGDI(hWnd, hFont, pText, n);
}
