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

// Room for n ints, on the stack for the runs of an ordinary row (painting allocates nothing
// then).
class CIntBuffer
{
public:
    explicit CIntBuffer(int n)
    {
        if (n > (int)std::size(m_local))
            m_heap.resize((size_t)n);
    }
    int* data() { return m_heap.empty() ? m_local : m_heap.data(); }

private:
    int m_local[256];
    std::vector<int> m_heap;
};

// Draws the characters of run (no tab, and no space where spaces are cells) from cell->left,
// skipping those wholly left of the window and stopping after the one cut by cell->right.
// Each character is placed at the advance the measuring functions report: Wine draws small
// sizes of some fonts (those whose gasp table turns smoothing off) with other advances than
// GetTextExtentPoint32W gives, and text drawn with its own advances would drift from the caret,
// the selection and the neighbouring runs. skipped receives the pixels left of the window,
// width the pixels drawn, used the characters consumed (n unless the edge cut the run).
static bool DrawRun(HDC dc, const WCHAR* run, int n, const RECT& cell, COLORREF fill, COLORREF ink,
                    int* skipped, int* width, int* used)
{
    *skipped = 0;
    *width = 0;
    *used = n;
    CIntBuffer extents(n);
    int* extent = extents.data();
    SIZE sz{};
    // Without a fit count every partial extent is filled in.
    if (!GetTextExtentExPointW(dc, run, n, 0, nullptr, extent, &sz))
        return false;
    int first = 0;
    while (first < n && cell.left + extent[first] <= 0)
        ++first;
    int base = first ? extent[first - 1] : 0;
    *skipped = base;
    int room = std::max(0, (int)(cell.right - cell.left) - base);
    int last = first; // one past the last character drawn
    while (last < n && extent[last] - base <= room)
        ++last;
    if (last < n)
        ++last; // the last cell may be cut by the edge
    *used = last;
    int count = last - first;
    if (count <= 0)
        return true;
    CIntBuffer advances(count);
    int* dx = advances.data();
    for (int k = 0; k < count; ++k)
        dx[k] = extent[first + k] - (first + k ? extent[first + k - 1] : 0);
    *width = extent[last - 1] - base;
    RECT rc{cell.left + base, cell.top, cell.left + base + *width, cell.bottom};
    COLORREF oldBack = SetBkColor(dc, fill);
    COLORREF oldText = SetTextColor(dc, ink);
    BOOL ok = ExtTextOutW(dc, rc.left, rc.top, ETO_OPAQUE | ETO_CLIPPED, &rc, run + first,
                          (UINT)count, dx);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
    return ok != FALSE;
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
            int skipped = 0, used = 0;
            if (!DrawRun(dc, text + i, end - i, *cell, fill, opaque ? b : a, &skipped, &w, &used))
                return false;
            // Characters wholly left of the window move the cell without being drawn.
            cell->left += skipped;
            x += skipped;
            drawn += skipped;
            i = used < end - i ? count : end; // the rest lies beyond the clipping edge
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
