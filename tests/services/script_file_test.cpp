// Script files: encoding detection and decoding for every source encoding, and statements read
// from a file.
#include "services/script_reader.h"

#include "dbaccess/error_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<BYTE> Bytes;

Bytes Utf8(const char* text)
{
    return Bytes(text, text + strlen(text));
}

Bytes Cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A temporary file with the given bytes, deleted at the end of its scope.
class TempScript
{
public:
    explicit TempScript(const Bytes& bytes)
    {
        static int counter = 0;
        wchar_t folder[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, folder);
        m_path.Format(L"%lsql_script_%lu_%d.sql", folder, ::GetCurrentProcessId(), ++counter);
        HANDLE h = ::CreateFileW(m_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (!bytes.empty())
            ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(h);
    }
    ~TempScript() { ::DeleteFileW(m_path); }
    const CString& Path() const { return m_path; }

private:
    CString m_path;
};

struct ReadResult
{
    UINT encoding;
    bool bom;
    std::wstring text;
};

ReadResult ReadWhole(const Bytes& bytes, UINT asked = SCRIPT_ENCODING_DETECT)
{
    TempScript file(bytes);
    CSQLScriptFile script(file.Path(), CFile::modeRead | CFile::shareDenyWrite, L";", asked);
    CString text;
    EXPECT_TRUE(script.ReadAll(text));
    return {script.GetEncoding(), script.HasBom(), std::wstring(text, text.GetLength())};
}

// The same file read line by line must give the same text as ReadAll.
std::wstring ReadByLines(const Bytes& bytes, UINT asked = SCRIPT_ENCODING_DETECT)
{
    TempScript file(bytes);
    CSQLScriptFile script(file.Path(), CFile::modeRead, L";", asked);
    std::wstring all, line;
    while (script.ReadLine(line))
        all += line;
    return all;
}

TEST(ScriptFileEncoding, ByteOrderMarksAndForcedEncodings)
{
    // UTF-16LE with its mark; without one only when asked for.
    const Bytes utf16 = {0xFF, 0xFE, 'a', 0, 0x16, 0x04, '\n', 0, ';', 0};
    ReadResult r = ReadWhole(utf16);
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UNICODE);
    EXPECT_TRUE(r.bom);
    EXPECT_EQ(r.text, L"a\x0416\n;");
    EXPECT_EQ(ReadByLines(utf16), L"a\x0416\n;");
    r = ReadWhole(Bytes(utf16.begin() + 2, utf16.end()), SCRIPT_ENCODING_UNICODE);
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UNICODE);
    EXPECT_FALSE(r.bom);
    EXPECT_EQ(r.text, L"a\x0416\n;");

    // FF FE with an odd length is not UTF-16 (nor UTF-8): ANSI, mark bytes as characters.
    r = ReadWhole({0xFF, 0xFE, 'a'});
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_ANSI);
    EXPECT_EQ(r.text.size(), 3u);
    r = ReadWhole({'a', 'b', 'c'}, SCRIPT_ENCODING_UNICODE);
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_ANSI);

    // UTF-8 with and without its mark; pure ASCII is ANSI.
    r = ReadWhole(Utf8("\xEF\xBB\xBFselect '\xD0\x96';"));
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UTF8);
    EXPECT_TRUE(r.bom);
    EXPECT_EQ(r.text, L"select '\x0416';");
    r = ReadWhole(Utf8("select '\xD0\x96';"));
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UTF8);
    EXPECT_FALSE(r.bom);
    r = ReadWhole(Utf8("select 1;"));
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_ANSI);
    EXPECT_EQ(r.text, L"select 1;");
    r = ReadWhole(Utf8("select 1;"), SCRIPT_ENCODING_UTF8);
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UTF8);
    EXPECT_FALSE(r.bom);

    // An empty file.
    r = ReadWhole({});
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_ANSI);
    EXPECT_TRUE(r.text.empty());
}

TEST(ScriptFileEncoding, Utf8BeyondTheFirstBytesAndOutsideTheBasicPlane)
{
    // An emoji (four bytes) arrives as a surrogate pair, by lines and whole.
    const Bytes emoji = Utf8("select '\xF0\x9F\x98\x80';\nselect 2;\n");
    ReadResult r = ReadWhole(emoji);
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UTF8);
    EXPECT_EQ(r.text, L"select '\xD83D\xDE00';\nselect 2;\n");
    EXPECT_EQ(ReadByLines(emoji), r.text);

    // The first non-ASCII character after 12000 bytes, and one cut by the read chunks.
    for (size_t at : {size_t(12000), size_t(65535), size_t(65534)})
    {
        Bytes bytes(at, 'x');
        bytes = Cat(bytes, Utf8("\xE2\x82\xAC tail"));
        r = ReadWhole(bytes);
        EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UTF8) << at;
        ASSERT_EQ(r.text.size(), at + 6) << at;
        EXPECT_EQ(r.text[at], L'\x20AC') << at;
    }
    // Bad bytes late in the file: as many as the UTF-8 characters still make UTF-8, more make
    // ANSI.
    Bytes late = Cat(Utf8("\xD0\x96"), Bytes(70000, 'y'));
    late.push_back(0xC0);
    late.push_back('z');
    r = ReadWhole(late);
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UTF8);
    EXPECT_EQ(r.text.substr(r.text.size() - 2), L"\xFFFDz");
    late.push_back(0xE9);
    EXPECT_EQ(ReadWhole(late).encoding, SCRIPT_ENCODING_ANSI);
}

struct Opened
{
    UINT encoding;
    std::wstring text;
    ULONGLONG nuls;
    int nulLine;
    ULONGLONG bad;
    int badLine;
};

Opened Open(const Bytes& bytes, UINT asked = SCRIPT_ENCODING_DETECT)
{
    TempScript file(bytes);
    CSQLScriptFile script(file.Path(), CFile::modeRead, L";", asked);
    CString text;
    EXPECT_TRUE(script.ReadAll(text));
    return {script.GetEncoding(),     std::wstring(text, text.GetLength()),
            script.GetNulCount(),     script.GetFirstNulLine(),
            script.GetBadByteCount(), script.GetFirstBadByteLine()};
}

TEST(ScriptFileEncoding, StrayBytesInUtf8AreMarkedAndAnsiStaysAnsi)
{
    // One cp1252 byte in a comment of a UTF-8 script: UTF-8, the byte marked, counted.
    const Bytes stray = Utf8("-- caf\xE9\ninsert into t values('Z\xC3\xBCrich Gda\xC5\x84sk');\n");
    Opened r = Open(stray);
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UTF8);
    EXPECT_EQ(r.text, L"-- caf\xFFFD\ninsert into t values('Z\x00FCrich Gda\x0144sk');\n");
    EXPECT_EQ(r.bad, 1u);
    EXPECT_EQ(r.badLine, 1);
    EXPECT_EQ(ReadByLines(stray), r.text);

    // ANSI text: its accented letters are followed by plain letters, not by what UTF-8 needs,
    // and the odd pair that happens to be valid UTF-8 does not outweigh them.
    for (const char* ansi : {"insert into t values('Z\xFCrich', 'Gr\xFC\xDF"
                             "e');\n",
                             "-- \xC9t\xE9\n-- \xD3\xA3 (valid by chance)\nselect '\xE0 la';\n"})
    {
        r = Open(Utf8(ansi));
        EXPECT_EQ(r.encoding, SCRIPT_ENCODING_ANSI) << ansi;
        EXPECT_EQ(r.bad, 0u) << ansi;
        EXPECT_EQ(r.text.size(), strlen(ansi)) << ansi;
    }

    // The UTF-8 mark decides by itself; the mark is not read as text.
    r = Open(Utf8("\xEF\xBB\xBF\n\nselect '\xFC';"));
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UTF8);
    EXPECT_EQ(r.text, L"\n\nselect '\xFFFD';");
    EXPECT_EQ(r.badLine, 3);

    // Overlong forms, encoded surrogates, bytes beyond U+10FFFF and a sequence cut by the end
    // of the file are marked one mark per byte; the character after a bad byte survives.
    r = Open(Utf8("\xD0\x96\xD0\x96\xD0\x96 \xC0\x80 \xED\xA0\x80 \xF5 \xE2\x82"),
             SCRIPT_ENCODING_UTF8);
    EXPECT_EQ(r.text, L"\x0416\x0416\x0416 \xFFFD\xFFFD \xFFFD\xFFFD\xFFFD \xFFFD \xFFFD\xFFFD");
    EXPECT_EQ(r.bad, 8u);
    r = Open(Utf8("\xE2\xD0\x96"), SCRIPT_ENCODING_UTF8);
    EXPECT_EQ(r.text, L"\xFFFD\x0416");

    // A bad byte and a character cut by the read buffer, by lines and whole.
    for (size_t at : {size_t(65535), size_t(65534), size_t(65533)})
    {
        Bytes bytes = Cat(Utf8("\xD0\x96\xD0\x96"), Bytes(at - 4, 'x'));
        bytes = Cat(bytes, Utf8("\xE2\x82\xAC\x80\xE2\x82\xAC\n"));
        r = Open(bytes);
        EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UTF8) << at;
        EXPECT_EQ(r.bad, 1u) << at;
        EXPECT_EQ(r.text.substr(at - 2), L"\x20AC\xFFFD\x20AC\n") << at;
        EXPECT_EQ(ReadByLines(bytes), r.text) << at;
    }
}

TEST(ScriptFileEncoding, NulCharactersAreCountedInEveryEncoding)
{
    // ANSI and UTF-8: a 0 byte, whatever the encoding asked for.
    const Bytes ansi = {'s', 'e', 'l', ';', '\n', 'x', 0, 'y', ';', '\n', 0, ';'};
    for (UINT asked : {SCRIPT_ENCODING_DETECT, SCRIPT_ENCODING_ANSI, SCRIPT_ENCODING_UTF8})
    {
        const Opened r = Open(ansi, asked);
        EXPECT_EQ(r.nuls, 2u) << asked;
        EXPECT_EQ(r.nulLine, 2) << asked;
        EXPECT_EQ(r.text.size(), ansi.size()) << asked;
    }
    Opened r = Open(Cat(Utf8("select '\xD0\x96';\r\n"), {0}));
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UTF8);
    EXPECT_EQ(r.nuls, 1u);
    EXPECT_EQ(r.nulLine, 2);

    // UTF-16: only a whole 0 unit is a NUL, not the high bytes of ASCII characters.
    const Bytes utf16 = {0xFF, 0xFE, 'a', 0, '\n', 0, 'b', 0, '\n', 0, 0, 0, 0x00, 0x0A};
    r = Open(utf16);
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_UNICODE);
    EXPECT_EQ(r.nuls, 1u);
    EXPECT_EQ(r.nulLine, 3);
    r = Open({0xFF, 0xFE, 'a', 0, 0x00, 0x0A, 'b', 0});
    EXPECT_EQ(r.nuls, 0u);
    EXPECT_EQ(r.text, L"a\x0A00"
                      L"b");

    // The same text without its mark is read byte by byte: its 0 bytes are NULs.
    r = Open(Bytes(utf16.begin() + 2, utf16.end()));
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_ANSI);
    EXPECT_EQ(r.nuls, 7u);
    EXPECT_EQ(r.nulLine, 1);
    EXPECT_EQ(Open(Utf8("select 1;")).nuls, 0u);
}

TEST(ScriptFileEncoding, AnsiUsesTheCodePageInBothReaders)
{
    const char byte = '\x80';
    wchar_t expected = 0;
    ASSERT_EQ(::MultiByteToWideChar(CP_ACP, 0, &byte, 1, &expected, 1), 1);
    const Bytes ansi = {'s', 0x80, ';', '\r', '\n', 'x', 0xE9};
    ReadResult r = ReadWhole(ansi);
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_ANSI);
    ASSERT_EQ(r.text.size(), 7u);
    EXPECT_EQ(r.text[1], expected);
    EXPECT_EQ(ReadByLines(ansi), r.text);

    // Random bytes with NULs open as ANSI and keep every byte as one character.
    Bytes noise(5000);
    unsigned seed = 12345;
    for (BYTE& b : noise)
    {
        seed = seed * 1103515245 + 12345;
        b = static_cast<BYTE>(seed >> 16);
    }
    noise[0] = 'a'; // no byte-order mark by chance
    noise[10] = 0;
    r = ReadWhole(noise);
    EXPECT_EQ(r.encoding, SCRIPT_ENCODING_ANSI);
    EXPECT_EQ(r.text.size(), noise.size());
    EXPECT_EQ(r.text[10], L'\0');

    // Bytes that are no UTF-8 read as UTF-8 on request give U+FFFD, not a lost line.
    r = ReadWhole({'a', 0x80, 'b', '\n'}, SCRIPT_ENCODING_UTF8);
    EXPECT_EQ(r.text, std::wstring(L"a\xFFFD"
                                   L"b\n"));
}

TEST(ScriptFileReading, StatementsAndMissingFiles)
{
    TempScript file(Utf8("\xEF\xBB\xBFinsert into t values('\xD0\x96;');\r\nselect 2;\r\nrest"));
    CSQLScriptFile script(file.Path(), CFile::modeRead, L";", SCRIPT_ENCODING_DETECT);
    CString statement;
    ASSERT_TRUE(script.GetNextStatement(statement));
    EXPECT_STREQ(statement, L"insert into t values('\x0416;')");
    ASSERT_TRUE(script.GetNextStatement(statement));
    EXPECT_STREQ(statement, L"\r\nselect 2");
    EXPECT_FALSE(script.GetNextStatement(statement));

    bool thrown = false;
    try
    {
        CSQLScriptFile missing(L"Z:\\no\\such\\folder\\x.sql", CFile::modeRead, L";", 0);
    }
    catch (CFileException* e)
    {
        CExceptionHolder held(e);
        thrown = true;
        EXPECT_NE(e->m_cause, CFileException::none);
    }
    EXPECT_TRUE(thrown);
}

} // namespace

namespace {

// Files beyond the read buffer, in every encoding, read the same by lines and whole.
TEST(ScriptFileReading, LargeFilesByLinesAndWhole)
{
    std::wstring text;
    for (int i = 0; text.size() < 150000; ++i)
        text += L"insert into t values(" + std::to_wstring(i) + L", '\x0416\x00E9');\r\n";
    const std::wstring emoji = text + L"select '\xD83D\xDE00';";
    struct Case
    {
        UINT encoding;
        Bytes bytes;
        std::wstring expected;
    };
    std::vector<Case> cases;
    {
        Bytes utf16 = {0xFF, 0xFE};
        for (wchar_t ch : emoji)
        {
            utf16.push_back(static_cast<BYTE>(ch & 0xFF));
            utf16.push_back(static_cast<BYTE>(ch >> 8));
        }
        cases.push_back({SCRIPT_ENCODING_UNICODE, utf16, emoji});
    }
    {
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, emoji.c_str(), (int)emoji.size(), nullptr,
                                            0, nullptr, nullptr);
        Bytes utf8(n);
        ::WideCharToMultiByte(CP_UTF8, 0, emoji.c_str(), (int)emoji.size(), (char*)utf8.data(), n,
                              nullptr, nullptr);
        cases.push_back({SCRIPT_ENCODING_UTF8, utf8, emoji});
    }
    {
        std::wstring ansiText;
        for (wchar_t ch : text)
            ansiText += ch == L'\x0416' ? L'x' : ch;
        const int n = ::WideCharToMultiByte(CP_ACP, 0, ansiText.c_str(), (int)ansiText.size(),
                                            nullptr, 0, nullptr, nullptr);
        Bytes ansi(n);
        ::WideCharToMultiByte(CP_ACP, 0, ansiText.c_str(), (int)ansiText.size(), (char*)ansi.data(),
                              n, nullptr, nullptr);
        cases.push_back({SCRIPT_ENCODING_ANSI, ansi, ansiText});
    }
    for (const Case& c : cases)
    {
        const ReadResult whole = ReadWhole(c.bytes);
        EXPECT_EQ(whole.encoding, c.encoding);
        EXPECT_TRUE(whole.text == c.expected) << c.encoding;
        EXPECT_TRUE(ReadByLines(c.bytes) == c.expected) << c.encoding;
    }
}

} // namespace
