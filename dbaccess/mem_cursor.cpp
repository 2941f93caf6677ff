#include "dbaccess/mem_cursor.h"

#include "dbaccess/sqlite_blob_form.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/error_report.h"
#include "dbaccess/field_text.h"
#include "dbaccess/recordset_value_parse.h"
#include "dbaccess/value_text.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

namespace Zelt {

namespace {

// Row storage blocks grow from the first size, doubling up to the last: a short result takes
// little room, and a long one few blocks. Each block is a call into the system to map it (and one
// to unmap it), which under Wine costs about as much as storing a few hundred rows. The last size
// is also what is held beside the rows: the block made ahead, and the unused end of the last.
const size_t kFirstBlockSize = 64 << 10;
const size_t kLastBlockSize = 4 << 20;

// Text or bytes in the row storage: the length (characters for text, bytes for binary) doubled,
// plus one for wide text kept one byte per character (see StoreWideText), written 7 bits a byte,
// the lowest first, the high bit set on all but the last; the data follows, unaligned. (A short
// value's length takes a byte: a fixed header and aligned data took a tenth of a wide table.)
struct CBlob
{
    const BYTE* pData = nullptr;
    UINT32 nLength = 0;
    bool bLatin1 = false;
    const void* Data() const { return pData; }
    UINT32 Length() const { return nLength; }

    static CBlob At(const void* p)
    {
        const BYTE* in = static_cast<const BYTE*>(p);
        UINT64 v = 0;
        int shift = 0;
        BYTE b = 0;
        do
        {
            b = *in++;
            v |= static_cast<UINT64>(b & 0x7F) << shift;
            shift += 7;
        } while (b & 0x80);
        CBlob blob;
        blob.pData = in;
        blob.nLength = static_cast<UINT32>(v >> 1);
        blob.bLatin1 = (v & 1) != 0;
        return blob;
    }
};

// Stores the length of a value of dataBytes bytes in room of the row storage for both; pStart:
// the value's place (what CBlob::At reads); answers where its data goes.
template <class Allocate>
BYTE* NewBlob(Allocate allocate, size_t length, bool latin1, size_t dataBytes, const void*& pStart)
{
    UINT64 v = (static_cast<UINT64>(length) << 1) | (latin1 ? 1u : 0u);
    size_t prefix = 1;
    for (UINT64 rest = v >> 7; rest; rest >>= 7)
        ++prefix;
    BYTE* out = static_cast<BYTE*>(allocate(prefix + dataBytes));
    pStart = out;
    do
    {
        const BYTE low = static_cast<BYTE>(v & 0x7F);
        v >>= 7;
        *out++ = static_cast<BYTE>(low | (v ? 0x80 : 0));
    } while (v);
    return out;
}

// Stores wide text in the row storage, one byte per character where it can.
template <class Allocate>
const void* StoreWideText(const wchar_t* text, size_t n, Allocate allocate)
{
    wchar_t all = 0;
    for (size_t i = 0; i < n; ++i)
        all |= text[i];
    const void* start = nullptr;
    if (all < 0x100)
    {
        BYTE* out = NewBlob(allocate, n, true, n, start);
        for (size_t i = 0; i < n; ++i)
            out[i] = static_cast<BYTE>(text[i]);
        return start;
    }
    BYTE* out = NewBlob(allocate, n, false, n * sizeof(wchar_t), start);
    std::memcpy(out, text, n * sizeof(wchar_t));
    return start;
}

// Stores bytes (8-bit text, binary data) in the row storage.
template <class Allocate>
const void* StoreBytes(const void* data, size_t n, Allocate allocate)
{
    const void* start = nullptr;
    BYTE* out = NewBlob(allocate, n, false, n, start);
    if (n)
        std::memcpy(out, data, n);
    return start;
}

void LoadWideText(const void* p, CString& value)
{
    const CBlob blob = CBlob::At(p);
    const int n = static_cast<int>(blob.Length());
    if (n == 0)
    {
        value.Empty();
        return;
    }
    const BYTE* in = blob.pData;
    wchar_t* out = value.GetBuffer(n);
    if (blob.bLatin1)
        for (int i = 0; i < n; ++i)
            out[i] = in[i];
    else
        std::memcpy(out, in, static_cast<size_t>(n) * sizeof(wchar_t));
    value.ReleaseBuffer(n);
}

bool IsIntegerKind(int cType)
{
    switch (cType)
    {
    case SQL_C_UTINYINT:
    case SQL_C_ULONG:
    case SQL_C_USHORT:
    case SQL_C_TINYINT:
    case SQL_C_LONG:
    case SQL_C_SHORT: return true;
    default: return false;
    }
}

bool IsUnsigned32Kind(int cType)
{
    return cType == SQL_C_UTINYINT || cType == SQL_C_ULONG || cType == SQL_C_USHORT;
}

// Columns whose values a source may hold as text of another kind (numbers, dates).
bool MayBeHeldAsText(int cType)
{
    return cType == SQL_C_SBIGINT || cType == SQL_C_DOUBLE || cType == SQL_C_FLOAT ||
           cType == SQL_C_TIMESTAMP || IsIntegerKind(cType);
}

bool IsPointerKind(int cType)
{
    switch (cType)
    {
    case SQL_C_WCHAR:
    case SQL_C_CHAR:
    case SQL_C_BINARY:
    case SQL_C_GUID:
    case SQL_C_TIMESTAMP:
    case SQL_C_SS_TIMESTAMPOFFSET: return true;
    default: return false;
    }
}

// A timestamp whose parts fit is kept in its field's slot, tagged by the lowest bit (which a
// pointer into the row storage never has): the year from 0, the other parts as they come, and a
// fraction of whole microseconds (a server's own precision), 62 bits in all. Others are stored.
bool PackTimestamp(const TIMESTAMP_STRUCT& t, UINT64& out)
{
    if (t.year < 0 || t.month > 15 || t.day > 31 || t.hour > 31 || t.minute > 63 || t.second > 63 ||
        t.fraction % 1000 != 0 || t.fraction / 1000 >= (1u << 20))
        return false;
    out = 1 | static_cast<UINT64>(t.year) << 1 | static_cast<UINT64>(t.month) << 16 |
          static_cast<UINT64>(t.day) << 20 | static_cast<UINT64>(t.hour) << 25 |
          static_cast<UINT64>(t.minute) << 30 | static_cast<UINT64>(t.second) << 36 |
          static_cast<UINT64>(t.fraction / 1000) << 42;
    return true;
}

// The timestamp of a field kept as SQL_C_TIMESTAMP: unpacked into scratch, or the stored one.
const TIMESTAMP_STRUCT* TimestampOf(const CMemCursor::CItemValue& item, TIMESTAMP_STRUCT& scratch)
{
    if (!(item.u64 & 1))
        return static_cast<const TIMESTAMP_STRUCT*>(item.p);
    const UINT64 v = item.u64;
    scratch.year = static_cast<SQLSMALLINT>((v >> 1) & 0x7FFF);
    scratch.month = static_cast<SQLUSMALLINT>((v >> 16) & 0xF);
    scratch.day = static_cast<SQLUSMALLINT>((v >> 20) & 0x1F);
    scratch.hour = static_cast<SQLUSMALLINT>((v >> 25) & 0x1F);
    scratch.minute = static_cast<SQLUSMALLINT>((v >> 30) & 0x3F);
    scratch.second = static_cast<SQLUSMALLINT>((v >> 36) & 0x3F);
    scratch.fraction = static_cast<SQLUINTEGER>(((v >> 42) & 0xFFFFF) * 1000);
    return &scratch;
}

} // namespace

CMemCursor::CMemCursor(std::unique_ptr<ICursor> source) : m_source(std::move(source))
{
    if (!m_source)
        return;
    m_nQueryTimeout = m_source->GetQueryTimeout();
    m_nExecutionTime = m_source->GetExecutionTime();
    m_bNumericAsText = m_source->IsNumericAsText();
    m_strSQL = m_source->GetSQL();
    m_strTableName = m_source->GetTableName();
    const short count = m_source->GetColumnCount();
    if (count < 1)
        return;
    m_columns.reserve(static_cast<size_t>(count));
    for (UINT col = 1; col <= static_cast<UINT>(count); ++col)
    {
        CColumnEntry entry;
        if (const CColumnDesc* desc = m_source->GetColumn(col))
        {
            entry.desc = *desc;
            entry.nCType = m_source->GetColumnCType(col);
            entry.nSize = m_source->GetColumnSize(col);
            entry.nStoreType = entry.nCType;
            // Numbers the source holds as text are kept as text; the C type reported stays the
            // source's (8, or 7 for REAL), so both cursors describe the column alike.
            if (m_bNumericAsText && IsDecimalSQLType(desc->nSQLType))
                entry.nStoreType = SQL_C_WCHAR;
        }
        else
        {
            entry.desc.nNullable = SQL_NULLABLE_UNKNOWN;
        }
        m_columns.push_back(entry);
    }
}

CMemCursor::~CMemCursor()
{
    Close();
}

void CMemCursor::Close()
{
    DeleteSource();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_blocks.clear();
    m_pFree = nullptr;
    m_nFreeLeft = 0;
    m_nArenaUsed = 0;
    m_columns.clear();
}

void CMemCursor::ThrowNoColumn(UINT col)
{
    throw new CRDBException((L"No column #" + std::to_wstring(static_cast<int>(col))).c_str());
}

void CMemCursor::ThrowNoData(UINT col)
{
    throw new CRDBException(
        (L"No data for field #" + std::to_wstring(static_cast<int>(col))).c_str());
}

void CMemCursor::ThrowUnknownType(int cType)
{
    throw new CRDBException((L"Unknown data type " + std::to_wstring(cType)).c_str());
}

void CMemCursor::ThrowHeldAsText(UINT col)
{
    throw new CRDBException((L"The value of field #" + std::to_wstring(static_cast<int>(col)) +
                             L" is not of its column's type")
                                .c_str());
}

// ---------------------------------------------------------------------------------------------
// Columns

const CMemCursor::CColumnEntry& CMemCursor::Column(UINT col)
{
    if (col < 1 || col > m_columns.size())
        ThrowNoColumn(col);
    return m_columns[col - 1];
}

int CMemCursor::GetColumnCType(UINT col)
{
    return Column(col).nCType;
}

LONGLONG CMemCursor::GetColumnSize(UINT col)
{
    return Column(col).nSize;
}

short CMemCursor::GetColumnSQLType(UINT col)
{
    const CColumnDesc* desc = GetColumn(col);
    return desc ? desc->nSQLType : 0;
}

int CMemCursor::FindColumn(LPCWSTR name)
{
    if (!name)
        return -1;
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (_wcsicmp(m_columns[i].desc.strName, name) == 0)
            return static_cast<int>(i + 1);
    return -1;
}

const ICursor::CColumnDesc* CMemCursor::GetColumn(UINT col)
{
    if (col < 1 || col > m_columns.size())
        return nullptr;
    return &m_columns[col - 1].desc;
}

CString CMemCursor::GetColumnName(UINT col)
{
    const CColumnDesc* desc = GetColumn(col);
    return desc ? desc->strName : CString();
}

bool CMemCursor::IsDecimalColumn(UINT col)
{
    const CColumnDesc* desc = GetColumn(col);
    return desc && IsDecimalSQLType(desc->nSQLType);
}

bool CMemCursor::IsColumnNullable(UINT col)
{
    const CColumnDesc* desc = GetColumn(col);
    return desc && desc->nNullable == SQL_NULLABLE;
}

// ---------------------------------------------------------------------------------------------
// Reading rows

void* CMemCursor::Allocate(size_t size, size_t align)
{
    // Texts and bytes are packed as they come (align 1); a row's slots (of 8 bytes) start on 8.
    size_t pad = (align - (reinterpret_cast<uintptr_t>(m_pFree) & (align - 1))) & (align - 1);
    if (m_pFree == nullptr || size + pad > m_nFreeLeft)
    {
        pad = 0; // a new block is aligned for anything
        auto sizeOf = [](size_t nBlock) {
            return std::min(kFirstBlockSize << std::min<size_t>(nBlock, 8), kLastBlockSize);
        };
        const size_t blockSize = std::max(size, sizeOf(m_blocks.size()));
        m_blocks.push_back(m_nextBlocks.Take(blockSize, sizeOf(m_blocks.size() + 1)));
        m_pFree = m_blocks.back().get();
        m_nFreeLeft = blockSize;
    }
    void* p = m_pFree + pad;
    m_pFree += pad + size;
    m_nFreeLeft -= pad + size;
    m_nArenaUsed += pad + size;
    return p;
}

void CMemCursor::DeleteSource()
{
    if (m_pWatchedDatabase != nullptr)
    {
        m_pWatchedDatabase->RemoveStreamingResult(this);
        m_pWatchedDatabase = nullptr;
    }
    m_source.reset();
    // No more rows to come: the block made ahead for them goes.
    m_nextBlocks.Clear();
}

template <class Read>
bool CMemCursor::ReadSource(Read read)
{
    try
    {
        read();
        return true;
    }
    catch (CException* e)
    {
        Stop(e);
        return false;
    }
}

void CMemCursor::Stop(CException* e)
{
    CExceptionHolder held(e);
    // The statement ends here: whatever it holds (a SQLite file's shared lock, a server's
    // cursor) goes with it, and nothing reads the failed source again.
    DeleteSource();
    if (Zelt::CRDBException* pDBError = held.GetDBException())
        m_stopError = std::make_unique<CRDBException>(*pDBError);
    else
        m_stopError = std::make_unique<CRDBException>(FormatErrorText(e));
    if (m_stopNotice)
        m_stopNotice();
}

void CMemCursor::ThrowStopError() const
{
    throw new CRDBException(m_stopError ? *m_stopError : CRDBException(L"The rows stopped"));
}

void CMemCursor::ReadToEndBeforeTransactions(CRDatabase* pDatabase)
{
    if (m_pWatchedDatabase != nullptr || pDatabase == nullptr || !m_source)
        return;
    m_pWatchedDatabase = pDatabase;
    pDatabase->AddStreamingResult(this);
}

void CMemCursor::ReadToEnd()
{
    ReadOn(INT_MAX);
}

bool CMemCursor::ReadOn(int nRows)
{
    return ReadOnWhile([&nRows] { return nRows-- > 0; });
}

bool CMemCursor::ReadOnUntil(LONGLONG nUntilMs)
{
    // The clock is looked at before every row: one row of a slow result can take long.
    return ReadOnWhile([this, nUntilMs] {
        return GetTickMs() < nUntilMs && m_source->WaitNextRowReady(nUntilMs);
    });
}

template <class More>
bool CMemCursor::ReadOnWhile(More more)
{
    if (!m_source)
        return false;
    const int current = m_nCurrentRow;
    ReadSource([&] {
        if (m_rows.empty())
        {
            if (!more() || !ReadFirstSourceRow())
                return;
        }
        while (m_source && !m_source->IsEOF() && more())
        {
            if (!m_source->MoveNext())
                break;
            if (!m_source->IsEOF())
                FetchRow();
        }
        if (m_source && m_source->IsEOF())
            DeleteSource();
    });
    m_nCurrentRow = current;
    return m_source != nullptr;
}

void CMemCursor::FetchRow()
{
    if (!m_source)
        return;
    m_rows.push_back(StoreRow(*m_source));
}

CMemCursor::CItemValue* CMemCursor::StoreRow(ICursor& from)
{
    ICursor* const source = &from;
    const size_t count = m_columns.size();
    const size_t rowBytes = (sizeof(CItemValue) + 1) * count;
    CItemValue* items = static_cast<CItemValue*>(Allocate(rowBytes, sizeof(CItemValue)));
    std::memset(items, 0, rowBytes);
    BYTE* flags = reinterpret_cast<BYTE*>(items + count);
    for (size_t i = 0; i < count; ++i)
    {
        const UINT col = static_cast<UINT>(i + 1);
        CItemValue& item = items[i];
        const int type = m_columns[i].nStoreType;
        if (type == SQL_C_DEFAULT)
            continue;
        // Only text and bytes can come cut short; a value of fixed size is never asked about.
        if ((type == SQL_C_WCHAR || type == SQL_C_CHAR || type == SQL_C_BINARY) &&
            source->IsFieldTruncated(col))
            flags[i] = kFieldTruncated;
        // A text that reads as a SQLite blob's keeps what the source tells of it.
        auto keepBlobForm = [&](const auto* text, size_t n) {
            if (ReadsAsSQLiteBlob(text, n))
                flags[i] |= static_cast<BYTE>(source->GetFieldBlobForm(col) << kFieldBlobFormShift);
        };
        if (MayBeHeldAsText(type) && source->IsFieldHeldAsText(col))
        {
            source->GetFieldText(col, m_scratchText);
            item.p = StoreWideText(m_scratchText.GetString(),
                                   static_cast<size_t>(m_scratchText.GetLength()),
                                   [this](size_t size) { return Allocate(size, 1); });
            flags[i] = kFieldNotNull | kFieldHeldAsText;
            keepBlobForm(m_scratchText.GetString(), static_cast<size_t>(m_scratchText.GetLength()));
            continue;
        }
        bool present = false;
        switch (type)
        {
        case SQL_C_UTINYINT:
        case SQL_C_ULONG:
        case SQL_C_USHORT:
        case SQL_C_TINYINT:
        case SQL_C_LONG:
        case SQL_C_SHORT: {
            long v = 0;
            present = source->GetFieldLong(col, v);
            item.i32 = static_cast<INT32>(v);
            break;
        }
        case SQL_C_UBIGINT:
        case SQL_C_SBIGINT: {
            LONGLONG v = 0;
            present = source->GetFieldBigInt(col, v);
            item.i64 = v;
            break;
        }
        case SQL_C_BIT: {
            bool v = false;
            present = source->GetFieldBool(col, v);
            item.b = v ? 1 : 0;
            break;
        }
        case SQL_C_FLOAT: present = source->GetFieldFloat(col, item.f); break;
        case SQL_C_DOUBLE: present = source->GetFieldDouble(col, item.d); break;
        case SQL_C_WCHAR: {
            // Text the source holds as ASCII bytes is kept as they are: the one-byte form it
            // would be narrowed to anyway, without widening it first.
            const char* ascii = nullptr;
            size_t n = 0;
            if (source->GetFieldAsciiText(col, ascii, n))
            {
                const void* start = nullptr;
                BYTE* out =
                    NewBlob([this](size_t size) { return Allocate(size, 1); }, n, true, n, start);
                if (n)
                    std::memcpy(out, ascii, n);
                item.p = start;
                present = true;
                keepBlobForm(ascii, n);
                break;
            }
            // Not emptied first: a source that gives a value sets the whole text, and the
            // buffer is reused from row to row.
            present = source->GetFieldText(col, m_scratchText);
            if (present)
            {
                item.p = StoreWideText(m_scratchText.GetString(),
                                       static_cast<size_t>(m_scratchText.GetLength()),
                                       [this](size_t size) { return Allocate(size, 1); });
                keepBlobForm(m_scratchText.GetString(),
                             static_cast<size_t>(m_scratchText.GetLength()));
            }
            break;
        }
        case SQL_C_CHAR: {
            m_scratchTextA.Empty();
            present = source->GetFieldTextA(col, m_scratchTextA);
            if (present)
            {
                const size_t n = static_cast<size_t>(m_scratchTextA.GetLength());
                item.p = StoreBytes(m_scratchTextA.GetString(), n,
                                    [this](size_t size) { return Allocate(size, 1); });
                keepBlobForm(m_scratchTextA.GetString(), n);
            }
            break;
        }
        case SQL_C_BINARY: {
            m_scratchBytes.RemoveAll();
            present = source->GetFieldBinary(col, m_scratchBytes);
            if (present)
            {
                const size_t n = static_cast<size_t>(m_scratchBytes.GetSize());
                item.p = StoreBytes(m_scratchBytes.GetData(), n,
                                    [this](size_t size) { return Allocate(size, 1); });
            }
            break;
        }
        case SQL_C_GUID: {
            GUID v{};
            present = source->GetFieldGuid(col, v);
            if (present)
            {
                void* p = Allocate(sizeof v, 4);
                std::memcpy(p, &v, sizeof v);
                item.p = p;
            }
            break;
        }
        case SQL_C_TIMESTAMP: {
            TIMESTAMP_STRUCT v{};
            present = source->GetFieldTimestamp(col, v);
            if (present && !PackTimestamp(v, item.u64))
            {
                void* p = Allocate(sizeof v, 4);
                std::memcpy(p, &v, sizeof v);
                item.p = p;
            }
            break;
        }
        case SQL_C_SS_TIMESTAMPOFFSET: {
            SQL_SS_TIMESTAMPOFFSET_STRUCT v{};
            present = source->GetFieldTimestampOffset(col, v);
            if (present)
            {
                void* p = Allocate(sizeof v, 4);
                std::memcpy(p, &v, sizeof v);
                item.p = p;
            }
            break;
        }
        default: break; // not read: NULL
        }
        if (present)
            flags[i] |= kFieldNotNull;
    }
    return items;
}

// ---------------------------------------------------------------------------------------------
// Rows changed in place

namespace {

// The whole text, white space around it allowed, as a number: an integer within [lo, hi] or a
// double; false for anything else (the field then keeps the text itself).
bool ParseWholeInteger(const CString& text, long long lo, long long hi, long long& value)
{
    CString trimmed = text;
    trimmed.Trim();
    const CStringA narrow(trimmed);
    if (narrow.IsEmpty())
        return false;
    return ParsePlainInteger(narrow.GetString(), static_cast<size_t>(narrow.GetLength()), lo, hi,
                             value);
}

bool ParseWholeDouble(const CString& text, double& value)
{
    CString trimmed = text;
    trimmed.Trim();
    if (trimmed.IsEmpty())
        return false;
    wchar_t* end = nullptr;
    value = wcstod(trimmed.GetString(), &end);
    return end != nullptr && *end == 0;
}

bool ParseHexBytes(const CString& text, std::vector<BYTE>& bytes)
{
    CString hex = text;
    hex.Trim();
    if (hex.GetLength() >= 2 && hex[0] == L'0' && (hex[1] == L'x' || hex[1] == L'X'))
        hex = hex.Mid(2);
    if (hex.GetLength() % 2 != 0)
        return false;
    bytes.clear();
    for (int i = 0; i < hex.GetLength(); i += 2)
    {
        if (!iswxdigit(hex[i]) || !iswxdigit(hex[i + 1]))
            return false;
        bytes.push_back(static_cast<BYTE>(wcstoul(hex.Mid(i, 2).GetString(), nullptr, 16)));
    }
    return true;
}

} // namespace

bool CMemCursor::HasColumnsOf(ICursor& from)
{
    if (from.GetColumnCount() != static_cast<short>(m_columns.size()) ||
        from.IsNumericAsText() != m_bNumericAsText)
        return false;
    for (size_t i = 0; i < m_columns.size(); ++i)
    {
        const UINT col = static_cast<UINT>(i + 1);
        if (from.GetColumnCType(col) != m_columns[i].nCType ||
            from.GetColumnName(col).CompareNoCase(m_columns[i].desc.strName) != 0)
            return false;
    }
    return true;
}

void CMemCursor::PlaceRow(int nRow, CItemValue* items, bool bInsert)
{
    if (!bInsert)
    {
        m_rows[static_cast<size_t>(nRow)] = items;
        return;
    }
    m_rows.insert(m_rows.begin() + nRow, items);
    if (m_nCurrentRow >= nRow)
        ++m_nCurrentRow;
}

bool CMemCursor::ReplaceRow(int nRow, ICursor& from)
{
    if (nRow < 0 || nRow >= static_cast<int>(m_rows.size()) || !HasColumnsOf(from))
        return false;
    PlaceRow(nRow, StoreRow(from), false);
    return true;
}

bool CMemCursor::InsertRow(int nRow, ICursor& from)
{
    if (nRow < 0 || nRow > static_cast<int>(m_rows.size()) || !HasColumnsOf(from))
        return false;
    PlaceRow(nRow, StoreRow(from), true);
    return true;
}

bool CMemCursor::ReplaceRowFields(int nRow, const std::vector<CFieldText>& fields)
{
    if (nRow < 0 || nRow >= static_cast<int>(m_rows.size()) || fields.size() > m_columns.size())
        return false;
    PlaceRow(nRow, StoreRowFields(nRow, fields), false);
    return true;
}

bool CMemCursor::InsertRowFields(int nRow, const std::vector<CFieldText>& fields)
{
    if (nRow < 0 || nRow > static_cast<int>(m_rows.size()) || fields.size() > m_columns.size())
        return false;
    PlaceRow(nRow, StoreRowFields(-1, fields), true);
    return true;
}

bool CMemCursor::RemoveRow(int nRow)
{
    if (nRow < 0 || nRow >= static_cast<int>(m_rows.size()))
        return false;
    // The row's values stay in the row storage until the cursor closes: it never frees a part.
    m_rows.erase(m_rows.begin() + nRow);
    if (m_nCurrentRow > nRow)
        --m_nCurrentRow;
    return true;
}

CMemCursor::CItemValue* CMemCursor::StoreRowFields(int nRow, const std::vector<CFieldText>& fields)
{
    const size_t count = m_columns.size();
    const size_t rowBytes = (sizeof(CItemValue) + 1) * count;
    CItemValue* items = static_cast<CItemValue*>(Allocate(rowBytes, sizeof(CItemValue)));
    // The fields not given keep their slots, which point into the row storage as before.
    if (nRow >= 0)
        std::memcpy(items, m_rows[static_cast<size_t>(nRow)], rowBytes);
    else
        std::memset(items, 0, rowBytes);
    BYTE* flags = reinterpret_cast<BYTE*>(items + count);
    auto allocate = [this](size_t size) { return Allocate(size, 1); };
    for (size_t i = 0; i < fields.size(); ++i)
    {
        const CFieldText& field = fields[i];
        if (!field.bGiven)
            continue;
        CItemValue& item = items[i];
        item.u64 = 0;
        flags[i] = 0;
        const int type = m_columns[i].nStoreType;
        if (field.bNull || type == SQL_C_DEFAULT)
            continue;
        flags[i] = kFieldNotNull;
        const CString& text = field.strText;
        long long n = 0;
        double d = 0;
        std::vector<BYTE> bytes;
        bool kept = true;
        switch (type)
        {
        case SQL_C_WCHAR:
            item.p =
                StoreWideText(text.GetString(), static_cast<size_t>(text.GetLength()), allocate);
            break;
        case SQL_C_CHAR: {
            const CStringA narrow(text);
            item.p =
                StoreBytes(narrow.GetString(), static_cast<size_t>(narrow.GetLength()), allocate);
            break;
        }
        case SQL_C_UTINYINT:
        case SQL_C_ULONG:
        case SQL_C_USHORT:
            kept = ParseWholeInteger(text, 0, UINT32_MAX, n);
            item.u32 = static_cast<UINT32>(n);
            break;
        case SQL_C_TINYINT:
        case SQL_C_LONG:
        case SQL_C_SHORT:
            kept = ParseWholeInteger(text, INT32_MIN, INT32_MAX, n);
            item.i32 = static_cast<INT32>(n);
            break;
        case SQL_C_UBIGINT:
        case SQL_C_SBIGINT:
            kept = ParseWholeInteger(text, INT64_MIN, INT64_MAX, n);
            item.i64 = n;
            break;
        case SQL_C_BIT:
            kept = ParseWholeInteger(text, 0, 1, n);
            item.b = static_cast<BYTE>(n);
            break;
        case SQL_C_FLOAT:
            kept = ParseWholeDouble(text, d);
            item.f = static_cast<float>(d);
            break;
        case SQL_C_DOUBLE:
            kept = ParseWholeDouble(text, d);
            item.d = d;
            break;
        case SQL_C_BINARY:
            kept = ParseHexBytes(text, bytes);
            if (kept)
                item.p = StoreBytes(bytes.data(), bytes.size(), allocate);
            break;
        case SQL_C_TIMESTAMP: {
            CString trimmed = text;
            trimmed.Trim();
            const CStringA narrow(trimmed);
            TIMESTAMP_STRUCT ts{};
            kept = ParsePlainTimestamp(narrow.GetString(), static_cast<size_t>(narrow.GetLength()),
                                       narrow.GetLength() == 10, ts);
            if (kept && !PackTimestamp(ts, item.u64))
            {
                void* p = Allocate(sizeof ts, 4);
                std::memcpy(p, &ts, sizeof ts);
                item.p = p;
            }
            break;
        }
        default: kept = false; break;
        }
        if (!kept)
        {
            item.p =
                StoreWideText(text.GetString(), static_cast<size_t>(text.GetLength()), allocate);
            flags[i] = kFieldNotNull | kFieldHeldAsText;
        }
    }
    return items;
}

// The first row the memory cursor keeps is the source's first row: a source that stands on it
// already (a recordset right after its execution) is not moved past it.
bool CMemCursor::ReadFirstSourceRow()
{
    if (!(m_source->IsBOF() && m_source->IsEOF()))
    {
        if (!m_source->MoveFirst())
            return false;
    }
    if (m_source->IsEOF())
        DeleteSource();
    else
        FetchRow();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Moves

bool CMemCursor::MoveFirst()
{
    if (m_source && m_rows.empty())
    {
        bool bRead = false;
        ReadSource([&] { bRead = ReadFirstSourceRow(); });
        if (!bRead)
            return false;
    }
    if (m_rows.empty())
        return false;
    m_nCurrentRow = 0;
    return true;
}

bool CMemCursor::MoveNext()
{
    if (m_source && m_source->IsEOF())
        DeleteSource();
    const int count = static_cast<int>(m_rows.size());
    if (m_source)
    {
        // A failure stops the rows: the step then goes to the end, as after the last row.
        bool bMoved = true;
        ReadSource([&] {
            if (m_rows.empty())
                bMoved = ReadFirstSourceRow();
            else if (m_nCurrentRow == count - 1)
            {
                bMoved = m_source->MoveNext();
                if (!bMoved)
                    return;
                if (m_source->IsEOF())
                    DeleteSource();
                else
                    FetchRow();
            }
        });
        if (!bMoved)
            return false;
    }
    if (m_rows.empty())
        return false;
    if (m_nCurrentRow + 1 > static_cast<int>(m_rows.size()))
        return false;
    ++m_nCurrentRow;
    return true;
}

bool CMemCursor::IsNextRowReady()
{
    return m_nCurrentRow + 1 < static_cast<int>(m_rows.size()) || !m_source || m_source->IsEOF() ||
           m_source->IsNextRowReady();
}

bool CMemCursor::WaitNextRowReady(LONGLONG nUntilMs)
{
    return m_nCurrentRow + 1 < static_cast<int>(m_rows.size()) || !m_source || m_source->IsEOF() ||
           m_source->WaitNextRowReady(nUntilMs);
}

bool CMemCursor::MovePrev()
{
    if (m_rows.empty() || m_nCurrentRow < 1)
        return false;
    --m_nCurrentRow;
    return true;
}

bool CMemCursor::MoveLast()
{
    while (m_source && !m_source->IsEOF())
    {
        if (!MoveNext())
            return false;
    }
    DeleteSource();
    if (m_rows.empty())
        return false;
    m_nCurrentRow = static_cast<int>(m_rows.size()) - 1;
    return true;
}

bool CMemCursor::SetAbsolutePosition(int row)
{
    if (row < 1)
        return false;
    if (row <= static_cast<int>(m_rows.size()))
    {
        m_nCurrentRow = row - 1;
        return true;
    }
    if (!m_source)
    {
        if (row - 1 <= static_cast<int>(m_rows.size()))
        {
            m_nCurrentRow = row - 1;
            return true;
        }
        return false;
    }
    const int from = m_nCurrentRow;
    while (m_source && !m_source->IsEOF())
    {
        if (!MoveNext())
        {
            m_nCurrentRow = from;
            return false;
        }
        if (row <= static_cast<int>(m_rows.size()))
        {
            m_nCurrentRow = row - 1;
            return true;
        }
    }
    // The source ended before the row: one row past the last is the end position, as on a
    // drained cursor; rows further on do not exist and the cursor stays where it was.
    DeleteSource();
    if (row - 1 <= static_cast<int>(m_rows.size()))
    {
        m_nCurrentRow = row - 1;
        return true;
    }
    m_nCurrentRow = from;
    return false;
}

bool CMemCursor::Move(int rows, USHORT fetchType)
{
    switch (fetchType)
    {
    case SQL_FETCH_NEXT: return MoveNext();
    case SQL_FETCH_FIRST: return MoveFirst();
    case SQL_FETCH_LAST: return MoveLast();
    case SQL_FETCH_PRIOR: return MovePrev();
    case SQL_FETCH_ABSOLUTE: return SetAbsolutePosition(rows);
    case SQL_FETCH_RELATIVE: return SetAbsolutePosition(m_nCurrentRow + rows + 1);
    default: return false;
    }
}

bool CMemCursor::IsBOF()
{
    return m_rows.empty() || m_nCurrentRow < 0;
}

bool CMemCursor::IsEOF()
{
    if (m_source)
        return false;
    if (m_rows.empty())
        return true;
    return m_nCurrentRow >= static_cast<int>(m_rows.size());
}

void CMemCursor::GetStatus(CStatus& status)
{
    status.nCurrentRow = IsBOF() ? -1 : m_nCurrentRow;
    status.bCountFinal = !m_source && !m_stopError;
}

// ---------------------------------------------------------------------------------------------
// Fields

const CMemCursor::CItemValue* CMemCursor::GetItem(UINT col) const
{
    if (m_rows.empty() || m_nCurrentRow < 0 || m_nCurrentRow >= static_cast<int>(m_rows.size()))
        return nullptr;
    if (col < 1 || col > m_columns.size())
        return nullptr;
    return &m_rows[static_cast<size_t>(m_nCurrentRow)][col - 1];
}

const CMemCursor::CItemValue* CMemCursor::GetItemOrThrow(UINT col) const
{
    const CItemValue* item = GetItem(col);
    if (!item)
        ThrowNoColumn(col);
    return item;
}

BYTE CMemCursor::FieldFlags(UINT col) const
{
    const CItemValue* row = m_rows[static_cast<size_t>(m_nCurrentRow)];
    return reinterpret_cast<const BYTE*>(row + m_columns.size())[col - 1];
}

bool CMemCursor::IsFieldValid(UINT col)
{
    GetItemOrThrow(col);
    return (FieldFlags(col) & kFieldNotNull) != 0;
}

bool CMemCursor::IsFieldNull(UINT col)
{
    GetItemOrThrow(col);
    return (FieldFlags(col) & kFieldNotNull) == 0;
}

bool CMemCursor::IsFieldTruncated(UINT col)
{
    GetItemOrThrow(col);
    return (FieldFlags(col) & kFieldTruncated) != 0;
}

bool CMemCursor::IsFieldHeldAsText(UINT col)
{
    GetItemOrThrow(col);
    return (FieldFlags(col) & kFieldHeldAsText) != 0;
}

int CMemCursor::GetFieldBlobForm(UINT col)
{
    GetItemOrThrow(col);
    return (FieldFlags(col) & kFieldBlobFormMask) >> kFieldBlobFormShift;
}

bool CMemCursor::IsFieldTypeUnknown(UINT col)
{
    GetItemOrThrow(col);
    return GetColumnCType(col) == SQL_C_DEFAULT;
}

bool CMemCursor::IsFieldEmpty(UINT col)
{
    const CItemValue* item = GetItemOrThrow(col);
    const int type = m_columns[col - 1].nStoreType;
    if (FieldFlags(col) & kFieldHeldAsText)
        return CBlob::At(item->p).Length() == 0;
    switch (type)
    {
    case SQL_C_WCHAR:
    case SQL_C_CHAR:
    case SQL_C_BINARY: {
        return !(FieldFlags(col) & kFieldNotNull) || !item->p || CBlob::At(item->p).Length() == 0;
    }
    case SQL_C_SS_TIMESTAMPOFFSET:
    case SQL_C_UTINYINT:
    case SQL_C_ULONG:
    case SQL_C_USHORT:
    case SQL_C_TINYINT:
    case SQL_C_LONG:
    case SQL_C_SHORT:
    case SQL_C_UBIGINT:
    case SQL_C_SBIGINT:
    case SQL_C_BIT:
    case SQL_C_FLOAT:
    case SQL_C_DOUBLE:
    case SQL_C_TIMESTAMP: return false;
    default: ThrowUnknownType(GetColumnCType(col));
    }
}

// The pattern every getter follows: the item (or "No column #"), false for NULL, a value held
// as text refused (the text getters take it first), then the stored C type and, for the kinds
// held in row storage, the pointer (or "No data for field #").
#define QL_MEM_ITEM(col, item, type)                                                               \
    const CItemValue* item = GetItemOrThrow(col);                                                  \
    if (!(FieldFlags(col) & kFieldNotNull))                                                        \
        return false;                                                                              \
    if (FieldFlags(col) & kFieldHeldAsText)                                                        \
        ThrowHeldAsText(col);                                                                      \
    const int type = m_columns[(col)-1].nStoreType;                                                \
    if (IsPointerKind(type) && !item->p)                                                           \
        ThrowNoData(col);

bool CMemCursor::GetFieldDouble(UINT col, double& value)
{
    QL_MEM_ITEM(col, item, type)
    if (IsUnsigned32Kind(type))
        value = static_cast<double>(item->u32);
    else if (IsIntegerKind(type))
        value = static_cast<double>(item->i32);
    else if (type == SQL_C_UBIGINT)
        value = static_cast<double>(item->u64);
    else if (type == SQL_C_SBIGINT)
        value = static_cast<double>(item->i64);
    else if (type == SQL_C_FLOAT)
        value = item->f;
    else if (type == SQL_C_DOUBLE)
        value = item->d;
    else
        ThrowUnknownType(type);
    return true;
}

bool CMemCursor::GetFieldFloat(UINT col, float& value)
{
    double d = 0;
    if (!GetFieldDouble(col, d))
        return false;
    value = static_cast<float>(d);
    return true;
}

bool CMemCursor::GetFieldBigInt(UINT col, LONGLONG& value)
{
    QL_MEM_ITEM(col, item, type)
    if (IsUnsigned32Kind(type))
        value = static_cast<LONGLONG>(item->u32);
    else if (IsIntegerKind(type))
        value = item->i32;
    else if (type == SQL_C_UBIGINT || type == SQL_C_SBIGINT)
        value = item->i64;
    else
        ThrowUnknownType(type);
    return true;
}

bool CMemCursor::GetFieldShort(UINT col, short& value)
{
    QL_MEM_ITEM(col, item, type)
    LONGLONG n = 0;
    if (type == SQL_C_SBIGINT &&
        NarrowIntegerOfWide(GetColumn(col), col, item->i64, INT16_MIN, INT16_MAX, n))
    {
        value = static_cast<short>(n);
        return true;
    }
    if (!IsIntegerKind(type))
        ThrowUnknownType(type);
    value = static_cast<short>(item->u32 & 0xFFFF);
    return true;
}

bool CMemCursor::GetFieldLong(UINT col, long& value)
{
    QL_MEM_ITEM(col, item, type)
    LONGLONG n = 0;
    if (IsIntegerKind(type))
    {
        value = item->i32;
    }
    else if (type == SQL_C_SBIGINT &&
             NarrowIntegerOfWide(GetColumn(col), col, item->i64, INT32_MIN, INT32_MAX, n))
    {
        value = static_cast<long>(n);
    }
    else if (type == SQL_C_FLOAT || type == SQL_C_DOUBLE)
    {
        const double d = type == SQL_C_FLOAT ? item->f : item->d;
        if (!DoubleToLong(d, value))
            ThrowValueOutOfRange(col);
    }
    else
    {
        ThrowUnknownType(type);
    }
    return true;
}

bool CMemCursor::GetFieldInt(UINT col, int& value)
{
    {
        QL_MEM_ITEM(col, item, type)
        if (type == SQL_C_BIT)
        {
            value = item->b;
            return true;
        }
    }
    long v = 0;
    if (!GetFieldLong(col, v))
        return false;
    value = static_cast<int>(v);
    return true;
}

bool CMemCursor::GetFieldByte(UINT col, BYTE& value)
{
    QL_MEM_ITEM(col, item, type)
    if (type != SQL_C_UTINYINT && type != SQL_C_TINYINT)
        ThrowUnknownType(type);
    value = static_cast<BYTE>(item->u32 & 0xFF);
    return true;
}

bool CMemCursor::GetFieldBool(UINT col, bool& value)
{
    QL_MEM_ITEM(col, item, type)
    if (type != SQL_C_BIT)
        ThrowUnknownType(type);
    value = item->b != 0;
    return true;
}

bool CMemCursor::GetFieldGuid(UINT col, GUID& value)
{
    QL_MEM_ITEM(col, item, type)
    if (type != SQL_C_GUID)
        ThrowUnknownType(type);
    std::memcpy(&value, item->p, sizeof value);
    return true;
}

bool CMemCursor::GetFieldBinary(UINT col, CByteArray& value)
{
    QL_MEM_ITEM(col, item, type)
    if (type == SQL_C_GUID)
    {
        GuidToBytes(*static_cast<const SQLGUID*>(item->p), value);
    }
    else if (type == SQL_C_BINARY)
    {
        const CBlob blob = CBlob::At(item->p);
        value.SetSize(static_cast<INT_PTR>(blob.nLength));
        if (blob.nLength)
            std::memcpy(value.GetData(), blob.Data(), blob.nLength);
    }
    else
    {
        ThrowUnknownType(type);
    }
    return true;
}

bool CMemCursor::GetFieldTimestamp(UINT col, TIMESTAMP_STRUCT& value)
{
    QL_MEM_ITEM(col, item, type)
    TIMESTAMP_STRUCT scratch{};
    if (type == SQL_C_TIMESTAMP)
        value = *TimestampOf(*item, scratch);
    else if (type == SQL_C_SS_TIMESTAMPOFFSET)
        CopyTimestamp(*static_cast<const SQL_SS_TIMESTAMPOFFSET_STRUCT*>(item->p), value);
    else
        ThrowUnknownType(type);
    return true;
}

bool CMemCursor::GetFieldTimestampOffset(UINT col, SQL_SS_TIMESTAMPOFFSET_STRUCT& value)
{
    QL_MEM_ITEM(col, item, type)
    TIMESTAMP_STRUCT scratch{};
    if (type == SQL_C_TIMESTAMP)
        TimestampToTimestampOffset(*TimestampOf(*item, scratch), value);
    else if (type == SQL_C_SS_TIMESTAMPOFFSET)
        std::memcpy(&value, item->p, sizeof value);
    else
        ThrowUnknownType(type);
    return true;
}

bool CMemCursor::GetFieldOleDateTime(UINT col, COleDateTime& value)
{
    TIMESTAMP_STRUCT ts{};
    if (!GetFieldTimestamp(col, ts))
        return false;
    value.SetDateTime(ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second);
    return true;
}

bool CMemCursor::GetFieldTime(UINT col, CTime& value)
{
    TIMESTAMP_STRUCT ts{};
    if (!GetFieldTimestamp(col, ts))
        return false;
    value = TimestampToTime(ts, col);
    return true;
}

bool CMemCursor::GetFieldText(UINT col, CString& value)
{
    if (IsFieldHeldAsText(col))
    {
        LoadWideText(GetItem(col)->p, value);
        return true;
    }
    QL_MEM_ITEM(col, item, type)
    const CColumnDesc* desc = &m_columns[col - 1].desc;
    switch (type)
    {
    case SQL_C_WCHAR: LoadWideText(item->p, value); return true;
    case SQL_C_CHAR: {
        const CBlob blob = CBlob::At(item->p);
        value = CString(
            CStringA(static_cast<const char*>(blob.Data()), static_cast<int>(blob.nLength)));
        return true;
    }
    case SQL_C_UTINYINT:
    case SQL_C_ULONG:
    case SQL_C_USHORT: SetUnsignedText(value, item->u32); return true;
    case SQL_C_TINYINT:
    case SQL_C_LONG:
    case SQL_C_SHORT: SetSignedText(value, item->i32); return true;
    case SQL_C_UBIGINT: SetUnsignedText(value, item->u64); return true;
    case SQL_C_SBIGINT: SetSignedText(value, item->i64); return true;
    case SQL_C_BIT: SetSignedText(value, item->b); return true;
    case SQL_C_FLOAT: SetDoubleText(value, item->f, desc); return true;
    case SQL_C_DOUBLE: SetDoubleText(value, item->d, desc); return true;
    case SQL_C_GUID: value = FormatGuid(*static_cast<const SQLGUID*>(item->p)); return true;
    case SQL_C_TIMESTAMP: {
        TIMESTAMP_STRUCT scratch{};
        SetTimestampText(value, TimestampOf(*item, scratch), desc->nSQLType);
        return true;
    }
    case SQL_C_SS_TIMESTAMPOFFSET:
        value = FormatTimestampOffset(static_cast<const SQL_SS_TIMESTAMPOFFSET_STRUCT*>(item->p));
        return true;
    case SQL_C_BINARY: {
        const CBlob blob = CBlob::At(item->p);
        value = MakeStringN(blob.pData, blob.nLength, blob.nLength);
        return true;
    }
    default: ThrowUnknownType(type);
    }
}

bool CMemCursor::GetFieldTextA(UINT col, CStringA& value)
{
    if (!IsFieldHeldAsText(col))
    {
        QL_MEM_ITEM(col, item, type)
        if (type == SQL_C_CHAR)
        {
            const CBlob blob = CBlob::At(item->p);
            value.SetString(static_cast<const char*>(blob.Data()), static_cast<int>(blob.nLength));
            return true;
        }
    }
    CString wide;
    if (!GetFieldText(col, wide))
        return false;
    value = CStringA(wide);
    return true;
}

#undef QL_MEM_ITEM

} // namespace Zelt
