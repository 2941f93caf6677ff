// The one reading of SQL text that the script reader and the transaction filter share: where
// quotes and comments open and close, and where a statement ends, by each product's rules.
//
// Products:
// - PostgreSQL: $$ ... $$ and $tag$ ... $tag$ quote (function bodies are full of ";"), E'...'
//   strings take backslash escapes, /* */ comments nest, and "[" quotes nothing (ARRAY['a]']).
//   As psql reads a script, a ";" inside parentheses ends no statement (a rule's
//   DO ALSO (INSERT ...; INSERT ...)), and the body of a function or procedure written
//   BEGIN ATOMIC ... END holds its own ";": BEGIN and END count only outside parentheses (a
//   parameter may be named begin), CASE only inside such a body.
// - MySQL and MariaDB: backticks quote names, # starts a comment to the end of the line, "--"
//   does only when a blank or control character follows it, and the versioned comments /*!...*/
//   and /*M!...*/ are statement text, since the server runs what they hold. Unless the session's
//   sql_mode has NO_BACKSLASH_ESCAPES, a backslash inside '...' or "..." escapes the next
//   character. Scripts may hold the client's DELIMITER command (mysqldump writes it around
//   triggers and routines).
// - SQLite: backticks quote names too, and a CREATE TRIGGER statement ends only at "END;" after a
//   ";" of its body, as sqlite3 reads it.
// - "//" opens a comment to the end of the line only in scripts for other products: psql, mysql
//   and sqlite3 know no such comment (a MySQL script's "DELIMITER //" is its separator).
// - PostgreSQL with standard_conforming_strings off: backslashes escape in '...' too.
#pragma once

#include "framework/core.h"

#include <string>
#include <string_view>
#include <vector>

// Dialect bits of the lexer.
enum SQLLexDialect : UINT
{
    SQL_LEX_STANDARD = 0,
    SQL_LEX_POSTGRESQL = 0x1,
    SQL_LEX_BACKSLASH_QUOTES = 0x2, // backslashes in '...' escape (and in "..." on MySQL)
    SQL_LEX_MYSQL = 0x4,            // MySQL, MariaDB whatever their sql_mode
    SQL_LEX_SQLITE = 0x8,
    // "//" opens no comment: scripts take it for one, servers do not.
    SQL_LEX_NO_SLASH_COMMENTS = 0x10,
    // A script as the product's client reads it: outside quotes and comments a backslash starts
    // one of the client's own commands (psql's \gset, mysql's \G), which is no SQL.
    SQL_LEX_CLIENT_COMMANDS = 0x20,
};

// The dialect a product kind has in its default settings, as server text (no "//" comments).
UINT SQLLexServerDialect(UINT nKind);

class CSQLLexer
{
public:
    explicit CSQLLexer(UINT dialect = SQL_LEX_STANDARD) { SetDialect(dialect); }

    void SetDialect(UINT dialect);
    UINT GetDialect() const { return m_nDialect; }

    // The separator ";" "GO" "/" or another text; empty for none. A separator of word
    // characters ("GO") or "/" separates only alone on its line. bAnywhere: matched wherever it
    // stands outside quotes and comments (a delimiter set by MySQL's DELIMITER command).
    void SetSeparator(const std::wstring& separator, bool bAnywhere = false);
    const std::wstring& GetSeparator() const { return m_separator; }

    // Forgets the statement under way: its quotes, comments and body.
    void StartStatement();
    // Scans the piece s from pos on, with the state left by the earlier pieces of the same
    // statement; gives where a separator that ends the statement stands, or npos. A piece is a
    // line of a script (up to its LF) or a whole text; pieces do not cut words or line breaks.
    // With SQL_LEX_CLIENT_COMMANDS it also stops at the backslash of a client's command
    // (AtCommand tells which); scanning may go on after the command.
    size_t FindEnd(std::wstring_view s, size_t pos);
    // The position FindEnd gave last is a client command's backslash, not a separator.
    bool AtCommand() const { return m_bAtCommand; }
    // Outside any quote or comment.
    bool InCode() const { return m_mode == code; }
    // Something but blanks and comments has been scanned since the statement started.
    bool HasTokens() const { return m_head != headStart; }

    // A line holding MySQL's client command DELIMITER (any case, blanks before it allowed) and
    // its new delimiter, the first run of characters that are not blank.
    static bool ParseDelimiterCommand(std::wstring_view line, std::wstring& delimiter);

    // A line holding one of psql's meta-commands (a backslash, blanks before it allowed): one
    // of the names given (each ended by a NUL, the list by another), or any with null.
    static bool IsPsqlCommandLine(std::wstring_view line, const wchar_t* names);

    // A PostgreSQL COPY ... FROM STDIN statement (comments allowed): its rows follow it in the
    // script, up to a line "\.", for a client that sends them on its own (psql does); no ODBC
    // driver can.
    static bool IsCopyFromClient(std::wstring_view statement, UINT dialect);

    // The text without its comments: quoted runs stay whole, a comment ended by a line break
    // leaves the line break, a /* */ comment disappears. False when a quote or block comment
    // is still open at the end of a non-empty text.
    static bool StripComments(std::wstring_view s, std::wstring& out, UINT dialect);

    // The tokens of code in a text, in order: a word (letters, digits, "_", and on PostgreSQL
    // "$" after its first character), a quoted run from its opener to its closer (a string, a
    // quoted name, a dollar-quoted body; E'...' is the word E and the string), or one other
    // character. Blanks and comments are no tokens. False when a quote or block comment is
    // still open at the end.
    struct CToken
    {
        enum Kind
        {
            word,
            quoted,
            other
        };
        size_t pos = 0;
        size_t length = 0;
        Kind kind = other;
    };
    static bool CodeTokens(std::wstring_view s, std::vector<CToken>& out, UINT dialect);

private:
    enum Mode
    {
        code,
        quote,
        comment
    };
    // What the first words of the statement have shown.
    enum Head
    {
        headStart,
        headCreate,
        headCreateOr,
        headCreateOrReplace,
        headCreateTemp,
        headOther,   // nothing more to follow
        headTrigger, // SQLite CREATE TRIGGER: ends at "; END ;"
        headRoutine, // PostgreSQL CREATE FUNCTION/PROCEDURE: BEGIN ... END nest
    };

    // Where the open quote or comment ends (just past its closer), or npos.
    size_t FindCloser(std::wstring_view s, size_t from);
    // In code at i: enters a quote or comment that opens there and gives the length of its
    // opening text, else 0.
    size_t OpenAt(std::wstring_view s, size_t i);
    bool IsSeparatorAt(std::wstring_view s, size_t i) const;
    bool IsCommandAt(std::wstring_view s, size_t i) const;
    // The statement's head and body follow the words and other tokens in code.
    void OnWord(std::wstring_view word);
    void OnOtherToken();
    // A separator at i ends the statement (else it belongs to a body).
    bool SeparatorEnds();
    void BuildSpecialChars();

    UINT m_nDialect = SQL_LEX_STANDARD;
    std::wstring m_separator;
    bool m_bWordSeparator = false;
    bool m_bSlashSeparator = false;
    bool m_bBodyRules = false; // bodies hold their own ";" (the separator is ";")
    bool m_bParens = false;    // PostgreSQL with ";": no statement ends inside parentheses
    bool m_special[128] = {};  // characters that may open a quote or comment or start the separator
    bool m_bSpecialHigh = false;

    Mode m_mode = code;
    std::wstring m_closer;   // the text that ends the quote or comment
    bool m_bEscapes = false; // a backslash inside the quote escapes the next character
    int m_nDepth = 0;        // nesting of PostgreSQL's /* */ comments (0: they do not nest)
    Head m_head = headStart;
    int m_nTrigger = 0;   // SQLite trigger: 0 after another token, 1 after ";", 2 after "; END"
    int m_nBodyDepth = 0; // PostgreSQL routine: BEGIN and CASE open, END closes
    int m_nParenDepth = 0;
    bool m_bAtCommand = false;
};
