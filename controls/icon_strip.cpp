#include "controls/icon_strip.h"

#include <cstring>
#include <vector>

namespace {

// One loaded icon with its colour and mask bitmaps.
struct CLoadedIcon
{
    HICON hIcon = nullptr;
    ICONINFO info = {};
    ~CLoadedIcon()
    {
        if (info.hbmColor != nullptr)
            ::DeleteObject(info.hbmColor);
        if (info.hbmMask != nullptr)
            ::DeleteObject(info.hbmMask);
        if (hIcon != nullptr)
            ::DestroyIcon(hIcon);
    }
};

int AddOneByOne(HIMAGELIST hList, const std::vector<CLoadedIcon>& icons)
{
    int nAdded = 0;
    for (const CLoadedIcon& icon : icons)
        if (ImageList_AddIcon(hList, icon.hIcon) >= 0)
            ++nAdded;
    return nAdded;
}

} // namespace

// Under Wine each ImageList_AddIcon reloads the icon from its resource and converts it on its own,
// about a millisecond and a half apiece; the database bar's sixteen icons were a tenth of the
// start-up. Their bitmaps side by side in one strip go in with one ImageList_Add, which reads the
// same colour, alpha and mask bits.
int AddIconResources(HIMAGELIST hList, HINSTANCE hInstance, const UINT* pIds, size_t nCount)
{
    int cx = 0, cy = 0;
    if (hList == nullptr || !ImageList_GetIconSize(hList, &cx, &cy) || cx <= 0 || cy <= 0)
        return 0;
    std::vector<CLoadedIcon> icons(nCount);
    size_t nLoaded = 0;
    bool bStrip = true;
    for (size_t k = 0; k < nCount; ++k)
    {
        const UINT nID = pIds[k];
        CLoadedIcon& icon = icons[nLoaded];
        icon.hIcon = (HICON)::LoadImageW(hInstance, MAKEINTRESOURCEW(nID), IMAGE_ICON, cx, cy, 0);
        if (icon.hIcon == nullptr)
            continue;
        ++nLoaded;
        BITMAP color = {}, mask = {};
        // Only colour icons of exactly the list's size fit the strip; anything else goes the
        // long way.
        if (!::GetIconInfo(icon.hIcon, &icon.info) || icon.info.hbmColor == nullptr ||
            icon.info.hbmMask == nullptr ||
            !::GetObjectW(icon.info.hbmColor, sizeof(color), &color) ||
            !::GetObjectW(icon.info.hbmMask, sizeof(mask), &mask) || color.bmWidth != cx ||
            color.bmHeight != cy || mask.bmWidth != cx || mask.bmHeight != cy)
            bStrip = false;
    }
    icons.resize(nLoaded);
    if (nLoaded == 0)
        return 0;
    if (!bStrip)
        return AddOneByOne(hList, icons);

    const int nWidth = cx * (int)nLoaded;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = nWidth;
    bmi.bmiHeader.biHeight = -cy; // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    HDC hScreen = ::GetDC(nullptr);
    void* pStripBits = nullptr;
    HBITMAP hColorStrip =
        ::CreateDIBSection(hScreen, &bmi, DIB_RGB_COLORS, &pStripBits, nullptr, 0);
    HBITMAP hMaskStrip = ::CreateBitmap(nWidth, cy, 1, 1, nullptr);
    HDC hFrom = ::CreateCompatibleDC(hScreen);
    HDC hTo = ::CreateCompatibleDC(hScreen);
    bool bOk =
        hColorStrip != nullptr && hMaskStrip != nullptr && hFrom != nullptr && hTo != nullptr;
    if (bOk)
    {
        // Colour: each icon's pixels, alpha included, read as 32-bit rows into its column.
        BITMAPINFO one = bmi;
        one.bmiHeader.biWidth = cx;
        std::vector<DWORD> pixels((size_t)cx * cy);
        auto* pStrip = static_cast<DWORD*>(pStripBits);
        for (size_t i = 0; i < nLoaded && bOk; ++i)
        {
            bOk = ::GetDIBits(hScreen, icons[i].info.hbmColor, 0, cy, pixels.data(), &one,
                              DIB_RGB_COLORS) == cy;
            for (int y = 0; y < cy && bOk; ++y)
                memcpy(pStrip + (size_t)y * nWidth + i * cx, pixels.data() + (size_t)y * cx,
                       cx * sizeof(DWORD));
        }
        // Mask: a monochrome copy, bit for bit.
        const HGDIOBJ hOldTo = ::SelectObject(hTo, hMaskStrip);
        for (size_t i = 0; i < nLoaded && bOk; ++i)
        {
            const HGDIOBJ hOldFrom = ::SelectObject(hFrom, icons[i].info.hbmMask);
            bOk = ::BitBlt(hTo, (int)i * cx, 0, cx, cy, hFrom, 0, 0, SRCCOPY) != FALSE;
            ::SelectObject(hFrom, hOldFrom);
        }
        ::SelectObject(hTo, hOldTo);
    }
    int nAdded = 0;
    if (bOk)
    {
        const int nBefore = ImageList_GetImageCount(hList);
        if (ImageList_Add(hList, hColorStrip, hMaskStrip) >= 0)
            nAdded = ImageList_GetImageCount(hList) - nBefore;
        else
            bOk = false;
    }
    if (hFrom != nullptr)
        ::DeleteDC(hFrom);
    if (hTo != nullptr)
        ::DeleteDC(hTo);
    if (hColorStrip != nullptr)
        ::DeleteObject(hColorStrip);
    if (hMaskStrip != nullptr)
        ::DeleteObject(hMaskStrip);
    ::ReleaseDC(nullptr, hScreen);
    return bOk ? nAdded : AddOneByOne(hList, icons);
}
