// Cell addressing and value rules shared by the workbook writer and the in-process workbook.
#pragma once

#include "framework/core.h"

#include <set>

// The workbook's limits (columns A..XFD, rows 1..1048576).
const int kExcelMaxColumns = 16384;
const int kExcelMaxRows = 1048576;

// The letters of a 0-based column: 0 A, 25 Z, 26 AA, 675 YZ, 676 ZA, 702 AAA.
CString ExcelColumnLetters(int column);
// "AB12" for 0-based column 27 and row 12.
CString ExcelCellName(int column, int row);
// Parses a cell name such as "AB12" into a 0-based column and a 1-based row.
bool ParseExcelCellName(LPCWSTR pszName, int& column, int& row);

// True when the text is a plain decimal number that a double holds so that it reads back as
// the same number ("1.50" and "1.5" alike; "1234567890123456789" and "0.1234567890123456789"
// not). value receives the double.
bool NumberTextFitsDouble(const CString& text, double& value);
// The same without the value: most numbers are decided without converting them.
bool NumberTextFitsDouble(const CString& text);
// The shortest text that reads back as the same double ("%.17g" at most).
CString ShortestDoubleText(double value);

// A sheet name the workbook accepts: at most 31 characters, none of : \ / ? * [ ], not empty,
// and different (ignoring case) from every name in used, to which it is added.
CString MakeSheetName(const CString& wanted, std::set<CString>& used);
