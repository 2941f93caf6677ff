// Conversion between the ANSI code page and UTF-16 for the string classes.
#include "framework/text_string.h"

#include "framework/exceptions.h"

namespace ql_string_detail {

int AnsiToWideLength(const char* text, int length)
{
    if (!text || length == 0)
        return 0;
    int count = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    if (length < 0 && count > 0)
        --count; // the terminator
    return count;
}

void AnsiToWide(const char* text, int length, wchar_t* out, int outLength)
{
    if (!text || length == 0 || outLength <= 0)
        return;
    if (length < 0)
    {
        int count = MultiByteToWideChar(CP_ACP, 0, text, -1, out, outLength + 1);
        if (count == 0)
            out[outLength] = 0;
        return;
    }
    MultiByteToWideChar(CP_ACP, 0, text, length, out, outLength);
}

int WideToAnsiLength(const wchar_t* text, int length)
{
    if (!text || length == 0)
        return 0;
    int count = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (length < 0 && count > 0)
        --count;
    return count;
}

void WideToAnsi(const wchar_t* text, int length, char* out, int outLength)
{
    if (!text || length == 0 || outLength <= 0)
        return;
    if (length < 0)
    {
        int count = WideCharToMultiByte(CP_ACP, 0, text, -1, out, outLength + 1, nullptr, nullptr);
        if (count == 0)
            out[outLength] = 0;
        return;
    }
    WideCharToMultiByte(CP_ACP, 0, text, length, out, outLength, nullptr, nullptr);
}

} // namespace ql_string_detail
