#include "dbaccess/sqlite_driver_text.h"

#include "dbaccess/sql_lexer.h"

#include <algorithm>
#include <cwctype>
#include <vector>

namespace {

// Characters the driver's scan acts on outside '...' and "...".
bool IsScanned(wchar_t c)
{
    return c == L'\'' || c == L'"' || c == L'?' || c == L';' || c == L'{' || c == L'}';
}

bool HoldsScanned(std::wstring_view s)
{
    for (wchar_t c : s)
        if (IsScanned(c))
            return true;
    return false;
}

// Where the quote opened at i ends (just past its closer), doubling the closer escaping it;
// npos when it never closes.
size_t QuoteEnd(std::wstring_view s, size_t i, wchar_t closer, bool bDoubles)
{
    for (size_t j = i + 1; j < s.size(); ++j)
    {
        if (s[j] != closer)
            continue;
        if (bDoubles && j + 1 < s.size() && s[j + 1] == closer)
        {
            ++j;
            continue;
        }
        return j + 1;
    }
    return std::wstring_view::npos;
}

// Whether the "{" at i opens one of ODBC's escapes (its keyword after any blanks, in any case),
// which the driver turns into SQLite's own text.
bool IsEscapeStart(std::wstring_view s, size_t i)
{
    size_t j = i + 1;
    while (j < s.size() && std::iswspace(s[j]))
        ++j;
    if (j < s.size() && s[j] == L'?')
        return true; // {?= call ...}
    std::wstring word;
    while (j < s.size() && std::iswalpha(s[j]) && word.size() < 10)
        word += static_cast<wchar_t>(std::towlower(s[j++]));
    for (const wchar_t* keyword :
         {L"fn", L"d", L"t", L"ts", L"oj", L"call", L"escape", L"interval", L"guid"})
        if (word == keyword)
            return true;
    return false;
}

} // namespace

bool SQLiteDriverText(std::wstring_view sql, std::wstring& out, std::wstring& refusal)
{
    refusal.clear();
    // What is sent otherwise: names requoted, comments left out.
    struct Change
    {
        size_t from, to;
        std::wstring text;
    };
    std::vector<Change> changes;
    std::vector<Change> trailing; // comments after the last code, kept unless that is a ";"
    wchar_t lastCode = 0;
    const size_t npos = std::wstring_view::npos;
    size_t i = 0;
    while (i < sql.size())
    {
        const wchar_t c = sql[i];
        if (c == L'\'' || c == L'"')
        {
            // Quotes both SQLite and the driver know; an unclosed one runs to the end for both.
            const size_t end = QuoteEnd(sql, i, c, true);
            i = end == npos ? sql.size() : end;
            lastCode = c;
            trailing.clear();
        }
        else if (c == L'[' || c == L'`')
        {
            const size_t end = QuoteEnd(sql, i, c == L'[' ? L']' : L'`', c == L'`');
            if (end == npos)
                break; // SQLite refuses the unclosed name itself
            std::wstring_view body = sql.substr(i + 1, end - i - 2);
            if (HoldsScanned(body))
            {
                std::wstring name = L"\"";
                for (size_t k = 0; k < body.size(); ++k)
                {
                    if (body[k] == L'"')
                        name += L'"';
                    name += body[k];
                    if (c == L'`' && body[k] == L'`')
                        ++k; // `` inside backticks is one `
                }
                name += L'"';
                changes.push_back({i, end, std::move(name)});
            }
            i = end;
            lastCode = c;
            trailing.clear();
        }
        else if ((c == L'-' && i + 1 < sql.size() && sql[i + 1] == L'-') ||
                 (c == L'/' && i + 1 < sql.size() && sql[i + 1] == L'*'))
        {
            const bool bLine = c == L'-';
            size_t end;
            if (bLine)
            {
                end = sql.find(L'\n', i + 2);
                if (end == npos)
                    end = sql.size(); // the line break itself stays
            }
            else
            {
                end = sql.find(L"*/", i + 2);
                end = end == npos ? sql.size() : end + 2;
            }
            // A /* */ comment separates tokens as a blank does.
            Change leftOut{i, end, bLine ? L"" : L" "};
            if (HoldsScanned(sql.substr(i, end - i)))
                changes.push_back(std::move(leftOut));
            else
                trailing.push_back(std::move(leftOut));
            i = end;
        }
        else
        {
            if (c == L'{' && !IsEscapeStart(sql, i))
            {
                const size_t end = sql.find(L'}', i);
                std::wstring_view shown =
                    sql.substr(i, end == npos ? std::min<size_t>(sql.size() - i, 40)
                                              : std::min<size_t>(end - i + 1, 40));
                refusal = L"The statement holds \"" + std::wstring(shown) +
                          L"\" outside quotes, which SQLite reads as no SQL, and the SQLite ODBC "
                          L"driver would take for an ODBC escape and drop from the text without "
                          L"a word. The statement was not run. Quote it as a string or a name, "
                          L"or write an ODBC escape ({fn ...}, {d '...'}, {t '...'}, {ts '...'}, "
                          L"{oj ...}, {call ...}).";
                return false;
            }
            if (!std::iswspace(c))
            {
                lastCode = c;
                trailing.clear();
            }
            ++i;
        }
    }
    // The driver refuses anything but blanks after a final ";", where SQLite skips comments.
    if (lastCode == L';')
        changes.insert(changes.end(), trailing.begin(), trailing.end());
    if (changes.empty())
        return false;
    std::sort(changes.begin(), changes.end(),
              [](const Change& a, const Change& b) { return a.from < b.from; });
    std::wstring text;
    size_t copied = 0;
    for (const Change& change : changes)
    {
        text.append(sql.substr(copied, change.from - copied));
        text += change.text;
        copied = change.to;
    }
    text.append(sql.substr(copied));
    out = std::move(text);
    return true;
}

bool SQLiteRowsText(std::wstring_view sql, std::wstring& out)
{
    std::vector<CSQLLexer::CToken> tokens;
    if (!CSQLLexer::CodeTokens(sql, tokens, SQL_LEX_SQLITE | SQL_LEX_NO_SLASH_COMMENTS) ||
        tokens.empty() || tokens[0].kind != CSQLLexer::CToken::word)
        return false;
    auto is = [&](const CSQLLexer::CToken& token, const wchar_t* word) {
        return token.kind == CSQLLexer::CToken::word && token.length == wcslen(word) &&
               _wcsnicmp(sql.data() + token.pos, word, token.length) == 0;
    };
    bool rows = is(tokens[0], L"VALUES");
    if (is(tokens[0], L"INSERT") || is(tokens[0], L"REPLACE") || is(tokens[0], L"UPDATE") ||
        is(tokens[0], L"DELETE"))
        for (const CSQLLexer::CToken& token : tokens)
            rows = rows || is(token, L"RETURNING");
    if (!rows)
        return false;
    out = L"WITH \"(rows)\" AS (SELECT 1) ";
    out.append(sql);
    return true;
}
