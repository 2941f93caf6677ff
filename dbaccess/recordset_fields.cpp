// CRRecordset: tests on the current value of a column and the typed getters. In unbound mode a
// column's value is read from the driver once per row, on first use, and kept for further reads.
#include "dbaccess/recordset.h"

#include "dbaccess/db_exception.h"
#include "dbaccess/field_text.h"
#include "dbaccess/value_text.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

[[noreturn]] void ThrowNoField(UINT col)
{
    throw new Zelt::CRDBException(
        (L"Failed retrieving data from field " + std::to_wstring(static_cast<int>(col))).c_str());
}

[[noreturn]] void ThrowIncorrectType()
{
    throw new Zelt::CRDBException(L"Incorrect type");
}

[[noreturn]] void ThrowUninitialized()
{
    throw new Zelt::CRDBException(L"Uninitialized field");
}

[[noreturn]] void ThrowHeldAsText(UINT col)
{
    throw new Zelt::CRDBException((L"The value of field #" +
                                   std::to_wstring(static_cast<int>(col)) +
                                   L" is not of its column's type")
                                      .c_str());
}

[[noreturn]] void ThrowWithoutBind()
{
    throw new Zelt::CRDBException(L"Error: check field without bind");
}

bool IsTextOrBinary(int cType)
{
    return cType == SQL_C_CHAR || cType == SQL_C_WCHAR || cType == SQL_C_BINARY;
}

} // namespace

void CRRecordset::ClearUnboundValues()
{
    for (auto& rec : m_columns)
        rec->bLoaded = false;
}

void CRRecordset::LoadUnbound(UINT col, CSQLColumn& rec)
{
    const SQLUSMALLINT c = static_cast<SQLUSMALLINT>(col);
    auto getData = [&](SQLSMALLINT cType, SQLPOINTER target, SQLLEN length) {
        SQLRETURN rc;
        do
            rc = SQLGetData(m_hStmt, c, cType, target, length, &rec.nIndicator);
        while (rc == SQL_STILL_EXECUTING);
        Check(rc);
    };
    rec.nIndicator = SQL_NULL_DATA;
    rec.bWhole = IsTextOrBinary(rec.nCType) || rec.nCType == SQL_C_DEFAULT;
    rec.bHeldAsText = false;
    if (m_pDatabase && m_pDatabase->HasDynamicTypes() && ReadsValueAsText(col))
    {
        // The driver's value, and where it may be of another kind than the column's
        // (IsOfAnotherKind), its text: held as that text if it is.
        if (rec.nCType == SQL_C_TIMESTAMP && !rec.value.p)
            rec.value.p = new BYTE[sizeof(TIMESTAMP_STRUCT)]();
        getData(static_cast<SQLSMALLINT>(rec.nCType),
                rec.nCType == SQL_C_TIMESTAMP ? rec.value.p : &rec.value, TextValueSize(rec));
        std::string text;
        const SQLLEN length = ReadTextByTerminator(col, text);
        if (IsOfAnotherKind(col, text.data(), length, length + 1, rec.nIndicator))
            HoldAsText(rec, std::move(text));
        rec.bLoaded = true;
        return;
    }
    switch (rec.nCType)
    {
    case SQL_C_BIT:
    case SQL_C_TINYINT:
    case SQL_C_UTINYINT: getData(static_cast<SQLSMALLINT>(rec.nCType), &rec.value, 1); break;
    case SQL_C_SHORT:
    case SQL_C_USHORT: getData(static_cast<SQLSMALLINT>(rec.nCType), &rec.value, 2); break;
    case SQL_C_LONG:
    case SQL_C_ULONG:
    case SQL_C_FLOAT: getData(static_cast<SQLSMALLINT>(rec.nCType), &rec.value, 4); break;
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
    case SQL_C_DOUBLE: getData(static_cast<SQLSMALLINT>(rec.nCType), &rec.value, 8); break;
    case SQL_C_TIMESTAMP:
    case SQL_C_GUID:
        if (!rec.value.p)
            rec.value.p = new BYTE[16]();
        if (IsServerTextColumn(col))
        {
            // The value made from the server's text; a text of another form is held as it is.
            std::string text;
            const SQLLEN length = ReadTextByTerminator(col, text);
            rec.nIndicator = length;
            if (length != SQL_NULL_DATA &&
                !ValueFromText(col, text.data(), length, rec.value.p, rec.nIndicator))
                HoldAsText(rec, std::move(text));
            break;
        }
        if (ReadsZeroDates(col))
        {
            // The value made from its text, where a zero date is not NULL (ReadsZeroDates).
            char text[32] = {};
            getData(SQL_C_CHAR, text, sizeof text);
            if (rec.nIndicator != SQL_NULL_DATA &&
                !ValueFromText(col, text,
                               rec.nIndicator < static_cast<SQLLEN>(sizeof text) ? rec.nIndicator
                                                                                 : -1,
                               rec.value.p, rec.nIndicator))
                getData(SQL_C_TIMESTAMP, rec.value.p, 16);
            break;
        }
        getData(static_cast<SQLSMALLINT>(rec.nCType), rec.value.p, 16);
        // (The driver reads a value once: a stand-in that is also a real value stays as read.)
        if (rec.nIndicator == sizeof(TIMESTAMP_STRUCT) && ReadsInfinityStandIns(col))
            CorrectInfinity(col, *static_cast<TIMESTAMP_STRUCT*>(rec.value.p), [] {});
        break;
    case SQL_C_SS_TIMESTAMPOFFSET:
        if (!rec.value.p)
            rec.value.p = new BYTE[20]();
        getData(SQL_C_BINARY, rec.value.p, 20);
        break;
    case SQL_C_BINARY:
        if (!rec.value.bytes)
            rec.value.bytes = new CByteArray;
        rec.nIndicator = ReadWhole(col, SQL_C_BINARY, rec.value.bytes, m_unboundTextA[col - 1],
                                   m_unboundText[col - 1]);
        break;
    default:
        // Text: 8-bit, wide, and of types without a C type of their own in the driver's own
        // conversion.
        rec.nIndicator =
            ReadWhole(col, rec.nCType, nullptr, m_unboundTextA[col - 1], m_unboundText[col - 1]);
        break;
    }
    rec.bLoaded = true;
}

CSQLColumn* CRRecordset::FieldRecord(UINT col)
{
    CSQLColumn* rec = GetColumnBuffer(col);
    if (!rec)
        ThrowNoField(col);
    if (IsUnbound() && !rec->bLoaded)
        LoadUnbound(col, *rec);
    return rec;
}

CSQLColumn* CRRecordset::TypedRecord(UINT col)
{
    CSQLColumn* rec = FieldRecord(col);
    if (rec->bHeldAsText)
        ThrowHeldAsText(col);
    return rec;
}

// ---------------------------------------------------------------------------------------------
// Field tests

bool CRRecordset::IsFieldValid(UINT col)
{
    if (IsUnbound())
        ThrowWithoutBind();
    const CSQLColumn* rec = GetColumnBuffer(col);
    if (!rec)
        return false;
    const SQLLEN ind = rec->nIndicator;
    if (rec->bHeldAsText)
        return true;
    switch (rec->nCType)
    {
    case SQL_C_UTINYINT:
    case SQL_C_BIT:
    case SQL_C_TINYINT: return ind == 1;
    case SQL_C_UBIGINT:
    case SQL_C_SBIGINT:
    case SQL_C_DOUBLE: return ind == 8;
    case SQL_C_ULONG:
    case SQL_C_LONG:
    case SQL_C_FLOAT: return ind == 4;
    case SQL_C_USHORT:
    case SQL_C_SHORT: return ind == 2;
    case SQL_C_GUID:
    case SQL_C_TIMESTAMP: return rec->value.p && ind == 16;
    case SQL_C_SS_TIMESTAMPOFFSET: return rec->value.p && ind == 20;
    case SQL_C_WCHAR:
    case SQL_C_BINARY:
    case SQL_C_CHAR: return ind >= 0;
    case SQL_C_DEFAULT: return false;
    default: Fail((L"Unknown data type " + std::to_wstring(rec->nCType)).c_str());
    }
}

bool CRRecordset::IsFieldNull(UINT col)
{
    if (IsUnbound())
        ThrowWithoutBind();
    const CSQLColumn* rec = GetColumnBuffer(col);
    if (!rec)
        ThrowNoField(col);
    return rec->nIndicator == SQL_NULL_DATA;
}

bool CRRecordset::IsFieldNoTotal(UINT col)
{
    if (IsUnbound())
        ThrowWithoutBind();
    const CSQLColumn* rec = GetColumnBuffer(col);
    if (!rec)
        ThrowNoField(col);
    return rec->nIndicator == SQL_NO_TOTAL;
}

bool CRRecordset::IsFieldEmpty(UINT col)
{
    if (IsUnbound())
        ThrowWithoutBind();
    const CSQLColumn* rec = GetColumnBuffer(col);
    if (!rec)
        ThrowNoField(col);
    return rec->nIndicator == 0;
}

bool CRRecordset::IsFieldHeldAsText(UINT col)
{
    return FieldRecord(col)->bHeldAsText;
}

bool CRRecordset::IsFieldTypeUnknown(UINT col)
{
    const CSQLColumn* rec = GetColumnBuffer(col);
    if (!rec)
        ThrowNoField(col);
    return rec->nCType == SQL_C_DEFAULT;
}

bool CRRecordset::IsFieldTruncated(UINT col)
{
    const CSQLColumn* rec = GetColumnBuffer(col);
    if (!rec)
        ThrowNoField(col);
    // Unbound values are read whole.
    if (IsUnbound() || !IsTextOrBinary(rec->nCType))
        return false;
    if (rec->bUtf8)
        return IsUtf8TextTruncated(*rec);
    // Whatever the declared size: longer than the buffer, or of a length the driver cannot tell.
    return rec->nIndicator == SQL_NO_TOTAL || rec->nIndicator > rec->nBufferSize;
}

// ---------------------------------------------------------------------------------------------
// Typed getters

bool CRRecordset::GetFieldGuid(UINT col, GUID& value)
{
    CSQLColumn* rec = TypedRecord(col);
    if (rec->nCType != SQL_C_GUID)
        ThrowIncorrectType();
    if (!rec->value.p)
        ThrowUninitialized();
    std::memcpy(&value, rec->value.p, sizeof value);
    return LengthRule(rec->nIndicator);
}

bool CRRecordset::GetFieldByte(UINT col, BYTE& value)
{
    CSQLColumn* rec = TypedRecord(col);
    if (rec->nCType != SQL_C_UTINYINT && rec->nCType != SQL_C_TINYINT)
        ThrowIncorrectType();
    value = rec->value.u8;
    return LengthRule(rec->nIndicator);
}

bool CRRecordset::GetFieldBinary(UINT col, CByteArray& value)
{
    CSQLColumn* rec = TypedRecord(col);
    const SQLLEN ind = rec->nIndicator;
    if (rec->nCType == SQL_C_BINARY)
    {
        if (!rec->value.bytes)
            ThrowUninitialized();
        if (IsUnbound())
        {
            if (ind == SQL_NULL_DATA)
            {
                value.RemoveAll();
                return false;
            }
            value.Copy(*rec->value.bytes);
            return true;
        }
        if (ind < 0 && ind != SQL_NO_TOTAL)
        {
            value.RemoveAll();
            return LengthRule(ind);
        }
        // Never more than the buffer holds; a longer value shows as truncated.
        const SQLLEN n = (ind == SQL_NO_TOTAL || ind > rec->nBufferSize) ? rec->nBufferSize : ind;
        value.SetSize(static_cast<INT_PTR>(n));
        if (n)
            std::memcpy(value.GetData(), rec->value.bytes->GetData(), static_cast<size_t>(n));
        return true;
    }
    if (rec->nCType == SQL_C_GUID)
    {
        if (!rec->value.p)
            ThrowUninitialized();
        if (ind != 16)
        {
            value.RemoveAll();
            return LengthRule(ind);
        }
        GuidToBytes(*static_cast<const SQLGUID*>(rec->value.p), value);
        return true;
    }
    ThrowIncorrectType();
}

bool CRRecordset::GetFieldTimestamp(UINT col, TIMESTAMP_STRUCT& value)
{
    CSQLColumn* rec = TypedRecord(col);
    if (rec->nCType != SQL_C_TIMESTAMP && rec->nCType != SQL_C_SS_TIMESTAMPOFFSET)
        ThrowIncorrectType();
    if (!rec->value.p)
        ThrowUninitialized();
    if (rec->nCType == SQL_C_TIMESTAMP)
        std::memcpy(&value, rec->value.p, sizeof value);
    else
        CopyTimestamp(*static_cast<const SQL_SS_TIMESTAMPOFFSET_STRUCT*>(rec->value.p), value);
    return LengthRule(rec->nIndicator);
}

bool CRRecordset::GetFieldTimestampOffset(UINT col, SQL_SS_TIMESTAMPOFFSET_STRUCT& value)
{
    CSQLColumn* rec = TypedRecord(col);
    if (rec->nCType != SQL_C_TIMESTAMP && rec->nCType != SQL_C_SS_TIMESTAMPOFFSET)
        ThrowIncorrectType();
    if (!rec->value.p)
        ThrowUninitialized();
    if (rec->nCType == SQL_C_SS_TIMESTAMPOFFSET)
        std::memcpy(&value, rec->value.p, sizeof value);
    else
        TimestampToTimestampOffset(*static_cast<const TIMESTAMP_STRUCT*>(rec->value.p), value);
    return LengthRule(rec->nIndicator);
}

bool CRRecordset::GetFieldOleDateTime(UINT col, COleDateTime& value)
{
    TIMESTAMP_STRUCT ts{};
    if (!GetFieldTimestamp(col, ts))
        return false;
    value.SetDateTime(ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second);
    return true;
}

bool CRRecordset::GetFieldTime(UINT col, CTime& value)
{
    TIMESTAMP_STRUCT ts{};
    if (!GetFieldTimestamp(col, ts))
        return false;
    value = TimestampToTime(ts, col);
    return true;
}

namespace {

// The value of an integer record widened to 64 bits; false for a type that is no integer.
bool IntegerValue(const CSQLColumn& rec, LONGLONG& out)
{
    switch (rec.nCType)
    {
    case SQL_C_UTINYINT: out = rec.value.u8; return true;
    case SQL_C_TINYINT: out = rec.value.i8; return true;
    case SQL_C_USHORT: out = rec.value.u16; return true;
    case SQL_C_SHORT: out = rec.value.i16; return true;
    case SQL_C_ULONG: out = rec.value.u32; return true;
    case SQL_C_LONG: out = rec.value.i32; return true;
    case SQL_C_UBIGINT:
    case SQL_C_SBIGINT: out = rec.value.i64; return true;
    default: return false;
    }
}

} // namespace

bool CRRecordset::GetFieldDouble(UINT col, double& value)
{
    CSQLColumn* rec = TypedRecord(col);
    LONGLONG n = 0;
    if (rec->nCType == SQL_C_UBIGINT)
        value = static_cast<double>(rec->value.u64);
    else if (IntegerValue(*rec, n))
        value = static_cast<double>(n);
    else if (rec->nCType == SQL_C_FLOAT)
        value = rec->value.f;
    else if (rec->nCType == SQL_C_DOUBLE)
        value = rec->value.d;
    else
        ThrowIncorrectType();
    return LengthRule(rec->nIndicator);
}

bool CRRecordset::GetFieldFloat(UINT col, float& value)
{
    double d = 0;
    const bool present = GetFieldDouble(col, d);
    value = static_cast<float>(d);
    return present;
}

bool CRRecordset::GetFieldBigInt(UINT col, LONGLONG& value)
{
    CSQLColumn* rec = TypedRecord(col);
    if (!IntegerValue(*rec, value))
        ThrowIncorrectType();
    return LengthRule(rec->nIndicator);
}

bool CRRecordset::GetFieldShort(UINT col, short& value)
{
    CSQLColumn* rec = TypedRecord(col);
    switch (rec->nCType)
    {
    case SQL_C_UTINYINT: value = rec->value.u8; break;
    case SQL_C_TINYINT: value = rec->value.i8; break;
    case SQL_C_USHORT:
    case SQL_C_SHORT: value = rec->value.i16; break;
    case SQL_C_SBIGINT: {
        LONGLONG n = 0;
        if (rec->nIndicator == SQL_NULL_DATA)
            return false;
        if (!NarrowIntegerOfWide(GetColumn(col), col, rec->value.i64, INT16_MIN, INT16_MAX, n))
            ThrowIncorrectType();
        value = static_cast<short>(n);
        break;
    }
    default: ThrowIncorrectType();
    }
    return LengthRule(rec->nIndicator);
}

bool CRRecordset::GetFieldLong(UINT col, long& value)
{
    CSQLColumn* rec = TypedRecord(col);
    switch (rec->nCType)
    {
    case SQL_C_UTINYINT: value = rec->value.u8; break;
    case SQL_C_TINYINT: value = rec->value.i8; break;
    case SQL_C_USHORT: value = rec->value.u16; break;
    case SQL_C_SHORT: value = rec->value.i16; break;
    case SQL_C_ULONG:
    case SQL_C_LONG: value = rec->value.i32; break;
    case SQL_C_SBIGINT: {
        LONGLONG n = 0;
        if (rec->nIndicator == SQL_NULL_DATA)
            return false;
        if (!NarrowIntegerOfWide(GetColumn(col), col, rec->value.i64, INT32_MIN, INT32_MAX, n))
            ThrowIncorrectType();
        value = static_cast<long>(n);
        break;
    }
    case SQL_C_FLOAT:
    case SQL_C_DOUBLE: {
        if (!LengthRule(rec->nIndicator))
            return false;
        const double d = rec->nCType == SQL_C_FLOAT ? rec->value.f : rec->value.d;
        if (!DoubleToLong(d, value))
            ThrowValueOutOfRange(col);
        return true;
    }
    default: ThrowIncorrectType();
    }
    return LengthRule(rec->nIndicator);
}

bool CRRecordset::GetFieldInt(UINT col, int& value)
{
    long v = 0;
    const bool present = GetFieldLong(col, v);
    value = static_cast<int>(v);
    return present;
}

bool CRRecordset::GetFieldBool(UINT col, bool& value)
{
    CSQLColumn* rec = TypedRecord(col);
    if (rec->nCType != SQL_C_BIT)
        ThrowIncorrectType();
    value = rec->value.u8 != 0;
    return LengthRule(rec->nIndicator);
}
