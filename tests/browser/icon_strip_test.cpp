// The object icons go into image lists in one strip: each image must draw exactly as the same
// icon added on its own does, in the same order, also when an icon in the middle is missing.
#include "controls/icon_strip.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr UINT kIcons[] = {IDI_TABLES_TAB,         IDI_VIEWS_TAB,    IDI_PROCEDURES_TAB,
                           IDI_DBO_SCHEMA,         IDI_DBO_TABLE,    IDI_DBO_VIEW,
                           IDI_DBO_PROCEDURE,      IDI_DBO_FUNCTION, IDI_DBO_INVALID_PROCEDURE,
                           IDI_DBO_TRIGGER,        IDI_PRIMARY_KEY,  IDI_FOREIGN_KEY,
                           IDI_PRIMARY_FOREIGN_KEY};
constexpr UINT kMissingIcon = 0x7F01; // no resource of that id

// The small-icon size, which the resources hold, or another one, which they do not (the icons
// are then scaled as the system loads them).
int g_nListSize = 0;

HIMAGELIST NewList()
{
    const int cx = g_nListSize > 0 ? g_nListSize : ::GetSystemMetrics(SM_CXSMICON);
    const int cy = g_nListSize > 0 ? g_nListSize : ::GetSystemMetrics(SM_CYSMICON);
    return ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 4, 1);
}

void AddOneByOne(HIMAGELIST hList, const std::vector<UINT>& ids)
{
    int cx = 0, cy = 0;
    ImageList_GetIconSize(hList, &cx, &cy);
    for (UINT nID : ids)
    {
        HICON hIcon = (HICON)::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nID),
                                          IMAGE_ICON, cx, cy, 0);
        ImageList_AddIcon(hList, hIcon);
        if (hIcon != nullptr)
            ::DestroyIcon(hIcon);
    }
}

// The pixels of one image drawn normally and as a mask, over a coloured background.
std::vector<DWORD> Drawn(HIMAGELIST hList, int nImage)
{
    int cx = 0, cy = 0;
    ImageList_GetIconSize(hList, &cx, &cy);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx * 2;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HDC hdc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hdc, hBitmap);
    auto* pPixels = static_cast<DWORD*>(pBits);
    std::fill(pPixels, pPixels + cx * 2 * cy, 0x00336699);
    ImageList_Draw(hList, nImage, hdc, 0, 0, ILD_NORMAL);
    ImageList_Draw(hList, nImage, hdc, cx, 0, ILD_MASK);
    ::GdiFlush();
    std::vector<DWORD> pixels(pPixels, pPixels + cx * 2 * cy);
    ::SelectObject(hdc, hOld);
    ::DeleteDC(hdc);
    ::DeleteObject(hBitmap);
    return pixels;
}

void ExpectSameImages(const std::vector<UINT>& ids)
{
    HIMAGELIST hSingle = NewList();
    HIMAGELIST hStrip = NewList();
    ASSERT_NE(hSingle, nullptr);
    ASSERT_NE(hStrip, nullptr);
    AddOneByOne(hSingle, ids);
    const int nAdded =
        AddIconResources(hStrip, ::GetModuleHandleW(nullptr), ids.data(), ids.size());
    ASSERT_GT(ImageList_GetImageCount(hSingle), 0);
    EXPECT_EQ(nAdded, ImageList_GetImageCount(hSingle));
    ASSERT_EQ(ImageList_GetImageCount(hStrip), ImageList_GetImageCount(hSingle));
    for (int i = 0; i < ImageList_GetImageCount(hSingle); ++i)
        EXPECT_EQ(Drawn(hStrip, i), Drawn(hSingle, i)) << "image " << i;
    ImageList_Destroy(hSingle);
    ImageList_Destroy(hStrip);
}

} // namespace

TEST(IconStrip, ImagesDrawAsIconsAddedOneByOne)
{
    ExpectSameImages(std::vector<UINT>(std::begin(kIcons), std::end(kIcons)));
}

TEST(IconStrip, ImagesAtASizeTheResourcesLackDrawAsIconsAddedOneByOne)
{
    struct CSize24
    {
        CSize24() { g_nListSize = 24; }
        ~CSize24() { g_nListSize = 0; }
    } size;
    ExpectSameImages({IDI_DBO_TABLE, kMissingIcon, IDI_DBO_VIEW, IDI_PRIMARY_KEY});
}

TEST(IconStrip, AMissingIconIsLeftOutAndTheOthersKeepTheirOrder)
{
    ExpectSameImages({IDI_DBO_TABLE, kMissingIcon, IDI_DBO_VIEW, IDI_PRIMARY_KEY});
    HIMAGELIST hList = NewList();
    EXPECT_EQ(AddIconResources(hList, ::GetModuleHandleW(nullptr), {kMissingIcon}), 0);
    EXPECT_EQ(ImageList_GetImageCount(hList), 0);
    ImageList_Destroy(hList);
}
