// Window-free rules of the tables dialog: row order, drop questions and kinds, copied names.
#pragma once

#include "framework/core.h"

#include <vector>

// One row of the tables dialog.
struct CTablesRow
{
    CString m_strName;
    CString m_strSchema;
    CString m_strRemarks;
    int m_nProcType = 0; // procedures: 1 procedure, 2 function, 0 unknown
};

// Order of two rows by Name (column 0) or Schema (1), case ignored: below 0 when a comes first
// in the direction, 0 when they tie, above 0 when b comes first.
int CompareTablesRows(const CTablesRow& a, const CTablesRow& b, int nColumn, bool bAscending);

// "Table 'x' will be dropped.\nContinue?", "Views 'a, b' ..." by kind and count.
CString MakeDropQuestion(int nObjectKind, const std::vector<CString>& names);
// The object kind a row is dropped as: a function is a function on every product.
int GetDropObjectKind(int nObjectKind, int nProcType);
// The names each followed by " \r\n" but the last.
CString JoinCopiedNames(const std::vector<CString>& names);
