// Exported files read back by independent readers: Python's csv beside psql's and sqlite3's own
// CSV output of the same rows, and html.parser for the markup a file really holds.
#include "export_test_util.h"

#include "dbaccess/recordset.h"
#include "services/csv_data_file.h"
#include "services/html_data_file.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/grid/grid_test_cursor.h"

#include <gtest/gtest.h>

using namespace QlExportTest;

namespace {

void WriteAll(CDataFile& file, Zelt::ICursor& cursor, const CStringPair& name)
{
    int n = cursor.GetColumnCount();
    file.BeginFile();
    file.BeginTable(name, L"");
    for (int i = 0; i < n; ++i)
        file.AddColumnHeader(&cursor, i);
    file.EndHeader(name);
    if (cursor.GetRecordCount() >= 1 && !cursor.IsEOF())
        do
        {
            file.BeginRow();
            for (int i = 0; i < n; ++i)
                file.AddValue(&cursor, i);
            file.EndRow();
        } while (cursor.MoveNext() && !cursor.IsEOF());
    file.EndRows(name);
    file.EndTable(name);
    file.EndFile();
}

// Parses both files with Python's csv (ours as UTF-16 with its mark, theirs as UTF-8) and
// prints "same" or the first difference.
const char kCompareCsv[] = R"(
import csv, sys
ours = list(csv.reader(open(sys.argv[1], encoding='utf-16', newline='')))
theirs = list(csv.reader(open(sys.argv[2], encoding='utf-8', newline='')))
if ours == theirs:
    print('same', len(ours))
else:
    for a, b in zip(ours, theirs):
        if a != b:
            print('ours', repr(a)[:300]); print('theirs', repr(b)[:300]); break
    print('rows', len(ours), len(theirs))
)";

const wchar_t kValues[] = L"(1, 'plain'), (2, 'a,b'), (3, 'say \"hi\"'), (4, 'line\nbreak'), "
                          L"(5, 'cr\rlf\r\nend'), (6, ''), (7, NULL), (8, 'Ж€😀'), "
                          L"(9, ' lead and trail ')";

} // namespace

TEST(ExportReaders, CsvParsesAsPsqlCopyDoes)
{
    CRDatabase db;
    ASSERT_TRUE(db.Open(QlTestDb::PostgresConnect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    const CString table = CString(L"ql_csv_") + QlTestDb::UniqueTag().c_str();
    db.ExecuteSQL(L"CREATE TABLE " + table + L" (id int, \"Odd, \"\"name\"\"\" text)");
    db.ExecuteSQL(L"INSERT INTO " + table + L" VALUES " + kValues);
    TempOutput ours(L".csv"), theirs(L".csv"), py(L".py");
    {
        CRRecordset rs(&db);
        ASSERT_TRUE(rs.Open(L"SELECT * FROM " + table + L" ORDER BY 1", RS_FORWARD_ONLY,
                            RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT));
        CCSVDataFile file(ours.Path(), L",");
        WriteAll(file, rs, CStringPair(L"", table));
    }
    {
        // An unbound recordset reads each value once, through its getter: the HTML writer tells
        // NULL from what the getter returns.
        TempOutput html(L".htm");
        CRRecordset rs(&db);
        ASSERT_TRUE(rs.Open(L"SELECT * FROM " + table + L" ORDER BY 1", RS_FORWARD_ONLY,
                            RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT));
        {
            CHTMLDataFile file(html.Path(), false, true);
            WriteAll(file, rs, CStringPair(L"", table));
        }
        std::string bytes = ReadBytes(html.Path());
        EXPECT_NE(std::string::npos,
                  bytes.find("<TD>7<TD><NOBR>&lt;&lt;NULL&gt;&gt;</NOBR>\r\n<TR"));
        EXPECT_NE(std::string::npos, bytes.find("<TD>6<TD>&nbsp;\r\n"));
    }
    std::string out;
    ASSERT_EQ(0, RunNative(L"env PGPASSWORD=quenlark psql -X -q -h 127.0.0.1 -U quenlark -d "
                           L"quenlark -c '\\copy (SELECT * FROM " +
                               std::wstring(table) + L" ORDER BY 1) to " +
                               std::wstring(theirs.Unix()) + L" csv header'",
                           &out))
        << out;
    db.ExecuteSQL(L"DROP TABLE " + table);
    WriteBytes(py.Path(), kCompareCsv);
    RunNative(L"/usr/bin/python3 " + std::wstring(py.Unix()) + L" " + std::wstring(ours.Unix()) +
                  L" " + std::wstring(theirs.Unix()),
              &out);
    EXPECT_EQ("same 10\n", out);
}

TEST(ExportReaders, CsvParsesAsSqliteCsvDoes)
{
    QlTestDb::TempSQLiteFile file;
    CRDatabase db;
    ASSERT_TRUE(db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    db.ExecuteSQL(L"CREATE TABLE t (id int, \"Odd, \"\"name\"\"\" text)");
    // The SQLite driver garbles characters beyond U+FFFF in statement text; char() makes them.
    CString values = kValues;
    values.Replace(L"'Ж€😀'", L"'Ж€' || char(128512)");
    db.ExecuteSQL(L"INSERT INTO t VALUES " + values);
    TempOutput ours(L".csv"), theirs(L".csv"), py(L".py");
    {
        CRRecordset rs(&db);
        ASSERT_TRUE(rs.Open(L"SELECT * FROM t ORDER BY 1", RS_FORWARD_ONLY,
                            RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT));
        CCSVDataFile csv(ours.Path(), L",");
        WriteAll(csv, rs, CStringPair(L"", L"t"));
    }
    db.Close();
    std::string out;
    ASSERT_EQ(0, RunNative(L"sqlite3 -csv -header -cmd '.output " + std::wstring(theirs.Unix()) +
                               L"' " + std::wstring(file.Path()) + L" 'SELECT * FROM t ORDER BY 1'",
                           &out))
        << out;
    WriteBytes(py.Path(), kCompareCsv);
    RunNative(L"/usr/bin/python3 " + std::wstring(py.Unix()) + L" " + std::wstring(ours.Unix()) +
                  L" " + std::wstring(theirs.Unix()),
              &out);
    EXPECT_EQ("same 10\n", out);
}

TEST(ExportReaders, HtmlHoldsOnlyItsOwnMarkupAndRoundsDecimals)
{
    // A cursor whose double column has two decimal digits.
    struct CDigitsCursor : GridTest::TestCursor
    {
        CColumnDesc desc;
        const CColumnDesc* GetColumn(UINT col) override
        {
            desc.nDecimalDigits = col == 2 ? 2 : 0;
            return &desc;
        }
    } c;
    c.AddColumn(L"<img src=x onerror=alert(1)>", SQL_C_WCHAR, SQL_WVARCHAR);
    c.AddColumn(L"price", SQL_C_DOUBLE, SQL_DOUBLE);
    c.rows.push_back({GridTest::Text(L"<script>alert(2)</script>"), GridTest::Text(L"3.14159")});
    TempOutput out(L".htm"), py(L".py");
    c.MoveFirst();
    {
        CHTMLDataFile file(out.Path(), false, false);
        WriteAll(file, c, CStringPair(L"", L"<b onmouseover=x>"));
    }
    WriteBytes(py.Path(), R"(
import sys
from html.parser import HTMLParser
class P(HTMLParser):
    def __init__(self):
        super().__init__(); self.tags = set(); self.cells = []; self.attrs = []
    def handle_starttag(self, tag, attrs):
        self.tags.add(tag)
        if tag == 'td': self.cells.append(''); self.attrs.append(dict(attrs).get('align', ''))
    def handle_data(self, data):
        if self.cells: self.cells[-1] += data
p = P(); p.feed(open(sys.argv[1], encoding='utf-8').read())
print(sorted(p.tags)); print([c.strip() for c in p.cells]); print(p.attrs)
)");
    std::string got;
    RunNative(L"/usr/bin/python3 " + std::wstring(py.Unix()) + L" " + std::wstring(out.Unix()),
              &got);
    EXPECT_EQ("['body', 'br', 'h4', 'head', 'html', 'meta', 'p', 'table', 'tbody', 'td', 'th', "
              "'thead', 'tr']\n"
              "['<script>alert(2)</script>', '3.14']\n"
              "['', 'Right']\n",
              got);
}
