// The dialogs of script execution and SQL display:
// - CExecSQLScriptDlg "Execute SQL Script": separator, "Open transaction", "Stop after error",
//   asked before a script runs;
// - CSQLError "SQL Error": a failed statement (editable) and its error; Retry, Next, Ignore
//   errors or Stop;
// - CShowSQLDlg "SQL Query": an SQL text shown read-only in a resizable window.
#pragma once

#include "framework/ui.h"

#include "controls/sizable_dlg.h"
#include "editor/color_edit_ctrl.h"
#include "resources/resource.h"

class CRDatabase;

class CExecSQLScriptDlg : public CDialog
{
public:
    enum
    {
        IDD = IDD_EXEC_SQL_SCRIPT
    };
    // pDatabase may be null. "Open transaction" is offered (checked and enabled) only on an
    // open connection that is in auto-commit mode.
    CExecSQLScriptDlg(CRDatabase* pDatabase, bool bShowStopAfterError, CWnd* pParent = nullptr);

    // The choices after IDOK (also stored in the settings).
    CString m_strSeparator;
    int m_bOpenTransaction = 0;
    int m_bStopAfterError = 0;
    bool m_bOpenTransactionEnabled = false;
    bool m_bShowStopAfterError = false;

    // The separators offered, in order: none (a blank line separates), ";", "GO", "/".
    static const wchar_t* const kSeparators[4];

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnHelp();
    DECLARE_MESSAGE_MAP()
};

class CSQLError : public CDialog
{
public:
    enum
    {
        IDD = IDD_SQL_ERROR
    };
    // The dialog's results; Next is IDOK and Stop IDCANCEL.
    enum
    {
        resultRetry = IDC_SQL_RETRY,
        resultNext = IDOK,
        resultIgnoreErrors = IDC_IGNORE_ERRORS,
        resultStop = IDCANCEL
    };
    explicit CSQLError(CWnd* pParent = nullptr);

    CString m_strStatement; // set before the run; the edited text after Retry
    CString m_strError;     // lines ended by CR LF

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    afx_msg void OnRetry();
    afx_msg void OnIgnoreErrors();
    afx_msg void OnHelp();
    afx_msg void OnDestroy();
    // Reads the edited statement back before the dialog ends.
    void ReadControls();
    DECLARE_MESSAGE_MAP()

    CColorEditCtrl m_editor;
};

class CShowSQLDlg : public CRSizableDlg
{
public:
    enum
    {
        IDD = IDD_SHOW_SQL
    };
    // An empty caption keeps the template's "SQL Query".
    explicit CShowSQLDlg(LPCWSTR pszCaption, CWnd* pParent = nullptr);
    ~CShowSQLDlg() override;

    CString m_strSQL;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    CString m_strCaption;
    CRColorEdit m_editor;
    HICON m_hIcon = nullptr;
    POINT m_editorOffset{};
    POINT m_closeOffset{};
};
