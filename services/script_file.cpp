// CSQLScriptFile: reading a script file in its encoding, through a buffer of its own (a read
// call per byte costs a system call each under Wine).
#include "services/script_reader.h"

#include "dbaccess/error_report.h"

#include <cstring>
#include <new>

namespace {

const size_t kBufferSize = 64 * 1024;

} // namespace

CSQLScriptFile::CSQLScriptFile(LPCWSTR path, UINT nOpenFlags, LPCWSTR separator, UINT encoding)
    : CFile(path, nOpenFlags)
{
    SetSeparator(separator);
    m_buffer.resize(kBufferSize);

    // ANSI is the system code page in both directions, byte by byte but for the lead bytes of
    // a double-byte code page, which take the next byte with them.
    for (int b = 0; b < 256; ++b)
    {
        const char byte = static_cast<char>(b);
        m_ansiLead[b] = ::IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b)) != FALSE;
        m_bAnsiLeadBytes = m_bAnsiLeadBytes || m_ansiLead[b];
        wchar_t ch = L'?';
        if (!m_ansiLead[b] && ::MultiByteToWideChar(CP_ACP, 0, &byte, 1, &ch, 1) != 1)
            ch = L'?';
        m_ansiChars[b] = ch;
    }
    DetectEncoding(encoding);
}

void CSQLScriptFile::DetectEncoding(UINT encoding)
{
    const ULONGLONG length = GetLength();
    BYTE head[3] = {};
    SeekToBegin();
    const UINT got = CFile::Read(head, sizeof(head));
    const bool unicodeBom = got >= 2 && head[0] == 0xFF && head[1] == 0xFE;
    const bool utf8Bom = got == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF;

    // An odd-length file is never read as UTF-16LE.
    if ((encoding == SCRIPT_ENCODING_UNICODE ||
         (encoding == SCRIPT_ENCODING_DETECT && unicodeBom)) &&
        length % 2 == 0)
    {
        m_nEncoding = SCRIPT_ENCODING_UNICODE;
        m_bBom = unicodeBom;
        Restart(unicodeBom ? 2 : 0);
        return;
    }
    if (encoding == SCRIPT_ENCODING_UTF8 || (encoding == SCRIPT_ENCODING_DETECT && IsUtf8File()))
    {
        m_nEncoding = SCRIPT_ENCODING_UTF8;
        m_bBom = utf8Bom;
        Restart(utf8Bom ? 3 : 0);
        return;
    }
    m_nEncoding = SCRIPT_ENCODING_ANSI;
    m_bBom = false;
    Restart(0);
}

// The whole file is tested, not its start: a script whose first non-ASCII character comes late
// is still UTF-8. The file is read in chunks cut before a sequence that may continue in the next.
bool CSQLScriptFile::IsUtf8File()
{
    SeekToBegin();
    std::vector<BYTE> chunk(kBufferSize + 4);
    size_t carry = 0;
    bool sawHigh = false;
    for (;;)
    {
        const UINT got = CFile::Read(chunk.data() + carry, static_cast<UINT>(kBufferSize));
        const bool last = got == 0;
        const size_t length = carry + got;
        if (length == 0)
            break;
        size_t cut = length;
        if (!last)
        {
            for (size_t k = length; k > 0 && length - k < 3; --k)
            {
                const BYTE b = chunk[k - 1];
                if (b < 0x80)
                    break;
                if (b >= 0xC0)
                {
                    cut = k - 1;
                    break;
                }
            }
        }
        bool high = false;
        for (size_t k = 0; k < cut && !high; ++k)
            high = chunk[k] >= 0x80;
        if (high)
        {
            sawHigh = true;
            if (!IsUtf8Text(chunk.data(), static_cast<int>(cut)))
                return false;
        }
        carry = length - cut;
        std::memmove(chunk.data(), chunk.data() + cut, carry);
        if (last)
            break;
    }
    return sawHigh;
}

void CSQLScriptFile::Restart(ULONGLONG position)
{
    Seek(static_cast<LONGLONG>(position), CFile::begin);
    m_nBufPos = m_nBufLen = 0;
    m_bEof = false;
    m_source.DiscardPendingChar();
}

bool CSQLScriptFile::FillBuffer()
{
    if (m_bEof)
        return false;
    m_nBufPos = 0;
    m_nBufLen = CFile::Read(m_buffer.data(), static_cast<UINT>(m_buffer.size()));
    if (m_nBufLen == 0)
        m_bEof = true;
    return m_nBufLen != 0;
}

int CSQLScriptFile::CBufferSource::Read(void* buffer, int count)
{
    BYTE* out = static_cast<BYTE*>(buffer);
    int copied = 0;
    while (copied < count)
    {
        if (m_file.m_nBufPos == m_file.m_nBufLen && !m_file.FillBuffer())
            break;
        const size_t n =
            std::min(static_cast<size_t>(count - copied), m_file.m_nBufLen - m_file.m_nBufPos);
        std::memcpy(out + copied, m_file.m_buffer.data() + m_file.m_nBufPos, n);
        m_file.m_nBufPos += n;
        copied += static_cast<int>(n);
    }
    return copied;
}

bool CSQLScriptFile::NextChar(wchar_t& ch)
{
    if (m_nEncoding == SCRIPT_ENCODING_UTF8 && m_source.HasPendingChar())
        return ReadUtf8Char(m_source, ch) != 0;
    if (m_nBufPos == m_nBufLen && !FillBuffer())
        return false;
    switch (m_nEncoding)
    {
    case SCRIPT_ENCODING_UNICODE: {
        BYTE pair[2];
        if (m_source.Read(pair, 2) != 2)
            return false; // a last odd byte is no character
        ch = static_cast<wchar_t>(pair[0] | (pair[1] << 8));
        return true;
    }
    case SCRIPT_ENCODING_UTF8:
        // At least one byte is there: 0 means a byte that starts no character.
        if (ReadUtf8Char(m_source, ch) == 0)
            ch = 0xFFFF;
        return true;
    default: {
        const BYTE b = m_buffer[m_nBufPos++];
        ch = m_ansiChars[b];
        if (m_ansiLead[b])
        {
            char pair[2] = {static_cast<char>(b), 0};
            if (m_source.Read(&pair[1], 1) != 1 ||
                ::MultiByteToWideChar(CP_ACP, 0, pair, 2, &ch, 1) != 1)
                ch = L'?';
        }
        return true;
    }
    }
}

void CSQLScriptFile::Decode(std::wstring& out, bool bStopAtLF)
{
    for (;;)
    {
        if (m_nBufPos == m_nBufLen && !FillBuffer())
            return;
        const BYTE* p = m_buffer.data() + m_nBufPos;
        const BYTE* end = m_buffer.data() + m_nBufLen;
        // Runs of plain bytes are decoded a buffer at a time; anything else one character at a
        // time below.
        if (m_nEncoding == SCRIPT_ENCODING_ANSI && !m_bAnsiLeadBytes)
        {
            const BYTE* lf =
                bStopAtLF ? static_cast<const BYTE*>(std::memchr(p, '\n', end - p)) : nullptr;
            const BYTE* stop = lf != nullptr ? lf + 1 : end;
            const size_t old = out.size();
            out.resize(old + (stop - p));
            wchar_t* o = &out[old];
            for (; p < stop; ++p)
                *o++ = m_ansiChars[*p];
            m_nBufPos = stop - m_buffer.data();
            if (lf != nullptr)
                return;
            continue;
        }
        if (m_nEncoding == SCRIPT_ENCODING_UTF8 && !m_source.HasPendingChar() && *p < 0x80)
        {
            const BYTE* q = p;
            while (q < end && *q < 0x80 && !(bStopAtLF && *q == '\n'))
                ++q;
            const bool bLineEnd = q < end && *q == '\n' && bStopAtLF;
            if (bLineEnd)
                ++q;
            out.append(p, q); // ASCII: one byte, one character
            m_nBufPos = q - m_buffer.data();
            if (bLineEnd)
                return;
            continue;
        }
        if (m_nEncoding == SCRIPT_ENCODING_UNICODE && end - p >= 2)
        {
            for (; end - p >= 2; p += 2)
            {
                const wchar_t ch = static_cast<wchar_t>(p[0] | (p[1] << 8));
                out.push_back(ch);
                if (bStopAtLF && ch == L'\n')
                {
                    m_nBufPos = p + 2 - m_buffer.data();
                    return;
                }
            }
            m_nBufPos = p - m_buffer.data();
            continue;
        }
        wchar_t ch;
        if (!NextChar(ch))
            return;
        out.push_back(ch);
        if (bStopAtLF && ch == L'\n')
            return;
    }
}

bool CSQLScriptFile::ReadLine(std::wstring& line)
{
    line.clear();
    Decode(line, true);
    m_nReadOffset += static_cast<int>(line.size());
    return !line.empty();
}

bool CSQLScriptFile::ReadAll(CString& text)
{
    try
    {
        std::wstring all;
        const ULONGLONG length = GetLength();
        const ULONGLONG position = GetPosition();
        if (length > position)
            all.reserve(static_cast<size_t>(length - position));
        Decode(all, false);
        m_nReadOffset += static_cast<int>(all.size());
        text = CString(all.c_str(), static_cast<int>(all.size()));
        return true;
    }
    catch (const std::bad_alloc&)
    {}
    catch (CMemoryException* e)
    {
        CExceptionHolder held(e);
    }
    text.Empty();
    return false;
}
