// The Sort dialog.
#include "windows/sort_dlg.h"

#include "controls/in_place_combo.h"
#include "controls/window_helpers.h"
#include "resources/resource.h"

namespace {

const UINT kEditorId = 2000;

} // namespace

BEGIN_MESSAGE_MAP(CRSortInfoListCtrl, CREditListCtrl)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDITW, &CRSortInfoListCtrl::OnEndLabelEdit)
    ON_WM_KEYDOWN()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

void CRSortInfoListCtrl::EditOrder(int nRow)
{
    if (m_bEditing || nRow < 0 || nRow >= GetItemCount())
        return;
    RECT cell;
    if (!GetCellRect(nRow, 1, &cell))
        return;
    auto* pCombo = new CInPlaceComboBox(nRow, 1);
    if (!CreateInPlaceComboBox(pCombo, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, cell,
                               this, kEditorId))
        return;
    const size_t nIndex = GetItemData(nRow);
    for (int nOrder = kSortNone; nOrder <= kSortDescending; ++nOrder)
        pCombo->AddString(CSortDlg::GetOrderText(nOrder), nOrder);
    pCombo->SetCurSel(nIndex < m_sort.size() ? m_sort[nIndex].m_nOrder : 0);
    m_bEditing = true;
    pCombo->SetFocus();
}

void CRSortInfoListCtrl::SetRowOrder(int nRow, int nOrder)
{
    const size_t nIndex = GetItemData(nRow);
    if (nIndex >= m_sort.size())
        return;
    m_sort[nIndex].m_nOrder = nOrder;
    SetItemText(nRow, 1, CSortDlg::GetOrderText(nOrder));
}

void CRSortInfoListCtrl::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    m_bEditing = false;
    auto* pInfo = reinterpret_cast<NMLVDISPINFOW*>(pNMHDR);
    const InPlaceComboResult result = GetInPlaceComboResult(*pInfo);
    const int nRow = pInfo->item.iItem;
    if (result.nEndReason == kInPlaceEscape || nRow < 0 || nRow >= GetItemCount())
        return;
    if (result.bSelected)
        SetRowOrder(nRow, (int)result.itemData);
    for (int i = 0; i < GetItemCount(); ++i)
        SetItemState(i, i == nRow ? LVIS_SELECTED | LVIS_FOCUSED : 0, LVIS_SELECTED | LVIS_FOCUSED);
    EnsureVisible(nRow, FALSE);
    if (result.nEndReason == kInPlaceTab && nRow + 1 < GetItemCount())
        EditOrder(nRow + 1);
    else if (result.nEndReason == kInPlaceShiftTab && nRow > 0)
        EditOrder(nRow - 1);
}

void CRSortInfoListCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_SPACE && !m_bEditing)
    {
        const int nRow = GetSelectedItem();
        if (nRow < 0)
            ::MessageBeep(MB_ICONHAND);
        else
            EditOrder(nRow);
        return;
    }
    CREditListCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CRSortInfoListCtrl::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    int nRow = -1, nColumn = -1;
    if (!m_bEditing && CellFromPoint(point, &nRow, &nColumn) == 1)
    {
        const bool bFocused = (GetItemState(nRow, LVIS_FOCUSED) & LVIS_FOCUSED) != 0;
        if (bFocused && nColumn == 1)
            EditOrder(nRow);
        else
            SelectItem(nRow);
        return;
    }
    CREditListCtrl::OnLButtonDblClk(nFlags, point);
}

// ---- CSortDlg --------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CSortDlg, CDialog)
    ON_BN_CLICKED(IDC_RESET, &CSortDlg::OnReset)
    ON_BN_CLICKED(IDC_MOVE_TOP, &CSortDlg::OnMoveFirst)
    ON_BN_CLICKED(IDC_MOVE_UP, &CSortDlg::OnMoveUp)
    ON_BN_CLICKED(IDC_MOVE_DOWN, &CSortDlg::OnMoveDown)
    ON_BN_CLICKED(IDC_MOVE_BOTTOM, &CSortDlg::OnMoveLast)
END_MESSAGE_MAP()

CSortDlg::CSortDlg(CSortArray& input, CSortArray& output, CWnd* pParent)
    : CDialog(IDD_SORT, pParent), m_input(input), m_output(output), m_list(input)
{}

CString CSortDlg::GetOrderText(int nOrder)
{
    if (nOrder == kSortNone)
        return L"None";
    return nOrder == kSortAscending ? L"Ascending" : L"Descending";
}

BOOL CSortDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_ITEM_LIST, this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                            LVS_EX_LABELTIP);
    CRect client;
    m_list.GetClientRect(&client);
    const int nWidth = client.Width() - ::GetSystemMetrics(SM_CXVSCROLL);
    m_list.InsertColumn(0, L"Column", LVCFMT_LEFT, nWidth * 3 / 4);
    m_list.InsertColumn(1, L"Order", LVCFMT_LEFT, nWidth - nWidth * 3 / 4);
    for (size_t i = 0; i < m_input.size(); ++i)
    {
        const int nRow = m_list.InsertItem((int)i, m_input[i].m_strColumn);
        m_list.SetItemText(nRow, 1, GetOrderText(m_input[i].m_nOrder));
        m_list.SetItemData(nRow, i);
    }
    if (!m_input.empty())
        m_list.SelectItem(0);
    m_buttons.Attach(this);
    return TRUE;
}

void CSortDlg::OnReset()
{
    for (int i = 0; i < m_list.GetItemCount(); ++i)
        m_list.SetRowOrder(i, kSortNone);
}

void CSortDlg::OnOK()
{
    m_output.clear();
    for (int i = 0; i < m_list.GetItemCount(); ++i)
    {
        const size_t nIndex = m_list.GetItemData(i);
        if (nIndex < m_input.size())
            m_output.push_back(m_input[nIndex]);
    }
    EndDialog(IDOK);
}
