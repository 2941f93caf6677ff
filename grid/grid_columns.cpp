// The grid's columns: the column objects, widths, hidden columns, the display order, the header
// image list, the header's sort menu and the header notifications.
#include "grid/grid.h"

#include "dbaccess/server_texts.h"

#include <algorithm>
#include <vector>

bool CRGrid::DrawsHeader() const
{
    if (HasOption(kGridDrawHeader))
        return true;
    OSVERSIONINFOW info = {sizeof(info)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&info))
        return false;
#pragma GCC diagnostic pop
    return info.dwMajorVersion > 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion >= 2);
}

void CRGrid::InsertColumnObject(CGridColumn* pColumn, int nImage)
{
    const bool useImage = m_pHeaderImages != nullptr && m_pHeaderImages->m_hImageList != nullptr &&
                          nImage >= 0 &&
                          nImage < ImageList_GetImageCount(m_pHeaderImages->m_hImageList);
    LVCOLUMNW lvc = {};
    lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | (useImage ? LVCF_IMAGE : 0);
    lvc.fmt = (int)pColumn->m_nListFormat | (useImage ? LVCFMT_IMAGE : 0);
    lvc.cx = (int)pColumn->m_nGivenWidth;
    // A column whose values the driver hands over without part of them says so after its name.
    CString caption = pColumn->m_strName;
    if (m_pCursor != nullptr && pColumn->m_nCursorColumn >= 1 &&
        (int)pColumn->m_nCursorColumn <= m_pCursor->GetColumnCount())
        caption += DriverDropsMark(m_pCursor->GetColumn(pColumn->m_nCursorColumn));
    lvc.pszText = (LPWSTR)(LPCWSTR)caption;
    lvc.iImage = useImage ? nImage : -2;
    const int index = m_hWnd ? CListCtrl::InsertColumn((int)m_columns.size() + 1, &lvc) : -1;
    if (index >= 0 && DrawsHeader())
    {
        HWND hHeader = ::GetDlgItem(m_hWnd, 0);
        HDITEMW hd = {};
        hd.mask = HDI_FORMAT;
        if (hHeader && ::SendMessageW(hHeader, HDM_GETITEMW, index, (LPARAM)&hd))
        {
            hd.fmt |= HDF_OWNERDRAW;
            ::SendMessageW(hHeader, HDM_SETITEMW, index, (LPARAM)&hd);
        }
    }
    m_columns.push_back(pColumn);
}

int CRGrid::InsertColumn(LPCWSTR pszName, UINT nCursorColumn, int nWidth, int nFormat, int nImage,
                         UINT nNullable, bool bForeignKey, UINT nSortMark)
{
    CGridColumn* pColumn = new CGridColumn;
    pColumn->m_nCursorColumn = nCursorColumn;
    pColumn->m_strName = pszName ? pszName : L"";
    pColumn->m_nNullable = nNullable;
    pColumn->m_bForeignKey = bForeignKey ? 1 : 0;
    pColumn->m_nSortMark = nSortMark;
    pColumn->m_nGivenWidth = pColumn->m_nFittedWidth = (UINT)std::max(nWidth, 0);
    pColumn->m_nListFormat = (UINT)nFormat;
    InsertColumnObject(pColumn, nImage);
    return (int)m_columns.size() - 1;
}

int CRGrid::InsertColumn(LPCWSTR pszName, UINT nCursorColumn, LPCWSTR pszFormat, int nWidth,
                         int nFormat, int nImage, UINT nNullable, bool bForeignKey, UINT nSortMark)
{
    const int index = InsertColumn(pszName, nCursorColumn, nWidth, nFormat, nImage, nNullable,
                                   bForeignKey, nSortMark);
    CGridColumn* pColumn = m_columns[index];
    pColumn->m_strFormat = pszFormat ? pszFormat : L"";
    // Exact decimals (and numbers the cursor holds as text) keep the text they arrive in: a trip
    // through a double would round them past 15 digits, and an edit or copy would start from the
    // rounded value.
    bool exact = false;
    if (m_pCursor != nullptr && nCursorColumn >= 1 &&
        (int)nCursorColumn <= m_pCursor->GetColumnCount())
    {
        const int sqlType = m_pCursor->GetColumnSQLType(nCursorColumn);
        const int cType = m_pCursor->GetColumnCType(nCursorColumn);
        exact = sqlType == SQL_NUMERIC || sqlType == SQL_DECIMAL || cType == SQL_C_CHAR ||
                cType == SQL_C_WCHAR ||
                (m_pCursor->IsNumericAsText() && Zelt::IsDecimalSQLType(sqlType));
    }
    pColumn->m_nDisplayKind = exact ? kGridShowText : kGridShowDouble;
    return index;
}

int CRGrid::InsertColumnNoCaption(UINT nCursorColumn, int nWidth, int nFormat, UINT nNullable)
{
    return InsertColumn(L"", nCursorColumn, nWidth, nFormat, -1, nNullable, false, 0);
}

bool CRGrid::IsColumnVisible(int nColumn) const
{
    CGridColumn* pColumn = GetColumnObject(nColumn);
    return pColumn != nullptr && pColumn->m_bVisible;
}

bool CRGrid::ShowColumn(int nColumn, bool bShow)
{
    CGridColumn* pColumn = GetColumnObject(nColumn);
    if (pColumn == nullptr || m_hWnd == nullptr)
        return false;
    LVCOLUMNW lvc = {};
    lvc.mask = LVCF_FMT;
    GetColumn(nColumn, &lvc);
    if (!bShow && pColumn->m_bVisible)
    {
        pColumn->m_bVisible = 0;
        pColumn->m_nFittedWidth = (UINT)GetColumnWidth(nColumn);
        SetColumnWidth(nColumn, 0);
        lvc.fmt |= LVCFMT_FIXED_WIDTH;
        SetColumn(nColumn, &lvc);
    }
    else if (bShow && !pColumn->m_bVisible)
    {
        pColumn->m_bVisible = 1;
        lvc.fmt &= ~LVCFMT_FIXED_WIDTH;
        SetColumn(nColumn, &lvc);
        SetColumnWidth(nColumn, (int)pColumn->m_nFittedWidth);
    }
    return true;
}

void CRGrid::ApplyColumnWidths()
{
    if (m_hWnd == nullptr)
        return;
    for (int c = 0; c < (int)m_columns.size(); ++c)
    {
        CGridColumn* pColumn = m_columns[c];
        if (pColumn == nullptr || !pColumn->m_bVisible)
            continue; // a hidden column stays at width 0
        const int w =
            (int)(HasOption(kGridFitColumns) ? pColumn->m_nFittedWidth : pColumn->m_nGivenWidth);
        if (w > 0)
            SetColumnWidth(c, w);
    }
}

int CRGrid::GetColumnAtPosition(int nPosition)
{
    const int count = (int)m_columns.size();
    if (nPosition < 0 || nPosition >= count || m_hWnd == nullptr)
        return -1;
    std::vector<int> order(count);
    if (!SendMessage(LVM_GETCOLUMNORDERARRAY, count, (LPARAM)order.data()))
        return -1;
    return order[nPosition];
}

int CRGrid::GetPositionOfColumn(int nColumn)
{
    const int count = (int)m_columns.size();
    if (count == 0 || m_hWnd == nullptr)
        return -1;
    std::vector<int> order(count);
    if (!SendMessage(LVM_GETCOLUMNORDERARRAY, count, (LPARAM)order.data()))
        return -1;
    for (int p = 0; p < count; ++p)
        if (order[p] == nColumn)
            return p;
    return -1;
}

bool CRGrid::MoveColumn(int nFrom, int nTo)
{
    const int count = (int)m_columns.size();
    if (nFrom < 0 || nFrom >= count || nTo < 0 || nTo >= count || m_hWnd == nullptr)
        return false;
    std::vector<int> order(count);
    if (!SendMessage(LVM_GETCOLUMNORDERARRAY, count, (LPARAM)order.data()))
        return false;
    for (int p = nFrom; p < nTo; ++p)
        std::swap(order[p], order[p + 1]);
    for (int p = nFrom; p > nTo; --p)
        std::swap(order[p], order[p - 1]);
    if (!SendMessage(LVM_SETCOLUMNORDERARRAY, count, (LPARAM)order.data()))
        return false;
    Invalidate();
    return true;
}

void CRGrid::SetHeaderImageList(CImageList* pImageList)
{
    m_pHeaderImages = pImageList;
    HWND hHeader = m_hWnd ? ::GetDlgItem(m_hWnd, 0) : nullptr;
    if (pImageList != nullptr && hHeader != nullptr)
        ::SendMessageW(hHeader, HDM_SETIMAGELIST, 0, (LPARAM)pImageList->m_hImageList);
}

void CRGrid::DeleteAllColumns()
{
    for (CGridColumn* pColumn : m_columns)
        delete pColumn;
    m_columns.clear();
}

void CRGrid::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const int column = ((NMLISTVIEW*)pNMHDR)->iSubItem;
    if (column < 0 || column >= (int)m_columns.size())
        return;
    if (m_nCurrentColumn != column)
    {
        m_nCurrentColumn = column;
        const int selected = GetSelectedItem();
        if (selected >= 0)
            RedrawItems(selected, selected);
    }
    ShowHeaderMenu(column);
}

void CRGrid::ShowHeaderMenu(int nColumn)
{
    HMENU hMenu = ::CreatePopupMenu();
    if (hMenu == nullptr)
        return;
    int items = 0;
    bool ok = true;
    if (!m_strSortAscending.IsEmpty())
    {
        ok = ::AppendMenuW(hMenu, MF_STRING, 100, m_strSortAscending) != FALSE;
        items += ok ? 1 : 0;
    }
    if (ok && !m_strSortDescending.IsEmpty())
    {
        ok = ::AppendMenuW(hMenu, MF_STRING, 101, m_strSortDescending) != FALSE;
        items += ok ? 1 : 0;
    }
    if (ok && items > 0)
    {
        RECT client;
        GetClientRect(&client);
        RECT r = {};
        HWND hHeader = ::GetDlgItem(m_hWnd, 0);
        if (hHeader && ::SendMessageW(hHeader, HDM_GETITEMRECT, nColumn, (LPARAM)&r))
        {
            CPoint origin;
            if (GetScrollOrigin(origin) && origin.x > 0)
                ::OffsetRect(&r, -origin.x, 0);
            ::IntersectRect(&r, &r, &client);
        }
        else
        {
            r = client;
        }
        POINT pt;
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWnd, &pt);
        if (!::PtInRect(&r, pt))
        {
            pt.x = (r.left + r.right) / 2;
            pt.y = r.bottom;
        }
        ::ClientToScreen(m_hWnd, &pt);
        ::TrackPopupMenu(hMenu, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    }
    ::DestroyMenu(hMenu);
}

BOOL CRGrid::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (m_pOwner != nullptr && lParam == 0)
    {
        const UINT id = LOWORD(wParam);
        if (id == 100 || id == 101)
        {
            NotifyOwner(id == 100 ? kGridSortAscending : kGridSortDescending);
            return TRUE;
        }
    }
    return CREditListCtrl::OnCommand(wParam, lParam);
}

BOOL CRGrid::OnHeaderNotify(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMHEADERW* pHeader = (NMHEADERW*)pNMHDR;
    switch (pNMHDR->code)
    {
    case HDN_BEGINTRACKW:
    case HDN_BEGINTRACKA:
        if (pHeader->iItem >= 0 && pHeader->iItem < (int)m_columns.size() &&
            !IsColumnVisible(pHeader->iItem))
        {
            *pResult = 1;
            return TRUE;
        }
        break;
    case HDN_ITEMCHANGINGW:
    case HDN_ITEMCHANGINGA:
        if (pHeader->iItem >= 0 && pHeader->iItem < (int)m_columns.size() &&
            !IsColumnVisible(pHeader->iItem) && pHeader->pitem != nullptr &&
            (pHeader->pitem->mask & HDI_WIDTH) && pHeader->pitem->cxy != 0)
        {
            *pResult = 1;
            return TRUE;
        }
        break;
    }
    return FALSE;
}

BOOL CRGrid::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* pNMHDR = (NMHDR*)lParam;
    if (pNMHDR != nullptr)
    {
        HWND hHeader = m_hWnd ? ::GetDlgItem(m_hWnd, 0) : nullptr;
        if (pNMHDR->hwndFrom == hHeader && hHeader != nullptr && OnHeaderNotify(pNMHDR, pResult))
            return TRUE;
        if (pNMHDR->code == TTN_GETDISPINFOW || pNMHDR->code == TTN_GETDISPINFOA)
        {
            if (OnToolTipText(pNMHDR, pResult))
                return TRUE;
        }
    }
    return CREditListCtrl::OnNotify(wParam, lParam, pResult);
}
