// PostgreSQL timestamptz values of the user's own query, read as the server writes them.
//
// psqlODBC hands a timestamptz over as the session's local time alone, in every form it offers
// (text, timestamp structure; binary is refused): in the hour a clock turns back two instants
// read alike, and written back (an INSERT script, a copied value) the time names the later one.
// The server's text keeps the offset. So a single SELECT of the user's whose result has such a
// column is described first (prepared: the server parses it, nothing runs), and where it has
// one it runs inside a SELECT that reads every column as it is, under its own name, but those
// as their text:
//
//     SELECT q."1" AS "id", q."2"::text AS "at" FROM (
//     <the query>
//     ) AS q("1", "2")
//
// The rows, their order and every other value are the query's own; only the statement the server
// runs is the wrapping one. A text without such a column runs as prepared.
#pragma once

#include "framework/core.h"

#include <vector>

// The wrapping SELECT. names: the result's column labels in order (any text: duplicates and
// quotes are kept); asText: which of them to read as their text. The query (one statement) is
// taken up to the semicolon that ends it; a line comment that ends it stays ended.
CString SelectWithColumnsAsText(LPCWSTR pszQuery, const std::vector<CString>& names,
                                const std::vector<bool>& asText);

// Whether a PostgreSQL text is a query that may run so: one SELECT, or one WITH whose words
// change nothing (a WITH holding INSERT, UPDATE, DELETE or MERGE runs only at the top level;
// FOR UPDATE counts too, and such a query runs as written).
bool MayReadInstantsAsText(LPCWSTR pszQuery);

// Whether a driver type name is that of a value the driver reads without its offset.
bool IsInstantTypeName(const CString& typeName);
