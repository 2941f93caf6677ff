#include <gtest/gtest.h>

#include "framework/exceptions.h"
#include "framework/module_state.h"
#include "framework/text_string.h"
#include "string_print.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

// Runs f and reports whether it threw a framework exception of the given class.
template <typename E, typename F>
bool ThrowsFramework(F f)
{
    try
    {
        f();
    }
    catch (CException* e)
    {
        bool match = dynamic_cast<E*>(e) != nullptr;
        e->Delete();
        return match;
    }
    return false;
}

TEST(StringLayout, OnePointerPointingAtTheCharacters)
{
    CString s(L"abc");
    const void* stored;
    std::memcpy(&stored, &s, sizeof stored);
    EXPECT_EQ(stored, static_cast<const void*>(s.GetString()));
    CString empty;
    EXPECT_STREQ(empty.GetString(), L"");
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(StringSharing, CopiesShareUntilOneIsWritten)
{
    CString a(L"hello");
    CString b = a;
    EXPECT_EQ(a.GetString(), b.GetString());

    b.SetAt(0, L'J');
    EXPECT_EQ(a, L"hello");
    EXPECT_EQ(b, L"Jello");

    CString c = a;
    wchar_t* p = c.GetBuffer();
    p[4] = L'!';
    c.ReleaseBuffer();
    EXPECT_EQ(a, L"hello");
    EXPECT_EQ(c, L"hell!");

    CString d = a;
    d += L" world";
    EXPECT_EQ(a, L"hello");
    EXPECT_EQ(d, L"hello world");

    CString e = a;
    e.MakeUpper();
    e.Replace(L'L', L'x');
    EXPECT_EQ(a, L"hello");
    EXPECT_EQ(e, L"HExxO");

    CString f = a;
    f.Empty();
    EXPECT_EQ(a, L"hello");
    EXPECT_TRUE(f.IsEmpty());
}

TEST(StringSharing, LockedBufferIsNeverShared)
{
    CString a(L"locked");
    wchar_t* p = a.LockBuffer();
    CString b = a;
    EXPECT_NE(b.GetString(), a.GetString());
    p[0] = L'L';
    EXPECT_EQ(b, L"locked");
    EXPECT_EQ(a, L"Locked");
    // Assigning to a locked string writes into the locked buffer.
    a = CString(L"other");
    EXPECT_EQ(a.GetString(), p);
    a.UnlockBuffer();
    CString c = a;
    EXPECT_EQ(c.GetString(), a.GetString());
}

TEST(StringSharing, CopiesAcrossThreadsStayIntact)
{
    CString shared(L"shared text");
    auto worker = [](void* param) -> DWORD {
        const CString& source = *static_cast<CString*>(param);
        for (int i = 0; i < 20000; ++i)
        {
            CString copy = source;
            copy += L"x";
        }
        return 0;
    };
    HANDLE threads[4];
    for (HANDLE& t : threads)
        t = CreateThread(nullptr, 0, worker, &shared, 0, nullptr);
    WaitForMultipleObjects(4, threads, TRUE, INFINITE);
    for (HANDLE t : threads)
        CloseHandle(t);
    CString after = shared;
    after.SetAt(0, L'S');
    EXPECT_EQ(shared, L"shared text");
}

TEST(StringBuffer, GetBufferAndReleaseBuffer)
{
    CString s;
    wchar_t* p = s.GetBuffer(10);
    ASSERT_GE(s.GetAllocLength(), 10);
    wcscpy(p, L"abc");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 3);
    EXPECT_EQ(s, L"abc");

    p = s.GetBuffer(20);
    EXPECT_EQ(std::wcscmp(p, L"abc"), 0); // the text is kept
    p[5] = L'z';
    s.ReleaseBuffer(2);
    EXPECT_EQ(s, L"ab");

    p = s.GetBufferSetLength(5);
    EXPECT_EQ(s.GetLength(), 5);
    std::wmemcpy(p, L"12345", 5);
    s.ReleaseBuffer(-1);
    EXPECT_EQ(s, L"12345");

    s.Preallocate(100);
    EXPECT_GE(s.GetAllocLength(), 100);
    EXPECT_EQ(s, L"12345");
    s.FreeExtra();
    EXPECT_EQ(s, L"12345");
    s.Truncate(3);
    EXPECT_EQ(s, L"123");
    EXPECT_TRUE(ThrowsFramework<CInvalidArgException>([&] { s.Truncate(4); }));
}

TEST(StringConstruct, FromCountsCharactersAndNulls)
{
    EXPECT_EQ(CString(L'-', 4), L"----");
    EXPECT_TRUE(CString(L'-', 0).IsEmpty());
    EXPECT_EQ(CString(L"abcdef", 3), L"abc");
    EXPECT_TRUE(CString(static_cast<const wchar_t*>(nullptr)).IsEmpty());
    EXPECT_TRUE(CString(static_cast<const char*>(nullptr)).IsEmpty());
    CString withNul(L"a\0b", 3);
    EXPECT_EQ(withNul.GetLength(), 3);
    CString s;
    s = L'x';
    EXPECT_EQ(s, L"x");
}

TEST(StringConvert, NarrowAndWideThroughTheAnsiCodePage)
{
    CStringA narrow("plain ascii");
    CString wide(narrow);
    EXPECT_EQ(wide, L"plain ascii");
    CStringA back(wide);
    EXPECT_EQ(back, "plain ascii");

    CString w2 = "assigned";
    EXPECT_EQ(w2, L"assigned");
    w2 += "+more";
    w2 += 'c';
    EXPECT_EQ(w2, L"assigned+morec");
    CStringA a2;
    a2 = L"from wide";
    EXPECT_EQ(a2, "from wide");
    a2 += L"!";
    EXPECT_EQ(a2, "from wide!");

    if (GetACP() == 1252)
    {
        CString accented("caf\xE9");
        EXPECT_EQ(accented, L"caf\u00E9");
        EXPECT_EQ(CStringA(accented), "caf\xE9");
        EXPECT_EQ(CStringA(L"\u4E2D"), "?"); // not in the code page
    }
}

TEST(StringAccess, IndexingBounds)
{
    CString s(L"abc");
    EXPECT_EQ(s[0], L'a');
    EXPECT_EQ(s.GetAt(3), L'\0'); // the terminator may be read
    EXPECT_TRUE(ThrowsFramework<CInvalidArgException>([&] { (void)s.GetAt(4); }));
    EXPECT_TRUE(ThrowsFramework<CInvalidArgException>([&] { s.SetAt(3, L'x'); }));
    EXPECT_TRUE(ThrowsFramework<CInvalidArgException>([&] { s.SetAt(-1, L'x'); }));
}

TEST(StringSearch, FindEdges)
{
    CString s(L"abcabc");
    EXPECT_EQ(s.Find(L'c'), 2);
    EXPECT_EQ(s.Find(L'c', 3), 5);
    EXPECT_EQ(s.Find(L'c', 6), -1);
    EXPECT_EQ(s.Find(L'c', -1), -1);
    EXPECT_EQ(s.Find(L"bc"), 1);
    EXPECT_EQ(s.Find(L"bc", 2), 4);
    EXPECT_EQ(s.Find(L"bcd"), -1);
    EXPECT_EQ(s.Find(L"abcabcx"), -1);
    EXPECT_EQ(s.Find(L""), 0);
    EXPECT_EQ(s.Find(L"c", 7), -1);
    EXPECT_EQ(s.ReverseFind(L'a'), 3);
    EXPECT_EQ(s.ReverseFind(L'z'), -1);
    EXPECT_EQ(s.FindOneOf(L"xyc"), 2);
    EXPECT_EQ(s.FindOneOf(L"xyz"), -1);
    EXPECT_EQ(CString().Find(L'a'), -1);
}

TEST(StringEdit, ReplaceEdges)
{
    CString s(L"aaaa");
    EXPECT_EQ(s.Replace(L"aa", L"b"), 2);
    EXPECT_EQ(s, L"bb");

    s = L"aaa";
    EXPECT_EQ(s.Replace(L"aa", L"b"), 1); // matches do not overlap
    EXPECT_EQ(s, L"ba");

    s = L"a.b.c";
    EXPECT_EQ(s.Replace(L".", L".."), 2); // the new text contains the old
    EXPECT_EQ(s, L"a..b..c");
    EXPECT_EQ(s.Replace(L"..", L""), 2);
    EXPECT_EQ(s, L"abc");
    EXPECT_EQ(s.Replace(L"", L"x"), 0);
    EXPECT_EQ(s.Replace(L"zz", L"x"), 0);
    EXPECT_EQ(s.Replace(L"b", nullptr), 1);
    EXPECT_EQ(s, L"ac");

    s = L"self";
    EXPECT_EQ(s.Replace(s, L"[" + s + L"]"), 1); // the texts may be the string itself
    EXPECT_EQ(s, L"[self]");

    s = L"x-y-z";
    EXPECT_EQ(s.Replace(L'-', L'+'), 2);
    EXPECT_EQ(s.Replace(L'+', L'+'), 0);
    EXPECT_EQ(s, L"x+y+z");
    EXPECT_EQ(s.Remove(L'+'), 2);
    EXPECT_EQ(s, L"xyz");
}

TEST(StringEdit, InsertDeleteAndClamping)
{
    CString s(L"abc");
    EXPECT_EQ(s.Insert(1, L"XY"), 5);
    EXPECT_EQ(s, L"aXYbc");
    EXPECT_EQ(s.Insert(99, L'!'), 6);
    EXPECT_EQ(s.Insert(-5, L'^'), 7);
    EXPECT_EQ(s, L"^aXYbc!");
    EXPECT_EQ(s.Delete(1, 3), 4);
    EXPECT_EQ(s, L"^bc!");
    EXPECT_EQ(s.Delete(2, 100), 2);
    EXPECT_EQ(s, L"^b");
    EXPECT_EQ(s.Delete(5), 2);
    EXPECT_EQ(s.Delete(0, -1), 2);
    EXPECT_EQ(s.Delete(-3), 1);
    EXPECT_EQ(s, L"b");
}

TEST(StringExtract, LeftMidRightClamp)
{
    CString s(L"abcdef");
    EXPECT_EQ(s.Left(2), L"ab");
    EXPECT_EQ(s.Left(-1), L"");
    EXPECT_EQ(s.Left(100), L"abcdef");
    EXPECT_EQ(s.Mid(2), L"cdef");
    EXPECT_EQ(s.Mid(2, 2), L"cd");
    EXPECT_EQ(s.Mid(-2, 3), L"abc");
    EXPECT_EQ(s.Mid(4, 100), L"ef");
    EXPECT_EQ(s.Mid(10), L"");
    EXPECT_EQ(s.Right(2), L"ef");
    EXPECT_EQ(s.Right(100), L"abcdef");
    EXPECT_EQ(s.Right(-1), L"");
    EXPECT_EQ(s.SpanIncluding(L"abx"), L"ab");
    EXPECT_EQ(s.SpanExcluding(L"dx"), L"abc");
    EXPECT_EQ(s.SpanExcluding(L"xyz"), L"abcdef");
}

TEST(StringExtract, TokenizeSkipsRunsOfDelimiters)
{
    CString s(L",,one;;two,three,,");
    int pos = 0;
    std::vector<CString> tokens;
    for (CString t = s.Tokenize(L",;", pos); pos != -1; t = s.Tokenize(L",;", pos))
        tokens.push_back(t);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0], L"one");
    EXPECT_EQ(tokens[1], L"two");
    EXPECT_EQ(tokens[2], L"three");

    pos = 0;
    EXPECT_TRUE(CString(L",,,").Tokenize(L",", pos).IsEmpty());
    EXPECT_EQ(pos, -1);

    // Without delimiters the rest is one token, and the next call ends the loop.
    pos = 2;
    EXPECT_EQ(CString(L"abcd").Tokenize(L"", pos), L"cd");
    EXPECT_TRUE(CString(L"abcd").Tokenize(L"", pos).IsEmpty());
    EXPECT_EQ(pos, -1);
}

TEST(StringEdit, TrimVariants)
{
    CString s(L" \t text \r\n");
    s.Trim();
    EXPECT_EQ(s, L"text");
    s = L"xxaxx";
    EXPECT_EQ(s.TrimLeft(L'x'), L"axx");
    EXPECT_EQ(s.TrimRight(L'x'), L"a");
    s = L"-=a=-";
    EXPECT_EQ(s.Trim(L"=-"), L"a");
    s = L"   ";
    EXPECT_EQ(s.Trim(), L"");
    s = L"ab";
    EXPECT_EQ(s.MakeReverse(), L"ba");
    EXPECT_EQ(CString(L"MiXeD").MakeLower(), L"mixed");
}

TEST(StringCompare, OrdinalCaseAndOperators)
{
    CString a(L"apple");
    EXPECT_EQ(a.Compare(L"apple"), 0);
    EXPECT_LT(a.Compare(L"banana"), 0);
    EXPECT_GT(a.Compare(L"Apple"), 0); // ordinal: upper case sorts first
    EXPECT_EQ(a.CompareNoCase(L"APPLE"), 0);
    // Case-insensitive order folds to lower case: '_' sorts before letters.
    EXPECT_LT(CString(L"A_B").CompareNoCase(L"AaB"), 0);
    EXPECT_EQ(CString(L"\u00C9T\u00C9").CompareNoCase(L"\u00E9t\u00E9"), 0);
    EXPECT_LT(a.CompareNoCase(L"applesauce"), 0);
    EXPECT_EQ(a.CollateNoCase(L"APPLE"), 0);

    EXPECT_TRUE(a == L"apple");
    EXPECT_TRUE(L"apple" == a);
    EXPECT_TRUE(a != CString(L"pear"));
    EXPECT_TRUE(a < L"b");
    EXPECT_TRUE(L"b" > a);
    EXPECT_TRUE(a <= a);
    EXPECT_TRUE(a >= L"apple");
    EXPECT_TRUE(CString(L"x") == L'x');
    EXPECT_FALSE(CString(L"xy") == L'x');
    EXPECT_EQ(L'<' + a + L'>', L"<apple>");
    EXPECT_EQ(L"[" + a + L"]", L"[apple]");
}

TEST(StringEdit, AppendAliasesItself)
{
    CString s(L"ab");
    s += s;
    EXPECT_EQ(s, L"abab");
    s.Append(s.GetString() + 1, 2);
    EXPECT_EQ(s, L"ababba");
    s = s.GetString() + 2; // assigned from its own characters
    EXPECT_EQ(s, L"abba");
    for (int i = 0; i < 1000; ++i)
        s.AppendChar(L'x');
    EXPECT_EQ(s.GetLength(), 1004);
}

TEST(StringMisc, SysStringsAndNarrowOperations)
{
    CString s(L"bstr");
    BSTR b = s.AllocSysString();
    EXPECT_EQ(SysStringLen(b), 4u);
    EXPECT_STREQ(b, L"bstr");
    CString(L"longer text").SetSysString(&b);
    EXPECT_STREQ(b, L"longer text");
    SysFreeString(b);
    BSTR n = CStringA("narrow").AllocSysString();
    EXPECT_STREQ(n, L"narrow");
    SysFreeString(n);

    CStringA a("  Alpha,Beta ");
    a.Trim();
    EXPECT_EQ(a.Find(','), 5);
    EXPECT_EQ(a.Left(5).MakeUpper(), "ALPHA");
    EXPECT_EQ(a.CompareNoCase("alpha,beta"), 0);
    EXPECT_EQ(a.Replace("Beta", "Gamma"), 1);
    EXPECT_EQ(a, "Alpha,Gamma");
}

TEST(StringMemory, HugeRequestsThrowMemoryException)
{
    CString s;
    EXPECT_TRUE(ThrowsFramework<CMemoryException>([&] { s.GetBuffer(INT_MAX - 1); }));
    EXPECT_TRUE(s.IsEmpty());
}

// A copy of this program with a string table of our own: block 2 holds ids 16 to 31.
class StringResources : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t self[MAX_PATH], dir[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        GetTempPathW(MAX_PATH, dir);
        path_.Format(L"%sql_strings_%lu.dll", dir, GetCurrentProcessId());
        ASSERT_TRUE(CopyFileW(self, path_, FALSE));
        std::vector<WORD> block;
        auto add = [&](const wchar_t* text) {
            block.push_back(static_cast<WORD>(wcslen(text)));
            block.insert(block.end(), text, text + wcslen(text));
        };
        for (int id = 16; id < 32; ++id)
            add(id == 17 ? L"Hello %s" : id == 31 ? L"last one" : L"");
        HANDLE update = BeginUpdateResourceW(path_, TRUE);
        ASSERT_NE(update, nullptr);
        ASSERT_TRUE(UpdateResourceW(update, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(2),
                                    MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), block.data(),
                                    static_cast<DWORD>(block.size() * sizeof(WORD))));
        ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
        module_ = LoadLibraryExW(path_, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override
    {
        AfxSetResourceHandle(nullptr);
        if (module_)
            FreeLibrary(module_);
        DeleteFileW(path_);
    }
    CString path_;
    HMODULE module_ = nullptr;
};

TEST_F(StringResources, LoadFromTheStringTable)
{
    CString s;
    EXPECT_TRUE(s.LoadString(module_, 17));
    EXPECT_EQ(s, L"Hello %s");
    EXPECT_TRUE(s.LoadString(module_, 31));
    EXPECT_EQ(s, L"last one");
    EXPECT_FALSE(s.LoadString(module_, 18)); // empty entries count as missing
    EXPECT_FALSE(s.LoadString(module_, 40)); // no such block
    CStringA narrow;
    EXPECT_TRUE(narrow.LoadString(module_, 17));
    EXPECT_EQ(narrow, "Hello %s");

    // Through the resource handle: LoadString, resource-id construction and Format(id).
    AfxSetResourceHandle(module_);
    EXPECT_EQ(AfxGetResourceHandle(), module_);
    EXPECT_TRUE(s.LoadString(31));
    EXPECT_EQ(s, L"last one");
    EXPECT_EQ(CString(MAKEINTRESOURCEW(17)), L"Hello %s");
    s.Format(17, L"there");
    EXPECT_EQ(s, L"Hello there");
}

TEST(StringResourcesMissing, MissingResourceLeavesFalse)
{
    CString s(L"keep");
    EXPECT_FALSE(s.LoadString(54321));
    EXPECT_EQ(s, L"keep");
    EXPECT_TRUE(CString(MAKEINTRESOURCEW(54321)).IsEmpty());
}

} // namespace
