// The SQL outline: one pass over the text that knows quotes, comments and parentheses.
#include "services/sql_outline.h"

namespace {

bool IsWordChar(wchar_t ch)
{
    return ch == L'_' || ch == L'$' || (ch >= L'0' && ch <= L'9') || ::IsCharAlphaNumericW(ch);
}

// The closing character of a quoted part that opens with ch, or 0.
wchar_t ClosingQuote(wchar_t ch)
{
    switch (ch)
    {
    case L'\'':
    case L'"':
    case L'`': return ch;
    case L'[': return L']';
    default: return 0;
    }
}

// Index one past a quoted part opening at i; false when it is never closed (then nEnd = n).
bool SkipQuoted(LPCWSTR p, int n, int i, bool bBackslash, int& nEnd)
{
    const wchar_t close = ClosingQuote(p[i]);
    for (int j = i + 1; j < n; ++j)
    {
        if (bBackslash && p[i] == L'\'' && p[j] == L'\\' && j + 1 < n)
        {
            ++j;
            continue;
        }
        if (p[j] == close)
        {
            nEnd = j + 1;
            return true;
        }
    }
    nEnd = n;
    return false;
}

// When a comment opens at i: true with nEnd one past it (a line comment ends before its line
// break); bClosed false for a block comment never closed.
bool SkipComment(LPCWSTR p, int n, int i, int& nEnd, bool& bClosed)
{
    bClosed = true;
    if (i + 1 >= n)
        return false;
    if (p[i] == L'-' && p[i + 1] == L'-')
    {
        int j = i + 2;
        while (j < n && p[j] != L'\n' && p[j] != L'\r')
            ++j;
        nEnd = j;
        return true;
    }
    if (p[i] == L'/' && p[i + 1] == L'*')
    {
        for (int j = i + 2; j + 1 < n; ++j)
        {
            if (p[j] == L'*' && p[j + 1] == L'/')
            {
                nEnd = j + 2;
                return true;
            }
        }
        nEnd = n;
        bClosed = false;
        return true;
    }
    return false;
}

} // namespace

CSQLOutline::CSQLOutline(LPCWSTR pszText, bool bBackslashEscapes) : m_strText(pszText)
{
    LPCWSTR p = m_strText.GetString();
    const int n = m_strText.GetLength();
    int nDepth = 0;
    int nRunStart = 0;
    int i = 0;
    while (i < n)
    {
        int nEnd = 0;
        bool bClosed = true;
        if (SkipComment(p, n, i, nEnd, bClosed))
        {
            if (!bClosed)
                m_bComplete = false;
            if (i > nRunStart)
                m_content.push_back({nRunStart, i});
            nRunStart = nEnd;
            i = nEnd;
            continue;
        }
        const wchar_t ch = p[i];
        if (ClosingQuote(ch) != 0)
        {
            if (!SkipQuoted(p, n, i, bBackslashEscapes, nEnd))
                m_bComplete = false;
            i = nEnd;
            continue;
        }
        if (ch == L'(')
            ++nDepth;
        else if (ch == L')')
        {
            if (--nDepth < 0)
            {
                m_bComplete = false;
                nDepth = 0;
            }
        }
        else if (ch == L';' && nDepth == 0)
            m_semicolons.push_back(i);
        else if (IsWordChar(ch))
        {
            int j = i + 1;
            while (j < n && IsWordChar(p[j]))
                ++j;
            if (nDepth == 0)
            {
                CWord word;
                word.nStart = i;
                word.nEnd = j;
                word.strUpper = m_strText.Mid(i, j - i);
                word.strUpper.MakeUpper();
                m_words.push_back(word);
            }
            i = j;
            continue;
        }
        ++i;
    }
    if (n > nRunStart)
        m_content.push_back({nRunStart, n});
    if (nDepth != 0)
        m_bComplete = false;

    for (auto it = m_content.rbegin(); it != m_content.rend(); ++it)
    {
        int j = it->second;
        while (j > it->first &&
               (p[j - 1] == L' ' || p[j - 1] == L'\t' || p[j - 1] == L'\r' || p[j - 1] == L'\n'))
            --j;
        if (j > it->first)
        {
            m_nContentEnd = j;
            break;
        }
    }
}

int CSQLOutline::FindWord(LPCWSTR pszKeyword, size_t nFrom) const
{
    CString strKeyword(pszKeyword);
    strKeyword.MakeUpper();
    std::vector<CString> parts;
    int nPos = 0;
    for (CString part = strKeyword.Tokenize(L" ", nPos); nPos >= 0;
         part = strKeyword.Tokenize(L" ", nPos))
        parts.push_back(part);
    if (parts.empty())
        return -1;
    for (size_t i = nFrom; i + parts.size() <= m_words.size(); ++i)
    {
        bool bMatch = true;
        for (size_t k = 0; k < parts.size() && bMatch; ++k)
            bMatch = m_words[i + k].strUpper == parts[k];
        if (bMatch)
            return (int)i;
    }
    return -1;
}

bool CSQLOutline::HasContent(int nFrom, int nTo) const
{
    LPCWSTR p = m_strText.GetString();
    for (const auto& run : m_content)
    {
        const int a = run.first > nFrom ? run.first : nFrom;
        const int b = run.second < nTo ? run.second : nTo;
        for (int i = a; i < b; ++i)
        {
            if (p[i] != L' ' && p[i] != L'\t' && p[i] != L'\r' && p[i] != L'\n')
                return true;
        }
    }
    return false;
}

int CSQLOutline::CountStatements() const
{
    int nCount = 0;
    int nFrom = 0;
    for (int nSemicolon : m_semicolons)
    {
        if (HasContent(nFrom, nSemicolon))
            ++nCount;
        nFrom = nSemicolon + 1;
    }
    if (HasContent(nFrom, m_strText.GetLength()))
        ++nCount;
    return nCount;
}

CString StripSQLComments(LPCWSTR pszText, bool bBackslashEscapes)
{
    CString strText(pszText ? pszText : L"");
    LPCWSTR p = strText.GetString();
    const int n = strText.GetLength();
    CString strResult;
    int i = 0;
    while (i < n)
    {
        int nEnd = 0;
        bool bClosed = true;
        if (SkipComment(p, n, i, nEnd, bClosed))
        {
            if (p[i] == L'/')
                strResult += L' ';
            i = nEnd;
            continue;
        }
        if (ClosingQuote(p[i]) != 0)
        {
            SkipQuoted(p, n, i, bBackslashEscapes, nEnd);
            strResult += strText.Mid(i, nEnd - i);
            i = nEnd;
            continue;
        }
        strResult += p[i];
        ++i;
    }
    return strResult;
}
