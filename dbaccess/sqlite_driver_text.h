// Statement text for the SQLite ODBC driver's escape scan.
//
// Before a statement reaches SQLite, the driver scans its text for ODBC escapes: outside '...'
// and "..." it rewrites or removes every {...} (an unknown one disappears whole: [a{b}] becomes
// [a]), counts every ? as a parameter marker, and refuses a ; with anything after it ("only one
// SQL statement allowed"). It knows no other quote and no comment. SQLite itself also quotes
// names in [...] and `...`, and skips -- and /* */ comments; an apostrophe in such a name or
// comment makes the driver take the rest of the text for a string and the next string for code,
// so it strips braces from real strings and counts ? in them. Probed on SQLite ODBC 0.9998
// (Linux, also through Wine): SQL_ATTR_NOSCAN is refused, and no connection option turns the
// scan off.
//
// So the text goes to the driver in a form its scan reads as SQLite reads it: a bracketed or
// backticked name that holds one of ' " ? ; { } is sent in double quotes ("" for a " inside),
// which SQLite reads as the same name; a comment that holds one of them is left out (a line
// comment keeps its line break), and so is any comment after a final ";". Everything else, and
// every statement without such a name or comment, goes as written: ODBC's escapes ({fn ...},
// {d ...}) and ? in code are the driver's to read.
#pragma once

#include <string>
#include <string_view>

// The text the driver is to get for sql: false (out untouched) when sql goes as it is. A "{"
// in code that opens no ODBC escape ({fn, {d, {t, {ts, {oj, {call, {?=, {escape, {interval,
// {guid) cannot be sent at all: the driver would drop it with the word after it and the next
// "}" (SQLite itself refuses such text). Then refusal holds the words for the user and the
// result is false.
bool SQLiteDriverText(std::wstring_view sql, std::wstring& out, std::wstring& refusal);

// SQLite answers INSERT, REPLACE, UPDATE and DELETE ... RETURNING, and VALUES, with rows as a
// SELECT does, but the driver reads a result only of a statement whose first word (after
// comments) is SELECT, PRAGMA, EXPLAIN or WITH: it steps any other through to its end and reports
// the rows it changed, so the returned rows are lost (probed on 0.9998). Such a statement is sent
// behind a WITH of a table nothing reads, which SQLite takes in front of each of them: it runs
// once, as written, and the driver hands its rows over. False (out untouched) for every other
// text.
bool SQLiteRowsText(std::wstring_view sql, std::wstring& out);
