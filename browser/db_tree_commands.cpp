// The object trees: context menus and the commands on their items.
#include "browser/db_tree_ctrl.h"

#include "app/main_frame.h"
#include "browser/object_dialogs.h"
#include "browser/rename_dlg.h"
#include "browser/tree_rules.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "services/wait_dlg.h"
#include "util/utility.h"
#include "windows/filter_dlg.h"

// ---- Menus -------------------------------------------------------------------------------------

UINT CDBTreeCtrl::TrackPopupMenu(CMenu& menu, int nPopup, CPoint point)
{
    m_menuPainter.SetMenu(&menu);
    CMenu* pPopup = menu.GetSubMenu(nPopup);
    if (pPopup == nullptr)
        return 0;
    if (s_nTestMenuCommand != 0)
        return std::exchange(s_nTestMenuCommand, 0u);
    ClientToScreen(&point);
    UINT nID =
        (UINT)pPopup->TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, this);
    UpdateWindow();
    return nID;
}

UINT CDBTreeCtrl::TrackPopupMenuById(UINT nMenuID, CPoint point)
{
    CMenu menu;
    if (!menu.LoadMenu(nMenuID))
        return 0;
    return TrackPopupMenu(menu, 0, point);
}

bool CDBTreeCtrl::BuildContextMenu(HTREEITEM, CMenu& menu, int& nPopup)
{
    nPopup = 0;
    return menu.LoadMenu(IDR_DBO_SCHEMA_MENU) != FALSE;
}

void CDBTreeCtrl::ShowContextMenu(HTREEITEM hItem, CPoint point)
{
    CMenu menu;
    int nPopup = 0;
    if (!BuildContextMenu(hItem, menu, nPopup))
        return;
    const UINT nID = TrackPopupMenu(menu, nPopup, point);
    menu.DestroyMenu();
    if (nID != 0)
        DispatchCommand(hItem, nID);
}

namespace {

void RemoveCommands(CMenu& menu, const std::vector<UINT>& ids)
{
    for (UINT nID : ids)
        menu.DeleteMenu(nID, MF_BYCOMMAND);
}

CMainFrame* Frame()
{
    return GetMainFrame();
}

} // namespace

bool CDBTablesTreeCtrl::BuildContextMenu(HTREEITEM hItem, CMenu& menu, int& nPopup)
{
    nPopup = 0;
    if (hItem == nullptr || m_pHelper == nullptr)
        return CDBTreeCtrl::BuildContextMenu(hItem, menu, nPopup);
    if (!IsObjectItem(hItem))
    {
        if (!menu.LoadMenu(IDR_DBO_TABLE_SCHEMA_MENU))
            return false;
        if (!m_pHelper->CanShowTableConstraints(DBOBJ_TABLE))
            menu.DeleteMenu(ID_DBO_SCHEMA_CONSTRAINTS, MF_BYCOMMAND);
        return true;
    }
    if (!menu.LoadMenu(IDR_DBO_TABLE_MENU))
        return false;
    if (!CanDropTreeItem(DBOBJ_TABLE, GetItemData(hItem)))
        menu.EnableMenuItem(ID_DBO_DROP, MF_BYCOMMAND | MF_GRAYED);
    RemoveCommands(menu,
                   GetRemovedObjectCommands(DBOBJ_TABLE, GetMenuCaps(*m_pHelper, DBOBJ_TABLE)));
    return true;
}

bool CDBViewsTreeCtrl::BuildContextMenu(HTREEITEM hItem, CMenu& menu, int& nPopup)
{
    nPopup = 0;
    if (hItem == nullptr || m_pHelper == nullptr)
        return CDBTreeCtrl::BuildContextMenu(hItem, menu, nPopup);
    if (!IsObjectItem(hItem))
        return menu.LoadMenu(IDR_DBO_VIEW_SCHEMA_MENU) != FALSE;
    if (!menu.LoadMenu(IDR_DBO_VIEW_MENU))
        return false;
    RemoveCommands(menu, GetRemovedObjectCommands(DBOBJ_VIEW, GetMenuCaps(*m_pHelper, DBOBJ_VIEW)));
    return true;
}

bool CDBProcsTreeCtrl::BuildContextMenu(HTREEITEM hItem, CMenu& menu, int& nPopup)
{
    nPopup = 0;
    if (!IsObjectItem(hItem) || m_pHelper == nullptr)
        return CDBTreeCtrl::BuildContextMenu(hItem, menu, nPopup);
    if (!menu.LoadMenu(IDR_DBO_PROC_MENU))
        return false;
    const int nKind = GetObjectKind(hItem);
    nPopup = nKind == DBOBJ_PACKAGE ? 1 : 0;
    CMenu* pPopup = menu.GetSubMenu(nPopup);
    if (pPopup != nullptr)
        RemoveCommands(*pPopup, GetRemovedObjectCommands(nKind, GetMenuCaps(*m_pHelper, nKind)));
    return true;
}

bool CDBTriggersTreeCtrl::BuildContextMenu(HTREEITEM hItem, CMenu& menu, int& nPopup)
{
    nPopup = 0;
    if (!IsObjectItem(hItem) || m_pHelper == nullptr)
        return CDBTreeCtrl::BuildContextMenu(hItem, menu, nPopup);
    if (!menu.LoadMenu(IDR_DBO_TRIGGER_MENU))
        return false;
    RemoveCommands(menu,
                   GetRemovedObjectCommands(DBOBJ_TRIGGER, GetMenuCaps(*m_pHelper, DBOBJ_TRIGGER)));
    return true;
}

// ---- Dispatch ----------------------------------------------------------------------------------

void CDBTablesTreeCtrl::DispatchCommand(HTREEITEM hItem, UINT nCommand)
{
    if (!IsObjectItem(hItem))
    {
        if (hItem != nullptr && nCommand == ID_DBO_SAVE_DATA)
            SaveData(hItem);
        else if (hItem != nullptr && nCommand == ID_DBO_SCHEMA_CONSTRAINTS)
            ShowConstraintsDialog(m_pHelper, CStringPair(GetSchemaText(hItem), CString()), nullptr);
        else
            OnSchemaCommand(hItem, nCommand);
        return;
    }
    const CStringPair name = GetObjectName(hItem);
    switch (nCommand)
    {
    case ID_QUERY_TABLE_INFO: ShowProperties(name, DBOBJ_TABLE, DBOPAGE_COLUMNS); break;
    case ID_DBO_INDEXES: ShowProperties(name, DBOBJ_TABLE, DBOPAGE_INDEXES); break;
    case ID_DBO_CONSTRAINTS: ShowProperties(name, DBOBJ_TABLE, DBOPAGE_CONSTRAINTS); break;
    case ID_DBO_TRIGGERS: ShowProperties(name, DBOBJ_TABLE, DBOPAGE_TRIGGERS); break;
    case ID_DBO_OPEN: Open(hItem, 1); break;
    case ID_DBO_OPEN_FILTER: OpenWithFilter(hItem, 0, true); break;
    case ID_DBO_COPY_NAME: CopyName(hItem); break;
    case ID_DBO_RENAME: RenameObject(hItem, DBOBJ_TABLE); break;
    case ID_DBO_DROP: Drop(hItem); break;
    case ID_DBO_SAVE_DATA: SaveData(hItem); break;
    default: break;
    }
}

void CDBViewsTreeCtrl::DispatchCommand(HTREEITEM hItem, UINT nCommand)
{
    if (!IsObjectItem(hItem))
    {
        if (hItem != nullptr && nCommand == ID_DBO_SAVE_DATA)
            SaveData(hItem);
        else
            OnSchemaCommand(hItem, nCommand);
        return;
    }
    const CStringPair name = GetObjectName(hItem);
    switch (nCommand)
    {
    case ID_QUERY_TABLE_INFO: ShowProperties(name, DBOBJ_VIEW, DBOPAGE_COLUMNS); break;
    case ID_DBO_TRIGGERS: ShowProperties(name, DBOBJ_VIEW, DBOPAGE_TRIGGERS); break;
    case ID_DBO_OPEN: Open(hItem, 1); break;
    case ID_DBO_OPEN_FILTER: OpenWithFilter(hItem, 0, true); break;
    case ID_DBO_OPEN_PLAN: OpenExecutionPlan(hItem); break;
    case ID_DBO_VIEW_TEXT: OpenSourceInSQLWindow(name, DBOBJ_VIEW); break;
    case ID_DBO_COPY_NAME: CopyName(hItem); break;
    case ID_DBO_RENAME: RenameObject(hItem, DBOBJ_VIEW); break;
    case ID_DBO_DROP: Drop(hItem); break;
    case ID_DBO_SAVE_DATA: SaveData(hItem); break;
    default: break;
    }
}

void CDBProcsTreeCtrl::DispatchCommand(HTREEITEM hItem, UINT nCommand)
{
    if (!IsObjectItem(hItem))
    {
        OnSchemaCommand(hItem, nCommand);
        return;
    }
    const int nKind = GetObjectKind(hItem);
    const CStringPair name = GetObjectName(hItem);
    switch (nCommand)
    {
    case ID_QUERY_TABLE_INFO: ShowProperties(name, nKind, DBOPAGE_PARAMETERS); break;
    case ID_DBO_VIEW_ERRORS: ShowProperties(name, nKind, DBOPAGE_ERRORS); break;
    case ID_DBO_OPEN:
    case ID_DBO_EXECUTE: Open(hItem, 1); break;
    case ID_DBO_VIEW_TEXT: ViewText(hItem); break;
    case ID_DBO_COPY_NAME: CopyName(hItem); break;
    case ID_DBO_RENAME: RenameObject(hItem, nKind); break;
    case ID_DBO_DROP: Drop(hItem); break;
    default: break;
    }
}

void CDBTriggersTreeCtrl::DispatchCommand(HTREEITEM hItem, UINT nCommand)
{
    if (!IsObjectItem(hItem))
    {
        OnSchemaCommand(hItem, nCommand);
        return;
    }
    switch (nCommand)
    {
    case ID_DBO_VIEW_ERRORS:
        ShowProperties(GetObjectName(hItem), DBOBJ_TRIGGER, DBOPAGE_ERRORS);
        break;
    case ID_DBO_VIEW_TEXT: ViewText(hItem); break;
    case ID_DBO_COPY_NAME: CopyName(hItem); break;
    case ID_DBO_RENAME: RenameObject(hItem, DBOBJ_TRIGGER); break;
    case ID_DBO_DROP: Drop(hItem); break;
    default: break;
    }
}

// ---- Operations --------------------------------------------------------------------------------

void CDBTreeCtrl::OnSchemaCommand(HTREEITEM hItem, UINT nCommand)
{
    if (nCommand != ID_DBO_REFRESH)
        return;
    ShowLoading(true);
    {
        CWaitHolder wait;
        if (hItem == nullptr)
        {
            Clear();
            Fill(wait);
        }
        else
        {
            RefreshSchema(hItem, wait);
        }
    }
    ShowLoading(false);
}

void CDBTreeCtrl::ShowProperties(const CStringPair& name, int nKind, int nPage)
{
    ShowDBObjectProperties(m_pHelper, name, nKind, nPage, this);
}

void CDBTreeCtrl::Drop(HTREEITEM hItem)
{
    if (!IsObjectItem(hItem) || m_pHelper == nullptr)
        return;
    const int nKind = GetObjectKind(hItem);
    const CString question = MakeDropQuestion(nKind, GetQuotedName(hItem));
    if (AfxMessageBox(question, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
        return;
    const CStringPair name = GetObjectName(hItem);
    bool bDropped = false;
    RunReportingErrors(
        [&] {
            CWaitCursor wait;
            bDropped = m_pHelper->DropObject(nKind, name);
        },
        nullptr, false);
    if (bDropped)
        DeleteItem(hItem);
}

void CDBTreeCtrl::CopyName(HTREEITEM hItem)
{
    if (!IsObjectItem(hItem))
        return;
    CopyTextToClipboard(this, GetQuotedName(hItem));
}

void CDBTreeCtrl::RenameObject(HTREEITEM hItem, int nKind)
{
    if (!IsObjectItem(hItem) || m_pHelper == nullptr)
        return;
    CStringPair name = GetObjectName(hItem);
    CRenameDBObjDlg dlg(nKind, &name, nullptr, nullptr);
    if (dlg.DoModal() != IDOK)
        return;
    const CString newName = dlg.GetNewName();
    bool bRenamed = false;
    RunReportingErrors(
        [&] {
            CWaitCursor wait;
            bRenamed = m_pHelper->RenameObject(nKind, name, newName);
        },
        nullptr, false);
    if (bRenamed)
        SetItemText(hItem, newName);
}

void CDBTreeCtrl::ViewText(HTREEITEM hItem)
{
    if (IsObjectItem(hItem))
        OpenSourceInSQLWindow(GetObjectName(hItem), (int)GetItemData(hItem));
}

void CDBTreeCtrl::OpenSourceInSQLWindow(const CStringPair& name, int nKind)
{
    if (m_pHelper == nullptr)
        return;
    CString text;
    bool bRead = false, bTold = false;
    {
        CWaitCursor wait;
        bRead = m_pHelper->GetObjectSource(name, nKind, text, &bTold);
    }
    if (!bRead)
    {
        if (!bTold)
            AfxMessageBox(L"Failed to retrieve source", MB_ICONERROR);
        return;
    }
    const CString title = FormatObjectName(name, &m_pHelper->GetCatalogDatabase(), true) + L" text";
    if (CMainFrame* pFrame = Frame())
        pFrame->OpenSQLWindow(nullptr, 0, text, title);
}

// ---- Tables and views --------------------------------------------------------------------------

void CDBTableListTreeCtrl::Open(HTREEITEM hItem, int nMode)
{
    OpenWithFilter(hItem, nMode, false);
}

void CDBTableListTreeCtrl::OpenWithFilter(HTREEITEM hItem, int nMode, bool bFilter)
{
    if (!IsObjectItem(hItem) || m_pHelper == nullptr)
        return;
    const CStringPair name = GetObjectName(hItem);
    UINT nType = m_nListKind == DBOBJ_VIEW ? 2 : 1;
    if (m_nListKind == DBOBJ_TABLE && GetItemData(hItem) == CRTables::typeSystemTable)
        nType = 6;
    CFilterArray filter;
    if (bFilter)
    {
        bool bOK = false;
        RunReportingErrors(
            [&] {
                CFilterDlg dlg(m_pHelper, name, m_nListKind, filter, Frame());
                if (dlg.DoModal() == IDOK)
                {
                    filter = dlg.GetFilter();
                    bOK = true;
                }
            },
            nullptr, false);
        if (!bOK)
            return;
    }
    if (CMainFrame* pFrame = Frame())
        pFrame->OpenDBObject(name, &filter, nType, nMode == 1, GetQuotedName(hItem));
}

void CDBTableListTreeCtrl::SaveData(HTREEITEM hItem)
{
    if (!IsObjectItem(hItem))
    {
        ReadSchemaTables(hItem ? GetSchemaText(hItem) : CString(), m_nListKind);
        return;
    }
    if (m_pHelper != nullptr)
        m_pHelper->SaveTableData(GetObjectName(hItem), m_nListKind, Frame());
}

void CDBTableListTreeCtrl::ReadSchemaTables(LPCWSTR pszSchema, int nKind)
{
    if (m_pHelper == nullptr)
        return;
    CDBObjectsArray objects;
    bool bRead = RunReportingErrors(
        [&] {
            CWaitCursor wait;
            CTableInfoArray list;
            CRTables reader(&m_pHelper->GetCatalogDatabase(),
                            nKind == DBOBJ_VIEW ? CRTables::typeView : CRTables::typeTable,
                            pszSchema != nullptr && *pszSchema ? pszSchema : nullptr);
            reader.ReadAll(list);
            if (m_pHelper->GetDBMSKind() == DBMS_MYSQL)
                FilterCatalogRows(true,
                                  pszSchema != nullptr && *pszSchema
                                      ? CString(pszSchema)
                                      : m_pHelper->GetCurrentDatabaseName(),
                                  list);
            for (INT_PTR i = 0; i < list.GetSize(); ++i)
                objects.Add(CIndexedDBObject(list[i].szTableSchem, list[i].szTableName, -1));
        },
        nullptr, false);
    if (bRead)
        RunReportingErrors([&] { m_pHelper->SaveTablesData(objects, nKind, Frame()); }, nullptr,
                           false);
}

// ---- Procedures and triggers -------------------------------------------------------------------

void CDBProcsTreeCtrl::Open(HTREEITEM hItem, int)
{
    if (!IsObjectItem(hItem))
        return;
    const int nKind = GetObjectKind(hItem);
    if (nKind == DBOBJ_PACKAGE)
        ViewText(hItem);
    else if (CMainFrame* pFrame = Frame())
        pFrame->CallStoredProcedure(GetObjectName(hItem));
}

void CDBTriggersTreeCtrl::Open(HTREEITEM hItem, int)
{
    ViewText(hItem);
}

void CDBViewsTreeCtrl::OpenExecutionPlan(HTREEITEM hItem)
{
    if (!IsObjectItem(hItem))
        return;
    const CString quoted = GetQuotedName(hItem);
    if (CMainFrame* pFrame = Frame())
        pFrame->ShowExecutionPlan(L"SELECT * FROM " + quoted, quoted);
}

// ---- Kinds, status texts, constructors -----------------------------------------------------------

IMPLEMENT_DYNAMIC(CDBTablesTreeCtrl, CDBTreeCtrl)
IMPLEMENT_DYNAMIC(CDBViewsTreeCtrl, CDBTreeCtrl)
IMPLEMENT_DYNAMIC(CDBProcsTreeCtrl, CDBTreeCtrl)
IMPLEMENT_DYNAMIC(CDBTriggersTreeCtrl, CDBTreeCtrl)

CDBTablesTreeCtrl::CDBTablesTreeCtrl(CTreeCtrl* pLoadingTree)
    : CDBTableListTreeCtrl(pLoadingTree, DBOBJ_TABLE)
{}
CDBViewsTreeCtrl::CDBViewsTreeCtrl(CTreeCtrl* pLoadingTree)
    : CDBTableListTreeCtrl(pLoadingTree, DBOBJ_VIEW)
{}
CDBProcsTreeCtrl::CDBProcsTreeCtrl(CTreeCtrl* pLoadingTree) : CDBTreeCtrl(pLoadingTree) {}
CDBTriggersTreeCtrl::CDBTriggersTreeCtrl(CTreeCtrl* pLoadingTree) : CDBTreeCtrl(pLoadingTree) {}

int CDBTablesTreeCtrl::GetObjectKind(HTREEITEM) const
{
    return DBOBJ_TABLE;
}
int CDBViewsTreeCtrl::GetObjectKind(HTREEITEM) const
{
    return DBOBJ_VIEW;
}
int CDBProcsTreeCtrl::GetObjectKind(HTREEITEM hItem) const
{
    return hItem ? (int)GetItemData(hItem) : 0;
}
int CDBTriggersTreeCtrl::GetObjectKind(HTREEITEM) const
{
    return DBOBJ_TRIGGER;
}

UINT CDBTablesTreeCtrl::GetStatusTextID() const
{
    return IDS_READING_TABLES;
}
UINT CDBViewsTreeCtrl::GetStatusTextID() const
{
    return IDS_READING_VIEWS;
}
UINT CDBProcsTreeCtrl::GetStatusTextID() const
{
    return IDS_READING_PROCEDURES;
}
UINT CDBTriggersTreeCtrl::GetStatusTextID() const
{
    return IDS_READING_TRIGGERS;
}
