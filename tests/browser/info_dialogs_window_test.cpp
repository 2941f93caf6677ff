// The driver information dialogs over psqlODBC and sqlite3odbc: the properties read from the
// connection, the type list, the functions list with its caption and header sorting; and the
// window-free choices behind them (type names by product, which cursor's attributes are shown).
#include "browser/functions_dlg.h"
#include "browser/info_texts.h"
#include "browser/odbc_properties_dlg.h"
#include "browser/types_dlg.h"

#include "resources/resource.h"
#include "tests/windows/window_test_util.h"

#include <gtest/gtest.h>

using namespace gwtest;

namespace {

int FindRow(CListCtrl& list, LPCWSTR text, int nColumn = 0)
{
    for (int i = 0; i < list.GetItemCount(); ++i)
        if (list.GetItemText(i, nColumn) == text)
            return i;
    return -1;
}

CString ItemTextOf(CWnd& dlg, int nID)
{
    CString text;
    dlg.GetDlgItemText(nID, text);
    return text;
}

void ClickHeader(CFunctionsDlg& dlg, int nColumn)
{
    NMLISTVIEW nm = {};
    nm.hdr.hwndFrom = dlg.GetList().GetSafeHwnd();
    nm.hdr.idFrom = IDC_DBO_LIST;
    nm.hdr.code = LVN_COLUMNCLICK;
    nm.iItem = -1;
    nm.iSubItem = nColumn;
    dlg.SendMessage(WM_NOTIFY, IDC_DBO_LIST, (LPARAM)&nm);
}

// True when the column's texts are in ordinal order (ascending or descending).
bool IsSorted(CListCtrl& list, int nColumn, bool bAscending)
{
    for (int i = 1; i < list.GetItemCount(); ++i)
        if (CompareTextsOrdinal(list.GetItemText(i - 1, nColumn), list.GetItemText(i, nColumn),
                                bAscending) > 0)
            return false;
    return true;
}

class InfoDialogs : public testing::Test
{
protected:
    void SetUp() override
    {
        MessageBoxes().clear();
        m_pHost = CreateHost();
        ASSERT_NE(m_pHost, nullptr);
    }
    void TearDown() override { DestroyHost(m_pHost); }

    CHostFrame* m_pHost = nullptr;
    CRDatabase m_db;
};

} // namespace

TEST(InfoTexts, SQLServerTypeCodesAreNamedOnlyForSQLServer)
{
    EXPECT_EQ(SQLTypeNameText(-155, DBMS_MSSQL), CString(L"SQL_SS_TIMESTAMPOFFSET"));
    EXPECT_EQ(SQLTypeNameText(-155, DBMS_POSTGRESQL), CString(L"?"));
    EXPECT_EQ(SQLTypeNameText(-153, DBMS_MSSQL), CString(L"?"));
    EXPECT_EQ(SQLTypeNameText(-11, DBMS_OTHER), CString(L"SQL_GUID"));
    EXPECT_EQ(SQLTypeNameText(93, DBMS_OTHER), CString(L"SQL_TYPE_TIMESTAMP"));
}

TEST(InfoTexts, CursorAttributesFollowTheCursorTypeWhenSupportedElseTheFirstSupported)
{
    const DWORD keyset = SQL_SO_KEYSET_DRIVEN, dynamic = SQL_SO_DYNAMIC, statik = SQL_SO_STATIC;
    EXPECT_EQ(ChooseCursorAttributes(0, keyset | statik).nInfoType1, SQL_KEYSET_CURSOR_ATTRIBUTES1);
    EXPECT_EQ(ChooseCursorAttributes(1, keyset | statik).nInfoType2, SQL_STATIC_CURSOR_ATTRIBUTES2);
    EXPECT_EQ(ChooseCursorAttributes(3, dynamic | statik).nInfoType1,
              SQL_DYNAMIC_CURSOR_ATTRIBUTES1);
    // Forward-only asked for, keyset supported: the keyset attributes.
    EXPECT_EQ(CString(ChooseCursorAttributes(2, keyset | SQL_SO_FORWARD_ONLY).pszSuffix),
              CString(L" (keyset driven)"));
    EXPECT_EQ(CString(ChooseCursorAttributes(3, statik).pszSuffix), CString(L" (static)"));
    EXPECT_EQ(CString(ChooseCursorAttributes(0, SQL_SO_FORWARD_ONLY).pszSuffix),
              CString(L" (forward only)"));
    EXPECT_EQ(InfoLimitText(0), CString(L"no limit"));
    EXPECT_EQ(InfoLimitText(63), CString(L"63"));
}

TEST_F(InfoDialogs, PostgresPropertiesTypesAndFunctions)
{
    ASSERT_TRUE(m_db.Open(QlTestDb::PostgresConnect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));

    CODBCProp prop(m_pHost);
    FillConnectionProperties(prop, m_db, 2);
    ASSERT_TRUE(prop.Create(IDD_DBO_CONNECTION_PROPERTIES, m_pHost));
    EXPECT_EQ(ItemTextOf(prop, IDC_ODBCP_DBMS_NAME), CString(L"PostgreSQL"));
    EXPECT_EQ(ItemTextOf(prop, IDC_ODBCP_IDENT_CASE),
              CString(L"Not case-sensitive, stored in lowercase"));
    EXPECT_EQ(ItemTextOf(prop, IDC_ODBCP_DATABASE_NAME), CString(L"quenlark"));
    EXPECT_FALSE(ItemTextOf(prop, IDC_ODBCP_TXN_SUPPORT).IsEmpty());
    EXPECT_NE(ItemTextOf(prop, IDC_ODBCP_TXN_SUPPORT), CString(L"?"));
    // The cursor library text always ends with the kind of cursor whose attributes are shown.
    EXPECT_EQ(ItemTextOf(prop, IDC_ODBCP_CURSOR_LIB).Right(1), CString(L")"));
    EXPECT_EQ(prop.IsDlgButtonChecked(IDC_ODBCP_FORWARD_ONLY), 1u);
    prop.DestroyWindow();

    CTypesDlg types(&m_db, nullptr);
    ASSERT_TRUE(types.Create(IDD_DBO_TYPES, m_pHost));
    CListCtrl& typeList = types.GetList();
    ASSERT_GT(typeList.GetItemCount(), 5);
    const int nInt4 = FindRow(typeList, L"int4");
    ASSERT_GE(nInt4, 0);
    EXPECT_EQ(typeList.GetItemText(nInt4, 2), CString(L"SQL_INTEGER"));
    EXPECT_EQ(typeList.GetItemText(nInt4, 1), CString(L"10"));
    EXPECT_EQ(typeList.GetItemText(nInt4, 3), CString(L"Yes"));
    EXPECT_TRUE(MessageBoxes().empty());
    types.DestroyWindow();

    CFunctionsDlg functions(&m_db, m_pHost);
    ASSERT_TRUE(functions.Create(IDD_DBO_FUNCTIONS, m_pHost));
    CString caption, version;
    functions.GetWindowText(caption);
    ASSERT_TRUE(m_db.GetDriverODBCVersion(version));
    EXPECT_EQ(caption, L"Functions (PostgreSQL ODBC ver " + version + L")");
    CRListCtrl& list = functions.GetList();
    ASSERT_GT(list.GetItemCount(), 20);
    // Opened in the order its header arrow shows: Name, ascending.
    EXPECT_EQ(functions.GetSortColumn(), 0);
    EXPECT_TRUE(functions.IsAscending(0));
    EXPECT_TRUE(IsSorted(list, 0, true));
    const int nCount = list.GetItemCount();
    // A row is marked exactly when the driver reports its bit; psqlODBC reports some of each.
    DWORD nAggregates = 0, nStrings = 0;
    ASSERT_TRUE(m_db.GetInfoDWord(SQL_AGGREGATE_FUNCTIONS, nAggregates));
    ASSERT_TRUE(m_db.GetInfoDWord(SQL_STRING_FUNCTIONS, nStrings));
    EXPECT_NE(nStrings & SQL_FN_STR_CONCAT, 0u);
    auto imageOf = [&](LPCWSTR pszName) {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = FindRow(list, pszName);
        EXPECT_GE(item.iItem, 0) << A(pszName);
        list.GetItem(&item);
        return item.iImage;
    };
    EXPECT_EQ(imageOf(L"Count"), (nAggregates & SQL_AF_COUNT) != 0 ? 0 : I_IMAGENONE);
    EXPECT_EQ(imageOf(L"Concat"), 0);

    ClickHeader(functions, 0); // first click on Name: descending
    EXPECT_FALSE(functions.IsAscending(0));
    EXPECT_TRUE(IsSorted(list, 0, false));
    EXPECT_EQ(list.GetItemCount(), nCount);
    ClickHeader(functions, 0);
    EXPECT_TRUE(IsSorted(list, 0, true));
    ClickHeader(functions, 1); // Type keeps its own direction: descending first
    EXPECT_EQ(functions.GetSortColumn(), 1);
    EXPECT_TRUE(IsSorted(list, 1, false));
    EXPECT_EQ(list.GetItemText(0, 1), CString(L"Time/Date"));
    // Rows keep their own texts through the sorts: "Count" is still an aggregate.
    EXPECT_EQ(list.GetItemText(FindRow(list, L"Count"), 1), CString(L"Aggregate"));
    functions.DestroyWindow();
}

TEST_F(InfoDialogs, SQLitePropertiesAndTypes)
{
    QlTestDb::TempSQLiteFile file;
    ASSERT_TRUE(m_db.Open(file.Connect(), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    CODBCProp prop(m_pHost);
    FillConnectionProperties(prop, m_db, 0);
    EXPECT_EQ(prop.m_strDBMSName, CString(L"SQLite"));
    EXPECT_FALSE(prop.m_strDriverName.IsEmpty());

    CTypesDlg types(&m_db, nullptr);
    ASSERT_TRUE(types.Create(IDD_DBO_TYPES, m_pHost));
    CListCtrl& list = types.GetList();
    ASSERT_GT(list.GetItemCount(), 0);
    EXPECT_GE(FindRow(list, L"SQL_INTEGER", 2), 0);
    // The list keeps the names in order by itself.
    for (int i = 1; i < list.GetItemCount(); ++i)
        EXPECT_LE(list.GetItemText(i - 1, 0).CompareNoCase(list.GetItemText(i, 0)), 0);
    types.DestroyWindow();
    m_db.Close();
}
