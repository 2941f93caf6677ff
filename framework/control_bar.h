// CControlBar: the base of toolbars, status bars, dock bars and other bars that line the edges
// of a frame window. A frame lays its bars out with RepositionBars: each bar is asked for its
// size (WM_SIZEPARENT) and takes its strip off the frame's client area. A bar may dock in one of
// the frame's dock bars or float in a mini frame (see dock_bar.h, dock_context.h).
#pragma once

#include "framework/core.h"
#include "framework/module_state.h"
#include "framework/message_map.h"
#include "framework/cmd_target.h"
#include "framework/cmd_ui.h"
#include "framework/wnd.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/controls_common.h"
#include "framework/win_thread.h"
#include "framework/win_app.h"
#include "framework/command_ids.h"

class CFrameWnd;
class CDockBar;
class CDockContext;

#ifndef WM_SIZEPARENT
#define WM_SIZEPARENT 0x0361 // lParam = AFX_SIZEPARENTPARAMS*
#endif

// Bar styles (the low word and bit 22 of a bar's style, kept apart from the window style).
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_FLOAT_MULTI 0x0040L
#define CBRS_BORDER_3D 0x0080L
#define CBRS_HIDE_INPLACE 0x0008L
#define CBRS_SIZE_DYNAMIC 0x0004L
#define CBRS_SIZE_FIXED 0x0002L
#define CBRS_FLOATING 0x0001L
#define CBRS_GRIPPER 0x00400000L
#define CBRS_ORIENT_HORZ (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_ORIENT_ANY (CBRS_ORIENT_HORZ | CBRS_ORIENT_VERT)
#define CBRS_ALL 0x0040FFFFL
#define CBRS_NOALIGN 0x00000000L
#define CBRS_LEFT (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_RIGHT (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)

// Modes of CalcDynamicLayout.
#define LM_STRETCH 0x01  // stretch to the frame's width or height
#define LM_HORZ 0x02     // horizontal, else vertical
#define LM_MRUWIDTH 0x04 // the most recently used (floating) width
#define LM_HORZDOCK 0x08 // docking horizontally
#define LM_VERTDOCK 0x10 // docking vertically
#define LM_LENGTHY 0x20  // nLength is the height, else the width
#define LM_COMMIT 0x40   // remember the result as the MRU size

// What WM_SIZEPARENT carries: the space still free, and where the moves are collected
// (hDWP null: only measuring).
struct AFX_SIZEPARENTPARAMS
{
    HDWP hDWP;
    RECT rect;
    SIZE sizeTotal;
    BOOL bStretch;
};

// Moves a child window within a layout batch, when its rectangle changes.
void AfxRepositionWindow(AFX_SIZEPARENTPARAMS* lpLayout, HWND hWnd, LPCRECT lpRect);

// Lays out the control bars of pWnd whose ids lie in nIDFirst..nIDLast (in z-order), then gives
// the window with nIDLeftOver what is left. nFlags: reposDefault, reposQuery (move nothing;
// the rectangle left over goes to lpRectParam), reposExtra (lpRectParam is an extra border
// inside the client area). lpRectClient replaces the client rectangle when given.
enum
{
    reposDefault = 0,
    reposQuery = 1,
    reposExtra = 2,
    reposNoPosLeftOver = 0x8000
};
void AfxRepositionBars(CWnd* pWnd, UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver,
                       UINT nFlags = reposDefault, LPRECT lpRectParam = nullptr,
                       LPCRECT lpRectClient = nullptr, BOOL bStretch = TRUE);

class CControlBar : public CWnd
{
    DECLARE_DYNAMIC(CControlBar)

public:
    CControlBar();
    ~CControlBar() override;

    int GetCount() const; // items (buttons, panes); 0 here
    DWORD GetBarStyle() const { return m_dwStyle; }
    virtual void SetBarStyle(DWORD dwStyle);
    void SetBorders(int cxLeft = 0, int cyTop = 0, int cxRight = 0, int cyBottom = 0);
    void SetBorders(LPCRECT lpRect)
    {
        SetBorders(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    }
    CRect GetBorders() const
    {
        return CRect(m_cxLeftBorder, m_cyTopBorder, m_cxRightBorder, m_cyBottomBorder);
    }

    // Docking: which sides the bar may dock at (CBRS_ALIGN_*, CBRS_FLOAT_MULTI); creates the
    // bar's dock context. 0 turns docking off.
    void EnableDocking(DWORD dwDockStyle);
    CFrameWnd* GetDockingFrame() const; // the frame the bar docks in (its mini frame when floating)
    BOOL IsFloating() const;
    virtual BOOL IsDockBar() const { return FALSE; }
    // Visible, counting a pending delayed show or hide.
    BOOL IsVisible() const;

    // Size as docked (bStretch: to the frame's whole width or height).
    virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
    // Size for a mode of LM_* flags; nLength is the requested length (-1: the docked size).
    virtual CSize CalcDynamicLayout(int nLength, DWORD nMode);
    // Brings the bar's items up to date; pTarget is where their update handlers are looked for.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;
    virtual void CalcInsideRect(CRect& rect, BOOL bHorz) const; // client area less borders
    virtual void DoPaint(CDC* pDC);
    virtual void DrawBorders(CDC* pDC, CRect& rect);
    virtual void DrawGripper(CDC* pDC, const CRect& rect);
    // Shows or hides the bar at the next layout of its frame.
    virtual void DelayShow(BOOL bShow);
    // Applies a pending delayed show or hide (in the layout batch when there is one); answers
    // the window style the bar ends up with.
    DWORD RecalcDelayShow(AFX_SIZEPARENTPARAMS* lpLayout);

    BOOL m_bAutoDelete = FALSE; // delete the object when its window is destroyed
    int m_cxLeftBorder = 6, m_cxRightBorder = 6, m_cyTopBorder = 2, m_cyBottomBorder = 2;
    int m_cxDefaultGap = 2;
    UINT m_nMRUWidth = 32767;
    DWORD m_dwStyle = 0;     // CBRS_* bar style
    DWORD m_dwDockStyle = 0; // sides the bar may dock at
    CFrameWnd* m_pDockSite = nullptr;
    CDockBar* m_pDockBar = nullptr;
    CDockContext* m_pDockContext = nullptr;
    enum StateFlags
    {
        delayHide = 1,
        delayShow = 2,
        tempHide = 4,
        statusSet = 8
    };
    UINT m_nStateFlags = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    // Registers the bar with the frame it belongs to (a bar created in a mini frame belongs to
    // the mini frame's owner).
    void AttachToFrame(CWnd* pParentWnd);
    // Whether a class derived from this one maps the message itself.
    BOOL HandlesOwnMessage(UINT message) const;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnClose(); // bars are hidden, never closed
    afx_msg LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    afx_msg void OnWindowPosChanging(WINDOWPOS* lpWndPos);
    afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    afx_msg void OnNcPaint();
    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
    DECLARE_MESSAGE_MAP()

    friend class CFrameWnd;
    friend class CDockBar;
};

// The frame that owns a bar, a view or any other window: the nearest parent that is a frame
// (a mini frame's owner for windows floating in one, when bSkipMiniFrames).
CFrameWnd* AfxGetParentFrame(const CWnd* pWnd, BOOL bSkipMiniFrames = FALSE);
