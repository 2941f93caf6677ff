// The wrapping SELECT that reads PostgreSQL values as their text (server_texts.h).
#include "dbaccess/server_texts.h"

#include "dbaccess/database.h"
#include "dbaccess/sql_lexer.h"
#include "dbaccess/transaction_statements.h"

#include <cwctype>
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
                                const std::vector<bool>& asText)
{
    // The text up to the semicolon that ends it: what follows is blanks and comments.
    const std::wstring_view text(pszQuery != nullptr ? pszQuery : L"");
    CSQLLexer lexer(SQLLexServerDialect(DBMS_POSTGRESQL));
    lexer.SetSeparator(L";");
    lexer.StartStatement();
    size_t end = lexer.FindEnd(text, 0);
    if (end == std::wstring_view::npos)
        end = text.size();
    CString query(text.data(), static_cast<int>(end));
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
    return L"SELECT " + list + L" FROM (\n" + query + L"\n) AS q(" + aliases + L")";
}

bool MayReadAsServerText(LPCWSTR pszQuery)
{
    if (IsSingleSelect(DBMS_POSTGRESQL, pszQuery))
        return true;
    if (pszQuery == nullptr || !IsPlainStatement(DBMS_POSTGRESQL, pszQuery))
        return false;
    std::wstring text;
    if (!CSQLLexer::StripComments(pszQuery, text, SQLLexServerDialect(DBMS_POSTGRESQL)))
        return false;
    // The words of the text, quoted ones too: a word that only may change something keeps the
    // query as written.
    CString first;
    size_t p = 0;
    while (p < text.size())
    {
        if (!iswalpha(text[p]) && text[p] != L'_')
        {
            ++p;
            continue;
        }
        const size_t start = p;
        while (p < text.size() && (iswalnum(text[p]) || text[p] == L'_' || text[p] == L'$'))
            ++p;
        CString word(text.c_str() + start, static_cast<int>(p - start));
        word.MakeUpper();
        if (first.IsEmpty())
        {
            first = word;
            if (first != L"WITH")
                return false;
        }
        else if (word == L"INSERT" || word == L"UPDATE" || word == L"DELETE" || word == L"MERGE")
            return false;
    }
    return first == L"WITH";
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
