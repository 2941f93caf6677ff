// The standard controls: static, button, edit, list box, combo box, scroll bar.
// Members are thin wrappers over the controls' messages. Owner-drawn controls override the
// virtual DrawItem / MeasureItem / CompareItem / DeleteItem, which the parent's reflected
// WM_DRAWITEM and kin call when the control's own map has no entry for them.
#pragma once

#include "framework/wnd.h"

class CStatic : public CWnd
{
    DECLARE_DYNAMIC(CStatic)

public:
    CStatic() = default;
    BOOL Create(LPCTSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID = 0xFFFF);
    HICON SetIcon(HICON hIcon) { return (HICON)SendMessage(STM_SETICON, (WPARAM)hIcon); }
    HICON GetIcon() const { return (HICON)SendMessage(STM_GETICON); }
    HBITMAP SetBitmap(HBITMAP hBitmap)
    {
        return (HBITMAP)SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hBitmap);
    }
    HBITMAP GetBitmap() const { return (HBITMAP)SendMessage(STM_GETIMAGE, IMAGE_BITMAP); }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CButton : public CWnd
{
    DECLARE_DYNAMIC(CButton)

public:
    CButton() = default;
    BOOL Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    UINT GetState() const { return (UINT)SendMessage(BM_GETSTATE); }
    void SetState(BOOL bHighlight) { SendMessage(BM_SETSTATE, bHighlight); }
    int GetCheck() const { return (int)SendMessage(BM_GETCHECK); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, nCheck); }
    UINT GetButtonStyle() const { return (UINT)GetStyle() & 0xFFFF; }
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE)
    {
        SendMessage(BM_SETSTYLE, nStyle, bRedraw);
    }
    HICON SetIcon(HICON hIcon)
    {
        return (HICON)SendMessage(BM_SETIMAGE, IMAGE_ICON, (LPARAM)hIcon);
    }
    HICON GetIcon() const { return (HICON)SendMessage(BM_GETIMAGE, IMAGE_ICON); }
    HBITMAP SetBitmap(HBITMAP hBitmap)
    {
        return (HBITMAP)SendMessage(BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hBitmap);
    }
    HBITMAP GetBitmap() const { return (HBITMAP)SendMessage(BM_GETIMAGE, IMAGE_BITMAP); }
    void Click() { SendMessage(BM_CLICK); }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CEdit : public CWnd
{
    DECLARE_DYNAMIC(CEdit)

public:
    CEdit() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    BOOL CanUndo() const { return (BOOL)SendMessage(EM_CANUNDO); }
    BOOL Undo() { return (BOOL)SendMessage(EM_UNDO); }
    void EmptyUndoBuffer() { SendMessage(EM_EMPTYUNDOBUFFER); }
    int GetLineCount() const { return (int)SendMessage(EM_GETLINECOUNT); }
    BOOL GetModify() const { return (BOOL)SendMessage(EM_GETMODIFY); }
    void SetModify(BOOL bModified = TRUE) { SendMessage(EM_SETMODIFY, bModified); }
    void GetRect(LPRECT lpRect) const { SendMessage(EM_GETRECT, 0, (LPARAM)lpRect); }
    void SetRect(LPCRECT lpRect) { SendMessage(EM_SETRECT, 0, (LPARAM)lpRect); }
    DWORD GetSel() const { return (DWORD)SendMessage(EM_GETSEL); }
    void GetSel(int& nStartChar, int& nEndChar) const;
    void SetSel(DWORD dwSelection, BOOL bNoScroll = FALSE);
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo = FALSE)
    {
        SendMessage(EM_REPLACESEL, bCanUndo, (LPARAM)lpszNewText);
    }
    int GetLine(int nIndex, LPTSTR lpszBuffer, int nMaxLength) const;
    int LineIndex(int nLine = -1) const { return (int)SendMessage(EM_LINEINDEX, nLine); }
    int LineLength(int nLine = -1) const { return (int)SendMessage(EM_LINELENGTH, nLine); }
    int LineFromChar(int nIndex = -1) const { return (int)SendMessage(EM_LINEFROMCHAR, nIndex); }
    void LineScroll(int nLines, int nChars = 0) { SendMessage(EM_LINESCROLL, nChars, nLines); }
    int GetFirstVisibleLine() const { return (int)SendMessage(EM_GETFIRSTVISIBLELINE); }
    void LimitText(int nChars = 0) { SendMessage(EM_LIMITTEXT, nChars); }
    void SetLimitText(UINT nMax) { SendMessage(EM_SETLIMITTEXT, nMax); }
    UINT GetLimitText() const { return (UINT)SendMessage(EM_GETLIMITTEXT); }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return (BOOL)SendMessage(EM_SETREADONLY, bReadOnly); }
    void SetPasswordChar(TCHAR ch) { SendMessage(EM_SETPASSWORDCHAR, ch); }
    void SetMargins(UINT nLeft, UINT nRight)
    {
        SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(nLeft, nRight));
    }
    CPoint PosFromChar(UINT nChar) const;
    int CharFromPos(CPoint pt) const
    {
        return (int)SendMessage(EM_CHARFROMPOS, 0, MAKELPARAM(pt.x, pt.y));
    }
    BOOL SetCueBanner(LPCWSTR lpszText, BOOL fDrawIfFocused = FALSE)
    {
        return (BOOL)SendMessage(EM_SETCUEBANNER, fDrawIfFocused, (LPARAM)lpszText);
    }
    void Clear() { SendMessage(WM_CLEAR); }
    void Copy() { SendMessage(WM_COPY); }
    void Cut() { SendMessage(WM_CUT); }
    void Paste() { SendMessage(WM_PASTE); }
};

class CListBox : public CWnd
{
    DECLARE_DYNAMIC(CListBox)

public:
    CListBox() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetCount() const { return (int)SendMessage(LB_GETCOUNT); }
    int GetCurSel() const { return (int)SendMessage(LB_GETCURSEL); }
    int SetCurSel(int nSelect) { return (int)SendMessage(LB_SETCURSEL, nSelect); }
    int GetSel(int nIndex) const { return (int)SendMessage(LB_GETSEL, nIndex); }
    int SetSel(int nIndex, BOOL bSelect = TRUE)
    {
        return (int)SendMessage(LB_SETSEL, bSelect, nIndex);
    }
    int GetSelCount() const { return (int)SendMessage(LB_GETSELCOUNT); }
    int GetSelItems(int nMaxItems, LPINT rgIndex) const
    {
        return (int)SendMessage(LB_GETSELITEMS, nMaxItems, (LPARAM)rgIndex);
    }
    int GetTopIndex() const { return (int)SendMessage(LB_GETTOPINDEX); }
    int SetTopIndex(int nIndex) { return (int)SendMessage(LB_SETTOPINDEX, nIndex); }
    DWORD_PTR GetItemData(int nIndex) const
    {
        return (DWORD_PTR)SendMessage(LB_GETITEMDATA, nIndex);
    }
    int SetItemData(int nIndex, DWORD_PTR dwItemData)
    {
        return (int)SendMessage(LB_SETITEMDATA, nIndex, (LPARAM)dwItemData);
    }
    void* GetItemDataPtr(int nIndex) const { return (void*)GetItemData(nIndex); }
    int SetItemDataPtr(int nIndex, void* pData) { return SetItemData(nIndex, (DWORD_PTR)pData); }
    int GetItemRect(int nIndex, LPRECT lpRect) const
    {
        return (int)SendMessage(LB_GETITEMRECT, nIndex, (LPARAM)lpRect);
    }
    int GetText(int nIndex, LPTSTR lpszBuffer) const
    {
        return (int)SendMessage(LB_GETTEXT, nIndex, (LPARAM)lpszBuffer);
    }
    void GetText(int nIndex, CString& rString) const;
    int GetTextLen(int nIndex) const { return (int)SendMessage(LB_GETTEXTLEN, nIndex); }
    int GetItemHeight(int nIndex) const { return (int)SendMessage(LB_GETITEMHEIGHT, nIndex); }
    int SetItemHeight(int nIndex, UINT cyItemHeight)
    {
        return (int)SendMessage(LB_SETITEMHEIGHT, nIndex, cyItemHeight);
    }
    int GetCaretIndex() const { return (int)SendMessage(LB_GETCARETINDEX); }
    int SetCaretIndex(int nIndex, BOOL bScroll = TRUE)
    {
        return (int)SendMessage(LB_SETCARETINDEX, nIndex, bScroll);
    }
    void SetHorizontalExtent(int cxExtent) { SendMessage(LB_SETHORIZONTALEXTENT, cxExtent); }
    int AddString(LPCTSTR lpszItem) { return (int)SendMessage(LB_ADDSTRING, 0, (LPARAM)lpszItem); }
    int DeleteString(UINT nIndex) { return (int)SendMessage(LB_DELETESTRING, nIndex); }
    int InsertString(int nIndex, LPCTSTR lpszItem)
    {
        return (int)SendMessage(LB_INSERTSTRING, nIndex, (LPARAM)lpszItem);
    }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int FindString(int nStartAfter, LPCTSTR lpszItem) const
    {
        return (int)SendMessage(LB_FINDSTRING, nStartAfter, (LPARAM)lpszItem);
    }
    int FindStringExact(int nIndexStart, LPCTSTR lpszFind) const
    {
        return (int)SendMessage(LB_FINDSTRINGEXACT, nIndexStart, (LPARAM)lpszFind);
    }
    int SelectString(int nStartAfter, LPCTSTR lpszItem)
    {
        return (int)SendMessage(LB_SELECTSTRING, nStartAfter, (LPARAM)lpszItem);
    }
    UINT ItemFromPoint(CPoint pt, BOOL& bOutside) const;
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    virtual int CompareItem(LPCOMPAREITEMSTRUCT lpCompareItemStruct);
    virtual void DeleteItem(LPDELETEITEMSTRUCT lpDeleteItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CComboBox : public CWnd
{
    DECLARE_DYNAMIC(CComboBox)

public:
    CComboBox() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetCount() const { return (int)SendMessage(CB_GETCOUNT); }
    int GetCurSel() const { return (int)SendMessage(CB_GETCURSEL); }
    int SetCurSel(int nSelect) { return (int)SendMessage(CB_SETCURSEL, nSelect); }
    DWORD GetEditSel() const { return (DWORD)SendMessage(CB_GETEDITSEL); }
    BOOL SetEditSel(int nStartChar, int nEndChar)
    {
        return (BOOL)SendMessage(CB_SETEDITSEL, 0, MAKELONG(nStartChar, nEndChar));
    }
    BOOL LimitText(int nMaxChars) { return (BOOL)SendMessage(CB_LIMITTEXT, nMaxChars); }
    DWORD_PTR GetItemData(int nIndex) const
    {
        return (DWORD_PTR)SendMessage(CB_GETITEMDATA, nIndex);
    }
    int SetItemData(int nIndex, DWORD_PTR dwItemData)
    {
        return (int)SendMessage(CB_SETITEMDATA, nIndex, (LPARAM)dwItemData);
    }
    void* GetItemDataPtr(int nIndex) const { return (void*)GetItemData(nIndex); }
    int SetItemDataPtr(int nIndex, void* pData) { return SetItemData(nIndex, (DWORD_PTR)pData); }
    int GetLBText(int nIndex, LPTSTR lpszText) const
    {
        return (int)SendMessage(CB_GETLBTEXT, nIndex, (LPARAM)lpszText);
    }
    void GetLBText(int nIndex, CString& rString) const;
    int GetLBTextLen(int nIndex) const { return (int)SendMessage(CB_GETLBTEXTLEN, nIndex); }
    int SetItemHeight(int nIndex, UINT cyItemHeight)
    {
        return (int)SendMessage(CB_SETITEMHEIGHT, nIndex, cyItemHeight);
    }
    int GetItemHeight(int nIndex) const { return (int)SendMessage(CB_GETITEMHEIGHT, nIndex); }
    int SetDroppedWidth(UINT nWidth) { return (int)SendMessage(CB_SETDROPPEDWIDTH, nWidth); }
    int GetDroppedWidth() const { return (int)SendMessage(CB_GETDROPPEDWIDTH); }
    BOOL GetDroppedState() const { return (BOOL)SendMessage(CB_GETDROPPEDSTATE); }
    void GetDroppedControlRect(LPRECT lprect) const
    {
        SendMessage(CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)lprect);
    }
    void ShowDropDown(BOOL bShowIt = TRUE) { SendMessage(CB_SHOWDROPDOWN, bShowIt); }
    int SetExtendedUI(BOOL bExtended = TRUE)
    {
        return (int)SendMessage(CB_SETEXTENDEDUI, bExtended);
    }
    int GetTopIndex() const { return (int)SendMessage(CB_GETTOPINDEX); }
    int SetTopIndex(int nIndex) { return (int)SendMessage(CB_SETTOPINDEX, nIndex); }
    BOOL SetCueBanner(LPCWSTR lpszText)
    {
        return (BOOL)SendMessage(CB_SETCUEBANNER, 0, (LPARAM)lpszText);
    }
    int AddString(LPCTSTR lpszString)
    {
        return (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)lpszString);
    }
    int DeleteString(UINT nIndex) { return (int)SendMessage(CB_DELETESTRING, nIndex); }
    int InsertString(int nIndex, LPCTSTR lpszString)
    {
        return (int)SendMessage(CB_INSERTSTRING, nIndex, (LPARAM)lpszString);
    }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int FindString(int nStartAfter, LPCTSTR lpszString) const
    {
        return (int)SendMessage(CB_FINDSTRING, nStartAfter, (LPARAM)lpszString);
    }
    int FindStringExact(int nIndexStart, LPCTSTR lpszFind) const
    {
        return (int)SendMessage(CB_FINDSTRINGEXACT, nIndexStart, (LPARAM)lpszFind);
    }
    int SelectString(int nStartAfter, LPCTSTR lpszString)
    {
        return (int)SendMessage(CB_SELECTSTRING, nStartAfter, (LPARAM)lpszString);
    }
    void Clear() { SendMessage(WM_CLEAR); }
    void Copy() { SendMessage(WM_COPY); }
    void Cut() { SendMessage(WM_CUT); }
    void Paste() { SendMessage(WM_PASTE); }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    virtual int CompareItem(LPCOMPAREITEMSTRUCT lpCompareItemStruct);
    virtual void DeleteItem(LPDELETEITEMSTRUCT lpDeleteItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CScrollBar : public CWnd
{
    DECLARE_DYNAMIC(CScrollBar)

public:
    CScrollBar() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    int SetScrollPos(int nPos, BOOL bRedraw = TRUE)
    {
        return ::SetScrollPos(m_hWnd, SB_CTL, nPos, bRedraw);
    }
    void GetScrollRange(LPINT lpMinPos, LPINT lpMaxPos) const
    {
        ::GetScrollRange(m_hWnd, SB_CTL, lpMinPos, lpMaxPos);
    }
    void SetScrollRange(int nMinPos, int nMaxPos, BOOL bRedraw = TRUE)
    {
        ::SetScrollRange(m_hWnd, SB_CTL, nMinPos, nMaxPos, bRedraw);
    }
    BOOL SetScrollInfo(LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE)
    {
        return ::SetScrollInfo(m_hWnd, SB_CTL, lpScrollInfo, bRedraw);
    }
    BOOL GetScrollInfo(LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
};
