// CDockBar: the strip along one side of a frame (or inside a mini frame) that holds docked
// control bars in rows. m_arrBars lists the bars row by row; a null entry ends a row and the
// list always starts with one. An entry may also be a placeholder: a bar id (a value below
// 0x10000) that keeps a hidden bar's place. The layout tolerates bars that insert row breaks
// into the list while it is being laid out.
#pragma once

#include "framework/control_bar.h"

class CDockBar : public CControlBar
{
    DECLARE_DYNAMIC(CDockBar)

public:
    explicit CDockBar(BOOL bFloating = FALSE);
    ~CDockBar() override;

    // Creates the dock bar as a child of the frame with one of the AFX_IDW_DOCKBAR_* ids.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID);

    BOOL m_bFloating;            // the dock bar of a mini frame
    BOOL m_bLayoutQuery = FALSE; // the current layout only measures
    CRect m_rectLayout;          // the space the frame offered in its last layout
    CPtrArray m_arrBars;         // bars, null row breaks, placeholders

    BOOL IsDockBar() const override { return TRUE; }
    // The bar at nPos, or null for a row break or a placeholder.
    CControlBar* GetDockedControlBar(int nPos) const;
    int FindBar(CControlBar* pBar, int nPosExclude = -1) const;
    int GetDockedCount() const; // bars (not breaks or placeholders)
    int GetDockedVisibleCount() const;
    // Docks pBar (taking it from any other dock bar). lpRect (screen) says where: the row it
    // overlaps most, at the position along the row; without it the bar starts a new last row.
    void DockControlBar(CControlBar* pBar, LPCRECT lpRect = nullptr);
    // Inserts pBar in the given row (0 = first) at the given index in it; row == -1 appends a row.
    void InsertBar(CControlBar* pBar, int nRow, int nIndex);
    // Takes the bar out of the list; an emptied row disappears. Answers whether it was there.
    BOOL RemoveControlBar(CControlBar* pBar, int nPosExclude = -1);
    void RemovePlaceHolder(CControlBar* pBar);
    // Row and index in the row of a bar (false when absent).
    BOOL GetBarPosition(CControlBar* pBar, int* pnRow, int* pnIndex) const;
    // Drops duplicate and leading/trailing breaks so that rows stay well formed.
    void NormalizeRows();

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

protected:
    afx_msg LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
