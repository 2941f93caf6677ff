// CMainFrame: files that arrive from the command line, a second instance or a drop, and ODBC
// tracing.
#include "app/main_frame.h"

#include "app/app_settings.h"
#include "app/driver_path.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"

#include <vector>

void CMainFrame::OpenFile(LPCWSTR pszPath)
{
    const int nKind = GetFileType(pszPath);
    if (nKind >= 1 && nKind <= 3)
    {
        if (IsConnected())
        {
            if (AfxMessageBox(IDS_CLOSE_CURRENT_CONNECTION, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
                return;
            if (!CloseConnection())
                return;
            UpdateWindow();
        }
        CString strConnect;
        if (BuildFileConnectString(nKind, pszPath, strConnect))
            OpenConnection(strConnect, pszPath);
    }
    else if (nKind == 4)
        OpenSQLWindow(pszPath);
    else
        return;
    if (IsIconic())
        ShowWindow(SW_RESTORE);
    SetForegroundWindow();
    SetFocus();
}

BOOL CMainFrame::OnCopyData(CWnd* pWnd, COPYDATASTRUCT* pCopyDataStruct)
{
    // The answer tells the sender whether the path was taken: a closing frame refuses it (the
    // new start then opens a window of its own) instead of opening a window it is about to
    // close.
    BOOL bTaken = FALSE;
    // The text is read within cbData: a sender that forgot the terminating zero cannot make
    // this process read past its buffer.
    const COPYDATASTRUCT* pData = pCopyDataStruct;
    if (pData != nullptr && pData->lpData != nullptr && pData->cbData > 0 &&
        (pData->dwData == 0 || pData->dwData == 1))
    {
        CString strPath;
        if (pData->dwData == 1)
        {
            const auto* pText = static_cast<const WCHAR*>(pData->lpData);
            const DWORD nMax = pData->cbData / sizeof(WCHAR);
            DWORD n = 0;
            while (n < nMax && pText[n] != 0)
                ++n;
            strPath = CString(pText, (int)n);
        }
        else
        {
            const auto* pText = static_cast<const char*>(pData->lpData);
            DWORD n = 0;
            while (n < pData->cbData && pText[n] != 0)
                ++n;
            if (n > 0)
            {
                int nWide = ::MultiByteToWideChar(CP_ACP, 0, pText, (int)n, nullptr, 0);
                std::vector<WCHAR> buffer(nWide + 1);
                ::MultiByteToWideChar(CP_ACP, 0, pText, (int)n, buffer.data(), nWide);
                strPath = CString(buffer.data(), nWide);
            }
        }
        if (!strPath.IsEmpty() && !m_bClosing)
        {
            OpenFile(strPath);
            bTaken = TRUE;
        }
    }
    CMDIFrameWnd::OnCopyData(pWnd, pCopyDataStruct);
    return bTaken;
}

void CMainFrame::OnDropFiles(HDROP hDropInfo)
{
    const UINT nFiles = ::DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0);
    if (nFiles >= 2)
        AfxMessageBox(IDS_TOO_MANY_FILES, MB_ICONERROR);
    else if (nFiles == 1)
    {
        // Paths longer than MAX_PATH exist (\\?\ names): take the whole path.
        const UINT nLength = ::DragQueryFileW(hDropInfo, 0, nullptr, 0);
        std::vector<WCHAR> buffer(nLength + 1);
        ::DragQueryFileW(hDropInfo, 0, buffer.data(), nLength + 1);
        CString strPath(buffer.data());
        ::DragFinish(hDropInfo);
        OpenFile(strPath);
        return;
    }
    ::DragFinish(hDropInfo);
}

// ---- ODBC tracing -------------------------------------------------------------------------------
// The driver manager here reports SQL_OPT_TRACE as on whatever was set, so the frame keeps its
// own flag.

void CMainFrame::OnTraceOn()
{
    ShowMessage(IDS_TRACE_ON_PROMPT);
    CRDatabase& db = m_dbHelper.GetDatabase();
    CString strFile;
    if (!db.GetTraceFile(strFile))
        strFile.Empty();
    // The driver manager writes (appends to) the file: it is named through a Save dialog, so
    // a new file can be named; an existing one is added to, hence no overwrite question.
    CFileDialog dlg(FALSE, L"log", strFile, OFN_HIDEREADONLY | OFN_ENABLESIZING,
                    L"Log files|*.log|All|*.*||", this);
    dlg.m_ofn.nFilterIndex = 1;
    if (dlg.DoModal() == IDOK)
    {
        theSettings.SaveCurrentDirectory();
        const CString strPath = ToDriverPath(dlg.GetPathName());
        RunReportingErrors(
            [&] {
                if (db.StartTrace(strPath))
                    m_bTracing = true;
                else
                    AfxMessageBox(L"Failed", MB_ICONERROR);
            },
            GetSafeHwnd());
    }
    ShowMessage(AFX_IDS_IDLEMESSAGE);
}

void CMainFrame::OnTraceOff()
{
    ShowMessage(IDS_TRACE_OFF_PROMPT);
    RunReportingErrors(
        [&] {
            if (m_dbHelper.GetDatabase().StopTrace())
                m_bTracing = false;
            else
                AfxMessageBox(L"Failed", MB_ICONERROR);
        },
        GetSafeHwnd());
    ShowMessage(AFX_IDS_IDLEMESSAGE);
}

void CMainFrame::OnUpdateTraceOn(CCmdUI* pCmdUI)
{
    // Tracing belongs to a connection: without one there is nothing to trace.
    pCmdUI->Enable(IsConnected() && !m_bTracing);
}

void CMainFrame::OnUpdateTraceOff(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsConnected() && m_bTracing);
}
