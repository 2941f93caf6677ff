// Drawing objects: who owns a handle, and temporary wrappers of handles.
#include "windows_test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowsGdi, ObjectsDeleteTheirHandlesUnlessDetached)
{
    HGDIOBJ hOwned = nullptr, hKept = nullptr;
    {
        CPen pen(PS_SOLID, 2, RGB(1, 2, 3));
        hOwned = pen.m_hObject;
        ASSERT_NE(hOwned, nullptr);
        EXPECT_EQ(CGdiObject::FromHandle(hOwned), &pen); // the object itself, not a wrapper
        LOGPEN lp = {};
        ASSERT_EQ(pen.GetLogPen(&lp), (int)sizeof(LOGPEN));
        EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));

        CBrush brush(RGB(4, 5, 6));
        hKept = brush.Detach();
    }
    EXPECT_EQ(::GetObjectType(hOwned), 0u); // deleted with its object
    EXPECT_EQ(::GetObjectType(hKept), (DWORD)OBJ_BRUSH);
    ::DeleteObject(hKept);

    // A wrapper of a handle it does not own leaves the handle alone.
    HFONT hFont =
        ::CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    CFont* pTemp = CFont::FromHandle(hFont);
    EXPECT_EQ(pTemp->m_hObject, hFont);
    AfxGetApp()->OnIdle(1);
    EXPECT_EQ(::GetObjectType(hFont), (DWORD)OBJ_FONT);
    ::DeleteObject(hFont);
}

TEST(WindowsGdi, SelectingIntoADeviceContextGivesThePreviousObject)
{
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"dc", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    CClientDC dc(&wnd);
    CDC memDC;
    ASSERT_TRUE(memDC.CreateCompatibleDC(&dc));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&dc, 8, 8));
    CBitmap* pOld = memDC.SelectObject(&bitmap);
    ASSERT_NE(pOld, nullptr);
    memDC.FillSolidRect(0, 0, 8, 8, RGB(10, 20, 30));
    EXPECT_EQ(memDC.GetPixel(3, 3), RGB(10, 20, 30));
    memDC.Draw3dRect(CRect(0, 0, 8, 8), RGB(255, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(memDC.GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(memDC.GetPixel(7, 7), RGB(0, 0, 255));
    EXPECT_EQ(memDC.GetPixel(3, 3), RGB(10, 20, 30));
    EXPECT_EQ(memDC.SelectObject(pOld), &bitmap);
    CSize extent = dc.GetTextExtent(CString(L"Wide"));
    EXPECT_GT(extent.cx, 0);
    EXPECT_GT(extent.cy, 0);
    wnd.DestroyWindow();
}

TEST(WindowsGdi, NullObjectsAnswerNullHandles)
{
    // As callers get them: the lookups of a null handle.
    CWnd* pNoWnd = CWnd::FromHandle(nullptr);
    CGdiObject* pNoObject = CGdiObject::FromHandle(nullptr);
    CDC* pNoDC = CDC::FromHandle(nullptr);
    CMenu* pNoMenu = CMenu::FromHandle(nullptr);
    EXPECT_EQ(pNoWnd->GetSafeHwnd(), nullptr);
    EXPECT_EQ(pNoObject->GetSafeHandle(), nullptr);
    EXPECT_EQ(pNoDC->GetSafeHdc(), nullptr);
    EXPECT_EQ(pNoMenu->GetSafeHmenu(), nullptr);
}

} // namespace
