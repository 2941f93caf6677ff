// End to end: a save from a table grid of the real program into a folder nobody may write
// shows an error that says why and leaves no file. (Saves to a full disk are with the other
// stopped saves, e2e_save_stopped_test.cpp.)
//
// The file system is mounted around the test program (tests/app/CMakeLists.txt); without root
// it is an ordinary folder and the test skips.
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
