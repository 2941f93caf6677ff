// CMiniFrameWnd: a small tool window with a thin caption; CMiniDockFrameWnd: the mini frame
// that holds a floating control bar in a dock bar of its own.
#pragma once

#include "framework/frame_wnd.h"
#include "framework/dock_bar.h"

// Styles of mini frames (in the low word of the window style).
#define MFS_SYNCACTIVE 0x00000100L
#define MFS_4THICKFRAME 0x00000200L // resize from the four sides only, not the corners
#define MFS_THICKFRAME 0x00000400L
#define MFS_MOVEFRAME 0x00000800L
#define MFS_BLOCKSYSMENU 0x00001000L

class CMiniFrameWnd : public CFrameWnd
{
    DECLARE_DYNAMIC(CMiniFrameWnd)

public:
    CMiniFrameWnd();
    ~CMiniFrameWnd() override;
    BOOL Create(LPCTSTR lpClassName, LPCTSTR lpWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd = nullptr, UINT nID = 0);
    BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpClassName, LPCTSTR lpWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd = nullptr, UINT nID = 0);
    using CWnd::CreateEx;

protected:
    afx_msg LRESULT OnNcHitTest(CPoint point);
    DECLARE_MESSAGE_MAP()
};

class CMiniDockFrameWnd : public CMiniFrameWnd
{
    DECLARE_DYNAMIC(CMiniDockFrameWnd)

public:
    CMiniDockFrameWnd();
    ~CMiniDockFrameWnd() override;
    // Creates the mini frame owned by pParent (the dock site) for bars of the given style.
    virtual BOOL Create(CWnd* pParent, DWORD dwBarStyle);
    void RecalcLayout(BOOL bNotify = TRUE) override;
    CControlBar* GetFloatingBar() const; // the first bar in the dock bar, or null

    CDockBar m_wndDockBar{TRUE};

protected:
    afx_msg void OnClose();
    afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
    afx_msg void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    DECLARE_MESSAGE_MAP()
};
