// CRRecordset: the current value of a column as text, numbers fetched as text, and the table a
// SELECT reads.
#include "dbaccess/recordset.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/field_text.h"
#include "dbaccess/sql_text.h"
#include "dbaccess/utf8_text.h"
#include "dbaccess/value_text.h"

#include <cstring>
#include <string>

namespace {

[[noreturn]] void ThrowNoField(UINT col)
{
    throw new Zelt::CRDBException(
        (L"Failed retrieving data from field " + std::to_wstring(static_cast<int>(col))).c_str());
}

// A number the driver wrote as a plain decimal (an optional minus, digits, and a point followed
// by digits or nothing) is already in the normalized form but for the zeros that pad its
// fraction to the scale: it is widened as it stands. Other forms (exponents, a comma, a lone
// point, a plus) take the general way; false sends them there.
// How many zeros PlainNumberText pads the number with, or -1 for a text of another form.
int PlainNumberPad(const char* p, size_t n, int scale)
{
    size_t i = 0;
    if (i < n && p[i] == '-')
        ++i;
    const size_t digitsFrom = i;
    while (i < n && p[i] >= '0' && p[i] <= '9')
        ++i;
    if (i == digitsFrom)
        return -1;
    int fraction = 0;
    if (i < n && p[i] == '.')
    {
        ++i;
        for (; i < n && p[i] >= '0' && p[i] <= '9'; ++i)
            ++fraction;
        if (fraction == 0)
            return -1;
    }
    if (i != n)
        return -1;
    return scale > fraction ? scale - fraction : 0;
}

bool PlainNumberText(const char* p, size_t n, int scale, CString& out)
{
    const int pad = PlainNumberPad(p, n, scale);
    if (pad < 0)
        return false;
    const bool point = std::memchr(p, '.', n) != nullptr;
    const int length = static_cast<int>(n) + pad + (pad && !point ? 1 : 0);
    wchar_t* w = out.GetBuffer(length);
    for (size_t k = 0; k < n; ++k)
        w[k] = static_cast<wchar_t>(p[k]);
    wchar_t* end = w + n;
    if (pad && !point)
        *end++ = L'.';
    for (int k = 0; k < pad; ++k)
        *end++ = L'0';
    out.ReleaseBuffer(length);
    return true;
}

bool IsFloatingColumn(CRRecordset& rs, UINT col)
{
    const Zelt::ICursor::CColumnDesc* desc = col < 1 ? nullptr : rs.GetColumn(col);
    return desc && (desc->nSQLType == SQL_FLOAT || desc->nSQLType == SQL_REAL ||
                    desc->nSQLType == SQL_DOUBLE);
}

void WidenText(const char* p, SQLLEN n, CString& out)
{
    wchar_t* w = out.GetBuffer(static_cast<int>(n));
    for (SQLLEN k = 0; k < n; ++k)
        w[k] = static_cast<wchar_t>(static_cast<unsigned char>(p[k]));
    out.ReleaseBuffer(static_cast<int>(n));
}

} // namespace

// Formats a record that holds the current value (bound, or read in unbound mode).
bool CRRecordset::TextOfRecord(UINT col, CSQLColumn& rec, CString& value)
{
    const CColumnDesc* desc = GetColumn(col);
    const SQLLEN ind = rec.nIndicator;
    if (rec.bHeldAsText)
    {
        // The driver's 8-bit text of it.
        const std::string& text = rec.heldText;
        if (NarrowTextIsUtf8())
        {
            std::wstring wide(Utf16LengthOfUtf8(text.data(), text.size()), L'\0');
            Utf8ToUtf16(text.data(), text.size(), wide.data(), wide.size());
            value.SetString(wide.data(), static_cast<int>(wide.size()));
        }
        else
            value = CString(CStringA(text.data(), static_cast<int>(text.size())));
        return true;
    }
    switch (rec.nCType)
    {
    case SQL_C_SS_TIMESTAMPOFFSET:
        value =
            FormatTimestampOffset(static_cast<const SQL_SS_TIMESTAMPOFFSET_STRUCT*>(rec.value.p));
        return true;
    case SQL_C_UTINYINT: SetUnsignedText(value, rec.value.u8); return true;
    case SQL_C_USHORT: SetUnsignedText(value, rec.value.u16); return true;
    case SQL_C_ULONG: SetUnsignedText(value, rec.value.u32); return true;
    case SQL_C_UBIGINT: SetUnsignedText(value, rec.value.u64); return true;
    case SQL_C_SBIGINT:
    case SQL_C_LONG:
    case SQL_C_SHORT:
        // An integer read from its plain text is that text.
        if (rec.pValueText)
            WidenText(rec.pValueText, rec.nValueTextLength, value);
        else
            SetSignedText(value, rec.nCType == SQL_C_SBIGINT ? rec.value.i64
                                 : rec.nCType == SQL_C_LONG  ? rec.value.i32
                                                             : rec.value.i16);
        return true;
    case SQL_C_BIT: SetSignedText(value, rec.value.u8); return true;
    case SQL_C_TINYINT: SetSignedText(value, rec.value.i8); return true;
    case SQL_C_FLOAT: SetDoubleText(value, rec.value.f, desc); return true;
    case SQL_C_DOUBLE:
        if (!rec.pValueText || !SetDoubleTextOfDecimal(
                                   value, rec.pValueText, static_cast<size_t>(rec.nValueTextLength),
                                   desc, m_bShortestDoubleTexts && IsFloatingColumn(*this, col)))
            SetDoubleText(value, rec.value.d, desc);
        return true;
    case SQL_C_TIMESTAMP:
        SetTimestampText(value, static_cast<const TIMESTAMP_STRUCT*>(rec.value.p),
                         desc ? desc->nSQLType : SQL_TIMESTAMP);
        return true;
    case SQL_C_GUID:
        if (!rec.value.p)
            throw new Zelt::CRDBException(L"Uninitialized field");
        value = FormatGuid(*static_cast<const SQLGUID*>(rec.value.p));
        return true;
    case SQL_C_BINARY: {
        const CByteArray* bytes = rec.value.bytes;
        if (!bytes)
        {
            value.Empty();
            return true;
        }
        const size_t held = IsUnbound() ? static_cast<size_t>(bytes->GetSize())
                                        : static_cast<size_t>(rec.nBufferSize);
        const size_t n = ind == SQL_NO_TOTAL ? held : static_cast<size_t>(ind);
        value = MakeStringN(bytes->GetData(), n, held);
        return true;
    }
    case SQL_C_WCHAR: {
        if (rec.bWhole)
        {
            value = m_unboundText[col - 1];
            return true;
        }
        if (rec.bUtf8)
        {
            Utf8TextOfRecord(rec, value);
            return true;
        }
        SQLLEN bytes = ind > rec.nBufferSize ? rec.nBufferSize : ind;
        value.SetString(static_cast<const wchar_t*>(rec.value.p),
                        static_cast<int>(bytes / sizeof(wchar_t)));
        return true;
    }
    case SQL_C_CHAR: {
        const char* chars = static_cast<const char*>(rec.value.p);
        size_t length = 0;
        if (rec.bWhole)
        {
            chars = m_unboundTextA[col - 1].GetString();
            length = static_cast<size_t>(m_unboundTextA[col - 1].GetLength());
        }
        else
        {
            length = static_cast<size_t>(ind > rec.nBufferSize ? rec.nBufferSize : ind);
        }
        const bool number =
            IsNumericAsText() && desc && Zelt::IsDecimalSQLType(desc->nSQLType) && chars;
        if (number && PlainNumberText(chars, length, TextScale(col), value))
            return true;
        CStringA text(chars, static_cast<int>(length));
        if (number && NormalizeNumberText(col, static_cast<LPCSTR>(text), value))
            return true;
        value = CString(text);
        return true;
    }
    case SQL_C_DEFAULT:
        // Unbound mode reads such columns in the driver's own text conversion.
        if (IsUnbound())
            value = m_unboundText[col - 1];
        else
            value.Empty();
        return true;
    default: Fail((L"Unknown data type " + std::to_wstring(rec.nCType)).c_str());
    }
}

// A bound number held as text that TextOfRecord would widen as it stands (no zeros to pad).
bool CRRecordset::NumberTextAsIs(UINT col, const CSQLColumn& rec, const char*& text, size_t& length)
{
    const CColumnDesc* desc = GetColumn(col);
    if (rec.nCType != SQL_C_CHAR || rec.bWhole || !rec.value.p || !IsNumericAsText() || !desc ||
        !Zelt::IsDecimalSQLType(desc->nSQLType))
        return false;
    const SQLLEN ind = rec.nIndicator;
    if (ind < 0 || ind > rec.nBufferSize)
        return false;
    const char* chars = static_cast<const char*>(rec.value.p);
    if (PlainNumberPad(chars, static_cast<size_t>(ind), TextScale(col)) != 0)
        return false;
    text = chars;
    length = static_cast<size_t>(ind);
    return true;
}

bool CRRecordset::GetFieldText(UINT col, CString& value)
{
    // Every way out sets the text (emptied for NULL); the string's buffer is reused meanwhile.
    CSQLColumn* rec = GetColumnBuffer(col);
    if (!rec || !GetColumn(col))
    {
        value.Empty();
        ThrowNoField(col);
    }

    if (IsUnbound())
    {
        FieldRecord(col);
        if (rec->nCType == SQL_C_DEFAULT)
            return TextOfRecord(col, *rec, value) && rec->nIndicator != SQL_NULL_DATA;
        if (!LengthRule(rec->nIndicator))
        {
            value.Empty();
            return false;
        }
        return TextOfRecord(col, *rec, value);
    }

    if (rec->nIndicator == SQL_NO_TOTAL)
    {
        // The driver could not tell the length: read the value in pieces.
        if (rec->nCType == SQL_C_WCHAR)
            return ReadTextW(col, value);
        if (rec->nCType == SQL_C_CHAR)
        {
            CStringA text;
            if (!ReadTextA(col, text))
                return false;
            if (!(IsNumericAsText() && NormalizeNumberText(col, static_cast<LPCSTR>(text), value)))
                value = CString(text);
            return true;
        }
        return TextOfRecord(col, *rec, value);
    }
    if (!IsFieldValid(col))
    {
        value.Empty();
        return LengthRule(rec->nIndicator);
    }
    return TextOfRecord(col, *rec, value);
}

bool CRRecordset::GetFieldTextA(UINT col, CStringA& value)
{
    value.Empty();
    CString wide;
    if (!GetFieldText(col, wide))
        return false;
    value = CStringA(wide);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Numbers as text

// PostgreSQL writes a numeric with the scale the value holds (12.50, 7), which a numeric without
// a declared scale keeps per value; psqlODBC declares such a column with a scale of its own (6)
// that the value never had. Other drivers' texts are padded to the column's scale.
int CRRecordset::TextScale(UINT col)
{
    if (col < 1 || (m_pDatabase && m_pDatabase->GetDBMSKind() == DBMS_POSTGRESQL))
        return 0;
    const CColumnDesc* desc = GetColumn(col);
    return desc && desc->nDecimalDigits > 0 ? desc->nDecimalDigits : 0;
}

bool CRRecordset::NormalizeNumberText(UINT col, LPCWSTR pszText, CString& out)
{
    out.Empty();
    return ::NormalizeNumberText(pszText, TextScale(col), out, IsFloatingColumn(*this, col));
}

bool CRRecordset::NormalizeNumberText(UINT col, LPCSTR pszText, CStringA& out)
{
    out.Empty();
    return ::NormalizeNumberTextA(pszText, TextScale(col), out, IsFloatingColumn(*this, col));
}

bool CRRecordset::NormalizeNumberText(UINT col, LPCSTR pszText, CString& out)
{
    CStringA narrow;
    if (!NormalizeNumberText(col, pszText, narrow))
    {
        out.Empty();
        return false;
    }
    out = CString(narrow);
    return true;
}

bool CRRecordset::NormalizeNumberText(UINT col, LPCWSTR pszText, CStringA& out)
{
    CString wide;
    if (!NormalizeNumberText(col, pszText, wide))
    {
        out.Empty();
        return false;
    }
    out = CStringA(wide);
    return true;
}

CString CRRecordset::GetTableName()
{
    return ParseSelectTableName(m_strSQL);
}
