#include "dbaccess/sql_lexer.h"

#include "dbaccess/database.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t';
}

// Letters and digits of any script, '_' and the characters beyond ASCII that letters of
// identifiers may be.
bool IsWordChar(wchar_t ch)
{
    return ch == L'_' || ch > 0x7F || ::IsCharAlphaNumericW(ch);
}

bool IsWord(std::wstring_view word, const wchar_t* name)
{
    const size_t length = wcslen(name);
    return word.size() == length && _wcsnicmp(word.data(), name, length) == 0;
}

} // namespace

UINT SQLLexServerDialect(UINT nKind)
{
    switch (nKind)
    {
    case DBMS_POSTGRESQL: return SQL_LEX_POSTGRESQL | SQL_LEX_NO_SLASH_COMMENTS;
    // The server's default mode: backslashes escape.
    case DBMS_MYSQL: return SQL_LEX_MYSQL | SQL_LEX_BACKSLASH_QUOTES | SQL_LEX_NO_SLASH_COMMENTS;
    default: return SQL_LEX_NO_SLASH_COMMENTS;
    }
}

void CSQLLexer::SetDialect(UINT dialect)
{
    m_nDialect = dialect;
    BuildSpecialChars();
}

void CSQLLexer::SetSeparator(const std::wstring& separator, bool bAnywhere)
{
    m_separator = separator;
    m_bSlashSeparator = !bAnywhere && separator == L"/";
    m_bWordSeparator =
        !bAnywhere && std::all_of(separator.begin(), separator.end(), [](wchar_t ch) {
            return ch == L'_' || ::IsCharAlphaNumericW(ch);
        });
    m_bBodyRules = separator == L";";
    BuildSpecialChars();
}

void CSQLLexer::BuildSpecialChars()
{
    const bool bMySQL = (m_nDialect & SQL_LEX_MYSQL) != 0;
    const bool bPostgreSQL = (m_nDialect & SQL_LEX_POSTGRESQL) != 0;
    m_bParens = bPostgreSQL && m_bBodyRules;
    std::fill_n(m_special, 128, false);
    for (wchar_t ch : {L'\'', L'"', L'[', L'/', L'-'})
        m_special[ch] = true;
    m_special[L'`'] = bMySQL || (m_nDialect & SQL_LEX_SQLITE) != 0;
    m_special[L'#'] = bMySQL;
    m_special[L'$'] = bPostgreSQL;
    m_special[L'('] = m_special[L')'] = m_bParens;
    m_special[L'\\'] = (m_nDialect & SQL_LEX_CLIENT_COMMANDS) && (bMySQL || bPostgreSQL);
    m_bSpecialHigh = false;
    if (m_separator.empty())
        return;
    const wchar_t first = m_separator[0];
    if (first >= 128)
    {
        m_bSpecialHigh = true;
        return;
    }
    m_special[first] = true;
    m_special[towupper(first) & 127] = true;
    m_special[towlower(first) & 127] = true;
}

void CSQLLexer::StartStatement()
{
    m_mode = code;
    m_closer.clear();
    m_bEscapes = false;
    m_nDepth = 0;
    m_head = headStart;
    m_nTrigger = 0;
    m_nBodyDepth = 0;
    m_nParenDepth = 0;
    m_bAtCommand = false;
}

size_t CSQLLexer::FindCloser(std::wstring_view s, size_t from)
{
    if (m_nDepth > 0)
    {
        for (size_t j = from; j + 1 < s.size(); ++j)
        {
            if (s[j] == L'/' && s[j + 1] == L'*')
            {
                ++m_nDepth;
                ++j;
            }
            else if (s[j] == L'*' && s[j + 1] == L'/')
            {
                ++j;
                if (--m_nDepth == 0)
                    return j + 1;
            }
        }
        return std::wstring::npos;
    }
    if (m_bEscapes)
    {
        const wchar_t closer = m_closer[0];
        for (size_t j = from; j < s.size(); ++j)
        {
            if (s[j] == L'\\')
                ++j; // the escaped character, whatever it is
            else if (s[j] == closer)
                return j + 1;
        }
        return std::wstring::npos;
    }
    const size_t at = m_closer.size() == 1 ? s.find(m_closer[0], from) : s.find(m_closer, from);
    return at == std::wstring::npos ? at : at + m_closer.size();
}

size_t CSQLLexer::OpenAt(std::wstring_view s, size_t i)
{
    const size_t n = s.size();
    const wchar_t ch = s[i];
    const wchar_t next = i + 1 < n ? s[i + 1] : 0;
    const bool bMySQL = (m_nDialect & SQL_LEX_MYSQL) != 0;
    const bool bPostgreSQL = (m_nDialect & SQL_LEX_POSTGRESQL) != 0;
    const bool bBackslashes = (m_nDialect & SQL_LEX_BACKSLASH_QUOTES) != 0;
    auto enter = [&](Mode mode, std::wstring closer, bool escapes, size_t length) {
        m_mode = mode;
        m_closer = std::move(closer);
        m_bEscapes = escapes;
        m_nDepth = 0;
        return length;
    };
    switch (ch)
    {
    case L'\'': {
        bool escapes = bBackslashes;
        // PostgreSQL's E'...' strings read backslash escapes whatever the server settings.
        if (bPostgreSQL && i > 0 && (s[i - 1] == L'E' || s[i - 1] == L'e') &&
            (i < 2 || !IsWordChar(s[i - 2])))
            escapes = true;
        return enter(quote, L"'", escapes, 1);
    }
    // PostgreSQL's "..." is a name, where a backslash is a letter like any other.
    case L'"': return enter(quote, L"\"", bBackslashes && bMySQL, 1);
    case L'[':
        // A script's names may be bracketed (SQLite reads them so too); PostgreSQL and MySQL
        // read [ as no quote at all: ARRAY['c]d'] holds a string.
        if (bMySQL || bPostgreSQL)
            return 0;
        return enter(quote, L"]", false, 1);
    case L'`': return bMySQL || (m_nDialect & SQL_LEX_SQLITE) ? enter(quote, L"`", false, 1) : 0;
    case L'#': return bMySQL ? enter(comment, L"\n", false, 1) : 0;
    case L'$': {
        // $tag$ opens a dollar quote when the tag is empty or an identifier not starting with a
        // digit ($1 is a parameter) and the dollar does not continue a name (a$b$).
        if (!bPostgreSQL)
            return 0;
        if (i > 0 && (IsWordChar(s[i - 1]) || s[i - 1] == L'$'))
            return 0;
        size_t j = i + 1;
        if (j < n && next >= L'0' && next <= L'9')
            return 0;
        while (j < n && IsWordChar(s[j]))
            ++j;
        if (j >= n || s[j] != L'$')
            return 0;
        return enter(quote, std::wstring(s.substr(i, j - i + 1)), false, j - i + 1);
    }
    case L'/':
        if (next == L'*')
        {
            // MySQL runs what a versioned comment holds: it is statement text.
            if (bMySQL && i + 2 < n &&
                (s[i + 2] == L'!' || (s[i + 2] == L'M' && i + 3 < n && s[i + 3] == L'!')))
                return 0;
            const size_t length = enter(comment, L"*/", false, 2);
            if (bPostgreSQL)
                m_nDepth = 1;
            return length;
        }
        // Only scripts for other products know "//" comments: to MySQL's client "//" may well
        // be the delimiter.
        if (next == L'/' && !(m_nDialect & (SQL_LEX_NO_SLASH_COMMENTS | SQL_LEX_POSTGRESQL |
                                            SQL_LEX_MYSQL | SQL_LEX_SQLITE)))
            return enter(comment, L"\n", false, 2);
        return 0;
    case L'-':
        if (next != L'-')
            return 0;
        // MySQL: "1--1" is one minus another; a comment needs a blank or control character
        // (the end of the line or text included) after the two dashes.
        if (bMySQL && i + 2 < n && s[i + 2] > L' ' && s[i + 2] != 0x7F)
            return 0;
        return enter(comment, L"\n", false, 2);
    default: return 0;
    }
}

bool CSQLLexer::IsSeparatorAt(std::wstring_view s, size_t i) const
{
    const size_t length = m_separator.size();
    if (length == 0 || i + length > s.size())
        return false;
    if (_wcsnicmp(s.data() + i, m_separator.c_str(), length) != 0)
        return false;
    if (!m_bWordSeparator && !m_bSlashSeparator)
        return true;
    // "GO" and "/" separate only alone on their line: "select go from t" holds a column named
    // go, and "where id = 10 /" + LF + "2" is one expression.
    for (size_t k = i; k > 0; --k)
    {
        if (s[k - 1] == L'\n')
            break;
        if (!IsBlank(s[k - 1]))
            return false;
    }
    for (size_t k = i + length; k < s.size(); ++k)
    {
        const wchar_t ch = s[k];
        if (ch == L'\n' || (ch == L'\r' && k + 1 < s.size() && s[k + 1] == L'\n'))
            break;
        if (!IsBlank(ch))
            return false;
    }
    return true;
}

// psql takes every backslash in code for a meta-command; mysql one followed by a character,
// but \N, which is NULL to the server.
bool CSQLLexer::IsCommandAt(std::wstring_view s, size_t i) const
{
    if (s[i] != L'\\' || !(m_nDialect & SQL_LEX_CLIENT_COMMANDS))
        return false;
    if (m_nDialect & SQL_LEX_POSTGRESQL)
        return true;
    return (m_nDialect & SQL_LEX_MYSQL) && i + 1 < s.size() && !iswspace(s[i + 1]) &&
           s[i + 1] != L'N';
}

void CSQLLexer::OnWord(std::wstring_view word)
{
    const auto trigger = [this] {
        m_nTrigger = 0;
        return m_bBodyRules && (m_nDialect & SQL_LEX_SQLITE) ? headTrigger : headOther;
    };
    const auto routine = [this] {
        m_nBodyDepth = 0;
        return m_bBodyRules && (m_nDialect & SQL_LEX_POSTGRESQL) ? headRoutine : headOther;
    };
    const bool bRoutine = IsWord(word, L"FUNCTION") || IsWord(word, L"PROCEDURE");
    switch (m_head)
    {
    case headStart: m_head = IsWord(word, L"CREATE") ? headCreate : headOther; break;
    case headCreate:
        if (IsWord(word, L"OR"))
            m_head = headCreateOr;
        else if (IsWord(word, L"TEMP") || IsWord(word, L"TEMPORARY"))
            m_head = headCreateTemp;
        else if (IsWord(word, L"TRIGGER"))
            m_head = trigger();
        else
            m_head = bRoutine ? routine() : headOther;
        break;
    case headCreateOr: m_head = IsWord(word, L"REPLACE") ? headCreateOrReplace : headOther; break;
    case headCreateOrReplace: m_head = bRoutine ? routine() : headOther; break;
    case headCreateTemp: m_head = IsWord(word, L"TRIGGER") ? trigger() : headOther; break;
    case headTrigger: m_nTrigger = m_nTrigger == 1 && IsWord(word, L"END") ? 2 : 0; break;
    case headRoutine:
        // As psql counts them: f(begin int, "end" int) opens no body, and a CASE ... END
        // outside one nests nothing.
        if (m_nParenDepth > 0)
            break;
        if (IsWord(word, L"BEGIN") || (m_nBodyDepth > 0 && IsWord(word, L"CASE")))
            ++m_nBodyDepth;
        else if (IsWord(word, L"END") && m_nBodyDepth > 0)
            --m_nBodyDepth;
        break;
    case headOther: break;
    }
}

void CSQLLexer::OnOtherToken()
{
    if (m_head == headTrigger)
        m_nTrigger = 0;
    else if (m_head != headRoutine)
        m_head = headOther;
}

bool CSQLLexer::SeparatorEnds()
{
    if (m_nParenDepth > 0)
        return false;
    if (m_head == headTrigger)
    {
        if (m_nTrigger == 2)
            return true;
        m_nTrigger = 1;
        return false;
    }
    return m_head != headRoutine || m_nBodyDepth == 0;
}

size_t CSQLLexer::FindEnd(std::wstring_view s, size_t pos)
{
    m_bAtCommand = false;
    const size_t n = s.size();
    size_t i = pos;
    while (i < n)
    {
        if (m_mode != code)
        {
            const size_t end = FindCloser(s, i);
            if (end == std::wstring::npos)
                return end; // the rest of the piece is quoted or commented
            i = end;
            m_mode = code;
            continue;
        }
        // Once the first words have shown the statement has no body, only the characters that
        // open something or start the separator matter.
        const bool bWords = m_head != headOther;
        if (!bWords)
        {
            while (i < n)
            {
                const wchar_t ch = s[i];
                if (ch < 128 ? m_special[ch] : m_bSpecialHigh)
                    break;
                ++i;
            }
            if (i >= n)
                break;
        }
        if (const size_t opener = OpenAt(s, i))
        {
            if (m_mode == quote)
                OnOtherToken();
            i += opener;
            continue;
        }
        if (IsCommandAt(s, i))
        {
            m_bAtCommand = true;
            return i;
        }
        if (IsSeparatorAt(s, i))
        {
            if (SeparatorEnds())
                return i;
            i += m_separator.size();
            continue;
        }
        const wchar_t ch = s[i];
        if (m_bParens && (ch == L'(' || ch == L')'))
        {
            if (ch == L'(')
                ++m_nParenDepth;
            else if (m_nParenDepth > 0)
                --m_nParenDepth;
            OnOtherToken();
            ++i;
            continue;
        }
        if (!bWords || iswspace(ch))
        {
            ++i;
            continue;
        }
        if (IsWordChar(ch))
        {
            // PostgreSQL's names go on with "$" (x$begin is one).
            const bool bDollar = (m_nDialect & SQL_LEX_POSTGRESQL) != 0;
            size_t j = i + 1;
            while (j < n && (IsWordChar(s[j]) || (bDollar && s[j] == L'$')))
                ++j;
            OnWord(s.substr(i, j - i));
            i = j;
            continue;
        }
        OnOtherToken();
        ++i;
    }
    return std::wstring::npos;
}

bool CSQLLexer::ParseDelimiterCommand(std::wstring_view line, std::wstring& delimiter)
{
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    const size_t kLength = 9; // "DELIMITER"
    if (line.size() - i < kLength + 1 || _wcsnicmp(line.data() + i, L"DELIMITER", kLength) != 0 ||
        !IsBlank(line[i + kLength]))
        return false;
    i += kLength;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    size_t end = i;
    while (end < line.size() && !iswspace(line[end]))
        ++end;
    if (end == i)
        return false;
    delimiter.assign(line.substr(i, end - i));
    return true;
}

bool CSQLLexer::StripComments(std::wstring_view s, std::wstring& out, UINT dialect)
{
    CSQLLexer lexer(dialect);
    out.clear();
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size())
    {
        if (lexer.m_mode != code)
        {
            const size_t end = lexer.FindCloser(s, i);
            const size_t stop = end == std::wstring::npos ? s.size() : end;
            if (lexer.m_mode == quote)
                out.append(s.substr(i, stop - i));
            else if (end != std::wstring::npos && lexer.m_closer == L"\n")
                out += L'\n';
            i = stop;
            if (end != std::wstring::npos)
                lexer.m_mode = code;
            continue;
        }
        // Plain text is copied a run at a time.
        size_t run = i;
        while (run < s.size() && !(s[run] < 128 && lexer.m_special[s[run]]))
            ++run;
        out.append(s.substr(i, run - i));
        i = run;
        if (i >= s.size())
            break;
        if (const size_t opener = lexer.OpenAt(s, i))
        {
            if (lexer.m_mode == quote)
                out.append(s.substr(i, opener));
            i += opener;
            continue;
        }
        out += s[i++];
    }
    // The end of the text ends a line comment as a line break would: only an open quote or
    // block comment is left unclosed.
    const bool bLineComment = lexer.m_mode == comment && lexer.m_closer == L"\n";
    return s.empty() || lexer.m_mode == code || bLineComment;
}

bool CSQLLexer::CodeTokens(std::wstring_view s, std::vector<CToken>& out, UINT dialect)
{
    CSQLLexer lexer(dialect);
    out.clear();
    const bool bDollar = (dialect & SQL_LEX_POSTGRESQL) != 0;
    size_t i = 0;
    while (i < s.size())
    {
        if (const size_t opener = lexer.OpenAt(s, i))
        {
            const Mode mode = lexer.m_mode;
            const size_t end = lexer.FindCloser(s, i + opener);
            if (end == std::wstring::npos)
                return mode == comment && lexer.m_closer == L"\n";
            if (mode == quote)
                out.push_back({i, end - i, CToken::quoted});
            lexer.m_mode = code;
            i = end;
            continue;
        }
        const wchar_t ch = s[i];
        if (iswspace(ch))
        {
            ++i;
            continue;
        }
        size_t j = i + 1;
        if (IsWordChar(ch))
            while (j < s.size() && (IsWordChar(s[j]) || (bDollar && s[j] == L'$')))
                ++j;
        out.push_back({i, j - i, IsWordChar(ch) ? CToken::word : CToken::other});
        i = j;
    }
    return true;
}

bool CSQLLexer::IsCopyFromClient(std::wstring_view statement, UINT dialect)
{
    if (!(dialect & SQL_LEX_POSTGRESQL))
        return false;
    // Most statements of a script hold no "copy" at all: they are passed without a copy made.
    bool bCopy = false;
    for (size_t k = 0; !bCopy && k + 4 <= statement.size(); ++k)
        bCopy = (statement[k] == L'C' || statement[k] == L'c') &&
                _wcsnicmp(statement.data() + k, L"COPY", 4) == 0;
    if (!bCopy)
        return false;
    std::wstring text;
    StripComments(statement, text, dialect);
    // COPY first; FROM STDIN, blanks between, among the words outside quotes after it.
    size_t i = 0;
    while (i < text.size() && iswspace(text[i]))
        ++i;
    if (text.size() - i < 5 || !IsWord(std::wstring_view(text).substr(i, 4), L"COPY") ||
        IsWordChar(text[i + 4]))
        return false;
    i += 4;
    bool bFrom = false;
    while (i < text.size())
    {
        const wchar_t ch = text[i];
        if (ch == L'\'' || ch == L'"')
        {
            const size_t close = text.find(ch, i + 1);
            if (close == std::wstring::npos)
                return false;
            i = close + 1;
            bFrom = false;
            continue;
        }
        if (!IsWordChar(ch))
        {
            if (!iswspace(ch))
                bFrom = false;
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < text.size() && IsWordChar(text[j]))
            ++j;
        const std::wstring_view word(text.data() + i, j - i);
        if (bFrom && IsWord(word, L"STDIN"))
            return true;
        bFrom = IsWord(word, L"FROM");
        i = j;
    }
    return false;
}

bool CSQLLexer::IsPsqlCommandLine(std::wstring_view line, const wchar_t* names)
{
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i >= line.size() || line[i] != L'\\')
        return false;
    ++i;
    size_t end = i;
    while (end < line.size() && !iswspace(line[end]))
        ++end;
    if (end == i)
        return false;
    if (names == nullptr)
        return true;
    const std::wstring_view name = line.substr(i, end - i);
    for (const wchar_t* p = names; *p; p += wcslen(p) + 1)
        if (name == p)
            return true;
    return false;
}
