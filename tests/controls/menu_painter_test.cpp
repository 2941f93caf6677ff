// The owner-drawn menu painter: which items it converts, what it measures, how it draws labels,
// accelerators, marks and toolbar images, mnemonics, and a real popup menu fed by a window.
#include "controls/menu_painter.h"
#include "screenshot_util.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

#include <vector>

using qltest::PumpPending;

namespace {

ULONG_PTR ItemData(HMENU hMenu, int position)
{
    MENUITEMINFOW mii = {sizeof(mii)};
    mii.fMask = MIIM_DATA | MIIM_FTYPE;
    ::GetMenuItemInfoW(hMenu, position, TRUE, &mii);
    return mii.dwItemData;
}

bool IsOwnerDrawn(HMENU hMenu, int position)
{
    MENUITEMINFOW mii = {sizeof(mii)};
    mii.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoW(hMenu, position, TRUE, &mii);
    return (mii.fType & MFT_OWNERDRAW) != 0;
}

// A menu bar: File (Open, separator, default Save, Exit) and Edit (another label for Open's
// command, an item with id 0, a disabled item, a radio item).
struct CTestMenus
{
    CMenu bar, file, edit;
    CTestMenus()
    {
        bar.CreateMenu();
        file.CreatePopupMenu();
        edit.CreatePopupMenu();
        file.AppendMenu(MF_STRING, 100, L"&Open\tCtrl+O");
        file.AppendMenu(MF_SEPARATOR);
        file.AppendMenu(MF_STRING, 101, L"&Save\tCtrl+S");
        file.SetDefaultItem(101);
        file.AppendMenu(MF_STRING, 102, L"E&xit");
        edit.AppendMenu(MF_STRING, 100, L"&Reopen");
        edit.AppendMenu(MF_STRING, 0, L"Zero");
        edit.AppendMenu(MF_STRING | MF_GRAYED, 103, L"&Copy");
        edit.AppendMenu(MF_STRING, 104, L"Close");
        edit.AppendMenu(MF_STRING, 105, L"&Radio");
        bar.AppendMenu(MF_POPUP, (UINT_PTR)file.Detach(), L"&File");
        bar.AppendMenu(MF_POPUP, (UINT_PTR)edit.Detach(), L"&Edit");
    }
    HMENU File() const { return ::GetSubMenu(bar.m_hMenu, 0); }
    HMENU Edit() const { return ::GetSubMenu(bar.m_hMenu, 1); }
};

// A toolbar with two buttons whose images are solid red and solid blue, 20 by 18 pixels.
class CImageToolBar
{
public:
    HWND hWnd = nullptr;
    HIMAGELIST hImages = nullptr;
    CWnd wrapper;

    bool Create(HWND hParent)
    {
        hWnd = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | TBSTYLE_FLAT, 0, 0, 200, 30,
                                 hParent, nullptr, nullptr, nullptr);
        if (hWnd == nullptr)
            return false;
        ::SendMessageW(hWnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        hImages = ImageList_Create(20, 18, ILC_COLOR24, 2, 0);
        for (COLORREF color : {RGB(255, 0, 0), RGB(0, 0, 255)})
        {
            HDC hScreen = ::GetDC(nullptr);
            HDC hMem = ::CreateCompatibleDC(hScreen);
            HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, 20, 18);
            HGDIOBJ hOld = ::SelectObject(hMem, hBitmap);
            RECT r = {0, 0, 20, 18};
            HBRUSH hBrush = ::CreateSolidBrush(color);
            ::FillRect(hMem, &r, hBrush);
            ::DeleteObject(hBrush);
            ::SelectObject(hMem, hOld);
            ImageList_Add(hImages, hBitmap, nullptr);
            ::DeleteObject(hBitmap);
            ::DeleteDC(hMem);
            ::ReleaseDC(nullptr, hScreen);
        }
        ::SendMessageW(hWnd, TB_SETIMAGELIST, 0, (LPARAM)hImages);
        TBBUTTON buttons[3] = {};
        buttons[0] = {0, 100, TBSTATE_ENABLED, BTNS_BUTTON};
        buttons[1] = {0, 0, 0, BTNS_SEP};
        buttons[2] = {1, 101, TBSTATE_ENABLED, BTNS_BUTTON};
        ::SendMessageW(hWnd, TB_ADDBUTTONSW, 3, (LPARAM)buttons);
        wrapper.Attach(hWnd);
        return true;
    }
    ~CImageToolBar()
    {
        wrapper.Detach();
        if (hWnd != nullptr)
            ::DestroyWindow(hWnd);
        if (hImages != nullptr)
            ImageList_Destroy(hImages);
    }
};

// Draws one item into a bitmap and answers its pixels.
class CItemCanvas
{
public:
    static const int kWidth = 300, kHeight = 24;
    COLORREF pixels[kHeight][kWidth] = {};

    void Draw(CRMenuPainter& painter, HMENU hMenu, int position, UINT state)
    {
        HDC hScreen = ::GetDC(nullptr);
        HDC hMem = ::CreateCompatibleDC(hScreen);
        HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, kWidth, kHeight);
        HGDIOBJ hOld = ::SelectObject(hMem, hBitmap);
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.itemID = ::GetMenuItemID(hMenu, position);
        dis.itemState = state;
        dis.hwndItem = (HWND)hMenu;
        dis.hDC = hMem;
        dis.rcItem = {0, 0, kWidth, kHeight};
        dis.itemData = ItemData(hMenu, position);
        painter.DrawItem(&dis);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels[y][x] = ::GetPixel(hMem, x, y);
        ::SelectObject(hMem, hOld);
        ::DeleteObject(hBitmap);
        ::DeleteDC(hMem);
        ::ReleaseDC(nullptr, hScreen);
    }
    // The leftmost and rightmost columns (from x0 on) holding a pixel other than the background.
    std::pair<int, int> InkRange(COLORREF background, int x0 = 0) const
    {
        int first = -1, last = -1;
        for (int x = x0; x < kWidth; ++x)
            for (int y = 0; y < kHeight; ++y)
                if (pixels[y][x] != background)
                {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
    int Count(COLORREF color, int x0, int x1) const
    {
        int n = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = x0; x < x1; ++x)
                n += pixels[y][x] == color;
        return n;
    }
};

TEST(MenuPainter, ConvertsSubmenusAndKeepsOneRecordPerLabel)
{
    CTestMenus menus;
    CRMenuPainter painter;
    ASSERT_TRUE(painter.SetMenu(&menus.bar));
    EXPECT_FALSE(IsOwnerDrawn(menus.bar.m_hMenu, 0)); // the menu bar itself stays
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(IsOwnerDrawn(menus.File(), i));
    EXPECT_EQ(CRMenuPainter::kSeparatorData, ItemData(menus.File(), 1));

    // One command under two labels keeps both labels.
    const CRMenuPainter::CItemData* open = painter.GetItem(ItemData(menus.File(), 0));
    const CRMenuPainter::CItemData* reopen = painter.GetItem(ItemData(menus.Edit(), 0));
    ASSERT_NE(nullptr, open);
    ASSERT_NE(nullptr, reopen);
    EXPECT_EQ(L"&Open\tCtrl+O", open->text);
    EXPECT_EQ(L"&Reopen", reopen->text);
    EXPECT_EQ(100u, reopen->commandId);
    EXPECT_TRUE(painter.GetItem(ItemData(menus.File(), 2))->defaultItem);
    EXPECT_FALSE(open->defaultItem);
    EXPECT_EQ(L"Zero", painter.GetItem(ItemData(menus.Edit(), 1))->text);
    const int records = painter.GetItemCount();
    EXPECT_EQ(8, records);

    // Converted items are left alone; a new item of a popup is converted when it opens.
    ::AppendMenuW(menus.Edit(), MF_STRING, 106, L"New");
    CMenu* pEdit = CMenu::FromHandle(menus.Edit());
    painter.InitMenuPopup(pEdit, 1, FALSE);
    EXPECT_EQ(records + 1, painter.GetItemCount());
    EXPECT_TRUE(IsOwnerDrawn(menus.Edit(), 5));
    painter.InitMenuPopup(pEdit, 1, FALSE);
    EXPECT_EQ(records + 1, painter.GetItemCount());

    // Loading again starts over; without skipping, the top level is converted too.
    CTestMenus fresh;
    painter.LoadToolBarImages(&fresh.bar, nullptr, false);
    EXPECT_TRUE(IsOwnerDrawn(fresh.bar.m_hMenu, 0));
    EXPECT_EQ(L"&File", painter.GetItem(ItemData(fresh.bar.m_hMenu, 0))->text);
}

TEST(MenuPainter, LeavesSystemMenusAlone)
{
    CRMenuPainter painter;
    CMenu childSystem;
    childSystem.CreatePopupMenu();
    childSystem.AppendMenu(MF_STRING, SC_RESTORE, L"&Restore");
    childSystem.AppendMenu(MF_SEPARATOR);
    childSystem.AppendMenu(MF_STRING, SC_CLOSE, L"&Close");
    painter.InitMenuPopup(&childSystem, 0, FALSE);
    EXPECT_FALSE(IsOwnerDrawn(childSystem.m_hMenu, 0));
    painter.InitMenuPopup(&childSystem, 0, TRUE);
    EXPECT_FALSE(IsOwnerDrawn(childSystem.m_hMenu, 0));
    painter.InitMenuPopup(&childSystem, 2, FALSE); // elsewhere it is an ordinary popup
    EXPECT_TRUE(IsOwnerDrawn(childSystem.m_hMenu, 0));
}

TEST(MenuPainter, Measuring)
{
    qltest::CTestHost host;
    ASSERT_TRUE(host.CreateHost(300, 200));
    CTestMenus menus;
    CRMenuPainter painter;
    painter.SetMenu(&menus.bar);
    auto measure = [&](HMENU hMenu, int position) {
        MEASUREITEMSTRUCT mis = {ODT_MENU, 0,   ::GetMenuItemID(hMenu, position),
                                 777,      777, ItemData(hMenu, position)};
        painter.MeasureItem(&host, &mis);
        return std::make_pair((int)mis.itemWidth, (int)mis.itemHeight);
    };
    EXPECT_EQ(std::make_pair(0, 9), measure(menus.File(), 1)); // separator
    const auto open = measure(menus.File(), 0);
    EXPECT_GT(open.first, 40);
    EXPECT_GT(open.second, 9);
    // An item with id 0 is text like any other.
    EXPECT_EQ(open.second, measure(menus.Edit(), 1).second);
    EXPECT_GT(measure(menus.Edit(), 1).first, 0);
    // The default item is measured bold: wider than the same text in the normal weight.
    CMenu same;
    same.CreatePopupMenu();
    same.AppendMenu(MF_STRING, 201, L"Wide Label Text");
    same.AppendMenu(MF_STRING, 202, L"Wide Label Text");
    same.SetDefaultItem(202);
    painter.InitMenuPopup(&same, 3, FALSE);
    EXPECT_GT(measure(same.m_hMenu, 1).first, measure(same.m_hMenu, 0).first);

    // Toolbar images widen the image column and set the minimum height.
    CImageToolBar toolbar;
    ASSERT_TRUE(toolbar.Create(host.m_hWnd));
    CTestMenus again;
    painter.LoadToolBarImages(&again.bar, &toolbar.wrapper, true);
    EXPECT_EQ(20, painter.GetImageWidth());
    EXPECT_EQ(18, painter.GetImageHeight());
    const auto withImages = measure(again.File(), 0);
    EXPECT_GE(withImages.second, 18 + 4);
    EXPECT_GE(withImages.first, open.first);

    // Data that is no record leaves the size as it was.
    MEASUREITEMSTRUCT stray = {ODT_MENU, 0, 1, 5, 6, 999};
    painter.MeasureItem(&host, &stray);
    EXPECT_EQ(5u, stray.itemWidth);
    EXPECT_EQ(6u, stray.itemHeight);
}

TEST(MenuPainter, MnemonicsChooseEnabledItems)
{
    CTestMenus menus;
    CRMenuPainter painter;
    painter.SetMenu(&menus.bar);
    CMenu* pFile = CMenu::FromHandle(menus.File());
    CMenu* pEdit = CMenu::FromHandle(menus.Edit());
    EXPECT_EQ(MAKELRESULT(3, MNC_EXECUTE), painter.MenuChar(L'x', MF_POPUP, pFile));
    EXPECT_EQ(MAKELRESULT(3, MNC_EXECUTE), painter.MenuChar(L'X', MF_POPUP, pFile));
    EXPECT_EQ(MAKELRESULT(3, MNC_EXECUTE),
              painter.MenuChar(L'c', MF_POPUP, pEdit)); // "Close", not grayed "&Copy"
    EXPECT_EQ(MAKELRESULT(1, MNC_EXECUTE), painter.MenuChar(L'z', MF_POPUP, pEdit));
    EXPECT_EQ(0, painter.MenuChar(L'q', MF_POPUP, pFile));
    EXPECT_EQ(0, painter.MenuChar(L'x', MF_SYSMENU, pFile));
    EXPECT_EQ(L'o', CRMenuPainter::GetMnemonic(L"&Open"));
    EXPECT_EQ(L'c', CRMenuPainter::GetMnemonic(L"Close"));
    EXPECT_EQ(0, CRMenuPainter::GetMnemonic(L""));
}

TEST(MenuPainter, DrawsLabelAcceleratorAndMarks)
{
    CTestMenus menus;
    CRMenuPainter painter;
    painter.SetMenu(&menus.bar);
    const COLORREF menu = ::GetSysColor(COLOR_MENU);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    CItemCanvas canvas;

    canvas.Draw(painter, menus.File(), 0, 0);
    const int column = [&] {
        int x = 0;
        while (x < CItemCanvas::kWidth && canvas.pixels[0][x] != menu)
            ++x;
        return x > 0 ? x : 20; // where the image column has the menu colour, about its width
    }();
    const auto ink = canvas.InkRange(menu, column);
    ASSERT_GE(ink.first, 0);
    // The label starts after the image column, the accelerator ends near the right edge.
    EXPECT_LE(ink.first, column + 6);
    EXPECT_GT(ink.second, CItemCanvas::kWidth - 40);
    EXPECT_LT(ink.second, CItemCanvas::kWidth - 6);

    canvas.Draw(painter, menus.File(), 0, ODS_SELECTED);
    EXPECT_EQ(highlight, canvas.pixels[1][CItemCanvas::kWidth / 2]);
    canvas.Draw(painter, menus.Edit(), 2, ODS_SELECTED | ODS_DISABLED | ODS_GRAYED);
    EXPECT_EQ(menu, canvas.pixels[1][CItemCanvas::kWidth / 2]); // disabled: never highlighted

    // Checked items without an image show the mark in the image column.
    const COLORREF face = canvas.pixels[0][0];
    canvas.Draw(painter, menus.File(), 3, 0);
    EXPECT_EQ(column * CItemCanvas::kHeight, canvas.Count(face, 0, column));
    canvas.Draw(painter, menus.File(), 3, ODS_CHECKED);
    EXPECT_GT(column * CItemCanvas::kHeight - canvas.Count(face, 0, column), 10);

    // A separator is a line across the middle.
    canvas.Draw(painter, menus.File(), 1, 0);
    EXPECT_EQ(::GetSysColor(COLOR_GRAYTEXT),
              canvas.pixels[CItemCanvas::kHeight / 2][CItemCanvas::kWidth / 2]);
}

// A check mark must stand out from the image column it sits on, highlighted or not: the
// highlight covers only the text part, so the highlight's text colour can vanish on the column.
TEST(MenuPainter, CheckMarkShowsOnItsColumnWhenHighlighted)
{
    CTestMenus menus;
    CRMenuPainter painter;
    painter.SetMenu(&menus.bar);
    const auto luminance = [](COLORREF c) {
        return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000;
    };
    CItemCanvas canvas;
    for (UINT state : {UINT(ODS_CHECKED), UINT(ODS_CHECKED | ODS_SELECTED)})
    {
        canvas.Draw(painter, menus.File(), 3, state);
        const COLORREF behind = canvas.pixels[0][0]; // the column's own colour above the mark
        int column = 0;
        while (column < CItemCanvas::kWidth && canvas.pixels[0][column] == behind)
            ++column;
        ASSERT_GT(column, 4) << state;
        ASSERT_LT(column, 60) << state;
        int strong = 0;
        for (int y = 0; y < CItemCanvas::kHeight; ++y)
            for (int x = 0; x < column; ++x)
                strong += std::abs(luminance(canvas.pixels[y][x]) - luminance(behind)) >= 96;
        EXPECT_GE(strong, 6) << "state " << state << ", column colour " << std::hex << behind;
    }
}

TEST(MenuPainter, DrawsToolbarImages)
{
    qltest::CTestHost host;
    ASSERT_TRUE(host.CreateHost(300, 200));
    CImageToolBar toolbar;
    ASSERT_TRUE(toolbar.Create(host.m_hWnd));
    CTestMenus menus;
    CRMenuPainter painter;
    painter.LoadToolBarImages(&menus.bar, &toolbar.wrapper, true);
    CItemCanvas canvas;
    canvas.Draw(painter, menus.File(), 0, 0); // Open: the red image
    EXPECT_GT(canvas.Count(RGB(255, 0, 0), 0, 40), 300);
    canvas.Draw(painter, menus.File(), 2, 0); // Save: the blue one
    EXPECT_GT(canvas.Count(RGB(0, 0, 255), 0, 40), 300);
    canvas.Draw(painter, menus.File(), 3, 0); // Exit has no button
    EXPECT_EQ(0, canvas.Count(RGB(255, 0, 0), 0, 40) + canvas.Count(RGB(0, 0, 255), 0, 40));
    // Disabled without a disabled image list: the shape in a gray that is not the background.
    canvas.Draw(painter, menus.File(), 0, ODS_DISABLED);
    EXPECT_EQ(0, canvas.Count(RGB(255, 0, 0), 0, 40));
    EXPECT_GT(canvas.Count(::GetSysColor(COLOR_GRAYTEXT), 0, 40), 300);
}

// A window that feeds its painter as the program's frames do.
class CMenuHost : public qltest::CTestHost
{
public:
    CRMenuPainter painter;
    int measured = 0, drawn = 0, menuChars = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_INITMENUPOPUP:
            painter.InitMenuPopup(CMenu::FromHandle((HMENU)wParam), LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_MEASUREITEM:
            if (((MEASUREITEMSTRUCT*)lParam)->CtlType == ODT_MENU)
            {
                ++measured;
                painter.MeasureItem(this, (MEASUREITEMSTRUCT*)lParam);
                return TRUE;
            }
            break;
        case WM_DRAWITEM:
            if (((DRAWITEMSTRUCT*)lParam)->CtlType == ODT_MENU)
            {
                ++drawn;
                painter.DrawItem((DRAWITEMSTRUCT*)lParam);
                return TRUE;
            }
            break;
        case WM_MENUCHAR:
            ++menuChars;
            return painter.MenuChar(LOWORD(wParam), HIWORD(wParam),
                                    CMenu::FromHandle((HMENU)lParam));
        }
        return qltest::CTestHost::WindowProc(message, wParam, lParam);
    }
};

TEST(MenuPainter, RealPopupIsDrawnAndAnswersItsMnemonic)
{
    CMenuHost host;
    ASSERT_TRUE(host.CreateHost(400, 300));
    CImageToolBar toolbar;
    ASSERT_TRUE(toolbar.Create(host.m_hWnd));
    CTestMenus menus;
    host.painter.LoadToolBarImages(&menus.bar, &toolbar.wrapper, true);
    ::CheckMenuItem(menus.Edit(), 105, MF_CHECKED);
    ::CheckMenuRadioItem(menus.Edit(), 105, 105, 105, MF_BYCOMMAND);

    // The popup runs its own loop: look at it from a timer, then type the mnemonic of Exit.
    static HWND s_menuOwner;
    static int s_ticks;
    s_menuOwner = host.m_hWnd;
    s_ticks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR, DWORD) {
        ++s_ticks;
        if (s_ticks == 2)
        {
            HWND hPopup = ::FindWindowW(L"#32768", nullptr);
            qltest::SaveWindowShot(hPopup, "menu_popup.bmp");
            ::PostMessageW(s_menuOwner, WM_CHAR, L'x', 0);
        }
        else if (s_ticks > 20)
        {
            ::EndMenu();
        }
    });
    POINT pt = {40, 40};
    host.ClientToScreen(&pt);
    const int chosen = (int)::TrackPopupMenu(menus.File(), TPM_RETURNCMD | TPM_NONOTIFY, pt.x, pt.y,
                                             0, host.m_hWnd, nullptr);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(102, chosen);
    EXPECT_GE(host.measured, 4);
    EXPECT_GE(host.drawn, 4);
    // Wine finds the mnemonic in the item text it keeps, so WM_MENUCHAR may not come at all.

    // The Edit popup with its radio mark and grayed item, for the record.
    s_ticks = 0;
    const UINT_PTR timer2 = ::SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR, DWORD) {
        if (++s_ticks == 2)
        {
            qltest::SaveWindowShot(::FindWindowW(L"#32768", nullptr), "menu_popup_edit.bmp");
            ::EndMenu();
        }
    });
    ::TrackPopupMenu(menus.Edit(), TPM_RETURNCMD | TPM_NONOTIFY, pt.x, pt.y, 0, host.m_hWnd,
                     nullptr);
    ::KillTimer(nullptr, timer2);
    PumpPending();
}

} // namespace
