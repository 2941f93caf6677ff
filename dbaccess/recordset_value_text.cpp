// CRRecordset: integer, double and timestamp values read as the driver's text of them. SQLite's
// driver holds every value as text and parses it for each typed buffer it fills; the texts of
// the usual forms are read here instead (cheaper than the driver's parsers), and a value the
// program shows as text is then shown from its text where that is the same. Any other form is
// left to the driver's own conversion, so that nothing reads differently.
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
        TIMESTAMP_STRUCT value{};
        if (!ParsePlainTimestamp(text, n, type == SQL_TYPE_DATE || type == SQL_DATE, value,
                                 m_bZeroDateTexts))
            return false;
        std::memcpy(target, &value, sizeof value);
        indicator = sizeof value;
        return true;
    }
    default: return false;
    }
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

void CRRecordset::LoadTextElement(UINT col, CSQLColumn& rec, const BYTE* element, SQLLEN ind,
                                  const std::function<void()>& position)
{
    const bool timestamp = rec.nCType == SQL_C_TIMESTAMP;
    void* target = timestamp ? static_cast<void*>(&rec.textTimestamp) : &rec.value;
    if (timestamp)
        rec.value.p = &rec.textTimestamp;
    const char* text = reinterpret_cast<const char*>(element);
    rec.pValueText = nullptr;
    if (ind == SQL_NULL_DATA)
    {
        rec.nIndicator = SQL_NULL_DATA;
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
}
