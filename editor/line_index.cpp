#include "editor/line_index.h"

#include <algorithm>

#include "editor/rce_messages.h"
#include "editor/text_buffer.h"

namespace {

// Index of the first row whose start is above i.
size_t RowUpper(const RCE_STATE* st, UINT32 i)
{
    const auto& rows = st->wrapRows;
    return std::upper_bound(rows.begin(), rows.end(), i,
                            [](UINT32 v, const RCEWrapRow& r) { return v < r.start; }) -
           rows.begin();
}

// The row that starts exactly at i, or -1.
INT64 RowStartingAt(const RCE_STATE* st, UINT32 i)
{
    size_t k = RowUpper(st, i);
    if (k > 0 && st->wrapRows[k - 1].start == i)
        return (INT64)(k - 1);
    return -1;
}

bool IsWrapPoint(const RCE_STATE* st, UINT32 i)
{
    return i > 0 && st->text[i - 1] != L'\n';
}

} // namespace

bool RCEHasRows(const RCE_STATE* st)
{
    return (st->options & RCEO_WORDWRAP) && !st->wrapRows.empty();
}

UINT32 RCELineCount(const RCE_STATE* st)
{
    return RCEHasRows(st) ? (UINT32)st->wrapRows.size() : st->lineCount;
}

bool RCEIsRowStart(const RCE_STATE* st, UINT32 i)
{
    if (RCEIsLineStart(st, i))
        return true;
    return RCEHasRows(st) && RowStartingAt(st, i) >= 0;
}

bool RCEIsRowEnd(const RCE_STATE* st, UINT32 i)
{
    if (i >= st->length || st->text[i] == L'\n')
        return true;
    return RCEHasRows(st) && IsWrapPoint(st, i) && RowStartingAt(st, i) >= 0;
}

UINT32 RCERowOf(const RCE_STATE* st, UINT32 i)
{
    if (!RCEHasRows(st))
        return 0;
    size_t k = RowUpper(st, i);
    return k > 0 ? (UINT32)(k - 1) : 0;
}

void RCERowStart(const RCE_STATE* st, RCERowPos* rec)
{
    if (!RCEHasRows(st))
    {
        RCELineStartBack(st, rec);
        return;
    }
    UINT32 row = RCERowOf(st, rec->end);
    if (row > 0 && st->wrapRows[row].start == rec->end && IsWrapPoint(st, rec->end))
        --row;
    rec->number = row;
    rec->start = st->wrapRows[row].start;
}

void RCERowEnd(const RCE_STATE* st, RCERowPos* rec)
{
    if (RCEHasRows(st))
    {
        INT64 k = RowStartingAt(st, rec->start);
        if (k >= 0 && (size_t)k + 1 < st->wrapRows.size())
        {
            UINT32 next = st->wrapRows[k + 1].start;
            rec->end = (next > 0 && st->text[next - 1] == L'\n') ? next - 1 : next;
            return;
        }
    }
    RCELineEndForward(st, rec);
}

bool RCEStepLine(const RCE_STATE* st, RCERowPos* rec, bool forward)
{
    if (forward)
    {
        if (rec->end >= st->length)
            return false;
        rec->number += 1;
        rec->start = st->text[rec->end] == L'\n' ? rec->end + 1 : rec->end;
        RCERowEnd(st, rec);
        return true;
    }
    if (rec->start == 0)
        return false;
    UINT32 number = rec->number;
    rec->end = st->text[rec->start - 1] == L'\n' ? rec->start - 1 : rec->start;
    RCERowStart(st, rec);
    if (!RCEHasRows(st))
        rec->number = number - 1;
    return true;
}

bool RCEStepToPos(const RCE_STATE* st, UINT32 i, const RCERowPos* from, RCERowPos* rec)
{
    *rec = *from;
    bool forward = i >= rec->start;
    while (!(rec->start <= i && i <= rec->end))
    {
        if (!RCEStepLine(st, rec, forward))
            return false;
    }
    return true;
}

UINT32 RCERowToLine(const RCE_STATE* st, UINT32 row)
{
    if (!RCEHasRows(st))
        return row;
    const auto& rows = st->wrapRows;
    if (row < rows.size())
        return rows[row].line;
    return rows.back().line + (row - (UINT32)rows.size() + 1);
}

UINT32 RCELineToRow(const RCE_STATE* st, UINT32 line)
{
    if (!RCEHasRows(st))
        return line;
    const auto& rows = st->wrapRows;
    return (UINT32)(std::lower_bound(rows.begin(), rows.end(), line,
                                     [](const RCEWrapRow& r, UINT32 v) { return r.line < v; }) -
                    rows.begin());
}

UINT32 RCELastRowOfLine(const RCE_STATE* st, UINT32 line)
{
    if (!RCEHasRows(st))
        return line;
    const auto& rows = st->wrapRows;
    size_t k = std::upper_bound(rows.begin(), rows.end(), line,
                                [](UINT32 v, const RCEWrapRow& r) { return v < r.line; }) -
               rows.begin();
    return k > 0 ? (UINT32)(k - 1) : 0;
}

void RCERowToLineRec(const RCE_STATE* st, const RCERowPos* row, RCERowPos* line)
{
    RCERowPos r = *row;
    line->number = RCERowToLine(st, row->number);
    line->end = row->start;
    RCELineStartBack(st, line);
    RCELineEndForward(st, line);
    line->valid = r.valid;
}

UINT32 RCELogicalEnd(const RCE_STATE* st, const RCERowPos* row)
{
    RCERowPos line = *row;
    RCELineEndForward(st, &line);
    return RCEVisibleEnd(st, &line);
}

namespace {

// A kept record that may serve as a starting point for a walk.
bool Usable(const RCE_STATE* st, const RCERowPos& r)
{
    return r.valid && r.start <= r.end && r.end <= st->length && RCEIsLineStart(st, r.start) &&
           RCEIsLineEnd(st, r.end) && (r.end == st->length || st->text[r.end] == L'\n');
}

// Line record holding index i, walking from the nearest usable kept record (lines only).
RCERowPos WalkToLine(const RCE_STATE* st, UINT32 i)
{
    RCERowPos best{0, 0, 0, 1};
    RCELineEndForward(st, &best);
    UINT32 bestDistance = i;
    for (const RCERowPos* r : {&st->caretRow, &st->topRow})
    {
        if (!Usable(st, *r))
            continue;
        UINT32 d = r->start <= i ? i - r->start : r->start - i;
        if (d < bestDistance)
        {
            best = *r;
            bestDistance = d;
        }
    }
    RCERowPos rec;
    if (!RCEStepToPos(st, i, &best, &rec))
    {
        RCERowPos first{0, 0, 0, 1};
        RCELineEndForward(st, &first);
        RCEStepToPos(st, i, &first, &rec);
    }
    rec.valid = 1;
    return rec;
}

} // namespace

void RCEFindCaretLine(RCE_STATE* st)
{
    if (st->length == 0)
    {
        st->caretRow = RCERowPos{0, 0, 0, 1};
        return;
    }
    UINT32 caret = std::min(st->caretIndex, st->length);
    if (RCEHasRows(st))
    {
        RCERowPos rec{0, 0, caret, 1};
        RCERowStart(st, &rec);
        RCERowEnd(st, &rec);
        // At a wrap point the caret belongs to the later row.
        if (caret == rec.end && caret < st->length && rec.number + 1 < st->wrapRows.size() &&
            st->wrapRows[rec.number + 1].start == caret)
        {
            rec.number += 1;
            rec.start = caret;
            RCERowEnd(st, &rec);
        }
        st->caretRow = rec;
        st->caretRow.valid = 1;
        return;
    }
    st->caretRow = WalkToLine(st, caret);
}

bool RCECaretLineValid(const RCE_STATE* st)
{
    const RCERowPos& r = st->caretRow;
    return r.valid && r.start <= st->caretIndex && st->caretIndex <= r.end && r.end <= st->length &&
           RCEIsRowStart(st, r.start) && RCEIsRowEnd(st, r.end);
}

bool RCEGetLineRec(RCE_STATE* st, UINT32 n, RCERowPos* rec)
{
    if (n >= RCELineCount(st))
        return false;
    if (RCEHasRows(st))
    {
        rec->number = n;
        rec->start = st->wrapRows[n].start;
        RCERowEnd(st, rec);
        rec->valid = 1;
        return true;
    }
    if (!RCECaretLineValid(st))
        RCEFindCaretLine(st);
    RCERowPos from = st->caretRow;
    UINT32 d = from.number > n ? from.number - n : n - from.number;
    if (Usable(st, st->topRow))
    {
        UINT32 t = st->topRow.number > n ? st->topRow.number - n : n - st->topRow.number;
        if (t < d)
            from = st->topRow, d = t;
    }
    if (n < d)
    {
        from = RCERowPos{0, 0, 0, 1};
        RCELineEndForward(st, &from);
    }
    *rec = from;
    while (rec->number < n)
        if (!RCEStepLine(st, rec, true))
            return false;
    while (rec->number > n)
        if (!RCEStepLine(st, rec, false))
            return false;
    rec->valid = 1;
    return true;
}

void RCEGetCaretLineCol(RCE_STATE* st, UINT32* line, UINT32* col)
{
    if (!RCECaretLineValid(st))
        RCEFindCaretLine(st);
    if (RCEHasRows(st))
    {
        RCERowPos logical;
        RCERowToLineRec(st, &st->caretRow, &logical);
        *line = logical.number + 1;
        *col = st->caretIndex - logical.start + 1;
        return;
    }
    *line = st->caretRow.number + 1;
    *col = st->caretIndex - st->caretRow.start + 1;
}

bool RCEVirtualAtEOL(const RCE_STATE* st, bool allowZero)
{
    if (!RCEVirtualSpace(st) || !RCEIsLineEnd(st, st->caretIndex))
        return false;
    return allowZero || st->caretVCol > 0;
}

UINT32 RCECaretTabFill(RCE_STATE* st)
{
    if (!st)
        return 2;
    if (!RCECaretLineValid(st))
        RCEFindCaretLine(st);
    return RCETabFill(st->text + st->caretRow.start, st->caretIndex - st->caretRow.start,
                      st->tabSize);
}

// --- Line states --------------------------------------------------------------------------------

void RCEGetLineState(RCE_STATE* st, UINT32 n, RCELineState* ls)
{
    *ls = RCELineState{0, 0, 0};
    if (RCEHasRows(st))
    {
        if (n < st->wrapRows.size())
            *ls = st->wrapRows[n].ls;
        return;
    }
    if (st->lineStates.size() < (size_t)n + 1)
        st->lineStates.resize((size_t)n + 1, 0);
    ls->state = st->lineStates[n];
}

void RCESetLineState(RCE_STATE* st, UINT32 n, const RCELineState& ls)
{
    if (RCEHasRows(st))
    {
        if (n < st->wrapRows.size())
        {
            st->wrapRows[n].ls = ls;
            st->wrapStatesValid = n;
        }
        return;
    }
    if (st->lineStates.size() < (size_t)n + 1)
        st->lineStates.resize((size_t)n + 1, 0);
    st->lineStates[n] = (BYTE)(ls.state & 0xFF);
    st->lineStatesValid = n;
}

bool RCELineStateValid(const RCE_STATE* st, UINT32 n)
{
    if (st->lineStates.empty())
        return false;
    return n <= (RCEHasRows(st) ? st->wrapStatesValid : st->lineStatesValid);
}

bool RCEIsStateFrontier(const RCE_STATE* st, UINT32 n)
{
    return n == (RCEHasRows(st) ? st->wrapStatesValid : st->lineStatesValid);
}

void RCEInvalidateLineStates(RCE_STATE* st, UINT32 n)
{
    UINT32& valid = RCEHasRows(st) ? st->wrapStatesValid : st->lineStatesValid;
    if (valid > n)
        valid = n;
}

void RCEResetLineStates(RCE_STATE* st)
{
    st->lineStatesValid = 0;
    st->wrapStatesValid = 0;
}
