// CFrameWnd: a window with a menu, accelerators, control bars around a central pane (the
// child with id AFX_IDW_PANE_FIRST) and docking. Commands reach, in order, the active view
// (SetActiveView), the frame, then the application (top-level frames only; an MDI child's
// commands continue at its MDI frame).
//
// Frames delete themselves when their window is destroyed: create them with new.
#pragma once

#include "framework/control_bar.h"

class CDockBar;
class CMiniDockFrameWnd;

// Frame styles (in the window style).
#define FWS_ADDTOTITLE 0x00008000L
#define FWS_PREFIXTITLE 0x00004000L
#define FWS_SNAPTOBARS 0x00002000L

class CFrameWnd : public CWnd
{
    DECLARE_DYNAMIC(CFrameWnd)

public:
    static const CRect rectDefault; // let Windows choose (CW_USEDEFAULT)

    CFrameWnd();
    ~CFrameWnd() override;

    // Creates the frame from resources with the given id: the title string (its text up to
    // the first '\n'), the menu, the accelerators and the class icon. Any may be missing.
    virtual BOOL LoadFrame(UINT nIDResource,
                           DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, void* pContext = nullptr);
    virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName,
                        DWORD dwStyle = WS_OVERLAPPEDWINDOW, const RECT& rect = rectDefault,
                        CWnd* pParentWnd = nullptr, LPCTSTR lpszMenuName = nullptr,
                        DWORD dwExStyle = 0, void* pContext = nullptr);
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    virtual void ActivateFrame(int nCmdShow = -1);
    virtual BOOL IsFrameWnd() const { return TRUE; }

    // Layout.
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    // Lays the frame out at the next idle time (or the next RecalcLayout).
    void DelayRecalcLayout(BOOL bNotify = TRUE);
    void RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlags = reposDefault,
                        LPRECT lpRectParam = nullptr, LPCRECT lpRectClient = nullptr,
                        BOOL bStretch = TRUE)
    {
        AfxRepositionBars(this, nIDFirst, nIDLast, nIDLeftOver, nFlags, lpRectParam, lpRectClient,
                          bStretch);
    }
    BOOL m_bInRecalcLayout = FALSE;
    CRect m_rectBorder; // extra space kept free inside the client area

    // The view commands go to first (not owned), and the active frame (this; MDI frames
    // answer their active child).
    CWnd* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CWnd* pViewNew, BOOL bNotify = TRUE);
    virtual CFrameWnd* GetActiveFrame() { return this; }

    // Title.
    CString GetTitle() const { return m_strTitle; }
    void SetTitle(LPCTSTR lpszTitle) { m_strTitle = lpszTitle; }
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    CString m_strTitle;

    // Status line.
    void SetMessageText(LPCTSTR lpszText);
    void SetMessageText(UINT nID);
    // The prompt of a command: its string resource up to the first '\n'.
    virtual void GetMessageString(UINT nID, CString& rMessage) const;
    CWnd* GetMessageBar();  // the status bar (AFX_IDW_STATUS_BAR), or null
    UINT m_nIDTracking = 0; // the prompt shown (menu item or idle message)
    UINT m_nIDLastMessage = 0;
    BOOL m_bPromptShown = FALSE; // the idle prompt was put up once

    // Menus and accelerators.
    BOOL m_bAutoMenuEnable = TRUE; // disable menu items that have no handler
    HMENU m_hMenuDefault = nullptr;
    HACCEL m_hAccelTable = nullptr;
    UINT m_nIDHelp = 0;
    BOOL LoadAccelTable(LPCTSTR lpszResourceName);
    HMENU GetDefaultMenu() const { return m_hMenuDefault; }

    // Control bars and docking.
    void EnableDocking(DWORD dwDockStyle);
    void DockControlBar(CControlBar* pBar, UINT nDockBarID = 0, LPCRECT lpRect = nullptr);
    void DockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect = nullptr);
    void FloatControlBar(CControlBar* pBar, CPoint point, DWORD dwStyle = CBRS_ALIGN_TOP);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
    CControlBar* GetControlBar(UINT nID) const;
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);
    CDockBar* GetDockBar(UINT nDockBarID) const; // one of the AFX_IDW_DOCKBAR_* ids
    // The dock bar for a bar style (first allowed side of CBRS_ALIGN_*), or null.
    CDockBar* CanDock(CRect rect, DWORD dwDockStyle, CDockBar** ppDockBar = nullptr);
    virtual CMiniDockFrameWnd* CreateFloatingFrame(DWORD dwStyle);
    // The bar layout (dock sides, rows, floating places, visibility) in the profile sections
    // "<name>-Summary" and "<name>-Bar<n>".
    void SaveBarState(LPCTSTR lpszProfileName) const;
    void LoadBarState(LPCTSTR lpszProfileName);
    CPtrArray m_listControlBars; // every bar of the frame (CControlBar*)
    DWORD m_dwDockStyle = 0;

    enum IdleFlags
    {
        idleMenu = 1,
        idleTitle = 2,
        idleNotify = 4,
        idleLayout = 8
    };
    UINT m_nIdleFlags = 0;

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    CWnd* m_pViewActive = nullptr;
    HMENU m_hMenuAlt = nullptr;
    BOOL m_bRouteToApp = TRUE; // false for MDI children: their frame does that
    LPCTSTR GetIconWndClass(DWORD dwDefaultStyle, UINT nIDResource);
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, void* pContext);
    void PostNcDestroy() override;
    void UpdateFrameTitleText(LPCTSTR lpszText);

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnClose();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    afx_msg LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    afx_msg BOOL OnBarCheck(UINT nID);
    afx_msg void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    afx_msg void OnUpdateKeyIndicator(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

    friend class CControlBar;
    friend class CMDIFrameWnd;
};
