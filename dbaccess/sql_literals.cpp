// SQL literals of dates, times, timestamps, texts and binary values for each product, and the
// literal of a cursor's current field value.
#include "dbaccess/database.h"

#include "dbaccess/cursor.h"
#include "dbaccess/sql_text.h"
#include "dbaccess/value_text.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace {

// Fraction digits a product keeps in a time or timestamp literal. The SQL Server datetime
// conversion (style 121) takes milliseconds; datetimeoffset takes 100 ns; Firebird 1/10 ms;
// MySQL and PostgreSQL microseconds; other products get the whole nanosecond value.
int FractionDigits(UINT nKind, bool bOffset)
{
    switch (nKind)
    {
    case DBMS_SQLSERVER:
    case DBMS_MSSQL: return bOffset ? 7 : 3;
    case DBMS_FIREBIRD: return 4;
    case DBMS_MYSQL:
    case DBMS_POSTGRESQL: return 6;
    default: return 9;
    }
}

// The digits after the point: at most nMaxDigits (cut, never rounded, so the seconds never
// change), trailing zeros dropped down to milliseconds.
CString FractionText(SQLUINTEGER nFraction, int nMaxDigits)
{
    wchar_t szDigits[10];
    SQLUINTEGER nValue = nFraction % 1000000000u;
    for (int i = 8; i >= 0; --i)
    {
        szDigits[i] = static_cast<wchar_t>(L'0' + nValue % 10);
        nValue /= 10;
    }
    int nDigits = nMaxDigits;
    while (nDigits > 3 && szDigits[nDigits - 1] == L'0')
        --nDigits;
    szDigits[nDigits] = 0;
    return CString(szDigits);
}

wchar_t OffsetSign(SQLSMALLINT nHour, SQLSMALLINT nMinute)
{
    return (nHour < 0 || nMinute < 0) ? L'-' : L'+';
}

UINT Abs16(SQLSMALLINT n)
{
    return static_cast<UINT>(n < 0 ? -n : n);
}

} // namespace

namespace {

// A year as the literals write it: at least four digits, never wrapped into an unsigned number.
// PostgreSQL writes a year before 1 (its driver hands 44 BC over as -44) as the positive year
// with " BC" after the value; Oracle as a signed year under an SYYYY mask. Neither has a year 0;
// a product without years before 1 gets none: both refused.
struct CYearText
{
    CString strYear;
    CString strSuffix; // after the value, inside the quotes
    bool bSigned = false;
};

CYearText YearText(UINT nKind, int nYear)
{
    CYearText year;
    if (nYear > 0 || (nYear == 0 && nKind != DBMS_POSTGRESQL && nKind != DBMS_ORACLE))
        year.strYear.Format(L"%04d", nYear);
    else if (nYear < 0 && nKind == DBMS_POSTGRESQL)
    {
        year.strYear.Format(L"%04d", -nYear);
        year.strSuffix = L" BC";
    }
    else if (nYear < 0 && nKind == DBMS_ORACLE)
    {
        year.strYear.Format(L"-%04d", -nYear);
        year.bSigned = true;
    }
    else
    {
        CString strMessage;
        strMessage.Format(L"The year %d cannot be written as a date for this database.", nYear);
        throw new Zelt::CRDBException(strMessage.GetString());
    }
    return year;
}

// PostgreSQL's 'infinity' and '-infinity' (see SetInfiniteTimestamp); other products have no
// such dates: refused rather than written as some real date.
CString InfinityLiteral(UINT nKind, int nInfinity)
{
    if (nKind != DBMS_POSTGRESQL)
        throw new Zelt::CRDBException(L"An infinite date cannot be stored in this database.");
    return CString(L"'") + InfinityText(nInfinity) + L"'";
}

// The seconds' fraction of a time or timestamp literal, with its point. SQLite keeps a date as
// the text it was given, which SQLite's own functions write without a fraction
// (CURRENT_TIMESTAMP) or with milliseconds (%f): a whole second is written bare there, so that
// the replayed text is the one read.
CString FractionPart(UINT nKind, SQLUINTEGER nFraction)
{
    if (nKind == DBMS_SQLITE && nFraction == 0)
        return CString();
    return L"." + FractionText(nFraction, FractionDigits(nKind, false));
}

// A date past 9999 read as its year alone (see SetFarFutureTimestamp): no literal would be the
// value.
[[noreturn]] void RefuseFarFuture()
{
    throw new Zelt::CRDBException(
        L"A date after the year 9999 cannot be read through this database's driver, so it "
        L"cannot be written out.");
}

} // namespace

CString CRDatabase::FormatDateLiteral(UINT nKind, const DATE_STRUCT& value)
{
    CString s;
    if (value.month == 0 && value.day == 0 && (value.year == SHRT_MAX || value.year == SHRT_MIN))
        return InfinityLiteral(nKind, value.year == SHRT_MAX ? 1 : -1);
    if (IsFarFutureTimestamp(value))
        RefuseFarFuture();
    CYearText year = YearText(nKind, value.year);
    if (nKind == DBMS_ACCESS)
        s.Format(L"CDate('%s-%02u-%02u')", year.strYear.GetString(), (UINT)value.month,
                 (UINT)value.day);
    else if (nKind == DBMS_ORACLE)
        s.Format(L"TO_DATE('%s/%02u/%02u', '%sYYYY/MM/DD')", year.strYear.GetString(),
                 (UINT)value.month, (UINT)value.day, year.bSigned ? L"S" : L"");
    else
        s.Format(L"'%s-%02u-%02u%s'", year.strYear.GetString(), (UINT)value.month, (UINT)value.day,
                 year.strSuffix.GetString());
    return s;
}

CString CRDatabase::FormatTimeLiteral(UINT nKind, const TIMESTAMP_STRUCT& value)
{
    CString s;
    if (nKind == DBMS_ACCESS)
        s.Format(L"CDate('%02u:%02u:%02u')", (UINT)value.hour, (UINT)value.minute,
                 (UINT)value.second);
    else if (nKind == DBMS_ORACLE)
        s.Format(L"TO_DATE('%02u:%02u:%02u', 'HH24:MI:SS')", (UINT)value.hour, (UINT)value.minute,
                 (UINT)value.second);
    else
    {
        s.Format(L"'%02u:%02u:%02u%s'", (UINT)value.hour, (UINT)value.minute, (UINT)value.second,
                 FractionPart(nKind, value.fraction).GetString());
        if (nKind == DBMS_SQLSERVER || nKind == DBMS_MSSQL)
            s = L"convert(time, " + s + L", 8)";
    }
    return s;
}

CString CRDatabase::FormatTimestampLiteral(UINT nKind, const TIMESTAMP_STRUCT& value)
{
    CString s;
    if (const int nInfinity = TimestampInfinity(value))
        return InfinityLiteral(nKind, nInfinity);
    if (IsFarFutureTimestamp(value))
        RefuseFarFuture();
    CYearText year = YearText(nKind, value.year);
    if (nKind == DBMS_ACCESS)
        s.Format(L"CDate('%s-%02u-%02u %02u:%02u:%02u')", year.strYear.GetString(),
                 (UINT)value.month, (UINT)value.day, (UINT)value.hour, (UINT)value.minute,
                 (UINT)value.second);
    else if (nKind == DBMS_ORACLE)
        s.Format(L"TO_DATE('%s/%02u/%02u %02u:%02u:%02u', '%sYYYY/MM/DD HH24:MI:SS')",
                 year.strYear.GetString(), (UINT)value.month, (UINT)value.day, (UINT)value.hour,
                 (UINT)value.minute, (UINT)value.second, year.bSigned ? L"S" : L"");
    else
    {
        s.Format(L"'%s-%02u-%02u %02u:%02u:%02u%s%s'", year.strYear.GetString(), (UINT)value.month,
                 (UINT)value.day, (UINT)value.hour, (UINT)value.minute, (UINT)value.second,
                 FractionPart(nKind, value.fraction).GetString(), year.strSuffix.GetString());
        if (nKind == DBMS_SQLSERVER || nKind == DBMS_MSSQL)
            s = L"convert(datetime, " + s + L", 121)";
    }
    return s;
}

CString CRDatabase::FormatTimestampOffsetLiteral(UINT nKind,
                                                 const SQL_SS_TIMESTAMPOFFSET_STRUCT& value)
{
    if (nKind == DBMS_ACCESS || nKind == DBMS_ORACLE)
    {
        TIMESTAMP_STRUCT ts = {value.year,   value.month,  value.day,     value.hour,
                               value.minute, value.second, value.fraction};
        return FormatTimestampLiteral(nKind, ts);
    }
    if (const int nInfinity = TimestampInfinity(value))
        return InfinityLiteral(nKind, nInfinity);
    if (IsFarFutureTimestamp(value))
        RefuseFarFuture();
    CYearText year = YearText(nKind, value.year);
    CString s;
    s.Format(L"'%s-%02u-%02u %02u:%02u:%02u.%s %c%02u:%02u%s'", year.strYear.GetString(),
             (UINT)value.month, (UINT)value.day, (UINT)value.hour, (UINT)value.minute,
             (UINT)value.second,
             FractionText(value.fraction, FractionDigits(nKind, true)).GetString(),
             OffsetSign(value.timezone_hour, value.timezone_minute), Abs16(value.timezone_hour),
             Abs16(value.timezone_minute), year.strSuffix.GetString());
    return s;
}

namespace {

bool IsHexDigit(wchar_t ch)
{
    return (ch >= L'0' && ch <= L'9') || (ch >= L'A' && ch <= L'F') || (ch >= L'a' && ch <= L'f');
}

// MySQL text as a hexadecimal string of UTF-8 bytes with a character set: the one literal that
// holds U+0000 while backslashes are not escapes.
CString MySQLHexText(const wchar_t* pText, int nLength)
{
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring out = L"_utf8mb4 X'";
    int nBytes =
        nLength ? WideCharToMultiByte(CP_UTF8, 0, pText, nLength, nullptr, 0, nullptr, nullptr) : 0;
    std::string bytes(static_cast<size_t>(nBytes), '\0');
    if (nBytes)
        WideCharToMultiByte(CP_UTF8, 0, pText, nLength, bytes.data(), nBytes, nullptr, nullptr);
    for (unsigned char ch : bytes)
    {
        out += kDigits[ch >> 4];
        out += kDigits[ch & 15];
    }
    out += L'\'';
    return CString(out.c_str(), static_cast<int>(out.size()));
}

void AppendConcatenation(const std::vector<std::wstring>& terms, size_t nFirst, size_t nEnd,
                         std::wstring& out)
{
    if (nEnd - nFirst == 1)
    {
        out += terms[nFirst];
        return;
    }
    size_t nMiddle = nFirst + (nEnd - nFirst) / 2;
    out += L'(';
    AppendConcatenation(terms, nFirst, nMiddle, out);
    out += L" || ";
    AppendConcatenation(terms, nMiddle, nEnd, out);
    out += L')';
}

} // namespace

CString CRDatabase::QuoteText(UINT nKind, const wchar_t* pText, int nLength, UINT nRules)
{
    const bool bBackslashEscapes = (nRules & literalBackslashEscapes) != 0;
    bool bBackslash = false, bNul = false;
    for (int i = 0; i < nLength; ++i)
    {
        bBackslash = bBackslash || pText[i] == L'\\';
        bNul = bNul || pText[i] == 0;
    }
    // Only MySQL's escapes can write U+0000 (\0); PostgreSQL refuses it in any text.
    if (bNul && !(bBackslashEscapes && nKind == DBMS_MYSQL))
    {
        if (nKind == DBMS_MYSQL)
            return MySQLHexText(pText, nLength);
        throw new Zelt::CRDBException(
            L"The text holds the character U+0000, which cannot be written as a literal for "
            L"this database.");
    }

    // PostgreSQL reads backslashes in '...' as escapes while standard_conforming_strings is off
    // and as themselves while it is on; in E'...' they are escapes under either setting.
    const bool bEscapeForm = nKind == DBMS_POSTGRESQL && bBackslash;
    const bool bEscapeBackslashes = bBackslashEscapes || bEscapeForm;
    const wchar_t* pszOpen = L"'";
    if (nKind == DBMS_SQLSERVER || nKind == DBMS_ORACLE || nKind == DBMS_MSSQL)
        pszOpen = L"N'";
    else if (bEscapeForm)
        pszOpen = L"E'";

    // Terms of the result: quoted runs and, where characters above U+FFFF are written as code
    // points, char(...) calls between them.
    std::vector<std::wstring> terms(1, pszOpen);
    bool bInRun = true;
    for (int i = 0; i < nLength; ++i)
    {
        wchar_t ch = pText[i];
        if ((nRules & literalSupplementaryAsChar) && IS_HIGH_SURROGATE(ch) && i + 1 < nLength &&
            IS_LOW_SURROGATE(pText[i + 1]))
        {
            UINT nCodePoint = 0x10000 + ((ch - 0xD800u) << 10) + (pText[i + 1] - 0xDC00u);
            ++i;
            // char() takes up to 100 arguments here and in every build of SQLite.
            if (bInRun || std::count(terms.back().begin(), terms.back().end(), L',') >= 99)
            {
                if (bInRun)
                    terms.back() += L'\'';
                terms.emplace_back(L"char(");
            }
            else
                terms.back().back() = L',';
            terms.back() += std::to_wstring(nCodePoint) + L")";
            bInRun = false;
            continue;
        }
        if (!bInRun)
        {
            terms.emplace_back(L"'");
            bInRun = true;
        }
        std::wstring& run = terms.back();
        if (ch == L'\'')
            run += L"''";
        else if (ch == L'\\' && bEscapeBackslashes)
            run += L"\\\\";
        else if (ch == 0)
            run += L"\\0";
        else
            run += ch;
    }
    if (bInRun)
        terms.back() += L'\'';
    if (terms.size() == 1)
        return CString(terms[0].c_str(), static_cast<int>(terms[0].size()));
    // Balanced, so that a text with many such characters stays within the parser's depth limit.
    std::wstring out;
    AppendConcatenation(terms, 0, terms.size(), out);
    return CString(out.c_str(), static_cast<int>(out.size()));
}

CString CRDatabase::FormatStringLiteral(UINT nKind, LPCWSTR pszText)
{
    // MySQL reads a backslash in a literal as an escape character unless the session's mode
    // says otherwise; without a session its default holds.
    return QuoteText(nKind, pszText, pszText ? static_cast<int>(wcslen(pszText)) : 0,
                     nKind == DBMS_MYSQL ? literalBackslashEscapes : 0);
}

CString CRDatabase::FormatStringLiteral(UINT nKind, const CString& text)
{
    return QuoteText(nKind, text.GetString(), text.GetLength(),
                     nKind == DBMS_MYSQL ? literalBackslashEscapes : 0);
}

CString CRDatabase::FormatBinaryLiteral(UINT nKind, LPCWSTR pszHex)
{
    CString strHex = pszHex ? pszHex : L"";
    // The digits go into the statement as they are: anything else could end the literal.
    for (int i = 0; i < strHex.GetLength(); ++i)
        if (!IsHexDigit(strHex[i]))
            throw new Zelt::CRDBException(L"A binary value must be given as hexadecimal digits.");
    if (strHex.GetLength() % 2 != 0)
        throw new Zelt::CRDBException(L"A binary value needs two hexadecimal digits per byte.");
    switch (nKind)
    {
    case DBMS_ACCESS:
    case DBMS_SQLSERVER:
    case DBMS_MSSQL: return L"0x" + strHex;
    // The bytea input form \x..., its backslash doubled inside E'...' so that it reads the
    // same under either standard_conforming_strings setting.
    case DBMS_POSTGRESQL: return L"E'\\\\x" + strHex + L"'";
    case DBMS_ORACLE: return L"HEXTORAW('" + strHex + L"')";
    default: return L"X'" + strHex + L"'";
    }
}

namespace {

// Digits with a sign, a point and an exponent as SQL reads a number, blanks around them.
bool IsPlainNumber(const CString& strText)
{
    const wchar_t* p = strText.GetString();
    while (*p == L' ')
        ++p;
    if (*p == L'+' || *p == L'-')
        ++p;
    int nDigits = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p)
        ++nDigits;
    if (*p == L'.')
        for (++p; *p >= L'0' && *p <= L'9'; ++p)
            ++nDigits;
    if (nDigits == 0)
        return false;
    if (*p == L'e' || *p == L'E')
    {
        ++p;
        if (*p == L'+' || *p == L'-')
            ++p;
        if (*p < L'0' || *p > L'9')
            return false;
        while (*p >= L'0' && *p <= L'9')
            ++p;
    }
    while (*p == L' ')
        ++p;
    return *p == 0;
}

// PostgreSQL's text of an interval under IntervalStyle sql_standard gives a negative day and time
// one sign ("-1 2:03:04": minus a day, two hours, three minutes and four seconds), which a
// session of any other style reads as a negative day and a positive time. Written with the sign
// on each part ("-1 -2:03:04"), it reads the same under every style; any other text is left.
CString IntervalTextOfEveryStyle(const CString& strText)
{
    const wchar_t* p = strText.GetString();
    if (*p++ != L'-' || *p < L'0' || *p > L'9')
        return strText;
    while (*p >= L'0' && *p <= L'9')
        ++p;
    if (*p != L' ')
        return strText;
    const int nSpace = static_cast<int>(p - strText.GetString());
    ++p;
    auto digits = [&p](int nMin, int nMax) {
        int n = 0;
        for (; *p >= L'0' && *p <= L'9'; ++p)
            ++n;
        return n >= nMin && n <= nMax;
    };
    if (!digits(1, 20) || *p++ != L':' || !digits(2, 2) || *p++ != L':' || !digits(2, 2))
        return strText;
    if (*p == L'.')
    {
        ++p;
        if (!digits(1, 9))
            return strText;
    }
    if (*p != 0)
        return strText;
    return strText.Left(nSpace + 1) + L"-" + strText.Mid(nSpace + 1);
}

bool IsPostgresInterval(Zelt::ICursor* pCursor, UINT nColumn)
{
    const Zelt::ICursor::CColumnDesc* pDesc = pCursor->GetColumn(nColumn);
    // ("interval day to second" and the like: an interval with fields.)
    return pDesc && pDesc->strTypeName.Left(8) == L"interval";
}

// A number as SQLite writes one: digits with a sign, a point and an exponent, nothing around them.
bool IsStoredNumberText(const CString& strText)
{
    return !strText.IsEmpty() && strText[0] != L' ' && strText[0] != L'+' &&
           strText[strText.GetLength() - 1] != L' ' && IsPlainNumber(strText);
}

// Not-a-number and the infinities as their text comes from the cursors ("nan", "-inf", and the
// drivers' own "NaN", "Infinity" in numbers-as-text mode), written the way the target reads
// them; no other number is touched but a floating-point zero with its sign for PostgreSQL,
// which keeps that sign: it reads a bare -0 as the integer 0, a quoted one as the column's type.
CString SpecialNumberLiteral(UINT nTargetKind, const CString& strText, bool bFloating)
{
    CString strWord = strText;
    strWord.Trim();
    if (bFloating && nTargetKind == DBMS_POSTGRESQL && IsNegativeZeroText(strWord))
        return L"'" + strWord + L"'";
    bool bNegative = false;
    if (!strWord.IsEmpty() && (strWord[0] == L'-' || strWord[0] == L'+'))
    {
        bNegative = strWord[0] == L'-';
        strWord = strWord.Mid(1);
    }
    const bool bNaN = strWord.CompareNoCase(L"nan") == 0;
    const bool bInfinity =
        strWord.CompareNoCase(L"inf") == 0 || strWord.CompareNoCase(L"infinity") == 0;
    if (!bNaN && !bInfinity)
    {
        // The driver's text of a number-like type that is no plain number (PostgreSQL's money
        // comes as "$1,234.50") goes in quoted, which the target reads as the column's type;
        // bare, it would be other values or no statement at all.
        return IsPlainNumber(strText) ? strText
                                      : CRDatabase::FormatStringLiteral(nTargetKind, strText);
    }
    if (nTargetKind == DBMS_POSTGRESQL)
        return bNaN ? L"'NaN'" : (bNegative ? L"'-Infinity'" : L"'Infinity'");
    // SQLite reads a number too large for a double as an infinity, and keeps no NaN.
    if (nTargetKind == DBMS_SQLITE && bInfinity)
        return bNegative ? L"-9e999" : L"9e999";
    if (nTargetKind == DBMS_ORACLE)
        return bNaN ? L"BINARY_DOUBLE_NAN"
                    : (bNegative ? L"-BINARY_DOUBLE_INFINITY" : L"BINARY_DOUBLE_INFINITY");
    throw new Zelt::CRDBException(
        bNaN ? L"The value NaN (not a number) cannot be stored in this database."
             : L"An infinite value cannot be stored in this database.");
}

} // namespace

CString CRDatabase::FormatFieldLiteral(UINT nTargetKind, Zelt::ICursor* pCursor, UINT nColumn)
{
    int nCType = pCursor->GetColumnCType(nColumn);
    int nSQLType = pCursor->GetColumnSQLType(nColumn);
    if (nTargetKind < 1 || nTargetKind > DBMS_SQLITE)
        return CString();
    // A SQLite blob read as its text (X'00FF') is written as that blob for SQLite, which reads
    // the text as its literal; the other targets get the text, as they always have.
    if (nTargetKind == DBMS_SQLITE)
    {
        const int nForm = pCursor->GetFieldBlobForm(nColumn);
        if (nForm == Zelt::ICursor::kBlobFormBlob)
        {
            CString strText;
            pCursor->GetFieldText(nColumn, strText);
            return strText;
        }
        if (nForm == Zelt::ICursor::kBlobFormEither)
        {
            CString strText;
            pCursor->GetFieldText(nColumn, strText);
            throw new Zelt::CRDBException(
                L"The value " + strText +
                L" may be a blob or a text written as one: the column holds both, and the "
                L"program cannot tell which this row holds.");
        }
    }
    // A value of another kind than its column's is written as it is stored: a number (SQLite's
    // 1.5 in an INTEGER column, whose text is always a plain number or "Inf") as that number,
    // anything else as the text it is (which a database of such values keeps as text; another
    // refuses it, or converts it as it would).
    if (pCursor->IsFieldHeldAsText(nColumn))
    {
        CString strText;
        pCursor->GetFieldText(nColumn, strText);
        if (IsStoredNumberText(strText))
            return strText;
        if (strText == L"Inf" || strText == L"-Inf")
            return SpecialNumberLiteral(nTargetKind, strText, true);
        if (nTargetKind == DBMS_POSTGRESQL && IsPostgresInterval(pCursor, nColumn))
            strText = IntervalTextOfEveryStyle(strText);
        return FormatStringLiteral(nTargetKind, strText);
    }

    switch (nCType)
    {
    case SQL_C_GUID:
    case SQL_C_CHAR:
    case SQL_C_WCHAR: {
        CString strText;
        if (!pCursor->GetFieldText(nColumn, strText))
            return L"NULL";
        if (nTargetKind == DBMS_POSTGRESQL && IsPostgresInterval(pCursor, nColumn))
            strText = IntervalTextOfEveryStyle(strText);
        return FormatStringLiteral(nTargetKind, strText);
    }
    case SQL_C_BINARY: {
        CString strHex;
        if (!pCursor->GetFieldText(nColumn, strHex))
            return L"NULL";
        return FormatBinaryLiteral(nTargetKind, strHex);
    }
    case SQL_C_TIMESTAMP: {
        TIMESTAMP_STRUCT ts = {};
        if (!pCursor->GetFieldTimestamp(nColumn, ts))
            return L"NULL";
        if (nSQLType == SQL_DATE || nSQLType == SQL_TYPE_DATE)
        {
            DATE_STRUCT date = {ts.year, ts.month, ts.day};
            return FormatDateLiteral(nTargetKind, date);
        }
        if (nSQLType == SQL_TIME || nSQLType == SQL_TYPE_TIME ||
            (nSQLType == SQL_SS_TIME2 && m_nDBMSKind == DBMS_MSSQL))
            return FormatTimeLiteral(nTargetKind, ts);
        return FormatTimestampLiteral(nTargetKind, ts);
    }
    case SQL_C_SS_TIMESTAMPOFFSET:
        if (m_nDBMSKind == DBMS_MSSQL)
        {
            SQL_SS_TIMESTAMPOFFSET_STRUCT value = {};
            if (!pCursor->GetFieldTimestampOffset(nColumn, value))
                return L"NULL";
            if (nTargetKind != DBMS_ORACLE)
                return FormatTimestampOffsetLiteral(nTargetKind, value);
            CString strFraction, strFormatFraction;
            if (value.fraction != 0)
            {
                strFraction = L"." + FractionText(value.fraction, 9);
                strFormatFraction.Format(L".FF%d", strFraction.GetLength() - 1);
            }
            CYearText year = YearText(nTargetKind, value.year);
            CString s;
            s.Format(L"TO_TIMESTAMP_TZ('%s/%02u/%02u %02u:%02u:%02u%s %c%02u:%02u', "
                     L"'%sYYYY/MM/DD HH24:MI:SS%s TZH:TZM')",
                     year.strYear.GetString(), (UINT)value.month, (UINT)value.day, (UINT)value.hour,
                     (UINT)value.minute, (UINT)value.second, strFraction.GetString(),
                     OffsetSign(value.timezone_hour, value.timezone_minute),
                     Abs16(value.timezone_hour), Abs16(value.timezone_minute),
                     year.bSigned ? L"S" : L"", strFormatFraction.GetString());
            return s;
        }
        break;
    }
    CString strText;
    if (!pCursor->GetFieldText(nColumn, strText))
        return L"NULL";
    return SpecialNumberLiteral(nTargetKind, strText,
                                nSQLType == SQL_FLOAT || nSQLType == SQL_REAL ||
                                    nSQLType == SQL_DOUBLE);
}
