// The Parameters and Results dialogs: which parameters they list and how values are edited.
#include "browser/proc_params_dlg.h"
#include "grid/grid_edit.h"
#include "resources/resource.h"

#include "tests/support/windowed_tests.h"
#include "tests/windows/window_test_util.h"
#include "tests/windows/modal_steps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

CProcParamsData Param(LPCWSTR name, int columnType, int dataType, int size, LPCWSTR type)
{
    CProcParamsData p;
    wcscpy(p.m_info.szColumnName, name);
    wcscpy(p.m_info.szTypeName, type);
    p.m_info.nColumnType = columnType;
    p.m_info.nDataType = dataType;
    p.m_info.nColumnSize = size;
    if (columnType == SQL_PARAM_TYPE_UNKNOWN)
        p.m_bUnknownDirection = 1;
    return p;
}

std::string A(const CString& s)
{
    std::string out;
    for (int i = 0; i < s.GetLength(); ++i)
        out += static_cast<char>(s[i]);
    return out;
}

CProcParamsArray Params()
{
    CProcParamsArray params;
    params.Add(Param(L"ret", SQL_RETURN_VALUE, SQL_INTEGER, 10, L"int"));
    params.Add(Param(L"a", SQL_PARAM_INPUT, SQL_INTEGER, 10, L"int"));
    params.Add(Param(L"bin", SQL_PARAM_INPUT, SQL_VARBINARY, 4, L"varbinary"));
    params[params.GetSize() - 1].m_bSizeIsLimit = 1;
    params.Add(Param(L"u", SQL_PARAM_TYPE_UNKNOWN, SQL_VARCHAR, 5, L"varchar"));
    params.Add(Param(L"o", SQL_PARAM_OUTPUT, SQL_VARCHAR, 5, L"varchar"));
    params.Add(Param(L"cur", SQL_PARAM_OUTPUT, -404, 0, L"cursor"));
    params[1].m_bNull = 1;
    return params;
}

HWND Editor(HWND hList, int id)
{
    return ::GetDlgItem(hList, id);
}

void Key(HWND hWnd, UINT vk)
{
    ::PostMessageW(hWnd, WM_KEYDOWN, vk, 0);
    qltest::PumpFor(30);
}

TEST(ProcParamsWindow, ListsInputsAndEditsValuesDirectionsAndMovesByTab)
{
    CProcParamsArray params = Params();
    CStoredProcParamsDlg dlg(&params, false, nullptr);
    std::string rows, nullText, direction;
    LONG_PTR binStyle = 0;
    bool comboOpened = false, tabToValue = false, beeped = true;
    const INT_PTR result = qltest::CModalSteps::Run(
        dlg, {[&](HWND) {
                  CRProcParamsListCtrl& list = dlg.GetList();
                  for (int i = 0; i < list.GetItemCount(); ++i)
                      rows += A(list.GetItemText(i, 0)) + "/" + A(list.GetItemText(i, 2)) + " ";
                  nullText = A(list.GetItemText(0, 3));
                  // The plan box is off when the product has no plans.
                  beeped = ::IsWindowEnabled(::GetDlgItem(dlg.m_hWnd, IDC_PROC_SHOW_PLAN)) != 0;
                  // Binary values: two upper-case hexadecimal digits a byte.
                  list.EditCell(1, 3);
                  HWND hEditor = Editor(list.m_hWnd, 1000);
                  HWND hEdit = hEditor ? ::GetDlgItem(hEditor, CGridEdit::idEdit) : nullptr;
                  if (hEdit)
                  {
                      binStyle = ::GetWindowLongPtrW(hEdit, GWL_STYLE);
                      ::SetWindowTextW(hEdit, L"ABCD1234");
                      Key(hEdit, VK_TAB); // Tab: on to the next row's direction
                  }
              },
              [&](HWND) {
                  CRProcParamsListCtrl& list = dlg.GetList();
                  HWND hCombo = Editor(list.m_hWnd, 2000);
                  comboOpened = hCombo != nullptr;
                  if (hCombo)
                  {
                      ::SendMessageW(hCombo, CB_SETCURSEL, 2, 0); // "Out"
                      Key(hCombo, VK_TAB);                        // then the value of that row
                  }
              },
              [&](HWND) {
                  CRProcParamsListCtrl& list = dlg.GetList();
                  HWND hEditor = Editor(list.m_hWnd, 1000);
                  tabToValue = hEditor != nullptr;
                  direction = A(list.GetItemText(2, 2));
                  if (hEditor)
                      Key(::GetDlgItem(hEditor, CGridEdit::idEdit), VK_ESCAPE);
              },
              [&](HWND h) { ::PostMessageW(h, WM_COMMAND, IDOK, 0); }});
    EXPECT_EQ(IDOK, result);
    // The return value, outputs and driver types have no row here.
    EXPECT_EQ("a/In bin/In u/Unknown ", rows);
    EXPECT_EQ("<<NULL>>", nullText);
    EXPECT_FALSE(beeped);
    EXPECT_NE(0, binStyle & ES_UPPERCASE);
    EXPECT_EQ("ABCD1234", A(params[2].m_strValue));
    EXPECT_TRUE(comboOpened);
    EXPECT_TRUE(tabToValue);
    EXPECT_EQ("Out", direction);
    EXPECT_EQ(SQL_PARAM_OUTPUT, params[3].GetColumnType());
}

TEST(ProcParamsWindow, ResultsListTheValuesThatCameBack)
{
    CProcParamsArray params = Params();
    params[0].m_strValue = L"14";
    params[4].m_bNull = 1;
    CStoredProcResultsDlg dlg(&params, nullptr);
    std::string rows;
    qltest::CModalSteps::Run(dlg, {[&](HWND h) {
                                 CRProcParamsListCtrl& list = dlg.GetList();
                                 for (int i = 0; i < list.GetItemCount(); ++i)
                                     rows += A(list.GetItemText(i, 0)) + "/" +
                                             A(list.GetItemText(i, 2)) + "/" +
                                             A(list.GetItemText(i, 3)) + " ";
                                 ::PostMessageW(h, WM_COMMAND, IDOK, 0);
                             }});
    EXPECT_EQ("ret//14 o/Out/<<NULL>> ", rows);
}

// A declared size that bounds the value refuses a longer change and says so, counting a
// character outside the basic plane once; one that is the driver's own figure (psqlODBC's 8190
// for text) bounds nothing: the edit box itself never cuts.
TEST(ProcParamsWindow, ARealBoundIsToldBeforeAnyCutAndADriverFigureBoundsNothing)
{
    CProcParamsArray params;
    params.Add(Param(L"v", SQL_PARAM_INPUT, SQL_WVARCHAR, 3, L"varchar"));
    params[0].m_bSizeIsLimit = 1;
    params.Add(Param(L"t", SQL_PARAM_INPUT, SQL_WLONGVARCHAR, 8190, L"text"));
    params.Add(Param(L"b", SQL_PARAM_INPUT, SQL_VARBINARY, 2, L"varbinary"));
    params[2].m_bSizeIsLimit = 1;
    EXPECT_EQ(3, CRProcParamsListCtrl::ValueToldLimit(params[0]));
    EXPECT_EQ(-1, CRProcParamsListCtrl::ValueToldLimit(params[1]));
    EXPECT_EQ(4, CRProcParamsListCtrl::ValueToldLimit(params[2]));

    std::wstring longText;
    for (int i = 0; i < 1000; ++i)
        longText += L"0123456789";
    CStoredProcParamsDlg dlg(&params, false, nullptr);
    LRESULT boundLimit = 0, textLimit = 0;
    std::wstring full, afterPaste;
    int longLength = 0;
    size_t boxesBefore = 0, boxesAfterFit = 0, boxesAfterPaste = 0;
    CString told;
    auto edit = [&](int row) {
        CRProcParamsListCtrl& list = dlg.GetList();
        list.EditCell(row, 3);
        HWND hEditor = Editor(list.m_hWnd, 1000);
        return hEditor ? ::GetDlgItem(hEditor, CGridEdit::idEdit) : nullptr;
    };
    qltest::CModalSteps::Run(
        dlg, {[&](HWND) {
                  HWND hEdit = edit(0);
                  if (!hEdit)
                      return;
                  boxesBefore = gwtest::MessageBoxes().size();
                  boundLimit = ::SendMessageW(hEdit, EM_GETLIMITTEXT, 0, 0);
                  wchar_t text[16] = {};
                  ::SetWindowTextW(hEdit, L"\U0001F600x\U0001F600");
                  ::GetWindowTextW(hEdit, text, 16);
                  full = text;
                  boxesAfterFit = gwtest::MessageBoxes().size();
                  // A paste past the bound is not taken: the text stays as it was.
                  ::SendMessageW(hEdit, EM_SETSEL, 0, -1);
                  ::SendMessageW(hEdit, EM_REPLACESEL, TRUE, (LPARAM)L"a\U0001F600bcd");
                  ::GetWindowTextW(hEdit, text, 16);
                  afterPaste = text;
                  boxesAfterPaste = gwtest::MessageBoxes().size();
                  told = gwtest::LastMessageBox();
                  Key(hEdit, VK_RETURN);
              },
              [&](HWND) {
                  HWND hEdit = edit(1);
                  if (!hEdit)
                      return;
                  textLimit = ::SendMessageW(hEdit, EM_GETLIMITTEXT, 0, 0);
                  ::SendMessageW(hEdit, EM_SETSEL, 0, -1);
                  ::SendMessageW(hEdit, EM_REPLACESEL, TRUE, (LPARAM)longText.c_str());
                  longLength = ::GetWindowTextLengthW(hEdit);
                  Key(hEdit, VK_RETURN);
              },
              [&](HWND h) { ::PostMessageW(h, WM_COMMAND, IDOK, 0); }});
    EXPECT_GT(boundLimit, 10000);
    EXPECT_TRUE(full == L"\U0001F600x\U0001F600") << full.size();
    EXPECT_EQ(boxesBefore, boxesAfterFit);
    EXPECT_TRUE(afterPaste == L"\U0001F600x\U0001F600") << afterPaste.size();
    EXPECT_EQ(boxesAfterFit + 1, boxesAfterPaste);
    EXPECT_EQ(0, told.Find(L"This parameter holds at most 3 characters; the value would have 5."))
        << gwtest::A(told);
    EXPECT_TRUE(CString(L"\U0001F600x\U0001F600") == params[0].m_strValue);
    EXPECT_GT(textLimit, 10000);
    EXPECT_EQ(10000, longLength);
    EXPECT_EQ(10000, params[1].m_strValue.GetLength());
}

} // namespace
