#include "editor/text_buffer.h"

#include "editor/ident_char.h"
#include "editor/rce_messages.h"

// --- Storage and locking ----------------------------------------------------------------------

UINT32 RCETextGrowStep()
{
    static UINT32 step = 0;
    if (!step)
    {
        SYSTEM_INFO si{};
        GetSystemInfo(&si);
        step = si.dwPageSize >= 4 ? si.dwPageSize / 2 : 2048;
    }
    return step;
}

bool RCEAllocText(RCE_STATE* st)
{
    st->hText = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, RCETextGrowStep() * sizeof(WCHAR));
    st->capacity = 0;
    st->length = 0;
    st->text = nullptr;
    st->created = st->hText ? 1 : 0;
    return st->hText != nullptr;
}

void RCEFreeText(RCE_STATE* st)
{
    if (st->hText)
    {
        // Drop any locks first so the block really goes.
        while (LocalFlags(st->hText) & LMEM_LOCKCOUNT)
            LocalUnlock(st->hText);
        LocalFree(st->hText);
    }
    st->hText = nullptr;
    st->text = nullptr;
    st->capacity = 0;
    st->length = 0;
}

bool RCELockBuffer(RCE_STATE* st)
{
    if (!st->hText)
        return false;
    st->capacity = (UINT32)(LocalSize(st->hText) / sizeof(WCHAR));
    st->text = (WCHAR*)LocalLock(st->hText);
    return st->text != nullptr;
}

bool RCEUnlockBuffer(RCE_STATE* st)
{
    if (!st->hText)
        return false;
    LocalUnlock(st->hText);
    return true;
}

bool RCEGrowText(RCE_STATE* st, UINT32 extra)
{
    if (!st->hText)
        return false;
    UINT64 needed = (UINT64)st->length + extra;
    if (needed <= st->capacity)
        return true;
    UINT64 step = RCETextGrowStep();
    UINT64 chars = (needed + step - 1) / step * step;
    if (chars * sizeof(WCHAR) > 0x7FFFFFFFull)
        return false;
    RCEUnlockBuffer(st);
    HLOCAL grown =
        LocalReAlloc(st->hText, (SIZE_T)(chars * sizeof(WCHAR)), LMEM_MOVEABLE | LMEM_ZEROINIT);
    if (grown)
        st->hText = grown;
    RCELockBuffer(st);
    return grown != nullptr && st->text != nullptr;
}

RCE_STATE* RCELockText(HWND hwnd, RCETextGuard* guard)
{
    guard->hwnd = hwnd;
    guard->state = hwnd ? (RCE_STATE*)GetWindowLongPtrW(hwnd, 0) : nullptr;
    if (guard->state && guard->state->hText && !RCELockBuffer(guard->state))
    {
        RCEUnlockBuffer(guard->state);
        guard->state->text = nullptr;
    }
    return guard->state;
}

void RCEUnlockText(RCETextGuard* guard)
{
    if (guard->state && guard->state->hText)
    {
        RCEUnlockBuffer(guard->state);
        guard->state->text = nullptr;
    }
    guard->state = nullptr;
    guard->hwnd = nullptr;
}

void RCENotifyChange(HWND hwnd, RCE_STATE* st)
{
    HWND parent = GetParent(hwnd);
    if (!parent)
        return;
    RCEUnlockBuffer(st);
    st->text = nullptr;
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), EN_CHANGE), (LPARAM)hwnd);
    RCELockBuffer(st);
}

// --- Positions and lines ----------------------------------------------------------------------

bool RCEIsLineEnd(const RCE_STATE* st, UINT32 i)
{
    if (i >= st->length)
        return true;
    const WCHAR* t = st->text;
    return t[i] == L'\n' || (t[i] == L'\r' && i + 1 < st->length && t[i + 1] == L'\n');
}

bool RCEIsLineStart(const RCE_STATE* st, UINT32 i)
{
    return i == 0 || (i <= st->length && st->text[i - 1] == L'\n');
}

void RCELineStartBack(const RCE_STATE* st, RCERowPos* rec)
{
    UINT32 i = rec->end > st->length ? st->length : rec->end;
    const WCHAR* t = st->text;
    while (i > 0 && t[i - 1] != L'\n')
        --i;
    rec->start = i;
}

void RCELineEndForward(const RCE_STATE* st, RCERowPos* rec)
{
    UINT32 n = st->length;
    UINT32 i = rec->start > n ? n : rec->start;
    const WCHAR* t = st->text;
    if (i < n)
    {
        const WCHAR* p = wmemchr(t + i, L'\n', n - i);
        i = p ? (UINT32)(p - t) : n;
    }
    rec->end = i;
}

UINT32 RCEVisibleLength(const RCE_STATE* st, const RCERowPos* rec)
{
    UINT32 len = rec->end - rec->start;
    if (rec->end < st->length && rec->end > rec->start && st->text[rec->end - 1] == L'\r' &&
        st->text[rec->end] == L'\n')
        --len;
    return len;
}

UINT32 RCEVisibleEnd(const RCE_STATE* st, const RCERowPos* rec)
{
    return rec->start + RCEVisibleLength(st, rec);
}

bool RCENextLine(const RCE_STATE* st, RCERowPos* rec)
{
    if (rec->end >= st->length)
        return false;
    rec->number += 1;
    rec->start = st->text[rec->end] == L'\n' ? rec->end + 1 : rec->end;
    RCELineEndForward(st, rec);
    return true;
}

UINT32 RCEFirstNonBlank(const WCHAR* text, UINT32 from, UINT32 to, UINT32 limit)
{
    UINT32 stop = to < limit ? to : limit;
    for (UINT32 i = from; i < stop; ++i)
        if (text[i] != L' ' && text[i] != L'\t')
            return i;
    return from;
}

UINT32 RCETabFill(const WCHAR* text, UINT32 count, UINT32 tab)
{
    if (tab == 0)
        tab = 1;
    UINT32 column = 0;
    for (UINT32 i = 0; i < count; ++i)
        column = text[i] == L'\t' ? (column / tab + 1) * tab : column + 1;
    return tab - column % tab;
}

bool RCEWordAt(const RCE_STATE* st, UINT32* from, UINT32* to)
{
    UINT32 c = st->caretIndex;
    if (st->length == 0 || c >= st->length || !RCEIsIdent(st->text[c]))
        return false;
    UINT32 a = c, b = c;
    while (a > 0 && RCEIsIdent(st->text[a - 1]))
        --a;
    while (b + 1 < st->length && RCEIsIdent(st->text[b + 1]))
        ++b;
    *from = a;
    *to = b;
    return b > a;
}

bool RCEVirtualSpace(const RCE_STATE* st)
{
    return (st->options & RCEO_VIRTUALSPACE) && !(st->options & RCEO_WORDWRAP);
}

bool RCEPosLE(const RCE_STATE* st, UINT32 a, UINT32 acol, UINT32 b, UINT32 bcol)
{
    if (a != b)
        return a < b;
    if (RCEVirtualSpace(st) && RCEIsLineEnd(st, a))
        return acol <= bcol;
    return true;
}

bool RCEPosGT(const RCE_STATE* st, UINT32 a, UINT32 acol, UINT32 b, UINT32 bcol)
{
    return !RCEPosLE(st, a, acol, b, bcol);
}

bool RCEPosEQ(const RCE_STATE* st, UINT32 a, UINT32 acol, UINT32 b, UINT32 bcol)
{
    if (a != b)
        return false;
    if (RCEVirtualSpace(st) && RCEIsLineEnd(st, a))
        return acol == bcol;
    return true;
}

void RCEGetSelRange(const RCE_STATE* st, UINT32* start, UINT32* startCol, UINT32* end,
                    UINT32* endCol)
{
    UINT32 c = st->caretIndex, cc = st->caretVCol;
    if (!st->selActive)
    {
        *start = *end = c;
        *startCol = *endCol = cc;
        return;
    }
    UINT32 a = st->anchorIndex, ac = st->anchorVCol;
    if (RCEPosLE(st, a, ac, c, cc))
    {
        *start = a, *startCol = ac, *end = c, *endCol = cc;
    }
    else
    {
        *start = c, *startCol = cc, *end = a, *endCol = ac;
    }
}

bool RCEGetSelRange(HWND hwnd, UINT32* start, UINT32* startCol, UINT32* end, UINT32* endCol)
{
    RCETextLock lock(hwnd);
    RCE_STATE* st = lock.state();
    if (!st || !st->text)
        return false;
    RCEGetSelRange(st, start, startCol, end, endCol);
    return true;
}

bool RCESelHasLineBreak(const RCE_STATE* st)
{
    if (!st->selActive)
        return false;
    UINT32 s, sc, e, ec;
    RCEGetSelRange(st, &s, &sc, &e, &ec);
    if (e > st->length)
        e = st->length;
    return s < e && wmemchr(st->text + s, L'\n', e - s) != nullptr;
}

void RCEAnchorSelection(RCE_STATE* st, bool on)
{
    if (on)
    {
        if (!st->selActive)
        {
            st->selActive = 1;
            st->anchorIndex = st->caretIndex;
            st->anchorVCol = st->caretVCol;
        }
    }
    else
    {
        st->selActive = 0;
    }
}

bool RCECaretDiffers(const RCE_STATE* st, UINT32 index, UINT32 vcol)
{
    if (index != st->caretIndex)
        return true;
    if (RCEVirtualSpace(st) && RCEIsLineEnd(st, index))
        return vcol != st->caretVCol;
    return false;
}
