#include "dbaccess/transaction_statements.h"

#include "dbaccess/database.h"
#include "dbaccess/sql_lexer.h"

#include <cwctype>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsWordChar(wchar_t ch)
{
    return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z') || (ch >= L'0' && ch <= L'9') ||
           ch == L'_' || ch > 0x7F;
}

// The statements of a text as the server reads it, each without its comments; those that hold
// nothing else are left out.
class CStatementText
{
public:
    CStatementText(LPCWSTR pszSQL, UINT nKind)
    {
        const std::wstring_view text(pszSQL ? pszSQL : L"");
        const UINT dialect = SQLLexServerDialect(nKind);
        CSQLLexer lexer(dialect);
        lexer.SetSeparator(L";");
        size_t pos = 0;
        while (pos < text.size())
        {
            lexer.StartStatement();
            size_t end = lexer.FindEnd(text, pos);
            if (end == std::wstring::npos)
                end = text.size();
            std::wstring statement;
            CSQLLexer::StripComments(text.substr(pos, end - pos), statement, dialect);
            if (statement.find_first_not_of(L" \t\r\n\f\v") != std::wstring::npos)
                m_statements.push_back(std::move(statement));
            pos = end + 1;
        }
    }

    const std::vector<std::wstring>& Statements() const { return m_statements; }

    // Up to nMax leading words of a statement, in upper case; pbMore tells whether anything
    // but blanks follows them.
    static std::vector<CString> Words(const std::wstring& statement, size_t nMax, bool* pbMore)
    {
        std::vector<CString> words;
        size_t p = 0;
        const size_t end = statement.size();
        for (;;)
        {
            while (p < end && iswspace(statement[p]))
                ++p;
            if (p >= end || !IsWordChar(statement[p]) || words.size() == nMax)
                break;
            const size_t start = p;
            while (p < end && IsWordChar(statement[p]))
                ++p;
            CString word(statement.c_str() + start, static_cast<int>(p - start));
            word.MakeUpper();
            words.push_back(word);
        }
        *pbMore = p < end;
        return words;
    }

private:
    std::vector<std::wstring> m_statements;
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
    const CStatementText text(pszSQL, nKind);
    if (text.Statements().size() != 1)
        return false;
    words = CStatementText::Words(text.Statements()[0], 3, pbMore);
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

bool IsSingleSelect(UINT nKind, LPCWSTR pszSQL)
{
    std::vector<CString> words;
    bool bMore = false;
    return SingleStatementWords(nKind, pszSQL, words, &bMore) && words[0] == L"SELECT";
}

bool OpensTransactionBlock(UINT nKind, LPCWSTR pszSQL)
{
    const bool bMySQL = nKind == DBMS_MYSQL;
    if ((nKind != DBMS_POSTGRESQL && !bMySQL) || !pszSQL)
        return false;
    const CStatementText text(pszSQL, nKind);
    for (const std::wstring& statement : text.Statements())
    {
        bool bMore = false;
        const std::vector<CString> words = CStatementText::Words(statement, 3, &bMore);
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

namespace {

// One statement's own effect; Plain for those that leave the transaction as it is.
TxnText StatementEffect(const std::vector<CString>& words, bool bMore, bool bMySQL)
{
    const CString& first = words[0];
    const CString second = words.size() > 1 ? words[1] : CString();
    if (first == L"START")
        return second == L"TRANSACTION" ? TxnText::Opens : TxnText::Other;
    if (first == L"BEGIN")
    {
        // MySQL: BEGIN [WORK] alone; BEGIN NOT ATOMIC opens a compound statement.
        if (bMySQL && !(!bMore && (words.size() == 1 || second == L"WORK")))
            return TxnText::Other;
        return TxnText::Opens;
    }
    if (first == L"SAVEPOINT" || first == L"RELEASE")
        return TxnText::Plain;
    const bool bCommit = first == L"COMMIT" || first == L"END";
    const bool bRollback = first == L"ROLLBACK" || first == L"ABORT";
    if (bCommit || bRollback)
    {
        // ROLLBACK [WORK | TRANSACTION] TO [SAVEPOINT] name keeps the transaction.
        size_t i = 1;
        if (i < words.size() && (words[i] == L"WORK" || words[i] == L"TRANSACTION"))
            ++i;
        if (bRollback && i < words.size() && words[i] == L"TO")
            return bMySQL ? TxnText::Plain : TxnText::RollsBackToSavepoint;
        // COMMIT PREPARED / ROLLBACK PREPARED run outside any block and end none of it.
        if (!bMySQL && i < words.size() && words[i] == L"PREPARED")
            return TxnText::Plain;
        if (i < words.size() && words[i] == L"AND")
        {
            // AND NO CHAIN ends as a plain COMMIT does; RELEASE (MySQL) too, with the session.
            if (i + 1 < words.size() && words[i + 1] == L"CHAIN")
                return TxnText::Chains;
            if (bMySQL)
                return TxnText::Other;
        }
        else if (bMySQL && (bMore || i < words.size()))
            return TxnText::Other;
        return bCommit ? TxnText::Commits : TxnText::RollsBack;
    }
    if (!bMySQL && first == L"PREPARE" && second == L"TRANSACTION")
        return TxnText::RollsBack;
    return bMySQL ? TxnText::Other : TxnText::Plain;
}

} // namespace

TxnText ReadTransactionText(UINT nKind, LPCWSTR pszSQL, bool* pbRecovers)
{
    if (pbRecovers != nullptr)
        *pbRecovers = false;
    if (nKind != DBMS_POSTGRESQL && nKind != DBMS_MYSQL)
        return IsPlainStatement(nKind, pszSQL) ? TxnText::Plain : TxnText::Other;
    if (nKind == DBMS_MYSQL)
    {
        if (IsPlainStatement(nKind, pszSQL))
            return TxnText::Plain;
        std::vector<CString> words;
        bool bMore = false;
        if (!SingleStatementWords(nKind, pszSQL, words, &bMore))
            return TxnText::Other;
        // Up to five words: COMMIT WORK AND NO CHAIN.
        const CStatementText text(pszSQL, nKind);
        words = CStatementText::Words(text.Statements()[0], 5, &bMore);
        return StatementEffect(words, bMore, true);
    }
    TxnText result = TxnText::Plain;
    bool bRecovered = false; // a ROLLBACK TO since the last end
    const CStatementText text(pszSQL, nKind);
    for (const std::wstring& statement : text.Statements())
    {
        bool bMore = false;
        const std::vector<CString> words = CStatementText::Words(statement, 5, &bMore);
        if (words.empty())
            continue;
        const TxnText effect = StatementEffect(words, bMore, false);
        if (effect == TxnText::Plain)
            continue;
        if (effect == TxnText::Commits && pbRecovers != nullptr)
            *pbRecovers = bRecovered;
        bRecovered = effect == TxnText::RollsBackToSavepoint;
        result = effect;
    }
    return result;
}

bool MakesSavepoint(UINT nKind, LPCWSTR pszSQL)
{
    if ((nKind != DBMS_POSTGRESQL && nKind != DBMS_MYSQL) || !pszSQL)
        return false;
    const CStatementText text(pszSQL, nKind);
    for (const std::wstring& statement : text.Statements())
    {
        bool bMore = false;
        const std::vector<CString> words = CStatementText::Words(statement, 1, &bMore);
        if (!words.empty() && words[0] == L"SAVEPOINT")
            return true;
    }
    return false;
}

size_t CountStatements(UINT nKind, LPCWSTR pszSQL)
{
    return pszSQL ? CStatementText(pszSQL, nKind).Statements().size() : 0;
}
