#include "grid/text_widths.h"

bool CTextWidths::Load(HWND hWnd, HFONT hFont)
{
    m_hFont = hFont;
    m_bValid = false;
    HDC hDC = ::GetDC(hWnd);
    if (hDC == nullptr)
        return false;
    HGDIOBJ oldFont = ::SelectObject(hDC, hFont);
    TEXTMETRICW metrics = {};
    // Advance widths add up to the extent only without overhang (synthesised bold or italic).
    if (::GetTextMetricsW(hDC, &metrics) && metrics.tmOverhang == 0 &&
        ::GetCharWidth32W(hDC, 0, 255, m_widths))
        m_bValid = true;
    ::SelectObject(hDC, oldFont);
    ::ReleaseDC(hWnd, hDC);
    return m_bValid;
}

int CTextWidths::MeasureWithGDI(HWND hWnd, HFONT hFont, const wchar_t* pText, int n)
{
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
