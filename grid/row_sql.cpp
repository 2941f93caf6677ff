// Statement building and running for the grid's row saving (see row_sql.h).
#include "grid/row_sql.h"

#include "dbaccess/transaction.h"

#include "dbaccess/recordset.h"
#include "dbaccess/recordset_value_parse.h"
#include "dbaccess/sql_names.h"
#include "dbaccess/sql_text.h"
#include "dbaccess/value_text.h"
#include "util/utility.h"

#include <memory>

SQLSMALLINT CRowSqlParam::DecimalDigits() const
{
    if (nCType != SQL_C_TIMESTAMP)
        return 0;
    // As many fraction digits as the value needs: 0, or up to 9 for nanoseconds.
    SQLUINTEGER f = ts.fraction;
    SQLSMALLINT digits = 9;
    while (digits > 0 && f % 10 == 0)
    {
        f /= 10;
        --digits;
    }
    return digits;
}

SQLULEN CRowSqlParam::ColumnSize() const
{
    if (nCType == SQL_C_BINARY)
        return bytes.size();
    if (nCType == SQL_C_TIMESTAMP)
    {
        SQLSMALLINT digits = DecimalDigits();
        return digits > 0 ? 20 + digits : 19;
    }
    return 0;
}

bool IsQuotedCType(int cType)
{
    return cType == SQL_C_GUID || cType == SQL_C_WCHAR || cType == SQL_C_CHAR ||
           cType == SQL_C_TIMESTAMP || cType == SQL_C_SS_TIMESTAMPOFFSET;
}

bool IsNumberCType(int cType)
{
    switch (cType)
    {
    case SQL_C_SHORT:
    case SQL_C_SSHORT:
    case SQL_C_USHORT:
    case SQL_C_TINYINT:
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_LONG:
    case SQL_C_SLONG:
    case SQL_C_ULONG:
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
    case SQL_C_FLOAT:
    case SQL_C_DOUBLE:
    case SQL_C_NUMERIC:
    case SQL_C_BIT: return true;
    default: return false;
    }
}

static bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsNumberText(LPCWSTR text, CString* pTrimmed)
{
    if (text == nullptr)
        return false;
    const wchar_t* p = text;
    while (IsBlank(*p))
        ++p;
    const wchar_t* start = p;
    if (*p == L'+' || *p == L'-')
        ++p;
    int digits = 0;
    while (*p >= L'0' && *p <= L'9')
    {
        ++p;
        ++digits;
    }
    if (*p == L'.')
    {
        ++p;
        while (*p >= L'0' && *p <= L'9')
        {
            ++p;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (*p == L'e' || *p == L'E')
    {
        ++p;
        if (*p == L'+' || *p == L'-')
            ++p;
        int expDigits = 0;
        while (*p >= L'0' && *p <= L'9')
        {
            ++p;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    const wchar_t* end = p;
    while (IsBlank(*p))
        ++p;
    if (*p != 0)
        return false;
    if (pTrimmed)
        *pTrimmed = CString(start, static_cast<int>(end - start));
    return true;
}

bool IsTimeValue(int cType, int sqlType, UINT dbmsKind)
{
    return cType == SQL_C_TIMESTAMP && (sqlType == SQL_TIME || sqlType == SQL_TYPE_TIME ||
                                        (sqlType == SQL_SS_TIME2 && dbmsKind == DBMS_MSSQL));
}

static void Fail(CRowSqlFailure& failure, UINT kind, LPCWSTR text = L"")
{
    failure.nKind = kind;
    failure.strText = text;
}

bool MakeSaveValue(const CRDatabase& db, LPCWSTR text, UINT kind, int cType, int sqlType,
                   CString& value, CRowSqlParams& params, CRowSqlFailure& failure)
{
    CString str = text ? text : L"";
    bool isNull = kind != 0;
    UINT dbms = db.GetDBMSKind();

    if (cType == SQL_C_BINARY)
    {
        // NULL first: its held text may be a marker, which is no hexadecimal.
        CRowSqlParam param;
        param.nCType = SQL_C_BINARY;
        param.nSQLType = SQL_BINARY;
        if (isNull)
        {
            param.nIndicator = SQL_NULL_DATA;
        }
        else
        {
            str.Trim();
            if (str.GetLength() % 2 != 0)
            {
                Fail(failure, kRowSqlOddHex);
                return false;
            }
            param.strText = str;
            param.bytes.resize(str.GetLength() / 2);
            if (!param.bytes.empty() &&
                !HexToBytes(str, param.bytes.data(), static_cast<int>(param.bytes.size())))
            {
                Fail(failure, kRowSqlInvalidData);
                return false;
            }
            param.nIndicator = static_cast<SQLLEN>(param.bytes.size());
        }
        params.push_back(param);
        value = L"?";
        return true;
    }

    // Empty text in a column that is neither character nor binary stands for NULL.
    bool isText = cType == SQL_C_CHAR || cType == SQL_C_WCHAR;
    if (!isNull && !isText && str.IsEmpty())
        isNull = true;

    if (cType == SQL_C_TIMESTAMP && !IsTimeValue(cType, sqlType, dbms))
    {
        CRowSqlParam param;
        param.nCType = SQL_C_TIMESTAMP;
        param.nSQLType = SQL_TIMESTAMP;
        if (isNull)
        {
            param.nIndicator = SQL_NULL_DATA;
        }
        else
        {
            // PostgreSQL's infinite dates, as they are shown.
            CString word = str;
            word.Trim();
            if (dbms == DBMS_POSTGRESQL &&
                (word.CompareNoCase(L"infinity") == 0 || word.CompareNoCase(L"-infinity") == 0))
            {
                value = db.StringLiteral(word.MakeLower());
                return true;
            }
            if (!ParseDateText(str, param.ts, dbms == DBMS_MYSQL))
            {
                Fail(failure, kRowSqlInvalidData);
                return false;
            }
            // (MariaDB's dates with zero parts as its key values are written; see MakeKeyValue.)
            const bool zeroParts = dbms == DBMS_MYSQL &&
                                   (param.ts.year == 0 || param.ts.month == 0 || param.ts.day == 0);
            if ((dbms == DBMS_POSTGRESQL && param.ts.year < 0) || zeroParts)
            {
                const DATE_STRUCT date = {param.ts.year, param.ts.month, param.ts.day};
                value = sqlType == SQL_TYPE_DATE || sqlType == SQL_DATE
                            ? CRDatabase::FormatDateLiteral(dbms, date)
                            : db.TimestampLiteral(param.ts);
                return true;
            }
            param.nIndicator = sizeof(TIMESTAMP_STRUCT);
        }
        params.push_back(param);
        value = L"?";
        return true;
    }
    if (isNull)
    {
        value = L"NULL";
        return true;
    }
    if (cType == SQL_C_TIMESTAMP)
    {
        TIMESTAMP_STRUCT ts;
        if (!ParseDateText(str, ts))
        {
            Fail(failure, kRowSqlInvalidData);
            return false;
        }
        value = db.TimeLiteral(ts);
        return true;
    }
    if (cType == SQL_C_SS_TIMESTAMPOFFSET && dbms == DBMS_MSSQL)
    {
        SQL_SS_TIMESTAMPOFFSET_STRUCT ts;
        if (!ParseTimestampText(str, ts))
        {
            Fail(failure, kRowSqlInvalidData);
            return false;
        }
        value = db.TimestampOffsetLiteral(ts);
        return true;
    }
    if (IsQuotedCType(cType))
    {
        value = db.StringLiteral(str);
        return true;
    }
    if (IsNumberCType(cType))
    {
        // Numbers go in as typed, but only when they are numbers.
        CString trimmed;
        if (!IsNumberText(str, &trimmed))
        {
            Fail(failure, kRowSqlInvalidData);
            return false;
        }
        // PostgreSQL reads a bare -0 as the integer 0 and stores a float column's zero without
        // its sign; quoted, the checked number is read as the column's own type.
        const bool floating = sqlType == SQL_FLOAT || sqlType == SQL_REAL || sqlType == SQL_DOUBLE;
        if (floating && dbms == DBMS_POSTGRESQL && IsNegativeZeroText(trimmed))
            value = db.StringLiteral(trimmed);
        else
            value = trimmed;
        return true;
    }
    // Any other type: a text literal, which the database converts; never raw text.
    value = db.StringLiteral(str);
    return true;
}

bool MakeKeyValue(const CRDatabase& db, Zelt::ICursor* cursor, UINT column, CString& value,
                  CRowSqlParams& params)
{
    if (cursor->IsFieldTruncated(column))
        return false;
    // A value of another kind than its column's (SQLite's 'abc' or 1.5 in an INTEGER column) is
    // compared as the text it is read as (see ReadAlikePiece).
    if (cursor->IsFieldHeldAsText(column))
    {
        CString text;
        cursor->GetFieldText(column, text);
        value = db.StringLiteral(text);
        return true;
    }
    int cType = cursor->GetColumnCType(column);
    int sqlType = cursor->GetColumnSQLType(column);
    UINT dbms = db.GetDBMSKind();

    if (cType == SQL_C_BINARY)
    {
        CByteArray bytes;
        if (!cursor->GetFieldBinary(column, bytes))
        {
            value = L"NULL";
            return true;
        }
        CRowSqlParam param;
        param.nCType = SQL_C_BINARY;
        param.nSQLType = SQL_BINARY;
        param.bytes.assign(bytes.GetData(), bytes.GetData() + bytes.GetSize());
        param.nIndicator = static_cast<SQLLEN>(param.bytes.size());
        params.push_back(param);
        value = L"?";
        return true;
    }
    if (cType == SQL_C_TIMESTAMP)
    {
        TIMESTAMP_STRUCT ts{};
        if (!cursor->GetFieldTimestamp(column, ts))
        {
            value = L"NULL";
            return true;
        }
        if (IsTimeValue(cType, sqlType, dbms))
        {
            value = db.TimeLiteral(ts);
            return true;
        }
        // A date past 9999 is known by its year alone: it cannot find its row.
        if (IsFarFutureTimestamp(ts))
            return false;
        // PostgreSQL's infinities and years BC have no parameter form: as literals. So have
        // MariaDB's dates with a zero year, month or day ('0000-00-00', '2020-00-00'): its
        // driver refuses them as parameters ("Invalid datetime format").
        if ((dbms == DBMS_POSTGRESQL && (ts.year < 0 || TimestampInfinity(ts))) ||
            (dbms == DBMS_MYSQL && (ts.year == 0 || ts.month == 0 || ts.day == 0)))
        {
            const DATE_STRUCT date = {ts.year, ts.month, ts.day};
            value = sqlType == SQL_TYPE_DATE || sqlType == SQL_DATE
                        ? CRDatabase::FormatDateLiteral(dbms, date)
                        : db.TimestampLiteral(ts);
            return true;
        }
        CRowSqlParam param;
        param.nCType = SQL_C_TIMESTAMP;
        param.nSQLType = SQL_TIMESTAMP;
        param.ts = ts;
        param.nIndicator = sizeof(TIMESTAMP_STRUCT);
        params.push_back(param);
        value = L"?";
        return true;
    }
    if (cType == SQL_C_SS_TIMESTAMPOFFSET && dbms == DBMS_MSSQL)
    {
        SQL_SS_TIMESTAMPOFFSET_STRUCT ts{};
        if (!cursor->GetFieldTimestampOffset(column, ts))
        {
            value = L"NULL";
            return true;
        }
        value = db.TimestampOffsetLiteral(ts);
        return true;
    }
    if (!IsQuotedCType(cType) && !IsNumberCType(cType))
        return false; // a value of no known type cannot identify the row
    CString text;
    if (!cursor->GetFieldText(column, text))
    {
        value = L"NULL";
        return true;
    }
    if (IsQuotedCType(cType))
    {
        value = db.StringLiteral(text);
        return true;
    }
    CString trimmed;
    if (!IsNumberText(text, &trimmed))
    {
        // Numbers read as text (SQLite's 'abc' in a REAL column, read so) are compared as that
        // text, as a value held as its text is.
        if (!db.HasDynamicTypes())
            return false;
        value = db.StringLiteral(text);
        return true;
    }
    value = trimmed;
    return true;
}

static CRDatabase* QuotingOf(CRDatabase& db, CRDatabase* quoting)
{
    return quoting ? quoting : &db;
}

bool FindKeyColumns(Zelt::ICursor* cursor, const std::vector<CString>& keyNames,
                    std::vector<UINT>& columns)
{
    columns.clear();
    if (keyNames.empty())
    {
        for (int c = 1; c <= cursor->GetColumnCount(); ++c)
            columns.push_back(static_cast<UINT>(c));
        return !columns.empty();
    }
    for (const CString& name : keyNames)
    {
        int c = cursor->FindColumn(name);
        if (c < 1)
            return false;
        columns.push_back(static_cast<UINT>(c));
    }
    return true;
}

// True for a double of SQLite, which its driver reads with no more than 15 digits.
static bool IsDoubleShortened(const CRDatabase& db, Zelt::ICursor* cursor, UINT column)
{
    const int sqlType = cursor->GetColumnSQLType(column);
    return db.HasDynamicTypes() && cursor->GetColumnCType(column) == SQL_C_DOUBLE &&
           (sqlType == SQL_FLOAT || sqlType == SQL_REAL || sqlType == SQL_DOUBLE);
}

// True for an integer column of SQLite.
static bool IsIntegerRead(const CRDatabase& db, Zelt::ICursor* cursor, UINT column)
{
    const int cType = cursor->GetColumnCType(column);
    return db.HasDynamicTypes() && IsNumberCType(cType) && cType != SQL_C_DOUBLE &&
           cType != SQL_C_FLOAT && cType != SQL_C_NUMERIC;
}

// A value compared as the text it is read as: held as its text, or no number in a number column
// (whose literal is then quoted, see MakeKeyValue).
static bool IsComparedAsText(Zelt::ICursor* cursor, UINT column, const CString& value)
{
    return cursor->IsFieldHeldAsText(column) || (IsNumberCType(cursor->GetColumnCType(column)) &&
                                                 value.GetLength() > 0 && value[0] == L'\'');
}

// A text literal that reads as SQLite writes a blob: 'X''00FF'''.
static bool IsBlobText(const CString& literal)
{
    const int n = literal.GetLength();
    if (n < 7 || literal.Left(4) != L"'X''" || literal.Right(3) != L"'''")
        return false;
    for (int i = 4; i < n - 3; ++i)
        if (!iswxdigit(literal[i]))
            return false;
    return true;
}

// An integer's literal as the cursor writes one: a minus and digits.
static bool IsIntegerLiteral(const CString& value)
{
    const CStringA text(value);
    long long number = 0;
    return ParsePlainInteger(text.GetString(), static_cast<size_t>(text.GetLength()), INT64_MIN,
                             INT64_MAX, number);
}

// A text literal of a number as SQLite writes one ('7', '-2.5', '1.0e+20').
static bool IsQuotedNumber(const CString& value)
{
    const int n = value.GetLength();
    if (n < 3 || value[0] != L'\'' || value[n - 1] != L'\'')
        return false;
    const CStringA text(value.Mid(1, n - 2));
    return IsDecimalNumberText(text.GetString(), static_cast<size_t>(text.GetLength()));
}

// SQLite keeps a value of any kind in any column, and its driver reads each as the column's
// declared type: values that differ as stored may be read alike. The condition that counts the
// rows before a statement runs matches, for each column, every value the driver reads as the
// row's value, so that a row with a look-alike is refused instead of one being changed for the
// other. ("?" stands for the same parameter as in the row's own condition.) A value of another
// kind than its column's is read as its text (CRRecordset::IsOfAnotherKind), never as NULL: a
// NULL is matched as it is, but in a REAL column read as floats, which still takes a text or a
// blob for NULL.
static CString ReadAlikePiece(const CRDatabase& db, Zelt::ICursor* cursor, UINT column,
                              const CString& name, const CString& value)
{
    const bool isNull = value == L"NULL";
    const int cType = cursor->GetColumnCType(column);
    const short sqlType = cursor->GetColumnSQLType(column);
    // A value of another kind than its column's is read as its text, as SQLite writes it: a
    // number as its shortest text (1.5, 0.10000000000000002 as 0.1), a blob as X'...'.
    if (IsComparedAsText(cursor, column, value) || cType == SQL_C_WCHAR || cType == SQL_C_CHAR)
        return isNull ? name + L" IS NULL"
                      : L"CASE typeof(" + name + L") WHEN 'blob' THEN 'X''' || hex(" + name +
                            L") || '''' ELSE CAST(" + name + L" AS TEXT) END=" + value;
    if (cType == SQL_C_DOUBLE || cType == SQL_C_FLOAT)
    {
        // A double reads with 15 digits.
        if (isNull)
            return cType == SQL_C_FLOAT
                       ? L"(" + name + L" IS NULL OR typeof(" + name + L") IN ('text','blob'))"
                       : name + L" IS NULL";
        return L"printf('%.15g'," + name + L")=printf('%.15g'," + value + L")";
    }
    // An integer read as one is stored as one (a number of another kind is held as its text),
    // or, in a column whose type converts no text (one declared without a type, which the
    // driver types by its first value), as the text of that integer ('9' beside 9): both are
    // matched, the IN finding them by an index.
    if (IsIntegerRead(db, cursor, column))
    {
        if (isNull)
            return name + L" IS NULL";
        if (!IsIntegerLiteral(value))
            return L"(typeof(" + name + L")='integer' AND " + name + L"=" + value + L")";
        return L"(" + name + L" IN (" + value + L",'" + value + L"') AND typeof(" + name +
               L") IN ('integer','text') AND CAST(" + name + L" AS TEXT)='" + value + L"')";
    }
    if (cType == SQL_C_TIMESTAMP)
    {
        // A date reads alike however it is written ('2024-02-29T10:00:00'), and in a DATE column
        // without its time of day.
        if (isNull)
            return name + L" IS NULL";
        if (sqlType == SQL_TYPE_DATE || sqlType == SQL_DATE)
            return L"date(" + name + L")=date(" + value + L")";
        return L"julianday(" + name + L")=julianday(" + value + L")";
    }
    if (cType == SQL_C_BINARY && !isNull)
        return L"CAST(" + name + L" AS BLOB)=" + value; // a text reads as its bytes
    return CString();
}

// A timestamp read in the session's zone is the local time the server shows: where the zone
// turns its clocks back, two instants an hour apart show alike (02:30 on the night summer time
// ends in Berlin), and the value read finds only one of them, not always the row's. The count
// compares local times, as they are shown.
static CString ZoneReadAlikePiece(const CRDatabase& db, const CString& name, const CString& value)
{
    return (db.GetDBMSKind() == DBMS_POSTGRESQL ? L"CAST(" + name + L" AS TIMESTAMP)="
                                                : L"CAST(" + name + L" AS DATETIME(6))=") +
           value;
}

CString BuildValueCondition(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                            const std::vector<UINT>& keyColumns, CRowSqlParams& params,
                            CString* pCountCondition)
{
    size_t paramCount = params.size();
    CString condition = L" WHERE ";
    CString countCondition = condition;
    bool first = true;
    for (UINT column : keyColumns)
    {
        CString value;
        if (!MakeKeyValue(db, cursor, column, value, params))
        {
            params.resize(paramCount);
            return CString();
        }
        if (!first)
        {
            condition += L" AND ";
            countCondition += L" AND ";
        }
        first = false;
        const CString name =
            QuoteSQLNameIfNeeded(cursor->GetColumnName(column), QuotingOf(db, quoting));
        CString piece;
        if (value != L"NULL" && IsDoubleShortened(db, cursor, column))
        {
            // SQLite's driver hands a double over with 15 digits: the value is compared as
            // shortened alike, so that a row whose double differs in a later digit matches too
            // and the statement is refused as not unique instead of changing that row.
            piece = L"printf('%.15g'," + name + L")=printf('%.15g'," + value + L")";
        }
        else
        {
            piece = name + (value == L"NULL" ? L" IS " : L"=") + value;
        }
        CString alike;
        const int blobForm = db.HasDynamicTypes() && value != L"NULL"
                                 ? cursor->GetFieldBlobForm(column)
                                 : Zelt::ICursor::kBlobFormNone;
        if (blobForm == Zelt::ICursor::kBlobFormBlob || blobForm == Zelt::ICursor::kBlobFormText)
        {
            // A blob and a text that read alike are told apart by what the file holds: quote()
            // writes the one as X'00FF', the other as 'X''00FF'''.
            CString quoted;
            cursor->GetFieldText(column, quoted);
            if (blobForm == Zelt::ICursor::kBlobFormText)
            {
                quoted.Replace(L"'", L"''");
                quoted = L"'" + quoted + L"'";
            }
            piece = L"quote(" + name + L")=" + db.StringLiteral(quoted);
        }
        else if (db.HasDynamicTypes())
            alike = ReadAlikePiece(db, cursor, column, name, value);
        else if (value == L"?" && IsReadInSessionZone(db, cursor, column))
            alike = ZoneReadAlikePiece(db, name, value);
        // SQLite's driver binds a timestamp as a text of its own form, which equals no date
        // written in another ('2024-03-01' in a DATE column): the statement compares such a
        // column as it is read, as the count does. So it does a value held as its text, and a
        // text that reads like a blob (X'00FF'), which only the count tells from the blob.
        if (!alike.IsEmpty() && (cursor->GetColumnCType(column) == SQL_C_TIMESTAMP ||
                                 IsComparedAsText(cursor, column, value) || IsBlobText(value)))
            piece = alike;
        // An integer the driver reads alike from the text of it is found either way (the count
        // has told that only one of them is there; a real equal to it, which the count does not
        // take, makes the statement change two rows, and that is refused).
        else if (!alike.IsEmpty() && IsIntegerRead(db, cursor, column) && IsIntegerLiteral(value))
            piece = name + L" IN (" + value + L",'" + value + L"')";
        // So is a number read as text in a column the driver types as text by its first value
        // (one declared without a type), which the count matches by its text too.
        else if (!alike.IsEmpty() && db.HasDynamicTypes() && IsQuotedNumber(value))
            piece = name + L" IN (" + value + L"," + value.Mid(1, value.GetLength() - 2) + L")";
        condition += piece;
        // The count before the statement matches every row the driver reads alike, so that
        // the shown row's look-alike makes it refused; the statement itself keeps the exact
        // comparison, which finds the row by an index and changes nothing when the shown value
        // was not the stored one.
        countCondition += alike.IsEmpty() ? piece : alike;
    }
    if (first)
    {
        params.resize(paramCount);
        return CString();
    }
    if (pCountCondition)
        *pCountCondition = countCondition;
    return condition;
}

// False, with the reason, when a column of the condition holds a value written in the session's
// time zone and the session is no longer in the zone the rows were read in: the value would be
// read as another instant and could find another row.
static bool SameZoneAsRead(CRDatabase& db, Zelt::ICursor* cursor, const std::vector<UINT>& columns,
                           const CReadZone& readZone, CRowSqlFailure& failure)
{
    if (!readZone.bKnown)
        return true;
    bool zoned = false;
    for (UINT column : columns)
        zoned = zoned || IsReadInSessionZone(db, cursor, column);
    if (!zoned)
        return true;
    // A zone that cannot be read now comes with a session that cannot run the statement either
    // (PostgreSQL's failed transaction): the statement's own error tells the user more.
    CString now;
    if (!ReadSessionZone(db, now))
        return true;
    if (now == readZone.strZone)
        return true;
    Fail(failure, kRowSqlRowCount,
         L"The row cannot be identified: its timestamps were read in the time zone " +
             readZone.strZone + L", and the session's time zone is now " + now +
             L", in which they name other instants. Refresh the window to edit its rows.");
    return false;
}

bool BuildRowCondition(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                       const CRowKeyRequest& key, CString& condition, CRowSqlParams& params,
                       bool& valueKey, CRowSqlFailure& failure, CString* pCountCondition)
{
    size_t paramCount = params.size();
    condition.Empty();
    valueKey = false;
    if (!key.bPositioned)
    {
        std::vector<UINT> columns;
        const bool found = FindKeyColumns(cursor, key.keyNames, columns);
        if (found && !SameZoneAsRead(db, cursor, columns, key.readZone, failure))
            return false;
        // A primary key is unique as it is stored, not always as it is read (SQLite keeps a 1.5
        // in an INT key beside a 1, which its driver reads as 1): a key's rows are counted by
        // how they are read too.
        if (found)
            condition = BuildValueCondition(db, quoting, cursor, columns, params, pCountCondition);
        valueKey = !condition.IsEmpty();
        if (pCountCondition && !valueKey)
            *pCountCondition = condition;
    }
    if (!condition.IsEmpty())
        return true;
    params.resize(paramCount);
    if (!key.bPositioned)
    {
        // A positioned statement is no way out here: no driver of ours accepts one on such a
        // result, and a guessed condition could change other rows.
        Fail(failure, kRowSqlRowCount,
             L"The row cannot be identified: a value of it was cut short, has a type that cannot "
             L"be compared, or a key column is missing from the result. Give the table a primary "
             L"key, or show its key columns, to edit such rows.");
        return false;
    }
    CString cursorName = cursor->GetCursorName();
    if (cursorName.IsEmpty())
    {
        Fail(failure, kRowSqlDatabaseError,
             L"The row cannot be identified: the result has no cursor name and no usable key.");
        return false;
    }
    condition = L" WHERE CURRENT OF " + cursorName;
    return true;
}

CString BuildInsertSQL(LPCWSTR table, const std::vector<CString>& quotedNames,
                       const std::vector<CString>& values)
{
    CString sql = L"INSERT INTO ";
    sql += table;
    sql += L" (";
    for (size_t i = 0; i < quotedNames.size(); ++i)
    {
        if (i)
            sql += L",";
        sql += quotedNames[i];
    }
    sql += L") VALUES (";
    for (size_t i = 0; i < values.size(); ++i)
    {
        if (i)
            sql += L",";
        sql += values[i];
    }
    sql += L")";
    return sql;
}

CString BuildUpdateSQL(LPCWSTR table, const std::vector<CString>& quotedNames,
                       const std::vector<CString>& values, LPCWSTR condition)
{
    CString sql = L"UPDATE ";
    sql += table;
    sql += L" SET ";
    for (size_t i = 0; i < quotedNames.size() && i < values.size(); ++i)
    {
        if (i)
            sql += L",";
        sql += quotedNames[i];
        sql += L"=";
        sql += values[i];
    }
    sql += condition;
    return sql;
}

CString BuildDeleteSQL(LPCWSTR table, LPCWSTR condition)
{
    CString sql = L"DELETE FROM ";
    sql += table;
    sql += condition;
    return sql;
}

// The first of the result columns given (all when none are) that is shown under another name
// than the table column it reads (SELECT b AS a, a AS b): statements name columns by what the
// result calls them, so such a column would be written, matched or deleted by as another. Empty
// when each keeps its name or the driver cannot tell. (A column a query computes is refused by the
// grid before its edit, see result_key.h; a table window's own SELECT reads some columns through
// an expression under their own name, which the driver reports as computed.)
static CString RenamedColumn(Zelt::ICursor* cursor, const std::vector<UINT>* pColumns)
{
    auto* recordset = dynamic_cast<CRRecordset*>(cursor);
    const SQLHSTMT hStmt = recordset != nullptr ? recordset->GetStmtHandle() : SQL_NULL_HSTMT;
    if (hStmt == SQL_NULL_HSTMT)
        return CString();
    std::vector<UINT> all;
    if (pColumns == nullptr)
    {
        for (int col = 1; col <= cursor->GetColumnCount(); ++col)
            all.push_back((UINT)col);
        pColumns = &all;
    }
    for (UINT col : *pColumns)
    {
        SQLWCHAR base[260] = {};
        SQLSMALLINT length = 0;
        const CString label = cursor->GetColumnName(col);
        const SQLRETURN rc = SQLColAttributeW(hStmt, (SQLUSMALLINT)col, SQL_DESC_BASE_COLUMN_NAME,
                                              base, sizeof base, &length, nullptr);
        if (SQL_SUCCEEDED(rc) && base[0] != 0 &&
            label.CompareNoCase(reinterpret_cast<const wchar_t*>(base)) != 0)
            return label;
    }
    return CString();
}

static bool TableOf(CRDatabase& db, Zelt::ICursor* cursor, CString& table, CRowSqlFailure& failure,
                    const std::vector<UINT>* pColumns = nullptr)
{
    table = cursor->GetTableName();
    if (table.IsEmpty())
    {
        Fail(failure, kRowSqlDatabaseError,
             L"The result cannot be edited: it does not come from a single table.");
        return false;
    }
    const CString renamed = RenamedColumn(cursor, pColumns);
    if (!renamed.IsEmpty())
    {
        Fail(failure, kRowSqlDatabaseError,
             L"The result cannot be edited so: its column " + renamed +
                 L" is not named as the table's column.");
        return false;
    }
    return true;
}

// The cursor columns a statement writes, and those that find its row: the key's, or all of them
// when the row is found by all its values (none at the cursor's position, found by the driver).
static std::vector<UINT> ColumnsOfStatement(Zelt::ICursor* cursor,
                                            const std::vector<CRowSqlColumn>& written,
                                            const CRowKeyRequest* key)
{
    std::vector<UINT> columns;
    for (const CRowSqlColumn& col : written)
        columns.push_back(col.nCursorColumn);
    if (key != nullptr && !key->bPositioned)
    {
        std::vector<UINT> keyColumns;
        if (key->keyNames.empty() || !FindKeyColumns(cursor, key->keyNames, keyColumns))
        {
            keyColumns.clear();
            for (int col = 1; col <= cursor->GetColumnCount(); ++col)
                keyColumns.push_back((UINT)col);
        }
        columns.insert(columns.end(), keyColumns.begin(), keyColumns.end());
    }
    return columns;
}

// Name and value lists of the columns; insert leaves out untouched cells of the columns that
// have no empty value of their own.
static bool CollectValues(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                          const std::vector<CRowSqlColumn>& columns, bool inserting,
                          std::vector<CString>& names, std::vector<CString>& values,
                          CRowSqlParams& params, CRowSqlFailure& failure)
{
    for (const CRowSqlColumn& col : columns)
    {
        int cType = cursor->GetColumnCType(col.nCursorColumn);
        int sqlType = cursor->GetColumnSQLType(col.nCursorColumn);
        if (inserting && col.nKind == 0 && col.strText.IsEmpty() && cType != SQL_C_CHAR &&
            cType != SQL_C_WCHAR && cType != SQL_C_BINARY)
            continue;
        CString value;
        if (!MakeSaveValue(db, col.strText, col.nKind, cType, sqlType, value, params, failure))
        {
            failure.nColumn = col.nListColumn;
            return false;
        }
        names.push_back(
            QuoteSQLNameIfNeeded(cursor->GetColumnName(col.nCursorColumn), QuotingOf(db, quoting)));
        values.push_back(value);
    }
    return true;
}

bool BuildInsertStatement(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                          const std::vector<CRowSqlColumn>& columns, CRowStatement& statement,
                          CRowSqlFailure& failure)
{
    // Statements run since the last save may have changed how the session reads literals.
    db.RefreshLiteralRules();
    statement = CRowStatement();
    CString table;
    const std::vector<UINT> checked = ColumnsOfStatement(cursor, columns, nullptr);
    if (!TableOf(db, cursor, table, failure, &checked))
        return false;
    statement.strTable = table;
    std::vector<CString> names, values;
    if (!CollectValues(db, quoting, cursor, columns, true, names, values, statement.params,
                       failure))
        return false;
    if (names.empty())
    {
        if (cursor->GetColumnCount() < 1)
        {
            Fail(failure, kRowSqlDatabaseError, L"The result has no columns.");
            return false;
        }
        names.push_back(QuoteSQLNameIfNeeded(cursor->GetColumnName(1), QuotingOf(db, quoting)));
        values.push_back(L"NULL");
    }
    statement.strSQL = BuildInsertSQL(table, names, values);
    return true;
}

bool BuildUpdateStatement(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                          const std::vector<CRowSqlColumn>& columns, const CRowKeyRequest& key,
                          CRowStatement& statement, CRowSqlFailure& failure)
{
    // Statements run since the last save may have changed how the session reads literals.
    db.RefreshLiteralRules();
    statement = CRowStatement();
    CString table;
    const std::vector<UINT> checked = ColumnsOfStatement(cursor, columns, &key);
    if (!TableOf(db, cursor, table, failure, &checked))
        return false;
    statement.strTable = table;
    std::vector<CString> names, values;
    if (!CollectValues(db, quoting, cursor, columns, false, names, values, statement.params,
                       failure))
        return false;
    if (names.empty())
    {
        statement.bNothing = true;
        return true;
    }
    CString condition;
    statement.nConditionParamFirst = statement.params.size();
    CString countCondition;
    if (!BuildRowCondition(db, quoting, cursor, key, condition, statement.params,
                           statement.bValueKey, failure, &countCondition))
        return false;
    statement.strSQL = BuildUpdateSQL(table, names, values, condition);
    statement.bUpdate = true;
    statement.bKeyed = !key.bPositioned && !key.keyNames.empty();
    if (statement.bValueKey)
        statement.strCountSQL = L"SELECT COUNT(*) FROM " + table + countCondition;
    return true;
}

bool BuildDeleteStatement(CRDatabase& db, CRDatabase* quoting, Zelt::ICursor* cursor,
                          const CRowKeyRequest& key, CRowStatement& statement,
                          CRowSqlFailure& failure)
{
    // Statements run since the last save may have changed how the session reads literals.
    db.RefreshLiteralRules();
    statement = CRowStatement();
    CString table;
    const std::vector<UINT> checked = ColumnsOfStatement(cursor, {}, &key);
    if (!TableOf(db, cursor, table, failure, &checked))
        return false;
    statement.strTable = table;
    CString condition;
    statement.nConditionParamFirst = statement.params.size();
    CString countCondition;
    if (!BuildRowCondition(db, quoting, cursor, key, condition, statement.params,
                           statement.bValueKey, failure, &countCondition))
        return false;
    statement.strSQL = BuildDeleteSQL(table, condition);
    statement.bKeyed = !key.bPositioned && !key.keyNames.empty();
    if (statement.bValueKey)
        statement.strCountSQL = L"SELECT COUNT(*) FROM " + table + countCondition;
    return true;
}

// Runs a statement once with its parameters; the row count is -1 when the driver cannot tell.
// With pSelected the statement is a SELECT COUNT(*) and its value is read into it.
// With pReturned the statement returns one row (an INSERT ... RETURNING): its values' texts.
static bool RunWithParams(CRDatabase& db, LPCWSTR sql, const CRowSqlParams& statementParams,
                          LONGLONG& count, CRowSqlFailure& failure, LONGLONG* pSelected = nullptr,
                          std::vector<CString>* pReturned = nullptr)
{
    count = -1;
    if (statementParams.empty() && pSelected == nullptr && pReturned == nullptr)
    {
        db.ExecuteSQL(sql, &count);
        return true;
    }
    CRowSqlParams params = statementParams; // bound buffers must stay put until Execute
    static BYTE emptyValue = 0;
    CRRecordset rs(&db);
    if (!rs.Prepare(sql, RS_FORWARD_ONLY, RS_READONLY | (pSelected || pReturned ? RS_UNBOUND : 0)))
    {
        CString text;
        Fail(failure, kRowSqlDatabaseError, rs.GetErrorText(text));
        return false;
    }
    for (size_t i = 0; i < params.size(); ++i)
    {
        CRowSqlParam& p = params[i];
        SQLPOINTER pValue = nullptr;
        SQLLEN bufferLength = 0;
        if (p.nIndicator != SQL_NULL_DATA)
        {
            if (p.nCType == SQL_C_BINARY)
            {
                pValue = p.bytes.empty() ? &emptyValue : p.bytes.data();
                bufferLength = static_cast<SQLLEN>(p.bytes.size());
            }
            else
            {
                pValue = &p.ts;
            }
        }
        if (!rs.BindParameter(static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                              static_cast<SQLSMALLINT>(p.nCType),
                              static_cast<SQLSMALLINT>(p.nSQLType), p.ColumnSize(),
                              p.DecimalDigits(), pValue, bufferLength, &p.nIndicator))
        {
            CString text;
            Fail(failure, kRowSqlDatabaseError, rs.GetErrorText(text));
            return false;
        }
    }
    if (!rs.Execute())
    {
        CString text;
        Fail(failure, kRowSqlDatabaseError, rs.GetErrorText(text));
        return false;
    }
    if (pSelected != nullptr)
    {
        CString text;
        *pSelected = rs.MoveFirst() && !rs.IsEOF() && rs.GetFieldText(1, text) ? _wtoi64(text) : -1;
        return true;
    }
    SQLLEN rows = -1;
    if (rs.GetRowCount(&rows))
        count = rows;
    if (pReturned != nullptr)
    {
        pReturned->clear();
        if (rs.MoveFirst() && !rs.IsEOF())
            for (short col = 1; col <= rs.GetColumnCount(); ++col)
            {
                CString text;
                if (!rs.GetFieldText(col, text))
                    text.Empty();
                pReturned->push_back(text);
            }
    }
    return true;
}

static bool RunOnce(CRDatabase& db, const CRowStatement& statement, LONGLONG& count,
                    CRowSqlFailure& failure, std::vector<CString>* pReturned)
{
    return RunWithParams(db, statement.strSQL, statement.params, count, failure, nullptr,
                         pReturned);
}

// The rows the condition of a statement on a row identified by its values matches now.
static bool CountMatchingRows(CRDatabase& db, const CRowStatement& statement, LONGLONG& matching,
                              CRowSqlFailure& failure)
{
    CRowSqlParams conditionParams;
    if (statement.nConditionParamFirst < statement.params.size())
        conditionParams.assign(statement.params.begin() + statement.nConditionParamFirst,
                               statement.params.end());
    LONGLONG unused = -1;
    matching = -1;
    return RunWithParams(db, statement.strCountSQL, conditionParams, unused, failure, &matching);
}

// True when the name, as a statement resolves it (a temporary object first, then the main
// database's, or in the database it names), is a SQLite view.
static bool IsSQLiteView(CRDatabase& db, const CString& table)
{
    std::vector<CString> parts;
    if (!db.IsSQLite() || !SplitSQLName(table, parts) || parts.empty() || parts.size() > 2)
        return false;
    auto typeIn = [&](const CString& schema) {
        return L"(SELECT type FROM " + schema + L".sqlite_master WHERE type IN ('table', 'view') " +
               L"AND name = " + db.StringLiteral(parts.back()) + L" COLLATE NOCASE)";
    };
    const CString question =
        parts.size() == 2 ? L"SELECT " + typeIn(QuoteSQLNameIfNeeded(parts[0], &db))
                          : L"SELECT coalesce(" + typeIn(L"temp") + L", " + typeIn(L"main") + L")";
    CString type;
    return db.AskOneText(question, type) && type == L"view";
}

bool ExecuteRowStatement(CRDatabase& db, const CRowStatement& statement, CRowSqlFailure& failure,
                         LONGLONG* pRowCount, std::vector<CString>* pReturned)
{
    LONGLONG count = -1;
    // A row identified by its values may have twins. They are counted first, so that nothing is
    // changed unless exactly one row matches: a roll-back afterwards cannot be relied on (inside
    // the user's open transaction it would undo his other work, and tables of some engines
    // cannot roll back at all), nor can a row count the driver does not report.
    if (statement.bValueKey && !statement.strCountSQL.IsEmpty())
    {
        LONGLONG matching = -1;
        if (!CountMatchingRows(db, statement, matching, failure))
            return false;
        if (matching != 1)
        {
            // A row that is gone needs no more words than the failure's own.
            CString text;
            if (matching > 1 && statement.bKeyed)
                text.Format(L"The row's key does not tell it apart: %lld rows have key values "
                            L"that read alike (as the driver hands them over), and none of them "
                            L"was changed.",
                            matching);
            else if (matching > 1)
                text.Format(L"The row is not unique: %lld rows have the same values, and none of "
                            L"them was changed. Give the table a primary key to edit such rows.",
                            matching);
            else if (matching < 0)
                text = L"The row cannot be identified: its rows could not be counted.";
            Fail(failure, kRowSqlRowCount, text);
            return false;
        }
    }
    // The guard stays for the moment between the count and the statement.
    CRTransaction guard(db, statement.bValueKey);
    bool ok = RunOnce(db, statement, count, failure, pReturned);
    if (pRowCount)
        *pRowCount = count;
    if (!ok)
    {
        guard.Rollback();
        return false;
    }
    if (statement.bValueKey && count > 1)
    {
        bool undone = guard.IsOwner();
        guard.Rollback();
        CString text;
        if (undone)
            text.Format(L"The row is not unique: the statement would have changed %lld rows and "
                        L"was rolled back.%s",
                        count,
                        statement.bKeyed ? L""
                                         : L" Give the table a primary key to edit such rows.");
        else
            text.Format(L"The row is not unique: the statement changed %lld rows.", count);
        Fail(failure, kRowSqlRowCount, text);
        return false;
    }
    guard.Commit();
    if (count == 0 && statement.bUpdate && statement.bValueKey &&
        !statement.strCountSQL.IsEmpty() && db.GetDBMSKind() == DBMS_MYSQL)
    {
        // MariaDB's and MySQL's drivers count the rows an UPDATE changed, not the rows it found:
        // a row that already held the values (another session saved the same change) counts
        // as none. Whether the row is there tells the two apart.
        LONGLONG matching = -1;
        if (!CountMatchingRows(db, statement, matching, failure))
            return false;
        if (matching == 1)
            return true;
    }
    // SQLite counts only the rows a statement changes itself: on a view, its INSTEAD OF trigger
    // ran in the statement's place, and none of the rows the trigger changed is counted.
    if (count == 0 && IsSQLiteView(db, statement.strTable))
        return true;
    if (count == 0)
    {
        Fail(failure, kRowSqlRowCount);
        return false;
    }
    return true;
}
