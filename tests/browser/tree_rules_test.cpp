// Window-free rules of the object trees: menu trimming, the drop question, which catalog rows a
// MySQL-kind tree keeps, and the rename dialog's texts.
#include "browser/rename_dlg.h"
#include "browser/tree_rules.h"
#include "resources/resource.h"
#include "services/database_helper.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

bool Has(const std::vector<UINT>& ids, UINT id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

CRTables::CTableInfo Row(LPCWSTR cat, LPCWSTR schema, LPCWSTR name)
{
    CRTables::CTableInfo info = {};
    wcscpy_s(info.szTableCat, cat);
    wcscpy_s(info.szTableSchem, schema);
    wcscpy_s(info.szTableName, name);
    info.nTableType = CRTables::typeTable;
    return info;
}

TEST(TreeMenus, EachKindLosesOnlyWhatTheProductCannotDo)
{
    const CDBOMenuCaps none;
    std::vector<UINT> table = GetRemovedObjectCommands(DBOBJ_TABLE, none);
    EXPECT_EQ(table.size(), 3u);
    EXPECT_TRUE(Has(table, ID_DBO_TRIGGERS) && Has(table, ID_DBO_CONSTRAINTS) &&
                Has(table, ID_DBO_RENAME));

    std::vector<UINT> view = GetRemovedObjectCommands(DBOBJ_VIEW, none);
    EXPECT_EQ(view.size(), 4u);
    EXPECT_TRUE(Has(view, ID_DBO_VIEW_TEXT) && Has(view, ID_DBO_OPEN_PLAN));
    EXPECT_FALSE(Has(view, ID_DBO_CONSTRAINTS));

    for (int kind : {DBOBJ_PROCEDURE, DBOBJ_FUNCTION, DBOBJ_PACKAGE, DBOBJ_TRIGGER})
    {
        std::vector<UINT> ids = GetRemovedObjectCommands(kind, none);
        EXPECT_EQ(ids.size(), 3u) << kind;
        EXPECT_TRUE(Has(ids, ID_DBO_VIEW_ERRORS)) << kind;
    }

    CDBOMenuCaps all;
    all.bTableTriggers = all.bConstraints = all.bRename = all.bSource = all.bExplain = all.bErrors =
        true;
    for (int kind = DBOBJ_TABLE; kind <= DBOBJ_TRIGGER; ++kind)
        EXPECT_TRUE(GetRemovedObjectCommands(kind, all).empty()) << kind;
}

TEST(TreeMenus, OnlyASystemTableCannotBeDroppedFromTheTree)
{
    EXPECT_FALSE(CanDropTreeItem(DBOBJ_TABLE, CRTables::typeSystemTable));
    EXPECT_TRUE(CanDropTreeItem(DBOBJ_TABLE, CRTables::typeTable));
    // Item data 4 is a function in the procedures tree: droppable.
    EXPECT_TRUE(CanDropTreeItem(DBOBJ_FUNCTION, 4));
}

TEST(TreeMenus, DropQuestionNamesTheKind)
{
    EXPECT_EQ(MakeDropQuestion(DBOBJ_TABLE, L"\"public\".child"),
              CString(L"Table '\"public\".child' will be dropped.\nContinue?"));
    EXPECT_EQ(MakeDropQuestion(DBOBJ_VIEW, L"v"), CString(L"View 'v' will be dropped.\nContinue?"));
    EXPECT_EQ(MakeDropQuestion(DBOBJ_FUNCTION, L"f"),
              CString(L"Procedure 'f' will be dropped.\nContinue?"));
    EXPECT_EQ(MakeDropQuestion(DBOBJ_PACKAGE, L"p"),
              CString(L"Package 'p' will be dropped.\nContinue?"));
    EXPECT_EQ(MakeDropQuestion(DBOBJ_TRIGGER, L"t"),
              CString(L"Trigger 't' will be dropped.\nContinue?"));
}

TEST(CatalogRows, MySQLKeepsRowsOfTheDatabaseOnly)
{
    // Rows as MySQL's catalog reads give them: the database as catalog and schema.
    CTableInfoArray list;
    list.Add(Row(L"quenlark", L"quenlark", L"mine"));
    list.Add(Row(L"other", L"other", L"mine"));
    list.Add(Row(L"", L"", L"nocatalog"));
    list.Add(Row(L"Quenlark", L"Quenlark", L"othercase"));

    CTableInfoArray copy;
    copy.Copy(list);
    FilterCatalogRows(false, L"quenlark", copy);
    EXPECT_EQ(copy.GetSize(), 4) << "other products keep every row";

    FilterCatalogRows(true, L"quenlark", list);
    ASSERT_EQ(list.GetSize(), 2);
    EXPECT_STREQ(list[0].szTableCat, L"quenlark");
    EXPECT_STREQ(list[0].szTableSchem, L"quenlark");
    EXPECT_STREQ(list[1].szTableName, L"nocatalog");

    // Without a known current database only rows without a catalog stay.
    EXPECT_FALSE(KeepCatalogRow(true, Row(L"quenlark", L"quenlark", L"t"), nullptr));
    EXPECT_TRUE(KeepCatalogRow(true, Row(L"", L"", L"t"), nullptr));
}

TEST(RenameDialogTexts, SubNameFollowsTheObjectAndIsProposed)
{
    const CStringPair table(L"S", L"T");
    EXPECT_EQ(CRenameDBObjDlg::GetOldNameText(table, L"C"), CString(L"S.T.C"));
    EXPECT_EQ(CRenameDBObjDlg::GetProposal(table, L"C"), CString(L"C"));
    EXPECT_EQ(CRenameDBObjDlg::GetOldNameText(table, nullptr), CString(L"S.T"));
    EXPECT_EQ(CRenameDBObjDlg::GetProposal(table, L""), CString(L"T"));
    EXPECT_EQ(CRenameDBObjDlg::GetOldNameText(CStringPair(L"", L"T"), nullptr), CString(L"T"));
}

} // namespace
