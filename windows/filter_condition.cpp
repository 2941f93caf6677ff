// Filter condition text.
#include "windows/filter_condition.h"

#include "dbaccess/database.h"
#include "dbaccess/sql_names.h"
#include "dbaccess/sql_text.h"
#include "util/utility.h"

#include <vector>

namespace {

const wchar_t* const kOperationTexts[kFilterOperationCount] = {
    L"=", L"<>", L">", L">=", L"<", L"<=", L"LIKE", L"NOT LIKE", L"IN", L"NOT IN"};
const wchar_t* const kOperationSQL[kFilterOperationCount] = {
    L"=", L"<>", L">", L">=", L"<", L"<=", L" LIKE ", L" NOT LIKE ", L" IN ", L" NOT IN "};

bool IsCharacterType(int nType)
{
    return nType == SQL_CHAR || nType == SQL_VARCHAR || nType == SQL_LONGVARCHAR ||
           nType == SQL_WCHAR || nType == SQL_WVARCHAR || nType == SQL_WLONGVARCHAR ||
           nType == SQL_GUID;
}

bool IsBinaryType(int nType)
{
    return nType == SQL_BINARY || nType == SQL_VARBINARY || nType == SQL_LONGVARBINARY;
}

bool IsDateTimeType(int nType)
{
    return nType == SQL_DATE || nType == SQL_TIME || nType == SQL_TIMESTAMP ||
           nType == SQL_TYPE_DATE || nType == SQL_TYPE_TIME || nType == SQL_TYPE_TIMESTAMP;
}

// SQLite keeps a date or time as the text it was written in and compares a literal with it as
// text, so the literal must be written the way such values are stored: a date column's value
// without a time, and a fraction only when there is one ("2024-01-02 08:00:00", not
// "2024-01-02 08:00:00.000").
CString SQLiteDateTimeLiteral(int nType, const TIMESTAMP_STRUCT& ts)
{
    CString strDate, strTime, strFraction;
    strDate.Format(L"%04d-%02u-%02u", (int)ts.year, (UINT)ts.month, (UINT)ts.day);
    strTime.Format(L"%02u:%02u:%02u", (UINT)ts.hour, (UINT)ts.minute, (UINT)ts.second);
    if (ts.fraction % 1000000000u != 0)
    {
        strFraction.Format(L".%09u", (UINT)(ts.fraction % 1000000000u));
        while (strFraction.GetLength() > 4 && strFraction[strFraction.GetLength() - 1] == L'0')
            strFraction.Truncate(strFraction.GetLength() - 1);
    }
    const bool bMidnight =
        ts.hour == 0 && ts.minute == 0 && ts.second == 0 && strFraction.IsEmpty();
    CString strText;
    if ((nType == SQL_DATE || nType == SQL_TYPE_DATE) && bMidnight)
        strText = strDate;
    else if ((nType == SQL_TIME || nType == SQL_TYPE_TIME) && ts.year == 0)
        strText = strTime + strFraction;
    else
        strText = strDate + L" " + strTime + strFraction;
    return L"'" + strText + L"'";
}

bool IsSQLite(CRDatabase* pDatabase)
{
    CString strName;
    return pDatabase != nullptr && pDatabase->GetDBMSKind() == DBMS_OTHER &&
           pDatabase->GetDBMSName(strName) && strName == L"SQLite";
}

bool IsIntegerType(int nType)
{
    return nType == SQL_INTEGER || nType == SQL_SMALLINT || nType == SQL_TINYINT ||
           nType == SQL_BIGINT || nType == SQL_BIT;
}

bool IsNumberType(int nType)
{
    return IsIntegerType(nType) || nType == SQL_NUMERIC || nType == SQL_DECIMAL ||
           nType == SQL_FLOAT || nType == SQL_REAL || nType == SQL_DOUBLE;
}

// A number as the user typed it, as plain SQL digits; false for anything else. A comma is read
// as the decimal separator only where one can stand and no point is present ("1,5"), never as a
// thousands separator ("10,000" is refused rather than read as 10).
bool NumberValue(int nType, LPCWSTR pszText, CString& strValue)
{
    CString strText(pszText);
    strText.Trim();
    if (strText.IsEmpty())
        return false;
    const int nCommas = strText.Remove(L',') > 0 ? 1 : 0;
    if (nCommas)
    {
        CString strOriginal(pszText);
        strOriginal.Trim();
        if (IsIntegerType(nType) || strOriginal.Find(L'.') >= 0 ||
            strOriginal.Find(L',') != strOriginal.ReverseFind(L','))
            return false;
        strText = strOriginal;
    }
    return NormalizeNumberText(strText, 0, strValue) && !strValue.IsEmpty();
}

bool IsListBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n';
}

bool IsAsciiDigit(wchar_t ch)
{
    return ch >= L'0' && ch <= L'9';
}

bool IsAsciiLetter(wchar_t ch)
{
    return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z');
}

// One reading of backslashes inside quoted items: whether '...' and "..." take \ as an escape.
struct CListReading
{
    bool bSingleEscapes = false;
    bool bDoubleEscapes = false;
};

// A number at i: [+-] digits [. digits] [e [+-] digits]; false when there is none.
bool SkipListNumber(const CString& text, int& i)
{
    const int n = text.GetLength();
    int j = i;
    if (j < n && (text[j] == L'+' || text[j] == L'-'))
        ++j;
    int nDigits = 0;
    while (j < n && IsAsciiDigit(text[j]))
        ++j, ++nDigits;
    if (j < n && text[j] == L'.')
    {
        ++j;
        while (j < n && IsAsciiDigit(text[j]))
            ++j, ++nDigits;
    }
    if (nDigits == 0)
        return false;
    if (j < n && (text[j] == L'e' || text[j] == L'E'))
    {
        int k = j + 1;
        if (k < n && (text[k] == L'+' || text[k] == L'-'))
            ++k;
        if (k >= n || !IsAsciiDigit(text[k]))
            return false;
        while (k < n && IsAsciiDigit(text[k]))
            ++k;
        j = k;
    }
    i = j;
    return true;
}

// A quoted item at i (after any prefix letter); a doubled quote stays inside.
bool SkipListQuoted(const CString& text, int& i, bool bEscapes)
{
    const int n = text.GetLength();
    const wchar_t quote = text[i];
    for (int j = i + 1; j < n; ++j)
    {
        if (bEscapes && text[j] == L'\\')
        {
            ++j;
            continue;
        }
        if (text[j] != quote)
            continue;
        if (j + 1 < n && text[j + 1] == quote)
        {
            ++j;
            continue;
        }
        i = j + 1;
        return true;
    }
    return false;
}

// The ends of the items of a list of literals, read one way; false when the text is anything
// else (an operator, a parenthesis, a comment, a ';', a second statement).
bool ReadLiteralList(const CString& text, const CListReading& reading, std::vector<int>& ends)
{
    const int n = text.GetLength();
    ends.clear();
    int i = 0;
    for (;;)
    {
        while (i < n && IsListBlank(text[i]))
            ++i;
        if (i >= n)
            return ends.empty(); // an empty text, or a list that ends in a comma
        if (text[i] == L'\'' || text[i] == L'"')
        {
            if (!SkipListQuoted(text, i,
                                text[i] == L'"' ? reading.bDoubleEscapes : reading.bSingleEscapes))
                return false;
        }
        else if (i + 1 < n && text[i + 1] == L'\'' && wcschr(L"NnXxBbEe", text[i]) != nullptr)
        {
            // E'...' takes escapes on every server that knows it.
            const bool bEscapes = text[i] == L'E' || text[i] == L'e' || reading.bSingleEscapes;
            ++i;
            if (!SkipListQuoted(text, i, bEscapes))
                return false;
        }
        else if (IsAsciiLetter(text[i]))
        {
            int j = i;
            while (j < n && IsAsciiLetter(text[j]))
                ++j;
            const CString word = text.Mid(i, j - i);
            if (word.CompareNoCase(L"NULL") != 0 && word.CompareNoCase(L"TRUE") != 0 &&
                word.CompareNoCase(L"FALSE") != 0)
                return false;
            i = j;
        }
        else if (!SkipListNumber(text, i))
            return false;
        ends.push_back(i);
        while (i < n && IsListBlank(text[i]))
            ++i;
        if (i >= n)
            return true;
        if (text[i] != L',')
            return false;
        ++i;
    }
}

// The typed text of an IN list goes into the statement as it stands, so it must be a list of
// literals however the server reads backslashes in it: PostgreSQL's reading of '...' depends on
// standard_conforming_strings, and MySQL's "..." is a string or a name by ANSI_QUOTES.
bool IsLiteralList(CRDatabase* pDatabase, const CString& text)
{
    const UINT nKind = pDatabase ? pDatabase->GetDBMSKind() : DBMS_OTHER;
    std::vector<CListReading> readings;
    if (nKind == DBMS_MYSQL)
    {
        const bool bEscapes = pDatabase == nullptr || pDatabase->UsesBackslashEscapes();
        readings = {{bEscapes, bEscapes}, {bEscapes, false}};
    }
    else if (nKind == DBMS_POSTGRESQL)
        readings = {{false, false}, {true, false}};
    else
        readings = {{false, false}};
    std::vector<int> first, other;
    if (!ReadLiteralList(text, readings[0], first))
        return false;
    for (size_t i = 1; i < readings.size(); ++i)
    {
        if (!ReadLiteralList(text, readings[i], other) || other != first)
            return false;
    }
    return true;
}

} // namespace

CString GetFilterOperationText(int nOperation)
{
    if (nOperation < 0 || nOperation >= kFilterOperationCount)
        return CString();
    return kOperationTexts[nOperation];
}

CString GetFilterLogicText(int nLogic)
{
    if (nLogic == kFilterAnd)
        return L"AND";
    if (nLogic == kFilterOr)
        return L"OR";
    return CString();
}

bool FormatFilterValue(CRDatabase* pDatabase, int nSQLType, int nOperation, LPCWSTR pszText,
                       CString& strValue)
{
    const CString strText(pszText ? pszText : L"");
    const UINT nKind = pDatabase ? pDatabase->GetDBMSKind() : DBMS_OTHER;
    CString strLiteral;
    auto stringLiteral = [&](LPCWSTR text) {
        return pDatabase ? pDatabase->StringLiteral(text)
                         : CRDatabase::FormatStringLiteral(DBMS_OTHER, text);
    };
    auto binaryLiteral = [&](LPCWSTR text) {
        return pDatabase ? pDatabase->BinaryLiteral(text)
                         : CRDatabase::FormatBinaryLiteral(DBMS_OTHER, text);
    };
    if (nOperation == kFilterLike || nOperation == kFilterNotLike)
        strLiteral = stringLiteral(strText);
    else if (nOperation == kFilterIn || nOperation == kFilterNotIn)
    {
        if (!IsLiteralList(pDatabase, strText))
            return false;
        strLiteral = L"(" + strText + L")";
    }
    else if (IsCharacterType(nSQLType) || (nKind == DBMS_MSSQL && nSQLType == -152))
        strLiteral = stringLiteral(strText);
    else if (IsBinaryType(nSQLType) ||
             (nKind == DBMS_MSSQL && (nSQLType == -151 || nSQLType == -150)))
    {
        // Only pairs of hexadecimal digits make a binary literal (the literal builders refuse
        // anything else); other text cannot stand as a value.
        std::vector<BYTE> bytes(static_cast<size_t>(strText.GetLength() / 2) + 1);
        if (strText.GetLength() % 2 != 0 ||
            !HexToBytes(strText, bytes.data(), strText.GetLength() / 2))
            return false;
        strLiteral = binaryLiteral(strText);
    }
    else if (IsDateTimeType(nSQLType) || (nKind == DBMS_MSSQL && nSQLType == -154))
    {
        TIMESTAMP_STRUCT ts;
        // A text that is no date goes in as a string literal: the server converts it or
        // reports it, and no typed text ever becomes SQL of its own.
        if (!ParseDateText(strText, ts))
            strLiteral = stringLiteral(strText);
        else if (IsSQLite(pDatabase))
            strLiteral = SQLiteDateTimeLiteral(nSQLType, ts);
        else
            strLiteral = CRDatabase::FormatTimestampLiteral(nKind, ts);
    }
    else if (nKind == DBMS_MSSQL && nSQLType == -155)
    {
        SQL_SS_TIMESTAMPOFFSET_STRUCT ts;
        strLiteral = ParseTimestampText(strText, ts)
                         ? CRDatabase::FormatTimestampOffsetLiteral(nKind, ts)
                         : stringLiteral(strText);
    }
    else if (IsNumberType(nSQLType))
    {
        if (!NumberValue(nSQLType, strText, strLiteral))
            return false;
    }
    else
        strLiteral = strText;
    strValue = strLiteral.IsEmpty() ? strText : strLiteral;
    return true;
}

bool BuildFilterCondition(CFilterArray& filter, CRDatabase* pDatabase,
                          const CColumnInfoArray& columns)
{
    CString strCondition;
    CString strLogic;
    for (const CFilterInfo& info : filter)
    {
        const CString strColumn = QuoteSQLNameIfNeeded(info.m_strColumn, pDatabase);
        CString strRow;
        if (info.m_value.m_nKind == kGridNull)
        {
            if (info.m_nOperation == kFilterEqual)
                strRow = strColumn + L" IS NULL";
            else if (info.m_nOperation == kFilterNotEqual)
                strRow = strColumn + L" IS NOT NULL";
            else
                return false;
        }
        else if (info.m_value.m_nKind != kGridValue)
            return false;
        else
        {
            if (info.m_nOperation < 0 || info.m_nOperation >= kFilterOperationCount)
                return false;
            int nFound = -1;
            for (INT_PTR i = 0; i < columns.GetSize(); ++i)
            {
                if (wcscmp(columns[i].szColumnName, info.m_strColumn) == 0)
                {
                    nFound = (int)i;
                    break;
                }
            }
            if (nFound < 0)
                continue;
            CString strValue;
            if (!FormatFilterValue(pDatabase, columns[nFound].nDataType, info.m_nOperation,
                                   info.m_value.m_strText, strValue))
                return false;
            strRow = strColumn + kOperationSQL[info.m_nOperation] + strValue;
        }
        if (!strCondition.IsEmpty())
            strCondition += L" " + strLogic + L"\n";
        strCondition += strRow;
        if (info.m_nLogic == kFilterAnd || info.m_nLogic == kFilterOr)
            strLogic = GetFilterLogicText(info.m_nLogic);
    }
    filter.m_strCondition = strCondition;
    return true;
}
