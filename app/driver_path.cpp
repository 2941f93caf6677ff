// The Unix path of a file for a driver that runs natively under Wine.
#include "app/driver_path.h"

namespace {

typedef char*(CDECL* UnixFileNameProc)(LPCWSTR);

} // namespace

CString ToDriverPath(LPCWSTR pszPath)
{
    if (pszPath == nullptr || *pszPath == 0)
        return CString();
    static UnixFileNameProc pfnUnixFileName = reinterpret_cast<UnixFileNameProc>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    if (pfnUnixFileName == nullptr)
        return CString(pszPath);
    char* pszUnix = pfnUnixFileName(pszPath);
    if (pszUnix == nullptr)
        return CString(pszPath);
    // The Unix side names files in UTF-8.
    CString strResult;
    int nLength = ::MultiByteToWideChar(CP_UTF8, 0, pszUnix, -1, nullptr, 0);
    if (nLength > 0)
    {
        LPWSTR pBuffer = strResult.GetBuffer(nLength);
        ::MultiByteToWideChar(CP_UTF8, 0, pszUnix, -1, pBuffer, nLength);
        strResult.ReleaseBuffer();
    }
    ::HeapFree(::GetProcessHeap(), 0, pszUnix);
    return strResult.IsEmpty() ? CString(pszPath) : strResult;
}
