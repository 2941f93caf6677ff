// The grid window's dialogs driven as a user would: Sort, Filter, Go To, Edit value, Columns,
// and the script window's Find and Replace.
#include "windows/columns_dlg.h"
#include "windows/edit_value_dlg.h"
#include "windows/filter_dlg.h"
#include "windows/find_replace_dlg.h"
#include "windows/goto_dlg.h"
#include "windows/grid_child_frame.h"
#include "windows/select_rebuild.h"
#include "windows/sort_dlg.h"
#include "windows/sql_child_view.h"

#include "app/app_settings.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "modal_steps.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

using namespace gwtest;
using qltest::ClickButton;
using qltest::CModalSteps;

namespace {

void SelectOnly(HWND hList, int nRow)
{
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    ::SendMessageW(hList, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
    if (nRow < 0)
        return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(hList, LVM_SETITEMSTATE, nRow, (LPARAM)&item);
}

TEST(SortDialog, MovedDescendingColumnLeadsAndResetClearsEveryOrder)
{
    CSortArray input = {{L"a", kSortNone}, {L"b", kSortDescending}, {L"c", kSortAscending}};
    CSortArray output;
    CSortDlg dlg(input, output, nullptr);
    const INT_PTR result = CModalSteps::Run(
        dlg, {[](HWND h) { SelectOnly(::GetDlgItem(h, IDC_ITEM_LIST), 1); },
              [](HWND h) { ClickButton(h, IDC_MOVE_TOP); }, [](HWND h) { ClickButton(h, IDOK); }});
    ASSERT_EQ(result, IDOK);
    ASSERT_EQ(output.size(), 3u);
    EXPECT_EQ(A(BuildOrderByList(output, nullptr)), " b DESC, c ASC");

    CSortArray input2 = input, output2;
    CSortDlg reset(input2, output2, nullptr);
    CModalSteps::Run(
        reset, {[](HWND h) { ClickButton(h, IDC_RESET); }, [](HWND h) { ClickButton(h, IDOK); }});
    ASSERT_EQ(output2.size(), 3u);
    EXPECT_FALSE(HasSortOrder(output2));
    EXPECT_TRUE(BuildOrderByList(output2, nullptr).IsEmpty());
}

class DialogsOnSQLite : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(qltest::EnsureEditorClass());
        ASSERT_TRUE(m_helper.GetDatabase().Open(m_file.Connect(), CRDatabase::openNoPrompt, nullptr,
                                                0, 0, 0));
        m_helper.GetDatabase().ExecuteSQL(
            L"CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(20), note VARCHAR(20))");
        m_helper.GetDatabase().ExecuteSQL(L"INSERT INTO t VALUES (1, 'a', NULL)");
    }
    QlTestDb::TempSQLiteFile m_file;
    CRDatabaseHelper m_helper;
};

TEST_F(DialogsOnSQLite, FilterRefusesNullWithLikeAndResetGivesNoCondition)
{
    CFilterArray filter;
    CFilterInfo row;
    row.m_strColumn = L"note";
    row.m_nOperation = kFilterLike;
    row.m_value = CGridItem(L"", kGridNull);
    filter.push_back(row);
    CFilterDlg dlg(&m_helper, CStringPair(L"", L"t"), DBOBJ_TABLE, filter, nullptr);
    MessageBoxes().clear();
    int nRowsAfterInvalid = -1;
    const INT_PTR result =
        CModalSteps::Run(dlg, {[](HWND h) { ClickButton(h, IDOK); },
                               [&](HWND h) {
                                   nRowsAfterInvalid = (int)::SendDlgItemMessageW(
                                       h, IDC_ITEM_LIST, LVM_GETITEMCOUNT, 0, 0);
                                   ClickButton(h, IDC_RESET);
                               },
                               [](HWND h) { ClickButton(h, IDOK); }});
    ASSERT_EQ(result, IDOK);
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(A(MessageBoxes()[0]), "Invalid value.");
    EXPECT_EQ(nRowsAfterInvalid, 1); // the dialog stayed with its rows
    EXPECT_TRUE(dlg.GetFilter().empty());
    EXPECT_TRUE(dlg.GetFilter().m_strCondition.IsEmpty());
    EXPECT_EQ(dlg.GetColumns().GetSize(), 3);
}

TEST_F(DialogsOnSQLite, EditValueShowsXmlIndentedAndKeepsItWhenUnchanged)
{
    const CString original = L"<a><b>1</b></a>";
    CEditValueDlg dlg(&m_helper, L"doc", CGridItem(original, kGridValue), SQL_VARCHAR, nullptr);
    CString shown;
    ASSERT_EQ(CModalSteps::Run(dlg, {[&](HWND h) {
                                   wchar_t text[256] = {};
                                   ::GetDlgItemTextW(h, IDC_VALUE_EDITOR, text, 256);
                                   shown = text;
                                   ClickButton(h, IDOK);
                               }}),
              IDOK);
    EXPECT_EQ(A(shown), "<a>\r\n\t<b>1</b>\r\n</a>");
    EXPECT_TRUE(dlg.IsXml());
    EXPECT_FALSE(dlg.IsChanged());
    EXPECT_EQ(A(dlg.GetValueText()), A(original));

    // Broken XML asks; No keeps the dialog open.
    CEditValueDlg broken(&m_helper, L"doc", CGridItem(original, kGridValue), SQL_VARCHAR, nullptr);
    MessageBoxes().clear();
    ASSERT_EQ(CModalSteps::Run(broken, {[](HWND h) {
                                            ::SetDlgItemTextW(h, IDC_VALUE_EDITOR, L"<a>");
                                            ClickButton(h, IDOK);
                                        },
                                        [](HWND h) { ClickButton(h, IDCANCEL); }}),
              IDCANCEL);
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(A(MessageBoxes()[0]), "Invalid XML.\nApply it anyway?");

    // NULL opens empty; typed text replaces it.
    CEditValueDlg null(&m_helper, L"note", CGridItem(L"", kGridNull), SQL_VARCHAR, nullptr);
    ASSERT_EQ(CModalSteps::Run(null, {[](HWND h) {
                                   ::SetDlgItemTextW(h, IDC_VALUE_EDITOR, L"text");
                                   ClickButton(h, IDOK);
                               }}),
              IDOK);
    EXPECT_TRUE(null.IsChanged());
    EXPECT_EQ(null.GetValueKind(), (UINT)kGridValue);
    EXPECT_EQ(A(null.GetValueText()), "text");
}

// Text that the XML layout cannot give back whole (a second element, a declaration, an entity
// the reader does not know, blanks inside a text) opens as it is and is saved as typed: an edit
// elsewhere loses nothing of it.
TEST_F(DialogsOnSQLite, EditValueKeepsWhatTheXmlLayoutWouldDrop)
{
    // What the editor shows, after which the editor's text becomes `typed` and OK is clicked.
    auto edit = [&](const CString& value, const CString& typed, CString& shown) {
        CEditValueDlg dlg(&m_helper, L"doc", CGridItem(value, kGridValue), SQL_VARCHAR, nullptr);
        CModalSteps::Run(dlg, {[&](HWND h) {
                             std::vector<wchar_t> text(4096);
                             ::GetDlgItemTextW(h, IDC_VALUE_EDITOR, text.data(), 4096);
                             shown = text.data();
                             ::SetDlgItemTextW(h, IDC_VALUE_EDITOR, typed);
                             ClickButton(h, IDOK);
                         }});
        return dlg.GetValueText();
    };
    MessageBoxes().clear();
    CString shown;
    for (const CString& value :
         {CString(L"<a>v1</a><b>y</b>"), CString(L"<?xml version=\"1.0\"?><a>v1</a>"),
          CString(L"<a>it&apos;s v1</a>"), CString(L"<a>  v1</a>")})
    {
        CString typed = value;
        typed.Replace(L"v1", L"v2");
        EXPECT_EQ(A(edit(value, typed, shown)), A(typed));
        EXPECT_EQ(A(shown), A(value));
    }
    // Typed into a value shown as XML: a second element stays, layout alone goes.
    const CString xml = L"<a><b>1</b></a>";
    EXPECT_EQ(A(edit(xml, L"<a>\r\n\t<b>2</b>\r\n</a>\r\n<c/>", shown)),
              "<a>\r\n\t<b>2</b>\r\n</a>\r\n<c/>");
    EXPECT_EQ(A(shown), "<a>\r\n\t<b>1</b>\r\n</a>");
    EXPECT_EQ(A(edit(xml, L"<a>\r\n  <b>2</b>\r\n</a>\r\n", shown)), "<a><b>2</b></a>");
    EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(DialogsOnSQLite, ColumnsOrderMovesAtOnceAndVisibilityOnOk)
{
    CHostFrame* pHost = CreateHost();
    ASSERT_NE(pHost, nullptr);
    theSettings.m_bCancelExec = 0;
    auto* pFrame = new CGridChildFrame(&m_helper, L"SELECT * FROM t", L"SELECT * FROM t", nullptr,
                                       kGridTable, CStringPair(L"", L"t"), nullptr);
    ASSERT_TRUE(pFrame->Create(nullptr, L"t", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                               CFrameWnd::rectDefault, pHost));
    CGridChildView& view = pFrame->GetView();
    auto firstShown = [&] {
        std::vector<int> order(3);
        ::SendMessageW(view.m_hWnd, LVM_GETCOLUMNORDERARRAY, 3, (LPARAM)order.data());
        return A(view.GetColumnObject(order[0])->m_strName);
    };
    {
        CColumnsDlg dlg(&view);
        EXPECT_EQ(CModalSteps::Run(dlg, {[](HWND h) {
                                             SelectOnly(::GetDlgItem(h, IDC_ITEM_LIST), 2);
                                             ClickButton(h, IDC_MOVE_TOP);
                                         },
                                         [](HWND h) { ClickButton(h, IDCANCEL); }}),
                  IDCANCEL);
    }
    EXPECT_EQ(firstShown(), "note");
    {
        CColumnsDlg dlg(&view);
        bool bAllBefore = false, bAllAfter = true;
        CModalSteps::Run(dlg, {[&](HWND) {
                                   bAllBefore = dlg.GetList().IsHeaderChecked();
                                   dlg.GetList().OnHeaderCheck(); // the header's box
                                   bAllAfter = dlg.GetList().IsHeaderChecked();
                               },
                               [](HWND h) { ClickButton(h, IDOK); }});
        EXPECT_TRUE(bAllBefore);
        EXPECT_FALSE(bAllAfter);
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(view.IsColumnShown(i)) << i;
    pFrame->Refresh(true);
    EXPECT_EQ(firstShown(), "note");
    EXPECT_FALSE(view.IsColumnShown(0));
    DestroyHost(pHost);
}

TEST(GoToDialog, KeysWithoutGroupsShowTheirNameAndReturnEveryColumnOfTheKey)
{
    std::vector<CGoToItem> items(3);
    items[0].m_strKeyName = L"fk_two";
    items[0].m_strRefTable = L"parent";
    items[0].m_strRefColumn = L"a";
    items[1] = items[0];
    items[1].m_strRefColumn = L"b";
    items[2].m_strKeyName = L"fk_one";
    items[2].m_strRefTable = L"other";
    items[2].m_strRefColumn = L"id";
    CGoToDlg dlg(items, nullptr);
    int nColumns = 0;
    bool bStillOpen = false;
    ASSERT_EQ(CModalSteps::Run(dlg, {[&](HWND h) {
                                         HWND hHeader = (HWND)::SendDlgItemMessageW(
                                             h, IDC_ITEM_LIST, LVM_GETHEADER, 0, 0);
                                         nColumns =
                                             (int)::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0);
                                         SelectOnly(::GetDlgItem(h, IDC_ITEM_LIST), -1);
                                         ClickButton(h, IDOK); // no selection: stays open
                                     },
                                     [&](HWND h) {
                                         bStillOpen = ::IsWindow(h) != FALSE;
                                         SelectOnly(::GetDlgItem(h, IDC_ITEM_LIST), 1);
                                         ClickButton(h, IDOK);
                                     }}),
              IDOK);
    EXPECT_TRUE(bStillOpen);
    EXPECT_EQ(nColumns, dlg.UsesGroups() ? 3 : 4);
    ASSERT_EQ(dlg.GetItems().size(), 2u);
    EXPECT_EQ(A(dlg.GetItems()[0].m_strRefColumn), "a");
    EXPECT_EQ(A(dlg.GetItems()[1].m_strRefColumn), "b");
}

class FindReplace : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(qltest::EnsureEditorClass());
        m_pHost = CreateHost();
        ASSERT_NE(m_pHost, nullptr);
        ASSERT_TRUE(m_view.CreateEx(0, L"RColorEditorClass", L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL, CRect(0, 0, 400, 300),
                                    m_pHost, 1));
        m_saved = theSettings.m_replace.m_strFind;
    }
    void TearDown() override
    {
        m_view.DestroyWindow();
        DestroyHost(m_pHost);
    }
    CString Text() { return m_view.GetText(); }

    CHostFrame* m_pHost = nullptr;
    CSQLChildView m_view;
    CString m_saved;
};

TEST_F(FindReplace, FindWithoutViewClosesAndFailedSearchReports)
{
    CFindDlg& dlg = GetFindDialog();
    dlg.m_pView = nullptr;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);

    m_view.SetWindowText(L"select id from users");
    m_view.SendMessage(EM_SETSEL, 0, 0);
    theSettings.m_find.m_strFind = L"zz";
    dlg.m_pView = &m_view;
    MessageBoxes().clear();
    EXPECT_EQ(CModalSteps::Run(dlg, {[](HWND h) { ClickButton(h, IDC_FIND_NEXT); }}), IDOK);
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(A(MessageBoxes()[0]), "Can not find 'zz'");

    // Find Again wraps from the end.
    theSettings.m_find.m_strFind = L"ID";
    theSettings.m_find.m_bWholeWord = 1;
    m_view.SendMessage(EM_SETSEL, 20, 20);
    m_view.FindAgain(true);
    DWORD dwStart = 0, dwEnd = 0;
    m_view.SendMessage(EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    EXPECT_EQ(dwStart, 7u);
    EXPECT_EQ(dwEnd, 9u);
    theSettings.m_find.m_bWholeWord = 0;
}

TEST_F(FindReplace, ReplaceOnlyReplacesAMatchAndReplaceAllKeepsTheCaret)
{
    CReplaceDlg& dlg = GetReplaceDialog();
    dlg.m_pView = &m_view;
    theSettings.m_replace.m_bMatchCase = 0;
    theSettings.m_replace.m_bWholeWord = 0;
    theSettings.m_replace.m_nDirection = 1;
    m_view.SetWindowText(L"one two one");
    m_view.SendMessage(EM_SETSEL, 4, 7); // "two": not a match
    dlg.m_bFirstReplace = false;         // not the first Replace of the run
    theSettings.m_replace.m_strFind = L"one";
    theSettings.m_replace.m_strReplace = L"1";
    CModalSteps::Run(
        dlg, {[](HWND h) { ClickButton(h, IDC_REPLACE); }, [](HWND h) { ClickButton(h, IDOK); }});
    EXPECT_EQ(A(Text()), "one two one");
    DWORD dwStart = 0, dwEnd = 0;
    m_view.SendMessage(EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    EXPECT_EQ(dwStart, 8u); // the next match is selected instead

    m_view.SendMessage(EM_SETSEL, 8, 8); // before the last "one"
    theSettings.m_replace.m_strReplace = L"three";
    CModalSteps::Run(dlg, {[](HWND h) { ClickButton(h, IDC_REPLACE_ALL); }});
    EXPECT_EQ(A(Text()), "three two three");
    m_view.SendMessage(EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    EXPECT_EQ(A(Text().Mid(dwStart, 5)), "three");
    EXPECT_EQ(dwStart, 10u);
    theSettings.m_replace.m_strFind = m_saved;
}

// Replace All in a script of a megabyte with 20,000 matches: every match replaced, whole words
// only where asked (match by match in the editor this took many minutes).
TEST_F(FindReplace, ReplaceAllInALongScript)
{
    CReplaceDlg& dlg = GetReplaceDialog();
    dlg.m_pView = &m_view;
    CString big, expected;
    for (int i = 0; i < 20000; ++i)
    {
        big += L"INSERT INTO t VALUES (1, 'some INSERTED text here');\r\n";
        expected += L"insert into t VALUES (1, 'some INSERTED text here');\r\n";
    }
    m_view.SetWindowText(big);
    m_view.SendMessage(EM_SETSEL, 0, 0);
    theSettings.m_replace.m_bMatchCase = 1;
    theSettings.m_replace.m_bWholeWord = 1;
    theSettings.m_replace.m_nDirection = 1;
    for (const auto& [find, replaceWith] :
         {std::pair<LPCWSTR, LPCWSTR>{L"INSERT", L"insert"}, {L"INTO", L"into"}})
    {
        theSettings.m_replace.m_strFind = find;
        theSettings.m_replace.m_strReplace = replaceWith;
        CModalSteps::Run(dlg, {[](HWND h) { ClickButton(h, IDC_REPLACE_ALL); }});
    }
    EXPECT_TRUE(Text() == expected);
    theSettings.m_replace.m_bWholeWord = 0;
    theSettings.m_replace.m_strFind = m_saved;
}

} // namespace
