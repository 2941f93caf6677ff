// Editing rows in a grid over real tables (SQLite, PostgreSQL, MariaDB): cell editors, commit,
// insert, delete, Esc, Tab and Shift+Tab, the NULL switch and hostile values read back from the
// database, with the host frame answering as the grid's owner.
#include "grid_host.h"
#include "grid/grid_edit.h"
#include "tests/controls/screenshot_util.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/recordset_test_util.h"
#include "tests/support/paint_pending.h"
#include "tests/support/wait_for.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace GridHostTest;
using QlRsTest::Db;

namespace {

CString Num(int n)
{
    return CString(std::to_wstring(n).c_str());
}

class GridDb : public ::testing::TestWithParam<Db>
{
protected:
    std::unique_ptr<QlRsTest::Connection> conn;
    GridHost host;
    std::unique_ptr<CRRecordset> rs;
    CString table;
    bool reversedColumns = false;

    CRDatabase* database() { return conn->database.get(); }

    void SetUp() override
    {
        try
        {
            conn = std::make_unique<QlRsTest::Connection>(GetParam());
        }
        catch (Zelt::CRDBException* e)
        {
            const CStringA message(e->m_strError);
            e->Delete();
            FAIL() << "cannot connect (are ODBCSYSINI and ODBCINI set?): " << message.GetString();
        }
        ASSERT_TRUE(database()->IsOpen());
        table = CString(L"ql_grid_edit_") + QlTestDb::UniqueTag().c_str();
        conn->DropQuietly(table);
        const CString text = GetParam() == Db::SQLite ? L"TEXT" : L"VARCHAR(6000)";
        conn->Exec(L"CREATE TABLE " + table + L" (id INTEGER NOT NULL PRIMARY KEY, name " + text +
                   L" NOT NULL, amount NUMERIC(24,4) NULL)");
        conn->Exec(L"INSERT INTO " + table + L" VALUES (1, 'one', 1.5)");
        conn->Exec(L"INSERT INTO " + table + L" VALUES (2, 'two', 1234567890123456.7891)");
        conn->Exec(L"INSERT INTO " + table + L" VALUES (3, 'three', NULL)");
        ASSERT_TRUE(
            host.Create(kGridEditable | kGridFullRowSelect | kGridLines | kGridMarkEditedRow));
        host.grid.m_pDatabase = database();
        CRPrimaryKey::CPrimaryKeyInfo key = {};
        wcscpy(key.szColumnName, L"id");
        host.grid.m_primaryKey.Add(key);
        host.requery = [this] { Load(host.grid.GetSelectedItem()); };
        Load(-1);
    }

    void TearDown() override
    {
        host.grid.SetCursor(nullptr);
        if (!conn)
            return;
        rs.reset();
        if (::IsWindow(host.m_hWnd))
            host.DestroyWindow();
        conn->DropQuietly(table);
    }

    // Reads the table again, as the grid window does when a row was stored.
    void Load(int select)
    {
        host.grid.SetCursor(nullptr);
        rs = std::make_unique<CRRecordset>(database());
        try
        {
            rs->Open(L"SELECT id, name, amount FROM " + table + L" ORDER BY id", RS_STATIC,
                     RS_NUMERIC_AS_TEXT);
        }
        catch (Zelt::CRDBException* e)
        {
            ADD_FAILURE() << CStringA(e->m_strError).GetString();
            e->Delete();
            return;
        }
        host.grid.SetCursor(rs.get());
        const UINT order[3] = {reversedColumns ? 3u : 1u, 2u, reversedColumns ? 1u : 3u};
        for (UINT cursorColumn : order)
        {
            if (cursorColumn == 3)
                host.grid.InsertColumn(L"amount", 3, L"%.4f", 100, LVCFMT_RIGHT, -1, 0, false, 0);
            else
                host.grid.InsertColumn(rs->GetColumnName(cursorColumn), cursorColumn, 100,
                                       LVCFMT_LEFT, -1, 0, false, 0);
        }
        host.grid.LoadRows(select);
    }

    CString Query(const CString& sql) { return QlConnTest::QueryText(*database(), sql); }
    CString NameOf(int id) { return Query(L"SELECT name FROM " + table + L" WHERE id=" + Num(id)); }
    CString AmountOf(int id)
    {
        return Query(L"SELECT CASE WHEN amount IS NULL THEN 'null' ELSE 'set' END FROM " + table +
                     L" WHERE id=" + Num(id));
    }

    // Opens the editor on a cell, puts text into it and ends it with a key.
    void EditAndEnd(int row, int column, LPCWSTR text, UINT endKey = VK_RETURN, bool shift = false)
    {
        CGridEdit* pEdit = host.grid.EditCell(row, column);
        ASSERT_NE(nullptr, pEdit);
        PumpPending();
        HWND hEdit = pEdit->m_edit.m_hWnd;
        if (text != nullptr)
            ::SetWindowTextW(hEdit, text);
        PressKey(endKey, shift, false, hEdit);
        PumpPending();
    }
    void Commit()
    {
        PressKey(VK_RETURN, false, false, host.grid.m_hWnd);
        PumpPending();
    }
};

} // namespace

TEST_P(GridDb, EditedCellIsStoredAndReadBack)
{
    ASSERT_EQ(3, host.grid.GetItemCount());
    EditAndEnd(1, 1, L"deux");
    EXPECT_FALSE(host.grid.IsEditing());
    EXPECT_TRUE(host.grid.IsModified());
    EXPECT_EQ(CString(L"deux"), host.grid.GetItemText(1, 1));
    EXPECT_EQ(1, host.Count(kGridEditBegun));
    EXPECT_EQ(1, host.Count(kGridCellStored));
    Commit();
    EXPECT_EQ(-1, host.grid.GetEditedRow());
    ASSERT_NE(nullptr, host.Last(kGridRowDone));
    EXPECT_EQ(1u, host.Last(kGridRowDone)->value);
    EXPECT_EQ(1, host.Count(kGridUpdating));
    EXPECT_EQ(CString(L"deux"), NameOf(2));
    EXPECT_EQ(CString(L"one"), NameOf(1));
    EXPECT_EQ(CString(L"three"), NameOf(3));
    EXPECT_EQ(CString(L"deux"), host.grid.GetItemText(1, 1));
}

TEST_P(GridDb, DecimalsKeepTheirExactText)
{
    const CString shown = host.grid.GetItemText(1, 2);
    // SQLite keeps such a number as a double; the others hand it out exactly as text.
    if (GetParam() != Db::SQLite)
    {
        EXPECT_EQ(0, shown.Find(L"1234567890123456.7891")) << CStringA(shown).GetString();
    }
    // Editing another column of the row leaves the decimal as it was.
    EditAndEnd(1, 1, L"two bis");
    Commit();
    EXPECT_EQ(CString(L"two bis"), NameOf(2));
    EXPECT_EQ(CString(L"1"),
              Query(L"SELECT COUNT(*) FROM " + table + L" WHERE amount = 1234567890123456.7891"));
}

TEST_P(GridDb, HostileTextIsStoredUnchangedWithoutTouchingOtherRows)
{
    const std::wstring longText(5000, L'x');
    const CString values[] = {L"it's \"quoted\" ''",
                              L"back\\slash\\",
                              L"0 --",
                              L"1; DELETE FROM t",
                              L"\u00dcn\u00efc\u00f6d\u00e9 \u65e5\u672c\u8a9e \u2713",
                              CString(longText.c_str())};
    for (const CString& value : values)
    {
        EditAndEnd(0, 1, value);
        Commit();
        EXPECT_EQ(-1, host.grid.GetEditedRow()) << CStringA(value.Left(40)).GetString();
        EXPECT_EQ(value, NameOf(1)) << CStringA(value.Left(40)).GetString();
        EXPECT_EQ(CString(L"two"), NameOf(2));
        EXPECT_EQ(CString(L"three"), NameOf(3));
    }
    EXPECT_EQ(CString(L"3"), Query(L"SELECT COUNT(*) FROM " + table));
}

TEST_P(GridDb, NumberTextThatIsNoNumberIsRefusedAndChangesNothing)
{
    EditAndEnd(0, 2, L"0 --");
    Commit();
    EXPECT_TRUE(host.grid.IsModified()); // the row stays in edit mode
    EXPECT_GE(host.Count(kGridEditError) + host.Count(kGridDatabaseError), 1);
    EXPECT_EQ(CString(L"set"), AmountOf(1));
    EXPECT_EQ(CString(L"set"), AmountOf(2));
    EXPECT_EQ(CString(L"null"), AmountOf(3));
    EXPECT_TRUE(host.grid.CancelEdit());
}

TEST_P(GridDb, NullSwitchStoresNull)
{
    CGridEdit* pEdit = host.grid.EditCell(0, 2);
    ASSERT_NE(nullptr, pEdit);
    EXPECT_TRUE(pEdit->m_bNullBox);
    PumpPending();
    HWND hEdit = pEdit->m_edit.m_hWnd;
    ::SendMessageW(pEdit->m_check.m_hWnd, BM_CLICK, 0, 0);
    PumpPending();
    EXPECT_EQ(1u, pEdit->m_nKind);
    PressKey(VK_RETURN, false, false, ::IsWindow(hEdit) ? hEdit : ::GetFocus());
    PumpPending();
    EXPECT_EQ(CString(L"<<NULL>>"), host.grid.GetItemText(0, 2));
    Commit();
    EXPECT_EQ(CString(L"null"), AmountOf(1));
    EXPECT_EQ(CString(L"set"), AmountOf(2));
    EXPECT_EQ(CString(L"<<NULL>>"), host.grid.GetItemText(0, 2));
}

TEST_P(GridDb, NullabilityComesFromTheColumnsOwnCursorColumn)
{
    reversedColumns = true; // list columns: amount, name, id
    Load(-1);
    CGridEdit* pEdit = host.grid.EditCell(0, 0);
    ASSERT_NE(nullptr, pEdit);
    EXPECT_TRUE(pEdit->m_bNullBox); // amount may be NULL (id, cursor column 1, may not)
    PressKey(VK_ESCAPE, false, false, pEdit->m_edit.m_hWnd);
    PumpPending();
    EXPECT_TRUE(host.grid.CancelEdit());
}

TEST_P(GridDb, InsertedRowIsStoredAndDeletedRowIsGone)
{
    ASSERT_TRUE(host.grid.InsertRow(true));
    EXPECT_TRUE(host.grid.IsInserting());
    EXPECT_EQ(3, host.grid.GetEditedRow());
    EXPECT_EQ(1, host.Count(kGridInsertMode));
    // The editor opened on the first column; type the key, Tab to the name.
    HWND hFocus = ::GetFocus();
    ::SetWindowTextW(hFocus, L"10");
    PressKey(VK_TAB, false, false, hFocus);
    PumpPending();
    EXPECT_TRUE(host.grid.IsEditing());
    EXPECT_EQ(1, host.grid.GetCurrentColumn());
    hFocus = ::GetFocus();
    ::SetWindowTextW(hFocus, L"ten");
    PressKey(VK_RETURN, false, false, hFocus);
    PumpPending();
    Commit();
    EXPECT_EQ(1, host.Count(kGridInserting));
    EXPECT_EQ(CString(L"ten"), NameOf(10));
    EXPECT_EQ(CString(L"null"), AmountOf(10));
    ASSERT_EQ(4, host.grid.GetItemCount());

    host.grid.SelectRow(1);
    PressKey(VK_DELETE, false, false, host.grid.m_hWnd);
    EXPECT_EQ(1, host.Count(kGridDeleting));
    EXPECT_EQ(CString(L"<NO ROW>"), NameOf(2));
    EXPECT_EQ(CString(L"3"), Query(L"SELECT COUNT(*) FROM " + table));
    EXPECT_EQ(3, host.grid.GetItemCount());
    EXPECT_EQ(1, host.grid.GetSelectedItem());

    host.grid.confirm = false;
    EXPECT_FALSE(host.grid.DeleteRow());
    EXPECT_EQ(CString(L"3"), Query(L"SELECT COUNT(*) FROM " + table));
}

TEST_P(GridDb, EscEndsTheEditorWithoutStoringAndCancelRestoresTheRow)
{
    EditAndEnd(0, 1, L"changed");
    EXPECT_EQ(CString(L"changed"), host.grid.GetItemText(0, 1));
    EditAndEnd(0, 2, L"99", VK_ESCAPE);
    EXPECT_FALSE(host.grid.IsEditing());
    EXPECT_TRUE(host.grid.IsModified());
    EXPECT_EQ(2, host.Count(kGridCellStored));
    PressKey(VK_ESCAPE, false, false, host.grid.m_hWnd);
    EXPECT_EQ(1, host.Count(kGridEditCancelled));
    EXPECT_FALSE(host.grid.IsModified());
    EXPECT_EQ(CString(L"one"), host.grid.GetItemText(0, 1));
    EXPECT_EQ(CString(L"one"), NameOf(1));
    EXPECT_EQ(0, host.Count(kGridUpdating));
}

TEST_P(GridDb, TabAndShiftTabWalkTheCellsAcrossRows)
{
    host.grid.ShowColumn(0, false); // the hidden id column is skipped
    EditAndEnd(0, 1, nullptr, VK_TAB);
    EXPECT_TRUE(host.grid.IsEditing());
    EXPECT_EQ(2, host.grid.GetCurrentColumn());
    // Tab past the last column goes to the first visible one of the next row.
    PressKey(VK_TAB, false, false, ::GetFocus());
    PumpPending();
    EXPECT_EQ(1, host.grid.GetEditedRow());
    EXPECT_EQ(1, host.grid.GetCurrentColumn());
    // Back again with Shift+Tab.
    PressKey(VK_TAB, true, false, ::GetFocus());
    PumpPending();
    EXPECT_EQ(0, host.grid.GetEditedRow());
    EXPECT_EQ(2, host.grid.GetCurrentColumn());
    PressKey(VK_TAB, true, false, ::GetFocus());
    PumpPending();
    EXPECT_EQ(1, host.grid.GetCurrentColumn());
    // Nothing lies before the first cell.
    PressKey(VK_TAB, true, false, ::GetFocus());
    PumpPending();
    EXPECT_FALSE(host.grid.IsEditing());
    EXPECT_EQ(0, host.grid.GetEditedRow());
    EXPECT_EQ(CString(L"one"), NameOf(1));
}

TEST_P(GridDb, TabFromTheLastCellCommitsAndOpensANewRow)
{
    conn->Exec(L"UPDATE " + table + L" SET amount = 2 WHERE id = 3");
    Load(-1);
    EditAndEnd(2, 2, L"7.25", VK_TAB);
    PumpPending();
    EXPECT_TRUE(host.grid.IsInserting());
    EXPECT_EQ(3, host.grid.GetEditedRow());
    EXPECT_EQ(0, host.grid.GetCurrentColumn());
    EXPECT_EQ(CString(L"1"),
              Query(L"SELECT COUNT(*) FROM " + table + L" WHERE amount = 7.25 AND id = 3"));
    PressKey(VK_ESCAPE, false, false, ::GetFocus());
    PumpPending();
    EXPECT_TRUE(host.grid.CancelEdit());
    EXPECT_EQ(3, host.grid.GetItemCount());
}

TEST_P(GridDb, ChoosingAnotherRowCommitsOutsideTheListNotification)
{
    EditAndEnd(0, 1, L"uno");
    ASSERT_TRUE(host.grid.IsModified());
    host.grid.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    // The owner reads everything again when the row is stored; that runs once the list's
    // notification is over.
    EXPECT_TRUE(host.grid.IsModified());
    PumpPending();
    EXPECT_FALSE(host.grid.IsModified());
    EXPECT_EQ(CString(L"uno"), NameOf(1));
    EXPECT_EQ(3, host.grid.GetItemCount());
    EXPECT_EQ(CString(L"uno"), host.grid.GetItemText(0, 1));
}

TEST_P(GridDb, ScreenshotOfNullEditedRowAndCellFrame)
{
    host.grid.SetOptions(host.grid.GetOptions() | kGridShadeOddRows);
    Load(-1);
    EditAndEnd(1, 1, L"edited");
    host.grid.SetFocus();
    host.grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ASSERT_TRUE(ql::WaitFor([&] {
        PumpPending();
        return !ql::PaintPending(host.m_hWnd);
    }));
    std::string name = std::string("grid_") + QlRsTest::DbName(GetParam()) + ".bmp";
    qltest::SaveWindowShot(host.m_hWnd, name.c_str());
    EXPECT_EQ(CString(L"<<NULL>>"), host.grid.GetItemText(2, 2));
    EXPECT_TRUE(host.grid.CancelEdit());
    // An idle grid frames the current cell of the focused row instead.
    host.grid.SelectRow(2);
    host.grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPending();
    name = std::string("grid_cell_") + QlRsTest::DbName(GetParam()) + ".bmp";
    qltest::SaveWindowShot(host.m_hWnd, name.c_str());
}

INSTANTIATE_TEST_SUITE_P(Databases, GridDb,
                         ::testing::Values(Db::SQLite, Db::PostgreSQL, Db::MariaDB),
                         [](const ::testing::TestParamInfo<Db>& info) {
                             return std::string(QlRsTest::DbName(info.param));
                         });
