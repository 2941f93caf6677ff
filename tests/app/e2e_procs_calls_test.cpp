// End to end on PostgreSQL and MariaDB, each in a database of the test's own: "Show execution
// plan" in the Parameters dialog shows the call's plan in a grid window instead of running it;
// a function without inputs runs at once and shows its value; long values reach the function
// whole or are refused with a word before anything is cut.
#include "tests/app/e2e_scratch_program.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

class ProcsCalls : public CScratchProgramTest<::testing::TestWithParam<CScratchDatabase::Server>>
{
protected:
    ProcsCalls() : CScratchProgramTest(GetParam()) {}
};

TEST_P(ProcsCalls, PlanOfACallOpensInAGridWindow)
{
    const bool postgres = GetParam() == CScratchDatabase::postgres;
    m_db.Exec(L"CREATE TABLE log (v int)");
    m_db.Exec(postgres ? L"CREATE FUNCTION logged(a int) RETURNS int LANGUAGE plpgsql AS "
                         L"$$ BEGIN INSERT INTO log VALUES (a); RETURN a; END $$"
                       : L"CREATE FUNCTION logged(a int) RETURNS int MODIFIES SQL DATA "
                         L"BEGIN INSERT INTO log VALUES (a); RETURN a; END");
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    HWND params = program.OpenProcedureParameters(L"logged");
    ASSERT_NE(params, nullptr) << program.Describe();
    EXPECT_TRUE(ql::CProgram::IsEnabled(params, IDC_PROC_SHOW_PLAN));
    ASSERT_TRUE(program.EditParamValue(ql::CProgram::Item(params, IDC_PROC_PARAMS_LIST), 0, L"5"));
    SendMessageW(ql::CProgram::Item(params, IDC_PROC_SHOW_PLAN), BM_SETCHECK, BST_CHECKED, 0);
    ql::CProgram::Click(params, IDOK);
    EXPECT_TRUE(ql::WaitFor([&] { return program.ActiveChild() != nullptr; }))
        << program.Describe();
    HWND child = program.ActiveChild();
    if (child)
        EXPECT_EQ(0u, ql::WindowText(child).find(L"Execute ")) << program.Describe();
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
    // Only the plan: the call itself did not run.
    EXPECT_EQ(L"0", std::wstring(m_db.Query(L"SELECT count(*) FROM log")));
}

TEST_P(ProcsCalls, FunctionWithoutInputsRunsWithoutTheParametersDialog)
{
    m_db.Exec(GetParam() == CScratchDatabase::postgres
                  ? L"CREATE FUNCTION answer() RETURNS int LANGUAGE sql AS $$ SELECT 42 $$"
                  : L"CREATE FUNCTION answer() RETURNS int DETERMINISTIC RETURN 42");
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    HWND box = program.CallProcedure(L"answer", {});
    ASSERT_NE(box, nullptr) << program.Describe();
    EXPECT_EQ(0u, ql::CProgram::MessageBoxText(box).find(L"Executed OK.")) << program.Describe();
    ql::CProgram::Click(box, IDOK);
    HWND results = program.WaitForDialog(L"Results");
    ASSERT_NE(results, nullptr) << program.Describe();
    EXPECT_EQ(std::vector<std::wstring>{L"42"},
              program.ListItems(ql::CProgram::Item(results, IDC_PROC_PARAMS_LIST), 3));
    ql::CProgram::Click(results, IDOK);
}

// A value far over the size the driver reports for a parameter without a bound (psqlODBC's 8190
// for text) reaches the function whole. A varchar(10) parameter is no bound on PostgreSQL, which
// keeps no parameter lengths: 300 characters go whole. On MariaDB it is one: the editor says so
// before anything is cut and keeps the value as it was.
TEST_P(ProcsCalls, LongValuesReachTheFunctionWholeOrAreToldBeforeAnyCut)
{
    const bool postgres = GetParam() == CScratchDatabase::postgres;
    m_db.Exec(postgres ? L"CREATE FUNCTION text_length(a text) RETURNS int LANGUAGE sql AS "
                         L"$$ SELECT length(a) $$"
                       : L"CREATE FUNCTION text_length(a text) RETURNS int DETERMINISTIC "
                         L"RETURN char_length(a)");
    m_db.Exec(postgres ? L"CREATE FUNCTION short_length(a varchar(10)) RETURNS int LANGUAGE sql "
                         L"AS $$ SELECT length(a) $$"
                       : L"CREATE FUNCTION short_length(a varchar(10)) RETURNS int DETERMINISTIC "
                         L"RETURN char_length(a)");
    std::wstring longValue;
    for (int i = 0; i < 1000; ++i)
        longValue += L"0123456789";
    ASSERT_TRUE(program.StartConnected(std::wstring(m_db.Connect())));
    auto result = [&](HWND box) {
        std::vector<std::wstring> values;
        EXPECT_NE(box, nullptr) << program.Describe();
        if (!box)
            return values;
        EXPECT_EQ(0u, ql::CProgram::MessageBoxText(box).find(L"Executed OK."))
            << QlConnTest::Narrow(ql::CProgram::MessageBoxText(box).c_str());
        ql::CProgram::Click(box, IDOK);
        HWND results = program.WaitForDialog(L"Results");
        EXPECT_NE(results, nullptr) << program.Describe();
        if (!results)
            return values;
        values = program.ListItems(ql::CProgram::Item(results, IDC_PROC_PARAMS_LIST), 3);
        ql::CProgram::Click(results, IDOK);
        ql::WaitFor([&] { return !IsWindow(results); });
        return values;
    };
    EXPECT_EQ(std::vector<std::wstring>{L"10000"},
              result(program.CallProcedure(L"text_length", {longValue})));

    const std::wstring over = longValue.substr(0, 300);
    if (postgres)
    {
        EXPECT_EQ(std::vector<std::wstring>{L"300"},
                  result(program.CallProcedure(L"short_length", {over})));
        return;
    }
    HWND params = program.OpenProcedureParameters(L"short_length");
    ASSERT_NE(params, nullptr) << program.Describe();
    HWND plist = ql::CProgram::Item(params, IDC_PROC_PARAMS_LIST);
    HWND editor = program.OpenParamValueEditor(plist, 0);
    ASSERT_NE(editor, nullptr) << program.Describe();
    HWND edit = GetDlgItem(editor, 2);
    SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)L"abc");
    // Posted: the message comes up while the paste is handled.
    ASSERT_TRUE(ql::PutClipboardText(over));
    PostMessageW(edit, EM_SETSEL, 0, -1);
    PostMessageW(edit, WM_PASTE, 0, 0);
    const std::wstring told = program.TakeMessageBox();
    EXPECT_EQ(0u,
              told.find(L"This parameter holds at most 10 characters; the value would have 300."))
        << QlConnTest::Narrow(told.c_str());
    ASSERT_TRUE(IsWindow(editor));
    EXPECT_EQ(L"abc", ql::WindowText(edit));
    ASSERT_TRUE(program.EndParamValueEdit(plist, edit));
    ql::CProgram::Click(params, IDOK);
    EXPECT_EQ(std::vector<std::wstring>{L"3"}, result(program.WaitForMessageBox()));
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
}

INSTANTIATE_TEST_SUITE_P(Servers, ProcsCalls,
                         ::testing::Values(CScratchDatabase::postgres, CScratchDatabase::mariadb));

} // namespace
