// End to end: saves that stop before their end. A PostgreSQL session killed under an HTML save
// leaves a file closed well formed, and the error box says the file is incomplete and how many
// rows it holds, which are the rows in the file. An INSERT script in the ANSI code page asks
// before it loses a character ("Gdańsk" has none there); Cancel at that question leaves the
// file that was there as it was, and no file where there was none.
#include "tests/app/e2e_save.h"
#include "tests/app/e2e_tagged_session.h"

#include "dbaccess/database.h"

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

TEST_F(SaveStoppedE2E, PostgreSQLSessionLostDuringAnHtmlSaveEndsTheFileAndTellsItsRows)
{
    CRDatabase db;
    QlConnTest::OpenOrFail(db, QlTestDb::PostgresConnect());
    QlConnTest::CScratchSchemas schemas{db};
    const CString schema = schemas.Create(L"qlstop_" + CString(ql::UniqueSuffix().c_str()));
    QlConnTest::ExecOrFail(db, L"CREATE TABLE " + schema +
                                   L".big AS SELECT g AS id, 'row ' || g AS name "
                                   L"FROM generate_series(1, 1000000) g");
    const CTaggedPostgresSession session(L"qlstop_" + QlTestDb::UniqueTag());
    ASSERT_TRUE(program.StartConnected(session.Connect())) << program.Describe();
    ASSERT_TRUE(program.OpenTableGrid(std::wstring(schema), L"big"));

    const std::wstring html = m_folder + L"\\big.htm";
    ASSERT_TRUE(SaveGridAs(html, L"HTML"));
    ASSERT_NE(QlSave::WaitForRowsWritten(program), nullptr) << program.Describe();
    session.Terminate(db);

    // One box: the lost connection, then the file's state, once the wait dialog is gone.
    HWND box = program.WaitForMessageBox(60000);
    ASSERT_NE(box, nullptr) << program.Describe();
    EXPECT_EQ(nullptr, program.FindDialog(L"Please wait..."));
    const std::wstring text = ql::CProgram::MessageBoxText(box);
    ql::CProgram::Click(box, IDOK);
    EXPECT_NE(std::wstring::npos, text.find(L"ODBC error code")) << U8(text);
    EXPECT_NE(std::wstring::npos, text.find(html + L"\nThe file is incomplete")) << U8(text);

    const std::string bytes = ql::CProgram::WaitForClosedFile(html);
    const std::string ending = "</TBODY>\r\n</TABLE>\r\n<BR>\r\n</BODY></HTML>\r\n";
    ASSERT_GE(bytes.size(), ending.size());
    EXPECT_EQ(ending, bytes.substr(bytes.size() - ending.size()));
    const size_t rows = Count(bytes, "<TR Align=\"Left\"");
    EXPECT_GT(rows, 0u);
    EXPECT_LT(rows, 1000000u);
    EXPECT_EQ((long)rows, QlSave::RowsSaid(text)) << U8(text);
    // Every row in the file is whole: two cells each.
    EXPECT_EQ(2 * rows, Count(bytes, "<TD"));
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

} // namespace
