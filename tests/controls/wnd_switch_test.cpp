// The window switcher on real windows in each of its three looks: activation and its veto,
// right clicks, the wheel, dragging tabs, overflow and its scroll buttons, the owner's window
// list and the list button, closing windows, tooltips and the painters' colours.
#include "controls/wnd_switch.h"
#include "screenshot_util.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using qltest::PumpPending;

namespace {

// The parent: records the switch notifications and can veto a switch.
class CSwitchParent : public qltest::CTestHost
{
public:
    std::vector<UINT> codes;
    LRESULT veto = 0;
    INT64 rightClickIndex = -1;
    POINT rightClickPoint = {};

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NOTIFY && wParam == 0)
        {
            const NMHDR* hdr = (const NMHDR*)lParam;
            codes.push_back(hdr->code);
            if (hdr->code == CRWndSwitch::kNotifyRightClick)
            {
                const auto* rc = (const CRWndSwitch::NMRIGHTCLICK*)lParam;
                rightClickIndex = rc->index;
                rightClickPoint = rc->point;
            }
            if (hdr->code == CRWndSwitch::kNotifyActivating)
                return veto;
            return 0;
        }
        return qltest::CTestHost::WindowProc(message, wParam, lParam);
    }
};

// A hosted window that may refuse to close.
class CHosted : public qltest::CTestHost
{
public:
    bool refuseClose = false;
    int closeRequests = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CLOSE)
        {
            ++closeRequests;
            if (refuseClose)
                return 0;
        }
        return qltest::CTestHost::WindowProc(message, wParam, lParam);
    }
};

class SwitcherTest : public ::testing::Test
{
protected:
    CSwitchParent parent;
    std::unique_ptr<CRWndSwitch> sw;
    std::vector<std::unique_ptr<CHosted>> hosted;

    void Build(UINT flags, UINT position, int style, int count, int width = 600,
               const std::vector<CString>& titles = {})
    {
        ASSERT_TRUE(parent.CreateHost(width + 40, 400));
        sw = std::make_unique<CRWndSwitch>(flags, position);
        ASSERT_TRUE(sw->SetStyle(style));
        ASSERT_TRUE(sw->Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                               CRect(10, 10, 10 + width, 310), &parent, 77));
        for (int i = 0; i < count; ++i)
        {
            CString title;
            if (i < (int)titles.size())
                title = titles[i];
            else
                title.Format(L"Window %d", i + 1);
            Add(title);
        }
        Paint();
        parent.codes.clear();
    }

    int Add(const CString& title)
    {
        auto window = std::make_unique<CHosted>();
        EXPECT_TRUE(window->CreateChild(sw.get(), CRect(0, 0, 50, 50)));
        window->SetWindowText(title);
        const int k = sw->AddWindow(window.get(), title, title, nullptr, -1);
        hosted.push_back(std::move(window));
        return k;
    }

    void Paint()
    {
        sw->Invalidate(FALSE);
        sw->UpdateWindow();
        PumpPending();
    }

    CPoint TabCenter(int index)
    {
        const RECT& r = sw->GetTab(index)->tabRect;
        return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void Send(UINT message, WPARAM wParam, CPoint pt)
    {
        sw->SendMessage(message, wParam, MAKELPARAM(pt.x, pt.y));
        PumpPending();
    }
    void Click(CPoint pt)
    {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, pt);
        Send(WM_LBUTTONUP, 0, pt);
    }
    void Wheel(short delta)
    {
        sw->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0);
        PumpPending();
    }
    CPoint ButtonCenter(CRWndSwitch::CButtonBase* pButton)
    {
        RECT r = pButton->GetRect();
        return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    int FirstTabFromLeft()
    {
        for (int i = 0; i < sw->GetTabCount(); ++i)
            if (sw->GetTab(i)->tabRect.left >= 0)
                return i;
        return -1;
    }
    std::vector<CString> Titles()
    {
        std::vector<CString> v;
        for (int i = 0; i < sw->GetTabCount(); ++i)
            v.push_back(sw->GetTab(i)->title);
        return v;
    }
    HWND ActiveHwnd() { return sw->GetTab(sw->GetActiveIndex())->window->m_hWnd; }
};

// --- Behaviour that every look shares ---------------------------------------------------------

class SwitcherStyles : public SwitcherTest, public ::testing::WithParamInterface<int>
{};

INSTANTIATE_TEST_SUITE_P(AllLooks, SwitcherStyles, ::testing::Values(0, 1, 2));

TEST_P(SwitcherStyles, FirstWindowBecomesActiveAndFillsTheClientArea)
{
    Build(0, CRWndSwitch::kTabsTop, GetParam(), 0);
    EXPECT_EQ(-1, sw->GetActiveIndex());
    EXPECT_EQ(-1, sw->AddWindow(nullptr, L"none", L"", nullptr, -1));
    EXPECT_EQ(0, Add(L"One"));
    EXPECT_EQ((std::vector<UINT>{CRWndSwitch::kNotifyActivated}), parent.codes);
    EXPECT_EQ(1, Add(L"Two"));
    EXPECT_EQ(0, sw->GetActiveIndex());
    EXPECT_TRUE(hosted[0]->IsWindowVisible());
    EXPECT_FALSE(hosted[1]->IsWindowVisible());
    EXPECT_EQ(hosted[0]->m_hWnd, ::GetFocus());

    CRect area;
    sw->GetClientArea(&area);
    CRect client;
    sw->GetClientRect(&client);
    EXPECT_EQ(client.top + sw->GetStripHeight(), area.top);
    EXPECT_EQ(client.bottom, area.bottom);
    CRect placed;
    hosted[0]->GetWindowRect(&placed);
    sw->ScreenToClient(&placed);
    EXPECT_EQ(area, placed);
}

TEST_P(SwitcherStyles, ClickSwitchesWithNotificationsAndAVetoKeepsTheOldTab)
{
    Build(0, CRWndSwitch::kTabsTop, GetParam(), 3);
    Click(TabCenter(1));
    EXPECT_EQ((std::vector<UINT>{CRWndSwitch::kNotifyActivating, CRWndSwitch::kNotifyActivated}),
              parent.codes);
    EXPECT_EQ(1, sw->GetActiveIndex());
    EXPECT_TRUE(hosted[1]->IsWindowVisible());
    EXPECT_FALSE(hosted[0]->IsWindowVisible());
    EXPECT_EQ(hosted[1]->m_hWnd, ::GetFocus());
    EXPECT_EQ(hosted[0].get(), sw->GetPreviousWindow());

    // Clicking the active tab only moves the focus into its window.
    parent.codes.clear();
    ::SetFocus(parent.m_hWnd);
    Click(TabCenter(1));
    EXPECT_TRUE(parent.codes.empty());
    EXPECT_EQ(hosted[1]->m_hWnd, ::GetFocus());

    parent.veto = 1;
    Click(TabCenter(2));
    EXPECT_EQ((std::vector<UINT>{CRWndSwitch::kNotifyActivating}), parent.codes);
    EXPECT_EQ(1, sw->GetActiveIndex());
    EXPECT_TRUE(hosted[1]->IsWindowVisible());
    EXPECT_FALSE(hosted[2]->IsWindowVisible());
    EXPECT_FALSE(sw->ActivateTab(2));
    EXPECT_FALSE(sw->ActivateTab(3));
    EXPECT_FALSE(sw->ActivateTab(-1));
}

TEST_P(SwitcherStyles, RightClickReportsTheTabWithoutActivatingIt)
{
    Build(0, CRWndSwitch::kTabsTop, GetParam(), 3);
    const CPoint at = TabCenter(2);
    Send(WM_RBUTTONUP, 0, at);
    EXPECT_EQ((std::vector<UINT>{CRWndSwitch::kNotifyRightClick}), parent.codes);
    EXPECT_EQ(2, parent.rightClickIndex);
    CPoint screen = at;
    sw->ClientToScreen(&screen);
    EXPECT_EQ(screen.x, parent.rightClickPoint.x);
    EXPECT_EQ(screen.y, parent.rightClickPoint.y);
    EXPECT_EQ(0, sw->GetActiveIndex());

    // Below the strip there is no tab to report.
    parent.codes.clear();
    Send(WM_RBUTTONUP, 0, CPoint(20, 200));
    EXPECT_TRUE(parent.codes.empty());
}

TEST_P(SwitcherStyles, DraggingSwapsTabsAndAWideTabDoesNotJumpBack)
{
    Build(CRWndSwitch::kDraggable, CRWndSwitch::kTabsTop, GetParam(), 3, 600,
          {L"A", L"A much wider title than the first", L"C"});
    Send(WM_LBUTTONDOWN, MK_LBUTTON, TabCenter(0));
    Send(WM_MOUSEMOVE, MK_LBUTTON, TabCenter(1));
    EXPECT_EQ((std::vector<CString>{L"A much wider title than the first", L"A", L"C"}), Titles());
    EXPECT_EQ(1, sw->GetActiveIndex());
    EXPECT_EQ(hosted[0]->m_hWnd, ActiveHwnd());

    // Back over the wide tab: only within the narrow tab's width of its near edge.
    const RECT wide = sw->GetTab(0)->tabRect;
    Send(WM_MOUSEMOVE, MK_LBUTTON, CPoint(wide.right - 2, (wide.top + wide.bottom) / 2));
    EXPECT_EQ(L"A", sw->GetTab(1)->title);
    Send(WM_MOUSEMOVE, MK_LBUTTON, CPoint(wide.left + 2, (wide.top + wide.bottom) / 2));
    EXPECT_EQ((std::vector<CString>{L"A", L"A much wider title than the first", L"C"}), Titles());
    EXPECT_EQ(0, sw->GetActiveIndex());
    Send(WM_LBUTTONUP, 0, TabCenter(0));

    // Without the button held nothing moves.
    Send(WM_MOUSEMOVE, 0, TabCenter(2));
    EXPECT_EQ(L"A", sw->GetTab(0)->title);
}

TEST_P(SwitcherStyles, AVetoedClickStartsNoDrag)
{
    Build(CRWndSwitch::kDraggable, CRWndSwitch::kTabsTop, GetParam(), 3);
    parent.veto = 1;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, TabCenter(1));
    Send(WM_MOUSEMOVE, MK_LBUTTON, TabCenter(2));
    Send(WM_LBUTTONUP, 0, TabCenter(2));
    EXPECT_EQ((std::vector<CString>{L"Window 1", L"Window 2", L"Window 3"}), Titles());
    EXPECT_EQ(0, sw->GetActiveIndex());
    EXPECT_TRUE(hosted[0]->IsWindowVisible());
}

TEST_P(SwitcherStyles, OverflowShowsScrollButtonsAndTheWheelScrollsOneTabPerNotch)
{
    Build(0, CRWndSwitch::kTabsTop, GetParam(), 12, 400);
    ASSERT_NE(nullptr, sw->GetScrollLeftButton());
    EXPECT_EQ(CRWndSwitch::kButtonShown, sw->GetScrollLeftButton()->m_state);
    EXPECT_EQ(CRWndSwitch::kButtonShown, sw->GetScrollRightButton()->m_state);
    EXPECT_LT(sw->GetTab(11)->tabRect.left, sw->GetTabAreaRight() + 400);
    EXPECT_GT(sw->GetTab(11)->tabRect.right, sw->GetTabAreaRight());
    EXPECT_EQ(0, FirstTabFromLeft());

    Wheel(-WHEEL_DELTA); // back: to the right
    Wheel(-WHEEL_DELTA);
    EXPECT_EQ(1, FirstTabFromLeft());
    EXPECT_EQ(0, sw->GetTab(1)->tabRect.left);
    Wheel(WHEEL_DELTA / 2); // half a notch does nothing yet
    EXPECT_EQ(1, FirstTabFromLeft());
    Wheel(WHEEL_DELTA / 2);
    EXPECT_EQ(0, FirstTabFromLeft());
    EXPECT_EQ(0, sw->GetTab(0)->tabRect.left);
    Wheel(WHEEL_DELTA); // nothing further left
    EXPECT_EQ(0, sw->GetTab(0)->tabRect.left);

    // The scroll buttons act when released over them, not elsewhere.
    const CPoint right = ButtonCenter(sw->GetScrollRightButton());
    Click(right);
    EXPECT_EQ(1, FirstTabFromLeft());
    Send(WM_LBUTTONDOWN, MK_LBUTTON, right);
    EXPECT_EQ(CRWndSwitch::kButtonPressed, sw->GetScrollRightButton()->m_state);
    Send(WM_LBUTTONUP, 0, CPoint(right.x, right.y + 200));
    EXPECT_EQ(CRWndSwitch::kButtonShown, sw->GetScrollRightButton()->m_state);
    EXPECT_EQ(1, FirstTabFromLeft());
    Click(ButtonCenter(sw->GetScrollLeftButton()));
    EXPECT_EQ(0, FirstTabFromLeft());

    // Activating a tab beyond the edge brings it into view.
    ASSERT_TRUE(sw->ActivateTab(11));
    Paint();
    EXPECT_LE(sw->GetTab(11)->tabRect.right, sw->GetTabAreaRight());
    EXPECT_GE(sw->GetTab(11)->tabRect.left, 0);
}

TEST_P(SwitcherStyles, OwnerWindowListMenuOfTenWindows)
{
    Build(0, CRWndSwitch::kTabsTop, GetParam(), 10);
    sw->m_windowListMenuPos = 2;
    sw->m_moreWindowsText = L"&More Windows...";
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 500, L"&Cascade");
    for (int round = 0; round < 2; ++round)
    {
        sw->SendMessage(WM_INITMENUPOPUP, (WPARAM)menu.m_hMenu, MAKELPARAM(2, FALSE));
        ASSERT_EQ(12, menu.GetMenuItemCount());
    }
    EXPECT_EQ(500u, menu.GetMenuItemID(0));
    EXPECT_TRUE(menu.GetMenuState(1, MF_BYPOSITION) & MF_SEPARATOR);
    for (int i = 0; i < 9; ++i)
    {
        CString text;
        menu.GetMenuString(i + 2, text, MF_BYPOSITION);
        CString expected;
        expected.Format(L"&%d Window %d", i + 1, i + 1);
        EXPECT_EQ(expected, text);
        EXPECT_EQ(CRWndSwitch::kFirstWindowCmd + i, menu.GetMenuItemID(i + 2));
        EXPECT_EQ(i == 0, (menu.GetMenuState(i + 2, MF_BYPOSITION) & MF_CHECKED) != 0);
    }
    EXPECT_EQ(CRWndSwitch::kMoreWindowsCmd, menu.GetMenuItemID(11));

    // Another popup position or the system menu is left alone.
    sw->SendMessage(WM_INITMENUPOPUP, (WPARAM)menu.m_hMenu, MAKELPARAM(1, FALSE));
    sw->SendMessage(WM_INITMENUPOPUP, (WPARAM)menu.m_hMenu, MAKELPARAM(2, TRUE));
    EXPECT_EQ(12, menu.GetMenuItemCount());

    sw->SendMessage(WM_COMMAND, CRWndSwitch::kFirstWindowCmd + 3);
    EXPECT_EQ(3, sw->GetActiveIndex());
    sw->m_windowListMenuPos = -1;
    sw->SendMessage(WM_COMMAND, CRWndSwitch::kFirstWindowCmd + 5);
    EXPECT_EQ(3, sw->GetActiveIndex());
}

TEST_P(SwitcherStyles, ClosingAWindowRemovesItsTab)
{
    Build(CRWndSwitch::kClosable, CRWndSwitch::kTabsTop, GetParam(), 3);
    ASSERT_TRUE(sw->ActivateTab(1));
    Paint();
    parent.codes.clear();
    auto closeActive = [&](bool releaseOver) {
        if (GetParam() == 0)
        {
            ASSERT_NE(nullptr, sw->GetCloseButton());
            const CPoint at = ButtonCenter(sw->GetCloseButton());
            Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
            Send(WM_LBUTTONUP, 0, releaseOver ? at : CPoint(at.x, at.y + 100));
        }
        else
        {
            ASSERT_EQ(nullptr, sw->GetCloseButton());
            const RECT& r = sw->GetTab(sw->GetActiveIndex())->closeRect;
            ASSERT_LT(r.left, r.right);
            Click(CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        }
    };
    if (GetParam() == 0)
    {
        closeActive(false); // released elsewhere: nothing happens
        EXPECT_EQ(0, hosted[1]->closeRequests);
        EXPECT_EQ(3, sw->GetTabCount());
    }
    hosted[1]->refuseClose = true;
    closeActive(true);
    EXPECT_EQ(1, hosted[1]->closeRequests);
    EXPECT_EQ(3, sw->GetTabCount());

    hosted[1]->refuseClose = false;
    closeActive(true);
    EXPECT_FALSE(::IsWindow(hosted[1]->m_hWnd));
    ASSERT_EQ(2, sw->GetTabCount());
    EXPECT_EQ((std::vector<CString>{L"Window 1", L"Window 3"}), Titles());
    EXPECT_EQ(1, sw->GetActiveIndex()); // the neighbour took its place
    EXPECT_TRUE(hosted[2]->IsWindowVisible());
    EXPECT_EQ(CRWndSwitch::kNotifyActivated, parent.codes.back());
    Paint();

    // A hosted window destroyed by other means drops its tab too.
    hosted[0]->DestroyWindow();
    PumpPending();
    ASSERT_EQ(1, sw->GetTabCount());
    EXPECT_EQ(0, sw->GetActiveIndex());
    hosted[2]->DestroyWindow();
    EXPECT_EQ(0, sw->GetTabCount());
    EXPECT_EQ(-1, sw->GetActiveIndex());
    Paint();
}

TEST_P(SwitcherStyles, TooltipsFollowTheTabs)
{
    Build(CRWndSwitch::kToolTips, CRWndSwitch::kTabsTop, GetParam(), 3);
    ASSERT_TRUE(::IsWindow(sw->GetToolTip().m_hWnd));
    EXPECT_EQ(3, sw->GetToolTip().GetToolCount());
    TOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.hwnd = sw->m_hWnd;
    ti.uId = sw->GetTab(2)->uniqueId;
    ASSERT_TRUE(sw->GetToolTip().SendMessage(TTM_GETTOOLINFOW, 0, (LPARAM)&ti));
    EXPECT_EQ(CRect(sw->GetTab(2)->tabRect), CRect(ti.rect));
    EXPECT_EQ(sw->GetTab(1)->uniqueId + 1, sw->GetTab(2)->uniqueId);
}

// --- Per look --------------------------------------------------------------------------------

TEST_F(SwitcherTest, TabsAtTheBottomShrinkInsteadOfScrolling)
{
    Build(0, CRWndSwitch::kTabsBottom, 2, 8, 300);
    EXPECT_EQ(nullptr, sw->GetScrollLeftButton());
    EXPECT_LE(sw->GetTab(7)->tabRect.right, sw->GetTabAreaRight());
    EXPECT_EQ(sw->GetTab(0)->tabRect.right, sw->GetTab(1)->tabRect.left);
    int widest = 0, narrowest = 10000;
    for (int i = 0; i < 8; ++i)
    {
        const int w = sw->GetTab(i)->tabRect.right - sw->GetTab(i)->tabRect.left;
        widest = std::max(widest, w);
        narrowest = std::min(narrowest, w);
    }
    EXPECT_LE(widest - narrowest, 2); // equal titles lose equal shares
    CRect strip;
    sw->GetStripRect(&strip);
    CRect client;
    sw->GetClientRect(&client);
    EXPECT_EQ(client.bottom, strip.bottom);
    CRect area;
    sw->GetClientArea(&area);
    EXPECT_EQ(CRect(2, 2, client.right - 2, strip.top), area);
    qltest::SaveWindowShot(parent.m_hWnd, "switch_style2_bottom.bmp");
}

TEST_F(SwitcherTest, PlusButtonNotifiesAndIsThereWithoutTabs)
{
    Build(CRWndSwitch::kPlusButton, CRWndSwitch::kTabsTop, 1, 0);
    ASSERT_NE(nullptr, sw->GetPlusButton());
    EXPECT_EQ(CRWndSwitch::kButtonShown, sw->GetPlusButton()->m_state);
    const CPoint at = ButtonCenter(sw->GetPlusButton());
    Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
    Send(WM_LBUTTONUP, 0, CPoint(at.x - 100, at.y));
    EXPECT_TRUE(parent.codes.empty());
    Click(at);
    EXPECT_EQ((std::vector<UINT>{CRWndSwitch::kNotifyPlus}), parent.codes);
}

TEST_F(SwitcherTest, WindowListButtonOffersTitlesInOrderAndActivatesTheChoice)
{
    Build(0, CRWndSwitch::kTabsTop, 2, 3, 600, {L"beta", L"Alpha", L"gamma"});
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    EXPECT_EQ((std::vector<int>{1, 0, 2}), sw->BuildWindowListMenu(menu));
    CString first;
    menu.GetMenuString(0, first, MF_BYPOSITION);
    EXPECT_EQ(L"Alpha", first);
    EXPECT_EQ(1u, menu.GetMenuItemID(0));

    ASSERT_NE(nullptr, sw->GetListButton());
    // The popup runs its own loop: pick the third entry from a timer once the menu shows, as a
    // user would; the menu is closed without a choice only when it hangs.
    static HWND s_target;
    static ULONGLONG s_start;
    static bool s_picked, s_gaveUp;
    s_target = sw->m_hWnd;
    s_start = ::GetTickCount64();
    s_picked = s_gaveUp = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        bool shown = false;
        for (HWND menu = nullptr;
             !shown && (menu = ::FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr;)
            shown = ::IsWindowVisible(menu) != FALSE;
        if (!s_picked && shown)
        {
            s_picked = true;
            for (int i = 0; i < 3; ++i)
                ::PostMessageW(s_target, WM_KEYDOWN, VK_DOWN, 0);
            ::PostMessageW(s_target, WM_KEYDOWN, VK_RETURN, 0);
        }
        else if (::GetTickCount64() - s_start > 30000)
        {
            s_gaveUp = true;
            ::EndMenu();
        }
    });
    Send(WM_LBUTTONDOWN, MK_LBUTTON, ButtonCenter(sw->GetListButton()));
    ::KillTimer(nullptr, timer);
    Send(WM_LBUTTONUP, 0, ButtonCenter(sw->GetListButton()));
    EXPECT_TRUE(s_picked);
    EXPECT_FALSE(s_gaveUp);
    EXPECT_EQ(2, sw->GetActiveIndex());
}

TEST_F(SwitcherTest, HotTrackingByLook)
{
    Build(0, CRWndSwitch::kTabsTop, 0, 3);
    Send(WM_MOUSEMOVE, 0, TabCenter(1));
    EXPECT_EQ(-1, sw->GetHotTab()); // the raised look does not track
    ASSERT_TRUE(sw->SetStyle(1));
    Paint();
    Send(WM_MOUSEMOVE, 0, TabCenter(1));
    EXPECT_EQ(1, sw->GetHotTab());
    sw->SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(-1, sw->GetHotTab());
    ASSERT_TRUE(sw->SetStyle(2));
    Paint();
    Send(WM_MOUSEMOVE, 0, TabCenter(2));
    EXPECT_EQ(2, sw->GetHotTab());
    Send(WM_MOUSEMOVE, 0, CPoint(20, 200)); // below the strip
    EXPECT_EQ(-1, sw->GetHotTab());

    EXPECT_FALSE(sw->SetStyle(3));
    EXPECT_EQ(2, sw->GetStyle());
}

TEST(SwitcherPainters, ColoursAndMetrics)
{
    EXPECT_EQ(RGB(255, 105, 0), CRWndSwitch::AdjustColor(RGB(250, 100, 0), 5));
    EXPECT_EQ(RGB(10, 20, 30), CRWndSwitch::AdjustColor(RGB(10, 20, 30), 0));

    CRWndSwitch sw(CRWndSwitch::kClosable, CRWndSwitch::kTabsBottom);
    ASSERT_TRUE(sw.SetStyle(2));
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), sw.GetPainter()->GetAccentColor());
    sw.SetPainterColor(RGB(1, 2, 3));
    EXPECT_EQ(RGB(1, 2, 3), sw.GetPainter()->GetAccentColor());
    ASSERT_TRUE(sw.SetStyle(1)); // the colour survives a change of look
    EXPECT_EQ(RGB(1, 2, 3), sw.GetPainter()->GetAccentColor());
    sw.SetPainterColor((COLORREF)-1);
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), sw.GetPainter()->GetAccentColor());

    // Buttons are square; at the bottom only the close button of the raised look exists.
    ASSERT_TRUE(sw.SetStyle(0));
    ASSERT_NE(nullptr, sw.GetCloseButton());
    EXPECT_EQ(CRWndSwitch::kButtonShown, sw.GetCloseButton()->m_state);
    EXPECT_EQ(sw.GetCloseButton()->GetWidth(), sw.GetCloseButton()->GetHeight());
    EXPECT_EQ(nullptr, sw.GetScrollLeftButton());
    RECT margins;
    EXPECT_EQ(0, sw.GetPainter()->GetClientMargins(&margins));
    ASSERT_TRUE(sw.SetStyle(2));
    EXPECT_EQ(2, sw.GetPainter()->GetClientMargins(&margins));
    EXPECT_EQ(nullptr, sw.GetCloseButton());
    EXPECT_EQ(nullptr, sw.GetListButton());
}

TEST_F(SwitcherTest, ScreenshotsOfTheThreeLooks)
{
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 0));
    images.Add(::LoadIconW(nullptr, IDI_APPLICATION));
    images.Add(::LoadIconW(nullptr, IDI_INFORMATION));
    Build(CRWndSwitch::kClosable, CRWndSwitch::kTabsTop, 0, 0, 500);
    for (int i = 0; i < 9; ++i)
    {
        CString title;
        title.Format(L"Query %d", i + 1);
        auto window = std::make_unique<CHosted>();
        ASSERT_TRUE(window->CreateChild(sw.get(), CRect(0, 0, 50, 50)));
        sw->AddWindow(window.get(), title, title, &images, i % 2);
        hosted.push_back(std::move(window));
    }
    ASSERT_TRUE(sw->ActivateTab(2));
    for (int style = 0; style < 3; ++style)
    {
        ASSERT_TRUE(sw->SetStyle(style));
        Paint();
        Send(WM_MOUSEMOVE, 0, TabCenter(4));
        Paint();
        char name[64];
        snprintf(name, sizeof(name), "switch_style%d.bmp", style);
        qltest::SaveWindowShot(parent.m_hWnd, name);
        // Every look lays out every tab side by side.
        for (int i = 1; i < sw->GetTabCount(); ++i)
            EXPECT_EQ(sw->GetTab(i - 1)->tabRect.right, sw->GetTab(i)->tabRect.left);
    }
}

} // namespace
