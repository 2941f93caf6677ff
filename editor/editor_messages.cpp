#include "editor/editor_messages.h"

#include <algorithm>

#include "editor/auto_complete_popup.h"
#include "editor/caret_selection.h"
#include "editor/editing_core.h"
#include "editor/editor_class.h"
#include "editor/line_paint.h"
#include "editor/paint.h"
#include "editor/sql_tokenizer.h"
#include "editor/text_measure.h"
#include "editor/window_common.h"

LRESULT RCEGetDlgCode(RCE_STATE* s, const MSG* m)
{
    const LRESULT all = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTALLKEYS | DLGC_WANTARROWS;
    const LRESULT noAll = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    if (!m)
        return 0;
    if (m->message != WM_KEYDOWN)
        return all;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (m->wParam)
    {
    case VK_ESCAPE: return noAll;
    case VK_TAB:
        if (ctrl)
            return all;
        return (s->options & RCEO_WANTTAB) ? all : noAll;
    case VK_RETURN:
        if (!ctrl && !(GetWindowLongW(s->hwnd, GWL_STYLE) & ES_WANTRETURN))
            return noAll;
        return all;
    default: return all;
    }
}

// Copies at most size - 1 characters and a NUL; returns min(size, count).
static LRESULT CopyOut(const WCHAR* from, UINT32 count, WPARAM size, WCHAR* buffer)
{
    if ((INT_PTR)size < 1 || !buffer)
        return 0;
    UINT32 n = (UINT32)std::min<UINT64>(count, (UINT64)size - 1);
    if (n && from)
        memcpy(buffer, from, n * sizeof(WCHAR));
    buffer[n] = 0;
    return (LRESULT)std::min<UINT64>(size, count);
}

bool RCEHandleInterfaceMessage(RCE_STATE* s, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result)
{
    LRESULT& r = *result;
    r = 0;
    switch (msg)
    {
    case RCEM_CANREDO: r = RCECanRedo(s); return true;
    case RCEM_REDO: r = RCERedo(s); return true;
    case RCEM_GETOPTIONS: r = s->options; return true;
    case RCEM_SETOPTIONS: r = RCESetOptions(s, (UINT32)lp, wp != 0); return true;
    case RCEM_SETWORDCOLORS:
        s->wordRules = (const tagRCEWordColor*)lp;
        s->wordCount = s->wordRules ? (UINT32)wp : 0;
        RCEHasColoring(s);
        InvalidateRect(s->hwnd, nullptr, FALSE);
        return true;
    case RCEM_SETRANGECOLORS:
        s->rangeRules = (const tagRCERangeColor*)lp;
        s->rangeCount = s->rangeRules ? (UINT32)std::min<WPARAM>(wp, RCE_MAX_RANGE_RULES) : 0;
        RCEResetLineStates(s);
        RCEHasColoring(s);
        InvalidateRect(s->hwnd, nullptr, FALSE);
        return true;
    case RCEM_GETTABSIZE: r = s->tabSize; return true;
    case RCEM_SETTABSIZE: {
        r = s->tabSize;
        s->tabSize = lp > 0 ? (UINT32)lp : 8;
        if ((UINT32)r != s->tabSize)
        {
            // Rows change width with the tab stops.
            s->widestRow = 0;
            RCEUpdateWidestLine(s, 0, true);
            if (RCEWrapOn(s))
            {
                s->wrapWidth = -1;
                RECT rc{};
                GetClientRect(s->hwnd, &rc);
                RCEOnSize(s, rc.right - rc.left);
            }
            RCEUpdateScrollBars(s);
        }
        if (wp)
            RCERedraw(s);
        return true;
    }
    case RCEM_SETREGEXPCOLORS:
        s->regexpRules = (const tagRCERegExpColor*)lp;
        s->regexpCount = s->regexpRules ? (UINT32)wp : 0;
        RCEHasColoring(s);
        InvalidateRect(s->hwnd, nullptr, FALSE);
        return true;
    case RCEM_GETSELLENGTH: r = RCESelLength(s); return true;
    case RCEM_GETSELTEXT: {
        UINT32 len = RCESelLength(s);
        WCHAR* buffer = (WCHAR*)lp;
        if ((INT_PTR)wp < 1 || !buffer)
            return true;
        if (!len || !s->text)
        {
            buffer[0] = 0;
            return true;
        }
        UINT32 a, acol, b, bcol;
        RCEGetSelRange(s, &a, &acol, &b, &bcol);
        r = CopyOut(s->text + a, b - a, wp, buffer);
        return true;
    }
    case RCEM_SETINDENTWORDS:
        s->indentWords = (const RCEIndentWord*)lp;
        s->indentCount = s->indentWords ? (UINT32)wp : 0;
        return true;
    case RCEM_REPLACERANGE: r = RCEOnReplaceRange(s, (const void*)lp); return true;
    case RCEM_GETSELRECT: r = RCEOnGetSelRect(s, (RECT*)lp); return true;
    case RCEM_SETSELEX: RCEOnSetSelEx(s, (const void*)lp); return true;
    case RCEM_SETCONTEXTMENU:
        s->extraMenu = (HMENU)wp;
        s->extraMenuPos = (INT32)lp < 0 ? -1 : (INT32)lp;
        return true;
    case RCEM_SETTOKENIZER:
        s->tokenizer = lp ? (RCETokenizerProc)lp : RColorEditorTokenizeSQL;
        RCEResetLineStates(s);
        RCEHasColoring(s);
        InvalidateRect(s->hwnd, nullptr, FALSE);
        return true;
    case RCEM_IGNORED: return true;
    case RCEM_SETINDENTHOOK: s->indentHook = (const RCEIndentHook*)lp; return true;
    case RCEM_GETCARETINFO: {
        RCECaretInfo* info = (RCECaretInfo*)lp;
        if (!info || info->size != sizeof(RCECaretInfo))
            return true;
        RCEValidateRows(s);
        UINT32 line = 1, col = 1;
        RCEGetCaretLineCol(s, &line, &col);
        UINT32 a, acol, b, bcol;
        RCEGetSelRange(s, &a, &acol, &b, &bcol);
        info->line = line;
        info->column = col;
        info->selStart = a;
        info->selEnd = b;
        r = 1;
        return true;
    }
    case RCEM_FINDREPLACE: r = RCEOnFindReplace(s, (void*)lp); return true;
    case RCEM_GOTO: r = RCEOnGoTo(s, (const void*)lp); return true;
    case RCEM_SETNOTIFY:
        s->notifyBits = (UINT32)wp;
        r = 1;
        return true;
    case RCEM_SETAUTOCOMPLETE: {
        const RCEAutoCompleteTable* t = (const RCEAutoCompleteTable*)lp;
        s->acWords = t ? t->words : nullptr;
        s->acCount = t && t->words ? t->count : 0;
        s->acFlags = t ? t->flags : 1;
        r = 1;
        return true;
    }
    case RCEM_SHOWAUTOCOMPLETE: r = RCEShowAutoComplete(s); return true;
    case WM_GETTEXT: r = CopyOut(s->text, s->text ? s->length : 0, wp, (WCHAR*)lp); return true;
    case WM_GETTEXTLENGTH: r = s->length; return true;
    case WM_GETFONT: r = (LRESULT)s->font; return true;
    case WM_SETTINGCHANGE: RCEReadWheelSettings(s); return true;
    case WM_GETDLGCODE: r = RCEGetDlgCode(s, (const MSG*)lp); return true;
    case EM_GETSEL: {
        UINT32 a, acol, b, bcol;
        RCEGetSelRange(s, &a, &acol, &b, &bcol);
        if (wp)
            *(DWORD*)wp = a;
        if (lp)
            *(DWORD*)lp = b;
        r = a >= 0x10000 || b >= 0x10000 ? -1 : MAKELONG(a, b);
        return true;
    }
    case EM_GETMODIFY: r = RCEIsModified(s); return true;
    case EM_SETMODIFY: RCESetModified(s, wp != 0); return true;
    case EM_CANUNDO: r = RCECanUndo(s); return true;
    case EM_SETREADONLY: {
        LONG style = GetWindowLongW(s->hwnd, GWL_STYLE);
        LONG updated = wp ? (style | ES_READONLY) : (style & ~ES_READONLY);
        SetLastError(0);
        if (!SetWindowLongW(s->hwnd, GWL_STYLE, updated) && GetLastError())
            return true;
        InvalidateRect(s->hwnd, nullptr, FALSE);
        r = 1;
        return true;
    }
    default: return false;
    }
}
