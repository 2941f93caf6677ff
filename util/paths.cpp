#include "util/utility.h"

namespace {
bool IsPathSeparator(wchar_t ch)
{
    return ch == L'\\' || ch == L'/' || ch == L':';
}
} // namespace

LPCWSTR FindFileName(LPCWSTR path)
{
    if (path == nullptr)
        return path;
    LPCWSTR name = path;
    for (LPCWSTR p = path; *p; ++p)
    {
        if (IsPathSeparator(*p))
            name = p + 1;
    }
    return name;
}

CString GetFolderOfPath(LPCWSTR path)
{
    if (path == nullptr)
        return CString();
    return CString(path, int(FindFileName(path) - path));
}

CString AppendBackslash(LPCWSTR path)
{
    CString result(path ? path : L"");
    int length = result.GetLength();
    if (length > 0 && result[length - 1] != L'\\' && result[length - 1] != L'/')
        result += L'\\';
    return result;
}

CString GetFileNamePart(LPCWSTR path, bool withExtension)
{
    if (path == nullptr)
        return CString();
    CString name(FindFileName(path));
    if (!withExtension)
    {
        int dot = name.ReverseFind(L'.');
        if (dot >= 0)
            name = name.Left(dot);
    }
    return name;
}

CString GetFileExtension(LPCWSTR path)
{
    if (path == nullptr)
        return CString();
    LPCWSTR dot = wcsrchr(path, L'.');
    return dot ? CString(dot + 1) : CString();
}

CString GetModuleFolder()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return CString(L".\\");
    return GetFolderOfPath(buffer);
}
