// CStatusBarCtrl: the status bar common control. CStatusBar: a control bar that is such a
// status bar, with panes named by indicator ids whose text and state the idle pass updates.
// Pane 0 shows the frame's prompts (SetWindowText sets it).
#pragma once

#include "framework/control_bar.h"

#include <vector>

// Pane styles.
#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS SBT_NOBORDERS
#define SBPS_POPOUT SBT_POPOUT
#define SBPS_OWNERDRAW SBT_OWNERDRAW
#define SBPS_DISABLED 0x04000000
#define SBPS_STRETCH 0x08000000

class CStatusBarCtrl : public CWnd
{
    DECLARE_DYNAMIC(CStatusBarCtrl)

public:
    CStatusBarCtrl() = default;
    BOOL SetText(LPCTSTR lpszText, int nPane, int nType)
    {
        return (BOOL)SendMessage(SB_SETTEXTW, nPane | nType, (LPARAM)lpszText);
    }
    CString GetText(int nPane, int* pType = nullptr) const;
    int GetParts(int nParts, int* pParts) const
    {
        return (int)SendMessage(SB_GETPARTS, nParts, (LPARAM)pParts);
    }
    BOOL SetParts(int nParts, int* pWidths)
    {
        return (BOOL)SendMessage(SB_SETPARTS, nParts, (LPARAM)pWidths);
    }
    BOOL GetRect(int nPane, LPRECT lpRect) const
    {
        return (BOOL)SendMessage(SB_GETRECT, nPane, (LPARAM)lpRect);
    }
    void SetMinHeight(int nMin) { SendMessage(SB_SETMINHEIGHT, nMin); }
    BOOL SetIcon(int nPane, HICON hIcon)
    {
        return (BOOL)SendMessage(SB_SETICON, nPane, (LPARAM)hIcon);
    }
    void SetTipText(int nPane, LPCTSTR pszTipText)
    {
        SendMessage(SB_SETTIPTEXTW, nPane, (LPARAM)pszTipText);
    }
    BOOL IsSimple() const { return (BOOL)SendMessage(SB_ISSIMPLE); }
    void SetSimple(BOOL bSimple = TRUE) { SendMessage(SB_SIMPLE, bSimple); }
};

class CStatusBar : public CControlBar
{
    DECLARE_DYNAMIC(CStatusBar)

public:
    CStatusBar();
    ~CStatusBar() override;

    virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                        UINT nID = AFX_IDW_STATUS_BAR);
    virtual BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = 0,
                          DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                          UINT nID = AFX_IDW_STATUS_BAR);
    // One pane per id; a pane's initial text and width come from the string with its id
    // (ID_SEPARATOR: the stretching prompt pane).
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);

    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    void GetItemRect(int nIndex, LPRECT lpRect) const;
    CString GetPaneText(int nIndex) const;
    void GetPaneText(int nIndex, CString& rString) const { rString = GetPaneText(nIndex); }
    BOOL SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate = TRUE);
    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    UINT GetPaneStyle(int nIndex) const;
    void SetPaneStyle(int nIndex, UINT nStyle);
    int GetCount() const { return (int)m_panes.size(); }
    // The pane under a point of the bar's client area, or -1.
    int HitTestPane(CPoint point) const;

    CStatusBarCtrl& GetStatusBarCtrl() const
    {
        return *const_cast<CStatusBarCtrl*>(
            reinterpret_cast<const CStatusBarCtrl*>(static_cast<const CWnd*>(this)));
    }

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
    // Sends the pane layout (bUpdateRects) and texts (bUpdateText) to the control.
    void UpdateAllPanes(BOOL bUpdateRects, BOOL bUpdateText);

protected:
    struct Pane
    {
        UINT nID = 0;
        UINT nStyle = 0;
        int cxText = 0;
        CString strText;
    };
    std::vector<Pane> m_panes;
    int TextWidth(const CString& str) const;

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetText(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetTextLength(WPARAM wParam, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg void OnNcPaint();
    DECLARE_MESSAGE_MAP()
};
