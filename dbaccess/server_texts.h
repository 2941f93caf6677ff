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

#include "dbaccess/cursor.h"

#include <sql.h>
#include <sqlext.h>
#include <vector>

// The wrapping SELECT. names: the result's column labels in order (any text: duplicates and
// quotes are kept); asText: which of them to read as their text. The query (one statement) is
// taken up to the semicolon that ends it; a line comment that ends it stays ended. nStart: where
// the query that is wrapped begins (ServerTextQueryStart); the text before it, the list of a WITH
// that changes rows, stays in front of the wrapping SELECT, which its main SELECT then reads:
//
//     WITH x AS (INSERT ... RETURNING ...) SELECT q."1" AS "id", q."2"::text AS "at" FROM (
//     SELECT id, at FROM x
//     ) AS q("1", "2")
CString SelectWithColumnsAsText(LPCWSTR pszQuery, const std::vector<CString>& names,
                                const std::vector<bool>& asText, size_t nStart = 0);

// Where the query begins that a PostgreSQL text may be read through, or npos for a text that runs
// as written. 0 for a text that is one query the server takes as a subquery: a SELECT, VALUES,
// TABLE, a set operation whose first term is in parentheses, or a WITH whose words change
// nothing (a WITH holding INSERT, UPDATE, DELETE or MERGE runs only at the top level; FOR UPDATE
// counts too). For a WITH that changes rows, the start of its main statement where that is a
// query (SELECT, VALUES, TABLE or one in parentheses): the WITH itself runs once, around the
// wrapping SELECT. A main INSERT, UPDATE, DELETE or MERGE, and a list of a shape not read here
// (SEARCH, CYCLE), run as written.
size_t ServerTextQueryStart(LPCWSTR pszQuery);
inline bool MayReadAsServerText(LPCWSTR pszQuery)
{
    return ServerTextQueryStart(pszQuery) != static_cast<size_t>(-1);
}

// How a PostgreSQL result column is best read, by its SQL type and the driver's type name.
enum class PostgresRead
{
    AsTheDriverReads,
    AsShownText,  // a timestamptz: its text, shown as it is
    AsParsedText, // a date or a timestamp without zone: made from its text
};
PostgresRead HowToReadPostgresColumn(SQLSMALLINT nSQLType, const CString& typeName);

// What the driver's value of a column of a PostgreSQL result read as the driver hands it over
// lacks (CColumnDesc::nDriverDrops): a timestamptz its offset, a date its era; asked of the
// driver's type name only for those SQL types.
BYTE PostgresDriverDrops(SQLHSTMT hStmt, UINT nColumn, SQLSMALLINT nSQLType);
// The mark a grid's header gives such a column after its name (" [no offset]", " [no era]"), and
// "" for every other.
LPCWSTR DriverDropsMark(const Zelt::ICursor::CColumnDesc* pDesc);
// Why the marked columns of a result show what they show, in words, naming them; "" where none
// is marked.
CString DriverDropsNote(Zelt::ICursor& cursor);
