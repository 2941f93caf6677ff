// CSizingVS2015Bar: a sizing bar with a flat caption while docked: the title, a dotted grip
// and a close button. The caption is highlighted while the focus is inside the bar, the close
// button lights up under the mouse, and a click on it hides the bar.
#pragma once

#include "controls/sizing_control_bar.h"

class CSizingVS2015Bar : public CSizingControlBar
{
    DECLARE_DYNAMIC(CSizingVS2015Bar)

public:
    CSizingVS2015Bar();
    ~CSizingVS2015Bar() override;

    virtual BOOL HasCaption() const { return !IsFloating(); }
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    // The "X" of a close button: two crossing lines of the given thickness across rc.
    static void DrawX(CDC* pDC, const CRect& rc, COLORREF clr, int nThickness = 2);
    // Caption measures from the stock GUI font and the system metrics.
    static int GetCaptionHeight();
    static int GetCloseButtonSize() { return GetCaptionHeight() * 3 / 5; }

    BOOL m_bActive = FALSE; // the focus is in a child of the bar
    CPoint m_ptClose{0, 0}; // close button, window coordinates
    int m_nCloseState = 0;  // 0 normal, 1 pressed, 2 hot

    CRect GetCloseButtonRect() const; // window coordinates

protected:
    void CalcClientRect(CRect& rc, UINT nDockBarID) override;
    void PaintCaption(CDC* pDC, const CRect& rcClient) override;

    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
    afx_msg void OnNcLButtonUp(UINT nHitTest, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
