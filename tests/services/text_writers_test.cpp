// The CSV, HTML and INSERT script writers over hand-made cursors: the bytes of the documented
// examples and the cases where a value or a name could break the file.
#include "export_test_util.h"

#include "dbaccess/recordset.h"
#include "services/csv_data_file.h"
#include "services/html_data_file.h"
#include "services/sql_data_file.h"
#include "tests/grid/grid_test_cursor.h"

#include <gtest/gtest.h>

#include <memory>

using namespace QlExportTest;
using GridTest::Null;
using GridTest::Text;

namespace {

// Runs the steps of one table over every row of the cursor, as the save job does.
void WriteTable(CDataFile& file, Zelt::ICursor& cursor, const CStringPair& name,
                LPCWSTR description = L"")
{
    int n = cursor.GetColumnCount();
    file.BeginTable(name, description);
    for (int i = 0; i < n; ++i)
        file.AddColumnHeader(&cursor, i);
    file.EndHeader(name);
    if (cursor.MoveFirst())
        do
        {
            file.BeginRow();
            for (int i = 0; i < n; ++i)
                file.AddValue(&cursor, i);
            file.EndRow();
        } while (cursor.MoveNext());
    file.EndRows(name);
    file.EndTable(name);
    file.Flush();
}

// Writes the cursor as table "t" with the question about characters the file cannot keep
// answered no; true when the writer stopped as the user's Cancel stops it.
template <class TFile>
bool StopsWhenLossIsRefused(TFile& file, Zelt::ICursor& cursor)
{
    file.SetLossyConversionQuestion([] { return false; });
    try
    {
        WriteTable(file, cursor, CStringPair(L"", L"t"));
    }
    catch (CUserException* e)
    {
        e->Delete();
        return true;
    }
    return false;
}

void AddTextColumns(GridTest::TestCursor& c, std::initializer_list<LPCWSTR> names)
{
    for (LPCWSTR name : names)
        c.AddColumn(name, SQL_C_WCHAR, SQL_WVARCHAR);
}

} // namespace

TEST(CsvWriter, QuotesSeparatorQuotesAndLineBreaksAndKeepsThem)
{
    TempOutput out(L".csv");
    GridTest::TestCursor c;
    AddTextColumns(c, {L"a", L"b\"x", L"c", L"d", L"e", L"f"});
    c.rows.push_back(
        {Text(L"a"), Text(L"b;c"), Text(L"d\"e"), Text(L"1\n2"), Text(L"3\r\n4"), Text(L"5\r6")});
    c.rows.push_back(
        {Null(), Text(L""), Text(L"x;\"y\""), Text(L" "), Text(L"plain"), Text(L"Ж€😀")});
    {
        CCSVDataFile file(out.Path(), L" ; ");
        file.BeginFile();
        WriteTable(file, c, CStringPair(L"", L"t"));
        file.EndFile();
    }
    std::wstring expected = L"\xFEFF\"a\";\"b\"\"x\";\"c\";\"d\";\"e\";\"f\"\n"
                            L"a;\"b;c\";\"d\"\"e\";\"1\n2\";\"3\r\n4\";\"5\r6\"\n"
                            L";;\"x;\"\"y\"\"\"; ;plain;Ж€😀\n";
    EXPECT_EQ(Utf16Bytes(expected), ReadBytes(out.Path()));
}

TEST(CsvWriter, EmptySeparatorIsCommaAndEachTableGetsItsOwnMark)
{
    TempOutput out(L".csv");
    GridTest::TestCursor c;
    AddTextColumns(c, {L"x"});
    c.rows.push_back({Text(L"1,2")});
    {
        CCSVDataFile file(out.Path(), L"  ");
        EXPECT_EQ(CString(L","), file.GetSeparator());
        WriteTable(file, c, CStringPair(L"", L"t"));
        WriteTable(file, c, CStringPair(L"", L"u"));
    }
    std::wstring table = L"\xFEFF\"x\"\n\"1,2\"\n";
    EXPECT_EQ(Utf16Bytes(table + table), ReadBytes(out.Path()));
}

TEST(CsvWriter, ValuesLargerThanTheFileBufferComeWhole)
{
    // Beside short values, values of several hundred thousand units, quoted and not, go into the
    // file in pieces; each byte as a short value's would be.
    TempOutput out(L".csv");
    GridTest::TestCursor c;
    AddTextColumns(c, {L"a", L"b"});
    std::wstring plain, quoted;
    for (int i = 0; i < 300000; ++i)
    {
        plain += static_cast<wchar_t>(L'a' + i % 26);
        quoted += i % 1000 == 999 ? L'"' : static_cast<wchar_t>(L'0' + i % 10);
    }
    quoted += L'"';
    std::wstring doubled;
    for (wchar_t ch : quoted)
        doubled += ch == L'"' ? std::wstring(L"\"\"") : std::wstring(1, ch);
    for (int i = 0; i < 3; ++i)
    {
        c.rows.push_back({Text(L"x"), Text(plain.c_str())});
        c.rows.push_back({Text(quoted.c_str()), Text(L"y,\"z")});
    }
    {
        CCSVDataFile file(out.Path(), L",");
        WriteTable(file, c, CStringPair(L"", L"t"));
    }
    std::wstring expected = L"\xFEFF\"a\",\"b\"\n";
    for (int i = 0; i < 3; ++i)
        expected += L"x," + plain + L"\n\"" + doubled + L"\",\"y,\"\"z\"\n";
    EXPECT_TRUE(Utf16Bytes(expected) == ReadBytes(out.Path()));
}

TEST(HtmlWriter, EscapesNamesValuesAndDescription)
{
    EXPECT_EQ(CString(L"a&lt;b&nbsp;&amp;&nbsp;c"), CHTMLDataFile::Escape(L"a<b & c"));
    EXPECT_EQ(CString(L"&nbsp;"), CHTMLDataFile::Escape(L""));
    EXPECT_EQ(CString(L"1<BR>2<BR>3\r4&quot;&gt;"), CHTMLDataFile::Escape(L"1\r\n2\n3\r4\">"));

    TempOutput out(L".htm");
    GridTest::TestCursor c;
    c.AddColumn(L"<img src=x onerror=alert(1)>", SQL_C_WCHAR, SQL_WVARCHAR);
    c.AddColumn(L"n", SQL_C_DOUBLE, SQL_DOUBLE);
    c.rows.push_back({Text(L"a<b & c"), Text(L"3.14159")});
    c.rows.push_back({Text(L""), Null()});
    c.rows.push_back({Null(), Text(L"1")});
    {
        CHTMLDataFile file(out.Path(), true, true);
        file.BeginFile();
        WriteTable(file, c, CStringPair(L"s", L"<script>"), L"why <b>");
        file.EndFile();
    }
    std::string expected =
        "<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; "
        "charset=utf-8\">\r\n</HEAD>\r\n<BODY>\r\n"
        "<H4>s.&lt;script&gt;</H4>\r\n<PRE>why&nbsp;&lt;b&gt;</PRE><BR>\r\n"
        "<P>\r\n<TABLE CellSpacing=\"0\" CellPadding=\"1\" Border=\"1\">\r\n"
        "<THEAD BGColor=\"#B0B0B0\"><TR Align=\"center\">"
        "<TH>&lt;img&nbsp;src=x&nbsp;onerror=alert(1)&gt;<TH>n</THEAD>\r\n<TBODY>\r\n"
        "<TR Align=\"Left\"><TD>a&lt;b&nbsp;&amp;&nbsp;c<TD>3.14159\r\n"
        "<TR Align=\"Left\" BGColor=\"#E0E0E0\"><TD>&nbsp;<TD><NOBR>&lt;&lt;NULL&gt;&gt;</NOBR>\r\n"
        "<TR Align=\"Left\"><TD><NOBR>&lt;&lt;NULL&gt;&gt;</NOBR><TD>1\r\n"
        "</TBODY>\r\n</TABLE>\r\n<BR>\r\n</BODY></HTML>\r\n";
    EXPECT_EQ(expected, ReadBytes(out.Path()));
}

TEST(HtmlWriter, CellsOfTheCursorAreTheEscapedTextInUtf8)
{
    // Values read from a cursor go to the file escaped as Escape does it and in UTF-8, whatever
    // their mix of markup, line breaks, characters outside ASCII and length.
    std::wstring longValue;
    for (int i = 0; i < 60000; ++i)
        longValue += i % 7 == 0 ? L"\u00e9<" : L"x";
    const std::vector<std::wstring> values = {L"\u0416\u20ac & \U0001F600<\"q\">", L"1\r2\r\n3\n\r",
                                              L"\u00e9", L" ", longValue};
    GridTest::TestCursor c;
    AddTextColumns(c, {L"v"});
    for (const std::wstring& v : values)
        c.rows.push_back({Text(v.c_str())});
    TempOutput out(L".htm");
    {
        CHTMLDataFile file(out.Path(), false, false);
        for (c.MoveFirst(); !c.IsEOF(); c.MoveNext())
            file.AddValue(&c, 0);
    }
    std::string expected;
    for (const std::wstring& v : values)
    {
        const CString escaped = CHTMLDataFile::Escape(v.c_str());
        expected += "<TD>" + ToUtf8(escaped.GetString(), escaped.GetLength());
    }
    EXPECT_TRUE(expected == ReadBytes(out.Path()));
}

TEST(SqlWriter, SeparatorCommitLinesAndTableEnd)
{
    TempOutput out(L".sql");
    GridTest::TestCursor c;
    c.AddColumn(L"a", SQL_C_LONG, SQL_INTEGER);
    c.AddColumn(L"b", SQL_C_WCHAR, SQL_WVARCHAR);
    c.rows.push_back({Text(L"1"), Text(L"it's")});
    c.rows.push_back({Text(L"2"), Null()});
    c.rows.push_back({Text(L"3"), Text(L"")});
    CSQLScriptOptions options;
    options.strSeparator = L";";
    options.nTarget = SQLTARGET_POSTGRESQL;
    options.bCommit = true;
    options.nCommitCount = 2;
    options.nEncoding = SQLENC_UTF8;
    {
        CSQLDataFile file(out.Path(), options, nullptr);
        file.BeginFile();
        WriteTable(file, c, CStringPair(L"s", L"t"));
        file.EndFile();
    }
    EXPECT_EQ("INSERT INTO t (a,b) VALUES(1,'it''s');\n"
              "INSERT INTO t (a,b) VALUES(2,NULL);\n"
              "COMMIT ;\n"
              "INSERT INTO t (a,b) VALUES(3,'');\n"
              "\n"
              "COMMIT ;\n",
              ReadBytes(out.Path()));
}

TEST(SqlWriter, GoAndEmptySeparatorsAndUtf16Mark)
{
    GridTest::TestCursor c;
    c.AddColumn(L"a", SQL_C_LONG, SQL_INTEGER);
    c.rows.push_back({Text(L"1")});
    {
        TempOutput out(L".sql");
        CSQLScriptOptions options;
        options.strSeparator = L"\nGO";
        options.nTarget = SQLTARGET_MSSQL;
        options.nEncoding = SQLENC_UTF16;
        {
            CSQLDataFile file(out.Path(), options, nullptr);
            file.BeginFile();
            WriteTable(file, c, CStringPair(L"", L"t"));
            file.EndFile();
        }
        EXPECT_EQ(Utf16Bytes(L"\xFEFFINSERT INTO t (a) VALUES(1)\nGO\n\n"), ReadBytes(out.Path()));
    }
    {
        TempOutput out(L".sql");
        CSQLScriptOptions options;
        options.strSeparator = L"";
        options.nEncoding = SQLENC_UTF8;
        {
            CSQLDataFile file(out.Path(), options, nullptr);
            file.BeginFile();
            WriteTable(file, c, CStringPair(L"", L"t"));
            file.EndFile();
        }
        EXPECT_EQ("INSERT INTO t (a) VALUES(1)\n\n\n", ReadBytes(out.Path()));
    }
}

TEST(SqlWriter, NamesAreQuotedForTheTargetWithOrWithoutSchema)
{
    EXPECT_EQ(CString(L"orders"), QuoteNameForTarget(L"orders", SQLTARGET_POSTGRESQL));
    EXPECT_EQ(CString(L"\"Orders\""), QuoteNameForTarget(L"Orders", SQLTARGET_POSTGRESQL));
    EXPECT_EQ(CString(L"Orders"), QuoteNameForTarget(L"Orders", SQLTARGET_MSSQL));
    EXPECT_EQ(CString(L"\"Order Items\""), QuoteNameForTarget(L"Order Items", SQLTARGET_MSSQL));
    EXPECT_EQ(CString(L"\"a\"\"b\""), QuoteNameForTarget(L"a\"b", SQLTARGET_ORACLE));
    EXPECT_EQ(CString(L"\"select\""), QuoteNameForTarget(L"select", SQLTARGET_POSTGRESQL));

    GridTest::TestCursor c;
    c.AddColumn(L"UnitPrice", SQL_C_LONG, SQL_INTEGER);
    c.AddColumn(L"id", SQL_C_LONG, SQL_INTEGER);
    c.rows.push_back({Text(L"5"), Text(L"1")});
    for (bool schema : {false, true})
    {
        TempOutput out(L".sql");
        CSQLScriptOptions options;
        options.nTarget = SQLTARGET_POSTGRESQL;
        options.bSaveSchema = schema;
        options.nEncoding = SQLENC_UTF8;
        {
            CSQLDataFile file(out.Path(), options, nullptr);
            WriteTable(file, c, CStringPair(L"Sales Data", L"Order Items"));
        }
        std::string table = schema ? "\"Sales Data\".\"Order Items\"" : "\"Order Items\"";
        EXPECT_EQ("INSERT INTO " + table + " (\"UnitPrice\",id) VALUES(5,1);\n\n",
                  ReadBytes(out.Path()));
    }
}

TEST(SqlWriter, AnsiLossIsAskedOnceAndRefusalStops)
{
    GridTest::TestCursor c;
    AddTextColumns(c, {L"v"});
    c.rows.push_back({Text(L"café")});
    c.rows.push_back({Text(L"Жук")});
    c.rows.push_back({Text(L"€😀")});
    CSQLScriptOptions options;
    options.nTarget = SQLTARGET_POSTGRESQL;
    options.nEncoding = SQLENC_ANSI;
    int asked = 0;
    {
        TempOutput out(L".sql");
        {
            CSQLDataFile file(out.Path(), options, nullptr);
            file.SetLossyConversionQuestion([&] {
                ++asked;
                return true;
            });
            WriteTable(file, c, CStringPair(L"", L"t"));
        }
        EXPECT_EQ(1, asked);
        std::string bytes = ReadBytes(out.Path());
        EXPECT_NE(std::string::npos, bytes.find("VALUES('caf\xE9')"));
    }
    {
        TempOutput out(L".sql");
        {
            CSQLDataFile file(out.Path(), options, nullptr);
            EXPECT_TRUE(StopsWhenLossIsRefused(file, c));
        }
        EXPECT_EQ(std::string::npos, ReadBytes(out.Path()).find("?"));
    }
}

TEST(SqlWriter, OracleGuidsAsTextOrBinaryFromTheFakeDriver)
{
    CRDatabase db;
    ASSERT_TRUE(
        db.Open(QlTestDb::FakeConnect(L"Oracle"), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    for (int form : {0, 1})
    {
        CRRecordset rs(&db);
        ASSERT_TRUE(rs.Open(L"FAKE GUIDS", RS_FORWARD_ONLY, RS_READONLY));
        ASSERT_EQ(SQL_C_GUID, rs.GetColumnCType(1));
        TempOutput out(L".sql");
        CSQLScriptOptions options;
        options.nTarget = SQLTARGET_ORACLE;
        options.nGuidForm = form;
        options.nEncoding = SQLENC_UTF8;
        {
            CSQLDataFile file(out.Path(), options, &db);
            CStringPair name(L"", L"t");
            file.BeginTable(name, L"");
            file.AddColumnHeader(&rs, 0);
            file.EndHeader(name);
            do
            {
                file.BeginRow();
                file.AddValue(&rs, 0);
                file.EndRow();
            } while (rs.MoveNext() && !rs.IsEOF());
        }
        // The binary form is the GUID's sixteen bytes as they lie in memory.
        std::string value = form == 0 ? "'01234567-89AB-CDEF-0123-456789ABCDEF'"
                                      : "'67452301AB89EFCD0123456789ABCDEF'";
        std::string bytes = ReadBytes(out.Path());
        EXPECT_NE(std::string::npos, bytes.find("INSERT INTO t (ID) VALUES(" + value + ");\n"))
            << bytes;
        EXPECT_NE(std::string::npos, bytes.find("INSERT INTO t (ID) VALUES(NULL);\n")) << bytes;
    }
}

// A save that stops: before anything reached the disk the old file stays (or no file is made);
// a row begun when the save stopped leaves no trace; a writer released without a discard
// replaces the old file as a finished save does.
TEST(StoppedWriters, DiscardKeepsTheOldFileAndAnAbandonedRowIsDropped)
{
    GridTest::TestCursor c;
    AddTextColumns(c, {L"v"});
    c.rows.push_back({Text(L"a")});
    const CStringPair name(L"", L"t");
    // Stopped at its first row: the header and the row's start are written, nothing flushed.
    auto begin = [&](CDataFile& file) {
        file.BeginFile();
        file.BeginTable(name, L"");
        file.AddColumnHeader(&c, 0);
        file.EndHeader(name);
        c.MoveFirst();
        file.BeginRow();
        file.AddValue(&c, 0);
    };
    TempOutput out(L".htm");
    WriteBytes(out.Path(), "old");
    {
        CHTMLDataFile file(out.Path(), false, false);
        begin(file);
        EXPECT_TRUE(file.Discard());
    }
    EXPECT_EQ("old", ReadBytes(out.Path()));
    {
        CSQLDataFile file(out.Path(), CSQLScriptOptions(), nullptr);
        file.BeginFile();
        WriteTable(file, c, name);
        file.EndFile();
    }
    EXPECT_EQ("INSERT INTO t (v) VALUES(N'a');\n\n", ReadBytes(out.Path()));

    TempOutput fresh(L".csv");
    {
        CCSVDataFile file(fresh.Path(), L",");
        begin(file);
        EXPECT_TRUE(file.Discard());
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(fresh.Path()));

    // A row cut by the stop goes; the one before it and the closing steps stay.
    {
        CCSVDataFile file(fresh.Path(), L",");
        WriteTable(file, c, name);
        file.BeginRow();
        file.AddValue(CString(L"cut"), 0);
        file.AbandonRow();
        file.Flush();
        EXPECT_FALSE(file.Discard()); // bytes are on disk
    }
    EXPECT_EQ(std::string("\xFF\xFE\"\0v\0\"\0\n\0a\0\n\0", 14), ReadBytes(fresh.Path()));
}

// A row stopped after 100 rows leaves the file a save of those 100 rows leaves, also where a
// flush of the full buffer already took the row's start to the file (its first value needs more
// room than the buffer has left, or more than the whole buffer), and where the stop is the
// user's no to a lone surrogate in its second value, which the script meets with the
// statement's head already written. The stop is handled as the save job does: the row
// abandoned, the table and the file closed.
TEST(StoppedWriters, AStoppedRowLeavesNoTraceEvenWhereAFlushWroteItsStart)
{
    enum Format
    {
        Csv,
        Html,
        Utf8Script
    };
    const struct
    {
        Format format;
        int length; // of the stopped row's first value
        bool refused;
    } cases[] = {
        {Csv, 110000, false},       {Csv, 300000, false}, {Html, 240000, false},
        {Html, 300000, false},      {Html, 240000, true}, {Utf8Script, 10, true},
        {Utf8Script, 300000, true},
    };
    const CStringPair name(L"", L"t");
    for (const auto& c : cases)
    {
        auto write = [&](bool stop) {
            TempOutput out(c.format == Csv ? L".csv" : c.format == Html ? L".htm" : L".sql");
            {
                std::unique_ptr<CDataFile> file;
                if (c.format == Csv)
                    file = std::make_unique<CCSVDataFile>(out.Path(), L",");
                else if (c.format == Html)
                    file = std::make_unique<CHTMLDataFile>(out.Path(), false, false);
                else
                {
                    CSQLScriptOptions options;
                    options.nTarget = SQLTARGET_POSTGRESQL;
                    options.nEncoding = SQLENC_UTF8;
                    options.bCommit = true;
                    file = std::make_unique<CSQLDataFile>(out.Path(), options, nullptr);
                }
                if (auto* buffered = dynamic_cast<CBufferedDataFile*>(file.get()))
                    buffered->SetLossyConversionQuestion([] { return false; });
                file->BeginFile();
                file->BeginTable(name, L"");
                file->AddColumnHeader(CString(L"id"), 0);
                file->AddColumnHeader(CString(L"v"), 1);
                file->EndHeader(name);
                for (int i = 0; i < 100; ++i)
                {
                    file->BeginRow();
                    file->AddValue(CString(L"1"), 0);
                    file->AddValue(CString(L'x', 300), 1);
                    file->EndRow();
                }
                if (stop)
                {
                    file->BeginRow();
                    try
                    {
                        file->AddValue(CString(L'y', c.length), 0);
                        file->AddValue(CString(c.refused ? L"z\xD800" : L"z"), 1);
                        if (c.refused)
                        {
                            file->EndRow(); // where the script writes its statement
                            ADD_FAILURE() << "not stopped";
                        }
                    }
                    catch (CUserException* e)
                    {
                        e->Delete();
                    }
                    file->AbandonRow();
                }
                file->EndRows(name);
                file->EndTable(name);
                file->EndFile();
            }
            return ReadBytes(out.Path());
        };
        const std::string whole = write(false), stopped = write(true);
        EXPECT_TRUE(whole == stopped)
            << c.format << " " << c.length << " " << c.refused << ": " << stopped.size()
            << " bytes instead of " << whole.size() << ", ending "
            << stopped.substr(stopped.size() > 60 ? stopped.size() - 60 : 0);
    }
}

// UTF-8 cannot carry a surrogate without its partner: the HTML writer and the UTF-8 script ask
// once before writing U+FFFD for it, and stop when told no; a surrogate pair needs no question.
TEST(Utf8Writers, AskBeforeReplacingALoneSurrogate)
{
    GridTest::TestCursor c;
    AddTextColumns(c, {L"v"});
    c.rows.push_back({Text(L"\xD83D\xDE00")});
    c.rows.push_back({Text(L"a\xD800z")});
    c.rows.push_back({Text(L"\xDC00")});
    CSQLScriptOptions options;
    options.nTarget = SQLTARGET_POSTGRESQL;
    options.nEncoding = SQLENC_UTF8;
    for (bool html : {true, false})
    {
        TempOutput out(html ? L".htm" : L".sql");
        int asked = 0;
        // The file is closed at the end of the statement that writes it.
        auto write = [&](auto&& file) {
            file.SetLossyConversionQuestion([&] {
                ++asked;
                return true;
            });
            WriteTable(file, c, CStringPair(L"", L"t"));
        };
        if (html)
            write(CHTMLDataFile(out.Path(), false, false));
        else
            write(CSQLDataFile(out.Path(), options, nullptr));
        EXPECT_EQ(1, asked) << html;
        const std::string bytes = ReadBytes(out.Path());
        EXPECT_NE(std::string::npos, bytes.find("\xF0\x9F\x98\x80")) << html;
        EXPECT_NE(std::string::npos, bytes.find("a\xEF\xBF\xBDz")) << html;
    }
    TempOutput out(L".htm");
    CHTMLDataFile file(out.Path(), false, false);
    EXPECT_TRUE(StopsWhenLossIsRefused(file, c));
}
