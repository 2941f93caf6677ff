// COutputBar: the docking bar "Output" at the bottom of the main window. It holds one editor
// window in which the Execute SQL Script command writes progress and results. The text only
// grows; the user reads, selects, copies and wraps it (the editor's context menu offers Word
// Wrap, and the choice is kept in "OutputBarWordWrap").
#pragma once

#include "controls/sizing_vs2015_bar.h"
#include "editor/color_edit_ctrl.h"

class COutputBar : public CSizingVS2015Bar
{
    DECLARE_DYNAMIC(COutputBar)

public:
    COutputBar();
    ~COutputBar() override;

    // Appends the text (the caller puts in the line breaks) and scrolls to it, wherever the
    // caret or the selection was.
    void AddText(LPCWSTR pszText);
    // Empties the output.
    void Clear();
    CRColorEdit& GetEditor() { return m_wndEdit; }

protected:
    CRColorEdit m_wndEdit;
    CFont m_font; // owns a font only when the stock GUI font was missing

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    DECLARE_MESSAGE_MAP()
};
