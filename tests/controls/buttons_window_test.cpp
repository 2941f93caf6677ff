// Owner-drawn buttons (classic and themed faces, double clicks, the hot state), the theme
// binding of the header, the hyperlink static and the progress indicators.
#include "controls/html_static.h"
#include "controls/owner_draw_button.h"
#include "controls/progress_ctrl.h"
#include "util/reg_key.h"
#include "controls/theme_access.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

using qltest::CTestHost;
using qltest::PumpPending;

namespace {

// A 32-bit bitmap selected into a memory DC, for drawing and reading pixels back.
class CCanvas
{
public:
    CCanvas(int width, int height)
    {
        m_hDC = ::CreateCompatibleDC(nullptr);
        BITMAPINFO bmi = {};
        bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
        m_hBitmap = ::CreateDIBSection(m_hDC, &bmi, DIB_RGB_COLORS, nullptr, nullptr, 0);
        m_hOld = ::SelectObject(m_hDC, m_hBitmap);
        RECT r = {0, 0, width, height};
        ::FillRect(m_hDC, &r, (HBRUSH)::GetStockObject(WHITE_BRUSH));
    }
    ~CCanvas()
    {
        ::SelectObject(m_hDC, m_hOld);
        ::DeleteObject(m_hBitmap);
        ::DeleteDC(m_hDC);
    }
    HDC dc() const { return m_hDC; }
    COLORREF at(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

private:
    HDC m_hDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
};

// Draws a button's face into a canvas as its parent's WM_DRAWITEM would have it drawn.
void DrawButton(CRButton& button, CCanvas& canvas, UINT state)
{
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = (UINT)button.GetDlgCtrlID();
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = button.GetSafeHwnd();
    dis.hDC = canvas.dc();
    button.GetClientRect(&dis.rcItem);
    button.DrawItem(&dis);
}

// Looks the theme functions up, but pretends one of them is missing.
FARPROC LookupWithoutContentRect(HMODULE hModule, LPCSTR name)
{
    if (strcmp(name, "GetThemeBackgroundContentRect") == 0)
        return nullptr;
    return ::GetProcAddress(hModule, name);
}

// Looks the theme functions up, but no theme is active: opening one gives nothing.
HTHEME WINAPI OpenNoTheme(HWND, LPCWSTR)
{
    return nullptr;
}
FARPROC LookupWithoutActiveTheme(HMODULE hModule, LPCSTR name)
{
    if (strcmp(name, "OpenThemeData") == 0)
        return (FARPROC)(void*)OpenNoTheme;
    return ::GetProcAddress(hModule, name);
}

void RebindToSystem()
{
    CRButton::Rebind(::GetModuleHandleW(L"UXTHEME.DLL"), ::GetModuleHandleW(L"USER32.DLL"),
                     nullptr);
}

class ButtonTest : public ::testing::Test
{
protected:
    CTestHost host;
    void SetUp() override { ASSERT_TRUE(host.CreateHost()); }
    void TearDown() override { RebindToSystem(); }
};

TEST_F(ButtonTest, DoubleClickIsTwoClicks)
{
    CRButton button;
    ASSERT_TRUE(button.Create(L"Press", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW,
                              CRect(10, 10, 110, 40), &host, 42));
    PumpPending();
    const LPARAM at = MAKELPARAM(20, 10);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    {
        ::PostMessageW(button.GetSafeHwnd(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
        PumpPending();
    }
    int clicks = 0;
    for (const auto& c : host.commands)
        clicks += c.id == 42 && c.code == BN_CLICKED;
    EXPECT_EQ(2, clicks);
}

TEST_F(ButtonTest, HotWhileTheMouseIsOver)
{
    CRButton button;
    ASSERT_TRUE(button.Create(L"Hot", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 110, 40),
                              &host, 1));
    ::PostMessageW(button.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    PumpPending();
    EXPECT_TRUE(button.IsHot());
    ::PostMessageW(button.GetSafeHwnd(), WM_MOUSELEAVE, 0, 0);
    PumpPending();
    EXPECT_FALSE(button.IsHot());
    ::PostMessageW(button.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    PumpPending();
    button.SendMessage(WM_KILLFOCUS);
    EXPECT_FALSE(button.IsHot());
}

TEST_F(ButtonTest, ClassicFaceWithoutVisualStyles)
{
    CRButton::Rebind(nullptr, ::GetModuleHandleW(L"USER32.DLL"), nullptr);
    EXPECT_FALSE(CRButton::GetBinding().bThemes);
    EXPECT_TRUE(CRButton::GetBinding().bMouseTracking);

    CRColorButton button(RGB(255, 0, 0));
    ASSERT_TRUE(
        button.Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 70, 40), &host, 1));
    CCanvas canvas(60, 30);
    DrawButton(button, canvas, 0);
    EXPECT_FALSE(button.IsThemed());
    // Raised edge on the outside, the face colour inside it, the swatch in the middle.
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), canvas.at(3, 15));
    EXPECT_EQ(RGB(255, 0, 0), canvas.at(30, 15));
    EXPECT_EQ(::GetSysColor(COLOR_BTNTEXT), canvas.at(5, 15)) << "the swatch's outline";

    button.SetColor(RGB(0, 0, 255));
    DrawButton(button, canvas, ODS_DISABLED);
    EXPECT_EQ(RGB(0, 0, 255), canvas.at(30, 15));
    EXPECT_EQ(::GetSysColor(COLOR_BTNSHADOW), canvas.at(5, 15))
        << "a disabled swatch has a grey outline";

    // Pressed: the contents move one pixel down and right.
    DrawButton(button, canvas, ODS_SELECTED);
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), canvas.at(5, 15));
    EXPECT_EQ(::GetSysColor(COLOR_BTNTEXT), canvas.at(6, 15));
}

TEST_F(ButtonTest, FourOfFiveThemeFunctionsMeanNoThemes)
{
    HMODULE hTheme = ::GetModuleHandleW(L"UXTHEME.DLL");
    if (hTheme == nullptr)
        GTEST_SKIP() << "the visual-styles library is not in the process";
    CRButton::Rebind(hTheme, ::GetModuleHandleW(L"USER32.DLL"), LookupWithoutContentRect);
    EXPECT_FALSE(CRButton::GetBinding().bThemes);
    CRButton button;
    ASSERT_TRUE(
        button.Create(L"A", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 70, 40), &host, 1));
    CCanvas canvas(60, 30);
    DrawButton(button, canvas, 0);
    EXPECT_FALSE(button.IsThemed());
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), canvas.at(3, 15));

    // All five present, but no visual style active (Wine's default): the classic face too.
    CRButton::Rebind(hTheme, ::GetModuleHandleW(L"USER32.DLL"), LookupWithoutActiveTheme);
    EXPECT_TRUE(CRButton::GetBinding().bThemes);
    CRButton unstyled;
    ASSERT_TRUE(unstyled.Create(L"B", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 50, 70, 80),
                                &host, 2));
    CCanvas canvas2(60, 30);
    DrawButton(unstyled, canvas2, 0);
    EXPECT_FALSE(unstyled.IsThemed());
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), canvas2.at(3, 15));
}

TEST_F(ButtonTest, ThemedFaceWhereAThemeIsActive)
{
    RebindToSystem();
    HMODULE hTheme = ::GetModuleHandleW(L"UXTHEME.DLL");
    auto isActive =
        hTheme ? (BOOL(WINAPI*)())(void*)::GetProcAddress(hTheme, "IsThemeActive") : nullptr;
    if (!CRButton::GetBinding().bThemes || isActive == nullptr || !isActive())
        GTEST_SKIP() << "no visual style is active here";
    CRButton button;
    ASSERT_TRUE(
        button.Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 90, 40), &host, 1));
    CCanvas themed(80, 30);
    DrawButton(button, themed, 0);
    EXPECT_TRUE(button.IsThemed());
    CRButton::Rebind(nullptr, nullptr, nullptr);
    CRButton classic;
    ASSERT_TRUE(
        classic.Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 50, 90, 80), &host, 2));
    CCanvas plain(80, 30);
    DrawButton(classic, plain, 0);
    EXPECT_FALSE(classic.IsThemed());
    // The theme drew its own face, not the classic one.
    int differing = 0;
    for (int x = 0; x < 80; ++x)
        differing += themed.at(x, 15) != plain.at(x, 15) || themed.at(x, 1) != plain.at(x, 1);
    EXPECT_GT(differing, 0);
    RebindToSystem();
    // A theme change re-opens the theme.
    EXPECT_EQ(0, button.SendMessage(WM_THEMECHANGED));
    EXPECT_TRUE(button.IsThemed());
}

TEST_F(ButtonTest, ImageButtonIconEnabledDisabledAndMissing)
{
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1));
    // A solid green 16x16 icon.
    BYTE andMask[32] = {};
    DWORD colour[256];
    for (DWORD& c : colour)
        c = 0xFF00C000;
    HBITMAP hColour = ::CreateBitmap(16, 16, 1, 32, colour);
    HBITMAP hMask = ::CreateBitmap(16, 16, 1, 1, andMask);
    ICONINFO ii = {TRUE, 0, 0, hMask, hColour};
    HICON hIcon = ::CreateIconIndirect(&ii);
    ASSERT_EQ(0, images.Add(hIcon));
    ::DestroyIcon(hIcon);
    ::DeleteObject(hColour);
    ::DeleteObject(hMask);

    CRButton::Rebind(nullptr, nullptr, nullptr); // classic face
    CRImageButton button(&images, 0);
    ASSERT_TRUE(
        button.Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 50, 40), &host, 1));
    CCanvas canvas(40, 30);
    DrawButton(button, canvas, 0);
    EXPECT_EQ(RGB(0, 0xC0, 0), canvas.at(20, 15)) << "the icon is centred";
    DrawButton(button, canvas, ODS_DISABLED);
    EXPECT_NE(RGB(0, 0xC0, 0), canvas.at(20, 15)) << "greyed when disabled";

    button.SetImage(&images, 5);
    DrawButton(button, canvas, 0);
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), canvas.at(20, 15))
        << "an index the list lacks draws nothing";
}

TEST(UxThemeTest, WithoutTheLibraryNothingOpens)
{
    CTestHost host;
    ASSERT_TRUE(host.CreateHost());
    CUxTheme absent;
    absent.m_moduleName = L"NOSUCHTHEMELIB.DLL";
    EXPECT_FALSE(absent.Open(host.GetSafeHwnd(), L"HEADER"));
    EXPECT_FALSE(absent.IsOpen());
    CCanvas canvas(10, 10);
    RECT r = {0, 0, 10, 10};
    EXPECT_FALSE(absent.DrawThemeBackground(canvas.dc(), 1, 1, &r, nullptr));
    EXPECT_FALSE(absent.DrawThemeText(canvas.dc(), 1, 1, L"x", 1, 0, 0, &r));
    EXPECT_TRUE(absent.Close());

    CUxTheme header;
    if (header.Open(host.GetSafeHwnd(), L"HEADER"))
    {
        EXPECT_TRUE(header.DrawThemeBackground(canvas.dc(), 1 /* HP_HEADERITEM */, 1, &r, nullptr));
        EXPECT_TRUE(header.Close());
        EXPECT_FALSE(header.IsOpen());
    }
}

// ---------------------------------------------------------------------------------------------

class CCountingLink : public CRHtmlStatic
{
public:
    int opened = 0;

protected:
    void OpenLink() override { ++opened; }
};

TEST(HtmlStaticTest, EffectiveLinkRange)
{
    int first, end;
    CRHtmlStatic::GetEffectiveRange(6, -1, 10, first, end);
    EXPECT_EQ(6, first);
    EXPECT_EQ(10, end);
    CRHtmlStatic::GetEffectiveRange(12, 3, 10, first, end); // first beyond the text
    EXPECT_EQ(0, first);
    EXPECT_EQ(3, end);
    CRHtmlStatic::GetEffectiveRange(2, 40, 10, first, end);
    EXPECT_EQ(10, end);
    CRHtmlStatic::GetEffectiveRange(-4, 5, 10, first, end); // never a negative start
    EXPECT_EQ(0, first);
    EXPECT_EQ(5, end);
    CRHtmlStatic::GetEffectiveRange(7, 2, 10, first, end); // never a negative length
    EXPECT_EQ(7, first);
    EXPECT_EQ(10, end);
    CRHtmlStatic::GetEffectiveRange(0, -1, 0, first, end);
    EXPECT_EQ(0, first);
    EXPECT_EQ(0, end);
}

TEST(HtmlStaticTest, LinkColoursFromTheRegistry)
{
    const wchar_t* key = L"Software\\Quenlark-test\\LinkColours";
    CRRegKey::RecurseDeleteKey(HKEY_CURRENT_USER, key);
    LPCWSTR saved = CRHtmlStatic::s_settingsKey;
    CRHtmlStatic::s_settingsKey = key;
    {
        CRHtmlStatic link;
        EXPECT_EQ(RGB(0, 0, 255), link.m_crLink) << "defaults without the key";
        EXPECT_FALSE(link.m_bUseHoverColor);
    }
    {
        CRRegKey settings(HKEY_CURRENT_USER, key);
        settings.SetStringValue(L"Anchor Color", L"0,128,64");
        settings.SetStringValue(L"Use Anchor Hover Color", L"YES");
        settings.SetStringValue(L"Anchor Color Hover", L"10,20,30");
    }
    CRHtmlStatic link;
    EXPECT_EQ(RGB(0, 128, 64), link.m_crLink);
    EXPECT_TRUE(link.m_bUseHoverColor);
    EXPECT_EQ(RGB(10, 20, 30), link.m_crHover);
    {
        CRRegKey settings(HKEY_CURRENT_USER, key);
        settings.SetStringValue(L"Anchor Color", L"1,2"); // two numbers: ignored
        settings.SetStringValue(L"Use Anchor Hover Color", L"no");
    }
    link.LoadLinkColors();
    EXPECT_EQ(RGB(0, 128, 64), link.m_crLink);
    EXPECT_FALSE(link.m_bUseHoverColor);
    CRHtmlStatic::s_settingsKey = saved;
    CRRegKey::RecurseDeleteKey(HKEY_CURRENT_USER, L"Software\\Quenlark-test");
}

TEST(HtmlStaticTest, HoverAndClickOnlyOnTheLinkStretch)
{
    CTestHost host;
    ASSERT_TRUE(host.CreateHost());
    CCountingLink link;
    ASSERT_TRUE(link.Create(L"Site: example.invalid", WS_CHILD | WS_VISIBLE | SS_NOTIFY,
                            CRect(20, 20, 320, 44), &host));
    link.SetLink(L"http://example.invalid/");
    link.SetLinkRange(6, -1);
    EXPECT_TRUE(link.SetToolTip(nullptr));
    PumpPending();

    CRect textRect, linkRect;
    ASSERT_TRUE(link.GetLinkRect(textRect, &linkRect));
    EXPECT_GT(linkRect.left, textRect.left);
    EXPECT_EQ(textRect.right, linkRect.right);

    // Over the plain text: no hover, a click opens nothing.
    CPoint plain(textRect.left + 2, textRect.CenterPoint().y);
    link.ClientToScreen(&plain);
    ::SetCursorPos(plain.x, plain.y);
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(textRect.left + 2, textRect.CenterPoint().y));
    EXPECT_FALSE(link.m_bHover);
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(textRect.left + 2, textRect.CenterPoint().y));
    EXPECT_EQ(0, link.opened);

    // Over the link: hover with the mouse captured, and a click opens the target.
    CPoint onLink = linkRect.CenterPoint();
    link.ClientToScreen(&onLink);
    ::SetCursorPos(onLink.x, onLink.y);
    link.SendMessage(WM_MOUSEMOVE, 0,
                     MAKELPARAM(linkRect.CenterPoint().x, linkRect.CenterPoint().y));
    EXPECT_TRUE(link.m_bHover);
    EXPECT_EQ(link.GetSafeHwnd(), ::GetCapture());
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(linkRect.CenterPoint().x, linkRect.CenterPoint().y));
    EXPECT_EQ(1, link.opened);

    // Leaving lets the capture go.
    ::SetCursorPos(plain.x, plain.y);
    link.SendMessage(WM_MOUSEMOVE, 0, 0);
    EXPECT_FALSE(link.m_bHover);
    EXPECT_NE(link.GetSafeHwnd(), ::GetCapture());

    link.SetLink(nullptr);
    ::SetCursorPos(onLink.x, onLink.y);
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(1, link.opened) << "an empty target opens nothing";
    ::ReleaseCapture();
}

// ---------------------------------------------------------------------------------------------

TEST(RunningBarTest, SegmentRunsAcrossAndLeaves)
{
    int gap, segment;
    CRProgressCtrl::GetSegment(100, 0, &gap, &segment);
    EXPECT_EQ(0, segment) << "no segment at the start";
    CRProgressCtrl::GetSegment(100, 10, &gap, &segment); // p = 12, s = 20
    EXPECT_EQ(0, gap);
    EXPECT_EQ(12, segment);
    CRProgressCtrl::GetSegment(100, 50, &gap, &segment); // p = 60
    EXPECT_EQ(40, gap);
    EXPECT_EQ(60, segment);
    CRProgressCtrl::GetSegment(100, 95, &gap, &segment); // p = 114
    EXPECT_EQ(94, gap);
    EXPECT_EQ(100, segment);
    CRProgressCtrl::GetSegment(100, 100, &gap, &segment);
    EXPECT_EQ(100, gap);
    EXPECT_EQ(100, segment) << "fully past the right edge";
    CRProgressCtrl::GetSegment(4, 50, &gap, &segment);
    EXPECT_EQ(gap, segment) << "too narrow for a segment";
}

TEST(RunningBarTest, PaintsFrameGapAndSegment)
{
    CCanvas canvas(110, 20);
    CRProgressCtrl::PaintBar(canvas.dc(), CRect(0, 0, 110, 20), 50);
    const int b = ::GetSystemMetrics(SM_CXBORDER);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT), window = ::GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(highlight, canvas.at(0, 10)) << "the frame";
    EXPECT_EQ(window, canvas.at(b, 10)) << "the gap inside the frame";
    const int left = 2 * b, width = 110 - 4 * b;
    int gap, segment;
    CRProgressCtrl::GetSegment(width, 50, &gap, &segment);
    EXPECT_EQ(window, canvas.at(left + gap - 1, 10));
    EXPECT_EQ(highlight, canvas.at(left + gap, 10));
    EXPECT_EQ(highlight, canvas.at(left + segment - 1, 10));
    EXPECT_EQ(window, canvas.at(left + segment, 10));
}

TEST(RunningBarTest, TimerAdvancesTheCounter)
{
    CTestHost host;
    ASSERT_TRUE(host.CreateHost());
    CRProgressCtrl bar;
    ASSERT_TRUE(bar.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 30), &host));
    ASSERT_TRUE(bar.Start(10));
    EXPECT_TRUE(qltest::PumpUntil([&] { return bar.GetCounter() > 0; }));
    for (int i = 0; i < 200 && bar.GetCounter() != 100; ++i)
        bar.SendMessage(WM_TIMER, 1);
    bar.SendMessage(WM_TIMER, 1);
    EXPECT_EQ(0, bar.GetCounter()) << "past 100 it starts again";
    ASSERT_TRUE(bar.Start(10));
    EXPECT_EQ(0, bar.GetCounter());
    bar.SendMessage(WM_DESTROY); // stops the timer
    EXPECT_FALSE(::KillTimer(bar.GetSafeHwnd(), 1));
}

TEST(TaskbarProgressTest, EmptyHolderAnswersFalse)
{
    CTaskbarProgress empty;
    EXPECT_FALSE(empty.SetProgressValue(nullptr, 1, 2));
    EXPECT_FALSE(empty.SetProgressState(nullptr, TBPF_NORMAL));
    empty.Release();

    CTestHost host;
    ASSERT_TRUE(host.CreateHost());
    CTaskbarProgress progress;
    if (progress.Create())
    {
        EXPECT_TRUE(progress.SetProgressState(host.GetSafeHwnd(), TBPF_NORMAL));
        EXPECT_TRUE(progress.SetProgressValue(host.GetSafeHwnd(), 3, 10));
        EXPECT_TRUE(progress.SetProgressState(host.GetSafeHwnd(), TBPF_NOPROGRESS));
        progress.Release();
        EXPECT_FALSE(progress.IsCreated());
    }
}

} // namespace
