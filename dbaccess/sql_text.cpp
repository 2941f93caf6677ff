#include "dbaccess/sql_text.h"

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace {

bool IsWordChar(wchar_t c)
{
    return c == L'_' || (c >= L'0' && c <= L'9') || std::iswalpha(c) != 0;
}

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

bool EqualNoCase(const wchar_t* a, const wchar_t* b, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (std::towupper(a[i]) != std::towupper(b[i]))
            return false;
    return true;
}

} // namespace

int FindSQLKeyword(LPCWSTR text, LPCWSTR keyword)
{
    if (!text || !keyword)
        return -1;
    const size_t n = wcslen(text);
    const size_t k = wcslen(keyword);
    if (n == 0 || k == 0 || n < k)
        return -1;

    int found = -1;
    wchar_t quote = 0;
    for (size_t pos = 0; pos <= n - k; ++pos)
    {
        if (quote)
        {
            const wchar_t* close = wcschr(text + pos, quote);
            if (!close)
                return -1;
            pos = static_cast<size_t>(close - text);
            quote = 0;
            continue;
        }
        const wchar_t c = text[pos];
        if (c == L'\'' || c == L'"')
        {
            quote = c;
            continue;
        }
        if (!EqualNoCase(text + pos, keyword, k))
            continue;
        if (pos > 0 && IsWordChar(text[pos - 1]))
            continue;
        if (pos + k < n && IsWordChar(text[pos + k]))
            continue;
        found = static_cast<int>(pos);
    }
    return found;
}

// ---------------------------------------------------------------------------------------------
// Table of a single-table SELECT

namespace {

struct Token
{
    enum Kind
    {
        Word,
        Quoted,
        Punct
    } kind;
    std::wstring text;
    int depth; // parenthesis depth the token stands at (a '(' has the outer depth)
};

// Splits SQL into words, quoted identifiers and punctuation, dropping blanks, comments and string
// literals (they never matter for the table name). false on an unclosed quote or comment.
bool Tokenize(const wchar_t* s, std::vector<Token>& out)
{
    int depth = 0;
    size_t i = 0;
    const size_t n = wcslen(s);
    while (i < n)
    {
        const wchar_t c = s[i];
        if (std::iswspace(c))
        {
            ++i;
        }
        else if (c == L'-' && i + 1 < n && s[i + 1] == L'-')
        {
            while (i < n && s[i] != L'\n')
                ++i;
        }
        else if (c == L'/' && i + 1 < n && s[i + 1] == L'*')
        {
            const wchar_t* end = wcsstr(s + i + 2, L"*/");
            if (!end)
                return false;
            i = static_cast<size_t>(end - s) + 2;
        }
        else if (c == L'\'')
        {
            // String literal; '' inside stands for one apostrophe.
            size_t j = i + 1;
            for (;;)
            {
                if (j >= n)
                    return false;
                if (s[j] == L'\'')
                {
                    if (j + 1 < n && s[j + 1] == L'\'')
                    {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out.push_back({Token::Punct, L"'", depth});
            i = j + 1;
        }
        else if (c == L'"' || c == L'`' || c == L'[')
        {
            const wchar_t close = c == L'[' ? L']' : c;
            size_t j = i + 1;
            for (;;)
            {
                if (j >= n)
                    return false;
                if (s[j] == close)
                {
                    if (close != L']' && j + 1 < n && s[j + 1] == close)
                    {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out.push_back({Token::Quoted, std::wstring(s + i, j + 1 - i), depth});
            i = j + 1;
        }
        else if (IsWordChar(c) || c == L'$' || c == L'#' || c == L'@')
        {
            size_t j = i;
            while (j < n && (IsWordChar(s[j]) || s[j] == L'$' || s[j] == L'#' || s[j] == L'@'))
                ++j;
            out.push_back({Token::Word, std::wstring(s + i, j - i), depth});
            i = j;
        }
        else
        {
            if (c == L')')
                --depth;
            out.push_back({Token::Punct, std::wstring(1, c), depth});
            if (c == L'(')
                ++depth;
            ++i;
        }
    }
    return depth == 0;
}

bool IsWord(const Token& t, const wchar_t* word)
{
    return t.kind == Token::Word && _wcsicmp(t.text.c_str(), word) == 0;
}

bool IsAnyWord(const Token& t, std::initializer_list<const wchar_t*> words)
{
    for (const wchar_t* w : words)
        if (IsWord(t, w))
            return true;
    return false;
}

// Clauses that may follow the table without changing which rows of it the result shows.
const std::initializer_list<const wchar_t*> kRowClauses = {L"WHERE",  L"ORDER", L"LIMIT",
                                                           L"OFFSET", L"FETCH", L"FOR"};
// Words that make the result something other than rows of one table.
const std::initializer_list<const wchar_t*> kNotSingleTable = {
    L"UNION",  L"INTERSECT", L"EXCEPT", L"MINUS", L"GROUP",       L"HAVING",  L"JOIN",
    L"INNER",  L"LEFT",      L"RIGHT",  L"FULL",  L"CROSS",       L"NATURAL", L"OUTER",
    L"WINDOW", L"ON",        L"USING",  L"WITH",  L"TABLESAMPLE", L"PIVOT",   L"UNPIVOT",
    L"APPLY",  L"CONNECT",   L"START",  L"MODEL", L"INTO"};

} // namespace

CString ParseSelectTableName(LPCWSTR sql)
{
    if (!sql)
        return CString();
    std::vector<Token> tokens;
    if (!Tokenize(sql, tokens) || tokens.empty() || !IsWord(tokens[0], L"SELECT"))
        return CString();

    // Drop one trailing statement terminator; anything after it means a second statement.
    size_t count = tokens.size();
    if (tokens[count - 1].kind == Token::Punct && tokens[count - 1].text == L";")
        --count;

    size_t from = 0;
    for (size_t i = 1; i < count; ++i)
    {
        const Token& t = tokens[i];
        if (t.depth != 0)
            continue;
        if (t.kind == Token::Punct && t.text == L";")
            return CString();
        if (IsAnyWord(t, {L"UNION", L"INTERSECT", L"EXCEPT", L"MINUS", L"INTO"}))
            return CString();
        if (IsWord(t, L"FROM"))
        {
            from = i;
            break;
        }
    }
    if (from == 0)
        return CString();

    // The name: parts separated by '.', each a word or a quoted identifier.
    size_t i = from + 1;
    std::wstring name;
    for (;;)
    {
        if (i >= count)
            return CString();
        const Token& part = tokens[i];
        if (part.kind == Token::Punct || IsAnyWord(part, kRowClauses) ||
            IsAnyWord(part, kNotSingleTable))
            return CString();
        name += part.text;
        ++i;
        if (i < count && tokens[i].kind == Token::Punct && tokens[i].text == L".")
        {
            name += L'.';
            ++i;
            continue;
        }
        break;
    }

    // An optional alias.
    if (i < count && IsWord(tokens[i], L"AS"))
        ++i;
    if (i < count && tokens[i].kind != Token::Punct && !IsAnyWord(tokens[i], kRowClauses))
    {
        if (IsAnyWord(tokens[i], kNotSingleTable))
            return CString();
        ++i;
    }

    // What follows must keep the rows those of the one table.
    if (i < count && !IsAnyWord(tokens[i], kRowClauses))
        return CString();
    for (; i < count; ++i)
    {
        const Token& t = tokens[i];
        if (t.depth == 0 &&
            ((t.kind == Token::Punct && t.text == L";") || IsAnyWord(t, kNotSingleTable)))
            return CString();
    }
    return CString(name.c_str());
}

bool ReadSelectListCalls(LPCWSTR sql, std::vector<CString>& names)
{
    names.clear();
    std::vector<Token> tokens;
    if (!sql || !Tokenize(sql, tokens) || tokens.empty() || !IsWord(tokens[0], L"SELECT"))
        return false;
    size_t i = 1;
    if (i < tokens.size() && IsAnyWord(tokens[i], {L"DISTINCT", L"UNIQUE"}))
        return false;
    for (; i < tokens.size() && !(tokens[i].depth == 0 && IsWord(tokens[i], L"FROM")); ++i)
    {
        const Token& t = tokens[i];
        if (t.kind == Token::Punct || i + 1 >= tokens.size())
            continue;
        const Token& next = tokens[i + 1];
        if (next.kind != Token::Punct || next.text != L"(")
            continue;
        // An unquoted name is folded to lower case, as the server folds it.
        std::wstring name = t.text;
        if (t.kind == Token::Quoted)
            name = name.substr(1, name.size() - 2);
        else
            for (wchar_t& ch : name)
                ch = static_cast<wchar_t>(std::towlower(ch));
        names.push_back(CString(name.c_str()));
    }
    return true;
}

namespace {

CString Unquoted(const Token& t)
{
    if (t.kind != Token::Quoted)
        return CString(t.text.c_str());
    const wchar_t close = t.text[0] == L'[' ? L']' : t.text[0];
    std::wstring name;
    for (size_t i = 1; i + 1 < t.text.size(); ++i)
    {
        name += t.text[i];
        if (t.text[i] == close && close != L']' && i + 2 < t.text.size() && t.text[i + 1] == close)
            ++i; // a doubled quote stands for one
    }
    return CString(name.c_str());
}

// Words that read as names but are values: a column of that name would have to be quoted.
bool IsValueWord(const Token& t)
{
    if (t.kind != Token::Word)
        return false;
    if (!t.text.empty() && std::iswdigit(t.text[0]))
        return true;
    static const std::initializer_list<const wchar_t*> words = {
        L"NULL",         L"TRUE",           L"FALSE",
        L"CURRENT_DATE", L"CURRENT_TIME",   L"CURRENT_TIMESTAMP",
        L"CURRENT_USER", L"SESSION_USER",   L"USER",
        L"LOCALTIME",    L"LOCALTIMESTAMP", L"DEFAULT",
        L"CURRENT_ROLE", L"CURRENT_SCHEMA", L"CURRENT_CATALOG"};
    return IsAnyWord(t, words);
}

// A name of up to three parts, each a word or a quoted name: sets the end of it and the last
// part. The last part may be "*" when bStar is allowed.
bool ReadName(const std::vector<Token>& tokens, size_t from, size_t to, size_t& end,
              const Token*& last)
{
    size_t i = from;
    for (int part = 0; part < 3; ++part)
    {
        if (i >= to)
            return false;
        const Token& t = tokens[i];
        const bool star = t.kind == Token::Punct && t.text == L"*";
        if (!star && t.kind != Token::Quoted && (t.kind != Token::Word || IsValueWord(t)))
            return false;
        last = &t;
        ++i;
        if (star || i >= to || tokens[i].kind != Token::Punct || tokens[i].text != L".")
        {
            end = i;
            return true;
        }
        ++i;
    }
    return false;
}

// What computes the select list item tokens[from, to) that is no plain column, in words.
CString DescribeComputed(const std::vector<Token>& tokens, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        if (IsWord(tokens[i], L"SELECT"))
            return L"a subquery";
    for (size_t i = from; i < to; ++i)
        if (IsWord(tokens[i], L"CASE"))
            return L"a CASE expression";
    for (size_t i = from; i < to; ++i)
        if (IsWord(tokens[i], L"CAST") || IsWord(tokens[i], L"CONVERT") ||
            (tokens[i].kind == Token::Punct && tokens[i].text == L":" && i + 1 < to &&
             tokens[i + 1].text == L":"))
            return L"a cast";
    for (size_t i = from; i + 1 < to; ++i)
        if (tokens[i].kind != Token::Punct && tokens[i + 1].kind == Token::Punct &&
            tokens[i + 1].text == L"(")
            return L"the function " + Unquoted(tokens[i]);
    if (to == from + 1 && (IsValueWord(tokens[from]) || tokens[from].text == L"'"))
        return L"a literal";
    return L"an expression";
}

} // namespace

bool ReadSelectList(LPCWSTR sql, std::vector<CSelectListItem>& items)
{
    items.clear();
    std::vector<Token> tokens;
    if (!sql || !Tokenize(sql, tokens) || tokens.empty() || !IsWord(tokens[0], L"SELECT"))
        return false;
    size_t end = 1;
    while (end < tokens.size() && !(tokens[end].depth == 0 && IsWord(tokens[end], L"FROM")))
        ++end;
    size_t from = 1;
    // After DISTINCT a row is no longer one row of the table. ALL, SQL Server's TOP n [PERCENT]
    // [WITH TIES] and MySQL's modifiers choose rows or plans, not values.
    if (from < end && IsAnyWord(tokens[from], {L"DISTINCT", L"UNIQUE", L"DISTINCTROW"}))
        return false;
    for (;;)
    {
        if (from < end && IsWord(tokens[from], L"TOP"))
        {
            ++from;
            if (from < end && tokens[from].text == L"(")
            {
                const int depth = tokens[from].depth;
                while (++from < end && !(tokens[from].text == L")" && tokens[from].depth == depth))
                    ;
            }
            ++from;
            if (from < end && IsWord(tokens[from], L"PERCENT"))
                ++from;
            if (from + 1 < end && IsWord(tokens[from], L"WITH") &&
                IsWord(tokens[from + 1], L"TIES"))
                from += 2;
        }
        else if (from < end && IsAnyWord(tokens[from], {L"ALL", L"HIGH_PRIORITY", L"STRAIGHT_JOIN",
                                                        L"SQL_SMALL_RESULT", L"SQL_BIG_RESULT",
                                                        L"SQL_BUFFER_RESULT", L"SQL_CACHE",
                                                        L"SQL_NO_CACHE", L"SQL_CALC_FOUND_ROWS"}))
            ++from;
        else
            break;
    }
    while (from < end)
    {
        size_t to = from;
        while (to < end && !(tokens[to].depth == 0 && tokens[to].kind == Token::Punct &&
                             tokens[to].text == L","))
            ++to;
        if (to == from)
            return false;
        CSelectListItem item;
        size_t nameEnd = 0;
        const Token* last = nullptr;
        if (ReadName(tokens, from, to, nameEnd, last))
        {
            size_t i = nameEnd;
            const bool star = last->kind == Token::Punct;
            // An alias: [AS] name, and then nothing.
            if (!star && i < to && IsWord(tokens[i], L"AS"))
                ++i;
            if (!star && i + 1 == to &&
                (tokens[i].kind == Token::Quoted ||
                 (tokens[i].kind == Token::Word && !IsValueWord(tokens[i]))))
            {
                item.strAlias = Unquoted(tokens[i]);
                i = to;
            }
            if (i == to)
            {
                item.bStar = star;
                item.bColumn = !star;
                if (!star)
                    item.strColumn = Unquoted(*last);
            }
        }
        if (!item.bStar && !item.bColumn)
        {
            // The name the result gives it, if any: [AS] name after the expression.
            size_t exprEnd = to;
            if (to - from >= 2 && tokens[to - 1].kind != Token::Punct &&
                !IsValueWord(tokens[to - 1]) && !IsWord(tokens[to - 1], L"END") &&
                (tokens[to - 2].kind != Token::Punct || tokens[to - 2].text == L")" ||
                 tokens[to - 2].text == L"'"))
            {
                item.strAlias = Unquoted(tokens[to - 1]);
                exprEnd = to - 1;
                if (exprEnd - from >= 2 && IsWord(tokens[exprEnd - 1], L"AS"))
                    --exprEnd;
            }
            item.strComputed = DescribeComputed(tokens, from, exprEnd);
        }
        items.push_back(item);
        from = to + 1;
    }
    return !items.empty();
}

bool SplitSQLName(LPCWSTR name, std::vector<CString>& parts)
{
    parts.clear();
    std::vector<Token> tokens;
    if (!name || !Tokenize(name, tokens))
        return false;
    size_t end = 0;
    const Token* last = nullptr;
    if (!ReadName(tokens, 0, tokens.size(), end, last) || last->kind == Token::Punct ||
        end != tokens.size())
        return false;
    for (size_t i = 0; i < end; i += 2)
        parts.push_back(Unquoted(tokens[i]));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Date and time text

namespace {

// Reads digits starting at p while the value read so far is below limit.
const wchar_t* ReadNumber(const wchar_t* p, int limit, int& value)
{
    value = 0;
    if (!IsDigit(*p))
        return nullptr;
    value = *p++ - L'0';
    while (IsDigit(*p) && value < limit)
        value = value * 10 + (*p++ - L'0');
    return p;
}

// "hh:mm[:ss[.fffffffff]]"; returns the position after the time or null.
const wchar_t* ParseTimePart(const wchar_t* p, int& hour, int& minute, int& second, long& nanos)
{
    hour = minute = second = 0;
    nanos = 0;
    p = ReadNumber(p, 24, hour);
    if (!p || *p != L':')
        return nullptr;
    p = ReadNumber(p + 1, 60, minute);
    if (!p)
        return nullptr;
    if (*p == L':')
    {
        p = ReadNumber(p + 1, 60, second);
        if (!p)
            return nullptr;
        if (*p == L'.')
        {
            ++p;
            if (!IsDigit(*p))
                return nullptr;
            int digits = 0;
            while (IsDigit(*p))
            {
                if (digits < 9)
                {
                    nanos = nanos * 10 + (*p - L'0');
                    ++digits;
                }
                ++p; // digits beyond nanoseconds are dropped
            }
            for (; digits < 9; ++digits)
                nanos *= 10;
        }
    }
    if (hour > 23 || minute > 59 || second > 59)
        return nullptr;
    return p;
}

struct DateTimeParts
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    long nanos = 0;
    int zoneHour = 0, zoneMinute = 0;
};

bool ParseDateTimeText(const wchar_t* text, DateTimeParts& out, bool allowZone,
                       bool allowZeroParts = false)
{
    if (!text)
        return false;
    const wchar_t* p = text;
    while (*p == L' ')
        ++p;
    const wchar_t* start = p;

    int sign1 = 1;
    if (*p == L'+' || *p == L'-')
        sign1 = *p++ == L'-' ? -1 : 1;
    int first = 0;
    p = ReadNumber(p, 10000, first);
    if (!p)
        return false;
    DateTimeParts r;
    if (*p != L'/' && *p != L'-' && *p != L'.')
    {
        // A time alone.
        p = ParseTimePart(start, r.hour, r.minute, r.second, r.nanos);
        if (!p)
            return false;
        while (*p == L' ')
            ++p;
        if (*p)
            return false;
        out = r;
        return true;
    }
    const wchar_t sep = *p++;
    int month = 0;
    p = ReadNumber(p, 12, month);
    if (!p || *p != sep)
        return false;
    ++p;
    int sign3 = 1;
    if (*p == L'+' || *p == L'-')
        sign3 = *p++ == L'-' ? -1 : 1;
    int third = 0;
    p = ReadNumber(p, 10000, third);
    if (!p)
        return false;
    int year = first * sign1, day = third * sign3;
    if ((day < 1 || day > 31) && year >= 1 && year <= 31)
        std::swap(year, day);
    if (month > 12 && day >= 1 && day <= 12)
        std::swap(month, day);
    r.year = year;
    r.month = month;
    r.day = day;

    if (*p == L'T' || *p == L' ')
    {
        const wchar_t* q = p;
        if (*q == L'T')
            ++q;
        else
            while (*q == L' ')
                ++q;
        if (IsDigit(*q))
        {
            p = ParseTimePart(q, r.hour, r.minute, r.second, r.nanos);
            if (!p)
                return false;
            if (allowZone && *p == L' ')
            {
                const wchar_t* z = p;
                while (*z == L' ')
                    ++z;
                if (*z == L'+' || *z == L'-' || IsDigit(*z))
                {
                    int zsign = 1;
                    if (*z == L'+' || *z == L'-')
                        zsign = *z++ == L'-' ? -1 : 1;
                    int zh = 0, zm = 0;
                    z = ReadNumber(z, 23, zh);
                    if (!z || *z != L':')
                        return false;
                    z = ReadNumber(z + 1, 59, zm);
                    if (!z)
                        return false;
                    r.zoneHour = zsign * zh;
                    r.zoneMinute = zsign * zm;
                    p = z;
                }
            }
        }
        else if (*p == L'T')
        {
            return false;
        }
    }
    while (*p == L' ')
        ++p;
    // A year BC as the dates of years before 1 are shown ("0044/03/15 BC"): a negative year.
    if ((p[0] == L'B' || p[0] == L'b') && (p[1] == L'C' || p[1] == L'c') && r.year >= 1)
    {
        r.year = -r.year;
        p += 2;
        while (*p == L' ')
            ++p;
    }
    if (*p)
        return false;
    const int lowest = allowZeroParts ? 0 : 1;
    if (r.month < lowest || r.month > 12 || r.day < lowest || r.day > 31)
        return false;
    if (r.zoneHour < -23 || r.zoneHour > 23 || r.zoneMinute < -59 || r.zoneMinute > 59)
        return false;
    out = r;
    return true;
}

} // namespace

namespace {

// The date and time fields both timestamp records share.
template <class Timestamp>
void CopyDateTimeParts(const DateTimeParts& r, Timestamp& ts)
{
    ts.year = static_cast<SQLSMALLINT>(r.year);
    ts.month = static_cast<SQLUSMALLINT>(r.month);
    ts.day = static_cast<SQLUSMALLINT>(r.day);
    ts.hour = static_cast<SQLUSMALLINT>(r.hour);
    ts.minute = static_cast<SQLUSMALLINT>(r.minute);
    ts.second = static_cast<SQLUSMALLINT>(r.second);
    ts.fraction = static_cast<SQLUINTEGER>(r.nanos);
}

} // namespace

bool ParseDateText(LPCWSTR text, TIMESTAMP_STRUCT& ts, bool bZeroParts)
{
    ts = TIMESTAMP_STRUCT{};
    DateTimeParts r;
    if (!ParseDateTimeText(text, r, false, bZeroParts))
        return false;
    CopyDateTimeParts(r, ts);
    return true;
}

bool ParseTimestampText(LPCWSTR text, SQL_SS_TIMESTAMPOFFSET_STRUCT& ts)
{
    ts = SQL_SS_TIMESTAMPOFFSET_STRUCT{};
    DateTimeParts r;
    if (!ParseDateTimeText(text, r, true))
        return false;
    CopyDateTimeParts(r, ts);
    ts.timezone_hour = static_cast<SQLSMALLINT>(r.zoneHour);
    ts.timezone_minute = static_cast<SQLSMALLINT>(r.zoneMinute);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Numbers fetched as text

namespace {

// Exponents beyond this are no number a database column holds; refusing them keeps a hostile
// "1e999999999" from growing into a text of a billion zeros.
const int kMaxExponent = 400;

bool Normalize(const std::wstring& in, int scale, bool bFloating, std::wstring& s)
{
    s.clear();
    size_t point = std::wstring::npos;
    bool digits = false;
    int exponent = 0;
    for (size_t i = 0; i < in.size(); ++i)
    {
        const wchar_t c = in[i];
        if (c == L'+' || c == L'-')
        {
            if (i != 0)
                return false;
            s += c;
        }
        else if (IsDigit(c))
        {
            s += c;
            digits = true;
        }
        else if (c == L'.' || c == L',')
        {
            if (point != std::wstring::npos)
                return false;
            point = s.size();
            s += L'.';
        }
        else if (c == L'e' || c == L'E')
        {
            bool sign = false, negative = false;
            for (size_t j = i + 1; j < in.size(); ++j)
            {
                const wchar_t e = in[j];
                if (e == L'+' || e == L'-')
                {
                    if (sign)
                        return false;
                    sign = true;
                    negative = e == L'-';
                }
                else if (IsDigit(e))
                {
                    exponent = exponent * 10 + (e - L'0');
                    if (exponent > kMaxExponent)
                        return false;
                }
                else
                {
                    return false;
                }
            }
            if (negative)
                exponent = -exponent;
            break;
        }
        else
        {
            return false;
        }
    }
    if (!digits)
        return false;

    if (exponent < 0)
    {
        if (point == std::wstring::npos)
        {
            point = s.size();
            s += L'.';
        }
        for (int n = exponent; n < 0; ++n)
        {
            if (point > 0 && IsDigit(s[point - 1]))
            {
                std::swap(s[point - 1], s[point]);
                --point;
            }
            else
            {
                s.insert(point + 1, 1, L'0');
            }
        }
    }
    else if (exponent > 0)
    {
        if (point == std::wstring::npos)
        {
            s.append(static_cast<size_t>(exponent), L'0');
        }
        else
        {
            for (int n = 0; n < exponent; ++n)
            {
                if (point + 1 < s.size())
                {
                    std::swap(s[point], s[point + 1]);
                    ++point;
                }
                else
                {
                    s.insert(point, 1, L'0');
                    ++point;
                }
            }
        }
    }
    if (point != std::wstring::npos && point + 1 == s.size() && scale < 1)
    {
        s.erase(point);
        point = std::wstring::npos;
    }
    if (point != std::wstring::npos && (point == 0 || !IsDigit(s[point - 1])))
    {
        s.insert(point, 1, L'0');
        ++point;
    }
    // A floating value whose plain form runs beyond 38 digits (1e308, 5e-324) keeps the
    // exponent: products read long plain literals as DECIMAL and cut them to their precision
    // (MySQL to 65 digits: 1e308 becomes 1e65, 5e-324 becomes 0).
    if (bFloating && exponent != 0 &&
        std::count_if(s.begin(), s.end(), [](wchar_t c) { return IsDigit(c); }) > 38)
    {
        s = in;
        std::replace(s.begin(), s.end(), L',', L'.');
        return true;
    }
    if (scale > 0)
    {
        if (point == std::wstring::npos)
        {
            s += L'.';
            s.append(static_cast<size_t>(scale), L'0');
        }
        else
        {
            const size_t have = s.size() - point - 1;
            if (have < static_cast<size_t>(scale))
                s.append(static_cast<size_t>(scale) - have, L'0');
        }
    }
    return true;
}

} // namespace

bool NormalizeNumberText(LPCWSTR text, int scale, CString& out, bool bFloating)
{
    std::wstring s;
    if (!text || !Normalize(text, scale, bFloating, s))
        return false;
    out = s.c_str();
    return true;
}

bool NormalizeNumberTextA(LPCSTR text, int scale, CStringA& out, bool bFloating)
{
    if (!text)
        return false;
    std::wstring in;
    for (const char* p = text; *p; ++p)
        in += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    std::wstring s;
    if (!Normalize(in, scale, bFloating, s))
        return false;
    std::string narrow(s.begin(), s.end()); // only ASCII survives Normalize
    out = narrow.c_str();
    return true;
}

bool IsNegativeZeroText(LPCWSTR text)
{
    if (!text || text[0] != L'-')
        return false;
    bool bDigit = false;
    for (const wchar_t* p = text + 1; *p; ++p)
    {
        if (*p == L'e' || *p == L'E')
            return bDigit;
        if (*p == L'0')
            bDigit = true;
        else if (*p != L'.')
            return false;
    }
    return bDigit;
}
