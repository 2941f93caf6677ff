#include "editor/auto_indent.h"

#include <algorithm>

#include "editor/colour_rules.h"
#include "editor/ident_char.h"
#include "editor/line_index.h"
#include "editor/rce_messages.h"
#include "editor/sql_tokenizer.h"
#include "editor/text_buffer.h"

namespace {

bool IsBlank(WCHAR ch)
{
    return ch == L' ' || ch == L'\t';
}

// The column reached at index `to` from the line start, tabs expanding to tab stops.
int ColumnAt(const WCHAR* text, UINT32 start, UINT32 to, UINT32 tab)
{
    if (tab == 0)
        tab = 1;
    UINT32 column = 0;
    for (UINT32 i = start; i < to; ++i)
        column = text[i] == L'\t' ? (column / tab + 1) * tab : column + 1;
    return (int)column;
}

bool EqualIgnoringCase(const WCHAR* a, const WCHAR* b, UINT32 n)
{
    return n == 0 || CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, (int)n, b, (int)n) ==
                         CSTR_EQUAL;
}

} // namespace

bool RCEMatchIndentWord(const WCHAR* text, UINT32 from, UINT32 lineEnd, UINT32 caret,
                        const RCEIndentWord* words, UINT32 count, UINT32 tabSize, int* change)
{
    *change = 0;
    if (!words)
        return false;
    UINT32 bound = std::min(lineEnd, caret);
    if (from > bound)
        from = bound;
    UINT32 firstEnd = from;
    while (firstEnd < bound && RCEIsIdent(text[firstEnd]))
        ++firstEnd;
    UINT32 e = caret;
    while (e > from && IsBlank(text[e - 1]))
        --e;
    UINT32 s = e;
    while (s > from && RCEIsIdent(text[s - 1]))
        --s;
    bool single = s == from && firstEnd == e;

    for (UINT32 i = 0; i < count; ++i)
    {
        const RCEIndentWord& w = words[i];
        if (!w.word || w.length == 0)
            continue;
        bool first = (w.flags & RCEIW_FIRSTWORD) != 0;
        bool last = (w.flags & RCEIW_LASTWORD) != 0;
        bool matched = false;
        if (w.flags & RCEIW_WHOLEWORD)
        {
            bool withCase = (w.flags & RCEIW_MATCHCASE) != 0;
            auto equal = [&](UINT32 at, UINT32 len) {
                if (len != w.length)
                    return false;
                return withCase ? wmemcmp(text + at, w.word, len) == 0
                                : EqualIgnoringCase(text + at, w.word, len);
            };
            if (first)
                matched = equal(from, firstEnd - from) && (!last || single);
            else if (last)
                matched = equal(s, e - s);
        }
        else
        {
            if (first)
                matched = (!last || single) && w.length <= caret - from &&
                          EqualIgnoringCase(text + from, w.word, w.length);
            else if (last)
                matched = w.length <= e - from &&
                          EqualIgnoringCase(text + e - w.length, w.word, w.length);
        }
        if (matched)
        {
            *change = (int)tabSize;
            return true;
        }
    }
    return true;
}

bool RCEAutoIndent(HWND, RCE_STATE* st, WCHAR typed, int* indent)
{
    *indent = 0;
    if (!(st->options & RCEO_AUTOINDENT) || !st->text)
        return false;
    UINT32 caret = std::min(st->caretIndex, st->length);
    if (typed == L'\n' && RCEIsRowStart(st, caret) && st->caretVCol == 0)
        return false;
    if (!RCECaretLineValid(st))
        RCEFindCaretLine(st);

    // The reference line: the nearest logical line, from the caret's back, with text before the
    // caret.
    const WCHAR* text = st->text;
    RCERowPos line;
    RCERowToLineRec(st, &st->caretRow, &line);
    bool onCaretLine = true;
    UINT32 fnb = 0;
    for (;;)
    {
        UINT32 stop = onCaretLine ? caret : RCEVisibleEnd(st, &line);
        fnb = RCEFirstNonBlank(text, line.start, stop, stop);
        if (fnb < stop && !IsBlank(text[fnb]))
            break;
        if (line.start == 0)
            return true; // no text before the caret: indent 0
        RCERowPos previous{line.number - 1, 0, line.start - 1, 1};
        RCELineStartBack(st, &previous);
        line = previous;
        onCaretLine = false;
    }
    if (typed != 0 && typed != L'\n' && onCaretLine)
        return false;

    int column = ColumnAt(text, line.start, fnb, st->tabSize);
    UINT32 lineEnd = RCEVisibleEnd(st, &line);
    UINT32 from = fnb;
    if (st->indentWords && st->indentCount > 0)
    {
        if (st->colouringActive && st->rangeRules && st->rangeCount > 0)
        {
            // A line that starts inside a range (a comment or string carried over): its part up
            // to the range's end counts as indentation.
            UINT32 row = RCEHasRows(st) ? RCELineToRow(st, line.number) : line.number;
            RCEEnsureLineStates(st, row);
            RCELineState ls;
            RCEGetLineState(st, row, &ls);
            BYTE s = RCEStateByte(ls);
            UINT32 ranges = std::min<UINT32>(st->rangeCount, RCE_MAX_RANGE_RULES);
            if (s >= 1 && s <= ranges)
            {
                int len = (int)(lineEnd - line.start);
                int end = RCEFindRangeEnd(st->rangeRules[s - 1], text + line.start, len, 0);
                from = end > 0 ? line.start + (UINT32)end : lineEnd;
                while (from < lineEnd && IsBlank(text[from]))
                    ++from;
                column = ColumnAt(text, line.start, from, st->tabSize);
            }
        }
        int change = 0;
        if (st->indentHook && st->indentHook->proc)
        {
            int result[4] = {0, 0, 0, 0};
            if (!st->indentHook->proc(text, st->length, from, lineEnd, caret, typed, column,
                                      st->indentWords, st->indentCount, st->tabSize, result))
                return false;
            change = result[0];
        }
        else
        {
            RCEMatchIndentWord(text, from, lineEnd, caret, st->indentWords, st->indentCount,
                               st->tabSize, &change);
        }
        column += change;
    }
    *indent = column < 0 ? 0 : column;
    return true;
}
