// CSplitterWnd: a window divided into a fixed grid of panes (the static form) with bars
// between them that the user drags. Each pane is a child with the id IdFromRowCol(row, col).
#pragma once

#include "framework/frame_wnd.h"

#include <vector>

class CSplitterWnd : public CWnd
{
    DECLARE_DYNAMIC(CSplitterWnd)

public:
    CSplitterWnd();
    ~CSplitterWnd() override;

    BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                      UINT nID = AFX_IDW_PANE_FIRST);
    // Creates the pane's window: an object of the run-time class when it can be created
    // dynamically, otherwise a plain window.
    virtual BOOL CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit,
                            void* pContext = nullptr);

    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    void GetRowInfo(int row, int& cyCur, int& cyMin) const;
    void SetRowInfo(int row, int cyIdeal, int cyMin);
    void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
    void SetColumnInfo(int col, int cxIdeal, int cxMin);
    CWnd* GetPane(int row, int col) const;
    int IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }
    BOOL IsChildPane(CWnd* pWnd, int* pRow, int* pCol);
    virtual void RecalcLayout();

    int m_cxSplitter = 4, m_cySplitter = 4; // bar widths

protected:
    struct Info
    {
        int nIdealSize = 0;
        int nMinSize = 0;
        int nCurSize = 0;
    };
    int m_nRows = 0, m_nCols = 0;
    std::vector<Info> m_rowInfo, m_colInfo;
    std::vector<CWnd*> m_ownedPanes;
    BOOL m_bTracking = FALSE;
    int m_nTrackRow = -1, m_nTrackCol = -1;
    CPoint m_ptTrackOffset;

    // The bar under a client point: row bar index (after that row) or column bar index, -1 none.
    void HitTestBar(CPoint pt, int& nRowBar, int& nColBar) const;
    void LayoutInfo(std::vector<Info>& info, int nTotal, int nSplitter);
    void PostNcDestroy() override;

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnCaptureChanged(CWnd* pWnd);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};
