// CMainFrame: the program's MDI main window (window class "Quenlark"). It owns the toolbar, the
// status bar, the database bar, the output bar, the menu painters, the recent script files and,
// embedded, the database services of the one connection. It hosts every top-level command.
//
// The members are implemented in one file per topic: main_frame.cpp (construction, layout,
// message map), main_frame_status.cpp, main_frame_recent.cpp, main_frame_connect.cpp,
// main_frame_files.cpp, main_frame_view.cpp; other topics keep their handlers in their own
// app/main_frame_<topic>.cpp and their declarations in their section below.
#pragma once

#include "framework/ui.h"

#include "app/output_bar.h"
#include "browser/db_bar.h"
#include "controls/menu_painter.h"
#include "services/database_helper.h"
#include "services/proc_call.h"

class CRecentFileList;
class CGridChildFrame;
#include "windows/sort_filter_info.h"

class CMainFrame : public CMDIFrameWnd
{
    DECLARE_DYNAMIC(CMainFrame)

public:
    CMainFrame();
    ~CMainFrame() override;

    // ---- Framework overrides (main_frame.cpp) -------------------------------------------------
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void GetMessageString(UINT nID, CString& rMessage) const override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // ---- Status bar and title (main_frame_status.cpp) ------------------------------------------
    // The prompt of a string id in the first pane (57345 "Ready" after every long command).
    void ShowMessage(UINT nID);
    // The text the active child shows instead of "Ready"; shown at once.
    void SetIdleMessage(LPCWSTR pszText);
    // Pane nIndex shows the text with a blank on each side, widened (never narrowed) to fit it.
    void SetPaneText(LPCWSTR pszText, UINT nPaneID, int nIndex);
    void SetRowsPane(LPCWSTR pszText);
    void SetPane2(LPCWSTR pszText);
    // 1 "ANSI", 2 "Unicode", 3 "UTF-8", anything else blank.
    void SetEncodingPane(int nEncoding);
    // "<text> - Quenlark", or "Quenlark" for an empty text.
    void SetConnectionTitle(LPCWSTR pszText);
    CStatusBar& GetStatusBar() { return m_wndStatusBar; }
    // The painter of the main menu; the child windows' popup menus are drawn by it too.
    CRMenuPainter& GetMenuPainter() { return m_menuPainter; }

    // ---- Connection (main_frame_connect.cpp) ---------------------------------------------------
    CRDatabaseHelper& GetDatabaseHelper() { return m_dbHelper; }
    bool IsConnected() const;
    // Connected with auto-commit off; false when the driver cannot tell.
    bool HasOpenTransaction();
    // Opens a connection string; pszFile (a database file, or null) gives the title.
    bool OpenConnection(LPCWSTR pszConnect, LPCWSTR pszFile);
    // False when the user cancelled the end-transaction question or closing failed.
    bool CloseConnection();
    void ConnectString(LPCWSTR pszConnect);
    // "mdb" 1, "accdb" 2, "fdb" 3, "sql" 4, anything else 0.
    static int GetFileType(LPCWSTR pszPath);
    static bool BuildFileConnectString(int nKind, LPCWSTR pszPath, CString& strConnect);
    // A database file connects, a script file opens in a script window, anything else is ignored.
    void OpenFile(LPCWSTR pszPath);
    void SetCurrentSchema(LPCWSTR pszConnect);
    // The schema the trees and the tables dialog preselect: empty unless "CurSchema" is on.
    CString GetCurrentSchema() const;

    // ---- Recent lists (main_frame_recent.cpp) --------------------------------------------------
    // A path shortened for menus and titles: drive or server, "\...\", the last folders.
    static CString CompactPath(LPCWSTR pszPath);
    void ShowRecentDropDown(UINT nFirstID, UINT nButtonID);
    CRecentFileList* GetRecentFileList() const { return m_pRecentFiles; }

    // ---- Auto-save (main_frame_view.cpp) -------------------------------------------------------
    void StartAutoSaveTimer();
    void StopAutoSaveTimer();

    // ---- Bars ---------------------------------------------------------------------------------
    CDBBar& GetDBBar() { return m_wndDBBar; }
    COutputBar& GetOutputBar() { return m_wndOutputBar; }
    CImageList& GetSmallIcons() { return m_imlSmallIcons; }
    CToolBar& GetToolBar() { return m_wndToolBar; }

    // ---- Object browser (main_frame_browser.cpp) -----------------------------------------------
    // The editor's auto-complete words: schemas and names of the database bar's trees.
    static BOOL FillAutoCompleteWords(CWnd* pMainWnd, CRCEAutoCompleteWordArray& words);

    // ---- Child windows (main_frame_children.cpp) -----------------------------------------------
    // Closes every grid window and, with bScripts, every script window, after asking about the
    // rows being edited and the changed scripts; false when one of them was kept.
    bool CloseAllChildren(bool bScripts);
    // Asked before grid windows close or lose their cursor (closing the program or the
    // connection, connecting elsewhere, Reconnect, Close All): each grid window with a row being
    // edited asks about it in front. Yes saves the row, No drops the edit once every window has
    // answered. False when one answer was Cancel or a save failed: then no edit is dropped and
    // nothing may close. Asked before the end-transaction question, which then covers the rows
    // saved.
    bool SettleEditedRows();
    void OpenSQLWindow(LPCWSTR pszPath = nullptr, int nEncoding = 0,
                       LPCWSTR pszInitialText = nullptr, LPCWSTR pszTitle = nullptr);
    // Before and after a reconnect: every grid window lets go of its cursor, then reads again.
    void CloseGridCursors();
    void RefreshGridWindows();
    // After the options changed: grid windows take the grid options (and read again when
    // bRefresh), script windows the editor options.
    void ApplyOptionsToChildren(bool bRefresh);
    // Timer 1: every script window with a file and unsaved changes saves itself.
    void AutoSaveScripts();

    // ---- Grid windows (main_frame_grids.cpp) ---------------------------------------------------
    // WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, maximised like the active child (or when none).
    DWORD GetChildFrameStyle();
    bool IsObjectInGrid(CGridChildFrame* pGrid, UINT nKind, const CStringPair& name);
    // True: go on and open another window ("NewWindowAction": 0 always, 1 show the open one,
    // 2 ask). Only tables and views are looked for.
    bool CheckAlreadyOpened(UINT nKind, const CStringPair& name);
    // Opens a table, view or other object by its SELECT; the title defaults to its name.
    void OpenDBObject(const CStringPair& name, const CFilterArray* pFilter, UINT nKind,
                      bool bAskIfOpen, LPCWSTR pszTitle = nullptr);
    void OpenGridWindow(LPCWSTR pszSelect, LPCWSTR pszShowSQL, LPCWSTR pszTitle,
                        const CFilterArray* pFilter, UINT nKind, const CStringPair& name,
                        bool bAskIfOpen);
    // Shows an opened cursor (taken over; deleted when no window takes it).
    void OpenRecordsetWindow(Zelt::ICursor* pCursor, LPCWSTR pszTitle, UINT nKind,
                             const CStringPair& name, bool bAskIfOpen);
    void ShowPlanWindow(LPCWSTR pszSQL, LPCWSTR pszTitle);
    void ShowExecutionPlan(LPCWSTR pszSQL, LPCWSTR pszTitle);
    // The plan of a script selection: comments stripped, then flattened; the text is the title.
    void ShowScriptExecutionPlan(LPCWSTR pszSQL);
    // An "Untitled" window that shows an error or source text.
    void OpenErrorWindow(LPCWSTR pszText);

    // ---- SQL query and scripts (main_frame_scripts.cpp) ---------------------------------------
    // "Execute SQL" with the text (empty: the most recent stored query), then ExecuteSQL.
    void RunSQLQueryDialog(LPCWSTR pszText);
    // Runs one SQL text directly (comments removed): a result set opens a grid window, anything
    // else reports the rows changed. With bShowPlan only the plan is shown. True when the
    // statement ran or the plan was shown.
    bool ExecuteSQL(LPCWSTR pszText, bool bShowPlan);
    // "Executed OK." and the elapsed time when given.
    void ShowExecuted(LPCWSTR pszElapsed);

    // ---- Objects and transactions (main_frame_objects.cpp) -------------------------------------
    void ShowDatabaseBar(bool bShow, bool bRefresh);
    // Commit or roll back after asking; false when the user cancelled or it failed.
    bool EndTransaction();
    // A numeric driver limit (a 16-bit SQLGetInfo value) as the properties dialog shows it:
    // "no limit" for 0, "?" when the driver does not answer.
    CString GetInfoLimitText(WORD nInfoType);

    // ---- Procedures and object lists (main_frame_procs.cpp) -----------------------------------
    // Asks for the inputs (remembered per procedure until the end), calls the procedure or
    // function and shows its outputs, or with the plan chosen its plan rows in a grid window.
    void CallStoredProcedure(const CStringPair& name);
    // Prepares, binds, executes and reads the output values back; false after a message.
    bool BindProcedureCall(CRRecordset* pRecordset, LPCWSTR pszSQL, CProcParamsArray& params,
                           bool bHasReturnValue);
    // The tables dialog of a kind (DBOBJ_TABLE, DBOBJ_VIEW, DBOBJ_PROCEDURE) and what it chose.
    void RunObjectsDialog(int nObjectKind, UINT nPrompt);

protected:
    // ---- Members, in the order they are built ----------------------------------------------
    CString m_strIdleMessage;
    CImageList m_imlSmallIcons; // icons 154, 155, 156 for the grid windows
    CRDatabaseHelper m_dbHelper;
    UINT m_nCompactRepair = 0; // never set: Compact and Repair stay disabled
    CString m_strCurrentSchema;
    HICON m_hIconLarge = nullptr;
    HICON m_hIconSmall = nullptr;
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CImageList m_imlToolBar;
    CImageList m_imlToolBarDisabled;
    CRecentFileList* m_pRecentFiles = nullptr;
    CDBBar m_wndDBBar;
    CRMenuPainter m_menuPainter;
    CRMenuPainter m_popupPainter;
    COutputBar m_wndOutputBar;
    UINT_PTR m_nAutoSaveTimer = 0;
    UINT m_nAutoSavePeriod = 5;
    bool m_bTracing = false;      // ODBC tracing was turned on for this connection
    bool m_bClosing = false;      // from a close request until it is cancelled or the frame is gone
    int m_nScriptCounter = 0;     // titles "SQL%d" of new scripts
    bool m_bBuildingBars = false; // OnCreate is docking and restoring the bars
    bool m_bLayoutPending = false; // a layout was asked for meanwhile

    // Closes an open connection before another opens; false when the user kept it.
    bool CloseBeforeConnect();
    // Drops the plan table the plan commands created on this connection.
    void DropPlanTableIfCreated();
    // The Options sheet (CAppSettings::EditOptions); true when confirmed.
    bool RunOptionsSheet(BOOL* pbGridChanged);

    bool CreateToolBar();
    bool CreateStatusBar();
    bool CreateDockingBars();
    void CreateSmallIcons();
    // Brings the toolbar buttons and status panes to the frame's state now, as the idle time of
    // the message loop would.
    void UpdateBarsNow();
    bool IsEditorFocused() const;
    void RecalcLayout(BOOL bNotify = TRUE) override;

    // ---- Message handlers: frame (main_frame.cpp) ------------------------------------------------
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnClose();
    // Sets the closing state here and, for new starts of the program, on the window.
    void SetClosing(bool bClosing);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg void OnAppExit();

    // ---- Message handlers: status panes (main_frame_status.cpp) ----------------------------------
    afx_msg void OnUpdateTransPane(CCmdUI* pCmdUI);
    afx_msg void OnUpdateConnected(CCmdUI* pCmdUI);

    // ---- Message handlers: recent lists (main_frame_recent.cpp) ----------------------------------
    afx_msg void OnUpdateRecentFiles(CCmdUI* pCmdUI);
    afx_msg void OnUpdateRecentConnections(CCmdUI* pCmdUI);

    // ---- Message handlers: connecting (main_frame_connect.cpp, main_frame_files.cpp) -------------
    afx_msg void OnConnectDSN();
    afx_msg void OnConnectDriver();
    afx_msg void OnConnectionStrings();
    afx_msg void OnConnectFile();
    afx_msg void OnCloseConnection();
    afx_msg void OnReconnect();
    afx_msg void OnTraceOn();
    afx_msg void OnTraceOff();
    afx_msg void OnUpdateTraceOn(CCmdUI* pCmdUI);
    afx_msg void OnUpdateTraceOff(CCmdUI* pCmdUI);
    afx_msg BOOL OnCopyData(CWnd* pWnd, COPYDATASTRUCT* pCopyDataStruct);
    afx_msg void OnDropFiles(HDROP hDropInfo);

    // ---- Message handlers: view, window, help (main_frame_view.cpp) ------------------------------
    afx_msg void OnViewOutput();
    afx_msg void OnUpdateViewOutput(CCmdUI* pCmdUI);
    afx_msg void OnSwitchToOutput();
    afx_msg void OnUpdateSwitchToOutput(CCmdUI* pCmdUI);
    afx_msg void OnSwitchToWorkingWindow();
    afx_msg void OnUpdateChildActive(CCmdUI* pCmdUI);
    afx_msg void OnWindowNext();
    afx_msg void OnWindowPrevious();
    afx_msg void OnWindowCloseAll();
    afx_msg void OnUpdateCompactRepair(CCmdUI* pCmdUI);
    afx_msg void OnHelpContents();
    afx_msg void OnHelpIndex();
    afx_msg void OnOptions();
    afx_msg void OnDSNAdministrator();

    // ---- Message handlers: SQL query and scripts (main_frame_scripts.cpp) ------------------------
    afx_msg void OnSQLQuery();
    afx_msg void OnExecuteSQLScript();
    afx_msg void OnNewScript();
    afx_msg void OnOpenScript();

    // ---- Message handlers: objects and transactions (main_frame_objects.cpp) ---------------------
    afx_msg void OnShowDatabaseBar();
    afx_msg void OnUpdateShowDatabaseBar(CCmdUI* pCmdUI);
    afx_msg void OnEndTransaction();
    afx_msg void OnRefreshDatabaseBar();
    afx_msg void OnUpdateRefreshDatabaseBar(CCmdUI* pCmdUI);
    afx_msg void OnUpdateEndTransaction(CCmdUI* pCmdUI);
    afx_msg void OnBeginTransaction();
    afx_msg void OnUpdateBeginTransaction(CCmdUI* pCmdUI);
    afx_msg void OnSwitchToDatabaseBar();
    afx_msg void OnUpdateSwitchToDatabaseBar(CCmdUI* pCmdUI);
    afx_msg void OnConstraints();
    afx_msg void OnUpdateConstraints(CCmdUI* pCmdUI);

    // ---- Message handlers: object lists (main_frame_procs.cpp) ------------------------------------
    afx_msg void OnTables();
    afx_msg void OnViews();
    afx_msg void OnStoredProcedures();

    // ---- Message handlers: driver information dialogs (main_frame_info.cpp) --------------------
    afx_msg void OnConnectionProperties();
    afx_msg void OnConnectionTypes();
    afx_msg void OnConnectionFunctions();

    DECLARE_MESSAGE_MAP()
};

// The main frame of the program, or null before it exists.
CMainFrame* GetMainFrame();
