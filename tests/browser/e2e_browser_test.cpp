// End to end: the database bar of Quenlark.exe connected to PostgreSQL at start-up: the tables
// tree, Copy Name onto the clipboard, and the Delete key's question with No and Yes.
#include "tests/dbaccess/conn_test_util.h"
#include "tests/dbaccess/test_databases.h"
#include "tests/support/program_driver.h"

#include "dbaccess/database.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

// The item of a tree in the program: a child of the root item with the parent's text.
HTREEITEM FindRemoteItem(ql::CProgram& program, HWND tree, const std::wstring& parent,
                         const std::wstring& child)
{
    void* remote =
        VirtualAllocEx(program.Process(), nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote == nullptr)
        return nullptr;
    auto text = [&](HTREEITEM node) {
        TVITEMW item{};
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = node;
        item.cchTextMax = 1000;
        item.pszText = reinterpret_cast<LPWSTR>(static_cast<BYTE*>(remote) + sizeof(TVITEMW));
        WriteProcessMemory(program.Process(), remote, &item, sizeof(item), nullptr);
        SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)remote);
        wchar_t buffer[1001] = {};
        ReadProcessMemory(program.Process(), static_cast<BYTE*>(remote) + sizeof(TVITEMW), buffer,
                          1000 * sizeof(wchar_t), nullptr);
        return std::wstring(buffer);
    };
    HTREEITEM found = nullptr;
    for (HTREEITEM node = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
         node && !found;
         node = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)node))
    {
        if (text(node) != parent)
            continue;
        for (HTREEITEM item =
                 (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)node);
             item; item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item))
            if (text(item) == child)
            {
                found = item;
                break;
            }
    }
    VirtualFreeEx(program.Process(), remote, 0, MEM_RELEASE);
    return found;
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT))
    {
        text = static_cast<const wchar_t*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

class DatabaseBarE2E : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ql::CleanSettings();
        QlConnTest::OpenOrFail(m_db, QlTestDb::PostgresConnect());
        m_tag.Format(L"%lu_%lu", GetCurrentProcessId(), GetTickCount() % 1000000);
        m_child = L"ql_e2e_child_" + m_tag;
        m_items = L"Order Items " + m_tag;
        m_db.ExecuteSQL(L"CREATE TABLE public." + m_child + L" (id int)");
        m_db.ExecuteSQL(L"CREATE TABLE public.\"" + m_items + L"\" (id int)");
    }
    void TearDown() override
    {
        program.Kill();
        ql::CleanSettings();
        m_db.ExecuteSQL(L"DROP TABLE IF EXISTS public." + m_child);
        m_db.ExecuteSQL(L"DROP TABLE IF EXISTS public.\"" + m_items + L"\"");
    }
    // Starts the program connected to PostgreSQL with the database bar shown.
    HWND StartConnected()
    {
        ql::WriteRegString(L"Grid lines", L"Yes");
        ql::WriteRegString(L"Connect DB at startup", L"Yes");
        ql::WriteRegString(L"DBBarVisible", L"Yes");
        ql::WriteRegString(L"ConnectString0", std::wstring(QlTestDb::PostgresConnect()),
                           L"ConnectStrings");
        if (!program.Start())
            return nullptr;
        HWND tree = nullptr;
        ql::WaitFor([&] { return (tree = program.FindChild(IDW_DBO_TABLES_TREE)) != nullptr; });
        return tree;
    }
    bool TableExists(const CString& name)
    {
        return QlConnTest::QueryText(m_db, L"SELECT count(*) FROM pg_tables WHERE schemaname = "
                                           L"'public' AND tablename = '" +
                                               name + L"'") == L"1";
    }

    ql::CProgram program;
    CRDatabase m_db;
    CString m_tag, m_child, m_items;
};

TEST_F(DatabaseBarE2E, CopyNameAndDeleteWithNoThenYes)
{
    HWND tree = StartConnected();
    ASSERT_NE(tree, nullptr);
    HTREEITEM items = nullptr;
    ASSERT_TRUE(ql::WaitFor([&] {
        return (items = FindRemoteItem(program, tree, L"public", (LPCWSTR)m_items)) != nullptr;
    })) << "the tables tree lists the new table under public";

    // Copy Name: PUBLIC is a reserved word, the blanks need quotes too.
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)items);
    PostMessageW(tree, WM_COMMAND, ID_DBO_COPY_NAME, 0);
    const std::wstring expected = L"\"public\".\"" + std::wstring(m_items) + L"\"";
    EXPECT_TRUE(ql::WaitFor([&] { return ClipboardText() == expected; }, 5000))
        << "clipboard: " << std::string(CStringA(ClipboardText().c_str()));

    // Delete asks first; No keeps the table, Yes drops it and removes the item.
    HTREEITEM child = FindRemoteItem(program, tree, L"public", (LPCWSTR)m_child);
    ASSERT_NE(child, nullptr);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)child);
    ql::CProgram::PressKey(tree, VK_DELETE);
    HWND box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ql::CProgram::MessageBoxText(box),
              L"Table '\"public\"." + std::wstring(m_child) + L"' will be dropped.\nContinue?");
    ql::CProgram::Click(box, IDNO);
    EXPECT_TRUE(ql::WaitFor([&] { return program.FindMessageBox() == nullptr; }));
    EXPECT_TRUE(TableExists(m_child));

    ql::CProgram::PressKey(tree, VK_DELETE);
    box = program.WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    ql::CProgram::Click(box, IDYES);
    EXPECT_TRUE(ql::WaitFor([&] { return !TableExists(m_child); }, 10000));
    EXPECT_TRUE(ql::WaitFor(
        [&] { return FindRemoteItem(program, tree, L"public", (LPCWSTR)m_child) == nullptr; }));
    EXPECT_TRUE(program.Close());
}

} // namespace
