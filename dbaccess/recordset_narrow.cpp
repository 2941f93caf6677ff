// CRRecordset: text the driver hands over as UTF-8. Whether it does is asked once per connection,
// with a value whose UTF-8 and UTF-16 forms are both checked; any doubt keeps wide text.
#include "dbaccess/recordset.h"

#include "dbaccess/utf8_text.h"

#include <cstring>

namespace {

// Characters of two, three and four UTF-8 bytes (the last a surrogate pair in UTF-16).
const char kProbeUtf8[] = "\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E";
const wchar_t kProbeWide[] = L"\u00e9\u20ac\U0001D11E";

// The statement that selects the value twice, for the products where one is known; others are
// never asked (a driver of another product might log, or refuse, a statement of ours).
LPCWSTR ProbeStatement(const CString& dbmsName)
{
    // SQLite's driver passes statement text on in 8 bits: its value is spelled in bytes.
    if (dbmsName == L"SQLite")
        return L"SELECT CAST(X'C3A9E282ACF09D849E' AS TEXT), CAST(X'C3A9E282ACF09D849E' AS TEXT)";
    if (dbmsName == L"PostgreSQL" || dbmsName == L"MySQL" || dbmsName == L"MariaDB")
        return L"SELECT '\u00e9\u20ac\U0001D11E', '\u00e9\u20ac\U0001D11E'";
    return nullptr;
}

// 1 when the driver hands the value over as UTF-8, 0 when it does not, -1 when it could not be
// asked (a statement fails in an aborted transaction, for one): then it is asked again later.
int ReadNarrowProbe(SQLHSTMT hStmt, SQLRETURN nRet)
{
    int utf8 = -1;
    char narrow[32] = {};
    SQLWCHAR wide[16] = {};
    SQLLEN narrowLength = 0, wideLength = 0;
    if (hStmt != SQL_NULL_HSTMT && SQL_SUCCEEDED(nRet) && SQL_SUCCEEDED(SQLFetch(hStmt)))
    {
        const size_t wideBytes = sizeof kProbeWide - sizeof(wchar_t);
        const bool read =
            SQLGetData(hStmt, 1, SQL_C_CHAR, narrow, sizeof narrow, &narrowLength) == SQL_SUCCESS &&
            SQLGetData(hStmt, 2, SQL_C_WCHAR, wide, sizeof wide, &wideLength) == SQL_SUCCESS;
        const bool same = read && narrowLength == static_cast<SQLLEN>(sizeof kProbeUtf8 - 1) &&
                          std::memcmp(narrow, kProbeUtf8, sizeof kProbeUtf8 - 1) == 0 &&
                          wideLength == static_cast<SQLLEN>(wideBytes) &&
                          std::memcmp(wide, kProbeWide, wideBytes) == 0;
        utf8 = same ? 1 : 0;
    }
    return utf8;
}

} // namespace

void CRDatabase::LearnNarrowText()
{
    if (!IsOpen() || GetNarrowTextUtf8() >= 0)
        return;
    CString name;
    LPCWSTR sql = GetDBMSName(name) ? ProbeStatement(name) : nullptr;
    int state = 0;
    if (sql)
        RunOwnStatement(
            sql, [&](SQLHSTMT hStmt, SQLRETURN nRet) { state = ReadNarrowProbe(hStmt, nRet); });
    if (state >= 0)
        SetNarrowTextUtf8(state);
}

// Asked before a statement runs (so that no result of ours is pending on the connection); the
// columns then take the answer as it stands.
bool CRRecordset::NarrowTextIsUtf8()
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        return false;
    m_pDatabase->LearnNarrowText();
    return m_pDatabase->GetNarrowTextUtf8() == 1;
}

// Truncated as the same value in a wide buffer of the record's capacity would be.
bool CRRecordset::IsUtf8TextTruncated(const CSQLColumn& rec) const
{
    const SQLLEN ind = rec.nIndicator;
    if (ind == SQL_NO_TOTAL || ind > rec.nBufferSize)
        return true;
    if (ind <= rec.nCharCapacity || !rec.value.p)
        return false; // never more units than bytes
    return Utf16LengthOfUtf8(static_cast<const char*>(rec.value.p), static_cast<size_t>(ind)) >
           static_cast<size_t>(rec.nCharCapacity);
}

void CRRecordset::Utf8TextOfRecord(const CSQLColumn& rec, CString& value) const
{
    const SQLLEN ind = rec.nIndicator;
    const size_t bytes =
        static_cast<size_t>(ind < 0 || ind > rec.nBufferSize ? rec.nBufferSize : ind);
    if (ind < 0 && ind != SQL_NO_TOTAL)
    {
        value.Empty();
        return;
    }
    const size_t most = bytes < static_cast<size_t>(rec.nCharCapacity)
                            ? bytes
                            : static_cast<size_t>(rec.nCharCapacity);
    if (most == 0)
    {
        value.Empty();
        return;
    }
    wchar_t* out = value.GetBuffer(static_cast<int>(most));
    const size_t units = Utf8ToUtf16(static_cast<const char*>(rec.value.p), bytes, out, most);
    value.ReleaseBuffer(static_cast<int>(units));
}

// Only a bound value the driver handed over as UTF-8, whole and within the record's room (then
// Utf8TextOfRecord would widen every byte as it stands), or a plain number held as its text.
bool CRRecordset::GetFieldAsciiText(UINT col, const char*& text, size_t& length)
{
    if (IsUnbound() || !GetColumn(col))
        return false;
    const CSQLColumn* rec = GetColumnBuffer(col);
    if (rec && rec->nCType == SQL_C_CHAR)
        return NumberTextAsIs(col, *rec, text, length);
    if (!rec || rec->nCType != SQL_C_WCHAR || !rec->bUtf8 || rec->bWhole || !rec->value.p)
        return false;
    const SQLLEN ind = rec->nIndicator;
    if (ind < 0 || ind > rec->nCharCapacity || ind > rec->nBufferSize)
        return false;
    const char* bytes = static_cast<const char*>(rec->value.p);
    if (!IsAsciiText(bytes, static_cast<size_t>(ind)))
        return false;
    text = bytes;
    length = static_cast<size_t>(ind);
    return true;
}
