// End to end: the script file dialogs start with the focus on the file name, as the system's own
// file dialogs do, not on the encoding row their child template adds.
#include "framework/command_ids.h"
#include "tests/app/e2e_program_test.h"

namespace {

// The window that has the focus in the program's window thread.
HWND FocusOf(HWND wnd)
{
    GUITHREADINFO info = {sizeof(info)};
    return GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &info) ? info.hwndFocus
                                                                           : nullptr;
}

// The file name box of the system's dialog (an edit or a combo box, ids 0x480 and 0x47C), or a
// window inside it (the combo box's edit).
bool IsFileNameBox(HWND dlg, HWND focus)
{
    for (HWND wnd = focus; wnd != nullptr && wnd != dlg && IsChild(dlg, wnd); wnd = GetParent(wnd))
        if (GetDlgCtrlID(wnd) == 0x47C || GetDlgCtrlID(wnd) == 0x480)
            return true;
    return false;
}

class ScriptFileDialog : public CProgramTest
{
protected:
    // Opens the dialog with the command; checks where the focus starts and cancels it.
    void ExpectFocusOnFileName(UINT command, const std::wstring& caption)
    {
        program.PostCommand(command);
        HWND dlg = program.WaitForDialog(caption);
        ASSERT_NE(dlg, nullptr) << "no dialog " << std::string(caption.begin(), caption.end());
        EXPECT_TRUE(ql::WaitFor([&] { return IsFileNameBox(dlg, FocusOf(dlg)); }, 5000))
            << "the focus starts on control " << GetDlgCtrlID(FocusOf(dlg));
        PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }));
    }
};

TEST_F(ScriptFileDialog, OpenAndSaveAsStartOnTheFileName)
{
    ASSERT_TRUE(program.Start());
    ExpectFocusOnFileName(ID_SCRIPT_OPEN, L"Open");
    const HWND before = program.ActiveChild();
    program.PostCommand(ID_FILE_NEW);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ActiveChild() != before; }));
    ExpectFocusOnFileName(ID_FILE_SAVE_AS, L"Save As");
}

} // namespace
