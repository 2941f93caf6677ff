// CToolBarCtrl: the toolbar common control. CToolBar: a control bar that is such a toolbar,
// loaded from a TOOLBAR resource and its bitmap, whose buttons the idle pass enables and checks.
#pragma once

#include "framework/control_bar.h"

// Button styles as CToolBar reports them: the button style in the low word, the state in the
// high word, except that the enabled bit reads as "disabled".
#define TBBS_BUTTON MAKELONG(TBSTYLE_BUTTON, 0)
#define TBBS_SEPARATOR MAKELONG(TBSTYLE_SEP, 0)
#define TBBS_CHECKBOX MAKELONG(TBSTYLE_CHECK, 0)
#define TBBS_GROUP MAKELONG(TBSTYLE_GROUP, 0)
#define TBBS_CHECKGROUP (TBBS_GROUP | TBBS_CHECKBOX)
#define TBBS_DROPDOWN MAKELONG(TBSTYLE_DROPDOWN, 0)
#define TBBS_AUTOSIZE MAKELONG(TBSTYLE_AUTOSIZE, 0)
#define TBBS_NOPREFIX MAKELONG(TBSTYLE_NOPREFIX, 0)
#define TBBS_CHECKED MAKELONG(0, TBSTATE_CHECKED)
#define TBBS_INDETERMINATE MAKELONG(0, TBSTATE_INDETERMINATE)
#define TBBS_DISABLED MAKELONG(0, TBSTATE_ENABLED)
#define TBBS_PRESSED MAKELONG(0, TBSTATE_PRESSED)

class CToolBarCtrl : public CWnd
{
    DECLARE_DYNAMIC(CToolBarCtrl)

public:
    CToolBarCtrl() = default;
    int GetButtonCount() const { return (int)SendMessage(TB_BUTTONCOUNT); }
    BOOL GetButton(int nIndex, LPTBBUTTON lpButton) const
    {
        return (BOOL)SendMessage(TB_GETBUTTON, nIndex, (LPARAM)lpButton);
    }
    int CommandToIndex(UINT nID) const { return (int)SendMessage(TB_COMMANDTOINDEX, nID); }
    BOOL EnableButton(int nID, BOOL bEnable = TRUE)
    {
        return (BOOL)SendMessage(TB_ENABLEBUTTON, nID, MAKELPARAM(bEnable, 0));
    }
    BOOL CheckButton(int nID, BOOL bCheck = TRUE)
    {
        return (BOOL)SendMessage(TB_CHECKBUTTON, nID, MAKELPARAM(bCheck, 0));
    }
    BOOL PressButton(int nID, BOOL bPress = TRUE)
    {
        return (BOOL)SendMessage(TB_PRESSBUTTON, nID, MAKELPARAM(bPress, 0));
    }
    BOOL HideButton(int nID, BOOL bHide = TRUE)
    {
        return (BOOL)SendMessage(TB_HIDEBUTTON, nID, MAKELPARAM(bHide, 0));
    }
    BOOL IsButtonEnabled(int nID) const { return (BOOL)SendMessage(TB_ISBUTTONENABLED, nID); }
    BOOL IsButtonChecked(int nID) const { return (BOOL)SendMessage(TB_ISBUTTONCHECKED, nID); }
    BOOL IsButtonPressed(int nID) const { return (BOOL)SendMessage(TB_ISBUTTONPRESSED, nID); }
    BOOL IsButtonHidden(int nID) const { return (BOOL)SendMessage(TB_ISBUTTONHIDDEN, nID); }
    BOOL IsButtonIndeterminate(int nID) const
    {
        return (BOOL)SendMessage(TB_ISBUTTONINDETERMINATE, nID);
    }
    int GetState(int nID) const { return (int)SendMessage(TB_GETSTATE, nID); }
    BOOL SetState(int nID, UINT nState)
    {
        return (BOOL)SendMessage(TB_SETSTATE, nID, MAKELPARAM(nState, 0));
    }
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const
    {
        return (BOOL)SendMessage(TB_GETITEMRECT, nIndex, (LPARAM)lpRect);
    }
    BOOL GetRect(int nID, LPRECT lpRect) const
    {
        return (BOOL)SendMessage(TB_GETRECT, nID, (LPARAM)lpRect);
    }
    BOOL SetButtonSize(CSize size)
    {
        return (BOOL)SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(size.cx, size.cy));
    }
    BOOL SetBitmapSize(CSize size)
    {
        return (BOOL)SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(size.cx, size.cy));
    }
    CSize GetButtonSize() const
    {
        DWORD d = (DWORD)SendMessage(TB_GETBUTTONSIZE);
        return CSize(LOWORD(d), HIWORD(d));
    }
    DWORD SetExtendedStyle(DWORD dwExStyle)
    {
        return (DWORD)SendMessage(TB_SETEXTENDEDSTYLE, 0, dwExStyle);
    }
    DWORD GetExtendedStyle() const { return (DWORD)SendMessage(TB_GETEXTENDEDSTYLE); }
    HIMAGELIST SetImageList(HIMAGELIST hImageList)
    {
        return (HIMAGELIST)SendMessage(TB_SETIMAGELIST, 0, (LPARAM)hImageList);
    }
    HIMAGELIST GetImageList() const { return (HIMAGELIST)SendMessage(TB_GETIMAGELIST); }
    HIMAGELIST SetDisabledImageList(HIMAGELIST h)
    {
        return (HIMAGELIST)SendMessage(TB_SETDISABLEDIMAGELIST, 0, (LPARAM)h);
    }
    HIMAGELIST SetHotImageList(HIMAGELIST h)
    {
        return (HIMAGELIST)SendMessage(TB_SETHOTIMAGELIST, 0, (LPARAM)h);
    }
    BOOL GetButtonInfo(int nID, TBBUTTONINFOW* ptbbi) const
    {
        return (int)SendMessage(TB_GETBUTTONINFOW, nID, (LPARAM)ptbbi) >= 0;
    }
    BOOL SetButtonInfo(int nID, TBBUTTONINFOW* ptbbi)
    {
        return (BOOL)SendMessage(TB_SETBUTTONINFOW, nID, (LPARAM)ptbbi);
    }
    BOOL AddButtons(int nNumButtons, LPTBBUTTON lpButtons)
    {
        return (BOOL)SendMessage(TB_ADDBUTTONSW, nNumButtons, (LPARAM)lpButtons);
    }
    BOOL DeleteButton(int nIndex) { return (BOOL)SendMessage(TB_DELETEBUTTON, nIndex); }
    int HitTest(LPPOINT ppt) const { return (int)SendMessage(TB_HITTEST, 0, (LPARAM)ppt); }
    void AutoSize() { SendMessage(TB_AUTOSIZE); }
    HWND GetToolTips() const { return (HWND)SendMessage(TB_GETTOOLTIPS); }
};

class CToolBar : public CControlBar
{
    DECLARE_DYNAMIC(CToolBar)

public:
    CToolBar();
    ~CToolBar() override;

    virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                        UINT nID = AFX_IDW_TOOLBAR);
    virtual BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                          DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                          CRect rcBorders = CRect(0, 0, 0, 0), UINT nID = AFX_IDW_TOOLBAR);

    // The buttons of a TOOLBAR resource and the bitmap of the same id.
    BOOL LoadToolBar(UINT nIDResource) { return LoadToolBar(MAKEINTRESOURCEW(nIDResource)); }
    BOOL LoadToolBar(LPCTSTR lpszResourceName);
    BOOL LoadBitmap(UINT nIDResource) { return LoadBitmap(MAKEINTRESOURCEW(nIDResource)); }
    BOOL LoadBitmap(LPCTSTR lpszResourceName);
    // Buttons by command id, ID_SEPARATOR for a gap; the images follow in order.
    BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
    void SetSizes(SIZE sizeButton, SIZE sizeImage);
    void SetHeight(int cyHeight);

    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    void GetItemRect(int nIndex, LPRECT lpRect) const;
    UINT GetButtonStyle(int nIndex) const;
    void SetButtonStyle(int nIndex, UINT nStyle);
    void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
    void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);
    CString GetButtonText(int nIndex) const;
    BOOL SetButtonText(int nIndex, LPCTSTR lpszText);
    int GetCount() const;

    CToolBarCtrl& GetToolBarCtrl() const
    {
        return *const_cast<CToolBarCtrl*>(
            reinterpret_cast<const CToolBarCtrl*>(static_cast<const CWnd*>(this)));
    }

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    CSize CalcDynamicLayout(int nLength, DWORD nMode) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

protected:
    HIMAGELIST m_hImageList = nullptr; // the loaded bitmap's images (owned)
    CSize m_sizeButton{23, 22};
    CSize m_sizeImage{16, 15};
    BOOL m_bVertical = FALSE;
    void SetVertical(BOOL bVertical);
    CSize CalcContentSize() const;

    afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    afx_msg void OnNcPaint();
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};
