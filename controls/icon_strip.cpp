#include "controls/icon_strip.h"

#include <cstring>
#include <utility>
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

// The header of a top-down 32-bit colour bitmap.
BITMAPINFO TopDown32(int cx, int cy)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    return bmi;
}

int AddOneByOne(HIMAGELIST hList, const std::vector<CLoadedIcon>& icons)
{
    int nAdded = 0;
    for (const CLoadedIcon& icon : icons)
        if (ImageList_AddIcon(hList, icon.hIcon) >= 0)
            ++nAdded;
    return nAdded;
}

// The image of one icon resource at the list's size, read straight from the resource: a
// 32-bit colour image with its AND mask, both top-down.
struct CRawIcon
{
    std::vector<DWORD> color;
    std::vector<BYTE> transparent; // one byte per pixel, 1 where the AND mask is set
};

enum class RawRead
{
    ok,
    missing,    // no icon of that id: left out, as LoadImageW would leave it out
    unsupported // another format or size: the icons are loaded by the system instead
};

RawRead ReadRawIcon(HINSTANCE hInstance, UINT nID, int cx, int cy, CRawIcon& icon)
{
    HRSRC hGroup = ::FindResourceW(hInstance, MAKEINTRESOURCEW(nID), RT_GROUP_ICON);
    if (hGroup == nullptr)
        return RawRead::missing;
    auto* pGroup = static_cast<BYTE*>(::LockResource(::LoadResource(hInstance, hGroup)));
    if (pGroup == nullptr)
        return RawRead::unsupported;
    // The same choice of image LoadImageW makes for this size.
    const int nImage = ::LookupIconIdFromDirectoryEx(pGroup, TRUE, cx, cy, LR_DEFAULTCOLOR);
    HRSRC hImage =
        nImage != 0 ? ::FindResourceW(hInstance, MAKEINTRESOURCEW(nImage), RT_ICON) : nullptr;
    if (hImage == nullptr)
        return RawRead::unsupported;
    const DWORD nSize = ::SizeofResource(hInstance, hImage);
    auto* pBits = static_cast<const BYTE*>(::LockResource(::LoadResource(hInstance, hImage)));
    if (pBits == nullptr || nSize < sizeof(BITMAPINFOHEADER))
        return RawRead::unsupported;
    BITMAPINFOHEADER header;
    memcpy(&header, pBits, sizeof(header));
    // Only uncompressed 32-bit images of exactly the list's size (the program's own icons).
    if (header.biSize != sizeof(BITMAPINFOHEADER) || header.biWidth != cx ||
        header.biHeight != cy * 2 || header.biBitCount != 32 || header.biCompression != BI_RGB ||
        header.biPlanes != 1)
        return RawRead::unsupported;
    const size_t nColorBytes = (size_t)cx * cy * 4;
    const size_t nMaskStride = (size_t)((cx + 31) / 32) * 4;
    if (nSize < sizeof(header) + nColorBytes + nMaskStride * cy)
        return RawRead::unsupported;
    const BYTE* pColor = pBits + sizeof(header);
    const BYTE* pMask = pColor + nColorBytes;
    icon.color.resize((size_t)cx * cy);
    icon.transparent.resize((size_t)cx * cy);
    // Rows are stored bottom-up.
    for (int y = 0; y < cy; ++y)
    {
        const int nRow = cy - 1 - y;
        memcpy(&icon.color[(size_t)y * cx], pColor + (size_t)nRow * cx * 4, (size_t)cx * 4);
        const BYTE* pMaskRow = pMask + (size_t)nRow * nMaskStride;
        for (int x = 0; x < cx; ++x)
            icon.transparent[(size_t)y * cx + x] = (pMaskRow[x / 8] >> (7 - x % 8)) & 1;
    }
    return RawRead::ok;
}

// Appends the icons read from their resources as one strip; -1 when one of them needs the system
// to load it.
int AddRawStrip(HIMAGELIST hList, HINSTANCE hInstance, const UINT* pIds, size_t nCount, int cx,
                int cy)
{
    std::vector<CRawIcon> icons;
    icons.reserve(nCount);
    for (size_t k = 0; k < nCount; ++k)
    {
        CRawIcon icon;
        const RawRead result = ReadRawIcon(hInstance, pIds[k], cx, cy, icon);
        if (result == RawRead::unsupported)
            return -1;
        if (result == RawRead::ok)
            icons.push_back(std::move(icon));
    }
    if (icons.empty())
        return 0;

    const int nWidth = cx * (int)icons.size();
    const BITMAPINFO bmi = TopDown32(nWidth, cy);
    void* pStripBits = nullptr;
    HBITMAP hColorStrip =
        ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pStripBits, nullptr, 0);
    // A monochrome bitmap's rows are word aligned; a set bit is a transparent pixel, as in the
    // icon's own mask.
    const size_t nMaskStride = (size_t)((nWidth + 15) / 16) * 2;
    std::vector<BYTE> maskBits(nMaskStride * cy, 0);
    for (size_t i = 0; i < icons.size(); ++i)
        for (int y = 0; y < cy; ++y)
            for (int x = 0; x < cx; ++x)
                if (icons[i].transparent[(size_t)y * cx + x])
                {
                    const size_t nX = i * cx + x;
                    maskBits[(size_t)y * nMaskStride + nX / 8] |= (BYTE)(0x80 >> (nX % 8));
                }
    HBITMAP hMaskStrip = ::CreateBitmap(nWidth, cy, 1, 1, maskBits.data());
    int nAdded = -1;
    if (hColorStrip != nullptr && hMaskStrip != nullptr)
    {
        auto* pStrip = static_cast<DWORD*>(pStripBits);
        for (size_t i = 0; i < icons.size(); ++i)
            for (int y = 0; y < cy; ++y)
                memcpy(pStrip + (size_t)y * nWidth + i * cx, &icons[i].color[(size_t)y * cx],
                       cx * sizeof(DWORD));
        ::GdiFlush();
        const int nBefore = ImageList_GetImageCount(hList);
        if (ImageList_Add(hList, hColorStrip, hMaskStrip) >= 0)
            nAdded = ImageList_GetImageCount(hList) - nBefore;
    }
    if (hColorStrip != nullptr)
        ::DeleteObject(hColorStrip);
    if (hMaskStrip != nullptr)
        ::DeleteObject(hMaskStrip);
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
    // The program's own icons are read from their resources: making each an icon first (LoadImageW)
    // cost about half a millisecond apiece, most of the database bar's creation.
    const int nRaw = AddRawStrip(hList, hInstance, pIds, nCount, cx, cy);
    if (nRaw >= 0)
        return nRaw;
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
    const BITMAPINFO bmi = TopDown32(nWidth, cy);
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
