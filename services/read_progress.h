// Progress of a catalog read that runs on the user-interface thread: the read pumps the wait
// dialog's messages between rows and shows what it is reading.
#pragma once

#include "framework/core.h"

class CWaitDlg;

class IReadProgress
{
public:
    virtual ~IReadProgress() {}
    // Runs the pending messages; true once the user asked to cancel.
    virtual bool PumpMessages() = 0;
    virtual void SetMessageText(LPCWSTR pszText) = 0;
    virtual void SetInfoText(LPCWSTR pszText) = 0;
};

// The progress shown in a wait dialog (which must outlive it).
class CWaitDlgProgress : public IReadProgress
{
public:
    explicit CWaitDlgProgress(CWaitDlg* pDlg) : m_pDlg(pDlg) {}
    bool PumpMessages() override;
    void SetMessageText(LPCWSTR pszText) override;
    void SetInfoText(LPCWSTR pszText) override;

private:
    CWaitDlg* m_pDlg;
};
