// A look at the controls together: owner-drawn buttons, the link, the running bar and a list
// with its drop-down cell editor open. Runs only when QL_SCREENSHOT names a .bmp file to write.
#include "controls/edit_list_ctrl.h"
#include "controls/html_static.h"
#include "controls/in_place_combo.h"
#include "controls/owner_draw_button.h"
#include "controls/progress_ctrl.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

bool SaveScreen(const wchar_t* path)
{
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    HDC hScreen = ::GetDC(nullptr);
    HDC hMem = ::CreateCompatibleDC(hScreen);
    BITMAPINFO bmi = {};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB};
    void* bits = nullptr;
    HBITMAP hBmp = ::CreateDIBSection(hScreen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(hMem, hBmp);
    ::BitBlt(hMem, 0, 0, w, h, hScreen, 0, 0, SRCCOPY);
    ::SelectObject(hMem, old);
    const DWORD stride = ((w * 3 + 3) & ~3), size = stride * h;
    BITMAPFILEHEADER fh = {0x4D42, (DWORD)(sizeof(fh) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                           (DWORD)(sizeof(fh) + sizeof(BITMAPINFOHEADER))};
    bool ok = false;
    if (FILE* f = _wfopen(path, L"wb"))
    {
        ok = fwrite(&fh, sizeof(fh), 1, f) == 1 &&
             fwrite(&bmi.bmiHeader, sizeof(BITMAPINFOHEADER), 1, f) == 1 &&
             fwrite(bits, size, 1, f) == 1;
        fclose(f);
    }
    ::DeleteObject(hBmp);
    ::DeleteDC(hMem);
    ::ReleaseDC(nullptr, hScreen);
    return ok;
}

TEST(Screenshot, ButtonsAndListWithCellEditor)
{
    const wchar_t* path = _wgetenv(L"QL_SCREENSHOT");
    if (path == nullptr)
        GTEST_SKIP() << "set QL_SCREENSHOT to a .bmp path to take the picture";

    qltest::CTestHost host;
    ASSERT_TRUE(host.CreateHost(560, 360, L"Filter"));
    HFONT hFont = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);

    CREditListCtrl list;
    ASSERT_TRUE(list.CreateEx(WS_EX_CLIENTEDGE,
                              WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                              CRect(10, 10, 420, 200), &host, 100));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES);
    list.InsertColumn(0, L"Column", LVCFMT_LEFT, 130);
    list.InsertColumn(1, L"Operation", LVCFMT_LEFT, 110);
    list.InsertColumn(2, L"Value", LVCFMT_LEFT, 140);
    const wchar_t* rows[][3] = {{L"CUSTOMER_ID", L"=", L"42"},
                                {L"NAME", L"LIKE", L"'A%'"},
                                {L"CREATED", L">=", L"2024-01-01"}};
    for (int i = 0; i < 3; ++i)
    {
        list.InsertItem(i, rows[i][0]);
        list.SetItemText(i, 1, rows[i][1]);
        list.SetItemText(i, 2, rows[i][2]);
        list.SetCheck(i, i != 1);
    }

    CRButton up, down;
    CRColorButton colour(RGB(30, 120, 200));
    CRButton ok, cancel;
    up.Create(L"Move Up", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(430, 10, 545, 36), &host, 11);
    down.Create(L"Move Down", WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_OWNERDRAW,
                CRect(430, 42, 545, 68), &host, 12);
    colour.Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(430, 80, 545, 106), &host, 13);
    ok.Create(L"OK", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(350, 290, 440, 316), &host, IDOK);
    cancel.Create(L"Cancel", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(450, 290, 545, 316), &host,
                  IDCANCEL);
    CRHtmlStatic link;
    link.Create(L"Help: quenlark.invalid/filter", WS_CHILD | WS_VISIBLE | SS_NOTIFY,
                CRect(10, 215, 420, 235), &host);
    link.SetLinkRange(6, -1);
    CRProgressCtrl bar;
    bar.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 250, 420, 266), &host);
    for (CWnd* w : std::initializer_list<CWnd*>{&list, &up, &down, &colour, &ok, &cancel, &link})
        w->SendMessage(WM_SETFONT, (WPARAM)hFont, TRUE);
    bar.Start(25);

    RECT cell;
    ASSERT_TRUE(list.GetCellRect(1, 1, &cell));
    auto* combo = new CInPlaceComboBox(1, 1);
    cell.bottom += 120;
    ASSERT_TRUE(combo->CreateEx(0, L"COMBOBOX", L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, cell, &list,
                                2000));
    combo->SendMessage(WM_SETFONT, (WPARAM)hFont, TRUE);
    for (const wchar_t* op : {L"=", L"<>", L">", L">=", L"<", L"<=", L"LIKE", L"NOT LIKE"})
        combo->AddString(op, 0);
    combo->SetCurSel(6);
    list.m_bEditing = true;
    combo->SendMessage(CB_SHOWDROPDOWN, TRUE);
    qltest::PumpFor(600);
    EXPECT_TRUE(SaveScreen(path));
    combo->SendMessage(CB_SHOWDROPDOWN, FALSE);
    host.SetFocus(); // ends the edit
    qltest::PumpPending();
}

} // namespace
