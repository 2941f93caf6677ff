// SQLite numbers read as text. A column whose declaration fixes no storage class (ANY in a STRICT
// table, a column declared without a type) keeps integers and reals beside texts, and SQLite's
// ODBC driver reads such a column by its declaration or its first value: as text, a number comes
// as the text SQLite writes of it (5, 1.5, 2.0, 1.0e+20, Inf), which a text of just that form
// reads as too. Only the file can tell them apart: the program asks it, for the one table column
// the value comes from, as it does for blobs (see sqlite_blob_form.h).
#pragma once

#include "framework/core.h"

// Whether a text is one SQLite writes of a number: an integer (-12, 0; no sign but '-', no
// leading zero), a real as written with 15 digits and its point (1.5, 2.0, 1.0e+20), or an
// infinity (Inf, -Inf).
bool ReadsAsSQLiteNumber(const CString& text);

// Whether a column declared so may hold a number beside a text that reads as one. A column of
// text affinity (a declared type naming CHAR, CLOB or TEXT, and not INT) turns every number
// stored in it into its text: the file need not be asked about its values.
bool MayHoldSQLiteNumbers(const CString& declaredType);

// The question asked first for a column: whether it holds numbers (1), texts that read as a
// number's (2), or both (3). A column holding one form alone needs no question for each value.
CString SQLiteColumnNumberFormsQuestion(const CString& table, const CString& column);
// Whether the column holds the number, the text, or both, that read as the text given (the
// answer as above; 0 when neither: the row was changed since it was read). table is written as
// in the statement; column is the bare name.
CString SQLiteNumberFormQuestion(const CString& table, const CString& column, const CString& text);
