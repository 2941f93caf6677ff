// Elapsed time, help file, C string literals and the command line's path.
#include "app/app_helpers.h"

#include "controls/utility.h"
#include "framework/html_help.h"

CString FormatElapsedTime(ULONGLONG nMilliseconds)
{
    const ULONGLONG s = nMilliseconds / 1000;
    const unsigned long days = (unsigned long)(s / 86400);
    const unsigned long hours = (unsigned long)((s / 3600) % 24);
    const unsigned long minutes = (unsigned long)((s / 60) % 60);
    const unsigned long seconds = (unsigned long)(s % 60);
    const unsigned long ms = (unsigned long)(nMilliseconds % 1000);
    CString str;
    if (days > 0)
        str.Format(L"%lu day(s) %02lu:%02lu:%02lu.%03lu", days, hours, minutes, seconds, ms);
    else if (hours > 0)
        str.Format(L"%02lu:%02lu:%02lu.%03lu", hours, minutes, seconds, ms);
    else if (minutes > 0)
        str.Format(L"%02lu:%02lu.%03lu", minutes, seconds, ms);
    else
        str.Format(L"%02lu.%03lu", seconds, ms);
    return str;
}

CString GetHelpFilePath()
{
    return GetModuleFolder() + L"Quenlark.chm";
}

void ShowHelpTopic(LPCWSTR pszTopic)
{
    CString strPath = GetHelpFilePath();
    if (pszTopic != nullptr && *pszTopic != 0)
        strPath += pszTopic;
    AfxHtmlHelp(::GetDesktopWindow(), strPath, HH_DISPLAY_TOPIC, 0);
}

CString MakeCStringLiteralText(LPCWSTR pszText)
{
    CString strResult;
    CString strLine;
    for (LPCWSTR p = pszText != nullptr ? pszText : L""; *p != 0; ++p)
    {
        switch (*p)
        {
        case L'"': strLine += L"\\\""; break;
        case L'\t': strLine += L"\\t"; break;
        // A backslash left alone would start an escape sequence in C ("C:\new").
        case L'\\': strLine += L"\\\\"; break;
        case L'\r':
        case L'\n':
            if (*p == L'\r' && p[1] == L'\n')
                ++p;
            strResult += L"\"" + strLine + L"\\n\"\r\n";
            strLine.Empty();
            break;
        default: strLine += *p; break;
        }
    }
    if (!strLine.IsEmpty())
        strResult += L"\"" + strLine + L"\"";
    return strResult;
}

bool MakeCStringLiteral(HWND hOwner, LPCWSTR pszText)
{
    return CopyTextToClipboard(hOwner, MakeCStringLiteralText(pszText));
}

CString ParseCommandLinePath(LPCWSTR pszCommandLine)
{
    CString str = pszCommandLine != nullptr ? pszCommandLine : L"";
    str.Trim();
    if (!str.IsEmpty() && str[0] == L'"')
    {
        str = str.Mid(1);
        int nQuote = str.Find(L'"');
        if (nQuote >= 0)
            str = str.Left(nQuote);
        str.Trim();
    }
    return str;
}

CString MakeAbsolutePath(LPCWSTR pszPath)
{
    if (pszPath == nullptr || *pszPath == 0)
        return CString();
    WCHAR szFull[32768];
    DWORD n = ::GetFullPathNameW(pszPath, 32768, szFull, nullptr);
    if (n == 0 || n >= 32768)
        return CString(pszPath);
    return CString(szFull);
}
