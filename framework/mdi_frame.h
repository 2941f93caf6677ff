// CMDIFrameWnd: the frame of a multiple-document interface, with an MDI client window as its
// central pane and a Window menu listing the children. CMDIChildWnd: a frame inside it.
// Commands go to the active child (its view, then the child) before the MDI frame itself.
#pragma once

#include "framework/frame_wnd.h"

class CMDIChildWnd;

// WM_MDIACTIVATE as a child frame receives it.
#ifndef ON_WM_MDIACTIVATE
#define ON_WM_MDIACTIVATE()                                                                        \
    {WM_MDIACTIVATE, 0, 0, 0, nullptr, [](AFX_THUNK_PARAMS) -> BOOL {                              \
         ThisClass* p_ = static_cast<ThisClass*>(pTarget_);                                        \
         p_->OnMDIActivate((HWND)c_.lParam == p_->m_hWnd, AFX_WND_(c_.lParam),                     \
                           AFX_WND_(c_.wParam));                                                   \
         *c_.pResult = 0;                                                                          \
         return TRUE;                                                                              \
     }},
#endif

class CMDIFrameWnd : public CFrameWnd
{
    DECLARE_DYNAMIC(CMDIFrameWnd)

public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;

    HWND m_hWndMDIClient = nullptr;

    // Creates the MDI client (id AFX_IDW_PANE_FIRST); pWindowMenu is the popup the children
    // are listed in.
    virtual BOOL CreateClient(LPCREATESTRUCT lpCreateStruct, CMenu* pWindowMenu);
    // The popup of the menu that holds the Window commands (or the next to last popup).
    virtual HMENU GetWindowMenuPopup(HMENU hMenuBar);

    CMDIChildWnd* MDIGetActive(BOOL* pbMaximized = nullptr) const;
    void MDIActivate(CWnd* pWndActivate);
    void MDICascade() { ::SendMessageW(m_hWndMDIClient, WM_MDICASCADE, 0, 0); }
    void MDICascade(int nType) { ::SendMessageW(m_hWndMDIClient, WM_MDICASCADE, nType, 0); }
    void MDITile() { ::SendMessageW(m_hWndMDIClient, WM_MDITILE, 0, 0); }
    void MDITile(int nType) { ::SendMessageW(m_hWndMDIClient, WM_MDITILE, nType, 0); }
    void MDIIconArrange() { ::SendMessageW(m_hWndMDIClient, WM_MDIICONARRANGE, 0, 0); }
    void MDIMaximize(CWnd* pWnd)
    {
        ::SendMessageW(m_hWndMDIClient, WM_MDIMAXIMIZE, (WPARAM)pWnd->m_hWnd, 0);
    }
    void MDIRestore(CWnd* pWnd)
    {
        ::SendMessageW(m_hWndMDIClient, WM_MDIRESTORE, (WPARAM)pWnd->m_hWnd, 0);
    }
    void MDINext() { ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 0); }
    void MDIPrev() { ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 1); }
    CMenu* MDISetMenu(CMenu* pFrameMenu, CMenu* pWindowMenu);

    CFrameWnd* GetActiveFrame() override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;

protected:
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, void* pContext) override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg BOOL OnMDIWindowCmd(UINT nID);
    afx_msg void OnUpdateMDIWindowCmd(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()
};

class CMDIChildWnd : public CFrameWnd
{
    DECLARE_DYNAMIC(CMDIChildWnd)

public:
    CMDIChildWnd();
    ~CMDIChildWnd() override;

    // Creates the child in the MDI client of pParentWnd (the application's main window when
    // null). A null class name takes a class with the application's icon.
    virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName,
                        DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                        const RECT& rect = rectDefault, CMDIFrameWnd* pParentWnd = nullptr,
                        void* pContext = nullptr);
    BOOL LoadFrame(UINT nIDResource,
                   DWORD dwDefaultStyle = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                   CWnd* pParentWnd = nullptr, void* pContext = nullptr) override;

    CMDIFrameWnd* GetMDIFrame() const;
    void MDIDestroy();
    void MDIActivate();
    void MDIMaximize();
    void MDIRestore();

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL DestroyWindow() override;
    void ActivateFrame(int nCmdShow = -1) override;

    virtual void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd);

protected:
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnClose();
    DECLARE_MESSAGE_MAP()
};
