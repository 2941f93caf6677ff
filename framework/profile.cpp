// The application's settings: registry (after SetRegistryKey) or INI file.
#include "framework/win_app.h"
#include "framework/wnd_internal.h"

#include <memory>
#include <vector>

void CWinApp::SetRegistryKey(LPCTSTR lpszRegistryKey)
{
    m_strRegistryKey = lpszRegistryKey ? lpszRegistryKey : L"";
    m_pszRegistryKey = m_strRegistryKey;
    // The settings go under the application's name.
    m_strProfileName = m_pszAppName ? m_pszAppName : L"";
    m_pszProfileName = m_strProfileName;
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey)
{
    SetRegistryKey(AfxLoadString(nIDRegistryKey));
}

namespace {

// Opens (creating what is missing) a key below HKEY_CURRENT_USER in one call: the registry lives
// in another process under Wine, and each open, create or close is a round trip to it; a read of
// one setting through the key chain Software, company, program, section took eight of them.
HKEY CreateUserKey(const CString& strPath)
{
    HKEY hKey = nullptr;
    DWORD dw = 0;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, strPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE | KEY_READ, nullptr, &hKey, &dw) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

} // namespace

HKEY CWinApp::GetAppRegistryKey()
{
    return GetSectionKey(L"");
}

HKEY CWinApp::GetSectionKey(LPCTSTR lpszSection)
{
    if (lpszSection == nullptr || m_pszRegistryKey == nullptr || m_pszProfileName == nullptr)
        return nullptr;
    // An empty name stands for the key above it, as a relative create of "" gives that key.
    CString strPath = L"Software";
    for (LPCTSTR pszPart : {(LPCTSTR)m_pszRegistryKey, (LPCTSTR)m_pszProfileName, lpszSection})
        if (*pszPart != 0)
            strPath += CString(L"\\") + pszPart;
    return CreateUserKey(strPath);
}

namespace {
// Closes a registry key when it goes out of scope.
struct KeyCloser
{
    HKEY hKey;
    ~KeyCloser()
    {
        if (hKey != nullptr)
            ::RegCloseKey(hKey);
    }
};
} // namespace

UINT CWinApp::GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault)
{
    if (m_pszRegistryKey != nullptr)
    {
        KeyCloser key{GetSectionKey(lpszSection)};
        if (key.hKey == nullptr)
            return (UINT)nDefault;
        DWORD dwValue = 0, dwType = 0, dwCount = sizeof(DWORD);
        LONG lResult =
            ::RegQueryValueExW(key.hKey, lpszEntry, nullptr, &dwType, (LPBYTE)&dwValue, &dwCount);
        if (lResult == ERROR_SUCCESS && dwType == REG_DWORD && dwCount == sizeof(DWORD))
            return (UINT)dwValue;
        return (UINT)nDefault;
    }
    return ::GetPrivateProfileIntW(lpszSection, lpszEntry, nDefault, m_pszProfileName);
}

BOOL CWinApp::WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue)
{
    if (m_pszRegistryKey != nullptr)
    {
        KeyCloser key{GetSectionKey(lpszSection)};
        if (key.hKey == nullptr)
            return FALSE;
        DWORD dwValue = (DWORD)nValue;
        return ::RegSetValueExW(key.hKey, lpszEntry, 0, REG_DWORD, (const BYTE*)&dwValue,
                                sizeof(dwValue)) == ERROR_SUCCESS;
    }
    CString text;
    text.Format(L"%d", nValue);
    return ::WritePrivateProfileStringW(lpszSection, lpszEntry, text, m_pszProfileName);
}

CString CWinApp::GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszDefault)
{
    CString strDefault(lpszDefault ? lpszDefault : L"");
    if (m_pszRegistryKey != nullptr)
    {
        KeyCloser key{GetSectionKey(lpszSection)};
        if (key.hKey == nullptr)
            return strDefault;
        DWORD dwType = 0, dwCount = 0;
        LONG lResult = ::RegQueryValueExW(key.hKey, lpszEntry, nullptr, &dwType, nullptr, &dwCount);
        if (lResult != ERROR_SUCCESS || (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
            return strDefault;
        // The stored data need not end in a NUL: read into a buffer one character larger.
        std::vector<wchar_t> buffer(dwCount / sizeof(wchar_t) + 2, L'\0');
        DWORD dwSize = (DWORD)((buffer.size() - 1) * sizeof(wchar_t));
        lResult = ::RegQueryValueExW(key.hKey, lpszEntry, nullptr, &dwType, (LPBYTE)buffer.data(),
                                     &dwSize);
        if (lResult != ERROR_SUCCESS)
            return strDefault;
        buffer[dwSize / sizeof(wchar_t)] = L'\0';
        return CString(buffer.data());
    }
    // INI file: grow the buffer until the value fits.
    if (lpszEntry == nullptr)
        return strDefault;
    for (DWORD nSize = 256;; nSize *= 2)
    {
        std::vector<wchar_t> buffer(nSize, L'\0');
        DWORD nGot = ::GetPrivateProfileStringW(lpszSection, lpszEntry, strDefault, buffer.data(),
                                                nSize, m_pszProfileName);
        if (nGot < nSize - 1 || nSize >= 0x100000)
            return CString(buffer.data(), (int)nGot);
    }
}

BOOL CWinApp::WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue)
{
    if (m_pszRegistryKey != nullptr)
    {
        if (lpszEntry == nullptr)
        {
            // No entry: the whole section goes.
            KeyCloser appKey{GetAppRegistryKey()};
            if (appKey.hKey == nullptr)
                return FALSE;
            return ::RegDeleteKeyW(appKey.hKey, lpszSection) == ERROR_SUCCESS;
        }
        KeyCloser key{GetSectionKey(lpszSection)};
        if (key.hKey == nullptr)
            return FALSE;
        if (lpszValue == nullptr)
            return ::RegDeleteValueW(key.hKey, lpszEntry) == ERROR_SUCCESS;
        DWORD cb = (DWORD)((lstrlenW(lpszValue) + 1) * sizeof(wchar_t));
        return ::RegSetValueExW(key.hKey, lpszEntry, 0, REG_SZ, (const BYTE*)lpszValue, cb) ==
               ERROR_SUCCESS;
    }
    return ::WritePrivateProfileStringW(lpszSection, lpszEntry, lpszValue, m_pszProfileName);
}

BOOL CWinApp::GetProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE* ppData, UINT* pBytes)
{
    if (ppData == nullptr || pBytes == nullptr)
        return FALSE;
    *ppData = nullptr;
    *pBytes = 0;
    if (m_pszRegistryKey != nullptr)
    {
        KeyCloser key{GetSectionKey(lpszSection)};
        if (key.hKey == nullptr)
            return FALSE;
        DWORD dwType = 0, dwCount = 0;
        LONG lResult = ::RegQueryValueExW(key.hKey, lpszEntry, nullptr, &dwType, nullptr, &dwCount);
        if (lResult != ERROR_SUCCESS || dwType != REG_BINARY)
            return FALSE;
        std::unique_ptr<BYTE[]> data(new BYTE[dwCount ? dwCount : 1]);
        lResult = ::RegQueryValueExW(key.hKey, lpszEntry, nullptr, &dwType, data.get(), &dwCount);
        if (lResult != ERROR_SUCCESS)
            return FALSE;
        *ppData = data.release();
        *pBytes = dwCount;
        return TRUE;
    }
    // INI file: the bytes are stored as letters 'A' + nibble, low nibble first.
    CString text = GetProfileString(lpszSection, lpszEntry, nullptr);
    int nLen = text.GetLength();
    if (nLen == 0 || nLen % 2 != 0)
        return FALSE;
    std::unique_ptr<BYTE[]> data(new BYTE[nLen / 2]);
    for (int i = 0; i < nLen; i += 2)
    {
        wchar_t lo = text[i], hi = text[i + 1];
        if (lo < L'A' || lo > L'P' || hi < L'A' || hi > L'P')
            return FALSE;
        data[i / 2] = (BYTE)(((hi - L'A') << 4) | (lo - L'A'));
    }
    *ppData = data.release();
    *pBytes = (UINT)(nLen / 2);
    return TRUE;
}

BOOL CWinApp::WriteProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE pData, UINT nBytes)
{
    if (m_pszRegistryKey != nullptr)
    {
        KeyCloser key{GetSectionKey(lpszSection)};
        if (key.hKey == nullptr)
            return FALSE;
        return ::RegSetValueExW(key.hKey, lpszEntry, 0, REG_BINARY, pData, nBytes) == ERROR_SUCCESS;
    }
    CString text;
    for (UINT i = 0; i < nBytes; i++)
    {
        text.AppendChar((wchar_t)(L'A' + (pData[i] & 0x0F)));
        text.AppendChar((wchar_t)(L'A' + ((pData[i] >> 4) & 0x0F)));
    }
    return WriteProfileString(lpszSection, lpszEntry, text);
}
