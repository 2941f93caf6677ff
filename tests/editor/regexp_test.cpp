// The regular-expression engine behind the editor's colour rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "editor/regexp.h"

namespace {

struct Result
{
    int64_t reported;
    uint64_t consumed;
};

// Compiles, matches once, deletes. Compilation must succeed.
Result MatchOnce(const wchar_t* pattern, const std::wstring& text)
{
    CRegExp* re = CRegExp::Compile(pattern);
    EXPECT_NE(re, nullptr) << "pattern does not compile";
    if (!re)
        return {-2, 0};
    uint64_t consumed = 99;
    int64_t r = CRegExp::Match(re, text.c_str(), text.size(), &consumed);
    CRegExp::Delete(re);
    return {r, consumed};
}

int64_t Reported(const wchar_t* pattern, const std::wstring& text)
{
    return MatchOnce(pattern, text).reported;
}

} // namespace

TEST(RegExp, ProgramPatternsHexNumberAttribute)
{
    const wchar_t* hex = L"0x[0-9a-fA-F]{1,}";
    EXPECT_EQ(Reported(hex, L"0x1Fz"), 4);
    EXPECT_EQ(Reported(hex, L"0x"), -1);
    EXPECT_EQ(Reported(hex, L"0X1F"), -1); // literal runs are case-sensitive

    const wchar_t* number = L"[0-9]{0,}(\\.[0-9]{1,}){0,1}";
    EXPECT_EQ(Reported(number, L"123.45+"), 6);
    EXPECT_EQ(Reported(number, L"12.x"), 2);
    EXPECT_EQ(Reported(number, L".5"), 2);
    Result empty = MatchOnce(number, L"abc"); // matches the empty text, reporting nothing
    EXPECT_EQ(empty.reported, 0);
    EXPECT_EQ(empty.consumed, 0u);

    const wchar_t* attr = L"[\\w-_:]{1,}\\z[\\s]{0,}=";
    Result a = MatchOnce(attr, L"href  =\"x\"");
    EXPECT_EQ(a.reported, 4);
    EXPECT_EQ(a.consumed, 7u);
    EXPECT_EQ(Reported(attr, L"xml:lang=\"en\""), 8);
    EXPECT_EQ(Reported(attr, L"my_attr="), 7);
    EXPECT_EQ(Reported(attr, L"href x"), -1); // the trailing "=" must be there
    // "-" between "\w" and "_" is an empty range: the set lacks "-".
    EXPECT_EQ(Reported(L"[\\w-_:]{1,}", L"data-x"), 4);
}

TEST(RegExp, GreedyWithoutBacktracking)
{
    EXPECT_EQ(Reported(L"[0-9]{0,}5", L"125"), -1);
    EXPECT_EQ(Reported(L"[0-9]*", L"125"), 3);
    EXPECT_EQ(Reported(L"[a]+b", L"aaab"), 4);
    EXPECT_EQ(Reported(L"[a]?b", L"b"), 1);
    EXPECT_EQ(Reported(L"[a]{2}", L"aaa"), 2);
    EXPECT_EQ(Reported(L"[a]{2}", L"a"), -1);
    // Quantifiers follow only "]" or ")"; minimum and maximum are not compared.
    EXPECT_EQ(Reported(L"a{2,1}", L"a{2,1}"), 6);
    EXPECT_EQ(Reported(L"[a]{2,1}", L"aaaa"), 2);
}

TEST(RegExp, AlternativesAndGroups)
{
    EXPECT_EQ(Reported(L"(ab)|(cd)x", L"cdx"), 3);
    EXPECT_EQ(Reported(L"(ab)|(cd)x", L"abx"), 3);
    EXPECT_EQ(Reported(L"(ab)|(cd)x", L"efx"), -1);
    EXPECT_EQ(Reported(L"(a)|(b)|(c)d", L"cd"), 2);
    // "|" not at the start of an element is an ordinary character.
    EXPECT_EQ(Reported(L"ab|(cd)", L"ab|cd"), 5);
    EXPECT_EQ(Reported(L"ab|(cd)", L"ab"), -1);
    EXPECT_EQ(Reported(L"ab|(cd)", L"cd"), -1);

    CRegExp* re = CRegExp::Compile(L"(a(b))c");
    ASSERT_NE(re, nullptr);
    std::wstring text = L"abc";
    uint64_t consumed = 0;
    EXPECT_EQ(CRegExp::Match(re, text.c_str(), text.size(), &consumed), 3);
    ASSERT_EQ(re->GetCaptureCount(), 2u); // numbered by opening parenthesis
    EXPECT_EQ(re->GetCapture(0).first, text.c_str());
    EXPECT_EQ(re->GetCapture(0).second, 2u);
    EXPECT_EQ(re->GetCapture(1).first, text.c_str() + 1);
    EXPECT_EQ(CRegExp::Match(re, L"xyz", 3, &consumed), -1);
    EXPECT_EQ(re->GetCapture(0).first, nullptr); // captures are reset by every match
    CRegExp::Delete(re);
}

TEST(RegExp, NegativeLookAhead)
{
    // Succeeds where the inner chain fails, taking its maximum length when text remains beyond.
    EXPECT_EQ(Reported(L"(?!ab)", L"xyz"), 2);
    EXPECT_EQ(Reported(L"(?!ab)", L"abz"), -1);
    EXPECT_EQ(Reported(L"(?!ab)", L"xy"), -1);
}

TEST(RegExp, SetContents)
{
    EXPECT_EQ(Reported(L"[^a]", L"b"), 1);
    EXPECT_EQ(Reported(L"[^a]", L"a"), -1);
    EXPECT_EQ(Reported(L"[^a]", std::wstring(1, L'\0')), -1);
    EXPECT_EQ(Reported(L"[^a]", L"\r"), -1);
    EXPECT_EQ(Reported(L"[^a]", L"\n"), -1);
    EXPECT_EQ(Reported(L"[A]", L"\u0141"), 1); // same low 8 bits
    EXPECT_EQ(Reported(L"[\\s]+", L" \t x"), 3);
    EXPECT_EQ(Reported(L"[\\w]+", L"aZ9_"), 3); // no underscore in \w
    EXPECT_EQ(Reported(L"[-a]+", L"-a-b"), 3);
    EXPECT_EQ(Reported(L"[a-]+", L"-a-b"), 3);
    EXPECT_EQ(Reported(L"[\\]]", L"]"), 1);
    EXPECT_EQ(Reported(L"[c-a]", L"b"), -1); // empty range
    EXPECT_EQ(Reported(L"[c-a]", L"a"), 1);  // the character after "-" is still listed
}

TEST(RegExp, LiteralRuns)
{
    EXPECT_EQ(Reported(L"a.c", L"abc"), 3);
    EXPECT_EQ(Reported(L"a\\.c", L"abc"), -1);
    EXPECT_EQ(Reported(L"a\\.c", L"a.c"), 3);
    EXPECT_EQ(Reported(L"a\\sb", L"a\tb"), 3);
    EXPECT_EQ(Reported(L"a\\[b", L"a[b"), 3);
    EXPECT_EQ(Reported(L"a\\zb", L"azb"), 3); // "\z" inside a run is a literal z
    EXPECT_EQ(Reported(L"abc", L"ab"), -1);
    EXPECT_EQ(Reported(L"ab\\", L"ab\\"), 3);       // trailing backslash is literal
    EXPECT_EQ(Reported(L"abc\ndef", L"abcdef"), 3); // the pattern ends at a line break
}

TEST(RegExp, CompileFailures)
{
    EXPECT_EQ(CRegExp::Compile(L""), nullptr);
    EXPECT_EQ(CRegExp::Compile(nullptr), nullptr);
    EXPECT_EQ(CRegExp::Compile(L"[def"), nullptr);
    EXPECT_EQ(CRegExp::Compile(L"(abc"), nullptr);
    EXPECT_EQ(CRegExp::Compile(L"[a]{x}"), nullptr);
    EXPECT_EQ(CRegExp::Compile(L"[a]{1,x}"), nullptr);
    EXPECT_EQ(CRegExp::Compile(L"[a]{1"), nullptr);
    EXPECT_EQ(CRegExp::Compile(L"|(a)"), nullptr);
    // An error after the first element ends the expression there.
    EXPECT_EQ(Reported(L"abc[def", L"abcx"), 3);
    EXPECT_EQ(Reported(L"(a)|b", L"a"), 1);
    EXPECT_EQ(Reported(L"(a)|b", L"b"), -1);
    EXPECT_EQ(CRegExp::Match(nullptr, L"a", 1, nullptr), -1);
    CRegExp::Delete(nullptr);
}

TEST(RegExp, TrailingBackslashStaysInsidePattern)
{
    // The scans stop at the end of the pattern instead of stepping over its terminator. The
    // patterns sit in a buffer followed by more text that must never be read as pattern.
    wchar_t buffer[32];
    auto place = [&](const wchar_t* pattern) {
        wmemset(buffer, L']', 32);
        wcscpy(buffer, pattern);
        buffer[wcslen(pattern) + 1] = L')';
        return buffer;
    };
    EXPECT_EQ(CRegExp::Compile(place(L"[ab\\")), nullptr);
    EXPECT_EQ(CRegExp::Compile(place(L"(ab\\")), nullptr);
    CRegExp* re = CRegExp::Compile(place(L"ab\\"));
    ASSERT_NE(re, nullptr);
    EXPECT_EQ(CRegExp::Match(re, L"ab\\]", 4, nullptr), 3);
    CRegExp::Delete(re);
}

TEST(RegExp, RepeatOfEmptyMatchTerminates)
{
    // The inner group can match nothing; an unbounded repeat must stop rather than spin.
    Result r = MatchOnce(L"([0-9]{0,}){0,}x", L"12x");
    EXPECT_EQ(r.reported, 3);
    EXPECT_EQ(Reported(L"([a]*)*", L"bbb"), 0);
    EXPECT_EQ(Reported(L"([a]*){3,}b", L"b"), 1);
    EXPECT_EQ(Reported(L"(\\z)+a", L"a"), 0);
}

TEST(RegExp, EndOfTokenInsideGroup)
{
    Result r = MatchOnce(L"([ab]+\\z)cd", L"abcd");
    EXPECT_EQ(r.reported, 2);
    EXPECT_EQ(r.consumed, 4u);
}
