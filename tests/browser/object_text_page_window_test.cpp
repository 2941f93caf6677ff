// The Text page of the information dialog over psqlODBC: a read-only colour editor that wraps
// its lines when "DBOTextWordWrap" is set, and keeps the choice made in its menu for the next
// dialog.
#include "browser/object_pages.h"

#include "app/app_settings.h"
#include "editor/editor_class.h"
#include "editor/rce_messages.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "tests/windows/window_test_util.h"

#include <gtest/gtest.h>

using namespace gwtest;

namespace {

CString RegText(LPCWSTR pszName)
{
    wchar_t value[16] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, theSettings.m_strKeyPath, pszName, RRF_RT_REG_SZ, nullptr,
                       value, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return value;
}

class ObjectTextPage : public testing::Test
{
protected:
    void SetUp() override
    {
        // The program registers the editor's window class at start-up; this test program does
        // it here.
        ASSERT_TRUE(RegisterRColorEditorClass(::GetModuleHandleW(nullptr)));
        MessageBoxes().clear();
        m_pHost = CreateHost();
        ASSERT_NE(m_pHost, nullptr);
        ASSERT_TRUE(m_helper.GetDatabase().Open(QlTestDb::PostgresConnect(),
                                                CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
        m_schema = (L"ql_txt_" + QlTestDb::UniqueTag()).c_str();
        Exec(L"CREATE SCHEMA " + m_schema);
        Exec(L"CREATE VIEW " + m_schema + L".v1 AS SELECT 1 AS id, 'a rather long text' AS note");
        m_bSavedWrap = theSettings.m_bDBOTextWordWrap;
    }
    void TearDown() override
    {
        theSettings.m_bDBOTextWordWrap = m_bSavedWrap;
        theSettings.SaveDBOTextWordWrap();
        DestroyHost(m_pHost);
        if (m_helper.GetDatabase().IsOpen())
            Exec(L"DROP SCHEMA " + m_schema + L" CASCADE");
    }
    void Exec(const CString& sql) { m_helper.GetDatabase().ExecuteSQL(sql); }
    HWND OpenTextPage(CDBOPropertiesDlg& dlg)
    {
        if (!dlg.Create(IDD_DBO_PROPERTIES, m_pHost))
            return nullptr;
        auto* pPage = static_cast<CDBOTextDlg*>(dlg.GetPage(DBOPAGE_TEXT));
        return pPage && pPage->IsLoaded() ? pPage->GetEditor()->GetSafeHwnd() : nullptr;
    }
    UINT Options(HWND hEditor) { return (UINT)::SendMessageW(hEditor, RCEM_GETOPTIONS, 0, 0); }

    CHostFrame* m_pHost = nullptr;
    CRDatabaseHelper m_helper;
    CString m_schema;
    int m_bSavedWrap = 0;
};

TEST_F(ObjectTextPage, WrapsAsTheSettingSaysAndKeepsTheMenuChoice)
{
    theSettings.m_bDBOTextWordWrap = 1;
    CDBOPropertiesDlg dlg(&m_helper, CStringPair(m_schema, L"v1"), DBOBJ_VIEW, DBOPAGE_TEXT,
                          m_pHost);
    HWND hEditor = OpenTextPage(dlg);
    ASSERT_NE(hEditor, nullptr) << A(LastMessageBox());
    wchar_t cls[64] = {};
    ::GetClassNameW(hEditor, cls, 64);
    EXPECT_STREQ(cls, L"RColorEditorClass");
    EXPECT_NE(::GetWindowLongW(hEditor, GWL_STYLE) & ES_READONLY, 0);
    EXPECT_EQ(Options(hEditor) & (RCEO_WORDWRAP | RCEO_WORDWRAPMENU),
              UINT(RCEO_WORDWRAP | RCEO_WORDWRAPMENU));
    CString text;
    CWnd::FromHandle(hEditor)->GetWindowText(text);
    EXPECT_EQ(text, QlConnTest::QueryText(m_helper.GetDatabase(),
                                          L"SELECT definition FROM pg_views WHERE schemaname = '" +
                                              m_schema + L"' AND viewname = 'v1'"));

    // Word wrap switched off in the editor's menu: kept when the dialog closes.
    ::SendMessageW(hEditor, RCEM_SETOPTIONS, TRUE, Options(hEditor) & ~RCEO_WORDWRAP);
    dlg.DestroyWindow();
    EXPECT_EQ(theSettings.m_bDBOTextWordWrap, 0);
    EXPECT_EQ(RegText(L"DBOTextWordWrap"), CString(L"No"));

    CDBOPropertiesDlg next(&m_helper, CStringPair(m_schema, L"v1"), DBOBJ_VIEW, DBOPAGE_TEXT,
                           m_pHost);
    hEditor = OpenTextPage(next);
    ASSERT_NE(hEditor, nullptr);
    EXPECT_EQ(Options(hEditor) & (RCEO_WORDWRAP | RCEO_WORDWRAPMENU), UINT(RCEO_WORDWRAPMENU));
    next.DestroyWindow();
    EXPECT_TRUE(MessageBoxes().empty()) << A(LastMessageBox());
}

} // namespace
