#include "editor/auto_complete_popup.h"

#include <algorithm>
#include <string>

#include "editor/auto_complete_words.h"
#include "editor/caret_selection.h"
#include "editor/editing_core.h"
#include "editor/text_measure.h"
#include "editor/window_common.h"

static const WCHAR kPopupProp[] = L"RCEAutoCompleteEditor";

void RCEFreeAutoComplete(RCE_STATE* s)
{
    RCEAutoCompletePopup* p = s->acPopup;
    if (!p)
        return;
    s->acPopup = nullptr;
    if (p->list && IsWindow(p->list))
    {
        SetWindowLongPtrW(p->list, GWLP_USERDATA, 0);
        if (p->previousProc)
            SetWindowLongPtrW(p->list, GWLP_WNDPROC, (LONG_PTR)p->previousProc);
        RemovePropW(p->list, kPopupProp);
        DestroyWindow(p->list);
    }
    delete p;
}

bool RCEInsertAutoCompleteWord(RCE_STATE* s, const WCHAR* word, UINT32 prefixStart)
{
    if (!s->text || !word || !*word || prefixStart > s->length || prefixStart > s->caretIndex)
        return false;
    UINT32 wordLen = (UINT32)wcslen(word);
    UINT32 typed = s->caretIndex - prefixStart;
    if (typed > wordLen ||
        (typed && CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, s->text + prefixStart,
                                 (int)typed, word, (int)typed) != CSTR_EQUAL))
        return false;
    UINT32 end = s->caretIndex;
    while (end < s->length && RCEIsIdent(s->text[end]))
        ++end;
    UINT32 runLen = end - prefixStart;
    if (runLen == wordLen && wcsncmp(s->text + prefixStart, word, wordLen) == 0)
    {
        RCESetCaretIndex(s, end, 0);
        return true;
    }
    return RCEReplaceText(s, prefixStart, s->caretIndex, runLen, word, (int)wordLen,
                          0x1 | 0x2 | 0x4) != 0;
}

// Inserts the list's selected word and gives the focus back to the editor.
static void PickSelected(HWND list, HWND editor)
{
    int sel = (int)SendMessageW(list, LB_GETCURSEL, 0, 0);
    std::wstring word;
    if (sel >= 0)
    {
        int len = (int)SendMessageW(list, LB_GETTEXTLEN, (WPARAM)sel, 0);
        if (len > 0)
        {
            word.resize((size_t)len + 1);
            SendMessageW(list, LB_GETTEXT, (WPARAM)sel, (LPARAM)word.data());
            word.resize((size_t)len);
        }
    }
    RCETextLock lock(editor);
    RCE_STATE* s = lock.state();
    if (!s)
        return;
    UINT32 prefixStart = s->acPopup ? s->acPopup->prefixStart : s->caretIndex;
    // The list goes away when it loses the focus.
    SetFocus(editor);
    if (!word.empty() && s->text)
        RCEInsertAutoCompleteWord(s, word.c_str(), prefixStart);
}

static LRESULT CALLBACK RCEAutoCompleteListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp)
{
    HWND editor = GetParent(list);
    RCEAutoCompletePopup* p = (RCEAutoCompletePopup*)GetWindowLongPtrW(list, GWLP_USERDATA);
    WNDPROC previous = p ? p->previousProc : (WNDPROC)GetPropW(list, kPopupProp);
    switch (msg)
    {
    case WM_KILLFOCUS: {
        LRESULT r = previous ? CallWindowProcW(previous, list, msg, wp, lp) : 0;
        PostMessageW(list, WM_CLOSE, 0, 0);
        ShowWindow(list, SW_HIDE);
        return r;
    }
    case WM_CLOSE: DestroyWindow(list); return 0;
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_ARROW)); return TRUE;
    case WM_GETDLGCODE: {
        const MSG* m = (const MSG*)lp;
        if (m && m->message == WM_KEYDOWN && (m->wParam == VK_ESCAPE || m->wParam == VK_RETURN))
            return DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_HASSETSEL | DLGC_WANTCHARS;
        break;
    }
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE)
        {
            SetFocus(editor);
            return 0;
        }
        if (wp == VK_RETURN)
        {
            PickSelected(list, editor);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wp == VK_ESCAPE || wp == VK_RETURN)
            return 0;
        break;
    case WM_LBUTTONDBLCLK: {
        LRESULT r = previous ? CallWindowProcW(previous, list, msg, wp, lp) : 0;
        PickSelected(list, editor);
        return r;
    }
    case WM_NCDESTROY: {
        LRESULT r = previous ? CallWindowProcW(previous, list, msg, wp, lp) : 0;
        RemovePropW(list, kPopupProp);
        if (p && p->list == list)
            p->list = nullptr;
        return r;
    }
    default: break;
    }
    return previous ? CallWindowProcW(previous, list, msg, wp, lp)
                    : DefWindowProcW(list, msg, wp, lp);
}

int RCEShowAutoComplete(RCE_STATE* s)
{
    if (HWND parent = GetParent(s->hwnd))
    {
        NMHDR nm{s->hwnd, (UINT_PTR)RCEControlId(s), RCEN_AUTOCOMPLETE};
        RCESendUnlocked(s, parent, WM_NOTIFY, 0, (LPARAM)&nm);
    }
    if (!s->text)
        return 0;
    if (s->selActive && RCECaretDiffers(s, s->anchorIndex, s->anchorVCol))
    {
        UINT32 a, acol, b, bcol;
        RCEGetSelRange(s, &a, &acol, &b, &bcol);
        RCESetCaretIndex(s, b, 0);
    }
    else if (s->selActive)
    {
        RCERemoveSelection(s);
    }
    UINT32 prefixStart = s->caretIndex;
    while (prefixStart > 0 && RCEIsIdent(s->text[prefixStart - 1]))
        --prefixStart;
    if (prefixStart < s->caretIndex && s->text[prefixStart] >= L'0' && s->text[prefixStart] <= L'9')
        prefixStart = s->caretIndex;
    std::wstring prefix(s->text + prefixStart, s->caretIndex - prefixStart);

    HCURSOR oldCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    RCEWordSet words;
    if (s->acFlags & 1)
        RCECollectTextWords(s, prefix.data(), (UINT32)prefix.size(), &words);
    for (UINT32 k = 0; k < s->acCount && s->acWords; ++k)
    {
        const tagRCEAutoCompleteWord& w = s->acWords[k];
        if (w.word && w.length &&
            RCEWordHasPrefix(prefix.data(), (UINT32)prefix.size(), w.word, w.length))
            words.insert(std::wstring(w.word, w.length));
    }
    SetCursor(oldCursor);
    if (words.empty())
        return 0;
    if (words.size() == 1)
    {
        RCEInsertAutoCompleteWord(s, words.begin()->c_str(), prefixStart);
        return 1;
    }

    RCEFreeAutoComplete(s);
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE, L"LISTBOX", nullptr,
                                WS_CHILD | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS, 0, 0,
                                10, 10, s->hwnd, nullptr,
                                (HINSTANCE)GetWindowLongPtrW(s->hwnd, GWLP_HINSTANCE), nullptr);
    if (!list)
        return 0;
    RCEAutoCompletePopup* p = new RCEAutoCompletePopup;
    p->list = list;
    p->prefixStart = prefixStart;
    s->acPopup = p;
    if (s->font)
        SendMessageW(list, WM_SETFONT, (WPARAM)s->font, FALSE);
    SetWindowLongPtrW(list, GWLP_USERDATA, (LONG_PTR)p);
    p->previousProc =
        (WNDPROC)SetWindowLongPtrW(list, GWLP_WNDPROC, (LONG_PTR)RCEAutoCompleteListProc);
    SetPropW(list, kPopupProp, (HANDLE)p->previousProc);

    size_t longest = 0;
    for (const std::wstring& w : words)
        longest = std::max(longest, w.size());
    longest = std::min<size_t>(longest, 50);
    int textWidth = s->metricsValid ? (int)longest * RCEColumnWidth(s) : 100;
    int width = textWidth + GetSystemMetrics(SM_CXVSCROLL) + 8 * GetSystemMetrics(SM_CXBORDER);
    int height = (int)std::min<size_t>(words.size(), 10) * RCERowHeight(s) +
                 4 * GetSystemMetrics(SM_CYBORDER);
    int caretX = RCECaretPixel(s) - RCEShiftX(s);
    int caretY = ((int)s->caretRow.number - (int)s->topRow.number) * RCERowHeight(s);
    int x = caretX;
    int y = caretY + RCERowHeight(s) - 2 * GetSystemMetrics(SM_CYBORDER);
    RECT client{};
    GetClientRect(s->hwnd, &client);
    if (x + width > client.right)
        x = client.right - width;
    if (x < client.left)
        x = client.left;
    if (y + height > client.bottom)
        y = client.bottom - height;
    if (y < client.top)
        y = client.top;
    SetWindowPos(list, HWND_TOP, x, y, width, height, SWP_NOACTIVATE);
    for (const std::wstring& w : words)
        if (SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)w.c_str()) < 0)
            break;
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    ShowWindow(list, SW_SHOW);
    bool locked = s->text != nullptr;
    if (locked)
    {
        RCEUnlockBuffer(s);
        s->text = nullptr;
    }
    SetFocus(list);
    if (locked)
        RCELockBuffer(s);
    return 1;
}
