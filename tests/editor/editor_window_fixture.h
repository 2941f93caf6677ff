// A real editor window inside a parent that records what the editor tells it, and helpers to
// drive the editor with messages, keys and the mouse.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/editor_class.h"
#include "editor/rce_messages.h"

class EditorWindowTest : public ::testing::Test
{
public:
    static constexpr int kEditorId = 100;

    struct Notice
    {
        UINT code;
        UINT32 line, column; // RCEN_CARETMOVED
        UINT32 id;           // RCEN_MENUITEM
    };

    // What the parent received.
    int changes = 0;             // EN_CHANGE
    std::vector<UINT> commands;  // other WM_COMMAND ids
    std::vector<Notice> notices; // WM_NOTIFY
    std::function<void(UINT code, const NMHDR*)> onNotify;
    std::function<void()> onChange; // called on EN_CHANGE

    HWND parent = nullptr;
    HWND edit = nullptr;

protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the editor anew with extra style bits.
    void Recreate(DWORD extraStyle);

    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const
    {
        return SendMessageW(edit, msg, wp, lp);
    }
    void SetText(const std::wstring& text) { Send(WM_SETTEXT, 0, (LPARAM)text.c_str()); }
    std::wstring Text() const;
    std::pair<DWORD, DWORD> Sel() const;
    std::wstring SelText() const;
    UINT32 Options() const { return (UINT32)Send(RCEM_GETOPTIONS); }
    void SetOptions(UINT32 bits) { Send(RCEM_SETOPTIONS, 1, bits); }

    // Keyboard: the modifier state is set for GetKeyState before the message is sent.
    void SetModifiers(bool ctrl, bool shift, bool alt = false);
    void Key(UINT vk, bool ctrl = false, bool shift = false, UINT repeat = 1);
    void Char(WCHAR ch, bool ctrl = false, bool shift = false);
    void Type(const std::wstring& text);
    void Pump();
    void Click(int x, int y, bool doubleClick = false);

    // Runs fn while a timer ends whatever modal loop it starts (menus) by cancelling it.
    void EndModalSoon(UINT ms = 150);

    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static EditorWindowTest* s_current;
};
