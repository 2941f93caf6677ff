#include "editor/mouse_scroll.h"

#include <algorithm>

#include "editor/caret_selection.h"
#include "editor/line_paint.h"
#include "editor/paint.h"
#include "editor/text_measure.h"
#include "editor/window_common.h"

static const UINT_PTR kDragTimer = 1;

bool RCEScrollOneRow(RCE_STATE* s, bool down)
{
    RCEValidateRows(s);
    RCERowPos rec = s->topRow;
    if (down)
    {
        if (s->topRow.number + RCEVisibleLines(s) >= RCELineCount(s))
            return false;
        if (!RCEStepLine(s, &rec, true))
            return false;
        if (s->colouringActive)
        {
            RCELineState ls;
            RCEStateAtRow(s, rec, &ls);
        }
    }
    else
    {
        if (s->topRow.number == 0 || !RCEStepLine(s, &rec, false))
            return false;
    }
    s->topRow = rec;
    s->topRow.valid = 1;
    RCEUpdateVScroll(s);
    RCERedraw(s);
    return true;
}

void RCEScrollVert(RCE_STATE* s, int action, int count, UINT32 previousCaretRow)
{
    RCEValidateRows(s);
    UINT32 before = s->topRow.number;
    UINT32 vis = RCEVisibleLines(s);
    UINT32 rows = RCELineCount(s);
    UINT32 maxTop = rows > vis ? rows - vis : 0;
    UINT32 target = before;
    switch (action)
    {
    case SB_LINEUP: target = before > (UINT32)count ? before - count : 0; break;
    case SB_LINEDOWN:
        target = std::min<UINT64>((UINT64)before + count, maxTop);
        if (target < before)
            target = before;
        break;
    case SB_PAGEUP: target = before > vis ? before - vis : 0; break;
    case SB_PAGEDOWN: target = std::max(before, std::min<UINT32>(before + vis, maxTop)); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO si{sizeof(si), SIF_TRACKPOS};
        if (GetScrollInfo(s->hwnd, SB_VERT, &si))
            target = std::min<UINT32>((UINT32)std::max(0, si.nTrackPos), maxTop);
        break;
    }
    default: break;
    }
    if (target != before)
    {
        RCERowPos rec;
        if (RCEGetLineRec(s, target, &rec))
        {
            if (s->colouringActive && target > before)
            {
                RCELineState ls;
                RCEStateAtRow(s, rec, &ls);
            }
            s->topRow = rec;
            s->topRow.valid = 1;
            SCROLLINFO si{sizeof(si), SIF_POS};
            si.nPos = (int)s->topRow.number;
            SetScrollInfo(s->hwnd, SB_VERT, &si, TRUE);
            RCERedraw(s);
        }
    }
    RCEUpdateCaret(s, false, previousCaretRow);
}

void RCEScrollHorz(RCE_STATE* s, int action, int count, UINT32 previousCaretRow)
{
    int before = (int)s->firstVisibleColumn;
    int vis = (int)RCEVisibleColumns(s);
    int target = before;
    SCROLLINFO range{sizeof(range), SIF_RANGE | SIF_PAGE};
    GetScrollInfo(s->hwnd, SB_HORZ, &range);
    switch (action)
    {
    case SB_LINELEFT: target = std::max(0, before - count); break;
    case SB_LINERIGHT: target = before + count; break;
    case SB_PAGELEFT: target = std::max(0, before - vis); break;
    case SB_PAGERIGHT: target = std::max(before, std::min(before + vis, range.nMax)); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO si{sizeof(si), SIF_TRACKPOS};
        if (GetScrollInfo(s->hwnd, SB_HORZ, &si))
            target = std::max(0, si.nTrackPos);
        break;
    }
    default: break;
    }
    if (target != before)
    {
        s->firstVisibleColumn = (UINT32)target;
        SCROLLINFO si{sizeof(si), SIF_POS};
        si.nPos = target;
        SetScrollInfo(s->hwnd, SB_HORZ, &si, TRUE);
        RCERedraw(s);
    }
    RCEUpdateCaret(s, false, previousCaretRow);
}

void RCEScrollCaretIntoView(RCE_STATE* s)
{
    RCEValidateRows(s);
    bool changed = false;
    UINT32 vis = RCEVisibleLines(s);
    UINT32 rows = RCELineCount(s);
    UINT32 caret = s->caretRow.number;
    UINT32 top = s->topRow.number;
    UINT32 newTop = top;
    if (caret < top)
        newTop = caret;
    else if (caret >= top + vis)
        newTop = caret - vis + 1;
    // No empty space below the text.
    UINT32 maxTop = rows > vis ? rows - vis : 0;
    if (newTop > maxTop)
        newTop = maxTop;
    if (newTop != top)
    {
        if (newTop == top + 1)
        {
            RCEScrollOneRow(s, true);
        }
        else
        {
            RCERowPos rec;
            if (RCEGetLineRec(s, newTop, &rec))
            {
                s->topRow = rec;
                s->topRow.valid = 1;
            }
            RCEUpdateVScroll(s);
        }
        changed = true;
    }
    if (!RCEWrapOn(s))
    {
        int delta = 0;
        if (!RCECaretHScroll(s, &delta) && delta)
        {
            int visCols = (int)RCEVisibleColumns(s);
            int col = (int)s->firstVisibleColumn;
            if (delta > 0)
            {
                int maxCol = std::max(0, (int)RCEWidestColumns(s) - visCols);
                col = std::min(col + delta + visCols / 5, std::max(maxCol, col + delta));
            }
            else
            {
                col = std::max(0, col + delta - visCols / 5);
            }
            if (col != (int)s->firstVisibleColumn)
            {
                s->firstVisibleColumn = (UINT32)col;
                RCEUpdateHScroll(s);
                changed = true;
            }
        }
    }
    if (changed)
    {
        RCERedraw(s);
        RCEUpdateCaret(s, false, s->caretRow.number);
    }
}

bool RCEHitTest(RCE_STATE* s, int x, int y, UINT32* index, UINT32* vcol)
{
    if (!s->metricsValid || y < 0)
        return false;
    RCEValidateRows(s);
    UINT32 n = (UINT32)(y / RCERowHeight(s));
    RCERowPos rec = s->topRow;
    for (UINT32 k = 0; k < n; ++k)
        if (!RCEStepLine(s, &rec, true))
            return false;
    int px = std::max(0, x + RCEShiftX(s));
    UINT32 col = RCEPixelToColumn(s, &rec, px);
    RCEColumnToPos(s, col, &rec, index, vcol);
    if (!RCEVirtualSpace(s))
        *vcol = 0;
    return true;
}

void RCEOnLButtonDown(RCE_STATE* s, int x, int y, bool doubleClick)
{
    SetFocus(s->hwnd);
    if (!doubleClick)
    {
        SetCapture(s->hwnd);
        s->mouseCapture = 1;
    }
    RCEValidateRows(s);
    RECT client{};
    GetClientRect(s->hwnd, &client);
    UINT32 index, vcol;
    POINT pt{x, y};
    if (PtInRect(&client, pt) && RCEHitTest(s, x, y, &index, &vcol))
    {
        RCERemoveSelection(s);
        s->stickyValid = 0;
        RCESetCaretIndex(s, index, vcol);
    }
    else if (PtInRect(&client, pt))
    {
        RCEMoveDocHomeEnd(s, true, false);
    }
    if (doubleClick && s->text && s->caretIndex < s->length && RCEIsIdent(s->text[s->caretIndex]))
    {
        UINT32 from, to;
        if (RCEWordAt(s, &from, &to))
        {
            RCESetCaretIndex(s, from, 0);
            RCEExtendTo(s, to + 1, 0);
        }
    }
    RCEUpdateCaret(s, true, s->caretRow.number);
}

void RCEOnLButtonUp(RCE_STATE* s)
{
    if (s->mouseCapture)
    {
        s->mouseCapture = 0;
        ReleaseCapture();
    }
}

void RCEOnMouseMove(RCE_STATE* s, int x, int y, WPARAM keys)
{
    if (!(keys & MK_LBUTTON) || !s->mouseCapture)
        return;
    RECT client{};
    bool haveClient = GetClientRect(s->hwnd, &client) != 0;
    if (!haveClient || (y >= client.top && y < client.bottom))
    {
        UINT32 index, vcol;
        if (RCEHitTest(s, x, y, &index, &vcol))
            RCEExtendTo(s, index, vcol);
        else
            RCEExtendTo(s, s->length, 0);
        RCEScrollCaretIntoView(s);
    }
    else if (!s->timerId)
    {
        s->timerId = SetTimer(s->hwnd, kDragTimer, 50, nullptr);
    }
}

void RCEOnCaptureChanged(RCE_STATE* s)
{
    if (s->timerId)
    {
        KillTimer(s->hwnd, s->timerId);
        s->timerId = 0;
    }
    s->mouseCapture = 0;
}

void RCEOnTimer(RCE_STATE* s, UINT_PTR id)
{
    if (id != kDragTimer || !s->mouseCapture)
        return;
    POINT pt;
    RECT client{};
    GetCursorPos(&pt);
    ScreenToClient(s->hwnd, &pt);
    GetClientRect(s->hwnd, &client);
    if (PtInRect(&client, pt))
    {
        KillTimer(s->hwnd, s->timerId);
        s->timerId = 0;
        return;
    }
    int dir = pt.y < client.top ? -1 : pt.y >= client.bottom ? 1 : 0;
    if (dir)
        for (int k = 0; k < 2; ++k)
            RCEMoveCaret(s, dir, 0, false, false, true);
}

void RCEOnRButtonDown(RCE_STATE* s, int x, int y)
{
    SetFocus(s->hwnd);
    if (s->selActive && RCECaretDiffers(s, s->anchorIndex, s->anchorVCol))
        return;
    UINT32 index, vcol;
    if (RCEHitTest(s, x, y, &index, &vcol))
        RCESetCaretIndex(s, index, vcol);
}

// Turns wheel deltas into steps of WHEEL_DELTA; positive steps count up.
static int WheelSteps(INT32* remainder, int delta)
{
    if ((*remainder > 0 && delta < 0) || (*remainder < 0 && delta > 0))
        *remainder = 0;
    *remainder += delta;
    int steps = 0;
    while (*remainder >= WHEEL_DELTA)
    {
        *remainder -= WHEEL_DELTA;
        ++steps;
    }
    while (*remainder <= -WHEEL_DELTA)
    {
        *remainder += WHEEL_DELTA;
        --steps;
    }
    return steps;
}

void RCEOnMouseWheel(RCE_STATE* s, int delta)
{
    int steps = WheelSteps(&s->wheelRemainderV, delta);
    UINT32 prev = s->caretRow.number;
    for (; steps > 0; --steps)
    {
        if (s->wheelLines == WHEEL_PAGESCROLL)
            RCEScrollVert(s, SB_PAGEUP, 1, prev);
        else if (s->wheelLines)
            RCEScrollVert(s, SB_LINEUP, (int)s->wheelLines, prev);
    }
    for (; steps < 0; ++steps)
    {
        if (s->wheelLines == WHEEL_PAGESCROLL)
            RCEScrollVert(s, SB_PAGEDOWN, 1, prev);
        else if (s->wheelLines)
            RCEScrollVert(s, SB_LINEDOWN, (int)s->wheelLines, prev);
    }
}

void RCEOnMouseHWheel(RCE_STATE* s, int delta)
{
    int steps = WheelSteps(&s->wheelRemainderH, delta);
    UINT32 prev = s->caretRow.number;
    for (; steps > 0; --steps)
        RCEScrollHorz(s, SB_LINERIGHT, (int)s->wheelColumns, prev);
    for (; steps < 0; ++steps)
        RCEScrollHorz(s, SB_LINELEFT, (int)s->wheelColumns, prev);
}

void RCEOnSetFocus(RCE_STATE* s)
{
    RCECreateCaret(s);
    RCEUpdateCaret(s, false, s->caretRow.number);
    ShowCaret(s->hwnd);
}

void RCEOnKillFocus(RCE_STATE* s)
{
    (void)s;
    DestroyCaret();
}
