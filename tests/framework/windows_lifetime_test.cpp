// Window objects and handles: self-deleting windows, failed creation, temporaries, subclassing.
#include "windows_test_support.h"

#include "framework/wnd_internal.h"

#include <gtest/gtest.h>

namespace {

int g_deleted = 0;

class CSelfDeleting : public CWnd
{
public:
    ~CSelfDeleting() override { g_deleted++; }
    BOOL failCreate = FALSE;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs)
    {
        if (failCreate)
            return -1;
        return CWnd::OnCreate(cs);
    }
    void PostNcDestroy() override { delete this; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSelfDeleting, CWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

// Like an in-place editor: deletes itself from its own WM_NCDESTROY handler.
class CDeletesInNcDestroy : public CWnd
{
public:
    ~CDeletesInNcDestroy() override { g_deleted++; }

protected:
    afx_msg void OnNcDestroy()
    {
        CWnd::OnNcDestroy();
        delete this;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDeletesInNcDestroy, CWnd)
    ON_WM_NCDESTROY()
END_MESSAGE_MAP()

TEST(WindowsLifetime, WindowsThatDeleteThemselvesLeaveNoMapEntry)
{
    size_t before = AfxGetPermanentWndCount();
    g_deleted = 0;

    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"parent", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr));

    auto* pChild = new CSelfDeleting;
    ASSERT_TRUE(pChild->Create(nullptr, L"child", WS_CHILD, CRect(0, 0, 50, 50), &parent, 10));
    HWND hChild = pChild->m_hWnd;
    auto* pEditor = new CDeletesInNcDestroy;
    ASSERT_TRUE(pEditor->Create(nullptr, L"editor", WS_CHILD, CRect(0, 0, 50, 50), &parent, 11));
    HWND hEditor = pEditor->m_hWnd;
    EXPECT_EQ(AfxGetPermanentWndCount(), before + 3);

    // The editor goes on its own; the child goes with its parent.
    ::DestroyWindow(hEditor);
    EXPECT_EQ(g_deleted, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(hEditor), nullptr);
    parent.DestroyWindow();
    EXPECT_EQ(g_deleted, 2);
    EXPECT_EQ(CWnd::FromHandlePermanent(hChild), nullptr);
    EXPECT_EQ(parent.m_hWnd, nullptr);
    EXPECT_EQ(AfxGetPermanentWndCount(), before);
}

TEST(WindowsLifetime, FailedCreationCleansUpThroughPostNcDestroy)
{
    size_t before = AfxGetPermanentWndCount();
    g_deleted = 0;
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"parent", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr));

    // WM_CREATE refuses: the window is destroyed and the object deletes itself.
    auto* pRefused = new CSelfDeleting;
    pRefused->failCreate = TRUE;
    EXPECT_FALSE(pRefused->Create(nullptr, L"x", WS_CHILD, CRect(0, 0, 10, 10), &parent, 12));
    EXPECT_EQ(g_deleted, 1);

    // An unknown class never produces a window: PostNcDestroy still runs.
    auto* pNoClass = new CSelfDeleting;
    EXPECT_FALSE(
        pNoClass->Create(L"NoSuchClassAnywhere", L"x", WS_CHILD, CRect(0, 0, 10, 10), &parent, 13));
    EXPECT_EQ(g_deleted, 2);

    parent.DestroyWindow();
    EXPECT_EQ(AfxGetPermanentWndCount(), before);
}

TEST(WindowsLifetime, TemporaryWrappersLiveUntilTheLoopGoesIdle)
{
    HWND hRaw = ::CreateWindowExW(0, L"STATIC", L"raw", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(hRaw, nullptr);
    CWinApp* pApp = AfxGetApp();
    ASSERT_NE(pApp, nullptr);
    pApp->OnIdle(1);
    EXPECT_EQ(AfxGetTempWndCount(), 0u);

    CWnd* pTemp = CWnd::FromHandle(hRaw);
    ASSERT_NE(pTemp, nullptr);
    EXPECT_EQ(CWnd::FromHandle(hRaw), pTemp); // one wrapper per handle
    EXPECT_EQ(CWnd::FromHandlePermanent(hRaw), nullptr);
    EXPECT_EQ(pTemp->m_hWnd, hRaw);
    CDC* pDC = CDC::FromHandle(::GetDC(hRaw));
    EXPECT_EQ(AfxGetTempWndCount(), 1u);

    // The application's loop: idle work runs while the queue is empty. A timer looks in between
    // and ends the loop once the temporaries are gone (or, for a hang only, after 20 s): a fixed
    // time could run out before the loop ever went idle on a busy machine.
    static ULONGLONG started;
    started = ::GetTickCount64();
    UINT_PTR timer = ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        if (AfxGetTempWndCount() == 0 || ::GetTickCount64() - started > 20000)
            ::PostQuitMessage(0);
    });
    pApp->CWinThread::Run();
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(AfxGetTempWndCount(), 0u);

    // The handle itself is untouched.
    EXPECT_TRUE(::IsWindow(hRaw));
    ::ReleaseDC(hRaw, ::GetDC(hRaw));
    (void)pDC;
    ::DestroyWindow(hRaw);
}

class CCountingEdit : public CEdit
{
public:
    int chars = 0;

protected:
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
    {
        chars++;
        CEdit::OnChar(nChar, nRepCnt, nFlags);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingEdit, CEdit)
    ON_WM_CHAR()
END_MESSAGE_MAP()

TEST(WindowsLifetime, SubclassedControlsGetTheirMessagesAndLetGoWhenDestroyed)
{
    HWND hEdit = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(hEdit, nullptr);
    CWnd* pTemp = CWnd::FromHandle(hEdit);
    (void)pTemp;
    CCountingEdit edit;
    ASSERT_TRUE(edit.SubclassWindow(hEdit));
    EXPECT_EQ(CWnd::FromHandle(hEdit), &edit);   // the temporary gave way
    EXPECT_FALSE(CEdit().SubclassWindow(hEdit)); // one object per window

    edit.SendMessage(WM_CHAR, 'x', 1);
    EXPECT_EQ(edit.chars, 1);
    CString text;
    edit.GetWindowText(text);
    EXPECT_EQ(text, CString(L"x")); // the default procedure still typed it

    EXPECT_EQ(edit.UnsubclassWindow(), hEdit);
    ::SendMessageW(hEdit, WM_CHAR, 'y', 1);
    EXPECT_EQ(edit.chars, 1);
    ::DestroyWindow(hEdit);
}

} // namespace
