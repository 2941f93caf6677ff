// The grid of a grid window.
#include "windows/grid_child_view.h"

#include "app/app_settings.h"
#include "dbaccess/error_report.h"
#include "dbaccess/recordset.h"
#include "grid/grid_edit.h"
#include "grid/row_sql.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "services/wait_dlg.h"
#include "windows/columns_dlg.h"
#include "windows/edit_value_dlg.h"
#include "windows/grid_child_frame.h"
#include "windows/grid_window_text.h"

BEGIN_MESSAGE_MAP(CGridChildView, CRGrid)
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

bool CGridChildView::CanUseValueKey()
{
    return m_nKind == 1 || m_nKind == 2 || m_nKind == 6 || m_bResultKeyed;
}

bool CGridChildView::UseCursorForEdit(UINT)
{
    return theSettings.m_bUseCursorForEdit != 0;
}

bool CGridChildView::ConfirmDelete()
{
    if (!theSettings.m_bConfirmRowDeletion)
        return true;
    return AfxMessageBox(L"Record will be deleted.\nContinue?",
                         MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
}

void CGridChildView::TellCutValue(LPCWSTR pszColumnName, bool bRow)
{
    AfxMessageBox(FormatCutCopyText(pszColumnName, bRow), MB_ICONINFORMATION);
}

bool CGridChildView::DriverUpdatesAtCursor()
{
    auto* pRecordset = dynamic_cast<CRRecordset*>(GetCursor());
    if (pRecordset == nullptr)
        return false; // rows kept in memory have no position in the driver's result
    try
    {
        return (pRecordset->GetCursorAttributes1() & SQL_CA1_POSITIONED_UPDATE) != 0;
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
        return false;
    }
}

bool CGridChildView::IsReadOnlyResult()
{
    auto* pRecordset = dynamic_cast<CRRecordset*>(GetCursor());
    if (pRecordset == nullptr)
        return false;
    try
    {
        return pRecordset->AreUpdatesRefused();
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
        return false;
    }
}

UINT CGridChildView::NoKeyNotice()
{
    Zelt::ICursor* pCursor = GetCursor();
    if (pCursor == nullptr || CanUseCursorForEdit(SQL_CA1_POSITIONED_UPDATE))
        return 0;
    if (!m_strNoEditReason.IsEmpty())
        return IDS_RESULT_NOT_EDITABLE;
    if (!CanUseValueKey())
    {
        if (IsReadOnlyResult())
            return IDS_READ_ONLY_RESULT;
        return DriverUpdatesAtCursor() ? 0 : IDS_NO_CURSOR_EDIT;
    }
    std::vector<CString> names;
    for (INT_PTR i = 0; i < m_primaryKey.GetSize(); ++i)
        names.push_back(CString(m_primaryKey[i].szColumnName));
    std::vector<UINT> columns;
    return !names.empty() && FindKeyColumns(pCursor, names, columns) ? 0 : IDS_NO_USABLE_KEY;
}

bool CGridChildView::ConfirmRowEdit(int)
{
    const UINT nNotice = m_bKeylessEditAccepted ? 0 : NoKeyNotice();
    if (nNotice == 0)
        return true;
    CString strText;
    strText.LoadString(nNotice);
    if (nNotice == IDS_RESULT_NOT_EDITABLE)
    {
        AfxMessageBox(strText + L"\n" + m_strNoEditReason, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    if (nNotice == IDS_READ_ONLY_RESULT)
    {
        // Nothing to ask: a positioned change on a read-only cursor fails whatever the answer.
        AfxMessageBox(strText, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    if (AfxMessageBox(strText, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return false;
    m_bKeylessEditAccepted = true;
    return true;
}

bool CGridChildView::ConfirmColumnEdit(int nColumn)
{
    const CString reason = ColumnNoEditReason(nColumn);
    if (reason.IsEmpty())
        return true;
    // Only this column is refused: the result's other columns may still be edited.
    CString strText;
    strText.LoadString(IDS_COLUMN_NOT_EDITABLE);
    AfxMessageBox(strText + L"\n\n" + reason, MB_OK | MB_ICONINFORMATION);
    return false;
}

void CGridChildView::CreateWait(IWait*& pWait)
{
    auto* pDlg = new CWaitDlg(AfxGetMainWnd(), 5);
    CString strText;
    strText.LoadString(IDS_READING_DATA);
    pDlg->SetProcessText(strText);
    pWait = pDlg;
}

void CGridChildView::ShowColumnsDialog(LPCWSTR pszTitle)
{
    CColumnsDlg dlg(this);
    dlg.m_strTitle = pszTitle;
    dlg.DoModal();
}

bool CGridChildView::CanEditAsText(CRDatabaseHelper* pHelper, Zelt::ICursor* pCursor, UINT nColumn)
{
    if (pCursor == nullptr || nColumn < 1 || (int)nColumn > pCursor->GetColumnCount())
        return false;
    switch (pCursor->GetColumnSQLType(nColumn))
    {
    case -10:
    case -9:
    case -8:
    case -4:
    case -3:
    case -2:
    case -1:
    case 1:
    case 12: return true;
    case -152: return pHelper != nullptr && pHelper->GetDBMSKind() == DBMS_MSSQL;
    default: return false;
    }
}

void CGridChildView::EditValue(CRDatabaseHelper* pHelper)
{
    const int nRow = GetSelectedItem();
    const int nColumn = GetCurrentColumn();
    if (!CanEditValue() || nRow < 0 || nColumn < 0 || nColumn >= GetColumnCount())
        return;
    CGridColumn* pColumn = GetColumnObject(nColumn);
    RunReportingErrors([&] {
        if (!CanEditAsText(pHelper, GetCursor(), pColumn->m_nCursorColumn))
        {
            EditSelectedRow(nColumn);
            return;
        }
        const CString strTitle = QuoteSQLNameIfNeeded(
            pColumn->m_strName, pHelper ? &pHelper->GetCatalogDatabase() : nullptr);
        if (!m_bInserting && !m_bModified && !ConfirmRowEdit(nRow))
            return;
        CGridItem value;
        if (!PrepareEditCell(nRow, nColumn, nullptr, &value))
            return;
        OnBeginEdit(nRow);
        CEditValueDlg dlg(pHelper, strTitle, value,
                          GetCursor()->GetColumnSQLType(pColumn->m_nCursorColumn), this);
        dlg.SetLimit(ColumnEditLimit(GetCursor(), pColumn->m_nCursorColumn));
        if (dlg.DoModal() == IDOK)
        {
            if (dlg.IsChanged())
                SetCellValue(nRow, nColumn, dlg.GetValueText(), dlg.GetValueKind());
            else
                CancelEdit();
        }
        else
            CancelEdit();
    });
}

void CGridChildView::CopyValue()
{
    const int nRow = GetSelectedItem();
    if (CanCopyValue() && nRow >= 0)
        CopyCellValue(nRow, GetCurrentColumn());
}

void CGridChildView::OnContextMenu(CWnd* pWnd, CPoint point)
{
    CRGrid::OnContextMenu(pWnd, point);
    if (auto* pFrame = dynamic_cast<CGridChildFrame*>(GetParent()))
        pFrame->ShowContextMenu(point);
}
