// The statement splitter: separators, quotes, comments, dialects, offsets and comment removal.
#include "services/script_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Split(const std::wstring& text, LPCWSTR separator,
                                UINT dialect = SCRIPT_DIALECT_STANDARD)
{
    CSQLScriptStr script(text.c_str(), separator);
    script.SetDialect(dialect);
    std::vector<std::wstring> out;
    CString statement;
    while (script.GetNextStatement(statement))
        out.emplace_back(statement.GetString(), statement.GetLength());
    EXPECT_FALSE(script.GetNextStatement(statement)) << "false stays false";
    return out;
}

typedef std::vector<std::wstring> Pieces;

TEST(ScriptSplitter, SemicolonSeparatesOutsideQuotesAndBrackets)
{
    EXPECT_EQ(Split(L"select 1; select 2;", L";"), (Pieces{L"select 1", L" select 2"}));
    // Text after the last separator is no statement; no separator at all gives nothing.
    EXPECT_EQ(Split(L"select 1; select 2", L";"), (Pieces{L"select 1"}));
    EXPECT_TRUE(Split(L"select 1", L";").empty());
    EXPECT_TRUE(Split(L"", L";").empty());
    EXPECT_EQ(Split(L"insert into t values('a;b');", L";"),
              (Pieces{L"insert into t values('a;b')"}));
    EXPECT_EQ(Split(L"select [a;b] from t;", L";"), (Pieces{L"select [a;b] from t"}));
    EXPECT_EQ(Split(L"select \"x;y\" from t;", L";"), (Pieces{L"select \"x;y\" from t"}));
    // Doubled quotes close and reopen; quotes span lines.
    EXPECT_EQ(Split(L"select 'it''s;' ;\nselect 'a\n;b';", L";"),
              (Pieces{L"select 'it''s;' ", L"\nselect 'a\n;b'"}));
    // Empty statements between separators are returned as such.
    EXPECT_EQ(Split(L";;", L";"), (Pieces{L"", L""}));
    // The separator may be longer than one character; word separators are compared without
    // regard to case.
    EXPECT_EQ(Split(L"a ;; b;;", L";;"), (Pieces{L"a ", L" b"}));
    EXPECT_EQ(Split(L"a\nEnD\nb\nend", L"end"), (Pieces{L"a\n", L"\nb\n"}));
}

TEST(ScriptSplitter, CommentsHideSeparatorsAndQuotes)
{
    EXPECT_EQ(Split(L"-- a; b\nselect 1;", L";"), (Pieces{L"-- a; b\nselect 1"}));
    EXPECT_EQ(Split(L"// don't;\nselect 1;", L";"), (Pieces{L"// don't;\nselect 1"}));
    EXPECT_EQ(Split(L"/* x;\n y' */ select 1; select 2;", L";"),
              (Pieces{L"/* x;\n y' */ select 1", L" select 2"}));
    // A comment opener inside quotes is text.
    EXPECT_EQ(Split(L"select '--';select '/*';", L";"), (Pieces{L"select '--'", L"select '/*'"}));
    // An unterminated quote swallows the rest: with a separator nothing more is returned.
    EXPECT_EQ(Split(L"select 1; select 'x; select 2;", L";"), (Pieces{L"select 1"}));
    EXPECT_EQ(Split(L"select 1; /* x; select 2;", L";"), (Pieces{L"select 1"}));
}

TEST(ScriptSplitter, GoSeparatesOnlyAloneOnItsLine)
{
    EXPECT_EQ(Split(L"select 1\nGO\nselect 2\ngo\n", L"GO"),
              (Pieces{L"select 1\n", L"\nselect 2\n"}));
    EXPECT_TRUE(Split(L"GOTO x\nxGO\n", L"GO").empty());
    // A column named go stays in its statement; blanks and CR LF around GO are allowed.
    EXPECT_EQ(Split(L"select go from t\r\n  go \t\r\nselect 2\r\nGO", L"GO"),
              (Pieces{L"select go from t\r\n  ", L" \t\r\nselect 2\r\n"}));
    EXPECT_EQ(Split(L"select 1 go\n", L"GO"), Pieces{});
    EXPECT_EQ(Split(L"/*\nGO\n*/\nselect 1\nGO\n", L"GO"), (Pieces{L"/*\nGO\n*/\nselect 1\n"}));
}

TEST(ScriptSplitter, SlashSeparatesOnlyAloneOnItsLine)
{
    EXPECT_EQ(Split(L"begin null; end;\n/ \nselect 1 from dual\n/\n", L"/"),
              (Pieces{L"begin null; end;\n", L" \nselect 1 from dual\n"}));
    EXPECT_TRUE(Split(L"select a/b from t\n/x\n", L"/").empty());
    // A slash after code divides: "10 /" + LF + "2" is one expression.
    EXPECT_EQ(Split(L"delete from t where id = 10 /\n2\n/\n", L"/"),
              (Pieces{L"delete from t where id = 10 /\n2\n"}));
    EXPECT_EQ(Split(L"select 1\r\n\t/\r\n", L"/"), (Pieces{L"select 1\r\n\t"}));
}

TEST(ScriptSplitter, EmptySeparatorSplitsAtBlankLines)
{
    EXPECT_EQ(Split(L"a\n\nb", L""), (Pieces{L"a\n", L"b"}));
    // Windows line ends; several blank lines make one break; trailing blank lines add nothing.
    EXPECT_EQ(Split(L"a\r\n\r\n\r\n\nb\r\nc\r\n\r\n", L""), (Pieces{L"a\r\n", L"b\r\nc\r\n"}));
    // A line of blanks is not blank; a blank line inside a quote or comment is text.
    EXPECT_EQ(Split(L"a\n \nb", L""), (Pieces{L"a\n \nb"}));
    EXPECT_EQ(Split(L"a '\n\n' /*\n\n*/\n\nb", L""), (Pieces{L"a '\n\n' /*\n\n*/\n", L"b"}));
    // Without a separator the end of the text ends the last statement, even an open quote.
    EXPECT_EQ(Split(L"select 'x", L""), (Pieces{L"select 'x"}));
}

TEST(ScriptSplitter, PostgreSQLDollarQuotesAndEscapeStrings)
{
    const std::wstring function =
        L"create function qs_f() returns int as $$\nbegin\n  perform 1;\n  return 2;\nend;\n$$ "
        L"language plpgsql;\nselect qs_f();";
    EXPECT_EQ(Split(function, L";", SCRIPT_DIALECT_DOLLAR_QUOTES),
              (Pieces{function.substr(0, function.size() - 16), L"\nselect qs_f()"}));
    EXPECT_EQ(Split(L"do $body$ begin raise notice '$$;'; end $body$; select 1;", L";",
                    SCRIPT_DIALECT_DOLLAR_QUOTES),
              (Pieces{L"do $body$ begin raise notice '$$;'; end $body$", L" select 1"}));
    // $1 is a parameter and a$b$ a name, neither quotes.
    EXPECT_EQ(Split(L"select $1; select a$b$; select 2;", L";", SCRIPT_DIALECT_DOLLAR_QUOTES),
              (Pieces{L"select $1", L" select a$b$", L" select 2"}));
    // E'...' takes backslash escapes; a plain string does not.
    EXPECT_EQ(
        Split(L"select E'a\\';b'; select 'c\\'; select 3;", L";", SCRIPT_DIALECT_DOLLAR_QUOTES),
        (Pieces{L"select E'a\\';b'", L" select 'c\\'", L" select 3"}));
    // Other connections know no dollar quotes.
    EXPECT_EQ(Split(L"select $$a;b$$;", L";").size(), 2u);
    // Block comments nest, across lines too; elsewhere the first */ ends one.
    const std::wstring nested = L"/* a /* b */ c;\n /* d */ e; */ select 1; select 2;";
    EXPECT_EQ(Split(nested, L";", SCRIPT_DIALECT_DOLLAR_QUOTES),
              (Pieces{L"/* a /* b */ c;\n /* d */ e; */ select 1", L" select 2"}));
    CString stripped;
    EXPECT_TRUE(CSQLScript::StripComments(L"/* a /* b */ ' */ select 1", stripped,
                                          SCRIPT_DIALECT_DOLLAR_QUOTES));
    EXPECT_STREQ(stripped, L" select 1");
    EXPECT_FALSE(CSQLScript::StripComments(L"/* a /* b */ select 1", stripped,
                                           SCRIPT_DIALECT_DOLLAR_QUOTES));
    EXPECT_EQ(Split(nested, L";").size(), 4u);
}

TEST(ScriptSplitter, MySQLBackslashEscapesBackticksAndVersionedComments)
{
    const UINT mysql = SCRIPT_DIALECT_MYSQL | SCRIPT_DIALECT_BACKSLASH_QUOTES;
    // The dump line that must stay one statement.
    EXPECT_EQ(
        Split(L"insert into qs_t values (2,'O\\'Brien; drop table qs_t; --');\n", L";", mysql),
        (Pieces{L"insert into qs_t values (2,'O\\'Brien; drop table qs_t; --')"}));
    EXPECT_EQ(Split(L"select \"a\\\";b\", 'c\\\\'; select 2;", L";", mysql),
              (Pieces{L"select \"a\\\";b\", 'c\\\\'", L" select 2"}));
    EXPECT_EQ(Split(L"select `a;b` from t;", L";", mysql), (Pieces{L"select `a;b` from t"}));
    // Versioned comments are statement text and survive comment removal.
    const Pieces dump = Split(L"/*!40101 SET NAMES utf8 */;\n/*M!100616 SET x=1 */;\n"
                              L"/* plain; */ select 1;",
                              L";", mysql);
    ASSERT_EQ(dump.size(), 3u);
    EXPECT_EQ(dump[0], L"/*!40101 SET NAMES utf8 */");
    EXPECT_EQ(dump[2], L"\n/* plain; */ select 1");
    CString stripped;
    EXPECT_TRUE(CSQLScript::StripComments(dump[1].c_str(), stripped, mysql));
    EXPECT_STREQ(stripped, L"\n/*M!100616 SET x=1 */");
    // Elsewhere the backslash is an ordinary character.
    EXPECT_EQ(Split(L"select 'a\\'; select 2;", L";"), (Pieces{L"select 'a\\'", L" select 2"}));
    // # comments to the end of the line: their quotes and separators are no statement text.
    EXPECT_EQ(Split(L"# don't\nselect 1;\n# it's; done\nselect 2;", L";", mysql),
              (Pieces{L"# don't\nselect 1", L"\n# it's; done\nselect 2"}));
    EXPECT_TRUE(CSQLScript::StripComments(L"# it's\nselect '#' # x\n", stripped, mysql));
    EXPECT_STREQ(stripped, L"\nselect '#' \n");
    // With NO_BACKSLASH_ESCAPES backticks, # and versioned comments stay; backslashes do not
    // escape.
    const UINT noEscapes = SCRIPT_DIALECT_MYSQL;
    EXPECT_EQ(Split(L"select 'a\\', `b;c` # ;\n; /*!40101 SET x=1 */; select 2;", L";", noEscapes),
              (Pieces{L"select 'a\\', `b;c` # ;\n", L" /*!40101 SET x=1 */", L" select 2"}));
    // Elsewhere # is an operator (PostgreSQL's XOR).
    EXPECT_EQ(Split(L"select 1 # 2; select 3;", L";", SCRIPT_DIALECT_DOLLAR_QUOTES),
              (Pieces{L"select 1 # 2", L" select 3"}));
}

// mysqldump writes "DELIMITER ;;" around triggers and routines: the client command sets the
// separator for the rest of the script, goes to no server, and is only a command where a
// statement could start.
TEST(ScriptSplitter, MySQLDelimiterCommandChangesTheSeparator)
{
    const UINT mysql = SCRIPT_DIALECT_MYSQL | SCRIPT_DIALECT_BACKSLASH_QUOTES;
    const std::wstring dump =
        L"insert into t values (1);\n"
        L"-- the trigger\nDELIMITER ;;\n"
        L"/*!50003 CREATE*/ /*!50003 TRIGGER tr BEFORE INSERT ON t FOR EACH ROW BEGIN\n"
        L"  SET NEW.a = 1;\n  SET NEW.b = 'x;;y';\nEND */;;\n"
        L"  delimiter   $$  \r\n"
        L"CREATE PROCEDURE p() BEGIN SELECT 1; SELECT 2; END$$\r\n"
        L"DELIMITER ;\n"
        L"insert into t values (2);\n";
    const Pieces pieces = Split(dump, L";", mysql);
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0], L"insert into t values (1)");
    EXPECT_EQ(pieces[1], L"/*!50003 CREATE*/ /*!50003 TRIGGER tr BEFORE INSERT ON t FOR EACH ROW "
                         L"BEGIN\n  SET NEW.a = 1;\n  SET NEW.b = 'x;;y';\nEND */");
    EXPECT_EQ(pieces[2], L"CREATE PROCEDURE p() BEGIN SELECT 1; SELECT 2; END");
    EXPECT_EQ(pieces[3], L"insert into t values (2)");

    // Each statement's place in the text skips the command lines.
    CSQLScriptStr script(dump.c_str(), L";");
    script.SetDialect(mysql);
    CString statement;
    while (script.GetNextStatement(statement))
        EXPECT_EQ(dump.substr(script.GetStatementOffset(), statement.GetLength()),
                  statement.GetString());
    EXPECT_STREQ(script.GetSeparator(), L";");

    // Inside a statement, a quote or a comment, and on other products, DELIMITER is text.
    EXPECT_EQ(Split(L"select 1,\ndelimiter //\n;", L";", mysql),
              (Pieces{L"select 1,\ndelimiter //\n"}));
    EXPECT_EQ(Split(L"select '\ndelimiter //\n';", L";", mysql),
              (Pieces{L"select '\ndelimiter //\n'"}));
    EXPECT_EQ(Split(L"delimiter //\nselect 1;", L";"), (Pieces{L"delimiter //\nselect 1"}));
    // "delimiters" is another word; a bare DELIMITER is left to the server.
    EXPECT_EQ(Split(L"delimiters $\n;\ndelimiter\n;", L";", mysql),
              (Pieces{L"delimiters $\n", L"\ndelimiter\n"}));
}

// The server's own readings that the splitter follows: MySQL's "--" needs a blank after it,
// PostgreSQL reads backslashes in '...' as escapes while standard_conforming_strings is off.
TEST(ScriptSplitter, ProductRulesForDashesAndBackslashes)
{
    const UINT mysql = SCRIPT_DIALECT_MYSQL | SCRIPT_DIALECT_BACKSLASH_QUOTES;
    EXPECT_EQ(Split(L"SELECT 1--1;\nSELECT 2;", L";", mysql),
              (Pieces{L"SELECT 1--1", L"\nSELECT 2"}));
    EXPECT_EQ(Split(L"SELECT 1 --\tx;\nSELECT 2;--\nSELECT 3;", L";", mysql),
              (Pieces{L"SELECT 1 --\tx;\nSELECT 2", L"--\nSELECT 3"}));
    CString stripped;
    EXPECT_TRUE(CSQLScript::StripComments(L"select 1--1 -- c", stripped, mysql));
    EXPECT_STREQ(stripped, L"select 1--1 ");
    // Elsewhere "--" always comments.
    EXPECT_EQ(Split(L"SELECT 1--1;\nSELECT 2;", L";"), (Pieces{L"SELECT 1--1;\nSELECT 2"}));

    const UINT pgOff = SCRIPT_DIALECT_DOLLAR_QUOTES | SCRIPT_DIALECT_BACKSLASH_QUOTES;
    EXPECT_EQ(Split(L"SELECT 'it\\'s; here'; SELECT \"a\\\"; SELECT 2;", L";", pgOff),
              (Pieces{L"SELECT 'it\\'s; here'", L" SELECT \"a\\\"", L" SELECT 2"}));
    EXPECT_EQ(Split(L"SELECT 'it\\'s; here';", L";", SCRIPT_DIALECT_DOLLAR_QUOTES),
              (Pieces{L"SELECT 'it\\'s"}));
}

// Bodies that hold their own ";": SQLite's triggers end at the END after a ";" of theirs (as
// sqlite3 reads a .dump), PostgreSQL's BEGIN ATOMIC routines at their matching END.
TEST(ScriptSplitter, TriggerAndRoutineBodiesStayWhole)
{
    const std::wstring trigger =
        L"CREATE TRIGGER tr AFTER INSERT ON t BEGIN\n  UPDATE u SET n = n + 1;\n"
        L"  SELECT CASE WHEN 1 THEN 'end;' END;\n  INSERT INTO v VALUES (1) ;  end\n;";
    EXPECT_EQ(Split(trigger + L"\nselect 1;", L";", SCRIPT_DIALECT_SQLITE),
              (Pieces{trigger.substr(0, trigger.size() - 1), L"\nselect 1"}));
    EXPECT_EQ(
        Split(L"create temp trigger tr after delete on t begin delete from u; end; x;", L";",
              SCRIPT_DIALECT_SQLITE),
        (Pieces{L"create temp trigger tr after delete on t begin delete from u; end", L" x"}));
    // Other statements, other products and other separators cut at every separator.
    EXPECT_EQ(
        Split(L"create table trigger_log (end int); select 1;", L";", SCRIPT_DIALECT_SQLITE).size(),
        2u);
    EXPECT_EQ(Split(trigger, L";").size(), 4u);
    EXPECT_EQ(
        Split(L"create trigger tr begin select 1\nGO\nend\nGO\n", L"GO", SCRIPT_DIALECT_SQLITE)
            .size(),
        2u);

    const UINT pg = SCRIPT_DIALECT_DOLLAR_QUOTES;
    const std::wstring atomic =
        L"CREATE OR REPLACE FUNCTION f(a int) RETURNS int LANGUAGE sql\nBEGIN ATOMIC\n"
        L"  SELECT CASE WHEN a > 0 THEN 1 END;\n  SELECT a;\nEND;";
    EXPECT_EQ(Split(atomic + L" select f(1);", L";", pg),
              (Pieces{atomic.substr(0, atomic.size() - 1), L" select f(1)"}));
    EXPECT_EQ(Split(L"begin; select 1; end;", L";", pg).size(), 3u);
}

// A plain pg_dump: the rows after COPY ... FROM STDIN up to "\." are no SQL and are passed over
// (the statement itself comes back, for the runner to refuse); psql's meta-commands are lines
// of their own, \restrict and \unrestrict passed over.
TEST(ScriptSplitter, PostgreSQLDumpRowsAndMetaCommands)
{
    const UINT pg = SCRIPT_DIALECT_DOLLAR_QUOTES;
    const std::wstring dump =
        L"\\restrict abc\n"
        L"SET x = 1;\n"
        L"COPY public.t (id, v) FROM stdin;\n"
        L"1\tit's; \\\\.\n"
        L"2\t\\N\n"
        L"\\.\n"
        L"/* c */ copy \"from\" (\"stdin\") from STDIN with (format text);\r\n"
        L"\\.\r\n"
        L"\\connect other\n"
        L"select 'COPY t FROM stdin';\n"
        L"\\unrestrict abc\n";
    CSQLScriptStr script(dump.c_str(), L";");
    script.SetDialect(pg);
    std::vector<std::wstring> pieces;
    std::vector<int> rows;
    CString statement;
    while (script.GetNextStatement(statement))
    {
        pieces.emplace_back(statement.GetString(), statement.GetLength());
        rows.push_back(script.GetClientRowsPassed());
        EXPECT_EQ(dump.substr(script.GetStatementOffset(), statement.GetLength()),
                  statement.GetString());
    }
    EXPECT_EQ(pieces, (Pieces{L"SET x = 1", L"\nCOPY public.t (id, v) FROM stdin",
                              L"/* c */ copy \"from\" (\"stdin\") from STDIN with (format text)",
                              L"\\connect other", L"select 'COPY t FROM stdin'"}));
    EXPECT_EQ(rows, (std::vector<int>{-1, 2, 0, -1, -1}));
    // Elsewhere such lines are text like any other.
    EXPECT_EQ(Split(L"COPY t FROM stdin;\n1\n\\.\n", L";"), (Pieces{L"COPY t FROM stdin"}));
}

// What each product's own client reads otherwise than a generic script: "//" is no comment to
// mysql (tutorials' "DELIMITER //"), "[" quotes nothing to psql, and sqlite3 takes backticks for
// quotes.
TEST(ScriptSplitter, ProductClientsReadSlashesBracketsAndBackticksAsTheirOwn)
{
    const UINT mysql = SCRIPT_DIALECT_MYSQL | SCRIPT_DIALECT_BACKSLASH_QUOTES;
    for (const wchar_t* command : {L"DELIMITER //", L"delimiter //", L"\\d //"})
        EXPECT_EQ(Split(std::wstring(command) +
                            L"\nCREATE PROCEDURE p()\nBEGIN\n  SELECT 1;\nEND //\n"
                            L"DELIMITER ;\nINSERT INTO t VALUES (1);\nCALL p();\n",
                        L";", mysql),
                  (Pieces{L"CREATE PROCEDURE p()\nBEGIN\n  SELECT 1;\nEND ",
                          L"INSERT INTO t VALUES (1)", L"\nCALL p()"}))
            << command;
    EXPECT_EQ(Split(L"select 4 // 2;\nselect 1;", L";", mysql),
              (Pieces{L"select 4 // 2", L"\nselect 1"}));

    const UINT pg = SCRIPT_DIALECT_DOLLAR_QUOTES;
    EXPECT_EQ(Split(L"select ARRAY['c]d'] as a;\nselect '[';\nselect 2;", L";", pg),
              (Pieces{L"select ARRAY['c]d'] as a", L"\nselect '['", L"\nselect 2"}));
    EXPECT_EQ(Split(L"CHECK (x = ANY (ARRAY['a'::text, 'b]'::text]));\nselect 2;", L";", pg).size(),
              2u);

    EXPECT_EQ(Split(L"create table `a;b` (x);\ninsert into `a;b` values (1);", L";",
                    SCRIPT_DIALECT_SQLITE),
              (Pieces{L"create table `a;b` (x)", L"\ninsert into `a;b` values (1)"}));
    // A generic script keeps its // comments and [names].
    EXPECT_EQ(Split(L"select [a;b] // x;\n;", L";"), (Pieces{L"select [a;b] // x;\n"}));
}

// psql ends no statement inside parentheses (a rule's several actions), and counts BEGIN and
// END of a routine's body only outside them (a parameter may be named begin).
TEST(ScriptSplitter, PostgreSQLParenthesesHoldTheirSemicolons)
{
    const UINT pg = SCRIPT_DIALECT_DOLLAR_QUOTES;
    const std::wstring rule = L"CREATE RULE r AS\n    ON INSERT TO t DO ALSO (INSERT INTO u "
                              L"VALUES (new.a);\n INSERT INTO u VALUES (2);\n)";
    EXPECT_EQ(Split(rule + L";\nselect 1;", L";", pg), (Pieces{rule, L"\nselect 1"}));
    const std::wstring function =
        L"CREATE FUNCTION public.f(begin integer, \"end\" integer) RETURNS integer\n"
        L"    LANGUAGE sql\n    AS $$ select begin + \"end\" $$";
    EXPECT_EQ(Split(function + L";\nCREATE TABLE t (a int);\nselect 2;", L";", pg),
              (Pieces{function, L"\nCREATE TABLE t (a int)", L"\nselect 2"}));
    // A CASE outside a body closes by its own END; x$begin is a name.
    EXPECT_EQ(Split(L"CREATE FUNCTION f() RETURNS int RETURN CASE WHEN true THEN 1 END;\n"
                    L"CREATE FUNCTION g() RETURNS int SET search_path = x$begin RETURN 1;\n"
                    L"select 3;",
                    L";", pg)
                  .size(),
              3u);
    // Other separators and products cut where they stand.
    EXPECT_EQ(Split(L"select (1;\nselect 2);", L";").size(), 2u);
    EXPECT_EQ(Split(L"select (1\nGO\n2)\nGO\n", L"GO", pg).size(), 2u);
}

// psql's meta-commands: \g and its kin end the statement before them, a command that is not
// followed is an item of its own (the runner refuses it with a word), \q ends the script.
TEST(ScriptSplitter, PsqlMetaCommandsAfterSQLAndQuit)
{
    const UINT pg = SCRIPT_DIALECT_DOLLAR_QUOTES;
    EXPECT_EQ(Split(L"SELECT 1 AS n \\gset\nSELECT 2 \\g\nselect 3;\n", L";", pg),
              (Pieces{L"SELECT 1 AS n ", L"\\gset", L"SELECT 2 ", L"select 3"}));
    // The extension scripts' first line: psql runs nothing of them.
    EXPECT_EQ(Split(L"-- complain if sourced by psql\n\\echo Use \"CREATE EXTENSION x\" to load "
                    L"this file. \\quit\nCREATE FUNCTION f() RETURNS int RETURN 1;\n",
                    L";", pg),
              (Pieces{L"\\echo Use \"CREATE EXTENSION x\" to load this file.", L"\\quit"}));
    EXPECT_EQ(Split(L"select 1;\nselect 2 \\q\nselect 3;", L";", pg),
              (Pieces{L"select 1", L"\\q"}));
    // \r empties the statement; \gdesc runs none; "\\" lets SQL follow on the line.
    EXPECT_EQ(Split(L"select 1 \\r\nselect 2 \\gdesc\n\\set x 1 \\\\ select 4;", L";", pg),
              (Pieces{L"\\gdesc", L"\\set x 1", L" select 4"}));
    // \; is a ";" that ends nothing: psql sends both statements at once.
    EXPECT_EQ(Split(L"select 1\\; select 2;\nselect 3;", L";", pg),
              (Pieces{L"select 1; select 2", L"\nselect 3"}));
    // A command inside a statement is told after it; the statement goes on.
    EXPECT_EQ(Split(L"select\n\\echo 'a\\b'\n1;", L";", pg),
              (Pieces{L"select\n\n1", L"\\echo 'a\\b'"}));
    // With nothing to send, \g is told rather than followed.
    EXPECT_EQ(Split(L"select 1;\n\\g\n", L";", pg), (Pieces{L"select 1", L"\\g"}));
    // In quotes, comments and dollar quotes a backslash is text.
    EXPECT_EQ(Split(L"select '\\q', $$\\q$$ -- \\q\n;", L";", pg),
              (Pieces{L"select '\\q', $$\\q$$ -- \\q\n"}));
    // Where the script ends without a separator, commands met are still told.
    EXPECT_EQ(Split(L"select 1 \\echo x", L";", pg), (Pieces{L"\\echo x"}));
}

// mysql's one-letter commands: \g and \G end a statement, \d sets the delimiter, \c clears, \q
// quits; \N is NULL to the server.
TEST(ScriptSplitter, MySQLClientCommands)
{
    const UINT mysql = SCRIPT_DIALECT_MYSQL | SCRIPT_DIALECT_BACKSLASH_QUOTES;
    EXPECT_EQ(Split(L"\\d $$\nCREATE PROCEDURE p() BEGIN SELECT 1; END$$\n\\d ;\n"
                    L"select 1\\G\nselect 2\\g select 3;\nselect 4 \\c\nselect 5;\n",
                    L";", mysql),
              (Pieces{L"CREATE PROCEDURE p() BEGIN SELECT 1; END", L"select 1", L"select 2",
                      L" select 3", L"select 5"}));
    EXPECT_EQ(Split(L"insert into t values (\\N, 'a\\g');\n\\u other\nselect 1;\n\\q\nselect 2;",
                    L";", mysql),
              (Pieces{L"insert into t values (\\N, 'a\\g')", L"\\u other", L"select 1", L"\\q"}));
    // Its commands by name, on a line without the delimiter, where a statement could start.
    EXPECT_EQ(Split(L"select 1;\nuse other\nsource /tmp/x.sql\nclear\ngo\nselect 2;\n"
                    L"select\nstatus;\ngo 1;\nQuit\nselect 3;",
                    L";", mysql),
              (Pieces{L"select 1", L"use other", L"\\source /tmp/x.sql", L"\\go", L"select 2",
                      L"\nselect\nstatus", L"\ngo 1", L"\\quit"}));
    // mysqldump's first line: \- inside a versioned comment, which stays statement text.
    EXPECT_EQ(
        Split(L"/*M!999999\\- enable the sandbox mode */ \n/*!40101 SET @x=1 */;", L";", mysql),
        (Pieces{L"/*M!999999 enable the sandbox mode */ \n/*!40101 SET @x=1 */"}));
}

TEST(ScriptSplitter, OffsetsLocateEachStatementInTheText)
{
    const std::wstring text = L"select 1;\n-- c\nselect 2 ;x;";
    CSQLScriptStr script(text.c_str(), L";");
    CString statement;
    std::vector<int> starts, consumed;
    while (script.GetNextStatement(statement))
    {
        starts.push_back(script.GetStatementOffset());
        consumed.push_back(script.GetConsumedOffset());
        EXPECT_EQ(text.substr(script.GetStatementOffset(), statement.GetLength()),
                  statement.GetString());
    }
    EXPECT_EQ(starts, (std::vector<int>{0, 9, 25}));
    EXPECT_EQ(consumed, (std::vector<int>{9, 25, 27}));

    // Blank lines skipped before a statement move its start past them.
    const std::wstring blanks = L"a\r\n\r\n\r\nb\r\n\r\nc";
    CSQLScriptStr byBlank(blanks.c_str(), L"");
    while (byBlank.GetNextStatement(statement))
        EXPECT_EQ(blanks.substr(byBlank.GetStatementOffset(), statement.GetLength()),
                  statement.GetString());

    // SetText restarts at an offset: the edited statement is read again, then the rest.
    CSQLScriptStr edited(L"bad;next;", L";");
    ASSERT_TRUE(edited.GetNextStatement(statement));
    edited.SetText(L"good one;next;", 0);
    ASSERT_TRUE(edited.GetNextStatement(statement));
    EXPECT_STREQ(statement, L"good one");
    ASSERT_TRUE(edited.GetNextStatement(statement));
    EXPECT_STREQ(statement, L"next");
    EXPECT_EQ(edited.GetStatementOffset(), 9);
}

TEST(ScriptSplitter, OneLongLineIsSplitInOnePass)
{
    // 20000 statements on one line: the rest of the line must not be copied per statement.
    std::wstring text;
    for (int i = 0; i < 20000; ++i)
        text += L"insert into t values(" + std::to_wstring(i) + L");";
    CSQLScriptStr script(text.c_str(), L";");
    CString statement;
    int count = 0;
    int lastStart = -1;
    while (script.GetNextStatement(statement))
    {
        ++count;
        EXPECT_GT(script.GetStatementOffset(), lastStart);
        lastStart = script.GetStatementOffset();
    }
    EXPECT_EQ(count, 20000);
    EXPECT_STREQ(statement, L"");
}

TEST(ScriptComments, StripKeepsQuotesAndLineBreaks)
{
    CString out;
    EXPECT_TRUE(CSQLScript::StripComments(L"-- a; b\nselect 1", out));
    EXPECT_STREQ(out, L"\nselect 1");
    EXPECT_TRUE(CSQLScript::StripComments(L"select /* x\ny */1 // z\n, '--' \"/*\" [//]", out));
    EXPECT_STREQ(out, L"select 1 \n, '--' \"/*\" [//]");
    EXPECT_TRUE(CSQLScript::StripComments(L"", out));
    EXPECT_STREQ(out, L"");
    // Still open at the end: false.
    EXPECT_FALSE(CSQLScript::StripComments(L"select 'x", out));
    EXPECT_FALSE(CSQLScript::StripComments(L"select 1 /* x", out));
    // The end of the text closes a line comment: a text of comments alone is seen as empty.
    EXPECT_TRUE(CSQLScript::StripComments(L"select 1 -- no line end", out));
    EXPECT_STREQ(out, L"select 1 ");
    EXPECT_TRUE(CSQLScript::StripComments(L"-- only a comment", out));
    EXPECT_STREQ(out, L"");
    EXPECT_TRUE(CSQLScript::StripComments(L"// only a comment", out));
    EXPECT_STREQ(out, L"");
    // Dialects scan the same way as the splitter.
    EXPECT_TRUE(
        CSQLScript::StripComments(L"select $$--x$$ -- y\n", out, SCRIPT_DIALECT_DOLLAR_QUOTES));
    EXPECT_STREQ(out, L"select $$--x$$ \n");
    EXPECT_TRUE(
        CSQLScript::StripComments(L"select 'a\\'--' -- c\n", out, SCRIPT_DIALECT_BACKSLASH_QUOTES));
    EXPECT_STREQ(out, L"select 'a\\'--' \n");
}

} // namespace
