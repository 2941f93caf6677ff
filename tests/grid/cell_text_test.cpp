// Cell text by display kind and marker, exact decimals, and the texts of long-value tool tips.
#include <gtest/gtest.h>

#include "grid/cell_text.h"
#include "grid_test_cursor.h"

using namespace GridTest;

namespace {

std::string N(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

CGridItem Format(TestCursor& c, UINT col, UINT kind, LPCWSTR f1 = L"", LPCWSTR f2 = L"",
                 bool markers = true)
{
    CGridItem item(L"stale", 9, 1);
    FormatCursorValue(&c, col, kind, f1, f2, markers, item);
    return item;
}

} // namespace

TEST(CellText, MarkersAndDisplayKinds)
{
    TestCursor c;
    c.AddColumn(L"t", SQL_C_WCHAR, SQL_WVARCHAR);
    c.AddColumn(L"n", SQL_C_LONG, SQL_INTEGER);
    c.AddColumn(L"d", SQL_C_DOUBLE, SQL_DOUBLE);
    c.AddColumn(L"u", SQL_C_DEFAULT, 0);
    Cell noTotal = Text(L"long");
    noTotal.noTotal = true;
    Cell empty;
    empty.empty = true;
    c.rows.push_back({Text(L"abc"), Text(L"42"), Text(L"2.5"), Text(L"?")});
    c.rows.push_back({Null(), noTotal, empty, Null()});
    c.rows.push_back({Truncated(L"cut"), Text(L"1"), Text(L"1"), Text(L"")});
    c.current = 0;

    EXPECT_EQ("abc", N(Format(c, 1, 0).m_strText));
    EXPECT_EQ("[abc]", N(Format(c, 1, 1, L"[%s]").m_strText));
    EXPECT_EQ("#42", N(Format(c, 2, 2, L"#%d").m_strText));
    EXPECT_EQ("2.50", N(Format(c, 3, 3, L"%.2f").m_strText));
    CGridItem unknown = Format(c, 4, 0);
    EXPECT_EQ(5u, unknown.m_nKind);
    EXPECT_EQ("<<UNKNOWN>>", N(unknown.m_strText));

    c.current = 1;
    CGridItem null = Format(c, 1, 0);
    EXPECT_EQ(1u, null.m_nKind);
    EXPECT_EQ("<<NULL>>", N(null.m_strText));
    EXPECT_EQ(0, null.m_bTruncated);
    // Text without a total length is still read; a number without one shows the marker.
    EXPECT_EQ("long", N(Format(c, 2, 0).m_strText));
    EXPECT_EQ(2u, Format(c, 2, 2, L"%d").m_nKind);
    EXPECT_EQ(3u, Format(c, 3, 3, L"%.1f").m_nKind);
    CGridItem plain = Format(c, 1, 0, L"", L"", false);
    EXPECT_EQ(0u, plain.m_nKind);
    EXPECT_TRUE(plain.m_strText.IsEmpty());

    c.current = 2;
    CGridItem cut = Format(c, 1, 0);
    EXPECT_EQ(1, cut.m_bTruncated);
    EXPECT_EQ("cut", N(cut.m_strText));

    // A read that throws.
    c.current = 7;
    CGridItem failed = Format(c, 1, 0);
    EXPECT_EQ(4u, failed.m_nKind);
    EXPECT_EQ("<<EXCEPTION>>", N(failed.m_strText));
    failed = Format(c, 1, 0, L"", L"", false);
    EXPECT_EQ(0u, failed.m_nKind);
    EXPECT_TRUE(failed.m_strText.IsEmpty());

    EXPECT_EQ("", N(GetSpecialValueText(0)));
    EXPECT_EQ("<<NO TOTAL>>", N(GetSpecialValueText(2)));
    EXPECT_EQ("", N(GetSpecialValueText(6)));
    EXPECT_EQ("", N(GetSpecialValueText(0xFFFFFFFF)));
}

TEST(CellText, DecimalColumnsKeepEveryDigit)
{
    TestCursor c;
    c.AddColumn(L"dec", SQL_C_DOUBLE, SQL_DECIMAL);
    c.rows.push_back({Text(L"12345678901234567.891")});
    c.rows.push_back({Text(L"-0.004")});
    c.rows.push_back({Text(L"9.995")});
    c.current = 0;
    EXPECT_EQ("12345678901234567.891", N(Format(c, 1, 3, L"%.3f").m_strText));
    EXPECT_EQ("12345678901234567.89100", N(Format(c, 1, 3, L"%.5f").m_strText));
    c.current = 1;
    EXPECT_EQ("0.00", N(Format(c, 1, 3, L"%.2f").m_strText));
    c.current = 2;
    EXPECT_EQ("10.00", N(Format(c, 1, 3, L"%.2f").m_strText));

    EXPECT_EQ(2, FormatPrecision(L"%.2f"));
    EXPECT_EQ(0, FormatPrecision(L"%.f"));
    EXPECT_EQ(-1, FormatPrecision(L"%f"));
    EXPECT_EQ(4, FormatPrecision(L"100%% %10.4f"));
    CString out;
    EXPECT_FALSE(FormatDecimalText(L"abc", 2, out));
    ASSERT_TRUE(FormatDecimalText(L"-1.5E+2", 1, out));
    EXPECT_EQ("-150.0", N(out));
}

TEST(CellText, DateAndTimeParts)
{
    TIMESTAMP_STRUCT ts{2024, 3, 5, 7, 8, 9, 0};
    EXPECT_EQ("2024-03-05  07:08:09", N(FormatDateTimeText(ts, L"yyyy-MM-dd", L"HH:mm:ss")));
    EXPECT_EQ("05.03.2024", N(FormatDateTimeText(ts, L"dd.MM.yyyy", L"")));
}

TEST(CellText, MarkupIndentation)
{
    CString text = L"<a><b>x</b><c/></a>";
    IndentMarkupText(text);
    EXPECT_EQ("<a>\n\t<b>x</b>\n\t<c/>\n</a>", N(text));

    text = L"<?xml version=\"1.0\"?><r a='>'><!-- c > d --><s><t/></s></r>";
    IndentMarkupText(text);
    EXPECT_EQ("<?xml version=\"1.0\"?>\n<r a='>'>\n\t<!-- c > d -->\n\t<s>\n\t\t<t/>\n\t</s>\n</r>",
              N(text));
}

TEST(CellText, LongValueTips)
{
    CString tip;
    CString hundred(L'x', 100), more(L'x', 101);
    EXPECT_FALSE(MakeLongValueTip(SQL_WVARCHAR, CGridItem(hundred, 0), tip));
    EXPECT_FALSE(MakeLongValueTip(SQL_WVARCHAR, CGridItem(more, 1), tip));
    ASSERT_TRUE(MakeLongValueTip(SQL_WVARCHAR, CGridItem(more, 0), tip));
    EXPECT_EQ(101, tip.GetLength()); // one word of 101: shorter than a wrap
    ASSERT_TRUE(MakeLongValueTip(SQL_WVARCHAR, CGridItem(L"a\nb", 0), tip));
    EXPECT_EQ("a\nb", N(tip));

    CString hex(L'A', 300);
    ASSERT_TRUE(MakeLongValueTip(SQL_VARBINARY, CGridItem(hex, 0), tip));
    EXPECT_EQ(302, tip.GetLength());
    EXPECT_EQ(L'\n', tip[128]);
    EXPECT_EQ(L'\n', tip[257]);
    EXPECT_EQ(44, tip.GetLength() - 258);

    CString spaced;
    for (int i = 0; i < 30; ++i)
        spaced += L"word ";
    ASSERT_TRUE(MakeLongValueTip(SQL_WVARCHAR, CGridItem(spaced, 0), tip));
    EXPECT_TRUE(tip == spaced);

    CString huge(L'z', 10000);
    ASSERT_TRUE(MakeLongValueTip(SQL_WLONGVARCHAR, CGridItem(huge, 0), tip));
    EXPECT_EQ(8192 + 8192 / 128, tip.GetLength()); // cut to 8192, then wrapped

    EXPECT_FALSE(IsLongValueSQLType(SQL_INTEGER));
    EXPECT_TRUE(IsLongValueSQLType(-152));
}
