// Resizable dialogs on real windows: minimum size, anchored controls, and placements saved and
// restored (normal, maximised, minimised, oversized, off-screen).
#include "controls/sizable_dlg.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

#include <vector>

using qltest::CTestHost;
using qltest::PumpPending;

namespace {

// An in-memory dialog template: a list that fills the dialog, OK at the bottom right and a
// static in the centre.
class CTemplate
{
public:
    CTemplate()
    {
        Align();
        DLGTEMPLATE dlg = {};
        dlg.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE;
        dlg.cdit = 3;
        dlg.x = 10;
        dlg.y = 10;
        dlg.cx = 200;
        dlg.cy = 120;
        Add(&dlg, sizeof(dlg));
        Word(0); // no menu
        Word(0); // default class
        Text(L"Resizable");
        Item(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, 5, 5, 190, 85, 10, L"SysListView32",
             L"");
        Item(WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 145, 98, 50, 14, IDOK, nullptr, L"OK", 0x0080);
        Item(WS_CHILD | WS_VISIBLE | SS_CENTER, 80, 98, 40, 10, 3, nullptr, L"mid", 0x0082);
    }
    LPCDLGTEMPLATE get() const { return (LPCDLGTEMPLATE)m_words.data(); }

private:
    std::vector<WORD> m_words;
    void Align()
    {
        if (m_words.size() % 2)
            m_words.push_back(0);
    }
    void Add(const void* p, size_t bytes)
    {
        const WORD* w = (const WORD*)p;
        m_words.insert(m_words.end(), w, w + bytes / 2);
    }
    void Word(WORD w) { m_words.push_back(w); }
    void Text(LPCWSTR s)
    {
        for (; *s; ++s)
            m_words.push_back(*s);
        m_words.push_back(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, LPCWSTR cls, LPCWSTR text,
              WORD atom = 0)
    {
        Align();
        DLGITEMTEMPLATE item = {style, 0, x, y, cx, cy, id};
        Add(&item, sizeof(item));
        if (cls != nullptr)
        {
            Text(cls);
        }
        else
        {
            Word(0xFFFF);
            Word(atom);
        }
        Text(text);
        Word(0); // no creation data
    }
};

class CTestDlg : public CRSizableDlg
{
public:
    CPlacement stored;
    bool restore = true;
    bool saved = false;
    POINT offsets[3] = {};

    bool Open(CWnd* pParent)
    {
        static CTemplate dialogTemplate;
        return CreateIndirect(dialogTemplate.get(), pParent) != FALSE;
    }
    CRect ControlRect(int id) const
    {
        CRect r;
        ::GetWindowRect(::GetDlgItem(m_hWnd, id), &r);
        return r;
    }

    BOOL OnInitDialog() override
    {
        CRSizableDlg::OnInitDialog();
        CRect rect;
        GetWindowRect(&rect);
        SaveControlPos(GetDlgItem(10), rect, kAnchorFar, kAnchorFar, kAnchorFar, kAnchorFar,
                       offsets[0]);
        SaveControlPos(GetDlgItem(IDOK), rect, kAnchorNear, kAnchorFar, kAnchorNear, kAnchorFar,
                       offsets[1]);
        SaveControlPos(GetDlgItem(3), rect, kAnchorCenter, kAnchorCenter, kAnchorNear, kAnchorFar,
                       &offsets[2]);
        m_bAnchored = true;
        if (restore)
            RestorePlacement(stored);
        return TRUE;
    }

protected:
    bool m_bAnchored = false;

    afx_msg void OnSize(UINT nType, int cx, int cy)
    {
        CRSizableDlg::OnSize(nType, cx, cy);
        if (!m_bAnchored)
            return;
        CRect rect;
        GetWindowRect(&rect);
        MoveControl(GetDlgItem(10), rect, kAnchorFar, kAnchorFar, kAnchorFar, kAnchorFar,
                    offsets[0]);
        MoveControl(GetDlgItem(IDOK), rect, kAnchorNear, kAnchorFar, kAnchorNear, kAnchorFar,
                    offsets[1]);
        MoveControl(GetDlgItem(3), rect, kAnchorCenter, kAnchorCenter, kAnchorNear, kAnchorFar,
                    &offsets[2]);
        MoveControl(nullptr, rect, 0, 0, 0, 0, offsets[0]); // a missing control is left alone
    }
    afx_msg void OnDestroy()
    {
        saved = SavePlacement(stored);
        CRSizableDlg::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDlg, CRSizableDlg)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

class SizableDlgTest : public ::testing::Test
{
protected:
    CTestHost host;
    void SetUp() override { ASSERT_TRUE(host.CreateHost(800, 600)); }

    CRect TemplateRect()
    {
        CTestDlg probe;
        probe.restore = false;
        EXPECT_TRUE(probe.Open(&host));
        CRect r;
        probe.GetWindowRect(&r);
        probe.DestroyWindow();
        return r;
    }
};

TEST_F(SizableDlgTest, InitialSizeIsTheMinimum)
{
    CTestDlg dlg;
    ASSERT_TRUE(dlg.Open(&host));
    CRect initial;
    dlg.GetWindowRect(&initial);
    EXPECT_EQ(initial.Width(), dlg.GetMinTrackWidth());
    MINMAXINFO mmi = {};
    dlg.SendMessage(WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
    EXPECT_EQ(initial.Width(), mmi.ptMinTrackSize.x);
    EXPECT_EQ(initial.Height(), mmi.ptMinTrackSize.y);

    dlg.SetWindowPos(nullptr, 0, 0, initial.Width() / 2, initial.Height() / 2,
                     SWP_NOMOVE | SWP_NOZORDER);
    CRect small;
    dlg.GetWindowRect(&small);
    EXPECT_EQ(initial.Size(), small.Size()) << "it stops at the initial size";
    dlg.DestroyWindow();
}

TEST_F(SizableDlgTest, ControlsKeepTheirAnchors)
{
    CTestDlg dlg;
    ASSERT_TRUE(dlg.Open(&host));
    CRect before;
    dlg.GetWindowRect(&before);
    const CRect list0 = dlg.ControlRect(10), ok0 = dlg.ControlRect(IDOK), mid0 = dlg.ControlRect(3);

    dlg.SetWindowPos(nullptr, 0, 0, before.Width() + 120, before.Height() + 80,
                     SWP_NOMOVE | SWP_NOZORDER);
    CRect after;
    dlg.GetWindowRect(&after);
    const CRect list1 = dlg.ControlRect(10), ok1 = dlg.ControlRect(IDOK), mid1 = dlg.ControlRect(3);

    // The list keeps its distance on every side and grows.
    EXPECT_EQ(list0.TopLeft(), list1.TopLeft());
    EXPECT_EQ(before.right - list0.right, after.right - list1.right);
    EXPECT_EQ(before.bottom - list0.bottom, after.bottom - list1.bottom);
    // OK keeps its size and its distance to the bottom-right corner.
    EXPECT_EQ(ok0.Size(), ok1.Size());
    EXPECT_EQ(before.BottomRight() - ok0.TopLeft(), after.BottomRight() - ok1.TopLeft());
    // The centred static stays on the centre line with its width.
    EXPECT_EQ(mid0.Width(), mid1.Width());
    EXPECT_NEAR((before.left + before.right) / 2 - mid0.CenterPoint().x,
                (after.left + after.right) / 2 - mid1.CenterPoint().x, 1);
    dlg.DestroyWindow();
}

TEST(SizableAnchorsTest, ComputeControlRect)
{
    const RECT ref = {0, 0, 300, 200};
    const RECT control = {100, 50, 140, 70};
    POINT offset = {150 - 120, 200 - 50}; // centre x to centre; top to bottom
    RECT moved = CRSizableDlg::ComputeControlRect(control, {0, 0, 401, 260}, kAnchorCenter,
                                                  kAnchorCenter, kAnchorNear, kAnchorFar, offset);
    EXPECT_EQ(200 - 30 - 20, moved.left);
    EXPECT_EQ(40, moved.right - moved.left);
    EXPECT_EQ(110, moved.top);
    EXPECT_EQ(20, moved.bottom - moved.top);
    // An unknown anchor code counts as coordinate 0.
    EXPECT_EQ(0, CRSizableDlg::AnchorX(ref, 7));
    EXPECT_EQ(-2, CRSizableDlg::AnchorX({-5, 0, 0, 0}, kAnchorCenter))
        << "integer division toward zero";
}

TEST_F(SizableDlgTest, PlacementRoundTrip)
{
    CTestDlg first;
    first.stored = {SW_SHOWNORMAL, 30, 40, 30 + 420, 40 + 300};
    ASSERT_TRUE(first.Open(&host));
    CRect rect;
    first.GetWindowRect(&rect);
    CPoint origin(0, 0);
    host.ClientToScreen(&origin);
    EXPECT_EQ(CRect(30, 40, 450, 340) + origin, rect) << "client coordinates of the owner";
    first.SetWindowPos(nullptr, rect.left + 15, rect.top + 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    first.DestroyWindow();
    ASSERT_TRUE(first.saved);
    EXPECT_EQ(SW_SHOWNORMAL, first.stored.showCmd);
    EXPECT_EQ(45, first.stored.left);
    EXPECT_EQ(45, first.stored.top);
    EXPECT_EQ(420, first.stored.right - first.stored.left);

    CTestDlg second;
    second.stored = first.stored;
    ASSERT_TRUE(second.Open(&host));
    second.GetWindowRect(&rect);
    EXPECT_EQ(CRect(45, 45, 465, 345) + origin, rect);
    second.DestroyWindow();
}

TEST_F(SizableDlgTest, MaximisedAndMinimisedRecords)
{
    CTestDlg maximised;
    maximised.stored = {SW_SHOWMAXIMIZED, 30, 40, 530, 440};
    ASSERT_TRUE(maximised.Open(&host));
    EXPECT_TRUE(maximised.IsZoomed());
    maximised.DestroyWindow();
    EXPECT_EQ(SW_SHOWMAXIMIZED, maximised.stored.showCmd);
    EXPECT_EQ(500, maximised.stored.right - maximised.stored.left)
        << "the normal rectangle is kept";

    CTestDlg minimised;
    minimised.stored = {SW_SHOWMINIMIZED, 30, 40, 530, 440};
    ASSERT_TRUE(minimised.Open(&host));
    EXPECT_FALSE(minimised.IsIconic());
    EXPECT_FALSE(minimised.IsZoomed());
    minimised.DestroyWindow();
}

TEST_F(SizableDlgTest, DefaultOversizedAndUnrestoredRecords)
{
    const CRect templ = TemplateRect();

    CTestDlg fresh;
    fresh.stored = CRSizableDlg::CPlacement{}; // show command 5, empty rectangle
    ASSERT_TRUE(fresh.Open(&host));
    CRect rect;
    fresh.GetWindowRect(&rect);
    EXPECT_EQ(templ, rect);
    fresh.DestroyWindow();
    EXPECT_TRUE(fresh.saved);
    EXPECT_EQ(templ.Width(), fresh.stored.right - fresh.stored.left);

    CTestDlg huge;
    huge.stored = {SW_SHOWNORMAL, 0, 0, ::GetSystemMetrics(SM_CXFULLSCREEN) + 50, 200};
    ASSERT_TRUE(huge.Open(&host));
    huge.GetWindowRect(&rect);
    EXPECT_EQ(templ, rect) << "a record from a larger screen is ignored";
    huge.DestroyWindow();
    EXPECT_TRUE(huge.saved) << "saving is enabled all the same";

    CTestDlg never;
    never.restore = false;
    never.stored = {7, 1, 2, 3, 4};
    ASSERT_TRUE(never.Open(&host));
    never.DestroyWindow();
    EXPECT_FALSE(never.saved);
    EXPECT_EQ(7, never.stored.showCmd) << "the stored record is left alone";
}

TEST_F(SizableDlgTest, RecordFromAMissingMonitorOpensOnScreen)
{
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
    CTestDlg dlg;
    dlg.stored = {SW_SHOWNORMAL, screenW + 900, 100, screenW + 900 + 500, 500};
    ASSERT_TRUE(dlg.Open(&host));
    CRect rect;
    dlg.GetWindowRect(&rect);
    EXPECT_EQ(500, rect.Width());
    EXPECT_GE(rect.left, 0);
    EXPECT_LE(rect.right, screenW);
    dlg.DestroyWindow();

    CTestDlg above;
    above.stored = {SW_SHOWNORMAL, 10, -3 * screenH, 510, -3 * screenH + 400};
    ASSERT_TRUE(above.Open(&host));
    above.GetWindowRect(&rect);
    EXPECT_GE(rect.top, 0);
    EXPECT_EQ(400, rect.Height());
    above.DestroyWindow();
}

} // namespace
