// The program-wide Find and Replace dialogs of the script windows. Their text, direction and
// options live in the settings store (subkeys "Find" and "Replace") and stay from one use to the
// next; the script window sets the target view and runs the dialog modally.
#pragma once

#include "framework/ui.h"

class CSQLChildView;
struct CFindSettings;

// "Can not find '<text>'" with the error icon.
void ShowCannotFind(LPCWSTR pszFind);

class CFindDlg : public CDialog
{
public:
    explicit CFindDlg(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    CSQLChildView* m_pView = nullptr;

protected:
    void ReadControls();
    afx_msg void OnFindNext();
    afx_msg void OnEditChange();
    afx_msg void OnSelChange();
    DECLARE_MESSAGE_MAP()
};

class CReplaceDlg : public CDialog
{
public:
    explicit CReplaceDlg(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    CSQLChildView* m_pView = nullptr;
    // Only the first Replace of the program's run searches before it replaces.
    bool m_bFirstReplace = true;

protected:
    void ReadControls();
    void EnableButtons(bool bEnable);
    bool SearchOrClose(int nStart);
    afx_msg void OnFindNext();
    afx_msg void OnReplace();
    afx_msg void OnReplaceAll();
    afx_msg void OnEditChange();
    afx_msg void OnSelChange();
    DECLARE_MESSAGE_MAP()
};

// The two program-wide instances (built on first use).
CFindDlg& GetFindDialog();
CReplaceDlg& GetReplaceDialog();
