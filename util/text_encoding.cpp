#include "util/text_encoding.h"

bool IsUtf8Text(const BYTE* bytes, int length)
{
    if (bytes == nullptr || length < 1)
        return false;
    int expected = 0;
    bool sawHigh = false;
    for (int i = 0; i < length; ++i)
    {
        const BYTE b = bytes[i];
        if (b < 0x80)
        {
            if (expected != 0)
                return false;
            continue;
        }
        sawHigh = true;
        if (expected != 0)
        {
            if (b > 0xBF)
                return false;
            --expected;
        }
        else if (b >= 0xC0 && b <= 0xDF)
            expected = 1;
        else if (b >= 0xE0 && b <= 0xEF)
            expected = 2;
        else if (b >= 0xF0 && b <= 0xF4)
            expected = 3; // up to U+10FFFF
        else
            return false; // stray continuation byte, or a lead byte beyond four bytes
    }
    return sawHigh;
}

int ReadUtf8Char(REncode::CReaderBase& reader, wchar_t& ch)
{
    if (reader.HasPendingChar())
    {
        ch = reader.GetPendingChar();
        reader.DiscardPendingChar();
        return 1;
    }

    ch = 0xFFFF;
    BYTE lead = 0;
    if (reader.Read(&lead, 1) != 1)
        return 0;
    if (lead < 0x80)
    {
        ch = wchar_t(lead);
        return 1;
    }

    int n;
    unsigned value;
    if ((lead & 0xE0) == 0xC0)
        n = 1, value = lead & 0x1F;
    else if ((lead & 0xF0) == 0xE0)
        n = 2, value = lead & 0x0F;
    else if ((lead & 0xF8) == 0xF0)
        n = 3, value = lead & 0x07;
    else if ((lead & 0xFC) == 0xF8)
        n = 4, value = lead & 0x03;
    else if ((lead & 0xFE) == 0xFC)
        n = 5, value = lead & 0x01;
    else
        return 0;

    BYTE tail[5];
    if (reader.Read(tail, n) != n)
        return 0;
    if (n > 3)
        return n + 1; // beyond the Unicode range: consumed, not produced

    bool valid = true;
    for (int i = 0; i < n; ++i)
    {
        if ((tail[i] & 0xC0) != 0x80)
            valid = false;
        value = (value << 6) + (tail[i] & 0x3F);
    }
    if (!valid)
        return n + 1;
    if (n < 3 || value < 0x10000)
    {
        ch = wchar_t(value);
        return n + 1;
    }
    if (value > 0x10FFFF)
        return n + 1;

    // A supplementary character: the high surrogate now, the low one on the next call. The
    // four bytes are accounted as 3 + 1 so that the results still add up to the bytes read.
    value -= 0x10000;
    ch = wchar_t(0xD800 + (value >> 10));
    reader.SetPendingChar(wchar_t(0xDC00 + (value & 0x3FF)));
    return 3;
}

const ByteOrderMark& GetUnicodeBom()
{
    static const BYTE bytes[] = {0xFF, 0xFE};
    static const ByteOrderMark bom = {bytes, 2};
    return bom;
}

const ByteOrderMark& GetUtf8Bom()
{
    static const BYTE bytes[] = {0xEF, 0xBB, 0xBF};
    static const ByteOrderMark bom = {bytes, 3};
    return bom;
}

namespace REncode {
int CFileReader::Read(void* buffer, int count)
{
    if (count <= 0)
        return 0;
    int read = int(m_file.Read(buffer, UINT(count)));
    m_bytesRead += read;
    return read;
}

int CFileReader::ReadChar(wchar_t& ch)
{
    const long long before = m_bytesRead;
    if (ReadUtf8Char(*this, ch) > 0)
        return 1;
    // A byte that cannot start a sequence (or a sequence cut off by the end of the file) is
    // delivered as 0xFFFF rather than taken for the end of the file.
    if (m_bytesRead != before)
    {
        ch = 0xFFFF;
        return 1;
    }
    return 0;
}
} // namespace REncode
