#include "util/reg_key.h"

CRRegKey::CRRegKey(HKEY root, LPCWSTR subkey, REGSAM access)
{
    if (subkey != nullptr)
        Create(root, subkey, access);
}

CRRegKey::~CRRegKey()
{
    Close();
}

bool CRRegKey::Create(HKEY root, LPCWSTR subkey, REGSAM access)
{
    if (!Close())
        return false;
    HKEY key = nullptr;
    LONG status;
    if (access == KEY_READ)
        status = RegOpenKeyExW(root, subkey, 0, access, &key);
    else
        status = RegCreateKeyExW(root, subkey, 0, const_cast<LPWSTR>(L""), REG_OPTION_NON_VOLATILE,
                                 access, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return false;
    m_hKey = key;
    m_bOpen = 1;
    return true;
}

bool CRRegKey::Close()
{
    if (!m_bOpen)
        return true;
    if (RegCloseKey(m_hKey) != ERROR_SUCCESS)
        return false;
    m_hKey = nullptr;
    m_bOpen = 0;
    return true;
}

bool CRRegKey::SetValue(LPCWSTR name, const void* data, DWORD size, DWORD type)
{
    if (!m_bOpen)
        return false;
    return RegSetValueExW(m_hKey, name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

bool CRRegKey::QueryValue(LPCWSTR name, void* data, DWORD& size, DWORD& type)
{
    if (!m_bOpen)
        return false;
    return RegQueryValueExW(m_hKey, name, nullptr, &type, static_cast<BYTE*>(data), &size) ==
           ERROR_SUCCESS;
}

bool CRRegKey::SetStringValue(LPCWSTR name, LPCWSTR text)
{
    if (text == nullptr)
        text = L"";
    return SetValue(name, text, DWORD((wcslen(text) + 1) * sizeof(wchar_t)), REG_SZ);
}

bool CRRegKey::QueryStringValue(LPCWSTR name, CString& text)
{
    DWORD type = REG_SZ;
    DWORD size = 0;
    if (!QueryValue(name, nullptr, size, type) || size == 0)
        return false;
    // The stored bytes need not be an even count nor end in a NUL: read into a buffer with
    // room for a terminator and never past what was asked for.
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        const int chars = int(size / sizeof(wchar_t)) + 1;
        CString buffer;
        LPWSTR data = buffer.GetBuffer(chars + 1);
        ZeroMemory(data, (size_t(chars) + 1) * sizeof(wchar_t));
        DWORD bytes = DWORD(chars) * sizeof(wchar_t);
        type = REG_SZ;
        LONG status =
            RegQueryValueExW(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes);
        if (status == ERROR_MORE_DATA)
        {
            // The value grew between the two calls.
            buffer.ReleaseBuffer(0);
            size = bytes;
            continue;
        }
        if (status != ERROR_SUCCESS)
        {
            buffer.ReleaseBuffer(0);
            return false;
        }
        const int read = int(bytes / sizeof(wchar_t));
        data[read < chars ? read : chars] = L'\0';
        buffer.ReleaseBuffer(int(wcsnlen(data, size_t(read))));
        text = buffer;
        return true;
    }
    return false;
}

bool CRRegKey::SetDWORDValue(LPCWSTR name, DWORD value)
{
    return SetValue(name, &value, sizeof(value), REG_DWORD);
}

bool CRRegKey::QueryDWORDValue(LPCWSTR name, DWORD& value)
{
    DWORD size = sizeof(value);
    DWORD type = 0;
    return QueryValue(name, &value, size, type);
}

bool CRRegKey::SetBinaryValue(LPCWSTR name, const void* data, DWORD size)
{
    return SetValue(name, data, size, REG_BINARY);
}

bool CRRegKey::QueryBinaryValue(LPCWSTR name, void* data, DWORD& size)
{
    DWORD type = 0;
    return QueryValue(name, data, size, type);
}

bool CRRegKey::DeleteValue(LPCWSTR name)
{
    if (!m_bOpen)
        return false;
    return RegDeleteValueW(m_hKey, name) == ERROR_SUCCESS;
}

LONG CRRegKey::RecurseDeleteKey(HKEY parent, LPCWSTR subkey)
{
    if (subkey == nullptr || *subkey == L'\0')
        return ERROR_BADKEY;
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(parent, subkey, 0, DELETE | KEY_ENUMERATE_SUB_KEYS, &key);
    if (status != ERROR_SUCCESS)
        return status;
    for (;;)
    {
        wchar_t child[256];
        DWORD length = 256;
        status = RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
        {
            status = RegDeleteKeyW(parent, subkey);
            break;
        }
        if (status != ERROR_SUCCESS)
            break;
        status = RecurseDeleteKey(key, child);
        if (status != ERROR_SUCCESS)
            break;
    }
    RegCloseKey(key);
    return status;
}
