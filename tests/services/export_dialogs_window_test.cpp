// The export options dialogs driven as a user would, the file dialog's filters per object, and
// the writers' factory.
#include "export_test_util.h"

#include "resources/resource.h"
#include "services/csv_data_file.h"
#include "services/database_helper.h"
#include "services/export_dialogs.h"
#include "services/export_settings.h"
#include "tests/windows/modal_steps.h"

#include <gtest/gtest.h>

#include <string>

using qltest::CModalSteps;

namespace {

// The text of the message box this thread shows now, closed with OK; "" when there is none.
CString TakeMessageBox(HWND hDialog)
{
    struct CFound
    {
        HWND hDialog;
        HWND hBox = nullptr;
    } found{hDialog};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND h, LPARAM p) -> BOOL {
            auto* f = reinterpret_cast<CFound*>(p);
            wchar_t cls[32] = {};
            ::GetClassNameW(h, cls, 32);
            if (h != f->hDialog && wcscmp(cls, L"#32770") == 0 && ::IsWindowVisible(h) &&
                ::GetDlgItem(h, 0xFFFF))
            {
                f->hBox = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (!found.hBox)
        return CString();
    wchar_t text[512] = {};
    ::GetDlgItemTextW(found.hBox, 0xFFFF, text, 512);
    ::PostMessageW(found.hBox, WM_COMMAND, IDOK, 0);
    return text;
}

void PostClick(HWND hDialog, int nID)
{
    ::PostMessageW(hDialog, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                   (LPARAM)::GetDlgItem(hDialog, nID));
}

void SelectCombo(HWND hDialog, int nID, int nItem)
{
    ::SendDlgItemMessageW(hDialog, nID, CB_SETCURSEL, nItem, 0);
    ::SendMessageW(hDialog, WM_COMMAND, MAKEWPARAM(nID, CBN_SELCHANGE),
                   (LPARAM)::GetDlgItem(hDialog, nID));
}

// The width the largest count the spin control gives needs in the count edit, and the width
// the edit shows.
void MeasureCommitCount(HWND hDialog, SIZE& need, RECT& room)
{
    HWND edit = ::GetDlgItem(hDialog, IDC_EXPORT_COMMIT_COUNT);
    int low = 0, high = 0;
    ::SendDlgItemMessageW(hDialog, IDC_EXPORT_COMMIT_SPIN, UDM_GETRANGE32, (WPARAM)&low,
                          (LPARAM)&high);
    const CString text = CString(std::to_wstring(high).c_str());
    ::SendMessageW(edit, EM_GETRECT, 0, (LPARAM)&room);
    HDC dc = ::GetDC(edit);
    HGDIOBJ old = ::SelectObject(dc, (HFONT)::SendMessageW(edit, WM_GETFONT, 0, 0));
    ::GetTextExtentPoint32W(dc, text, text.GetLength(), &need);
    ::SelectObject(dc, old);
    ::ReleaseDC(edit, dc);
}

} // namespace

TEST(ExportDialogs, CsvSeparatorIsRequiredAndTrimmed)
{
    CSaveAsCSVDlg& dlg = GetSaveAsCSVDlg();
    CString box;
    INT_PTR result = CModalSteps::Run(dlg, {[](HWND h) {
                                                ::SetDlgItemTextW(h, IDC_EXPORT_SEPARATOR, L"   ");
                                                PostClick(h, IDOK);
                                            },
                                            [&](HWND h) { box = TakeMessageBox(h); },
                                            [](HWND h) {
                                                ::SetDlgItemTextW(h, IDC_EXPORT_SEPARATOR, L" , ");
                                                qltest::ClickButton(h, IDOK);
                                            }});
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(CString(L"CSV separator is required."), box);
    EXPECT_EQ(CString(L","), dlg.m_strSeparator);
    EXPECT_EQ(CString(L","), *ExportSettings().pCSVSeparator);
}

TEST(ExportDialogs, SqlOptionsByTargetAndCommitCount)
{
    CSaveAsSQLDlg& dlg = GetSaveAsSQLDlg();
    bool accessCommitEnabled = true, accessChecked = true;
    int accessGuids = 0, oracleGuids = 0;
    CString box;
    INT_PTR result = CModalSteps::Run(
        dlg, {[&](HWND h) {
                  SelectCombo(h, IDC_EXPORT_DATABASE, SQLTARGET_ACCESS);
                  accessCommitEnabled = ::IsWindowEnabled(::GetDlgItem(h, IDC_EXPORT_COMMIT));
                  accessChecked = ::IsDlgButtonChecked(h, IDC_EXPORT_COMMIT) == BST_CHECKED;
                  accessGuids = (int)::SendDlgItemMessageW(h, IDC_EXPORT_GUIDS, CB_GETCOUNT, 0, 0);
                  SelectCombo(h, IDC_EXPORT_DATABASE, SQLTARGET_ORACLE);
                  oracleGuids = (int)::SendDlgItemMessageW(h, IDC_EXPORT_GUIDS, CB_GETCOUNT, 0, 0);
                  ::CheckDlgButton(h, IDC_EXPORT_COMMIT, BST_CHECKED);
                  qltest::ClickButton(h, IDC_EXPORT_COMMIT);
                  ::CheckDlgButton(h, IDC_EXPORT_COMMIT, BST_CHECKED);
                  ::SetDlgItemTextW(h, IDC_EXPORT_COMMIT_COUNT, L"0");
                  PostClick(h, IDOK);
              },
              [&](HWND h) { box = TakeMessageBox(h); },
              [](HWND h) {
                  ::SetDlgItemTextW(h, IDC_EXPORT_COMMIT_COUNT, L"5");
                  ::SendDlgItemMessageW(h, IDC_EXPORT_SEPARATOR, CB_SETCURSEL, 2, 0); // GO
                  ::SendDlgItemMessageW(h, IDC_EXPORT_GUIDS, CB_SETCURSEL, 1, 0);
                  qltest::ClickButton(h, IDOK);
              }});
    EXPECT_EQ(IDOK, result);
    EXPECT_FALSE(accessCommitEnabled);
    EXPECT_FALSE(accessChecked);
    EXPECT_EQ(1, accessGuids);
    EXPECT_EQ(2, oracleGuids);
    EXPECT_EQ(CString(L"This field must be greater than 0"), box);
    CSQLScriptOptions options = dlg.GetOptions();
    EXPECT_EQ(CString(L"\nGO"), options.strSeparator);
    EXPECT_EQ(5, options.nCommitCount);
    EXPECT_TRUE(options.bCommit);
    EXPECT_EQ(SQLTARGET_ORACLE, options.nTarget);
    EXPECT_EQ(1, options.nGuidForm);
    EXPECT_EQ(5, *ExportSettings().pCommitQueries);

    // The program-wide dialog keeps its choices; a typed "/" stands on its own line too.
    result = CModalSteps::Run(dlg, {[](HWND h) {
                                  ::SetDlgItemTextW(h, IDC_EXPORT_SEPARATOR, L"/");
                                  qltest::ClickButton(h, IDOK);
                              }});
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(CString(L"\n/"), dlg.GetOptions().strSeparator);
    EXPECT_EQ(1, dlg.GetOptions().nGuidForm);
}

TEST(ExportDialogs, SqlCommitCountShowsItsLargestNumberWhole)
{
    // The spin control beside the count takes its room from the edit's right end.
    SIZE need = {};
    RECT room = {};
    INT_PTR result = CModalSteps::Run(GetSaveAsSQLDlg(), {[&](HWND h) {
                                          MeasureCommitCount(h, need, room);
                                          qltest::ClickButton(h, IDCANCEL);
                                      }});
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_GT(need.cx, 0);
    EXPECT_LE(need.cx, room.right - room.left)
        << "the count needs " << need.cx << " px, the edit shows " << room.right - room.left;
}

TEST(ExportDialogs, FormatsOfferedPerObject)
{
    std::vector<int> formats;
    // One view: HTML, CSV and Excel.
    EXPECT_EQ(CString(L"HTML (*.htm)|*.htm|Comma separated (*.csv)|*.csv|Excel workbook "
                      L"(*.xlsx)|*.xlsx||"),
              DataFileFilter(AllowedSaveFormats(DBOBJ_VIEW, 1), &formats));
    EXPECT_EQ((std::vector<int>{SAVEAS_HTML, SAVEAS_CSV, SAVEAS_EXCEL}), formats);
    formats.clear();
    // Two tables: HTML, SQL and Excel.
    DataFileFilter(AllowedSaveFormats(DBOBJ_TABLE, 2), &formats);
    EXPECT_EQ((std::vector<int>{SAVEAS_HTML, SAVEAS_SQL, SAVEAS_EXCEL}), formats);
    EXPECT_EQ(15, AllowedSaveFormats(DBOBJ_TABLE, 1));
}
