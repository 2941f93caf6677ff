// CWaitDlg: the small modeless window shown while a long operation runs: a process line, a
// message line, an elapsed-time line, an optional Cancel button, a marquee and an optional
// progress bar mirrored on the main window's taskbar button. It implements CRGrid::IWait, so
// the grid and the job loop drive it through PumpMessages and Step.
//
// While it is pumped, only its own messages, its children's and paint messages run. Keyboard
// and mouse input for other windows is discarded. Everything else (posted commands, timers, a
// quit request) is kept and posted again when the dialog is destroyed, so an operation loses no
// work that was asked for meanwhile.
//
// CWaitHolder: the lazy holder the windows use around long operations; it owns either a wait
// cursor or a CWaitDlg, created on first need.
#pragma once

#include "framework/ui.h"

#include "controls/progress_ctrl.h"
#include "grid/grid.h"

#include <mutex>
#include <vector>

// Controls of the wait dialog.
#define IDC_WAIT_MESSAGE 1003
#define IDC_WAIT_INFO 1004
#define IDC_WAIT_PROCESS 1088
#define IDC_WAIT_PROGRESS 1157
#define IDC_WAIT_MARQUEE 1162

class CWaitDlg : public CDialog, public CRGrid::IWait
{
public:
    enum
    {
        IDD = 132
    };
    // Flags.
    enum
    {
        flagCancel = 1,           // Cancel button shown, Close enabled; else Esc/Close ignored
        flagNoMarquee = 2,        // the marquee is hidden
        flagCancelNoQuestion = 4, // Cancel without "Are you really want to stop?"
    };

    // Shows the dialog at once over pParent (or the main window), which it disables until it
    // is destroyed. nRange > 0 shows a progress bar of that many steps.
    CWaitDlg(CWnd* pParent, UINT nFlags, int nRange = 0);
    ~CWaitDlg() override;

    void SetProcessText(LPCWSTR pszText);
    void SetMessageText(LPCWSTR pszText);
    // From any thread: the message line shows the text at the next pump. A worker uses this
    // rather than SetMessageText, which would wait for this thread's next pump on every call.
    void PublishMessageText(LPCWSTR pszText);
    void SetInfoText(LPCWSTR pszText);
    // "Saving <file name>..."
    void SetSavingText(LPCWSTR pszPath);
    // The elapsed time as "h:mm:ss" in the info line, when the second changed.
    void UpdateElapsed();

    // CRGrid::IWait: runs the messages the operation allows; true once the user cancelled.
    bool PumpMessages() override;
    void Step() override;
    // "<n> rows read" in the message line.
    void ShowRowsRead(int nRows) override;

    bool IsCancelled() const { return m_bCancelled; }
    UINT GetFlags() const { return m_nFlags; }
    int GetProgressPos() const { return m_nPos; }

    // "h:mm:ss" of a number of seconds.
    static CString FormatElapsed(DWORD nSeconds);
    // What the pump does with a message not meant for the dialog.
    enum PumpAction
    {
        pumpDispatch, // paint: runs now
        pumpDiscard,  // user input: dropped
        pumpDefer,    // anything else: posted again after the operation
    };
    static PumpAction ClassifyMessage(const MSG& msg);

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnOK() override {}
    bool IsDialogMessageTarget(HWND hWnd) const;
    // Takes every waiting message: the dialog's own and paints run, user input is dropped, the
    // rest is kept to be posted again when the dialog goes.
    void DrainQueue();
    void RepostDeferred();
    DECLARE_MESSAGE_MAP()

    CRProgressCtrl m_marquee;
    UINT m_nFlags = 0;
    HWND m_hOwnerDisabled = nullptr;
    bool m_bCancelled = false;
    CTaskbarProgress m_taskbar;
    int m_nRange = 0;
    int m_nRowsShown = -1;
    int m_nPos = 0;
    DWORD m_nStartTime = 0;
    DWORD m_nLastSecond = 0;
    std::vector<MSG> m_deferred; // posted again by the destructor
    std::mutex m_publishedLock;  // guards the two members below
    CString m_strPublished;
    bool m_bPublished = false;
    bool m_bQuit = false; // a WM_QUIT arrived meanwhile
    int m_nQuitCode = 0;
};

class CWaitHolder
{
public:
    CWaitHolder() = default;
    // Creates the dialog at once.
    CWaitHolder(CWnd* pParent, UINT nFlags, int nRange = 0);
    ~CWaitHolder();
    CWaitHolder(const CWaitHolder&) = delete;
    CWaitHolder& operator=(const CWaitHolder&) = delete;

    // With nothing held yet: a wait dialog over the main window when "CancelExec" is on, else a
    // wait cursor. Then the text, when not empty, becomes the process text.
    void Begin(LPCWSTR pszText = nullptr);
    void SetProcessText(LPCWSTR pszText);
    void SetProcessTextId(UINT nID);
    void SetInfoText(LPCWSTR pszText);
    void SetSavingText(LPCWSTR pszPath);
    void Step();
    // PumpMessages of the dialog; false without one.
    bool IsCancelled();
    // Replaces the owned wait cursor (the old one is deleted).
    void SetWaitCursor(CWaitCursor* pCursor);
    CWaitDlg* GetWaitDlg() const { return m_pDlg; }
    CWaitCursor* GetWaitCursor() const { return m_pCursor; }

private:
    CWaitCursor* m_pCursor = nullptr;
    CWaitDlg* m_pDlg = nullptr;
};
