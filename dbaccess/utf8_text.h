// UTF-8 text as the drivers hand it over, turned into UTF-16: a strict decoder (each malformed
// byte becomes U+FFFD, as Windows' own conversion does) that keeps U+0000 and stops at a given
// number of UTF-16 units.
#pragma once

#include <cstddef>

// Decodes up to bytes bytes of p into out, writing at most maxUnits units; a character that
// would not fit whole is not written. Returns the units written; *pConsumed (optional) gets the
// bytes used, so a caller can tell whether the text was cut.
size_t Utf8ToUtf16(const char* p, size_t bytes, wchar_t* out, size_t maxUnits,
                   size_t* pConsumed = nullptr);

// The UTF-16 units the text decodes to (the count Utf8ToUtf16 gives without a limit).
size_t Utf16LengthOfUtf8(const char* p, size_t bytes);

// True when every byte is below 0x80: the text reads the same as UTF-8, Latin-1 or UTF-16 units.
bool IsAsciiText(const char* text, size_t bytes);
