// Widths of cell texts in one font, for fitting column widths to every row read: the advance
// widths of the characters below U+0100 are read once, so most texts are measured by adding them
// up instead of a device context and a GDI call per cell. Other texts go to GDI, on a memory
// device context of the window's kind kept with the font selected.
#pragma once

#include "framework/core.h"

#include <windows.h>

class CTextWidths
{
public:
    CTextWidths() = default;
    ~CTextWidths() { Reset(); }
    CTextWidths(const CTextWidths&) = delete;
    CTextWidths& operator=(const CTextWidths&) = delete;

    // The width GetTextExtentPoint32W gives for the first n characters of the text in hFont.
    int Measure(HWND hWnd, HFONT hFont, const wchar_t* pText, int n);
    // Forgets the widths read and the device context (another font, another device).
    void Reset();

private:
    bool Load(HWND hWnd, HFONT hFont);
    int MeasureWithGDI(HWND hWnd, HFONT hFont, const wchar_t* pText, int n);

    HFONT m_hFont = nullptr;
    bool m_bValid = false;
    int m_widths[256] = {};
    // A memory DC with m_hFont selected. A window's DC, got and released per text, costs round
    // trips to the Wine server each time: thousands of cells of a long read in a script beyond
    // Latin-1 took longer than reading their rows.
    HDC m_hDC = nullptr;
    HGDIOBJ m_hOldFont = nullptr;
};
