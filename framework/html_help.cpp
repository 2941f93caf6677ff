// Calls into the HTML help viewer.
#include "framework/html_help.h"

namespace {

typedef HWND(WINAPI* HtmlHelpProc)(HWND, LPCWSTR, UINT, DWORD_PTR);

HtmlHelpProc LoadHtmlHelp()
{
    static HtmlHelpProc proc = []() -> HtmlHelpProc {
        HMODULE hModule = ::LoadLibraryW(L"hhctrl.ocx");
        return hModule != nullptr
                   ? reinterpret_cast<HtmlHelpProc>(::GetProcAddress(hModule, "HtmlHelpW"))
                   : nullptr;
    }();
    return proc;
}

} // namespace

HWND AfxHtmlHelp(HWND hWndCaller, LPCWSTR pszFile, UINT uCommand, DWORD_PTR dwData)
{
    HtmlHelpProc proc = LoadHtmlHelp();
    return proc != nullptr ? proc(hWndCaller, pszFile, uCommand, dwData) : nullptr;
}
