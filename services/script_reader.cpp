#include "services/script_reader.h"

#include "controls/utility.h"
#include "dbaccess/database.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

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
    if (db.IsSQLite())
        dialect |= SCRIPT_DIALECT_SQLITE;
    // MySQL's sql_mode without NO_BACKSLASH_ESCAPES; PostgreSQL's standard_conforming_strings
    // off.
    if (db.UsesBackslashEscapes())
        dialect |= SCRIPT_DIALECT_BACKSLASH_QUOTES;
    return dialect;
}

void CSQLScript::SetSeparator(LPCWSTR separator)
{
    m_lexer.SetSeparator(separator != nullptr ? separator : L"");
    ResetScan(0);
}

void CSQLScript::ResetScan(int offset)
{
    m_nReadOffset = offset;
    m_nConsumed = offset;
    m_nStatementStart = offset;
    m_line.clear();
    m_nPendingPos = 0;
    m_nLineOffset = offset;
    m_items.clear();
    m_deferred.clear();
    m_bQuit = false;
}

// The mysql client takes DELIMITER as its own command at the start of a line, when no
// statement has begun: the line goes to no server, and the new delimiter ends the statements
// after it (mysqldump writes "DELIMITER ;;" around triggers and routines, whose bodies hold ";").
// So it takes its other commands by name (quit, source ...) on a line that holds no delimiter.
bool CSQLScript::TakeClientCommand()
{
    if (!(m_nDialect & SCRIPT_DIALECT_MYSQL) || !m_lexer.InCode() || m_lexer.HasTokens())
        return false;
    std::wstring delimiter;
    if (CSQLLexer::ParseDelimiterCommand(m_line, delimiter))
    {
        m_lexer.SetSeparator(delimiter, true);
        return true;
    }
    size_t from = 0, end = m_line.size();
    while (from < end && iswspace(m_line[from]))
        ++from;
    while (end > from && iswspace(m_line[end - 1]))
        --end;
    size_t nameEnd = from;
    while (nameEnd < end && !iswspace(m_line[nameEnd]))
        ++nameEnd;
    const std::wstring_view line(m_line.data() + from, end - from);
    const std::wstring_view name(m_line.data() + from, nameEnd - from);
    const std::wstring& separator = m_lexer.GetSeparator();
    if (name.empty() || (!separator.empty() && line.find(separator) != std::wstring_view::npos) ||
        line.find(L"\\g") != std::wstring_view::npos)
        return false;
    const auto is = [&](const wchar_t* command) {
        return name.size() == wcslen(command) && _wcsnicmp(name.data(), command, name.size()) == 0;
    };
    const bool bArguments = nameEnd < end;
    // The commands that take an argument, then those that take none.
    const bool bTakesArgument = is(L"connect") || is(L"charset") || is(L"help") || is(L"?") ||
                                is(L"pager") || is(L"prompt") || is(L"source") || is(L"system") ||
                                is(L"tee") || is(L"use");
    const bool bBare = is(L"clear") || is(L"edit") || is(L"ego") || is(L"exit") || is(L"go") ||
                       is(L"nopager") || is(L"notee") || is(L"nowarning") || is(L"print") ||
                       is(L"quit") || is(L"rehash") || is(L"status") || is(L"warnings");
    if (!bTakesArgument && !(bBare && !bArguments))
        return false;
    // The runner refuses an item that starts with a backslash, as it refuses \q and \. .
    const int offset = m_nLineOffset + static_cast<int>(from);
    if (is(L"quit") || is(L"exit"))
    {
        m_items.push_back({is(L"quit") ? L"\\quit" : L"\\exit", offset});
        m_bQuit = true;
    }
    // USE is SQL the server runs as the client does; a buffer cleared is empty already.
    else if (!is(L"clear"))
        m_items.push_back({is(L"use") ? std::wstring(line) : L"\\" + std::wstring(line), offset});
    return true;
}

// psql's meta-commands by what they do to the query buffer. \g and its kin send it (with an
// argument they also write the rows elsewhere, which a run cannot); \gdesc only describes it and
// \r empties it. \restrict and \unrestrict (pg_dump writes them around a dump) only keep psql from
// running meta-commands of a restored text: nothing to pass over.
CSQLScript::CommandEffect CSQLScript::PsqlCommandEffect(std::wstring_view name,
                                                        bool bArguments) const
{
    if (name == L"restrict" || name == L"unrestrict")
        return effectNone;
    if (name == L"g" || name == L"gx" || name == L"crosstabview")
        return bArguments ? effectSendAndReport : effectSend;
    if (name == L"gset" || name == L"gexec" || name == L"watch")
        return effectSendAndReport;
    if (name == L"gdesc")
        return effectReportAndClear;
    if (name == L"r" || name == L"reset")
        return effectClear;
    if (name == L"q" || name == L"quit")
        return effectQuit;
    return effectReport;
}

// mysql's one-letter commands: \g and \G send the statement (\G only shows its rows otherwise),
// \c clears it, \q quits; \d is followed where it is met. \- (mysqldump starts its files with
// it, inside a versioned comment) only keeps the client from running system commands, which a
// run never does.
CSQLScript::CommandEffect CSQLScript::MySQLCommandEffect(wchar_t name) const
{
    switch (name)
    {
    case L'-': return effectNone;
    case L'g':
    case L'G': return effectSend;
    case L'c': return effectClear;
    case L'q': return effectQuit;
    default: return effectReport;
    }
}

void CSQLScript::QueueStatement(std::wstring& text)
{
    m_items.push_back({std::move(text), m_nStatementStart});
    m_items.insert(m_items.end(), m_deferred.begin(), m_deferred.end());
    m_deferred.clear();
    text.clear();
    m_lexer.StartStatement();
}

bool CSQLScript::PopItem(CString& statement)
{
    if (m_items.empty())
        return false;
    statement = ToCString(m_items.front().text);
    m_nStatementStart = m_items.front().offset;
    m_items.pop_front();
    return true;
}

size_t CSQLScript::TakeCommands(size_t at, std::wstring& text)
{
    const std::wstring& line = m_line;
    size_t lineEnd = line.size();
    while (lineEnd > at && (line[lineEnd - 1] == L'\n' || line[lineEnd - 1] == L'\r'))
        --lineEnd;
    const bool bPsql = (m_nDialect & SCRIPT_DIALECT_DOLLAR_QUOTES) != 0;
    size_t i = at;
    while (i < lineEnd && line[i] == L'\\')
    {
        size_t end;
        CommandEffect effect;
        if (bPsql)
        {
            // "\\" ends the meta-commands of the line: SQL follows.
            if (i + 1 < lineEnd && line[i + 1] == L'\\')
            {
                i += 2;
                break;
            }
            // \; and \: put the character into the statement without its meaning (several
            // statements sent as one, a colon that names no variable).
            if (i + 1 < lineEnd && (line[i + 1] == L';' || line[i + 1] == L':'))
            {
                text += line[i + 1];
                i += 2;
                break;
            }
            size_t nameEnd = i + 1;
            while (nameEnd < lineEnd && !iswspace(line[nameEnd]) && line[nameEnd] != L'\\')
                ++nameEnd;
            const std::wstring_view name(line.data() + i + 1, nameEnd - i - 1);
            // The arguments run to the next backslash outside quotes (another meta-command, as
            // in \echo ... \quit), or to the end of the line for the commands that take it whole.
            end = lineEnd;
            if (name != L"!" && name != L"copy" && name != L"h" && name != L"help" &&
                name != L"ef" && name != L"ev" && name != L"sf" && name != L"sv")
            {
                wchar_t quote = 0;
                for (end = nameEnd; end < lineEnd; ++end)
                {
                    const wchar_t ch = line[end];
                    if (quote != 0)
                    {
                        if (ch == L'\\' && quote == L'\'' && end + 1 < lineEnd)
                            ++end;
                        else if (ch == quote)
                            quote = 0;
                    }
                    else if (ch == L'\'' || ch == L'"' || ch == L'`')
                        quote = ch;
                    else if (ch == L'\\')
                        break;
                }
            }
            bool bArguments = false;
            for (size_t k = nameEnd; k < end && !bArguments; ++k)
                bArguments = !iswspace(line[k]);
            effect = PsqlCommandEffect(name, bArguments);
        }
        else
        {
            const wchar_t name = line[i + 1];
            end = i + 2;
            effect = MySQLCommandEffect(name);
            if (name == L'd')
            {
                // The short form of DELIMITER: its argument, up to a blank, is the delimiter.
                size_t from = end;
                while (from < lineEnd && iswspace(line[from]))
                    ++from;
                size_t to = from;
                while (to < lineEnd && !iswspace(line[to]))
                    ++to;
                if (to > from)
                {
                    m_lexer.SetSeparator(std::wstring(line, from, to - from), true);
                    effect = effectNone;
                    end = to;
                }
                else
                    end = lineEnd;
            }
            else if (effect == effectReport)
                end = lineEnd; // the commands that take an argument take the rest of the line
        }

        size_t last = end;
        while (last > i && iswspace(line[last - 1]))
            --last;
        const CItem command{line.substr(i, last - i), m_nLineOffset + static_cast<int>(i)};
        // A command met inside a statement is told after it (the client ran it before the
        // statement, but it runs nothing here).
        const auto report = [&] {
            if (m_lexer.HasTokens())
                m_deferred.push_back(command);
            else
                m_items.push_back(command);
        };
        const auto clear = [&] {
            text.clear();
            m_lexer.StartStatement();
            m_items.insert(m_items.end(), m_deferred.begin(), m_deferred.end());
            m_deferred.clear();
        };
        switch (effect)
        {
        case effectNone: break;
        case effectSend:
        case effectSendAndReport:
            // With nothing to send psql sends its previous statement again, mysql nothing: told.
            if (!m_lexer.HasTokens())
            {
                report();
                break;
            }
            QueueStatement(text);
            if (effect == effectSendAndReport)
                report();
            break;
        case effectClear: clear(); break;
        case effectReport: report(); break;
        case effectReportAndClear:
            clear();
            report();
            break;
        case effectQuit:
            clear();
            report();
            m_bQuit = true;
            return line.size();
        }
        i = end;
        if (!bPsql)
            break; // mysql reads on as SQL right after a command
        while (i < lineEnd && (line[i] == L' ' || line[i] == L'\t'))
            ++i;
    }
    // A line of commands alone is no part of the next statement, its line break included.
    if (i >= lineEnd && !m_lexer.HasTokens())
        return line.size();
    return i;
}

// psql sends the lines after COPY ... FROM STDIN up to "\." as the statement's rows. They are
// no SQL: the statement is returned alone (and refused by the runner), its rows passed over so
// that the statements after them run.
void CSQLScript::PassClientRows()
{
    m_nClientRows = 0;
    for (;;)
    {
        m_nLineOffset = m_nReadOffset;
        m_nPendingPos = 0;
        if (!ReadLine(m_line))
            break;
        if (m_line == L"\\.\n" || m_line == L"\\.\r\n" || m_line == L"\\.")
            break;
        ++m_nClientRows;
    }
    m_line.clear();
    m_nConsumed = m_nReadOffset;
}

bool CSQLScript::GetNextStatement(CString& statement)
{
    statement.Empty();
    m_nClientRows = -1;
    if (PopItem(statement))
        return true;
    if (m_bQuit)
        return false;
    std::wstring text;
    m_lexer.StartStatement();
    m_nStatementStart = m_nConsumed;
    size_t pos = m_nPendingPos; // the rest of the line after the last separator comes first
    for (;;)
    {
        const size_t end = m_lexer.FindEnd(m_line, pos);
        if (end != std::wstring::npos && m_lexer.AtCommand())
        {
            text.append(m_line, pos, end - pos);
            pos = TakeCommands(end, text);
            if (!m_lexer.HasTokens())
            {
                // No statement under way: blanks and comments before the commands go with
                // them, and the next statement starts after them.
                text.clear();
                m_nPendingPos = pos;
                m_nConsumed = m_nLineOffset + static_cast<int>(pos);
                m_nStatementStart = m_nConsumed;
                if (PopItem(statement))
                    return true;
            }
            if (m_bQuit)
                return false;
            continue;
        }
        if (end != std::wstring::npos)
        {
            text.append(m_line, pos, end - pos);
            m_nPendingPos = end + m_lexer.GetSeparator().size();
            m_nConsumed = m_nLineOffset + static_cast<int>(m_nPendingPos);
            const bool bCopy = CSQLLexer::IsCopyFromClient(text, m_nDialect);
            QueueStatement(text);
            PopItem(statement);
            if (bCopy)
                PassClientRows();
            return true;
        }
        text.append(m_line, pos, m_line.size() - pos);
        m_nConsumed = m_nReadOffset;

        for (;;)
        {
            m_nLineOffset = m_nReadOffset;
            m_nPendingPos = 0;
            if (!ReadLine(m_line))
            {
                m_line.clear();
                // Commands met in a statement that never ended are still told.
                if (m_lexer.GetSeparator().empty() && !text.empty())
                    QueueStatement(text);
                m_items.insert(m_items.end(), m_deferred.begin(), m_deferred.end());
                m_deferred.clear();
                return PopItem(statement);
            }
            if (TakeClientCommand())
            {
                // The statement starts after the command; the blanks and comments before it
                // go with it.
                text.clear();
                m_nConsumed = m_nReadOffset;
                m_nStatementStart = m_nConsumed;
                m_line.clear();
                m_lexer.StartStatement();
                if (PopItem(statement))
                    return true;
                continue;
            }
            if (m_lexer.GetSeparator().empty() && m_lexer.InCode() && IsBlankLine(m_line))
            {
                // A blank line (LF or CR LF) ends the statement; blank lines before a statement
                // are not part of it.
                m_nConsumed = m_nReadOffset;
                m_line.clear();
                if (!text.empty())
                {
                    QueueStatement(text);
                    return PopItem(statement);
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
    std::wstring out;
    const bool bClosed =
        CSQLLexer::StripComments(statement != nullptr ? statement : L"", out, dialect);
    text = ToCString(out);
    return bClosed;
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
