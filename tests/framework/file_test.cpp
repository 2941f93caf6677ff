#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "framework/core.h"

namespace {

// A scratch folder of its own, removed with everything in it at the end of the test.
class FileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_dir.Format(L"%sql_file_test_%lu_%lu", temp, GetCurrentProcessId(), GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(m_dir, nullptr));
    }
    void TearDown() override
    {
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW(m_dir + L"\\*", &fd);
        if (find != INVALID_HANDLE_VALUE)
        {
            do
            {
                if (fd.cFileName[0] != L'.')
                {
                    SetFileAttributesW(m_dir + L"\\" + fd.cFileName, FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(m_dir + L"\\" + fd.cFileName);
                }
            } while (FindNextFileW(find, &fd));
            FindClose(find);
        }
        RemoveDirectoryW(m_dir);
    }
    CString Path(LPCWSTR name) const { return m_dir + L"\\" + name; }

    // The cause of the CFileException* thrown by f, or -1 when it throws none.
    static int ThrownCause(const std::function<void()>& f, CString* fileName = nullptr)
    {
        try
        {
            f();
        }
        catch (CFileException* e)
        {
            int cause = e->m_cause;
            if (fileName != nullptr)
                *fileName = e->m_strFileName;
            e->Delete();
            return cause;
        }
        return -1;
    }

    CString m_dir;
};

} // namespace

TEST_F(FileTest, WriteSeekReadAndSetLength)
{
    CString path = Path(L"data.bin");
    {
        CFile f(path,
                CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive | CFile::typeBinary);
        f.Write("hello, world", 12);
        EXPECT_EQ(12u, f.GetPosition());
        f.Seek(-5, CFile::current);
        f.Write("WORLD", 5);
        EXPECT_EQ(12u, f.GetLength());
        f.SetLength(20); // extends with zeros, position at the new end
        EXPECT_EQ(20u, f.GetPosition());
        f.Flush();
        f.Close();
        EXPECT_EQ(CFile::hFileNull, f.m_hFile);
        f.Close(); // closing again is harmless
    }
    CFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeReadWrite | CFile::modeNoTruncate | CFile::modeCreate));
    EXPECT_EQ(20u, f.GetLength());
    char buf[32] = {};
    EXPECT_EQ(20u, f.Read(buf, sizeof(buf)));
    EXPECT_EQ(0, memcmp(buf, "hello, WORLD\0\0\0\0\0\0\0\0", 20));
    EXPECT_EQ(0u, f.Read(buf, sizeof(buf))); // at the end
    f.SeekToBegin();
    EXPECT_EQ(5u, f.Read(buf, 5));
    EXPECT_EQ(20u, f.SeekToEnd());
    EXPECT_EQ(7u, f.Seek(7, CFile::begin));
    f.SetLength(5);
    EXPECT_EQ(5u, f.GetLength());
    EXPECT_EQ(CFileException::badSeek, ThrownCause([&] { f.Seek(-10, CFile::begin); }));

    // Names come from the full path.
    EXPECT_EQ(path.CompareNoCase(f.GetFilePath()), 0);
    EXPECT_EQ(CString(L"data.bin"), f.GetFileName());
    EXPECT_EQ(CString(L"data"), f.GetFileTitle());
    f.Close();

    // modeCreate without modeNoTruncate empties an existing file.
    CFile again(path, CFile::modeCreate | CFile::modeReadWrite);
    EXPECT_EQ(0u, again.GetLength());
}

TEST_F(FileTest, SharingModesRefuseConflictingOpens)
{
    CString path = Path(L"shared.txt");
    CFile writer(path, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite);

    CFileException error;
    CFile second;
    EXPECT_FALSE(second.Open(path, CFile::modeWrite | CFile::shareDenyNone, &error));
    EXPECT_EQ(CFileException::sharingViolation, error.m_cause);
    EXPECT_EQ(static_cast<LONG>(ERROR_SHARING_VIOLATION), error.m_lOsError);
    EXPECT_EQ(path, error.m_strFileName);
    EXPECT_EQ(CFile::hFileNull, second.m_hFile);

    // The writer holds write access, so a reader must allow writing to get in.
    EXPECT_FALSE(second.Open(path, CFile::modeRead | CFile::shareDenyWrite));
    EXPECT_TRUE(second.Open(path, CFile::modeRead | CFile::shareDenyNone));
    second.Close();
    writer.Close();

    CFile exclusive(path, CFile::modeRead | CFile::shareExclusive);
    EXPECT_EQ(CFileException::sharingViolation,
              ThrownCause([&] { CFile reader(path, CFile::modeRead | CFile::shareDenyNone); }));
    exclusive.Close();
    EXPECT_TRUE(second.Open(path, CFile::modeRead | CFile::shareDenyNone));
}

TEST_F(FileTest, HandleConstructedFileLeavesTheHandleOpen)
{
    CString path = Path(L"handle.bin");
    HANDLE h = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    {
        CFile f(h);
        EXPECT_TRUE(f.GetFilePath().IsEmpty());
        EXPECT_EQ(h, static_cast<HANDLE>(f));
        f.Write("abc", 3);
        EXPECT_EQ(3u, f.GetLength());
    }
    // Still usable after the object is gone.
    LARGE_INTEGER size;
    ASSERT_TRUE(GetFileSizeEx(h, &size));
    EXPECT_EQ(3, size.QuadPart);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h, "d", 1, &written, nullptr));
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(FileTest, ErrorsAreThrownWithTheirCause)
{
    CString missing = Path(L"missing.txt");
    CString name;
    EXPECT_EQ(CFileException::fileNotFound,
              ThrownCause([&] { CFile f(missing, CFile::modeRead); }, &name));
    EXPECT_EQ(missing, name);

    CFileException error;
    CFile f;
    EXPECT_FALSE(f.Open(Path(L"no\\such\\folder.txt"), CFile::modeRead, &error));
    EXPECT_EQ(CFileException::badPath, error.m_cause);
    EXPECT_FALSE(f.Open(L"", CFile::modeRead, &error));
    EXPECT_FALSE(f.Open(m_dir, CFile::modeWrite, &error));
    EXPECT_EQ(CFileException::accessDenied, error.m_cause);

    // Reading through a handle opened only for writing.
    CFile writeOnly(Path(L"w.txt"), CFile::modeCreate | CFile::modeWrite);
    char c;
    EXPECT_EQ(CFileException::accessDenied, ThrownCause([&] { writeOnly.Read(&c, 1); }));
    writeOnly.Close();
    EXPECT_NE(-1, ThrownCause([&] { writeOnly.Write("x", 1); }));

    EXPECT_EQ(CFileException::fileNotFound, ThrownCause([&] { CFile::Remove(missing); }));
}

TEST_F(FileTest, StatusRenameAndRemove)
{
    CString from = Path(L"a.txt");
    CString to = Path(L"b.txt");
    {
        CFile f(from, CFile::modeCreate | CFile::modeWrite);
        f.Write("12345", 5);
        CFileStatus status;
        ASSERT_TRUE(f.GetStatus(status));
        EXPECT_EQ(5u, status.m_size);
    }
    CFile::Rename(from, to);
    CFileStatus status;
    EXPECT_FALSE(CFile::GetStatus(from, status));
    ASSERT_TRUE(CFile::GetStatus(to, status));
    EXPECT_EQ(5u, status.m_size);
    EXPECT_LT(std::llabs(status.m_mtime.GetTime() - CTime::GetCurrentTime().GetTime()), 60);
    EXPECT_EQ(0, to.CompareNoCase(status.m_szFullName));
    CFile::Remove(to);
    EXPECT_FALSE(CFile::GetStatus(to, status));
}

namespace {

std::string ReadAllBytes(const CString& path)
{
    CFile f(path, CFile::modeRead);
    std::string bytes(static_cast<size_t>(f.GetLength()), '\0');
    if (!bytes.empty())
        f.Read(&bytes[0], static_cast<UINT>(bytes.size()));
    return bytes;
}

TEST_F(FileTest, RenameReplacingSwapsContentInOneStep)
{
    CString target = Path(L"script.sql");
    CString fresh = Path(L"script.tmp");
    {
        CFile f(target, CFile::modeCreate | CFile::modeWrite);
        f.Write("old", 3);
    }
    {
        CFile f(fresh, CFile::modeCreate | CFile::modeWrite);
        f.Write("new text", 8);
    }
    // The plain rename refuses an existing target; the replacing one takes its place.
    EXPECT_NE(-1, ThrownCause([&] { CFile::Rename(fresh, target); }));
    CFile::RenameReplacing(fresh, target);
    CFileStatus status;
    EXPECT_FALSE(CFile::GetStatus(fresh, status));
    EXPECT_EQ("new text", ReadAllBytes(target));

    // A missing source leaves the target as it was.
    EXPECT_EQ(CFileException::fileNotFound,
              ThrownCause([&] { CFile::RenameReplacing(fresh, target); }));
    EXPECT_EQ("new text", ReadAllBytes(target));
}

} // namespace
