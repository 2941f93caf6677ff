// The HTML help viewer: HtmlHelpW of hhctrl.ocx, loaded when first used (null when the system
// has no viewer). The HH_* commands come from <htmlhelp.h>.
#pragma once

#include <windows.h>
#include <htmlhelp.h>

HWND AfxHtmlHelp(HWND hWndCaller, LPCWSTR pszFile, UINT uCommand, DWORD_PTR dwData);
