// The base of resizable dialogs: the initial size is the minimum size, child controls keep their
// distance to an edge or the centre of the dialog as it is resized, and the position, size and
// maximised state are saved to and restored from a small placement record.
//
// Derived dialogs: in OnInitDialog call the base, then SaveControlPos for each control with
// the dialog's window rectangle, then RestorePlacement with the stored record; in OnSize call
// MoveControl for each control with the new window rectangle; in OnDestroy call SavePlacement.
#pragma once

#include "framework/ui.h"

// Anchor codes, per axis.
enum SizableAnchor : int
{
    kAnchorNear = 0,   // left or top edge
    kAnchorCenter = 1, // centre
    kAnchorFar = 2,    // right or bottom edge
};

class CRSizableDlg : public CDialog
{
    DECLARE_DYNAMIC(CRSizableDlg)

public:
    // The stored record: 20 bytes, little-endian, no padding.
    struct CPlacement
    {
        int32_t showCmd = SW_SHOW; // 3 restores maximised, anything else normal
        int32_t left = 0;          // normal rectangle, in client coordinates of the main window
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
    };
    static_assert(sizeof(CPlacement) == 20, "the stored placement is 20 bytes");

    CRSizableDlg() = default;
    explicit CRSizableDlg(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : CDialog(nIDTemplate, pParentWnd)
    {}
    explicit CRSizableDlg(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr)
        : CDialog(lpszTemplateName, pParentWnd)
    {}

    BOOL OnInitDialog() override;

    // The coordinate of an anchor of a rectangle (any other code counts as 0).
    static int AnchorX(const RECT& rect, int anchor);
    static int AnchorY(const RECT& rect, int anchor);

    // Measures the offset between the control's anchor point and the reference's (screen
    // coordinates); MoveControl keeps it, moving the control for anchors 0 and 1 and stretching
    // it for anchor 2. A control without a window is left alone.
    static void SaveControlPos(CWnd* pControl, const RECT& reference, int controlX, int referenceX,
                               int controlY, int referenceY, POINT& offset);
    void MoveControl(CWnd* pControl, const RECT& reference, int controlX, int referenceX,
                     int controlY, int referenceY, const POINT& offset);
    static void SaveControlPos(CWnd* pControl, const RECT& reference, int controlX, int referenceX,
                               int controlY, int referenceY, POINT* pOffset)
    {
        if (pOffset != nullptr)
            SaveControlPos(pControl, reference, controlX, referenceX, controlY, referenceY,
                           *pOffset);
    }
    void MoveControl(CWnd* pControl, const RECT& reference, int controlX, int referenceX,
                     int controlY, int referenceY, const POINT* pOffset)
    {
        if (pOffset != nullptr)
            MoveControl(pControl, reference, controlX, referenceX, controlY, referenceY, *pOffset);
    }
    // One control of a layout table: its id and its four anchors (control x, reference x,
    // control y, reference y) as SaveControlPos and MoveControl take them.
    struct CAnchoredControl
    {
        UINT nID;
        int anchors[4];
    };
    // SaveControlPos and MoveControl over a whole table against the dialog's window rectangle;
    // offsets holds one point per control.
    void SaveControlPositions(const CAnchoredControl* pControls, int nCount, POINT* pOffsets);
    void MoveControls(const CAnchoredControl* pControls, int nCount, const POINT* pOffsets);
    // The new window rectangle of a control by the rules above (screen coordinates).
    static RECT ComputeControlRect(const RECT& control, const RECT& reference, int controlX,
                                   int referenceX, int controlY, int referenceY,
                                   const POINT& offset);

    // Applies a stored placement (an empty rectangle applies nothing) and enables saving.
    void RestorePlacement(const CPlacement& placement);
    // Fills the record from the window; false when saving is not enabled or the placement
    // cannot be read (the record is then untouched).
    bool SavePlacement(CPlacement& placement);

    int GetMinTrackWidth() const { return m_nMinTrackWidth; }
    int GetMinTrackHeight() const { return m_nMinTrackHeight; }
    bool IsPlacementEnabled() const { return m_bPlacementEnabled; }

protected:
    int m_nMinTrackWidth = 0;
    int m_nMinTrackHeight = 0;
    bool m_bPlacementEnabled = false;

    // The window whose client area the stored rectangle is relative to (null: the screen).
    HWND GetPlacementOrigin() const;

    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    // Derived dialogs call it before they move their controls: it has the whole dialog painted
    // again once they are in place.
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};

// Keeps a window rectangle (screen coordinates) on a visible monitor: a rectangle that meets no
// monitor is moved, size kept, into the work area of the nearest one.
RECT KeepRectOnMonitor(const RECT& rect);
