// Window-free texts of the object property lists: copied names and types, parameter directions,
// foreign-key references and the drop questions.
#pragma once

#include "framework/core.h"

#include <vector>

// "NAME TYPE(SIZE,DIGITS)": digits are left out when they are "0" or empty (an empty digits
// cell would otherwise leave "NAME VARCHAR(40,)").
CString FormatColumnCopyPart(LPCWSTR pszName, LPCWSTR pszType, LPCWSTR pszSize, LPCWSTR pszDigits,
                             bool bWithType);
// One part per selected row joined by CR LF; more than one part also ends with CR LF.
CString JoinCopyParts(const std::vector<CString>& parts);
// The COLUMN_TYPE of a procedure column: "Unknown", "In", "In, out", "Resultset", "Out",
// "Return value"; empty for other values.
CString GetParamIOTypeText(int nColumnType);
// PKTABLE_SCHEM.PKTABLE_NAME.PKCOLUMN_NAME, empty parts left out with their dots.
CString FormatForeignKeyReference(LPCWSTR pszSchema, LPCWSTR pszTable, LPCWSTR pszColumn);
// "Column a will be dropped.\nContinue?" / "Columns a, b will be dropped.\nContinue?" (and the
// same for "Trigger", "Index" with their plurals).
CString MakeListDropQuestion(LPCWSTR pszSingular, LPCWSTR pszPlural,
                             const std::vector<CString>& names);
