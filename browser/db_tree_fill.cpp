// The object trees: full fill and the refresh of one schema node.
#include "browser/db_tree_ctrl.h"

#include "app/app_settings.h"
#include "app/main_frame.h"
#include "browser/system_schemas.h"
#include "browser/tree_rules.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "services/wait_dlg.h"

#include <algorithm>

namespace {

// The schema filter of a full fill: the remembered current schema when "CurSchema" is on.
CString GetFullFillSchema()
{
    CMainFrame* pFrame = GetMainFrame();
    if (pFrame == nullptr || !theSettings.m_bCurSchema)
        return CString();
    return pFrame->GetCurrentSchema();
}

LPCWSTR SchemaArg(const CString& schema)
{
    return schema.IsEmpty() ? nullptr : (LPCWSTR)schema;
}

void RepaintMain()
{
    CWnd* pMain = AfxGetMainWnd();
    if (pMain && pMain->GetSafeHwnd())
        pMain->UpdateWindow();
}

template <class Array, class Less>
void SortArray(Array& list, Less less)
{
    if (list.GetSize() > 1)
        std::sort(list.GetData(), list.GetData() + list.GetSize(), less);
}

// Runs a read; a database or framework exception gets the standard report and answers false.
template <class Read>
bool ReadReporting(Read&& read)
{
    bool bResult = false;
    if (!RunReportingErrors([&] { bResult = read(); }, nullptr, false))
        return false;
    return bResult;
}

} // namespace

// ---- Tables and views ------------------------------------------------------------------------

void CDBTableListTreeCtrl::Clear()
{
    CDBTreeCtrl::Clear();
    m_objects.RemoveAll();
    m_schemas.RemoveAll();
}

void CDBTableListTreeCtrl::GetCachedNames(CStringArray& names) const
{
    for (INT_PTR i = 0; i < m_objects.GetSize(); ++i)
        if (m_objects[i].szTableName[0] != 0)
            names.Add(m_objects[i].szTableName);
}

bool CDBTableListTreeCtrl::ReadList(LPCWSTR pszSchema, CWaitHolder& wait, CTableInfoArray& list)
{
    const bool bSystem = m_nListKind == DBOBJ_TABLE && theSettings.m_bTableDialogSysTables != 0;
    RepaintMain();
    bool bRead = ReadReporting(
        [&] { return m_pHelper->GetTables(&wait, pszSchema, m_nListKind, bSystem, list); });
    RepaintMain();
    if (!bRead)
        return false;
    if (m_pHelper->GetDBMSKind() == DBMS_MYSQL)
    {
        // A database's node lists that database; the whole tree the current one.
        CString database = pszSchema;
        if (database.IsEmpty())
            RunReportingErrors([&] { database = m_pHelper->GetCurrentDatabaseName(); });
        FilterCatalogRows(true, database, list);
    }
    SortArray(list, CRTables::LessBySchemaAndName);
    return true;
}

void CDBTableListTreeCtrl::AddListItem(HTREEITEM hSchema, const CRTables::CTableInfo& info)
{
    if (m_nListKind == DBOBJ_VIEW)
        AddObjectItem(hSchema, info.szTableName, DBOIMG_VIEW, 0);
    else if (info.nTableType == CRTables::typeSystemTable)
        AddObjectItem(hSchema, info.szTableName, DBOIMG_SYSTEM_TABLE, CRTables::typeSystemTable);
    else
        AddObjectItem(hSchema, info.szTableName, DBOIMG_TABLE, (DWORD_PTR)info.nTableType);
}

bool CDBTableListTreeCtrl::BuildTree(CWaitHolder& wait)
{
    m_objects.RemoveAll();
    m_schemas.RemoveAll();
    if (!CanRead())
        return false;
    const CString schema = GetFullFillSchema();
    if (!ReadList(SchemaArg(schema), wait, m_objects))
        return false;
    int nCreated = 0;
    HTREEITEM hLast = nullptr;
    for (INT_PTR i = 0; i < m_objects.GetSize(); ++i)
    {
        OnReadProgress(wait, i);
        bool bAdded = false;
        HTREEITEM hNode = FindOrAddSchemaNode(m_objects[i].szTableSchem, &bAdded);
        if (bAdded)
        {
            m_schemas.Add(m_objects[i].szTableSchem);
            ++nCreated;
            hLast = hNode;
        }
        AddListItem(hNode, m_objects[i]);
    }
    if (nCreated == 1)
        Expand(hLast, TVE_EXPAND);
    m_bFilled = true;
    return true;
}

bool CDBTableListTreeCtrl::MergeSchema(HTREEITEM hSchema, CWaitHolder& wait)
{
    if (!CanRead())
        return false;
    const CString schema = GetSchemaText(hSchema);
    CTableInfoArray list;
    if (!ReadList(SchemaArg(schema), wait, list))
        return false;
    DeleteChildren(hSchema);
    if (schema.IsEmpty())
    {
        m_objects.RemoveAll();
    }
    else
    {
        INT_PTR nKept = 0;
        for (INT_PTR i = 0; i < m_objects.GetSize(); ++i)
        {
            if (schema == m_objects[i].szTableSchem)
                continue;
            if (nKept != i)
                m_objects[nKept] = m_objects[i];
            ++nKept;
        }
        m_objects.SetSize(nKept);
    }
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
    {
        m_objects.Add(list[i]);
        OnReadProgress(wait, i);
        AddListItem(hSchema, list[i]);
    }
    return true;
}

// ---- Procedures --------------------------------------------------------------------------------

void CDBProcsTreeCtrl::Clear()
{
    CDBTreeCtrl::Clear();
    m_procs.RemoveAll();
    m_schemas.RemoveAll();
}

void CDBProcsTreeCtrl::GetCachedNames(CStringArray& names) const
{
    for (INT_PTR i = 0; i < m_procs.GetSize(); ++i)
        if (!m_procs[i].m_strSecond.IsEmpty())
            names.Add(m_procs[i].m_strSecond);
}

void CDBProcsTreeCtrl::ReadInvalid(CWaitHolder& wait, LPCWSTR pszSchema,
                                   std::initializer_list<int> kinds, CDBObjectsArray& invalid)
{
    invalid.RemoveAll();
    for (int nKind : kinds)
    {
        if (!theSettings.m_bMarkInvalidObjects || !m_pHelper->CanShowObjectErrors(nKind))
            continue;
        RepaintMain();
        bool bRead = m_pHelper->GetInvalidObjects(&wait, pszSchema, nKind, invalid);
        RepaintMain();
        if (!bRead)
            invalid.RemoveAll();
    }
}

void CDBProcsTreeCtrl::AddProcItem(HTREEITEM hSchema, const CDBStoredProcInfo& proc, bool bInvalid)
{
    if (proc.m_nType == CDBStoredProcInfo::typeFunction)
        AddObjectItem(hSchema, proc.m_strSecond,
                      bInvalid ? DBOIMG_INVALID_FUNCTION : DBOIMG_FUNCTION, DBOBJ_FUNCTION);
    else
        AddObjectItem(hSchema, proc.m_strSecond,
                      bInvalid ? DBOIMG_INVALID_PROCEDURE : DBOIMG_PROCEDURE, DBOBJ_PROCEDURE);
}

int CDBProcsTreeCtrl::AddPackages(CWaitHolder& wait, LPCWSTR pszSchema, HTREEITEM hInto,
                                  HTREEITEM* phLast)
{
    if (!theSettings.m_bTableDialogPackage || !m_pHelper->IsOracle())
        return 0;
    CDBObjectsArray invalid;
    ReadInvalid(wait, pszSchema, {DBOBJ_PACKAGE}, invalid);
    CDBObjectsArray packages;
    RepaintMain();
    bool bRead = m_pHelper->GetPackages(&wait, pszSchema, packages);
    RepaintMain();
    if (!bRead)
        return 0;
    SortArray(packages, LessByNamePair);
    int nCreated = 0;
    for (INT_PTR i = 0; i < packages.GetSize(); ++i)
    {
        OnReadProgress(wait, i);
        HTREEITEM hNode = hInto;
        if (hNode == nullptr)
        {
            bool bAdded = false;
            hNode = FindOrAddSchemaNode(packages[i].m_strFirst, &bAdded);
            if (bAdded)
            {
                ++nCreated;
                *phLast = hNode;
            }
        }
        const bool bInvalid =
            invalid.GetSize() > 0 && invalid.Find(packages[i].m_strFirst, packages[i].m_strSecond);
        AddObjectItem(hNode, packages[i].m_strSecond,
                      bInvalid ? DBOIMG_INVALID_PACKAGE : DBOIMG_PACKAGE, DBOBJ_PACKAGE);
    }
    return nCreated;
}

bool CDBProcsTreeCtrl::BuildTree(CWaitHolder& wait)
{
    if (!CanRead())
        return false;
    return ReadReporting([&] {
        const CString schema = GetFullFillSchema();
        CDBObjectsArray invalid;
        ReadInvalid(wait, SchemaArg(schema), {DBOBJ_PROCEDURE, DBOBJ_FUNCTION}, invalid);
        m_procs.RemoveAll();
        m_schemas.RemoveAll();
        RepaintMain();
        bool bRead = m_pHelper->GetProcedures(&wait, SchemaArg(schema), m_procs);
        RepaintMain();
        if (bRead && HidesSystemSchemas(*m_pHelper, schema))
            RemoveSystemSchemaObjects(
                m_pHelper->GetDBMSKind(), m_procs,
                [](const CDBStoredProcInfo& proc) { return proc.m_strFirst; });
        int nCreated = 0;
        HTREEITEM hLast = nullptr;
        if (bRead)
        {
            SortArray(m_procs, LessByNamePair);
            for (INT_PTR i = 0; i < m_procs.GetSize(); ++i)
            {
                OnReadProgress(wait, i);
                bool bAdded = false;
                HTREEITEM hNode = FindOrAddSchemaNode(m_procs[i].m_strFirst, &bAdded);
                if (bAdded)
                {
                    m_schemas.Add(m_procs[i].m_strFirst);
                    ++nCreated;
                    hLast = hNode;
                }
                const bool bInvalid = invalid.GetSize() > 0 &&
                                      invalid.Find(m_procs[i].m_strFirst, m_procs[i].m_strSecond);
                AddProcItem(hNode, m_procs[i], bInvalid);
            }
        }
        nCreated += AddPackages(wait, SchemaArg(schema), nullptr, &hLast);
        if (nCreated == 1)
            Expand(hLast, TVE_EXPAND);
        m_bFilled = true;
        return true;
    });
}

bool CDBProcsTreeCtrl::MergeSchema(HTREEITEM hSchema, CWaitHolder& wait)
{
    if (!CanRead())
        return false;
    return ReadReporting([&] {
        const CString schema = GetSchemaText(hSchema);
        CDBObjectsArray invalid;
        ReadInvalid(wait, schema, {DBOBJ_PROCEDURE, DBOBJ_FUNCTION}, invalid);
        CDBStoredProcsArray list;
        RepaintMain();
        bool bRead = m_pHelper->GetProcedures(&wait, schema, list);
        RepaintMain();
        if (bRead)
        {
            DeleteChildren(hSchema);
            INT_PTR nKept = 0;
            for (INT_PTR i = 0; i < m_procs.GetSize(); ++i)
            {
                if (schema.IsEmpty() || schema == m_procs[i].m_strFirst)
                    continue;
                if (nKept != i)
                    m_procs[nKept] = m_procs[i];
                ++nKept;
            }
            m_procs.SetSize(nKept);
            m_procs.Append(list);
            SortArray(list, LessByNamePair);
            for (INT_PTR i = 0; i < list.GetSize(); ++i)
            {
                OnReadProgress(wait, i);
                const bool bInvalid =
                    invalid.GetSize() > 0 && invalid.Find(list[i].m_strFirst, list[i].m_strSecond);
                AddProcItem(hSchema, list[i], bInvalid);
            }
        }
        HTREEITEM hLast = nullptr;
        AddPackages(wait, schema, hSchema, &hLast);
        return true;
    });
}

// ---- Triggers ----------------------------------------------------------------------------------

int CDBTriggersTreeCtrl::AddTriggers(CWaitHolder& wait, LPCWSTR pszSchema, HTREEITEM hInto,
                                     HTREEITEM* phLast)
{
    CDBObjectsArray invalid;
    if (theSettings.m_bMarkInvalidObjects && m_pHelper->CanShowObjectErrors(DBOBJ_TRIGGER))
    {
        RepaintMain();
        if (!m_pHelper->GetInvalidObjects(&wait, pszSchema, DBOBJ_TRIGGER, invalid))
            invalid.RemoveAll();
        RepaintMain();
    }
    CDBObjectsArray triggers;
    RepaintMain();
    bool bRead = m_pHelper->GetTriggers(&wait, pszSchema, triggers);
    RepaintMain();
    if (!bRead)
        return 0;
    SortArray(triggers, LessByNamePair);
    int nCreated = 0;
    for (INT_PTR i = 0; i < triggers.GetSize(); ++i)
    {
        OnReadProgress(wait, i);
        HTREEITEM hNode = hInto;
        if (hNode == nullptr)
        {
            bool bAdded = false;
            hNode = FindOrAddSchemaNode(triggers[i].m_strFirst, &bAdded);
            if (bAdded)
            {
                ++nCreated;
                *phLast = hNode;
            }
        }
        const bool bInvalid =
            invalid.GetSize() > 0 && invalid.Find(triggers[i].m_strFirst, triggers[i].m_strSecond);
        AddObjectItem(hNode, triggers[i].m_strSecond,
                      bInvalid ? DBOIMG_INVALID_TRIGGER : DBOIMG_TRIGGER, DBOBJ_TRIGGER);
    }
    return nCreated;
}

bool CDBTriggersTreeCtrl::BuildTree(CWaitHolder& wait)
{
    if (!CanRead())
        return false;
    return ReadReporting([&] {
        if (m_pHelper->CanListTriggers())
        {
            const CString schema = GetFullFillSchema();
            HTREEITEM hLast = nullptr;
            if (AddTriggers(wait, SchemaArg(schema), nullptr, &hLast) == 1)
                Expand(hLast, TVE_EXPAND);
        }
        m_bFilled = true;
        return true;
    });
}

bool CDBTriggersTreeCtrl::MergeSchema(HTREEITEM hSchema, CWaitHolder& wait)
{
    if (!CanRead())
        return false;
    DeleteChildren(hSchema);
    return ReadReporting([&] {
        if (m_pHelper->CanListTriggers())
        {
            HTREEITEM hLast = nullptr;
            AddTriggers(wait, GetSchemaText(hSchema), hSchema, &hLast);
        }
        return true;
    });
}

// ---- The steps around every builder and merge ---------------------------------------------------

bool CDBTreeCtrl::Fill(CWaitHolder& wait)
{
    // The schema nodes found by their text while the builder places the records (the first root
    // item of a text, as a scan of the root items finds it).
    struct CSchemaIndexScope
    {
        CDBTreeCtrl& tree;
        explicit CSchemaIndexScope(CDBTreeCtrl& t) : tree(t)
        {
            tree.m_schemaNodes.clear();
            for (HTREEITEM h = tree.GetRootItem(); h; h = tree.GetNextSiblingItem(h))
                tree.m_schemaNodes.emplace(std::wstring(tree.GetSchemaText(h)), h);
            tree.m_bSchemaIndex = true;
        }
        ~CSchemaIndexScope()
        {
            tree.m_bSchemaIndex = false;
            tree.m_schemaNodes.clear();
        }
    };
    return RunFillStep(wait, GetStatusTextID(), [&] {
        CSchemaIndexScope index(*this);
        if (BuildTree(wait))
            return true;
        Clear();
        return false;
    });
}

bool CDBTreeCtrl::RefreshSchema(HTREEITEM hSchema, CWaitHolder& wait)
{
    // The node's items go and come again without redrawing: with it, each item deleted from or
    // placed under an expanded node recomputed the tree's scroll range over all its items, a
    // hundred seconds for a schema of ten thousand tables.
    struct CNoRedrawScope
    {
        CDBTreeCtrl& tree;
        explicit CNoRedrawScope(CDBTreeCtrl& t) : tree(t) { tree.SetRedraw(FALSE); }
        ~CNoRedrawScope()
        {
            tree.SetRedraw(TRUE);
            tree.Invalidate();
        }
    };
    return RunFillStep(wait, GetStatusTextID(), [&] {
        CNoRedrawScope noRedraw(*this);
        return MergeSchema(hSchema, wait);
    });
}
