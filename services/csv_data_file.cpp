#include "services/csv_data_file.h"

#include "dbaccess/value_text.h"

#include <cstring>

namespace {

const wchar_t kByteOrderMark = 0xFEFF;

CString Quoted(const CString& text)
{
    CString s = text;
    s.Replace(L"\"", L"\"\"");
    return L"\"" + s + L"\"";
}

} // namespace

CCSVFile::CCSVFile(LPCWSTR pszPath, UINT nOpenFlags, LPCWSTR pszSeparator)
    : CBufferedDataFile(pszPath, nOpenFlags), m_strSeparator(pszSeparator ? pszSeparator : L"")
{
    m_strSeparator.Trim();
    if (m_strSeparator.IsEmpty())
        m_strSeparator = L",";
}

namespace {

bool NeedsQuotes(LPCWSTR pszValue, int nLength, const CString& separator)
{
    wchar_t first = separator[0];
    int nSep = separator.GetLength();
    for (int i = 0; i < nLength; ++i)
    {
        wchar_t ch = pszValue[i];
        if (ch == L'"' || ch == L'\r' || ch == L'\n')
            return true;
        if (ch == first && i + nSep <= nLength && wcsncmp(pszValue + i, separator, nSep) == 0)
            return true;
    }
    return false;
}

} // namespace

CString CCSVFile::FormatField(const CString& value) const
{
    if (NeedsQuotes(value, value.GetLength(), m_strSeparator))
        return Quoted(value);
    return value;
}

void CCSVFile::WriteField(LPCWSTR pszValue, int nLength, bool bFirst)
{
    const int nSep = bFirst ? 0 : m_strSeparator.GetLength();
    const bool quoted = NeedsQuotes(pszValue, nLength, m_strSeparator);
    // The field goes straight into the file's buffer: the separator, the value, and at most
    // twice the value's units with its quotes doubled.
    const size_t most = static_cast<size_t>(nSep) + (quoted ? 2 * static_cast<size_t>(nLength) + 2
                                                            : static_cast<size_t>(nLength));
    wchar_t* out = ReserveUtf16(most);
    if (!out)
    {
        WriteLongField(pszValue, nLength, nSep > 0, quoted);
        return;
    }
    wchar_t* p = out;
    const wchar_t* sep = m_strSeparator.GetString();
    for (int i = 0; i < nSep; ++i)
        *p++ = sep[i];
    if (!quoted)
    {
        std::memcpy(p, pszValue, static_cast<size_t>(nLength) * sizeof(wchar_t));
        p += nLength;
    }
    else
    {
        *p++ = L'"';
        for (int i = 0; i < nLength; ++i)
        {
            if (pszValue[i] == L'"')
                *p++ = L'"';
            *p++ = pszValue[i];
        }
        *p++ = L'"';
    }
    CommitUtf16(static_cast<size_t>(p - out));
}

// A value larger than the file's buffer, written in pieces.
void CCSVFile::WriteLongField(LPCWSTR pszValue, int nLength, bool bSeparator, bool bQuoted)
{
    if (bSeparator)
        PutUtf16(m_strSeparator.GetString(), m_strSeparator.GetLength());
    if (!bQuoted)
    {
        PutUtf16(pszValue, nLength);
        return;
    }
    PutUtf16(L"\"", 1);
    int from = 0;
    for (int i = 0; i < nLength; ++i)
        if (pszValue[i] == L'"')
        {
            PutUtf16(pszValue + from, static_cast<size_t>(i + 1 - from));
            from = i; // the quote again, doubled
        }
    PutUtf16(pszValue + from, static_cast<size_t>(nLength - from));
    PutUtf16(L"\"", 1);
}

void CCSVFile::WriteHeaderLine(const std::vector<CString>& names)
{
    CString line(kByteOrderMark, 1);
    for (size_t i = 0; i < names.size(); ++i)
    {
        if (i > 0)
            line += m_strSeparator;
        line += Quoted(names[i]);
    }
    line += L'\n';
    PutUtf16(line.GetString(), line.GetLength());
}

void CCSVFile::WriteDataLine(const std::vector<CString>& values)
{
    for (size_t i = 0; i < values.size(); ++i)
        WriteField(values[i], values[i].GetLength(), i == 0);
    PutUtf16(L"\n", 1);
}

CCSVDataFile::CCSVDataFile(LPCWSTR pszPath, LPCWSTR pszSeparator)
    : CCSVFile(pszPath, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, pszSeparator)
{}

void CCSVDataFile::BeginTable(const CStringPair&, LPCWSTR)
{
    m_texts.clear();
}

void CCSVDataFile::AddColumnHeader(const CString& text, int)
{
    m_texts.push_back(text);
}

void CCSVDataFile::EndHeader(const CStringPair&)
{
    WriteHeaderLine(m_texts);
}

// A row's values go to the file as they come: a long save makes no copies of them.
void CCSVDataFile::BeginRow()
{
    MarkRow();
    m_bFirstValue = true;
}

void CCSVDataFile::AddValue(const CString& text, int)
{
    WriteField(text, text.GetLength(), m_bFirstValue);
    m_bFirstValue = false;
}

void CCSVDataFile::AddValue(Zelt::ICursor* pCursor, int column)
{
    if (!GetFieldWholeText(pCursor, column + 1, m_strValue))
        m_strValue.Empty();
    WriteField(m_strValue, m_strValue.GetLength(), m_bFirstValue);
    m_bFirstValue = false;
}

void CCSVDataFile::EndRow()
{
    PutUtf16(L"\n", 1);
}

void CCSVDataFile::Flush()
{
    FlushData();
}
