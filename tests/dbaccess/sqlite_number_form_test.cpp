// Which texts read as SQLite writes a number: only those may be a number the driver read as
// text; any other text (007, 1e5, +1, 1.50) can only be a text, and must never be written or
// matched as a number.
#include "dbaccess/sqlite_number_form.h"

#include <gtest/gtest.h>

TEST(SQLiteNumberForm, TextsSQLiteWritesOfNumbers)
{
    for (const wchar_t* text :
         {L"0", L"5", L"-12", L"9223372036854775807", L"-9223372036854775808", L"1.5", L"2.0",
          L"-0.5", L"0.1", L"1.0e+20", L"1.5e-07", L"123456789012345.0", L"Inf", L"-Inf"})
        EXPECT_TRUE(ReadsAsSQLiteNumber(text)) << CStringA(text).GetString();
}

TEST(SQLiteNumberForm, TextsNoNumberIsWrittenAs)
{
    for (const wchar_t* text : {L"", L"007", L"-0", L"+1", L" 1", L"1 ", L"1e5", L"1.50", L"1.",
                                L".5", L"2.00", L"9223372036854775808", L"0.30000000000000004",
                                L"1e+20", L"inf", L"NaN", L"0x10", L"1,5", L"abc"})
        EXPECT_FALSE(ReadsAsSQLiteNumber(text)) << CStringA(text).GetString();
}

// Affinity as SQLite gives it by the declared type: INT first, then CHAR, CLOB or TEXT; a
// column of text affinity keeps no number, so its numeric texts are not asked about.
TEST(SQLiteNumberForm, DeclaredTypesThatMayHoldNumbers)
{
    for (const wchar_t* type : {L"", L"ANY", L"BLOB", L"INTEGER", L"BIGINT", L"REAL", L"DOUBLE",
                                L"NUMERIC", L"DATE", L"BOOLEAN", L"FOO", L"POINT"})
        EXPECT_TRUE(MayHoldSQLiteNumbers(type)) << CStringA(type).GetString();
    // "POINT" holds INT: integer affinity, as SQLite reads it.
    for (const wchar_t* type : {L"TEXT", L"text", L"VARCHAR(20)", L"NCHAR(5)", L"CLOB",
                                L"CHARACTER VARYING", L"NATIVE CHARACTER(70)"})
        EXPECT_FALSE(MayHoldSQLiteNumbers(type)) << CStringA(type).GetString();
}
