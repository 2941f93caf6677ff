// CMainFrame: opening, reopening and closing the connection, and the Connect menu's commands.
#include "app/main_frame.h"

#include "app/app_settings.h"
#include "app/connection_dialogs.h"
#include "app/connection_text.h"
#include "app/connect_string_files.h"
#include "app/driver_path.h"
#include "controls/utility.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"

namespace {

int ConnectionTimeout()
{
    return theSettings.m_nConnectionTimeout;
}

void ReportIncompleteString(LPCWSTR pszConnect)
{
    AfxMessageBox(L"The ODBC driver could not complete the connection \"" +
                      RemoveConnectItem(pszConnect, L"PWD") +
                      L"\": it cannot ask for the settings the string lacks.\n\n"
                      L"Type the complete connection string in Connect > Connection Strings.",
                  MB_ICONERROR);
}

void ReportUnusableDatabase(LPCWSTR pszConnect, const CString& strDatabase)
{
    AfxMessageBox(
        L"The connection \"" + RemoveConnectItem(pszConnect, L"PWD") +
            L"\" was not opened: the SQLite ODBC driver would take the Database value \"" +
            strDatabase +
            L"\" as it stands, braces and blanks included, and make a new database "
            L"file of that name.\n\n"
            L"Give the database file's name without braces or blanks around it.",
        MB_ICONERROR);
}

} // namespace

bool CMainFrame::OpenConnection(LPCWSTR pszConnect, LPCWSTR pszFile)
{
    CWaitCursor wait;
    ShowMessage(IDS_CONNECTING);
    // The connect runs behind the wait dialog, whose loop leaves no idle time for the command
    // updates: without this the toolbar would show the state before the connect until the
    // connect ends.
    UpdateBarsNow();
    bool bOpened = false;
    // Such a driver has no dialog to ask for the rest, and opening the file would make it: the
    // string is not handed over at all, neither as given nor with the options the connection
    // adds to it.
    CString strDatabase;
    const ConnectStringCheck check = CheckConnectString(pszConnect, &strDatabase);
    if (check != ConnectStringCheck::Ok)
    {
        if (check == ConnectStringCheck::NamesFileAfterString)
            ReportIncompleteString(pszConnect);
        else
            ReportUnusableDatabase(pszConnect, strDatabase);
        ShowMessage(AFX_IDS_IDLEMESSAGE);
        return false;
    }
    const CConnectStringFiles stringFiles(pszConnect);
    const bool bOk = RunReportingErrors(
        [&] {
            bool bCancelled = false;
            if (!m_dbHelper.ConnectAsync(pszConnect, this, ConnectionTimeout(),
                                         theSettings.m_nLoginTimeout, theSettings.m_nQueryTimeout,
                                         &bCancelled))
            {
                // A connect that gave up half way may have left a connection open: nothing of
                // it may stay, or the commands would act on it.
                m_dbHelper.Close();
                if (!bCancelled)
                    AfxMessageBox(L"Failed to open connection", MB_ICONERROR);
                return;
            }
            const CString strCompleted = m_dbHelper.GetDatabase().GetConnect();
            if (IsConnectStringTakenAsValue(pszConnect, strCompleted))
            {
                // The driver could not ask for what the string lacks and opened something
                // named after the string itself: that is no connection the user asked for.
                m_dbHelper.Close();
                stringFiles.RemoveNewEmptyFiles();
                ReportIncompleteString(pszConnect);
                return;
            }
            bOpened = true;
            SetCurrentSchema(strCompleted);
            // What the driver completed, unless the driver manager could not find the driver
            // again from it.
            theSettings.AddConnectString(MakeReconnectString(pszConnect, strCompleted));

            CString strDataSource;
            if (pszFile == nullptr || *pszFile == 0)
            {
                if (!m_dbHelper.GetDatabase().GetDataSourceName(strDataSource))
                    strDataSource.Empty();
            }
            SetConnectionTitle(
                MakeConnectionTitle(pszConnect, strCompleted, pszFile, strDataSource));
            ShowDatabaseBar(theSettings.m_bDBBarVisible != 0, false);
        },
        GetSafeHwnd());
    if (!bOk && bOpened)
    {
        // Failed after the driver connected: the frame does not keep a connection it does not
        // show.
        m_dbHelper.Close();
        SetCurrentSchema(nullptr);
        SetConnectionTitle(nullptr);
    }
    ShowMessage(AFX_IDS_IDLEMESSAGE);
    return bOk && bOpened;
}

bool CMainFrame::CloseConnection()
{
    // The rows being edited are asked about before the transaction, so that a row saved here is
    // in the transaction the question ends.
    if (!SettleEditedRows())
        return false;
    CWaitCursor wait;
    ShowMessage(IDS_CLOSING_CONNECTION);
    bool bClosed = false;
    RunReportingErrors(
        [&] {
            // The question comes first: Cancel keeps the connection and every window on it.
            if (HasOpenTransaction() && !EndTransaction())
                return;
            CloseAllChildren(false);
            DropPlanTableIfCreated();
            m_dbHelper.Close();
            m_bTracing = false;
            SetCurrentSchema(nullptr);
            SetConnectionTitle(nullptr);
            theSettings.m_bDBBarVisible = m_wndDBBar.IsVisible() ? 1 : 0;
            ShowDatabaseBar(false, true);
            bClosed = true;
        },
        GetSafeHwnd());
    ShowMessage(AFX_IDS_IDLEMESSAGE);
    return bClosed;
}

void CMainFrame::SetCurrentSchema(LPCWSTR pszConnect)
{
    m_strCurrentSchema.Empty();
    if (IsConnected() && m_dbHelper.GetDBMSKind() == DBMS_ORACLE && pszConnect != nullptr)
    {
        m_strCurrentSchema = CRDatabaseHelper::GetConnectStringUser(pszConnect);
        m_strCurrentSchema.MakeUpper();
    }
}

bool CMainFrame::CloseBeforeConnect()
{
    if (!IsConnected())
        return true;
    if (!CloseConnection())
        return false;
    UpdateWindow();
    return true;
}

void CMainFrame::ConnectString(LPCWSTR pszConnect)
{
    if (CloseBeforeConnect())
        OpenConnection(pszConnect, nullptr);
}

void CMainFrame::OnConnectDSN()
{
    CDSNDlg dlg(this);
    if (dlg.DoModal() != IDOK)
        return;
    if (CloseBeforeConnect())
        OpenConnection(dlg.GetConnectString(), nullptr);
}

void CMainFrame::OnConnectDriver()
{
    CDriverDlg dlg(this);
    if (dlg.DoModal() != IDOK)
        return;
    if (CloseBeforeConnect())
        OpenConnection(MakeConnectItem(L"Driver", dlg.GetDriverName()), nullptr);
}

void CMainFrame::OnConnectionStrings()
{
    CConStrDlg dlg(this);
    if (dlg.DoModal() == IDOK)
        ConnectString(dlg.GetConnectString());
}

void CMainFrame::OnCloseConnection()
{
    if (IsConnected())
        CloseConnection();
}

void CMainFrame::OnConnectFile()
{
    // The filter last chosen, for this run of the program.
    static DWORD s_nFilterIndex = 1;
    CString strFilter =
        LoadResString(IDS_ACCESS_FILES_FILTER) + LoadResString(IDS_FIREBIRD_FILES_FILTER) + L"|";
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_ENABLESIZING, strFilter, this);
    dlg.m_ofn.nFilterIndex = s_nFilterIndex;
    if (dlg.DoModal() != IDOK)
        return;
    s_nFilterIndex = dlg.m_ofn.nFilterIndex;
    if (!CloseBeforeConnect())
        return;
    theSettings.SaveCurrentDirectory();
    const CString strPath = dlg.GetPathName();
    const int nKind = s_nFilterIndex == 2 ? 3 : GetFileType(strPath);
    CString strConnect;
    if (BuildFileConnectString(nKind, strPath, strConnect))
        OpenConnection(strConnect, strPath);
}

int CMainFrame::GetFileType(LPCWSTR pszPath)
{
    const CString strExtension = GetFileExtension(pszPath);
    if (strExtension.CompareNoCase(L"mdb") == 0)
        return 1;
    if (strExtension.CompareNoCase(L"accdb") == 0)
        return 2;
    if (strExtension.CompareNoCase(L"fdb") == 0)
        return 3;
    if (strExtension.CompareNoCase(L"sql") == 0)
        return 4;
    return 0;
}

bool CMainFrame::BuildFileConnectString(int nKind, LPCWSTR pszPath, CString& strConnect)
{
    strConnect.Empty();
    // The driver opens the file itself (see ToDriverPath); a path holding ';' or braces is
    // braced, so it cannot end the item early.
    const CString strPath = ToDriverPath(pszPath);
    switch (nKind)
    {
    case 1:
        strConnect =
            L"Driver={Microsoft Access Driver (*.mdb)};" + MakeConnectItem(L"Dbq", strPath);
        return true;
    case 2:
        strConnect = L"Driver={Microsoft Access Driver (*.mdb, *.accdb)};" +
                     MakeConnectItem(L"Dbq", strPath);
        return true;
    case 3:
        strConnect =
            L"Driver={Firebird/InterBase(r) driver};" + MakeConnectItem(L"DBName", strPath);
        return true;
    }
    return false;
}

void CMainFrame::OnReconnect()
{
    if (!IsConnected())
        return;
    // A new session ends the open transaction and every grid window's cursor, and with it the
    // rows being edited: asked first, as a close asks, and Cancel keeps the session, its
    // transaction and every window as they are. An end that failed goes on only when the
    // transaction went with it (a session the server dropped).
    if (!SettleEditedRows())
        return;
    if (HasOpenTransaction() && !EndTransaction() && HasOpenTransaction())
        return;
    CWaitCursor wait;
    CloseGridCursors();
    bool bReconnected = false;
    RunReportingErrors(
        [&] {
            bool bCancelled = false;
            bReconnected =
                m_dbHelper.Reconnect(this, ConnectionTimeout(), theSettings.m_nLoginTimeout,
                                     theSettings.m_nQueryTimeout, &bCancelled);
        },
        GetSafeHwnd());
    if (bReconnected)
    {
        // A reconnect starts a new session: tracing is off again.
        m_bTracing = false;
        RefreshGridWindows();
    }
    else
        CloseConnection();
}
