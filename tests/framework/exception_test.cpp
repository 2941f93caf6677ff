#include <gtest/gtest.h>

#include "framework/exceptions.h"
#include "string_print.h"

#include <cwchar>

namespace {

int g_destroyed = 0;

class CCountedException : public CException
{
public:
    using CException::CException;
    ~CCountedException() override { ++g_destroyed; }
};

TEST(Exception, ThrownByPointerAndDeletedByTheHandler)
{
    g_destroyed = 0;
    try
    {
        throw new CCountedException;
    }
    catch (CException* e)
    {
        e->Delete();
    }
    EXPECT_EQ(g_destroyed, 1);

    CCountedException onStack(FALSE);
    onStack.Delete(); // not a heap exception: nothing happens
    EXPECT_EQ(g_destroyed, 1);
}

TEST(Exception, OutOfMemoryUsesOneStaticObject)
{
    CException* first = nullptr;
    CException* second = nullptr;
    try
    {
        AfxThrowMemoryException();
    }
    catch (CException* e)
    {
        first = e;
        e->Delete();
    }
    try
    {
        AfxThrowMemoryException();
    }
    catch (CMemoryException* e)
    {
        second = e;
        e->Delete();
    }
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    wchar_t text[64];
    EXPECT_TRUE(second->GetErrorMessage(text, 64));
    EXPECT_STREQ(text, L"Out of memory.");
}

TEST(Exception, ThrowHelpersThrowTheirClasses)
{
    auto classOf = [](void (*thrower)()) -> CRuntimeClass* {
        try
        {
            thrower();
        }
        catch (CException* e)
        {
            CRuntimeClass* c = e->GetRuntimeClass();
            e->Delete();
            return c;
        }
        return nullptr;
    };
    EXPECT_EQ(classOf(AfxThrowNotSupportedException), RUNTIME_CLASS(CNotSupportedException));
    EXPECT_EQ(classOf(AfxThrowInvalidArgException), RUNTIME_CLASS(CInvalidArgException));
    EXPECT_EQ(classOf(AfxThrowResourceException), RUNTIME_CLASS(CResourceException));
    EXPECT_EQ(classOf(AfxThrowUserException), RUNTIME_CLASS(CUserException));
    EXPECT_EQ(classOf([] { ENSURE(1 + 1 == 3); }), RUNTIME_CLASS(CInvalidArgException));
}

TEST(Exception, GetErrorMessageStaysInsideTheBuffer)
{
    CNotSupportedException e;
    wchar_t buffer[8];
    std::wmemset(buffer, L'#', 8);
    UINT help = 99;
    EXPECT_TRUE(e.GetErrorMessage(buffer, 5, &help));
    EXPECT_STREQ(buffer, L"An u");
    EXPECT_EQ(buffer[5], L'#');
    EXPECT_EQ(help, 0u);

    std::wmemset(buffer, L'#', 8);
    EXPECT_TRUE(e.GetErrorMessage(buffer, 1));
    EXPECT_EQ(buffer[0], L'\0');
    EXPECT_EQ(buffer[1], L'#');

    std::wmemset(buffer, L'#', 8);
    EXPECT_FALSE(e.GetErrorMessage(buffer, 0));
    EXPECT_EQ(buffer[0], L'#');
    EXPECT_FALSE(e.GetErrorMessage(nullptr, 10));

    // The base class has no text of its own.
    CCountedException plain;
    std::wmemset(buffer, L'#', 8);
    EXPECT_FALSE(plain.GetErrorMessage(buffer, 8));
    EXPECT_EQ(buffer[0], L'\0');
}

TEST(Exception, SimpleExceptionTexts)
{
    auto text = [](const CException& e) {
        wchar_t buffer[256];
        e.GetErrorMessage(buffer, 256);
        return CString(buffer);
    };
    EXPECT_EQ(text(CInvalidArgException()), L"Encountered an improper argument.");
    EXPECT_EQ(text(CResourceException()), L"A required resource was unavailable.");
    EXPECT_EQ(text(CUserException()), L"An unknown error has occurred.");
}

TEST(FileException, CausesFromSystemErrors)
{
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_FILE_NOT_FOUND),
              CFileException::fileNotFound);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_PATH_NOT_FOUND), CFileException::badPath);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_ACCESS_DENIED),
              CFileException::accessDenied);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_SHARING_VIOLATION),
              CFileException::sharingViolation);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_LOCK_VIOLATION),
              CFileException::lockViolation);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_DISK_FULL), CFileException::diskFull);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_HANDLE_EOF), CFileException::endOfFile);
    EXPECT_EQ(CFileException::OsErrorToException(NO_ERROR), CFileException::none);
    EXPECT_EQ(CFileException::OsErrorToException(12345), CFileException::genericException);

    try
    {
        CFileException::ThrowOsError(ERROR_SHARING_VIOLATION, L"C:\\data\\x.csv");
    }
    catch (CFileException* e)
    {
        EXPECT_EQ(e->m_cause, CFileException::sharingViolation);
        EXPECT_EQ(e->m_lOsError, ERROR_SHARING_VIOLATION);
        EXPECT_EQ(e->m_strFileName, L"C:\\data\\x.csv");
        e->Delete();
    }
    // An error code of 0 after a failure is still a failure.
    try
    {
        CFileException::ThrowOsError(0);
    }
    catch (CFileException* e)
    {
        EXPECT_EQ(e->m_cause, CFileException::genericException);
        e->Delete();
    }
}

TEST(FileException, MessagesNameTheFile)
{
    auto message = [](int cause, LPCTSTR name, LONG osError = -1) {
        CFileException e(cause, osError, name);
        wchar_t buffer[512];
        EXPECT_TRUE(e.GetErrorMessage(buffer, 512));
        return CString(buffer);
    };
    EXPECT_EQ(message(CFileException::fileNotFound, L"C:\\a.txt"), L"C:\\a.txt was not found.");
    EXPECT_EQ(message(CFileException::fileNotFound, L"lower.txt"), L"lower.txt was not found.");
    EXPECT_EQ(message(CFileException::accessDenied, nullptr),
              L"Access to an unnamed file was denied.");
    EXPECT_EQ(message(CFileException::fileNotFound, nullptr), L"An unnamed file was not found.");
    EXPECT_EQ(message(CFileException::accessDenied, L"b.sql"), L"Access to b.sql was denied.");
    EXPECT_EQ(message(CFileException::diskFull, L"c"), L"Disk full while accessing c.");
    EXPECT_EQ(message(99, L"d"), L"An unknown error occurred while accessing d.");
    // A generic failure adds the system's text for the error code.
    CString generic = message(CFileException::genericException, L"e", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_GT(generic.GetLength(),
              CString(L"An unknown error occurred while accessing e.").GetLength());

    try
    {
        AfxThrowFileException(CFileException::badPath, 3, L"Z:\\nowhere");
    }
    catch (CException* e)
    {
        wchar_t buffer[64];
        EXPECT_TRUE(e->GetErrorMessage(buffer, 64));
        EXPECT_STREQ(buffer, L"Z:\\nowhere contains an incorrect path.");
        e->Delete();
    }
}

} // namespace

namespace {

// Reads the texts of the message box that the given thread shows, then closes it.
struct BoxWatcher
{
    DWORD ownerThread = 0;
    CString texts;
    bool found = false;

    static DWORD WINAPI Run(void* param)
    {
        auto* self = static_cast<BoxWatcher*>(param);
        for (int attempt = 0; attempt < 3000 && !self->found; ++attempt)
        {
            EnumThreadWindows(
                self->ownerThread,
                [](HWND hwnd, LPARAM lp) -> BOOL {
                    auto* watcher = reinterpret_cast<BoxWatcher*>(lp);
                    wchar_t className[32] = {};
                    GetClassNameW(hwnd, className, 32);
                    if (wcscmp(className, L"#32770") != 0 || !IsWindowVisible(hwnd))
                        return TRUE;
                    EnumChildWindows(
                        hwnd,
                        [](HWND child, LPARAM lp2) -> BOOL {
                            wchar_t text[256] = {};
                            GetWindowTextW(child, text, 256);
                            reinterpret_cast<BoxWatcher*>(lp2)->texts += CString(text) + L"|";
                            return TRUE;
                        },
                        lp);
                    watcher->found = true;
                    PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(self));
            Sleep(20);
        }
        return 0;
    }
};

CString ReportedText(CException& e, UINT messageID = 0)
{
    BoxWatcher watcher;
    watcher.ownerThread = GetCurrentThreadId();
    HANDLE thread = CreateThread(nullptr, 0, BoxWatcher::Run, &watcher, 0, nullptr);
    int result = e.ReportError(MB_OK | MB_ICONERROR, messageID);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_TRUE(watcher.found);
    EXPECT_EQ(result, IDOK);
    return watcher.texts;
}

TEST(ExceptionReport, ShowsTheMessageInAMessageBox)
{
    CFileException file(CFileException::fileNotFound, ERROR_FILE_NOT_FOUND, L"report.txt");
    CString shown = ReportedText(file);
    EXPECT_NE(shown.Find(L"report.txt was not found."), -1) << CStringA(shown).GetString();

    // Without a message of its own, a generic text is shown.
    CCountedException plain(FALSE);
    EXPECT_NE(ReportedText(plain).Find(L"No error message is available."), -1);
}

} // namespace
