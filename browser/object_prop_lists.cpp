// The five object property lists: columns, parameters, constraints, triggers and indexes.
#include "browser/object_prop.h"

#include "browser/object_prop_text.h"
#include "browser/system_schemas.h"
#include "controls/header_fit.h"
#include "controls/icon_strip.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "services/wait_dlg.h"
#include "windows/script_dialogs.h"

#include <map>

namespace {

CString NumberText(int nValue)
{
    CString text;
    if (nValue >= 0)
        text.Format(L"%d", nValue);
    return text;
}

void LoadIcons(CImageList& images, std::initializer_list<UINT> icons)
{
    const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
    if (images.GetSafeHandle() == nullptr &&
        !images.Create(cx, cy, ILC_COLOR32 | ILC_MASK, (int)icons.size(), 1))
        return;
    if (images.GetImageCount() > 0)
        return;
    AddIconResources(images.m_hImageList, AfxGetResourceHandle(), icons);
}

CRDatabase* CatalogDB(CRDatabaseHelper* pHelper)
{
    return pHelper ? &pHelper->GetCatalogDatabase() : nullptr;
}

LPCWSTR SchemaOrNull(const CString& schema)
{
    return schema.IsEmpty() ? nullptr : (LPCWSTR)schema;
}

} // namespace

// ---- Columns -----------------------------------------------------------------------------------

CTableProp::CTableProp(CRDatabaseHelper* pHelper, const CStringPair& name, int nKind,
                       UINT bPrimaryKeys, UINT bForeignKeys)
    : CDBObjProp(pHelper, name, nKind), m_bPrimaryKeys(bPrimaryKeys), m_bForeignKeys(bForeignKeys)
{}

void CTableProp::InitColumns()
{
    AddStandardStyle();
    const bool bAccess = m_pHelper && m_pHelper->GetDBMSKind() == DBMS_ACCESS;
    if (m_bPrimaryKeys && !(m_pHelper && m_pHelper->SupportsPrimaryKeys()))
        m_bPrimaryKeys = 0;
    if (m_bForeignKeys && !(m_pHelper && m_pHelper->SupportsForeignKeys()))
        m_bForeignKeys = 0;
    m_nName = AddColumn(L"Name", 170);
    m_nType = AddColumn(L"Type", 80);
    m_nSize = AddColumn(L"Size", 80);
    m_nDigits = AddColumn(L"Decimal digits", 80);
    if (!bAccess)
        m_nNullable = AddColumn(L"Nullable", 50);
    m_nBufferLength = AddColumn(L"Buffer length", 80);
    if (m_bPrimaryKeys)
        m_nPrimaryKey = AddColumn(L"Primary key", 100);
    if (m_bForeignKeys)
    {
        m_nForeignKey = AddColumn(L"Foreign key", 100);
        m_nForeignKeyField = AddColumn(L"Foreign key field", 200);
    }
    if (m_nKind == DBOBJ_TABLE)
        m_nDefault = AddColumn(L"Default", 100);
    m_nRemarks = AddColumn(L"Remarks", 100);
    if (m_bPrimaryKeys || m_bForeignKeys)
    {
        LoadIcons(m_images, {IDI_PRIMARY_KEY, IDI_FOREIGN_KEY, IDI_PRIMARY_FOREIGN_KEY});
        SetImageList(&m_images, LVSIL_SMALL);
    }
}

bool CTableProp::Fill(CWaitDlg*)
{
    CWaitCursor wait;
    DeleteAllItems();
    CPrimaryKeyArray keys;
    CForeignKeyArray foreign;
    if (m_bPrimaryKeys)
        if (!RunReportingErrors([&] { m_pHelper->GetPrimaryKeys(m_name, &keys); }, nullptr, false))
            keys.RemoveAll();
    if (m_bForeignKeys)
        if (!RunReportingErrors([&] { m_pHelper->GetForeignKeysNow(m_name, &foreign); }, nullptr,
                                false))
            foreign.RemoveAll();
    bool bResult = RunReportingErrors(
        [&] {
            m_pHelper->GetColumnsNow(m_name, &m_columns);
            for (INT_PTR i = 0; i < m_columns.GetSize(); ++i)
            {
                const CRColumns::CColumnInfo& col = m_columns[i];
                const int nRow = InsertItem((int)i, col.szColumnName);
                SetItemText(nRow, m_nType, col.szTypeName);
                SetItemText(nRow, m_nSize, NumberText(col.nColumnSize));
                SetItemText(nRow, m_nDigits, NumberText(col.nDecimalDigits));
                SetItemText(nRow, m_nBufferLength, NumberText(col.nBufferLength));
                if (m_nDefault >= 0)
                    SetItemText(nRow, m_nDefault, col.szColumnDef);
                SetItemText(nRow, m_nRemarks, col.szRemarks);
                SetItemData(nRow, (DWORD_PTR)i);
                if (m_nNullable >= 0)
                    SetItemText(nRow, m_nNullable, col.szIsNullable);
                bool bPrimary = false, bForeign = false;
                for (INT_PTR k = 0; k < keys.GetSize(); ++k)
                {
                    if (wcscmp(keys[k].szColumnName, col.szColumnName) == 0)
                    {
                        SetItemText(nRow, m_nPrimaryKey, keys[k].szPkName);
                        bPrimary = true;
                        break;
                    }
                }
                CString fkNames, fkFields;
                for (INT_PTR k = 0; k < foreign.GetSize(); ++k)
                {
                    if (wcscmp(foreign[k].szFkColumnName, col.szColumnName) != 0)
                        continue;
                    if (bForeign)
                    {
                        fkNames += L"; ";
                        fkFields += L"; ";
                    }
                    fkNames += foreign[k].szFkName;
                    fkFields += FormatForeignKeyReference(foreign[k].szPkTableSchem,
                                                          foreign[k].szPkTableName,
                                                          foreign[k].szPkColumnName);
                    bForeign = true;
                }
                if (m_nForeignKey >= 0)
                {
                    SetItemText(nRow, m_nForeignKey, fkNames);
                    SetItemText(nRow, m_nForeignKeyField, fkFields);
                }
                if (m_bPrimaryKeys || m_bForeignKeys)
                {
                    const int nImage = bPrimary && bForeign ? 2 : bPrimary ? 0 : bForeign ? 1 : -1;
                    SetItem(nRow, 0, LVIF_IMAGE, nullptr, nImage, 0, 0, 0);
                }
            }
        },
        nullptr, false);
    if (bResult)
    {
        AutoSizeColumns();
        if (GetItemCount() > 0)
            SelectItem(0);
    }
    return bResult;
}

CString CTableProp::GetCopyPart(int nRow, UINT nFlags)
{
    return FormatColumnCopyPart(GetItemText(nRow, m_nName), GetItemText(nRow, m_nType),
                                GetItemText(nRow, m_nSize), GetItemText(nRow, m_nDigits),
                                (nFlags & copyTypes) != 0);
}

bool CTableProp::RenameColumn()
{
    const int nRow = GetSelectedItem();
    if (nRow < 0 || !m_pHelper->CanRenameColumn())
        return false;
    const CString column = GetItemText(nRow, m_nName);
    CString newName;
    if (!RunRename(
            0, m_name, column,
            [&](const CString& name) { return m_pHelper->RenameColumn(m_name, column, name); },
            newName))
        return false;
    SetRenamedRow(nRow, m_nName, newName);
    const INT_PTR nRecord = (INT_PTR)GetItemData(nRow);
    if (nRecord >= 0 && nRecord < m_columns.GetSize())
        wcsncpy_s(m_columns[nRecord].szColumnName, newName, _TRUNCATE);
    return true;
}

bool CTableProp::DropColumns()
{
    const std::vector<int> rows = GetSelectedRows();
    if (rows.empty())
        return false;
    std::vector<CString> names;
    for (int nRow : rows)
        names.push_back(GetItemText(nRow, m_nName));
    const std::vector<int> dropped = RunDrop(
        rows, MakeListDropQuestion(L"Column", L"Columns", names),
        CWaitDlg::flagCancel | CWaitDlg::flagNoMarquee, L"Dropping columns...",
        [&](int nRow) { return GetItemText(nRow, m_nName); },
        [&](int nRow) { m_pHelper->DropColumn(m_name, GetItemText(nRow, m_nName)); });
    DeleteRows(dropped);
    return !dropped.empty();
}

// ---- Parameters --------------------------------------------------------------------------------

CProcedureProp::CProcedureProp(CRDatabaseHelper* pHelper, const CStringPair& name)
    : CDBObjProp(pHelper, name, DBOBJ_PROCEDURE)
{}

void CProcedureProp::InitColumns()
{
    AddStandardStyle();
    m_nName = AddColumn(L"Name", 170);
    m_nSQLType = AddColumn(L"SQL Type", 80);
    m_nIOType = AddColumn(L"IO Type", 80);
    m_nSize = AddColumn(L"Size", 80);
    m_nDigits = AddColumn(L"Decimal digits", 80);
    if (!(m_pHelper && m_pHelper->GetDBMSKind() == DBMS_ACCESS))
        m_nNullable = AddColumn(L"Nullable", 50);
    m_nBufferLength = AddColumn(L"Buffer length", 80);
    m_nRemarks = AddColumn(L"Remarks", 100);
}

bool CProcedureProp::Fill(CWaitDlg*)
{
    DeleteAllItems();
    bool bResult = RunReportingErrors(
        [&] {
            CRProcedureColumns reader(CatalogDB(m_pHelper), SchemaOrNull(m_name.m_strFirst),
                                      m_name.m_strSecond, nullptr);
            CRProcedureColumns::CProcedureColumnInfo info;
            while (reader.Fetch(&info))
            {
                const int nRow = InsertItem(GetItemCount(), info.szColumnName);
                SetItemText(nRow, m_nIOType, GetParamIOTypeText(info.nColumnType));
                SetItemText(nRow, m_nSQLType, info.szTypeName);
                SetItemText(nRow, m_nSize, NumberText(info.nColumnSize));
                SetItemText(nRow, m_nBufferLength, NumberText(info.nBufferLength));
                SetItemText(nRow, m_nDigits, NumberText(info.nDecimalDigits));
                SetItemText(nRow, m_nRemarks, info.szRemarks);
                if (m_nNullable >= 0)
                    SetItemText(nRow, m_nNullable, info.nNullable == 1 ? L"Yes" : L"No");
            }
        },
        nullptr, false);
    if (bResult)
    {
        AutoSizeColumns();
        if (GetItemCount() > 0)
            SelectItem(0);
    }
    return bResult;
}

CString CProcedureProp::GetCopyPart(int nRow, UINT nFlags)
{
    CString text = GetItemText(nRow, m_nName);
    if (nFlags & copyTypes)
        text += L" " + GetItemText(nRow, m_nIOType) + L" " + GetItemText(nRow, m_nSQLType);
    return text;
}

// ---- Constraints -------------------------------------------------------------------------------

CConstraintProp::CConstraintProp(CRDatabaseHelper* pHelper, const CStringPair& name)
    : CDBObjProp(pHelper, name, DBOBJ_PROCEDURE)
{}

void CConstraintProp::InitColumns()
{
    AddStandardStyle();
    const int w = GetUsableWidth();
    const int nParts = m_name.m_strSecond.IsEmpty() ? 600 : 450;
    m_nName = AddColumn(L"Name", w * 150 / nParts);
    m_nType = AddColumn(L"Type", w * 100 / nParts);
    m_nTable = AddColumn(L"Table", w * 150 / nParts);
    m_nText = AddColumn(L"Text", w * 200 / nParts);
    LoadIcons(m_images, {IDI_SUPPORTED, IDI_PRIMARY_KEY, IDI_FOREIGN_KEY, IDI_DBO_UNIQUE});
    SetImageList(&m_images, LVSIL_SMALL);
}

bool CConstraintProp::Fill(CWaitDlg* pWait)
{
    DeleteAllItems();
    if (m_pHelper == nullptr || !m_pHelper->GetTableConstraints(m_constraints, m_name, pWait))
        return false;
    // A list over all schemas: the constraints of the server's own catalog tables are no more
    // shown than those tables are.
    if (HidesSystemSchemas(*m_pHelper, m_name.m_strFirst))
        RemoveSystemSchemaObjects(
            m_pHelper->GetDBMSKind(), m_constraints,
            [](const CDBConstraintInfo& constraint) { return constraint.m_strTableSchema; });
    static const UINT kTypeIDs[] = {IDS_CONSTRAINT_CHECK, IDS_CONSTRAINT_PRIMARY_KEY,
                                    IDS_CONSTRAINT_FOREIGN_KEY, IDS_CONSTRAINT_UNIQUE};
    // The rows go in, are sorted and measured without redrawing: with it every insertion
    // recomputed and repainted the list, seconds for a whole database's constraints. The wait
    // dialog keeps painting meanwhile.
    SetRedraw(FALSE);
    for (INT_PTR i = 0; i < m_constraints.GetSize(); ++i)
    {
        if (pWait != nullptr && i > 0 && i % 100 == 0)
            pWait->PumpMessages();
        const CDBConstraintInfo& c = m_constraints[i];
        const int nRow = InsertItem((int)i, c.m_strName, c.m_nType - 1);
        if (c.m_nType >= 1 && c.m_nType <= 4)
            SetItemText(nRow, m_nType, CString(MAKEINTRESOURCEW(kTypeIDs[c.m_nType - 1])));
        SetItemText(nRow, m_nTable, MakeObjectName(c.GetTable(), true));
        SetItemText(nRow, m_nText, c.m_strText);
        SetItemData(nRow, (DWORD_PTR)i);
    }
    m_nSortColumn = m_nName;
    m_bAscending = 1;
    SetSortArrow(m_nName, HDF_SORTUP);
    Sort();
    // Measuring a column reads every row: the wait dialog paints between the columns.
    for (int nColumn : {m_nName, m_nType, m_nTable, m_nText})
    {
        if (pWait != nullptr)
            pWait->PumpMessages();
        AutoSizeColumn(nColumn);
    }
    SetRedraw(TRUE);
    Invalidate();
    if (GetItemCount() > 0)
        SelectItem(0);
    return true;
}

int CConstraintProp::CompareRecords(const CDBConstraintInfo& a, const CDBConstraintInfo& b,
                                    int nColumn)
{
    switch (nColumn)
    {
    case 0: return _wcsicmp(a.m_strName, b.m_strName);
    case 1: return a.m_nType - b.m_nType;
    case 2: return _wcsicmp(MakeObjectName(a.GetTable(), true), MakeObjectName(b.GetTable(), true));
    case 3: return _wcsicmp(a.m_strText, b.m_strText);
    default: return 0;
    }
}

namespace {
struct CConstraintSortContext
{
    const CDBConstraintInfoArray* pList;
    int nColumn;
    bool bAscending;
};

int CALLBACK CompareConstraintRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const auto* pContext = reinterpret_cast<const CConstraintSortContext*>(lParamSort);
    const INT_PTR nSize = pContext->pList->GetSize();
    if (lParam1 < 0 || lParam1 >= nSize || lParam2 < 0 || lParam2 >= nSize)
        return 0;
    const int nResult = CConstraintProp::CompareRecords(
        pContext->pList->GetAt(lParam1), pContext->pList->GetAt(lParam2), pContext->nColumn);
    return pContext->bAscending ? nResult : -nResult;
}
} // namespace

void CConstraintProp::Sort()
{
    CConstraintSortContext context = {&m_constraints, m_nSortColumn, m_bAscending != 0};
    SortItems(CompareConstraintRows, (DWORD_PTR)&context);
}

void CConstraintProp::OnColumnClick(int nColumn)
{
    if (nColumn != m_nSortColumn)
    {
        SetSortArrow(m_nSortColumn, 0);
        m_nSortColumn = nColumn;
        m_bAscending = 1;
    }
    else
    {
        m_bAscending = !m_bAscending;
    }
    CWaitCursor wait;
    Sort();
    SetSortArrow(m_nSortColumn, m_bAscending ? HDF_SORTUP : HDF_SORTDOWN);
    const int nSelected = GetSelectedItem();
    if (nSelected >= 0)
        EnsureVisible(nSelected, FALSE);
}

CString CConstraintProp::GetExportItemText(int nRow, int nColumn)
{
    const INT_PTR nRecord = (INT_PTR)GetItemData(nRow);
    if (nColumn == m_nText && nRecord >= 0 && nRecord < m_constraints.GetSize())
        return m_constraints[nRecord].m_strText;
    return CDBObjProp::GetExportItemText(nRow, nColumn);
}

void CConstraintProp::ShowText()
{
    const INT_PTR nRecord = GetSelectedRecord(m_constraints.GetSize());
    if (nRecord < 0)
        return;
    const CDBConstraintInfo& c = m_constraints[nRecord];
    CShowSQLDlg dlg(FormatObjectName(c.GetName(), CatalogDB(m_pHelper), true) + L" text",
                    GetParent());
    dlg.m_strSQL = c.m_strText;
    dlg.DoModal();
}

bool CConstraintProp::RenameConstraint()
{
    const INT_PTR nRecord = GetSelectedRecord(m_constraints.GetSize());
    if (nRecord < 0 || !m_pHelper->CanRenameObject(DBOBJ_CONSTRAINT))
        return false;
    CString newName;
    if (!RunRename(
            DBOBJ_CONSTRAINT, m_constraints[nRecord].GetName(), nullptr,
            [&](const CString& name) {
                return m_pHelper->RenameConstraint(m_constraints[nRecord], name);
            },
            newName))
        return false;
    SetRenamedRow(GetSelectedItem(), m_nName, newName);
    m_constraints[nRecord].m_strName = newName;
    return true;
}

bool CConstraintProp::DropConstraints()
{
    const std::vector<int> rows = GetSelectedRows();
    if (rows.empty())
        return false;
    auto record = [&](int nRow) -> const CDBConstraintInfo& {
        return m_constraints[(INT_PTR)GetItemData(nRow)];
    };
    CSQLNameQuoter quoter(CatalogDB(m_pHelper));
    CString names;
    for (size_t i = 0; i < rows.size(); ++i)
    {
        if (i > 0)
            names += L", ";
        names += quoter.FormatObjectName(record(rows[i]).GetName(), true);
    }
    CString question;
    question.Format(
        CString(MAKEINTRESOURCEW(rows.size() > 1 ? IDS_DROP_CONSTRAINTS : IDS_DROP_CONSTRAINT)),
        names.GetString());
    const std::vector<int> dropped = RunDrop(
        rows, question, CWaitDlg::flagNoMarquee,
        CString(MAKEINTRESOURCEW(IDS_DROPPING_CONSTRAINTS)),
        [&](int nRow) { return record(nRow).m_strName; },
        [&](int nRow) { m_pHelper->DropConstraint(record(nRow)); });
    DeleteRows(dropped);
    if (GetItemCount() > 0)
        EnsureVisible(0, FALSE);
    return !dropped.empty();
}

// ---- Triggers ----------------------------------------------------------------------------------

CTriggerProp::CTriggerProp(CRDatabaseHelper* pHelper, const CStringPair& name)
    : CDBObjProp(pHelper, name, DBOBJ_TRIGGER)
{}

void CTriggerProp::InitColumns()
{
    AddStandardStyle();
    const int w = GetUsableWidth();
    AddColumn(L"Name", w * 150 / 490);
    AddColumn(L"Schema", w * 90 / 490);
    AddColumn(L"Update", w * 50 / 490, LVCFMT_CENTER);
    AddColumn(L"Insert", w * 45 / 490, LVCFMT_CENTER);
    AddColumn(L"Delete", w * 50 / 490, LVCFMT_CENTER);
    AddColumn(L"After", w * 45 / 490, LVCFMT_CENTER);
    AddColumn(L"Instead of", w * 60 / 490, LVCFMT_CENTER);
}

bool CTriggerProp::Fill(CWaitDlg*)
{
    DeleteAllItems();
    m_triggers.RemoveAll();
    if (m_pHelper == nullptr || !m_pHelper->GetTableTriggers(m_triggers, m_name))
        return false;
    for (INT_PTR i = 0; i < m_triggers.GetSize(); ++i)
    {
        const CDBTriggerInfo& t = m_triggers[i];
        const int nRow = InsertItem((int)i, t.m_strName);
        SetItemText(nRow, 1, t.m_strSchema);
        const int flags[] = {t.m_nUpdate, t.m_nInsert, t.m_nDelete, t.m_nAfter, t.m_nInsteadOf};
        for (int c = 0; c < 5; ++c)
            SetItemText(nRow, 2 + c, flags[c] ? L"+" : L"");
        SetItemData(nRow, (DWORD_PTR)i);
    }
    if (GetItemCount() > 0)
        SelectItem(0);
    SetColumnWidth(0, LVSCW_AUTOSIZE_USEHEADER);
    SetColumnWidth(1, LVSCW_AUTOSIZE_USEHEADER);
    FitColumnsToHeaders(m_hWnd);
    return true;
}

CString CTriggerProp::GetCopyPart(int nRow, UINT)
{
    return MakeObjectName(CStringPair(GetItemText(nRow, 1), GetItemText(nRow, 0)), true);
}

void CTriggerProp::ShowText()
{
    const INT_PTR nRecord = GetSelectedRecord(m_triggers.GetSize());
    if (nRecord < 0)
        return;
    const CStringPair name = m_triggers[nRecord].GetName();
    CString text;
    bool bRead = false;
    {
        CWaitCursor wait;
        bRead = m_pHelper->GetObjectSource(name, DBOBJ_TRIGGER, text);
    }
    if (!bRead)
        return;
    CShowSQLDlg dlg(FormatObjectName(name, CatalogDB(m_pHelper), true) + L" text", GetParent());
    dlg.m_strSQL = text;
    dlg.DoModal();
}

bool CTriggerProp::RenameTrigger()
{
    const INT_PTR nRecord = GetSelectedRecord(m_triggers.GetSize());
    if (nRecord < 0 || !m_pHelper->CanRenameObject(DBOBJ_TRIGGER))
        return false;
    const CStringPair trigger = m_triggers[nRecord].GetName();
    CString newName;
    if (!RunRename(
            DBOBJ_TRIGGER, trigger, nullptr,
            [&](const CString& name) {
                return m_pHelper->RenameObject(DBOBJ_TRIGGER, trigger, name);
            },
            newName))
        return false;
    SetRenamedRow(GetSelectedItem(), 0, newName);
    m_triggers[nRecord].m_strName = newName;
    return true;
}

bool CTriggerProp::DropTriggers()
{
    const std::vector<int> rows = GetSelectedRows();
    if (rows.empty())
        return false;
    auto name = [&](int nRow) { return m_triggers[(INT_PTR)GetItemData(nRow)].GetName(); };
    std::vector<CString> names;
    for (int nRow : rows)
        names.push_back(FormatObjectName(name(nRow), CatalogDB(m_pHelper), true));
    const std::vector<int> dropped = RunDrop(
        rows, MakeListDropQuestion(L"Trigger", L"Triggers", names),
        CWaitDlg::flagCancel | CWaitDlg::flagNoMarquee, L"Dropping triggers...",
        [&](int nRow) { return name(nRow).m_strSecond; },
        [&](int nRow) { m_pHelper->DropObject(DBOBJ_TRIGGER, name(nRow)); });
    DeleteRows(dropped);
    return !dropped.empty();
}

// ---- Indexes -----------------------------------------------------------------------------------

CIndexProp::CIndexProp(CRDatabaseHelper* pHelper, const CStringPair& name)
    : CDBObjProp(pHelper, name, 8)
{}

void CIndexProp::InitColumns()
{
    AddStandardStyle();
    // Group view only where the list view has groups (Wine's has none): else a Name column.
    m_bGroupView = SendMessage(LVM_ENABLEGROUPVIEW, TRUE, 0) > 0 ||
                   SendMessage(LVM_ISGROUPVIEWENABLED, 0, 0) != 0;
    OSVERSIONINFOW version = {sizeof(version)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&version);
#pragma GCC diagnostic pop
    m_bCenteredGroups = version.dwMajorVersion >= 6;
    if (!m_bGroupView)
        m_nName = AddColumn(L"Name", 150);
    m_nColumn = AddColumn(L"Column", 150);
    m_nUnique = AddColumn(L"Unique", 70);
    m_nAscDesc = AddColumn(L"Asc/Desc", 70);
    m_nFilter = AddColumn(L"Filter condition", 150);
}

bool CIndexProp::Fill(CWaitDlg*)
{
    CWaitCursor wait;
    DeleteAllItems();
    m_indexes.clear();
    if (m_bGroupView)
    {
        SendMessage(LVM_REMOVEALLGROUPS, 0, 0);
        SendMessage(LVM_ENABLEGROUPVIEW, TRUE, 0);
    }
    std::map<CString, int> groups;
    bool bRead = RunReportingErrors(
        [&] {
            CRStatistics reader(CatalogDB(m_pHelper), SchemaOrNull(m_name.m_strFirst),
                                m_name.m_strSecond);
            CRStatistics::CStatisticInfo info;
            while (reader.Fetch(&info))
            {
                if (info.szIndexName[0] == 0)
                    continue;
                int nGroup = 0;
                if (m_bGroupView)
                {
                    auto it = groups.find(info.szIndexName);
                    if (it == groups.end())
                    {
                        LVGROUP group = {sizeof(group)};
                        group.mask = LVGF_HEADER | LVGF_GROUPID | LVGF_ALIGN;
                        group.pszHeader = info.szIndexName;
                        group.iGroupId = (int)groups.size();
                        group.uAlign = m_bCenteredGroups ? LVGA_HEADER_CENTER : LVGA_HEADER_LEFT;
                        SendMessage(LVM_INSERTGROUP, (WPARAM)-1, (LPARAM)&group);
                        it = groups.emplace(info.szIndexName, group.iGroupId).first;
                    }
                    nGroup = it->second;
                }
                LVITEMW item = {};
                item.mask = LVIF_TEXT | LVIF_PARAM | (m_bGroupView ? LVIF_GROUPID : 0);
                item.iItem = GetItemCount();
                item.pszText = info.szIndexName;
                item.iGroupId = nGroup;
                item.lParam = (LPARAM)m_indexes.size();
                const int nRow = InsertItem(&item);
                SetItemText(nRow, m_nColumn, info.szColumnName);
                SetItemText(nRow, m_nUnique, info.nNonUnique ? L"No" : L"Yes");
                SetItemText(nRow, m_nAscDesc,
                            info.szAscOrDesc[0] == L'A'   ? L"Asc"
                            : info.szAscOrDesc[0] == L'D' ? L"Desc"
                                                          : L"");
                SetItemText(nRow, m_nFilter, info.szFilterCondition);
                m_indexes.push_back(info);
            }
        },
        nullptr, false);
    if (!bRead || GetItemCount() == 0)
        return false;
    AutoSizeColumns();
    SelectItem(0);
    return true;
}

CString CIndexProp::GetExportColumnName(int nColumn)
{
    static const LPCWSTR kNames[] = {L"Name", L"Column", L"Unique", L"Asc/Desc",
                                     L"Filter condition"};
    return nColumn >= 0 && nColumn < 5 ? CString(kNames[nColumn]) : CString();
}

CString CIndexProp::GetExportItemText(int nRow, int nColumn)
{
    if (nRow < 0 || nRow >= (int)m_indexes.size())
        return CString();
    const CRStatistics::CStatisticInfo& info = m_indexes[nRow];
    switch (nColumn)
    {
    case 0: return info.szIndexName;
    case 1: return info.szColumnName;
    case 2: return info.nNonUnique ? L"No" : L"Yes";
    case 3:
        return info.szAscOrDesc[0] == L'A' ? L"Asc" : info.szAscOrDesc[0] == L'D' ? L"Desc" : L"";
    case 4: return info.szFilterCondition;
    default: return CString();
    }
}

bool CIndexProp::RenameIndex()
{
    const int nRow = GetSelectedItem();
    const INT_PTR nRecord = GetSelectedRecord((INT_PTR)m_indexes.size());
    if (nRecord < 0)
        return false;
    const CRStatistics::CStatisticInfo info = m_indexes[nRecord];
    CString newName;
    if (!RunRename(
            8, m_name, info.szIndexName,
            [&](const CString& name) {
                return m_pHelper->RenameIndex(m_name, info.szTableSchem, info.szIndexName, name);
            },
            newName))
        return false;
    Fill(nullptr);
    if (nRow < GetItemCount())
    {
        SelectItem(nRow);
        EnsureVisible(nRow, FALSE);
    }
    return true;
}

bool CIndexProp::DropIndexes()
{
    // Rows of one index count once.
    std::vector<int> rows;
    std::vector<CString> names;
    for (int nRow : GetSelectedRows())
    {
        const auto& info = m_indexes[(size_t)GetItemData(nRow)];
        bool bSeen = false;
        for (int nOther : rows)
        {
            const auto& other = m_indexes[(size_t)GetItemData(nOther)];
            bSeen |= wcscmp(other.szTableSchem, info.szTableSchem) == 0 &&
                     wcscmp(other.szIndexName, info.szIndexName) == 0;
        }
        if (bSeen)
            continue;
        rows.push_back(nRow);
        names.push_back(
            MakeQuotedTwoPartName(info.szTableSchem, info.szIndexName, CatalogDB(m_pHelper)));
    }
    if (rows.empty())
        return false;
    const std::vector<int> dropped = RunDrop(
        rows, MakeListDropQuestion(L"Index", L"Indexes", names),
        CWaitDlg::flagCancel | CWaitDlg::flagNoMarquee, L"Dropping indexes...",
        [&](int nRow) { return CString(m_indexes[(size_t)GetItemData(nRow)].szIndexName); },
        [&](int nRow) {
            const auto& info = m_indexes[(size_t)GetItemData(nRow)];
            m_pHelper->DropIndex(m_name, info.szTableSchem, info.szIndexName);
        });
    if (dropped.empty())
        return false;
    Fill(nullptr);
    if (GetItemCount() > 0)
        SelectItem(0);
    return true;
}
