// The "Execute SQL" dialog: the starting text, stepping through the recent queries, the plan
// check box and what OK hands back.
#include "app/exec_sql_dlg.h"

#include "app/app_settings.h"
#include "modal_steps.h"

#include <gtest/gtest.h>

namespace {

using qltest::ClickButton;
using qltest::CModalSteps;

CString EditorText(HWND hDialog)
{
    HWND editor = ::GetDlgItem(hDialog, IDC_SQL_EDITOR);
    const int length = ::GetWindowTextLengthW(editor);
    CString text;
    ::GetWindowTextW(editor, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer();
    return text;
}

class ExecSQLDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(qltest::EnsureEditorClass());
        m_saved.Copy(theSettings.m_sqlQueries);
        theSettings.m_sqlQueries.RemoveAll();
    }
    void TearDown() override { theSettings.m_sqlQueries.Copy(m_saved); }
    CStringArray m_saved;
};

TEST_F(ExecSQLDialog, StepsThroughRecentQueriesBothWays)
{
    theSettings.m_sqlQueries.Add(L"select 1");
    theSettings.m_sqlQueries.Add(L"select 2");
    theSettings.m_sqlQueries.Add(L"select 3");
    CExecSQLDlg dlg(false, L"");
    std::vector<CString> seen;
    bool planEnabled = true;
    const INT_PTR result = CModalSteps::Run(
        dlg, {[&](HWND h) {
            seen.push_back(EditorText(h)); // the most recent query
            planEnabled = ::IsWindowEnabled(::GetDlgItem(h, IDC_SHOW_PLAN)) != FALSE;
            ClickButton(h, IDC_PREVIOUS_QUERY); // from the first: the oldest
            seen.push_back(EditorText(h));
            ClickButton(h, IDC_NEXT_QUERY); // past the last: the first again
            seen.push_back(EditorText(h));
            ClickButton(h, IDC_NEXT_QUERY);
            seen.push_back(EditorText(h));
            ::SetWindowTextW(::GetDlgItem(h, IDC_SQL_EDITOR), L"update t set a = 1");
            ClickButton(h, IDOK);
        }});
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(planEnabled);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_STREQ(seen[0], L"select 1");
    EXPECT_STREQ(seen[1], L"select 3");
    EXPECT_STREQ(seen[2], L"select 1");
    EXPECT_STREQ(seen[3], L"select 2");
    EXPECT_STREQ(dlg.m_strQuery, L"update t set a = 1");
    EXPECT_EQ(dlg.m_bShowPlan, 0);
}

TEST_F(ExecSQLDialog, GivenTextAndThePlanChoice)
{
    CExecSQLDlg dlg(true, L"select * from t");
    CString first;
    CModalSteps::Run(dlg, {[&](HWND h) {
                         first = EditorText(h);
                         // No stored queries: both buttons leave the text alone.
                         ClickButton(h, IDC_NEXT_QUERY);
                         ClickButton(h, IDC_PREVIOUS_QUERY);
                         ::CheckDlgButton(h, IDC_SHOW_PLAN, BST_CHECKED);
                         ClickButton(h, IDOK);
                     }});
    EXPECT_STREQ(first, L"select * from t");
    EXPECT_STREQ(dlg.m_strQuery, L"select * from t");
    EXPECT_EQ(dlg.m_bShowPlan, 1);
}

} // namespace
