#include "editor/sql_tokenizer.h"

#include "editor/colour_rules.h"
#include "editor/ident_char.h"
#include "editor/line_index.h"
#include "editor/rce_messages.h"
#include "editor/text_buffer.h"

namespace {

UINT32 RangeCount(const RCE_STATE* st)
{
    if (!st->rangeRules)
        return 0;
    return st->rangeCount > RCE_MAX_RANGE_RULES ? RCE_MAX_RANGE_RULES : st->rangeCount;
}

} // namespace

void CALLBACK RColorEditorTokenizeSQL(const RCE_STATE* st, BYTE inState, const WCHAR* text,
                                      int length, int pos, int firstNonBlank, COLORREF* colour,
                                      int* colouredLen, int* tokenLen, BYTE* outState)
{
    *colouredLen = 0;
    *tokenLen = 1;
    if (pos >= length)
        return;
    UINT32 ranges = RangeCount(st);
    BYTE s = inState;
    if (s > ranges)
    {
        // Rules replaced since the state was stored: no open range.
        s = 0;
        *outState = 0;
    }
    if (s == 0)
    {
        if (st->regexpRules && st->regexpCount > 0)
        {
            bool afterNonIdent = pos == 0 || !RCEIsIdent(text[pos - 1]);
            if (RCEMatchRegExpColor(st->regexpRules, st->regexpCount, text + pos, length - pos,
                                    afterNonIdent, pos == firstNonBlank, colour, colouredLen,
                                    tokenLen))
                return;
        }
        if (RCEIsIdent(text[pos]))
        {
            int end = pos + 1;
            while (end < length && RCEIsIdent(text[end]))
                ++end;
            *tokenLen = end - pos;
            if (RCEFindWordColor(st->wordRules, st->wordCount, text + pos, (UINT32)(end - pos),
                                 colour))
                *colouredLen = end - pos;
            return;
        }
    }
    if (ranges > 0)
    {
        BYTE newState = s;
        int end = 0;
        if (RCEMatchRangeColor(st->rangeRules, ranges, s, text, length, pos, firstNonBlank, colour,
                               &newState, &end) &&
            end > pos)
        {
            *colouredLen = *tokenLen = end - pos;
            *outState = newState;
            return;
        }
    }
}

bool RCEIsDefaultTokenizer(const RCE_STATE* st)
{
    return st->tokenizer == nullptr || st->tokenizer == RColorEditorTokenizeSQL;
}

bool RCEHasColoring(RCE_STATE* st)
{
    bool active;
    if (st->options & RCEO_WORDWRAP)
        active = (st->wordRules && st->wordCount > 0) || (st->rangeRules && st->rangeCount > 0) ||
                 (st->regexpRules && st->regexpCount > 0);
    else
        active = st->rangeRules && st->rangeCount > 0;
    if (!RCEIsDefaultTokenizer(st) || (st->options & RCEO_LINESTATE))
        active = true;
    st->colouringActive = active ? 1 : 0;
    return active;
}

RCETokenSpan RCEGetTokenSpan(const RCE_STATE* st, const RCERowPos* rec)
{
    RCETokenSpan span{};
    span.text = st->text + rec->start;
    UINT32 rowVisible = RCEVisibleLength(st, rec);
    if (RCEHasRows(st))
    {
        UINT32 logicalEnd = RCELogicalEnd(st, rec);
        span.length = (int)(logicalEnd > rec->start ? logicalEnd - rec->start : 0);
        if (rowVisible > (UINT32)span.length)
            rowVisible = (UINT32)span.length;
        RCERowPos line{};
        line.end = rec->start;
        RCELineStartBack(st, &line);
        UINT32 fnb = RCEFirstNonBlank(st->text, line.start, logicalEnd, logicalEnd);
        span.firstNonBlank = fnb >= rec->start ? (int)(fnb - rec->start) : -1;
    }
    else
    {
        span.length = (int)rowVisible;
        span.firstNonBlank = (int)(RCEFirstNonBlank(span.text, 0, rowVisible, rowVisible));
    }
    span.visible = (int)rowVisible;
    return span;
}

void RCETokenize(const RCE_STATE* st, BYTE inState, const RCETokenSpan& span, int pos,
                 COLORREF* colour, int* colouredLen, int* tokenLen, BYTE* outState)
{
    *colour = 0;
    *colouredLen = 0;
    *tokenLen = 0;
    *outState = inState;
    RCETokenizerProc proc = st->tokenizer ? st->tokenizer : RColorEditorTokenizeSQL;
    proc(st, inState, span.text, span.length, pos, span.firstNonBlank, colour, colouredLen,
         tokenLen, outState);
    if (*tokenLen < 1)
        *tokenLen = 1;
    if (*colouredLen < 0)
        *colouredLen = 0;
}

void RCEComputeLineState(const RCE_STATE* st, const RCERowPos* rec, const RCELineState& in,
                         RCELineState* out)
{
    *out = in;
    if (!st->colouringActive)
        return;
    bool rows = RCEHasRows(st);
    if (!rows && RCEIsDefaultTokenizer(st))
    {
        // Only range rules decide what is carried: walk the line from range to range.
        UINT32 ranges = RangeCount(st);
        const WCHAR* line = st->text + rec->start;
        int len = (int)RCEVisibleLength(st, rec);
        BYTE s = RCEStateByte(in);
        if (s > ranges)
            s = 0;
        int fnb = (int)RCEFirstNonBlank(line, 0, (UINT32)len, (UINT32)len);
        RCERangeStarts starts(st->rangeRules, ranges);
        int p = 0;
        while (p < len && ranges > 0)
        {
            if (s)
            {
                int e = RCEFindRangeEnd(st->rangeRules[s - 1], line, len, p);
                if (e == 0)
                    break;
                s = 0;
                p = e;
                continue;
            }
            if (RCEIsIdent(line[p]))
            {
                while (p < len && RCEIsIdent(line[p]))
                    ++p;
                if (p >= len)
                    break;
            }
            int k = starts.Maybe(line[p])
                        ? RCEFindRangeBegin(st->rangeRules, ranges, line, len, p, fnb)
                        : 0;
            if (k)
            {
                s = (BYTE)k;
                p += (int)st->rangeRules[k - 1].beginLength;
            }
            else
            {
                ++p;
            }
        }
        // A range whose end is the line end (a line-feed end met right after its begin).
        if (s && len > 0 && p > 0 && RCEFindRangeEnd(st->rangeRules[s - 1], line, len, p) == p)
            s = 0;
        out->state = s;
        out->carry = 0;
        out->colour = 0;
        return;
    }

    RCETokenSpan span = RCEGetTokenSpan(st, rec);
    BYTE s = RCEStateByte(in);
    int pos = rows ? (int)in.carry : 0;
    COLORREF lastColour = rows ? in.colour : 0;
    bool lastColoured = rows && RCEStateCarryColoured(in);
    while (pos < span.visible)
    {
        COLORREF colour = 0;
        int coloured = 0, token = 0;
        BYTE next = s;
        RCETokenize(st, s, span, pos, &colour, &coloured, &token, &next);
        int step = rows ? (coloured > 0 ? coloured : token) : token;
        if (step < 1)
            step = 1;
        s = next;
        lastColour = colour;
        lastColoured = coloured > 0;
        pos += step;
    }
    out->state = s;
    out->carry = 0;
    out->colour = 0;
    if (rows)
    {
        out->carry = pos > span.visible ? (UINT32)(pos - span.visible) : 0;
        if (out->carry)
        {
            out->state |= (lastColoured ? 1u : 0u) << 8;
            out->colour = lastColour;
        }
    }
}

void RCEEnsureLineStates(RCE_STATE* st, UINT32 n)
{
    if (!st->colouringActive || !st->text)
        return;
    UINT32 count = RCELineCount(st);
    if (n >= count)
        n = count ? count - 1 : 0;
    if (RCELineStateValid(st, n))
        return;
    bool rows = RCEHasRows(st);
    UINT32 from = rows ? st->wrapStatesValid : st->lineStatesValid;
    if (from > n)
        from = n;
    if (st->lineStates.empty())
        st->lineStates.resize(1, 0);
    RCERowPos rec;
    if (!RCEGetLineRec(st, from, &rec))
        return;
    RCELineState ls;
    RCEGetLineState(st, from, &ls);
    if (from == 0)
    {
        ls = RCELineState{0, 0, 0};
        RCESetLineState(st, 0, ls);
    }
    while (rec.number < n)
    {
        RCELineState next;
        RCEComputeLineState(st, &rec, ls, &next);
        if (!RCEStepLine(st, &rec, true))
            break;
        RCESetLineState(st, rec.number, next);
        ls = next;
    }
}
