#include "dbaccess/utf8_text.h"

#include <cstdint>
#include <cstring>

namespace {

// The code point of the sequence at p (at most left bytes) and its length; a malformed or cut
// sequence is one byte of U+FFFD.
inline std::uint32_t DecodeOne(const unsigned char* p, size_t left, size_t& length)
{
    const unsigned char b = p[0];
    length = 1;
    std::uint32_t cp;
    size_t need;
    std::uint32_t min;
    if (b < 0x80)
        return b;
    if (b >= 0xC2 && b <= 0xDF)
    {
        cp = b & 0x1F;
        need = 1;
        min = 0x80;
    }
    else if (b >= 0xE0 && b <= 0xEF)
    {
        cp = b & 0x0F;
        need = 2;
        min = 0x800;
    }
    else if (b >= 0xF0 && b <= 0xF4)
    {
        cp = b & 0x07;
        need = 3;
        min = 0x10000;
    }
    else
    {
        return 0xFFFD;
    }
    if (left < need + 1)
        return 0xFFFD;
    for (size_t i = 1; i <= need; ++i)
    {
        if ((p[i] & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0xFFFD;
    length = need + 1;
    return cp;
}

} // namespace

size_t Utf8ToUtf16(const char* text, size_t bytes, wchar_t* out, size_t maxUnits, size_t* pConsumed)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    size_t at = 0, units = 0;
    while (at < bytes)
    {
        // Runs of ASCII, the bulk of most text, go straight through, eight bytes at a time.
        while (at + 8 <= bytes && units + 8 <= maxUnits)
        {
            std::uint64_t eight;
            std::memcpy(&eight, p + at, 8);
            if (eight & 0x8080808080808080ull)
                break;
            for (int i = 0; i < 8; ++i)
                out[units + i] = static_cast<wchar_t>(p[at + i]);
            at += 8;
            units += 8;
        }
        if (at >= bytes)
            break;
        if (p[at] < 0x80)
        {
            if (units == maxUnits)
                break;
            out[units++] = static_cast<wchar_t>(p[at++]);
            continue;
        }
        size_t length = 0;
        const std::uint32_t cp = DecodeOne(p + at, bytes - at, length);
        if (cp >= 0x10000)
        {
            if (units + 2 > maxUnits)
                break;
            out[units++] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
            out[units++] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
        else
        {
            if (units == maxUnits)
                break;
            out[units++] = static_cast<wchar_t>(cp);
        }
        at += length;
    }
    if (pConsumed)
        *pConsumed = at;
    return units;
}

size_t Utf16LengthOfUtf8(const char* text, size_t bytes)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    size_t at = 0, units = 0;
    while (at < bytes)
    {
        if (p[at] < 0x80)
        {
            ++at;
            ++units;
            continue;
        }
        size_t length = 0;
        units += DecodeOne(p + at, bytes - at, length) >= 0x10000 ? 2 : 1;
        at += length;
    }
    return units;
}

bool IsAsciiText(const char* text, size_t bytes)
{
    // Eight bytes at a time; their high bits are gathered and tested once at the end.
    std::uint64_t high = 0;
    size_t at = 0;
    for (; at + 8 <= bytes; at += 8)
    {
        std::uint64_t eight;
        std::memcpy(&eight, text + at, 8);
        high |= eight;
    }
    for (; at < bytes; ++at)
        high |= static_cast<unsigned char>(text[at]);
    return (high & 0x8080808080808080ull) == 0;
}
