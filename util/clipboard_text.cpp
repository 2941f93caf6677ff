#include "util/utility.h"

// Another program may hold the clipboard open for a moment (a viewer or a manager reading what
// was copied last); a copy made then would be lost. Ask again for a while before giving up.
bool OpenClipboardPatiently(HWND window)
{
    for (int attempt = 0; attempt < 50; ++attempt)
    {
        if (OpenClipboard(window))
            return true;
        Sleep(10);
    }
    return false;
}

bool SetClipboardBytes(HWND window, const void* data, SIZE_T size, UINT format)
{
    if (!OpenClipboardPatiently(window))
        return false;
    EmptyClipboard();

    bool set = false;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size ? size : 1);
    if (block)
    {
        if (void* target = GlobalLock(block))
        {
            if (size && data)
                memcpy(target, data, size);
            GlobalUnlock(block);
            set = SetClipboardData(format, block) != nullptr;
        }
        if (!set)
            GlobalFree(block);
    }

    if (format == CF_UNICODETEXT || format == CF_TEXT)
    {
        if (HGLOBAL localeBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof(LCID)))
        {
            bool localeSet = false;
            if (auto* locale = static_cast<LCID*>(GlobalLock(localeBlock)))
            {
                *locale = GetUserDefaultLCID();
                GlobalUnlock(localeBlock);
                localeSet = SetClipboardData(CF_LOCALE, localeBlock) != nullptr;
            }
            if (!localeSet)
                GlobalFree(localeBlock);
        }
    }

    CloseClipboard();
    return set;
}

bool CopyTextToClipboard(HWND window, LPCWSTR text)
{
    if (text == nullptr)
        text = L"";
    SIZE_T bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    return SetClipboardBytes(window, text, bytes, CF_UNICODETEXT);
}

bool WideToUtf8(LPCWSTR text, int length, CStringA& out)
{
    out.Empty();
    if (text == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    // A span of `length` characters is converted as it stands (it need not be terminated);
    // -1 converts up to and including the NUL.
    if (length == 0)
        return true;
    int needed = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (needed < 1)
        return false;
    LPSTR buffer = out.GetBuffer(needed + 1);
    int written = WideCharToMultiByte(CP_UTF8, 0, text, length, buffer, needed, nullptr, nullptr);
    if (written <= 0)
    {
        out.ReleaseBuffer(0);
        return false;
    }
    buffer[written] = '\0';
    out.ReleaseBuffer(); // ends at the first NUL of the converted text
    return true;
}
