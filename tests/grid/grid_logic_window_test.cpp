// The grid's saving, clipboard, cell editor and column order dialog in real windows, against
// real databases: edit and commit a row and read it back, copy a row from one grid and paste it
// into another grid on another table, the editor's NULL switch and value list, the order dialog.
#include "grid_host.h"
#include "grid/column_order_dlg.h"
#include "grid/grid_edit.h"
#include "grid_test_cursor.h"
#include "dbaccess/recordset.h"
#include "../dbaccess/conn_test_util.h"

#include <gtest/gtest.h>

#include <memory>

using namespace GridHostTest;
using namespace QlConnTest;

namespace {

void AddColumns(CRGrid& grid, Zelt::ICursor& cursor)
{
    for (int c = 1; c <= cursor.GetColumnCount(); ++c)
        grid.InsertColumn(cursor.GetColumnName(c), c, 100, LVCFMT_LEFT, -1, 0, false, 0);
}

// The editor open in the grid.
CGridEdit* OpenEditor(CRGrid& grid)
{
    for (HWND h = ::GetWindow(grid.m_hWnd, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT))
        if (CGridEdit* editor = dynamic_cast<CGridEdit*>(CWnd::FromHandlePermanent(h)))
            return editor;
    return nullptr;
}

// Types a value into the cell editor of (row, column) and ends it with Enter.
bool EditAndStore(CRGrid& grid, int row, int column, LPCWSTR text)
{
    if (grid.EditCell(row, column) == nullptr)
        return false;
    PumpPending();
    HWND hEdit = ::GetFocus();
    ::SetWindowTextW(hEdit, text);
    PressKey(VK_RETURN);
    return !grid.IsEditing();
}

class SqliteGrid : public ::testing::Test
{
protected:
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    GridHost host;
    std::unique_ptr<CRRecordset> rs;

    void SetUp() override
    {
        OpenOrFail(db, file.Connect());
        ASSERT_TRUE(host.Create(kGridLines | kGridFullRowSelect | kGridEditable));
        host.grid.m_pDatabase = &db;
        host.requery = [this] { Load(m_sql); };
    }

    void TearDown() override
    {
        host.grid.SetCursor(nullptr);
        rs.reset();
    }

    void Load(const CString& sql)
    {
        m_sql = sql;
        host.grid.SetCursor(nullptr);
        rs = std::make_unique<CRRecordset>(&db);
        ASSERT_TRUE(rs->Open(sql, RS_STATIC, RS_READONLY));
        host.grid.SetCursor(rs.get());
        AddColumns(host.grid, *rs);
        ASSERT_TRUE(host.grid.LoadRows(-1));
    }

    CString m_sql;
};

} // namespace

TEST_F(SqliteGrid, EditedCellIsSavedAndReadBackWithOtherRowsUntouched)
{
    db.ExecuteSQL(L"CREATE TABLE ql_gridsql_edit (id INTEGER PRIMARY KEY, name TEXT, n INTEGER)");
    db.ExecuteSQL(L"INSERT INTO ql_gridsql_edit VALUES (1, 'a', 10)");
    db.ExecuteSQL(L"INSERT INTO ql_gridsql_edit VALUES (2, 'b', 20)");
    Load(L"SELECT id, name, n FROM ql_gridsql_edit");
    CRPrimaryKey::CPrimaryKeyInfo key{};
    wcscpy(key.szColumnName, L"id");
    host.grid.m_primaryKey.Add(key);

    const CString hostile = L"it's \\ \"0 --\" \x00E9\x4E2D";
    ASSERT_TRUE(EditAndStore(host.grid, 1, 1, hostile));
    EXPECT_TRUE(host.grid.GetItemText(1, 1) == hostile);
    ASSERT_TRUE(host.grid.CommitRow());
    EXPECT_EQ(Narrow(hostile),
              Narrow(QueryText(db, L"SELECT name FROM ql_gridsql_edit WHERE id=2")));
    EXPECT_EQ("a", Narrow(QueryText(db, L"SELECT name FROM ql_gridsql_edit WHERE id=1")));
    EXPECT_EQ(1u, host.Last(kGridRowDone)->value);

    // A number that would cut the statement short is refused; the row stays in edit mode.
    ASSERT_TRUE(EditAndStore(host.grid, 0, 2, L"0 --"));
    EXPECT_FALSE(host.grid.CommitRow());
    ASSERT_NE(nullptr, host.Last(kGridEditError));
    EXPECT_EQ((UINT)kGridErrorInvalidData, host.Last(kGridEditError)->kind);
    EXPECT_EQ(3, host.Last(kGridEditError)->column);
    EXPECT_TRUE(host.grid.IsModified());
    EXPECT_TRUE(host.grid.CancelEdit());
    EXPECT_EQ("20", Narrow(QueryText(db, L"SELECT n FROM ql_gridsql_edit WHERE id=2")));

    // Emptying a number cell stores NULL.
    ASSERT_TRUE(EditAndStore(host.grid, 0, 2, L""));
    ASSERT_TRUE(host.grid.CommitRow());
    EXPECT_EQ("<NULL>", Narrow(QueryText(db, L"SELECT n FROM ql_gridsql_edit WHERE id=1")));
}

TEST_F(SqliteGrid, DuplicateRowsWithoutKeyAreRefused)
{
    db.ExecuteSQL(L"CREATE TABLE ql_gridsql_dup (a INTEGER, b TEXT)");
    db.ExecuteSQL(L"INSERT INTO ql_gridsql_dup VALUES (1, 'x')");
    db.ExecuteSQL(L"INSERT INTO ql_gridsql_dup VALUES (1, 'x')");
    Load(L"SELECT a, b FROM ql_gridsql_dup");
    host.grid.SelectRow(0);
    EXPECT_TRUE(host.grid.DeleteRow()); // reported, not deleted
    ASSERT_NE(nullptr, host.Last(kGridEditError));
    EXPECT_EQ((UINT)kGridErrorNoRows, host.Last(kGridEditError)->kind);
    EXPECT_EQ("2", Narrow(QueryText(db, L"SELECT COUNT(*) FROM ql_gridsql_dup")));
    EXPECT_EQ(2, host.grid.GetItemCount());
}

TEST_F(SqliteGrid, RowCopiedFromOneGridPastesIntoAnotherTable)
{
    db.ExecuteSQL(
        L"CREATE TABLE ql_gridsql_src (ID INTEGER, Name TEXT, Stamp TIMESTAMP, Note TEXT)");
    db.ExecuteSQL(
        L"INSERT INTO ql_gridsql_src VALUES (7, 'seven''s', '2020-01-02 03:04:05', NULL)");
    db.ExecuteSQL(L"CREATE TABLE ql_gridsql_dst (note TEXT, name TEXT, id INTEGER, extra TEXT)");
    Load(L"SELECT ID, Name, Stamp, Note FROM ql_gridsql_src");
    host.grid.SelectRow(0);
    ASSERT_TRUE(host.grid.CanCopy());
    ASSERT_TRUE(host.grid.Copy());
    EXPECT_TRUE(host.grid.CanPaste());

    // The plain text beside the private block.
    ASSERT_TRUE(::OpenClipboard(host.m_hWnd));
    HANDLE hText = ::GetClipboardData(CF_UNICODETEXT);
    CString text = hText ? CString((LPCWSTR)::GlobalLock(hText)) : CString();
    if (hText)
        ::GlobalUnlock(hText);
    ::CloseClipboard();
    EXPECT_EQ(0, text.Find(L"7\tseven's\t")) << Narrow(text);
    EXPECT_NE(-1, text.Find(L"\t<<NULL>>\t"));

    GridHost other;
    ASSERT_TRUE(other.Create(kGridLines | kGridFullRowSelect | kGridEditable));
    other.grid.m_pDatabase = &db;
    other.grid.m_bShowMarkers = 1;
    CRRecordset target(&db);
    ASSERT_TRUE(
        target.Open(L"SELECT note, name, id, extra FROM ql_gridsql_dst", RS_STATIC, RS_READONLY));
    other.grid.SetCursor(&target);
    AddColumns(other.grid, target);
    ASSERT_TRUE(other.grid.LoadRows(-1));
    ASSERT_TRUE(other.grid.Paste());
    ASSERT_EQ(1, other.grid.GetItemCount());
    EXPECT_TRUE(other.grid.IsInserting());
    EXPECT_EQ("seven's", Narrow(other.grid.GetItemText(0, 1)));
    EXPECT_EQ("7", Narrow(other.grid.GetItemText(0, 2)));
    EXPECT_EQ(kGridNull, other.grid.GetColumnObject(0)->m_value.m_nKind);
    ASSERT_TRUE(other.grid.CommitRow());
    other.grid.SetCursor(nullptr);
    EXPECT_EQ("seven's", Narrow(QueryText(db, L"SELECT name FROM ql_gridsql_dst WHERE id=7")));
    EXPECT_EQ("<NULL>", Narrow(QueryText(db, L"SELECT note FROM ql_gridsql_dst WHERE id=7")));
    EXPECT_EQ("1", Narrow(QueryText(db, L"SELECT COUNT(*) FROM ql_gridsql_dst")));

    // Pasting into a read-only grid does nothing.
    host.grid.SetOptions(kGridLines);
    EXPECT_FALSE(host.grid.Paste());
}

TEST_F(SqliteGrid, EditorNullSwitchEscapeAndValueList)
{
    db.ExecuteSQL(L"CREATE TABLE ql_gridsql_ed (id INTEGER, t TEXT, d TIMESTAMP)");
    db.ExecuteSQL(L"INSERT INTO ql_gridsql_ed VALUES (1, 'typed', NULL)");
    Load(L"SELECT id, t, d FROM ql_gridsql_ed");
    host.grid.GetColumnObject(1)->m_nNullable = 1;

    ASSERT_NE(nullptr, host.grid.EditCell(0, 1));
    PumpPending();
    CGridEdit* editor = OpenEditor(host.grid);
    ASSERT_NE(nullptr, editor);
    ASSERT_NE(nullptr, editor->m_check.m_hWnd);
    EXPECT_EQ(BST_CHECKED, editor->m_check.GetCheck());
    ::SetWindowTextW(editor->m_edit.m_hWnd, L"changed");
    // Ctrl+N switches to NULL: the box shows "NULL", disabled; again brings the text back.
    PressKey('N', false, true, editor->m_edit.m_hWnd);
    CString shown;
    editor->m_edit.GetWindowText(shown);
    EXPECT_EQ("NULL", Narrow(shown));
    EXPECT_FALSE(::IsWindowEnabled(editor->m_edit.m_hWnd));
    editor->m_check.SetCheck(BST_CHECKED);
    editor->SendMessage(WM_COMMAND, MAKEWPARAM(CGridEdit::idNullBox, BN_CLICKED),
                        (LPARAM)editor->m_check.m_hWnd);
    editor->m_edit.GetWindowText(shown);
    EXPECT_EQ("changed", Narrow(shown));
    // Esc stores nothing but ends the editor.
    int stored = host.Count(kGridCellStored);
    PressKey(VK_ESCAPE, false, false, editor->m_edit.m_hWnd);
    EXPECT_EQ(stored + 1, host.Count(kGridCellStored));
    EXPECT_FALSE(host.grid.IsEditing());
    EXPECT_EQ("typed", Narrow(host.grid.GetItemText(0, 1)));

    // Storing NULL through the switch.
    ASSERT_NE(nullptr, host.grid.EditCell(0, 1));
    PumpPending();
    editor = OpenEditor(host.grid);
    ASSERT_NE(nullptr, editor);
    PressKey('N', false, true, editor->m_edit.m_hWnd);
    PressKey(VK_RETURN, false, false, editor->m_edit.m_hWnd);
    EXPECT_EQ(kGridNull, host.grid.GetColumnObject(1)->m_value.m_nKind);
    EXPECT_TRUE(host.grid.CommitRow());
    EXPECT_EQ("<NULL>", Narrow(QueryText(db, L"SELECT t FROM ql_gridsql_ed WHERE id=1")));

    // A timestamp column offers the current time in its list; Enter takes it.
    ASSERT_NE(nullptr, host.grid.EditCell(0, 2));
    PumpPending();
    editor = OpenEditor(host.grid);
    ASSERT_NE(nullptr, editor);
    ASSERT_TRUE(editor->m_bListOffered);
    PressKey(VK_SPACE, false, true, editor->m_edit.m_hWnd);
    ASSERT_TRUE(editor->IsListOpen());
    EXPECT_EQ(1, editor->m_list.GetCount());
    PressKey(VK_RETURN, false, false, editor->m_list.m_hWnd);
    EXPECT_FALSE(editor->IsListOpen());
    editor->m_edit.GetWindowText(shown);
    EXPECT_EQ(19, shown.GetLength()) << Narrow(shown);
    PressKey(VK_RETURN, false, false, editor->m_edit.m_hWnd);
    EXPECT_TRUE(host.grid.CommitRow());
    EXPECT_NE("<NULL>", Narrow(QueryText(db, L"SELECT d FROM ql_gridsql_ed WHERE id=1")));
}

// The editor's list of proposed values: 15 entries high with more values, placed above the
// editor when there is more room there.
class ManyValues : public CGridEdit::CDataInterface
{
public:
    int count;
    int next = 0;
    explicit ManyValues(int n) : count(n) {}
    bool Open() override
    {
        next = 0;
        return true;
    }
    bool GetNext(CString& value) override
    {
        if (next >= count)
            return false;
        value.Format(L"value %d", next++);
        return true;
    }
};

TEST(GridEditor, ListHeightAndPlacement)
{
    GridHost host;
    ASSERT_TRUE(host.Create(kGridLines | kGridEditable, 500, 600));
    RECT client;
    host.grid.GetClientRect(&client);
    struct Case
    {
        int values;
        int top;
        bool above;
    };
    for (Case c : {Case{40, 30, false}, Case{0, 30, false}, Case{40, client.bottom - 25, true}})
    {
        CGridEdit::CDataInterface* source = new ManyValues(c.values);
        CGridEdit* editor = new CGridEdit(0, 0, CGridEdit::flagList, CGridItem(L"", 0), source);
        EXPECT_EQ(nullptr, source);
        ASSERT_TRUE(editor->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                                   CRect(10, c.top, 210, c.top + 20), &host.grid, 1000, -1));
        PumpPending();
        HWND hEditor = editor->m_hWnd;
        editor->ToggleList();
        ASSERT_TRUE(editor->IsListOpen());
        RECT list, whole;
        ::GetWindowRect(editor->m_list.m_hWnd, &list);
        ::GetWindowRect(hEditor, &whole);
        int itemHeight = (int)editor->m_list.SendMessage(LB_GETITEMHEIGHT);
        if (c.values == 40)
            EXPECT_EQ(15 * itemHeight + 2 * ::GetSystemMetrics(SM_CYFIXEDFRAME),
                      list.bottom - list.top);
        else
            EXPECT_LE(200, list.bottom - list.top);
        RECT edit;
        ::GetWindowRect(editor->m_edit.m_hWnd, &edit);
        EXPECT_EQ(c.above, list.top < edit.top);
        editor->CloseList();
        ::GetWindowRect(hEditor, &whole);
        EXPECT_EQ(20, whole.bottom - whole.top);
        host.grid.SetFocus(); // ends the editor
        PumpPending();
        EXPECT_FALSE(::IsWindow(hEditor));
    }
}

// The column order dialog moves columns in the grid as the user clicks.
TEST(GridOrderDialog, MovesApplyAtOnceAndStayAfterEscape)
{
    GridHost host;
    ASSERT_TRUE(host.Create(kGridLines));
    GridTest::TestCursor cursor;
    for (LPCWSTR name : {L"a", L"b", L"c", L"d"})
        cursor.AddColumn(name, SQL_C_WCHAR, SQL_WVARCHAR);
    host.grid.SetCursor(&cursor);
    AddColumns(host.grid, cursor);
    host.grid.ShowColumn(1, false);

    static std::vector<CString> listed;
    static int upOnFirst = -1;
    listed.clear();
    ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND hDlg = ::FindWindowW(nullptr, L"Order of columns");
        if (hDlg == nullptr)
            return;
        ::KillTimer(nullptr, id);
        HWND hList = ::GetDlgItem(hDlg, COrderDlg::idList);
        int n = (int)::SendMessageW(hList, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; ++i)
        {
            wchar_t buf[64] = {};
            ::SendMessageW(hList, LB_GETTEXT, i, (LPARAM)buf);
            listed.push_back(buf);
        }
        // Up on the first entry does nothing.
        ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(COrderDlg::idUp, BN_CLICKED), 0);
        upOnFirst = (int)::SendMessageW(hList, LB_GETCURSEL, 0, 0);
        // "c" (position 2) up twice, then "a" (now position 1) down once.
        ::SendMessageW(hList, LB_SETCURSEL, 2, 0);
        ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(COrderDlg::idUp, BN_CLICKED), 0);
        ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(COrderDlg::idUp, BN_CLICKED), 0);
        ::SendMessageW(hList, LB_SETCURSEL, 1, 0);
        ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(COrderDlg::idDown, BN_CLICKED), 0);
        ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    });
    host.grid.OrderColumns(L"Order of columns");
    ASSERT_EQ(4u, listed.size());
    EXPECT_EQ("b", Narrow(listed[1])); // hidden columns are listed too
    EXPECT_EQ(0, upOnFirst);
    std::vector<int> order(4);
    ASSERT_TRUE(host.grid.SendMessage(LVM_GETCOLUMNORDERARRAY, 4, (LPARAM)order.data()));
    EXPECT_EQ((std::vector<int>{2, 1, 0, 3}), order);
    host.grid.SetCursor(nullptr);
}

// Decimal columns shown through a numeric format keep every digit the server sent, and a row
// edited in another column writes nothing back into them.
TEST(GridDecimals, ExactTextOnPostgreSQL)
{
    CRDatabase db;
    OpenOrFail(db, QlTestDb::PostgresConnect());
    CString table;
    table.Format(L"ql_gridsql_dec_%ls", QlTestDb::UniqueTag().c_str());
    db.ExecuteSQL(L"DROP TABLE IF EXISTS " + table);
    db.ExecuteSQL(L"CREATE TABLE " + table +
                  L" (id INTEGER PRIMARY KEY, amount NUMERIC(24,4), note VARCHAR(10))");
    db.ExecuteSQL(L"INSERT INTO " + table + L" VALUES (1, 1234567890123456.7891, 'a')");
    {
        GridHost host;
        ASSERT_TRUE(host.Create(kGridLines | kGridEditable));
        host.grid.m_pDatabase = &db;
        CRRecordset rs(&db);
        ASSERT_TRUE(
            rs.Open(L"SELECT id, amount, note FROM " + table, RS_STATIC, RS_NUMERIC_AS_TEXT));
        host.grid.SetCursor(&rs);
        host.grid.InsertColumn(L"id", 1, 100, LVCFMT_LEFT, -1, 0, false, 0);
        host.grid.InsertColumn(L"amount", 2, L"%.4f", 100, LVCFMT_RIGHT, -1, 0, false, 0);
        host.grid.InsertColumn(L"amount2", 2, L"%.2f", 100, LVCFMT_RIGHT, -1, 0, false, 0);
        host.grid.InsertColumn(L"note", 3, 100, LVCFMT_LEFT, -1, 0, false, 0);
        ASSERT_TRUE(host.grid.LoadRows(-1));
        EXPECT_EQ("1234567890123456.7891", Narrow(host.grid.GetItemText(0, 1)));
        // A shorter format does not round the value: editing and copying start from this text.
        EXPECT_EQ("1234567890123456.7891", Narrow(host.grid.GetItemText(0, 2)));
        ASSERT_TRUE(EditAndStore(host.grid, 0, 3, L"b"));
        ASSERT_TRUE(host.grid.CommitRow());
        host.grid.SetCursor(nullptr);
    }
    EXPECT_EQ("1",
              Narrow(QueryText(db, L"SELECT COUNT(*) FROM " + table +
                                       L" WHERE amount = 1234567890123456.7891 AND note = 'b'")));
    db.ExecuteSQL(L"DROP TABLE " + table);
}

// Tool tips of the cell under the mouse pointer: a long value in full (wrapped when it has no
// spaces), a short one that fits gets no tip, one that does not fit shows its text.
TEST(GridToolTips, LongValuesWrappedShortOnesOnlyWhenCut)
{
    GridHost host;
    ASSERT_TRUE(host.Create(kGridLines | kGridFullRowSelect));
    GridTest::TestCursor cursor;
    cursor.AddColumn(L"t", SQL_C_WCHAR, SQL_WVARCHAR);
    cursor.AddColumn(L"n", SQL_C_LONG, SQL_INTEGER);
    cursor.rows.push_back({GridTest::Text(CString(L'x', 150)), GridTest::Text(L"1")});
    cursor.rows.push_back(
        {GridTest::Text(L"ab"), GridTest::Text(L"123456789012345678901234567890")});
    host.grid.SetCursor(&cursor);
    AddColumns(host.grid, cursor);
    ASSERT_TRUE(host.grid.LoadRows(-1));
    host.grid.SetColumnWidth(1, 40);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c)
            host.grid.GetItemText(r, c); // fills the cache as drawing would
    PumpPending();

    auto tipAt = [&](int row, int column, UINT code) -> CString {
        RECT cell = {};
        cell.top = column;
        cell.left = LVIR_BOUNDS;
        host.grid.SendMessage(LVM_GETSUBITEMRECT, row, (LPARAM)&cell);
        POINT pt = {column == 0 ? 20 : cell.left + 10, (cell.top + cell.bottom) / 2};
        ::ClientToScreen(host.grid.m_hWnd, &pt);
        ::SetCursorPos(pt.x, pt.y);
        LRESULT result = 0;
        if (code == TTN_GETDISPINFOW)
        {
            NMTTDISPINFOW info = {};
            info.hdr.code = TTN_GETDISPINFOW;
            EXPECT_TRUE(host.grid.OnToolTipText(&info.hdr, &result));
            return CString(info.lpszText);
        }
        NMTTDISPINFOA info = {};
        info.hdr.code = TTN_GETDISPINFOA;
        EXPECT_TRUE(host.grid.OnToolTipText(&info.hdr, &result));
        return CString(CStringA(info.lpszText));
    };

    CString tip = tipAt(0, 0, TTN_GETDISPINFOW);
    ASSERT_EQ(151, tip.GetLength());
    EXPECT_EQ(L'\n', tip[128]);
    EXPECT_EQ(151, tipAt(0, 0, TTN_GETDISPINFOA).GetLength());
    EXPECT_TRUE(tipAt(1, 0, TTN_GETDISPINFOW).IsEmpty());
    EXPECT_EQ("123456789012345678901234567890", Narrow(tipAt(1, 1, TTN_GETDISPINFOW)));
    host.grid.SetCursor(nullptr);
}
