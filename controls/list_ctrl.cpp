#include "controls/list_ctrl.h"

#include "controls/header_fit.h"

#include <vector>

IMPLEMENT_DYNCREATE(CRListCtrl, CListCtrl)

namespace {

HWND HeaderOf(HWND hList)
{
    return (HWND)::SendMessageW(hList, LVM_GETHEADER, 0, 0);
}

CString ReadItemText(HWND hList, int item, int subItem)
{
    std::vector<wchar_t> buffer(256);
    for (;;)
    {
        LVITEMW lvi = {};
        lvi.iSubItem = subItem;
        lvi.pszText = buffer.data();
        lvi.cchTextMax = (int)buffer.size();
        int len = (int)::SendMessageW(hList, LVM_GETITEMTEXTW, item, (LPARAM)&lvi);
        if (len < (int)buffer.size() - 1)
            return CString(buffer.data(), len);
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

int CRListCtrl::GetSelectedItem() const
{
    const int count = (int)SendMessage(LVM_GETITEMCOUNT);
    for (int i = 0; i < count; ++i)
    {
        if (SendMessage(LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED)
            return i;
    }
    return -1;
}

void CRListCtrl::SelectItem(int nItem)
{
    if (nItem < 0)
        return;
    LVITEMW lvi = {};
    lvi.state = lvi.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessage(LVM_SETITEMSTATE, nItem, (LPARAM)&lvi);
    SendMessage(LVM_ENSUREVISIBLE, nItem, FALSE);
}

BOOL CRListCtrl::AutoSizeColumn(int nColumn)
{
    BOOL bResult =
        (BOOL)SendMessage(LVM_SETCOLUMNWIDTH, nColumn, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
    // Old list views left no room for the small icon in the first column.
    if (bResult && nColumn == 0 && SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL) != 0)
    {
        OSVERSIONINFOW vi = {sizeof(vi)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        BOOL bVersion = ::GetVersionExW(&vi);
#pragma GCC diagnostic pop
        if (bVersion && vi.dwPlatformId == VER_PLATFORM_WIN32_NT && vi.dwMajorVersion < 6)
        {
            int width = (int)SendMessage(LVM_GETCOLUMNWIDTH, 0);
            if (width >= 1)
                SendMessage(LVM_SETCOLUMNWIDTH, 0,
                            MAKELPARAM(width + ::GetSystemMetrics(SM_CXSMICON) +
                                           ::GetSystemMetrics(SM_CXEDGE),
                                       0));
        }
    }
    if (bResult)
        FitColumnToHeader(m_hWnd, nColumn);
    return bResult;
}

void CRListCtrl::AutoSizeColumns()
{
    HWND hHeader = HeaderOf(m_hWnd);
    if (hHeader == nullptr)
        return;
    const int count = (int)::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i)
        AutoSizeColumn(i);
}

bool CRListCtrl::SetSortArrow(int nColumn, UINT format)
{
    HWND hHeader = HeaderOf(m_hWnd);
    if (hHeader == nullptr)
        return false;
    HDITEMW hdi = {};
    hdi.mask = HDI_FORMAT;
    if (!::SendMessageW(hHeader, HDM_GETITEMW, nColumn, (LPARAM)&hdi))
        return false;
    hdi.fmt = (hdi.fmt & ~(HDF_SORTUP | HDF_SORTDOWN)) | (int)format;
    if (!::SendMessageW(hHeader, HDM_SETITEMW, nColumn, (LPARAM)&hdi))
        return false;
    // The arrow takes room from the title.
    FitColumnToHeader(m_hWnd, nColumn);
    return true;
}

bool CRListCtrl::CanMoveItem(int, int)
{
    return true;
}

void CRListCtrl::OnItemMoved(int, int) {}

void CRListCtrl::MoveItem(int from, int to)
{
    HWND hHeader = HeaderOf(m_hWnd);
    const int columns =
        hHeader != nullptr ? (int)::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0) : 0;
    if (columns < 1)
        return;
    if (!CanMoveItem(from, to))
        return;

    std::vector<CString> texts;
    texts.reserve(columns);
    for (int c = 0; c < columns; ++c)
        texts.push_back(ReadItemText(m_hWnd, from, c));
    LVITEMW lvi = {};
    lvi.mask = LVIF_PARAM;
    lvi.iItem = from;
    SendMessage(LVM_GETITEMW, 0, (LPARAM)&lvi);
    const LPARAM data = lvi.lParam;
    const bool bChecked =
        ((SendMessage(LVM_GETITEMSTATE, from, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12) ==
        2;

    if (!SendMessage(LVM_DELETEITEM, from))
        return;

    lvi = {};
    lvi.mask = LVIF_TEXT;
    lvi.iItem = to;
    lvi.pszText = const_cast<LPWSTR>((LPCWSTR)texts[0]);
    const int k = (int)SendMessage(LVM_INSERTITEMW, 0, (LPARAM)&lvi);
    if (k >= 0)
    {
        for (int c = 1; c < columns; ++c)
        {
            LVITEMW sub = {};
            sub.iSubItem = c;
            sub.pszText = const_cast<LPWSTR>((LPCWSTR)texts[c]);
            SendMessage(LVM_SETITEMTEXTW, k, (LPARAM)&sub);
        }
        LVITEMW param = {};
        param.mask = LVIF_PARAM;
        param.iItem = k;
        param.lParam = data;
        SendMessage(LVM_SETITEMW, 0, (LPARAM)&param);
        LVITEMW check = {};
        check.stateMask = LVIS_STATEIMAGEMASK;
        check.state = INDEXTOSTATEIMAGEMASK(bChecked ? 2 : 1);
        SendMessage(LVM_SETITEMSTATE, k, (LPARAM)&check);
        LVITEMW select = {};
        select.state = select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessage(LVM_SETITEMSTATE, k, (LPARAM)&select);
    }
    OnItemMoved(from, to);
}

void CRListCtrl::MoveSelectedItems(bool bUp, bool bToEnd)
{
    std::vector<int> selected;
    for (int i = (int)SendMessage(LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED); i != -1;
         i = (int)SendMessage(LVM_GETNEXTITEM, i, LVNI_SELECTED))
        selected.push_back(i);
    const int c = (int)selected.size();

    ::LockWindowUpdate(m_hWnd);
    int show = -1;
    for (int k = 0; k < c; ++k)
    {
        int i, t;
        if (bUp)
        {
            i = selected[k];
            if (i <= k)
                continue; // already in the top block
            t = bToEnd ? k : i - 1;
            if (show == -1 || t < show)
                show = t;
        }
        else
        {
            i = selected[c - 1 - k];
            const int n = (int)SendMessage(LVM_GETITEMCOUNT);
            if (i >= n - 1 - k)
                continue; // already in the bottom block
            t = bToEnd ? n - 1 - k : i + 1;
            if (t > show)
                show = t;
        }
        MoveItem(i, t);
    }
    if (show != -1)
        SendMessage(LVM_ENSUREVISIBLE, show, FALSE);
    ::LockWindowUpdate(nullptr);
}
