#include "editor/text_measure.h"

#include <algorithm>

#include "editor/line_index.h"
#include "editor/measurer.h"
#include "editor/rce_messages.h"
#include "editor/text_buffer.h"

namespace {

const int kNoLimit = 0x7fffffff;

bool IsPrintableAscii(WCHAR ch)
{
    return ch > 0x20 && ch < 0x7F;
}

} // namespace

// --- Device context and metrics -----------------------------------------------------------------

RCEFontDC::RCEFontDC(const RCE_STATE* st) : m_st(st)
{
    m_dc = RCEGetDC(st, &m_old);
}

RCEFontDC::~RCEFontDC()
{
    RCEReleaseDC(m_st, m_dc, m_old);
}

HDC RCEGetDC(const RCE_STATE* st, HGDIOBJ* oldFont)
{
    *oldFont = nullptr;
    HDC dc = st->measureDC ? st->measureDC : GetDC(st->hwnd);
    if (dc && st->font)
        *oldFont = SelectObject(dc, st->font);
    return dc;
}

void RCEReleaseDC(const RCE_STATE* st, HDC dc, HGDIOBJ oldFont)
{
    if (!dc)
        return;
    if (oldFont)
        SelectObject(dc, oldFont);
    if (dc != st->measureDC)
        ReleaseDC(st->hwnd, dc);
}

bool RCEGetMetrics(RCE_STATE* st)
{
    RCEFontDC fdc(st);
    TEXTMETRICW tm{};
    bool ok = fdc.dc() && GetTextMetricsW(fdc.dc(), &tm);
    st->tm = ok ? tm : TEXTMETRICW{};
    st->metricsValid = ok ? 1 : 0;
    return ok;
}

bool RCESetFontMetrics(RCE_STATE* st, HFONT font)
{
    st->font = font;
    st->tm = TEXTMETRICW{};
    st->metricsValid = 0;
    return RCEGetMetrics(st);
}

// --- Measurer -----------------------------------------------------------------------------------

int RCEMeasurer::SpaceWidth(bool* equal)
{
    if (m_spaceWidth < 0)
    {
        SIZE dot{}, space{};
        if (GetTextExtentPoint32W(m_dc, L"\u00B7", 1, &dot) &&
            GetTextExtentPoint32W(m_dc, L" ", 1, &space))
        {
            m_spaceWidth = std::max(dot.cx, space.cx);
            m_spaceEqual = dot.cx == space.cx;
        }
        else
        {
            m_spaceWidth = 0;
            m_spaceEqual = false;
        }
    }
    if (equal)
        *equal = m_spaceEqual;
    return m_spaceWidth;
}

int RCEMeasurer::SpaceCharWidth()
{
    if (m_spaceCharWidth < 0)
    {
        INT w = 0;
        m_spaceCharWidth = GetCharWidth32W(m_dc, L' ', L' ', &w) ? w : 0;
    }
    return m_spaceCharWidth;
}

int RCEMeasurer::TabWidth(int x)
{
    int tabSize = m_st->tabSize ? (int)m_st->tabSize : 8;
    int t = tabSize * SpaceCharWidth();
    if (t < 1)
        return 0;
    if (x < 0)
        x = 0;
    return t - (x + t) % t;
}

bool RCEMeasurer::Ascii()
{
    if (m_asciiState == 0)
    {
        m_asciiState = -1;
        INT widths[0x7F - 0x21];
        if (GetCharWidth32W(m_dc, 0x21, 0x7E, widths))
        {
            // Plain advance widths add up to the extent only without kerning pairs or
            // overhangs; check on a sample before trusting them.
            static const WCHAR sample[] = L"AVAWTaTo.,;W1lI{}";
            SIZE s{};
            int sum = 0;
            for (const WCHAR* p = sample; *p; ++p)
                sum += widths[*p - 0x21];
            if (GetTextExtentPoint32W(m_dc, sample, (int)wcslen(sample), &s) && s.cx == sum)
            {
                for (int c = 0x21; c < 0x7F; ++c)
                    m_ascii[c] = widths[c - 0x21];
                m_asciiState = 1;
            }
        }
    }
    return m_asciiState == 1;
}

bool RCEMeasurer::Run(const WCHAR* text, UINT32 count, SIZE* size)
{
    size->cx = 0;
    size->cy = m_st->metricsValid ? m_st->tm.tmHeight : 0;
    if (count == 0)
        return true;
    if (Ascii())
    {
        int sum = 0;
        UINT32 i = 0;
        for (; i < count && IsPrintableAscii(text[i]); ++i)
            sum += m_ascii[text[i]];
        if (i == count)
        {
            size->cx = sum;
            if (size->cy == 0)
            {
                SIZE s{};
                GetTextExtentPoint32W(m_dc, L"X", 1, &s);
                size->cy = s.cy;
            }
            return true;
        }
    }
    SIZE s{};
    if (!GetTextExtentPoint32W(m_dc, text, (int)count, &s))
        return false;
    size->cx = s.cx;
    size->cy = std::max(size->cy, s.cy);
    return true;
}

bool RCEMeasurer::Cell(int x, const WCHAR* text, UINT32 count, int* width, UINT32* chars)
{
    *width = 0;
    *chars = 0;
    if (count == 0)
        return false;
    WCHAR c = text[0];
    if (c == L'\t')
    {
        *width = TabWidth(x);
        *chars = 1;
        return true;
    }
    if (c == L' ')
    {
        *width = SpaceWidth();
        *chars = 1;
        return true;
    }
    if (c == L'\r' || c == L'\n')
    {
        *chars = 1;
        return true;
    }
    SIZE s{};
    if (!Run(text, 1, &s))
        return false;
    UINT32 n = 1;
    // Following characters that do not widen the extent (combining marks) join the cell.
    while (n < count)
    {
        WCHAR d = text[n];
        if (d == L'\r' || d == L'\n' || d == L'\t' || d == L' ' || IsPrintableAscii(d))
            break;
        SIZE t{};
        if (!GetTextExtentPoint32W(m_dc, text, (int)n + 1, &t) || t.cx > s.cx)
            break;
        ++n;
    }
    *width = s.cx;
    *chars = n;
    return true;
}

bool RCEMeasurer::Text(int x, const WCHAR* text, UINT32 count, SIZE* size, int limit,
                       UINT32* fitted)
{
    size->cx = 0;
    size->cy = m_st->metricsValid ? m_st->tm.tmHeight : 0;
    UINT32 i = 0;
    bool ok = true;
    while (i < count)
    {
        WCHAR c = text[i];
        if (c == L'\t')
        {
            int w = TabWidth(x + size->cx);
            if (limit != kNoLimit && size->cx + w >= limit)
                break;
            size->cx += w;
            ++i;
            continue;
        }
        if (c == L' ')
        {
            int w = SpaceWidth();
            if (limit != kNoLimit && size->cx + w > limit)
                break;
            size->cx += w;
            ++i;
            continue;
        }
        UINT32 j = i + 1;
        while (j < count && text[j] != L'\t' && text[j] != L' ')
            ++j;
        if (limit != kNoLimit)
        {
            INT fit = 0;
            SIZE s{};
            if (!GetTextExtentExPointW(m_dc, text + i, (int)(j - i), limit - size->cx, &fit,
                                       nullptr, &s))
            {
                ok = false;
                break;
            }
            if (fit <= 0)
                break;
            if ((UINT32)fit < j - i)
            {
                SIZE part{};
                if (GetTextExtentPoint32W(m_dc, text + i, fit, &part))
                    size->cx += part.cx;
                i += (UINT32)fit;
                break;
            }
            size->cx += s.cx;
            size->cy = std::max(size->cy, s.cy);
            i = j;
            continue;
        }
        SIZE s{};
        if (!Run(text + i, j - i, &s))
        {
            ok = false;
            break;
        }
        size->cx += s.cx;
        size->cy = std::max(size->cy, s.cy);
        i = j;
    }
    if (fitted)
        *fitted = i;
    return ok;
}

// --- Public measuring ---------------------------------------------------------------------------

bool RCESpaceWidth(HDC dc, int* width, bool* equal)
{
    RCE_STATE none;
    RCEMeasurer m(dc, &none);
    *width = m.SpaceWidth(equal);
    return *width > 0;
}

int RCESpaceCharWidth(HDC dc)
{
    RCE_STATE none;
    return RCEMeasurer(dc, &none).SpaceCharWidth();
}

int RCETabWidth(HDC dc, const RCE_STATE* st, int x)
{
    return RCEMeasurer(dc, st).TabWidth(x);
}

bool RCEMeasureCell(HDC dc, const RCE_STATE* st, int x, const WCHAR* text, UINT32 count, int* width,
                    UINT32* chars)
{
    return RCEMeasurer(dc, st).Cell(x, text, count, width, chars);
}

bool RCEMeasureText(HDC dc, const RCE_STATE* st, int x, const WCHAR* text, UINT32 count, SIZE* size,
                    int limit, UINT32* fitted)
{
    return RCEMeasurer(dc, st).Text(x, text, count, size, limit, fitted);
}

int RCELineWidth(HDC dc, const RCE_STATE* st, const RCERowPos* rec)
{
    SIZE s{};
    RCEMeasurer m(dc, st);
    if (!m.Text(0, st->text + rec->start, RCEVisibleLength(st, rec), &s, kNoLimit, nullptr))
        return 0;
    return s.cx;
}

// --- Caret and columns --------------------------------------------------------------------------

UINT32 RCEPixelToColumn(RCE_STATE* st, const RCERowPos* rec, int x)
{
    RCEFontDC fdc(st);
    if (!fdc.dc() || !st->text)
        return 0;
    RCEMeasurer m(fdc.dc(), st);
    UINT32 visible = RCEVisibleLength(st, rec);
    const WCHAR* text = st->text + rec->start;
    int px = 0;
    UINT32 col = 0;
    while (col < visible)
    {
        int w = 0;
        UINT32 n = 0;
        if (!m.Cell(px, text + col, visible - col, &w, &n) || n == 0)
            break;
        if (2 * (x - px) <= w) // not beyond the cell's middle
            return col;
        px += w;
        col += n;
    }
    if (RCEVirtualSpace(st) && x > px)
    {
        int w = m.SpaceCharWidth();
        if (w >= 1 && 2 * (x - px) >= w)
            col += (UINT32)((x - px) / w);
    }
    return col;
}

int RCECaretPixel(RCE_STATE* st)
{
    if (!st->text)
        return 0;
    if (!RCECaretLineValid(st))
        RCEFindCaretLine(st);
    RCEFontDC fdc(st);
    if (!fdc.dc())
        return 0;
    RCEMeasurer m(fdc.dc(), st);
    UINT32 start = st->caretRow.start;
    UINT32 caret = std::max(start, std::min(st->caretIndex, st->length));
    SIZE s{};
    m.Text(0, st->text + start, caret - start, &s, kNoLimit, nullptr);
    int x = s.cx;
    if (RCEVirtualAtEOL(st, false))
        x += (int)st->caretVCol * m.SpaceCharWidth();
    return x;
}

UINT32 RCEMaxVirtualColumns(RCE_STATE* st, const RCERowPos* rec)
{
    RCEFontDC fdc(st);
    if (!fdc.dc() || !st->text)
        return 0;
    RCEMeasurer m(fdc.dc(), st);
    RECT rc{};
    if (st->hwnd)
        GetClientRect(st->hwnd, &rc);
    int span = std::max((int)st->widestRow, (int)(rc.right - rc.left));
    SIZE s{};
    m.Text(0, st->text + rec->start, RCEVisibleLength(st, rec), &s, kNoLimit, nullptr);
    int w = m.SpaceCharWidth();
    int free = span - s.cx;
    if (w < 1 || free <= 0)
        return 0;
    return (UINT32)(free / w);
}

bool RCECellStep(RCE_STATE* st, UINT32* index, UINT32* vcol, int count, int* moved)
{
    *moved = 0;
    if (!st->text)
        return false;
    const WCHAR* text = st->text;
    UINT32 length = st->length;
    UINT32 i = std::min(*index, length);
    UINT32 v = *vcol;
    RCEFontDC fdc(st);
    if (!fdc.dc())
        return false;
    RCEMeasurer m(fdc.dc(), st);
    bool virtualSpace = RCEVirtualSpace(st);
    if (count > 0)
    {
        for (int step = 0; step < count; ++step)
        {
            if (virtualSpace && RCEIsLineEnd(st, i))
            {
                ++v;
                ++*moved;
                continue;
            }
            if (i >= length)
                break;
            UINT32 n = 1;
            if (text[i] == L'\r' && i + 1 < length && text[i + 1] == L'\n')
            {
                n = 2;
            }
            else
            {
                int w = 0;
                if (!m.Cell(0, text + i, length - i, &w, &n) || n == 0)
                    n = 1;
            }
            i += n;
            v = 0;
            *moved += (int)n;
        }
    }
    else
    {
        int steps = -count;
        if (v > 0)
        {
            UINT32 back = std::min<UINT32>(v, (UINT32)steps);
            v -= back;
            steps -= (int)back;
            *moved += (int)back;
        }
        for (int step = 0; step < steps && i > 0; ++step)
        {
            UINT32 start = i - 1;
            if (text[start] == L'\n' && start > 0 && text[start - 1] == L'\r')
            {
                start -= 1;
            }
            else if (text[start] != L'\n')
            {
                // Widen backwards while an earlier cell still ends exactly here (combining marks).
                for (int k = 0; k < 8 && start > 0; ++k)
                {
                    WCHAR p = text[start - 1];
                    if (p == L'\n' || p == L'\r' || p == L'\t' || p == L' ')
                        break;
                    int w = 0;
                    UINT32 n = 0;
                    if (!m.Cell(0, text + start - 1, i - (start - 1), &w, &n) ||
                        n != i - (start - 1))
                        break;
                    --start;
                }
            }
            *moved += (int)(i - start);
            i = start;
        }
    }
    *index = i;
    *vcol = v;
    return true;
}

void RCEColumnToPos(RCE_STATE* st, UINT32 col, const RCERowPos* rec, UINT32* index, UINT32* vcol)
{
    UINT32 visible = RCEVisibleLength(st, rec);
    if (col > visible)
    {
        *index = rec->start + visible;
        *vcol = RCEVirtualSpace(st) ? std::min(col - visible, RCEMaxVirtualColumns(st, rec)) : 0;
        return;
    }
    *index = rec->start + col;
    *vcol = 0;
}

bool RCEUpdateWidestLine(RCE_STATE* st, UINT32 count, bool forward)
{
    UINT32 before = st->widestRow;
    if (!st->text || st->length == 0)
    {
        st->widestRow = 0;
        return before != 0;
    }
    RCEFontDC fdc(st);
    if (!fdc.dc())
        return false;
    RCEMeasurer m(fdc.dc(), st);
    UINT32 widest = st->widestRow;
    auto measure = [&](const RCERowPos& rec) {
        SIZE s{};
        if (m.Text(0, st->text + rec.start, RCEVisibleLength(st, &rec), &s, kNoLimit, nullptr) &&
            s.cx > (LONG)widest)
            widest = (UINT32)s.cx;
    };
    RCERowPos rec{};
    if (count == 0)
    {
        rec = RCERowPos{0, 0, 0, 1};
        RCERowEnd(st, &rec);
        do
            measure(rec);
        while (RCEStepLine(st, &rec, true));
    }
    else
    {
        if (!RCECaretLineValid(st))
            RCEFindCaretLine(st);
        rec = st->caretRow;
        for (UINT32 k = 0; k < count; ++k)
        {
            measure(rec);
            if (!RCEStepLine(st, &rec, forward))
                break;
        }
    }
    st->widestRow = widest;
    return widest != before;
}

UINT32 RCEVisibleLines(const RCE_STATE* st)
{
    RECT rc{};
    if (!st->metricsValid || st->tm.tmHeight < 1 || !st->hwnd || !GetClientRect(st->hwnd, &rc))
        return 1;
    int n = (rc.bottom - rc.top) / st->tm.tmHeight;
    return n > 0 ? (UINT32)n : 1;
}

UINT32 RCEVisibleColumns(const RCE_STATE* st)
{
    RECT rc{};
    if (!st->metricsValid || st->tm.tmAveCharWidth < 1 || !st->hwnd ||
        !GetClientRect(st->hwnd, &rc))
        return 1;
    int n = (rc.right - rc.left) / st->tm.tmAveCharWidth;
    return n > 0 ? (UINT32)n : 1;
}
