#include "util/utility.h"

#include "framework/module_state.h"

CString LoadResString(UINT id)
{
    // String tables are stored in blocks of sixteen counted strings; block n holds ids
    // (n - 1) * 16 to n * 16 - 1.
    LPCWSTR blockName = MAKEINTRESOURCEW((id >> 4) + 1);
    HINSTANCE module = AfxFindResourceHandle(blockName, RT_STRING);
    HRSRC resource = FindResourceW(module, blockName, RT_STRING);
    if (resource == nullptr)
        return CString();
    HGLOBAL loaded = LoadResource(module, resource);
    const auto* entry = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (entry == nullptr)
        return CString();
    const WCHAR* end = entry + SizeofResource(module, resource) / sizeof(WCHAR);
    for (UINT index = id & 15; index > 0; --index)
    {
        if (entry >= end)
            return CString();
        entry += 1 + *entry;
    }
    if (entry >= end || *entry == 0 || entry + 1 + *entry > end)
        return CString();
    return CString(entry + 1, int(*entry));
}

namespace {
// FormatMessageW with an allocated buffer; empty when it gives nothing.
CString FormatFrom(DWORD flags, LPCVOID source, DWORD code)
{
    LPWSTR buffer = nullptr;
    DWORD length =
        FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                       source, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    CString text;
    if (buffer)
    {
        if (length > 0)
            text = CString(buffer, int(length));
        LocalFree(buffer);
    }
    return text;
}
} // namespace

CString GetErrorText(DWORD code, LPCWSTR moduleName)
{
    CString text;
    if (moduleName && *moduleName)
    {
        if (HMODULE module = GetModuleHandleW(moduleName))
            text = FormatFrom(FORMAT_MESSAGE_FROM_HMODULE, module, code);
    }
    if (text.IsEmpty())
        text = FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
    if (text.IsEmpty())
        text.Format(L"%d (0x%04X)", code, code);
    return text;
}

void GetFileVersionStrings(LPCWSTR path, CString* description, CString* version,
                           CString* legalCopyright, VS_FIXEDFILEINFO* fixedInfo)
{
    if (description)
        description->Empty();
    if (version)
        version->Empty();
    if (legalCopyright)
        legalCopyright->Empty();
    if (fixedInfo)
        ZeroMemory(fixedInfo, sizeof(*fixedInfo));
    if (path == nullptr)
        return;

    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0)
        return;
    CByteArray data;
    data.SetSize(INT_PTR(size));
    if (!GetFileVersionInfoW(path, 0, size, data.GetData()))
        return;

    void* value = nullptr;
    UINT valueSize = 0;
    if (fixedInfo && VerQueryValueW(data.GetData(), L"\\", &value, &valueSize) &&
        valueSize == sizeof(VS_FIXEDFILEINFO))
        memcpy(fixedInfo, value, sizeof(VS_FIXEDFILEINFO));

    if (!VerQueryValueW(data.GetData(), L"\\VarFileInfo\\Translation", &value, &valueSize) ||
        valueSize < 2 * sizeof(WORD))
        return;
    const WORD* translation = static_cast<const WORD*>(value);

    auto query = [&](LPCWSTR name, CString* out) {
        if (out == nullptr)
            return;
        CString key;
        key.Format(L"\\StringFileInfo\\%04X%04X\\%s", translation[0], translation[1], name);
        void* text = nullptr;
        UINT length = 0;
        if (VerQueryValueW(data.GetData(), key, &text, &length) && text && length > 0)
        {
            auto* chars = static_cast<LPCWSTR>(text);
            *out = CString(chars, int(wcsnlen(chars, length)));
        }
    };
    query(L"FileDescription", description);
    query(L"FileVersion", version);
    query(L"LegalCopyright", legalCopyright);
}

void GetModuleVersionInfo(CString* description, CString* version, CString* legalCopyright,
                          VS_FIXEDFILEINFO* fixedInfo)
{
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    GetFileVersionStrings(length > 0 && length < MAX_PATH ? path : nullptr, description, version,
                          legalCopyright, fixedInfo);
}
