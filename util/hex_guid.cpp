#include "util/utility.h"

namespace {
// Value of one hexadecimal digit, or -1.
int HexDigit(wchar_t ch)
{
    if (ch >= L'0' && ch <= L'9')
        return ch - L'0';
    if (ch >= L'a' && ch <= L'f')
        return ch - L'a' + 10;
    if (ch >= L'A' && ch <= L'F')
        return ch - L'A' + 10;
    return -1;
}

// Reads exactly `digits` hexadecimal digits (fewer when a non-digit follows, but at least one)
// into `value`; advances `p`.
bool ReadHexField(LPCWSTR& p, int digits, unsigned long& value)
{
    value = 0;
    int read = 0;
    while (read < digits)
    {
        int d = HexDigit(*p);
        if (d < 0)
            break;
        value = (value << 4) | unsigned(d);
        ++p;
        ++read;
    }
    return read > 0;
}
} // namespace

bool HexToBytes(LPCWSTR text, BYTE* buffer, int size)
{
    if (size <= 0)
        return true;
    if (text == nullptr)
        text = L"";
    for (int i = 0; i < size; ++i)
    {
        wchar_t hi = text[0];
        wchar_t lo = hi ? text[1] : L'\0';
        if (hi == L'\0' || lo == L'\0')
        {
            ZeroMemory(buffer + i, size_t(size - i));
            return true;
        }
        int h = HexDigit(hi), l = HexDigit(lo);
        if (h < 0 || l < 0)
            return false;
        buffer[i] = BYTE((h << 4) | l);
        text += 2;
    }
    return true;
}

CString BytesToHex(const BYTE* bytes, int count)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    CString result;
    if (count <= 0 || bytes == nullptr)
        return result;
    LPWSTR out = result.GetBuffer(count * 2);
    for (int i = 0; i < count; ++i)
    {
        out[2 * i] = digits[bytes[i] >> 4];
        out[2 * i + 1] = digits[bytes[i] & 0x0F];
    }
    result.ReleaseBuffer(count * 2);
    return result;
}

bool ParseGuid(LPCWSTR text, GUID& guid)
{
    // Fields are read with the widths of "%08lX-%04hX-%04hX-%02X%02X-%02X%02X%02X%02X%02X%02X";
    // each byte field goes through a temporary so nothing past the GUID is ever written.
    if (text == nullptr)
        return false;
    LPCWSTR p = text;
    if (*p == L'{')
        ++p;

    static const int widths[11] = {8, 4, 4, 2, 2, 2, 2, 2, 2, 2, 2};
    unsigned long fields[11] = {};
    for (int i = 0; i < 11; ++i)
    {
        // Like scanf, a hexadecimal field may be preceded by white space.
        while (iswspace(*p))
            ++p;
        if (!ReadHexField(p, widths[i], fields[i]))
            return false;
        if (i == 0 || i == 1 || i == 2)
        {
            if (*p != L'-')
                return false;
            ++p;
        }
        else if (i == 4)
        {
            if (*p != L'-')
                return false;
            ++p;
        }
    }
    GUID parsed;
    parsed.Data1 = DWORD(fields[0]);
    parsed.Data2 = WORD(fields[1]);
    parsed.Data3 = WORD(fields[2]);
    for (int i = 0; i < 8; ++i)
        parsed.Data4[i] = BYTE(fields[3 + i]);
    guid = parsed;
    return true;
}
