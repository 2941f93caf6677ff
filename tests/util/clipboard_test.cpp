#include <gtest/gtest.h>

#include "util/utility.h"

#include <thread>

namespace {
// A hidden window to own the clipboard; the data is read back while this process lives.
class CHiddenOwner
{
public:
    CHiddenOwner()
    {
        m_hWnd = CreateWindowExW(0, L"STATIC", L"clipboard owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~CHiddenOwner()
    {
        if (m_hWnd)
            DestroyWindow(m_hWnd);
    }
    HWND m_hWnd;
};

CString ReadClipboardText(HWND owner)
{
    CString text;
    if (!OpenClipboard(owner))
        return L"<not opened>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
    {
        text = static_cast<LPCWSTR>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}
} // namespace

TEST(Clipboard, TextWithLocaleAndRawBytes)
{
    CHiddenOwner owner;
    ASSERT_NE(nullptr, owner.m_hWnd);
    const wchar_t* text = L"select * from \"T\x00E4ble\"\r\n\x4E2D";
    ASSERT_TRUE(CopyTextToClipboard(owner.m_hWnd, text));
    EXPECT_STREQ(text, ReadClipboardText(owner.m_hWnd));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_LOCALE));

    UINT format = RegisterClipboardFormatW(L"QuenlarkTestBytes");
    const BYTE bytes[5] = {1, 0, 2, 0, 3};
    ASSERT_TRUE(SetClipboardBytes(owner.m_hWnd, bytes, sizeof(bytes), format));
    ASSERT_TRUE(OpenClipboard(owner.m_hWnd));
    HANDLE data = GetClipboardData(format);
    ASSERT_NE(nullptr, data);
    ASSERT_GE(GlobalSize(data), sizeof(bytes));
    EXPECT_EQ(0, memcmp(bytes, GlobalLock(data), sizeof(bytes)));
    GlobalUnlock(data);
    CloseClipboard();
    // The previous content was emptied.
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

// A copy made while another reader has the clipboard open for a moment waits for it.
TEST(Clipboard, CopyWaitsForAReaderToCloseTheClipboard)
{
    CHiddenOwner owner;
    // Manual-reset events: the reader has the clipboard open; the copy is about to begin.
    const HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE copying = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread reader([&] {
        if (OpenClipboard(nullptr))
        {
            SetEvent(opened);
            // Closed once the copy has begun: the copy, which asks again for about half a
            // second, meets the clipboard open or just closed, and must not lose the text.
            WaitForSingleObject(copying, 30000);
            CloseClipboard();
        }
        SetEvent(opened);
    });
    WaitForSingleObject(opened, 30000);
    SetEvent(copying);
    EXPECT_TRUE(CopyTextToClipboard(owner.m_hWnd, L"after the reader"));
    reader.join();
    CloseHandle(opened);
    CloseHandle(copying);
    EXPECT_EQ(CString(L"after the reader"), ReadClipboardText(owner.m_hWnd));
}
