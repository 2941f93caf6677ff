#include "util/utility.h"

#include <cwctype>

namespace {
// One "%d" conversion: optional white space, optional sign, at least one digit.
bool ScanInt(LPCWSTR& p, int& value)
{
    LPCWSTR q = p;
    while (iswspace(*q))
        ++q;
    bool negative = false;
    if (*q == L'+' || *q == L'-')
    {
        negative = *q == L'-';
        ++q;
    }
    if (!iswdigit(*q))
        return false;
    long long v = 0;
    while (iswdigit(*q))
    {
        if (v < 0x100000000LL)
            v = v * 10 + (*q - L'0');
        ++q;
    }
    value = int(negative ? -v : v);
    p = q;
    return true;
}
} // namespace

VersionNumber ParseVersion(LPCWSTR text)
{
    VersionNumber v;
    if (text == nullptr)
        return v;
    const wchar_t separator = wcschr(text, L'.') ? L'.' : L',';
    int* parts[4] = {&v.nMajor, &v.nMinor, &v.nBuild, &v.nRevision};
    LPCWSTR p = text;
    for (int i = 0; i < 4; ++i)
    {
        if (i > 0)
        {
            if (*p != separator)
                break;
            ++p;
        }
        if (!ScanInt(p, *parts[i]))
            break;
    }
    return v;
}

bool IsVersionLess(const VersionNumber& a, const VersionNumber& b)
{
    const int pa[4] = {a.nMajor, a.nMinor, a.nBuild, a.nRevision};
    const int pb[4] = {b.nMajor, b.nMinor, b.nBuild, b.nRevision};
    for (int i = 0; i < 4; ++i)
    {
        if (pa[i] != pb[i])
            return pa[i] < pb[i];
    }
    return false;
}

bool IsWinXPOrLater(bool* pVistaOrLater)
{
    if (pVistaOrLater)
        *pVistaOrLater = false;
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info))
        return false;
#pragma GCC diagnostic pop
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return false;
    if (pVistaOrLater)
        *pVistaOrLater = info.dwMajorVersion > 5;
    return info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1);
}
