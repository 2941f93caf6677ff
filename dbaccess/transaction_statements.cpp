#include "dbaccess/transaction_statements.h"

#include "dbaccess/database.h"

#include <cwctype>
#include <utility>
#include <vector>

namespace {

bool IsWordChar(wchar_t ch)
{
    return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z') || (ch >= L'0' && ch <= L'9') ||
           ch == L'_' || ch > 0x7F;
}

// The end of a quoted part whose opening quote is at p, the closing quote passed; the end of the
// text when it is never closed. bBackslash: a backslash escapes the next character.
const wchar_t* SkipQuoted(const wchar_t* p, const wchar_t* end, bool bBackslash)
{
    const wchar_t quote = *p++;
    while (p < end)
    {
        if (bBackslash && *p == L'\\' && p + 1 < end)
            p += 2;
        else if (*p == quote)
        {
            if (p + 1 < end && p[1] == quote)
                p += 2; // a doubled quote stands for itself
            else
                return p + 1;
        }
        else
            ++p;
    }
    return end;
}

// A PostgreSQL dollar quote ($$...$$, $tag$...$tag$) opening at p: its end, or null when p opens
// none.
const wchar_t* SkipDollarQuoted(const wchar_t* p, const wchar_t* begin, const wchar_t* end)
{
    if (p > begin && IsWordChar(p[-1]))
        return nullptr; // part of a name
    const wchar_t* q = p + 1;
    if (q < end && *q >= L'0' && *q <= L'9')
        return nullptr; // a parameter ($1)
    while (q < end && IsWordChar(*q))
        ++q;
    if (q >= end || *q != L'$')
        return nullptr;
    const size_t nTag = static_cast<size_t>(q - p) + 1;
    for (const wchar_t* r = q + 1; r + nTag <= end; ++r)
        if (*r == L'$' && wcsncmp(r, p, nTag) == 0)
            return r + nTag;
    return end;
}

class CStatementText
{
public:
    CStatementText(LPCWSTR pszSQL, bool bMySQL)
        : m_begin(pszSQL ? pszSQL : L""), m_end(m_begin + wcslen(m_begin)), m_bMySQL(bMySQL)
    {}

    // The statements of the text, split at semicolons outside quotes and comments; empty ones
    // left out.
    std::vector<std::pair<const wchar_t*, const wchar_t*>> Split() const
    {
        std::vector<std::pair<const wchar_t*, const wchar_t*>> statements;
        const wchar_t* p = m_begin;
        for (;;)
        {
            p = SkipBlanks(p, m_end);
            if (p >= m_end)
                return statements;
            const wchar_t* start = p;
            while (p < m_end && *p != L';')
            {
                const wchar_t* next = SkipOnePart(p, m_end);
                p = next != p ? next : p + 1;
            }
            if (p > start)
                statements.emplace_back(start, p);
            if (p < m_end)
                ++p;
        }
    }

    // Up to nMax leading words of a statement, in upper case; pbMore tells whether anything
    // but blanks and comments follows them.
    std::vector<CString> Words(const wchar_t* p, const wchar_t* end, size_t nMax,
                               bool* pbMore) const
    {
        std::vector<CString> words;
        for (;;)
        {
            p = SkipBlanks(p, end);
            if (p >= end || !IsWordChar(*p) || words.size() == nMax)
                break;
            const wchar_t* start = p;
            while (p < end && IsWordChar(*p))
                ++p;
            CString word(start, static_cast<int>(p - start));
            word.MakeUpper();
            words.push_back(word);
        }
        *pbMore = p < end;
        return words;
    }

private:
    // Blanks and comments from p on: where the next token starts.
    const wchar_t* SkipBlanks(const wchar_t* p, const wchar_t* end) const
    {
        for (;;)
        {
            while (p < end && iswspace(*p))
                ++p;
            if (p >= end || !IsCommentStart(p, end))
                return p;
            p = SkipOnePart(p, end);
        }
    }

    bool IsCommentStart(const wchar_t* p, const wchar_t* end) const
    {
        if (*p == L'/' && p + 1 < end && p[1] == L'*')
            return true;
        if (m_bMySQL && *p == L'#')
            return true;
        // MySQL needs a blank after "--".
        return *p == L'-' && p + 1 < end && p[1] == L'-' &&
               (!m_bMySQL || p + 2 >= end || iswspace(p[2]));
    }

    // A quoted part or comment starting at p: its end; p itself when none starts there.
    const wchar_t* SkipOnePart(const wchar_t* p, const wchar_t* end) const
    {
        if (IsCommentStart(p, end))
        {
            if (*p != L'/')
            {
                while (p < end && *p != L'\n')
                    ++p;
                return p;
            }
            // PostgreSQL nests block comments, MySQL does not.
            int nDepth = 0;
            while (p < end)
            {
                if (*p == L'/' && p + 1 < end && p[1] == L'*')
                {
                    nDepth = m_bMySQL ? 1 : nDepth + 1;
                    p += 2;
                }
                else if (*p == L'*' && p + 1 < end && p[1] == L'/')
                {
                    p += 2;
                    if (--nDepth == 0)
                        return p;
                }
                else
                    ++p;
            }
            return end;
        }
        if (*p == L'\'' || *p == L'"' || (m_bMySQL && *p == L'`'))
        {
            // MySQL escapes with backslashes in both kinds of string; PostgreSQL only in E'...'.
            const bool bEscapeString = *p == L'\'' && p > m_begin &&
                                       (p[-1] == L'E' || p[-1] == L'e') &&
                                       (p - 1 == m_begin || !IsWordChar(p[-2]));
            return SkipQuoted(p, end, m_bMySQL ? *p != L'`' : bEscapeString);
        }
        if (!m_bMySQL && *p == L'$')
            if (const wchar_t* q = SkipDollarQuoted(p, m_begin, end))
                return q;
        return p;
    }

    const wchar_t* m_begin;
    const wchar_t* m_end;
    bool m_bMySQL;
};

// MySQL and MariaDB run the text of /*! ... */ and /*M! ... */ (as dumps write them): a text
// holding one is never read as plain.
bool HasExecutedComment(LPCWSTR pszSQL)
{
    return wcsstr(pszSQL, L"/*!") != nullptr || wcsstr(pszSQL, L"/*M!") != nullptr;
}

// The words of the text's only statement; false for none or several.
bool SingleStatementWords(UINT nKind, LPCWSTR pszSQL, std::vector<CString>& words, bool* pbMore)
{
    const bool bMySQL = nKind == DBMS_MYSQL;
    if (!pszSQL || (bMySQL && HasExecutedComment(pszSQL)))
        return false;
    const CStatementText text(pszSQL, bMySQL);
    const auto statements = text.Split();
    if (statements.size() != 1)
        return false;
    words = text.Words(statements[0].first, statements[0].second, 3, pbMore);
    return !words.empty();
}

} // namespace

bool IsPlainStatement(UINT nKind, LPCWSTR pszSQL)
{
    std::vector<CString> words;
    bool bMore = false;
    if (!SingleStatementWords(nKind, pszSQL, words, &bMore))
        return false;
    // Reads of the catalog (SHOW, EXPLAIN, DESCRIBE) neither: the program runs them often.
    static const wchar_t* const kPlain[] = {L"SELECT", L"INSERT",  L"UPDATE",   L"DELETE", L"WITH",
                                            L"SHOW",   L"EXPLAIN", L"DESCRIBE", L"DESC"};
    for (const wchar_t* plain : kPlain)
        if (words[0] == plain)
            return true;
    return false;
}

bool OpensTransactionBlock(UINT nKind, LPCWSTR pszSQL)
{
    const bool bMySQL = nKind == DBMS_MYSQL;
    if ((nKind != DBMS_POSTGRESQL && !bMySQL) || !pszSQL)
        return false;
    const CStatementText text(pszSQL, bMySQL);
    for (const auto& statement : text.Split())
    {
        bool bMore = false;
        const std::vector<CString> words = text.Words(statement.first, statement.second, 3, &bMore);
        if (words.empty())
            continue;
        if (words[0] == L"START" && words.size() > 1 && words[1] == L"TRANSACTION")
            return true;
        // MySQL: BEGIN [WORK] alone; BEGIN NOT ATOMIC opens a compound statement.
        if (words[0] == L"BEGIN" &&
            (!bMySQL || (!bMore && (words.size() == 1 || words[1] == L"WORK"))))
            return true;
    }
    return false;
}
