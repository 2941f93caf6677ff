// End to end on MariaDB, in a database of the test's own: a procedure with IN, INOUT and OUT parameters and a function called
// from the Stored procedures dialog (Ctrl+P); the Results dialog shows what came back.
#include "tests/app/e2e_scratch_program.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

using QlConnTest::Catch;

class ProcsMariaDB : public CScratchProgramTest<>
{
protected:
    ProcsMariaDB() : CScratchProgramTest(CScratchDatabase::mariadb) {}
    // Dismisses "Executed OK." and returns the Results dialog's names and values.
    std::vector<std::pair<std::wstring, std::wstring>> Results(HWND box)
    {
        std::vector<std::pair<std::wstring, std::wstring>> rows;
        EXPECT_NE(box, nullptr) << program.Describe();
        if (!box)
            return rows;
        EXPECT_EQ(0u, ql::CProgram::MessageBoxText(box).find(L"Executed OK."))
            << QlConnTest::Narrow(ql::CProgram::MessageBoxText(box).c_str());
        ql::CProgram::Click(box, IDOK);
        HWND results = program.WaitForDialog(L"Results");
        EXPECT_NE(results, nullptr);
        if (!results)
            return rows;
        HWND list = ql::CProgram::Item(results, IDC_PROC_PARAMS_LIST);
        const auto names = program.ListItems(list, 0), values = program.ListItems(list, 3);
        for (size_t i = 0; i < names.size(); ++i)
            rows.emplace_back(names[i], values[i]);
        ql::CProgram::Click(results, IDOK);
        ql::WaitFor([&] { return !IsWindow(results); });
        return rows;
    }
    static std::wstring ValueOf(const std::vector<std::pair<std::wstring, std::wstring>>& rows,
                                const std::wstring& name)
    {
        for (const auto& row : rows)
            if (row.first == name)
                return row.second;
        return L"<missing>";
    }
};

TEST_F(ProcsMariaDB, ProcedureOutputsAndFunctionValue)
{
    // (MariaDB's driver writes an OUT value's text into the buffer bound for it whatever its
    // type: the integer and the date came back empty.)
    Exec(L"CREATE PROCEDURE outputs(IN a int, INOUT b int, OUT c varchar(20), OUT d int, "
         L"OUT e date, OUT f int) "
         L"BEGIN SET b = a + b; SET c = concat('r', a); SET d = 10; SET e = '2024-03-05'; "
         L"SET f = NULL; END");
    Exec(L"CREATE FUNCTION sum_length(a int, b varchar(20)) RETURNS int DETERMINISTIC "
         L"RETURN a + char_length(b)");
    // Run directly, then as a job behind the wait dialog ("Allow to cancel SQL execution").
    for (const wchar_t* cancellable : {L"No", L"Yes"})
    {
        SCOPED_TRACE(QlConnTest::Narrow(cancellable));
        ql::WriteRegString(L"CancelExec", cancellable);
        ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));

        auto rows = Results(program.CallProcedure(L"outputs", {L"1", L"3"}));
        ASSERT_EQ(5u, rows.size());
        EXPECT_EQ(L"4", ValueOf(rows, L"b"));
        EXPECT_EQ(L"r1", ValueOf(rows, L"c"));
        EXPECT_EQ(L"10", ValueOf(rows, L"d"));
        EXPECT_EQ(L"2024/03/05", ValueOf(rows, L"e"));
        EXPECT_EQ(L"<<NULL>>", ValueOf(rows, L"f"));

        // The function's value is the one row without a direction.
        rows = Results(program.CallProcedure(L"sum_length", {L"1", L"abc"}));
        ASSERT_EQ(1u, rows.size());
        EXPECT_EQ(L"4", rows[0].second);
        EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
        ASSERT_TRUE(program.Close());
    }
}

} // namespace
