// CExecSQLDlg "Execute SQL": one statement written in a colour editor, the recent queries
// stepped through with two buttons, and the choice to show the execution plan instead of
// running it.
#pragma once

#include "framework/ui.h"

#include "controls/owner_draw_button.h"
#include "controls/sizable_dlg.h"
#include "editor/color_edit_ctrl.h"
#include "resources/resource.h"

class CExecSQLDlg : public CRSizableDlg
{
public:
    enum
    {
        IDD = IDD_EXEC_SQL
    };
    // An empty text starts with the most recent stored query.
    CExecSQLDlg(bool bPlanSupported, LPCWSTR pszText, CWnd* pParent = nullptr);
    ~CExecSQLDlg() override;

    // After OK.
    CString m_strQuery;
    int m_bShowPlan = 0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    afx_msg void OnPreviousQuery();
    afx_msg void OnNextQuery();
    afx_msg void OnHelp();
    afx_msg BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    afx_msg void OnCopyAsCCode();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    void ShowQuery(int nIndex);
    DECLARE_MESSAGE_MAP()

    CRImageButton m_btnNext;
    CRImageButton m_btnPrevious;
    CColorEditCtrl m_editor;
    int m_nIndex = 0;
    bool m_bPlanSupported;
    CImageList m_images;
    CMenu m_menu;
    HICON m_hIcon = nullptr;

    // Resizing: the editor follows every edge, the check box, OK and Cancel the bottom, Help
    // the bottom right corner, the query buttons the right edge.
    struct CAnchored
    {
        int nID;
        int controlX, referenceX, controlY, referenceY;
        POINT offset;
    };
    CAnchored m_anchors[7];
};
