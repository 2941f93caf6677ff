// A grid window whose rows no key identifies says so before the first edit or delete of a row,
// and goes on only when told to; a table with its primary key in the result, and new rows, are
// not asked about; a query result is keyed by its table's primary key.
#include "windows/grid_child_frame.h"

#include "app/app_settings.h"
#include "grid/grid_edit.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

#include <array>

using namespace gwtest;

namespace {

// Ends the cell editor open in the grid as Esc does, and leaves edit mode.
void CancelEditor(CGridChildView& view)
{
    for (HWND h = ::GetWindow(view.m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
        if (auto* pEdit = dynamic_cast<CGridEdit*>(CWnd::FromHandlePermanent(h)))
        {
            pEdit->m_nEndReason = kInPlaceEscape;
            ::SetFocus(view.m_hWnd);
            if (::IsWindow(h))
                ::DestroyWindow(h);
            break;
        }
    qltest::PumpPending();
    view.CancelEdit();
    qltest::PumpPending();
}

class KeylessEdit : public testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = {theSettings.m_bCancelExec, theSettings.m_bShowKeysInGrid,
                   theSettings.m_bTableDialogPKey, theSettings.m_bConfirmRowDeletion};
        theSettings.m_bCancelExec = 0;
        theSettings.m_bShowKeysInGrid = 1;
        theSettings.m_bTableDialogPKey = 1;
        theSettings.m_bConfirmRowDeletion = 0;
        m_pHost = CreateHost();
        ASSERT_NE(m_pHost, nullptr);
        ASSERT_TRUE(m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 1));
        ASSERT_TRUE(m_helper.GetDatabase().Open(m_file.Connect(), CRDatabase::openNoPrompt, nullptr,
                                                0, 0, 0));
        CRDatabase& db = m_helper.GetDatabase();
        db.ExecuteSQL(L"CREATE TABLE bare (id INTEGER, v VARCHAR(9))");
        db.ExecuteSQL(L"INSERT INTO bare VALUES (1, 'a')");
        db.ExecuteSQL(L"INSERT INTO bare VALUES (2, 'b')");
        db.ExecuteSQL(L"CREATE TABLE keyed (id INTEGER PRIMARY KEY, v VARCHAR(9))");
        db.ExecuteSQL(L"INSERT INTO keyed VALUES (1, 'a')");
        MessageBoxes().clear();
        MessageBoxAnswers().clear();
    }
    void TearDown() override
    {
        DestroyHost(m_pHost);
        // Other tests read the same settings.
        theSettings.m_bCancelExec = m_saved[0];
        theSettings.m_bShowKeysInGrid = m_saved[1];
        theSettings.m_bTableDialogPKey = m_saved[2];
        theSettings.m_bConfirmRowDeletion = m_saved[3];
    }
    CGridChildFrame* Open(LPCWSTR table, UINT nKind = kGridTable)
    {
        const CString select = CString(L"SELECT * FROM ") + table;
        auto* pFrame = new CGridChildFrame(&m_helper, select, select, nullptr, nKind,
                                           CStringPair(L"", table), &m_images);
        if (!pFrame->Create(nullptr, table, WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                            CFrameWnd::rectDefault, m_pHost))
            return nullptr;
        qltest::PumpPending();
        pFrame->GetView().SelectRow(0);
        return pFrame;
    }
    int Count(LPCWSTR table)
    {
        return _wtoi(QlConnTest::QueryText(m_helper.GetDatabase(),
                                           CString(L"SELECT COUNT(*) FROM ") + table));
    }

    QlTestDb::TempSQLiteFile m_file;
    CRDatabaseHelper m_helper;
    CHostFrame* m_pHost = nullptr;
    CImageList m_images;
    std::array<int, 4> m_saved{};
};

TEST_F(KeylessEdit, FirstEditAsksNoLeavesTheRowYesGoesOnOnce)
{
    CGridChildFrame* pFrame = Open(L"bare");
    ASSERT_NE(pFrame, nullptr);
    CGridChildView& view = pFrame->GetView();
    EXPECT_FALSE(view.HasUsableKey());

    MessageBoxAnswers().push_back(IDNO);
    view.EditSelectedRow(1);
    ASSERT_EQ(MessageBoxes().size(), 1u);
    CString expected;
    expected.LoadString(IDS_NO_USABLE_KEY);
    EXPECT_EQ(A(MessageBoxes()[0]), A(expected));
    EXPECT_NE(A(expected).find("Edit anyway?"), std::string::npos);
    EXPECT_FALSE(view.IsEditing());
    EXPECT_FALSE(view.IsModified());

    // Delete is asked about the same way; No deletes nothing.
    MessageBoxAnswers().push_back(IDNO);
    view.DeleteRow();
    EXPECT_EQ(MessageBoxes().size(), 2u);
    EXPECT_EQ(Count(L"bare"), 2);

    MessageBoxAnswers().push_back(IDYES);
    view.EditSelectedRow(1);
    EXPECT_EQ(MessageBoxes().size(), 3u);
    EXPECT_TRUE(view.IsEditing());
    CancelEditor(view);

    // Answered once: the next edit and a delete go on without a question.
    view.SelectRow(0);
    view.EditSelectedRow(1);
    EXPECT_EQ(MessageBoxes().size(), 3u);
    EXPECT_TRUE(view.IsEditing());
    CancelEditor(view);
    view.SelectRow(0);
    EXPECT_TRUE(view.DeleteRow());
    EXPECT_EQ(MessageBoxes().size(), 3u);
    EXPECT_EQ(Count(L"bare"), 1);
}

TEST_F(KeylessEdit, KeyedTablesAndNewRowsAreNotAsked)
{
    CGridChildFrame* pKeyed = Open(L"keyed");
    ASSERT_NE(pKeyed, nullptr);
    EXPECT_TRUE(pKeyed->GetView().HasUsableKey());
    pKeyed->GetView().EditSelectedRow(1);
    EXPECT_TRUE(pKeyed->GetView().IsEditing());
    CancelEditor(pKeyed->GetView());

    // A new row needs no key.
    CGridChildFrame* pBare = Open(L"bare");
    ASSERT_NE(pBare, nullptr);
    EXPECT_TRUE(pBare->GetView().InsertRow(false));
    EXPECT_TRUE(pBare->GetView().IsInserting());
    pBare->GetView().CancelEdit();
    qltest::PumpPending();

    // Showing keys turned off: the table's key is not known to the window.
    theSettings.m_bShowKeysInGrid = 0;
    CGridChildFrame* pUnknown = Open(L"keyed");
    ASSERT_NE(pUnknown, nullptr);
    EXPECT_FALSE(pUnknown->GetView().HasUsableKey());
    EXPECT_TRUE(MessageBoxes().empty());
}

// SQLite's driver changes no row at its cursor: a query result is keyed by its table's primary
// key, and over a table without one its edit is refused with a word why.
TEST_F(KeylessEdit, QueryResultIsKeyedByItsTablesPrimaryKey)
{
    CGridChildFrame* pResult = Open(L"keyed", kGridProcedure);
    ASSERT_NE(pResult, nullptr);
    CGridChildView& view = pResult->GetView();
    EXPECT_TRUE(view.HasUsableKey());
    view.EditSelectedRow(1);
    EXPECT_TRUE(view.IsEditing());
    EXPECT_TRUE(MessageBoxes().empty());
    CancelEditor(view);

    CGridChildFrame* pBare = Open(L"bare", kGridProcedure);
    ASSERT_NE(pBare, nullptr);
    pBare->GetView().EditSelectedRow(1);
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].Find(L"bare has no primary key"), -1) << A(MessageBoxes()[0]);
    EXPECT_FALSE(pBare->GetView().IsEditing());
    EXPECT_EQ(A(QlConnTest::QueryText(m_helper.GetDatabase(), L"SELECT v FROM bare WHERE id = 1")),
              "a");
}

} // namespace
