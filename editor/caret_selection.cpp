#include "editor/caret_selection.h"

#include <algorithm>

#include "editor/line_paint.h"
#include "editor/mouse_scroll.h"
#include "editor/paint.h"
#include "editor/text_measure.h"
#include "editor/window_common.h"

void RCEValidateRows(RCE_STATE* s)
{
    if (!s->caretRow.valid || !RCECaretLineValid(s))
        RCEFindCaretLine(s);
    UINT32 rows = RCELineCount(s);
    if (!s->topRow.valid || s->topRow.number >= rows || !RCEIsRowStart(s, s->topRow.start) ||
        !RCEIsRowEnd(s, s->topRow.end) || s->topRow.end > s->length)
    {
        UINT32 n = std::min(s->topRow.number, rows ? rows - 1 : 0);
        if (!RCEGetLineRec(s, n, &s->topRow))
            RCEGetLineRec(s, 0, &s->topRow);
        s->topRow.valid = 1;
    }
}

int RCEUpdateCaret(RCE_STATE* s, bool forceRow, UINT32 previousCaretRow)
{
    if (forceRow || !s->caretRow.valid)
        RCEFindCaretLine(s);
    RCEValidateRows(s);
    if (GetFocus() != s->hwnd)
        return 0;
    int y = ((int)s->caretRow.number - (int)s->topRow.number) * RCERowHeight(s);
    int x = RCECaretPixel(s) - RCEShiftX(s);
    if (s->insertMode && x >= 1)
        x -= 1;
    SetCaretPos(x, y);
    if ((s->options & RCEO_CURLINE) && previousCaretRow != s->caretRow.number)
    {
        RCERepaintRows(s, previousCaretRow, previousCaretRow);
        RCERepaintRows(s, s->caretRow.number, s->caretRow.number);
    }
    if (s->notifyBits & RCENF_CARETMOVED)
    {
        RCENMCaretMoved nm{};
        nm.hdr.hwndFrom = s->hwnd;
        nm.hdr.idFrom = (UINT_PTR)RCEControlId(s);
        nm.hdr.code = RCEN_CARETMOVED;
        UINT32 line = 1, col = 1;
        RCEGetCaretLineCol(s, &line, &col);
        nm.line = line;
        nm.column = col + (RCEVirtualSpace(s) ? s->caretVCol : 0);
        HWND parent = GetParent(s->hwnd);
        if (parent)
            RCESendUnlocked(s, parent, WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
    }
    return 1;
}

// Moves the caret and its row record without touching the selection or the view.
static void PlaceCaret(RCE_STATE* s, UINT32 index, UINT32 vcol)
{
    if (index > s->length)
    {
        index = s->length;
        vcol = 0;
    }
    s->caretIndex = index;
    if (RCEHasRows(s))
    {
        RCEFindCaretLine(s);
    }
    else
    {
        RCERowPos from = s->caretRow;
        if (!from.valid || !RCEStepToPos(s, index, &from, &s->caretRow))
            RCEFindCaretLine(s);
    }
    s->caretRow.valid = 1;
    s->caretVCol = RCEVirtualSpace(s) && index == RCEVisibleEnd(s, &s->caretRow) ? vcol : 0;
}

void RCESetCaretIndex(RCE_STATE* s, UINT32 index, UINT32 virtualColumn)
{
    RCEValidateRows(s);
    RCERemoveSelection(s);
    if (RCECaretDiffers(s, index, virtualColumn) || index > s->length)
    {
        s->stickyValid = 0;
        UINT32 prev = s->caretRow.number;
        PlaceCaret(s, index, virtualColumn);
        RCEUpdateCaret(s, false, prev);
    }
    RCEScrollCaretIntoView(s);
}

// Row number of an index, stepping from the caret row.
static UINT32 RowNumberOf(RCE_STATE* s, UINT32 index)
{
    if (RCEHasRows(s))
        return RCERowOf(s, index);
    RCERowPos rec = s->caretRow;
    if (!RCEStepToPos(s, std::min(index, s->length), &s->caretRow, &rec))
        return s->caretRow.number;
    return rec.number;
}

void RCERepaintSpan(RCE_STATE* s, UINT32 a, UINT32 b)
{
    if (a > b)
        std::swap(a, b);
    RCERepaintRows(s, RowNumberOf(s, a), RowNumberOf(s, b));
}

void RCERemoveSelection(RCE_STATE* s)
{
    if (!s->selActive)
        return;
    s->selActive = 0;
    RCERepaintSpan(s, s->anchorIndex, s->caretIndex);
}

UINT32 RCESelLength(const RCE_STATE* s)
{
    if (!s->selActive)
        return 0;
    return s->anchorIndex > s->caretIndex ? s->anchorIndex - s->caretIndex
                                          : s->caretIndex - s->anchorIndex;
}

void RCEExtendTo(RCE_STATE* s, UINT32 index, UINT32 vcol)
{
    RCEAnchorSelection(s, true);
    UINT32 old = s->caretIndex;
    UINT32 prev = s->caretRow.number;
    PlaceCaret(s, index, vcol);
    RCERepaintSpan(s, old, s->caretIndex);
    RCEUpdateCaret(s, false, prev);
}

// Scrolls so that row n is the top row, redrawing when the view moved.
static void ScrollToTop(RCE_STATE* s, UINT32 n)
{
    UINT32 rows = RCELineCount(s);
    UINT32 vis = RCEVisibleLines(s);
    UINT32 maxTop = rows > vis ? rows - vis : 0;
    n = std::min(n, maxTop);
    if (n == s->topRow.number)
        return;
    RCERowPos rec;
    if (!RCEGetLineRec(s, n, &rec))
        return;
    s->topRow = rec;
    s->topRow.valid = 1;
    RCEUpdateVScroll(s);
    RCERedraw(s);
    RCEUpdateCaret(s, false, s->caretRow.number);
}

void RCESelectRange(RCE_STATE* s, int start, int end, const RECT* avoid)
{
    UINT32 a = start < 0 ? 0 : std::min((UINT32)start, s->length);
    UINT32 b = end < 0 ? 0 : std::min((UINT32)end, s->length);
    RCERemoveSelection(s);
    RCESetCaretIndex(s, a, 0);
    if (a != b)
    {
        s->anchorIndex = b;
        s->anchorVCol = 0;
        s->selActive = 1;
        RCERepaintSpan(s, a, b);
    }
    RCEScrollCaretIntoView(s);
    RCEUpdateCaret(s, false, s->caretRow.number);

    UINT32 first = std::min(RowNumberOf(s, a), RowNumberOf(s, b));
    UINT32 last = std::max(RowNumberOf(s, a), RowNumberOf(s, b));
    UINT32 selRows = last - first + 1;
    UINT32 vis = RCEVisibleLines(s);
    if (selRows > vis)
        return;
    int h = RCERowHeight(s);
    if (!avoid)
    {
        UINT32 offset = (vis - selRows) / 2;
        ScrollToTop(s, first >= offset ? first - offset : 0);
        return;
    }
    RECT rc = *avoid;
    MapWindowPoints(nullptr, s->hwnd, (POINT*)&rc, 2);
    RECT client{};
    GetClientRect(s->hwnd, &client);
    int r0 = std::max(0, (int)rc.top) / h;                     // first covered row, relative
    int r1 = std::min((int)client.bottom, (int)rc.bottom) / h; // last covered row, relative
    if (rc.bottom <= 0 || rc.top >= client.bottom || r1 < r0)
        return;
    int top = (int)s->topRow.number;
    int fr = (int)first - top, lr = (int)last - top;
    if (lr < r0 || fr > r1)
        return; // the selection is clear of the rectangle
    int above = r0;
    int below = (int)vis - (r1 + 1);
    if (above >= (int)selRows && (int)first >= (above - (int)selRows) / 2)
    {
        int newTop = (int)first - (above - (int)selRows) / 2;
        ScrollToTop(s, (UINT32)std::max(0, newTop));
    }
    else if (below >= (int)selRows)
    {
        int newTop = (int)first - (r1 + 1) - (below - (int)selRows) / 2;
        ScrollToTop(s, (UINT32)std::max(0, newTop));
    }
}

void RCESetSel(RCE_STATE* s, int start, int end)
{
    if (start == -1)
    {
        RCERemoveSelection(s);
        return;
    }
    if (start == 0 && end == -1)
        end = (int)s->length;
    RCESelectRange(s, start < 0 ? 0 : start, end < 0 ? 0 : end, nullptr);
}

void RCEOnSetSelEx(RCE_STATE* s, const void* record)
{
    const RCESelRange* r = static_cast<const RCESelRange*>(record);
    if (!r)
        return;
    if (r->start == -1)
    {
        RCERemoveSelection(s);
        return;
    }
    int end = r->start == 0 && r->end == -1 ? (int)s->length : r->end;
    RCESelectRange(s, r->start < 0 ? 0 : r->start, end < 0 ? 0 : end, &r->avoid);
}

int RCEOnGoTo(RCE_STATE* s, const void* record)
{
    const RCEGoToLine* g = static_cast<const RCEGoToLine*>(record);
    if (!g || g->line == 0)
        return 0;
    RCEValidateRows(s);
    RCERowPos rec;
    UINT32 lineEnd;
    if (RCEHasRows(s))
    {
        UINT32 row = RCELineToRow(s, g->line - 1);
        if (!RCEGetLineRec(s, row, &rec) || RCERowToLine(s, row) != g->line - 1)
            return 0;
        lineEnd = RCELogicalEnd(s, &rec);
    }
    else
    {
        if (!RCEGetLineRec(s, g->line - 1, &rec))
            return 0;
        lineEnd = RCEVisibleEnd(s, &rec);
    }
    if ((UINT64)rec.start + g->column > lineEnd)
        return 0;
    UINT32 index = rec.start + g->column;
    UINT64 end = std::min<UINT64>((UINT64)index + g->length, s->length);
    RCESelectRange(s, (int)index, (int)end, nullptr);
    // The caret stays at the start of the selection, which stays anchored at its end.
    return 1;
}

int RCEOnGetSelRect(RCE_STATE* s, RECT* rect)
{
    if (!rect)
        return 0;
    SetRectEmpty(rect);
    if (!s->selActive || !s->metricsValid)
        return 0;
    RCEValidateRows(s);
    UINT32 a, acol, b, bcol;
    RCEGetSelRange(s, &a, &acol, &b, &bcol);
    if (a < s->topRow.start)
        return 0;
    UINT32 ra = RowNumberOf(s, a), rb = RowNumberOf(s, b);
    RECT client{};
    GetClientRect(s->hwnd, &client);
    int h = RCERowHeight(s);
    int shift = RCEShiftX(s);
    rect->left = client.left - shift;
    rect->right = client.right - shift;
    rect->top = ((int)ra - (int)s->topRow.number) * h;
    rect->bottom = ((int)rb - (int)s->topRow.number + 1) * h;
    MapWindowPoints(s->hwnd, nullptr, (POINT*)rect, 2);
    return 1;
}

static bool IsCombining(WCHAR c)
{
    WORD type = 0;
    return c >= 0x300 && GetStringTypeW(CT_CTYPE3, &c, 1, &type) && (type & C3_NONSPACING);
}

static bool IsBlank(WCHAR c)
{
    return c == L' ' || c == L'\t';
}

// One character step right (a CR LF pair and a character with its combining marks are one).
static UINT32 StepRight(const RCE_STATE* s, UINT32 i)
{
    const WCHAR* t = s->text;
    if (i >= s->length)
        return s->length;
    if (t[i] == L'\r' && i + 1 < s->length && t[i + 1] == L'\n')
        return i + 2;
    ++i;
    while (i < s->length && IsCombining(t[i]))
        ++i;
    return i;
}

static UINT32 StepLeft(const RCE_STATE* s, UINT32 i)
{
    const WCHAR* t = s->text;
    if (i == 0)
        return 0;
    --i;
    if (t[i] == L'\n' && i > 0 && t[i - 1] == L'\r')
        --i;
    while (i > 0 && IsCombining(t[i]))
        --i;
    return i;
}

static UINT32 WordLeft(const RCE_STATE* s, UINT32 i)
{
    const WCHAR* t = s->text;
    while (i > 0 && IsBlank(t[i - 1]))
        --i;
    if (i > 0 && RCEIsIdent(t[i - 1]))
    {
        while (i > 0 && RCEIsIdent(t[i - 1]))
            --i;
    }
    else
    {
        while (i > 0 && !RCEIsIdent(t[i - 1]) && !IsBlank(t[i - 1]))
            --i;
        if (i > 0 && t[i] == L'\n' && t[i - 1] == L'\r')
            --i;
    }
    return i;
}

static UINT32 WordRight(const RCE_STATE* s, UINT32 i)
{
    const WCHAR* t = s->text;
    UINT32 n = s->length;
    if (i >= n)
        return n;
    if (IsBlank(t[i]))
    {
        while (i < n && IsBlank(t[i]))
            ++i;
    }
    else if (RCEIsIdent(t[i]))
    {
        while (i < n && RCEIsIdent(t[i]))
            ++i;
        while (i < n && IsBlank(t[i]))
            ++i;
    }
    else
    {
        while (i < n && !RCEIsIdent(t[i]) && !IsBlank(t[i]))
            ++i;
        while (i < n && IsBlank(t[i]))
            ++i;
    }
    return i;
}

// Caret pixel x within its row (the sticky x of vertical moves).
static int CaretX(RCE_STATE* s)
{
    if (!s->stickyValid)
    {
        s->stickyX = (UINT32)std::max(0, RCECaretPixel(s));
        s->stickyValid = 1;
    }
    return (int)s->stickyX;
}

// The position at pixel x of a row.
static void PosAtX(RCE_STATE* s, const RCERowPos& rec, int x, UINT32* index, UINT32* vcol)
{
    UINT32 col = RCEPixelToColumn(s, &rec, x);
    RCEColumnToPos(s, col, &rec, index, vcol);
}

struct SelSnapshot
{
    bool had;
    UINT32 a, acol, b, bcol;
    UINT32 caret;
};

static SelSnapshot TakeSel(const RCE_STATE* s)
{
    SelSnapshot snap{};
    snap.had = s->selActive && RCECaretDiffers(s, s->anchorIndex, s->anchorVCol);
    RCEGetSelRange(s, &snap.a, &snap.acol, &snap.b, &snap.bcol);
    snap.caret = s->caretIndex;
    return snap;
}

// Ends a movement: repaints the selection change, scrolls the caret into view and places it.
static void FinishMove(RCE_STATE* s, const SelSnapshot& before, bool extend, UINT32 prevRow)
{
    if (extend)
    {
        RCERepaintSpan(s, before.caret, s->caretIndex);
    }
    else if (s->selActive)
    {
        s->selActive = 0;
        if (before.had)
            RCERepaintSpan(s, before.a, before.b);
    }
    RCEScrollCaretIntoView(s);
    RCEUpdateCaret(s, false, prevRow);
}

// One row up or down aiming at the sticky x; false at the first or last row.
static bool StepRow(RCE_STATE* s, bool down)
{
    int x = CaretX(s);
    RCERowPos rec = s->caretRow;
    if (!RCEStepLine(s, &rec, down))
        return false;
    UINT32 idx, vcol;
    PosAtX(s, rec, x, &idx, &vcol);
    s->caretIndex = idx;
    s->caretRow = rec;
    s->caretRow.valid = 1;
    if (RCEHasRows(s) && !RCECaretLineValid(s))
        RCEFindCaretLine(s);
    s->caretVCol = RCEVirtualSpace(s) ? vcol : 0;
    // Keep the caret row in view one row at a time.
    if (s->caretRow.number < s->topRow.number)
        RCEScrollOneRow(s, false);
    else if (s->caretRow.number >= s->topRow.number + RCEVisibleLines(s))
        RCEScrollOneRow(s, true);
    return true;
}

void RCEMoveCaret(RCE_STATE* s, int rows, int characters, bool shiftExtends, bool wordMode,
                  bool forceExtend)
{
    if (!s->text)
        return;
    RCEValidateRows(s);
    bool extend = forceExtend || (shiftExtends && GetKeyState(VK_SHIFT) < 0);
    SelSnapshot before = TakeSel(s);
    UINT32 prevRow = s->caretRow.number;
    if (extend)
        RCEAnchorSelection(s, true);

    if (rows == 0)
    {
        s->stickyValid = 0;
        UINT32 idx = s->caretIndex;
        UINT32 vcol = RCEVirtualSpace(s) ? s->caretVCol : 0;
        int n = characters < 0 ? -characters : characters;
        if (wordMode)
        {
            for (int k = 0; k < n; ++k)
                idx = characters < 0 ? WordLeft(s, idx) : WordRight(s, idx);
            vcol = 0;
        }
        else if (before.had && !extend)
        {
            idx = characters < 0 ? before.a : before.b;
            vcol = characters < 0 ? before.acol : before.bcol;
        }
        else
        {
            for (int k = 0; k < n; ++k)
            {
                if (characters > 0)
                {
                    RCERowPos rec = s->caretRow;
                    if (RCEVirtualSpace(s) && idx == RCEVisibleEnd(s, &rec))
                    {
                        UINT32 maxV = RCEMaxVirtualColumns(s, &rec);
                        if (vcol < maxV)
                            ++vcol;
                    }
                    else
                    {
                        idx = StepRight(s, idx);
                        vcol = 0;
                    }
                }
                else
                {
                    if (vcol > 0)
                        --vcol;
                    else
                        idx = StepLeft(s, idx);
                }
                PlaceCaret(s, idx, vcol);
            }
        }
        PlaceCaret(s, idx, vcol);
        if (s->caretRow.number < s->topRow.number)
            RCEScrollOneRow(s, false);
        else if (s->caretRow.number >= s->topRow.number + RCEVisibleLines(s))
            RCEScrollOneRow(s, true);
    }
    else
    {
        bool down = rows > 0;
        int n = rows < 0 ? -rows : rows;
        bool ctrl = GetKeyState(VK_CONTROL) < 0;
        if (!ctrl && before.had && !extend)
        {
            UINT32 target = down ? before.b : before.a;
            s->stickyValid = 0;
            PlaceCaret(s, target, down ? before.bcol : before.acol);
        }
        for (int k = 0; k < n; ++k)
        {
            if (ctrl)
            {
                RCEScrollOneRow(s, down);
                UINT32 vis = RCEVisibleLines(s);
                if (s->caretRow.number < s->topRow.number)
                    StepRow(s, true);
                else if (s->caretRow.number >= s->topRow.number + vis)
                    StepRow(s, false);
            }
            else if (!StepRow(s, down))
            {
                break;
            }
        }
    }
    FinishMove(s, before, extend, prevRow);
}

void RCEMoveHomeEnd(RCE_STATE* s, bool end, bool extend)
{
    RCEValidateRows(s);
    SelSnapshot before = TakeSel(s);
    UINT32 prevRow = s->caretRow.number;
    if (extend)
        RCEAnchorSelection(s, true);
    s->stickyValid = 0;
    RCERowPos rec = s->caretRow;
    UINT32 idx;
    if (end)
    {
        idx = RCEVisibleEnd(s, &rec);
        if (RCEHasRows(s) && rec.end < s->length && s->text[rec.end] != L'\n' && idx > rec.start &&
            idx == rec.end)
            --idx; // a wrapped row: stay on it
    }
    else
    {
        UINT32 first = RCEFirstNonBlank(s->text, rec.start, RCEVisibleEnd(s, &rec), s->length);
        idx = s->caretIndex == first ? rec.start : first;
    }
    PlaceCaret(s, idx, 0);
    FinishMove(s, before, extend, prevRow);
}

void RCEMoveDocHomeEnd(RCE_STATE* s, bool end, bool extend)
{
    RCEValidateRows(s);
    SelSnapshot before = TakeSel(s);
    UINT32 prevRow = s->caretRow.number;
    if (extend)
        RCEAnchorSelection(s, true);
    s->stickyValid = 0;
    if (!end)
    {
        PlaceCaret(s, 0, 0);
        if (s->topRow.number != 0)
        {
            RCEGetLineRec(s, 0, &s->topRow);
            s->topRow.valid = 1;
            RCEUpdateVScroll(s);
            RCERedraw(s);
        }
    }
    else
    {
        PlaceCaret(s, s->length, 0);
        UINT32 rows = RCELineCount(s), vis = RCEVisibleLines(s);
        UINT32 top = rows > vis ? rows - vis : 0;
        if (top != s->topRow.number && RCEGetLineRec(s, top, &s->topRow))
        {
            s->topRow.valid = 1;
            RCEUpdateVScroll(s);
            RCERedraw(s);
        }
    }
    FinishMove(s, before, extend, prevRow);
}

void RCEMovePage(RCE_STATE* s, int pages, bool extend)
{
    RCEValidateRows(s);
    SelSnapshot before = TakeSel(s);
    UINT32 prevRow = s->caretRow.number;
    if (extend)
        RCEAnchorSelection(s, true);
    bool down = pages > 0;
    int n = pages < 0 ? -pages : pages;
    UINT32 vis = RCEVisibleLines(s);
    for (int k = 0; k < n; ++k)
    {
        int x = CaretX(s);
        RCERowPos rec = s->caretRow;
        UINT32 moved = 0;
        while (moved < vis && RCEStepLine(s, &rec, down))
            ++moved;
        if (!moved)
            break;
        UINT32 idx, vcol;
        PosAtX(s, rec, x, &idx, &vcol);
        s->caretIndex = idx;
        s->caretRow = rec;
        s->caretRow.valid = 1;
        if (RCEHasRows(s) && !RCECaretLineValid(s))
            RCEFindCaretLine(s);
        s->caretVCol = RCEVirtualSpace(s) ? vcol : 0;
        RCEScrollVert(s, down ? 3 : 2, 1, prevRow);
    }
    FinishMove(s, before, extend, prevRow);
}
