// Procedure and function calls on PostgreSQL and MariaDB: parameters as their drivers list
// them, every value bound (hostile text arrives as typed), outputs and function values read.
#include "services/database_helper.h"
#include "services/proc_call.h"
#include "services/service_options.h"

#include "dbaccess/recordset.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/services/object_sql_test_util.h"

#include <gtest/gtest.h>

namespace {

using QlConnTest::Catch;
using QlConnTest::QueryText;
using qlobjsql::A;

CString Unique(LPCWSTR base)
{
    CString s;
    s.Format(L"%ls_%ls", base, QlTestDb::UniqueTag().c_str());
    return s;
}

class ProcCallServer : public ::testing::Test
{
protected:
    void SetUp() override { BindServiceOptions({&m_cancelExec, &m_cursorLib, &m_useCursor}); }
    void TearDown() override
    {
        for (auto it = m_cleanup.rbegin(); it != m_cleanup.rend(); ++it)
            Catch([&] { m_helper.GetDatabase().ExecuteSQL(*it); });
        m_helper.Close();
        BindServiceOptions({});
    }
    void Connect(const CString& connect)
    {
        auto e = Catch([&] { ASSERT_TRUE(m_helper.Connect(connect, nullptr, 0, 0, 0)); });
        ASSERT_FALSE(e) << A(e->m_strError);
    }
    void Exec(const CString& sql)
    {
        auto e = Catch([&] { m_helper.GetDatabase().ExecuteSQL(sql); });
        ASSERT_FALSE(e) << A(sql) << ": " << A(e->m_strError);
    }
    // Reads the parameters, sets the named inputs and runs the call. The error of a refused
    // value, or of the database, is returned.
    CString Run(const CStringPair& name, const std::vector<std::pair<CString, CString>>& values)
    {
        CString error;
        auto e = Catch([&] {
            ReadProcedureParams(m_helper, name, m_params, m_bReturn);
            for (const auto& v : values)
                for (INT_PTR i = 0; i < m_params.GetSize(); ++i)
                    if (CString(m_params[i].m_info.szColumnName) == v.first)
                        m_params[i].m_strValue = v.second;
            m_sql = BuildProcedureCall(m_helper, name, m_params, m_bReturn);
            CRRecordset rs(&m_helper.GetDatabase());
            rs.Prepare(m_sql, RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT);
            if (!BindProcedureParams(rs, m_params, m_bReturn, m_helper.GetDBMSKind() == DBMS_MYSQL,
                                     error))
                return;
            rs.Execute();
            ReadProcedureOutputs(
                rs, m_params, IsReturnValueInResult(m_helper.GetDBMSKind(), m_params, m_bReturn));
        });
        if (e)
            error = e->m_strError;
        return error;
    }
    std::string Value(LPCWSTR name)
    {
        for (INT_PTR i = 0; i < m_params.GetSize(); ++i)
            if (CString(m_params[i].m_info.szColumnName) == name)
                return m_params[i].m_bNull ? "<NULL>" : A(m_params[i].m_strValue);
        return "<missing>";
    }
    std::wstring WideValue(LPCWSTR name)
    {
        for (INT_PTR i = 0; i < m_params.GetSize(); ++i)
            if (CString(m_params[i].m_info.szColumnName) == name)
                return m_params[i].m_strValue.GetString();
        return L"<missing>";
    }
    std::string Listing()
    {
        std::string s;
        for (INT_PTR i = 0; i < m_params.GetSize(); ++i)
            s += A(m_params[i].m_info.szColumnName) + ":" +
                 std::to_string(m_params[i].GetColumnType()) + ":" +
                 std::to_string(m_params[i].GetDataType()) + " ";
        return s;
    }
    CString Scalar(const CString& sql) { return QueryText(m_helper.GetDatabase(), sql); }

    int m_cancelExec = 0;
    int m_cursorLib = 1;
    int m_useCursor = 1;
    CRDatabaseHelper m_helper;
    std::vector<CString> m_cleanup;
    CProcParamsArray m_params;
    bool m_bReturn = false;
    CString m_sql;
};

const wchar_t kHostile[] = L"O'Brien\\x \"q\" a\\'b \u00dcn\u00efc\u00f6d\u00e9\u20ac\U0001F600";

TEST_F(ProcCallServer, PostgreSQLFunctionsAndProcedures)
{
    Connect(QlTestDb::PostgresConnect());
    const CString f = Unique(L"qlf"), f2 = Unique(L"qlf2"), p = Unique(L"qlp"), t = Unique(L"qlt");
    Exec(L"CREATE TABLE " + t + L" (v text)");
    m_cleanup.push_back(L"DROP TABLE " + t);
    Exec(L"CREATE FUNCTION " + f +
         L"(a int, b text) RETURNS int LANGUAGE plpgsql AS "
         L"$$ BEGIN INSERT INTO " +
         t + L" VALUES (b); RETURN a + length(b); END $$");
    m_cleanup.push_back(L"DROP FUNCTION " + f);
    Exec(L"CREATE FUNCTION " + f2 +
         L"(a int, OUT b int, OUT c text) LANGUAGE sql AS "
         L"$$ SELECT a * 2, 'x'::text $$");
    m_cleanup.push_back(L"DROP FUNCTION " + f2);
    Exec(L"CREATE PROCEDURE " + p +
         L"(IN a int, INOUT b int, INOUT c text) LANGUAGE plpgsql AS "
         L"$$ BEGIN b := a + b; c := 'r' || a; END $$");
    m_cleanup.push_back(L"DROP PROCEDURE " + p);

    EXPECT_EQ("", A(Run({L"public", f}, {{L"a", L"5"}, {L"b", L"O'Brien\\x"}}))) << Listing();
    EXPECT_EQ("14", Value(L"")) << Listing() << A(m_sql);
    EXPECT_EQ("O'Brien\\x", A(Scalar(L"SELECT v FROM " + t)));

    EXPECT_EQ("", A(Run({L"public", f2}, {{L"a", L"5"}}))) << Listing();
    EXPECT_EQ("10", Value(L"b")) << Listing() << A(m_sql);
    EXPECT_EQ("x", Value(L"c"));

    EXPECT_EQ("", A(Run({L"public", p}, {{L"a", L"1"}, {L"b", L"3"}, {L"c", L""}}))) << Listing();
    EXPECT_EQ("CALL", A(m_sql.Left(4)));
    EXPECT_EQ("4", Value(L"b")) << Listing() << A(m_sql);
    EXPECT_EQ("r1", Value(L"c"));

    // An injection typed into an integer never reaches the server; text arrives unchanged.
    EXPECT_EQ("Invalid data", A(Run({L"public", f}, {{L"a", L"1, 'x'); drop table " + t + L"; --"},
                                                     {L"b", L"y"}})));
    EXPECT_EQ("", A(Run({L"public", f}, {{L"a", L"1"}, {L"b", kHostile}})));
    EXPECT_EQ(A(kHostile), A(Scalar(L"SELECT v FROM " + t + L" WHERE v <> 'O''Brien\\x'")));
}

TEST_F(ProcCallServer, MariaDBFunctionsAndProcedures)
{
    Connect(QlTestDb::MariaDBConnect());
    const CString f = Unique(L"qlf"), p = Unique(L"qlp"), t = Unique(L"qlt");
    Exec(L"CREATE TABLE " + t + L" (v varchar(200)) CHARACTER SET utf8mb4");
    m_cleanup.push_back(L"DROP TABLE " + t);
    Exec(L"CREATE FUNCTION " + f +
         L"(a int, b varchar(200)) RETURNS int DETERMINISTIC "
         L"RETURN a + char_length(b)");
    m_cleanup.push_back(L"DROP FUNCTION " + f);
    Exec(L"CREATE PROCEDURE " + p +
         L"(IN a int, INOUT b int, OUT c varchar(20), IN d varchar(200)) "
         L"BEGIN SET b = a + b; SET c = concat('r', a); INSERT INTO " +
         t + L" VALUES (d); END");
    m_cleanup.push_back(L"DROP PROCEDURE " + p);

    EXPECT_EQ("", A(Run({L"", f}, {{L"a", L"1"}, {L"b", L"abc"}}))) << Listing();
    EXPECT_EQ("SELECT", A(m_sql.Left(6)));
    EXPECT_EQ("4", Value(L"")) << Listing() << A(m_sql);

    EXPECT_EQ("", A(Run({L"", p}, {{L"a", L"1"}, {L"b", L"3"}, {L"d", kHostile}}))) << Listing();
    EXPECT_EQ("4", Value(L"b")) << Listing() << A(m_sql);
    EXPECT_EQ("r1", Value(L"c"));
    EXPECT_EQ(A(kHostile), A(Scalar(L"SELECT v FROM " + t)));
    EXPECT_EQ("Invalid data", A(Run({L"", p}, {{L"a", L"x\\"}, {L"b", L"3"}})));
}

// Every OUT and INOUT value comes back as the server set it, whatever its type, NULL too: the
// integer, the big integer past a double's digits, the exact decimal, the double, the date and
// the timestamp as the program shows them, the text. (MariaDB's driver writes the text of each
// into the buffer bound for it whatever its type, and one length for all.)
TEST_F(ProcCallServer, EveryOutputTypeComesBackAsTheServerSetIt)
{
    std::vector<std::pair<LPCWSTR, std::string>> expected = {
        {L"b", "10"},
        {L"c", "rd_5"},
        {L"d", "9007199254740993"},
        {L"e", "12345678901234567.125"},
        {L"f", "1234572.125"},
        {L"g", "2024/03/05"},
        {L"h", "2024/03/05 07:08:09"},
        {L"i", "<NULL>"},
        {L"j", "42"},
        {L"k", "x!"},
        {L"l", "2024/03/06"},
        {L"m", "2.500"},
        {L"n", "<NULL>"},
    };
    const std::vector<std::pair<CString, CString>> inputs = {{L"a", L"5"},    {L"j", L"41"},
                                                             {L"k", L"x"},    {L"l", L"2024/03/05"},
                                                             {L"m", L"1.25"}, {L"n", L"7"}};
    auto check = [&](LPCWSTR product) {
        SCOPED_TRACE(A(product));
        for (const auto& value : expected)
            EXPECT_EQ(value.second, Value(value.first)) << A(value.first) << " " << Listing();
    };

    Connect(QlTestDb::MariaDBConnect());
    const CString p = Unique(L"qlp");
    Exec(L"CREATE PROCEDURE " + p +
         L"(IN a INT, OUT b INT, OUT c VARCHAR(20), OUT d BIGINT, OUT e DECIMAL(20,3), "
         L"OUT f DOUBLE, OUT g DATE, OUT h DATETIME, OUT i INT, INOUT j INT, "
         L"INOUT k VARCHAR(20), INOUT l DATE, INOUT m DECIMAL(20,3), INOUT n BIGINT) "
         L"BEGIN SET b = 10; SET c = concat('rd_', a); SET d = 9007199254740993; "
         L"SET e = 12345678901234567.125; SET f = 1234567.125 + a; SET g = '2024-03-05'; "
         L"SET h = '2024-03-05 07:08:09'; SET i = NULL; SET j = j + 1; SET k = concat(k, '!'); "
         L"SET l = l + INTERVAL 1 DAY; SET m = m * 2; SET n = NULL; END");
    m_cleanup.push_back(L"DROP PROCEDURE " + p);
    EXPECT_EQ("", A(Run({L"", p}, inputs))) << Listing();
    check(L"MariaDB");
    TearDown();
    SetUp();

    Connect(QlTestDb::PostgresConnect());
    const CString q = Unique(L"qlp"), f = Unique(L"qlf");
    const CString body =
        L"BEGIN b := 10; c := 'rd_' || a; d := 9007199254740993; e := 12345678901234567.125; "
        L"f := 1234567.125 + a; g := '2024-03-05'; h := '2024-03-05 07:08:09'; i := NULL; j := j + "
        L"1; "
        L"k := k || '!'; l := l + 1; m := m * 2; n := NULL; END";
    const CString outs = L"int, OUT c varchar, OUT d bigint, OUT e numeric(20,3), "
                         L"OUT f float8, OUT g date, OUT h timestamp, OUT i int, INOUT j int, "
                         L"INOUT k varchar, INOUT l date, INOUT m numeric(20,3), INOUT n bigint)";
    Exec(L"CREATE PROCEDURE " + q + L"(IN a int, OUT b " + outs + L" LANGUAGE plpgsql AS $$ " +
         body + L" $$");
    m_cleanup.push_back(L"DROP PROCEDURE " + q);
    // (PostgreSQL keeps no scale of a parameter: 1.25 * 2 is 2.50.)
    expected[11].second = "2.50";
    EXPECT_EQ("", A(Run({L"public", q}, inputs))) << Listing() << A(m_sql);
    check(L"PostgreSQL procedure");
    Exec(L"CREATE FUNCTION " + f + L"(IN a int, OUT b " + outs + L" LANGUAGE plpgsql AS $$ " +
         body + L" $$");
    m_cleanup.push_back(L"DROP FUNCTION " + f);
    EXPECT_EQ("", A(Run({L"public", f}, inputs))) << Listing() << A(m_sql);
    check(L"PostgreSQL function");
}

TEST_F(ProcCallServer, MariaDBCallLeavesTheConnectionFreeOnceFinished)
{
    Connect(QlTestDb::MariaDBConnect());
    const CString p = Unique(L"qlp");
    Exec(L"CREATE PROCEDURE " + p +
         L"(IN a int, OUT c varchar(20)) BEGIN SET c = concat('r', a); END");
    m_cleanup.push_back(L"DROP PROCEDURE " + p);
    auto e = Catch([&] {
        ReadProcedureParams(m_helper, {L"", p}, m_params, m_bReturn);
        m_params[0].m_strValue = L"7";
        CRRecordset rs(&m_helper.GetDatabase());
        rs.Prepare(BuildProcedureCall(m_helper, {L"", p}, m_params, m_bReturn), RS_FORWARD_ONLY,
                   RS_READONLY);
        CString error;
        ASSERT_TRUE(BindProcedureParams(rs, m_params, m_bReturn, true, error)) << A(error);
        ASSERT_TRUE(rs.Execute());
        ReadProcedureOutputs(rs, m_params, false);
        FinishProcedureCall(rs);
        // The call's statement is still open: quoting a name (which asks the server) and the
        // next statement run all the same.
        EXPECT_EQ(A(p), A(FormatObjectName({L"", p}, &m_helper.GetCatalogDatabase(), true)));
        m_helper.GetDatabase().ExecuteSQL(L"SET @ql_probe = 1");
    });
    EXPECT_FALSE(e) << A(e->m_strError);
    EXPECT_EQ("r7", Value(L"c"));
    // A procedure that fails after its rows (MariaDB reports the SIGNAL as the next result):
    // finishing the call fails with the procedure's error, and the connection stays usable.
    const CString bad = Unique(L"qlpbad");
    Exec(L"CREATE PROCEDURE " + bad +
         L"() BEGIN SELECT 1; SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'late failure'; END");
    m_cleanup.push_back(L"DROP PROCEDURE " + bad);
    CRRecordset rs(&m_helper.GetDatabase());
    auto late = Catch([&] {
        rs.Open(L"CALL " + bad + L"()", RS_FORWARD_ONLY, RS_READONLY);
        FinishProcedureCall(rs);
    });
    ASSERT_TRUE(late) << "a call that failed after its rows was taken for a success";
    EXPECT_NE(-1, late->m_strError.Find(L"late failure")) << A(late->m_strError);
    rs.Close();
    EXPECT_EQ("2", A(Scalar(L"SELECT 2")));
}

// Text that comes back holds characters beyond ASCII, one outside the basic plane, and fills
// its declared size: it arrives whole on both servers.
TEST_F(ProcCallServer, OutputTextBeyondASCIIAtFullSize)
{
    const std::wstring kFull = L"\u00dc\u20ac\U0001F600abcdefg"; // 10 characters, 11 UTF-16 units
    Connect(QlTestDb::MariaDBConnect());
    const CString p = Unique(L"qlp");
    Exec(L"CREATE PROCEDURE " + p +
         L"(IN a varchar(10) CHARACTER SET utf8mb4, OUT c varchar(10) CHARACTER SET utf8mb4) "
         L"SET c = a");
    m_cleanup.push_back(L"DROP PROCEDURE " + p);
    EXPECT_EQ("", A(Run({L"", p}, {{L"a", kFull.c_str()}}))) << Listing();
    EXPECT_TRUE(kFull == WideValue(L"c")) << WideValue(L"c").size() << " units";
    TearDown();
    SetUp();

    Connect(QlTestDb::PostgresConnect());
    const CString q = Unique(L"qlp");
    Exec(L"CREATE PROCEDURE " + q +
         L"(IN a varchar(10), INOUT c varchar(10)) LANGUAGE plpgsql AS $$ BEGIN c := a; END $$");
    m_cleanup.push_back(L"DROP PROCEDURE " + q);
    EXPECT_EQ("", A(Run({L"public", q}, {{L"a", kFull.c_str()}, {L"c", L"x"}}))) << Listing();
    EXPECT_TRUE(kFull == WideValue(L"c")) << WideValue(L"c").size() << " units " << Listing();
}

// Text of a type without a bound comes back whole past the size the driver reports for it
// (psqlODBC's 8190 for text).
TEST_F(ProcCallServer, OutputTextPastTheDriversFigureArrivesWhole)
{
    std::wstring half;
    for (int i = 0; i < 500; ++i)
        half += L"0123456789";
    Connect(QlTestDb::PostgresConnect());
    const CString q = Unique(L"qlp");
    Exec(L"CREATE PROCEDURE " + q +
         L"(IN a text, INOUT c text) LANGUAGE plpgsql AS $$ BEGIN c := repeat(a, 4); END $$");
    m_cleanup.push_back(L"DROP PROCEDURE " + q);
    EXPECT_EQ("", A(Run({L"public", q}, {{L"a", half.c_str()}, {L"c", L"x"}}))) << Listing();
    EXPECT_EQ(20000u, WideValue(L"c").size()) << Listing();
    EXPECT_EQ("", A(DescribeCutOutputs(m_params)));
}

// A value longer than the room the program gives it is shown as far as it goes and said to be
// cut, with how long it was; text and binary alike.
TEST_F(ProcCallServer, OutputPastItsRoomIsToldCut)
{
    Connect(QlTestDb::PostgresConnect());
    const CString q = Unique(L"qlp");
    Exec(L"CREATE PROCEDURE " + q +
         L"(IN n int, INOUT c text, INOUT b bytea) LANGUAGE plpgsql AS "
         L"$$ BEGIN c := repeat('x', n); b := convert_to(repeat('y', n), 'UTF8'); END $$");
    m_cleanup.push_back(L"DROP PROCEDURE " + q);
    EXPECT_EQ("", A(Run({L"public", q}, {{L"n", L"70000"}, {L"c", L"x"}, {L"b", L"00"}})))
        << Listing();
    EXPECT_EQ(65536u, WideValue(L"c").size()) << Listing();
    const std::string note = A(DescribeCutOutputs(m_params));
    EXPECT_NE(note.find("c: cut at 65,536 of 70,000 characters"), std::string::npos) << note;
    EXPECT_NE(note.find("b: cut at 65,536 of 70,000 bytes"), std::string::npos) << note;

    // A value that fits is not mentioned.
    EXPECT_EQ("", A(Run({L"public", q}, {{L"n", L"65536"}, {L"c", L"x"}, {L"b", L"00"}})));
    EXPECT_EQ(65536u, WideValue(L"c").size()) << Listing();
    EXPECT_EQ("", A(DescribeCutOutputs(m_params)));
}

} // namespace
