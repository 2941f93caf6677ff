// CRGrid: storing and deleting rows. The statements are built and run by row_sql.cpp; these
// members gather the edited row's values, decide how the row is identified and report failures
// to the owner.
#include "grid/grid.h"
#include "grid/row_in_place.h"
#include "grid/row_sql.h"

#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"

namespace {

void ToRowParams(const std::vector<CRGrid::CInsertParam>& in, CRowSqlParams& out)
{
    out.clear();
    for (const CRGrid::CInsertParam& p : in)
    {
        CRowSqlParam q;
        q.nCType = p.m_nCType;
        q.nSQLType = p.m_nSQLType;
        q.strText = p.m_strText;
        q.bytes.assign(p.m_bytes.GetData(), p.m_bytes.GetData() + p.m_bytes.GetSize());
        q.ts = p.m_timestamp;
        q.nIndicator = p.m_nIndicator;
        out.push_back(q);
    }
}

void AppendGridParams(const CRowSqlParams& in, size_t from, std::vector<CRGrid::CInsertParam>& out)
{
    for (size_t i = from; i < in.size(); ++i)
    {
        const CRowSqlParam& q = in[i];
        CRGrid::CInsertParam p;
        p.m_nCType = q.nCType;
        p.m_nSQLType = q.nSQLType;
        p.m_strText = q.strText;
        p.m_bytes.SetSize(static_cast<INT_PTR>(q.bytes.size()));
        for (size_t b = 0; b < q.bytes.size(); ++b)
            p.m_bytes[static_cast<INT_PTR>(b)] = q.bytes[b];
        p.m_timestamp = q.ts;
        p.m_nIndicator = q.nIndicator;
        out.push_back(p);
    }
}

} // namespace

void CRGrid::NotifyEditError(int nColumn, UINT nKind, LPCWSTR pszText)
{
    if (m_pOwner == nullptr || m_hWnd == nullptr)
        return;
    GridNotifyEditError record{};
    record.hdr.hwndFrom = m_hWnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
    record.hdr.code = kGridEditError;
    record.nColumn = nColumn + 1;
    record.nKind = nKind;
    record.strText = nKind == kRowSqlDatabaseError ? DatabaseErrorText(pszText)
                                                   : CString(pszText ? pszText : L"");
    ::SendMessageW(m_pOwner->GetSafeHwnd(), WM_NOTIFY, record.hdr.idFrom,
                   reinterpret_cast<LPARAM>(&record));
}

// How the cursor's current row is identified for an operation with the given positioned bit.
static CRowKeyRequest MakeKeyRequest(CRGrid& grid, UINT nPositionedBit)
{
    CRowKeyRequest key;
    key.bPositioned = grid.CanUseCursorForEdit(nPositionedBit) || !grid.CanUseValueKey();
    for (INT_PTR i = 0; i < grid.m_primaryKey.GetSize(); ++i)
        key.keyNames.push_back(CString(grid.m_primaryKey[i].szColumnName));
    key.readZone = grid.m_readZone;
    return key;
}

bool CRGrid::SaveRow(SavedRow& saved)
{
    saved = SavedRow::Unchanged;
    if (m_pCursor == nullptr || m_pDatabase == nullptr)
        return false;
    bool inserting = m_bInserting != 0;
    NotifyOwner(inserting ? kGridInserting : kGridUpdating);
    try
    {
        std::vector<CRowSqlColumn> columns;
        for (int c = 0; c < GetColumnCount(); ++c)
        {
            CGridColumn* pColumn = m_columns[c];
            if (pColumn == nullptr || (!inserting && !pColumn->m_bChanged))
                continue;
            // A value of a column the query computed has no table column to go to: a new row
            // leaves such a column out unless a value was given for it, which is refused.
            const CString reason = ColumnNoEditReason(c);
            if (!reason.IsEmpty())
            {
                if (!pColumn->m_bChanged)
                    continue;
                NotifyEditError(c, kRowSqlDatabaseError, reason);
                return false;
            }
            CRowSqlColumn col;
            col.nListColumn = c;
            col.nCursorColumn = pColumn->m_nCursorColumn;
            col.strText = pColumn->m_value.m_strText;
            col.nKind = pColumn->m_value.m_nKind;
            columns.push_back(col);
        }
        CRowStatement statement;
        CRowSqlFailure failure;
        bool built;
        if (inserting)
        {
            built = BuildInsertStatement(*m_pDatabase, m_pQuoteDatabase, m_pCursor, columns,
                                         statement, failure);
        }
        else
        {
            if (columns.empty())
                return true; // nothing changed, nothing to run
            if (!m_pCursor->SetAbsolutePosition(m_nEditedRow + 1))
                return false;
            built = BuildUpdateStatement(*m_pDatabase, m_pQuoteDatabase, m_pCursor, columns,
                                         MakeKeyRequest(*this, SQL_CA1_POSITIONED_UPDATE),
                                         statement, failure);
        }
        if (!built)
        {
            NotifyEditError(failure.nColumn, failure.nKind, failure.strText);
            return false;
        }
        if (statement.bNothing)
            return true;
        saved = SavedRow::Run;
        // A new row whose key the server gives is found again by what the INSERT returns.
        std::vector<CString> returned;
        CString returning;
        if (inserting && dynamic_cast<Zelt::CMemCursor*>(m_pCursor) != nullptr)
            returning = ReturningKeysClause(*m_pDatabase, m_pQuoteDatabase, m_pCursor, columns,
                                            MakeKeyRequest(*this, 0).keyNames);
        statement.strSQL += returning;
        if (!ExecuteRowStatement(*m_pDatabase, statement, failure, nullptr,
                                 returning.IsEmpty() ? nullptr : &returned))
        {
            NotifyEditError(failure.nColumn, failure.nKind, failure.strText);
            return false;
        }
        saved = PlaceSavedRowInCursor(inserting, columns, returned) ? SavedRow::RunAndPlaced
                                                                    : SavedRow::Run;
        return true;
    }
    catch (Zelt::CRDBException* e)
    {
        NotifyDatabaseError(e);
        e->Delete();
        return false;
    }
}

bool CRGrid::PlaceSavedRowInCursor(bool bInserted, const std::vector<CRowSqlColumn>& columns,
                                   const std::vector<CString>& returnedKeys)
{
    // A live recordset holds the rows as its driver read them: the window reads them again.
    auto* pMem = dynamic_cast<Zelt::CMemCursor*>(m_pCursor);
    if (pMem == nullptr || m_pDatabase == nullptr || m_nEditedRow < 0)
        return false;
    CSavedRow row;
    row.nRow = m_nEditedRow;
    row.bInserted = bInserted;
    row.written = columns;
    row.key = MakeKeyRequest(*this, SQL_CA1_POSITIONED_UPDATE);
    row.serverKeys = returnedKeys;
    if (bInserted && !row.key.keyNames.empty() && m_pDatabase->IsSQLite())
        row.serverKeys = ReadSQLiteInsertedKeys(*m_pDatabase, m_pQuoteDatabase,
                                                pMem->GetTableName(), row.key.keyNames);
    else if (bInserted && m_pDatabase->GetDBMSKind() == DBMS_MYSQL)
    {
        // A new MariaDB row not found by its key (none known, or none the server said it gave)
        // is read with the window's rows again, as a window over the driver's cursor is.
        if (!row.key.keyNames.empty())
            row.serverKeys = ReadMariaDBInsertedKeys(*m_pDatabase, pMem, columns, row.key.keyNames);
        bool bKnown = false;
        for (const CString& key : row.serverKeys)
            bKnown = bKnown || !key.IsEmpty();
        if (!bKnown)
            return false;
    }
    return PlaceSavedRow(*m_pDatabase, m_pQuoteDatabase, *pMem, row) != RowPlacing::Failed;
}

bool CRGrid::DeleteRowFromDB(int nRow)
{
    if (m_pCursor == nullptr || m_pDatabase == nullptr)
        return false;
    NotifyOwner(kGridDeleting);
    try
    {
        if (!m_pCursor->SetAbsolutePosition(nRow + 1))
            return false;
        CRowStatement statement;
        CRowSqlFailure failure;
        if (!BuildDeleteStatement(*m_pDatabase, m_pQuoteDatabase, m_pCursor,
                                  MakeKeyRequest(*this, SQL_CA1_POSITIONED_DELETE), statement,
                                  failure) ||
            !ExecuteRowStatement(*m_pDatabase, statement, failure))
        {
            NotifyEditError(failure.nColumn, failure.nKind, failure.strText);
            return false;
        }
        return true;
    }
    catch (Zelt::CRDBException* e)
    {
        NotifyDatabaseError(e);
        e->Delete();
        return false;
    }
}

CString CRGrid::BuildKeyCondition(UINT nPositionedBit, std::vector<CInsertParam>& params)
{
    if (m_pCursor == nullptr || m_pDatabase == nullptr)
        return CString();
    CRowSqlParams rowParams;
    CString condition;
    bool valueKey = false;
    CRowSqlFailure failure;
    if (!BuildRowCondition(*m_pDatabase, m_pQuoteDatabase, m_pCursor,
                           MakeKeyRequest(*this, nPositionedBit), condition, rowParams, valueKey,
                           failure))
        return CString();
    AppendGridParams(rowParams, 0, params);
    return condition;
}

bool CRGrid::MakeSaveValue(int nColumn, const CGridItem& value, int nCType, int nSQLType,
                           CStringArray& values, std::vector<CInsertParam>& params)
{
    if (m_pDatabase == nullptr)
        return false;
    CRowSqlParams rowParams;
    CRowSqlFailure failure;
    CString text;
    if (!::MakeSaveValue(*m_pDatabase, value.m_strText, value.m_nKind, nCType, nSQLType, text,
                         rowParams, failure))
    {
        NotifyEditError(nColumn, failure.nKind, failure.strText);
        return false;
    }
    values.Add(text);
    AppendGridParams(rowParams, 0, params);
    return true;
}

bool CRGrid::MakeKeyValue(UINT nCursorColumn, Zelt::ICursor* pCursor, CString& strText,
                          std::vector<CInsertParam>& params)
{
    if (m_pDatabase == nullptr || pCursor == nullptr)
        return false;
    CRowSqlParams rowParams;
    if (!::MakeKeyValue(*m_pDatabase, pCursor, nCursorColumn, strText, rowParams))
        return false;
    AppendGridParams(rowParams, 0, params);
    return true;
}

bool CRGrid::ExecuteSave(LPCWSTR pszStatement, std::vector<CInsertParam>& params)
{
    if (m_pDatabase == nullptr)
        return false;
    CRowStatement statement;
    statement.strSQL = pszStatement;
    ToRowParams(params, statement.params);
    // A row condition over values must not change more than its row.
    CString upper = statement.strSQL;
    upper.MakeUpper();
    statement.bValueKey = upper.Find(L" WHERE ") >= 0 && upper.Find(L" WHERE CURRENT OF ") < 0;
    CRowSqlFailure failure;
    if (!ExecuteRowStatement(*m_pDatabase, statement, failure))
    {
        NotifyEditError(failure.nColumn, failure.nKind, failure.strText);
        return false;
    }
    return true;
}
