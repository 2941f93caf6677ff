#include "editor/keyboard.h"

#include <string>

#include "editor/auto_complete_popup.h"
#include "editor/caret_selection.h"
#include "editor/editing_core.h"
#include "editor/line_paint.h"
#include "editor/paste_indent.h"
#include "editor/window_common.h"

static bool KeyDown(int vk)
{
    return GetKeyState(vk) < 0;
}

bool RCEOnKeyDown(RCE_STATE* s, UINT key, UINT repeat)
{
    if (key < 9 || key > 90)
        return false;
    int n = repeat ? (int)repeat : 1;
    bool ctrl = KeyDown(VK_CONTROL);
    bool shift = KeyDown(VK_SHIFT);
    switch (key)
    {
    case VK_TAB:
        if (!ctrl)
            return false;
        PostMessageW(s->hwnd, WM_CHAR, L'\t', 1);
        return true;
    case VK_RETURN:
        if (!ctrl)
            return false;
        PostMessageW(s->hwnd, WM_CHAR, L'\r', 1);
        return true;
    case VK_ESCAPE: RCESetSel(s, -1, 0); return true;
    case VK_PRIOR: RCEMovePage(s, -n, shift); return true;
    case VK_NEXT: RCEMovePage(s, n, shift); return true;
    case VK_END:
        if (ctrl)
            RCEMoveDocHomeEnd(s, true, shift);
        else
            RCEMoveHomeEnd(s, true, shift);
        return true;
    case VK_HOME:
        if (ctrl)
            RCEMoveDocHomeEnd(s, false, shift);
        else
            RCEMoveHomeEnd(s, false, shift);
        return true;
    case VK_LEFT: RCEMoveCaret(s, 0, -n, true, ctrl, false); return true;
    case VK_RIGHT: RCEMoveCaret(s, 0, n, true, ctrl, false); return true;
    case VK_UP: RCEMoveCaret(s, -n, 0, true, false, false); return true;
    case VK_DOWN: RCEMoveCaret(s, n, 0, true, false, false); return true;
    case VK_INSERT:
        if (ctrl)
        {
            RCECopy(s);
        }
        else if (shift)
        {
            RCEPaste(s);
        }
        else
        {
            s->insertMode = s->insertMode ? 0 : 1;
            if (GetFocus() == s->hwnd)
            {
                DestroyCaret();
                RCECreateCaret(s);
                RCEUpdateCaret(s, false, s->caretRow.number);
                ShowCaret(s->hwnd);
            }
        }
        return true;
    case VK_DELETE:
        if (shift)
        {
            RCECut(s);
        }
        else if (!RCEReadOnly(s))
        {
            RCEDeleteChars(s, n);
        }
        return true;
    case 'A':
        if (!ctrl)
            return false;
        RCESetSel(s, 0, -1);
        return true;
    case 'C':
        if (!ctrl)
            return false;
        RCECopy(s);
        return true;
    case 'U':
        if (!ctrl)
            return false;
        RCEChangeCase(s, !shift);
        return true;
    case 'V':
        if (!ctrl)
            return false;
        RCEPaste(s);
        return true;
    case 'X':
        if (!ctrl)
            return false;
        RCECut(s);
        return true;
    case 'Y':
        if (!ctrl)
            return false;
        RCERedo(s);
        return true;
    case 'Z':
        if (!ctrl)
            return false;
        RCEUndo(s);
        return true;
    default: return false;
    }
}

// The caret stands beyond the end of its line in virtual space.
static bool InVirtualSpace(RCE_STATE* s)
{
    return RCEVirtualSpace(s) && s->caretVCol > 0 &&
           s->caretIndex == RCEVisibleEnd(s, &s->caretRow);
}

void RCETypeChar(RCE_STATE* s, WCHAR ch, UINT repeat)
{
    bool trigger = false;
    if (const RCEIndentHook* hook = s->indentHook;
        hook && hook->triggers && hook->triggerCount && hook->proc)
    {
        for (UINT32 k = 0; k < hook->triggerCount; ++k)
            trigger |= hook->triggers[k] == ch;
    }
    for (UINT k = 0; k < (repeat ? repeat : 1); ++k)
        RCEInsertText(s, &ch, 1, trigger ? ch : 0);
}

void RCEOnChar(RCE_STATE* s, WCHAR ch, UINT repeat)
{
    if (RCEReadOnly(s))
    {
        MessageBeep(MB_ICONHAND);
        return;
    }
    if (KeyDown(VK_MENU))
        return;
    UINT n = repeat ? repeat : 1;
    bool ctrl = KeyDown(VK_CONTROL);
    if (ctrl && ch != L'\t' && ch != L'\r')
    {
        if (ch == L' ' && (s->options & RCEO_AUTOCOMPLETE))
            RCEShowAutoComplete(s);
        return;
    }
    switch (ch)
    {
    case L'\b':
        if (!s->selActive && InVirtualSpace(s))
        {
            RCEMoveCaret(s, 0, -1, false, false, false);
            return;
        }
        for (UINT k = 0; k < n; ++k)
            RCEDeleteChars(s, -1);
        return;
    case L'\t':
        if (RCESelHasLineBreak(s))
        {
            RCEIndentLines(s, KeyDown(VK_SHIFT));
            return;
        }
        if (s->options & RCEO_TABSPACES)
        {
            std::wstring spaces;
            for (UINT k = 0; k < n; ++k)
            {
                UINT32 fill = RCECaretTabFill(s);
                spaces.assign(fill ? fill : s->tabSize, L' ');
                RCEInsertText(s, spaces.data(), (int)spaces.size(), 0);
            }
        }
        else
        {
            for (UINT k = 0; k < n; ++k)
                RCEInsertText(s, L"\t", 1, 0);
        }
        return;
    case L'\r':
        for (UINT k = 0; k < n; ++k)
            RCEInsertText(s, L"\r\n", 2, L'\n');
        return;
    default:
        if (ch < 32)
            return;
        RCETypeChar(s, ch, n);
        return;
    }
}

bool RCEOnSysKeyDown(RCE_STATE* s, UINT key)
{
    if (key != VK_BACK)
        return false;
    if (KeyDown(VK_SHIFT))
        RCERedo(s);
    else
        RCEUndo(s);
    return true;
}

bool RCEOnSysChar(RCE_STATE* s, WCHAR ch)
{
    (void)s;
    return ch == L'\b' && KeyDown(VK_MENU);
}
