// The script file dialog's encoding row and the encoding combo box.
#include "services/encoding_combo.h"
#include "services/script_reader.h"
#include "services/sql_file_dialog.h"

#include "resources/resource.h"
#include "tests/support/windowed_tests.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// Runs the dialog and calls each step from a timer, one per tick; the last one cancels.
class CScriptedFileDialog : public CSQLFileDialog
{
public:
    CScriptedFileDialog(BOOL bOpen, UINT nEncoding)
        : CSQLFileDialog(bOpen, OFN_HIDEREADONLY | OFN_ENABLESIZING, nEncoding)
    {}
    std::vector<std::function<void(CScriptedFileDialog&)>> m_steps;

    HWND Dialog() const { return ::GetParent(m_hWnd); }
    CComboBox* Combo() { return static_cast<CComboBox*>(GetDlgItem(IDC_ENCODING_COMBO)); }

protected:
    BOOL OnInitDialog() override
    {
        CSQLFileDialog::OnInitDialog();
        s_pRunning = this;
        ::SetTimer(m_hWnd, 1, 100, &CScriptedFileDialog::Tick);
        return TRUE;
    }

private:
    static void CALLBACK Tick(HWND hWnd, UINT, UINT_PTR, DWORD)
    {
        CScriptedFileDialog* self = s_pRunning;
        if (self == nullptr)
            return;
        if (self->m_nStep < self->m_steps.size())
            self->m_steps[self->m_nStep++](*self);
        if (self->m_nStep >= self->m_steps.size())
        {
            ::KillTimer(hWnd, 1);
            s_pRunning = nullptr;
            ::PostMessageW(self->Dialog(), WM_COMMAND, IDCANCEL, 0);
        }
    }
    size_t m_nStep = 0;
    static CScriptedFileDialog* s_pRunning;
};
CScriptedFileDialog* CScriptedFileDialog::s_pRunning = nullptr;

RECT ScreenRect(HWND hWnd)
{
    RECT rect{};
    ::GetWindowRect(hWnd, &rect);
    return rect;
}

// Left edge and width of the encoding combo and the file-type combo.
void ExpectRowAligned(CScriptedFileDialog& dlg, const char* when)
{
    const RECT own = ScreenRect(dlg.Combo()->GetSafeHwnd());
    const RECT type = ScreenRect(::GetDlgItem(dlg.Dialog(), 1136));
    EXPECT_EQ(own.left, type.left) << when;
    EXPECT_EQ(own.right - own.left, type.right - type.left) << when;
    const RECT label = ScreenRect(::GetDlgItem(dlg.m_hWnd, IDC_ENCODING_LABEL));
    EXPECT_EQ(label.left, ScreenRect(::GetDlgItem(dlg.Dialog(), 1089)).left) << when;
    EXPECT_GT(own.top, type.top) << "the row stays below the file-type row";
}

TEST(SQLFileDialog, OpenOffersAutoAndTheRowFollowsTheFileTypeRow)
{
    CScriptedFileDialog dlg(TRUE, SCRIPT_ENCODING_DETECT);
    int count = 0;
    CString firstText;
    int widthBefore = 0;
    dlg.m_steps.push_back([&](CScriptedFileDialog& d) {
        count = d.Combo()->GetCount();
        d.Combo()->GetLBText(d.Combo()->GetCurSel(), firstText);
        EXPECT_EQ(d.Combo()->GetItemData(d.Combo()->GetCurSel()), 0u);
        ExpectRowAligned(d, "at start");
        const RECT r = ScreenRect(d.Dialog());
        widthBefore =
            ScreenRect(d.Combo()->GetSafeHwnd()).right - ScreenRect(d.Combo()->GetSafeHwnd()).left;
        ::SetWindowPos(d.Dialog(), nullptr, 0, 0, r.right - r.left + 160, r.bottom - r.top + 60,
                       SWP_NOMOVE | SWP_NOZORDER);
    });
    dlg.m_steps.push_back([&](CScriptedFileDialog& d) {
        ExpectRowAligned(d, "after a resize");
        const RECT own = ScreenRect(d.Combo()->GetSafeHwnd());
        EXPECT_GT(own.right - own.left, widthBefore);
        // Choosing UTF-8 sets the encoding.
        d.Combo()->SetCurSel(3);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ENCODING_COMBO, CBN_SELCHANGE),
                      (LPARAM)d.Combo()->GetSafeHwnd());
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(count, 4);
    EXPECT_STREQ(firstText, L"Auto");
    EXPECT_EQ(dlg.GetEncoding(), SCRIPT_ENCODING_UTF8);
}

TEST(SQLFileDialog, SaveHasNoAutoAndFallsBackToTheFirstEntry)
{
    for (UINT asked : {SCRIPT_ENCODING_DETECT, SCRIPT_ENCODING_UNICODE})
    {
        CScriptedFileDialog dlg(FALSE, asked);
        int count = 0;
        DWORD_PTR selected = 99;
        dlg.m_steps.push_back([&](CScriptedFileDialog& d) {
            count = d.Combo()->GetCount();
            selected = d.Combo()->GetItemData(d.Combo()->GetCurSel());
        });
        dlg.DoModal();
        EXPECT_EQ(count, 3);
        const UINT expected = asked == SCRIPT_ENCODING_DETECT ? SCRIPT_ENCODING_ANSI : asked;
        EXPECT_EQ(selected, expected);
        EXPECT_EQ(dlg.GetEncoding(), expected);
    }
}

TEST(EncodingComboBox, EntriesSelectionAndEmptySelection)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, L"STATIC", L"", WS_POPUP, CRect(0, 0, 200, 200), nullptr, 0));
    CEncodingComboBox combo;
    ASSERT_TRUE(
        combo.Create(CBS_DROPDOWNLIST | WS_CHILD | WS_VISIBLE, CRect(0, 0, 150, 120), &parent, 1));
    combo.Init(SCRIPT_ENCODING_UTF8);
    ASSERT_EQ(combo.GetCount(), 3);
    CString text;
    combo.GetLBText(0, text);
    EXPECT_STREQ(text, L"ANSI");
    combo.GetLBText(2, text);
    EXPECT_STREQ(text, L"UTF-8");
    EXPECT_EQ(combo.GetEncoding(), SCRIPT_ENCODING_UTF8);
    combo.Init(SCRIPT_ENCODING_DETECT); // not offered: the first entry
    EXPECT_EQ(combo.GetCount(), 3);
    EXPECT_EQ(combo.GetEncoding(), SCRIPT_ENCODING_ANSI);
    combo.Init(SCRIPT_ENCODING_UNICODE);
    combo.SetCurSel(-1);
    EXPECT_EQ(combo.GetEncoding(), SCRIPT_ENCODING_ANSI);
    combo.DestroyWindow();
    parent.DestroyWindow();
}

} // namespace
