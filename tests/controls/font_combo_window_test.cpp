// The font combo box over the installed fonts and over faces handed to it directly.
#include "controls/font_combo.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

using qltest::CTestHost;

namespace {

ENUMLOGFONTEXW Face(LPCWSTR name, BYTE charSet, LPCWSTR script)
{
    ENUMLOGFONTEXW f = {};
    wcscpy(f.elfLogFont.lfFaceName, name);
    f.elfLogFont.lfCharSet = charSet;
    wcscpy(f.elfFullName, name);
    wcscpy(f.elfScript, script);
    return f;
}

class FontComboTest : public ::testing::Test
{
protected:
    CTestHost host;
    CRFontComboBox combo;
    void SetUp() override
    {
        ASSERT_TRUE(host.CreateHost());
        ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT,
                                 CRect(10, 10, 300, 300), &host, 5));
    }
    CString Text(int i)
    {
        CString t;
        combo.GetLBText(i, t);
        return t;
    }
};

TEST_F(FontComboTest, FacesByTypeAndScript)
{
    combo.m_filter = kFontFilterDevice | kFontFilterTrueType;
    EXPECT_TRUE(combo.AddFace(Face(L"Raster Face", ANSI_CHARSET, L"Western"), RASTER_FONTTYPE));
    EXPECT_EQ(0, combo.GetCount()) << "raster faces are filtered out";
    EXPECT_TRUE(combo.AddFace(Face(L"Odd", ANSI_CHARSET, L""), 0x10));
    EXPECT_EQ(0, combo.GetCount()) << "unknown font types are skipped";

    EXPECT_TRUE(combo.AddFace(Face(L"Sans", ANSI_CHARSET, L"Western"), TRUETYPE_FONTTYPE));
    EXPECT_TRUE(combo.AddFace(Face(L"Sans", RUSSIAN_CHARSET, L"Cyrillic"), TRUETYPE_FONTTYPE));
    EXPECT_TRUE(combo.AddFace(Face(L"Sans", ANSI_CHARSET, L"Western"),
                              TRUETYPE_FONTTYPE)); // listed already
    EXPECT_TRUE(combo.AddFace(Face(L"Printer", ANSI_CHARSET, L""), DEVICE_FONTTYPE));
    ASSERT_EQ(3, combo.GetCount());
    EXPECT_EQ(CString(L"Printer"), Text(0));
    EXPECT_EQ(CString(L"Sans (Cyrillic)"), Text(1));
    EXPECT_EQ(CString(L"Sans (Western)"), Text(2));

    CString face;
    BYTE charSet = 0;
    EXPECT_FALSE(combo.GetSelFont(face, charSet)) << "nothing selected yet";
    combo.SelectFont(L"Sans", RUSSIAN_CHARSET);
    EXPECT_EQ(1, combo.GetCurSel());
    ASSERT_TRUE(combo.GetSelFont(face, charSet));
    EXPECT_EQ(CString(L"Sans"), face);
    EXPECT_EQ(RUSSIAN_CHARSET, charSet);
    combo.SelectFont(L"sans", ANSI_CHARSET); // compared with case
    EXPECT_EQ(0, combo.GetCurSel());

    combo.SetItemData(2, 99); // not an index of the array
    combo.SetCurSel(2);
    EXPECT_FALSE(combo.GetSelFont(face, charSet));
}

// Vertical "@" faces are left out; a stored face the system lacks is shown under its own name
// (not as whatever entry sorts first) and is read back with its character set.
TEST_F(FontComboTest, VerticalFacesAndAFaceNotInstalled)
{
    EXPECT_TRUE(
        combo.AddFace(Face(L"@Droid Sans Fallback", ARABIC_CHARSET, L"Arabic"), TRUETYPE_FONTTYPE));
    EXPECT_TRUE(
        combo.AddFace(Face(L"Liberation Mono", ANSI_CHARSET, L"Western"), TRUETYPE_FONTTYPE));
    ASSERT_EQ(1, combo.GetCount());
    EXPECT_EQ(CString(L"Liberation Mono (Western)"), Text(0));

    combo.ShowFont(L"Courier New", RUSSIAN_CHARSET);
    ASSERT_EQ(2, combo.GetCount());
    CString shown;
    combo.GetLBText(combo.GetCurSel(), shown);
    EXPECT_EQ(CString(L"Courier New"), shown);
    CString face;
    BYTE charSet = 0;
    ASSERT_TRUE(combo.GetSelFont(face, charSet));
    EXPECT_EQ(CString(L"Courier New"), face);
    EXPECT_EQ(RUSSIAN_CHARSET, charSet);

    combo.ShowFont(L"Courier New", RUSSIAN_CHARSET); // listed now: selected, not added again
    EXPECT_EQ(2, combo.GetCount());
    combo.ShowFont(L"Liberation Mono", ANSI_CHARSET);
    EXPECT_EQ(2, combo.GetCount());
    EXPECT_EQ(CString(L"Liberation Mono (Western)"), Text(combo.GetCurSel()));
}

TEST_F(FontComboTest, InstalledFonts)
{
    ASSERT_TRUE(combo.FillFonts(kFontFilterDevice | kFontFilterTrueType));
    ASSERT_GT(combo.GetCount(), 0);
    EXPECT_EQ((size_t)combo.GetCount(), combo.m_fonts.size());
    for (int i = 1; i < combo.GetCount(); ++i)
        EXPECT_NE(Text(i - 1), Text(i)) << "each face and script once";
    for (int i = 0; i < combo.GetCount(); ++i)
        EXPECT_NE(Text(i).Left(1), CString(L"@")) << "no vertical face";

    combo.SelectFont(L"No Such Face", ANSI_CHARSET);
    EXPECT_EQ(0, combo.GetCurSel());
    const ENUMLOGFONTEXW& some = combo.m_fonts.back();
    combo.SelectFont(some.elfLogFont.lfFaceName, some.elfLogFont.lfCharSet);
    CString face;
    BYTE charSet = 0;
    ASSERT_TRUE(combo.GetSelFont(face, charSet));
    EXPECT_EQ(CString(some.elfLogFont.lfFaceName), face);
    EXPECT_EQ(some.elfLogFont.lfCharSet, charSet);
}

} // namespace
