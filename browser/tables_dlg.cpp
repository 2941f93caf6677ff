// The tables dialog.
#include "browser/tables_dlg.h"

#include "app/app_settings.h"
#include "app/main_frame.h"
#include "browser/join_wizard.h"
#include "browser/object_dialogs.h"
#include "browser/rename_dlg.h"
#include "browser/system_schemas.h"
#include "controls/column_fit.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "services/wait_dlg.h"
#include "util/utility.h"

namespace {

void Warn(UINT nID)
{
    AfxMessageBox(LoadResString(nID), MB_ICONEXCLAMATION);
}

const int kColumnName = 0;
const int kColumnSchema = 1;

} // namespace

CStringPair& CTablesDlg::LastChosen(int nObjectKind)
{
    static CStringPair last[3];
    return last[nObjectKind == DBOBJ_VIEW ? 1 : nObjectKind == DBOBJ_PROCEDURE ? 2 : 0];
}

BEGIN_MESSAGE_MAP(CTablesDlg, CDialog)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_TABLES_LIST, &CTablesDlg::OnColumnClickList)
    ON_NOTIFY(NM_DBLCLK, IDC_TABLES_LIST, &CTablesDlg::OnDblClkList)
    ON_BN_CLICKED(IDC_TABLES_INFO, &CTablesDlg::OnInfo)
    ON_BN_CLICKED(IDC_TABLES_VIEW_TEXT, &CTablesDlg::OnViewText)
    ON_BN_CLICKED(IDC_TABLES_VIEW_ERRORS, &CTablesDlg::OnViewErrors)
    ON_BN_CLICKED(IDC_TABLES_RENAME, &CTablesDlg::OnRename)
    ON_BN_CLICKED(IDC_TABLES_DROP, &CTablesDlg::OnDrop)
    ON_BN_CLICKED(IDC_TABLES_SAVE, &CTablesDlg::OnSave)
    ON_BN_CLICKED(IDC_TABLES_JOIN, &CTablesDlg::OnJoin)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CTablesDlg::CTablesDlg(CRDatabaseHelper* pHelper, int nObjectKind, CWnd* pParent)
    : CDialog(IDD_TABLES, pParent), m_pHelper(pHelper), m_nObjectKind(nObjectKind)
{
    m_nSortDirection = theSettings.m_nCurTableSortDirection;
    m_nSortValue = theSettings.m_nCurTableSortValue;
    const UINT nIcon = nObjectKind == DBOBJ_VIEW        ? IDI_VIEWS_TAB
                       : nObjectKind == DBOBJ_PROCEDURE ? IDI_PROCEDURES_TAB
                                                        : IDI_TABLES_TAB;
    m_hIcon =
        (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIcon), IMAGE_ICON,
                            ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0);
    CMainFrame* pFrame = GetMainFrame();
    const CString strSchema = pFrame ? pFrame->GetCurrentSchema() : CString();
    CWaitHolder wait;
    if (nObjectKind != DBOBJ_PROCEDURE)
    {
        wait.Begin(LoadResString(IDS_READING_TABLES));
        CTableInfoArray tables;
        pHelper->GetTables(&wait, strSchema, nObjectKind, false, tables);
        for (INT_PTR i = 0; i < tables.GetSize(); ++i)
        {
            CTablesRow row;
            row.m_strName = tables[i].szTableName;
            row.m_strSchema = tables[i].szTableSchem;
            row.m_strRemarks = tables[i].szRemarks;
            m_rows.push_back(row);
        }
        return;
    }
    wait.Begin();
    if (theSettings.m_bMarkInvalidObjects && pHelper->CanShowObjectErrors(DBOBJ_PROCEDURE))
    {
        try
        {
            if (!pHelper->GetInvalidObjects(&wait, strSchema, DBOBJ_PROCEDURE, m_invalid) ||
                !pHelper->GetInvalidObjects(&wait, strSchema, DBOBJ_FUNCTION, m_invalid))
                m_invalid.RemoveAll();
        }
        catch (CException* e)
        {
            CExceptionHolder held(e); // the list is shown without invalid marks
            m_invalid.RemoveAll();
        }
    }
    CDBStoredProcsArray procs;
    pHelper->GetProcedures(&wait, strSchema, procs);
    if (HidesSystemSchemas(*pHelper, strSchema))
        RemoveSystemSchemaObjects(pHelper->GetDBMSKind(), procs,
                                  [](const CDBStoredProcInfo& proc) { return proc.m_strFirst; });
    for (INT_PTR i = 0; i < procs.GetSize(); ++i)
    {
        CTablesRow row;
        row.m_strName = procs[i].m_strSecond;
        row.m_strSchema = procs[i].m_strFirst;
        row.m_strRemarks = procs[i].m_strRemarks;
        row.m_nProcType = procs[i].m_nType;
        m_rows.push_back(row);
    }
}

CTablesDlg::~CTablesDlg()
{
    if (m_hIcon)
        ::DestroyIcon(m_hIcon);
}

BOOL CTablesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, FALSE);
    m_list.SubclassDlgItem(IDC_TABLES_LIST, this);
    const bool bTables = m_nObjectKind == DBOBJ_TABLE;
    auto show = [this](UINT nID, bool bShow) {
        if (CWnd* p = GetDlgItem(nID))
            p->ShowWindow(bShow ? SW_SHOW : SW_HIDE);
    };
    show(IDC_TABLES_SAVE, m_nObjectKind != DBOBJ_PROCEDURE);
    show(IDC_TABLES_VIEW_TEXT, m_pHelper->CanGetObjectSource(m_nObjectKind));
    show(IDC_TABLES_VIEW_ERRORS, m_pHelper->CanShowObjectErrors(m_nObjectKind));
    show(IDC_TABLES_JOIN, bTables);
    show(IDC_TABLES_RENAME, m_pHelper->CanRenameObject(m_nObjectKind));
    SetWindowText(m_nObjectKind == DBOBJ_VIEW        ? L"Views"
                  : m_nObjectKind == DBOBJ_PROCEDURE ? L"Stored procedures"
                                                     : L"Tables");
    if (m_nObjectKind == DBOBJ_PROCEDURE)
    {
        SetDlgItemText(IDOK, L"Execute");
        const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
        m_images.Create(cx, cy, ILC_COLOR32 | ILC_MASK, 4, 0);
        for (UINT nID : {IDI_TABLES_PROCEDURE, IDI_TABLES_FUNCTION, IDI_TABLES_INVALID_PROCEDURE,
                         IDI_TABLES_INVALID_FUNCTION})
        {
            HICON hIcon = (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nID),
                                              IMAGE_ICON, cx, cy, 0);
            m_images.Add(hIcon);
            if (hIcon)
                ::DestroyIcon(hIcon);
        }
        m_list.SetImageList(&m_images, LVSIL_SMALL);
    }
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                            LVS_EX_LABELTIP);
    m_list.InsertColumn(0, L"Name", LVCFMT_LEFT, 270);
    m_list.InsertColumn(1, L"Schema", LVCFMT_LEFT, 110);
    m_list.InsertColumn(2, L"Remarks", LVCFMT_LEFT, 110);
    // Without redrawing while the rows go in: with it, every insertion recomputes and repaints
    // the list, which made thousands of rows take seconds.
    m_list.SetRedraw(FALSE);
    m_list.SetItemCount(static_cast<int>(m_rows.size()));
    for (size_t i = 0; i < m_rows.size(); ++i)
    {
        const CTablesRow& row = m_rows[i];
        int nImage = -1;
        if (m_nObjectKind == DBOBJ_PROCEDURE && (row.m_nProcType == 1 || row.m_nProcType == 2))
        {
            nImage = row.m_nProcType == 2 ? 1 : 0;
            if (m_invalid.Find(row.m_strSchema, row.m_strName))
                nImage += 2;
        }
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM | (nImage >= 0 ? LVIF_IMAGE : 0);
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<LPWSTR>(static_cast<LPCWSTR>(row.m_strName));
        item.lParam = static_cast<LPARAM>(i);
        item.iImage = nImage;
        const int n = m_list.InsertItem(&item);
        m_list.SetItemText(n, 1, row.m_strSchema);
        m_list.SetItemText(n, 2, row.m_strRemarks);
    }
    m_list.SetRedraw(TRUE);
    // Sorted in every case, by name and ascending too: the catalog gives its rows by schema
    // (and the driver's letter case), while the header arrow promises the stored order.
    m_nSortColumn = m_nSortValue ? kColumnSchema : kColumnName;
    m_bAscending[m_nSortColumn] = m_nSortDirection == 0;
    {
        CWaitCursor wait;
        SortRows();
    }
    m_list.SetSortArrow(m_nSortColumn, m_bAscending[m_nSortColumn] ? HDF_SORTUP : HDF_SORTDOWN);
    FitColumns();
    const CStringPair& last = LastChosen(m_nObjectKind);
    int nSelect = 0;
    for (int i = 0; i < m_list.GetItemCount(); ++i)
    {
        const CTablesRow& row = m_rows[m_list.GetItemData(i)];
        if (row.m_strName == last.m_strSecond && row.m_strSchema == last.m_strFirst)
        {
            nSelect = i;
            break;
        }
    }
    if (m_list.GetItemCount() > 0)
        m_list.SelectItem(nSelect);
    EnableRowButtons();
    return TRUE;
}

void CTablesDlg::FitColumns()
{
    FitColumnsToList(m_list.m_hWnd, (1u << kColumnName) | (1u << kColumnSchema));
}

void CTablesDlg::EnableRowButtons()
{
    // Every button but Close works on rows: with none left they have nothing to act on.
    const BOOL bRows = m_list.GetItemCount() > 0;
    for (UINT nID : {(UINT)IDOK, (UINT)IDC_TABLES_INFO, (UINT)IDC_TABLES_VIEW_TEXT,
                     (UINT)IDC_TABLES_VIEW_ERRORS, (UINT)IDC_TABLES_RENAME, (UINT)IDC_TABLES_DROP,
                     (UINT)IDC_TABLES_SAVE, (UINT)IDC_TABLES_JOIN})
        if (CWnd* pButton = GetDlgItem(nID))
            pButton->EnableWindow(bRows);
    if (!bRows)
        GotoDlgCtrl(GetDlgItem(IDCANCEL));
}

int CALLBACK CTablesDlg::CompareItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    // The rows are our own records, found by their item data: nothing is read from the list
    // while it sorts.
    const CTablesDlg* pDlg = reinterpret_cast<const CTablesDlg*>(lParamSort);
    const size_t a = static_cast<size_t>(lParam1), b = static_cast<size_t>(lParam2);
    if (a >= pDlg->m_rows.size() || b >= pDlg->m_rows.size())
        return 0;
    return CompareTablesRows(pDlg->m_rows[a], pDlg->m_rows[b], pDlg->m_nSortColumn,
                             pDlg->m_bAscending[pDlg->m_nSortColumn]);
}

void CTablesDlg::SortRows()
{
    m_list.SortItems(&CTablesDlg::CompareItems, reinterpret_cast<DWORD_PTR>(this));
}

void CTablesDlg::OnColumnClickList(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const int nColumn = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem;
    if (nColumn != kColumnName && nColumn != kColumnSchema)
        return;
    m_bAscending[nColumn] = !m_bAscending[nColumn];
    if (nColumn != m_nSortColumn)
        m_list.SetSortArrow(m_nSortColumn, 0);
    m_nSortColumn = nColumn;
    m_list.SetSortArrow(nColumn, m_bAscending[nColumn] ? HDF_SORTUP : HDF_SORTDOWN);
    m_nSortDirection = m_bAscending[nColumn] ? 0 : 1;
    m_nSortValue = nColumn == kColumnSchema ? 1 : 0;
    CWaitCursor wait;
    SortRows();
    const int nSelected = m_list.GetSelectedItem();
    if (nSelected >= 0)
        m_list.EnsureVisible(nSelected, FALSE);
}

void CTablesDlg::OnDestroy()
{
    theSettings.m_nCurTableSortDirection = m_nSortDirection;
    theSettings.m_nCurTableSortValue = m_nSortValue;
    CDialog::OnDestroy();
}

int CTablesDlg::GetSelectedObjects(CDBObjectsArray& objects)
{
    objects.RemoveAll();
    int nLast = -1;
    for (int i = m_list.GetNextItem(-1, LVNI_SELECTED); i >= 0;
         i = m_list.GetNextItem(i, LVNI_SELECTED))
    {
        objects.Add(CIndexedDBObject(m_list.GetItemText(i, 1), m_list.GetItemText(i, 0), i));
        nLast = i;
    }
    return nLast;
}

int CTablesDlg::GetFocusedObject(CStringPair& name)
{
    const int n = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (n >= 0)
        name = CStringPair(m_list.GetItemText(n, 1), m_list.GetItemText(n, 0));
    return n;
}

int CTablesDlg::ProcType(int nRow) const
{
    const size_t n = static_cast<size_t>(m_list.GetItemData(nRow));
    return n < m_rows.size() ? m_rows[n].m_nProcType : 0;
}

void CTablesDlg::OnOK()
{
    GetSelectedObjects(m_result);
    if (m_result.GetSize() == 0)
    {
        Warn(IDS_NO_ITEMS_SELECTED);
        return;
    }
    LastChosen(m_nObjectKind) = m_result[0];
    CDialog::OnOK();
}

void CTablesDlg::OnDblClkList(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    if (m_list.GetNextItem(-1, LVNI_SELECTED) >= 0)
        OnOK();
}

void CTablesDlg::ShowObject(int nPage, int nKind)
{
    CStringPair name;
    if (GetFocusedObject(name) < 0)
    {
        Warn(IDS_NO_ITEMS_SELECTED);
        return;
    }
    LastChosen(m_nObjectKind) = name;
    ShowDBObjectProperties(m_pHelper, name, nKind, nPage, this);
}

void CTablesDlg::OnInfo()
{
    ShowObject(m_nObjectKind == DBOBJ_PROCEDURE ? DBOPAGE_PARAMETERS : DBOPAGE_COLUMNS,
               m_nObjectKind);
}

void CTablesDlg::OnViewText()
{
    CStringPair name;
    const int nRow = GetFocusedObject(name);
    ShowObject(DBOPAGE_TEXT,
               nRow >= 0 ? GetDropObjectKind(m_nObjectKind, ProcType(nRow)) : m_nObjectKind);
}

void CTablesDlg::OnViewErrors()
{
    ShowObject(DBOPAGE_ERRORS, m_nObjectKind);
}

void CTablesDlg::OnRename()
{
    CStringPair name;
    const int nRow = GetFocusedObject(name);
    if (nRow < 0)
    {
        Warn(IDS_NO_ITEMS_SELECTED);
        return;
    }
    CRenameDBObjDlg dlg(m_nObjectKind, &name, nullptr, this);
    if (dlg.DoModal() != IDOK)
        return;
    const CString strNewName = dlg.GetNewName();
    RunReportingErrors(
        [&] {
            CWaitCursor wait;
            if (m_pHelper->RenameObject(m_nObjectKind, name, strNewName))
            {
                m_list.SetItemText(nRow, 0, strNewName);
                const size_t n = static_cast<size_t>(m_list.GetItemData(nRow));
                if (n < m_rows.size())
                    m_rows[n].m_strName = strNewName;
                FitColumns();
            }
        },
        m_hWnd);
}

void CTablesDlg::OnDrop()
{
    CDBObjectsArray selected;
    GetSelectedObjects(selected);
    if (selected.GetSize() == 0)
    {
        Warn(IDS_NO_ITEMS_SELECTED);
        return;
    }
    CSQLNameQuoter quoter(&m_pHelper->GetCatalogDatabase());
    std::vector<CString> names;
    for (INT_PTR i = 0; i < selected.GetSize(); ++i)
        names.push_back(quoter.FormatObjectName(selected[i], true));
    if (AfxMessageBox(MakeDropQuestion(m_nObjectKind, names),
                      MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
        return;
    const int nFirstIndex = selected[0].m_nIndex;
    std::vector<int> procTypes; // by list row, read before rows go
    for (INT_PTR i = 0; i < selected.GetSize(); ++i)
        procTypes.push_back(ProcType(selected[i].m_nIndex));
    CDBObjectsArray ordered;
    std::vector<CStringPair> dropped;
    RunReportingErrors(
        [&] {
            if (m_nObjectKind == DBOBJ_TABLE)
            {
                CWaitCursor wait;
                if (!m_pHelper->SortTablesByForeignKeys(selected, ordered, this))
                    return;
            }
            else
                ordered.Copy(selected);
            CWaitDlg wait(this, CWaitDlg::flagCancel, static_cast<int>(ordered.GetSize()));
            wait.SetProcessText(L"Dropping tables...");
            for (INT_PTR i = ordered.GetSize() - 1; i >= 0; --i)
            {
                wait.SetInfoText(quoter.FormatObjectName(ordered[i], true));
                if (wait.PumpMessages())
                    break;
                int nProcType = 0;
                for (INT_PTR j = 0; j < selected.GetSize(); ++j)
                    if (IsSameDBObjectName(selected[j], ordered[i]))
                        nProcType = procTypes[static_cast<size_t>(j)];
                m_pHelper->DropObject(GetDropObjectKind(m_nObjectKind, nProcType), ordered[i]);
                dropped.push_back(ordered[i]);
                wait.Step();
            }
        },
        m_hWnd);
    // Rows go by their exact names, whatever order the drop took and wherever it stopped.
    for (int i = m_list.GetItemCount() - 1; i >= 0; --i)
    {
        const CStringPair row(m_list.GetItemText(i, 1), m_list.GetItemText(i, 0));
        for (const CStringPair& d : dropped)
            if ((m_list.GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED) &&
                IsSameDBObjectName(row, d))
            {
                m_list.DeleteItem(i);
                break;
            }
    }
    if (nFirstIndex >= 0 && nFirstIndex < m_list.GetItemCount())
        m_list.SelectItem(nFirstIndex);
    if (!dropped.empty())
        FitColumns();
    EnableRowButtons();
}

void CTablesDlg::OnSave()
{
    CDBObjectsArray selected;
    GetSelectedObjects(selected);
    if (selected.GetSize() == 0)
    {
        Warn(IDS_NO_ITEMS_SELECTED);
        return;
    }
    m_pHelper->SaveTablesData(selected, m_nObjectKind, this);
}

void CTablesDlg::Join()
{
    CDBObjectsArray selected;
    GetSelectedObjects(selected);
    if (selected.GetSize() < 2)
    {
        Warn(IDS_SELECT_TWO_ITEMS);
        return;
    }
    std::vector<CJoinTableEntry> entries;
    if (!m_pHelper->CollectTableRelations(selected, this, entries))
        return;
    CJoinWizard wizard(m_pHelper, entries, this);
    if (wizard.DoModal() == ID_WIZFINISH)
    {
        m_strJoinSQL = wizard.GetSQL();
        m_bJoinShowPlan = wizard.GetShowPlan();
    }
}

void CTablesDlg::OnJoin()
{
    m_strJoinSQL.Empty();
    Join();
    if (!m_strJoinSQL.IsEmpty())
        EndDialog(IDC_TABLES_JOIN);
}

bool CTablesDlg::CopySelectedNames()
{
    CDBObjectsArray selected;
    GetSelectedObjects(selected);
    if (selected.GetSize() == 0)
        return false;
    CSQLNameQuoter quoter(&m_pHelper->GetCatalogDatabase());
    std::vector<CString> names;
    for (INT_PTR i = 0; i < selected.GetSize(); ++i)
        names.push_back(quoter.FormatObjectName(selected[i], true));
    return CopyTextToClipboard(m_hWnd, JoinCopiedNames(names));
}

BOOL CTablesDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_INSERT && pMsg->hwnd == m_list.m_hWnd &&
        ::GetKeyState(VK_LCONTROL) < 0 && CopySelectedNames())
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}
