#include "editor/paste_indent.h"

#include <memory>
#include <string>

#include "editor/caret_selection.h"
#include "editor/editing_core.h"
#include "editor/undo.h"
#include "editor/window_common.h"
#include "util/utility.h"

void RCEPaste(RCE_STATE* s)
{
    if (RCEReadOnly(s))
        return;
    bool unicode = IsClipboardFormatAvailable(CF_UNICODETEXT) != 0;
    if (!unicode && !IsClipboardFormatAvailable(CF_TEXT))
        return;
    if (!OpenClipboardPatiently(s->hwnd))
        return;
    std::wstring text;
    if (HANDLE data = GetClipboardData(unicode ? CF_UNICODETEXT : CF_TEXT))
    {
        if (const void* p = GlobalLock(data))
        {
            SIZE_T bytes = GlobalSize(data);
            if (unicode)
            {
                const WCHAR* w = static_cast<const WCHAR*>(p);
                size_t n = 0, max = bytes / sizeof(WCHAR);
                while (n < max && w[n])
                    ++n;
                text.assign(w, n);
            }
            else
            {
                const char* a = static_cast<const char*>(p);
                size_t n = 0;
                while (n < bytes && a[n])
                    ++n;
                int wide = MultiByteToWideChar(CP_ACP, 0, a, (int)n, nullptr, 0);
                if (wide > 0)
                {
                    text.resize((size_t)wide);
                    MultiByteToWideChar(CP_ACP, 0, a, (int)n, text.data(), wide);
                }
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (!text.empty())
        RCEInsertText(s, text.data(), (int)text.size(), 0);
}

// Blanks at the line start worth at most one tab stop.
static UINT32 OutdentLength(const RCE_STATE* s, UINT32 start, UINT32 end)
{
    UINT32 tab = s->tabSize ? s->tabSize : 8;
    UINT32 col = 0, i = start;
    while (i < end && col < tab)
    {
        if (s->text[i] == L' ')
            col += 1;
        else if (s->text[i] == L'\t')
            col = (col / tab + 1) * tab;
        else
            break;
        ++i;
    }
    return i - start;
}

bool RCEIndentLines(RCE_STATE* s, bool outdent)
{
    if (!s->selActive || !s->text)
        return false;
    UINT32 a, acol, b, bcol;
    RCEGetSelRange(s, &a, &acol, &b, &bcol);
    UINT32 lfs = 0;
    for (UINT32 i = a; i < b; ++i)
        lfs += s->text[i] == L'\n';
    if (!lfs)
        return false;
    bool readOnly = RCEReadOnly(s);
    if (readOnly)
        return false;

    UINT32 caretBefore = s->caretIndex;
    s->selActive = 0;
    RCERepaintSpan(s, a, b);
    RCERowPos line{0, a, a, 1};
    RCELineStartBack(s, &line);
    UINT32 firstStart = line.start;
    auto group = std::make_shared<RCE_HIST>();
    group->records.reserve(lfs + 1);
    std::wstring indent = (s->options & RCEO_TABSPACES)
                              ? std::wstring(s->tabSize ? s->tabSize : 8, L' ')
                              : std::wstring(L"\t");
    UINT32 start = firstStart;
    UINT32 lastEnd = start;
    for (UINT32 done = 0; done <= lfs; ++done)
    {
        RCERowPos rec{0, start, start, 1};
        RCELineEndForward(s, &rec);
        UINT32 visEnd = RCEVisibleEnd(s, &rec);
        if (outdent)
        {
            UINT32 n = OutdentLength(s, start, visEnd);
            std::wstring removed(s->text + start, n);
            if (n)
                RCEReplaceText(s, start, s->caretIndex, n, nullptr, 0, 0);
            RCEHistAppendClosed(*group, start, removed.data(), n, nullptr, 0);
            b -= std::min(b - start, n);
            rec.end -= n;
        }
        else if (visEnd > start)
        {
            RCEReplaceText(s, start, s->caretIndex, 0, indent.data(), (int)indent.size(), 0);
            RCEHistAppendClosed(*group, start, nullptr, 0, indent.data(), (UINT32)indent.size());
            b += (UINT32)indent.size();
            rec.end += (UINT32)indent.size();
        }
        else
        {
            RCEHistAppendClosed(*group, start, nullptr, 0, nullptr, 0);
        }
        lastEnd = rec.end;
        if (b <= rec.end || rec.end >= s->length || rec.end + 1 >= b)
            break;
        start = rec.end + 1;
    }
    RCEUndoRecord& rec = RCEHistBeginRecord(s->hist, caretBefore, firstStart);
    rec.group = group;
    RCEHistCloseRecord(s->hist, firstStart);

    RCESetCaretIndex(s, firstStart, 0);
    s->anchorIndex = std::min(lastEnd + 1, s->length);
    s->anchorVCol = 0;
    s->selActive = s->anchorIndex != s->caretIndex;
    RCERepaintSpan(s, firstStart, s->anchorIndex);
    RCENotifyChange(s->hwnd, s);
    return true;
}
