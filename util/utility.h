// Free helper functions shared by the whole program: character tests, hexadecimal and GUID
// conversion, version numbers, paths, clipboard output, colour blending, string resources,
// system error texts, file version information and a tolerant date/time parser.
// None of them keeps state; failures are reported by the result, never by an exception.
// (The helpers that create child windows live with the window classes.)
#pragma once

#include "framework/core.h"

// --- Character and identifier tests -------------------------------------------------------

// A letter or digit (IsCharAlphaNumericW) or '_'.
bool IsIdentChar(wchar_t ch);
// Same test as IsIdentChar.
bool IsIdentifierChar(wchar_t ch);
// Every character passes IsIdentifierChar (an empty or null text passes).
bool IsIdentifier(LPCWSTR text);

// --- Hexadecimal and GUID ------------------------------------------------------------------

// Reads two hexadecimal characters per byte (high digit first) until `size` bytes are written.
// A NUL in a pair zero-fills the rest of the buffer (true); a non-hex character gives false.
bool HexToBytes(LPCWSTR text, BYTE* buffer, int size);
// Two upper-case digits per byte.
CString BytesToHex(const BYTE* bytes, int count);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with or without braces (the closing one is optional).
// The GUID is written only when all eleven fields were read.
bool ParseGuid(LPCWSTR text, GUID& guid);

// --- Version numbers -------------------------------------------------------------------------

struct VersionNumber
{
    int nMajor = 0;
    int nMinor = 0;
    int nBuild = 0;
    int nRevision = 0;
};

// "1.2.3.4" or, when the text has no '.', "1,2,3,4"; missing parts are 0.
VersionNumber ParseVersion(LPCWSTR text);
// a lower than b, comparing major, minor, build and revision in that order.
bool IsVersionLess(const VersionNumber& a, const VersionNumber& b);
// a - b, for sort comparers.
int CompareInt(int a, int b);
// True for Windows NT 5.1 or later; *pVistaOrLater (optional) is set for NT 6.0 or later.
bool IsWinXPOrLater(bool* pVistaOrLater = nullptr);

// --- Text conversion and colours --------------------------------------------------------------

// UTF-8 conversion of `length` characters of `text` (-1: up to its NUL). The result string ends
// at the first NUL of the converted text. False (last error set) when nothing was converted.
bool WideToUtf8(LPCWSTR text, int length, CStringA& out);
// Per channel (c1 * weight + c2 * (255 - weight)) / 255: 255 gives c1, 0 gives c2.
COLORREF BlendColors(COLORREF c1, COLORREF c2, int weight);

// --- Paths (separators '\', '/' and ':') ------------------------------------------------------

// The character after the last separator, or `path` itself.
LPCWSTR FindFileName(LPCWSTR path);
// The path up to its file name, with the trailing separator.
CString GetFolderOfPath(LPCWSTR path);
// A copy ending in '\' (unchanged when empty or already ending in '\' or '/').
CString AppendBackslash(LPCWSTR path);
// The file name, cut before its last '.' unless withExtension.
CString GetFileNamePart(LPCWSTR path, bool withExtension);
// The text after the last '.' of the whole path, or empty.
CString GetFileExtension(LPCWSTR path);
// The folder of the program's own file with a trailing '\' (".\" when unknown).
CString GetModuleFolder();

// --- Clipboard ---------------------------------------------------------------------------------

// Opens the clipboard, asking again for half a second while another program holds it.
bool OpenClipboardPatiently(HWND window);
// Replaces the clipboard content with `size` bytes in `format` (plus CF_LOCALE for the text
// formats). True when the data itself was set.
bool SetClipboardBytes(HWND window, const void* data, SIZE_T size, UINT format);
// The text with its NUL as CF_UNICODETEXT.
bool CopyTextToClipboard(HWND window, LPCWSTR text);

// Window objects (anything with GetSafeHwnd) may be passed directly.
template <class TWnd>
inline bool SetClipboardBytes(TWnd* window, const void* data, SIZE_T size, UINT format)
{
    return SetClipboardBytes(window ? window->GetSafeHwnd() : HWND(nullptr), data, size, format);
}
template <class TWnd>
inline bool CopyTextToClipboard(TWnd* window, LPCWSTR text)
{
    return CopyTextToClipboard(window ? window->GetSafeHwnd() : HWND(nullptr), text);
}

// --- Resources, errors and version information --------------------------------------------------

// The string-table entry `id` from the module that holds it; empty when there is none.
CString LoadResString(UINT id);
// The message text of a system (or, when moduleName names a loaded module, that module's) error
// code, untrimmed; "<code> (0x<CODE>)" when there is none.
CString GetErrorText(DWORD code, LPCWSTR moduleName = nullptr);
// Version resource of a file: description, file version, legal copyright and the fixed info.
// Every output is optional; strings are emptied and the fixed info zeroed first.
void GetFileVersionStrings(LPCWSTR path, CString* description, CString* version,
                           CString* legalCopyright, VS_FIXEDFILEINFO* fixedInfo);
// The same for the program's own file.
void GetModuleVersionInfo(CString* description, CString* version, CString* legalCopyright,
                          VS_FIXEDFILEINFO* fixedInfo);

// --- Date and time --------------------------------------------------------------------------

// "h:mm[:ss[.fff]]" at the start of `text`. Outputs are optional. Returns the position after
// the time, or null when there is none or a field is out of range.
LPCWSTR ParseTime(LPCWSTR text, WORD* hour, WORD* minute, WORD* second, WORD* milliseconds);
// A date (year-month-day, day.month.year or month/day/year), optionally followed by a time and
// a time-zone offset, or a time alone. Outputs are optional and written only on success.
bool ParseDateTime(LPCWSTR text, short* year, WORD* month, WORD* day, WORD* hour, WORD* minute,
                   WORD* second, WORD* milliseconds, short* zoneHours, short* zoneMinutes);
