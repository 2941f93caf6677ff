// End to end: saves that stop before their end. A PostgreSQL session killed under an HTML save
// leaves a file closed well formed, and the error box says the file is incomplete and how many
// rows it holds, which are the rows in the file. An INSERT script in the ANSI code page asks
// before it loses a character ("Gdańsk" has none there); Cancel at that question leaves the
// file that was there as it was, and no file where there was none. Whatever stops a save (the
// user's Cancel at that question, a full disk) and wherever the row being written lies against
// the writer's flushes, the file left holds whole rows its reader takes, as many as the box says.
#include "tests/app/e2e_held_fetch.h"
#include "tests/app/e2e_save.h"

#include "dbaccess/database.h"

#include <iostream>

namespace {

using QlSave::U8;

size_t Count(const std::string& bytes, const std::string& what)
{
    size_t n = 0;
    for (size_t at = bytes.find(what); at != std::string::npos; at = bytes.find(what, at + 1))
        ++n;
    return n;
}

class SaveStoppedE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        m_folder = ql::ScratchFolder(L"save_stopped_" + ql::UniqueSuffix());
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }

    bool SaveGridAs(const std::wstring& path, const std::wstring& type)
    {
        return QlSave::SaveGridAs(program, path, type);
    }

    std::wstring m_folder;
    ql::CProgram program;
};

// The folder of the small file system mounted for the test program (tests/app/CMakeLists.txt),
// else empty: without root it is an ordinary folder.
std::wstring FullDiskFolder()
{
    std::wstring folder = ql::WindowsPath(ql::BinaryDir() + "/tests/app_full_disk");
    ULARGE_INTEGER available{}, total{};
    if (!GetDiskFreeSpaceExW((folder + L"\\").c_str(), &available, &total, nullptr) ||
        total.QuadPart > 1024 * 1024)
        return std::wstring();
    return folder;
}

// The rows of a CSV file as the writer makes it (UTF-16LE, a byte-order mark, LF line ends, no
// quotes needed here); the last line must end: -1 when the file does not end on a whole row.
long CsvRows(const std::string& bytes, std::vector<std::vector<std::wstring>>& rows)
{
    if (bytes.size() < 2 || bytes.size() % 2 != 0)
        return -1;
    const std::wstring text((const wchar_t*)bytes.data() + 1, bytes.size() / 2 - 1);
    if (text.empty() || text.back() != L'\n')
        return -1;
    for (const std::wstring& line : ql::Split(text.substr(0, text.size() - 1), L'\n'))
        rows.push_back(ql::Split(line, L','));
    return (long)rows.size() - 1; // the header line
}

// Replays an INSERT script into tables t and wide (id, v) with sqlite3 into a new database in
// one transaction (sqlite3 refuses a COMMIT outside one), stopping at the first error; the
// rows it inserted into the table, or -1 with sqlite3's output in error.
long SqliteReplay(const std::wstring& script, const std::wstring& table, std::string* error)
{
    const std::wstring db = L"/tmp/quenlark-replay-" + ql::UniqueSuffix() + L".db";
    const int rc = ql::RunNative(
        L"(echo 'CREATE TABLE t (id integer, v text); CREATE TABLE wide (id integer, v text); "
        L"BEGIN;'; cat '" +
            ql::UnixPath(script) + L"') | sqlite3 -bail " + db + L" && sqlite3 " + db +
            L" 'SELECT count(*) FROM " + table + L"'",
        error);
    DeleteFileW((L"Z:" + db).c_str());
    return rc == 0 ? atol(error->c_str()) : -1;
}

TEST_F(SaveStoppedE2E, PostgreSQLSessionLostDuringAnHtmlSaveEndsTheFileAndTellsItsRows)
{
    CRDatabase db;
    QlConnTest::OpenOrFail(db, QlTestDb::PostgresConnect());
    QlConnTest::CScratchSchemas schemas{db};
    const CString schema = schemas.Create(L"qlstop_" + CString(ql::UniqueSuffix().c_str()));
    const int kRows = 1000000;
    CreateBigView(db, schema, kRows);
    PaceBigView(db, schema);
    const CTaggedPostgresSession session(L"qlstop_" + QlTestDb::UniqueTag());
    CHeldFetch fetch;
    ASSERT_TRUE(program.StartConnected(fetch.Connect(session))) << program.Describe();
    ASSERT_TRUE(program.OpenViewGrid(std::wstring(schema), L"big")) << program.Describe();

    // The session ends while the save's read (the window's, which the save goes on with) waits
    // for the server's answer to a FETCH.
    const std::wstring html = m_folder + L"\\big.htm";
    ASSERT_TRUE(SaveGridAs(html, L"HTML"));
    ASSERT_NE(QlSave::WaitForRowsWritten(program), nullptr) << program.Describe();
    fetch.HoldAtFetch(1);
    EXPECT_TRUE(fetch.WaitUntilReached()) << "the save's read never came to the held FETCH";
    session.Terminate(db);
    fetch.Release();

    // One box: the lost connection, then the file's state, once the wait dialog is gone.
    HWND box = program.WaitForMessageBox(60000);
    ASSERT_NE(box, nullptr) << program.Describe();
    EXPECT_EQ(nullptr, program.FindDialog(L"Please wait..."));
    const std::wstring text = ql::CProgram::MessageBoxText(box);
    ql::CProgram::Click(box, IDOK);
    EXPECT_NE(std::wstring::npos, text.find(L"ODBC error code")) << U8(text);
    EXPECT_NE(std::wstring::npos, text.find(html + L"\nThe file is incomplete")) << U8(text);
    // The window whose rows the save read says no more than the save did.
    ASSERT_TRUE(program.Settle()) << program.Describe();
    EXPECT_EQ(program.FindMessageBox(), nullptr) << program.Describe();

    const std::string bytes = ql::CProgram::WaitForClosedFile(html);
    const std::string ending = "</TBODY>\r\n</TABLE>\r\n<BR>\r\n</BODY></HTML>\r\n";
    ASSERT_GE(bytes.size(), ending.size());
    EXPECT_EQ(ending, bytes.substr(bytes.size() - ending.size()));
    const size_t rows = Count(bytes, "<TR Align=\"Left\"");
    EXPECT_GT(rows, 0u);
    EXPECT_LT(rows, (size_t)kRows);
    EXPECT_EQ((long)rows, QlSave::RowsSaid(text)) << U8(text);
    // Every row in the file is whole: three cells each.
    EXPECT_EQ(3 * rows, Count(bytes, "<TD"));
    EXPECT_TRUE(program.Close());
}

TEST_F(SaveStoppedE2E, AnsiScriptAsksBeforeLosingCharactersAndCancelKeepsTheOldFile)
{
    QlTestDb::TempSQLiteFile file;
    {
        CRDatabase db;
        ASSERT_TRUE(db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        db.ExecuteSQL(L"CREATE TABLE cities (id integer PRIMARY KEY, name text)");
        db.ExecuteSQL(L"INSERT INTO cities VALUES (1, 'Gda\x0144sk'), (2, 'Z\xFCrich')");
    }
    ASSERT_TRUE(program.StartConnected(std::wstring(file.Connect()))) << program.Describe();
    ASSERT_TRUE(program.OpenTableGrid(L"", L"cities"));

    auto saveAnsi = [&](const std::wstring& path) -> std::wstring {
        if (!SaveGridAs(path, L"SQL script"))
            return L"<no save dialog>";
        // Yes to the file dialog's question whether to replace a file that is there.
        HWND options = nullptr, answered = nullptr;
        ql::WaitFor([&] {
            HWND box = program.FindMessageBox();
            if (box != nullptr && box != answered)
            {
                answered = box;
                PostMessageW(box, WM_COMMAND, IDYES, 0);
            }
            return (options = program.FindDialog(L"Save As SQL Script")) != nullptr;
        });
        if (!options)
            return L"<no options>";
        ql::CProgram::ChooseInsertScriptOptions(options, 4, 0, false);
        return L"";
    };
    const std::wstring question = L"Text was changed during conversion.\nDo you want to save it?";

    // An existing file: Cancel at the question leaves it as it was.
    const std::wstring old = m_folder + L"\\old.sql";
    ql::WriteFileBytes(old, "-- kept\n");
    ASSERT_EQ(L"", saveAnsi(old));
    EXPECT_EQ(question, program.AnswerMessageBox(IDCANCEL));
    // The worker ends after the box closes and only then lets go of the file, which it holds
    // exclusively: the main window can look idle before that.
    ASSERT_TRUE(program.Settle());
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
    EXPECT_EQ("-- kept\n", ql::ReadFileBytes(old));

    // A new name: Cancel makes no file.
    const std::wstring fresh = m_folder + L"\\fresh.sql";
    ASSERT_EQ(L"", saveAnsi(fresh));
    EXPECT_EQ(question, program.AnswerMessageBox(IDCANCEL));
    ASSERT_TRUE(program.Settle()); // as above: the new file is taken away when the worker ends
    EXPECT_FALSE(ql::FileExists(fresh));

    // OK: the script is written, the lost character marked, the others kept in the code page.
    ASSERT_EQ(L"", saveAnsi(old));
    EXPECT_EQ(question, program.AnswerMessageBox(IDOK));
    const std::string script = ql::CProgram::WaitForClosedFile(old);
    EXPECT_NE(std::string::npos, script.find("VALUES(1,'Gda?sk');")) << script;
    EXPECT_NE(std::string::npos, script.find("VALUES(2,'Z\xFCrich');")) << script;
    ASSERT_TRUE(program.WaitUntilIdle());
    EXPECT_EQ(nullptr, program.FindMessageBox()) << program.Describe();
    EXPECT_TRUE(program.Close());
}

// Saves stopped inside a row: by a full disk of 256 KB, which takes the first flush of the
// writer's buffer and fails inside the next, so the row being written lies partly on the disk;
// by Cancel at the question about a character the ANSI code page lacks, in row 101 after 100
// rows of 300 characters. The file holds whole rows, as many as the box says, and its reader
// takes it whole: psql and sqlite3 replay the script without an error, Python's parser reads
// the closed HTML, the CSV ends on a whole row. A workbook is saved only when complete: none is
// left on the full disk.
TEST_F(SaveStoppedE2E, EveryWriterStoppedInsideARowLeavesTheWholeRowsTheBoxTells)
{
    enum Stop
    {
        Declined,
        FullDisk
    };
    struct Case
    {
        Stop stop;
        const wchar_t* type; // the file dialog's type
        int encoding;        // of an INSERT script: 0 ANSI, 2 UTF-8
        const wchar_t* extension;
    };
    const Case cases[] = {
        {FullDisk, L"Comma", -1, L".csv"},     {FullDisk, L"HTML", -1, L".htm"},
        {FullDisk, L"SQL script", 2, L".sql"}, {FullDisk, L"SQL script", 0, L".sql"},
        {FullDisk, L"Excel", -1, L".xlsx"},    {Declined, L"SQL script", 0, L".sql"},
    };
    const std::wstring fullDisk = FullDiskFolder();

    QlTestDb::TempSQLiteFile file;
    {
        CRDatabase db;
        ASSERT_TRUE(db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        // Random hexadecimal digits: a workbook of them deflated is still far over 256 KB.
        const CString rows = L"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                             L"WHERE i < %d) INSERT INTO %s SELECT i, hex(randomblob(150)) FROM n";
        CString sql;
        db.ExecuteSQL(L"CREATE TABLE t (id integer PRIMARY KEY, v text)");
        sql.Format(rows, 100, L"t");
        db.ExecuteSQL(sql);
        db.ExecuteSQL(L"INSERT INTO t VALUES (101, printf('%.40000c', 'y') || char(324))");
        db.ExecuteSQL(L"CREATE TABLE wide (id integer PRIMARY KEY, v text)");
        sql.Format(rows, 3000, L"wide");
        db.ExecuteSQL(sql);
    }
    CRDatabase pg;
    QlConnTest::OpenOrFail(pg, QlTestDb::PostgresConnect());
    QlConnTest::CScratchSchemas schemas{pg};
    ASSERT_TRUE(program.StartConnected(std::wstring(file.Connect()))) << program.Describe();

    const std::wstring question = L"Text was changed during conversion.\nDo you want to save it?";
    Stop open = FullDisk;
    bool bGrid = false;
    int n = 0;
    for (const Case& c : cases)
    {
        const std::string label = U8(c.type) + " " + std::to_string(c.encoding) +
                                  (c.stop == Declined ? " declined" : " full disk");
        SCOPED_TRACE(label);
        if (c.stop == FullDisk && fullDisk.empty())
        {
            std::cout << "skipped without a mounted small disk: " << label << "\n";
            continue;
        }
        if (!bGrid || open != c.stop)
        {
            ASSERT_TRUE(program.OpenTableGrid(L"", c.stop == Declined ? L"t" : L"wide"));
            open = c.stop;
            bGrid = true;
        }
        const std::wstring path = (c.stop == Declined ? m_folder : fullDisk) + L"\\stopped_" +
                                  std::to_wstring(++n) + L"_" + ql::UniqueSuffix() + c.extension;
        ASSERT_TRUE(SaveGridAs(path, c.type)) << program.Describe();
        if (c.encoding >= 0)
        {
            HWND options = program.WaitForDialog(L"Save As SQL Script");
            ASSERT_NE(options, nullptr) << program.Describe();
            ql::CProgram::ChooseInsertScriptOptions(options, 4, c.encoding, false);
        }
        else if (c.extension == std::wstring(L".csv"))
        {
            HWND options = program.WaitForDialog(L"Save As CSV File");
            ASSERT_NE(options, nullptr) << program.Describe();
            ql::CProgram::Click(options, IDOK);
        }
        if (c.stop == Declined)
        {
            EXPECT_EQ(question, program.AnswerMessageBox(IDCANCEL, 60000));
        }
        HWND box = program.WaitForMessageBox(60000);
        ASSERT_NE(box, nullptr) << program.Describe();
        const std::wstring text = ql::CProgram::MessageBoxText(box);
        ql::CProgram::Click(box, IDOK);
        ASSERT_TRUE(program.WaitUntilIdle());
        if (c.stop == FullDisk)
        {
            EXPECT_NE(std::wstring::npos, text.find(L"disk")) << U8(text);
        }
        if (c.extension == std::wstring(L".xlsx"))
        {
            // Built beside the target and moved there only when complete; the message names
            // the file the user chose, not the temporary one.
            EXPECT_NE(std::wstring::npos, text.find(path)) << U8(text);
            EXPECT_FALSE(ql::FileExists(path));
            EXPECT_FALSE(ql::FileExists(path.substr(0, path.size() - 5) + L".saving.xlsx"));
            continue;
        }
        const long said = QlSave::RowsSaid(text);
        EXPECT_TRUE(c.stop == Declined ? said == 100 : said > 0) << U8(text);

        const std::string bytes = ql::ReadFileBytes(path);
        std::string out;
        if (c.extension == std::wstring(L".csv"))
        {
            std::vector<std::vector<std::wstring>> rows;
            EXPECT_EQ(said, CsvRows(bytes, rows));
            for (size_t i = 1; i < rows.size(); ++i)
                ASSERT_TRUE(rows[i].size() == 2 && rows[i][1].size() == 300) << i;
        }
        else if (c.extension == std::wstring(L".htm"))
        {
            const std::string ending = "</TBODY>\r\n</TABLE>\r\n<BR>\r\n</BODY></HTML>\r\n";
            EXPECT_TRUE(bytes.size() > ending.size() &&
                        bytes.compare(bytes.size() - ending.size(), ending.size(), ending) == 0)
                << bytes.substr(bytes.size() > 200 ? bytes.size() - 200 : 0);
            // The reader writes its output beside the file: not on the full disk.
            const std::wstring copy = m_folder + L"\\stopped.htm";
            ASSERT_TRUE(CopyFileW(path.c_str(), copy.c_str(), FALSE));
            ql::CHtmlCells cells;
            ASSERT_TRUE(ql::ReadHtmlCells(copy, cells, &out)) << out;
            EXPECT_EQ(said + 1, (long)cells.rows.size()); // and the header
            for (size_t i = 1; i < cells.rows.size(); ++i)
                ASSERT_TRUE(cells.rows[i].size() == 2 && cells.rows[i][1].size() == 300) << i;
        }
        else
        {
            const CString schema =
                schemas.Create(L"qlstopped_" + CString(ql::UniqueSuffix().c_str()));
            const CString table = c.stop == Declined ? L"t" : L"wide";
            QlConnTest::ExecOrFail(pg, L"CREATE TABLE " + schema + L"." + table +
                                           L" (id integer, v text)");
            EXPECT_EQ(0, ql::RunPsqlScript(path, std::wstring(schema), &out)) << out;
            EXPECT_EQ(CString(std::to_wstring(said).c_str()),
                      QlConnTest::QueryText(pg, L"SELECT count(*) FROM " + schema + L"." + table +
                                                    L" WHERE length(v) = 300"));
            EXPECT_EQ(said, SqliteReplay(path, std::wstring(table), &out)) << out;
        }
        // The small disk is free again for the next case.
        if (c.stop == FullDisk)
            DeleteFileW(path.c_str());
    }
    EXPECT_TRUE(program.Close());
}

} // namespace

namespace {

// Fills the disk of the folder with one file until exactly `left` bytes (whole blocks) stay free.
bool LeaveFree(const std::wstring& filler, ULONGLONG left)
{
    const std::wstring folder = filler.substr(0, filler.rfind(L'\\') + 1);
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr) ||
        available.QuadPart < left)
        return false;
    HANDLE h = CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const std::string zeros(4096, '\0');
    bool ok = true;
    for (ULONGLONG n = available.QuadPart - left; n > 0 && ok; n -= 4096)
    {
        DWORD written = 0;
        ok = WriteFile(h, zeros.data(), 4096, &written, nullptr) && written == 4096;
    }
    CloseHandle(h);
    return ok && GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr) &&
           available.QuadPart == left;
}

} // namespace

// HTML saves whose last write before the disk is full ends exactly on the disk's last block:
// the flush after the first 1000 rows (the last of them shorter than the closing tags), and the
// save's last flush before the closing of the file. Rows are 1000 short ones and more, five, and
// none; the first row's value (or a column's name) is padded so that the file up to that write
// fills whole blocks, and the disk is left with exactly that much room. The file is closed
// after whole rows all the same and the box says how many it holds; one without rows that
// cannot be closed is not left.
TEST_F(SaveStoppedE2E, HtmlSaveStoppedRightAfterAFlushEndingOnAShortRowIsClosed)
{
    const std::wstring fullDisk = FullDiskFolder();
    if (fullDisk.empty())
        GTEST_SKIP() << "no small disk mounted";
    // Rows shorter than the closing tags take the even rows' colour off.
    ql::WriteRegString(L"Mark even lines", L"No");
    QlTestDb::TempSQLiteFile file;
    {
        CRDatabase db;
        ASSERT_TRUE(db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        db.ExecuteSQL(L"CREATE TABLE many (id integer PRIMARY KEY, v text)");
        db.ExecuteSQL(L"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                      L"1500) INSERT INTO many SELECT i, 'x' FROM n");
        db.ExecuteSQL(L"CREATE TABLE five (id integer PRIMARY KEY, v text)");
        db.ExecuteSQL(L"INSERT INTO five VALUES (1, 'x'), (2, 'x'), (3, 'x'), (4, 'x'), (5, 'x')");
        db.ExecuteSQL(L"CREATE TABLE none (id integer PRIMARY KEY, v text)");
    }
    const std::string row = "<TR Align=\"Left\">";
    const std::string fileEnd = "</BODY></HTML>\r\n";
    struct Case
    {
        const wchar_t* table;
        size_t written; // bytes before the write the full disk fails: padded to whole blocks
    } cases[] = {{L"many", 0}, {L"five", 0}, {L"none", 0}};

    // Where the writes end in a save to a disk with room.
    ASSERT_TRUE(program.StartConnected(std::wstring(file.Connect()))) << program.Describe();
    for (Case& c : cases)
    {
        ASSERT_TRUE(program.OpenTableGrid(L"", c.table));
        const std::wstring path = m_folder + L"\\measure_" + c.table + L".htm";
        ASSERT_TRUE(SaveGridAs(path, L"HTML"));
        const std::string bytes = ql::CProgram::WaitForClosedFile(path);
        ASSERT_GT(bytes.size(), fileEnd.size());
        if (c.table == std::wstring(L"many"))
        {
            // The flush after row 1000 ends where row 1001 starts.
            size_t at = 0;
            for (int i = 0; i < 1001 && at != std::string::npos; ++i)
                at = bytes.find(row, at + 1);
            ASSERT_NE(at, std::string::npos);
            c.written = at;
        }
        else
            c.written = bytes.size() - fileEnd.size();
    }
    ASSERT_TRUE(program.Close());
    {
        CRDatabase db;
        ASSERT_TRUE(db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        for (Case& c : cases)
        {
            size_t pad = (4096 - c.written % 4096) % 4096;
            if (c.table != std::wstring(L"none"))
            {
                CString sql;
                sql.Format(L"UPDATE %s SET v = v || substr(hex(zeroblob(%d)), 1, %d) WHERE id = 1",
                           c.table, (int)pad, (int)pad);
                db.ExecuteSQL(sql);
                c.written += pad;
                continue;
            }
            // No rows: the header is padded with columns ("<TH>" and a name of at most 100).
            if (pad < 10)
                pad += 4096;
            c.written += pad;
            for (int i = 0; pad > 0; ++i)
            {
                size_t n = std::min<size_t>(100, pad - 4);
                if (pad - 4 - n > 0 && pad - 4 - n < 10)
                    n -= 10;
                CString name;
                name.Format(L"c%03d", i);
                name += CString(L'w', (int)n - 4);
                db.ExecuteSQL(L"ALTER TABLE none ADD COLUMN " + name + L" text");
                pad -= 4 + n;
            }
        }
    }

    ASSERT_TRUE(program.StartConnected(std::wstring(file.Connect()))) << program.Describe();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(U8(c.table));
        ASSERT_TRUE(program.OpenTableGrid(L"", c.table));
        const std::wstring filler = fullDisk + L"\\filler_" + ql::UniqueSuffix();
        const std::wstring path =
            fullDisk + L"\\short_" + c.table + L"_" + ql::UniqueSuffix() + L".htm";
        ASSERT_TRUE(LeaveFree(filler, c.written));
        ASSERT_TRUE(SaveGridAs(path, L"HTML"));
        HWND box = program.WaitForMessageBox(60000);
        ASSERT_NE(box, nullptr) << program.Describe();
        const std::wstring text = ql::CProgram::MessageBoxText(box);
        ql::CProgram::Click(box, IDOK);
        ASSERT_TRUE(program.WaitUntilIdle());
        EXPECT_NE(std::wstring::npos, text.find(L"disk")) << U8(text);
        if (c.table == std::wstring(L"none"))
        {
            EXPECT_NE(std::wstring::npos, text.find(path + L"\nNothing was saved")) << U8(text);
            EXPECT_FALSE(ql::FileExists(path));
            DeleteFileW(filler.c_str());
            continue;
        }
        const long said = QlSave::RowsSaid(text);
        EXPECT_GT(said, 0) << U8(text);

        const std::string bytes = ql::ReadFileBytes(path);
        const std::string ending = "</TBODY>\r\n</TABLE>\r\n<BR>\r\n" + fileEnd;
        EXPECT_TRUE(bytes.size() > ending.size() &&
                    bytes.compare(bytes.size() - ending.size(), ending.size(), ending) == 0)
            << bytes.substr(bytes.size() > 200 ? bytes.size() - 200 : 0);
        EXPECT_EQ(said, (long)Count(bytes, row));
        EXPECT_EQ(2 * said, (long)Count(bytes, "<TD"));
        const std::wstring copy = m_folder + L"\\short.htm";
        ASSERT_TRUE(CopyFileW(path.c_str(), copy.c_str(), FALSE));
        ql::CHtmlCells cells;
        std::string out;
        ASSERT_TRUE(ql::ReadHtmlCells(copy, cells, &out)) << out;
        EXPECT_EQ(said + 1, (long)cells.rows.size()); // and the header
        DeleteFileW(path.c_str());
        DeleteFileW(filler.c_str());
    }
    EXPECT_TRUE(program.Close());
}
