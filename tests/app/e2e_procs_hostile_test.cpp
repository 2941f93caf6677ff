// End to end on PostgreSQL and MariaDB: hostile values given to a procedure call in the
// Parameters dialog. An injection typed into an integer is refused before anything reaches the
// server; quotes, backslashes, characters beyond ASCII and texts of the parameter's full size
// reach the table exactly (read back as UTF-8 bytes from a second connection). Each server in a
// database of the test's own.
#include "tests/app/e2e_scratch_database.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using QlConnTest::Catch;

// Quotes of both kinds, backslashes before a quote and at the end, a MySQL escape, accented
// letters, the euro sign and a character outside the basic plane (two UTF-16 units).
const std::wstring kHostile =
    L"O'Brien \"q\" a\\'b \\n \u00dcn\u00efc\u00f6d\u00e9\u20ac\U0001F600 x\\";

// A text of exactly n characters (code points) made of the hostile pieces.
std::wstring FullSize(size_t n)
{
    std::wstring text;
    size_t count = 0;
    for (size_t i = 0; count < n; i = (i + 1) % kHostile.size())
    {
        const wchar_t c = kHostile[i];
        if (IS_LOW_SURROGATE(c))
            continue;
        text += c;
        if (IS_HIGH_SURROGATE(c))
            text += kHostile[i + 1];
        ++count;
    }
    return text;
}

std::string Utf8Hex(const std::wstring& text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0,
                                      nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), bytes.data(), n, nullptr,
                        nullptr);
    std::string hex;
    const char* digits = "0123456789abcdef";
    for (unsigned char b : bytes)
        hex += {digits[b >> 4], digits[b & 15]};
    return hex;
}

class ProcsHostile : public ::testing::Test
{
protected:
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }
    bool Create(CScratchDatabase::Server server)
    {
        ql::CleanSettings();
        m_db = std::make_unique<CScratchDatabase>(server);
        return m_db->Create();
    }
    void Exec(const std::wstring& sql)
    {
        auto e = Catch([&] { m_db->Exec(sql.c_str()); });
        ASSERT_FALSE(e) << QlConnTest::Narrow(e->m_strError);
    }
    // Calls the routine with the integer and the text, put into the editors as a user would;
    // answers the message box (and a Results dialog after it) and gives the box's text.
    std::wstring Call(const std::wstring& routine, const std::wstring& number,
                      const std::wstring& text)
    {
        HWND box = program.CallProcedure(routine, {number, text});
        if (!box)
            return L"<no message box> " + std::wstring(CString(program.Describe().c_str()));
        const std::wstring message = ql::CProgram::MessageBoxText(box);
        ql::CProgram::Click(box, IDOK);
        ql::WaitFor([&] { return !IsWindow(box); });
        if (message.find(L"Executed OK.") == 0 && m_bResults)
            if (HWND results = program.WaitForDialog(L"Results"))
            {
                ql::CProgram::Click(results, IDOK);
                ql::WaitFor([&] { return !IsWindow(results); });
            }
        return message;
    }
    std::string Stored(const std::wstring& hexExpression, const std::wstring& table)
    {
        CString hex = m_db->Query((L"SELECT " + hexExpression + L" FROM " + table).c_str());
        hex.MakeLower();
        return QlConnTest::Narrow(hex);
    }
    // The scenario on one server: the routine takes (a integer, b text of the size) and
    // stores b in the table.
    void Run(const std::wstring& routine, const std::wstring& table, const std::wstring& hexOfV,
             size_t fullSize)
    {
        const std::wstring injection = L"1, 'x'); drop table " + table + L"; --";
        EXPECT_EQ(L"Invalid data", Call(routine, injection, L"y"));
        EXPECT_EQ(L"0", std::wstring(m_db->Query((L"SELECT count(*) FROM " + table).c_str())));

        for (const std::wstring& value : {kHostile, FullSize(fullSize)})
        {
            auto deleted = Catch([&] { m_db->Exec((L"DELETE FROM " + table).c_str()); });
            ASSERT_FALSE(deleted) << QlConnTest::Narrow(deleted->m_strError);
            EXPECT_EQ(0u, Call(routine, L" 7 ", value).find(L"Executed OK."));
            const std::string expected = Utf8Hex(value), stored = Stored(hexOfV, table);
            // Long texts: no hex dump in the message, only where they part.
            size_t at = 0;
            while (at < expected.size() && at < stored.size() && expected[at] == stored[at])
                ++at;
            EXPECT_TRUE(expected == stored)
                << value.size() << " UTF-16 units sent, " << expected.size() / 2
                << " UTF-8 bytes expected, " << stored.size() / 2
                << " stored, first difference at byte " << at / 2;
        }
        EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
    }

    ql::CProgram program;
    bool m_bResults = false; // a function: its value is shown after the call
    std::unique_ptr<CScratchDatabase> m_db;
};

TEST_F(ProcsHostile, PostgreSQL)
{
    ASSERT_TRUE(Create(CScratchDatabase::postgres));
    Exec(L"CREATE TABLE victim (v text)");
    Exec(L"CREATE FUNCTION hostile(a int, b text) RETURNS int LANGUAGE plpgsql AS "
         L"$$ BEGIN INSERT INTO victim VALUES (b); RETURN a; END $$");
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db->Connect())));
    m_bResults = true;
    Run(L"hostile", L"victim", L"encode(convert_to(v, 'UTF8'), 'hex')", 8190);
}

TEST_F(ProcsHostile, MariaDB)
{
    ASSERT_TRUE(Create(CScratchDatabase::mariadb));
    Exec(L"CREATE TABLE victim (v varchar(200)) CHARACTER SET utf8mb4");
    Exec(L"CREATE PROCEDURE hostile(IN a int, IN b varchar(200)) INSERT INTO victim VALUES (b)");
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db->Connect())));
    Run(L"hostile", L"victim", L"hex(v)", 200);
}

} // namespace
