// The framework wrappers of the editor window: the text getters and the refill of the
// auto-complete words from the main window.
#include "editor_window_fixture.h"

#include "editor/color_edit_ctrl.h"
#include "editor/rce_state.h"

namespace {

RCE_STATE* StateOf(HWND edit)
{
    return (RCE_STATE*)GetWindowLongPtrW(edit, 0);
}

// The words the editor still refers to when its window is told it is being destroyed.
HWND g_destroyed = nullptr;
const void* g_wordsAtDestroy = nullptr;

LRESULT CALLBACK SeeDestroy(int code, WPARAM wp, LPARAM lp)
{
    const CWPSTRUCT* msg = (const CWPSTRUCT*)lp;
    if (code == HC_ACTION && msg->hwnd == g_destroyed && msg->message == WM_DESTROY)
        g_wordsAtDestroy = StateOf(msg->hwnd)->acWords;
    return CallNextHookEx(nullptr, code, wp, lp);
}

int g_fillCalls = 0;
BOOL g_fillResult = TRUE;

BOOL FillWords(CWnd*, CRCEAutoCompleteWordArray& words)
{
    ++g_fillCalls;
    RCEClearAutoCompleteWords(words);
    RCEAddAutoCompleteWordList(words, L"select, session_user");
    return g_fillResult;
}

class WrapperTest : public EditorWindowTest
{
protected:
    void SetUp() override
    {
        EditorWindowTest::SetUp();
        g_fillCalls = 0;
        g_fillResult = TRUE;
    }
    // Ctrl+Space after "se" with only the table words: the number of candidates offered.
    int Candidates()
    {
        SetText(L"se");
        Key(VK_END, true);
        if (!Send(RCEM_SHOWAUTOCOMPLETE))
            return 0;
        HWND list = GetFocus();
        if (list == edit)
            return 1;
        int n = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
        SendMessageW(list, WM_KEYDOWN, VK_ESCAPE, 1);
        Pump();
        return n;
    }
};

} // namespace

TEST_F(WrapperTest, TextGettersReadTheWholeTextAndTheSelection)
{
    CRColorEdit wrapper;
    ASSERT_TRUE(wrapper.Attach(edit));
    EXPECT_TRUE(wrapper.GetText().IsEmpty());
    EXPECT_TRUE(wrapper.GetSelText().IsEmpty());
    SetText(L"select 1\r\nfrom dual");
    EXPECT_EQ(CString(wrapper.GetText()), CString(L"select 1\r\nfrom dual"));
    Send(EM_SETSEL, 10, 14);
    CString sel;
    wrapper.GetSelText(sel);
    EXPECT_EQ(sel, CString(L"from"));
    wrapper.Detach();
}

TEST_F(WrapperTest, WordsComeFromTheMainWindowThroughTheFiller)
{
    SetOptions(RCEO_AUTOCOMPLETE);
    CColorEditCtrl* ctrl = new CColorEditCtrl;
    ASSERT_TRUE(ctrl->Attach(edit));
    onNotify = [&](UINT code, const NMHDR*) {
        if (code == RCEN_AUTOCOMPLETE)
            ctrl->UpdateAutoCompleteWords();
    };
    CColorEditCtrl::SetAutoCompleteFiller(FillWords);
    // Without a main window the editor keeps an empty table.
    EXPECT_EQ(Candidates(), 0);
    EXPECT_EQ(g_fillCalls, 0);
    {
        // One application object for the whole test program: the framework keeps it as the
        // thread's object.
        static CWinApp app(L"editor test");
        CWnd frame;
        frame.Attach(parent);
        app.m_pMainWnd = &frame;
        EXPECT_EQ(Candidates(), 2);
        EXPECT_EQ(g_fillCalls, 1);
        g_fillResult = FALSE;
        EXPECT_EQ(Candidates(), 0);
        // The window is left holding the wrapper's words.
        g_fillResult = TRUE;
        EXPECT_EQ(ctrl->UpdateAutoCompleteWords(), 1);
        app.m_pMainWnd = nullptr;
        frame.Detach();
    }
    CColorEditCtrl::SetAutoCompleteFiller(nullptr);
    ASSERT_NE(StateOf(edit)->acWords, nullptr);
    // The window borrows the wrapper's words and goes with the wrapper, after the words are
    // freed: by then it must no longer point at them.
    onNotify = nullptr;
    g_destroyed = edit;
    g_wordsAtDestroy = (const void*)1;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, SeeDestroy, nullptr, GetCurrentThreadId());
    delete ctrl;
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(g_wordsAtDestroy, nullptr);
    edit = nullptr;
}
