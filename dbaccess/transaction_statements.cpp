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

bool Is(const std::vector<CString>& words, size_t i, LPCWSTR word)
{
    return i < words.size() && words[i] == word;
}

// COMMIT, ROLLBACK, END or ABORT from words[0] on.
TransactionEffect EndingEffect(const std::vector<CString>& words)
{
    size_t i = 1;
    if (Is(words, i, L"WORK") || Is(words, i, L"TRANSACTION"))
        ++i;
    if (Is(words, i, L"TO") || Is(words, i, L"PREPARED"))
        return txNone; // to a savepoint; a prepared transaction is not the session's
    if (Is(words, i, L"AND") && Is(words, i + 1, L"CHAIN"))
        return txNone; // the next transaction opens at once
    return txEnds;
}

TransactionEffect StatementEffect(const CStatementText& text, const wchar_t* p, const wchar_t* end,
                                  bool bMySQL)
{
    bool bMore = false;
    const std::vector<CString> words = text.Words(p, end, 4, &bMore);
    if (words.empty())
        return bMySQL && p < end && *p != L'(' ? txUnknown : txNone;
    const CString& first = words[0];
    if (first == L"COMMIT" || first == L"ROLLBACK")
        return EndingEffect(words);
    if (first == L"START")
        return Is(words, 1, L"TRANSACTION") ? txOpens : (bMySQL ? txUnknown : txNone);
    if (first == L"BEGIN")
    {
        if (!bMySQL)
            return txOpens;
        const bool bPlain = words.size() == 1 || (words.size() == 2 && words[1] == L"WORK");
        return bPlain && !bMore ? txOpens : txUnknown; // BEGIN NOT ATOMIC ... END
    }
    if (!bMySQL)
    {
        if (first == L"END" || first == L"ABORT")
            return EndingEffect(words);
        if (first == L"PREPARE" && Is(words, 1, L"TRANSACTION"))
            return txEnds;
        return txNone;
    }
    // MySQL commits implicitly before and after most statements that are not plain reads and
    // writes; those that never do are known here, the rest are asked about.
    static const wchar_t* const kPlain[] = {
        L"SELECT", L"INSERT", L"UPDATE",    L"DELETE",  L"REPLACE", L"WITH",       L"VALUES",
        L"TABLE",  L"SHOW",   L"DESCRIBE",  L"DESC",    L"EXPLAIN", L"DO",         L"HANDLER",
        L"HELP",   L"XA",     L"SAVEPOINT", L"RELEASE", L"PREPARE", L"DEALLOCATE",
    };
    for (const wchar_t* plain : kPlain)
        if (first == plain)
            return txNone;
    return txUnknown;
}

bool IsFollowedKind(UINT nKind)
{
    return nKind == DBMS_POSTGRESQL || nKind == DBMS_MYSQL;
}

} // namespace

TransactionEffect GetTransactionEffect(UINT nKind, LPCWSTR pszSQL)
{
    if (!IsFollowedKind(nKind))
        return txNone;
    const bool bMySQL = nKind == DBMS_MYSQL;
    const CStatementText text(pszSQL, bMySQL);
    const auto statements = text.Split();
    if (statements.empty())
        return txNone;
    if (statements.size() > 1)
        return txUnknown;
    return StatementEffect(text, statements[0].first, statements[0].second, bMySQL);
}

bool OpensTransactionBlock(UINT nKind, LPCWSTR pszSQL)
{
    if (!IsFollowedKind(nKind))
        return false;
    const bool bMySQL = nKind == DBMS_MYSQL;
    const CStatementText text(pszSQL, bMySQL);
    for (const auto& statement : text.Split())
        if (StatementEffect(text, statement.first, statement.second, bMySQL) == txOpens)
            return true;
    return false;
}
