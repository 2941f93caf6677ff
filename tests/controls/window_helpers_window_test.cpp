// The helpers that create child windows, on real windows.
#include "controls/window_helpers.h"

#include <gtest/gtest.h>

namespace {

// Remembers the rectangle it was created with (the height of a drop-down list's window is the
// system's; the height asked for is its list's room).
class CRecordingCombo : public CComboBox
{
public:
    CRect created;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs)
    {
        created.SetRect(cs->x, cs->y, cs->x + cs->cx, cs->y + cs->cy);
        return CComboBox::OnCreate(cs);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingCombo, CComboBox)
    ON_WM_CREATE()
END_MESSAGE_MAP()

class WindowHelpers : public testing::Test
{
protected:
    void SetUp() override
    {
        // A static control keeps the font it is given, so the combo box can take it over.
        ASSERT_TRUE(
            host.CreateEx(0, L"STATIC", L"host", WS_POPUP, 100, 100, 400, 300, nullptr, nullptr));
        font = (HFONT)::GetStockObject(ANSI_FIXED_FONT);
        host.SendMessage(WM_SETFONT, (WPARAM)font, FALSE);
    }
    void TearDown() override { host.DestroyWindow(); }

    CWnd host;
    HFONT font = nullptr;
};

TEST_F(WindowHelpers, WindowOfClassUsesOwnClassWhenNoneIsNamed)
{
    CWnd child;
    ASSERT_TRUE(CreateWindowOfClass(&child, nullptr, WS_CHILD | WS_VISIBLE, CRect(5, 6, 55, 46),
                                    &host, 321));
    EXPECT_EQ(child.GetDlgCtrlID(), 321);
    EXPECT_EQ(::GetParent(child.m_hWnd), host.m_hWnd);
    EXPECT_EQ(::GetClassLongPtrW(child.m_hWnd, GCL_STYLE), (ULONG_PTR)(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(::GetClassLongPtrW(child.m_hWnd, GCLP_HCURSOR), 0u);
    EXPECT_EQ(::GetClassLongPtrW(child.m_hWnd, GCLP_HBRBACKGROUND), (ULONG_PTR)(COLOR_WINDOW + 1));
    EXPECT_EQ(::GetClassLongPtrW(child.m_hWnd, GCLP_HICON), 0u);
    CRect rect;
    child.GetWindowRect(&rect);
    host.ScreenToClient(&rect);
    EXPECT_EQ(rect, CRect(5, 6, 55, 46));

    CWnd edit;
    ASSERT_TRUE(CreateWindowOfClass(&edit, L"EDIT", WS_CHILD, CRect(0, 0, 50, 20), &host, 322));
    wchar_t className[16] = {};
    ::GetClassNameW(edit.m_hWnd, className, 16);
    EXPECT_STREQ(className, L"Edit");

    CWnd none;
    EXPECT_FALSE(
        CreateWindowOfClass(&none, L"NoSuchClassHere", WS_CHILD, CRect(0, 0, 5, 5), &host, 323));
    EXPECT_EQ(none.m_hWnd, nullptr);
}

TEST_F(WindowHelpers, InPlaceComboCoversTheCellWithRoomForItsList)
{
    CRecordingCombo combo;
    const CRect cell(10, 20, 110, 38); // 18 pixels high
    ASSERT_TRUE(CreateInPlaceComboBox(&combo, WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                                      cell, &host, 2000));
    EXPECT_EQ(combo.GetDlgCtrlID(), 2000);
    EXPECT_EQ((HFONT)combo.SendMessage(WM_GETFONT), font);

    // One pixel up, four cell heights more below.
    EXPECT_EQ(combo.created, CRect(10, 19, 110, 38 + 4 * 18));
    combo.DestroyWindow();

    // A cell at the very top stays where it is.
    CRecordingCombo top;
    ASSERT_TRUE(
        CreateInPlaceComboBox(&top, WS_CHILD | CBS_DROPDOWNLIST, CRect(0, 0, 50, 10), &host, 2001));
    EXPECT_EQ(top.created, CRect(0, 0, 50, 50));
}

TEST_F(WindowHelpers, ContextMenuPointFallsBackToTheClientCentre)
{
    CRect client;
    host.GetClientRect(&client);
    host.ClientToScreen(&client);

    int x = -1, y = -1; // from the keyboard
    GetContextMenuPoint(&host, x, y);
    EXPECT_EQ(CPoint(x, y), client.CenterPoint());

    CPoint inside(client.left + 3, client.top + 4);
    CPoint kept = inside;
    GetContextMenuPoint(&host, kept);
    EXPECT_EQ(kept, inside);

    CPoint below(client.left + 3, client.bottom); // the bottom edge is outside
    GetContextMenuPoint(&host, below);
    EXPECT_EQ(below, client.CenterPoint());
}

} // namespace
