// The wrapping SELECT that reads PostgreSQL values as their text (server_texts.h).
#include "dbaccess/server_texts.h"

#include "dbaccess/database.h"
#include "dbaccess/recordset.h"
#include "dbaccess/sql_lexer.h"
#include "dbaccess/transaction_statements.h"

#include <algorithm>
#include <cwchar>
#include <string_view>

namespace {

// A name between double quotes, a quote in it doubled.
CString QuotedName(const CString& name)
{
    CString quoted = name;
    quoted.Replace(L"\"", L"\"\"");
    return L"\"" + quoted + L"\"";
}

} // namespace

CString SelectWithColumnsAsText(LPCWSTR pszQuery, const std::vector<CString>& names,
                                const std::vector<bool>& asText, size_t nStart)
{
    // The text up to the semicolon that ends it: what follows is blanks and comments.
    const std::wstring_view text(pszQuery != nullptr ? pszQuery : L"");
    CSQLLexer lexer(SQLLexServerDialect(DBMS_POSTGRESQL));
    lexer.SetSeparator(L";");
    lexer.StartStatement();
    size_t end = lexer.FindEnd(text, 0);
    if (end == std::wstring_view::npos)
        end = text.size();
    if (nStart > end)
        nStart = 0;
    CString query(text.data() + nStart, static_cast<int>(end - nStart));
    query.TrimRight();
    CString list;
    CString aliases;
    for (size_t i = 0; i < names.size(); ++i)
    {
        CString position;
        position.Format(L"\"%u\"", static_cast<unsigned>(i + 1));
        if (i > 0)
        {
            list += L", ";
            aliases += L", ";
        }
        list += L"q." + position;
        if (i < asText.size() && asText[i])
            list += L"::text";
        list += L" AS " + QuotedName(names[i]);
        aliases += position;
    }
    // The query on lines of its own: a line comment at its end ends there.
    return CString(text.data(), static_cast<int>(nStart)) + L"SELECT " + list + L" FROM (\n" +
           query + L"\n) AS q(" + aliases + L")";
}

namespace {

using CToken = CSQLLexer::CToken;

bool IsWord(std::wstring_view text, const CToken& token, const wchar_t* word)
{
    return token.kind == CToken::word && token.length == wcslen(word) &&
           _wcsnicmp(text.data() + token.pos, word, token.length) == 0;
}

bool IsChar(std::wstring_view text, const CToken& token, wchar_t ch)
{
    return token.kind == CToken::other && text[token.pos] == ch;
}

// Whether a query begins at token i: SELECT, VALUES, TABLE, or one in parentheses.
bool BeginsQuery(std::wstring_view text, const std::vector<CToken>& tokens, size_t i)
{
    while (i < tokens.size() && IsChar(text, tokens[i], L'('))
        ++i;
    return i < tokens.size() &&
           (IsWord(text, tokens[i], L"SELECT") || IsWord(text, tokens[i], L"VALUES") ||
            IsWord(text, tokens[i], L"TABLE"));
}

// Past the parenthesis that closes the one opened at token i; npos when none does.
size_t PastClosing(std::wstring_view text, const std::vector<CToken>& tokens, size_t i)
{
    int depth = 0;
    for (; i < tokens.size(); ++i)
    {
        if (IsChar(text, tokens[i], L'('))
            ++depth;
        else if (IsChar(text, tokens[i], L')') && --depth == 0)
            return i + 1;
    }
    return std::wstring_view::npos;
}

// The token that begins the main statement of the WITH at token 0, read by the grammar of its
// list: name [(columns)] AS [[NOT] MATERIALIZED] (statement), ...; npos for a list of any other
// shape (SEARCH, CYCLE) or none.
size_t MainStatementOfWith(std::wstring_view text, const std::vector<CToken>& tokens)
{
    const size_t npos = std::wstring_view::npos;
    size_t i = 1;
    if (i < tokens.size() && IsWord(text, tokens[i], L"RECURSIVE"))
        ++i;
    for (;;)
    {
        // A name, its columns, AS.
        if (i >= tokens.size() || tokens[i].kind == CToken::other)
            return npos;
        ++i;
        if (i < tokens.size() && IsChar(text, tokens[i], L'(') &&
            (i = PastClosing(text, tokens, i)) == npos)
            return npos;
        if (i >= tokens.size() || !IsWord(text, tokens[i], L"AS"))
            return npos;
        ++i;
        if (i < tokens.size() && IsWord(text, tokens[i], L"NOT"))
            ++i;
        if (i < tokens.size() && IsWord(text, tokens[i], L"MATERIALIZED"))
            ++i;
        // The statement it names.
        if (i >= tokens.size() || !IsChar(text, tokens[i], L'(') ||
            (i = PastClosing(text, tokens, i)) == npos || i >= tokens.size())
            return npos;
        if (!IsChar(text, tokens[i], L','))
            return i;
        ++i;
    }
}

} // namespace

size_t ServerTextQueryStart(LPCWSTR pszQuery)
{
    const size_t npos = std::wstring_view::npos;
    const UINT dialect = SQLLexServerDialect(DBMS_POSTGRESQL);
    if (pszQuery == nullptr || CountStatements(DBMS_POSTGRESQL, pszQuery) != 1)
        return npos;
    const std::wstring_view text(pszQuery);
    std::vector<CToken> tokens;
    if (!CSQLLexer::CodeTokens(text, tokens, dialect))
        return npos;
    // The text's one statement, without the semicolon that ends it.
    if (!tokens.empty() && IsChar(text, tokens.back(), L';'))
        tokens.pop_back();
    if (BeginsQuery(text, tokens, 0))
        return 0;
    if (tokens.empty() || !IsWord(text, tokens[0], L"WITH"))
        return npos;
    bool bChanges = false;
    for (const CToken& token : tokens)
        bChanges = bChanges || IsWord(text, token, L"INSERT") || IsWord(text, token, L"UPDATE") ||
                   IsWord(text, token, L"DELETE") || IsWord(text, token, L"MERGE");
    if (!bChanges)
        return 0;
    const size_t main = MainStatementOfWith(text, tokens);
    return main != npos && BeginsQuery(text, tokens, main) ? tokens[main].pos : npos;
}

PostgresRead HowToReadPostgresColumn(SQLSMALLINT nSQLType, const CString& typeName)
{
    const bool timestamp = nSQLType == SQL_TYPE_TIMESTAMP || nSQLType == SQL_TIMESTAMP;
    if (timestamp && (typeName.CompareNoCase(L"timestamptz") == 0 ||
                      typeName.CompareNoCase(L"timestamp with time zone") == 0))
        return PostgresRead::AsShownText;
    if ((timestamp && (typeName.CompareNoCase(L"timestamp") == 0 ||
                       typeName.CompareNoCase(L"timestamp without time zone") == 0)) ||
        ((nSQLType == SQL_TYPE_DATE || nSQLType == SQL_DATE) &&
         typeName.CompareNoCase(L"date") == 0))
        return PostgresRead::AsParsedText;
    return PostgresRead::AsTheDriverReads;
}

BYTE PostgresDriverDrops(SQLHSTMT hStmt, UINT nColumn, SQLSMALLINT nSQLType)
{
    using Desc = Zelt::ICursor::CColumnDesc;
    const bool timestamp = nSQLType == SQL_TYPE_TIMESTAMP || nSQLType == SQL_TIMESTAMP;
    const bool date = nSQLType == SQL_TYPE_DATE || nSQLType == SQL_DATE;
    CString type;
    if ((!timestamp && !date) || !CRRecordset::ReadDriverTypeName(hStmt, nColumn, type))
        return Desc::kDropsNothing;
    const PostgresRead read = HowToReadPostgresColumn(nSQLType, type);
    return read == PostgresRead::AsShownText            ? Desc::kDropsOffset
           : read == PostgresRead::AsParsedText && date ? Desc::kDropsEra
                                                        : Desc::kDropsNothing;
}

LPCWSTR DriverDropsMark(const Zelt::ICursor::CColumnDesc* pDesc)
{
    using Desc = Zelt::ICursor::CColumnDesc;
    if (pDesc == nullptr)
        return L"";
    return pDesc->nDriverDrops == Desc::kDropsOffset ? L" [no offset]"
           : pDesc->nDriverDrops == Desc::kDropsEra  ? L" [no era]"
                                                     : L"";
}

CString DriverDropsNote(Zelt::ICursor& cursor)
{
    using Desc = Zelt::ICursor::CColumnDesc;
    CString offsets, eras, example;
    for (UINT c = 1; c <= static_cast<UINT>(std::max<short>(cursor.GetColumnCount(), 0)); ++c)
    {
        const Desc* desc = cursor.GetColumn(c);
        if (desc == nullptr || desc->nDriverDrops == Desc::kDropsNothing)
            continue;
        CString& list = desc->nDriverDrops == Desc::kDropsOffset ? offsets : eras;
        list += (list.IsEmpty() ? L"'" : L", '") + desc->strName + L"'";
        if (example.IsEmpty())
            example = desc->strName + L"::text";
    }
    if (example.IsEmpty())
        return CString();
    CString note = L"The PostgreSQL ODBC driver hands ";
    if (!offsets.IsEmpty())
        note += L"the timestamptz values of " + offsets +
                L" over as the session's local time without their offset (in the hour a clock "
                L"turns back two instants read alike)";
    if (!offsets.IsEmpty() && !eras.IsEmpty())
        note += L", and ";
    if (!eras.IsEmpty())
        note += L"the dates of " + eras + L" over without their era (a date BC reads as AD)";
    note += L". This statement's result cannot be read as the server writes it without running "
            L"the statement again, so those columns are marked in the grid as the driver hands "
            L"them over. Select them as text (" +
            example + L") to see the server's values.";
    return note;
}
