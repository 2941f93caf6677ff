// Texts of the driver information dialogs.
#include "browser/info_texts.h"

#include <cwchar>

CString SQLTypeNameText(int nType, DBMSKind nKind)
{
    switch (nType)
    {
    case 0: return L"SQL_UNKNOWN_TYPE";
    case 1: return L"SQL_CHAR";
    case 2: return L"SQL_NUMERIC";
    case 3: return L"SQL_DECIMAL";
    case 4: return L"SQL_INTEGER";
    case 5: return L"SQL_SMALLINT";
    case 6: return L"SQL_FLOAT";
    case 7: return L"SQL_REAL";
    case 8: return L"SQL_DOUBLE";
    case 9: return L"SQL_DATE";
    case 10: return L"SQL_TIME";
    case 11: return L"SQL_TIMESTAMP";
    case 12: return L"SQL_VARCHAR";
    case 91: return L"SQL_TYPE_DATE";
    case 92: return L"SQL_TYPE_TIME";
    case 93: return L"SQL_TYPE_TIMESTAMP";
    case -1: return L"SQL_LONGVARCHAR";
    case -2: return L"SQL_BINARY";
    case -3: return L"SQL_VARBINARY";
    case -4: return L"SQL_LONGVARBINARY";
    case -5: return L"SQL_BIGINT";
    case -6: return L"SQL_TINYINT";
    case -7: return L"SQL_BIT";
    case -8: return L"SQL_WCHAR";
    case -9: return L"SQL_WVARCHAR";
    case -10: return L"SQL_WLONGVARCHAR";
    case -11: return L"SQL_GUID";
    default: break;
    }
    // Codes of the SQL Server driver; other products may reuse the numbers for other things.
    if (nKind == DBMS_MSSQL)
    {
        switch (nType)
        {
        case -150: return L"SQL_SS_VARIANT";
        case -151: return L"SQL_SS_UDT";
        case -152: return L"SQL_SS_XML";
        case -154: return L"SQL_SS_TIME2";
        case -155: return L"SQL_SS_TIMESTAMPOFFSET";
        default: break;
        }
    }
    return L"?";
}

CString TypeNullableText(int nValue)
{
    return nValue == 1 ? L"Yes" : nValue == 0 ? L"No" : L"?";
}

CString TypeYesNoText(int nValue)
{
    return nValue == 1 ? L"Yes" : L"No";
}

CString TypeSearchableText(int nValue)
{
    switch (nValue)
    {
    case 1: return L"LIKE only";
    case 2: return L"All except LIKE";
    case 3: return L"Yes";
    default: return L"No";
    }
}

CString CursorBehaviorText(int nValue)
{
    switch (nValue)
    {
    case 0: return L"Closes cursors, deletes prepared statements";
    case 1: return L"Closes cursors, not deletes prepared statements";
    case 2: return L"Preserve cursors in the same position";
    default: return L"?";
    }
}

CString TxnCapableText(int nValue)
{
    switch (nValue)
    {
    case 0: return L"Not supported";
    case 1: return L"DML only";
    case 2: return L"DDL and DML in any order";
    case 3: return L"DML only, DDL are commited";
    case 4: return L"DML only, DDL are ignored";
    default: return L"?";
    }
}

CString IdentifierCaseText(int nValue)
{
    switch (nValue)
    {
    case 1: return L"Not case-sensitive, stored in uppercase";
    case 2: return L"Not case-sensitive, stored in lowercase";
    case 3: return L"Case-sensitive, stored in mixed case";
    case 4: return L"Not case-sensitive, stored in mixed case";
    default: return L"";
    }
}

CString TxnIsolationText(DWORD nValue)
{
    switch (nValue)
    {
    case 1: return L"Dirty reads, nonrepeatable reads, and phantoms are possible";
    case 2: return L"Dirty reads are not possible. Nonrepeatable reads and phantoms are possible";
    case 4: return L"Dirty reads and nonrepeatable reads are not possible. Phantoms are possible";
    case 8:
        return L"Serializable transactions - do not allow dirty reads, nonrepeatable reads, or "
               L"phantoms";
    default: return L"?";
    }
}

CString InfoLimitText(DWORD nValue)
{
    if (nValue == 0)
        return L"no limit";
    CString text;
    text.Format(L"%u", (unsigned)nValue);
    return text;
}

namespace {

const CFunctionEntry kAggregate[] = {{L"All", 0x40},      {L"Avg", 0x1}, {L"Count", 0x2},
                                     {L"Distinct", 0x20}, {L"Max", 0x4}, {L"Min", 0x8},
                                     {L"Sum", 0x10}};
const CFunctionEntry kConversion[] = {{L"Cast", 0x2}, {L"Convert", 0x1}};
const CFunctionEntry kNumeric[] = {
    {L"Abs", 0x1},          {L"Acos", 0x2},     {L"Asin", 0x4},       {L"Atan", 0x8},
    {L"Atan2", 0x10},       {L"Ceiling", 0x20}, {L"Cos", 0x40},       {L"Cot", 0x80},
    {L"Degrees", 0x40000},  {L"Exp", 0x100},    {L"Floor", 0x200},    {L"Log", 0x400},
    {L"Log10", 0x80000},    {L"Mod", 0x800},    {L"Pi", 0x10000},     {L"Power", 0x100000},
    {L"Radians", 0x200000}, {L"Rand", 0x20000}, {L"Round", 0x400000}, {L"Sign", 0x1000},
    {L"Sin", 0x2000},       {L"Sqrt", 0x4000},  {L"Tan", 0x8000},     {L"Truncate", 0x800000}};
const CFunctionEntry kSQL92DateTime[] = {
    {L"CurrentDate", 0x1}, {L"CurrentTime", 0x2}, {L"CurrentTimeStamp", 0x4}};
const CFunctionEntry kSQL92NumericValue[] = {{L"BitLength", 0x1},       {L"CharLength", 0x2},
                                             {L"CharacterLength", 0x4}, {L"Extract", 0x8},
                                             {L"OctetLength", 0x10},    {L"Position", 0x20}};
const CFunctionEntry kSQL92String[] = {
    {L"Convert", 0x1},    {L"Lower", 0x2},     {L"Upper", 0x4},        {L"Substring", 0x8},
    {L"Translate", 0x10}, {L"TrimBoth", 0x20}, {L"TrimLeading", 0x40}, {L"TrimTrailing", 0x80}};
const CFunctionEntry kString[] = {{L"Ascii", 0x2000},
                                  {L"BitLength", 0x80000},
                                  {L"Char", 0x4000},
                                  {L"CharLength", 0x100000},
                                  {L"CharacterLength", 0x200000},
                                  {L"Concat", 0x1},
                                  {L"Difference", 0x8000},
                                  {L"Insert", 0x2},
                                  {L"LCase", 0x40},
                                  {L"Left", 0x4},
                                  {L"Length", 0x10},
                                  {L"Locate", 0x20},
                                  {L"LTrim", 0x8},
                                  {L"OctetLength", 0x400000},
                                  {L"Position", 0x800000},
                                  {L"Repeat", 0x80},
                                  {L"Replace", 0x100},
                                  {L"Right", 0x200},
                                  {L"RTrim", 0x400},
                                  {L"Soundex", 0x20000},
                                  {L"Space", 0x40000},
                                  {L"SubString", 0x800},
                                  {L"UCase", 0x1000}};
const CFunctionEntry kSystem[] = {{L"DBName", 0x2}, {L"IFNULL", 0x4}, {L"UserName", 0x1}};
const CFunctionEntry kTimeDate[] = {
    {L"CurrentDate", 0x20000},  {L"CurrentTime", 0x40000}, {L"CurrentTimeStamp", 0x80000},
    {L"CurDate", 0x2},          {L"CurTime", 0x200},       {L"DayName", 0x8000},
    {L"DayOfMonth", 0x4},       {L"DayOfWeek", 0x8},       {L"DayOfYear", 0x10},
    {L"Extract", 0x100000},     {L"Hour", 0x400},          {L"Minute", 0x800},
    {L"Month", 0x20},           {L"MonthName", 0x10000},   {L"Now", 0x1},
    {L"Quarter", 0x40},         {L"Second", 0x1000},       {L"TimeStampAdd", 0x2000},
    {L"TimeStampDiff", 0x4000}, {L"Week", 0x80},           {L"Year", 0x100}};

#define QL_CATEGORY(info, text, table)                                                             \
    {                                                                                              \
        info, text, table, (int)(sizeof table / sizeof table[0])                                   \
    }
const CFunctionCategory kCategories[] = {
    QL_CATEGORY(SQL_AGGREGATE_FUNCTIONS, L"Aggregate", kAggregate),
    QL_CATEGORY(SQL_CONVERT_FUNCTIONS, L"Conversion", kConversion),
    QL_CATEGORY(SQL_NUMERIC_FUNCTIONS, L"Numeric", kNumeric),
    QL_CATEGORY(SQL_SQL92_DATETIME_FUNCTIONS, L"SQL92 Date/Time", kSQL92DateTime),
    QL_CATEGORY(SQL_SQL92_NUMERIC_VALUE_FUNCTIONS, L"SQL92 numeric value", kSQL92NumericValue),
    QL_CATEGORY(SQL_SQL92_STRING_FUNCTIONS, L"SQL92 string", kSQL92String),
    QL_CATEGORY(SQL_STRING_FUNCTIONS, L"String functions", kString),
    QL_CATEGORY(SQL_SYSTEM_FUNCTIONS, L"System", kSystem),
    QL_CATEGORY(SQL_TIMEDATE_FUNCTIONS, L"Time/Date", kTimeDate),
};
#undef QL_CATEGORY

} // namespace

const CFunctionCategory* FunctionCategories(int* pnCount)
{
    *pnCount = (int)(sizeof kCategories / sizeof kCategories[0]);
    return kCategories;
}

CCursorAttributeInfo ChooseCursorAttributes(UINT nCursorType, DWORD nScrollOptions)
{
    const CCursorAttributeInfo keyset = {SQL_KEYSET_CURSOR_ATTRIBUTES1,
                                         SQL_KEYSET_CURSOR_ATTRIBUTES2, L" (keyset driven)"};
    const CCursorAttributeInfo dynamic = {SQL_DYNAMIC_CURSOR_ATTRIBUTES1,
                                          SQL_DYNAMIC_CURSOR_ATTRIBUTES2, L" (dynamic)"};
    const CCursorAttributeInfo statik = {SQL_STATIC_CURSOR_ATTRIBUTES1,
                                         SQL_STATIC_CURSOR_ATTRIBUTES2, L" (static)"};
    const CCursorAttributeInfo forward = {SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1,
                                          SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2, L" (forward only)"};
    const bool bKeyset = (nScrollOptions & SQL_SO_KEYSET_DRIVEN) != 0;
    const bool bDynamic = (nScrollOptions & SQL_SO_DYNAMIC) != 0;
    const bool bStatic = (nScrollOptions & SQL_SO_STATIC) != 0;
    if (nCursorType == 0 && bKeyset)
        return keyset;
    if (nCursorType == 3 && bDynamic)
        return dynamic;
    if (nCursorType == 1 && bStatic)
        return statik;
    if (bKeyset)
        return keyset;
    if (bDynamic)
        return dynamic;
    if (bStatic)
        return statik;
    return forward;
}

int CompareTextsOrdinal(const CString& a, const CString& b, bool bAscending)
{
    const int n = bAscending ? wcscmp(a, b) : wcscmp(b, a);
    return n < 0 ? -1 : n > 0 ? 1 : 0;
}
