// Lets GoogleTest show string objects in failure messages.
#pragma once

#include "framework/text_string.h"

#include <ostream>

inline void PrintTo(const CStringW& s, std::ostream* os)
{
    *os << '"' << CStringA(s).GetString() << '"';
}

inline void PrintTo(const CStringA& s, std::ostream* os)
{
    *os << '"' << s.GetString() << '"';
}
