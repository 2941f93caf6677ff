// CDockContext: moves a control bar with the mouse. StartDrag follows the pointer with a
// tracker rectangle and, on release, docks the bar at the side it was dropped on or floats it
// there; ToggleDocking floats a docked bar or docks a floating one where it last was;
// StartResize resizes a floating bar from an edge or corner of its mini frame.
//
// The loops read mouse messages from the queue with the capture held; coordinates are taken
// from each message (client coordinates of its window), so posted messages drive them too.
#pragma once

#include "framework/control_bar.h"

class CDockContext
{
public:
    explicit CDockContext(CControlBar* pBar);
    virtual ~CDockContext();

    virtual void StartDrag(CPoint pt); // pt in screen coordinates
    void ToggleDocking();
    virtual void StartResize(int nHitTest, CPoint pt);

    CControlBar* m_pBar;
    CFrameWnd* m_pDockSite;
    DWORD m_dwDockStyle = 0; // the bar's allowed sides
    DWORD m_dwStyle = 0;     // the bar's style when the drag began
    // Where the bar was docked last (screen rectangle and dock bar id) and floated last.
    CRect m_rectMRUDockPos;
    UINT m_uMRUDockID = 0;
    CPoint m_ptMRUFloatPos{-1, -1};

    // During a drag or a resize.
    CPoint m_ptLast;
    CRect m_rectLast;
    CSize m_sizeLast;
    BOOL m_bDitherLast = FALSE;
    CRect m_rectDragHorz, m_rectDragVert;           // the bar docked horizontally / vertically
    CRect m_rectFrameDragHorz, m_rectFrameDragVert; // the floating frame
    int m_nHitTest = HTNOWHERE;                     // the edge or corner a resize started from
    BOOL m_bDragging = FALSE;
    BOOL m_bFlip = FALSE;
    BOOL m_bForceFrame = FALSE; // Ctrl held: never dock

    // The dock bar a bar dropped at rect (screen) would dock in, or null (float).
    CDockBar* GetDropTarget(const CRect& rectHorz, const CRect& rectVert, CRect* pRectUsed) const;

protected:
    void DrawTracker(const CRect& rect, BOOL bFloat, BOOL bErase);
    BOOL Track(BOOL bResize);
    CRect m_rectTracker;
    BOOL m_bTrackerShown = FALSE;
    BOOL m_bTrackerFloat = FALSE;
    CPoint m_ptStart;
    CRect m_rectStartFrame;
    CSize m_sizeStartBar;
};
