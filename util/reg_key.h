// One open registry key with typed value access and a recursive key delete.
#pragma once

#include "framework/core.h"

class CRRegKey
{
public:
    // Starts closed; with a subkey, Create(root, subkey, access).
    CRRegKey(HKEY root = nullptr, LPCWSTR subkey = nullptr, REGSAM access = KEY_ALL_ACCESS);
    ~CRRegKey();

    CRRegKey(const CRRegKey&) = delete;
    CRRegKey& operator=(const CRRegKey&) = delete;

    // KEY_READ opens an existing key; any other access creates or opens it.
    bool Create(HKEY root, LPCWSTR subkey, REGSAM access = KEY_ALL_ACCESS);
    // True when the key is closed afterwards.
    bool Close();

    bool IsOpen() const { return m_bOpen != 0; }
    HKEY GetHandle() const { return m_hKey; }
    operator HKEY() const { return m_hKey; }

    bool SetValue(LPCWSTR name, const void* data, DWORD size, DWORD type);
    bool QueryValue(LPCWSTR name, void* data, DWORD& size, DWORD& type);

    bool SetStringValue(LPCWSTR name, LPCWSTR text);
    // The text up to its first NUL; false when missing or empty (zero bytes).
    bool QueryStringValue(LPCWSTR name, CString& text);
    bool SetDWORDValue(LPCWSTR name, DWORD value);
    bool QueryDWORDValue(LPCWSTR name, DWORD& value);
    bool SetBinaryValue(LPCWSTR name, const void* data, DWORD size);
    // size: the buffer size in, the bytes read out.
    bool QueryBinaryValue(LPCWSTR name, void* data, DWORD& size);
    bool DeleteValue(LPCWSTR name);

    // Deletes parent\subkey with all its subkeys; the Win32 status (ERROR_BADKEY for an empty
    // subkey, which deletes nothing).
    static LONG RecurseDeleteKey(HKEY parent, LPCWSTR subkey);

private:
    HKEY m_hKey = nullptr;
    BYTE m_bOpen = 0;
};
