// The script options, SQL error and Show SQL dialogs, run modally and driven by timer steps.
#include "windows/script_dialogs.h"

#include "app/app_settings.h"
#include "dbaccess/database.h"
#include "editor/rce_messages.h"
#include "modal_steps.h"
#include "tests/dbaccess/test_databases.h"

#include <gtest/gtest.h>

namespace {

using qltest::ClickButton;
using qltest::CModalSteps;

CString WindowText(HWND hWnd)
{
    const int length = ::GetWindowTextLengthW(hWnd);
    CString text;
    ::GetWindowTextW(hWnd, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer();
    return text;
}

// Whether the dialog shows the control or hid it. A step may run before the modal loop first
// shows the dialog (its timer came due while the dialog was made), and IsWindowVisible is false
// for every control of a dialog not yet shown.
bool Shown(HWND hControl)
{
    return (::GetWindowLongW(hControl, GWL_STYLE) & WS_VISIBLE) != 0;
}

class ScriptDialogs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(qltest::EnsureEditorClass());
        m_strSeparator = theSettings.m_strSQLSeparator;
        m_bStopAfterError = theSettings.m_bStopAfterError;
    }
    void TearDown() override
    {
        theSettings.m_strSQLSeparator = m_strSeparator;
        theSettings.m_bStopAfterError = m_bStopAfterError;
        theSettings.SaveScriptSettings();
    }
    CString m_strSeparator;
    int m_bStopAfterError = 0;
};

TEST_F(ScriptDialogs, ScriptOptionsStoreTheSeparatorAndOfferATransactionOnlyInAutoCommit)
{
    // No connection: no transaction offered; "GO" chosen is stored for the next script.
    theSettings.m_strSQLSeparator = L";";
    theSettings.m_bStopAfterError = 0;
    CExecSQLScriptDlg dlg(nullptr, true);
    bool enabled = true, stopVisible = false;
    CString initial;
    const INT_PTR result =
        CModalSteps::Run(dlg, {[&](HWND h) {
                             enabled =
                                 ::IsWindowEnabled(::GetDlgItem(h, IDC_OPEN_TRANSACTION)) != FALSE;
                             stopVisible = Shown(::GetDlgItem(h, IDC_STOP_AFTER_ERROR));
                             HWND combo = ::GetDlgItem(h, IDC_SCRIPT_SEPARATOR);
                             initial = WindowText(combo);
                             ::SendMessageW(combo, CB_SETCURSEL, 2, 0);
                             ::CheckDlgButton(h, IDC_STOP_AFTER_ERROR, BST_CHECKED);
                             ClickButton(h, IDOK);
                         }});
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(stopVisible);
    EXPECT_STREQ(initial, L";");
    EXPECT_STREQ(dlg.m_strSeparator, L"GO");
    EXPECT_STREQ(theSettings.m_strSQLSeparator, L"GO");
    EXPECT_EQ(theSettings.m_bStopAfterError, 1);
    EXPECT_EQ(dlg.m_bOpenTransaction, 0);

    // A stored separator none of the entries matches ("go" matches "GO" without case): no
    // selection, and OK stores the empty separator. The check stays hidden when not asked for.
    theSettings.m_strSQLSeparator = L"$$";
    CExecSQLScriptDlg unknown(nullptr, false);
    int selected = 0;
    CModalSteps::Run(unknown, {[&](HWND h) {
                         selected = (int)::SendDlgItemMessageW(h, IDC_SCRIPT_SEPARATOR,
                                                               CB_GETCURSEL, 0, 0);
                         stopVisible = Shown(::GetDlgItem(h, IDC_STOP_AFTER_ERROR));
                         ClickButton(h, IDOK);
                     }});
    EXPECT_EQ(selected, CB_ERR);
    EXPECT_FALSE(stopVisible);
    EXPECT_STREQ(theSettings.m_strSQLSeparator, L"");
}

TEST_F(ScriptDialogs, ScriptOptionsFollowTheConnectionsTransactionState)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    ASSERT_TRUE(db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    for (bool inTransaction : {false, true})
    {
        if (inTransaction)
        {
            ASSERT_TRUE(db.BeginTrans());
        }
        CExecSQLScriptDlg dlg(&db, false);
        bool enabled = false, checked = false;
        CModalSteps::Run(dlg, {[&](HWND h) {
                             enabled = ::IsWindowEnabled(::GetDlgItem(h, IDC_OPEN_TRANSACTION));
                             checked = ::IsDlgButtonChecked(h, IDC_OPEN_TRANSACTION);
                             ClickButton(h, IDCANCEL);
                         }});
        EXPECT_EQ(enabled, !inTransaction);
        EXPECT_EQ(checked, !inTransaction);
    }
    db.EndTrans(false);
    db.Close();
}

TEST_F(ScriptDialogs, SQLErrorReturnsTheButtonAndTheEditedStatement)
{
    struct Case
    {
        int button;
        INT_PTR result;
        bool edited;
    } cases[] = {{IDC_SQL_RETRY, IDC_SQL_RETRY, true},
                 {IDOK, IDOK, true},
                 {IDC_IGNORE_ERRORS, IDC_IGNORE_ERRORS, true},
                 {IDCANCEL, IDCANCEL, false}};
    for (const Case& c : cases)
    {
        CSQLError dlg;
        dlg.m_strStatement = L"selct 1";
        dlg.m_strError = L"ODBC error code: -1\r\nState: 42601\r\nsyntax error";
        CString shownError, shownStatement;
        const INT_PTR result =
            CModalSteps::Run(dlg, {[&](HWND h) {
                                 shownStatement = WindowText(::GetDlgItem(h, IDC_SQL_EDITOR));
                                 shownError = WindowText(::GetDlgItem(h, IDC_SQL_ERROR_TEXT));
                                 ::SetWindowTextW(::GetDlgItem(h, IDC_SQL_EDITOR), L"select 1");
                                 ClickButton(h, c.button);
                             }});
        EXPECT_EQ(result, c.result);
        EXPECT_STREQ(shownStatement, L"selct 1");
        EXPECT_STREQ(shownError, L"ODBC error code: -1\r\nState: 42601\r\nsyntax error");
        EXPECT_STREQ(dlg.m_strStatement, c.edited ? L"select 1" : L"selct 1") << c.button;
    }
}

TEST_F(ScriptDialogs, ShowSQLIsReadOnlyAndStretchesWithTheWindow)
{
    CShowSQLDlg dlg(L"Query of t");
    dlg.m_strSQL = L"select *\r\nfrom t";
    CString caption, text;
    bool readOnly = false;
    int widthBefore = 0, widthAfter = 0;
    CModalSteps::Run(dlg, {[&](HWND h) {
                               caption = WindowText(h);
                               HWND editor = ::GetDlgItem(h, IDC_SQL_EDITOR);
                               text = WindowText(editor);
                               readOnly = (::GetWindowLongW(editor, GWL_STYLE) & ES_READONLY) != 0;
                               RECT r;
                               ::GetWindowRect(editor, &r);
                               widthBefore = r.right - r.left;
                               ::GetWindowRect(h, &r);
                               ::SetWindowPos(h, nullptr, 0, 0, r.right - r.left + 100,
                                              r.bottom - r.top + 50, SWP_NOMOVE | SWP_NOZORDER);
                           },
                           [&](HWND h) {
                               RECT r;
                               ::GetWindowRect(::GetDlgItem(h, IDC_SQL_EDITOR), &r);
                               widthAfter = r.right - r.left;
                               ClickButton(h, IDOK);
                           }});
    EXPECT_STREQ(caption, L"Query of t");
    EXPECT_STREQ(text, L"select *\r\nfrom t");
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(widthAfter, widthBefore + 100);
}

} // namespace
