// The Filter dialog.
#include "windows/filter_dlg.h"

#include "app/app_settings.h"
#include "controls/header_fit.h"
#include "controls/in_place_combo.h"
#include "dbaccess/error_report.h"
#include "controls/window_helpers.h"
#include "grid/grid_edit.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "windows/filter_condition.h"

namespace {

const UINT kEditorId = 2000;

// Each control's anchors: its own x, the dialog's x, its own y, the dialog's y. The list
// stretches with the dialog; the buttons keep their distance to the right edge (and OK and
// Cancel to the bottom edge).
const CRSizableDlg::CAnchoredControl kLayout[7] = {
    {IDC_ITEM_LIST, {kAnchorFar, kAnchorFar, kAnchorFar, kAnchorFar}},
    {IDC_FILTER_ADD, {kAnchorNear, kAnchorFar, kAnchorNear, kAnchorNear}},
    {IDC_FILTER_EDIT, {kAnchorNear, kAnchorFar, kAnchorNear, kAnchorNear}},
    {IDC_FILTER_DELETE, {kAnchorNear, kAnchorFar, kAnchorNear, kAnchorNear}},
    {IDC_RESET, {kAnchorNear, kAnchorFar, kAnchorNear, kAnchorNear}},
    {IDOK, {kAnchorNear, kAnchorFar, kAnchorNear, kAnchorFar}},
    {IDCANCEL, {kAnchorNear, kAnchorFar, kAnchorNear, kAnchorFar}},
};

} // namespace

// ---- CFilterInfoListCtrl --------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFilterInfoListCtrl, CREditListCtrl)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDITW, &CFilterInfoListCtrl::OnEndLabelEdit)
    ON_WM_KEYDOWN()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CString CFilterInfoListCtrl::GetValueText(const CGridItem& value)
{
    if (value.m_nKind != kGridValue)
        return GetSpecialValueText(value.m_nKind);
    return value.m_strText;
}

CFilterInfo* CFilterInfoListCtrl::RowInfo(int nRow)
{
    if (nRow < 0 || nRow >= GetItemCount())
        return nullptr;
    const size_t nIndex = GetItemData(nRow);
    return nIndex < m_filter.size() ? &m_filter[nIndex] : nullptr;
}

void CFilterInfoListCtrl::SetRow(int nPosition, size_t nIndex)
{
    const CFilterInfo& info = m_filter[nIndex];
    const int nRow = InsertItem(nPosition, info.m_strColumn);
    SetItemText(nRow, 1, CFilterDlg::GetOperationText(info.m_nOperation));
    SetItemText(nRow, 2, GetValueText(info.m_value));
    SetItemText(nRow, 3, CFilterDlg::GetLogicText(info.m_nLogic));
    SetItemData(nRow, nIndex);
}

void CFilterInfoListCtrl::FillRows()
{
    DeleteAllItems();
    for (size_t i = 0; i < m_filter.size(); ++i)
        SetRow((int)i, i);
}

int CFilterInfoListCtrl::AddRow()
{
    CFilterInfo info;
    if (m_columns.GetSize() > 0)
        info.m_strColumn = m_columns[0].szColumnName;
    m_filter.push_back(info);
    const int nRow = GetItemCount();
    SetRow(nRow, m_filter.size() - 1);
    return nRow;
}

void CFilterInfoListCtrl::EditCell(int nRow, int nColumn)
{
    CFilterInfo* pInfo = RowInfo(nRow);
    if (m_bEditing || pInfo == nullptr)
        return;
    EnsureVisible(nRow, FALSE);
    SelectItem(nRow);
    RECT cell;
    if (!GetCellRect(nRow, nColumn, &cell))
        return;
    if (nColumn == 2)
    {
        const bool bNull =
            pInfo->m_nOperation == kFilterEqual || pInfo->m_nOperation == kFilterNotEqual;
        UINT nFlags = bNull ? CGridEdit::flagNullBox : 0;
        CGridEdit::CDataInterface* pSource = nullptr;
        if (m_keys.GetSize() > 0 && m_pHelper != nullptr)
        {
            CRDatabase& catalog = m_pHelper->GetCatalogDatabase();
            if (MakeFKValuesQuery(pInfo->m_strColumn, m_keys, &m_pHelper->GetDatabase(), &catalog,
                                  catalog.GetQueryTimeout(), pSource))
                nFlags |= CGridEdit::flagList;
        }
        auto* pEdit = new CGridEdit(nRow, nColumn, nFlags, pInfo->m_value, pSource);
        delete pSource; // not taken when the editor was not built
        if (!pEdit->Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, cell, static_cast<CWnd*>(this),
                           kEditorId, -1))
            return;
        m_bEditing = true;
        return;
    }
    auto* pCombo = new CInPlaceComboBox(nRow, nColumn);
    if (!CreateInPlaceComboBox(pCombo, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, cell,
                               this, kEditorId))
        return;
    int nSelect = 0;
    if (nColumn == 0)
    {
        for (INT_PTR i = 0; i < m_columns.GetSize(); ++i)
        {
            pCombo->AddString(m_columns[i].szColumnName, (DWORD)i);
            if (_wcsicmp(m_columns[i].szColumnName, pInfo->m_strColumn) == 0)
                nSelect = (int)i;
        }
    }
    else if (nColumn == 1)
    {
        for (int i = 0; i < kFilterOperationCount; ++i)
            pCombo->AddString(CFilterDlg::GetOperationText(i), i);
        nSelect = pInfo->m_nOperation;
    }
    else
    {
        pCombo->AddString(L"AND", kFilterAnd);
        pCombo->AddString(L"OR", kFilterOr);
        nSelect = pInfo->m_nLogic;
    }
    pCombo->SetCurSel(nSelect);
    m_bEditing = true;
    pCombo->SetFocus();
}

void CFilterInfoListCtrl::DeleteSelected()
{
    const int nRow = GetSelectedItem();
    if (nRow < 0)
    {
        ::MessageBeep(MB_ICONHAND);
        return;
    }
    DeleteItem(nRow);
    const int nCount = GetItemCount();
    if (nCount > 0)
        SelectItem(nRow < nCount ? nRow : nCount - 1);
}

void CFilterInfoListCtrl::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    m_bEditing = false;
    auto* pDisp = reinterpret_cast<NMLVDISPINFOW*>(pNMHDR);
    const int nRow = pDisp->item.iItem;
    const int nColumn = pDisp->item.iSubItem;
    const int nReason = (int)(pDisp->item.lParam & 0xFFFF);
    CFilterInfo* pInfo = RowInfo(nRow);
    if (nReason == kInPlaceEscape || pInfo == nullptr)
        return;
    if (nColumn == 2)
    {
        if (pDisp->item.pszText == nullptr)
            return;
        pInfo->m_value.m_strText = pDisp->item.pszText;
        pInfo->m_value.m_nKind = (UINT)((pDisp->item.lParam >> 16) & 0xFFFF);
        pInfo->m_value.m_bTruncated = 0;
        SetItemText(nRow, 2, GetValueText(pInfo->m_value));
    }
    else
    {
        const InPlaceComboResult result = GetInPlaceComboResult(*pDisp);
        if (!result.bSelected)
            return;
        if (nColumn == 0)
        {
            if ((INT_PTR)result.itemData >= m_columns.GetSize())
                return;
            pInfo->m_strColumn = m_columns[result.itemData].szColumnName;
            SetItemText(nRow, 0, pInfo->m_strColumn);
        }
        else if (nColumn == 1)
        {
            if (result.itemData >= kFilterOperationCount)
                return;
            pInfo->m_nOperation = (int)result.itemData;
            SetItemText(nRow, 1, CFilterDlg::GetOperationText(pInfo->m_nOperation));
        }
        else
        {
            if (result.itemData > kFilterOr)
                return;
            pInfo->m_nLogic = (int)result.itemData;
            SetItemText(nRow, 3, CFilterDlg::GetLogicText(pInfo->m_nLogic));
        }
    }
    if (nReason == kInPlaceTab)
    {
        if (nColumn < 3)
            EditCell(nRow, nColumn + 1);
        else if (nRow + 1 < GetItemCount())
            EditCell(nRow + 1, 0);
        else
            EditCell(AddRow(), 0);
    }
    else if (nReason == kInPlaceShiftTab)
    {
        if (nColumn > 0)
            EditCell(nRow, nColumn - 1);
        else if (nRow > 0)
            EditCell(nRow - 1, 3);
    }
}

void CFilterInfoListCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (!m_bEditing)
    {
        switch (nChar)
        {
        case VK_INSERT: EditCell(AddRow(), 0); return;
        case VK_SPACE: {
            const int nRow = GetSelectedItem();
            if (nRow < 0)
                ::MessageBeep(MB_ICONHAND);
            else
                EditCell(nRow, 0);
            return;
        }
        case VK_DELETE: DeleteSelected(); return;
        default: break;
        }
    }
    CREditListCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CFilterInfoListCtrl::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    int nRow = -1, nColumn = -1;
    if (!m_bEditing && CellFromPoint(point, &nRow, &nColumn) == 1)
    {
        if ((GetItemState(nRow, LVIS_FOCUSED) & LVIS_FOCUSED) != 0)
            EditCell(nRow, nColumn);
        else
            SelectItem(nRow);
        return;
    }
    CREditListCtrl::OnLButtonDblClk(nFlags, point);
}

// ---- CFilterDlg -----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFilterDlg, CRSizableDlg)
    ON_BN_CLICKED(IDC_FILTER_ADD, &CFilterDlg::OnAdd)
    ON_BN_CLICKED(IDC_FILTER_EDIT, &CFilterDlg::OnEdit)
    ON_BN_CLICKED(IDC_FILTER_DELETE, &CFilterDlg::OnDelete)
    ON_BN_CLICKED(IDC_RESET, &CFilterDlg::OnReset)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CFilterDlg::CFilterDlg(CRDatabaseHelper* pHelper, const CStringPair& name, int nObjectKind,
                       const CFilterArray& filter, CWnd* pParent)
    : CRSizableDlg(IDD_FILTER, pParent), m_pHelper(pHelper), m_filter(filter),
      m_list(m_filter, m_columns, m_keys, pHelper)
{
    CWaitCursor wait;
    pHelper->GetColumnsNow(name, &m_columns);
    if (nObjectKind == DBOBJ_TABLE && theSettings.m_bFKeyInFilter)
    {
        try
        {
            pHelper->GetForeignKeysNow(name, &m_keys);
        }
        catch (CException* e)
        {
            CExceptionHolder held(e); // the dialog simply offers no foreign-key values
            m_keys.RemoveAll();
        }
    }
}

CFilterDlg::~CFilterDlg()
{
    if (m_hIcon != nullptr)
        ::DestroyIcon(m_hIcon);
}

CString CFilterDlg::GetOperationText(int nOperation)
{
    return GetFilterOperationText(nOperation);
}

CString CFilterDlg::GetLogicText(int nLogic)
{
    return GetFilterLogicText(nLogic);
}

bool CFilterDlg::BuildCondition(CFilterArray& filter, CRDatabaseHelper* pHelper,
                                const CColumnInfoArray& columns)
{
    return BuildFilterCondition(filter, pHelper ? &pHelper->GetCatalogDatabase() : nullptr,
                                columns);
}

BOOL CFilterDlg::OnInitDialog()
{
    CRSizableDlg::OnInitDialog();
    m_list.SubclassDlgItem(IDC_ITEM_LIST, this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                            LVS_EX_LABELTIP);
    CRect client;
    m_list.GetClientRect(&client);
    const int nWidth = client.Width() - ::GetSystemMetrics(SM_CXVSCROLL);
    m_list.InsertColumn(0, L"Column", LVCFMT_LEFT, nWidth / 3);
    m_list.InsertColumn(1, L"Operation", LVCFMT_LEFT, nWidth / 6);
    m_list.InsertColumn(2, L"Value", LVCFMT_LEFT, nWidth / 3);
    m_list.InsertColumn(3, L"Logic", LVCFMT_LEFT, nWidth - nWidth / 3 * 2 - nWidth / 6);
    FitColumnsToHeaders(m_list.GetSafeHwnd());

    m_hIcon =
        (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_GRID_FILTER), IMAGE_ICON,
                            ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0);
    SetIcon(m_hIcon, FALSE);

    SaveControlPositions(kLayout, 7, m_offsets);
    RestorePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosFilter]);
    m_list.FillRows();
    return TRUE;
}

void CFilterDlg::OnSize(UINT nType, int cx, int cy)
{
    CRSizableDlg::OnSize(nType, cx, cy);
    if (m_list.m_hWnd == nullptr)
        return;
    MoveControls(kLayout, 7, m_offsets);
}

void CFilterDlg::OnDestroy()
{
    SavePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosFilter]);
    CRSizableDlg::OnDestroy();
}

void CFilterDlg::OnAdd()
{
    m_list.EditCell(m_list.AddRow(), 0);
}

void CFilterDlg::OnEdit()
{
    const int nRow = m_list.GetSelectedItem();
    if (nRow < 0)
        ::MessageBeep(MB_ICONHAND);
    else
        m_list.EditCell(nRow, 0);
}

void CFilterDlg::OnDelete()
{
    m_list.DeleteSelected();
}

void CFilterDlg::OnReset()
{
    m_list.DeleteAllItems();
}

void CFilterDlg::OnOK()
{
    CFilterArray result;
    for (int i = 0; i < m_list.GetItemCount(); ++i)
    {
        const size_t nIndex = m_list.GetItemData(i);
        if (nIndex < m_filter.size())
            result.push_back(m_filter[nIndex]);
    }
    if (!BuildCondition(result, m_pHelper, m_columns))
    {
        AfxMessageBox(IDS_INVALID_VALUE, MB_ICONHAND);
        return;
    }
    m_filter = result;
    EndDialog(IDOK);
}
