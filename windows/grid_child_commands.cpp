// The grid window's Query and Edit commands, their update rules and the popup menus.
#include "windows/grid_child_frame.h"

#include "app/app_helpers.h"
#include "app/app_settings.h"
#include "app/main_frame.h"
#include "dbaccess/error_report.h"
#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "windows/filter_dlg.h"
#include "windows/goto_dlg.h"
#include "windows/script_dialogs.h"
#include "browser/object_pages.h"
#include "windows/sort_dlg.h"

void CGridChildFrame::OnSaveData()
{
    // A row just saved from the grid posts its refresh, but Save Data may come first (chosen
    // before the program got to the refresh): the file must hold what the table holds, so the
    // cursor is read again now.
    if (m_bRowSavedSinceRead && IsCursorOpen())
        Refresh(true);
    if (!IsCursorOpen())
        return;
    const int nCount = m_view.GetColumnCount();
    std::vector<int> order(nCount);
    if (nCount <= 0 ||
        !::SendMessageW(m_view.m_hWnd, LVM_GETCOLUMNORDERARRAY, nCount, (LPARAM)order.data()))
        return;
    std::vector<int> columns;
    for (int nColumn : order)
        columns.push_back((int)m_view.GetColumnObject(nColumn)->m_nCursorColumn - 1);
    CString strSQL;
    if (m_nKind == kGridPlan)
        strSQL = m_strShowSQL;
    else if (m_name.m_strSecond.IsEmpty() || HasSortOrder(m_sort) || !m_filter.empty())
        strSQL = m_pCursor->GetSQL();
    m_bSavingData = true;
    struct CAfterSave
    {
        CGridChildFrame& frame;
        ~CAfterSave()
        {
            frame.m_bSavingData = false;
            // Rows that stopped while the save read them: the save's own box told why.
            auto* pMem = dynamic_cast<Zelt::CMemCursor*>(frame.m_pCursor.get());
            if (pMem != nullptr && pMem->IsStopped() && !frame.m_bStopTold)
            {
                frame.m_bStopTold = true;
                frame.SetRowsText();
            }
            for (const auto& sort : frame.m_sortsAfterSave)
                frame.PostMessage(WM_APP + 1, sort.first, sort.second);
            frame.m_sortsAfterSave.clear();
            if (frame.m_bRefreshAfterSave)
                frame.PostMessage(WM_COMMAND, ID_QUERY_REFRESH);
            frame.m_bRefreshAfterSave = false;
        }
    } afterSave{*this};
    m_pHelper->SaveDataToFile(m_pCursor.get(), m_name, GetObjectKind(), &columns, AfxGetMainWnd(),
                              strSQL.IsEmpty() ? nullptr : strSQL.GetString());
}

void CGridChildFrame::OnDeleteAllRecords()
{
    if (!IsConnected() || m_name.m_strSecond.IsEmpty())
        return;
    const CString strName = FormatObjectName(m_name, &m_pHelper->GetCatalogDatabase(), true);
    if (AfxMessageBox(L"Data from '" + strName + L"' will be deleted.\nContinue?",
                      MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
        return;
    SetStatusMessage(IDS_GRID_DELETING);
    const UINT nTimeout = (UINT)theSettings.m_nQueryTimeout;
    m_pHelper->GetDatabase().SetQueryTimeout(nTimeout);
    if (m_pHelper->GetDBMSKind() == DBMS_MSSQL)
        m_pHelper->GetCatalogDatabase().SetQueryTimeout(nTimeout);
    const CString strSQL = L"DELETE FROM " + strName;
    const bool bDone = RunReportingErrors([&] {
        if (!CRDatabaseHelper::IsCancelExecEnabled())
        {
            CWaitCursor wait;
            m_pHelper->GetDatabase().ExecuteSQL(strSQL);
            return;
        }
        CRRecordset rs(&m_pHelper->GetDatabase());
        bool bCancelled = false;
        if (!m_pHelper->OpenRecordset(&rs, strSQL, RS_FORWARD_ONLY, RS_UNBOUND, nullptr,
                                      &bCancelled) &&
            !bCancelled)
            AfxMessageBox(L"Can't open recordset", MB_OK | MB_ICONERROR);
    });
    if (bDone)
        Refresh(false);
    SetStatusMessage(0);
}

void CGridChildFrame::OnGoTo()
{
    const int nRow = m_view.GetSelectedItem();
    if (m_nKind != kGridTable || !m_pCursor || !theSettings.m_bTableDialogFKey ||
        m_view.m_foreignKeys.GetSize() == 0 || nRow < 0)
        return;
    std::vector<CGoToItem> items;
    RunReportingErrors([&] { items = CollectGoToItems(m_view, nRow); });
    if (items.empty())
        return;
    CGoToDlg dlg(items, this);
    if (dlg.DoModal() != IDOK || dlg.GetItems().empty())
        return;
    const std::vector<CGoToItem>& chosen = dlg.GetItems();
    const CStringPair target(chosen[0].m_strRefSchema, chosen[0].m_strRefTable);
    CFilterArray filter;
    for (const CGoToItem& item : chosen)
    {
        CFilterInfo info;
        info.m_strColumn = item.m_strRefColumn;
        info.m_nOperation = kFilterEqual;
        info.m_value = CGridItem(item.m_strFilterValue, item.m_bNull ? kGridNull : kGridValue);
        filter.push_back(info);
    }
    bool bBuilt = false;
    RunReportingErrors([&] {
        CWaitCursor wait;
        CColumnInfoArray columns;
        m_pHelper->GetColumnsNow(target, &columns);
        bBuilt = CFilterDlg::BuildCondition(filter, m_pHelper, columns);
    });
    if (bBuilt && !filter.m_strCondition.IsEmpty() && GetMainFrame() != nullptr)
        GetMainFrame()->OpenDBObject(target, &filter, kGridTable, true,
                                     MakeObjectName(target, true));
}

void CGridChildFrame::OnShowSQLQuery()
{
    CShowSQLDlg dlg(L"", this);
    dlg.m_strSQL = m_strShowSQL;
    if (dlg.m_strSQL.IsEmpty() && m_pCursor)
        dlg.m_strSQL = m_pCursor->GetSQL();
    dlg.DoModal();
}

void CGridChildFrame::OnColumns()
{
    m_view.ShowColumnsDialog(L"Column order");
}

void CGridChildFrame::OnTableInfo()
{
    if (m_name.m_strSecond.IsEmpty() || m_pHelper == nullptr)
        return;
    int nStartPage = 0; // columns
    if (m_nKind == kGridFunction)
        nStartPage = 5; // parameters
    else if (!ShowsObject())
        return;
    RunReportingErrors(
        [&] {
            CDBOPropertiesDlg dlg(m_pHelper, m_name, static_cast<int>(m_nKind), nStartPage, this);
            dlg.DoModal();
        },
        GetSafeHwnd());
}

void CGridChildFrame::OnSort()
{
    if (!CanSort() || !m_pCursor)
        return;
    CSortArray input;
    for (int nColumn = 1; nColumn <= m_pCursor->GetColumnCount(); ++nColumn)
    {
        const CString strName = m_pCursor->GetColumnName(nColumn);
        int nOrder = kSortNone;
        size_t nSortIndex = m_sort.size();
        for (size_t i = 0; i < m_sort.size(); ++i)
        {
            if (m_sort[i].m_strColumn == strName && m_sort[i].m_nOrder != kSortNone)
            {
                nOrder = m_sort[i].m_nOrder;
                nSortIndex = i;
            }
        }
        const CSortInfo info(strName, nOrder);
        if (nOrder != kSortNone && nSortIndex < input.size())
            input.insert(input.begin() + nSortIndex, info);
        else
            input.push_back(info);
    }
    if (input.empty())
        return;
    CSortArray output;
    CSortDlg dlg(input, output, this);
    if (dlg.DoModal() == IDOK)
        ApplySortAndFilter(&output, &m_filter, IDS_GRID_SORTING, true);
}

void CGridChildFrame::OnFilter()
{
    if (!CanFilter() || m_pHelper == nullptr)
        return;
    RunReportingErrors([&] {
        CFilterDlg dlg(m_pHelper, m_name, GetObjectKind(), m_filter, this);
        if (dlg.DoModal() == IDOK)
        {
            const CFilterArray filter = dlg.GetFilter();
            const CSortArray sort = m_sort;
            ApplySortAndFilter(&sort, &filter, IDS_GRID_EXECUTING, true);
        }
    });
}

void CGridChildFrame::OnRefresh()
{
    if (m_bSavingData)
    {
        m_bRefreshAfterSave = true;
        return;
    }
    Refresh(true);
}

void CGridChildFrame::OnInsert()
{
    m_view.InsertRow(true);
}

void CGridChildFrame::OnUpdate()
{
    m_view.EditSelectedRow(m_view.GetCurrentColumn());
}

void CGridChildFrame::OnEditValue()
{
    m_view.EditValue(m_pHelper);
}

void CGridChildFrame::OnCopyValue()
{
    m_view.CopyValue();
}

void CGridChildFrame::OnCopy()
{
    m_view.Copy();
}

void CGridChildFrame::OnPaste()
{
    m_view.Paste();
}

void CGridChildFrame::OnDelete()
{
    m_view.DeleteRow();
}

// ---- Update rules ----------------------------------------------------------------------------

void CGridChildFrame::OnUpdateOpen(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsCursorOpen());
}

void CGridChildFrame::OnUpdateObjectCommand(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsConnected() && !m_name.m_strSecond.IsEmpty());
}

void CGridChildFrame::OnUpdateRefresh(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(CanSort() && IsConnected());
}

void CGridChildFrame::OnUpdateSort(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(CanSort() && IsConnected());
    pCmdUI->SetCheck(HasSortOrder(m_sort));
}

void CGridChildFrame::OnUpdateFilter(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(CanFilter() && IsConnected());
    pCmdUI->SetCheck(!m_filter.empty());
}

void CGridChildFrame::OnUpdateGoTo(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nKind == kGridTable && m_pCursor && theSettings.m_bTableDialogFKey &&
                   m_view.m_foreignKeys.GetSize() > 0 && m_view.GetSelectedItem() >= 0);
}

void CGridChildFrame::OnUpdateColumns(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsConnected() && m_pCursor && m_pCursor->HasResultColumns());
}

void CGridChildFrame::OnUpdateInsert(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsCursorOpen() && m_view.IsReadyForEdit());
}

void CGridChildFrame::OnUpdateUpdate(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsCursorOpen() && m_view.CanUpdateRow());
}

void CGridChildFrame::OnUpdateEditValue(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsCursorOpen() && m_view.CanEditValue());
}

void CGridChildFrame::OnUpdateCopyValue(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_view.CanCopyValue());
}

void CGridChildFrame::OnUpdateCopy(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_view.CanCopy());
}

void CGridChildFrame::OnUpdatePaste(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_view.IsReadyForEdit() && m_view.CanPaste() && IsCursorOpen());
}

void CGridChildFrame::OnUpdateDelete(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_view.IsReadyForEdit() && m_view.GetSelectedItem() >= 0 && IsCursorOpen());
}

// ---- Popup menus -------------------------------------------------------------------------------

BOOL CGridChildFrame::OnHelpInfo(HELPINFO*)
{
    ShowHelpTopic(L"::/EditDB.html");
    return TRUE;
}

void CGridChildFrame::ShowContextMenu(CPoint point)
{
    CHeaderCtrl* pHeader = m_view.GetHeaderCtrl();
    CRect headerRect;
    if (pHeader != nullptr)
    {
        pHeader->GetWindowRect(&headerRect);
        if (headerRect.PtInRect(point))
        {
            std::vector<int> order(m_view.GetColumnCount());
            if (order.empty() || !::SendMessageW(m_view.m_hWnd, LVM_GETCOLUMNORDERARRAY,
                                                 order.size(), (LPARAM)order.data()))
                return;
            HMENU hMenu = ::CreatePopupMenu();
            for (size_t i = 0; i < order.size(); ++i)
            {
                CGridColumn* pColumn = m_view.GetColumnObject(order[i]);
                ::AppendMenuW(hMenu, MF_STRING | (m_view.IsColumnShown(order[i]) ? MF_CHECKED : 0),
                              1 + i, pColumn->m_strName);
            }
            const UINT nChoice = ::TrackPopupMenu(hMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x,
                                                  point.y, 0, m_hWnd, nullptr);
            ::DestroyMenu(hMenu);
            if (nChoice >= 1 && nChoice <= order.size())
            {
                const int nColumn = order[nChoice - 1];
                m_view.ShowColumn(nColumn, !m_view.IsColumnShown(nColumn));
            }
            return;
        }
    }
    CMenu menu;
    if (!menu.LoadMenu(IDR_GRID_CONTEXT_MENU))
        return;
    CMenu* pPopup = menu.GetSubMenu(0);
    if (pPopup != nullptr)
        pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}
