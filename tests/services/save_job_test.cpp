// The save job: the order of the writer's steps, flushes, truncated values, a cancel after the
// current row, progress texts; and the foreign-key order of tables on the three servers.
#include "export_test_util.h"

#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"
#include "services/csv_data_file.h"
#include "services/database_helper.h"
#include "services/excel_data_file.h"
#include "services/save_data_job.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/grid/grid_test_cursor.h"

#include <gtest/gtest.h>

#include <functional>

using GridTest::Text;

namespace {

// A writer that records its steps as short words.
class CRecordingFile : public CDataFile
{
public:
    std::vector<std::string> steps;
    std::function<void(int)> onRow; // called at EndRow with the row number

    void BeginTable(const CStringPair& name, LPCWSTR description) override
    {
        steps.push_back("table " + std::string(CStringA(name.m_strSecond)) + " " +
                        std::string(CStringA(description)));
    }
    void AddColumnHeader(const CString& text, int column) override
    {
        steps.push_back("head " + std::to_string(column) + " " + std::string(CStringA(text)));
    }
    void EndHeader(const CStringPair&) override { steps.push_back("endheader"); }
    void BeginRow() override { m_nValues = 0; }
    void AddValue(Zelt::ICursor* pCursor, int column) override
    {
        CString text;
        pCursor->GetFieldText(column + 1, text);
        m_row += (m_nValues++ ? "," : "") + std::string(CStringA(text));
    }
    void EndRow() override
    {
        ++m_nRows;
        steps.push_back("row " + m_row);
        m_row.clear();
        if (onRow)
            onRow(m_nRows);
    }
    void EndRows(const CStringPair&) override { steps.push_back("endrows"); }
    void AddFooter(Zelt::ICursor*, int) override { ++m_nFooters; }
    void EndTable(const CStringPair&) override { steps.push_back("endtable"); }
    void Flush() override { steps.push_back("flush@" + std::to_string(m_nRows)); }

    int m_nFooters = 0;

private:
    int m_nRows = 0;
    int m_nValues = 0;
    std::string m_row;
};

CString Unique(LPCWSTR base)
{
    return CString(base) + L"_" + QlTestDb::UniqueTag().c_str();
}

} // namespace

TEST(SaveJob, StepsColumnMapAndFlushesEveryThousandRows)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    ASSERT_TRUE(db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    db.ExecuteSQL(L"CREATE TABLE t (a integer, b text)");
    db.ExecuteSQL(L"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                  L"2500) INSERT INTO t SELECT i, 'v' || i FROM n");
    CRRecordset rs(&db);
    ASSERT_TRUE(rs.Open(L"SELECT a, b FROM t ORDER BY a", RS_FORWARD_ONLY,
                        RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT));
    CRecordingFile writer;
    std::vector<int> map = {1, 0};
    CRDatabaseHelper::CSaveDataAsyncThread job(&writer, &rs, nullptr, CStringPair(L"", L"t"), &map,
                                               L"desc", nullptr);
    ASSERT_TRUE(CRDatabaseHelper::CAsyncThread::Execute(&job, nullptr, false));
    ASSERT_EQ(2500u + 9, writer.steps.size());
    EXPECT_EQ("table t desc", writer.steps[0]);
    EXPECT_EQ("head 1 b", writer.steps[1]);
    EXPECT_EQ("head 0 a", writer.steps[2]);
    EXPECT_EQ("endheader", writer.steps[3]);
    EXPECT_EQ("row v1,1", writer.steps[4]);
    EXPECT_EQ("flush@1000", writer.steps[1004]);
    EXPECT_EQ("flush@2000", writer.steps[2005]);
    EXPECT_EQ("row v2500,2500", writer.steps[2505]);
    EXPECT_EQ("endrows", writer.steps[2506]);
    EXPECT_EQ("endtable", writer.steps[2507]);
    EXPECT_EQ("flush@2500", writer.steps[2508]);
    EXPECT_EQ(2, writer.m_nFooters);
}

TEST(SaveJob, EmptyResultWritesTheFramingOnly)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    ASSERT_TRUE(db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    db.ExecuteSQL(L"CREATE TABLE t (a integer)");
    CRRecordset rs(&db);
    ASSERT_TRUE(rs.Open(L"SELECT a FROM t", RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND));
    CRecordingFile writer;
    CRDatabaseHelper::CSaveDataAsyncThread job(&writer, &rs, nullptr, CStringPair(L"", L"t"),
                                               nullptr, L"", nullptr);
    ASSERT_TRUE(CRDatabaseHelper::CAsyncThread::Execute(&job, nullptr, false));
    std::vector<std::string> expected = {"table t ", "head 0 a", "endheader",
                                         "endrows",  "endtable", "flush@0"};
    EXPECT_EQ(expected, writer.steps);
}

TEST(SaveJob, TruncatedValueStopsWithRecordAndColumn)
{
    GridTest::TestCursor c;
    for (LPCWSTR name : {L"a", L"b", L"c"})
        c.AddColumn(name, SQL_C_WCHAR, SQL_WVARCHAR);
    for (int i = 0; i < 9; ++i)
        c.rows.push_back({Text(L"1"), Text(L"2"), i == 6 ? GridTest::Truncated(L"3") : Text(L"3")});
    CRecordingFile writer;
    CRDatabaseHelper::CSaveDataAsyncThread job(&writer, &c, nullptr, CStringPair(L"", L"t"),
                                               nullptr, L"", nullptr);
    std::unique_ptr<Zelt::CRDBException> error =
        QlConnTest::Catch([&] { CRDatabaseHelper::CAsyncThread::Execute(&job, nullptr, false); });
    ASSERT_TRUE(error);
    EXPECT_EQ(CString(L"Record 7 Column 3: data truncated"), error->m_strError);
}

TEST(SaveJob, CancelStopsAfterTheCurrentRowAndClosesTheTable)
{
    GridTest::TestCursor c;
    c.AddColumn(L"a", SQL_C_WCHAR, SQL_WVARCHAR);
    for (int i = 0; i < 50; ++i)
        c.rows.push_back({Text(L"x")});
    CRecordingFile writer;
    // The waiting loop sets the flag once Cancel is accepted; here the fifth row does it.
    struct CCancelling : CRDatabaseHelper::CSaveDataAsyncThread
    {
        using CSaveDataAsyncThread::CSaveDataAsyncThread;
        void SetCancel() { m_bCancel = true; }
    };
    CCancelling cancelling(&writer, &c, nullptr, CStringPair(L"", L"t"), nullptr, L"", nullptr);
    writer.onRow = [&](int row) {
        if (row == 5)
            cancelling.SetCancel();
    };
    EXPECT_TRUE(cancelling.Run());
    ASSERT_GE(writer.steps.size(), 3u);
    EXPECT_EQ(5 + 3 + 3, (int)writer.steps.size()); // table, head, endheader, 5 rows, closing 3
    EXPECT_EQ("endtable", writer.steps[writer.steps.size() - 2]);
}

TEST(SaveJob, ProgressTextsThinOut)
{
    Zelt::ICursor::CStatus final;
    final.bCountFinal = true;
    Zelt::ICursor::CStatus open;
    std::vector<int> shown;
    for (int row = 1; row <= 1000; ++row)
    {
        open.nCurrentRow = row - 1;
        if (!CRDatabaseHelper::CSaveDataAsyncThread::ProgressText(row, open, 0).IsEmpty())
            shown.push_back(row);
    }
    std::vector<int> expected = {1,  2,  3,  4,  5,   6,   7,   8,   9,   10,  20,  30,  40,  50,
                                 60, 70, 80, 90, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000};
    EXPECT_EQ(expected, shown);
    final.nCurrentRow = 9;
    EXPECT_EQ(CString(L"10/25"),
              CRDatabaseHelper::CSaveDataAsyncThread::ProgressText(10, final, 25));
    open.nCurrentRow = 99;
    EXPECT_EQ(CString(L"100"), CRDatabaseHelper::CSaveDataAsyncThread::ProgressText(100, open, 0));
}

namespace {

// Tables a..g (with a unique suffix) where b references a, c references itself and b, d and e
// reference each other, f references g.
struct CForeignKeyCase
{
    CString connect;
    CString schema;  // as the table lists carry it
    bool backquotes; // MariaDB
};

void RunForeignKeyOrder(const CForeignKeyCase& kase)
{
    CRDatabaseHelper helper;
    ASSERT_TRUE(helper.Connect(kase.connect, nullptr, 0, 0, 0));
    CRDatabase& db = helper.GetDatabase();
    CString suffix = Unique(L"");
    auto name = [&](LPCWSTR t) { return CString(L"fk") + t + suffix; };
    auto q = [&](LPCWSTR t) { return kase.backquotes ? L"`" + name(t) + L"`" : name(t); };
    db.ExecuteSQL(L"CREATE TABLE " + q(L"a") + L" (id int PRIMARY KEY)");
    db.ExecuteSQL(L"CREATE TABLE " + q(L"b") + L" (id int PRIMARY KEY, a int REFERENCES " +
                  q(L"a") + L"(id))");
    db.ExecuteSQL(L"CREATE TABLE " + q(L"c") + L" (id int PRIMARY KEY, up int REFERENCES " +
                  q(L"c") + L"(id), b int REFERENCES " + q(L"b") + L"(id))");
    // SQLite takes a reference to a table still to come, and cannot add one later.
    bool sqlite = kase.connect.Find(L"SQLite") >= 0;
    db.ExecuteSQL(L"CREATE TABLE " + q(L"d") + L" (id int PRIMARY KEY, e int" +
                  (sqlite ? L" REFERENCES " + q(L"e") + L"(id))" : CString(L")")));
    db.ExecuteSQL(L"CREATE TABLE " + q(L"e") + L" (id int PRIMARY KEY, d int REFERENCES " +
                  q(L"d") + L"(id))");
    if (!sqlite)
        db.ExecuteSQL(L"ALTER TABLE " + q(L"d") + L" ADD FOREIGN KEY (e) REFERENCES " + q(L"e") +
                      L"(id)");
    db.ExecuteSQL(L"CREATE TABLE " + q(L"g") + L" (id int PRIMARY KEY)");
    db.ExecuteSQL(L"CREATE TABLE " + q(L"f") + L" (id int PRIMARY KEY, g int REFERENCES " +
                  q(L"g") + L"(id))");
    // MariaDB's inline REFERENCES makes no key: the keys above are added again where missing.
    if (kase.backquotes)
    {
        db.ExecuteSQL(L"ALTER TABLE " + q(L"b") + L" ADD FOREIGN KEY (a) REFERENCES " + q(L"a") +
                      L"(id)");
        db.ExecuteSQL(L"ALTER TABLE " + q(L"c") + L" ADD FOREIGN KEY (up) REFERENCES " + q(L"c") +
                      L"(id)");
        db.ExecuteSQL(L"ALTER TABLE " + q(L"c") + L" ADD FOREIGN KEY (b) REFERENCES " + q(L"b") +
                      L"(id)");
        db.ExecuteSQL(L"ALTER TABLE " + q(L"e") + L" ADD FOREIGN KEY (d) REFERENCES " + q(L"d") +
                      L"(id)");
        db.ExecuteSQL(L"ALTER TABLE " + q(L"f") + L" ADD FOREIGN KEY (g) REFERENCES " + q(L"g") +
                      L"(id)");
    }
    auto sorted = [&](std::initializer_list<LPCWSTR> tables) {
        CDBObjectsArray input, output;
        for (LPCWSTR t : tables)
            input.Add(CIndexedDBObject(kase.schema, name(t)));
        EXPECT_TRUE(helper.SortTablesByForeignKeys(input, output, nullptr));
        std::string order;
        for (INT_PTR i = 0; i < output.GetSize(); ++i)
        {
            EXPECT_EQ(kase.schema, output[i].m_strFirst);
            order += std::string(CStringA(output[i].m_strSecond.Mid(2, 1)));
        }
        return order;
    };
    EXPECT_EQ("abc", sorted({L"c", L"b", L"a"}));
    EXPECT_EQ("abc", sorted({L"c", L"a", L"b"}));
    EXPECT_EQ("ed", sorted({L"d", L"e"}));
    EXPECT_EQ("de", sorted({L"e", L"d"}));
    EXPECT_EQ("fa", sorted({L"f", L"a"})); // g was not chosen and is not pulled in
    if (kase.backquotes)
        db.ExecuteSQL(L"SET FOREIGN_KEY_CHECKS=0");
    for (LPCWSTR t : {L"f", L"g", L"c", L"b", L"a"})
        db.ExecuteSQL(L"DROP TABLE " + q(t));
    if (sqlite)
    {
        db.ExecuteSQL(L"DROP TABLE " + q(L"d"));
        db.ExecuteSQL(L"DROP TABLE " + q(L"e"));
    }
    else
        db.ExecuteSQL(L"DROP TABLE " + q(L"d") + L", " + q(L"e") +
                      (kase.backquotes ? L"" : L" CASCADE"));
}

} // namespace

TEST(TableOrder, ReferencedTablesComeFirstOnPostgreSQL)
{
    RunForeignKeyOrder({QlTestDb::PostgresConnect(), L"public", false});
}

TEST(TableOrder, ReferencedTablesComeFirstOnMariaDB)
{
    RunForeignKeyOrder({QlTestDb::MariaDBConnect(), L"quenlark", true});
}

TEST(TableOrder, ReferencedTablesComeFirstOnSQLite)
{
    QlTestDb::TempSQLiteFile file;
    RunForeignKeyOrder({file.Connect(), L"", false});
}

namespace {

// The 256 KB file system the test run mounts (tests/services/CMakeLists.txt); empty when it is
// not there (no root), and the test skips.
CString SmallDiskFolder()
{
    const char* binary = getenv("QL_BINARY_DIR");
    if (binary == nullptr)
        return CString();
    CString dir = L"Z:" + CString(binary) + L"/tests/full_disk";
    dir.Replace(L'/', L'\\');
    ULARGE_INTEGER freeBytes{}, total{};
    if (!::GetDiskFreeSpaceExW(dir + L"\\", &freeBytes, &total, nullptr) ||
        total.QuadPart > 1024 * 1024)
        return CString();
    return dir;
}

} // namespace

TEST(SaveJob, FullDiskIsAClearErrorAndAWorkbookKeepsItsOldFile)
{
    CString dir = SmallDiskFolder();
    if (dir.IsEmpty())
        GTEST_SKIP() << "no small file system mounted at the full-disk folder";
    GridTest::TestCursor c;
    c.AddColumn(L"text", SQL_C_WCHAR, SQL_WVARCHAR);
    // 800 rows of 1000 random hexadecimal digits: more than the disk holds even deflated.
    unsigned seed = 12345;
    for (int i = 0; i < 800; ++i)
    {
        CString text;
        for (int k = 0; k < 1000; ++k)
        {
            seed = seed * 1103515245u + 12345u;
            text += L"0123456789abcdef"[(seed >> 16) & 15];
        }
        c.rows.push_back({Text(text)});
    }
    const CString tag = QlTestDb::UniqueTag().c_str();

    const CString csvPath = dir + L"\\export_" + tag + L".csv";
    CString message;
    {
        CCSVDataFile file(csvPath, L",");
        CRDatabaseHelper::CSaveDataAsyncThread job(&file, &c, nullptr, CStringPair(L"", L"t"),
                                                   nullptr, L"", nullptr);
        try
        {
            CRDatabaseHelper::CAsyncThread::Execute(&job, nullptr, false);
        }
        catch (CException* e)
        {
            wchar_t text[512] = {};
            e->GetErrorMessage(text, 512);
            message = text;
            e->Delete();
        }
    }
    ::DeleteFileW(csvPath);
    EXPECT_NE(-1, message.Find(L"full")) << CStringA(message).GetString();

    // The workbook is built beside the disk and moved over the old file only when complete.
    const CString xlsxPath = dir + L"\\export_" + tag + L".xlsx";
    QlExportTest::WriteBytes(xlsxPath, "old");
    bool failed = false;
    {
        CExcelDataFile file(xlsxPath);
        file.BeginFile();
        CRDatabaseHelper::CSaveDataAsyncThread job(&file, &c, nullptr, CStringPair(L"", L"t"),
                                                   nullptr, L"", nullptr);
        c.current = -1;
        CRDatabaseHelper::CAsyncThread::Execute(&job, nullptr, false);
        try
        {
            file.EndFile();
        }
        catch (CException* e)
        {
            failed = true;
            e->Delete();
        }
    }
    EXPECT_TRUE(failed);
    EXPECT_EQ("old", QlExportTest::ReadBytes(xlsxPath));
    ::DeleteFileW(xlsxPath);
}
