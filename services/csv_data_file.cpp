#include "services/csv_data_file.h"

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

CString CCSVFile::FormatField(const CString& value) const
{
    if (value.Find(m_strSeparator) >= 0 || value.FindOneOf(L"\"\r\n") >= 0)
        return Quoted(value);
    return value;
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
    {
        if (i > 0)
            PutUtf16(m_strSeparator.GetString(), m_strSeparator.GetLength());
        CString field = FormatField(values[i]);
        PutUtf16(field.GetString(), field.GetLength());
    }
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

void CCSVDataFile::BeginRow()
{
    m_texts.clear();
}

void CCSVDataFile::AddValue(const CString& text, int)
{
    m_texts.push_back(text);
}

void CCSVDataFile::AddValue(Zelt::ICursor* pCursor, int column)
{
    CString text;
    if (!pCursor->GetFieldText(column + 1, text))
        text.Empty();
    m_texts.push_back(text);
}

void CCSVDataFile::EndRow()
{
    WriteDataLine(m_texts);
}

void CCSVDataFile::Flush()
{
    FlushData();
}
