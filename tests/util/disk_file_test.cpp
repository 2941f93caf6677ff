#include <gtest/gtest.h>

#include "util/disk_file.h"
#include "util/text_encoding.h"

namespace {
class DiskFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"qlt", 0, m_path);
        m_handle = CreateFileW(m_path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, m_handle);
    }
    void TearDown() override
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
        DeleteFileW(m_path);
    }
    void WriteBytes(const void* data, DWORD size)
    {
        DWORD written = 0;
        WriteFile(m_handle, data, size, &written, nullptr);
        SetFilePointer(m_handle, 0, nullptr, FILE_BEGIN);
    }
    wchar_t m_path[MAX_PATH] = {};
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};
} // namespace

TEST_F(DiskFileTest, ReadWriteSeekOverTheCallersHandle)
{
    {
        RFile::CDiskFile file(m_handle);
        RFile::IFile& io = file;
        EXPECT_EQ(11u, io.Write("hello world", 11));
        EXPECT_EQ(11u, io.GetLength());
        EXPECT_EQ(11u, io.GetPosition());
        io.SeekToBegin();
        char buffer[16] = {};
        EXPECT_EQ(5u, io.Read(buffer, 5));
        EXPECT_STREQ("hello", buffer);
        EXPECT_EQ(9u, io.Seek(-2, CFile::end));
        EXPECT_EQ(2u, io.Read(buffer, 16));
        EXPECT_EQ(0u, io.Read(buffer, 16));
        EXPECT_TRUE(io.GetFilePath().IsEmpty());

        FILETIME stamp = {};
        SYSTEMTIME st = {2001, 2, 0, 3, 4, 5, 6, 0};
        SystemTimeToFileTime(&st, &stamp);
        EXPECT_TRUE(io.SetFileTime(nullptr, nullptr, &stamp));
        FILETIME check = {};
        GetFileTime(m_handle, nullptr, nullptr, &check);
        EXPECT_EQ(0, CompareFileTime(&stamp, &check));
    }
    // The handle outlives the object.
    EXPECT_NE(0xFFFFFFFFu, GetFileSize(m_handle, nullptr));
}

TEST_F(DiskFileTest, FailuresRaiseFileExceptions)
{
    RFile::CDiskFile file(m_handle);
    bool threw = false;
    try
    {
        file.Seek(-5, CFile::begin);
    }
    catch (CFileException* e)
    {
        threw = true;
        e->Delete();
    }
    EXPECT_TRUE(threw);

    CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    RFile::CDiskFile closed(INVALID_HANDLE_VALUE);
    FILETIME stamp = {1, 1};
    threw = false;
    try
    {
        closed.SetFileTime(&stamp, nullptr, nullptr);
    }
    catch (CFileException* e)
    {
        threw = e->m_cause == CFileException::genericException;
        e->Delete();
    }
    EXPECT_TRUE(threw);
}

TEST_F(DiskFileTest, Utf8FileReaderDeliversUnitsAndStopsAtTheEnd)
{
    // "a", e-acute, an emoji, a stray continuation byte, "z", then a cut sequence.
    const BYTE bytes[] = {'a', 0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80, 0x80, 'z', 0xE2, 0x82};
    WriteBytes(bytes, sizeof(bytes));
    CFile file(m_handle);
    REncode::CFileReader reader(file);
    CString text;
    wchar_t ch;
    while (reader.ReadChar(ch) == 1)
        text += ch;
    EXPECT_STREQ(L"a\x00E9\xD83D\xDE00\xFFFFz\xFFFF", text);
    EXPECT_EQ(0, reader.ReadChar(ch));
    EXPECT_EQ(ULONGLONG(sizeof(bytes)), file.GetPosition());
}

TEST_F(DiskFileTest, Utf8FileReaderLeavesTheFileAfterTheLastCharacter)
{
    const char line[] = "one\ntwo";
    WriteBytes(line, 7);
    CFile file(m_handle);
    REncode::CFileReader reader(file);
    wchar_t ch = 0;
    while (reader.ReadChar(ch) == 1 && ch != L'\n')
    {}
    EXPECT_EQ(4u, file.GetPosition()); // nothing read ahead
}
