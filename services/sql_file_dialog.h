// CSQLFileDialog: the system's Open and Save As dialogs for script files, with an encoding row
// ("Encoding:" and a drop-down list) below the file-type row: the user forces an encoding or,
// when opening, lets it be detected ("Auto").
#pragma once

#include "framework/ui.h"

class CSQLFileDialog : public CFileDialog
{
    DECLARE_DYNAMIC(CSQLFileDialog)

public:
    // nEncoding: the entry selected at first (SQLScriptEncoding codes); a code the dialog does
    // not offer (Auto in a save dialog) selects the first entry.
    CSQLFileDialog(BOOL bOpenFileDialog, DWORD dwFlags, UINT nEncoding, CWnd* pParentWnd = nullptr);

    // After DoModal: the encoding chosen.
    UINT GetEncoding() const { return m_nEncoding; }

    UINT m_nEncoding;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnSelChangeEncoding();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    // Puts the encoding row under the file-type row of the system's dialog.
    void AlignEncodingRow();
    DECLARE_MESSAGE_MAP()
};
