// End to end on Oracle, answered by the fake driver from canned result sets: the procedures tab
// marks the objects the catalog reports invalid, lists the packages beside the procedures and
// functions, View Errors... shows the compile errors of a procedure, each as "Line %d,
// position %d", the message and a blank line, and View Text a package's header and body.
#include "tests/dbaccess/test_databases.h"
#include "tests/services/object_sql_test_util.h"
#include "tests/support/program_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

// Images of the database bar's trees.
enum
{
    kFunction = 7,
    kInvalidProcedure = 8,
    kPackage = 10,
    kInvalidPackage = 11,
};

std::string Narrow(const std::wstring& text)
{
    return std::string(CStringA(text.c_str()).GetString());
}

TEST(BrowserOracleE2E, InvalidMarksPackagesAndCompileErrors)
{
    ql::CleanSettings();
    QlTestDb::FakeLog log;
    qlobjsql::CCannedAnswers canned;
    const LPCWSTR invalid = L"SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE STATUS='INVALID'";
    canned.Statement(invalid).Columns(L"OWNER|OBJECT_NAME");
    canned.Statement(CString(invalid) + L" AND OBJECT_TYPE='PROCEDURE'")
        .Columns(L"OWNER|OBJECT_NAME")
        .Row(L"SALES|ADD_ORDER");
    canned.Statement(CString(invalid) + L" AND OBJECT_TYPE='PACKAGE'")
        .Columns(L"OWNER|OBJECT_NAME")
        .Row(L"SALES|PKG_BAD");
    canned.Statement(L"SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_TYPE='PACKAGE'")
        .Columns(L"OWNER|OBJECT_NAME")
        .Row(L"SALES|PKG_GOOD")
        .Row(L"SALES|PKG_BAD");
    canned.Statement(L"SELECT LINE, POSITION, TEXT FROM ALL_ERRORS")
        .Columns(L"LINE:int|POSITION:int|TEXT")
        .Row(L"3|5|PLS-00201: identifier 'X' must be declared")
        .Row(L"7|1|PL/SQL: Statement ignored");
    canned.Statement(L"SELECT TEXT FROM ALL_SOURCE WHERE TYPE=N'PACKAGE' ")
        .Columns(L"TEXT")
        .Row(L"PACKAGE PKG_GOOD AS\\n")
        .Row(L"  PROCEDURE P;\\n")
        .Row(L"END;\\n");
    canned.Statement(L"SELECT TEXT FROM ALL_SOURCE WHERE TYPE=N'PACKAGE BODY' ")
        .Columns(L"TEXT")
        .Row(L"PACKAGE BODY PKG_GOOD AS\\n")
        .Row(L"END;\\n");
    canned.Save();
    ql::WriteRegString(L"Mark invalid objects", L"Yes");
    ql::WriteRegString(L"Table dialog package", L"Yes");

    ql::CProgram program;
    ASSERT_TRUE(program.StartConnected(std::wstring(log.Connect(L"Oracle", canned.ConnectKey()))));
    const HWND procs = program.FindChild(IDW_DBO_PROCS_TREE);
    ASSERT_TRUE(program.ShowBarTab(L"Procedures", procs));
    HTREEITEM item = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        return (item = program.FindTreeItem(procs, L"SALES", L"PKG_GOOD"));
    })) << "procedures tree: "
        << program.TreeItems(procs).size() << " items";
    EXPECT_EQ(program.TreeItems(procs),
              (std::vector<std::wstring>{L"SALES", L"  ADD_ORDER", L"  GET_TOTAL", L"  PKG_BAD",
                                         L"  PKG_GOOD"}));
    auto image = [&](LPCWSTR name) {
        return program.TreeItemImage(procs, program.FindTreeItem(procs, L"SALES", name));
    };
    EXPECT_EQ(image(L"ADD_ORDER"), kInvalidProcedure);
    EXPECT_EQ(image(L"GET_TOTAL"), kFunction);
    EXPECT_EQ(image(L"PKG_BAD"), kInvalidPackage);
    EXPECT_EQ(image(L"PKG_GOOD"), kPackage);

    ql::CProgram::TreeCommand(procs, program.FindTreeItem(procs, L"SALES", L"ADD_ORDER"),
                              ID_DBO_VIEW_ERRORS);
    const HWND dlg = program.WaitForDialog(L"SALES.ADD_ORDER information");
    ASSERT_NE(dlg, nullptr) << "no dialog: " << (program.FindMessageBox() ? "a message box" : "");
    const HWND errors = ql::CProgram::WaitForVisibleControl(dlg, IDC_DBO_ERRORS);
    ASSERT_NE(errors, nullptr);
    EXPECT_TRUE(ql::WaitFor([&] { return !ql::WindowText(errors).empty(); }));
    EXPECT_EQ(ql::WindowText(errors), L"Line 3, position 5\nPLS-00201: identifier 'X' must be "
                                      L"declared\n\nLine 7, position 1\nPL/SQL: Statement "
                                      L"ignored\n\n")
        << Narrow(ql::WindowText(errors));
    EXPECT_NE(log.Read().Find(L"SELECT LINE, POSITION, TEXT FROM ALL_ERRORS WHERE OWNER=N'SALES' "
                              L"AND NAME=N'ADD_ORDER' ORDER BY LINE, POSITION"),
              -1)
        << Narrow(std::wstring(log.Read().GetString()));
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));

    // A package's text: its header, a line of hyphens between blank lines, its body.
    ql::CProgram::TreeCommand(procs, program.FindTreeItem(procs, L"SALES", L"PKG_GOOD"),
                              ID_DBO_VIEW_TEXT);
    ASSERT_TRUE(program.WaitForActiveChild(L"SALES.PKG_GOOD text"));
    EXPECT_EQ(program.ActiveEditorText(), L"PACKAGE PKG_GOOD AS\n  PROCEDURE P;\nEND;\n\r\n\r\n" +
                                              std::wstring(59, L'-') +
                                              L"\r\n\r\nPACKAGE BODY PKG_GOOD AS\nEND;\n")
        << Narrow(program.ActiveEditorText());
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_TRUE(program.Close());
    ql::CleanSettings();
}

} // namespace
