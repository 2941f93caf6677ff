// The Columns dialog.
#include "windows/columns_dlg.h"

#include "resources/resource.h"
#include "windows/grid_child_view.h"

#include <vector>

bool CColumnsDlg::CColumnsListCtrl::CanMoveItem(int from, int to)
{
    const int nCount = m_pView != nullptr ? m_pView->GetColumnCount() : 0;
    if (from < 0 || to < 0 || from >= nCount || to >= nCount)
        return false;
    std::vector<int> order(nCount);
    if (!::SendMessageW(m_pView->m_hWnd, LVM_GETCOLUMNORDERARRAY, nCount, (LPARAM)order.data()))
        return false;
    for (int i = from; i != to; i += from < to ? 1 : -1)
        std::swap(order[i], order[i + (from < to ? 1 : -1)]);
    ::SendMessageW(m_pView->m_hWnd, LVM_SETCOLUMNORDERARRAY, nCount, (LPARAM)order.data());
    m_pView->Invalidate();
    return true;
}

BEGIN_MESSAGE_MAP(CColumnsDlg::CColumnsListCtrl, CRListCtrl)
    ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, &CColumnsDlg::CColumnsListCtrl::OnItemChanged)
END_MESSAGE_MAP()

void CColumnsDlg::CColumnsListCtrl::SetupHeaderCheck()
{
    // Two 16 x 16 images: an empty and a checked box, drawn as the system draws check boxes.
    m_checkImages.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 0);
    HDC hScreen = ::GetDC(nullptr);
    for (UINT nState : {(UINT)DFCS_BUTTONCHECK, (UINT)(DFCS_BUTTONCHECK | DFCS_CHECKED)})
    {
        HDC hDC = ::CreateCompatibleDC(hScreen);
        HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, 16, 16);
        HGDIOBJ hOld = ::SelectObject(hDC, hBitmap);
        RECT all = {0, 0, 16, 16};
        ::FillRect(hDC, &all, (HBRUSH)::GetStockObject(WHITE_BRUSH));
        RECT box = {1, 1, 14, 14};
        ::DrawFrameControl(hDC, &box, DFC_BUTTON, nState | DFCS_FLAT);
        ::SelectObject(hDC, hOld);
        ::DeleteDC(hDC);
        ::ImageList_AddMasked(m_checkImages.GetSafeHandle(), hBitmap, RGB(255, 255, 255));
        ::DeleteObject(hBitmap);
    }
    ::ReleaseDC(nullptr, hScreen);
    HWND hHeader = (HWND)::SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0);
    ::SendMessageW(hHeader, HDM_SETIMAGELIST, 0, (LPARAM)m_checkImages.GetSafeHandle());
    UpdateHeaderCheck();
}

bool CColumnsDlg::CColumnsListCtrl::AreAllChecked()
{
    for (int i = 0; i < GetItemCount(); ++i)
        if (!GetCheck(i))
            return false;
    return GetItemCount() > 0;
}

void CColumnsDlg::CColumnsListCtrl::UpdateHeaderCheck()
{
    m_bHeaderChecked = AreAllChecked();
    HWND hHeader = (HWND)::SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0);
    HDITEMW item = {};
    item.mask = HDI_FORMAT | HDI_IMAGE;
    ::SendMessageW(hHeader, HDM_GETITEMW, 0, (LPARAM)&item);
    item.fmt |= HDF_IMAGE;
    item.iImage = m_bHeaderChecked ? 1 : 0;
    ::SendMessageW(hHeader, HDM_SETITEMW, 0, (LPARAM)&item);
}

void CColumnsDlg::CColumnsListCtrl::OnHeaderCheck()
{
    const bool bCheck = !m_bHeaderChecked;
    m_bSetting = true;
    for (int i = 0; i < GetItemCount(); ++i)
        SetCheck(i, bCheck);
    m_bSetting = false;
    UpdateHeaderCheck();
}

BOOL CColumnsDlg::CColumnsListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* pHeader = reinterpret_cast<NMHDR*>(lParam);
    if (pHeader != nullptr &&
        pHeader->hwndFrom == (HWND)::SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0) &&
        (pHeader->code == HDN_ITEMCLICKW || pHeader->code == HDN_ITEMCLICKA))
    {
        OnHeaderCheck();
        *pResult = 0;
        return TRUE;
    }
    return CRListCtrl::OnNotify(wParam, lParam, pResult);
}

void CColumnsDlg::CColumnsListCtrl::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    auto* pInfo = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    if (!m_bSetting && (pInfo->uChanged & LVIF_STATE) &&
        ((pInfo->uNewState ^ pInfo->uOldState) & LVIS_STATEIMAGEMASK))
        UpdateHeaderCheck();
}

BEGIN_MESSAGE_MAP(CColumnsDlg, CDialog)
    ON_BN_CLICKED(IDC_MOVE_TOP, &CColumnsDlg::OnMoveFirst)
    ON_BN_CLICKED(IDC_MOVE_UP, &CColumnsDlg::OnMoveUp)
    ON_BN_CLICKED(IDC_MOVE_DOWN, &CColumnsDlg::OnMoveDown)
    ON_BN_CLICKED(IDC_MOVE_BOTTOM, &CColumnsDlg::OnMoveLast)
END_MESSAGE_MAP()

CColumnsDlg::CColumnsDlg(CGridChildView* pView) : CDialog(IDD_COLUMNS, pView), m_pView(pView)
{
    m_list.m_pView = pView;
}

BOOL CColumnsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_strTitle.IsEmpty())
        SetWindowText(m_strTitle);
    m_list.SubclassDlgItem(IDC_ITEM_LIST, this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT |
                            LVS_EX_LABELTIP);
    CRect client;
    m_list.GetClientRect(&client);
    m_list.InsertColumn(0, L"Column", LVCFMT_LEFT,
                        client.Width() - ::GetSystemMetrics(SM_CXVSCROLL));
    const int nCount = m_pView->GetColumnCount();
    std::vector<int> order(nCount);
    if (nCount > 0 &&
        !::SendMessageW(m_pView->m_hWnd, LVM_GETCOLUMNORDERARRAY, nCount, (LPARAM)order.data()))
    {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    for (int i = 0; i < nCount; ++i)
    {
        const int nRow = m_list.InsertItem(i, m_pView->GetColumnObject(order[i])->m_strName);
        m_list.SetItemData(nRow, order[i]);
        m_list.SetCheck(nRow, m_pView->IsColumnShown(order[i]));
    }
    if (nCount > 0)
        m_list.SelectItem(0);
    m_list.SetupHeaderCheck();
    m_buttons.Attach(this);
    return TRUE;
}

void CColumnsDlg::OnOK()
{
    for (int i = 0; i < m_list.GetItemCount(); ++i)
    {
        const int nColumn = (int)m_list.GetItemData(i);
        const bool bShow = m_list.GetCheck(i) != FALSE;
        if (bShow != m_pView->IsColumnShown(nColumn))
            m_pView->ShowColumn(nColumn, bShow);
    }
    EndDialog(IDOK);
}
