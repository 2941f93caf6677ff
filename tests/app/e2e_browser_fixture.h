// The fixture of the object browser's end-to-end tests: the program on clean settings, connected
// at start-up to a database of the test's own (created before, dropped after each test).
#pragma once

#include "tests/app/e2e_scratch_database.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

class CBrowserE2ETest : public ::testing::Test
{
protected:
    explicit CBrowserE2ETest(CScratchDatabase::Server server) : m_db(server) {}
    void SetUp() override
    {
        ql::CleanSettings();
        ASSERT_TRUE(m_db.Create());
    }
    void TearDown() override
    {
        m_program.Kill();
        ql::CleanSettings();
        m_db.Drop();
    }
    bool Start() { return m_program.StartConnected(std::wstring(m_db.Connect())); }
    // Starts the program, shows the bar's tab and waits for the item schema / name in the
    // tab's tree (found by its control id); null when it does not come.
    HTREEITEM StartOn(const std::wstring& tab, int treeId, const std::wstring& schema,
                      const std::wstring& name, HWND& tree)
    {
        HTREEITEM item = nullptr;
        if (Start() && m_program.ShowBarTab(tab, tree = m_program.FindChild(treeId)))
            ql::WaitFor([&] { return (item = m_program.FindTreeItem(tree, schema, name)); });
        return item;
    }

    CScratchDatabase m_db;
    ql::CProgram m_program;
};
