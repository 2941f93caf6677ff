// Byte streams over strings and the three character codecs of the XML tree.
#include "util/xml_tree.h"

namespace {
[[noreturn]] void ThrowBadSeek()
{
    AfxThrowFileException(CFileException::badSeek, ERROR_NEGATIVE_SEEK);
}

// The new position for a seek, or -1 when it lies outside 0..length.
int SeekTarget(int position, int length, int offset, int origin)
{
    long long base = origin == 0 ? 0 : origin == 1 ? position : length;
    long long target = base + offset;
    if (origin < 0 || origin > 2 || target < 0 || target > length)
        return -1;
    return int(target);
}
} // namespace

// ---- Narrow string stream (positions in bytes) ----

int CRXMLItem::CStringIO<char>::Read(void* buffer, int count)
{
    int available = m_text.GetLength() - m_nPos;
    if (count > available)
        count = available;
    if (count <= 0)
        return 0;
    memcpy(buffer, m_text.GetString() + m_nPos, size_t(count));
    m_nPos += count;
    return count;
}

int CRXMLItem::CStringIO<char>::Write(const void* buffer, int count)
{
    if (count <= 0)
        return 0;
    CStringA piece(static_cast<const char*>(buffer), count);
    if (m_nPos >= m_text.GetLength())
        m_text += piece;
    else
        m_text = m_text.Left(m_nPos) + piece + m_text.Mid(m_nPos);
    m_nPos += count;
    return count;
}

int CRXMLItem::CStringIO<char>::Seek(int offset, int origin)
{
    int target = SeekTarget(m_nPos, m_text.GetLength(), offset, origin);
    if (target < 0)
    {
        if (offset != 0)
            ThrowBadSeek();
        return m_nPos;
    }
    m_nPos = target;
    DiscardPendingChar();
    return m_nPos;
}

// ---- Wide string stream (positions in characters, sizes in bytes) ----

int CRXMLItem::CStringIO<wchar_t>::Read(void* buffer, int count)
{
    int chars = count / int(sizeof(wchar_t));
    int available = m_text.GetLength() - m_nPos;
    if (chars > available)
        chars = available;
    if (chars <= 0)
        return 0;
    memcpy(buffer, m_text.GetString() + m_nPos, size_t(chars) * sizeof(wchar_t));
    m_nPos += chars;
    return chars * int(sizeof(wchar_t));
}

int CRXMLItem::CStringIO<wchar_t>::Write(const void* buffer, int count)
{
    int chars = count / int(sizeof(wchar_t));
    if (chars <= 0)
        return 0;
    CString piece(static_cast<const wchar_t*>(buffer), chars);
    if (m_nPos >= m_text.GetLength())
        m_text += piece;
    else
        m_text = m_text.Left(m_nPos) + piece + m_text.Mid(m_nPos);
    m_nPos += chars;
    return chars * int(sizeof(wchar_t));
}

int CRXMLItem::CStringIO<wchar_t>::Seek(int offset, int origin)
{
    int chars = offset / int(sizeof(wchar_t));
    int target = SeekTarget(m_nPos, m_text.GetLength(), chars, origin);
    if (target < 0)
    {
        if (chars != 0)
            ThrowBadSeek();
        return GetPosition();
    }
    m_nPos = target;
    DiscardPendingChar();
    return GetPosition();
}

// ---- Codecs ----

int CRXMLItem::CWindowsEncodingIO::ReadChar(wchar_t& ch)
{
    char byte = 0;
    if (m_pStream->Read(&byte, 1) != 1)
        return 0;
    wchar_t converted = 0;
    if (MultiByteToWideChar(CP_ACP, 0, &byte, 1, &converted, 1) != 1)
        return 0;
    ch = converted;
    return 1;
}

namespace {
void WriteConverted(CRXMLItem::CStreamIO* stream, UINT codePage, const CString& text)
{
    if (text.IsEmpty())
        return;
    int bytes =
        WideCharToMultiByte(codePage, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        AfxThrowFileException(CFileException::genericException, LONG(GetLastError()));
    CStringA narrow;
    LPSTR buffer = narrow.GetBuffer(bytes);
    WideCharToMultiByte(codePage, 0, text, text.GetLength(), buffer, bytes, nullptr, nullptr);
    narrow.ReleaseBuffer(bytes);
    stream->Write(narrow.GetString(), bytes);
}
} // namespace

void CRXMLItem::CWindowsEncodingIO::Write(const CString& text)
{
    WriteConverted(m_pStream, CP_ACP, text);
}

int CRXMLItem::CUnicodeEncodingIO::ReadChar(wchar_t& ch)
{
    wchar_t unit = 0;
    if (m_pStream->Read(&unit, sizeof(unit)) != int(sizeof(unit)))
        return 0;
    ch = unit;
    return 2;
}

void CRXMLItem::CUnicodeEncodingIO::Write(const CString& text)
{
    if (!text.IsEmpty())
        m_pStream->Write(text.GetString(), text.GetLength() * int(sizeof(wchar_t)));
}

int CRXMLItem::CUTF8EncodingIO::ReadChar(wchar_t& ch)
{
    return ReadUtf8Char(*m_pStream, ch);
}

void CRXMLItem::CUTF8EncodingIO::Write(const CString& text)
{
    WriteConverted(m_pStream, CP_UTF8, text);
}
