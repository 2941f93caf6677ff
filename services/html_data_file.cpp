#include "services/html_data_file.h"

#include "dbaccess/value_text.h"

#include <cstring>

namespace {

// The closing steps after the rows.
const char kEndRows[] = "</TBODY>\r\n";
const char kEndTable[] = "</TABLE>\r\n<BR>\r\n";
const char kEndFile[] = "</BODY></HTML>\r\n";

} // namespace

CHTMLDataFile::CHTMLDataFile(LPCWSTR pszPath, bool bMarkEvenLines, bool bShowNull)
    : CBufferedDataFile(pszPath, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive),
      m_bMarkEvenLines(bMarkEvenLines), m_bShowNull(bShowNull)
{
    SetClosingRoom(sizeof kEndRows - 1 + sizeof kEndTable - 1 + sizeof kEndFile - 1);
}

CString CHTMLDataFile::Escape(const CString& text)
{
    if (text.IsEmpty())
        return L"&nbsp;";
    // One pass with the result of the replacements in the fixed order: entities first, then
    // CR LF and lone LF as line breaks.
    CString s;
    s.Preallocate(text.GetLength() + 16);
    int n = text.GetLength();
    for (int i = 0; i < n; ++i)
    {
        wchar_t ch = text[i];
        switch (ch)
        {
        case L'&': s += L"&amp;"; break;
        case L'"': s += L"&quot;"; break;
        case L' ': s += L"&nbsp;"; break;
        case L'<': s += L"&lt;"; break;
        case L'>': s += L"&gt;"; break;
        case L'\r':
            if (i + 1 < n && text[i + 1] == L'\n')
            {
                s += L"<BR>";
                ++i;
            }
            else
                s += ch;
            break;
        case L'\n': s += L"<BR>"; break;
        default: s += ch; break;
        }
    }
    return s;
}

void CHTMLDataFile::PutEscaped(const wchar_t* pszText, int nLength)
{
    if (nLength == 0)
    {
        Put("&nbsp;", 6);
        return;
    }
    // No character takes more than six bytes: "&nbsp;", "&quot;", or three of UTF-8.
    const size_t most = 6 * static_cast<size_t>(nLength);
    char* const out = ReserveBytes(most);
    if (!out)
    {
        WriteText(Escape(CString(pszText, nLength)));
        return;
    }
    char* o = out;
    auto put = [&o](const char* text, size_t n) {
        std::memcpy(o, text, n);
        o += n;
    };
    for (int i = 0; i < nLength;)
    {
        const wchar_t ch = pszText[i];
        if (ch >= 0x80)
        {
            // A run of other characters in one conversion (a surrogate pair stays in one run).
            int end = i + 1;
            while (end < nLength && pszText[end] >= 0x80)
                ++end;
            if (!IsLossAccepted() && HasLoneSurrogate(pszText + i, static_cast<size_t>(end - i)))
                AcceptLoss();
            o += WideCharToMultiByte(CP_UTF8, 0, pszText + i, end - i, o,
                                     static_cast<int>(most - static_cast<size_t>(o - out)), nullptr,
                                     nullptr);
            i = end;
            continue;
        }
        switch (ch)
        {
        case L'&': put("&amp;", 5); break;
        case L'"': put("&quot;", 6); break;
        case L' ': put("&nbsp;", 6); break;
        case L'<': put("&lt;", 4); break;
        case L'>': put("&gt;", 4); break;
        case L'\r':
            if (i + 1 < nLength && pszText[i + 1] == L'\n')
            {
                put("<BR>", 4);
                ++i;
            }
            else
                *o++ = '\r';
            break;
        case L'\n': put("<BR>", 4); break;
        default: *o++ = static_cast<char>(ch); break;
        }
        ++i;
    }
    CommitBytes(static_cast<size_t>(o - out));
}

void CHTMLDataFile::BeginFile()
{
    WriteText(L"<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; "
              L"charset=utf-8\">\r\n</HEAD>\r\n<BODY>\r\n");
}

void CHTMLDataFile::BeginTable(const CStringPair& name, LPCWSTR pszDescription)
{
    CString strName = MakeObjectName(name, true);
    if (!strName.IsEmpty())
        WriteText(L"<H4>" + Escape(strName) + L"</H4>\r\n");
    if (pszDescription && *pszDescription)
        WriteText(L"<PRE>" + Escape(pszDescription) + L"</PRE><BR>\r\n");
    WriteText(L"<P>\r\n<TABLE CellSpacing=\"0\" CellPadding=\"1\" Border=\"1\">\r\n"
              L"<THEAD BGColor=\"#B0B0B0\"><TR Align=\"center\">");
}

void CHTMLDataFile::AddColumnHeader(const CString& text, int)
{
    WriteText(L"<TH>" + Escape(text));
}

void CHTMLDataFile::EndHeader(const CStringPair&)
{
    WriteText(L"</THEAD>\r\n<TBODY>\r\n");
}

void CHTMLDataFile::BeginRow()
{
    MarkRow();
    if (m_bMarkEvenLines && (m_nRow % 2) == 1)
        WriteText(L"<TR Align=\"Left\" BGColor=\"#E0E0E0\">");
    else
        WriteText(L"<TR Align=\"Left\">");
}

void CHTMLDataFile::AddValue(const CString& text, int)
{
    WriteText(L"<TD>" + Escape(text));
}

void CHTMLDataFile::AddValue(Zelt::ICursor* pCursor, int column)
{
    UINT col = column + 1;
    int nCType = pCursor->GetColumnCType(col);
    const Zelt::ICursor::CColumnDesc* pDesc = pCursor->GetColumn(col);
    int nDigits = pDesc ? pDesc->nDecimalDigits : 0;
    bool bDecimal = (nCType == SQL_C_FLOAT || nCType == SQL_C_DOUBLE) && nDigits >= 1;

    // NULL is told by the getters: an unbound recordset reads each value once, by its getter.
    bool bNull = false;
    if (bDecimal && !pCursor->IsNumericAsText() && !pCursor->IsFieldHeldAsText(col))
    {
        double value = 0;
        bNull = !pCursor->GetFieldDouble(col, value);
        if (!bNull)
        {
            CString format;
            format.Format(L"%%.%df", nDigits);
            m_strValue.Format(format, value);
        }
    }
    else
    {
        bNull = !GetFieldWholeText(pCursor, col, m_strValue);
    }
    // Written once the value is read: a failure leaves no part of the cell.
    PutAscii(bDecimal ? "<TD Align=\"Right\">" : "<TD>");
    if (!bNull)
        PutEscaped(m_strValue.GetString(), m_strValue.GetLength());
    else if (m_bShowNull)
        PutAscii("<NOBR>&lt;&lt;NULL&gt;&gt;</NOBR>");
    else
        PutAscii("&nbsp;");
}

void CHTMLDataFile::EndRow()
{
    WriteText(L"\r\n");
    ++m_nRow;
}

void CHTMLDataFile::EndRows(const CStringPair&)
{
    PutAscii(kEndRows);
}

void CHTMLDataFile::EndTable(const CStringPair&)
{
    PutAscii(kEndTable);
}

bool CHTMLDataFile::CutAfterFailedWrite()
{
    return KeepRowsAfterCut(CutToWrittenRows());
}

void CHTMLDataFile::Flush()
{
    FlushData();
}

void CHTMLDataFile::EndFile()
{
    PutAscii(kEndFile);
    FlushData();
}
