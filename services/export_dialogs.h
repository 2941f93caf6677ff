// The options dialogs of two export formats: the CSV separator (dialog 228) and the INSERT
// script choices (dialog 167). Each is one program-wide object (made on first use), so its
// choices stay for the rest of the run.
#pragma once

#include "framework/ui.h"

#include "services/encoding_combo.h"
#include "services/sql_data_file.h"

class CSaveAsCSVDlg : public CDialog
{
public:
    CSaveAsCSVDlg();

    CString m_strSeparator; // from "CSV separator"

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};

class CSaveAsSQLDlg : public CDialog
{
public:
    CSaveAsSQLDlg();

    // The writer's options from the dialog's choices.
    CSQLScriptOptions GetOptions() const;

    CString m_strSeparator; // from "SQL separator"
    int m_nCommitCount;     // "CommitQueries"
    bool m_bSaveSchema = false;
    bool m_bCommit; // "InsCommit"
    int m_nTarget;  // "SaveAsDBType"
    int m_nSeparatorIndex = -1;
    int m_nGuidForm = 0; // 0 text strings, 1 binary data (Oracle)
    int m_nEncoding;     // "SaveAsEncoding": 1 ANSI, 2 UTF-16LE, 3 UTF-8

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // The COMMIT check, edit, spin and label by the target and the check.
    void UpdateCommitControls();
    void FillGuidCombo();
    int SelectedTarget() const;

    CEncodingComboBox m_encoding;
};

// The program-wide dialogs (destroyed at exit).
CSaveAsCSVDlg& GetSaveAsCSVDlg();
CSaveAsSQLDlg& GetSaveAsSQLDlg();
