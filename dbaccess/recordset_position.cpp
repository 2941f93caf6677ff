// CRRecordset: moving through the result and keeping count of the rows met.
#include "dbaccess/recordset.h"

#include "dbaccess/db_exception.h"

#include <algorithm>

// True when a diagnostic record of the statement carries the given SQLSTATE.
bool CRRecordset::RowHasStateInfo(LPCWSTR pszState)
{
    if (!m_hStmt)
        return false;
    for (SQLSMALLINT rec = 1;; ++rec)
    {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR message[2] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc =
            SQLGetDiagRecW(SQL_HANDLE_STMT, m_hStmt, rec, state, &native, message, 2, &length);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            return false;
        if (wcsncmp(reinterpret_cast<const wchar_t*>(state), pszState, 5) == 0)
            return true;
    }
}

bool CRRecordset::Move(int rows, USHORT fetchType)
{
    if (m_bEOF && m_bBOF)
        Fail(L"Error: attempted to position cursor on empty recordset");
    if (m_bEOF && (fetchType == SQL_FETCH_NEXT || (fetchType == SQL_FETCH_RELATIVE && rows >= 1)))
        Fail(L"Error: attempted to move past EOF");
    if (m_bBOF && (fetchType == SQL_FETCH_PRIOR || (fetchType == SQL_FETCH_RELATIVE && rows < 0)))
        Fail(L"Error: attempted to move before BOF");

    // The row after the current one is fetched as the next row: MariaDB's driver finds the row
    // of an absolute fetch in a static result by walking its rows from the first (a grid filling
    // a screen near the end of a million rows, a row at a time, took seconds), but goes on from
    // where it stands to the next one.
    if (fetchType == SQL_FETCH_ABSOLUTE && m_nCurrentRow >= 0 && rows == m_nCurrentRow + 2 &&
        !m_bEOF)
    {
        fetchType = SQL_FETCH_NEXT;
        rows = 1;
    }

    SQLRETURN rc = SQL_SUCCESS;
    bool fetched = false;
    if (m_pReadAhead)
    {
        // Only forward steps move through the rows read ahead; the values of the row stay
        // readable otherwise, as in any unbound read. A bound result reads the rest of the
        // block it stood in first (the thread starts with the next one).
        if (fetchType == SQL_FETCH_NEXT && rows == 1 &&
            !(m_pBatch == nullptr && !IsUnbound() && MoveInBlock(rows, fetchType)))
        {
            rc = NextReadAheadRow();
        }
        UpdatePosition(rc, fetchType, rows);
        OnMove();
        return true;
    }
    if (InBlocks() && MoveInBlock(rows, fetchType))
    {
        UpdatePosition(rc, fetchType, rows);
        OnMove();
        return true;
    }
    if (m_pDatabase)
        m_pDatabase->HoldReadAheads();
    if (IsUnbound())
    {
        // Only forward steps fetch; the values of the row stay readable otherwise. Bound arrays
        // load the row's values as they are fetched.
        if (fetchType == SQL_FETCH_NEXT && rows == 1 && UsesArrays())
        {
            rc = FetchBlock(rows, fetchType);
        }
        else if (fetchType == SQL_FETCH_NEXT && rows == 1)
        {
            do
                rc = SQLFetch(m_hStmt);
            while (rc == SQL_STILL_EXECUTING);
            fetched = true;
        }
    }
    else
    {
        // No fetch for a forward-only cursor already on its first row, nor for the row the
        // cursor stands on (only when that row is known).
        const bool onFirst = fetchType == SQL_FETCH_FIRST && m_nCurrentRow == 0 && IsForwardOnly();
        const bool onRow =
            fetchType == SQL_FETCH_ABSOLUTE && m_nCurrentRow >= 0 && rows == m_nCurrentRow + 1;
        if (!onFirst && !onRow && UsesArrays())
        {
            rc = FetchBlock(rows, fetchType);
            fetched = true;
        }
        else if (!onFirst && !onRow)
        {
            SQLULEN rowCount = 0;
            do
                rc = SQLExtendedFetch(m_hStmt, fetchType, rows, &rowCount, nullptr);
            while (rc == SQL_STILL_EXECUTING);
            fetched = true;
        }
    }

    if (rc == SQL_SUCCESS_WITH_INFO)
    {
        // 01S01: an error in a row of the fetched rowset.
        if (RowHasStateInfo(L"01S01"))
            Fail(L"Fetch error");
    }
    else if (rc != SQL_SUCCESS && rc != SQL_NEED_DATA && rc != SQL_NO_DATA)
        Check(rc);
    if (fetched)
        ClearUnboundValues();
    // (Rows of blocks are corrected as they are loaded.)
    if (fetched && rc != SQL_NO_DATA && !IsUnbound() && !UsesArrays())
        CorrectInfinities();

    UpdatePosition(rc, fetchType, rows);
    OnMove();
    return true;
}

void CRRecordset::UpdatePosition(SQLRETURN rc, USHORT type, int rows)
{
    const bool noData = rc == SQL_NO_DATA;
    auto step = [&]() {
        if (m_nCurrentRow != -2 && !noData)
            m_nCurrentRow += rows;
    };
    auto count = [&]() {
        if (!noData && !m_bCountFinal && m_nCurrentRow != -2)
            m_nRowsFetched = std::max(m_nRowsFetched, m_nCurrentRow + 1);
    };

    switch (type)
    {
    case SQL_FETCH_NEXT:
        step();
        count();
        if (noData && !m_bCountFinal && m_nRowsFetched == m_nCurrentRow + 1)
        {
            m_bCountFinal = true;
            m_nCurrentRow = -2;
        }
        m_bBOF = false;
        m_bEOF = noData;
        break;
    case SQL_FETCH_FIRST:
        m_nCurrentRow = noData ? -2 : 0;
        if (noData)
            m_nRowsFetched = 0;
        m_bBOF = m_bEOF = noData;
        break;
    case SQL_FETCH_LAST:
        if (noData)
        {
            m_nCurrentRow = -2;
            m_nRowsFetched = 0;
        }
        else
        {
            m_nCurrentRow = m_bCountFinal ? m_nRowsFetched - 1 : -2;
        }
        m_bBOF = m_bEOF = noData;
        break;
    case SQL_FETCH_PRIOR:
        if (!m_bEOF)
            step();
        m_bBOF = noData;
        m_bEOF = false;
        break;
    case SQL_FETCH_ABSOLUTE:
        if (noData)
            m_nCurrentRow = -2;
        else if (rows > 0)
            m_nCurrentRow = rows - 1;
        else
            m_nCurrentRow = m_bCountFinal ? m_nRowsFetched + rows : -2;
        count();
        m_bBOF = noData && rows < 0;
        m_bEOF = noData && rows >= 0;
        break;
    case SQL_FETCH_RELATIVE:
        step();
        count();
        m_bBOF = noData && rows < 0;
        m_bEOF = noData && rows >= 0;
        break;
    case SQL_FETCH_BOOKMARK:
        m_nCurrentRow = -2;
        m_bBOF = m_bEOF = noData;
        break;
    default:
        m_bBOF = false;
        m_bEOF = noData;
        break;
    }
}

void CRRecordset::GetStatus(CStatus& status)
{
    status.nCurrentRow = m_nCurrentRow;
    status.bCountFinal = m_bCountFinal;
}

void CRRecordset::SetPos(ULONGLONG row, USHORT operation)
{
    // Rows count from the one the recordset stands on, also within a block.
    if (InBlocks() && row > 0)
        row += m_block.nIndex;
    if (m_pDatabase)
        m_pDatabase->HoldReadAheads();
    SQLRETURN rc;
    do
        rc = SQLSetPos(m_hStmt, static_cast<SQLSETPOSIROW>(row), operation, SQL_LOCK_NO_CHANGE);
    while (rc == SQL_STILL_EXECUTING);
    Check(rc);
}
