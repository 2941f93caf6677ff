// The usual text forms of integers and timestamps as drivers write them, read back into values.
// Only forms whose value no driver could read differently are accepted; for anything else the
// functions answer false and the caller lets the driver convert the value itself.
#pragma once

#include "dbaccess/odbc_defs.h"

#include <cstddef>

// An optional minus and 1 to 19 digits without a leading zero ("0" itself is accepted, "-0" is
// not), within [min, max].
bool ParsePlainInteger(const char* text, size_t length, long long min, long long max,
                       long long& value);

// "YYYY-MM-DD HH:MM:SS" of a real date and time (years 1 to 9999), or with bDateOnly
// "YYYY-MM-DD"; the fraction and the missing fields are zero.
bool ParsePlainTimestamp(const char* text, size_t length, bool bDateOnly, TIMESTAMP_STRUCT& value);
