// The usual text forms of integers and timestamps as drivers write them, read back into values.
// Only forms whose value no driver could read differently are accepted; for anything else the
// functions answer false and the caller lets the driver convert the value itself.
#pragma once

#include "dbaccess/odbc_defs.h"

#include <cstddef>
#include <string>
#include <vector>

// An optional minus and 1 to 19 digits without a leading zero ("0" itself is accepted, "-0" is
// not), within [min, max].
bool ParsePlainInteger(const char* text, size_t length, long long min, long long max,
                       long long& value);

// "YYYY-MM-DD HH:MM:SS" of a real date and time (years 1 to 9999), optionally followed by a
// point and 1 to 9 digits of the second's fraction, or with bDateOnly "YYYY-MM-DD"; the missing
// fields are zero. With bZeroParts a year, month or day may also be 0 and the day need not fall
// in its month, as MySQL and MariaDB store them ('0000-00-00', '2020-00-00', '2020-02-31' under
// their modes that allow them).
bool ParsePlainTimestamp(const char* text, size_t length, bool bDateOnly, TIMESTAMP_STRUCT& value,
                         bool bZeroParts = false);

// PostgreSQL's text of a date or timestamp as it writes it under DateStyle ISO: the plain form
// above (with bDateOnly the date alone), " BC" after a year before 1 (a negative year, see
// SetInfiniteTimestamp), a year past 9999 in more digits (held as SetFarFutureTimestamp holds it),
// or "infinity" and "-infinity". False for any other text.
bool ParsePostgresTimestamp(const char* text, size_t length, bool bDateOnly,
                            TIMESTAMP_STRUCT& value);

// A decimal number: an optional minus, digits with an optional point among or after them, and an
// optional exponent ("e" or "E", an optional sign, digits), whose value is a normal double or a
// zero without a minus (drivers differ on "-0"; subnormal values, overflows, words and
// hexadecimal forms are left to the driver too). The double nearest to the decimal.
bool ParsePlainDouble(const char* text, size_t length, double& value);

// Whether ParsePlainDouble takes the text, known by its form alone: an optional minus, digits, and
// a point followed by digits, at most 300 characters in all (no such text is beyond a normal
// double's range), but a zero with a minus. False says nothing: the text may still be taken.
bool IsSurelyPlainDouble(const char* text, size_t length);

// Whether the text has that form (an optional minus, digits with an optional point, an optional
// exponent), whatever its value.
bool IsDecimalNumberText(const char* text, size_t length);

// The significant digits of such a number (without leading and trailing zeros) and the decimal
// exponent of its first one: "-0.0125" gives negative, "125", 3 and -2. False when the text is
// not of that form or its value is zero; digits has room for 40 and more are refused.
bool DecimalDigitsOf(const char* text, size_t length, bool& negative, char* digits, int& count,
                     int& exponent);

// PostgreSQL's text of a row value ("(a,\"b c\",)", as record_out writes it): each field's text,
// or none for a NULL one (nothing between its commas; an empty text comes quoted, ""). Quoted
// fields keep a doubled quote or a backslash's next character as that character. False when the
// text is not of that form or holds more than nMaxFields fields.
struct CRowTextField
{
    const char* pText = nullptr; // null: NULL
    size_t nLength = 0;
};
bool SplitPostgresRowText(const char* text, size_t length, std::string& scratch,
                          std::vector<CRowTextField>& fields, size_t nMaxFields);
