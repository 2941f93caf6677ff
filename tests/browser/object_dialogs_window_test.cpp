// The information dialog and the property lists over psqlODBC and sqlite3odbc: which tabs an
// object gets, pages that load when shown and again after another page changed the object, a
// drop run cancelled after its first column, and the constraints dialog's empty answer.
#include "browser/object_pages.h"

#include "app/app_settings.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "tests/windows/window_test_util.h"

#include <gtest/gtest.h>

using namespace gwtest;

namespace {

CString TabText(CTabCtrl& tabs, int nIndex)
{
    wchar_t text[64] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 63;
    tabs.GetItem(nIndex, &item);
    return text;
}

int FindRow(CListCtrl& list, LPCWSTR text, int nColumn = 0)
{
    for (int i = 0; i < list.GetItemCount(); ++i)
        if (list.GetItemText(i, nColumn) == text)
            return i;
    return -1;
}

void SelectOnly(CListCtrl& list, std::initializer_list<int> rows)
{
    list.SetItemState(-1, 0, LVIS_SELECTED);
    for (int nRow : rows)
        list.SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
}

class ObjectDialogs : public testing::Test
{
protected:
    void SetUp() override
    {
        theSettings.m_bCancelExec = 0;
        theSettings.m_bTableDialogPKey = 1;
        theSettings.m_bTableDialogFKey = 1;
        MessageBoxes().clear();
        MessageBoxAnswers().clear();
        m_pHost = CreateHost();
        ASSERT_NE(m_pHost, nullptr);
    }
    void TearDown() override { DestroyHost(m_pHost); }
    void Connect(const CString& connect)
    {
        ASSERT_TRUE(
            m_helper.GetDatabase().Open(connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    }
    void Exec(const CString& sql) { m_helper.GetDatabase().ExecuteSQL(sql); }
    // Shows the page of the tab as a click on the tab would.
    void ShowTab(CDBOPropertiesDlg& dlg, int nTab)
    {
        dlg.GetTabCtrl().SetCurSel(nTab);
        dlg.GetTabCtrl().ShowCurrentPage(SW_SHOW);
    }

    CHostFrame* m_pHost = nullptr;
    CRDatabaseHelper m_helper;
};

class PostgresObjects : public ObjectDialogs
{
protected:
    void SetUp() override
    {
        ObjectDialogs::SetUp();
        Connect(QlTestDb::PostgresConnect());
        m_schema.Format(L"ql_bro_%ls", QlTestDb::UniqueTag().c_str());
        Exec(L"CREATE SCHEMA " + m_schema);
        Exec(L"CREATE TABLE " + m_schema +
             L".parent (id int PRIMARY KEY, code text CONSTRAINT ck_code CHECK (length(code) < "
             L"10), note1 int, note2 int, note3 int, CONSTRAINT parent_code_key UNIQUE (code))");
    }
    void TearDown() override
    {
        ObjectDialogs::TearDown();
        if (m_helper.GetDatabase().IsOpen())
            Exec(L"DROP SCHEMA " + m_schema + L" CASCADE");
    }
    CString m_schema;
};

TEST_F(PostgresObjects, TableInformationLoadsPagesWhenShownAndResetsThemAfterADrop)
{
    CDBOPropertiesDlg dlg(&m_helper, CStringPair(m_schema, L"parent"), DBOBJ_TABLE, DBOPAGE_COLUMNS,
                          m_pHost);
    ASSERT_TRUE(dlg.Create(IDD_DBO_PROPERTIES, m_pHost));
    CString title;
    dlg.GetWindowText(title);
    EXPECT_EQ(title, m_schema + L".parent information");
    CRDialogTabCtrl& tabs = dlg.GetTabCtrl();
    ASSERT_EQ(tabs.GetItemCount(), 3);
    EXPECT_EQ(TabText(tabs, 0), CString(L"Columns"));
    EXPECT_EQ(TabText(tabs, 1), CString(L"Indexes"));
    EXPECT_EQ(TabText(tabs, 2), CString(L"Constraints"));

    auto* pColumns = static_cast<CTableInfoDlg*>(dlg.GetPage(DBOPAGE_COLUMNS));
    auto* pConstraints = static_cast<CTableConstraintsDlg*>(dlg.GetPage(DBOPAGE_CONSTRAINTS));
    EXPECT_TRUE(pColumns->IsLoaded());
    EXPECT_FALSE(pConstraints->IsLoaded()) << "a page reads only when it is shown";
    CTableProp& columns = pColumns->GetProp();
    ASSERT_EQ(columns.GetItemCount(), 5);
    const int nId = FindRow(columns, L"id");
    ASSERT_GE(nId, 0);
    EXPECT_EQ(columns.GetItemText(nId, 6), CString(L"parent_pkey")) << "primary key column";

    ShowTab(dlg, 2);
    ASSERT_TRUE(pConstraints->IsLoaded());
    CConstraintProp& constraints = pConstraints->GetProp();
    const int nCheck = FindRow(constraints, L"ck_code");
    const int nUnique = FindRow(constraints, L"parent_code_key");
    ASSERT_GE(nCheck, 0);
    ASSERT_GE(nUnique, 0);
    EXPECT_EQ(constraints.GetItemText(nCheck, 1), CString(L"Check"));
    EXPECT_EQ(constraints.GetItemText(nCheck, 3), CString(L"(length(code) < 10)"));
    EXPECT_EQ(constraints.GetItemText(nUnique, 1), CString(L"Unique"));

    // Drop the unique constraint from its page: gone from the list and the database.
    SelectOnly(constraints, {nUnique});
    MessageBoxAnswers().push_back(IDYES);
    pConstraints->SendMessage(WM_COMMAND, IDC_DBO_DROP);
    EXPECT_EQ(FindRow(constraints, L"parent_code_key"), -1);
    EXPECT_EQ(MessageBoxes().back(), CString(L"Constraint '" + m_schema +
                                             L".parent_code_key' will be dropped.\nContinue?"));
    EXPECT_EQ(QlConnTest::QueryText(m_helper.GetDatabase(),
                                    L"SELECT count(*) FROM pg_constraint WHERE conname = "
                                    L"'parent_code_key' AND connamespace = '" +
                                        m_schema + L"'::regnamespace"),
              CString(L"0"));
    EXPECT_FALSE(pColumns->IsLoaded()) << "another page changed the object";

    ShowTab(dlg, 0);
    EXPECT_TRUE(pColumns->IsLoaded());
    EXPECT_EQ(columns.GetItemCount(), 5);
    dlg.DestroyWindow();
}

// The columns list with the moment after each dropped column exposed.
class CCancellingTableProp : public CTableProp
{
public:
    using CTableProp::CTableProp;
    int m_nDropped = 0;

protected:
    void OnObjectDropped(int) override
    {
        // The user presses Cancel while the first statement runs.
        if (++m_nDropped == 1)
            if (HWND hWait = FindThreadDialog())
                ::PostMessageW(hWait, WM_COMMAND, IDCANCEL, 0);
    }
};

TEST_F(PostgresObjects, DroppingThreeColumnsWithCancelAfterTheFirstRemovesOneRow)
{
    CCancellingTableProp list(&m_helper, CStringPair(m_schema, L"parent"), DBOBJ_TABLE, 0, 0);
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                            CRect(0, 0, 600, 300), m_pHost, 1));
    list.InitColumns();
    ASSERT_TRUE(list.Fill(nullptr));
    SelectOnly(list, {FindRow(list, L"note1"), FindRow(list, L"note2"), FindRow(list, L"note3")});

    MessageBoxAnswers().push_back(IDYES);
    CDialogScript script({Press(IDYES)}); // "Are you really want to stop?"
    EXPECT_TRUE(list.DropColumns());
    EXPECT_EQ(MessageBoxes().back(),
              CString(L"Columns note1, note2, note3 will be dropped.\nContinue?"));
    EXPECT_EQ(script.Done(), 1u);
    EXPECT_EQ(list.m_nDropped, 1);
    EXPECT_EQ(list.GetItemCount(), 4) << "only the last selected column was dropped";
    EXPECT_EQ(FindRow(list, L"note3"), -1);
    EXPECT_GE(FindRow(list, L"note1"), 0);
    EXPECT_EQ(QlConnTest::QueryText(m_helper.GetDatabase(),
                                    L"SELECT count(*) FROM information_schema.columns WHERE "
                                    L"table_schema = '" +
                                        m_schema + L"' AND table_name = 'parent'"),
              CString(L"4"));
    list.DestroyWindow();
}

TEST_F(PostgresObjects, ConstraintsOfASchemaWithoutAnySayNoConstraints)
{
    CString empty = m_schema + L"_e";
    Exec(L"CREATE SCHEMA " + empty);
    Exec(L"CREATE TABLE " + empty + L".plain (id int)");
    EXPECT_EQ(CConstraintsDlg(&m_helper, CStringPair(empty, L""), m_pHost).DoModal(), IDCANCEL);
    EXPECT_EQ(LastMessageBox(), CString(L"No constraints for " + empty + L"."));
    Exec(L"DROP SCHEMA " + empty + L" CASCADE");
}

// Presses Cancel on the wait dialog as soon as the constraint read shows its first name, and
// Yes in the box that asks whether to stop.
HHOOK g_cancelHook = nullptr;
LRESULT CALLBACK CancelAtFirstName(int nCode, WPARAM wParam, LPARAM lParam)
{
    const auto* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && pMsg->message == WM_SETTEXT &&
        ::GetDlgCtrlID(pMsg->hwnd) == IDC_WAIT_INFO)
        ::PostMessageW(::GetParent(pMsg->hwnd), WM_COMMAND, IDCANCEL, 0);
    if (nCode == HC_ACTION && pMsg->message == WM_INITDIALOG &&
        ::GetDlgItem(pMsg->hwnd, 0xFFFF) != nullptr)
        ::PostMessageW(pMsg->hwnd, WM_COMMAND, IDYES, 0);
    return ::CallNextHookEx(g_cancelHook, nCode, wParam, lParam);
}

TEST_F(PostgresObjects, CancelledConstraintReadClosesTheDialogWithoutSayingThereAreNone)
{
    Exec(L"CREATE TABLE " + m_schema + L".child (id int PRIMARY KEY, parent_id int REFERENCES " +
         m_schema + L".parent, CONSTRAINT ck_id CHECK (id > 0))");
    g_cancelHook =
        ::SetWindowsHookExW(WH_CALLWNDPROC, CancelAtFirstName, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(g_cancelHook, nullptr);
    const INT_PTR nResult =
        CConstraintsDlg(&m_helper, CStringPair(m_schema, L""), m_pHost).DoModal();
    ::UnhookWindowsHookEx(g_cancelHook);
    EXPECT_EQ(nResult, IDCANCEL);
    EXPECT_TRUE(MessageBoxes().empty())
        << "the schema has constraints: "
        << CStringA(MessageBoxes().empty() ? CString() : MessageBoxes().back());
}

TEST_F(ObjectDialogs, SQLiteTableShowsIndexesWithoutGroupsAndRenamesAColumn)
{
    QlTestDb::TempSQLiteFile file;
    Connect(file.Connect());
    Exec(L"CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(40), age INTEGER)");
    Exec(L"CREATE INDEX t_name ON t (name, age)");
    CDBOPropertiesDlg dlg(&m_helper, CStringPair(L"", L"t"), DBOBJ_TABLE, DBOPAGE_INDEXES, m_pHost);
    ASSERT_TRUE(dlg.Create(IDD_DBO_PROPERTIES, m_pHost));
    ASSERT_EQ(dlg.GetTabCtrl().GetItemCount(), 2) << "SQLite: no constraints or triggers";
    auto* pIndexes = static_cast<CTableIndexesDlg*>(dlg.GetPage(DBOPAGE_INDEXES));
    ASSERT_TRUE(pIndexes->IsLoaded());
    CIndexProp& indexes = pIndexes->GetProp();
    EXPECT_FALSE(indexes.IsGroupView()) << "this list view has no groups";
    const int nRow = FindRow(indexes, L"t_name");
    ASSERT_GE(nRow, 0) << "the index name stands in its own column";
    EXPECT_EQ(indexes.GetItemText(nRow, 1), CString(L"name"));
    EXPECT_EQ(indexes.GetItemText(nRow, 2), CString(L"No"));
    EXPECT_EQ(indexes.GetExportItemText(nRow, 0), CString(L"t_name"));

    auto* pColumns = static_cast<CTableInfoDlg*>(dlg.GetPage(DBOPAGE_COLUMNS));
    EXPECT_FALSE(pColumns->IsLoaded());
    ShowTab(dlg, 0);
    CTableProp& columns = pColumns->GetProp();
    const int nName = FindRow(columns, L"name");
    ASSERT_GE(nName, 0);
    SelectOnly(columns, {nName});
    EXPECT_EQ(A(columns.GetCopyText(CDBObjProp::copyNames)), "name");

    CDialogScript script({[](HWND hDlg) {
        ::SetDlgItemTextW(hDlg, IDC_DBO_NEW_NAME, L"full name");
        ::PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    }});
    pColumns->SendMessage(WM_COMMAND, IDC_DBO_RENAME);
    EXPECT_EQ(script.Done(), 1u);
    EXPECT_EQ(columns.GetItemText(nName, 0), CString(L"full name")) << A(LastMessageBox());
    EXPECT_EQ(QlConnTest::QueryText(m_helper.GetDatabase(),
                                    L"SELECT count(*) FROM pragma_table_info('t') WHERE name = "
                                    L"'full name'"),
              CString(L"1"));
    EXPECT_FALSE(pIndexes->IsLoaded()) << "the rename resets the other pages";
    dlg.DestroyWindow();
}

} // namespace
