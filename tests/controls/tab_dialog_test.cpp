// Tab controls whose pages are modeless dialogs: pages load once and only when shown, stale
// pages load again, hiding and resizing move every page, and the themed page background.
#include "controls/dialog_tab_ctrl.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

#include <uxtheme.h>

#include <vector>

using qltest::CTestHost;
using qltest::PumpPending;

namespace {

// A child dialog template with one static.
class CPageTemplate
{
public:
    CPageTemplate()
    {
        DLGTEMPLATE dlg = {};
        dlg.style = WS_CHILD | DS_CONTROL | DS_SETFONT;
        dlg.cdit = 1;
        dlg.cx = 150;
        dlg.cy = 80;
        Add(&dlg, sizeof(dlg));
        m_words.push_back(0); // menu
        m_words.push_back(0); // class
        m_words.push_back(0); // title
        m_words.push_back(8); // font size
        Text(L"MS Shell Dlg");
        if (m_words.size() % 2)
            m_words.push_back(0);
        DLGITEMTEMPLATE item = {WS_CHILD | WS_VISIBLE, 0, 5, 5, 100, 10, 100};
        Add(&item, sizeof(item));
        m_words.push_back(0xFFFF);
        m_words.push_back(0x0082);
        Text(L"page");
        m_words.push_back(0);
    }
    LPCDLGTEMPLATE get() const { return (LPCDLGTEMPLATE)m_words.data(); }

private:
    std::vector<WORD> m_words;
    void Add(const void* p, size_t bytes)
    {
        const WORD* w = (const WORD*)p;
        m_words.insert(m_words.end(), w, w + bytes / 2);
    }
    void Text(LPCWSTR s)
    {
        for (; *s; ++s)
            m_words.push_back(*s);
        m_words.push_back(0);
    }
};

class CCountingPage : public CRTabDialog
{
public:
    explicit CCountingPage(CRDialogTabCtrl* pOwner, bool fromTemplate = true)
        : CRTabDialog(fromTemplate ? 1 : 0xBEEF, pOwner), m_fromTemplate(fromTemplate)
    {}
    int loads = 0;
    int resets = 0;
    bool m_fromTemplate;

    BOOL Create(UINT nIDTemplate, CWnd* pParent) override
    {
        static CPageTemplate pageTemplate;
        if (!m_fromTemplate)
            return CRTabDialog::Create(nIDTemplate, pParent); // no such resource
        return CreateIndirect(pageTemplate.get(), pParent);
    }
    bool LoadPage() override
    {
        ++loads;
        return CRTabDialog::LoadPage();
    }
    void ResetPage() override
    {
        ++resets;
        CRTabDialog::ResetPage();
    }
};

class TabDialogTest : public ::testing::Test
{
protected:
    CTestHost host;
    CRDialogTabCtrl tab;
    CCountingPage pages[3] = {CCountingPage(&tab), CCountingPage(&tab), CCountingPage(&tab)};

    void SetUp() override
    {
        ASSERT_TRUE(host.CreateHost(600, 400));
        ASSERT_TRUE(tab.Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, CRect(10, 10, 410, 310),
                               &host, 50));
        for (int i = 0; i < 3; ++i)
        {
            CString title;
            title.Format(L"Page %d", i + 1);
            ASSERT_EQ(i, tab.AddPage(&pages[i], 1, title));
        }
        PumpPending();
    }

    // Clicks a tab the way a user does; the control itself sends the selection change.
    void ClickTab(int index)
    {
        CRect r;
        ASSERT_TRUE(tab.GetItemRect(index, &r));
        const LPARAM at = MAKELPARAM(r.CenterPoint().x, r.CenterPoint().y);
        tab.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        tab.SendMessage(WM_LBUTTONUP, 0, at);
        PumpPending();
        ASSERT_EQ(index, tab.GetCurSel());
    }

    std::vector<bool> Visible()
    {
        std::vector<bool> v;
        for (auto& page : pages)
            v.push_back(page.IsWindowVisible() != FALSE);
        return v;
    }
};

TEST_F(TabDialogTest, AddingPagesShowsOnlyTheFirstAndLoadsNothing)
{
    EXPECT_EQ(3, tab.GetItemCount());
    EXPECT_EQ((std::vector<bool>{true, false, false}), Visible());
    for (auto& page : pages)
    {
        EXPECT_EQ(0, page.loads);
        // Pages are siblings of the tab control, placed over its display area.
        EXPECT_EQ(host.m_hWnd, ::GetParent(page.m_hWnd));
    }
    CRect expected;
    tab.GetPageRect(&expected);
    CRect actual;
    pages[2].GetWindowRect(&actual);
    host.ScreenToClient(&actual);
    EXPECT_EQ(expected, actual);
    CRect item;
    tab.GetItemRect(0, &item);
    EXPECT_EQ(10 + item.bottom + ::GetSystemMetrics(SM_CYDLGFRAME), expected.top);
    EXPECT_EQ(10 + ::GetSystemMetrics(SM_CXDLGFRAME), expected.left);
}

TEST_F(TabDialogTest, PagesLoadOnceWhenFirstShown)
{
    tab.SetCurSel(0);
    tab.ShowCurrentPage(SW_SHOW);
    EXPECT_EQ(1, pages[0].loads);
    EXPECT_TRUE(pages[0].IsLoaded());

    ClickTab(2);
    EXPECT_EQ(1, pages[2].loads);
    EXPECT_EQ((std::vector<bool>{false, false, true}), Visible());
    ClickTab(0);
    ClickTab(2);
    ClickTab(0);
    EXPECT_EQ(1, pages[0].loads);
    EXPECT_EQ(1, pages[2].loads);
    EXPECT_EQ(0, pages[1].loads); // never shown, never loaded
    EXPECT_EQ((std::vector<bool>{true, false, false}), Visible());
}

TEST_F(TabDialogTest, StalePagesLoadAgainWhenNextShown)
{
    tab.ShowCurrentPage(SW_SHOW);
    ClickTab(1);
    ClickTab(2);
    pages[1].NotifyOtherPages();
    EXPECT_FALSE(pages[0].IsLoaded());
    EXPECT_FALSE(pages[2].IsLoaded());
    EXPECT_TRUE(pages[1].IsLoaded());
    EXPECT_EQ(0, pages[1].resets);

    ClickTab(0);
    EXPECT_EQ(2, pages[0].loads);
    ClickTab(1);
    EXPECT_EQ(1, pages[1].loads);
    ClickTab(2);
    EXPECT_EQ(2, pages[2].loads);

    // A page without an owner has nobody to tell.
    CCountingPage lonely(nullptr);
    lonely.NotifyOtherPages();
}

TEST_F(TabDialogTest, HidingHidesEverythingAndLoadsNothing)
{
    tab.ShowCurrentPage(SW_HIDE);
    EXPECT_FALSE(tab.IsWindowVisible());
    EXPECT_EQ((std::vector<bool>{false, false, false}), Visible());
    for (auto& page : pages)
        EXPECT_EQ(0, page.loads);
    tab.SetCurSel(1);
    tab.ShowCurrentPage(SW_SHOW);
    EXPECT_TRUE(tab.IsWindowVisible());
    EXPECT_EQ((std::vector<bool>{false, true, false}), Visible());
}

TEST_F(TabDialogTest, ResizingMovesEveryPage)
{
    tab.MoveWindow(20, 30, 500, 340);
    CRect expected;
    tab.GetPageRect(&expected);
    for (auto& page : pages)
    {
        CRect actual;
        page.GetWindowRect(&actual);
        host.ScreenToClient(&actual);
        EXPECT_EQ(expected, actual);
    }
    EXPECT_EQ(20 + 500 - ::GetSystemMetrics(SM_CXDLGFRAME), expected.right);
}

TEST_F(TabDialogTest, PageThatCannotBeCreatedGetsNoTab)
{
    CCountingPage broken(&tab, false);
    EXPECT_EQ(-1, tab.AddPage(&broken, 0xBEEF, L"Broken"));
    EXPECT_EQ(3, tab.GetItemCount());
    EXPECT_EQ(3, tab.GetPageCount());
}

TEST(TabPageTexture, FallsBackWithoutVisualStyles)
{
    CTestHost host;
    ASSERT_TRUE(host.CreateHost(200, 100));
    EXPECT_FALSE(EnableTabPageTexture(host.m_hWnd, L"no_such_theme_library.dll"));
    EXPECT_FALSE(EnableTabPageTexture(nullptr));
}

TEST_F(TabDialogTest, PagesGetTheThemedTextureWhereAThemeIsActive)
{
    HMODULE hTheme = ::GetModuleHandleW(L"uxtheme.dll");
    if (hTheme == nullptr)
        GTEST_SKIP() << "no visual-styles library in the process";
    typedef BOOL(WINAPI * PFNACTIVE)();
    typedef BOOL(WINAPI * PFNENABLED)(HWND);
    auto pfnActive = (PFNACTIVE)(void*)::GetProcAddress(hTheme, "IsThemeActive");
    auto pfnEnabled = (PFNENABLED)(void*)::GetProcAddress(hTheme, "IsThemeDialogTextureEnabled");
    if (pfnActive == nullptr || pfnEnabled == nullptr || !pfnActive())
        GTEST_SKIP() << "no active theme";
    EXPECT_TRUE(pfnEnabled(pages[0].m_hWnd));
}

} // namespace
