// In-place editors over a real list: how each key or focus change ends a drop-down edit, what
// the end notification carries, that the editor is gone afterwards, and the wrapped controls of
// composite editors.
#include "controls/edit_list_ctrl.h"
#include "controls/in_place_combo.h"
#include "controls/window_helpers.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

using qltest::CTestHost;
using qltest::PressKey;
using qltest::PumpPending;

namespace {

class CTrackedCombo : public CInPlaceComboBox
{
public:
    CTrackedCombo(int row, int column, bool* pDeleted)
        : CInPlaceComboBox(row, column), m_pDeleted(pDeleted)
    {}
    ~CTrackedCombo() override { *m_pDeleted = true; }

private:
    bool* m_pDeleted;
};

// A list that edits its cells with a drop-down and records the end notifications it gets.
class CComboList : public CREditListCtrl
{
public:
    std::vector<NMLVDISPINFOW> ends;
    bool deleted = false;

    HWND OpenCombo(int row, int column, std::initializer_list<std::pair<LPCWSTR, DWORD>> choices,
                   int selected)
    {
        RECT cell;
        if (!GetCellRect(row, column, &cell))
            return nullptr;
        deleted = false;
        auto* combo = new CTrackedCombo(row, column, &deleted);
        if (!CreateInPlaceComboBox(combo, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                                   cell, this, 2000))
            return nullptr;
        for (const auto& choice : choices)
            combo->AddString(choice.first, choice.second);
        combo->SetCurSel(selected);
        m_bEditing = true;
        return combo->GetSafeHwnd();
    }

protected:
    void OnEndEdit(NMHDR* pNMHDR, LRESULT* pResult)
    {
        ends.push_back(*reinterpret_cast<NMLVDISPINFOW*>(pNMHDR));
        m_bEditing = false;
        *pResult = 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CComboList, CREditListCtrl)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDITW, &CComboList::OnEndEdit)
END_MESSAGE_MAP()

class InPlaceComboTest : public ::testing::Test
{
protected:
    CTestHost host;
    CComboList list;
    CButton other;

    void SetUp() override
    {
        ASSERT_TRUE(host.CreateHost());
        ASSERT_TRUE(list.CreateEx(0, WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT,
                                  CRect(10, 10, 410, 260), &host, 100));
        list.InsertColumn(0, L"Column", LVCFMT_LEFT, 120);
        list.InsertColumn(1, L"Operation", LVCFMT_LEFT, 120);
        for (int i = 0; i < 5; ++i)
            list.InsertItem(i, L"c");
        ASSERT_TRUE(other.Create(L"Other", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                 CRect(420, 10, 500, 40), &host, 300));
    }

    HWND Open(int selected = 1)
    {
        HWND hCombo =
            list.OpenCombo(2, 1, {{L"=", 0x12345678}, {L"<>", 0xFFFF}, {L"LIKE", 7}}, selected);
        EXPECT_NE(nullptr, hCombo);
        EXPECT_EQ(hCombo, ::GetFocus()) << "the editor takes the focus when created";
        PumpPending();
        return hCombo;
    }

    // The only end notification, checked for what every end carries.
    InPlaceComboResult End(HWND hCombo)
    {
        PumpPending();
        EXPECT_FALSE(::IsWindow(hCombo));
        EXPECT_TRUE(list.deleted);
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hCombo));
        EXPECT_FALSE(list.m_bEditing);
        EXPECT_EQ(1u, list.ends.size());
        if (list.ends.empty())
            return {};
        const NMLVDISPINFOW& info = list.ends.back();
        EXPECT_EQ(list.GetSafeHwnd(), info.hdr.hwndFrom);
        EXPECT_EQ(2000u, info.hdr.idFrom);
        EXPECT_EQ((UINT)LVN_ENDLABELEDITW, info.hdr.code);
        EXPECT_EQ((UINT)LVIF_PARAM, info.item.mask);
        EXPECT_EQ(2, info.item.iItem);
        EXPECT_EQ(1, info.item.iSubItem);
        EXPECT_EQ(nullptr, info.item.pszText);
        bool sawListId = false;
        for (const auto& n : host.notifies)
            sawListId |= n.code == (UINT)LVN_ENDLABELEDITW && n.wParam == 100;
        EXPECT_TRUE(sawListId) << "the list's parent gets wParam = the list's id";
        return GetInPlaceComboResult(info);
    }
};

TEST_F(InPlaceComboTest, EscapeCancels)
{
    HWND hCombo = Open();
    PressKey(hCombo, VK_ESCAPE);
    InPlaceComboResult r = End(hCombo);
    EXPECT_EQ(kInPlaceEscape, r.nEndReason);
    EXPECT_EQ(list.GetSafeHwnd(), ::GetFocus());
}

TEST_F(InPlaceComboTest, EnterTabAndShiftTab)
{
    struct Case
    {
        UINT vk;
        bool shift;
        int reason;
    } cases[] = {{VK_RETURN, false, kInPlaceEnter},
                 {VK_TAB, false, kInPlaceTab},
                 {VK_TAB, true, kInPlaceShiftTab}};
    for (const Case& c : cases)
    {
        list.ends.clear();
        HWND hCombo = Open(2);
        PressKey(hCombo, c.vk, c.shift);
        InPlaceComboResult r = End(hCombo);
        EXPECT_EQ(c.reason, r.nEndReason) << c.vk << " shift " << c.shift;
        EXPECT_TRUE(r.bSelected);
        EXPECT_EQ(7u, r.itemData);
        EXPECT_EQ(list.GetSafeHwnd(), ::GetFocus()) << "the key is not passed on";
    }
}

TEST_F(InPlaceComboTest, FocusLossEndsWithReasonZero)
{
    HWND hCombo = Open(0);
    other.SetFocus();
    InPlaceComboResult r = End(hCombo);
    EXPECT_EQ(kInPlaceEnter, r.nEndReason);
    EXPECT_EQ(other.GetSafeHwnd(), ::GetFocus());
}

TEST_F(InPlaceComboTest, WholeItemDataAndTheShortForm)
{
    HWND hCombo = Open(0);
    PressKey(hCombo, VK_RETURN);
    InPlaceComboResult r = End(hCombo);
    EXPECT_TRUE(r.bSelected);
    EXPECT_EQ(0x12345678u, r.itemData);
    const ULONGLONG raw = (ULONGLONG)list.ends.back().item.lParam;
    EXPECT_EQ(0x5678u, (raw >> 16) & 0xFFFF) << "bits 16-31 keep the low word";
}

TEST_F(InPlaceComboTest, NothingChosenIsToldApartFromData0xFFFF)
{
    HWND hCombo = Open(1); // the entry whose data is 0xFFFF
    PressKey(hCombo, VK_RETURN);
    InPlaceComboResult chosen = End(hCombo);
    EXPECT_TRUE(chosen.bSelected);
    EXPECT_EQ(0xFFFFu, chosen.itemData);
    EXPECT_EQ(1, chosen.nIndex);

    list.ends.clear();
    hCombo = Open(-1);
    PressKey(hCombo, VK_ESCAPE);
    InPlaceComboResult none = End(hCombo);
    EXPECT_FALSE(none.bSelected);
    EXPECT_EQ(0u, none.itemData);
    EXPECT_EQ(0xFFFFu, ((ULONGLONG)list.ends.back().item.lParam >> 16) & 0xFFFF);
}

TEST_F(InPlaceComboTest, ScrollingTheListEndsTheEdit)
{
    for (int i = 0; i < 40; ++i)
        list.InsertItem(5 + i, L"more");
    HWND hCombo = Open();
    list.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    InPlaceComboResult r = End(hCombo);
    EXPECT_EQ(kInPlaceEnter, r.nEndReason);
}

// A composite editor around an edit box: the box's focus loss and editing keys reach it.
TEST(FocusWndTest, EditKeysAndFocusReachTheEditor)
{
    CTestHost host;
    ASSERT_TRUE(host.CreateHost());
    CTestHost editor;
    ASSERT_TRUE(editor.CreateChild(&host, CRect(10, 10, 300, 60)));
    CFocusWnd<CEdit> edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL,
                            CRect(0, 0, 200, 40), &editor, 1));
    edit.SetFocus();

    PressKey(edit.GetSafeHwnd(), 'N');
    EXPECT_EQ(CString(L"n"), [&] {
        CString t;
        edit.GetWindowText(t);
        return t;
    }());
    EXPECT_TRUE(editor.keysDown.empty());

    PressKey(edit.GetSafeHwnd(), 'N', false, true);
    PressKey(edit.GetSafeHwnd(), VK_ESCAPE);
    PressKey(edit.GetSafeHwnd(), VK_RETURN);
    PressKey(edit.GetSafeHwnd(), VK_TAB);
    EXPECT_EQ((std::vector<WPARAM>{'N', VK_ESCAPE, VK_RETURN, VK_TAB}), editor.keysDown);
    CString text;
    edit.GetWindowText(text);
    EXPECT_EQ(CString(L"n"), text) << "Esc, Enter and Tab are never typed";

    CButton button;
    ASSERT_TRUE(button.Create(L"x", WS_CHILD | WS_VISIBLE, CRect(320, 10, 360, 40), &host, 2));
    button.SetFocus();
    ASSERT_EQ(1u, editor.killFocus.size());
    EXPECT_EQ(button.GetSafeHwnd(), editor.killFocus[0]);
}

} // namespace
