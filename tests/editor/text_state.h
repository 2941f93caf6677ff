// A window-less editor state holding a given text, for the pure-logic tests.
#pragma once

#include <algorithm>
#include <string>

#include "editor/line_index.h"
#include "editor/rce_state.h"
#include "editor/text_buffer.h"

struct TextState
{
    RCE_STATE st;

    explicit TextState(const std::wstring& text = L"")
    {
        RCEAllocText(&st);
        RCELockBuffer(&st);
        Set(text);
    }
    ~TextState() { RCEFreeText(&st); }

    void Set(const std::wstring& text)
    {
        st.length = 0;
        RCEGrowText(&st, (UINT32)text.size());
        if (!text.empty())
            wmemcpy(st.text, text.data(), text.size());
        st.length = (UINT32)text.size();
        st.lineCount = (UINT32)std::count(text.begin(), text.end(), L'\n') + 1;
        st.caretIndex = 0;
        st.caretRow = RCERowPos{0, 0, 0, 0};
        st.topRow = RCERowPos{0, 0, 0, 0};
        RCEFindCaretLine(&st);
    }
    // Raw edits without undo, keeping the line count (as the editing core does).
    void Insert(UINT32 at, const std::wstring& s)
    {
        RCEGrowText(&st, (UINT32)s.size());
        wmemmove(st.text + at + s.size(), st.text + at, st.length - at);
        wmemcpy(st.text + at, s.data(), s.size());
        st.length += (UINT32)s.size();
        st.lineCount += (UINT32)std::count(s.begin(), s.end(), L'\n');
    }
    void Erase(UINT32 at, UINT32 n)
    {
        st.lineCount -= (UINT32)std::count(st.text + at, st.text + at + n, L'\n');
        wmemmove(st.text + at, st.text + at + n, st.length - at - n);
        st.length -= n;
    }
    std::wstring Text() const { return std::wstring(st.text, st.length); }
    void Caret(UINT32 index)
    {
        st.caretIndex = index;
        st.caretRow.valid = 0;
        RCEFindCaretLine(&st);
    }
};
