// The SQL script reader: cuts a script into statements at a separator (";", "GO", "/" or, when
// empty, a blank line), never inside quoted text, bracketed names, comments or the bodies of
// triggers and routines.
//
// CSQLScriptStr reads a text held in memory (a script window, a dialog); CSQLScriptFile reads a
// file from disk and detects its encoding (ANSI, UTF-16LE, UTF-8). Both feed the same scanner,
// one line at a time. What quotes, comments and ends a statement is each product's own reading
// (see dbaccess/sql_lexer.h).
//
// A script written for psql or mysql may hold the client's own commands. Those that only say
// where a statement ends or what the separator is are followed: mysql's DELIMITER and \d, its
// \g and \G, psql's \g and \gx, both clients' buffer resets (\r, \c). Any other is returned as
// an item of its own, its text from the backslash on, which the runner refuses with a word
// (RefuseClientCommand): the run never passes over one in silence. The command that quits the
// client (\q) is the last item: the reader yields nothing after it, as the client runs nothing.
#pragma once

#include "framework/core.h"
#include "controls/text_encoding.h"
#include "dbaccess/sql_lexer.h"

#include <deque>
#include <string>
#include <string_view>
#include <vector>

class CRDatabase;

// Dialect bits of the scanner.
enum SQLScriptDialect : UINT
{
    SCRIPT_DIALECT_STANDARD = SQL_LEX_STANDARD,
    SCRIPT_DIALECT_DOLLAR_QUOTES = SQL_LEX_POSTGRESQL,
    // MySQL, MariaDB reading backslashes as escapes; PostgreSQL with standard_conforming_strings
    // off
    SCRIPT_DIALECT_BACKSLASH_QUOTES = SQL_LEX_BACKSLASH_QUOTES,
    SCRIPT_DIALECT_MYSQL = SQL_LEX_MYSQL, // MySQL, MariaDB whatever their sql_mode
    SCRIPT_DIALECT_SQLITE = SQL_LEX_SQLITE,
};

// The dialect of the statements that run on this connection.
UINT GetScriptDialect(const CRDatabase& db);

// Text encodings of script files; also the codes of the encoding combo boxes.
enum SQLScriptEncoding : UINT
{
    SCRIPT_ENCODING_DETECT = 0,
    SCRIPT_ENCODING_ANSI = 1,
    SCRIPT_ENCODING_UNICODE = 2, // UTF-16LE
    SCRIPT_ENCODING_UTF8 = 3,
};

class CSQLScript
{
public:
    CSQLScript() = default;
    virtual ~CSQLScript() = default;
    CSQLScript(const CSQLScript&) = delete;
    CSQLScript& operator=(const CSQLScript&) = delete;

    // The next line, ending with its LF when it has one (CR characters stay); false at the end.
    virtual bool ReadLine(std::wstring& line) = 0;

    // The next statement ended by the separator (the separator itself removed), or, with an
    // empty separator, by a blank line or the end of the text. Comments and quoted text stay in
    // the statement. False when no further statement is ended: text after the last separator is
    // no statement.
    bool GetNextStatement(CString& statement);

    // Removes the comments of one statement: quoted runs stay whole, a comment ended by a line
    // break leaves the line break, a /* */ comment disappears. False when a quote or comment is
    // still open at the end of a non-empty text (the output then holds what was scanned).
    static bool StripComments(LPCWSTR statement, CString& text,
                              UINT dialect = SCRIPT_DIALECT_STANDARD);
    bool StripStatementComments(LPCWSTR statement, CString& text) const
    {
        return StripComments(statement, text, m_nDialect);
    }

    void SetDialect(UINT dialect)
    {
        m_nDialect = dialect;
        m_lexer.SetDialect(dialect | SQL_LEX_CLIENT_COMMANDS);
    }
    UINT GetDialect() const { return m_nDialect; }
    // The separator in force: the one given, or the last one a DELIMITER command set.
    CString GetSeparator() const
    {
        const std::wstring& separator = m_lexer.GetSeparator();
        return CString(separator.c_str(), static_cast<int>(separator.size()));
    }

    // Character offset just past the text the last GetNextStatement consumed (its separator
    // included).
    int GetConsumedOffset() const { return m_nConsumed; }
    // Character offset where the text of the statement last returned begins; the statement's
    // text runs from there for its length.
    int GetStatementOffset() const { return m_nStatementStart; }

    // The statement last returned is PostgreSQL's COPY ... FROM STDIN: the number of its rows
    // (the lines after it up to "\.") the reader has passed over; -1 for any other statement.
    int GetClientRowsPassed() const { return m_nClientRows; }

protected:
    // Sets the separator and its flags and forgets any pending text.
    void SetSeparator(LPCWSTR separator);
    // Restarts scanning at a text offset, as if everything before it had been consumed.
    void ResetScan(int offset);

    int m_nReadOffset = 0; // characters delivered by ReadLine so far (the next line's offset)

private:
    // An item the reader has found but not returned yet: a statement a client command ended, or
    // a client command that is not run.
    struct CItem
    {
        std::wstring text;
        int offset;
    };
    // What a client command does to the statement under way.
    enum CommandEffect
    {
        effectNone,          // the statement goes on after it
        effectSend,          // the statement ends here (psql's \g, mysql's \G)
        effectSendAndReport, // it ends here, and what else the command does is not run
        effectClear,         // the statement so far is dropped (\r, \c)
        effectReport,        // not run: an item of its own
        effectReportAndClear,
        effectQuit, // the client stops reading the script
    };

    // The line read holds MySQL's DELIMITER where a statement could start (it changes the
    // separator).
    bool TakeClientCommand();
    // The client commands from the backslash at 'at' of the current line on; the statement text
    // so far is text. Gives where the statement's text goes on in the line.
    size_t TakeCommands(size_t at, std::wstring& text);
    CommandEffect PsqlCommandEffect(std::wstring_view name, bool bArguments) const;
    CommandEffect MySQLCommandEffect(wchar_t name) const;
    // Ends the statement under way: it becomes the next item, the commands met inside it after
    // it.
    void QueueStatement(std::wstring& text);
    bool PopItem(CString& statement);
    void PassClientRows();

    CSQLLexer m_lexer;
    UINT m_nDialect = SCRIPT_DIALECT_STANDARD;
    int m_nConsumed = 0;
    int m_nStatementStart = 0;
    int m_nClientRows = -1;
    std::deque<CItem> m_items;     // found, to be returned first
    std::vector<CItem> m_deferred; // commands met inside the statement under way
    bool m_bQuit = false;          // the client quits after the items

    // The current line and the position in it where scanning resumes: what follows the last
    // separator found is the pending text (kept as a position so that a long line is not
    // copied once per statement).
    std::wstring m_line;
    size_t m_nPendingPos = 0;
    int m_nLineOffset = 0; // text offset of m_line[0]
};

// A script held in memory.
class CSQLScriptStr : public CSQLScript
{
public:
    CSQLScriptStr() = default;
    CSQLScriptStr(LPCWSTR text, LPCWSTR separator) { Init(text, separator); }

    // Sets the text and the separator and starts at the beginning.
    void Init(LPCWSTR text, LPCWSTR separator);
    // Replaces the text and goes on reading at nStart (the scan starts afresh there).
    void SetText(LPCWSTR text, int nStart);

    bool ReadLine(std::wstring& line) override;

private:
    std::wstring m_text;
};

// A script file, read through a buffer, its encoding detected or given.
class CSQLScriptFile : public CSQLScript, public CFile
{
public:
    // Opens the file (the framework's CFileException* propagates) and detects the encoding:
    // SCRIPT_ENCODING_DETECT looks at the byte-order mark and the bytes of the whole file. A
    // file is UTF-8 when it starts with the UTF-8 mark, or when it has well-formed multi-byte
    // sequences and no fewer of them than bytes that are no UTF-8: one stray byte does not turn
    // a UTF-8 script into ANSI, while ANSI text, whose accented letters are almost never
    // followed by what UTF-8 expects, stays ANSI.
    CSQLScriptFile(LPCWSTR path, UINT nOpenFlags, LPCWSTR separator, UINT encoding);

    UINT GetEncoding() const { return m_nEncoding; }
    // The file began with a byte-order mark of its encoding.
    bool HasBom() const { return m_bBom; }

    bool ReadLine(std::wstring& line) override;
    // The rest of the file as one text. File errors throw CFileException*.
    bool ReadAll(CString& text);

    // NUL characters of the file in its encoding, and the line (from 1) of the first. The
    // reader delivers them, but no script can hold one: the editor and the drivers take text
    // up to its first NUL, so a caller refuses such a file rather than cut it without a word.
    ULONGLONG GetNulCount() const { return m_nNuls; }
    int GetFirstNulLine() const { return m_nFirstNulLine; }
    // Bytes of a file read as UTF-8 that are no UTF-8 (a stray ANSI byte in a UTF-8 script):
    // each is read as U+FFFD, and the line (from 1) of the first. Always 0 in other encodings.
    ULONGLONG GetBadByteCount() const { return m_nBadBytes; }
    int GetFirstBadByteLine() const { return m_nFirstBadLine; }

private:
    // What one pass over the whole file tells, before the encoding is chosen.
    struct CSurvey
    {
        ULONGLONG zeroBytes = 0, firstZeroByte = 0;
        ULONGLONG zeroUnits = 0, firstZeroUnit = 0; // UTF-16 units 0 (at even offsets)
        ULONGLONG utf8Sequences = 0;                // well-formed multi-byte sequences
        ULONGLONG utf8BadBytes = 0, firstUtf8BadByte = 0;
    };

    void DetectEncoding(UINT encoding);
    CSurvey SurveyFile();
    // The line (from 1) holding the byte at offset: LF bytes before it, or LF units in UTF-16.
    int LineOfOffset(ULONGLONG offset, bool bUtf16);
    // Decodes one UTF-8 character or bad byte at the buffer position (bytes are there).
    void DecodeUtf8Char(std::wstring& out);
    void Restart(ULONGLONG position);
    // Decodes characters into out until after an LF (when bStopAtLF) or the end of the file.
    void Decode(std::wstring& out, bool bStopAtLF);
    bool FillBuffer();
    bool NextChar(wchar_t& ch);

    // The read buffer as a byte source for the characters of more than one byte that may
    // span two fills of it (UTF-16 units, double-byte ANSI).
    class CBufferSource : public REncode::CReaderBase
    {
    public:
        explicit CBufferSource(CSQLScriptFile& file) : m_file(file) {}
        int Read(void* buffer, int count) override;

    private:
        CSQLScriptFile& m_file;
    };

    UINT m_nEncoding = SCRIPT_ENCODING_ANSI;
    bool m_bBom = false;
    ULONGLONG m_nNuls = 0;
    int m_nFirstNulLine = 0;
    ULONGLONG m_nBadBytes = 0;
    int m_nFirstBadLine = 0;
    std::vector<BYTE> m_buffer;
    size_t m_nBufPos = 0;
    size_t m_nBufLen = 0;
    bool m_bEof = false;
    wchar_t m_ansiChars[256] = {};
    bool m_ansiLead[256] = {};
    bool m_bAnsiLeadBytes = false; // a double-byte code page
    CBufferSource m_source{*this};
};
