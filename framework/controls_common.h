// The common controls: image list, list view, header, tree view, tab, spin button, progress bar
// and tool tips. Members are thin wrappers over the controls' messages.
#pragma once

#include "framework/controls_basic.h"
#include "framework/gdi.h"

#include <commctrl.h>

#ifndef QL_POSITION_DECLARED
#define QL_POSITION_DECLARED
// An opaque iteration position.
struct __POSITION;
typedef __POSITION* POSITION;
#endif

// An image list handle. The object owns it (ImageList_Destroy) unless detached.
class CImageList : public CObject
{
    DECLARE_DYNAMIC(CImageList)

public:
    CImageList() = default;
    ~CImageList() override;

    HIMAGELIST m_hImageList = nullptr;
    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const;

    static CImageList* FromHandle(HIMAGELIST hImageList);
    static void DeleteTempMap();
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    BOOL Create(CImageList* pImageList); // a copy
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    BOOL SetImageCount(UINT uNewCount) { return ImageList_SetImageCount(m_hImageList, uNewCount); }
    BOOL GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const
    {
        return ImageList_GetImageInfo(m_hImageList, nImage, pImageInfo);
    }
    BOOL GetIconSize(int* cx, int* cy) const { return ImageList_GetIconSize(m_hImageList, cx, cy); }
    COLORREF SetBkColor(COLORREF cr) { return ImageList_SetBkColor(m_hImageList, cr); }
    COLORREF GetBkColor() const { return ImageList_GetBkColor(m_hImageList); }
    int Add(CBitmap* pbmImage, CBitmap* pbmMask);
    int Add(CBitmap* pbmImage, COLORREF crMask);
    int Add(HICON hIcon) { return ImageList_ReplaceIcon(m_hImageList, -1, hIcon); }
    BOOL Remove(int nImage) { return ImageList_Remove(m_hImageList, nImage); }
    BOOL Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask);
    int Replace(int nImage, HICON hIcon)
    {
        return ImageList_ReplaceIcon(m_hImageList, nImage, hIcon);
    }
    HICON ExtractIcon(int nImage) { return ImageList_ExtractIcon(nullptr, m_hImageList, nImage); }
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle);
    BOOL DrawIndirect(IMAGELISTDRAWPARAMS* pimldp) { return ImageList_DrawIndirect(pimldp); }
    BOOL SetOverlayImage(int nImage, int nOverlay)
    {
        return ImageList_SetOverlayImage(m_hImageList, nImage, nOverlay);
    }

    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
};

class CHeaderCtrl : public CWnd
{
    DECLARE_DYNAMIC(CHeaderCtrl)

public:
    CHeaderCtrl() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetItemCount() const { return (int)SendMessage(HDM_GETITEMCOUNT); }
    BOOL GetItem(int nPos, HDITEM* pHeaderItem) const
    {
        return (BOOL)SendMessage(HDM_GETITEMW, nPos, (LPARAM)pHeaderItem);
    }
    BOOL SetItem(int nPos, HDITEM* pHeaderItem)
    {
        return (BOOL)SendMessage(HDM_SETITEMW, nPos, (LPARAM)pHeaderItem);
    }
    int InsertItem(int nPos, HDITEM* phdi)
    {
        return (int)SendMessage(HDM_INSERTITEMW, nPos, (LPARAM)phdi);
    }
    BOOL DeleteItem(int nPos) { return (BOOL)SendMessage(HDM_DELETEITEM, nPos); }
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const
    {
        return (BOOL)SendMessage(HDM_GETITEMRECT, nIndex, (LPARAM)lpRect);
    }
    BOOL GetOrderArray(LPINT piArray, int iCount) const
    {
        return (BOOL)SendMessage(HDM_GETORDERARRAY, iCount, (LPARAM)piArray);
    }
    BOOL SetOrderArray(int iCount, LPINT piArray)
    {
        return (BOOL)SendMessage(HDM_SETORDERARRAY, iCount, (LPARAM)piArray);
    }
    int OrderToIndex(int nOrder) const { return (int)SendMessage(HDM_ORDERTOINDEX, nOrder); }
    CImageList* SetImageList(CImageList* pImageList);
    CImageList* GetImageList() const;
    int HitTest(LPHDHITTESTINFO pHeaderHitTestInfo)
    {
        return (int)SendMessage(HDM_HITTEST, 0, (LPARAM)pHeaderHitTestInfo);
    }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CListCtrl : public CWnd
{
    DECLARE_DYNAMIC(CListCtrl)

public:
    CListCtrl() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    BOOL CreateEx(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    using CWnd::CreateEx;

    // Items.
    int GetItemCount() const { return (int)SendMessage(LVM_GETITEMCOUNT); }
    void SetItemCount(int nItems) { SendMessage(LVM_SETITEMCOUNT, nItems); }
    BOOL SetItemCountEx(int iCount, DWORD dwFlags = LVSICF_NOINVALIDATEALL)
    {
        return (BOOL)SendMessage(LVM_SETITEMCOUNT, iCount, dwFlags);
    }
    BOOL GetItem(LVITEM* pItem) const { return (BOOL)SendMessage(LVM_GETITEMW, 0, (LPARAM)pItem); }
    BOOL SetItem(const LVITEM* pItem) { return (BOOL)SendMessage(LVM_SETITEMW, 0, (LPARAM)pItem); }
    BOOL SetItem(int nItem, int nSubItem, UINT nMask, LPCTSTR lpszItem, int nImage, UINT nState,
                 UINT nStateMask, LPARAM lParam);
    int InsertItem(const LVITEM* pItem)
    {
        return (int)SendMessage(LVM_INSERTITEMW, 0, (LPARAM)pItem);
    }
    int InsertItem(int nItem, LPCTSTR lpszItem);
    int InsertItem(int nItem, LPCTSTR lpszItem, int nImage);
    int InsertItem(UINT nMask, int nItem, LPCTSTR lpszItem, UINT nState, UINT nStateMask,
                   int nImage, LPARAM lParam);
    BOOL DeleteItem(int nItem) { return (BOOL)SendMessage(LVM_DELETEITEM, nItem); }
    BOOL DeleteAllItems() { return (BOOL)SendMessage(LVM_DELETEALLITEMS); }
    CString GetItemText(int nItem, int nSubItem) const;
    int GetItemText(int nItem, int nSubItem, LPTSTR lpszText, int nLen) const;
    BOOL SetItemText(int nItem, int nSubItem, LPCTSTR lpszText);
    DWORD_PTR GetItemData(int nItem) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    UINT GetItemState(int nItem, UINT nMask) const
    {
        return (UINT)SendMessage(LVM_GETITEMSTATE, nItem, nMask);
    }
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    BOOL SetItemState(int nItem, LVITEM* pItem)
    {
        return (BOOL)SendMessage(LVM_SETITEMSTATE, nItem, (LPARAM)pItem);
    }
    BOOL GetCheck(int nItem) const;
    BOOL SetCheck(int nItem, BOOL fCheck = TRUE);
    int GetNextItem(int nItem, int nFlags) const
    {
        return (int)SendMessage(LVM_GETNEXTITEM, nItem, MAKELPARAM(nFlags, 0));
    }
    UINT GetSelectedCount() const { return (UINT)SendMessage(LVM_GETSELECTEDCOUNT); }
    POSITION GetFirstSelectedItemPosition() const; // the item index + 1, or null
    int GetNextSelectedItem(POSITION& pos) const;
    int GetSelectionMark() const { return (int)SendMessage(LVM_GETSELECTIONMARK); }
    int SetSelectionMark(int iIndex) { return (int)SendMessage(LVM_SETSELECTIONMARK, 0, iIndex); }
    int FindItem(LVFINDINFO* pFindInfo, int nStart = -1) const
    {
        return (int)SendMessage(LVM_FINDITEMW, nStart, (LPARAM)pFindInfo);
    }
    BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const;
    BOOL GetSubItemRect(int iItem, int iSubItem, int nArea, CRect& ref) const;
    BOOL GetItemPosition(int nItem, LPPOINT lpPoint) const
    {
        return (BOOL)SendMessage(LVM_GETITEMPOSITION, nItem, (LPARAM)lpPoint);
    }
    int HitTest(LVHITTESTINFO* pHitTestInfo) const
    {
        return (int)SendMessage(LVM_HITTEST, 0, (LPARAM)pHitTestInfo);
    }
    int HitTest(CPoint pt, UINT* pFlags = nullptr) const;
    int SubItemHitTest(LPLVHITTESTINFO pInfo)
    {
        return (int)SendMessage(LVM_SUBITEMHITTEST, 0, (LPARAM)pInfo);
    }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK)
    {
        return (BOOL)SendMessage(LVM_ENSUREVISIBLE, nItem, bPartialOK);
    }
    BOOL Scroll(CSize size) { return (BOOL)SendMessage(LVM_SCROLL, size.cx, size.cy); }
    BOOL RedrawItems(int nFirst, int nLast)
    {
        return (BOOL)SendMessage(LVM_REDRAWITEMS, nFirst, nLast);
    }
    BOOL Update(int nItem) { return (BOOL)SendMessage(LVM_UPDATE, nItem); }
    int GetTopIndex() const { return (int)SendMessage(LVM_GETTOPINDEX); }
    int GetCountPerPage() const { return (int)SendMessage(LVM_GETCOUNTPERPAGE); }
    BOOL GetViewRect(LPRECT lpRect) const
    {
        return (BOOL)SendMessage(LVM_GETVIEWRECT, 0, (LPARAM)lpRect);
    }
    BOOL GetOrigin(LPPOINT lpPoint) const
    {
        return (BOOL)SendMessage(LVM_GETORIGIN, 0, (LPARAM)lpPoint);
    }
    int GetStringWidth(LPCTSTR lpsz) const
    {
        return (int)SendMessage(LVM_GETSTRINGWIDTHW, 0, (LPARAM)lpsz);
    }
    // Sorting: the comparer gets the items' data (SortItems) or indexes (SortItemsEx).
    BOOL SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData)
    {
        return (BOOL)SendMessage(LVM_SORTITEMS, dwData, (LPARAM)pfnCompare);
    }
    BOOL SortItemsEx(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData)
    {
        return (BOOL)SendMessage(LVM_SORTITEMSEX, dwData, (LPARAM)pfnCompare);
    }

    // In-place label editing.
    CEdit* EditLabel(int nItem);
    CEdit* GetEditControl() const;
    BOOL CancelEditLabel() { return (BOOL)SendMessage(LVM_CANCELEDITLABEL); }

    // Columns.
    int InsertColumn(int nCol, const LVCOLUMN* pColumn)
    {
        return (int)SendMessage(LVM_INSERTCOLUMNW, nCol, (LPARAM)pColumn);
    }
    int InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT,
                     int nWidth = -1, int nSubItem = -1);
    BOOL DeleteColumn(int nCol) { return (BOOL)SendMessage(LVM_DELETECOLUMN, nCol); }
    BOOL GetColumn(int nCol, LVCOLUMN* pColumn) const
    {
        return (BOOL)SendMessage(LVM_GETCOLUMNW, nCol, (LPARAM)pColumn);
    }
    BOOL SetColumn(int nCol, const LVCOLUMN* pColumn)
    {
        return (BOOL)SendMessage(LVM_SETCOLUMNW, nCol, (LPARAM)pColumn);
    }
    int GetColumnWidth(int nCol) const { return (int)SendMessage(LVM_GETCOLUMNWIDTH, nCol); }
    BOOL SetColumnWidth(int nCol, int cx)
    {
        return (BOOL)SendMessage(LVM_SETCOLUMNWIDTH, nCol, MAKELPARAM(cx, 0));
    }
    BOOL GetColumnOrderArray(LPINT piArray, int iCount = -1) const;
    BOOL SetColumnOrderArray(int iCount, LPINT piArray)
    {
        return (BOOL)SendMessage(LVM_SETCOLUMNORDERARRAY, iCount, (LPARAM)piArray);
    }
    CHeaderCtrl* GetHeaderCtrl() const;

    // Looks.
    DWORD GetExtendedStyle() const { return (DWORD)SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE); }
    DWORD SetExtendedStyle(DWORD dwNewStyle)
    {
        return (DWORD)SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle);
    }
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);
    CImageList* GetImageList(int nImageList) const;
    COLORREF GetBkColor() const { return (COLORREF)SendMessage(LVM_GETBKCOLOR); }
    BOOL SetBkColor(COLORREF cr) { return (BOOL)SendMessage(LVM_SETBKCOLOR, 0, cr); }
    COLORREF GetTextColor() const { return (COLORREF)SendMessage(LVM_GETTEXTCOLOR); }
    BOOL SetTextColor(COLORREF cr) { return (BOOL)SendMessage(LVM_SETTEXTCOLOR, 0, cr); }
    COLORREF GetTextBkColor() const { return (COLORREF)SendMessage(LVM_GETTEXTBKCOLOR); }
    BOOL SetTextBkColor(COLORREF cr) { return (BOOL)SendMessage(LVM_SETTEXTBKCOLOR, 0, cr); }
    CToolTipCtrl* GetToolTips() const;
    DWORD GetView() const { return (DWORD)SendMessage(LVM_GETVIEW); }
    int SetView(int iView) { return (int)SendMessage(LVM_SETVIEW, iView); }

    // Groups (answer failure where the control has no group view).
    LRESULT EnableGroupView(BOOL fEnable) { return SendMessage(LVM_ENABLEGROUPVIEW, fEnable); }
    BOOL IsGroupViewEnabled() const { return (BOOL)SendMessage(LVM_ISGROUPVIEWENABLED); }
    LRESULT InsertGroup(int index, PLVGROUP pgrp)
    {
        return SendMessage(LVM_INSERTGROUP, index, (LPARAM)pgrp);
    }
    int SetGroupInfo(int iGroupId, PLVGROUP pGroup)
    {
        return (int)SendMessage(LVM_SETGROUPINFO, iGroupId, (LPARAM)pGroup);
    }
    int GetGroupInfo(int iGroupId, PLVGROUP pgrp) const
    {
        return (int)SendMessage(LVM_GETGROUPINFO, iGroupId, (LPARAM)pgrp);
    }
    LRESULT RemoveGroup(int iGroupId) { return SendMessage(LVM_REMOVEGROUP, iGroupId); }
    void RemoveAllGroups() { SendMessage(LVM_REMOVEALLGROUPS); }
    BOOL HasGroup(int iGroupId) const { return (BOOL)SendMessage(LVM_HASGROUP, iGroupId); }

    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CTreeCtrl : public CWnd
{
    DECLARE_DYNAMIC(CTreeCtrl)

public:
    CTreeCtrl() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    HTREEITEM InsertItem(LPTVINSERTSTRUCT lpInsertStruct)
    {
        return (HTREEITEM)SendMessage(TVM_INSERTITEMW, 0, (LPARAM)lpInsertStruct);
    }
    HTREEITEM InsertItem(UINT nMask, LPCTSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                         UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter);
    HTREEITEM InsertItem(LPCTSTR lpszItem, HTREEITEM hParent = TVI_ROOT,
                         HTREEITEM hInsertAfter = TVI_LAST);
    HTREEITEM InsertItem(LPCTSTR lpszItem, int nImage, int nSelectedImage,
                         HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST);
    BOOL DeleteItem(HTREEITEM hItem) { return (BOOL)SendMessage(TVM_DELETEITEM, 0, (LPARAM)hItem); }
    BOOL DeleteAllItems() { return (BOOL)SendMessage(TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT); }
    BOOL GetItem(TVITEM* pItem) const { return (BOOL)SendMessage(TVM_GETITEMW, 0, (LPARAM)pItem); }
    BOOL SetItem(TVITEM* pItem) { return (BOOL)SendMessage(TVM_SETITEMW, 0, (LPARAM)pItem); }
    CString GetItemText(HTREEITEM hItem) const;
    BOOL SetItemText(HTREEITEM hItem, LPCTSTR lpszItem);
    DWORD_PTR GetItemData(HTREEITEM hItem) const;
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData);
    BOOL GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const;
    BOOL SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage);
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const
    {
        return (UINT)SendMessage(TVM_GETITEMSTATE, (WPARAM)hItem, nStateMask);
    }
    BOOL SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask);
    BOOL GetCheck(HTREEITEM hItem) const;
    BOOL SetCheck(HTREEITEM hItem, BOOL fCheck = TRUE);
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const
    {
        return (HTREEITEM)SendMessage(TVM_GETNEXTITEM, nCode, (LPARAM)hItem);
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM hItem) const
    {
        return GetNextItem(hItem, TVGN_PREVIOUS);
    }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    HTREEITEM GetFirstVisibleItem() const { return GetNextItem(nullptr, TVGN_FIRSTVISIBLE); }
    HTREEITEM GetNextVisibleItem(HTREEITEM hItem) const
    {
        return GetNextItem(hItem, TVGN_NEXTVISIBLE);
    }
    HTREEITEM GetDropHilightItem() const { return GetNextItem(nullptr, TVGN_DROPHILITE); }
    BOOL ItemHasChildren(HTREEITEM hItem) const;
    BOOL Select(HTREEITEM hItem, UINT nCode)
    {
        return (BOOL)SendMessage(TVM_SELECTITEM, nCode, (LPARAM)hItem);
    }
    BOOL SelectItem(HTREEITEM hItem) { return Select(hItem, TVGN_CARET); }
    BOOL SelectDropTarget(HTREEITEM hItem) { return Select(hItem, TVGN_DROPHILITE); }
    BOOL Expand(HTREEITEM hItem, UINT nCode)
    {
        return (BOOL)SendMessage(TVM_EXPAND, nCode, (LPARAM)hItem);
    }
    BOOL EnsureVisible(HTREEITEM hItem)
    {
        return (BOOL)SendMessage(TVM_ENSUREVISIBLE, 0, (LPARAM)hItem);
    }
    BOOL SortChildren(HTREEITEM hItem)
    {
        return (BOOL)SendMessage(TVM_SORTCHILDREN, 0, (LPARAM)hItem);
    }
    BOOL SortChildrenCB(LPTVSORTCB pSort)
    {
        return (BOOL)SendMessage(TVM_SORTCHILDRENCB, 0, (LPARAM)pSort);
    }
    HTREEITEM HitTest(CPoint pt, UINT* pFlags = nullptr) const;
    HTREEITEM HitTest(TVHITTESTINFO* pHitTestInfo) const
    {
        return (HTREEITEM)SendMessage(TVM_HITTEST, 0, (LPARAM)pHitTestInfo);
    }
    BOOL GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const;
    UINT GetCount() const { return (UINT)SendMessage(TVM_GETCOUNT); }
    UINT GetVisibleCount() const { return (UINT)SendMessage(TVM_GETVISIBLECOUNT); }
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);
    CImageList* GetImageList(int nImageList) const;
    CEdit* EditLabel(HTREEITEM hItem);
    CEdit* GetEditControl() const;
    COLORREF GetBkColor() const { return (COLORREF)SendMessage(TVM_GETBKCOLOR); }
    COLORREF SetBkColor(COLORREF clr) { return (COLORREF)SendMessage(TVM_SETBKCOLOR, 0, clr); }
    COLORREF GetTextColor() const { return (COLORREF)SendMessage(TVM_GETTEXTCOLOR); }
    COLORREF SetTextColor(COLORREF clr) { return (COLORREF)SendMessage(TVM_SETTEXTCOLOR, 0, clr); }
    UINT GetIndent() const { return (UINT)SendMessage(TVM_GETINDENT); }
    void SetIndent(UINT nIndent) { SendMessage(TVM_SETINDENT, nIndent); }
    DWORD GetExtendedStyle() const { return (DWORD)SendMessage(TVM_GETEXTENDEDSTYLE); }
    DWORD SetExtendedStyle(DWORD dwExMask, DWORD dwExStyles)
    {
        return (DWORD)SendMessage(TVM_SETEXTENDEDSTYLE, dwExMask, dwExStyles);
    }
};

class CTabCtrl : public CWnd
{
    DECLARE_DYNAMIC(CTabCtrl)

public:
    CTabCtrl() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetItemCount() const { return (int)SendMessage(TCM_GETITEMCOUNT); }
    BOOL GetItem(int nItem, TCITEM* pTabCtrlItem) const
    {
        return (BOOL)SendMessage(TCM_GETITEMW, nItem, (LPARAM)pTabCtrlItem);
    }
    BOOL SetItem(int nItem, TCITEM* pTabCtrlItem)
    {
        return (BOOL)SendMessage(TCM_SETITEMW, nItem, (LPARAM)pTabCtrlItem);
    }
    LONG InsertItem(int nItem, TCITEM* pTabCtrlItem)
    {
        return (LONG)SendMessage(TCM_INSERTITEMW, nItem, (LPARAM)pTabCtrlItem);
    }
    LONG InsertItem(int nItem, LPCTSTR lpszItem, int nImage = -1);
    BOOL DeleteItem(int nItem) { return (BOOL)SendMessage(TCM_DELETEITEM, nItem); }
    BOOL DeleteAllItems() { return (BOOL)SendMessage(TCM_DELETEALLITEMS); }
    int GetCurSel() const { return (int)SendMessage(TCM_GETCURSEL); }
    int SetCurSel(int nItem) { return (int)SendMessage(TCM_SETCURSEL, nItem); }
    int GetCurFocus() const { return (int)SendMessage(TCM_GETCURFOCUS); }
    void SetCurFocus(int nItem) { SendMessage(TCM_SETCURFOCUS, nItem); }
    BOOL GetItemRect(int nItem, LPRECT lpRect) const
    {
        return (BOOL)SendMessage(TCM_GETITEMRECT, nItem, (LPARAM)lpRect);
    }
    void AdjustRect(BOOL bLarger, LPRECT lpRect)
    {
        SendMessage(TCM_ADJUSTRECT, bLarger, (LPARAM)lpRect);
    }
    int HitTest(TCHITTESTINFO* pHitTestInfo) const
    {
        return (int)SendMessage(TCM_HITTEST, 0, (LPARAM)pHitTestInfo);
    }
    int GetRowCount() const { return (int)SendMessage(TCM_GETROWCOUNT); }
    CSize SetItemSize(CSize size);
    void SetPadding(CSize size) { SendMessage(TCM_SETPADDING, 0, MAKELPARAM(size.cx, size.cy)); }
    CImageList* SetImageList(CImageList* pImageList);
    CImageList* GetImageList() const;
    CToolTipCtrl* GetToolTips() const;
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CSpinButtonCtrl : public CWnd
{
    DECLARE_DYNAMIC(CSpinButtonCtrl)

public:
    CSpinButtonCtrl() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetRange(short nLower, short nUpper)
    {
        SendMessage(UDM_SETRANGE, 0, MAKELPARAM(nUpper, nLower));
    }
    void SetRange32(int nLower, int nUpper) { SendMessage(UDM_SETRANGE32, nLower, nUpper); }
    void GetRange32(int& lower, int& upper) const
    {
        SendMessage(UDM_GETRANGE32, (WPARAM)&lower, (LPARAM)&upper);
    }
    int SetPos(int nPos) { return (int)SendMessage(UDM_SETPOS32, 0, nPos); }
    int GetPos() const { return (int)SendMessage(UDM_GETPOS32); }
    int SetPos32(int nPos) { return (int)SendMessage(UDM_SETPOS32, 0, nPos); }
    int GetPos32(LPBOOL lpbError = nullptr) const
    {
        return (int)SendMessage(UDM_GETPOS32, 0, (LPARAM)lpbError);
    }
    CWnd* SetBuddy(CWnd* pWndBuddy)
    {
        return CWnd::FromHandle((HWND)SendMessage(UDM_SETBUDDY, (WPARAM)pWndBuddy->GetSafeHwnd()));
    }
    CWnd* GetBuddy() const { return CWnd::FromHandle((HWND)SendMessage(UDM_GETBUDDY)); }
    int SetBase(int nBase) { return (int)SendMessage(UDM_SETBASE, nBase); }
    BOOL SetAccel(int nAccel, UDACCEL* pAccel)
    {
        return (BOOL)SendMessage(UDM_SETACCEL, nAccel, (LPARAM)pAccel);
    }
};

class CProgressCtrl : public CWnd
{
    DECLARE_DYNAMIC(CProgressCtrl)

public:
    CProgressCtrl() = default;
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetRange(short nLower, short nUpper)
    {
        SendMessage(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
    }
    void SetRange32(int nLower, int nUpper) { SendMessage(PBM_SETRANGE32, nLower, nUpper); }
    void GetRange(int& nLower, int& nUpper) const;
    int GetPos() const { return (int)SendMessage(PBM_GETPOS); }
    int SetPos(int nPos) { return (int)SendMessage(PBM_SETPOS, nPos); }
    int OffsetPos(int nPos) { return (int)SendMessage(PBM_DELTAPOS, nPos); }
    int SetStep(int nStep) { return (int)SendMessage(PBM_SETSTEP, nStep); }
    int StepIt() { return (int)SendMessage(PBM_STEPIT); }
    BOOL SetMarquee(BOOL fMarqueeMode, int nInterval)
    {
        return (BOOL)SendMessage(PBM_SETMARQUEE, fMarqueeMode, nInterval);
    }
    COLORREF SetBarColor(COLORREF clrBar)
    {
        return (COLORREF)SendMessage(PBM_SETBARCOLOR, 0, clrBar);
    }
    COLORREF SetBkColor(COLORREF clrNew)
    {
        return (COLORREF)SendMessage(PBM_SETBKCOLOR, 0, clrNew);
    }
    int SetState(int iState) { return (int)SendMessage(PBM_SETSTATE, iState); }
};

class CToolTipCtrl : public CWnd
{
    DECLARE_DYNAMIC(CToolTipCtrl)

public:
    CToolTipCtrl() = default;
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    BOOL AddTool(CWnd* pWnd, LPCTSTR lpszText = LPSTR_TEXTCALLBACK, LPCRECT lpRectTool = nullptr,
                 UINT_PTR nIDTool = 0);
    BOOL AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(LPCTSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect);
    BOOL GetToolInfo(TOOLINFO* pToolInfo, CWnd* pWnd, UINT_PTR nIDTool = 0) const;
    void SetToolInfo(LPTOOLINFO lpToolInfo)
    {
        SendMessage(TTM_SETTOOLINFOW, 0, (LPARAM)lpToolInfo);
    }
    int GetToolCount() const { return (int)SendMessage(TTM_GETTOOLCOUNT); }
    void Activate(BOOL bActivate) { SendMessage(TTM_ACTIVATE, bActivate); }
    void RelayEvent(LPMSG lpMsg) { SendMessage(TTM_RELAYEVENT, 0, (LPARAM)lpMsg); }
    void SetDelayTime(UINT nDelay) { SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, nDelay); }
    void SetDelayTime(DWORD dwDuration, int iTime)
    {
        SendMessage(TTM_SETDELAYTIME, dwDuration, MAKELPARAM(iTime, 0));
    }
    int GetDelayTime(DWORD dwDuration) const
    {
        return (int)SendMessage(TTM_GETDELAYTIME, dwDuration);
    }
    int SetMaxTipWidth(int iWidth) { return (int)SendMessage(TTM_SETMAXTIPWIDTH, 0, iWidth); }
    int GetMaxTipWidth() const { return (int)SendMessage(TTM_GETMAXTIPWIDTH); }
    void Pop() { SendMessage(TTM_POP); }
    void Update() { SendMessage(TTM_UPDATE); }
    BOOL SetTitle(UINT uIcon, LPCTSTR lpstrTitle)
    {
        return (BOOL)SendMessage(TTM_SETTITLEW, uIcon, (LPARAM)lpstrTitle);
    }
    void TrackActivate(BOOL bActivate, LPTOOLINFO lpToolInfo)
    {
        SendMessage(TTM_TRACKACTIVATE, bActivate, (LPARAM)lpToolInfo);
    }
    void TrackPosition(int xPos, int yPos)
    {
        SendMessage(TTM_TRACKPOSITION, 0, MAKELPARAM(xPos, yPos));
    }

protected:
    void FillInToolInfo(TOOLINFO& ti, CWnd* pWnd, UINT_PTR nIDTool) const;
};
