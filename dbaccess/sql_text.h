// Text helpers of the result cursors: keyword search in SQL text, the table a SELECT reads,
// date and timestamp text to ODBC structures, and normalisation of numbers fetched as text.
#pragma once

#include "dbaccess/cursor.h"

#include <vector>

// Position of the last occurrence of keyword in text outside '...' and "..." quoted parts, as a
// whole word (no letter, digit or '_' on either side), compared without regard to case; -1 when
// there is none, the text or keyword is empty, or a quoted part is never closed. A keyword of
// several words ("ORDER BY") is matched with exactly the blanks it has.
int FindSQLKeyword(LPCWSTR text, LPCWSTR keyword);

// The one table a single-table SELECT reads, as written in the text (quotes and schema kept, any
// alias dropped); "" when the statement is anything else: no SELECT, a join, a list of tables, a
// subquery or a set operation (UNION, INTERSECT, EXCEPT, MINUS) at the top level, GROUP BY or
// HAVING, or an unclosed quote or comment. Comments are skipped.
CString ParseSelectTableName(LPCWSTR sql);

// The functions the select list of a SELECT calls (each name just before a "(", unquoted names
// in lower case, a schema dropped), for a question to the catalog about them. false when the text
// is no SELECT, its list begins with DISTINCT, or it does not tokenize.
bool ReadSelectListCalls(LPCWSTR sql, std::vector<CString>& names);

// One item of a SELECT's select list, as far as editing its column is concerned.
struct CSelectListItem
{
    bool bStar = false;   // "*" or "x.*": every column of the table, each read as stored
    bool bColumn = false; // a column read as stored: a name, qualified or not, quoted or not
    CString strColumn;    // bColumn: the column's name (quotes removed)
    CString strAlias;     // the name given with or without AS (quotes removed); "" for none
    CString strComputed;  // !bColumn && !bStar: what computes it, in words ("the function upper")
};

// The items of the select list of a SELECT, in order. false when the text is no SELECT or does
// not tokenize; DISTINCT and the like are the caller's to refuse (see ReadSelectListCalls).
bool ReadSelectList(LPCWSTR sql, std::vector<CSelectListItem>& items);

// The parts of a name as written ("main"."T" x), quotes removed; false when it is no name.
bool SplitSQLName(LPCWSTR name, std::vector<CString>& parts);

// Date text with an optional time: "2020-12-31", "31.12.2020 23:59:59.5", "12/31/2020T10:00",
// a time alone "10:30". Fraction digits up to nanoseconds are kept; " BC" after a date makes its
// year negative ("0044/03/15 BC" is year -44). false when it does not parse; the structure is
// zeroed first. With bZeroParts a date may have a zero month or day ("2020/00/00", "0/00/00"),
// as MariaDB and MySQL store them.
bool ParseDateText(LPCWSTR text, TIMESTAMP_STRUCT& ts, bool bZeroParts = false);
// The same, also reading a zone offset " +02:30" into timezone_hour/minute (the sign on both).
bool ParseTimestampText(LPCWSTR text, SQL_SS_TIMESTAMPOFFSET_STRUCT& ts);

// A number as a driver sends it in text ("-1,5E+2", ".5") as a plain decimal ("-150", "0.5"),
// padded with zeros to scale decimals when scale > 0. false (output unspecified) for anything
// that is not a number or whose exponent would make an absurdly long text. With bFloating (a
// FLOAT, REAL or DOUBLE column) a value whose plain form would exceed 38 digits keeps its
// exponent form, only a decimal comma turned into a point.
bool NormalizeNumberText(LPCWSTR text, int scale, CString& out, bool bFloating = false);
bool NormalizeNumberTextA(LPCSTR text, int scale, CStringA& out, bool bFloating = false);
// True for a zero with a minus sign and nothing else around it ("-0", "-0.000", "-.0e+00").
// PostgreSQL reads such a number unquoted as the integer 0, which drops the sign; quoted, it is
// read as the column's floating-point type and keeps it.
bool IsNegativeZeroText(LPCWSTR text);
