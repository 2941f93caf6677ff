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
}

// The mysql client takes DELIMITER as its own command at the start of a line, when no
// statement has begun: the line goes to no server, and the new delimiter ends the statements
// after it (mysqldump writes "DELIMITER ;;" around triggers and routines, whose bodies hold ";").
bool CSQLScript::TakeClientCommand()
{
    if (!m_lexer.InCode() || m_lexer.HasTokens())
        return false;
    // psql's \restrict and \unrestrict (pg_dump writes them around a dump) only keep psql
    // from running meta-commands of a restored text; this program runs none.
    if ((m_nDialect & SCRIPT_DIALECT_DOLLAR_QUOTES) &&
        CSQLLexer::IsPsqlCommandLine(m_line, L"restrict\0unrestrict\0"))
        return true;
    if (!(m_nDialect & SCRIPT_DIALECT_MYSQL))
        return false;
    std::wstring delimiter;
    if (!CSQLLexer::ParseDelimiterCommand(m_line, delimiter))
        return false;
    m_lexer.SetSeparator(delimiter, true);
    return true;
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
    std::wstring text;
    m_lexer.StartStatement();
    m_nStatementStart = m_nConsumed;
    size_t pos = m_nPendingPos; // the rest of the line after the last separator comes first
    for (;;)
    {
        const size_t end = m_lexer.FindEnd(m_line, pos);
        if (end != std::wstring::npos)
        {
            text.append(m_line, pos, end - pos);
            m_nPendingPos = end + m_lexer.GetSeparator().size();
            m_nConsumed = m_nLineOffset + static_cast<int>(m_nPendingPos);
            statement = ToCString(text);
            m_nClientRows = -1;
            if (CSQLLexer::IsCopyFromClient(text, m_nDialect))
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
                if (m_lexer.GetSeparator().empty() && !text.empty())
                {
                    statement = ToCString(text);
                    return true;
                }
                return false;
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
                    statement = ToCString(text);
                    return true;
                }
                m_nStatementStart = m_nConsumed;
                continue;
            }
            // Any other psql meta-command is its line: a statement of its own, which the runner
            // refuses, rather than the start of the next one.
            if ((m_nDialect & SCRIPT_DIALECT_DOLLAR_QUOTES) && m_lexer.InCode() &&
                !m_lexer.HasTokens() && CSQLLexer::IsPsqlCommandLine(m_line, nullptr))
            {
                size_t end = m_line.size();
                while (end > 0 && (m_line[end - 1] == L'\n' || m_line[end - 1] == L'\r'))
                    --end;
                text.assign(m_line, 0, end);
                m_line.clear();
                m_nConsumed = m_nReadOffset;
                m_nStatementStart = m_nLineOffset;
                statement = ToCString(text);
                m_nClientRows = -1;
                return true;
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
