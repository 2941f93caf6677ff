// The printf-style formatter behind CString::Format, with the Windows meanings of the
// conversions (see text_string.h). Integers, characters and strings are formatted here;
// floating-point numbers go through the C library's narrow snprintf with the conversion
// rebuilt, which is plain ASCII in and out.
#include "framework/text_string.h"

#include "framework/exceptions.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>

namespace {

struct Spec
{
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    int width = 0;
    int precision = -1; // -1: none
};

enum class Size
{
    Default,
    Char,
    Short,
    Long,
    LongLong,
    Wide,
    Narrow,
    LongDouble
};

template <typename C>
void Pad(std::basic_string<C>& out, size_t count, C ch)
{
    out.append(count, ch);
}

// Text with width (and the zero flag, as the Windows formatter does for strings too).
template <typename C>
void PutText(std::basic_string<C>& out, const C* text, size_t length, const Spec& spec)
{
    size_t width = spec.width > 0 ? static_cast<size_t>(spec.width) : 0;
    size_t pad = width > length ? width - length : 0;
    if (!spec.left)
        Pad(out, pad, static_cast<C>(spec.zero ? '0' : ' '));
    out.append(text, length);
    if (spec.left)
        Pad(out, pad, static_cast<C>(' '));
}

template <typename C>
std::basic_string<C> Widen(const char* ascii)
{
    std::basic_string<C> result;
    for (; *ascii; ++ascii)
        result.push_back(static_cast<C>(static_cast<unsigned char>(*ascii)));
    return result;
}

// Text of the other character width, converted through the ANSI code page.
std::wstring Convert(const char* text, int length)
{
    int count = ql_string_detail::AnsiToWideLength(text, length);
    std::wstring result(count, L'\0');
    if (count)
        ql_string_detail::AnsiToWide(text, length, result.data(), count);
    return result;
}

std::string Convert(const wchar_t* text, int length)
{
    int count = ql_string_detail::WideToAnsiLength(text, length);
    std::string result(count, '\0');
    if (count)
        ql_string_detail::WideToAnsi(text, length, result.data(), count);
    return result;
}

template <typename T>
int BoundedLength(const T* text, int precision)
{
    int n = 0;
    while ((precision < 0 || n < precision) && text[n])
        ++n;
    return n;
}

template <typename C, typename S>
void PutString(std::basic_string<C>& out, const S* text, const Spec& spec)
{
    if (!text)
    {
        static const char null[] = "(null)";
        std::basic_string<C> shown = Widen<C>(null);
        if (spec.precision >= 0 && static_cast<size_t>(spec.precision) < shown.size())
            shown.resize(spec.precision);
        PutText(out, shown.data(), shown.size(), spec);
        return;
    }
    if constexpr (std::is_same_v<C, S>)
    {
        PutText(out, text, BoundedLength(text, spec.precision), spec);
    }
    else
    {
        // The precision counts the characters shown, after conversion.
        auto converted = Convert(text, BoundedLength(text, -1));
        if (spec.precision >= 0 && static_cast<size_t>(spec.precision) < converted.size())
            converted.resize(spec.precision);
        PutText(out, converted.data(), converted.size(), spec);
    }
}

template <typename C>
void PutInteger(std::basic_string<C>& out, unsigned long long magnitude, bool negative,
                bool isSigned, char conversion, const Spec& spec)
{
    unsigned base = (conversion == 'x' || conversion == 'X' || conversion == 'p') ? 16
                    : conversion == 'o'                                           ? 8
                                                                                  : 10;
    const char* digitSet = (conversion == 'x') ? "0123456789abcdef" : "0123456789ABCDEF";
    char buffer[32];
    int n = 0;
    for (unsigned long long v = magnitude; v != 0; v /= base)
        buffer[n++] = digitSet[v % base];
    std::string digits(buffer, n);
    std::reverse(digits.begin(), digits.end());
    if (spec.precision >= 0 && static_cast<int>(digits.size()) < spec.precision)
        digits.insert(0, spec.precision - digits.size(), '0');
    if (spec.precision < 0 && digits.empty())
        digits = "0";
    if (conversion == 'o' && spec.alternate && (digits.empty() || digits[0] != '0'))
        digits.insert(0, 1, '0');

    std::string prefix;
    if (isSigned)
    {
        if (negative)
            prefix = "-";
        else if (spec.plus)
            prefix = "+";
        else if (spec.space)
            prefix = " ";
    }
    if (spec.alternate && magnitude != 0 && (conversion == 'x' || conversion == 'X'))
        prefix += conversion == 'x' ? "0x" : "0X";

    size_t length = prefix.size() + digits.size();
    size_t width = spec.width > 0 ? static_cast<size_t>(spec.width) : 0;
    size_t pad = width > length ? width - length : 0;
    if (!spec.left && !(spec.zero && spec.precision < 0))
        Pad(out, pad, static_cast<C>(' '));
    out += Widen<C>(prefix.c_str());
    if (!spec.left && spec.zero && spec.precision < 0)
        Pad(out, pad, static_cast<C>('0'));
    out += Widen<C>(digits.c_str());
    if (spec.left)
        Pad(out, pad, static_cast<C>(' '));
}

template <typename C>
void PutFloat(std::basic_string<C>& out, long double value, bool isLong, char conversion,
              const Spec& spec)
{
    std::string format = "%";
    if (spec.left)
        format += '-';
    if (spec.plus)
        format += '+';
    if (spec.space)
        format += ' ';
    if (spec.alternate)
        format += '#';
    if (spec.zero)
        format += '0';
    if (spec.width > 0)
        format += std::to_string(spec.width);
    if (spec.precision >= 0)
        format += "." + std::to_string(spec.precision);
    if (isLong)
        format += 'L';
    format += conversion;
    int length = isLong ? std::snprintf(nullptr, 0, format.c_str(), value)
                        : std::snprintf(nullptr, 0, format.c_str(), static_cast<double>(value));
    if (length <= 0)
        return;
    std::string text(length, '\0');
    if (isLong)
        std::snprintf(text.data(), length + 1, format.c_str(), value);
    else
        std::snprintf(text.data(), length + 1, format.c_str(), static_cast<double>(value));
    out += Widen<C>(text.c_str());
}

bool IsDigit(unsigned c)
{
    return c >= '0' && c <= '9';
}

int ReadNumber(const auto*& p)
{
    long long n = 0;
    while (IsDigit(static_cast<unsigned>(*p)))
    {
        if (n < INT_MAX / 2)
            n = n * 10 + (*p - '0');
        ++p;
    }
    return static_cast<int>(n);
}

template <typename C>
void FormatTo(std::basic_string<C>& out, const C* format, va_list args)
{
    constexpr bool wideFormat = std::is_same_v<C, wchar_t>;
    if (!format)
        AfxThrowInvalidArgException();
    const C* p = format;
    while (*p)
    {
        if (*p != '%')
        {
            const C* run = p;
            while (*p && *p != '%')
                ++p;
            out.append(run, p - run);
            continue;
        }
        const C* start = p++;
        if (*p == '%')
        {
            out.push_back(*p++);
            continue;
        }
        Spec spec;
        for (;; ++p)
        {
            if (*p == '-')
                spec.left = true;
            else if (*p == '+')
                spec.plus = true;
            else if (*p == ' ')
                spec.space = true;
            else if (*p == '#')
                spec.alternate = true;
            else if (*p == '0')
                spec.zero = true;
            else
                break;
        }
        if (*p == '*')
        {
            ++p;
            spec.width = va_arg(args, int);
            if (spec.width < 0)
            {
                spec.left = true;
                spec.width = spec.width == INT_MIN ? INT_MAX : -spec.width;
            }
        }
        else
        {
            spec.width = ReadNumber(p);
        }
        if (*p == '.')
        {
            ++p;
            if (*p == '*')
            {
                ++p;
                spec.precision = va_arg(args, int);
                if (spec.precision < 0)
                    spec.precision = -1;
            }
            else
            {
                spec.precision = ReadNumber(p);
            }
        }
        Size size = Size::Default;
        bool size64 = false;
        switch (*p)
        {
        case 'h':
            ++p;
            size = Size::Short;
            if (*p == 'h')
            {
                ++p;
                size = Size::Char;
            }
            break;
        case 'l':
            ++p;
            size = Size::Long;
            if (*p == 'l')
            {
                ++p;
                size = Size::LongLong;
            }
            break;
        case 'w':
            ++p;
            size = Size::Wide;
            break;
        case 'L':
            ++p;
            size = Size::LongDouble;
            break;
        case 'I':
            if (p[1] == '6' && p[2] == '4')
            {
                p += 3;
                size = Size::LongLong;
            }
            else if (p[1] == '3' && p[2] == '2')
            {
                p += 3;
                size = Size::Default;
            }
            else
            {
                ++p;
                size = Size::LongLong; // pointer-sized
            }
            break;
        case 'j':
        case 'z':
        case 't':
            ++p;
            size = Size::LongLong;
            break;
        default: break;
        }
        size64 = size == Size::LongLong || size == Size::LongDouble;

        C conversion = *p;
        if (conversion == 0)
        {
            out.append(start, p - start); // a format cut short: shown as it stands
            break;
        }
        ++p;
        switch (conversion)
        {
        case 'd':
        case 'i': {
            long long value;
            if (size64)
                value = va_arg(args, long long);
            else if (size == Size::Short)
                value = static_cast<short>(va_arg(args, int));
            else if (size == Size::Char)
                value = static_cast<signed char>(va_arg(args, int));
            else
                value = va_arg(args, int);
            unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                                     : static_cast<unsigned long long>(value);
            PutInteger(out, magnitude, value < 0, true, 'd', spec);
            break;
        }
        case 'u':
        case 'x':
        case 'X':
        case 'o': {
            unsigned long long value;
            if (size64)
                value = va_arg(args, unsigned long long);
            else if (size == Size::Short)
                value = static_cast<unsigned short>(va_arg(args, unsigned));
            else if (size == Size::Char)
                value = static_cast<unsigned char>(va_arg(args, unsigned));
            else
                value = va_arg(args, unsigned);
            PutInteger(out, value, false, false, static_cast<char>(conversion), spec);
            break;
        }
        case 'p': {
            auto value = reinterpret_cast<ULONG_PTR>(va_arg(args, void*));
            Spec pointerSpec = spec;
            pointerSpec.precision = static_cast<int>(sizeof(void*) * 2);
            pointerSpec.alternate = false;
            PutInteger(out, value, false, false, 'p', pointerSpec);
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (size == Size::LongDouble)
                PutFloat(out, va_arg(args, long double), true, static_cast<char>(conversion), spec);
            else
                PutFloat(out, va_arg(args, double), false, static_cast<char>(conversion), spec);
            break;
        case 'c':
        case 'C': {
            int value = va_arg(args, int);
            bool wideArg = size == Size::Long || size == Size::Wide ? true
                           : size == Size::Short                    ? false
                                                 : (conversion == 'c') == wideFormat;
            if (wideArg)
            {
                wchar_t ch = static_cast<wchar_t>(value);
                wchar_t text[2] = {ch, 0};
                PutString(out, text, spec);
            }
            else
            {
                char text[2] = {static_cast<char>(value), 0};
                PutString(out, text, spec);
            }
            break;
        }
        case 's':
        case 'S': {
            bool wideArg = size == Size::Long || size == Size::Wide ? true
                           : size == Size::Short                    ? false
                                                 : (conversion == 's') == wideFormat;
            if (wideArg)
                PutString(out, va_arg(args, const wchar_t*), spec);
            else
                PutString(out, va_arg(args, const char*), spec);
            break;
        }
        case 'n':
            (void)va_arg(args, void*); // writing through arguments is not supported
            break;
        default:
            out.append(start, p - start); // unknown conversion: shown as it stands
            break;
        }
    }
}

template <typename C>
void FormatAppendImpl(CStringT<C>& out, const C* format, va_list args)
{
    std::basic_string<C> text;
    try
    {
        FormatTo(text, format, args);
    }
    catch (const std::bad_alloc&)
    {
        AfxThrowMemoryException();
    }
    catch (const std::length_error&)
    {
        AfxThrowMemoryException();
    }
    if (text.size() > static_cast<size_t>(INT_MAX / 2))
        AfxThrowMemoryException();
    out.Append(text.data(), static_cast<int>(text.size()));
}

} // namespace

namespace ql_string_detail {

void FormatAppend(CStringT<wchar_t>& out, const wchar_t* format, va_list args)
{
    FormatAppendImpl(out, format, args);
}

void FormatAppend(CStringT<char>& out, const char* format, va_list args)
{
    FormatAppendImpl(out, format, args);
}

} // namespace ql_string_detail
