// CSQLScriptFile: reading a script file in its encoding, through a buffer of its own (a read
// call per byte costs a system call each under Wine).
#include "services/script_reader.h"

#include "dbaccess/error_report.h"
#include "services/utf8_step.h"

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
    const CSurvey survey = SurveyFile();

    // An odd-length file is never read as UTF-16LE.
    if ((encoding == SCRIPT_ENCODING_UNICODE ||
         (encoding == SCRIPT_ENCODING_DETECT && unicodeBom)) &&
        length % 2 == 0)
    {
        m_nEncoding = SCRIPT_ENCODING_UNICODE;
        m_bBom = unicodeBom;
        m_nNuls = survey.zeroUnits;
        if (m_nNuls != 0)
            m_nFirstNulLine = LineOfOffset(survey.firstZeroUnit, true);
        Restart(unicodeBom ? 2 : 0);
        return;
    }
    // The mark decides by itself: read as ANSI it would show as three odd letters at the
    // start. Without it a few bad bytes in as much UTF-8 still make a UTF-8 file: a tie is read
    // as UTF-8, where the user hears of the bad bytes, rather than as ANSI, where the UTF-8
    // characters would turn into pairs of letters without a word.
    const bool utf8 =
        utf8Bom || (survey.utf8Sequences != 0 && survey.utf8Sequences >= survey.utf8BadBytes);
    m_nNuls = survey.zeroBytes;
    if (m_nNuls != 0)
        m_nFirstNulLine = LineOfOffset(survey.firstZeroByte, false);
    if (encoding == SCRIPT_ENCODING_UTF8 || (encoding == SCRIPT_ENCODING_DETECT && utf8))
    {
        m_nEncoding = SCRIPT_ENCODING_UTF8;
        m_bBom = utf8Bom;
        m_nBadBytes = survey.utf8BadBytes;
        if (m_nBadBytes != 0)
            m_nFirstBadLine = LineOfOffset(survey.firstUtf8BadByte, false);
        Restart(utf8Bom ? 3 : 0);
        return;
    }
    m_nEncoding = SCRIPT_ENCODING_ANSI;
    m_bBom = false;
    Restart(0);
}

// The whole file is looked at, not its start: a script whose first non-ASCII character comes
// late is still UTF-8, and a NUL at its end still counts. A multi-byte sequence cut by the end
// of a chunk is carried into the next.
CSQLScriptFile::CSurvey CSQLScriptFile::SurveyFile()
{
    CSurvey survey;
    SeekToBegin();
    std::vector<BYTE> chunk(kBufferSize + 4);
    size_t carry = 0;
    ULONGLONG chunkStart = 0; // file offset of chunk[0]
    BYTE evenByte = 1;        // the first byte of the UTF-16 unit under way
    for (;;)
    {
        const UINT got = CFile::Read(chunk.data() + carry, static_cast<UINT>(kBufferSize));
        const bool last = got == 0;
        const size_t length = carry + got;
        ULONGLONG offset = chunkStart + carry;
        for (size_t k = carry; k < length; ++k, ++offset)
        {
            const BYTE b = chunk[k];
            if (b == 0 && survey.zeroBytes++ == 0)
                survey.firstZeroByte = offset;
            if ((offset & 1) == 0)
                evenByte = b;
            else if (b == 0 && evenByte == 0 && survey.zeroUnits++ == 0)
                survey.firstZeroUnit = offset - 1;
        }
        size_t i = 0;
        while (i < length)
        {
            if (chunk[i] < 0x80)
            {
                ++i;
                continue;
            }
            const Utf8Step step = StepUtf8(chunk.data() + i, length - i, last);
            if (step.length == 0)
                break; // goes on in the next chunk
            if (step.valid)
                ++survey.utf8Sequences;
            else if (survey.utf8BadBytes++ == 0)
                survey.firstUtf8BadByte = chunkStart + i;
            i += step.length;
        }
        if (last)
            break;
        carry = length - i;
        std::memmove(chunk.data(), chunk.data() + i, carry);
        chunkStart += i;
    }
    return survey;
}

int CSQLScriptFile::LineOfOffset(ULONGLONG offset, bool bUtf16)
{
    SeekToBegin();
    std::vector<BYTE> chunk(kBufferSize);
    ULONGLONG at = 0;
    int line = 1;
    while (at < offset)
    {
        const UINT got = CFile::Read(chunk.data(), static_cast<UINT>(kBufferSize));
        if (got == 0)
            break;
        for (UINT k = 0; k < got && at < offset; ++k, ++at)
        {
            // kBufferSize is even: a UTF-16 unit's first byte sits at an even k.
            if (chunk[k] == '\n' &&
                (!bUtf16 || ((at & 1) == 0 && k + 1 < got && chunk[k + 1] == 0)))
                ++line;
        }
    }
    return line;
}

void CSQLScriptFile::Restart(ULONGLONG position)
{
    Seek(static_cast<LONGLONG>(position), CFile::begin);
    m_nBufPos = m_nBufLen = 0;
    m_bEof = false;
    m_source.DiscardPendingChar();
}

// Bytes not yet decoded move to the front and the rest of the buffer is filled after them: a
// UTF-8 sequence is always decoded from one piece of memory.
bool CSQLScriptFile::FillBuffer()
{
    if (m_bEof)
        return false;
    const size_t kept = m_nBufLen - m_nBufPos;
    std::memmove(m_buffer.data(), m_buffer.data() + m_nBufPos, kept);
    m_nBufPos = 0;
    const UINT got = CFile::Read(m_buffer.data() + kept, static_cast<UINT>(m_buffer.size() - kept));
    m_nBufLen = kept + got;
    if (got == 0)
        m_bEof = true;
    return got != 0;
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

void CSQLScriptFile::DecodeUtf8Char(std::wstring& out)
{
    // A sequence is at most 4 bytes: with fewer left the file's end is reached.
    const size_t available = m_nBufLen - m_nBufPos;
    const Utf8Step step = StepUtf8(m_buffer.data() + m_nBufPos, available, true);
    m_nBufPos += step.length;
    if (!step.valid)
        out.push_back(L'\xFFFD');
    else if (step.code < 0x10000)
        out.push_back(static_cast<wchar_t>(step.code));
    else
    {
        const char32_t v = step.code - 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (v >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (v & 0x3FF)));
    }
}

bool CSQLScriptFile::NextChar(wchar_t& ch)
{
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
        if (m_nEncoding == SCRIPT_ENCODING_UTF8 && *p < 0x80)
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
        if (m_nEncoding == SCRIPT_ENCODING_UTF8)
        {
            if (end - p < 4 && !m_bEof)
                FillBuffer();
            else
                DecodeUtf8Char(out); // never an LF
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
