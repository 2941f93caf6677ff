// Window-free pieces of the grid and script windows.
#include "windows/grid_window_text.h"

#include "controls/utility.h"
#include "controls/xml_tree.h"
#include "dbaccess/cursor.h"
#include "services/sql_outline.h"

CString FormatRowsText(int nRows, int nColumns, bool bFullyLoaded, bool bStopped)
{
    CString str;
    if (bStopped)
        str.Format(L"Rows >= %d Columns %d, reading stopped", nRows, nColumns);
    else
        str.Format(bFullyLoaded ? L"Rows %d Columns %d" : L"Rows >= %d Columns %d", nRows,
                   nColumns);
    return str;
}

CString FormatSaveErrorText(LPCWSTR pszColumnName, bool bHasColumn, UINT nKind, LPCWSTR pszText)
{
    const CString strColumn =
        bHasColumn ? L"'" + CString(pszColumnName ? pszColumnName : L"") + L"'" : CString();
    const CString strIn = bHasColumn ? L" in " + strColumn : CString();
    switch (nKind)
    {
    case 1: return L"Error editing " + strColumn;
    case 2: return L"Not even length of data" + strIn;
    case 3: return L"Invalid data" + strIn;
    case 4: return L"Database error" + strIn + L":\n" + (pszText ? pszText : L"");
    // The grid says why when it refused to change a row it could not tell apart.
    case 5:
        return pszText && *pszText ? L"No rows changed:\n" + CString(pszText)
                                   : CString(L"No rows changed");
    case 6: {
        CString strText;
        strText.Format(L"The value%s is longer than the %u characters or bytes the grid holds of "
                       L"a value; it cannot be edited here without cutting it.",
                       (LPCWSTR)strIn, static_cast<unsigned>(Zelt::kMaxFieldLength));
        return strText;
    }
    default: return CString(pszText ? pszText : L"");
    }
}

CString FormatCutCopyText(LPCWSTR pszColumnName, bool bRow)
{
    CString strText;
    strText.Format(L"The value in '%s' is longer than the %u characters or bytes the grid holds "
                   L"of a value; %s not copied, as it would paste cut.",
                   pszColumnName, static_cast<unsigned>(Zelt::kMaxFieldLength),
                   bRow ? L"the row is" : L"it is");
    return strText;
}

bool RestoreColumnLayout(const std::vector<CColumnRefreshInfo>& saved,
                         const std::vector<CString>& names, std::vector<int>& order,
                         std::vector<int>& visible)
{
    visible.assign(names.size(), -1);
    if (saved.empty() || saved.size() != names.size() || order.size() != names.size())
        return false;
    bool bMoved = false;
    for (size_t i = 0; i < saved.size(); ++i)
    {
        if (names[order[i]] == saved[i].m_strName)
            continue;
        for (size_t j = i + 1; j < order.size(); ++j)
        {
            if (names[order[j]] == saved[i].m_strName)
            {
                for (size_t k = j; k > i; --k)
                    std::swap(order[k], order[k - 1]);
                bMoved = true;
                break;
            }
        }
    }
    for (size_t i = 0; i < saved.size(); ++i)
    {
        if (names[order[i]] == saved[i].m_strName)
            visible[order[i]] = saved[i].m_bVisible ? 1 : 0;
    }
    return bMoved;
}

void FlattenSQL(CString& text)
{
    CString strResult;
    bool bInLiteral = false;
    bool bLastBlank = false;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        wchar_t ch = text[i];
        if (ch == L'\r' || ch == L'\n' || ch == L'\t')
            ch = L' ';
        if (bInLiteral)
        {
            strResult += ch;
            if (ch == L'\'')
                bInLiteral = false;
            continue;
        }
        if (ch == L'\'')
            bInLiteral = true;
        if (ch == L' ' && bLastBlank)
            continue;
        bLastBlank = ch == L' ';
        strResult += ch;
    }
    text = strResult;
}

bool IsRereadableSelect(LPCWSTR pszSQL)
{
    CSQLOutline outline(pszSQL);
    if (!outline.IsComplete() || outline.CountStatements() != 1)
        return false;
    const auto& words = outline.GetWords();
    if (words.empty() || words[0].strUpper != L"SELECT")
        return false;
    return outline.FindWord(L"INTO") < 0;
}

bool FormatXmlIndented(LPCWSTR pszText, LPCWSTR pszIndent, CString& strXml)
{
    CRXMLItem root;
    if (!root.LoadFromString(pszText))
        return false;
    strXml = root.GetXML(pszIndent, L"\r\n");
    // The writer ends the last tag with a line break: three elements are three lines.
    strXml.TrimRight(L"\r\n");
    return true;
}

bool FormatXmlCompact(LPCWSTR pszText, CString& strXml)
{
    CRXMLItem root;
    if (!root.LoadFromString(pszText))
        return false;
    strXml = root.GetXML(L"", L"");
    return true;
}

bool IsXmlKeptWhole(LPCWSTR pszText)
{
    CString strCompact;
    return FormatXmlCompact(pszText, strCompact) && IsXmlKeptWhole(pszText, strCompact);
}

bool IsXmlKeptWhole(LPCWSTR pszText, const CString& strCompact)
{
    // The text without the white space before the first tag, after the last one and between a
    // '>' and the next '<'.
    const CString strText(pszText);
    CString strBare;
    auto isBlank = [](wchar_t ch) {
        return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n';
    };
    const int n = strText.GetLength();
    for (int i = 0; i < n;)
    {
        if (isBlank(strText[i]))
        {
            int j = i;
            while (j < n && isBlank(strText[j]))
                ++j;
            const bool bAfterTag = i == 0 || strText[i - 1] == L'>';
            const bool bBeforeTag = j == n || strText[j] == L'<';
            if (!(bAfterTag && bBeforeTag))
                strBare += strText.Mid(i, j - i);
            i = j;
            continue;
        }
        strBare += strText[i];
        ++i;
    }
    return strBare == strCompact;
}

namespace {

bool MatchAt(LPCWSTR pszText, int nLength, int nPos, LPCWSTR pszFind, int nFind, bool bMatchCase,
             bool bWholeWord)
{
    if (::CompareStringW(LOCALE_USER_DEFAULT, bMatchCase ? 0 : NORM_IGNORECASE, pszText + nPos,
                         nFind, pszFind, nFind) != CSTR_EQUAL)
        return false;
    if (!bWholeWord)
        return true;
    if (nPos > 0 && IsIdentChar(pszText[nPos - 1]))
        return false;
    return !(nPos + nFind < nLength && IsIdentChar(pszText[nPos + nFind]));
}

} // namespace

namespace {

int FindInLength(LPCWSTR pszText, int nLength, LPCWSTR pszFind, bool bDown, bool bMatchCase,
                 bool bWholeWord, int nStart, bool bStopAtEnd)
{
    const int nFind = (int)wcslen(pszFind);
    if (nFind == 0 || nLength < nFind)
        return -1;
    const int nLast = nLength - nFind;
    int nPos;
    if (bDown)
    {
        if (nStart > nLast && bStopAtEnd)
            return -1;
        nPos = nStart >= 0 && nStart <= nLast ? nStart : 0;
    }
    else
    {
        // Going up starts just before the start; a match that ends at the end of the text is
        // reached after wrapping too.
        nPos = nStart >= 1 ? nStart - 1 : nLast;
        if (nPos > nLast)
            nPos = nLast;
    }
    for (int nTried = 0; nTried <= nLast; ++nTried)
    {
        if (MatchAt(pszText, nLength, nPos, pszFind, nFind, bMatchCase, bWholeWord))
            return nPos;
        if (bDown)
        {
            if (++nPos > nLast)
            {
                if (bStopAtEnd)
                    return -1;
                nPos = 0;
            }
        }
        else if (--nPos < 0)
        {
            if (bStopAtEnd)
                return -1;
            nPos = nLast;
        }
    }
    return -1;
}

} // namespace

int FindTextIn(LPCWSTR pszText, LPCWSTR pszFind, bool bDown, bool bMatchCase, bool bWholeWord,
               int nStart, bool bStopAtEnd)
{
    return FindInLength(pszText, (int)wcslen(pszText), pszFind, bDown, bMatchCase, bWholeWord,
                        nStart, bStopAtEnd);
}

int ReplaceAllIn(CString& text, LPCWSTR pszFind, LPCWSTR pszReplace, bool bMatchCase,
                 bool bWholeWord, int& nCaret)
{
    // One pass over the text into a new one: rebuilt or searched from its start at every match,
    // a script of a megabyte with thousands of matches took many minutes.
    const int nFind = (int)wcslen(pszFind);
    const int nReplace = (int)wcslen(pszReplace);
    const int nLength = text.GetLength();
    LPCWSTR pszText = text.GetString();
    if (nFind == 0)
        return 0;
    std::wstring result;
    result.reserve(static_cast<size_t>(nLength));
    int nCount = 0;
    int nPos = 0; // the search goes on here, just after the last replaced match
    int nShift = 0;
    const int nCaretBefore = nCaret;
    while (nPos <= nLength - nFind)
    {
        // A match right after an inserted text has that text's last character before it.
        int nFound = -1;
        if (nCount > 0 && MatchAt(pszText, nLength, nPos, pszFind, nFind, bMatchCase, false) &&
            (!bWholeWord || ((result.empty() || !IsIdentChar(result.back())) &&
                             !(nPos + nFind < nLength && IsIdentChar(pszText[nPos + nFind])))))
            nFound = nPos;
        else
        {
            const int nFrom = nCount > 0 ? nPos + 1 : nPos;
            if (nFrom > nLength - nFind)
                break;
            nFound =
                FindInLength(pszText, nLength, pszFind, true, bMatchCase, bWholeWord, nFrom, true);
        }
        if (nFound < 0)
            break;
        result.append(pszText + nPos, static_cast<size_t>(nFound - nPos));
        result.append(pszReplace, static_cast<size_t>(nReplace));
        if (nFound + nFind <= nCaretBefore)
            nShift += nReplace - nFind;
        nPos = nFound + nFind;
        ++nCount;
    }
    if (nCount == 0)
        return 0;
    result.append(pszText + nPos, static_cast<size_t>(nLength - nPos));
    text = CString(result.c_str(), static_cast<int>(result.size()));
    nCaret = nCaretBefore + nShift;
    return nCount;
}
