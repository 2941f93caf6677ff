// SQLite blobs read as text. SQLite's ODBC driver hands a blob held in a column of another type
// over as the text SQLite writes of it, X' and upper-case hex digits and ', and a text of just
// that form reads the same (read as bytes, the driver decodes both). Only the file can tell
// them apart: the program asks it, for the one table column the value comes from.
#pragma once

#include "framework/core.h"

#include <cstddef>

// Whether a value read as text reads as SQLite writes a blob: X'', X'00FF' (an even number of
// upper-case hex digits; SQLite never writes lower case, so x'00ff' is a text).
bool ReadsAsSQLiteBlob(const wchar_t* text, size_t length);
bool ReadsAsSQLiteBlob(const char* text, size_t length);

// The question whose answer GetFieldBlobForm's constants are: whether the column of the table
// holds the blob, the text, or both, that read as text (text reads as a blob). quote() tells them
// apart whatever the column's affinity and collation. table is written as in the statement;
// column is the bare name.
CString SQLiteBlobFormQuestion(const CString& table, const CString& column, const CString& text);
// The question asked first for a column: whether it holds blobs (1), texts that read as a blob's
// (2), or both (3). A column holding one form alone needs no question for each value.
CString SQLiteColumnBlobFormsQuestion(const CString& table, const CString& column);
// The form the answer names; kBlobFormEither for anything else (no answer, or neither found:
// the row was changed since it was read).
int SQLiteBlobFormFromAnswer(bool answered, const CString& answer);
