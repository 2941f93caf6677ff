// Field values as text, shared by both cursors: integers, floating-point numbers in the format
// their column description asks for, and the checked conversion of doubles to 32-bit integers.
#pragma once

#include "dbaccess/cursor.h"

// printf format for a floating-point value of the column: "%.<digits>f" when the column has
// decimal digits, else "%.<size>g" for a column size (at most 17, all a double holds), else "%f".
CString FormatDoubleText(Zelt::ICursor* cursor, UINT col);
CStringA FormatDoubleTextA(Zelt::ICursor* cursor, UINT col);

// The value in that format; desc may be null. Of more than 15 significant digits only as many
// are printed as the value needs to read back the same. When the format's text would not read
// back as the same value, the shortest text that does (in %g layout). The float forms judge
// that as a float (a REAL column).
CString FormatDoubleValue(double value, const Zelt::ICursor::CColumnDesc* desc);
CString FormatDoubleValue(float value, const Zelt::ICursor::CColumnDesc* desc);
CStringA FormatDoubleValueA(double value, const Zelt::ICursor::CColumnDesc* desc);
CStringA FormatDoubleValueA(float value, const Zelt::ICursor::CColumnDesc* desc);

CString SignedText(LONGLONG value);
CString UnsignedText(ULONGLONG value);

// Truncates toward zero; false when the value does not fit 32 bits (or is not a number).
bool DoubleToLong(double value, long& out);

// Throws "Value out of range for field #<col>" (a double too large for a 32-bit getter).
[[noreturn]] void ThrowValueOutOfRange(UINT col);
// A value held in 64 bits for a column the driver describes as a narrower integer (SQLite's,
// see CRRecordset::DescribeColumns), for the 16- and 32-bit getters: false when the column is
// a real 64-bit one (those getters do not take it); a value out of the range throws.
bool NarrowIntegerOfWide(const Zelt::ICursor::CColumnDesc* desc, UINT col, LONGLONG value,
                         LONGLONG min, LONGLONG max, LONGLONG& out);
// A database timestamp as a CTime; one that CTime cannot hold (before 1970, for one) is out of
// range for the field, reported like every other database failure.
CTime TimestampToTime(const TIMESTAMP_STRUCT& ts, UINT col);

// The same texts written into an existing string (no temporary strings; for reading many rows).
void SetSignedText(CString& out, LONGLONG value);
void SetUnsignedText(CString& out, ULONGLONG value);
void SetDoubleText(CString& out, double value, const Zelt::ICursor::CColumnDesc* desc);
void SetDoubleText(CString& out, float value, const Zelt::ICursor::CColumnDesc* desc);
// The text SetDoubleText gives for the double a driver's decimal text stands for, made from the
// text's digits where that is certain to be the same; false where it is not (the caller formats
// the value). bShortest: the text is known to be the shortest that reads back as its value, as
// PostgreSQL 12 and later write doubles (up to 17 digits then).
bool SetDoubleTextOfDecimal(CString& out, const char* text, size_t length,
                            const Zelt::ICursor::CColumnDesc* desc, bool bShortest = false);
// The text FormatTimestamp gives for the value and SQL type; "" for null.
void SetTimestampText(CString& out, const TIMESTAMP_STRUCT* value, int sqlType);
