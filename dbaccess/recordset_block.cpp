// CRRecordset: block fetches. A forward-only bound result is fetched many rows at a time into
// column-wise arrays (one call into the driver per block instead of per row); moves forward
// within a block are served from the arrays, and the record of each column is pointed at the
// current row, so that the field tests and getters read it as they read a single-row fetch.
#include "dbaccess/recordset.h"

#include "dbaccess/db_exception.h"

#include <algorithm>
#include <cstring>

namespace {

// Arrays of a block take at most this much memory, and a block at most this many rows: beyond a
// few hundred rows a larger block saves nothing measurable.
const SQLULEN kBlockBytes = 8u << 20;
const SQLULEN kMaxBlockRows = 500;

} // namespace

// Decides whether the result is read in blocks, and asks the driver for that many rows per
// fetch. Rows as long as the whole budget are read one at a time.
bool CRRecordset::StartBlocks(SQLULEN rowBytes)
{
    SQLULEN rows = 1;
    if (!IsUnbound() && rowBytes > 0 && GetStmtCursorType() == SQL_CURSOR_FORWARD_ONLY)
        rows = std::min(kMaxBlockRows, kBlockBytes / rowBytes);
    if (rows < 2)
        rows = 1;
    if (rows != m_block.nDriverRows)
    {
        SQLRETURN rc;
        do
            rc = SQLSetStmtOption(m_hStmt, SQL_ROWSET_SIZE, rows);
        while (rc == SQL_STILL_EXECUTING);
        if (!SQL_SUCCEEDED(rc))
            rows = 1; // a driver without block cursors reads one row per fetch
        else
            m_block.nDriverRows = rows;
    }
    m_block.nRows = rows;
    m_block.nFetched = 0;
    m_block.nIndex = 0;
    m_block.status.reset(rows > 1 ? new SQLUSMALLINT[rows]() : nullptr);
    return rows > 1;
}

void CRRecordset::BindBlock(SQLUSMALLINT col, CSQLColumn& rec, SQLSMALLINT bindType,
                            SQLLEN elementSize)
{
    const size_t rows = static_cast<size_t>(m_block.nRows);
    // The MariaDB and SQLite drivers step through a column-wise SQL_C_FLOAT array 8 bytes at a
    // time and write past a 4-byte one; PostgreSQL's steps 4. Floats go in as doubles, which
    // every driver steps alike and which hold each float exactly.
    if (bindType == SQL_C_FLOAT)
    {
        bindType = SQL_C_DOUBLE;
        elementSize = sizeof(double);
    }
    // The arrays are not cleared: the driver writes every element of the rows it fetches, and
    // the pages of a long column's unused room are never touched.
    rec.block.reset(new BYTE[rows * static_cast<size_t>(elementSize)]);
    rec.blockIndicators.reset(new SQLLEN[rows]);
    rec.nElementSize = elementSize;
    rec.nIndicator = SQL_NULL_DATA;
    if (rec.nCType == SQL_C_BINARY)
    {
        rec.value.bytes = new CByteArray;
        rec.value.bytes->SetSize(static_cast<INT_PTR>(elementSize));
    }
    SQLRETURN rc;
    do
        rc = SQLBindCol(m_hStmt, col, bindType, rec.block.get(), elementSize,
                        rec.blockIndicators.get());
    while (rc == SQL_STILL_EXECUTING);
    Check(rc);
}

// Points every column's record at the current row of the block.
void CRRecordset::LoadBlockRow()
{
    const size_t at = static_cast<size_t>(m_block.nIndex);
    for (auto& column : m_columns)
    {
        CSQLColumn& rec = *column;
        if (!rec.block)
            continue;
        const SQLLEN ind = rec.blockIndicators[at];
        BYTE* element = rec.block.get() + at * static_cast<size_t>(rec.nElementSize);
        rec.nIndicator = ind;
        switch (rec.nCType)
        {
        case SQL_C_BINARY: {
            SQLLEN n = ind == SQL_NO_TOTAL || ind > rec.nElementSize ? rec.nElementSize : ind;
            if (n > 0)
                std::memcpy(rec.value.bytes->GetData(), element, static_cast<size_t>(n));
            break;
        }
        case SQL_C_CHAR:
        case SQL_C_WCHAR:
        case SQL_C_TIMESTAMP:
        case SQL_C_SS_TIMESTAMPOFFSET:
        case SQL_C_GUID: rec.value.p = element; break;
        case SQL_C_FLOAT: {
            double value;
            std::memcpy(&value, element, sizeof value);
            rec.value.f = static_cast<float>(value);
            break;
        }
        default: std::memcpy(&rec.value, element, static_cast<size_t>(rec.nElementSize)); break;
        }
    }
}

// The next row of the current block, when the move is one forward and the block holds it.
// A row the driver could not read fails as a single-row fetch of it would.
bool CRRecordset::MoveInBlock(int rows, USHORT fetchType)
{
    if (fetchType != SQL_FETCH_NEXT || rows != 1 || m_block.nIndex + 1 >= m_block.nFetched)
        return false;
    if (m_block.status[m_block.nIndex + 1] == SQL_ROW_ERROR)
        Fail(L"Fetch error");
    ++m_block.nIndex;
    LoadBlockRow();
    return true;
}

// A fetch from the driver while reading in blocks. Moves forward fetch the next block. Other
// moves (which a forward-only cursor normally refuses) reach the driver as moves of one row,
// counted from the row the recordset stands on rather than from the start of the block.
SQLRETURN CRRecordset::FetchBlock(int rows, USHORT fetchType)
{
    SQLULEN want = m_block.nRows;
    if (fetchType != SQL_FETCH_NEXT)
    {
        want = 1;
        const int offset = static_cast<int>(m_block.nIndex);
        if (offset > 0 && fetchType == SQL_FETCH_PRIOR)
        {
            fetchType = SQL_FETCH_RELATIVE;
            rows = offset - 1;
        }
        else if (offset > 0 && fetchType == SQL_FETCH_RELATIVE)
        {
            rows += offset;
        }
    }
    SQLRETURN rc;
    if (want != m_block.nDriverRows)
    {
        do
            rc = SQLSetStmtOption(m_hStmt, SQL_ROWSET_SIZE, want);
        while (rc == SQL_STILL_EXECUTING);
        Check(rc);
        m_block.nDriverRows = want;
    }
    SQLULEN fetched = 0;
    std::fill_n(m_block.status.get(), m_block.nRows, static_cast<SQLUSMALLINT>(SQL_ROW_NOROW));
    do
        rc = SQLExtendedFetch(m_hStmt, fetchType, rows, &fetched, m_block.status.get());
    while (rc == SQL_STILL_EXECUTING);
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)
    {
        m_block.nFetched = std::min<SQLULEN>(fetched, want);
        m_block.nIndex = 0;
        // A row the driver could not read fails when the recordset reaches it.
        if (rc == SQL_SUCCESS_WITH_INFO && m_block.status[0] != SQL_ROW_ERROR)
            rc = SQL_SUCCESS;
        LoadBlockRow();
    }
    else if (rc == SQL_NO_DATA)
    {
        m_block.nFetched = 0;
        m_block.nIndex = 0;
    }
    return rc;
}

// SQLGetData reads the row the driver's cursor stands on: within a block, the current one.
void CRRecordset::PositionInBlock()
{
    if (!InBlocks() || m_block.nFetched == 0)
        return;
    SQLRETURN rc;
    do
        rc = SQLSetPos(m_hStmt, static_cast<SQLSETPOSIROW>(m_block.nIndex + 1), SQL_POSITION,
                       SQL_LOCK_NO_CHANGE);
    while (rc == SQL_STILL_EXECUTING);
    Check(rc);
}
