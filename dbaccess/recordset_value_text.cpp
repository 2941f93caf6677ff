// CRRecordset: integer, double and timestamp values read as the driver's text of them. SQLite's
// driver holds every value as text and parses it for each typed buffer it fills; the texts of
// the usual forms are read here instead (cheaper than the driver's parsers), and a value the
// program shows as text is then shown from its text where that is the same. Any other form is
// left to the driver's own conversion, so that nothing reads differently; but where that shows
// the value to be of another kind than the column's (SQLite keeps any value in any column), the
// value is held as the text it is stored as.
#include "dbaccess/recordset.h"

#include "dbaccess/recordset_value_parse.h"

#include <cstdint>
#include <cstring>

namespace {

bool IsDateOrTimestampType(SQLSMALLINT type)
{
    return type == SQL_TYPE_DATE || type == SQL_DATE || type == SQL_TYPE_TIMESTAMP ||
           type == SQL_TIMESTAMP;
}

} // namespace

bool CRRecordset::ReadsValueAsText(UINT col) const
{
    if (col < 1 || col > m_columns.size())
        return false;
    switch (m_columns[col - 1]->nCType)
    {
    case SQL_C_SHORT:
    case SQL_C_LONG:
    case SQL_C_SBIGINT:
    case SQL_C_DOUBLE: return true;
    case SQL_C_TIMESTAMP: return IsDateOrTimestampType(m_descs[col - 1].nSQLType);
    default: return false;
    }
}

bool CRRecordset::IsServerTextColumn(UINT col) const
{
    return col >= 1 && col <= m_serverTextDescs.size() && col <= m_columns.size() &&
           m_serverTextDescs[col - 1].nSQLType != 0 &&
           m_columns[col - 1]->nCType == SQL_C_TIMESTAMP;
}

bool CRRecordset::ValueFromText(UINT col, const char* text, SQLLEN length, void* target,
                                SQLLEN& indicator) const
{
    if (length < 0)
        return false;
    const size_t n = static_cast<size_t>(length);
    long long number = 0;
    switch (m_columns[col - 1]->nCType)
    {
    case SQL_C_SHORT: {
        if (!ParsePlainInteger(text, n, INT16_MIN, INT16_MAX, number))
            return false;
        const SHORT value = static_cast<SHORT>(number);
        std::memcpy(target, &value, sizeof value);
        indicator = sizeof value;
        return true;
    }
    case SQL_C_LONG: {
        if (!ParsePlainInteger(text, n, INT32_MIN, INT32_MAX, number))
            return false;
        const INT32 value = static_cast<INT32>(number);
        std::memcpy(target, &value, sizeof value);
        indicator = sizeof value;
        return true;
    }
    case SQL_C_SBIGINT:
        if (!ParsePlainInteger(text, n, INT64_MIN, INT64_MAX, number))
            return false;
        std::memcpy(target, &number, sizeof number);
        indicator = sizeof number;
        return true;
    case SQL_C_DOUBLE: {
        double value = 0;
        if (!ParsePlainDouble(text, n, value))
            return false;
        std::memcpy(target, &value, sizeof value);
        indicator = sizeof value;
        return true;
    }
    case SQL_C_TIMESTAMP: {
        const SQLSMALLINT type = m_descs[col - 1].nSQLType;
        const bool dateOnly = type == SQL_TYPE_DATE || type == SQL_DATE;
        TIMESTAMP_STRUCT value{};
        if (IsServerTextColumn(col) ? !ParsePostgresTimestamp(text, n, dateOnly, value)
                                    : !ParsePlainTimestamp(text, n, dateOnly, value,
                                                           m_dateDialect == DateDialect::MySQL))
            return false;
        std::memcpy(target, &value, sizeof value);
        indicator = sizeof value;
        return true;
    }
    default: return false;
    }
}

bool CRRecordset::MakesValueFromText(UINT col, const char* text, SQLLEN length) const
{
    if (length >= 0 && m_columns[col - 1]->nCType == SQL_C_DOUBLE &&
        IsSurelyPlainDouble(text, static_cast<size_t>(length)))
        return true;
    union
    {
        TIMESTAMP_STRUCT ts;
        INT64 i64;
        double d;
    } scratch;
    SQLLEN indicator = 0;
    return ValueFromText(col, text, length, &scratch, indicator);
}

SQLLEN CRRecordset::TextValueSize(const CSQLColumn& rec)
{
    switch (rec.nCType)
    {
    case SQL_C_TIMESTAMP: return sizeof(TIMESTAMP_STRUCT);
    case SQL_C_SHORT: return 2;
    case SQL_C_LONG: return 4;
    default: return 8;
    }
}

// SQLite keeps a value of any kind in any column, and its driver converts each to the column's
// C type as best it can: a text or a blob in an INTEGER column as NULL ('abc', '' or X'00FF'), the
// same as a true NULL, or as the number it begins with ('12abc' as 12, '0x10' as 16); a real there
// as the integer it begins with (1.5 as 1, 9.3e+18 as 9); a date written otherwise
// ('2024-02-29T10:00') as that date, in a DATE column without its time. Its text tells each apart:
// a value whose text is not in its column's plain form is of another kind (a number's text is
// always plain: SQLite writes it so). A real's text is no plain double only where it is infinite
// ("Inf", "-Inf") or written with an exponent; the driver's double is that value.
bool CRRecordset::IsOfAnotherKind(UINT col, const char* text, SQLLEN length, SQLLEN elementSize,
                                  SQLLEN driverIndicator) const
{
    if (length == SQL_NULL_DATA)
        return false;
    // The server's text of a date or timestamp in a form not read here is kept as it is: the
    // driver cannot convert it.
    if (IsServerTextColumn(col))
        return true;
    if (!m_pDatabase || !m_pDatabase->HasDynamicTypes())
        return false;
    if (driverIndicator == SQL_NULL_DATA)
        return true;
    // (The element holds any number's and date's text whole: a longer one is a text.)
    const CSQLColumn& rec = *m_columns[col - 1];
    if (length < 0 || length >= elementSize)
        return true;
    union
    {
        TIMESTAMP_STRUCT ts;
        INT64 i64;
        double d;
    } scratch;
    SQLLEN scratchIndicator = 0;
    if (ValueFromText(col, text, length, &scratch, scratchIndicator))
        return false;
    if (rec.nCType != SQL_C_DOUBLE)
        return true;
    const size_t n = static_cast<size_t>(length);
    if ((n == 3 && std::memcmp(text, "Inf", 3) == 0) ||
        (n == 4 && std::memcmp(text, "-Inf", 4) == 0))
        return false;
    return !IsDecimalNumberText(text, n);
}

std::string CRRecordset::WholeTextOf(UINT col, const char* text, SQLLEN length, SQLLEN elementSize)
{
    if (length >= 0 && length < elementSize)
        return std::string(text, static_cast<size_t>(length));
    std::string whole;
    ReadTextByTerminator(col, whole);
    return whole;
}

// SQLite's driver reports the length of a value read a second time wrong (that of the first
// read): the text is measured by its terminators.
SQLLEN CRRecordset::ReadTextByTerminator(UINT col, std::string& text)
{
    text.clear();
    char chunk[1024];
    for (;;)
    {
        SQLLEN ind = 0;
        SQLRETURN rc;
        do
            rc = SQLGetData(m_hStmt, static_cast<SQLUSMALLINT>(col), SQL_C_CHAR, chunk,
                            sizeof chunk, &ind);
        while (rc == SQL_STILL_EXECUTING);
        if (rc == SQL_NO_DATA)
            break;
        Check(rc);
        if (ind == SQL_NULL_DATA)
            return SQL_NULL_DATA;
        text.append(chunk, strnlen(chunk, sizeof chunk - 1));
        if (rc == SQL_SUCCESS)
            break;
    }
    return static_cast<SQLLEN>(text.size());
}

void CRRecordset::HoldAsText(CSQLColumn& rec, std::string text)
{
    rec.bHeldAsText = true;
    rec.pValueText = nullptr;
    rec.heldText = std::move(text);
    rec.nIndicator = static_cast<SQLLEN>(rec.heldText.size());
}

void CRRecordset::LoadTextElement(UINT col, CSQLColumn& rec, const BYTE* element, SQLLEN ind,
                                  const std::function<void()>& position)
{
    const bool timestamp = rec.nCType == SQL_C_TIMESTAMP;
    void* target = timestamp ? static_cast<void*>(&rec.textTimestamp) : &rec.value;
    if (timestamp)
        rec.value.p = &rec.textTimestamp;
    const char* text = reinterpret_cast<const char*>(element);
    rec.pValueText = nullptr;
    rec.bHeldAsText = false;
    if (ind == SQL_NULL_DATA)
    {
        // (A NULL timestamp reads as zeros, as the driver writes it into a bound one.)
        rec.nIndicator = SQL_NULL_DATA;
        if (timestamp)
            rec.textTimestamp = TIMESTAMP_STRUCT{};
        return;
    }
    // A text that filled the element was cut: the driver converts the whole value.
    if (ind >= 0 && ind < rec.nElementSize && ValueFromText(col, text, ind, target, rec.nIndicator))
    {
        rec.pValueText = text;
        rec.nValueTextLength = ind;
        return;
    }
    position();
    const SQLLEN size = TextValueSize(rec);
    SQLRETURN rc;
    do
        rc = SQLGetData(m_hStmt, static_cast<SQLUSMALLINT>(col),
                        static_cast<SQLSMALLINT>(rec.nCType), target, size, &rec.nIndicator);
    while (rc == SQL_STILL_EXECUTING);
    Check(rc);
    if (IsOfAnotherKind(col, text, ind, rec.nElementSize, rec.nIndicator))
        HoldAsText(rec, WholeTextOf(col, text, ind, rec.nElementSize));
}
