// What the grid window tests share: an MDI host frame, modal dialogs and message boxes answered
// from a timer, and test tables on the real databases.
#pragma once

#include "framework/ui.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/support/windowed_tests.h"
#include "windows/grid_child_frame.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace gwtest {

// The texts of the message boxes shown so far, and the answers the next ones get (without an
// answer: No for a question, OK otherwise).
inline std::vector<CString>& MessageBoxes()
{
    static std::vector<CString> texts;
    return texts;
}
inline std::deque<int>& MessageBoxAnswers()
{
    static std::deque<int> answers;
    return answers;
}

// The application object of a windowed test program: its message boxes are remembered and
// answered from MessageBoxAnswers (No or OK when none is queued), so no box blocks a test.
class CScriptedBoxApp : public CWinApp
{
public:
    explicit CScriptedBoxApp(LPCWSTR pszAppName) : CWinApp(pszAppName) {}
    int DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT) override
    {
        MessageBoxes().push_back(CString(lpszPrompt));
        auto& answers = MessageBoxAnswers();
        if (!answers.empty())
        {
            const int nAnswer = answers.front();
            answers.pop_front();
            return nAnswer;
        }
        const UINT nButtons = nType & MB_TYPEMASK;
        return nButtons == MB_YESNO || nButtons == MB_YESNOCANCEL ? IDNO : IDOK;
    }
};
inline CString LastMessageBox()
{
    return MessageBoxes().empty() ? CString() : MessageBoxes().back();
}

inline std::string A(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

class CHostFrame : public CMDIFrameWnd
{
public:
    // The key images of grid headers (primary, foreign, both), as the main frame has them.
    CImageList m_images;
};

// A shown MDI frame registered as the main window.
inline CHostFrame* CreateHost()
{
    auto* pFrame = new CHostFrame;
    if (!pFrame->Create(nullptr, L"Grid host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        CRect(0, 0, 900, 700)))
        return nullptr;
    AfxGetApp()->m_pMainWnd = pFrame;
    pFrame->m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 0);
    pFrame->ShowWindow(SW_SHOW);
    pFrame->UpdateWindow();
    pFrame->RecalcLayout();
    qltest::PumpPending();
    return pFrame;
}

inline void DestroyHost(CHostFrame* pFrame)
{
    if (AfxGetApp()->m_pMainWnd == pFrame)
        AfxGetApp()->m_pMainWnd = nullptr;
    if (pFrame != nullptr && pFrame->m_hWnd != nullptr)
        pFrame->DestroyWindow();
    qltest::PumpPending();
}

// A table's grid window in the host over the given SELECT, with its first rows read; null when
// the window could not be made.
inline CGridChildFrame* OpenTableWindow(CRDatabaseHelper* pHelper, CHostFrame* pHost,
                                        const CString& table, const CString& select)
{
    auto* pFrame = new CGridChildFrame(pHelper, select, select, nullptr, kGridTable,
                                       CStringPair(L"", table), nullptr);
    if (!pFrame->Create(nullptr, table, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                        CFrameWnd::rectDefault, pHost))
        return nullptr;
    qltest::PumpPending();
    return pFrame;
}

// The enabled top-level dialog of this thread (a modal dialog or a message box), or null.
inline HWND FindThreadDialog()
{
    HWND hFound = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            wchar_t cls[32] = {};
            ::GetClassNameW(hWnd, cls, 32);
            if (wcscmp(cls, L"#32770") == 0 && ::IsWindowVisible(hWnd) && ::IsWindowEnabled(hWnd))
            {
                *reinterpret_cast<HWND*>(lParam) = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        (LPARAM)&hFound);
    return hFound;
}

// The text of a message box (its static 0xFFFF).
inline CString MessageBoxText(HWND hDlg)
{
    wchar_t text[2048] = {};
    ::GetDlgItemTextW(hDlg, 0xFFFF, text, 2048);
    return text;
}

// Runs actions, one per dialog that turns up, from a timer while a modal loop runs. Each action
// gets the dialog's window; it ends the dialog (or not) as it likes. Texts of message boxes seen
// are kept.
class CDialogScript
{
public:
    explicit CDialogScript(std::vector<std::function<void(HWND)>> actions)
        : m_actions(std::move(actions))
    {
        s_pActive = this;
        m_nTimer = ::SetTimer(nullptr, 0, 50, &CDialogScript::OnTimer);
    }
    ~CDialogScript()
    {
        ::KillTimer(nullptr, m_nTimer);
        s_pActive = nullptr;
    }
    size_t Done() const { return m_nNext; }
    std::vector<CString> m_texts;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        CDialogScript* p = s_pActive;
        if (p == nullptr || p->m_bBusy || p->m_nNext >= p->m_actions.size())
            return;
        HWND hDlg = FindThreadDialog();
        if (hDlg == nullptr || hDlg == p->m_hLast)
            return;
        p->m_bBusy = true;
        p->m_hLast = hDlg;
        p->m_texts.push_back(MessageBoxText(hDlg));
        p->m_actions[p->m_nNext++](hDlg);
        p->m_bBusy = false;
    }

    std::vector<std::function<void(HWND)>> m_actions;
    size_t m_nNext = 0;
    UINT_PTR m_nTimer = 0;
    HWND m_hLast = nullptr;
    bool m_bBusy = false;
    static inline CDialogScript* s_pActive = nullptr;
};

// An action that presses a button of the dialog.
inline std::function<void(HWND)> Press(int nID)
{
    return [nID](HWND hDlg) { ::PostMessageW(hDlg, WM_COMMAND, nID, 0); };
}

} // namespace gwtest
