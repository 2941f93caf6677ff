// CRRecordset: binding and block fetches. A forward-only bound result is fetched many rows at a
// time into column-wise arrays (one call into the driver per block instead of per row); moves
// forward within a block are served from the arrays, and the record of each column is pointed at
// the current row, so that the field tests and getters read it as they read a single-row fetch.
// Long columns of a driver that cannot read blocks may be bound short instead (see kLongElement).
#include "dbaccess/recordset.h"

#include "dbaccess/connect_items.h"
#include "dbaccess/db_exception.h"
#include "dbaccess/recordset_read_ahead.h"
#include "dbaccess/recordset_value_parse.h"

#include <algorithm>
#include <cstring>

namespace {

// Arrays of a block take at most this much memory, and a block at most this many rows: beyond a
// few hundred rows a larger block saves nothing measurable.
const SQLULEN kBlockBytes = 8u << 20;
const SQLULEN kMaxBlockRows = 500;
// psqlODBC streaming fetches a rowset's worth a round trip when that is more than its fetch size,
// which is kept short for the reads ahead (kStreamingFetchRows): a bound read of such a
// connection asks for rowsets of up to this many rows, so that its round trips stay few.
const SQLULEN kStreamingBlockRows = 3000;

// A text or binary column whose buffer would be longer than this is bound with a head of
// kHeadBytes where the driver cannot read a block but lets SQLGetData read a bound column: such
// a driver (SQLite's) clears the whole of a bound buffer for every row it fetches, and long
// columns rarely hold long values. Drivers that read blocks are given whole buffers: SQLGetData
// within a block is where they differ most.
const SQLLEN kLongElement = 16384;
const SQLLEN kHeadBytes = 4096;

// Unbound mode: a text or binary column is bound whole when its declared length needs at most
// kUnboundWholeBytes, else with an element of kUnboundHeadBytes (plus the terminator); a longer
// value is read whole with SQLGetData. SQLite's driver pads every bound text element to its full
// length, so elements are kept to what values usually need.
const SQLLEN kUnboundWholeBytes = 4096;
// The element of an integer or timestamp column bound as text: room for any integer or
// timestamp the driver writes in the usual forms.
const SQLLEN kValueTextBytes = 32;
// The rows of one batch read ahead take about this much memory, and at most this many rows:
// each batch handed over costs the threads a few calls into the system.
const SQLULEN kReadAheadBytes = 4u << 20;
const SQLULEN kMaxReadAheadRows = 1000;
const SQLLEN kUnboundHeadBytes = 1024;
// The element of a number bound as text: room for every number of the usual lengths (a double's
// text, a decimal of MariaDB's 65 digits); a longer one is read whole on its row.
const SQLLEN kNumberTextBytes = 256;

} // namespace

// SQLite's driver holds every value as text and converts it for each typed buffer it fills,
// which costs it more than the text itself. psqlODBC holds text too, but turns a timestamp asked
// for as text into its value and prints that again, and reads integers into typed buffers more
// cheaply than it copies their text; a double's text it hands over as the server wrote it, which
// costs it less than its own parsing. (MariaDB's driver fills typed buffers more cheaply.)
SQLLEN CRRecordset::TextRowBytes(size_t nFields)
{
    // Each field's text quoted, and a comma after it; the parentheses and the terminator.
    return static_cast<SQLLEN>(nFields) * (kValueTextBytes + 2) + 3;
}

// A held cursor's text row (ReadServerTextsFromRow) is the only form its fields come in: a row
// whose text is not of that form fails, as a row the driver could not read.
void CRRecordset::SplitTextRows(SQLULEN nRows)
{
    if (m_nTextRowColumn == 0 || m_nTextRowColumn > m_columns.size())
        return;
    CSQLColumn& row = *m_columns[m_nTextRowColumn - 1];
    if (!row.block || !row.bFromText)
        return;
    std::string copy;
    std::string scratch;
    std::vector<CRowTextField> fields;
    for (SQLULEN r = 0; r < nRows; ++r)
    {
        const SQLUSMALLINT status = m_block.status ? m_block.status[r] : SQL_ROW_SUCCESS;
        if (status == SQL_ROW_ERROR || status == SQL_ROW_NOROW || status == SQL_ROW_DELETED)
            continue;
        const SQLLEN ind = row.blockIndicators[r];
        const size_t at = static_cast<size_t>(r) * static_cast<size_t>(row.nElementSize);
        if (ind < 0 || ind >= row.nElementSize)
            Fail(L"The server's text of a row's dates and timestamps was not read whole.");
        copy.assign(reinterpret_cast<const char*>(row.block.get() + at), static_cast<size_t>(ind));
        if (!SplitPostgresRowText(copy.data(), copy.size(), scratch, fields,
                                  m_textRowFields.size()) ||
            fields.size() != m_textRowFields.size())
            Fail(L"The server's text of a row's dates and timestamps is not of a known form.");
        for (size_t k = 0; k < fields.size(); ++k)
        {
            const UINT col = m_textRowFields[k];
            CSQLColumn& rec = *m_columns[col - 1];
            if (!rec.block || !rec.bFromText ||
                static_cast<SQLLEN>(fields[k].nLength) >= rec.nElementSize)
                Fail(L"The server's text of a row's dates and timestamps is not of a known form.");
            BYTE* element = rec.block.get() + static_cast<size_t>(r) * rec.nElementSize;
            if (!fields[k].pText)
            {
                rec.blockIndicators[r] = SQL_NULL_DATA;
                continue;
            }
            std::memcpy(element, fields[k].pText, fields[k].nLength);
            element[fields[k].nLength] = 0;
            rec.blockIndicators[r] = static_cast<SQLLEN>(fields[k].nLength);
        }
    }
}

bool CRRecordset::BindsValueAsText(UINT col)
{
    if (!m_pDatabase || !ReadsValueAsText(col))
        return false;
    if (IsServerTextColumn(col))
        return true;
    // (SQLite is the database whose columns' types do not bound their values.)
    if (m_pDatabase->HasDynamicTypes())
        return true;
    if (ReadsZeroDates(col))
        return true;
    return m_pDatabase->GetDBMSKind() == DBMS_POSTGRESQL &&
           m_columns[col - 1]->nCType == SQL_C_DOUBLE;
}

// MariaDB's driver hands a zero date ('0000-00-00', '0000-00-00 00:00:00') over as NULL when it
// fills a timestamp structure, the same as a true NULL; its text is the value. Its dates and
// timestamps are read as that text wherever they are bound (a date with a zero month or day, as
// '2020-00-00', it does fill a structure with).
bool CRRecordset::ReadsZeroDates(UINT col) const
{
    return m_dateDialect == DateDialect::MySQL && col >= 1 && col <= m_columns.size() &&
           m_columns[col - 1]->nCType == SQL_C_TIMESTAMP && ReadsValueAsText(col);
}

// PostgreSQL 12 and later write a double as the shortest text that reads back as it when
// extra_float_digits is above 0 (psqlODBC sets 2), else with at most 15 digits; earlier versions
// write 17 digits, not always the fewest.
bool CRRecordset::ServerWritesShortestDoubles()
{
    CString version;
    return m_pDatabase && m_pDatabase->GetDBMSKind() == DBMS_POSTGRESQL &&
           m_pDatabase->GetDBMSVersion(version) && _wtoi(version) >= 12;
}

// psqlODBC on a streaming connection fetches kStreamingFetchRows rows a round trip, or a
// rowset's worth when that is more; a rowset that does not divide its fetch leaves a remainder
// that the next rowset fetches in a round trip of its own (3000 rows in rowsets of 336: "fetch
// 3000", "fetch 24", "fetch 3000"...). A block is the largest that divides it. (Where the user's
// string sets another fetch size the block is only smaller than it could be.)
SQLULEN CRRecordset::AlignToDriverFetch(SQLULEN rows) const
{
    const SQLULEN fetch = static_cast<SQLULEN>(kStreamingFetchRows);
    if (rows < 2 || rows >= fetch || !m_pDatabase || !m_pDatabase->IsStreamingResults() ||
        m_pDatabase->GetDBMSKind() != DBMS_POSTGRESQL)
        return rows;
    SQLULEN n = rows;
    while (n > 1 && fetch % n != 0)
        --n;
    return n;
}

// Asks the driver for rowsets of the given size; 1 when it refuses.
SQLULEN CRRecordset::SetRowsetSize(SQLULEN rows)
{
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
    return rows;
}

bool CRRecordset::BindUnboundColumns(std::vector<CBinding> bindings)
{
    DWORD getData = 0;
    if (GetStmtCursorType() != SQL_CURSOR_FORWARD_ONLY || !m_pDatabase ||
        !m_pDatabase->GetInfoDWord(SQL_GETDATA_EXTENSIONS, getData) || !(getData & SQL_GD_BOUND))
        return false;
    // MariaDB's driver cuts bound wide text longer than its element and reports it as whole:
    // such values could not be told from whole ones.
    const bool mysql = m_pDatabase->GetDBMSKind() == DBMS_MYSQL;
    for (const CBinding& b : bindings)
        if (mysql && b.type == SQL_C_WCHAR)
            return false;
    SQLULEN rowBytes = 0;
    for (CBinding& b : bindings)
    {
        CSQLColumn& rec = *m_columns[b.col - 1];
        if (rec.IsVariable())
        {
            const SQLLEN term = CSQLColumn::TerminatorBytes(b.type);
            if (m_descs[b.col - 1].nColumnSize == 0 || b.length > kUnboundWholeBytes)
                b.length = kUnboundHeadBytes + term;
            // What the element holds; a value of more is read whole.
            rec.nBufferSize = b.length - term;
            if (rec.bUtf8)
                rec.nCharCapacity = rec.nBufferSize;
        }
        else if (BindsValueAsText(b.col))
        {
            // The value is made from the text as the rows are read ahead (the element holds it
            // there); text of another form is converted by the driver.
            rec.bFromText = true;
            b.type = SQL_C_CHAR;
            b.length = kValueTextBytes;
        }
        rowBytes += static_cast<SQLULEN>(b.length) + sizeof(SQLLEN);
    }
    // Reading a long value whole within a block needs SQLGetData on any row of it. MariaDB's
    // driver claims that but hands over a few bytes of another value there, so blocks are taken
    // only where the driver was seen to read them right (PostgreSQL's); others fetch a row at a
    // time, which still spares a call per value.
    SQLULEN rows = 1;
    if ((getData & SQL_GD_BLOCK) && rowBytes && m_pDatabase->GetDBMSKind() == DBMS_POSTGRESQL)
        rows = AlignToDriverFetch(std::min(kMaxBlockRows, kBlockBytes / rowBytes));
    rows = SetRowsetSize(rows);
    m_block.nRows = rows;
    m_block.nFetched = 0;
    m_block.nIndex = 0;
    m_block.bArrays = true;
    m_block.status.reset(new SQLUSMALLINT[rows]());
    for (const CBinding& b : bindings)
        BindArray(b, b.length);
    StartReadAhead(rowBytes);
    return true;
}

void CRRecordset::StartReadAhead(SQLULEN rowBytes)
{
    const SQLULEN rows = m_block.nRows;
    // Batches of about as many rows as a block would hold, whole fetches of the driver's.
    const SQLULEN perBatch = rowBytes ? std::max<SQLULEN>(1, kReadAheadBytes / rowBytes) : 1;
    // A read of an earlier result ends first: a hold on another thread may keep its object
    // alive, but not its thread.
    StopReadAhead();
    m_pReadAhead = std::make_shared<CReadAhead>(
        *this, std::max<SQLULEN>(rows, std::min(perBatch, kMaxReadAheadRows) / rows * rows));
    m_bReadsAhead = true;
    m_pReadAhead->Attach(m_pReadAhead);
}

// A streaming result is produced as it is fetched: psqlODBC waits on the server for its next
// rows, SQLite's driver steps through the table. Read ahead on a thread, that work overlaps the
// reader's with the rows before. A result read whole at execution gains only the driver's typing
// of its values: worth it where the reader has its own work beside (a held cursor's FETCHes).
void CRRecordset::ReadAheadFromNextBlock(bool bWhole)
{
    if (m_pReadAhead || IsUnbound() || !UsesArrays() || m_bEOF || !m_pDatabase ||
        (!bWhole && !m_pDatabase->IsStreamingResults()) ||
        GetStmtCursorType() != SQL_CURSOR_FORWARD_ONLY)
        return;
    // Text and binary values are packed in the batches: what their rows hold is not known yet.
    SQLULEN rowBytes = 0;
    for (const auto& column : m_columns)
    {
        // Every column is bound for the thread to copy it.
        if (!column->block)
            return;
        rowBytes +=
            (column->IsVariable() ? sizeof(size_t) : static_cast<SQLULEN>(column->nElementSize)) +
            sizeof(SQLLEN);
    }
    StartReadAhead(rowBytes);
}

// Binds the described columns: to the records' own buffers, or for a forward-only result to
// arrays, many rows per fetch (one call into the driver per block instead of per row).
bool CRRecordset::BindColumns(const std::vector<CBinding>& described)
{
    std::vector<CBinding> bindings = described;
    SQLULEN maxRows = 1;
    bool heads = false;
    bool valueTexts = false;
    DWORD getData = 0;
    // Numbers held as text (the only columns of 8-bit text).
    auto isNumberText = [&](const CBinding& b) {
        return m_columns[b.col - 1]->nCType == SQL_C_CHAR;
    };
    bool numberTexts = false;
    for (const CBinding& b : bindings)
        numberTexts = numberTexts || isNumberText(b);
    if (GetStmtCursorType() == SQL_CURSOR_FORWARD_ONLY)
    {
        maxRows = kMaxBlockRows;
        if (m_pDatabase && m_pDatabase->IsStreamingResults() &&
            m_pDatabase->GetDBMSKind() == DBMS_POSTGRESQL)
            maxRows = kStreamingBlockRows;
        bool hasLong = false;
        for (const CBinding& b : bindings)
            hasLong = hasLong || (b.variable && b.length > kLongElement);
        bool textValues = false;
        for (const CBinding& b : bindings)
            textValues = textValues || BindsValueAsText(b.col);
        if ((hasLong || textValues) && m_pDatabase &&
            !m_pDatabase->GetInfoDWord(SQL_GETDATA_EXTENSIONS, getData))
            getData = 0;
        if (hasLong && (getData & SQL_GD_BOUND) && !(getData & SQL_GD_BLOCK))
        {
            heads = true;
            maxRows = 1;
        }
        // SQLite's driver reads a value of another kind than its column's (IsOfAnotherKind) as
        // NULL, and only its text tells it from a true NULL: where the driver cannot read a
        // value within a block, such a result is read a row at a time, bound as text.
        if (textValues && (getData & SQL_GD_BOUND) && !(getData & SQL_GD_BLOCK) && m_pDatabase &&
            m_pDatabase->HasDynamicTypes())
            maxRows = 1;
        // Values whose text costs the driver less than their typed value are bound as that
        // text, where the driver can still convert a value of another form on its row.
        if (textValues && (getData & SQL_GD_BOUND) && ((getData & SQL_GD_BLOCK) || maxRows == 1))
            for (CBinding& b : bindings)
                if (BindsValueAsText(b.col))
                {
                    m_columns[b.col - 1]->bFromText = true;
                    b.type = SQL_C_CHAR;
                    b.length = kValueTextBytes;
                    valueTexts = true;
                }
    }
    else
    {
        // A scrollable cursor fetches a row at a time into elements of the columns' full size,
        // which SQLite's driver fills to their end for every row (a TEXT column's 196,612
        // bytes: most of the time a query window took to read its rows). Where the forward-only
        // read binds long columns short, this does too, and reads a longer value whole on its
        // row.
        // SQLite's driver reads a value of another kind than its column's (IsOfAnotherKind)
        // as NULL, which its text tells from a true NULL: such columns are bound as text too.
        const bool dynamicTypes = m_pDatabase && m_pDatabase->HasDynamicTypes();
        auto bindsText = [&](const CBinding& b) {
            return ReadsZeroDates(b.col) || (dynamicTypes && BindsValueAsText(b.col));
        };
        bool hasLong = false;
        bool zeroDates = false;
        for (const CBinding& b : bindings)
        {
            hasLong = hasLong || (b.variable && b.length > kLongElement);
            zeroDates = zeroDates || bindsText(b);
        }
        if ((hasLong || zeroDates) && m_pDatabase &&
            !m_pDatabase->GetInfoDWord(SQL_GETDATA_EXTENSIONS, getData))
            getData = 0;
        if (hasLong && (getData & SQL_GD_BOUND) && !(getData & SQL_GD_BLOCK))
            heads = true;
        // A row at a time, as the forward-only read takes them in blocks (a text of another
        // form is converted by the driver on the row it stands on).
        if (zeroDates && (getData & SQL_GD_BOUND))
            for (CBinding& b : bindings)
                if (bindsText(b))
                {
                    m_columns[b.col - 1]->bFromText = true;
                    b.type = SQL_C_CHAR;
                    b.length = kValueTextBytes;
                    valueTexts = true;
                }
    }
    // The server's text of a date or timestamp is the only form the value comes in: the driver
    // cannot convert it.
    for (CBinding& b : bindings)
        if (IsServerTextColumn(b.col) && !m_columns[b.col - 1]->bFromText)
        {
            m_columns[b.col - 1]->bFromText = true;
            b.type = SQL_C_CHAR;
            b.length = kValueTextBytes;
            valueTexts = true;
        }
    for (CBinding& b : bindings)
        if (b.col == m_nTextRowColumn && IsServerTextColumn(b.col))
            b.length = TextRowBytes(m_textRowFields.size());
    m_bShortestDoubleTexts = valueTexts && ServerWritesShortestDoubles();
    // A number held as text gets an element of kNumberTextBytes; a longer one is read whole on
    // its row where the driver reads a bound column there (within a block, where it reads
    // blocks). Elsewhere it is cut at the element's end, and shows as cut.
    bool shortNumbers = false;
    if (numberTexts)
    {
        if (getData == 0 && m_pDatabase &&
            !m_pDatabase->GetInfoDWord(SQL_GETDATA_EXTENSIONS, getData))
            getData = 0;
        const bool readsWhole =
            (getData & SQL_GD_BOUND) && ((getData & SQL_GD_BLOCK) || maxRows == 1);
        for (CBinding& b : bindings)
        {
            if (!isNumberText(b))
                continue;
            if (readsWhole)
            {
                shortNumbers = true;
                continue;
            }
            b.length = kNumberTextBytes + 1;
            m_columns[b.col - 1]->nBufferSize = kNumberTextBytes;
        }
    }
    auto elementOf = [&](const CBinding& b) {
        if (shortNumbers && isNumberText(b))
            return kNumberTextBytes + 1;
        return heads && b.variable && b.length > kLongElement
                   ? kHeadBytes + CSQLColumn::TerminatorBytes(b.type)
                   : b.length;
    };
    SQLULEN rowBytes = 0;
    for (const CBinding& b : bindings)
        rowBytes += static_cast<SQLULEN>(elementOf(b)) + sizeof(SQLLEN);
    const SQLULEN rows =
        SetRowsetSize(rowBytes ? AlignToDriverFetch(std::min(maxRows, kBlockBytes / rowBytes)) : 1);
    m_block.nRows = rows;
    m_block.nFetched = 0;
    m_block.nIndex = 0;
    m_block.bArrays = rows > 1 || heads || valueTexts || shortNumbers;
    if (m_block.bArrays)
    {
        m_block.status.reset(new SQLUSMALLINT[rows]());
        for (const CBinding& b : bindings)
            BindArray(b, elementOf(b));
        return true;
    }

    for (const CBinding& b : bindings)
    {
        CSQLColumn& rec = *m_columns[b.col - 1];
        SQLPOINTER target = nullptr;
        if (b.inRecord)
        {
            target = &rec.value;
        }
        else if (rec.nCType == SQL_C_BINARY)
        {
            rec.value.bytes = new CByteArray;
            rec.value.bytes->SetSize(static_cast<INT_PTR>(b.length));
            target = rec.value.bytes->GetData();
        }
        else
        {
            rec.value.p = new BYTE[static_cast<size_t>(b.length)]();
            target = rec.value.p;
        }
        if (!target)
            return false;
        SQLRETURN rc;
        do
            rc = SQLBindCol(m_hStmt, b.col, b.type, target, b.length, &rec.nIndicator);
        while (rc == SQL_STILL_EXECUTING);
        Check(rc);
    }
    return true;
}

void CRRecordset::BindArray(const CBinding& b, SQLLEN elementSize)
{
    CSQLColumn& rec = *m_columns[b.col - 1];
    const size_t rows = static_cast<size_t>(m_block.nRows);
    // The MariaDB and SQLite drivers step through a column-wise SQL_C_FLOAT array 8 bytes at a
    // time and write past a 4-byte one; PostgreSQL's steps 4. Floats go in as doubles, which
    // every driver steps alike and which hold each float exactly.
    SQLSMALLINT bindType = b.type;
    if (bindType == SQL_C_FLOAT)
    {
        bindType = SQL_C_DOUBLE;
        elementSize = sizeof(double);
    }
    // The arrays are not cleared: the driver writes every element of the rows it fetches.
    rec.block.reset(new BYTE[rows * static_cast<size_t>(elementSize)]);
    rec.blockIndicators.reset(new SQLLEN[rows]);
    rec.nElementSize = elementSize;
    rec.nBindType = bindType;
    rec.nFullLength = b.length;
    rec.nIndicator = SQL_NULL_DATA;
    if (rec.nCType == SQL_C_BINARY)
    {
        rec.value.bytes = new CByteArray;
        rec.value.bytes->SetSize(static_cast<INT_PTR>(b.length));
    }
    SQLRETURN rc;
    do
        rc = SQLBindCol(m_hStmt, b.col, bindType, rec.block.get(), elementSize,
                        rec.blockIndicators.get());
    while (rc == SQL_STILL_EXECUTING);
    Check(rc);
}

// A value longer than its column's short element, read as a bound buffer of the full length
// would hold it.
void CRRecordset::ReadWholeValue(UINT col, CSQLColumn& rec)
{
    BYTE* buffer = WholeBuffer(rec);
    PositionInBlock();
    SQLLEN ind = 0;
    SQLRETURN rc;
    do
        rc = SQLGetData(m_hStmt, static_cast<SQLUSMALLINT>(col), rec.nBindType, buffer,
                        rec.nFullLength, &ind);
    while (rc == SQL_STILL_EXECUTING);
    Check(rc);
    TakeWholeValue(rec, ind);
}

BYTE* CRRecordset::WholeBuffer(CSQLColumn& rec)
{
    if (!rec.whole)
        rec.whole.reset(new BYTE[static_cast<size_t>(rec.nFullLength)]);
    return rec.whole.get();
}

// The record takes the value its whole buffer holds, of the length the driver told.
void CRRecordset::TakeWholeValue(CSQLColumn& rec, SQLLEN ind)
{
    rec.nIndicator = ind;
    if (rec.nCType == SQL_C_BINARY)
    {
        const SQLLEN n = ind == SQL_NO_TOTAL || ind > rec.nFullLength ? rec.nFullLength : ind;
        if (n > 0)
            std::memcpy(rec.value.bytes->GetData(), rec.whole.get(), static_cast<size_t>(n));
    }
    else
    {
        rec.value.p = rec.whole.get();
    }
}

// Unbound mode: a value longer than its element, read whole as the unbound getters would.
void CRRecordset::LoadWholeValue(UINT col, CSQLColumn& rec)
{
    rec.bWhole = true;
    rec.nIndicator =
        ReadWhole(col, rec.nCType, rec.nCType == SQL_C_BINARY ? rec.value.bytes : nullptr,
                  m_unboundTextA[col - 1], m_unboundText[col - 1]);
}

// Points every column's record at the current row of the block.
void CRRecordset::LoadBlockRow()
{
    const size_t at = static_cast<size_t>(m_block.nIndex);
    const bool unbound = IsUnbound();
    bool positioned = !InBlocks();
    for (size_t i = 0; i < m_columns.size(); ++i)
    {
        CSQLColumn& rec = *m_columns[i];
        if (!rec.block)
            continue;
        const SQLLEN ind = rec.blockIndicators[at];
        BYTE* element = rec.block.get() + at * static_cast<size_t>(rec.nElementSize);
        rec.bLoaded = true;
        rec.bWhole = false;
        if (rec.bFromText && !unbound)
        {
            LoadTextElement(static_cast<UINT>(i + 1), rec, element, ind, [&] {
                if (!positioned)
                    PositionInBlock();
                positioned = true;
            });
            continue;
        }
        rec.nIndicator = ind;
        const bool longer = rec.IsLongerThanElement(ind);
        if (longer && unbound)
        {
            LoadWholeValue(static_cast<UINT>(i + 1), rec);
            continue;
        }
        if (longer && rec.nElementSize < rec.nFullLength)
        {
            ReadWholeValue(static_cast<UINT>(i + 1), rec);
            continue;
        }
        LoadElement(rec, element, ind);
    }
    CorrectInfinities();
}

// Points a column's record at its value in an element of a block (copying what lives in the
// record itself).
void CRRecordset::LoadElement(CSQLColumn& rec, BYTE* element, SQLLEN ind)
{
    rec.pValueText = nullptr;
    switch (rec.nCType)
    {
    case SQL_C_BINARY: {
        SQLLEN n = ind == SQL_NO_TOTAL || ind > rec.nElementSize ? rec.nElementSize : ind;
        // Unbound, the array holds the value and nothing more.
        if (IsUnbound())
            rec.value.bytes->SetSize(n > 0 ? static_cast<INT_PTR>(n) : 0);
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
        // The driver told the length of the double it wrote; the record holds a float.
        if (ind >= 0)
            rec.nIndicator = sizeof rec.value.f;
        break;
    }
    default:
        // (An element made from text is longer than the value it holds at its start.)
        std::memcpy(&rec.value, element,
                    std::min(sizeof rec.value, static_cast<size_t>(rec.nElementSize)));
        break;
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
        SplitTextRows(m_block.nFetched);
        // A row the driver could not read fails when the recordset reaches it (its diagnostics
        // kept for that: reading a long value would replace them).
        if (m_block.status[0] != SQL_ROW_ERROR)
        {
            rc = SQL_SUCCESS;
            LoadBlockRow();
        }
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
