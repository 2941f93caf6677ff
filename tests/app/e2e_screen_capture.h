// Pixels of the screen as the user sees them: a rectangle of the (virtual) display copied into a
// bitmap, for the tests of what windows paint. Under Wine the screen's device context reads back
// what the X server shows, whichever process drew it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ql {

struct CScreenCapture
{
    RECT rect = {};
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels; // 0x00RRGGBB, rows from the top

    // Screen coordinates.
    COLORREF At(int x, int y) const
    {
        const DWORD p = pixels[(size_t)(y - rect.top) * width + (x - rect.left)];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    bool Contains(int x, int y) const
    {
        return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
    }

    // Copies the screen rectangle; false when the screen cannot be read.
    bool Take(const RECT& area)
    {
        rect = area;
        width = area.right - area.left;
        height = area.bottom - area.top;
        if (width <= 0 || height <= 0)
            return false;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bool ok = false;
        if (bitmap != nullptr)
        {
            HGDIOBJ old = SelectObject(memory, bitmap);
            ok = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
            GdiFlush();
            if (ok)
            {
                const DWORD* p = static_cast<const DWORD*>(bits);
                pixels.assign(p, p + (size_t)width * height);
                for (DWORD& pixel : pixels)
                    pixel &= 0x00FFFFFF;
            }
            SelectObject(memory, old);
            DeleteObject(bitmap);
        }
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return ok;
    }
    // The part of the window on the screen (a maximised window's frame lies outside).
    bool TakeWindow(HWND wnd)
    {
        RECT area, window;
        const RECT screen = {
            GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
            GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
        return GetWindowRect(wnd, &window) && IntersectRect(&area, &window, &screen) && Take(area);
    }

    // Writes the capture as a 24-bit BMP, for a look at a failure.
    void Save(const std::wstring& path) const
    {
        const int stride = (width * 3 + 3) & ~3;
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER header = {};
        header.biSize = sizeof(header);
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = 24;
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(header);
        file.bfSize = file.bfOffBits + stride * height;
        std::string bytes((const char*)&file, sizeof(file));
        bytes.append((const char*)&header, sizeof(header));
        std::string row(stride, '\0');
        for (int y = height - 1; y >= 0; --y)
        {
            for (int x = 0; x < width; ++x)
            {
                const DWORD p = pixels[(size_t)y * width + x];
                row[x * 3] = (char)(p & 0xFF);
                row[x * 3 + 1] = (char)((p >> 8) & 0xFF);
                row[x * 3 + 2] = (char)((p >> 16) & 0xFF);
            }
            bytes += row;
        }
        HANDLE out =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (out == INVALID_HANDLE_VALUE)
            return;
        DWORD written = 0;
        WriteFile(out, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
        CloseHandle(out);
    }
};

} // namespace ql
