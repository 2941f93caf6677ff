#include "services/script_reader.h"

#include "controls/utility.h"
#include "dbaccess/database.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

bool IsBlank(wchar_t ch)
{
    return ch == L' ' || ch == L'\t';
}

// The line is empty but for its line break.
bool IsBlankLine(const std::wstring& line)
{
    return line == L"\n" || line == L"\r\n";
}

CString ToCString(const std::wstring& text)
{
    return CString(text.c_str(), static_cast<int>(text.size()));
}

} // namespace

UINT GetScriptDialect(const CRDatabase& db)
{
    UINT dialect = SCRIPT_DIALECT_STANDARD;
    if (db.GetDBMSKind() == DBMS_POSTGRESQL)
        dialect |= SCRIPT_DIALECT_DOLLAR_QUOTES;
    if (db.GetDBMSKind() == DBMS_MYSQL)
        dialect |= SCRIPT_DIALECT_MYSQL;
    if (db.UsesBackslashEscapes())
        dialect |= SCRIPT_DIALECT_BACKSLASH_QUOTES;
    return dialect;
}

void CSQLScript::SetSeparator(LPCWSTR separator)
{
    m_strSeparator = separator != nullptr ? separator : L"";
    m_bSlashSeparator = m_strSeparator == L"/";
    m_bWordSeparator = IsIdentifier(m_strSeparator);
    BuildSpecialChars();
    ResetScan(0);
}

const bool* CSQLScript::QuoteAndCommentChars(UINT dialect)
{
    static bool tables[8][128];
    static const bool built = [] {
        for (UINT d = 0; d < 8; ++d)
        {
            for (wchar_t ch : {L'\'', L'"', L'[', L'/', L'-'})
                tables[d][ch] = true;
            tables[d][L'`'] = (d & SCRIPT_DIALECT_MYSQL) != 0;
            tables[d][L'#'] = (d & SCRIPT_DIALECT_MYSQL) != 0;
            tables[d][L'$'] = (d & SCRIPT_DIALECT_DOLLAR_QUOTES) != 0;
        }
        return true;
    }();
    (void)built;
    return tables[dialect & 7];
}

void CSQLScript::BuildSpecialChars()
{
    std::copy_n(QuoteAndCommentChars(m_nDialect), 128, m_special);
    m_bSpecialHigh = false;
    if (m_strSeparator.IsEmpty())
        return;
    const wchar_t first = m_strSeparator[0];
    if (first >= 128)
    {
        m_bSpecialHigh = true;
        return;
    }
    m_special[first] = true;
    m_special[towupper(first) & 127] = true;
    m_special[towlower(first) & 127] = true;
}

void CSQLScript::ResetScan(int offset)
{
    m_nReadOffset = offset;
    m_nConsumed = offset;
    m_nStatementStart = offset;
    m_line.clear();
    m_nPendingPos = 0;
    m_nLineOffset = offset;
}

size_t CSQLScript::FindCloser(std::wstring_view s, size_t from, CScanState& state)
{
    if (state.depth > 0)
    {
        for (size_t j = from; j + 1 < s.size(); ++j)
        {
            if (s[j] == L'/' && s[j + 1] == L'*')
            {
                ++state.depth;
                ++j;
            }
            else if (s[j] == L'*' && s[j + 1] == L'/')
            {
                ++j;
                if (--state.depth == 0)
                    return j + 1;
            }
        }
        return std::wstring::npos;
    }
    if (state.escapes)
    {
        const wchar_t closer = state.closer[0];
        for (size_t j = from; j < s.size(); ++j)
        {
            if (s[j] == L'\\')
                ++j; // the escaped character, whatever it is
            else if (s[j] == closer)
                return j + 1;
        }
        return std::wstring::npos;
    }
    const size_t at =
        state.closer.size() == 1 ? s.find(state.closer[0], from) : s.find(state.closer, from);
    return at == std::wstring::npos ? at : at + state.closer.size();
}

size_t CSQLScript::OpenAt(std::wstring_view s, size_t i, UINT dialect, CScanState& state)
{
    const size_t n = s.size();
    const wchar_t ch = s[i];
    const wchar_t next = i + 1 < n ? s[i + 1] : 0;
    auto enter = [&](CScanState::Mode mode, std::wstring closer, bool escapes, size_t length) {
        state.mode = mode;
        state.closer = std::move(closer);
        state.escapes = escapes;
        state.depth = 0;
        return length;
    };
    switch (ch)
    {
    case L'\'': {
        bool escapes = (dialect & SCRIPT_DIALECT_BACKSLASH_QUOTES) != 0;
        // PostgreSQL's E'...' strings read backslash escapes whatever the server settings.
        if ((dialect & SCRIPT_DIALECT_DOLLAR_QUOTES) && i > 0 &&
            (s[i - 1] == L'E' || s[i - 1] == L'e') && (i < 2 || !IsIdentChar(s[i - 2])))
            escapes = true;
        return enter(CScanState::quote, L"'", escapes, 1);
    }
    case L'"':
        return enter(CScanState::quote, L"\"", (dialect & SCRIPT_DIALECT_BACKSLASH_QUOTES) != 0, 1);
    case L'[': return enter(CScanState::quote, L"]", false, 1);
    case L'`':
        if (dialect & SCRIPT_DIALECT_MYSQL)
            return enter(CScanState::quote, L"`", false, 1);
        return 0;
    case L'#':
        if (dialect & SCRIPT_DIALECT_MYSQL)
            return enter(CScanState::comment, L"\n", false, 1);
        return 0;
    case L'$': {
        // $tag$ opens a dollar quote when the tag is empty or an identifier not starting with a
        // digit ($1 is a parameter) and the dollar does not continue a name (a$b$).
        if (!(dialect & SCRIPT_DIALECT_DOLLAR_QUOTES))
            return 0;
        if (i > 0 && (IsIdentChar(s[i - 1]) || s[i - 1] == L'$'))
            return 0;
        size_t j = i + 1;
        if (j < n && next >= L'0' && next <= L'9')
            return 0;
        while (j < n && IsIdentChar(s[j]))
            ++j;
        if (j >= n || s[j] != L'$')
            return 0;
        return enter(CScanState::quote, std::wstring(s.substr(i, j - i + 1)), false, j - i + 1);
    }
    case L'/':
        if (next == L'*')
        {
            // MySQL runs what a versioned comment holds: it is statement text.
            if ((dialect & SCRIPT_DIALECT_MYSQL) && i + 2 < n &&
                (s[i + 2] == L'!' || (s[i + 2] == L'M' && i + 3 < n && s[i + 3] == L'!')))
                return 0;
            const size_t length = enter(CScanState::comment, L"*/", false, 2);
            if (dialect & SCRIPT_DIALECT_DOLLAR_QUOTES)
                state.depth = 1;
            return length;
        }
        if (next == L'/')
            return enter(CScanState::comment, L"\n", false, 2);
        return 0;
    case L'-':
        if (next == L'-')
            return enter(CScanState::comment, L"\n", false, 2);
        return 0;
    default: return 0;
    }
}

bool CSQLScript::IsSeparatorAt(size_t i) const
{
    const size_t length = static_cast<size_t>(m_strSeparator.GetLength());
    if (length == 0 || i + length > m_line.size())
        return false;
    if (_wcsnicmp(m_line.c_str() + i, m_strSeparator.GetString(), length) != 0)
        return false;
    if (!m_bWordSeparator && !m_bSlashSeparator)
        return true;
    // "GO" and "/" separate only alone on their line: "select go from t" holds a column named
    // go, and "where id = 10 /" + LF + "2" is one expression.
    for (size_t k = i; k > 0; --k)
    {
        if (!IsBlank(m_line[k - 1]))
            return false;
    }
    for (size_t k = i + length; k < m_line.size(); ++k)
    {
        const wchar_t ch = m_line[k];
        if (ch == L'\n' || (ch == L'\r' && k + 1 < m_line.size() && m_line[k + 1] == L'\n'))
            break;
        if (!IsBlank(ch))
            return false;
    }
    return true;
}

bool CSQLScript::GetNextStatement(CString& statement)
{
    statement.Empty();
    std::wstring text;
    CScanState state;
    m_nStatementStart = m_nConsumed;
    size_t pos = m_nPendingPos; // the rest of the line after the last separator comes first
    for (;;)
    {
        const size_t n = m_line.size();
        size_t i = pos;
        while (i < n)
        {
            if (state.mode != CScanState::code)
            {
                const size_t end = FindCloser(m_line, i, state);
                if (end == std::wstring::npos)
                    break; // the rest of the line is quoted or commented
                i = end;
                state.mode = CScanState::code;
                continue;
            }
            // Most characters can neither open anything nor start the separator.
            while (i < n)
            {
                const wchar_t ch = m_line[i];
                if (ch < 128 ? m_special[ch] : m_bSpecialHigh)
                    break;
                ++i;
            }
            if (i >= n)
                break;
            if (const size_t opener = OpenAt(m_line, i, m_nDialect, state))
            {
                i += opener;
                continue;
            }
            if (IsSeparatorAt(i))
            {
                text.append(m_line, pos, i - pos);
                m_nPendingPos = i + m_strSeparator.GetLength();
                m_nConsumed = m_nLineOffset + static_cast<int>(m_nPendingPos);
                statement = ToCString(text);
                return true;
            }
            ++i;
        }
        text.append(m_line, pos, n - pos);
        m_nConsumed = m_nReadOffset;

        for (;;)
        {
            m_nLineOffset = m_nReadOffset;
            m_nPendingPos = 0;
            if (!ReadLine(m_line))
            {
                m_line.clear();
                if (m_strSeparator.IsEmpty() && !text.empty())
                {
                    statement = ToCString(text);
                    return true;
                }
                return false;
            }
            if (m_strSeparator.IsEmpty() && state.mode == CScanState::code && IsBlankLine(m_line))
            {
                // A blank line (LF or CR LF) ends the statement; blank lines before a statement
                // are not part of it.
                m_nConsumed = m_nReadOffset;
                m_line.clear();
                if (!text.empty())
                {
                    statement = ToCString(text);
                    return true;
                }
                m_nStatementStart = m_nConsumed;
                continue;
            }
            break;
        }
        pos = 0;
    }
}

bool CSQLScript::StripComments(LPCWSTR statement, CString& text, UINT dialect)
{
    const std::wstring_view s(statement != nullptr ? statement : L"");
    const bool* special = QuoteAndCommentChars(dialect);
    std::wstring out;
    out.reserve(s.size());
    CScanState state;
    size_t i = 0;
    while (i < s.size())
    {
        if (state.mode != CScanState::code)
        {
            const size_t end = FindCloser(s, i, state);
            const size_t stop = end == std::wstring::npos ? s.size() : end;
            if (state.mode == CScanState::quote)
                out.append(s.substr(i, stop - i));
            else if (end != std::wstring::npos && state.closer == L"\n")
                out += L'\n';
            i = stop;
            if (end != std::wstring::npos)
                state.mode = CScanState::code;
            continue;
        }
        // Plain text is copied a run at a time.
        size_t run = i;
        while (run < s.size() && !(s[run] < 128 && special[s[run]]))
            ++run;
        out.append(s.substr(i, run - i));
        i = run;
        if (i >= s.size())
            break;
        if (const size_t opener = OpenAt(s, i, dialect, state))
        {
            if (state.mode == CScanState::quote)
                out.append(s.substr(i, opener));
            i += opener;
            continue;
        }
        out += s[i++];
    }
    text = ToCString(out);
    // The end of the text ends a line comment as a line break would: only an open quote or
    // block comment is left unclosed.
    const bool bLineComment = state.mode == CScanState::comment && state.closer == L"\n";
    return s.empty() || state.mode == CScanState::code || bLineComment;
}

void CSQLScriptStr::Init(LPCWSTR text, LPCWSTR separator)
{
    m_text = text != nullptr ? text : L"";
    SetSeparator(separator);
}

void CSQLScriptStr::SetText(LPCWSTR text, int nStart)
{
    m_text = text != nullptr ? text : L"";
    ResetScan(nStart < 0 ? 0 : nStart);
}

bool CSQLScriptStr::ReadLine(std::wstring& line)
{
    const size_t from = static_cast<size_t>(m_nReadOffset);
    if (from >= m_text.size())
    {
        line.clear();
        return false;
    }
    const size_t lf = m_text.find(L'\n', from);
    const size_t end = lf == std::wstring::npos ? m_text.size() : lf + 1;
    line.assign(m_text, from, end - from);
    m_nReadOffset = static_cast<int>(end);
    return true;
}
