// The Parameters and Results dialogs of a procedure call.
#include "browser/proc_params_dlg.h"

#include "app/app_settings.h"
#include "controls/in_place_combo.h"
#include "controls/window_helpers.h"
#include "grid/grid_edit.h"
#include "resources/resource.h"

namespace {

const UINT kEditorId = 2000;
const UINT kValueEditorId = 1000;
const int kDirectionColumn = 2;
const int kValueColumn = 3;

HICON LoadSmallIcon(UINT nID)
{
    return (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nID), IMAGE_ICON,
                               ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0);
}

} // namespace

// ---- CRProcParamsListCtrl -------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CRProcParamsListCtrl, CREditListCtrl)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDITW, &CRProcParamsListCtrl::OnEndLabelEdit)
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CString CRProcParamsListCtrl::GetParamIOTypeName(int nColumnType)
{
    switch (nColumnType)
    {
    case SQL_PARAM_TYPE_UNKNOWN: return L"Unknown";
    case SQL_PARAM_INPUT: return L"In";
    case SQL_PARAM_INPUT_OUTPUT: return L"In, out";
    case SQL_PARAM_OUTPUT: return L"Out";
    default: return CString();
    }
}

int CRProcParamsListCtrl::ValueToldLimit(const CProcParamsData& param)
{
    if (!param.m_bSizeIsLimit)
        return -1;
    const int nSize = param.m_info.nColumnSize;
    if (IsCharSQLType(param.GetDataType()))
        return nSize;
    if (IsBinarySQLType(param.GetDataType()) && nSize < 0x3FFFFFFF)
        return 2 * nSize;
    return -1;
}

bool CRProcParamsListCtrl::IsListed(const CProcParamsData& param, bool bEditable)
{
    if (IsHiddenParamType(param.GetDataType()))
        return false;
    if (bEditable)
        return param.IsInput() || param.m_bUnknownDirection;
    return param.IsOutput();
}

CProcParamsData* CRProcParamsListCtrl::RowParam(int nRow)
{
    if (nRow < 0 || nRow >= GetItemCount() || !m_pParams)
        return nullptr;
    const INT_PTR nIndex = static_cast<INT_PTR>(GetItemData(nRow));
    return nIndex < m_pParams->GetSize() ? &m_pParams->ElementAt(nIndex) : nullptr;
}

void CRProcParamsListCtrl::Fill()
{
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                     LVS_EX_LABELTIP);
    InsertColumn(0, L"Name", LVCFMT_LEFT, 150);
    InsertColumn(1, L"SQL Type", LVCFMT_LEFT, 80);
    InsertColumn(2, L"IO Type", LVCFMT_LEFT, 70);
    InsertColumn(3, L"Value", LVCFMT_LEFT, 280);
    for (INT_PTR i = 0; m_pParams && i < m_pParams->GetSize(); ++i)
    {
        const CProcParamsData& p = m_pParams->GetAt(i);
        if (!IsListed(p, m_bEditable))
            continue;
        const int nRow = InsertItem(static_cast<int>(i), p.m_info.szColumnName);
        SetItemText(nRow, 1, p.m_info.szTypeName);
        SetItemText(nRow, 2, GetParamIOTypeName(p.GetColumnType()));
        SetItemText(nRow, 3, p.m_bNull ? CString(L"<<NULL>>") : p.m_strValue);
        SetItemData(nRow, static_cast<DWORD_PTR>(i));
    }
    if (GetItemCount() > 0)
        SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    AutoSizeColumns();
}

void CRProcParamsListCtrl::EditCell(int nRow, int nColumn)
{
    CProcParamsData* p = RowParam(nRow);
    if (!m_bEditable || m_bEditing || !p)
        return;
    if (nColumn == kDirectionColumn && !CanEditDirection(*p))
        return;
    RECT cell;
    if (!GetCellRect(nRow, nColumn, &cell))
        return;
    if (nColumn == kDirectionColumn)
    {
        auto* pCombo = new CInPlaceComboBox(nRow, nColumn);
        if (!CreateInPlaceComboBox(pCombo, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                                   cell, this, kEditorId))
            return;
        pCombo->AddString(L"In", SQL_PARAM_INPUT);
        pCombo->AddString(L"In, out", SQL_PARAM_INPUT_OUTPUT);
        pCombo->AddString(L"Out", SQL_PARAM_OUTPUT);
        pCombo->SetCurSel(0);
        m_bEditing = true;
        pCombo->SetFocus();
        return;
    }
    // The edit box itself takes any length: where the declared size bounds the value, a change
    // past it is refused and the user told why (characters for text, two hexadecimal digits a
    // byte for binary values); elsewhere the size is the driver's own figure and the value goes
    // whole for the database to judge.
    DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
    if (IsBinarySQLType(p->GetDataType()))
        dwStyle |= ES_UPPERCASE;
    LVCOLUMNW column{};
    column.mask = LVCF_FMT;
    GetColumn(nColumn, &column);
    if ((column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT)
        dwStyle |= ES_RIGHT;
    else if ((column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER)
        dwStyle |= ES_CENTER;
    CGridItem value(p->m_strValue, p->m_bNull ? kGridNull : kGridValue);
    CGridEdit::CDataInterface* pSource = nullptr;
    auto* pEdit = new CGridEdit(nRow, nColumn, CGridEdit::flagNullBox, value, pSource);
    pEdit->SetToldLimit(ValueToldLimit(*p), L"parameter");
    if (!pEdit->Create(dwStyle, cell, static_cast<CWnd*>(this), kValueEditorId, -1))
        return;
    m_bEditing = true;
}

void CRProcParamsListCtrl::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    m_bEditing = false;
    auto* pDisp = reinterpret_cast<NMLVDISPINFOW*>(pNMHDR);
    const int nRow = pDisp->item.iItem;
    const int nColumn = pDisp->item.iSubItem;
    const int nReason = static_cast<int>(pDisp->item.lParam & 0xFFFF);
    CProcParamsData* p = RowParam(nRow);
    if (!p || nReason == kInPlaceEscape)
        return;
    if (nColumn == kDirectionColumn)
    {
        const InPlaceComboResult result = GetInPlaceComboResult(*pDisp);
        if (result.bSelected)
        {
            p->m_info.nColumnType = static_cast<SQLINTEGER>(result.itemData);
            SetItemText(nRow, kDirectionColumn, GetParamIOTypeName(p->GetColumnType()));
        }
        SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        EnsureVisible(nRow, FALSE);
    }
    else if (nColumn == kValueColumn && pDisp->item.pszText != nullptr)
    {
        const bool bNull = ((pDisp->item.lParam >> 16) & 0xFFFF) == kGridNull;
        const CString text = bNull ? CString() : CString(pDisp->item.pszText);
        if (text != p->m_strValue || (p->m_bNull != 0) != bNull)
        {
            p->m_strValue = text;
            p->m_bNull = bNull ? 1 : 0;
            SetItemText(nRow, kValueColumn,
                        bNull ? (theSettings.m_bDebug ? CString(L"<<NULL>>") : CString()) : text);
            SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            EnsureVisible(nRow, FALSE);
        }
    }
    if (nReason == kInPlaceTab)
    {
        if (nColumn == kDirectionColumn)
            EditCell(nRow, kValueColumn);
        else if (CProcParamsData* pNext = RowParam(nRow + 1))
            EditCell(nRow + 1, CanEditDirection(*pNext) ? kDirectionColumn : kValueColumn);
    }
    else if (nReason == kInPlaceShiftTab)
    {
        if (nColumn == kValueColumn && CanEditDirection(*p))
            EditCell(nRow, kDirectionColumn);
        else if (RowParam(nRow - 1))
            EditCell(nRow - 1, kValueColumn);
    }
}

BOOL CRProcParamsListCtrl::PreTranslateMessage(MSG* pMsg)
{
    if (m_bEditable && !m_bEditing && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_SPACE &&
        pMsg->hwnd == m_hWnd)
    {
        const int nRow = GetSelectedItem();
        CProcParamsData* p = RowParam(nRow);
        if (!p)
            ::MessageBeep(MB_ICONHAND);
        else
            EditCell(nRow, CanEditDirection(*p) ? kDirectionColumn : kValueColumn);
        return TRUE;
    }
    return CREditListCtrl::PreTranslateMessage(pMsg);
}

void CRProcParamsListCtrl::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    CREditListCtrl::OnLButtonDblClk(nFlags, point);
    int nRow = -1, nColumn = -1;
    if (!m_bEditable || m_bEditing || CellFromPoint(point, &nRow, &nColumn) != 1)
        return;
    if ((GetItemState(nRow, LVIS_FOCUSED) & LVIS_FOCUSED) == 0)
    {
        SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        return;
    }
    if (nColumn == kDirectionColumn || nColumn == kValueColumn)
        EditCell(nRow, nColumn);
}

// ---- CStoredProcParamsDlg -------------------------------------------------------------------

namespace {

// Anchors: own x, dialog x, own y, dialog y.
const CRSizableDlg::CAnchoredControl kParamsLayout[4] = {
    {IDC_PROC_PARAMS_LIST, {kAnchorFar, kAnchorFar, kAnchorFar, kAnchorFar}},
    {IDC_PROC_SHOW_PLAN, {kAnchorNear, kAnchorNear, kAnchorNear, kAnchorFar}},
    {IDOK, {kAnchorCenter, kAnchorCenter, kAnchorNear, kAnchorFar}},
    {IDCANCEL, {kAnchorCenter, kAnchorCenter, kAnchorNear, kAnchorFar}},
};
const CRSizableDlg::CAnchoredControl kResultsLayout[2] = {
    {IDC_PROC_PARAMS_LIST, {kAnchorFar, kAnchorFar, kAnchorFar, kAnchorFar}},
    {IDOK, {kAnchorCenter, kAnchorCenter, kAnchorNear, kAnchorFar}},
};

} // namespace

BEGIN_MESSAGE_MAP(CStoredProcParamsDlg, CRSizableDlg)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CStoredProcParamsDlg::CStoredProcParamsDlg(CProcParamsArray* pParams, bool bPlanAllowed,
                                           CWnd* pParent)
    : CRSizableDlg(IDD_PROC_PARAMS, pParent), m_list(pParams, true), m_pParams(pParams),
      m_bPlanAllowed(bPlanAllowed)
{}

CStoredProcParamsDlg::~CStoredProcParamsDlg()
{
    if (m_hIcon)
        ::DestroyIcon(m_hIcon);
}

void CStoredProcParamsDlg::DoDataExchange(CDataExchange* pDX)
{
    CRSizableDlg::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_PROC_SHOW_PLAN, m_bShowPlan);
}

BOOL CStoredProcParamsDlg::OnInitDialog()
{
    CRSizableDlg::OnInitDialog();
    m_list.SubclassDlgItem(IDC_PROC_PARAMS_LIST, this);
    if (CWnd* pPlan = GetDlgItem(IDC_PROC_SHOW_PLAN))
        pPlan->EnableWindow(m_bPlanAllowed);
    m_list.Fill();
    SaveControlPositions(kParamsLayout, 4, m_offsets);
    m_hIcon = LoadSmallIcon(IDI_PROC_DIALOG);
    SetIcon(m_hIcon, FALSE);
    RestorePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosProcParams]);
    return TRUE;
}

void CStoredProcParamsDlg::OnSize(UINT nType, int cx, int cy)
{
    CRSizableDlg::OnSize(nType, cx, cy);
    if (m_list.m_hWnd)
        MoveControls(kParamsLayout, 4, m_offsets);
}

void CStoredProcParamsDlg::OnDestroy()
{
    SavePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosProcParams]);
    CRSizableDlg::OnDestroy();
}

// ---- CStoredProcResultsDlg ------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CStoredProcResultsDlg, CRSizableDlg)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CStoredProcResultsDlg::CStoredProcResultsDlg(CProcParamsArray* pParams, CWnd* pParent)
    : CRSizableDlg(IDD_PROC_RESULTS, pParent), m_list(pParams, false), m_pParams(pParams)
{}

CStoredProcResultsDlg::~CStoredProcResultsDlg()
{
    if (m_hIcon)
        ::DestroyIcon(m_hIcon);
}

BOOL CStoredProcResultsDlg::OnInitDialog()
{
    CRSizableDlg::OnInitDialog();
    m_list.SubclassDlgItem(IDC_PROC_PARAMS_LIST, this);
    m_list.Fill();
    SaveControlPositions(kResultsLayout, 2, m_offsets);
    m_hIcon = LoadSmallIcon(IDI_PROC_DIALOG);
    SetIcon(m_hIcon, FALSE);
    RestorePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosProcResults]);
    return TRUE;
}

void CStoredProcResultsDlg::OnSize(UINT nType, int cx, int cy)
{
    CRSizableDlg::OnSize(nType, cx, cy);
    if (m_list.m_hWnd)
        MoveControls(kResultsLayout, 2, m_offsets);
}

void CStoredProcResultsDlg::OnDestroy()
{
    SavePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosProcResults]);
    CRSizableDlg::OnDestroy();
}
