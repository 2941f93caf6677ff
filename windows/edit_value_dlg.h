// The Edit dialog: one long cell value in a colour editor. Well-formed XML in a character column
// is shown indented and stored back on one line.
#pragma once

#include "controls/sizable_dlg.h"
#include "editor/color_edit_ctrl.h"
#include "grid/grid_item.h"
#include "windows/move_buttons.h"

class CRDatabaseHelper;

class CEditValueDlg : public CRSizableDlg
{
public:
    CEditValueDlg(CRDatabaseHelper* pHelper, LPCWSTR pszTitle, const CGridItem& value, int nSQLType,
                  CWnd* pParent);

    // The indented form of XML text; false when it is not XML.
    bool ParseXml(LPCWSTR pszText, CString& strXml) const;

    const CString& GetValueText() const { return m_value.m_strText; }
    UINT GetValueKind() const { return m_value.m_nKind; }
    // OK was pressed with a value other than the one the dialog opened with.
    bool IsChanged() const { return m_bChanged; }
    bool IsXml() const { return m_bXml; }

    // The most characters the column holds (see ColumnEditLimit); OK with a longer value says
    // so and keeps the dialog open. Below 1: no limit.
    void SetLimit(LONGLONG nChars) { m_nLimit = nChars; }

    BOOL OnInitDialog() override;

protected:
    void OnOK() override;
    // Searches the find box's text: down from the selection start or end, or up.
    void FindInText(bool bFromSelectionStart, bool bDown);
    afx_msg void OnFindChange();
    afx_msg void OnFindDown() { FindInText(false, true); }
    afx_msg void OnFindUp() { FindInText(true, false); }
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    CRDatabaseHelper* m_pHelper;
    CString m_strTitle;
    CGridItem m_value;
    CString m_strOriginal;
    int m_nSQLType;
    LONGLONG m_nLimit = -1;
    bool m_bXml = false;
    bool m_bChanged = false;
    CColorEditCtrl m_editor;
    CMoveButtons m_buttons;
    HICON m_hIcon = nullptr;
    POINT m_offsets[7] = {};
};
