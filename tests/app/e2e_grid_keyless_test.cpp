// End to end on each real database: a table without a primary key says so before its first row
// is edited; No leaves the row alone, Yes edits it, and the change reaches the database. A query
// result window, whose rows only the driver's cursor could find, says so too. Queries over a view,
// a join and (on PostgreSQL) a function's rows open their grids with the rows the server gives;
// where the driver reads such a result read-only, the first edit says it cannot be made.
#include "tests/app/e2e_save.h"
#include "tests/support/e2e_tables.h"
#include "tests/support/program_driver.h"

#include "framework/command_ids.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ql::CProgram;
using ql::Narrow;

class GridKeylessE2E : public ql::CProductScenario
{
protected:
    void SetUp() override
    {
        CProductScenario::SetUp();
        m_table = ql::CScratchDatabase::NewName(L"ql_e2e_nokey_");
        m_db.CreateTable(m_table, L"id INTEGER, v VARCHAR(20)");
        m_db.Exec(L"INSERT INTO " + m_db.Quoted(m_table) + L" VALUES (1, 'one')");
        m_db.Exec(L"INSERT INTO " + m_db.Quoted(m_table) + L" VALUES (2, 'two')");
    }

    std::wstring m_table;
};

TEST_P(GridKeylessE2E, SaysSoBeforeTheFirstEdit)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND child = ql::OpenTable(program, m_db.Schema(), m_table);
    ASSERT_NE(child, nullptr);
    HWND grid = ql::GridOf(child);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 2; }));
    const int row = program.ListItems(grid)[0] == L"2" ? 0 : 1;
    ASSERT_TRUE(program.ClickListCell(grid, row, 1));

    CProgram::PressKey(grid, VK_SPACE);
    const std::wstring notice = program.TakeMessageBox(20000, IDNO);
    EXPECT_EQ(notice.rfind(L"No key identifies the rows of this window", 0), 0u) << Narrow(notice);
    EXPECT_NE(notice.find(L"\nEdit anyway?"), std::wstring::npos);
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(CProgram::InPlaceEditor(grid), nullptr);

    CProgram::PressKey(grid, VK_SPACE);
    EXPECT_EQ(program.TakeMessageBox(20000, IDYES), notice);
    ASSERT_TRUE(CProgram::SetInPlaceValue(grid, L"deux", false, VK_RETURN));
    CProgram::PressKey(grid, VK_RETURN);
    const std::wstring saved = L"SELECT v FROM " + m_db.Quoted(m_table) + L" WHERE id = 2";
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Text(saved) == L"deux"; }))
        << Narrow(m_db.Text(saved));
    EXPECT_EQ(m_db.Text(L"SELECT v FROM " + m_db.Quoted(m_table) + L" WHERE id = 1"), L"one");
    EXPECT_EQ(program.FindMessageBox(), nullptr);

    // A query result is keyed by its table's primary key, which this one lacks: the edit is
    // refused with that reason.
    ASSERT_TRUE(ql::RunQuery(program, L"SELECT * FROM " + m_db.Quoted(m_table)));
    ASSERT_TRUE(program.WaitForActiveChild(L"SELECT"));
    HWND result = ql::GridOf(program.ActiveChild());
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(result).size() == 2; }));
    ASSERT_TRUE(program.ClickListCell(result, 0, 1));
    CProgram::PressKey(result, VK_SPACE);
    const std::wstring atCursor = program.TakeMessageBox(20000, IDOK);
    EXPECT_NE(atCursor.find(L"has no primary key"), std::wstring::npos) << Narrow(atCursor);
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(CProgram::InPlaceEditor(result), nullptr);
    EXPECT_TRUE(program.Close());
}

// Two rows the driver reads alike (SQLite: a blob in an integer column beside the text that
// reads as it, X'3132'): an edit of the one shown first is refused and neither row changes.
TEST_P(GridKeylessE2E, RowsReadAlikeAreLeftAlone)
{
    const int product = GetParam();
    if (product != ql::kE2ESQLite)
        GTEST_SKIP() << "its driver reads every value as it is stored";
    const std::wstring table = m_db.Quoted(m_table);
    m_db.Exec(L"DELETE FROM " + table);
    m_db.Exec(L"INSERT INTO " + table + L" VALUES (X'3132', 'same'), ('X''3132''', 'same')");
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND grid = ql::GridOf(ql::OpenTable(program, m_db.Schema(), m_table));
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 2; }));
    ASSERT_TRUE(program.ClickListCell(grid, 0, 1));
    CProgram::PressKey(grid, VK_SPACE);
    const std::wstring notice = program.TakeMessageBox(20000, IDYES);
    EXPECT_EQ(notice.rfind(L"No key identifies the rows of this window", 0), 0u) << Narrow(notice);
    ASSERT_TRUE(CProgram::SetInPlaceValue(grid, L"changed", false, VK_RETURN));
    CProgram::PressKey(grid, VK_RETURN);
    const std::wstring refusal = program.TakeMessageBox(20000, IDOK);
    EXPECT_EQ(refusal.rfind(L"No rows changed:\nThe row is not unique", 0), 0u) << Narrow(refusal);
    EXPECT_EQ(m_db.Text(L"SELECT COUNT(*) FROM " + table + L" WHERE v = 'same'"), L"2");
    // The refused edit is still the user's: closing asks about it, and No drops it.
    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    const std::wstring question = program.AnswerMessageBox(IDNO);
    EXPECT_EQ(question.rfind(L"The current row has changes that are not saved.", 0), 0u)
        << Narrow(question);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(m_db.Text(L"SELECT COUNT(*) FROM " + table + L" WHERE v = 'same'"), L"2");
}

// Saves the second column of a row of the grid, editing it anyway where the table has no key,
// and gives the message the save brings (empty: none).
std::wstring SaveV(CProgram& program, HWND grid, int row, const std::wstring& text)
{
    if (!program.ClickListCell(grid, row, 1))
        return L"<no cell>";
    CProgram::PressKey(grid, VK_SPACE);
    ql::WaitFor([&] {
        return CProgram::InPlaceEditor(grid) != nullptr || program.FindMessageBox() != nullptr;
    });
    if (program.FindMessageBox() != nullptr)
        program.TakeMessageBox(0, IDYES);
    if (!CProgram::SetInPlaceValue(grid, text, false, VK_RETURN))
        return L"<no editor>";
    CProgram::PressKey(grid, VK_RETURN);
    if (!program.Settle())
        return L"<busy>";
    return program.FindMessageBox() != nullptr ? program.TakeMessageBox(0, IDOK) : L"";
}

// SQLite keeps values of any kind in any column, and its driver reads some pairs alike:
// 0.10000000000000002 beside 0.1 in a DECIMAL or DOUBLE primary key. Neither row of a pair is
// changed, and the refusal names the reason: that its key's values read alike (not that the table
// wants one); a 1.5 beside a 1 in an INT key reads as it is, and each row is changed alone. In a
// table without a key, 'abc' in an INTEGER column and a date that is not in the calendar show,
// copy and save as the text the file holds, beside true NULLs; each row is changed alone.
TEST_P(GridKeylessE2E, SQLiteValuesReadAlikeAreLeftAlone)
{
    if (GetParam() != ql::kE2ESQLite)
        GTEST_SKIP() << "the servers keep values of their columns' types";
    struct KeyCase
    {
        const wchar_t* type;
        const wchar_t* rows;
        const wchar_t* shown;
    };
    const KeyCase keys[] = {
        {L"DECIMAL(20,10)", L"(0.1, 'one'), (0.10000000000000002, 'two')", L"0.1"},
        {L"DOUBLE", L"(0.1, 'one'), (0.10000000000000002, 'two')", L"0.1"}};
    std::vector<std::wstring> keyed;
    for (const KeyCase& key : keys)
    {
        keyed.push_back(m_table + L"_" + std::to_wstring(keyed.size()));
        m_db.CreateTable(keyed.back(), std::wstring(L"id ") + key.type + L" PRIMARY KEY, v TEXT");
        m_db.Exec(L"INSERT INTO " + m_db.Quoted(keyed.back()) + L" VALUES " + key.rows);
    }
    const std::wstring table = m_db.Quoted(m_table);
    m_db.Exec(L"DELETE FROM " + table);
    m_db.Exec(L"ALTER TABLE " + table + L" ADD COLUMN d DATE");
    m_db.Exec(L"INSERT INTO " + table +
              L" VALUES (1, 'same', '2024-02-30'), (1, 'same', NULL),"
              L" ('abc', 'also', NULL), (NULL, 'also', NULL)");
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));

    for (size_t k = 0; k < keyed.size(); ++k)
    {
        SCOPED_TRACE(Narrow(keys[k].type));
        HWND grid = ql::GridOf(ql::OpenTable(program, m_db.Schema(), keyed[k]));
        ASSERT_NE(grid, nullptr);
        ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 2; }));
        EXPECT_EQ(program.ListItems(grid, 0)[0], keys[k].shown);
        EXPECT_EQ(program.ListItems(grid, 0)[1], keys[k].shown);
        for (int row = 0; row < 2; ++row)
        {
            const std::wstring refusal = SaveV(program, grid, row, L"changed");
            EXPECT_EQ(refusal.rfind(L"No rows changed:\nThe row's key does not tell it apart", 0),
                      0u)
                << Narrow(refusal);
            EXPECT_EQ(refusal.find(L"Give the table a primary key"), std::wstring::npos);
            CProgram::PressKey(grid, VK_ESCAPE);
            ASSERT_TRUE(program.Settle());
        }
        EXPECT_EQ(m_db.Column(L"SELECT v FROM " + m_db.Quoted(keyed[k]) + L" ORDER BY id"),
                  (std::vector<std::wstring>{L"one", L"two"}));
    }

    const std::wstring intKeyed = m_table + L"_int";
    m_db.CreateTable(intKeyed, L"id INT PRIMARY KEY, v TEXT");
    m_db.Exec(L"INSERT INTO " + m_db.Quoted(intKeyed) + L" VALUES (1, 'one'), (1.5, 'two')");
    {
        HWND grid = ql::GridOf(ql::OpenTable(program, m_db.Schema(), intKeyed));
        ASSERT_NE(grid, nullptr);
        ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 2; }));
        EXPECT_EQ(program.ListItems(grid, 0), (std::vector<std::wstring>{L"1", L"1.5"}));
        EXPECT_EQ(SaveV(program, grid, 1, L"second"), L"");
        EXPECT_TRUE(ql::WaitFor([&] {
            return m_db.Column(L"SELECT v FROM " + m_db.Quoted(intKeyed) + L" ORDER BY id") ==
                   std::vector<std::wstring>{L"one", L"second"};
        }));
    }

    HWND grid = ql::GridOf(ql::OpenTable(program, m_db.Schema(), m_table));
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 4; }));
    EXPECT_EQ(program.ListItems(grid, 0),
              (std::vector<std::wstring>{L"1", L"1", L"abc", L"<<NULL>>"}));
    EXPECT_EQ(program.ListItems(grid, 2),
              (std::vector<std::wstring>{L"2024-02-30", L"<<NULL>>", L"<<NULL>>", L"<<NULL>>"}));

    ASSERT_TRUE(program.ClickListCell(grid, 2, 0));
    program.PostCommand(ID_EDIT_COPY);
    EXPECT_TRUE(ql::WaitFor([&] { return ql::ClipboardText() == L"abc\talso\t<<NULL>>\t"; }))
        << Narrow(ql::ClipboardText());
    const std::wstring csv = ql::ScratchFolder(L"keyless_" + ql::UniqueSuffix()) + L"\\unlike.csv";
    ASSERT_TRUE(QlSave::SaveGridAs(program, csv, L"Comma separated"));
    const std::wstring text = QlSave::WriteCommaSeparated(program, csv);
    for (const wchar_t* line :
         {L"\n1,same,2024-02-30\n", L"\n1,same,\n", L"\nabc,also,\n", L"\n,also,\n"})
        EXPECT_NE(text.find(line), std::wstring::npos) << Narrow(line) << " in " << Narrow(text);

    // Each row is identified by its values as the file holds them, the NULLs too.
    for (int row : {0, 1, 2, 3})
        EXPECT_EQ(SaveV(program, grid, row, L"changed" + std::to_wstring(row)), L"") << row;
    const std::wstring stored = L"SELECT COALESCE(id, 'NULL') || '|' || v || '|' || "
                                L"COALESCE(d, 'NULL') FROM " +
                                table + L" ORDER BY rowid";
    const std::vector<std::wstring> expected = {L"1|changed0|2024-02-30", L"1|changed1|NULL",
                                                L"abc|changed2|NULL", L"NULL|changed3|NULL"};
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Column(stored) == expected; }))
        << Narrow(m_db.Column(stored)[1]) << " " << Narrow(m_db.Column(stored)[3]);
    program.Kill();
}

// Characters beyond U+FFFF fill a VARCHAR(4) with eight UTF-16 units: on every product such a
// value shows, copies and saves whole (CSV, an INSERT script the product's own client replays),
// and finds its row when another column of a table without a key is edited. The values are
// checked as the server holds them, in hexadecimal.
TEST_P(GridKeylessE2E, CharactersBeyondTheBasicPlaneAreReadWhole)
{
    const int product = GetParam();
    const std::wstring name = ql::CScratchDatabase::NewName(L"ql_e2e_emoji_");
    const std::wstring table = m_db.Quoted(name);
    m_db.CreateTable(name, L"id INTEGER, v VARCHAR(20), e VARCHAR(4)");
    const std::wstring face = L"\U0001F600", four = face + face + face + face;
    // SQLite's driver takes statement text as 8 bits: its characters are spelled as numbers.
    if (product == ql::kE2ESQLite)
        m_db.Exec(L"INSERT INTO " + table + L" VALUES (1, 'one', char(128512, 128512, 128512, " +
                  L"128512)), (2, 'two', char(128512) || ' ok')");
    else
        m_db.Exec(L"INSERT INTO " + table + L" VALUES (1, 'one', '" + four + L"'), (2, 'two', '" +
                  face + L" ok')");
    const std::wstring hex =
        product == ql::kE2EPostgres ? L"upper(encode(convert_to(e, 'UTF8'), 'hex'))" : L"hex(e)";
    const std::wstring row = product == ql::kE2EMariaDB ? L"CONCAT(id, ':', v, ':', " + hex + L")"
                                                        : L"id || ':' || v || ':' || " + hex;
    const std::wstring held = L"SELECT " + row + L" FROM " + table + L" ORDER BY id";
    const std::vector<std::wstring> asInserted = {L"1:one:F09F9880F09F9880F09F9880F09F9880",
                                                  L"2:two:F09F9880206F6B"};
    ASSERT_EQ(m_db.Column(held), asInserted);

    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND grid = ql::GridOf(ql::OpenTable(program, m_db.Schema(), name));
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 2; }));
    const int first = program.ListItems(grid)[0] == L"1" ? 0 : 1;
    EXPECT_EQ(program.ListItems(grid, 2)[first], four);
    EXPECT_EQ(program.ListItems(grid, 2)[1 - first], face + L" ok");

    ASSERT_TRUE(program.ClickListCell(grid, first, 2));
    program.PostCommand(ID_EDIT_COPY_VALUE);
    EXPECT_TRUE(ql::WaitFor([&] { return ql::ClipboardText() == four; }))
        << Narrow(ql::ClipboardText());
    program.PostCommand(ID_EDIT_COPY);
    EXPECT_TRUE(ql::WaitFor([&] { return ql::ClipboardText() == L"1\tone\t" + four + L"\t"; }))
        << Narrow(ql::ClipboardText());
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    // The value editor opens with the value whole.
    program.PostCommand(ID_EDIT_VALUE);
    ql::WaitFor([&] {
        return program.FindDialog(L"Edit e") != nullptr || program.FindMessageBox() != nullptr;
    });
    if (program.FindMessageBox() != nullptr)
        program.TakeMessageBox(0, IDYES); // no key identifies the rows
    HWND dlg = program.WaitForDialog(L"Edit e");
    ASSERT_NE(dlg, nullptr) << program.Describe();
    EXPECT_EQ(CProgram::Text(dlg, IDC_VALUE_EDITOR), four);
    CProgram::Click(dlg, IDCANCEL);
    ASSERT_TRUE(ql::WaitFor([&] { return !IsWindow(dlg); }));
    ASSERT_TRUE(program.Settle());

    const std::wstring folder = ql::ScratchFolder(L"emoji_" + ql::UniqueSuffix());
    const std::wstring csv = folder + L"\\emoji.csv";
    ASSERT_TRUE(QlSave::SaveGridAs(program, csv, L"Comma separated"));
    const std::wstring text = QlSave::WriteCommaSeparated(program, csv);
    EXPECT_NE(text.find(L"\n1,one," + four + L"\n"), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(L"\n2,two," + face + L" ok\n"), std::wstring::npos) << Narrow(text);

    const std::wstring html = folder + L"\\emoji.htm";
    ASSERT_TRUE(QlSave::SaveGridAs(program, html, L"HTML"));
    ASSERT_FALSE(CProgram::WaitForClosedFile(html).empty());
    ql::CHtmlCells cells;
    std::string read;
    ASSERT_TRUE(ql::ReadHtmlCells(html, cells, &read)) << read;
    ASSERT_EQ(cells.rows.size(), 3u);
    EXPECT_EQ(cells.rows[1 + first], (std::vector<std::wstring>{L"1", L"one", four}));

    const std::wstring book = folder + L"\\emoji";
    ASSERT_TRUE(QlSave::SaveGridAs(program, book, L"Excel"));
    ASSERT_FALSE(CProgram::WaitForClosedFile(book + L".xlsx").empty());
    ql::CWorkbookCells sheet;
    ASSERT_TRUE(ql::ReadWorkbookCells(book + L".xlsx", sheet, &read)) << read;
    ASSERT_GE(sheet.rows.size(), 2u);
    EXPECT_EQ(sheet.rows[sheet.rows.size() - 2 + first],
              (std::vector<std::wstring>{L"1", L"one", four}));

    const std::wstring script = folder + L"\\emoji.sql";
    ASSERT_TRUE(QlSave::SaveGridAs(program, script, L"SQL script"));
    const std::string inserts = QlSave::WritePostgresScript(program, script);
    ASSERT_NE(inserts.find("INSERT INTO"), std::string::npos) << inserts;
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();

    // The edit of the other column of the row of four finds it by its value.
    EXPECT_EQ(SaveV(program, grid, first, L"changed"), L"");
    const std::vector<std::wstring> edited = {L"1:changed:F09F9880F09F9880F09F9880F09F9880",
                                              asInserted[1]};
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Column(held) == edited; }))
        << Narrow(m_db.Column(held)[0]);
    program.Kill();

    // The script replayed by the product's own client gives the rows as they were saved.
    m_db.Exec(L"DELETE FROM " + table);
    std::string out;
    const std::wstring file = L"'" + ql::UnixPath(script) + L"'";
    int rc = -1;
    if (product == ql::kE2EPostgres)
    {
        rc = ql::RunPsqlScript(script, L"public", &out);
    }
    else if (product == ql::kE2EMariaDB)
    {
        rc = ql::RunNative(L"mysql --default-character-set=utf8mb4 -h 127.0.0.1 -u quenlark "
                           L"-pquenlark quenlark < " +
                               file,
                           &out);
    }
    else
    {
        const std::wstring connect = m_db.Connect();
        const size_t at = connect.find(L"Database=") + 9;
        const std::wstring path = connect.substr(at, connect.find(L';', at) - at);
        rc = ql::RunNative(L"(echo 'BEGIN;'; cat " + file + L") | sqlite3 -bail '" + path + L"'",
                           &out);
    }
    ASSERT_EQ(rc, 0) << out << "\n" << inserts;
    EXPECT_EQ(m_db.Column(held), asInserted) << inserts;
}

// SQLite keeps every value as it is given: one of every storage class in INTEGER, REAL, BOOLEAN,
// DATE and TEXT columns of a table without a key shows and copies as the file holds it (1.5, not
// 1; 'yes', not NULL; 2, not 1; a date with its time), an edit of another column of its row lands
// on that row alone (rowid 3 (2, 2, 'p') beside rowid 4 (2, 1, 'p'): never the other), and the
// INSERT script for SQLite replayed by sqlite3 holds each value of the same class, a blob read as
// X'00FF' as the blob and a text of that form (X'0102') as the text.
TEST_P(GridKeylessE2E, SQLiteValuesKeepTheirStorageClass)
{
    if (GetParam() != ql::kE2ESQLite)
        GTEST_SKIP() << "the servers keep values of their columns' types";
    const std::wstring name = m_table + L"_sc";
    const std::wstring columns =
        L"i INTEGER, note TEXT, r REAL, b BOOLEAN, d DATE, x TEXT, t DATETIME";
    m_db.CreateTable(name, columns);
    const std::wstring table = m_db.Quoted(name);
    m_db.Exec(L"INSERT INTO " + table +
              L" VALUES (1, 'same', 1.5, 1, '2024-02-29', 'a', '2024-02-29 10:00:00'),"
              L" (1.5, 'same', 'abc', 'yes', '2024-02-29T10:00', X'00FF', "
              L"'2024-02-29 10:00:00.125'),"
              L" (2, 'same', 2.5, 2, 12, 'p', NULL), (2, 'same', 2.5, 1, 12, 'p', NULL),"
              L" (X'00FF', 'same', X'00FF', 'no', 1.5, NULL, NULL),"
              L" ('X''0102''', 'same', 'X''0A''', 0, 'X''''', 'X''0A0B''', NULL)");
    // Each value's class and quote(), the TEXT column's apart after a '|'. (A shell line of the
    // replay holds it: no quotes in it.)
    const std::wstring held = L"SELECT quote(i) || typeof(i) || quote(r) || typeof(r) || "
                              L"quote(b) || typeof(b) || quote(d) || typeof(d) || char(124) || "
                              L"quote(x) || typeof(x) || quote(t) || typeof(t) FROM " +
                              name + L" ORDER BY rowid";
    const std::vector<std::wstring> before = m_db.Column(held);
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND grid = ql::GridOf(ql::OpenTable(program, m_db.Schema(), name));
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 6; }));
    EXPECT_EQ(program.ListItems(grid, 0),
              (std::vector<std::wstring>{L"1", L"1.5", L"2", L"2", L"X'00FF'", L"X'0102'"}));
    EXPECT_EQ(program.ListItems(grid, 2),
              (std::vector<std::wstring>{L"1.5", L"abc", L"2.5", L"2.5", L"X'00FF'", L"X'0A'"}));
    EXPECT_EQ(program.ListItems(grid, 3),
              (std::vector<std::wstring>{L"1", L"yes", L"2", L"1", L"no", L"0"}));
    const std::vector<std::wstring> dates = program.ListItems(grid, 4);
    ASSERT_EQ(dates.size(), 6u);
    EXPECT_EQ(dates[1], L"2024-02-29T10:00");
    EXPECT_EQ(dates[2], L"12");
    EXPECT_EQ(dates[4], L"1.5");
    EXPECT_EQ(program.ListItems(grid, 5)[1], L"X'00FF'");

    ASSERT_TRUE(program.ClickListCell(grid, 1, 0));
    program.PostCommand(ID_EDIT_COPY);
    EXPECT_TRUE(ql::WaitFor([&] {
        return ql::ClipboardText().rfind(L"1.5\tsame\tabc\tyes\t2024-02-29T10:00\tX'00FF'", 0) == 0;
    })) << Narrow(ql::ClipboardText());

    // The INSERT script, replayed by sqlite3 into a table of the same columns (in a transaction,
    // which the script's COMMIT ends).
    const std::wstring script =
        ql::ScratchFolder(L"keyless_" + ql::UniqueSuffix()) + L"\\classes.sql";
    ASSERT_TRUE(QlSave::SaveGridAs(program, script, L"SQL script"));
    ASSERT_FALSE(QlSave::WriteInsertScript(program, script, 5).empty());
    const std::wstring replay = L"/tmp/quenlark-replay-" + ql::UniqueSuffix() + L".db";
    std::string out;
    ASSERT_EQ(ql::RunNative(L"(echo 'CREATE TABLE " + name + L" (" + columns +
                                L"); BEGIN;'; cat '" + ql::UnixPath(script) +
                                L"') | sqlite3 -bail " + replay + L" && sqlite3 " + replay + L" '" +
                                held + L"' </dev/null",
                            &out),
              0)
        << out;
    DeleteFileW((L"Z:" + replay).c_str());
    std::vector<std::wstring> replayed = ql::Split(std::wstring(CString(out.c_str())), L'\n');
    while (!replayed.empty() && replayed.back().empty())
        replayed.pop_back();
    EXPECT_EQ(replayed, before) << out;

    // An edit of another column lands on the row shown, rowid 3 and not its look-alike, and on
    // the rows holding values of other classes; no value changes but the one edited.
    EXPECT_EQ(SaveV(program, grid, 2, L"third"), L"");
    EXPECT_EQ(SaveV(program, grid, 1, L"second"), L"");
    EXPECT_EQ(SaveV(program, grid, 4, L"fifth"), L"");
    EXPECT_EQ(SaveV(program, grid, 5, L"sixth"), L"");
    const std::wstring notes = L"SELECT note FROM " + table + L" ORDER BY rowid";
    const std::vector<std::wstring> expected = {L"same", L"second", L"third",
                                                L"same", L"fifth",  L"sixth"};
    EXPECT_TRUE(ql::WaitFor([&] { return m_db.Column(notes) == expected; }))
        << Narrow(m_db.Column(notes)[2]) << " " << Narrow(m_db.Column(notes)[3]);
    EXPECT_EQ(m_db.Column(held), before);
    program.Kill();
}

// The session's time zone changed after the rows were read: a MariaDB TIMESTAMP read as 10:00 UTC
// would be taken as 10:00 in Tokyo, which is the row at 01:00 UTC beside it. The edit is refused
// with the reason; once the window is refreshed its rows are read in the new zone and the edit
// lands on the row chosen. A PostgreSQL timestamptz comes with its offset and finds its row.
TEST_P(GridKeylessE2E, TimestampsReadInAnotherSessionZoneAreLeftAlone)
{
    const int product = GetParam();
    if (product == ql::kE2ESQLite)
        GTEST_SKIP() << "SQLite has no session time zone";
    const bool pg = product == ql::kE2EPostgres;
    const std::wstring table = m_db.Quoted(m_table);
    const std::wstring utc = pg ? L"SET TIME ZONE 'UTC'" : L"SET time_zone = '+00:00'";
    const std::wstring tokyo = pg ? L"SET TIME ZONE 'Asia/Tokyo'" : L"SET time_zone = '+09:00'";
    m_db.Exec(L"DELETE FROM " + table);
    m_db.Exec(L"ALTER TABLE " + table + (pg ? L" ADD ts TIMESTAMPTZ" : L" ADD ts TIMESTAMP NULL"));
    m_db.Exec(utc);
    m_db.Exec(L"INSERT INTO " + table +
              L" VALUES (1, 'same', '2024-01-01 10:00:00'), (1, 'same', '2024-01-01 01:00:00')");
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    ASSERT_TRUE(ql::RunQuery(program, utc));
    program.TakeMessageBox();
    HWND child = ql::OpenTable(program, m_db.Schema(), m_table);
    HWND grid = ql::GridOf(child);
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 2; }));
    auto rowShowing = [&](const std::wstring& time) {
        const auto stamps = program.ListItems(grid, 2);
        for (size_t row = 0; row < stamps.size(); ++row)
            if (stamps[row].find(time) != std::wstring::npos)
                return static_cast<int>(row);
        return -1;
    };
    ASSERT_NE(rowShowing(L" 10:00:00"), -1) << Narrow(program.ListItems(grid, 2)[0]);
    ASSERT_TRUE(ql::RunQuery(program, tokyo));
    program.TakeMessageBox();
    ASSERT_TRUE(ql::WaitFor([&] { return program.ActiveChild() == child; }));

    const std::wstring byStamp = L"SELECT v FROM " + table + L" ORDER BY ts";
    if (pg)
    {
        // A table window reads a timestamptz with its offset, which names its instant in any
        // zone: the row is found by it.
        EXPECT_EQ(SaveV(program, grid, rowShowing(L" 10:00:00"), L"changed"), L"");
        EXPECT_TRUE(ql::WaitFor([&] {
            return m_db.Column(byStamp) == std::vector<std::wstring>{L"same", L"changed"};
        })) << Narrow(m_db.Column(byStamp)[0]);
        program.Kill();
        return;
    }
    const std::wstring refusal = SaveV(program, grid, rowShowing(L" 10:00:00"), L"changed");
    EXPECT_EQ(refusal.rfind(L"No rows changed:\nThe row cannot be identified", 0), 0u)
        << Narrow(refusal);
    EXPECT_NE(refusal.find(L"time zone"), std::wstring::npos) << Narrow(refusal);
    EXPECT_EQ(m_db.Column(byStamp), (std::vector<std::wstring>{L"same", L"same"}));

    CProgram::PressKey(grid, VK_ESCAPE);
    ASSERT_TRUE(program.Settle());
    program.PostCommand(ID_QUERY_REFRESH);
    ASSERT_TRUE(ql::WaitFor([&] { return rowShowing(L" 19:00:00") != -1; }));
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(SaveV(program, grid, rowShowing(L" 19:00:00"), L"changed"), L"");
    EXPECT_TRUE(ql::WaitFor([&] {
        return m_db.Column(byStamp) == std::vector<std::wstring>{L"same", L"changed"};
    })) << Narrow(m_db.Column(byStamp)[0]);
    program.Kill();
}

// MariaDB's zero dates ('0000-00-00') and dates with a zero month or day, which its driver hands
// over as NULL or will not take as parameters: shown as the dates they are beside a true NULL,
// each row edited alone, and saved as CSV as shown.
TEST_P(GridKeylessE2E, MariaDBZeroDatesAreDatesOfTheirOwn)
{
    if (GetParam() != ql::kE2EMariaDB)
        GTEST_SKIP() << "only MariaDB and MySQL store such dates";
    const std::wstring table = m_db.Quoted(m_table);
    m_db.Exec(L"DELETE FROM " + table);
    m_db.Exec(L"ALTER TABLE " + table + L" MODIFY id DATE NULL");
    m_db.Exec(L"SET SESSION sql_mode = ''");
    m_db.Exec(L"INSERT INTO " + table +
              L" VALUES ('0000-00-00', 'zero'), (NULL, 'null'), ('2020-00-00', 'part')");
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND grid = ql::GridOf(ql::OpenTable(program, m_db.Schema(), m_table));
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 3; }));
    const std::vector<std::wstring> values = program.ListItems(grid, 1);
    const std::vector<std::wstring> dates = program.ListItems(grid, 0);
    auto rowOf = [&](const wchar_t* value) {
        return static_cast<int>(std::find(values.begin(), values.end(), value) - values.begin());
    };
    ASSERT_EQ(dates[rowOf(L"zero")], L"0/00/00");
    ASSERT_EQ(dates[rowOf(L"part")], L"2020/00/00");
    EXPECT_NE(dates[rowOf(L"null")], L"0/00/00");

    bool first = true;
    for (const wchar_t* value : {L"zero", L"part"})
    {
        ASSERT_TRUE(program.ClickListCell(grid, rowOf(value), 1));
        CProgram::PressKey(grid, VK_SPACE);
        // (Asked before the first edit of the window.)
        if (first)
            EXPECT_EQ(program.TakeMessageBox(20000, IDYES).rfind(L"No key identifies", 0), 0u);
        first = false;
        ASSERT_TRUE(
            CProgram::SetInPlaceValue(grid, std::wstring(value) + L" changed", false, VK_RETURN));
        CProgram::PressKey(grid, VK_RETURN);
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();
    }
    EXPECT_TRUE(ql::WaitFor([&] {
        return m_db.Column(L"SELECT CONCAT(COALESCE(CAST(id AS CHAR), 'NULL'), ' ', v) FROM " +
                           table + L" ORDER BY v") ==
               std::vector<std::wstring>{L"NULL null", L"2020-00-00 part changed",
                                         L"0000-00-00 zero changed"};
    })) << Narrow(m_db.Text(L"SELECT GROUP_CONCAT(v) FROM " + table));

    const std::wstring csv = ql::ScratchFolder(L"zero_dates_" + ql::UniqueSuffix()) + L"\\z.csv";
    program.PostCommand(ID_QUERY_SAVE_DATA);
    HWND save = program.WaitForDialog(L"Save As");
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(CProgram::ChooseSaveFile(save, csv, L"Comma separated"));
    const std::wstring text = QlSave::WriteCommaSeparated(program, csv);
    EXPECT_NE(text.find(L"\n0/00/00,zero changed\n"), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(L"\n2020/00/00,part changed\n"), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(L"\n,null\n"), std::wstring::npos) << Narrow(text);
    EXPECT_TRUE(program.Close());
}

// Edits keep the window as it is: an edited row stays where it was with its new values (a
// PostgreSQL server writes an updated row elsewhere, and a table read again would show it last),
// the selection stays on it, and the next row down is the one the next edit changes. A new row
// shows the values the server gave it (its serial number, a default); a deleted row's neighbours
// keep their order. Each change is checked from another session.
TEST_P(GridKeylessE2E, EditsKeepEveryRowInPlace)
{
    const int product = GetParam();
    const std::wstring name = ql::CScratchDatabase::NewName(L"ql_e2e_inplace_");
    const std::wstring table = m_db.Quoted(name);
    const wchar_t* serial = product == ql::kE2EPostgres  ? L"SERIAL PRIMARY KEY"
                            : product == ql::kE2EMariaDB ? L"INTEGER AUTO_INCREMENT PRIMARY KEY"
                                                         : L"INTEGER PRIMARY KEY";
    m_db.CreateTable(name,
                     std::wstring(L"id ") + serial + L", v VARCHAR(20), d INTEGER DEFAULT 42");
    m_db.Exec(L"INSERT INTO " + table + L" (v) VALUES ('a'), ('b'), ('c'), ('d')");
    const std::wstring stored = L"SELECT v FROM " + table + L" ORDER BY id";
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    HWND grid = ql::GridOf(ql::OpenTable(program, m_db.Schema(), name));
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(ql::WaitFor([&] { return program.ListItems(grid).size() == 4; }));
    const std::vector<std::wstring> ids = {L"1", L"2", L"3", L"4"};
    ASSERT_EQ(program.ListItems(grid, 0), ids);

    EXPECT_EQ(SaveV(program, grid, 0, L"a1"), L"");
    EXPECT_EQ(m_db.Column(stored), (std::vector<std::wstring>{L"a1", L"b", L"c", L"d"}));
    EXPECT_EQ(program.ListItems(grid, 0), ids);
    EXPECT_EQ(program.ListItems(grid, 1), (std::vector<std::wstring>{L"a1", L"b", L"c", L"d"}));
    EXPECT_EQ(CProgram::ListSelection(grid), 0);
    EXPECT_EQ(SaveV(program, grid, 1, L"b1"), L"");
    EXPECT_EQ(m_db.Column(stored), (std::vector<std::wstring>{L"a1", L"b1", L"c", L"d"}));
    EXPECT_EQ(program.ListItems(grid, 0), ids);
    EXPECT_EQ(CProgram::ListSelection(grid), 1);

    // A new row: its id and d left to the server.
    program.PostCommand(ID_EDIT_INSERT);
    ASSERT_TRUE(CProgram::SetInPlaceValue(grid, L"", false, VK_TAB));
    ASSERT_TRUE(CProgram::SetInPlaceValue(grid, L"e", false, VK_RETURN));
    CProgram::PressKey(grid, VK_RETURN);
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_EQ(m_db.Text(L"SELECT id FROM " + table + L" WHERE v = 'e'"), L"5");
    EXPECT_EQ(m_db.Text(L"SELECT d FROM " + table + L" WHERE v = 'e'"), L"42");
    EXPECT_EQ(program.ListItems(grid, 0),
              (std::vector<std::wstring>{L"1", L"2", L"3", L"4", L"5"}));
    EXPECT_EQ(program.ListItems(grid, 2)[4], L"42");
    EXPECT_EQ(CProgram::ListSelection(grid), 4);

    ASSERT_TRUE(program.ClickListCell(grid, 1, 1));
    program.PostCommand(ID_EDIT_DELETE);
    program.TakeMessageBox(20000, IDYES);
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(m_db.Column(stored), (std::vector<std::wstring>{L"a1", L"c", L"d", L"e"}));
    EXPECT_EQ(program.ListItems(grid, 0), (std::vector<std::wstring>{L"1", L"3", L"4", L"5"}));
    EXPECT_EQ(SaveV(program, grid, 1, L"c1"), L"");
    EXPECT_EQ(m_db.Column(stored), (std::vector<std::wstring>{L"a1", L"c1", L"d", L"e"}));
    EXPECT_EQ(program.ListItems(grid, 1), (std::vector<std::wstring>{L"a1", L"c1", L"d", L"e"}));
    // Save Data writes what the table holds: the rows in place are those rows.
    const std::wstring csv = ql::ScratchFolder(L"inplace_" + ql::UniqueSuffix()) + L"\\rows.csv";
    ASSERT_TRUE(QlSave::SaveGridAs(program, csv, L"Comma separated"));
    const std::wstring text = QlSave::WriteCommaSeparated(program, csv);
    for (const wchar_t* line : {L"\n1,a1,42\n", L"\n3,c1,42\n", L"\n4,d,42\n", L"\n5,e,42"})
        EXPECT_NE(text.find(line), std::wstring::npos) << Narrow(line) << " in " << Narrow(text);
    EXPECT_EQ(text.find(L"\n2,"), std::wstring::npos) << Narrow(text);
    EXPECT_TRUE(program.Close());
}

QL_ON_EVERY_PRODUCT(GridKeylessE2E);

class QueryResultsE2E : public GridKeylessE2E
{
protected:
    void SetUp() override
    {
        GridKeylessE2E::SetUp();
        m_view = m_table + L"_v";
        m_db.Exec(L"CREATE VIEW " + m_db.Quoted(m_view) + L" AS SELECT * FROM " +
                  m_db.Quoted(m_table));
        if (m_db.Product() == ql::kE2EPostgres)
        {
            m_function = m_table + L"_f";
            m_db.Exec(L"CREATE FUNCTION " + m_db.Quoted(m_function) + L"() RETURNS SETOF " +
                      m_db.Quoted(m_table) + L" LANGUAGE sql AS 'SELECT * FROM " +
                      m_db.Quoted(m_table) + L"'");
        }
    }
    void TearDown() override
    {
        GridKeylessE2E::TearDown();
        // Before the table they depend on, which the scratch database drops last.
        if (!m_function.empty())
            QlConnTest::Catch([&] {
                m_db.Db().ExecuteSQL((L"DROP FUNCTION " + m_db.Quoted(m_function)).c_str());
            });
        QlConnTest::Catch(
            [&] { m_db.Db().ExecuteSQL((L"DROP VIEW " + m_db.Quoted(m_view)).c_str()); });
    }

    // Runs the query and gives the grid of the new window it opens once it shows both rows, or
    // null with the reason (the error the program showed instead).
    HWND Opens(const std::wstring& sql, std::wstring& why)
    {
        HWND before = program.ActiveChild();
        if (!ql::RunQuery(program, sql))
        {
            why = L"no SQL Query dialog";
            return nullptr;
        }
        HWND grid = nullptr;
        HWND box = nullptr;
        ql::WaitFor([&] {
            if ((box = program.FindMessageBox()) != nullptr)
                return true;
            HWND child = program.ActiveChild();
            grid = child != before ? ql::GridOf(child) : nullptr;
            return grid != nullptr && program.ListItems(grid).size() == 2;
        });
        if (box != nullptr)
        {
            why = program.TakeMessageBox();
            return nullptr;
        }
        if (grid == nullptr)
            why = L"no new window";
        return grid;
    }

    std::wstring m_view;
    std::wstring m_function;
};

TEST_P(QueryResultsE2E, ViewJoinAndFunctionRowsOpenTheirGrids)
{
    ASSERT_TRUE(program.StartConnected(m_db.Connect()));
    const std::wstring view = m_db.Quoted(m_view), table = m_db.Quoted(m_table);
    // In the order a user meets them: the view's windows stay open while the function's rows
    // are read, and the queries after that still run on the same connection.
    std::vector<std::wstring> queries = {
        L"SELECT * FROM " + view,
        L"select v, id from " + view + L" where id > 0",
    };
    if (!m_function.empty())
        queries.push_back(L"SELECT * FROM " + m_db.Quoted(m_function) + L"()");
    queries.push_back(L"SELECT a.id, b.v FROM " + table + L" a JOIN " + view +
                      L" b ON a.id = b.id");
    if (!m_function.empty())
        queries.push_back(L"SELECT * FROM " + m_db.Quoted(m_function) + L"() ORDER BY 1");
    // Rows read to be locked open read-only too.
    if (m_db.Product() == ql::kE2EPostgres)
    {
        queries.push_back(L"SELECT * FROM " + table + L" FOR UPDATE");
        queries.push_back(L"SELECT * FROM " + table + L" for no key update");
        queries.push_back(L"SELECT * FROM " + table + L" FOR SHARE");
    }
    for (const std::wstring& sql : queries)
    {
        std::wstring why;
        HWND grid = Opens(sql, why);
        ASSERT_NE(grid, nullptr) << Narrow(sql) << ": " << Narrow(why);
        const int idColumn = sql.rfind(L"select v", 0) == 0 ? 1 : 0;
        EXPECT_EQ(ql::Sorted(program.ListItems(grid, idColumn), true),
                  (std::vector<std::wstring>{L"1", L"2"}))
            << Narrow(sql);
        EXPECT_EQ(ql::Sorted(program.ListItems(grid, 1 - idColumn)),
                  (std::vector<std::wstring>{L"one", L"two"}))
            << Narrow(sql);
        if (m_db.Product() != ql::kE2EPostgres)
            continue;
        // PostgreSQL results are read read-only, and none of these is one keyed table's rows: the
        // first edit says why and changes nothing.
        const int row = program.ListItems(grid, idColumn)[0] == L"1" ? 0 : 1;
        ASSERT_TRUE(program.ClickListCell(grid, row, 1 - idColumn));
        CProgram::PressKey(grid, VK_SPACE);
        const std::wstring refusal = program.TakeMessageBox();
        EXPECT_EQ(refusal.rfind(L"The rows of this result cannot be changed here.\n", 0), 0u)
            << Narrow(sql) << ": " << Narrow(refusal);
        ASSERT_TRUE(program.Settle());
        EXPECT_EQ(CProgram::InPlaceEditor(grid), nullptr) << Narrow(sql);
        EXPECT_EQ(program.FindMessageBox(), nullptr) << Narrow(sql);
    }
    EXPECT_EQ(m_db.Column(L"SELECT v FROM " + table + L" ORDER BY id"),
              (std::vector<std::wstring>{L"one", L"two"}));
    EXPECT_TRUE(program.Close());
}

QL_ON_EVERY_PRODUCT(QueryResultsE2E);

} // namespace
