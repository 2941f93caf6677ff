// The WHERE condition of a grid window's filter: one line per condition, joined by AND and OR,
// each value written as the literal its column's type needs for the connection's product.
#pragma once

#include "services/catalog_arrays.h"
#include "windows/sort_filter_info.h"

class CRDatabase;

// The list texts of an operation code ("=", "LIKE", ...) and of a logic code ("AND", "OR");
// empty for an unknown code.
CString GetFilterOperationText(int nOperation);
CString GetFilterLogicText(int nLogic);

// The value of one comparison as SQL text for a column of the SQL type; false when the text
// cannot stand for a value of that type (a number column with anything but a number) or, for
// IN and NOT IN, is not a list of literals.
bool FormatFilterValue(CRDatabase* pDatabase, int nSQLType, int nOperation, LPCWSTR pszText,
                       CString& strValue);

// Builds the condition text of the filter from its rows into filter.m_strCondition; false
// (filter unchanged) for a NULL with an operation other than = and <>, another marker value, or
// a value its column's type cannot take. pDatabase: the catalog connection (names and literals
// are written for it). Rows whose column is not among the columns are left out.
bool BuildFilterCondition(CFilterArray& filter, CRDatabase* pDatabase,
                          const CColumnInfoArray& columns);
