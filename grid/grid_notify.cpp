// The grid's notifications to its owner window: a NMHDR from the grid followed by the payload of
// the code, sent (never posted) so string payloads live only for the call.
#include "grid/grid.h"
#include "dbaccess/db_exception.h"

namespace {

template <class TRecord>
void SendToOwner(CRGrid* pGrid, TRecord& record, UINT nCode)
{
    if (pGrid->m_pOwner == nullptr || pGrid->m_pOwner->m_hWnd == nullptr)
        return;
    record.hdr.hwndFrom = pGrid->m_hWnd;
    record.hdr.idFrom = (UINT_PTR)(pGrid->m_hWnd ? ::GetDlgCtrlID(pGrid->m_hWnd) : 0);
    record.hdr.code = nCode;
    ::SendMessageW(pGrid->m_pOwner->m_hWnd, WM_NOTIFY, record.hdr.idFrom, (LPARAM)&record);
}

} // namespace

static_assert(offsetof(GridNotifyColumn, nColumn) == 24, "payload after the header");
static_assert(offsetof(GridNotifyText, strText) == 24, "payload after the header");
static_assert(offsetof(GridNotifyEditError, nKind) == 28, "kind after the column");
static_assert(offsetof(GridNotifyEditError, strText) == 32, "text after the kind");

void CRGrid::NotifyOwner(UINT nCode)
{
    if (nCode == kGridSortAscending || nCode == kGridSortDescending)
    {
        GridNotifyColumn record = {};
        record.nColumn = m_nCurrentColumn + 1;
        SendToOwner(this, record, nCode);
        return;
    }
    struct
    {
        NMHDR hdr;
    } record = {};
    SendToOwner(this, record, nCode);
}

void CRGrid::NotifyRowDone(bool bFlag)
{
    GridNotifyFlag record = {};
    record.bFlag = bFlag ? 1 : 0;
    SendToOwner(this, record, kGridRowDone);
}

void CRGrid::NotifyCountChanged()
{
    NotifyOwner(kGridCountChanged);
}

void CRGrid::NotifyText(UINT nCode, LPCWSTR pszText)
{
    GridNotifyText record{};
    record.strText = pszText ? pszText : L"";
    SendToOwner(this, record, nCode);
}

void CRGrid::NotifyDatabaseError(Zelt::CRDBException* e, UINT nCode)
{
    NotifyText(nCode, DatabaseErrorText(e ? (LPCWSTR)e->m_strError : L""));
}

CString CRGrid::DatabaseErrorText(LPCWSTR pszText)
{
    CString text = pszText;
    CString note;
    if (m_pDatabase != nullptr && m_pDatabase->FollowLostSession(note) && !note.IsEmpty())
        text += (text.IsEmpty() ? L"" : L"\n\n") + note;
    return text;
}

void CRGrid::OnBeginEdit(int nRow)
{
    m_nEditedRow = nRow;
    if (!m_bInserting)
        m_bModified = 1;
    m_bEditing = true;
    if (HasOption(kGridMarkEditedRow) && m_hWnd != nullptr)
        RedrawItems(nRow, nRow);
    GridNotifyUInt record = {};
    record.nValue = m_bInserting ? 1 : 0;
    SendToOwner(this, record, kGridEditBegun);
}
