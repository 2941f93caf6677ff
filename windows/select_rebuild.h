// The SELECT text of a grid window rebuilt for a new sort and filter: the old ORDER BY and WHERE
// clauses of the statement are cut off and new ones appended.
//
// Only a clause of the outer statement is cut (outside quotes, comments and parentheses), and
// only when nothing that must follow it (LIMIT, GROUP BY, UNION, ...) would be lost or end up in
// front of the new clauses; anything else is refused with a reason, so a query never silently
// returns other rows than the user asked for.
#pragma once

#include "windows/sort_filter_info.h"

class CRDatabase;

// " a ASC, b DESC": each entry with an order, the name quoted where the connection needs it.
// Empty when no entry has an order. pszQualifier: the table the names are columns of, put
// before each ("t.a"), so that a name orders by the table's column rather than by a column of
// the SELECT's own list that has its name (PostgreSQL's timestamptz read as text, "ts::text AS
// ts", sorts as text by its name: the hour a clock turns back out of order, years past 9999
// first).
CString BuildOrderByList(const CSortArray& sort, CRDatabase* pQuoteDatabase,
                         LPCWSTR pszQualifier = nullptr);

// The new statement. bSort / bFilter: whether the sort and the filter apply; the order list
// (from BuildOrderByList) and the condition may be empty, which leaves their clause out.
// False with a message for the user when the statement cannot be rebuilt safely.
bool RebuildSelect(LPCWSTR pszCurrent, bool bSort, LPCWSTR pszOrderList, bool bFilter,
                   LPCWSTR pszCondition, bool bBackslashEscapes, CString& strResult,
                   CString& strWhyNot);
