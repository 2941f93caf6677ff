// Window-free rules of the object trees.
#include "browser/tree_rules.h"

#include "resources/resource.h"
#include "services/database_helper.h"

CDBOMenuCaps GetMenuCaps(const CRDatabaseHelper& helper, int nObjectKind)
{
    CDBOMenuCaps caps;
    caps.bTableTriggers = helper.CanShowTableTriggers(nObjectKind);
    caps.bConstraints = helper.CanShowTableConstraints(nObjectKind);
    caps.bRename = helper.CanRenameObject(nObjectKind);
    caps.bSource = helper.CanGetObjectSource(nObjectKind);
    caps.bExplain = helper.CanExplainObject(nObjectKind);
    caps.bErrors = helper.CanShowObjectErrors(nObjectKind);
    return caps;
}

std::vector<UINT> GetRemovedObjectCommands(int nKind, const CDBOMenuCaps& caps)
{
    std::vector<UINT> removed;
    auto removeUnless = [&](bool bKeep, UINT nID) {
        if (!bKeep)
            removed.push_back(nID);
    };
    switch (nKind)
    {
    case DBOBJ_TABLE:
        removeUnless(caps.bTableTriggers, ID_DBO_TRIGGERS);
        removeUnless(caps.bConstraints, ID_DBO_CONSTRAINTS);
        removeUnless(caps.bRename, ID_DBO_RENAME);
        break;
    case DBOBJ_VIEW:
        removeUnless(caps.bSource, ID_DBO_VIEW_TEXT);
        removeUnless(caps.bExplain, ID_DBO_OPEN_PLAN);
        removeUnless(caps.bTableTriggers, ID_DBO_TRIGGERS);
        removeUnless(caps.bRename, ID_DBO_RENAME);
        break;
    default: // procedures, functions, packages, triggers
        removeUnless(caps.bSource, ID_DBO_VIEW_TEXT);
        removeUnless(caps.bErrors, ID_DBO_VIEW_ERRORS);
        removeUnless(caps.bRename, ID_DBO_RENAME);
        break;
    }
    return removed;
}

bool CanDropTreeItem(int nKind, DWORD_PTR dwItemData)
{
    return !(nKind == DBOBJ_TABLE && dwItemData == CRTables::typeSystemTable);
}

CString MakeDropQuestion(int nKind, LPCWSTR pszQuotedName)
{
    LPCWSTR pszPrefix = L"Procedure '";
    switch (nKind)
    {
    case DBOBJ_TABLE: pszPrefix = L"Table '"; break;
    case DBOBJ_VIEW: pszPrefix = L"View '"; break;
    case DBOBJ_PACKAGE: pszPrefix = L"Package '"; break;
    case DBOBJ_TRIGGER: pszPrefix = L"Trigger '"; break;
    default: break;
    }
    CString text = pszPrefix;
    text += pszQuotedName;
    text += L"' will be dropped.\nContinue?";
    return text;
}

bool KeepCatalogRow(bool bMySQLKind, const CRTables::CTableInfo& info, LPCWSTR pszDatabase)
{
    if (!bMySQLKind || info.szTableCat[0] == 0)
        return true;
    return pszDatabase != nullptr && wcscmp(info.szTableCat, pszDatabase) == 0;
}

void FilterCatalogRows(bool bMySQLKind, LPCWSTR pszDatabase,
                       CArray<CRTables::CTableInfo, const CRTables::CTableInfo&>& list)
{
    if (!bMySQLKind)
        return;
    INT_PTR nKept = 0;
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
    {
        if (!KeepCatalogRow(bMySQLKind, list[i], pszDatabase))
            continue;
        if (nKept != i)
            list[nKept] = list[i];
        ++nKept;
    }
    list.SetSize(nKept);
}
