// End to end: a save from a table grid of the real program to a full disk or into a folder
// nobody may write shows an error that says why and what it left: a cut text file is said to be
// incomplete, no workbook is left behind.
//
// The file systems are mounted around the test program (tests/app/CMakeLists.txt); without
// root they are ordinary folders and the tests skip.
#include "tests/app/e2e_save.h"

#include "dbaccess/database.h"

namespace {

using QlSave::U8;

// The folder of a mounted test file system when it is mounted (a small total size), else empty.
std::wstring MountedFolder(const char* name)
{
    std::wstring folder = ql::WindowsPath(ql::BinaryDir() + "/tests/" + name);
    ULARGE_INTEGER available{}, total{};
    if (!GetDiskFreeSpaceExW((folder + L"\\").c_str(), &available, &total, nullptr) ||
        total.QuadPart > 1024 * 1024)
        return std::wstring();
    return folder;
}

class SaveDiskErrorsE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        CRDatabase db;
        ASSERT_TRUE(db.Open(m_file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        db.ExecuteSQL(L"CREATE TABLE wide (id integer PRIMARY KEY, digits text)");
        // 20,000 rows of 100 random hexadecimal digits: megabytes as text and far more than
        // the small disk holds even deflated in a workbook.
        db.ExecuteSQL(L"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                      L"20000) INSERT INTO wide SELECT i, hex(randomblob(50)) FROM n");
        db.Close();
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }

    // Saves the grid under the path as the type; returns the text of the message box that
    // follows (closed with OK), or "<no message>".
    std::wstring SaveExpectingError(const std::wstring& path, const std::wstring& type)
    {
        if (!QlSave::SaveGridAs(program, path, type))
            return L"<no save dialog>";
        if (type == L"Comma")
        {
            HWND options = program.WaitForDialog(L"Save As CSV File");
            if (!options)
                return L"<no CSV options>";
            ql::CProgram::Click(options, IDOK);
        }
        HWND box = program.WaitForMessageBox(60000);
        if (!box)
            return L"<no message>";
        const std::wstring text = ql::CProgram::MessageBoxText(box);
        ql::CProgram::Click(box, IDOK);
        program.WaitUntilIdle();
        return text;
    }

    QlTestDb::TempSQLiteFile m_file;
    ql::CProgram program;
};

TEST_F(SaveDiskErrorsE2E, FullDiskStopsWithAClearErrorAndNoWorkbook)
{
    const std::wstring folder = MountedFolder("app_full_disk");
    if (folder.empty())
        GTEST_SKIP() << "no small file system mounted for the full-disk test";
    const std::wstring name = L"\\wide_" + ql::UniqueSuffix();
    ASSERT_TRUE(program.StartConnected(std::wstring(m_file.Connect()))) << program.Describe();
    ASSERT_TRUE(program.OpenTableGrid(L"", L"wide"));

    std::wstring text = SaveExpectingError(folder + name + L".csv", L"Comma");
    EXPECT_NE(std::wstring::npos, text.find(L"disk")) << U8(text);
    // What the disk took stays, and the message says the file is incomplete.
    EXPECT_NE(std::wstring::npos, text.find(name + L".csv\nThe file is incomplete.")) << U8(text);
    DeleteFileW((folder + name + L".csv").c_str());

    // The workbook is built beside the target and moved there only when complete.
    text = SaveExpectingError(folder + name + L".xlsx", L"Excel");
    EXPECT_NE(std::wstring::npos, text.find(L"disk")) << U8(text);
    // The message names the file the user chose, not the temporary one beside it.
    EXPECT_NE(std::wstring::npos, text.find(name + L".xlsx")) << U8(text);
    EXPECT_FALSE(ql::FileExists(folder + name + L".xlsx"));
    EXPECT_FALSE(ql::FileExists(folder + name + L".saving.xlsx"));
    EXPECT_TRUE(program.Close());
}

TEST_F(SaveDiskErrorsE2E, UnwritableFolderStopsWithAClearErrorAndNoFile)
{
    const std::wstring folder = MountedFolder("app_read_only");
    if (folder.empty())
        GTEST_SKIP() << "no read-only file system mounted for the unwritable-folder test";
    const std::wstring name = L"\\wide_" + ql::UniqueSuffix();
    ASSERT_TRUE(program.StartConnected(std::wstring(m_file.Connect()))) << program.Describe();
    ASSERT_TRUE(program.OpenTableGrid(L"", L"wide"));

    for (const wchar_t* type : {L"Comma", L"HTML", L"Excel"})
    {
        const std::wstring extension = type == std::wstring(L"Comma")  ? L".csv"
                                       : type == std::wstring(L"HTML") ? L".htm"
                                                                       : L".xlsx";
        const std::wstring text = SaveExpectingError(folder + name + extension, type);
        EXPECT_NE(std::wstring::npos, text.find(name + extension)) << U8(text);
        EXPECT_FALSE(ql::FileExists(folder + name + extension)) << U8(type);
    }
    EXPECT_TRUE(program.Close());
}

} // namespace
