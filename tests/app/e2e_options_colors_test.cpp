// End to end: the colour buttons of the Options sheet open the system's colour dialog on the
// current colour; the colour chosen there reaches the registry after OK and the next process
// opens the dialog on it.
#include "tests/support/program_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

// The red, green and blue fields of the full colour dialog.
const int kRed = 706, kGreen = 707, kBlue = 708;

class OptionsColors : public ::testing::Test
{
protected:
    void SetUp() override { ql::CleanSettings(); }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }
    HWND OpenPage(int index)
    {
        program.PostCommand(ID_VIEW_OPTIONS);
        m_sheet = program.WaitForDialog(L"Options");
        if (!m_sheet)
            return nullptr;
        SendMessageW(m_sheet, PSM_SETCURSEL, index, 0);
        return (HWND)SendMessageW(m_sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    }
    void CloseSheet(int button)
    {
        ql::CProgram::Click(m_sheet, button);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(m_sheet); }));
    }
    // Clicks a colour button and gives the colour the dialog opened on; with a new colour,
    // types it in and ends the dialog with OK, else with Cancel.
    COLORREF Choose(HWND page, int button, const COLORREF* pNew = nullptr)
    {
        ql::CProgram::Click(page, button);
        HWND dlg = program.WaitForDialog(L"Color");
        EXPECT_NE(dlg, nullptr) << program.Describe();
        if (!dlg)
            return CLR_INVALID;
        auto field = [&](int id) { return (BYTE)_wtoi(ql::CProgram::Text(dlg, id).c_str()); };
        const COLORREF shown = RGB(field(kRed), field(kGreen), field(kBlue));
        if (pNew)
        {
            ql::CProgram::SetText(dlg, kRed, std::to_wstring(GetRValue(*pNew)));
            ql::CProgram::SetText(dlg, kGreen, std::to_wstring(GetGValue(*pNew)));
            ql::CProgram::SetText(dlg, kBlue, std::to_wstring(GetBValue(*pNew)));
        }
        ql::CProgram::Click(dlg, pNew ? IDOK : IDCANCEL);
        EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
        return shown;
    }
    static DWORD Stored(const wchar_t* name)
    {
        DWORD value = CLR_INVALID;
        ql::ReadRegDword(name, value);
        return value;
    }

    ql::CProgram program;
    HWND m_sheet = nullptr;
};

TEST_F(OptionsColors, ChosenColorsReachTheRegistryAndTheNextProcess)
{
    const COLORREF keyword = RGB(12, 34, 56), editLines = RGB(200, 100, 50);
    ASSERT_TRUE(program.Start());
    HWND editor = OpenPage(2);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(RGB(0, 0, 255), Choose(editor, IDC_OPT_KEYWORD_COLOR, &keyword));
    // The edit lines' colour button follows its check box.
    SendMessageW(m_sheet, PSM_SETCURSEL, 0, 0);
    HWND main = (HWND)SendMessageW(m_sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    ASSERT_NE(main, nullptr);
    const bool marked = ql::CProgram::IsChecked(main, IDC_OPT_MARK_EDIT_LINES);
    SendMessageW(ql::CProgram::Item(main, IDC_OPT_MARK_EDIT_LINES), BM_SETCHECK,
                 marked ? BST_UNCHECKED : BST_CHECKED, 0);
    ql::CProgram::Click(main, IDC_OPT_MARK_EDIT_LINES);
    EXPECT_TRUE(ql::WaitFor(
        [&] { return ql::CProgram::IsEnabled(main, IDC_OPT_EDIT_LINES_COLOR) == !marked; }));
    if (marked)
    {
        SendMessageW(ql::CProgram::Item(main, IDC_OPT_MARK_EDIT_LINES), BM_SETCHECK, BST_CHECKED,
                     0);
        ql::CProgram::Click(main, IDC_OPT_MARK_EDIT_LINES);
        ASSERT_TRUE(
            ql::WaitFor([&] { return ql::CProgram::IsEnabled(main, IDC_OPT_EDIT_LINES_COLOR); }));
    }
    EXPECT_EQ(RGB(255, 0, 0), Choose(main, IDC_OPT_EDIT_LINES_COLOR, &editLines));
    CloseSheet(IDOK);
    EXPECT_TRUE(ql::WaitFor([&] { return Stored(L"Keyword color") == keyword; }))
        << std::hex << Stored(L"Keyword color");
    EXPECT_TRUE(ql::WaitFor([&] { return Stored(L"Edit lines color") == editLines; }))
        << std::hex << Stored(L"Edit lines color");

    // Cancel in the colour dialog keeps the colour; a new process opens the dialogs on the
    // colours chosen.
    ASSERT_TRUE(program.Close());
    ASSERT_TRUE(program.Start());
    editor = OpenPage(2);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(keyword, Choose(editor, IDC_OPT_KEYWORD_COLOR));
    EXPECT_EQ(keyword, Choose(editor, IDC_OPT_KEYWORD_COLOR));
    main = (HWND)SendMessageW(m_sheet, PSM_INDEXTOHWND, 0, 0);
    SendMessageW(m_sheet, PSM_SETCURSEL, 0, 0);
    EXPECT_EQ(editLines, Choose(main, IDC_OPT_EDIT_LINES_COLOR));
    CloseSheet(IDCANCEL);
}

} // namespace
