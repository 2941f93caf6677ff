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
