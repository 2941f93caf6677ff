// What the job and wait-dialog tests share: a job made of a function, a thread that answers or
// presses buttons of the program's windows while the test thread waits in a job.
#pragma once

#include "services/async_jobs.h"
#include "services/wait_dlg.h"

#include <atomic>
#include <functional>
#include <thread>

namespace qljobs {

// A job whose work and cancel are functions.
class CFunctionJob : public CRDatabaseHelper::CAsyncThread
{
public:
    explicit CFunctionJob(std::function<bool()> run, std::function<bool()> cancel = nullptr)
        : m_run(std::move(run)), m_cancel(std::move(cancel))
    {}
    bool Run() override { return m_run(); }
    bool Cancel() override { return m_cancel ? m_cancel() : true; }
    bool CancelFlag() const { return IsCancelled(); }

private:
    std::function<bool()> m_run;
    std::function<bool()> m_cancel;
};

// A top-level window of the thread other than the given one with the dialog class (a message
// box), or null.
inline HWND FindMessageBox(DWORD threadId, HWND except)
{
    struct Search
    {
        HWND except;
        HWND found = nullptr;
    } search{except};
    ::EnumThreadWindows(
        threadId,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            wchar_t cls[32] = {};
            ::GetClassNameW(hWnd, cls, 32);
            if (hWnd != s->except && wcscmp(cls, L"#32770") == 0 && ::IsWindowVisible(hWnd))
            {
                s->found = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Presses Cancel in the thread's wait dialog once it shows and answers its question with Yes;
// true when the question was answered. Runs on a helper thread while the test thread waits.
inline bool PressCancelAndAnswerYes(DWORD uiThread)
{
    HWND hDlg = nullptr;
    for (int i = 0; i < 4000 && hDlg == nullptr; ++i, ::Sleep(5))
    {
        hDlg = ::FindWindowW(L"#32770", L"Please wait...");
        if (hDlg != nullptr && ::GetWindowThreadProcessId(hDlg, nullptr) != uiThread)
            hDlg = nullptr;
    }
    if (hDlg == nullptr)
        return false;
    ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 4000; ++i, ::Sleep(5))
        if (HWND hBox = FindMessageBox(uiThread, hDlg))
        {
            ::PostMessageW(hBox, WM_COMMAND, IDYES, 0);
            return true;
        }
    return false;
}

// Runs an action on another thread after a delay; joined by the destructor.
class CLater
{
public:
    CLater(DWORD delayMs, std::function<void()> action)
        : m_thread([delayMs, action] {
              ::Sleep(delayMs);
              action();
          })
    {}
    ~CLater() { m_thread.join(); }

private:
    std::thread m_thread;
};

} // namespace qljobs
