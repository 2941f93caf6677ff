// What the end-to-end save tests share: Query > Save Data... on the active grid window, the
// INSERT script options for PostgreSQL, the wait dialog's row counter, the row count in the
// message of a save stopped early, and a fixture on schemas of the test's own on the shared
// PostgreSQL server.
#pragma once

#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"
#include "tests/support/program_driver.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace QlSave {

inline std::string U8(const std::wstring& s)
{
    return std::string(CStringA(s.c_str()));
}

// Query > Save Data... on the active grid window: the file dialog with this file and type.
inline bool SaveGridAs(ql::CProgram& program, const std::wstring& path, const std::wstring& type)
{
    HWND save = program.PostCommandForDialog(ID_QUERY_SAVE_DATA, L"Save As");
    return save != nullptr && ql::CProgram::ChooseSaveFile(save, path, type);
}

// After the file dialog of an INSERT script: its options for the target (the dialog's index:
// 4 PostgreSQL, 5 SQLite) in UTF-8 without the schema (psql runs the script into another
// schema), then the finished file's bytes.
inline std::string WriteInsertScript(ql::CProgram& program, const std::wstring& path, int target)
{
    HWND options = program.WaitForDialog(L"Save As SQL Script");
    if (options == nullptr)
    {
        ADD_FAILURE() << "no Save As SQL Script dialog: " << program.Describe();
        return std::string();
    }
    ql::CProgram::ChooseInsertScriptOptions(options, target, 2, false);
    return ql::CProgram::WaitForClosedFile(path);
}

inline std::string WritePostgresScript(ql::CProgram& program, const std::wstring& path)
{
    return WriteInsertScript(program, path, 4);
}

// After the file dialog of a CSV file: its options with a comma between fields, then the finished
// file's text (UTF-16, as the options' default encoding writes it).
inline std::wstring WriteCommaSeparated(ql::CProgram& program, const std::wstring& path)
{
    HWND options = program.WaitForDialog(L"Save As CSV File");
    if (options == nullptr)
    {
        ADD_FAILURE() << "no Save As CSV File dialog: " << program.Describe();
        return std::wstring();
    }
    ql::CProgram::SetText(options, 1020, L",");
    ql::CProgram::Click(options, IDOK);
    const std::string bytes = ql::CProgram::WaitForClosedFile(path);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

// The wait dialog of a save once its message line counts rows written; null when the dialog
// or the rows do not come.
inline HWND WaitForRowsWritten(ql::CProgram& program)
{
    const int kRowCounter = 1003; // the wait dialog's message line
    HWND wait = program.WaitForDialog(L"Please wait...");
    if (wait == nullptr ||
        !ql::WaitFor([&] { return _wtoi(ql::CProgram::Text(wait, kRowCounter).c_str()) > 0; }))
        return nullptr;
    return wait;
}

// The N of "The file is incomplete: it holds only N rows.", or -1.
inline long RowsSaid(const std::wstring& text)
{
    const std::wstring lead = L"The file is incomplete: it holds only ";
    const size_t at = text.find(lead);
    return at == std::wstring::npos ? -1 : _wtol(text.c_str() + at + lead.size());
}

// A save test with a connection to the shared PostgreSQL server, schemas of its own there
// (dropped with their tables at the end) and a scratch folder for its files.
class CPostgresSaveTest : public ::testing::Test
{
protected:
    explicit CPostgresSaveTest(const wchar_t* folder) : m_folderName(folder) {}
    void SetUp() override
    {
        ql::CleanSettings();
        QlConnTest::OpenOrFail(m_db, QlTestDb::PostgresConnect());
        m_folder = ql::ScratchFolder(m_folderName + L"_" + ql::UniqueSuffix());
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
    }

    void Exec(const CString& sql) { QlConnTest::ExecOrFail(m_db, sql); }
    // A new schema named by the prefix and a token unique to this run.
    CString CreateSchema(const CString& prefix)
    {
        return m_schemas.Create(prefix + CString(ql::UniqueSuffix().c_str()));
    }
    bool SaveGridAs(const std::wstring& path, const std::wstring& type)
    {
        return QlSave::SaveGridAs(program, path, type);
    }

    CRDatabase m_db;
    QlConnTest::CScratchSchemas m_schemas{m_db};
    std::wstring m_folder;
    ql::CProgram program;

private:
    std::wstring m_folderName;
};

} // namespace QlSave
