// Window-free rules of the object trees: which menu items a product keeps, the drop question,
// and which catalog rows a tree shows.
#pragma once

#include "framework/core.h"

#include "dbaccess/catalog.h"

#include <vector>

class CRDatabaseHelper;

// What the connected product can do with one kind of object, as the menus ask it.
struct CDBOMenuCaps
{
    bool bTableTriggers = false; // CanShowTableTriggers
    bool bConstraints = false;   // CanShowTableConstraints
    bool bRename = false;        // CanRenameObject
    bool bSource = false;        // CanGetObjectSource
    bool bExplain = false;       // CanExplainObject
    bool bErrors = false;        // CanShowObjectErrors
};

CDBOMenuCaps GetMenuCaps(const CRDatabaseHelper& helper, int nObjectKind);

// The commands deleted from an object's menu (tree: the object kind of the tree's objects;
// nKind: the item's kind). Separators stay.
std::vector<UINT> GetRemovedObjectCommands(int nKind, const CDBOMenuCaps& caps);

// A system table's Drop is greyed in its menu; the Delete key follows the menu.
bool CanDropTreeItem(int nKind, DWORD_PTR dwItemData);

// "Table '<name>' will be dropped.\nContinue?" and its kin for views, procedures (functions
// too), packages and triggers.
CString MakeDropQuestion(int nKind, LPCWSTR pszQuotedName);

// MySQL and MariaDB keep tables by database, which the catalog reads name as a row's catalog
// (and its schema): a row belongs in a tree node of a database only when it has no catalog or its
// catalog is that database, so that another database's same-named table is neither shown nor
// opened in its place. Other products keep every row.
bool KeepCatalogRow(bool bMySQLKind, const CRTables::CTableInfo& info, LPCWSTR pszDatabase);

// Removes the rows KeepCatalogRow refuses.
void FilterCatalogRows(bool bMySQLKind, LPCWSTR pszDatabase,
                       CArray<CRTables::CTableInfo, const CRTables::CTableInfo&>& list);
