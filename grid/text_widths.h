// Widths of cell texts in one font, for fitting column widths to every row read: the advance
// widths of the characters below U+0100 are read once, so most texts are measured by adding them
// up instead of a device context and a GDI call per cell. Other texts go to GDI.
#pragma once

#include "framework/core.h"

#include <windows.h>

class CTextWidths
{
public:
    // The width GetTextExtentPoint32W gives for the first n characters of the text in hFont.
    int Measure(HWND hWnd, HFONT hFont, const wchar_t* pText, int n);
    // Forgets the widths read (another font, another device).
    void Reset()
    {
        m_hFont = nullptr;
        m_bValid = false;
    }

private:
    bool Load(HWND hWnd, HFONT hFont);
    int MeasureWithGDI(HWND hWnd, HFONT hFont, const wchar_t* pText, int n);

    HFONT m_hFont = nullptr;
    bool m_bValid = false;
    int m_widths[256] = {};
};
