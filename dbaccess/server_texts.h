// PostgreSQL values of a query read as the server writes them (RS_SERVER_TEXTS: the user's
// queries, and a table or view read where no held cursor reads it).
//
// psqlODBC hands some values over without part of them, in every form it offers: a timestamptz
// as the session's local time alone (in the hour a clock turns back two instants read alike,
// and written back the time names the later one), a date without its era (44 BC reads as 44 AD),
// a date or timestamp past the year 9999 as nothing true but its year. The server's text keeps
// all of it. So a query that may be read so (MayReadAsServerText) is described
// first (prepared: the server parses it, nothing runs), and where its result has such a column
// it runs inside a SELECT that reads every column as it is, under its own name, but those as
// their text:
//
//     SELECT q."1" AS "id", q."2"::text AS "at" FROM (
//     <the query>
//     ) AS q("1", "2")
//
// A timestamptz is then shown as that text, offset and all; a date or timestamp is made from its
// text (CRRecordset::ReadColumnsAsServerText), so that it still sorts, filters and formats as a
// date. The rows, their order and every other value are the query's own; only the statement the
// server runs is the wrapping one. A text without such a column runs as prepared.
#pragma once

#include "framework/core.h"

#include <sql.h>
#include <sqlext.h>
#include <vector>

// The wrapping SELECT. names: the result's column labels in order (any text: duplicates and
// quotes are kept); asText: which of them to read as their text. The query (one statement) is
// taken up to the semicolon that ends it; a line comment that ends it stays ended.
CString SelectWithColumnsAsText(LPCWSTR pszQuery, const std::vector<CString>& names,
                                const std::vector<bool>& asText);

// Whether a PostgreSQL text is a query that may run so: one SELECT, or one WITH whose words
// change nothing (a WITH holding INSERT, UPDATE, DELETE or MERGE runs only at the top level;
// FOR UPDATE counts too, and such a query runs as written).
bool MayReadAsServerText(LPCWSTR pszQuery);

// How a PostgreSQL result column is best read, by its SQL type and the driver's type name.
enum class PostgresRead
{
    AsTheDriverReads,
    AsShownText,  // a timestamptz: its text, shown as it is
    AsParsedText, // a date or a timestamp without zone: made from its text
};
PostgresRead HowToReadPostgresColumn(SQLSMALLINT nSQLType, const CString& typeName);
