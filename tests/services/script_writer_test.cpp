// Writing scripts: conversion for each encoding, the byte-order-mark rule, and a write that
// leaves the old file intact when it fails (read-only file, full disk).
#include "services/script_writer.h"

#include "dbaccess/error_report.h"
#include "services/script_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ReadBytes(const CString& path)
{
    CFile f(path, CFile::modeRead | CFile::shareDenyNone);
    std::string bytes(static_cast<size_t>(f.GetLength()), '\0');
    if (!bytes.empty())
        f.Read(&bytes[0], static_cast<UINT>(bytes.size()));
    return bytes;
}

// The cause of the CFileException* the action throws and the text shown for it; -1 for none.
int WriteFailure(const std::function<void()>& action, LPCWSTR path, CString* text = nullptr)
{
    try
    {
        action();
    }
    catch (CFileException* e)
    {
        CExceptionHolder held(e);
        if (text != nullptr)
            *text = GetWriteErrorText(e, path);
        return e->m_cause;
    }
    return -1;
}

// Files of the folder that match the pattern.
int CountFiles(const CString& folder, LPCWSTR pattern)
{
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW(folder + L"\\" + pattern, &fd);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (::FindNextFileW(find, &fd));
    ::FindClose(find);
    return count;
}

class ScriptWriteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        m_dir.Format(L"%lsql_write_%lu_%lu", temp, ::GetCurrentProcessId(), ::GetTickCount());
        ASSERT_TRUE(::CreateDirectoryW(m_dir, nullptr));
    }
    void TearDown() override
    {
        WIN32_FIND_DATAW fd;
        HANDLE find = ::FindFirstFileW(m_dir + L"\\*", &fd);
        if (find != INVALID_HANDLE_VALUE)
        {
            do
            {
                const CString path = m_dir + L"\\" + fd.cFileName;
                ::SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path);
            } while (::FindNextFileW(find, &fd));
            ::FindClose(find);
        }
        ::RemoveDirectoryW(m_dir);
    }
    CString m_dir;
};

TEST(ScriptEncode, EachEncodingAndTheAnsiRoundTrip)
{
    std::string bytes;
    bool lossy = true;
    ASSERT_TRUE(EncodeScriptText(L"a\x0416\xD83D\xDE00", SCRIPT_ENCODING_UTF8, bytes, lossy));
    EXPECT_EQ(bytes, "a\xD0\x96\xF0\x9F\x98\x80");
    EXPECT_FALSE(lossy);
    ASSERT_TRUE(EncodeScriptText(L"a\x0416", SCRIPT_ENCODING_UNICODE, bytes, lossy));
    EXPECT_EQ(bytes, std::string("a\0\x16\x04", 4));
    ASSERT_TRUE(EncodeScriptText(L"", SCRIPT_ENCODING_UTF8, bytes, lossy));
    EXPECT_TRUE(bytes.empty());

    // ANSI: what the code page holds converts silently; anything else is reported as lossy.
    const wchar_t euro[] = L"select '\x20AC\r\n'";
    ASSERT_TRUE(EncodeScriptText(euro, SCRIPT_ENCODING_ANSI, bytes, lossy));
    EXPECT_FALSE(lossy);
    EXPECT_EQ(bytes.size(), wcslen(euro));
    ASSERT_TRUE(EncodeScriptText(L"select '\x0416'", SCRIPT_ENCODING_ANSI, bytes, lossy));
    EXPECT_TRUE(lossy);
    ASSERT_TRUE(EncodeScriptText(L"\xD83D\xDE00", 7, bytes, lossy)); // unknown codes are ANSI
    EXPECT_TRUE(lossy);
}

TEST(ScriptEncode, ByteOrderMarkFollowsTheFileRead)
{
    // UTF-16LE: always, except a file read without one.
    EXPECT_TRUE(ScriptWritesBom(SCRIPT_ENCODING_UNICODE, SCRIPT_ENCODING_ANSI, false));
    EXPECT_TRUE(ScriptWritesBom(SCRIPT_ENCODING_UNICODE, SCRIPT_ENCODING_UNICODE, true));
    EXPECT_FALSE(ScriptWritesBom(SCRIPT_ENCODING_UNICODE, SCRIPT_ENCODING_UNICODE, false));
    EXPECT_TRUE(ScriptWritesBom(SCRIPT_ENCODING_UNICODE, SCRIPT_ENCODING_UTF8, false));
    // UTF-8: only when the file read had one.
    EXPECT_TRUE(ScriptWritesBom(SCRIPT_ENCODING_UTF8, SCRIPT_ENCODING_UTF8, true));
    EXPECT_FALSE(ScriptWritesBom(SCRIPT_ENCODING_UTF8, SCRIPT_ENCODING_UTF8, false));
    EXPECT_FALSE(ScriptWritesBom(SCRIPT_ENCODING_UTF8, SCRIPT_ENCODING_UNICODE, true));
    EXPECT_FALSE(ScriptWritesBom(SCRIPT_ENCODING_ANSI, SCRIPT_ENCODING_UTF8, true));
}

TEST_F(ScriptWriteTest, ReplacesByteForByteAndRefusesReadOnlyFiles)
{
    const CString path = m_dir + L"\\a b \x0416.sql";
    WriteFileReplacing(path, "\xEF\xBB\xBF", "select 1;\r\n");
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBFselect 1;\r\n");
    WriteFileReplacing(path, "", std::string("x\0y", 3));
    EXPECT_EQ(ReadBytes(path), std::string("x\0y", 3));
    WriteFileReplacing(path, "", "");
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_EQ(CountFiles(m_dir, L"qlk*"), 0) << "no temporary file stays behind";

    // A read-only file is refused with its own message and keeps its content.
    WriteFileReplacing(path, "", "old");
    ASSERT_TRUE(::SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY));
    CString text;
    EXPECT_EQ(WriteFailure([&] { WriteFileReplacing(path, "", "new"); }, path, &text),
              CFileException::accessDenied);
    EXPECT_STREQ(text, path + L"\nFile is read-only.");
    EXPECT_EQ(ReadBytes(path), "old");

    // A folder that does not exist: an ordinary file error with the framework's message.
    const CString missing = m_dir + L"\\no such folder\\x.sql";
    EXPECT_NE(WriteFailure([&] { WriteFileReplacing(missing, "", "x"); }, missing, &text), -1);
    EXPECT_FALSE(text.IsEmpty());
    EXPECT_EQ(text.Find(L"read-only"), -1);
}

// The test run mounts a 256 KB file system (tests/services/CMakeLists.txt); without root it is
// an ordinary folder and the test is skipped.
TEST(ScriptWriteFullDisk, OldFileSurvivesAFullDisk)
{
    const char* binary = getenv("QL_BINARY_DIR");
    if (binary == nullptr)
        GTEST_SKIP() << "QL_BINARY_DIR not set";
    CString dir = L"Z:" + CString(binary) + L"/tests/full_disk";
    dir.Replace(L'/', L'\\');
    ULARGE_INTEGER freeBytes{}, total{};
    if (!::GetDiskFreeSpaceExW(dir + L"\\", &freeBytes, &total, nullptr) ||
        total.QuadPart > 1024 * 1024)
        GTEST_SKIP() << "no small file system mounted at the full-disk folder";

    CString tag;
    tag.Format(L"%lu", ::GetCurrentProcessId());
    const CString path = dir + L"\\script_" + tag + L".sql";
    const CString filler = dir + L"\\filler_" + tag;
    WriteFileReplacing(path, "", "select 'old';\r\n");
    {
        CFile fill(filler, CFile::modeCreate | CFile::modeWrite);
        const std::string block(4096, 'f');
        EXPECT_EQ(WriteFailure(
                      [&] {
                          for (int i = 0; i < 1024; ++i)
                              fill.Write(block.data(), static_cast<UINT>(block.size()));
                      },
                      filler),
                  CFileException::diskFull);
    }
    const std::string big(200 * 1024, 'n');
    EXPECT_EQ(WriteFailure([&] { WriteFileReplacing(path, "", big); }, path),
              CFileException::diskFull);
    EXPECT_EQ(ReadBytes(path), "select 'old';\r\n");
    EXPECT_EQ(CountFiles(dir, L"qlk*"), 0) << "the temporary file is removed";
    ::DeleteFileW(filler);
    ::DeleteFileW(path);
}

} // namespace
