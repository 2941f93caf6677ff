// Saves what a window shows as a bitmap file, for looking at the drawing of a control. Only
// when QL_SHOT_DIR names a folder; the name is that folder plus the given file name.
#pragma once

#include "framework/ui.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace qltest {

inline bool SaveWindowShot(HWND hWnd, const char* fileName)
{
    const char* folder = std::getenv("QL_SHOT_DIR");
    if (folder == nullptr || *folder == 0 || !::IsWindow(hWnd))
        return false;
    RECT r;
    ::GetWindowRect(hWnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC hScreen = ::GetDC(nullptr);
    HDC hMem = ::CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, w, h);
    HGDIOBJ hOld = ::SelectObject(hMem, hBitmap);
    ::BitBlt(hMem, 0, 0, w, h, hScreen, r.left, r.top, SRCCOPY);
    ::SelectObject(hMem, hOld);
    BITMAPINFOHEADER bih = {sizeof(bih), w, h, 1, 24, BI_RGB};
    const int stride = (w * 3 + 3) & ~3;
    std::vector<BYTE> bits((size_t)stride * h);
    ::GetDIBits(hMem, hBitmap, 0, h, bits.data(), (BITMAPINFO*)&bih, DIB_RGB_COLORS);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hMem);
    ::ReleaseDC(nullptr, hScreen);
    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42;
    bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
    bfh.bfSize = bfh.bfOffBits + (DWORD)bits.size();
    const std::string path = std::string(folder) + "\\" + fileName;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    std::fwrite(&bfh, sizeof(bfh), 1, f);
    std::fwrite(&bih, sizeof(bih), 1, f);
    std::fwrite(bits.data(), 1, bits.size(), f);
    std::fclose(f);
    return true;
}

} // namespace qltest
