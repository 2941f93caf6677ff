#include "editor/line_paint.h"

#include <algorithm>
#include <vector>

#include "util/utility.h"
#include "editor/text_measure.h"
#include "editor/window_common.h"

static const WCHAR kSpaceMark = 0x00B7; // middle dot
static const WCHAR kTabMark = 0x00BB;   // right-pointing guillemet

static void FillCell(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    RECT rc{left, top, right, bottom};
    COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

static void DrawMark(HDC dc, WCHAR mark, int left, int top, COLORREF colour)
{
    COLORREF oldText = SetTextColor(dc, colour);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, left, top, &mark, 1);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldText);
}

bool RCEPaintRun(RCE_STATE* s, HDC dc, COLORREF a, COLORREF b, int x, const WCHAR* text, int count,
                 RECT* cell, bool opaque, int* width)
{
    bool marks = (s->options & RCEO_SHOWSPACES) != 0;
    bool spacesAreCells = true;
    bool spaceKnown = false;
    int spaceWidth = 0;
    COLORREF fill = opaque ? a : GetBkColor(dc);
    COLORREF markColour = opaque ? b : a;
    int drawn = 0;
    int i = 0;
    while (i < count && cell->left < cell->right)
    {
        WCHAR c = text[i];
        if (c == L' ' && !spaceKnown)
        {
            bool equal = false;
            RCESpaceWidth(dc, &spaceWidth, &equal);
            spaceKnown = true;
            spacesAreCells = marks || !equal;
        }
        int w = 0;
        if (c == L'\t' || (c == L' ' && spacesAreCells))
        {
            if (c == L'\t')
            {
                w = std::max(0, RCETabWidth(dc, s, x));
                if (marks)
                {
                    SIZE sz{};
                    if (GetTextExtentPoint32W(dc, &kTabMark, 1, &sz))
                        w = std::max(w, (int)sz.cx);
                }
            }
            else
            {
                w = spaceWidth;
            }
            FillCell(dc, cell->left, cell->top, cell->left + w, cell->bottom, fill);
            if (marks)
                DrawMark(dc, c == L'\t' ? kTabMark : kSpaceMark, cell->left, cell->top, markColour);
            ++i;
        }
        else
        {
            int end = i;
            while (end < count && text[end] != L'\t' && (text[end] != L' ' || !spacesAreCells))
                ++end;
            int n = end - i;
            const WCHAR* run = text + i;
            // Characters wholly left of the window are skipped.
            if (cell->left < 0)
            {
                int fit = 0;
                std::vector<int> dx((size_t)n);
                SIZE sz{};
                if (!GetTextExtentExPointW(dc, run, n, -cell->left, &fit, dx.data(), &sz))
                    return false;
                if (fit > 0)
                {
                    int skipped = dx[(size_t)fit - 1];
                    cell->left += skipped;
                    x += skipped;
                    drawn += skipped;
                    run += fit;
                    n -= fit;
                    i += fit;
                }
            }
            if (n > 0)
            {
                int fit = 0;
                SIZE sz{};
                int room = std::max(0, (int)(cell->right - cell->left));
                if (!GetTextExtentExPointW(dc, run, n, room, &fit, nullptr, &sz))
                    return false;
                int take = std::min(n, fit + 1); // the last cell may be cut by the edge
                if (!GetTextExtentPoint32W(dc, run, take, &sz))
                    return false;
                w = sz.cx;
                RECT rc{cell->left, cell->top, cell->left + w, cell->bottom};
                FillCell(dc, rc.left, rc.top, rc.right, rc.bottom, fill);
                COLORREF oldText = SetTextColor(dc, opaque ? b : a);
                int oldMode = SetBkMode(dc, TRANSPARENT);
                DrawTextW(dc, run, take, &rc, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
                SetBkMode(dc, oldMode);
                SetTextColor(dc, oldText);
                i += take;
                if (take < n)
                {
                    i = count; // the rest lies beyond the clipping edge
                }
            }
            else
            {
                i = end;
            }
        }
        cell->left += w;
        x += w;
        drawn += w;
    }
    if (width)
        *width += drawn;
    return true;
}

COLORREF RCEBackColor(RCE_STATE* s)
{
    if (RCEReadOnly(s) && !(s->options & RCEO_READONLYWHITE))
        return GetSysColor(COLOR_BTNFACE);
    return GetSysColor(COLOR_WINDOW);
}

COLORREF RCELineBackColor(RCE_STATE* s, const RCERowPos& row)
{
    COLORREF back = RCEBackColor(s);
    if ((s->options & RCEO_CURLINE) && row.number == s->caretRow.number)
        return BlendColors(back, GetSysColor(COLOR_HIGHLIGHT), 224);
    return back;
}

bool RCECreateCaret(RCE_STATE* s)
{
    int w = 2, h = 16;
    if (s->metricsValid)
    {
        h = s->tm.tmHeight;
        w = s->insertMode ? 2 : std::max(1, (int)s->tm.tmAveCharWidth);
    }
    return CreateCaret(s->hwnd, nullptr, w, h) != 0;
}

UINT32 RCEWidestColumns(RCE_STATE* s)
{
    int w = RCEColumnWidth(s);
    return (s->widestRow + w - 1) / w;
}

void RCEUpdateHScroll(RCE_STATE* s)
{
    s->hscrollPending = 0;
    RCESetHScrollInfo(s, true);
}

void RCESetHScrollInfo(RCE_STATE* s, bool redraw)
{
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS};
    if (!RCEWrapOn(s))
    {
        int cols = (int)RCEWidestColumns(s);
        si.nMin = 0;
        si.nMax = cols < 1 || !s->metricsValid ? 0 : cols - 1;
        si.nPage = RCEVisibleColumns(s);
        si.nPos = (int)s->firstVisibleColumn;
    }
    SetScrollInfo(s->hwnd, SB_HORZ, &si, redraw);
}

static const UINT_PTR kBarTimer = 2;

void RCERequestHScrollUpdate(RCE_STATE* s)
{
    // The range is set at once; drawing the bar (slow) waits for a short timer, so that a run
    // of keystrokes that widen the row draws it once.
    RCESetHScrollInfo(s, false);
    if (!s->hscrollPending)
    {
        if (SetTimer(s->hwnd, kBarTimer, 100, nullptr))
            s->hscrollPending = 1;
        else
            RCEUpdateHScroll(s);
    }
}

bool RCEOnScrollBarTimer(RCE_STATE* s, UINT_PTR id)
{
    if (id != kBarTimer)
        return false;
    KillTimer(s->hwnd, kBarTimer);
    if (s->hscrollPending)
        RCEUpdateHScroll(s);
    return true;
}

void RCEUpdateVScroll(RCE_STATE* s)
{
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS};
    UINT32 rows = RCELineCount(s);
    si.nMin = 0;
    if (RCEWrapOn(s))
        si.nMax = s->wrapRows.empty() ? 1 : (int)rows - 1;
    else
        si.nMax = (int)rows - 1;
    si.nPage = RCEVisibleLines(s);
    si.nPos = (int)s->topRow.number;
    if (RCEWrapOn(s) && si.nMax >= 0 && (UINT)si.nMax < si.nPage)
    {
        si.fMask |= SIF_DISABLENOSCROLL;
        ShowScrollBar(s->hwnd, SB_VERT, TRUE);
    }
    else
    {
        EnableScrollBar(s->hwnd, SB_VERT, ESB_ENABLE_BOTH);
    }
    SetScrollInfo(s->hwnd, SB_VERT, &si, TRUE);
}

void RCEUpdateScrollBars(RCE_STATE* s, bool verticalFirst)
{
    if (verticalFirst)
    {
        RCEUpdateVScroll(s);
        RCEUpdateHScroll(s);
    }
    else
    {
        RCEUpdateHScroll(s);
        RCEUpdateVScroll(s);
    }
}

int RCEGetHScrollPos(RCE_STATE* s)
{
    SCROLLINFO si{sizeof(si), SIF_POS};
    if (!GetScrollInfo(s->hwnd, SB_HORZ, &si))
        si.nPos = 0;
    s->firstVisibleColumn = (UINT32)std::max(0, si.nPos);
    return si.nPos;
}

int RCEGetVScrollPos(RCE_STATE* s)
{
    SCROLLINFO si{sizeof(si), SIF_POS};
    if (!GetScrollInfo(s->hwnd, SB_VERT, &si))
        si.nPos = 0;
    return si.nPos;
}

bool RCECaretHScroll(RCE_STATE* s, int* delta)
{
    *delta = 0;
    int w = RCEColumnWidth(s);
    int x = RCECaretPixel(s);
    int left = (int)s->firstVisibleColumn * w;
    int right = left + (int)RCEVisibleColumns(s) * w;
    if (right <= left || (x >= left && x <= right))
        return true;
    if (x > right)
        *delta = (x - right + w - 1) / w;
    else
        *delta = -((left - x + w - 1) / w);
    return false;
}
