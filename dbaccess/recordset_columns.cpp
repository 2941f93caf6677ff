// CRRecordset: describing the result, choosing each column's C type and buffer, binding, and the
// chunked reads of long values.
#include "dbaccess/recordset.h"
#include "dbaccess/server_texts.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/size_bound.h"
#include "dbaccess/utf8_text.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Text and binary values are held up to this many characters or bytes per field.
const SQLULEN kMaxFieldSize = Zelt::kMaxFieldLength;

const SQLLEN kTextChunkBytes = 8096;
const SQLLEN kWideChunkBytes = 16192;
const SQLLEN kBinaryChunkBytes = 8096;

} // namespace

void CSQLColumn::FreeBuffer()
{
    // In a block the buffers are the block's.
    if (block && nCType != SQL_C_BINARY)
        value.p = nullptr;
    block.reset();
    blockIndicators.reset();
    whole.reset();
    switch (nCType)
    {
    case SQL_C_CHAR:
    case SQL_C_WCHAR:
    case SQL_C_TIMESTAMP:
    case SQL_C_SS_TIMESTAMPOFFSET:
    case SQL_C_GUID:
        delete[] static_cast<BYTE*>(value.p);
        value.p = nullptr;
        break;
    case SQL_C_BINARY:
        delete value.bytes;
        value.bytes = nullptr;
        break;
    default: break;
    }
}

CSQLColumn::~CSQLColumn()
{
    FreeBuffer();
}

bool CRRecordset::ReadDriverTypeName(SQLHSTMT hStmt, UINT col, CString& name)
{
    SQLWCHAR typeName[128] = {};
    SQLSMALLINT nBytes = 0;
    name.Empty();
    if (hStmt == SQL_NULL_HSTMT ||
        !SQL_SUCCEEDED(SQLColAttributeW(hStmt, static_cast<SQLUSMALLINT>(col), SQL_DESC_TYPE_NAME,
                                        typeName, sizeof typeName, &nBytes, nullptr)))
        return false;
    name = reinterpret_cast<const wchar_t*>(typeName);
    return true;
}

bool CRRecordset::DescribeColumns()
{
    ClearColumns();
    m_nColumnCount = 0;
    SQLSMALLINT count = 0;
    SQLRETURN rc;
    do
        rc = SQLNumResultCols(m_hStmt, &count);
    while (rc == SQL_STILL_EXECUTING);
    Check(rc);
    m_nColumnCount = count;
    if (count < 1)
        return true;

    m_descs.resize(static_cast<size_t>(count));
    m_columns.reserve(static_cast<size_t>(count));
    for (SQLSMALLINT i = 0; i < count; ++i)
        m_columns.push_back(std::make_shared<CSQLColumn>());
    if (IsUnbound())
    {
        m_unboundText.resize(static_cast<size_t>(count));
        m_unboundTextA.resize(static_cast<size_t>(count));
    }

    const bool unbound = IsUnbound();
    const bool numericAsText = IsNumericAsText();
    const bool mssql = m_pDatabase && m_pDatabase->GetDBMSKind() == DBMS_MSSQL;
    const bool postgres = m_pDatabase && m_pDatabase->GetDBMSKind() == DBMS_POSTGRESQL;
    m_dateDialect = postgres ? DateDialect::PostgreSQL
                    : m_pDatabase && m_pDatabase->GetDBMSKind() == DBMS_MYSQL ? DateDialect::MySQL
                                                                              : DateDialect::Plain;
    const bool colAttributes =
        m_pDatabase && m_pDatabase->IsFunctionSupported(SQL_API_SQLCOLATTRIBUTES);

    // Whether a text or binary column's declared size bounds its values (see
    // CColumnDesc::bSizeIsLimit); PostgreSQL's sizes are looked at further below.
    const bool dynamicTypes = m_pDatabase && m_pDatabase->HasDynamicTypes();
    auto IsSizeALimit = [dynamicTypes](SQLSMALLINT sqlType, SQLULEN size) {
        return IsDeclaredSizeABound(sqlType, size, dynamicTypes);
    };

    // The columns are bound once all are described: how the result is fetched depends on the
    // whole row.
    std::vector<CBinding> bindings;
    bool allRead = true;

    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(count); ++c)
    {
        CColumnDesc& desc = m_descs[c - 1];
        CSQLColumn& rec = *m_columns[c - 1];

        // A name of up to 256 characters comes whole; a longer one is cut there.
        SQLWCHAR name[257] = {};
        SQLSMALLINT nameLength = 0, sqlType = 0, digits = 0, nullable = SQL_NULLABLE_UNKNOWN;
        SQLULEN size = 0;
        do
            rc = SQLDescribeColW(m_hStmt, c, name, 257, &nameLength, &sqlType, &size, &digits,
                                 &nullable);
        while (rc == SQL_STILL_EXECUTING);
        Check(rc);
        if (c <= m_serverTextDescs.size() && m_serverTextDescs[c - 1].nSQLType != 0)
        {
            const CColumnDesc& real = m_serverTextDescs[c - 1];
            sqlType = real.nSQLType;
            size = real.nColumnSize;
            digits = real.nDecimalDigits;
            nullable = real.nNullable;
        }
        desc.strName = reinterpret_cast<const wchar_t*>(name);
        desc.nSQLType = sqlType;
        desc.nColumnSize = size;
        desc.nDecimalDigits = digits;
        desc.nNullable = nullable;
        desc.bUnsigned = false;
        desc.bSizeIsLimit = false;
        desc.bServerText = c <= m_serverTexts.size() && m_serverTexts[c - 1];
        desc.nDriverDrops = CColumnDesc::kDropsNothing;
        if (postgres && (m_nOptions & RS_QUERY_MAY_STREAM) && !desc.bServerText)
            desc.nDriverDrops = PostgresDriverDrops(m_hStmt, c, sqlType);
        if (colAttributes)
        {
            SQLLEN isUnsigned = 0;
            SQLColAttributeW(m_hStmt, c, SQL_COLUMN_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
            desc.bUnsigned = isUnsigned == SQL_TRUE;
        }

        // Every text and binary type is limited to the field size, whatever the driver declares
        // (some report 2^31-1 for a plain VARCHAR); in bound mode a size of 0 means unlimited.
        SQLULEN capped = size;
        bool isCapped = false;
        auto capSize = [&]() {
            if (size > kMaxFieldSize || (!unbound && size == 0))
            {
                capped = kMaxFieldSize;
                isCapped = true;
            }
        };

        enum
        {
            None,
            Value,
            Timestamp,
            Offset,
            Guid,
            Wide,
            Utf8,
            Narrow,
            Binary
        } kind = None;
        int cType = SQL_C_DEFAULT;
        SQLLEN valueSize = 0;
        desc.strTypeName.Empty();
        switch (sqlType)
        {
        case SQL_SS_TIMESTAMPOFFSET:
        case SQL_SS_TIME2:
        case SQL_SS_XML:
        case SQL_SS_UDT:
        case SQL_SS_VARIANT:
            if (!mssql)
            {
                CString msg;
                msg.Format(L"Unknown SQL type %d, field #%d (%s)", static_cast<int>(sqlType),
                           static_cast<int>(c), static_cast<LPCWSTR>(desc.strName));
                Fail(msg);
            }
            if (sqlType == SQL_SS_TIMESTAMPOFFSET)
            {
                kind = Offset;
                cType = SQL_C_SS_TIMESTAMPOFFSET;
            }
            else if (sqlType == SQL_SS_TIME2)
            {
                kind = Timestamp;
                cType = SQL_C_TIMESTAMP;
            }
            else if (sqlType == SQL_SS_XML)
            {
                kind = Wide;
                cType = SQL_C_WCHAR;
                capSize();
            }
            else
            {
                kind = Binary;
                cType = SQL_C_BINARY;
                capSize();
            }
            break;
        case SQL_TIME:
        case SQL_TYPE_TIME:
            // A MySQL or MariaDB TIME is a duration from -838:59:59 to 838:59:59: the time
            // structure keeps neither its sign nor hours past a day, so it is read as text.
            if (m_pDatabase && m_pDatabase->GetDBMSKind() == DBMS_MYSQL)
            {
                kind = Wide;
                cType = SQL_C_WCHAR;
                capped = 32; // the driver gives the size of "hh:mm:ss"
                if (m_pDatabase->GetNarrowTextUtf8() == 1)
                    kind = Utf8;
                break;
            }
            kind = Timestamp;
            cType = SQL_C_TIMESTAMP;
            break;
        case SQL_DATETIME:
        case SQL_TIMESTAMP:
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIMESTAMP:
            kind = Timestamp;
            cType = SQL_C_TIMESTAMP;
            break;
        case SQL_WLONGVARCHAR:
        case SQL_WVARCHAR:
        case SQL_WCHAR:
        case SQL_LONGVARCHAR:
        case SQL_VARCHAR:
        case SQL_CHAR:
            // Character data reads as UTF-16: the drivers' 8-bit text is UTF-8 on some systems
            // and the ANSI code page on others, and only the wide form survives both. Where the
            // driver's 8-bit text is known to be UTF-8 it is fetched as such (much cheaper for
            // the drivers, and some cut wide text at U+0000) and decoded here.
            kind = Wide;
            cType = SQL_C_WCHAR;
            desc.bSizeIsLimit = IsSizeALimit(sqlType, size);
            capSize();
            // PostgreSQL's driver names every type it describes as text ("unknown" for those it
            // does not know) but an interval without fields, whose name it gives empty.
            if (postgres && ReadDriverTypeName(m_hStmt, c, desc.strTypeName) &&
                desc.strTypeName.IsEmpty() && (sqlType == SQL_VARCHAR || sqlType == SQL_WVARCHAR))
                desc.strTypeName = L"interval";
            if (postgres && (desc.bSizeIsLimit || (!unbound && !isCapped)))
            {
                if (!IsPostgresSizeABound(sqlType, desc.strTypeName, size))
                {
                    desc.bSizeIsLimit = false;
                    if (!unbound && !isCapped)
                    {
                        capped = kMaxFieldSize;
                        isCapped = true;
                    }
                }
            }
            // The drivers count a declared size in characters, and a character beyond U+FFFF
            // takes two UTF-16 units (a VARCHAR(4) holds four emoji, eight units): the buffer
            // holds two units a character, up to the field size.
            if (!isCapped)
                capped = std::min<SQLULEN>(capped * 2, kMaxFieldSize);
            if (m_pDatabase && m_pDatabase->GetNarrowTextUtf8() == 1)
                kind = Utf8;
            break;
        case SQL_LONGVARBINARY:
        case SQL_VARBINARY:
        case SQL_BINARY:
            kind = Binary;
            cType = SQL_C_BINARY;
            desc.bSizeIsLimit = IsSizeALimit(sqlType, size);
            capSize();
            break;
        case SQL_GUID:
            kind = Guid;
            cType = SQL_C_GUID;
            break;
        case SQL_BIT:
            kind = Value;
            cType = SQL_C_BIT;
            valueSize = 1;
            break;
        case SQL_TINYINT:
            kind = Value;
            cType = desc.bUnsigned ? SQL_C_UTINYINT : SQL_C_TINYINT;
            valueSize = 1;
            break;
        case SQL_BIGINT:
            kind = Value;
            cType = desc.bUnsigned ? SQL_C_UBIGINT : SQL_C_SBIGINT;
            valueSize = 8;
            break;
        case SQL_INTEGER:
            kind = Value;
            cType = desc.bUnsigned ? SQL_C_ULONG : SQL_C_LONG;
            valueSize = 4;
            break;
        case SQL_SMALLINT:
            kind = Value;
            cType = desc.bUnsigned ? SQL_C_USHORT : SQL_C_SHORT;
            valueSize = 2;
            break;
        case SQL_NUMERIC:
        case SQL_DECIMAL:
        case SQL_FLOAT:
        case SQL_REAL:
        case SQL_DOUBLE:
            if (numericAsText)
            {
                // Held up to the field size like text: PostgreSQL's numeric has up to 147,455
                // digits (its element is short, see BindColumns).
                kind = Narrow;
                cType = SQL_C_CHAR;
                capped = kMaxFieldSize;
            }
            else if (sqlType == SQL_REAL)
            {
                kind = Value;
                cType = SQL_C_FLOAT;
                valueSize = 4;
            }
            else
            {
                kind = Value;
                cType = SQL_C_DOUBLE;
                valueSize = 8;
            }
            break;
        default: break; // not read
        }
        // Every SQLite integer is 64 bits wide (row ids above all), whatever the column's
        // declaration; its driver still calls them SQL_INTEGER or SQL_SMALLINT and cuts a
        // larger value to the declared width without a word. Every result takes them whole:
        // one read narrower would show, save or match another value than the row holds. So
        // does a BOOLEAN column, which holds any integer (its driver reads 2 as 1) or text.
        if (kind == Value && m_pDatabase && m_pDatabase->HasDynamicTypes() &&
            (sqlType == SQL_INTEGER || sqlType == SQL_SMALLINT || sqlType == SQL_TINYINT ||
             sqlType == SQL_BIT))
        {
            cType = SQL_C_SBIGINT;
            valueSize = 8;
        }

        rec.nCType = cType;
        rec.bCapped = isCapped;
        if (kind == None)
        {
            rec.nBufferSize = static_cast<SQLLEN>(size);
            allRead = false;
            continue;
        }

        // The buffer size recorded, the type and length the column is bound with (the size of
        // one element of a block), and whether the value lives in the record itself.
        SQLSMALLINT bindType = static_cast<SQLSMALLINT>(cType);
        // MariaDB's driver fills a bound SQL_C_BIT buffer but never its length or NULL
        // indicator; as an unsigned tiny integer the same byte comes with both.
        if (cType == SQL_C_BIT)
            bindType = SQL_C_UTINYINT;
        SQLLEN bindLength = 0;
        bool inRecord = false;
        switch (kind)
        {
        case Value:
            rec.nBufferSize = valueSize;
            bindLength = valueSize;
            inRecord = true;
            break;
        case Timestamp:
        case Guid:
            rec.nBufferSize = 16;
            bindLength = 16;
            break;
        case Offset:
            rec.nBufferSize = 20;
            bindType = SQL_C_BINARY;
            bindLength = 20;
            break;
        case Wide:
            rec.nBufferSize = static_cast<SQLLEN>(capped * sizeof(wchar_t));
            bindLength = static_cast<SQLLEN>((capped + 1) * sizeof(wchar_t));
            break;
        case Utf8:
            // Room for capped UTF-16 units and one more character whatever the text: no unit
            // takes more than three bytes.
            rec.bUtf8 = true;
            rec.nCharCapacity = static_cast<SQLLEN>(capped);
            rec.nBufferSize = static_cast<SQLLEN>(capped * 3 + 3);
            bindType = SQL_C_CHAR;
            bindLength = rec.nBufferSize + 1;
            break;
        case Narrow:
            rec.nBufferSize = static_cast<SQLLEN>(capped);
            bindLength = static_cast<SQLLEN>(capped + 1);
            break;
        case Binary:
            rec.nBufferSize = static_cast<SQLLEN>(capped);
            bindLength = static_cast<SQLLEN>(capped ? capped : 1);
            break;
        case None: break;
        }
        bindings.push_back(
            {c, bindType, bindLength, inRecord, kind == Wide || kind == Utf8 || kind == Binary});
    }
    if (unbound)
    {
        // A column without a C type of ours is read in the driver's own text conversion, which
        // only SQLGetData gives.
        if (allRead)
            BindUnboundColumns(std::move(bindings));
        return true;
    }
    return BindColumns(bindings);
}

CSQLColumn* CRRecordset::GetColumnBuffer(UINT col)
{
    if (col < 1 || col > m_columns.size())
        return nullptr;
    return m_columns[col - 1].get();
}

const Zelt::ICursor::CColumnDesc* CRRecordset::GetColumn(UINT col)
{
    if (m_nColumnCount < 1 || col < 1 || col > m_descs.size())
        return nullptr;
    return &m_descs[col - 1];
}

CString CRRecordset::GetColumnName(UINT col)
{
    const CColumnDesc* desc = GetColumn(col);
    return desc ? desc->strName : CString();
}

LONGLONG CRRecordset::GetColumnSize(UINT col)
{
    const CColumnDesc* desc = GetColumn(col);
    return desc ? static_cast<LONGLONG>(desc->nColumnSize) : -1;
}

short CRRecordset::GetColumnSQLType(UINT col)
{
    const CColumnDesc* desc = GetColumn(col);
    return desc ? desc->nSQLType : 0;
}

bool CRRecordset::IsColumnNullable(UINT col)
{
    const CColumnDesc* desc = GetColumn(col);
    return desc && desc->nNullable == SQL_NULLABLE;
}

bool CRRecordset::IsDecimalColumn(UINT col)
{
    const CColumnDesc* desc = GetColumn(col);
    return desc && Zelt::IsDecimalSQLType(desc->nSQLType);
}

int CRRecordset::FindColumn(LPCWSTR name)
{
    if (!name)
        return -1;
    for (size_t i = 0; i < m_descs.size(); ++i)
        if (_wcsicmp(m_descs[i].strName, name) == 0)
            return static_cast<int>(i + 1);
    return -1;
}

int CRRecordset::GetColumnCType(UINT col)
{
    const CSQLColumn* rec = GetColumnBuffer(col);
    const CColumnDesc* desc = GetColumn(col);
    if (!rec || !desc)
        return SQL_C_DEFAULT;
    if (IsNumericAsText() && rec->nCType == SQL_C_CHAR)
    {
        switch (desc->nSQLType)
        {
        case SQL_NUMERIC:
        case SQL_DECIMAL:
        case SQL_FLOAT:
        case SQL_DOUBLE: return SQL_C_DOUBLE;
        case SQL_REAL: return SQL_C_FLOAT;
        }
    }
    return rec->nCType;
}

bool CRRecordset::LengthRule(SQLLEN indicator)
{
    if (indicator >= 0)
        return true;
    if (indicator == SQL_NULL_DATA)
        return false;
    Fail((L"Data length: " + std::to_wstring(static_cast<long long>(indicator))).c_str());
}

// ---------------------------------------------------------------------------------------------
// Chunked reads: a value in pieces of a fixed buffer with SQLGetData, for unbound columns and
// values whose length the driver cannot tell.

bool CRRecordset::ReadChunks(UINT col, SQLSMALLINT nCType, void* pBuffer, SQLLEN nBufferBytes,
                             const std::function<void(SQLLEN)>& take)
{
    // Reading ahead, the thread that fetches the rows reads their long values, positioned.
    if (!m_bReadsAhead)
        PositionInBlock();
    bool first = true;
    for (;;)
    {
        SQLLEN ind = 0;
        SQLRETURN rc;
        do
            rc = SQLGetData(m_hStmt, static_cast<SQLUSMALLINT>(col), nCType, pBuffer, nBufferBytes,
                            &ind);
        while (rc == SQL_STILL_EXECUTING);
        if (rc == SQL_NO_DATA)
        {
            if (first)
            {
                first = false;
                if (!m_bReadsAhead)
                    Refresh();
                continue;
            }
            break;
        }
        Check(rc);
        first = false;
        if (ind != SQL_NO_TOTAL && ind < 1)
        {
            if (!LengthRule(ind))
                return false;
            break;
        }
        take(ind);
        if (rc == SQL_SUCCESS)
            break; // the rest of the value came whole
    }
    return true;
}

namespace {

// The characters of one text chunk SQLGetData wrote into a buffer of capacity characters (its
// terminator included). A chunk that holds the rest of the value is as long as the indicator
// says. A cut chunk is measured by its terminator, found from the end of a buffer filled with a
// value the driver never writes past the terminator (the driver may stop short of a full buffer,
// say before a character that would not fit whole); a scan from the start would end at the first
// U+0000 of the value instead.
template <class Char>
size_t ChunkLength(const Char* buffer, size_t capacity, SQLLEN ind, Char filler)
{
    if (ind != SQL_NO_TOTAL && static_cast<size_t>(ind) / sizeof(Char) < capacity)
        return static_cast<size_t>(ind) / sizeof(Char);
    size_t end = capacity;
    while (end > 0 && buffer[end - 1] == filler)
        --end;
    if (end > 0 && buffer[end - 1] == 0)
        return end - 1;
    return capacity - 1;
}

template <class Char, class Out>
bool ReadTextChunks(CRRecordset& rs, UINT col, SQLSMALLINT cType, SQLLEN chunkBytes, Char filler,
                    Out& out)
{
    const size_t capacity = static_cast<size_t>(chunkBytes) / sizeof(Char);
    std::unique_ptr<Char[]> buffer(new Char[capacity]);
    std::fill_n(buffer.get(), capacity, filler);
    return rs.ReadChunks(col, cType, buffer.get(), chunkBytes, [&](SQLLEN ind) {
        out.append(buffer.get(), ChunkLength(buffer.get(), capacity, ind, filler));
        std::fill_n(buffer.get(), capacity, filler);
    });
}

} // namespace

bool CRRecordset::ReadTextW(UINT col, CString& text)
{
    text.Empty();
    const CSQLColumn* rec = GetColumnBuffer(col);
    if (rec && rec->bUtf8)
    {
        // The UTF-8 text whole, decoded once (chunks end inside characters).
        std::string bytes;
        if (!ReadTextChunks(*this, col, SQL_C_CHAR, kTextChunkBytes, char(0xFF), bytes))
            return false;
        if (!bytes.empty())
        {
            wchar_t* out = text.GetBuffer(static_cast<int>(bytes.size()));
            text.ReleaseBuffer(
                static_cast<int>(Utf8ToUtf16(bytes.data(), bytes.size(), out, bytes.size())));
        }
        return true;
    }
    std::wstring out;
    if (!ReadTextChunks(*this, col, SQL_C_WCHAR, kWideChunkBytes, wchar_t(0xFFFF), out))
        return false;
    text.SetString(out.data(), static_cast<int>(out.size()));
    return true;
}

bool CRRecordset::ReadTextA(UINT col, CStringA& text)
{
    text.Empty();
    std::string out;
    if (!ReadTextChunks(*this, col, SQL_C_CHAR, kTextChunkBytes, char(0xFF), out))
        return false;
    text.SetString(out.data(), static_cast<int>(out.size()));
    return true;
}

SQLLEN CRRecordset::ReadWhole(UINT col, int nCType, CByteArray* pBytes, CStringA& textA,
                              CString& text)
{
    switch (nCType)
    {
    case SQL_C_BINARY:
        return ReadBinary(col, *pBytes) ? static_cast<SQLLEN>(pBytes->GetSize()) : SQL_NULL_DATA;
    case SQL_C_CHAR: return ReadTextA(col, textA) ? textA.GetLength() : SQL_NULL_DATA;
    default:
        return ReadTextW(col, text) ? static_cast<SQLLEN>(text.GetLength() * sizeof(wchar_t))
                                    : SQL_NULL_DATA;
    }
}

bool CRRecordset::ReadBinary(UINT col, CByteArray& bytes)
{
    bytes.RemoveAll();
    std::unique_ptr<BYTE[]> buffer(new BYTE[kBinaryChunkBytes]);
    return ReadChunks(col, SQL_C_BINARY, buffer.get(), kBinaryChunkBytes, [&](SQLLEN ind) {
        const SQLLEN chunk =
            (ind == SQL_NO_TOTAL || ind > kBinaryChunkBytes) ? kBinaryChunkBytes : ind;
        const INT_PTR at = bytes.GetSize();
        bytes.SetSize(at + chunk);
        std::memcpy(bytes.GetData() + at, buffer.get(), static_cast<size_t>(chunk));
    });
}
