// CDBObjProp: copying, Select All, the context menu, export and the drop run of the object
// property lists.
#include "browser/object_prop.h"

#include "browser/object_prop_text.h"
#include "browser/rename_dlg.h"
#include "controls/header_fit.h"
#include "controls/window_helpers.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"
#include "services/data_file.h"
#include "services/database_helper.h"
#include "services/wait_dlg.h"
#include "util/utility.h"

BEGIN_MESSAGE_MAP(CDBObjProp, CQuenlarkListCtrl)
    ON_COMMAND(ID_DBO_SELECT_ALL, &CDBObjProp::OnSelectAll)
    ON_COMMAND(ID_DBO_EXPORT, &CDBObjProp::OnExport)
    ON_COMMAND(ID_DBO_COPY_NAMES, &CDBObjProp::OnCopyNames)
    ON_COMMAND(ID_DBO_COPY_NAMES_TYPES, &CDBObjProp::OnCopyNamesAndTypes)
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

CDBObjProp::CDBObjProp(CRDatabaseHelper* pHelper, const CStringPair& name, int nKind)
    : m_pHelper(pHelper), m_name(name), m_nKind(nKind)
{}

void CDBObjProp::AddStandardStyle()
{
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                     LVS_EX_LABELTIP);
}

int CDBObjProp::AddColumn(LPCWSTR pszText, int nWidth, int nFormat)
{
    const int nCount = GetHeaderCtrl() ? GetHeaderCtrl()->GetItemCount() : 0;
    return InsertColumn(nCount, pszText, nFormat, nWidth);
}

int CDBObjProp::GetUsableWidth()
{
    CRect client;
    GetClientRect(&client);
    return client.Width() - ::GetSystemMetrics(SM_CXVSCROLL);
}

std::vector<int> CDBObjProp::GetSelectedRows() const
{
    std::vector<int> rows;
    for (int i = GetNextItem(-1, LVNI_SELECTED); i >= 0; i = GetNextItem(i, LVNI_SELECTED))
        rows.push_back(i);
    return rows;
}

CString CDBObjProp::GetCopyPart(int nRow, UINT)
{
    return GetItemText(nRow, 0);
}

CString CDBObjProp::GetCopyText(UINT nFlags)
{
    std::vector<CString> parts;
    for (int nRow : GetSelectedRows())
        parts.push_back(GetCopyPart(nRow, nFlags));
    return JoinCopyParts(parts);
}

bool CDBObjProp::CopyNames(UINT nFlags)
{
    if (GetSelectedRows().empty())
        return false;
    return CopyTextToClipboard(this, GetCopyText(nFlags));
}

BOOL CDBObjProp::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_INSERT || pMsg->wParam == 'C') &&
        (::GetKeyState(VK_CONTROL) & 0x8000) && CopyNames(copyNames))
        return TRUE;
    return CQuenlarkListCtrl::PreTranslateMessage(pMsg);
}

void CDBObjProp::OnSelectAll()
{
    SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
}

void CDBObjProp::OnExport()
{
    Export();
}

void CDBObjProp::OnCopyNames()
{
    CopyNames(copyNames);
}

void CDBObjProp::OnCopyNamesAndTypes()
{
    CopyNames(copyNames | copyTypes);
}

void CDBObjProp::OnContextMenu(CWnd*, CPoint point)
{
    const int nPopup = GetContextMenuIndex();
    if (nPopup < 0)
        return;
    CMenu menu;
    if (!menu.LoadMenu(IDR_DBO_PROP_MENU))
        return;
    CMenu* pPopup = menu.GetSubMenu(nPopup);
    if (pPopup == nullptr)
        return;
    GetContextMenuPoint(this, point);
    pPopup->TrackPopupMenu(TPM_RIGHTBUTTON, point.x, point.y, this);
}

// ---- Export ------------------------------------------------------------------------------------

int CDBObjProp::GetExportColumnCount()
{
    return GetHeaderCtrl() ? GetHeaderCtrl()->GetItemCount() : 0;
}

int CDBObjProp::GetExportRowCount()
{
    return GetItemCount();
}

CString CDBObjProp::GetExportColumnName(int nColumn)
{
    wchar_t text[1024] = {};
    HDITEMW item = {};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 1023;
    if (GetHeaderCtrl())
        GetHeaderCtrl()->GetItem(nColumn, &item);
    return text;
}

CString CDBObjProp::GetExportItemText(int nRow, int nColumn)
{
    return GetItemText(nRow, nColumn);
}

bool CDBObjProp::Export()
{
    CString path;
    const int nFormat =
        AskDataFileName(SAVEAS_CSV | SAVEAS_HTML | SAVEAS_EXCEL, path, m_name.m_strSecond, this);
    if (nFormat == 0)
        return false;
    bool bDone = false;
    try
    {
        std::unique_ptr<CDataFile> pFile =
            CreateDataFile(nFormat, path, m_pHelper ? &m_pHelper->GetDatabase() : nullptr, this);
        if (!pFile)
            return false;
        CWaitCursor wait;
        pFile->BeginFile();
        const int nColumns = GetExportColumnCount();
        if (nColumns > 0)
        {
            pFile->BeginTable(m_name, nullptr);
            for (int c = 0; c < nColumns; ++c)
                pFile->AddColumnHeader(GetExportColumnName(c), c);
            pFile->EndHeader(m_name);
        }
        const int nRows = GetExportRowCount();
        for (int r = 0; r < nRows; ++r)
        {
            pFile->BeginRow();
            for (int c = 0; c < nColumns; ++c)
                pFile->AddValue(GetExportItemText(r, c), c);
            pFile->EndRow();
        }
        pFile->EndRows(m_name);
        for (int c = 0; c < nColumns; ++c)
            pFile->AddFooter(CString(), c);
        pFile->EndTable(m_name);
        pFile->EndFile();
        bDone = true;
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
        AfxMessageBox(FormatErrorText(e), MB_OK);
    }
    catch (...)
    {}
    return bDone;
}

// ---- Renames -----------------------------------------------------------------------------------

INT_PTR CDBObjProp::GetSelectedRecord(INT_PTR nCount) const
{
    const int nRow = GetSelectedItem();
    const INT_PTR nRecord = nRow >= 0 ? (INT_PTR)GetItemData(nRow) : -1;
    return nRecord >= 0 && nRecord < nCount ? nRecord : -1;
}

bool CDBObjProp::RunRename(UINT nKind, CStringPair name, LPCWSTR pszSubName,
                           const std::function<bool(const CString&)>& rename, CString& strNewName)
{
    CRenameDBObjDlg dlg(nKind, &name, pszSubName, GetParent());
    if (dlg.DoModal() != IDOK)
        return false;
    strNewName = dlg.GetNewName();
    bool bRenamed = false;
    RunReportingErrors(
        [&] {
            CWaitCursor wait;
            bRenamed = rename(strNewName);
        },
        nullptr, false);
    return bRenamed;
}

void CDBObjProp::SetRenamedRow(int nRow, int nColumn, const CString& strNewName)
{
    SetItemText(nRow, nColumn, strNewName);
    SetColumnWidth(nColumn, LVSCW_AUTOSIZE_USEHEADER);
    FitColumnToHeader(m_hWnd, nColumn);
}

// ---- Drops -------------------------------------------------------------------------------------

std::vector<int> CDBObjProp::RunDrop(const std::vector<int>& rows, const CString& question,
                                     UINT nFlags, LPCWSTR pszProcess,
                                     const std::function<CString(int)>& name,
                                     const std::function<void(int)>& drop)
{
    std::vector<int> dropped;
    if (rows.empty() ||
        AfxMessageBox(question, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
        return dropped;
    CWaitDlg wait(GetParent(), nFlags, (int)rows.size());
    wait.SetProcessText(pszProcess);
    RunReportingErrors(
        [&] {
            for (size_t i = rows.size(); i-- > 0;)
            {
                wait.SetInfoText(name(rows[i]));
                if (wait.PumpMessages())
                    break;
                drop(rows[i]);
                dropped.push_back(rows[i]);
                OnObjectDropped(rows[i]);
                wait.Step();
            }
        },
        nullptr, false);
    return dropped;
}

void CDBObjProp::DeleteRows(const std::vector<int>& rows)
{
    // The rows come from the last to the first, so the indexes of the rest stay valid.
    std::vector<int> sorted(rows);
    std::sort(sorted.rbegin(), sorted.rend());
    for (int nRow : sorted)
        DeleteItem(nRow);
    if (GetItemCount() > 0)
        SelectItem(0);
}
