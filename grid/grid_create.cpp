// The grid's construction, options, cursor attachment and clearing, and the defaults of the
// operations a grid window overrides.
#include "grid/grid.h"

IMPLEMENT_DYNAMIC(CRGrid, CREditListCtrl)

BEGIN_MESSAGE_MAP(CRGrid, CREditListCtrl)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_CONTEXTMENU()
    ON_WM_HSCROLL()
    ON_MESSAGE(WM_DRAWITEM, &CRGrid::OnDrawItem)
    ON_WM_THEMECHANGED()
    ON_MESSAGE(CRGrid::WM_GRID_DEFERRED_COMMIT, &CRGrid::OnDeferredCommit)
    ON_MESSAGE(CRGrid::WM_GRID_APPLY_WIDTHS, &CRGrid::OnApplyWidths)
    ON_NOTIFY_REFLECT(LVN_GETDISPINFOW, &CRGrid::OnGetDispInfo)
    ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, &CRGrid::OnColumnClick)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDITW, &CRGrid::OnEndLabelEdit)
    ON_NOTIFY_REFLECT(LVN_ITEMCHANGING, &CRGrid::OnItemChanging)
    ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, &CRGrid::OnItemChanged)
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CRGrid::OnCustomDraw)
END_MESSAGE_MAP()

CRGrid::CRGrid()
{
    m_nClipFormatAnsi = ::RegisterClipboardFormatW(L"RGrid Clipboard format");
    m_nClipFormatUnicode = ::RegisterClipboardFormatW(L"RGrid Clipboard Unicode format");
}

CRGrid::~CRGrid()
{
    DeleteAllColumns();
    ClearCache();
    m_cache.shrink_to_fit();
}

BOOL CRGrid::Create(DWORD dwStyle, UINT nOptions, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!CREditListCtrl::Create(dwStyle | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA, rect,
                                pParentWnd, nID))
        return FALSE;
    SetOptions(nOptions);
    return TRUE;
}

void CRGrid::SetOptions(UINT nOptions)
{
    m_nOptions = nOptions;
    if (m_hWnd == nullptr)
        return;
    DWORD style = GetExtendedStyle() | LVS_EX_LABELTIP | LVS_EX_HEADERDRAGDROP;
    if (nOptions & kGridFullRowSelect)
        style |= LVS_EX_FULLROWSELECT;
    else
        style &= ~(DWORD)LVS_EX_FULLROWSELECT;
    if ((nOptions & kGridLines) && GetItemCount() > 0)
        style |= LVS_EX_GRIDLINES;
    else
        style &= ~(DWORD)LVS_EX_GRIDLINES;
    SetExtendedStyle(style);
}

void CRGrid::SetCursor(Zelt::ICursor* pCursor)
{
    m_pCursor = pCursor;
    m_bForwardOnly = pCursor != nullptr && pCursor->IsForwardOnly();
    // Its rows were just read: the zone they were read in is the session's zone now. Only a
    // row found by its values needs to know it.
    m_readZone = CanUseValueKey() ? NoteReadZone(m_pDatabase, pCursor) : CReadZone();
    Clear();
}

void CRGrid::Clear()
{
    // A read that is dispatching messages stops at its next step.
    if (m_nReadDepth > 0)
        m_bAbortRead = true;
    m_nFitMetricsAge = 0; // the next rows may come in another font
    m_bFitShownCells = false;
    m_grownColumns.clear();
    ResetEditState();
    if (m_hWnd != nullptr)
    {
        DeleteAllItems();
        HWND hHeader = ::GetDlgItem(m_hWnd, 0);
        int count = hHeader ? (int)::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0) : 0;
        for (int c = count - 1; c >= 0; --c)
        {
            if (!DeleteColumn(c))
                break;
        }
        SetExtendedStyle(GetExtendedStyle() & ~(DWORD)LVS_EX_GRIDLINES);
    }
    DeleteAllColumns();
    ClearCache();
}

void CRGrid::ResetEditState()
{
    m_bEditing = false;
    m_bInserting = 0;
    m_bModified = 0;
    m_nEditedRow = -1;
    for (CGridColumn* pColumn : m_columns)
    {
        if (pColumn == nullptr)
            continue;
        pColumn->m_bChanged = 0;
        pColumn->m_value.Clear();
    }
}

CGridColumn* CRGrid::GetColumnObject(int nColumn) const
{
    if (nColumn < 0 || nColumn >= (int)m_columns.size())
        return nullptr;
    return m_columns[nColumn];
}

void CRGrid::OrderColumns(LPCWSTR pszTitle)
{
    ShowOrderDialog(pszTitle);
}

bool CRGrid::CanUseValueKey()
{
    return false;
}

bool CRGrid::UseCursorForEdit(UINT)
{
    return true;
}

bool CRGrid::ConfirmRowEdit(int)
{
    return true;
}

CString CRGrid::ColumnNoEditReason(int nColumn)
{
    CGridColumn* pColumn = GetColumnObject(nColumn);
    if (pColumn == nullptr || pColumn->m_nCursorColumn < 1 ||
        pColumn->m_nCursorColumn > m_columnNoEditReasons.size())
        return CString();
    return m_columnNoEditReasons[pColumn->m_nCursorColumn - 1];
}

bool CRGrid::ConfirmColumnEdit(int nColumn)
{
    return ColumnNoEditReason(nColumn).IsEmpty();
}

bool CRGrid::ConfirmDelete()
{
    return true;
}

void CRGrid::TellCutValue(LPCWSTR, bool) {}

void CRGrid::CreateWait(IWait*& pWait)
{
    pWait = new CWait;
}
