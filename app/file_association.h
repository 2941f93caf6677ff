// Registering ".sql" files with the program under a registry root (HKEY_CLASSES_ROOT for the
// user's shell). Only the program's own keys and values are written: other programs' verbs of
// "SQLFile" stay, only our "Applications\Quenlark.exe" is replaced as a whole, and ".sql" is
// pointed at "SQLFile" last, so a failure never leaves it on a type without a command. A failure
// puts back every value and key the run changed.
#pragma once

#include "framework/ui.h"

#include <vector>

class CSqlFileAssociation
{
public:
    explicit CSqlFileAssociation(HKEY hRoot) : m_hRoot(hRoot) {}
    virtual ~CSqlFileAssociation() = default;

    // Registers the program at strExePath; false at the first failure (after the rollback).
    bool Register(const CString& strExePath);

protected:
    // Every change goes through these two, so a test can make the n-th one fail.
    virtual LONG CreateKey(LPCWSTR pszPath, HKEY* phKey, bool* pbCreated);
    virtual LONG SetText(HKEY hKey, LPCWSTR pszName, const CString& strValue);

private:
    // A value as it was before this run touched it.
    struct CSavedValue
    {
        CString strKey;
        CString strName;
        bool bExisted = false;
        DWORD nType = 0;
        std::vector<BYTE> data;
    };
    // A key with its values and subkeys, kept to rebuild a deleted tree.
    struct CSavedTree
    {
        CString strName;
        std::vector<CSavedValue> values;
        std::vector<CSavedTree> children;
    };

    bool WriteText(LPCWSTR pszKey, LPCWSTR pszName, const CString& strValue);
    bool MakeKey(LPCWSTR pszKey);
    bool ReplaceTree(LPCWSTR pszKey);
    void Rollback();
    bool SaveTree(HKEY hKey, const CString& strPath, CSavedTree& tree);
    void RestoreTree(const CString& strPath, const CSavedTree& tree);

    HKEY m_hRoot;
    std::vector<CSavedValue> m_savedValues; // in the order written
    std::vector<CString> m_createdKeys;     // keys that did not exist before, in creation order
    bool m_bTreeDeleted = false;
    CString m_strDeletedPath;
    CSavedTree m_deletedTree;
};

// The association of the running program under hRoot (HKEY_CLASSES_ROOT for the shell), with
// the shell told about the change.
bool RegisterSqlFileAssociation(HKEY hRoot = HKEY_CLASSES_ROOT);
