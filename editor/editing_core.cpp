#include "editor/editing_core.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "editor/auto_indent.h"
#include "editor/caret_selection.h"
#include "editor/line_paint.h"
#include "editor/mouse_scroll.h"
#include "editor/paint.h"
#include "editor/undo.h"
#include "util/utility.h"
#include "editor/window_common.h"
#include "editor/text_measure.h"
#include "editor/widest_row.h"
#include "editor/text_search.h"
#include "editor/word_wrap.h"

bool RCEBufferInsert(RCE_STATE* s, const WCHAR* text, int count, UINT32 position, RCEEditInfo* info,
                     bool raw)
{
    RCEEditInfo local;
    if (!info)
        info = &local;
    *info = RCEEditInfo{};
    if (count < 0 || position > s->length || !s->text)
        return count == 0;
    if (count == 0)
        return true;
    if ((UINT64)s->length + (UINT32)count > s->capacity && !RCEGrowText(s, (UINT32)count))
        return false;
    UINT32 rowsBefore = RCELineCount(s);
    info->row = RCEHasRows(s) ? RCERowOf(s, position) : 0;
    WCHAR* t = s->text;
    UINT32 oldLength = s->length;
    memmove(t + position + count, t + position, (oldLength - position) * sizeof(WCHAR));
    UINT32 lfs = 0;
    for (int i = 0; i < count; ++i)
    {
        WCHAR c = text[i];
        if (c == L'\r' && !raw)
        {
            WCHAR next = i + 1 < count          ? text[i + 1]
                         : position < oldLength ? t[position + count]
                                                : 0;
            if (next != L'\n')
                c = L'\n';
        }
        if (c == L'\n')
            ++lfs;
        t[position + i] = c;
    }
    s->length += count;
    s->lineCount += lfs;
    info->linesAdded = lfs;
    info->inserted = (UINT32)count;
    if (RCEWrapOn(s))
    {
        if (s->wrapRows.empty())
            RCEWrapAll(s);
        else
            RCEWrapInsert(s, position, (UINT32)count);
    }
    UINT32 rowsAfter = RCELineCount(s);
    if (rowsAfter > rowsBefore)
        info->rowsAdded = rowsAfter - rowsBefore;
    else
        info->rowsRemoved = rowsBefore - rowsAfter;
    return true;
}

bool RCEBufferDelete(RCE_STATE* s, UINT32 start, UINT32 end, RCEEditInfo* info)
{
    RCEEditInfo local;
    if (!info)
        info = &local;
    *info = RCEEditInfo{};
    if (!s->text || start >= s->length || end > s->length || start >= end)
        return false;
    UINT32 rowsBefore = RCELineCount(s);
    info->row = RCEHasRows(s) ? RCERowOf(s, start) : 0;
    WCHAR* t = s->text;
    UINT32 lfs = 0;
    for (UINT32 i = start; i < end; ++i)
        if (t[i] == L'\n')
            ++lfs;
    memmove(t + start, t + end, (s->length - end) * sizeof(WCHAR));
    s->length -= end - start;
    memset(t + s->length, 0, (end - start) * sizeof(WCHAR));
    s->lineCount = s->lineCount > lfs ? s->lineCount - lfs : 1;
    if (s->lineCount < 1)
        s->lineCount = 1;
    info->linesRemoved = lfs;
    if (RCEWrapOn(s))
    {
        if (s->wrapRows.empty())
            RCEWrapAll(s);
        else
            RCEWrapDelete(s, start, end - start);
    }
    UINT32 rowsAfter = RCELineCount(s);
    if (rowsAfter > rowsBefore)
        info->rowsAdded = rowsAfter - rowsBefore;
    else
        info->rowsRemoved = rowsBefore - rowsAfter;
    return true;
}

// The row record holding position, from the caret row when it holds it.
static RCERowPos RowOfPosition(RCE_STATE* s, UINT32 position)
{
    RCERowPos rec = s->caretRow;
    if (rec.valid && rec.start <= position && position <= rec.end &&
        !(position == rec.end && position < s->length && RCEHasRows(s) &&
          s->text[position] != L'\n'))
        return rec;
    RCERowPos out = rec;
    if (!RCEStepToPos(s, position, &rec, &out))
    {
        RCEFindCaretLine(s);
        RCEStepToPos(s, position, &s->caretRow, &out);
    }
    return out;
}

int RCEReplaceText(RCE_STATE* s, UINT32 position, UINT32 caretBefore, UINT32 deleteCount,
                   const WCHAR* text, int textCount, UINT32 flags, UINT32 virtualColumnAfter)
{
    if (!s->text && s->hText)
        return 0;
    if (!text || textCount < 0)
        textCount = text && textCount < 0 ? (int)wcslen(text) : 0;
    if (position > s->length || (UINT64)position + deleteCount > s->length)
        return 0;
    // Make the room first, so that a failed growth changes nothing at all.
    if ((UINT64)s->length - deleteCount + (UINT32)textCount > s->capacity &&
        !RCEGrowText(s, (UINT32)textCount > deleteCount ? (UINT32)textCount - deleteCount : 0))
        return 0;

    RCEValidateRows(s);
    RCERowPos posRec = RowOfPosition(s, position);
    UINT32 topNumber = s->topRow.number;
    UINT32 oldTopStart = s->topRow.start;
    UINT32 prevCaretRow = s->caretRow.number;
    bool rowsChanged = false;

    if (flags & RCERT_UNDO)
        RCEHistBeginRecord(s->hist, caretBefore, position);

    // Removing text from a row of the widest width may narrow the text.
    bool narrows = deleteCount && RCERowsReachWidest(s, posRec, position + deleteCount);
    if (deleteCount)
    {
        if (flags & RCERT_UNDO)
            RCEHistSaveRemoved(s->hist, s->text + position, deleteCount);
        RCEEditInfo del;
        if (!RCEBufferDelete(s, position, position + deleteCount, &del))
            return 0;
        rowsChanged |= del.rowsAdded || del.rowsRemoved || del.linesRemoved;
        if (position < s->caretIndex)
            s->caretIndex -= std::min(deleteCount, s->caretIndex - position);
        if (position < s->anchorIndex)
            s->anchorIndex -= std::min(deleteCount, s->anchorIndex - position);
    }
    if (textCount > 0)
    {
        RCEEditInfo ins;
        if (!RCEBufferInsert(s, text, textCount, position, &ins, (flags & RCERT_RAW) != 0))
            return 0;
        rowsChanged |= ins.rowsAdded || ins.rowsRemoved || ins.linesAdded;
        if (position < s->caretIndex)
            s->caretIndex += (UINT32)textCount;
        if (position < s->anchorIndex)
            s->anchorIndex += (UINT32)textCount;
        if (flags & RCERT_UNDO)
            RCEHistSaveInserted(s->hist, s->text + position, (UINT32)textCount);
    }
    if (s->caretIndex > s->length)
        s->caretIndex = s->length;
    if (s->anchorIndex > s->length)
        s->anchorIndex = s->length;
    if (flags & RCERT_UNDO)
        RCEHistCloseRecord(s->hist, position + (UINT32)textCount);

    // Line states from the edited row on are stale; with wrap the row before may re-flow too.
    RCEInvalidateLineStates(s, posRec.number ? posRec.number - 1 : 0);

    // Caret row: lines before the edit keep their numbers and starts.
    if (RCEHasRows(s))
    {
        RCEFindCaretLine(s);
    }
    else if (s->caretIndex >= posRec.start)
    {
        RCERowPos from{posRec.number, posRec.start, posRec.start, 1};
        RCELineEndForward(s, &from);
        if (!RCEStepToPos(s, s->caretIndex, &from, &s->caretRow))
            RCEFindCaretLine(s);
    }
    s->caretRow.valid = 1;
    // Top row: the same row number stays on top.
    UINT32 rows = RCELineCount(s);
    if (topNumber >= rows)
        topNumber = rows ? rows - 1 : 0;
    if (RCEHasRows(s) || topNumber >= posRec.number || !s->topRow.valid)
    {
        if (!RCEGetLineRec(s, topNumber, &s->topRow))
            RCEGetLineRec(s, 0, &s->topRow);
        s->topRow.valid = 1;
    }

    if (textCount > 0 || rowsChanged)
    {
        RCERowPos measureFrom = posRec;
        if (!RCEGetLineRec(s, std::min(posRec.number, rows - 1), &measureFrom))
            measureFrom = s->caretRow;
        RCEMeasureRows(s, measureFrom, (UINT32)std::count(text, text + textCount, L'\n') + 1);
    }
    if (narrows)
        RCERemeasureWidest(s);
    if (rowsChanged)
        RCEUpdateScrollBars(s);

    if (s->topRow.start != oldTopStart)
        RCERedraw(s);
    else
        RCERepaintRows(s, posRec.number ? posRec.number - (RCEHasRows(s) ? 1 : 0) : 0,
                       rowsChanged || RCEHasRows(s) ? UINT32(-1) : posRec.number);

    if (flags & RCERT_PLACECARET)
        RCESetCaretIndex(s, position + (UINT32)textCount, virtualColumnAfter);
    else
        RCEUpdateCaret(s, false, prevCaretRow);

    if (flags & RCERT_NOTIFY)
        RCENotifyChange(s->hwnd, s);
    return 1;
}

// Blanks of the given width: tabs for whole tab stops when allowed, then spaces.
static std::wstring MakeBlanks(const RCE_STATE* s, UINT32 width, bool tabsAllowed)
{
    std::wstring out;
    UINT32 tab = s->tabSize ? s->tabSize : 8;
    if (tabsAllowed && !(s->options & RCEO_TABSPACES) && width >= tab)
    {
        out.append(width / tab, L'\t');
        width %= tab;
    }
    out.append(width, L' ');
    return out;
}

static bool IsBlank(WCHAR c)
{
    return c == L' ' || c == L'\t';
}

static bool IsIndentTrigger(const RCE_STATE* s, WCHAR c)
{
    if (c == L'\n')
        return true;
    const RCEIndentHook* hook = s->indentHook;
    if (!hook || !hook->triggers || !hook->triggerCount || !hook->proc)
        return false;
    return std::find(hook->triggers, hook->triggers + hook->triggerCount, c) !=
           hook->triggers + hook->triggerCount;
}

bool RCEInsertText(RCE_STATE* s, const WCHAR* text, int count, WCHAR typedChar)
{
    if (!text || !s->text)
        return false;
    if (count < 0)
        count = (int)wcslen(text);
    UINT32 caretAtEntry = s->caretIndex;
    bool newline =
        (count == 1 && text[0] == L'\n') || (count == 2 && text[0] == L'\r' && text[1] == L'\n');
    RCEValidateRows(s);
    UINT32 pos = s->caretIndex;
    UINT32 vcol = RCEVirtualSpace(s) ? s->caretVCol : 0;
    UINT32 delCount = 0;
    if (s->selActive && RCECaretDiffers(s, s->anchorIndex, s->anchorVCol))
    {
        UINT32 a, acol, b, bcol;
        RCEGetSelRange(s, &a, &acol, &b, &bcol);
        RCERemoveSelection(s);
        RCESetCaretIndex(s, a, acol);
        pos = a;
        vcol = RCEVirtualSpace(s) ? acol : 0;
        delCount = b - a;
    }
    else
    {
        if (s->selActive)
            RCERemoveSelection(s);
        if (!s->insertMode)
        {
            if (newline)
            {
                RCERowPos next = s->caretRow;
                if (RCEStepLine(s, &next, true))
                {
                    RCESetCaretIndex(s, next.start, 0);
                    return true;
                }
            }
            else
            {
                // Overwrite stays within the line: a line break is never overwritten.
                UINT32 visEnd = RCEVisibleEnd(s, &s->caretRow);
                if (pos < visEnd)
                    delCount = std::min<UINT32>((UINT32)count, visEnd - pos);
            }
        }
    }

    // Auto-indent of a typed newline or hook trigger character.
    bool indentApplied = false;
    int indentCol = 0;
    if (typedChar && (s->options & RCEO_AUTOINDENT) && IsIndentTrigger(s, typedChar) &&
        RCEAutoIndent(s->hwnd, s, typedChar, &indentCol))
    {
        indentApplied = true;
        if (indentCol < 0)
            indentCol = 0;
        if (typedChar == L'\n')
        {
            UINT32 rowEnd = RCEVisibleEnd(s, &s->caretRow);
            UINT32 e = pos + delCount;
            while (e < rowEnd && IsBlank(s->text[e]))
                ++e;
            if (e > pos + delCount)
                delCount = e - pos;
        }
        else
        {
            UINT32 b = pos;
            while (b > s->caretRow.start && IsBlank(s->text[b - 1]))
                --b;
            delCount += pos - b;
            pos = b;
        }
    }

    std::wstring lead, trail;
    UINT32 vcolAfter = 0;
    bool atRowStart = pos == s->caretRow.start;
    if (vcol && !newline && !indentApplied)
        lead = MakeBlanks(s, vcol, atRowStart);
    if (indentApplied)
    {
        if (typedChar == L'\n')
        {
            if (RCEVirtualSpace(s) && RCEIsLineEnd(s, pos + delCount))
                vcolAfter = (UINT32)indentCol;
            else
                trail = MakeBlanks(s, (UINT32)indentCol, true);
        }
        else
        {
            lead = MakeBlanks(s, (UINT32)indentCol, true);
        }
    }
    std::wstring all;
    all.reserve(lead.size() + count + trail.size());
    all.append(lead).append(text, count).append(trail);
    return RCEReplaceText(s, pos, caretAtEntry, delCount, all.data(), (int)all.size(),
                          RCERT_UNDO | RCERT_NOTIFY | RCERT_PLACECARET, vcolAfter) != 0;
}

bool RCEDeleteChars(RCE_STATE* s, int count)
{
    if (!s->text)
        return false;
    RCEValidateRows(s);
    UINT32 caretAtEntry = s->caretIndex;
    UINT32 fromVCol = RCEVirtualSpace(s) ? s->caretVCol : 0;
    if (s->selActive)
    {
        if (!RCECaretDiffers(s, s->anchorIndex, s->anchorVCol))
        {
            s->selActive = 0;
            return false;
        }
        UINT32 a, acol, b, bcol;
        RCEGetSelRange(s, &a, &acol, &b, &bcol);
        RCERemoveSelection(s);
        if (a == b)
        {
            RCESetCaretIndex(s, a, RCEVirtualSpace(s) ? std::min(acol, bcol) : 0);
            return true;
        }
        RCESetCaretIndex(s, a, acol);
        count = (int)(b - a);
        fromVCol = RCEVirtualSpace(s) ? acol : 0;
    }
    UINT32 caret = s->caretIndex;
    UINT32 start, end;
    if (count < 0)
    {
        start = (INT64)caret + count < 0 ? 0 : caret + count;
        end = caret;
        if (start > 0 && start < s->length && s->text[start - 1] == L'\r' &&
            s->text[start] == L'\n')
            --start;
    }
    else
    {
        start = caret;
        end = (UINT64)caret + count > s->length ? s->length : caret + (UINT32)count;
        if (end > start && end < s->length && s->text[end - 1] == L'\r' && s->text[end] == L'\n')
            ++end;
    }
    if (start == end)
        return true;
    if (count < 0)
        RCESetCaretIndex(s, start, 0);
    if (count > 0 && fromVCol && RCEVirtualSpace(s) && RCEIsLineEnd(s, start))
    {
        std::wstring fill(fromVCol, L' ');
        return RCEReplaceText(s, start, caretAtEntry, end - start, fill.data(), (int)fill.size(),
                              RCERT_UNDO | RCERT_NOTIFY | RCERT_PLACECARET) != 0;
    }
    s->caretVCol = 0;
    return RCEReplaceText(s, start, caretAtEntry, end - start, nullptr, 0,
                          RCERT_UNDO | RCERT_NOTIFY) != 0;
}

// Applies a group's sub-records backwards (undo) or forwards (redo).
static void ApplyGroup(RCE_STATE* s, const RCE_HIST& group, bool undo)
{
    size_t n = group.records.size();
    for (size_t k = 0; k < n; ++k)
    {
        const RCEUndoRecord& r = group.records[undo ? n - 1 - k : k];
        const auto& out = undo ? r.inserted : r.removed;
        const auto& in = undo ? r.removed : r.inserted;
        RCEReplaceText(s, r.position, s->caretIndex, RCEHistTextLength(out),
                       in ? in->data() : nullptr, (int)RCEHistTextLength(in), RCERT_RAW);
    }
}

static bool HasOwnText(const RCEUndoRecord& r)
{
    return r.inserted || r.removed;
}

int RCEUndo(RCE_STATE* s)
{
    if (RCEReadOnly(s))
        return 0;
    RCE_HIST& h = s->hist;
    if (h.current == 0)
    {
        MessageBeep(MB_ICONHAND);
        return 0;
    }
    if (!h.records[(size_t)h.current - 1].done)
        return 1;
    RCEUndoRecord rec = h.records[(size_t)--h.current];
    RCESetCaretIndex(s, std::min(rec.position, s->length), 0);
    if (HasOwnText(rec) || !rec.group)
    {
        if (!RCEReplaceText(s, rec.position, rec.caretBefore, RCEHistTextLength(rec.inserted),
                            rec.removed ? rec.removed->data() : nullptr,
                            (int)RCEHistTextLength(rec.removed), RCERT_NOTIFY | RCERT_RAW))
        {
            ++h.current;
            return 0;
        }
    }
    if (rec.group && !rec.group->records.empty())
    {
        ApplyGroup(s, *rec.group, true);
        RCENotifyChange(s->hwnd, s);
    }
    RCESetCaretIndex(s, std::min(rec.caretBefore, s->length), 0);
    return 1;
}

int RCERedo(RCE_STATE* s)
{
    if (RCEReadOnly(s))
        return 0;
    RCE_HIST& h = s->hist;
    if (h.current >= h.records.size())
    {
        MessageBeep(MB_ICONHAND);
        return 0;
    }
    if (!h.records[(size_t)h.current].done)
        return 1;
    RCEUndoRecord rec = h.records[(size_t)h.current++];
    RCESetCaretIndex(s, std::min(rec.position, s->length), 0);
    if (HasOwnText(rec) || !rec.group)
    {
        if (!RCEReplaceText(s, rec.position, rec.caretBefore, RCEHistTextLength(rec.removed),
                            rec.inserted ? rec.inserted->data() : nullptr,
                            (int)RCEHistTextLength(rec.inserted),
                            RCERT_NOTIFY | RCERT_PLACECARET | RCERT_RAW))
        {
            --h.current;
            return 0;
        }
    }
    if (rec.group && !rec.group->records.empty())
    {
        ApplyGroup(s, *rec.group, false);
        RCENotifyChange(s->hwnd, s);
        RCESetCaretIndex(s, std::min(rec.caretAfter, s->length), 0);
    }
    return 1;
}

bool RCECanUndo(const RCE_STATE* s)
{
    return RCEHistCanUndo(s->hist);
}
bool RCECanRedo(const RCE_STATE* s)
{
    return RCEHistCanRedo(s->hist);
}
bool RCEIsModified(const RCE_STATE* s)
{
    return s->hist.current != s->hist.saved;
}

void RCESetModified(RCE_STATE* s, bool modified)
{
    s->hist.saved = modified ? RCE_HIST::kNeverSaved : s->hist.current;
}

void RCEOnSetText(RCE_STATE* s, const WCHAR* text)
{
    if (!text || !s->text)
        return;
    s->length = 0;
    memset(s->text, 0, s->capacity * sizeof(WCHAR));
    s->caretIndex = s->caretVCol = 0;
    s->topRow = RCERowPos{0, 0, 0, 1};
    s->caretRow = RCERowPos{0, 0, 0, 1};
    s->firstVisibleColumn = 0;
    s->widestRow = 0;
    s->selActive = 0;
    s->anchorIndex = s->anchorVCol = 0;
    s->mouseCapture = 0;
    s->lineCount = 1;
    RCEHistClear(s->hist);
    s->hist.saved = s->hist.current;
    s->stickyValid = 0;
    s->wheelRemainderV = s->wheelRemainderH = 0;
    RCEResetLineStates(s);
    s->wrapRows.clear();
    s->wrapWidth = -1;

    size_t n = wcslen(text);
    UINT32 options = s->options;
    s->options &= ~RCEO_WORDWRAP; // the rows are built once, below
    if (n > 0x7FFFFFF0u || !RCEBufferInsert(s, text, (int)n, 0, nullptr))
    {
        s->length = 0;
        s->lineCount = 1;
    }
    s->options = options;
    s->hist.saved = s->hist.current;
    if (RCEWrapOn(s))
    {
        RECT rc{};
        GetClientRect(s->hwnd, &rc);
        s->wrapWidth = rc.right - rc.left;
        RCEWrapAll(s);
    }
    RCEGetLineRec(s, 0, &s->topRow);
    s->topRow.valid = 1;
    RCEFindCaretLine(s);
    RCEUpdateWidestLine(s, 0, true);
    RCEUpdateScrollBars(s);
    RCEUpdateCaret(s, true, 0);
    RCERedraw(s);
}

void RCEOnReplaceSel(RCE_STATE* s, const WCHAR* text)
{
    if (text)
        RCEInsertText(s, text, (int)wcslen(text), 0);
}

int RCEOnReplaceRange(RCE_STATE* s, const void* record)
{
    const RCEReplaceRange* r = static_cast<const RCEReplaceRange*>(record);
    if (!r || !r->text || r->end < r->start || RCEReadOnly(s))
        return 0;
    // A range may end at the text end, so that text can be appended (also to an empty text).
    if (r->start > s->length || r->end > s->length)
        return 0;
    int len = r->length < 0 ? (int)wcslen(r->text) : r->length;
    return RCEReplaceText(s, r->start, s->caretIndex, r->end - r->start, r->text, len,
                          RCERT_UNDO | RCERT_NOTIFY);
}

void RCEClear(RCE_STATE* s)
{
    if (RCEReadOnly(s) || !s->selActive)
        return;
    RCEDeleteChars(s, 0);
}

bool RCECopy(RCE_STATE* s)
{
    if (!s->selActive || !s->text)
        return false;
    UINT32 a, acol, b, bcol;
    RCEGetSelRange(s, &a, &acol, &b, &bcol);
    if (a >= b || !OpenClipboardPatiently(s->hwnd))
        return false;
    EmptyClipboard();
    UINT32 n = b - a;
    if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, (n + 1) * sizeof(WCHAR)))
    {
        if (WCHAR* p = static_cast<WCHAR*>(GlobalLock(mem)))
        {
            memcpy(p, s->text + a, n * sizeof(WCHAR));
            p[n] = 0;
            GlobalUnlock(mem);
            if (!SetClipboardData(CF_UNICODETEXT, mem))
                GlobalFree(mem);
        }
        else
        {
            GlobalFree(mem);
        }
    }
    if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof(LCID)))
    {
        if (LCID* p = static_cast<LCID*>(GlobalLock(mem)))
        {
            *p = GetUserDefaultLCID();
            GlobalUnlock(mem);
            if (!SetClipboardData(CF_LOCALE, mem))
                GlobalFree(mem);
        }
        else
        {
            GlobalFree(mem);
        }
    }
    CloseClipboard();
    return true;
}

void RCECut(RCE_STATE* s)
{
    if (!s->selActive)
        return;
    RCECopy(s);
    RCEClear(s);
}

void RCEChangeCase(RCE_STATE* s, bool upper)
{
    if (RCEReadOnly(s) || !s->selActive || !s->text)
        return;
    UINT32 a, acol, b, bcol;
    RCEGetSelRange(s, &a, &acol, &b, &bcol);
    if (a >= b)
        return;
    RCEHistBeginRecord(s->hist, s->caretIndex, a);
    RCEHistSaveRemoved(s->hist, s->text + a, b - a);
    if (upper)
        CharUpperBuffW(s->text + a, b - a);
    else
        CharLowerBuffW(s->text + a, b - a);
    RCEHistSaveInserted(s->hist, s->text + a, b - a);
    RCEHistCloseRecord(s->hist, s->caretIndex);
    {
        UINT32 row = RowOfPosition(s, a).number;
        RCEInvalidateLineStates(s, row ? row - 1 : 0);
    }
    RCERepaintSpan(s, a, b);
    RCENotifyChange(s->hwnd, s);
}

int RCEOnFindReplace(RCE_STATE* s, void* record)
{
    RCEFindReplace* fr = static_cast<RCEFindReplace*>(record);
    if (!fr || !fr->text || !s->text || s->length == 0)
        return 0;
    UINT32 start = fr->start < 0 || (UINT32)fr->start >= s->length ? 0 : (UINT32)fr->start;
    UINT32 plen = fr->length < 0 ? (UINT32)wcslen(fr->text) : (UINT32)fr->length;
    if (plen == 0 || plen > s->length)
        return 0;
    UINT32 last = s->length - plen;
    UINT32 found = 0;

    if ((fr->flags & RCEFR_REPLACEALL) && fr->replacement)
    {
        if (RCEReadOnly(s))
            return 0;
        UINT32 rlen = fr->replacementLength < 0 ? (UINT32)wcslen(fr->replacement)
                                                : (UINT32)fr->replacementLength;
        // All replacements form one edit of the span from the first match to the end of the
        // last one: one undo step, one EN_CHANGE and one move of the text behind it. The search
        // goes on after each match, so a pattern inside its own replacement is not found again.
        std::wstring span;
        UINT32 first = 0, from = 0, copied = 0;
        int replaced = 0;
        while (from <= last &&
               RCEFindText(s, fr->text, plen, fr->flags | RCEFR_DOWN, from, last, &found))
        {
            if (!replaced)
                first = copied = found;
            span.append(s->text + copied, found - copied);
            // The replacement is stored as typed text is: a CR not followed by LF becomes LF.
            for (UINT32 k = 0; k < rlen; ++k)
            {
                WCHAR c = fr->replacement[k];
                WCHAR next = k + 1 < rlen               ? fr->replacement[k + 1]
                             : found + plen < s->length ? s->text[found + plen]
                                                        : 0;
                span.push_back(c == L'\r' && next != L'\n' ? L'\n' : c);
            }
            copied = from = found + plen;
            ++replaced;
        }
        if (replaced && !RCEReplaceText(s, first, s->caretIndex, copied - first, span.data(),
                                        (int)span.size(), RCERT_UNDO | RCERT_NOTIFY | RCERT_RAW))
            return 0;
        return replaced;
    }

    if (fr->flags & RCEFR_DOWN)
    {
        if (start <= last && RCEFindText(s, fr->text, plen, fr->flags, start, last, &found))
        {
            fr->start = (INT32)found;
            return 1;
        }
        UINT32 limit = std::min(start, last);
        if (limit > 0 && RCEFindText(s, fr->text, plen, fr->flags, 0, limit - 1, &found))
        {
            fr->start = (INT32)found;
            return 1;
        }
        return 0;
    }
    if (start > 0 &&
        RCEFindText(s, fr->text, plen, fr->flags, std::min(start - 1, last), 0, &found))
    {
        fr->start = (INT32)found;
        return 1;
    }
    if (start <= last && RCEFindText(s, fr->text, plen, fr->flags, last, start, &found))
    {
        fr->start = (INT32)found;
        return 1;
    }
    return 0;
}
