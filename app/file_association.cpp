// Registering ".sql" files: the keys, the values and putting them back after a failure.
#include "app/file_association.h"

#include <shlobj.h>

namespace {

const wchar_t kAppKey[] = L"Applications\\Quenlark.exe";

bool ReadValue(HKEY hKey, LPCWSTR pszName, DWORD& nType, std::vector<BYTE>& data)
{
    DWORD nSize = 0;
    if (::RegQueryValueExW(hKey, pszName, nullptr, &nType, nullptr, &nSize) != ERROR_SUCCESS)
        return false;
    data.resize(nSize);
    return ::RegQueryValueExW(hKey, pszName, nullptr, &nType, data.empty() ? nullptr : data.data(),
                              &nSize) == ERROR_SUCCESS;
}

} // namespace

LONG CSqlFileAssociation::CreateKey(LPCWSTR pszPath, HKEY* phKey, bool* pbCreated)
{
    DWORD nDisposition = 0;
    const LONG nResult = ::RegCreateKeyExW(m_hRoot, pszPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                           phKey, &nDisposition);
    *pbCreated = nResult == ERROR_SUCCESS && nDisposition == REG_CREATED_NEW_KEY;
    return nResult;
}

LONG CSqlFileAssociation::SetText(HKEY hKey, LPCWSTR pszName, const CString& strValue)
{
    return ::RegSetValueExW(hKey, pszName, 0, REG_SZ, (const BYTE*)(LPCWSTR)strValue,
                            (strValue.GetLength() + 1) * sizeof(wchar_t));
}

bool CSqlFileAssociation::MakeKey(LPCWSTR pszKey)
{
    // Each missing level is remembered, so a rollback removes exactly what this run made.
    CString strPath;
    CString strRest = pszKey;
    while (!strRest.IsEmpty())
    {
        const int nSlash = strRest.Find(L'\\');
        const CString strPart = nSlash < 0 ? strRest : strRest.Left(nSlash);
        strRest = nSlash < 0 ? CString() : strRest.Mid(nSlash + 1);
        strPath += strPath.IsEmpty() ? strPart : L"\\" + strPart;
        HKEY hKey = nullptr;
        bool bCreated = false;
        if (CreateKey(strPath, &hKey, &bCreated) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(hKey);
        if (bCreated)
            m_createdKeys.push_back(strPath);
    }
    return true;
}

bool CSqlFileAssociation::WriteText(LPCWSTR pszKey, LPCWSTR pszName, const CString& strValue)
{
    if (!MakeKey(pszKey))
        return false;
    HKEY hKey = nullptr;
    bool bCreated = false;
    if (CreateKey(pszKey, &hKey, &bCreated) != ERROR_SUCCESS)
        return false;
    CSavedValue saved;
    saved.strKey = pszKey;
    saved.strName = pszName != nullptr ? pszName : L"";
    saved.bExisted = ReadValue(hKey, pszName, saved.nType, saved.data);
    m_savedValues.push_back(saved);
    const LONG nResult = SetText(hKey, pszName, strValue);
    ::RegCloseKey(hKey);
    return nResult == ERROR_SUCCESS;
}

bool CSqlFileAssociation::SaveTree(HKEY hKey, const CString& strPath, CSavedTree& tree)
{
    wchar_t szName[16384];
    for (DWORD i = 0;; ++i)
    {
        DWORD nLength = 16384;
        const LONG nResult =
            ::RegEnumValueW(hKey, i, szName, &nLength, nullptr, nullptr, nullptr, nullptr);
        if (nResult == ERROR_NO_MORE_ITEMS)
            break;
        if (nResult != ERROR_SUCCESS)
            return false;
        CSavedValue value;
        value.strKey = strPath;
        value.strName = szName;
        value.bExisted = ReadValue(hKey, szName, value.nType, value.data);
        tree.values.push_back(value);
    }
    for (DWORD i = 0;; ++i)
    {
        DWORD nLength = 256;
        const LONG nResult =
            ::RegEnumKeyExW(hKey, i, szName, &nLength, nullptr, nullptr, nullptr, nullptr);
        if (nResult == ERROR_NO_MORE_ITEMS)
            break;
        if (nResult != ERROR_SUCCESS)
            return false;
        CSavedTree child;
        child.strName = szName;
        HKEY hChild = nullptr;
        if (::RegOpenKeyExW(hKey, szName, 0, KEY_READ, &hChild) != ERROR_SUCCESS)
            return false;
        const bool bSaved = SaveTree(hChild, strPath + L"\\" + szName, child);
        ::RegCloseKey(hChild);
        if (!bSaved)
            return false;
        tree.children.push_back(child);
    }
    return true;
}

void CSqlFileAssociation::RestoreTree(const CString& strPath, const CSavedTree& tree)
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExW(m_hRoot, strPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                          nullptr) != ERROR_SUCCESS)
        return;
    for (const CSavedValue& value : tree.values)
        ::RegSetValueExW(hKey, value.strName.IsEmpty() ? nullptr : (LPCWSTR)value.strName, 0,
                         value.nType, value.data.empty() ? nullptr : value.data.data(),
                         (DWORD)value.data.size());
    ::RegCloseKey(hKey);
    for (const CSavedTree& child : tree.children)
        RestoreTree(strPath + L"\\" + child.strName, child);
}

bool CSqlFileAssociation::ReplaceTree(LPCWSTR pszKey)
{
    HKEY hKey = nullptr;
    const LONG nOpen = ::RegOpenKeyExW(m_hRoot, pszKey, 0, KEY_READ, &hKey);
    if (nOpen == ERROR_FILE_NOT_FOUND)
        return true;
    if (nOpen != ERROR_SUCCESS)
        return false;
    m_strDeletedPath = pszKey;
    m_deletedTree = CSavedTree();
    const bool bSaved = SaveTree(hKey, m_strDeletedPath, m_deletedTree);
    ::RegCloseKey(hKey);
    if (!bSaved || ::RegDeleteTreeW(m_hRoot, pszKey) != ERROR_SUCCESS)
        return false;
    m_bTreeDeleted = true;
    return true;
}

void CSqlFileAssociation::Rollback()
{
    for (auto it = m_savedValues.rbegin(); it != m_savedValues.rend(); ++it)
    {
        HKEY hKey = nullptr;
        if (::RegOpenKeyExW(m_hRoot, it->strKey, 0, KEY_SET_VALUE, &hKey) != ERROR_SUCCESS)
            continue;
        LPCWSTR pszName = it->strName.IsEmpty() ? nullptr : (LPCWSTR)it->strName;
        if (it->bExisted)
            ::RegSetValueExW(hKey, pszName, 0, it->nType,
                             it->data.empty() ? nullptr : it->data.data(), (DWORD)it->data.size());
        else
            ::RegDeleteValueW(hKey, pszName);
        ::RegCloseKey(hKey);
    }
    for (auto it = m_createdKeys.rbegin(); it != m_createdKeys.rend(); ++it)
        ::RegDeleteTreeW(m_hRoot, *it);
    if (m_bTreeDeleted)
        RestoreTree(m_strDeletedPath, m_deletedTree);
}

bool CSqlFileAssociation::Register(const CString& strExePath)
{
    m_savedValues.clear();
    m_createdKeys.clear();
    m_bTreeDeleted = false;
    const CString strCommand = L"\"" + strExePath + L"\" \"%1\"";
    const CString strApp = kAppKey;
    const bool bDone = ReplaceTree(kAppKey) &&
                       WriteText(strApp + L"\\Shell\\Open\\Command", nullptr, strCommand) &&
                       WriteText(strApp + L"\\SupportedTypes", L".sql", L"") &&
                       WriteText(L".sql\\ShellNew", L"NullFile", L"") &&
                       MakeKey(L".sql\\OpenWithProgids\\SQLFile") &&
                       MakeKey(L".sql\\OpenWithList\\Quenlark.exe") &&
                       WriteText(L"SQLFile", nullptr, L"SQL script file") &&
                       WriteText(L"SQLFile\\DefaultIcon", nullptr, strExePath + L",9") &&
                       WriteText(L"SQLFile\\Shell\\Open", nullptr, L"Open with Quenlark") &&
                       WriteText(L"SQLFile\\Shell\\Open\\Command", nullptr, strCommand) &&
                       WriteText(L".sql", L"Content type", L"text/plain") &&
                       WriteText(L".sql", nullptr, L"SQLFile");
    if (!bDone)
        Rollback();
    return bDone;
}

bool RegisterSqlFileAssociation(HKEY hRoot)
{
    wchar_t szPath[MAX_PATH + 1] = {};
    const DWORD nLength = ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return false;
    CSqlFileAssociation association(hRoot);
    if (!association.Register(szPath))
        return false;
    ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return true;
}
