// Where text leaves ink, for the tests that check that every glyph is drawn where the caret
// says its character stands: a 32-bit bitmap to paint or copy a window into, the columns a
// character drawn alone inks, and the report of a row whose inked columns differ from the
// predicted ones.
#pragma once

#include <windows.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace ql {

// A 32-bit top-down bitmap and a memory DC to draw into it.
class CBitmap32
{
public:
    CBitmap32(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, (void**)&m_bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~CBitmap32()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    CBitmap32(const CBitmap32&) = delete;
    CBitmap32& operator=(const CBitmap32&) = delete;

    HDC dc() const { return m_dc; }
    bool valid() const { return m_bits != nullptr; }
    // The pixel as a COLORREF.
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        DWORD p = m_bits[(size_t)y * (size_t)m_width + (size_t)x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Columns of [0, width) holding a pixel other than background in rows [top, bottom).
    std::set<int> InkColumns(int top, int bottom, COLORREF background) const
    {
        std::set<int> columns;
        for (int x = 0; x < m_width; ++x)
            for (int y = top; y < bottom; ++y)
                if (At(x, y) != background)
                {
                    columns.insert(x);
                    break;
                }
        return columns;
    }
    // The same where each column's background is its pixel in row top (a text row's first
    // pixel row is its leading: background, or the selection's colour).
    std::set<int> InkColumns(int top, int bottom) const
    {
        std::set<int> columns;
        for (int x = 0; x < m_width; ++x)
            for (int y = top + 1; y < bottom; ++y)
                if (At(x, y) != At(x, top))
                {
                    columns.insert(x);
                    break;
                }
        return columns;
    }

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};

// Columns where the character, drawn alone in the font at x = 0, leaves ink (negative for a
// left overhang).
inline std::vector<int> GlyphInk(HFONT font, wchar_t ch)
{
    const int origin = 40, width = 120, height = 80;
    CBitmap32 bitmap(width, height);
    HGDIOBJ old = SelectObject(bitmap.dc(), font);
    RECT all{0, 0, width, height};
    SetBkColor(bitmap.dc(), RGB(255, 255, 255));
    SetTextColor(bitmap.dc(), RGB(0, 0, 0));
    ExtTextOutW(bitmap.dc(), 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    TextOutW(bitmap.dc(), origin, 0, &ch, 1);
    SelectObject(bitmap.dc(), old);
    std::vector<int> ink;
    for (int x : bitmap.InkColumns(0, height, RGB(255, 255, 255)))
        ink.push_back(x - origin);
    return ink;
}

// Adds the columns the character's glyph inks when its cell starts at x, within [0, width).
inline void AddGlyphInk(std::set<int>& row, HFONT font, wchar_t ch, int x, int width)
{
    for (int dx : GlyphInk(font, ch))
        if (x + dx >= 0 && x + dx < width)
            row.insert(x + dx);
}

// "row R: missing X ... stray Y ...", a line, when the drawn columns of row R are not the
// predicted ones; empty when they are.
inline std::string InkMismatch(size_t row, const std::set<int>& predicted,
                               const std::set<int>& drawn)
{
    if (drawn == predicted)
        return std::string();
    std::ostringstream out;
    out << "row " << row << ":";
    for (int x : predicted)
        if (!drawn.count(x))
            out << " missing " << x;
    for (int x : drawn)
        if (!predicted.count(x))
            out << " stray " << x;
    out << "\n";
    return out.str();
}

} // namespace ql
