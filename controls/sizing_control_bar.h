// CSizingControlBar: a control bar that docks at any side of a frame or floats, and whose size
// the user changes by dragging its edges. Bars in one row of a dock bar share the row's length
// and keep a common thickness. Separate sizes are kept for horizontal docking, vertical docking
// and floating, and can be saved in the application profile. The window it hosts fills the
// client area; the bar itself draws only its non-client frame.
#pragma once

#include "framework/ui.h"

#include <vector>

// The sizing-style word.
#define SCBS_EDGELEFT 0x00000001
#define SCBS_EDGERIGHT 0x00000002
#define SCBS_EDGETOP 0x00000004
#define SCBS_EDGEBOTTOM 0x00000008
#define SCBS_EDGEALL 0x0000000F
#define SCBS_SHOWEDGES 0x00000010 // draw the edges and take their width from the client area
#define SCBS_SIZECHILD 0x00000020 // the first child window fills the client area

class CSizingControlBar : public CControlBar
{
    DECLARE_DYNAMIC(CSizingControlBar)

public:
    CSizingControlBar();
    ~CSizingControlBar() override;

    virtual BOOL Create(LPCTSTR lpszWindowName, CWnd* pParentWnd, UINT nID,
                        DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP);
    virtual BOOL CreateWithSize(LPCTSTR lpszWindowName, CWnd* pParentWnd, CSize sizeDefault,
                                UINT nID, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP);
    // The same with the flag callers pass along with the size (it changes nothing here).
    BOOL Create(LPCTSTR lpszWindowName, CWnd* pParentWnd, CSize sizeDefault, BOOL bHasGripper,
                UINT nID, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP)
    {
        (void)bHasGripper;
        return CreateWithSize(lpszWindowName, pParentWnd, sizeDefault, nID, dwStyle);
    }
    // The sizes in the profile section "<name>-SCBar-<id>".
    virtual BOOL LoadState(LPCTSTR lpszProfileName);
    virtual BOOL SaveState(LPCTSTR lpszProfileName);

    BOOL IsHorzDocked() const
    {
        return m_nDockBarID == AFX_IDW_DOCKBAR_TOP || m_nDockBarID == AFX_IDW_DOCKBAR_BOTTOM;
    }
    BOOL IsVertDocked() const
    {
        return m_nDockBarID == AFX_IDW_DOCKBAR_LEFT || m_nDockBarID == AFX_IDW_DOCKBAR_RIGHT;
    }
    BOOL IsFloating() const { return !IsHorzDocked() && !IsVertDocked(); }

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    CSize CalcDynamicLayout(int nLength, DWORD nMode) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    // State (see the class comment); public for the bars built on this one.
    DWORD m_dwSCBStyle = 0;
    UINT m_htEdge = 0; // edge being dragged (HTLEFT, HTRIGHT, HTTOP, HTBOTTOM)
    CSize m_szHorz{200, 200};
    CSize m_szVert{200, 200};
    CSize m_szFloat{200, 200};
    CSize m_szMinHorz{33, 32};
    CSize m_szMinVert{33, 32};
    CSize m_szMinFloat{37, 32};
    int m_nTrackPosMin = 0;
    int m_nTrackPosMax = 0;
    int m_nTrackPosOld = 0;
    int m_nTrackEdgeOfs = 0;
    BOOL m_bTracking = FALSE;
    BOOL m_bKeepSize = FALSE;     // just shown: keeps its length in the next negotiation
    BOOL m_bParentSizing = FALSE; // the dock layout asked for the docked size
    BOOL m_bDragShowContent = FALSE;
    UINT m_nDockBarID = 0;
    int m_cxEdge = 5;

    // The visible bars of this bar's row in its dock bar, with their list positions; the
    // sizing bars among them and this bar's index there (-1 when absent).
    struct RowEntry
    {
        CControlBar* pBar;
        int nPos;
    };
    void GetRowBars(std::vector<RowEntry>& bars, BOOL bVisibleOnly = TRUE) const;
    void GetRowSizingBars(std::vector<CSizingControlBar*>& bars, int& nThis) const;
    // The edge rectangle of a hit code, from a window rectangle (false: no such edge).
    BOOL GetEdgeRect(CRect rcWnd, UINT nHitTest, CRect& rcEdge) const;
    // Shares the row's length among its bars (see CalcFixedLayout); answers whether the row
    // fits and should be aligned.
    BOOL NegotiateSpace(int nLengthTotal, BOOL bHorz);

protected:
    virtual void BeginSizing(UINT nHitTest, CPoint point);
    virtual void EndSizing();
    virtual void UpdateSizing(CPoint point);
    virtual void InvertTracker();
    virtual void PaintCaption(CDC* pDC, const CRect& rcClient);
    virtual void CalcClientRect(CRect& rc, UINT nDockBarID);
    virtual void AlignBars();

    static LONG& Length(CSize& size, BOOL bHorz) { return bHorz ? size.cx : size.cy; }
    static LONG& Thickness(CSize& size, BOOL bHorz) { return bHorz ? size.cy : size.cx; }

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnPaint();
    afx_msg void OnNcPaint();
    afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    afx_msg void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    afx_msg void OnCaptureChanged(CWnd* pWnd);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnNcMouseMove(UINT nHitTest, CPoint point);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg void OnClose();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
