// CMainFrame: the program's MDI main window (window class "Quenlark") with its menu, toolbar
// and status bar.
#pragma once

#include "framework/ui.h"

class CMainFrame : public CMDIFrameWnd
{
    DECLARE_DYNAMIC(CMainFrame)

public:
    CMainFrame();
    ~CMainFrame() override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnAppExit();
    DECLARE_MESSAGE_MAP()
};
