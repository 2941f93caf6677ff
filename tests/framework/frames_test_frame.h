// A small MDI application frame for the frame, bar and docking tests: a toolbar, a status bar,
// docking on all sides, a menu, and child frames that count the commands they receive.
#pragma once

#include "framework/frames.h"
#include "string_print.h"
#include "windows_test_support.h"

#include <vector>

class CTestChildView : public CWnd
{
public:
    int m_nCopy = 0;
    BOOL Create(CWnd* pParent)
    {
        return CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), pParent,
                            AFX_IDW_PANE_FIRST);
    }

protected:
    void OnCopy() { ++m_nCopy; }
    DECLARE_MESSAGE_MAP()
};

class CTestChildFrame : public CMDIChildWnd
{
public:
    CTestChildView m_wndView;
    int m_nCopy = 0, m_nCut = 0;
    BOOL m_bWithView = FALSE;

protected:
    int OnCreate(LPCREATESTRUCT lpcs)
    {
        if (CMDIChildWnd::OnCreate(lpcs) == -1)
            return -1;
        if (m_bWithView)
        {
            m_wndView.Create(this);
            SetActiveView(&m_wndView);
            RecalcLayout();
        }
        return 0;
    }
    void OnCopy() { ++m_nCopy; }
    void OnCut() { ++m_nCut; }
    DECLARE_MESSAGE_MAP()
};

class CTestMainFrame : public CMDIFrameWnd
{
public:
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;
    int m_nNew = 0, m_nCopy = 0, m_nOpen = 0;
    BOOL m_bCanSave = TRUE;
    CString m_strRecText = L"REC";
    BOOL m_bOverwrite = FALSE;
    std::vector<int> m_dropDowns;  // button commands of TBN_DROPDOWN
    std::vector<int> m_paneClicks; // panes clicked

    static const UINT* Buttons(int* pnCount)
    {
        static const UINT ids[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR,
                                   ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE};
        *pnCount = (int)(sizeof(ids) / sizeof(ids[0]));
        return ids;
    }
    static const UINT* Indicators(int* pnCount)
    {
        static const UINT ids[] = {ID_SEPARATOR, ID_INDICATOR_REC, ID_INDICATOR_OVR};
        *pnCount = (int)(sizeof(ids) / sizeof(ids[0]));
        return ids;
    }

    // A shown frame at a fixed place and size, as the application's main window.
    static CTestMainFrame* CreateShown(int cx = 800, int cy = 600);
    // Destroys the frame (it deletes itself) after releasing it as the main window.
    static void Destroy(CTestMainFrame* pFrame);
    CTestChildFrame* NewChild(LPCTSTR lpszTitle, BOOL bWithView = FALSE);
    // The idle pass of the application.
    static void Idle();

protected:
    int OnCreate(LPCREATESTRUCT lpcs);
    void OnFileNew() { ++m_nNew; }
    void OnFileOpen() { ++m_nOpen; }
    void OnCopy() { ++m_nCopy; }
    void OnUpdateSave(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bCanSave); }
    void OnUpdateRec(CCmdUI* pCmdUI) { pCmdUI->SetText(m_strRecText); }
    void OnUpdateOvr(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bOverwrite); }
    void OnDropDown(NMHDR* pNMHDR, LRESULT* pResult)
    {
        m_dropDowns.push_back(reinterpret_cast<NMTOOLBARW*>(pNMHDR)->iItem);
        *pResult = TBDDRET_DEFAULT;
    }
    void OnPaneClick(NMHDR* pNMHDR, LRESULT* pResult)
    {
        m_paneClicks.push_back((int)reinterpret_cast<NMMOUSE*>(pNMHDR)->dwItemSpec);
        *pResult = 0;
    }
    DECLARE_MESSAGE_MAP()
};

// A rectangle in the frame's client coordinates.
CRect ClientRectOf(CWnd* pFrame, HWND hWnd);
