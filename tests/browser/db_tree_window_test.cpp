// The database bar's tab control and trees over the real databases: filling once on demand,
// refreshing one schema node, the keys and commands on items, and the auto-complete words.
#include "browser/db_tab_ctrl.h"

#include "app/app_settings.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "tests/windows/window_test_util.h"

#include <gtest/gtest.h>

#include <set>

using namespace gwtest;

namespace {

std::vector<CString> Children(CTreeCtrl& tree, HTREEITEM hParent)
{
    std::vector<CString> names;
    for (HTREEITEM h = tree.GetChildItem(hParent); h; h = tree.GetNextSiblingItem(h))
        names.push_back(tree.GetItemText(h));
    return names;
}

HTREEITEM FindChild(CTreeCtrl& tree, HTREEITEM hParent, LPCWSTR name)
{
    for (HTREEITEM h = tree.GetChildItem(hParent); h; h = tree.GetNextSiblingItem(h))
        if (tree.GetItemText(h) == name)
            return h;
    return nullptr;
}

CString ClipboardText()
{
    CString text;
    if (!::OpenClipboard(nullptr))
        return text;
    if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT))
    {
        text = (LPCWSTR)::GlobalLock(h);
        ::GlobalUnlock(h);
    }
    ::CloseClipboard();
    return text;
}

// A key as the program's message loop hands it to the focused tree.
BOOL SendKey(CDBTreeCtrl& tree, UINT vk)
{
    MSG msg = {tree.GetSafeHwnd(), WM_KEYDOWN, vk, 0};
    return tree.PreTranslateMessage(&msg);
}

class DBTreeTest : public testing::Test
{
protected:
    void SetUp() override
    {
        theSettings.m_bCancelExec = 0;
        theSettings.m_bCurSchema = 0;
        theSettings.m_bTableDialogSysTables = 0;
        MessageBoxes().clear();
        MessageBoxAnswers().clear();
        m_pHost = CreateHost();
        ASSERT_NE(m_pHost, nullptr);
    }
    void TearDown() override
    {
        if (m_tabs.GetSafeHwnd())
            m_tabs.DestroyWindow();
        DestroyHost(m_pHost);
    }
    void Connect(const CString& connect)
    {
        ASSERT_TRUE(
            m_helper.GetDatabase().Open(connect, CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    }
    void CreateTabs()
    {
        m_tabs.SetHelper(&m_helper);
        ASSERT_TRUE(m_tabs.Create(m_pHost));
        m_tabs.MoveWindow(0, 0, 300, 500);
    }
    void Exec(LPCWSTR sql) { m_helper.GetDatabase().ExecuteSQL(sql); }
    CString Unique(LPCWSTR prefix)
    {
        CString s;
        s.Format(L"%ls_%ls", prefix, QlTestDb::UniqueTag().c_str());
        return s;
    }

    CHostFrame* m_pHost = nullptr;
    CRDatabaseHelper m_helper;
    CDBTabCtrl m_tabs;
};

class DBTreeSQLite : public DBTreeTest
{
protected:
    void SetUp() override
    {
        DBTreeTest::SetUp();
        Connect(m_file.Connect());
        Exec(L"CREATE TABLE child (id INTEGER)");
        Exec(L"CREATE TABLE \"Order Items\" (id INTEGER)");
        Exec(L"CREATE VIEW v1 AS SELECT id FROM child");
    }
    QlTestDb::TempSQLiteFile m_file;
};

TEST_F(DBTreeSQLite, TreesFillOnceWhenShownAndAgainOnlyAfterRefreshOrClear)
{
    CreateTabs();
    CDBTreeCtrl* pTables = m_tabs.GetTree(CDBTabCtrl::kTables);
    ASSERT_TRUE(pTables->IsFilled()) << "the shown tab is filled at creation";
    EXPECT_EQ(m_tabs.GetCurrentTab(), 0);
    HTREEITEM hSchema = pTables->GetRootItem();
    ASSERT_NE(hSchema, nullptr);
    EXPECT_EQ(pTables->GetNextSiblingItem(hSchema), nullptr);
    EXPECT_TRUE(pTables->GetItemState(hSchema, TVIS_EXPANDED) & TVIS_EXPANDED)
        << "a single schema is shown expanded";
    EXPECT_EQ(Children(*pTables, hSchema), (std::vector<CString>{L"child", L"Order Items"}))
        << "names ordered without regard to case";
    EXPECT_FALSE(m_tabs.GetTree(CDBTabCtrl::kViews)->IsFilled());

    Exec(L"CREATE TABLE later (id INTEGER)");
    m_tabs.ActivateTab(CDBTabCtrl::kViews);
    EXPECT_TRUE(m_tabs.GetTree(CDBTabCtrl::kViews)->IsFilled());
    EXPECT_EQ(Children(*m_tabs.GetTree(1), m_tabs.GetTree(1)->GetRootItem()),
              std::vector<CString>{L"v1"});
    m_tabs.ActivateTab(CDBTabCtrl::kTables);
    EXPECT_EQ(Children(*pTables, pTables->GetRootItem()).size(), 2u)
        << "switching back shows the tree without reading again";
    EXPECT_TRUE(pTables->IsWindowVisible());
    EXPECT_FALSE(m_tabs.GetTree(CDBTabCtrl::kViews)->IsWindowVisible());

    pTables->Clear();
    m_tabs.ActivateTab(CDBTabCtrl::kTables);
    EXPECT_FALSE(pTables->IsFilled()) << "activating the current tab does nothing";

    m_tabs.RefreshVisible();
    EXPECT_EQ(Children(*pTables, pTables->GetRootItem()).size(), 3u);
    EXPECT_TRUE(m_tabs.GetTree(CDBTabCtrl::kViews)->IsFilled())
        << "a refresh re-reads only the visible tree";

    m_tabs.ClearAll();
    EXPECT_EQ(m_tabs.GetCurrentTab(), -1);
    m_pHost->ShowWindow(SW_HIDE);
    m_tabs.ActivateTab(CDBTabCtrl::kProcedures);
    EXPECT_FALSE(m_tabs.GetTree(CDBTabCtrl::kProcedures)->IsFilled())
        << "while the bar is hidden a tab shows its tree unfilled";
    EXPECT_EQ(m_tabs.GetCurrentTab(), CDBTabCtrl::kProcedures);
    EXPECT_EQ(pTables->GetCount(), 0u);
}

TEST_F(DBTreeSQLite, DeleteKeyAsksAndDropsButFollowsTheMenuForSystemTables)
{
    CreateTabs();
    CDBTreeCtrl* pTables = m_tabs.GetTree(CDBTabCtrl::kTables);
    HTREEITEM hSchema = pTables->GetRootItem();
    HTREEITEM hChild = FindChild(*pTables, hSchema, L"child");
    ASSERT_NE(hChild, nullptr);
    pTables->SelectItem(hChild);

    MessageBoxAnswers().push_back(IDNO);
    EXPECT_TRUE(SendKey(*pTables, VK_DELETE));
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes()[0], CString(L"Table 'child' will be dropped.\nContinue?"));
    EXPECT_NE(FindChild(*pTables, hSchema, L"child"), nullptr);
    EXPECT_EQ(QlConnTest::QueryText(m_helper.GetDatabase(),
                                    L"SELECT count(*) FROM sqlite_master WHERE name='child'"),
              CString(L"1"));

    // A system table: its menu greys Drop, and so the key does nothing.
    HTREEITEM hSystem = pTables->InsertItem(TVIF_TEXT | TVIF_PARAM, L"sqlite_master", 0, 0, 0, 0,
                                            CRTables::typeSystemTable, hSchema, TVI_LAST);
    pTables->SelectItem(hSystem);
    EXPECT_TRUE(SendKey(*pTables, VK_DELETE));
    EXPECT_EQ(MessageBoxes().size(), 1u);
    CMenu menu;
    int nPopup = -1;
    ASSERT_TRUE(pTables->BuildContextMenu(hSystem, menu, nPopup));
    EXPECT_TRUE(menu.GetMenuState(ID_DBO_DROP, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(menu.GetMenuState(ID_DBO_TRIGGERS, MF_BYCOMMAND), (UINT)-1)
        << "SQLite shows no table triggers";
    EXPECT_NE(menu.GetMenuState(ID_DBO_RENAME, MF_BYCOMMAND), (UINT)-1);
    menu.DestroyMenu();

    // Yes through the menu's Drop: gone from the database and the tree.
    hChild = FindChild(*pTables, hSchema, L"child");
    pTables->SelectItem(hChild);
    MessageBoxAnswers().push_back(IDYES);
    CDBTreeCtrl::s_nTestMenuCommand = ID_DBO_DROP;
    pTables->ShowContextMenu(hChild, CPoint(5, 5));
    EXPECT_EQ(FindChild(*pTables, hSchema, L"child"), nullptr);
    EXPECT_EQ(QlConnTest::QueryText(m_helper.GetDatabase(),
                                    L"SELECT count(*) FROM sqlite_master WHERE name='child'"),
              CString(L"0"));

    // Enter on a schema node toggles it.
    pTables->SelectItem(hSchema);
    SendKey(*pTables, VK_RETURN);
    EXPECT_FALSE(pTables->GetItemState(hSchema, TVIS_EXPANDED) & TVIS_EXPANDED);
    SendKey(*pTables, VK_RETURN);
    EXPECT_TRUE(pTables->GetItemState(hSchema, TVIS_EXPANDED) & TVIS_EXPANDED);
}

TEST_F(DBTreeSQLite, CopyNameQuotesAndAutoCompleteFillsTheTrees)
{
    CreateTabs();
    CDBTreeCtrl* pTables = m_tabs.GetTree(CDBTabCtrl::kTables);
    HTREEITEM hItem = FindChild(*pTables, pTables->GetRootItem(), L"Order Items");
    ASSERT_NE(hItem, nullptr);
    pTables->DispatchCommand(hItem, ID_DBO_COPY_NAME);
    EXPECT_EQ(ClipboardText(), CString(L"\"Order Items\""));

    m_tabs.ClearAll();
    CRCEAutoCompleteWordArray words;
    EXPECT_TRUE(m_tabs.AddAutoCompleteWords(words));
    std::set<CString> got;
    for (INT_PTR i = 0; i < words.GetSize(); ++i)
        got.insert(CString(words[i].word, (int)words[i].length));
    RCEFreeAutoCompleteWords(words);
    EXPECT_TRUE(got.count(L"child") && got.count(L"Order Items") && got.count(L"v1"));
    EXPECT_TRUE(m_tabs.GetTree(CDBTabCtrl::kProcedures)->IsFilled());
    EXPECT_FALSE(m_tabs.GetTree(CDBTabCtrl::kTriggers)->IsFilled())
        << "triggers never feed the word list";
}

class DBTreePostgres : public DBTreeTest
{
protected:
    void SetUp() override
    {
        DBTreeTest::SetUp();
        Connect(QlTestDb::PostgresConnect());
        m_schema1 = Unique(L"ql_br_s");
        m_schema2 = Unique(L"ql_br_S");
        Exec(L"CREATE SCHEMA " + m_schema1);
        Exec(L"CREATE SCHEMA \"" + m_schema2 + L"\"");
        Exec(L"CREATE TABLE " + m_schema1 + L".t1 (id int)");
        Exec(L"CREATE TABLE " + m_schema1 + L".t2 (id int)");
        Exec(L"CREATE TABLE \"" + m_schema2 + L"\".t3 (id int)");
    }
    void TearDown() override
    {
        DBTreeTest::TearDown();
        if (m_helper.GetDatabase().IsOpen())
        {
            Exec(L"DROP SCHEMA " + m_schema1 + L" CASCADE");
            Exec(L"DROP SCHEMA \"" + m_schema2 + L"\" CASCADE");
        }
    }
    int CachedCount(CDBTreeCtrl* pTree, const CString& schema)
    {
        auto* pList = static_cast<CDBTablesTreeCtrl*>(pTree);
        int n = 0;
        for (INT_PTR i = 0; i < pList->GetCachedList().GetSize(); ++i)
            n += schema == pList->GetCachedList()[i].szTableSchem;
        return n;
    }
    CString m_schema1, m_schema2;
};

TEST_F(DBTreeTest, SchemasDifferingOnlyInCaseKeepTheirOwnObjectsWhenTheirRowsInterleave)
{
    // Sorted without regard to case, the rows of "x" and "X" alternate: each still goes under
    // the node of exactly its schema, and each schema gets one node.
    Connect(QlTestDb::PostgresConnect());
    const CString lower = Unique(L"ql_br_case");
    CString upper = lower;
    upper.MakeUpper();
    Exec(L"CREATE SCHEMA " + lower);
    Exec(L"CREATE SCHEMA \"" + upper + L"\"");
    Exec(L"CREATE TABLE " + lower + L".t1 (id int)");
    Exec(L"CREATE TABLE \"" + upper + L"\".t2 (id int)");
    Exec(L"CREATE TABLE " + lower + L".t3 (id int)");
    Exec(L"CREATE TABLE \"" + upper + L"\".t4 (id int)");
    CreateTabs();
    CDBTreeCtrl* pTables = m_tabs.GetTree(CDBTabCtrl::kTables);
    int nLower = 0, nUpper = 0;
    for (HTREEITEM h = pTables->GetRootItem(); h; h = pTables->GetNextSiblingItem(h))
    {
        nLower += pTables->GetItemText(h) == lower;
        nUpper += pTables->GetItemText(h) == upper;
    }
    EXPECT_EQ(nLower, 1);
    EXPECT_EQ(nUpper, 1);
    EXPECT_EQ(Children(*pTables, pTables->FindSchemaNode(lower)),
              (std::vector<CString>{L"t1", L"t3"}));
    EXPECT_EQ(Children(*pTables, pTables->FindSchemaNode(upper)),
              (std::vector<CString>{L"t2", L"t4"}));
    Exec(L"DROP SCHEMA " + lower + L" CASCADE");
    Exec(L"DROP SCHEMA \"" + upper + L"\" CASCADE");
}

TEST_F(DBTreePostgres, SchemaRefreshMergesOnlyThatSchema)
{
    CreateTabs();
    CDBTreeCtrl* pTables = m_tabs.GetTree(CDBTabCtrl::kTables);
    HTREEITEM hNode1 = pTables->FindSchemaNode(m_schema1);
    HTREEITEM hNode2 = pTables->FindSchemaNode(m_schema2);
    ASSERT_TRUE(hNode1 && hNode2) << "schemas differing in case get their own nodes";
    EXPECT_EQ(Children(*pTables, hNode1), (std::vector<CString>{L"t1", L"t2"}));

    Exec(L"DROP TABLE " + m_schema1 + L".t1");
    Exec(L"CREATE TABLE " + m_schema1 + L".\"A4\" (id int)");
    Exec(L"CREATE TABLE \"" + m_schema2 + L"\".t5 (id int)");
    CDBTreeCtrl::s_nTestMenuCommand = ID_DBO_REFRESH;
    pTables->ShowContextMenu(hNode1, CPoint(5, 5));

    EXPECT_EQ(Children(*pTables, hNode1), (std::vector<CString>{L"A4", L"t2"}));
    EXPECT_EQ(Children(*pTables, hNode2), std::vector<CString>{L"t3"})
        << "other schema nodes keep their items";
    EXPECT_EQ(CachedCount(pTables, m_schema1), 2);
    EXPECT_EQ(CachedCount(pTables, m_schema2), 1);
    EXPECT_TRUE(pTables->IsFilled());
    EXPECT_TRUE(pTables->IsWindowVisible());
    EXPECT_FALSE(m_tabs.GetLoadingTree().IsWindowVisible());

    // Copy Name: the public schema is quoted (a reserved word), like any name needing it.
    HTREEITEM hA4 = FindChild(*pTables, hNode1, L"A4");
    pTables->DispatchCommand(hA4, ID_DBO_COPY_NAME);
    EXPECT_EQ(ClipboardText(), m_schema1 + L".\"A4\"");
}

} // namespace

namespace {

TEST_F(DBTreeSQLite, FillsBehindTheWaitDialogWhenReadsRunAsJobs)
{
    theSettings.m_bCancelExec = 1;
    CreateTabs();
    CDBTreeCtrl* pTables = m_tabs.GetTree(CDBTabCtrl::kTables);
    EXPECT_TRUE(pTables->IsFilled());
    EXPECT_EQ(Children(*pTables, pTables->GetRootItem()).size(), 2u);
    m_tabs.ActivateTab(CDBTabCtrl::kProcedures);
    m_tabs.ActivateTab(CDBTabCtrl::kTriggers);
    m_tabs.RefreshVisible();
    EXPECT_TRUE(m_tabs.GetTree(CDBTabCtrl::kTriggers)->IsFilled());
    theSettings.m_bCancelExec = 0;
}

} // namespace

namespace {

TEST_F(DBTreeTest, MariaDBTreeShowsTheCurrentDatabasesTablesAndRenamesOne)
{
    Connect(QlTestDb::MariaDBConnect());
    const CString table = Unique(L"ql_br_m");
    const CString renamed = L"New Name " + table;
    Exec(L"CREATE TABLE " + table + L" (id int)");
    CreateTabs();
    CDBTreeCtrl* pTables = m_tabs.GetTree(CDBTabCtrl::kTables);
    // MariaDB gives no schema: its tables are named by their database.
    HTREEITEM hNode = pTables->FindSchemaNode(L"quenlark");
    ASSERT_NE(hNode, nullptr);
    EXPECT_EQ(pTables->GetNextSiblingItem(pTables->GetRootItem()), nullptr)
        << "one node: the current database";
    HTREEITEM hItem = FindChild(*pTables, hNode, table);
    ASSERT_NE(hItem, nullptr);
    for (INT_PTR i = 0; i < static_cast<CDBTablesTreeCtrl*>(pTables)->GetCachedList().GetSize();
         ++i)
    {
        const auto& info = static_cast<CDBTablesTreeCtrl*>(pTables)->GetCachedList()[i];
        EXPECT_TRUE(info.szTableCat[0] == 0 || wcscmp(info.szTableCat, L"quenlark") == 0)
            << CStringA(info.szTableCat).GetString();
    }

    CDialogScript script({[&](HWND hDlg) {
        ::SetDlgItemTextW(hDlg, IDC_DBO_NEW_NAME, renamed);
        ::PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    }});
    pTables->DispatchCommand(hItem, ID_DBO_RENAME);
    EXPECT_EQ(script.Done(), 1u);
    EXPECT_EQ(pTables->GetItemText(hItem), renamed);
    EXPECT_EQ(QlConnTest::QueryText(m_helper.GetDatabase(),
                                    L"SELECT count(*) FROM information_schema.tables WHERE "
                                    L"table_schema = database() AND table_name = '" +
                                        renamed + L"'"),
              CString(L"1"));
    Exec(L"DROP TABLE `" + renamed + L"`");
}

} // namespace
