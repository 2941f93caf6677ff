#include "controls/in_place_combo.h"

IMPLEMENT_DYNAMIC(CInPlaceComboBox, CInPlaceWnd)

BEGIN_MESSAGE_MAP(CInPlaceComboBox, CInPlaceWnd)
    ON_WM_CREATE()
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

int CInPlaceComboBox::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CInPlaceWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    ::SetFocus(m_hWnd);
    return 0;
}

int CInPlaceComboBox::AddString(LPCWSTR text, DWORD itemData)
{
    int index = (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)text);
    if (index >= 0)
        SendMessage(CB_SETITEMDATA, index, (LPARAM)itemData);
    return index;
}

int CInPlaceComboBox::SetCurSel(int nIndex)
{
    return (int)SendMessage(CB_SETCURSEL, nIndex);
}

void CInPlaceComboBox::BuildEndRecord(NMLVDISPINFOW& info) const
{
    info = NMLVDISPINFOW{};
    info.hdr.hwndFrom = ::GetParent(m_hWnd);
    info.hdr.idFrom = (UINT_PTR)::GetDlgCtrlID(m_hWnd);
    info.hdr.code = LVN_ENDLABELEDITW;
    info.item.mask = LVIF_PARAM;
    info.item.iItem = m_nRow;
    info.item.iSubItem = m_nColumn;
    info.item.pszText = nullptr;
    info.item.cchTextMax = 0;

    // The whole item data travels in the upper half; the low word of it stays in bits 16-31
    // for readers of the short form. "Nothing chosen" is told by the index, not by the data.
    const int index = (int)SendMessage(CB_GETCURSEL);
    const bool bSelected = index >= 0;
    const DWORD data = bSelected ? (DWORD)SendMessage(CB_GETITEMDATA, index) : 0;
    const ULONGLONG low =
        (ULONGLONG)(WORD)m_nEndReason | ((ULONGLONG)(bSelected ? LOWORD(data) : 0xFFFF) << 16);
    info.item.lParam = (LPARAM)(low | ((ULONGLONG)data << 32));
    info.item.iImage = bSelected ? index : -1;
}

void CInPlaceComboBox::OnKillFocus(CWnd* pNewWnd)
{
    CInPlaceWnd::OnKillFocus(pNewWnd);

    NMLVDISPINFOW info;
    BuildEndRecord(info);
    HWND hList = info.hdr.hwndFrom;
    // Destroying the window deletes this object: only locals are used from here on.
    ::DestroyWindow(m_hWnd);
    if (hList == nullptr)
        return;
    HWND hListParent = ::GetParent(hList);
    if (hListParent != nullptr)
        ::SendMessageW(hListParent, WM_NOTIFY, (WPARAM)::GetDlgCtrlID(hList), (LPARAM)&info);
}

InPlaceComboResult GetInPlaceComboResult(const NMLVDISPINFOW& info)
{
    InPlaceComboResult result;
    const ULONGLONG value = (ULONGLONG)info.item.lParam;
    result.nEndReason = (int)(value & 0xFFFF);
    result.nIndex = info.item.iImage;
    result.bSelected = info.item.iImage >= 0;
    result.itemData = result.bSelected ? (DWORD)(value >> 32) : 0;
    return result;
}
