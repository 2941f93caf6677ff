// CGridChildFrame: the MDI child window that shows one result set in a grid: a table, view or
// other object, the result of a query, or the rows of an execution plan. It owns the cursor it
// shows, builds its SELECT from a base text, a sort and a filter, opens it again when asked, and
// keeps the main window's status panes up to date while it is active.
//
// grid_child_frame.cpp: construction, opening and reading; grid_child_commands.cpp: the Query
// and Edit commands, their update rules and the popup menus.
#pragma once

#include "dbaccess/sql_names.h"
#include "framework/ui.h"
#include "windows/child_menu_painting.h"
#include "windows/grid_child_view.h"
#include "windows/grid_window_text.h"
#include "windows/sort_filter_info.h"

#include <memory>

class CRDatabaseHelper;

// Kinds of grid windows.
enum GridFrameKind : UINT
{
    kGridQuery = 0,
    kGridTable = 1,
    kGridView = 2,
    kGridProcedure = 3,
    kGridFunction = 4,
    kGridTableLike = 6,
    kGridPlan = 7,
};

// What became of the row being edited when the window was asked before it closes or loses its
// cursor.
enum class EditedRowAnswer
{
    Settled, // no row was being edited, or it was saved
    Drop,    // the user chose not to save it: DropEditedRow once the closing goes on
    Keep,    // the user cancelled, or the save failed (its error shown): nothing may close
};

class CGridChildFrame : public CMenuPaintingChildWnd
{
    DECLARE_DYNAMIC(CGridChildFrame)

public:
    CGridChildFrame();
    // An object: its SELECT and the text Show SQL shows; the filter is copied when the kind
    // can be filtered.
    CGridChildFrame(CRDatabaseHelper* pHelper, LPCWSTR pszSelect, LPCWSTR pszShowSQL,
                    const CFilterArray* pFilter, UINT nKind, const CStringPair& name,
                    CImageList* pHeaderImages);
    // An opened result set, taken over.
    CGridChildFrame(CRDatabaseHelper* pHelper, std::unique_ptr<Zelt::ICursor>& cursor, UINT nKind,
                    const CStringPair& name, CImageList* pHeaderImages);
    // A plan: the statement that reads the plan rows and the statement explained.
    CGridChildFrame(CRDatabaseHelper* pHelper, LPCWSTR pszPlanSelect, LPCWSTR pszShowSQL,
                    UINT32 nStatementId);
    ~CGridChildFrame() override;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void GetMessageString(UINT nID, CString& rMessage) const override;
    void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd) override;

    bool CanSort() const { return CanSortKind(m_nKind); }
    bool CanFilter() const { return CanFilterKind(m_nKind); }
    static bool CanSortKind(UINT nKind)
    {
        return nKind == 1 || nKind == 2 || nKind == 3 || nKind == 6;
    }
    static bool CanFilterKind(UINT nKind) { return nKind == 1 || nKind == 2 || nKind == 6; }
    int GetObjectKind() const;
    static UINT GetIconId(UINT nKind);

    bool ApplySortAndFilter(const CSortArray* pSort, const CFilterArray* pFilter, UINT nPrompt,
                            bool bKeepLayout);
    bool Requery(LPCWSTR pszSelect, bool bKeepLayout, const CSortArray* pSort,
                 const CFilterArray* pFilter, int nSelectRow);
    bool LoadCursor(bool bRebuildColumns, const std::vector<CColumnRefreshInfo>* pLayout,
                    int nSelectRow);
    void SortByColumn(int nColumn, bool bAscending);
    // Reads the data again. bAsk: a result window that did more than read (an INSERT ...
    // RETURNING, several statements) asks before it runs again; without bAsk (refreshes the
    // program makes by itself) such a window is left as it is.
    void Refresh(bool bAsk);
    void ApplyOptions();
    UINT GetGridOptions() const;
    bool IsConnected() const;
    // With this window in front, asks whether the row being edited is saved before the window
    // closes (or its cursor does): Yes saves it, No leaves the edit for DropEditedRow, Cancel
    // keeps it. Asks nothing when no row is being edited.
    EditedRowAnswer AskAboutEditedRow();
    void DropEditedRow();
    bool IsCursorOpen() const;
    void CloseCursor();
    void SetRowsText();
    bool IsActiveChild() const;
    void ShowElapsedTime();
    void SetStatusMessage(UINT nPromptId);
    void ShowContextMenu(CPoint point);

    UINT GetKind() const { return m_nKind; }
    const CStringPair& GetObjectName() const { return m_name; }
    const CString& GetCurrentSelect() const { return m_strCurrentSelect; }
    const CString& GetShowSQL() const { return m_strShowSQL; }
    const CSortArray& GetSort() const { return m_sort; }
    const CFilterArray& GetFilter() const { return m_filter; }
    Zelt::ICursor* GetCursor() const { return m_pCursor.get(); }
    CGridChildView& GetView() { return m_view; }

protected:
    void Construct(CRDatabaseHelper* pHelper, UINT nKind);
    bool OpenRecordset(LPCWSTR pszSelect, std::unique_ptr<Zelt::ICursor>& cursor);
    // PostgreSQL table and view windows outside a transaction read through a held cursor.
    bool ReadsThroughHeldCursor() const;
    // The window shows a table's or view's own SELECT (not the user's statement).
    bool ShowsObject() const
    {
        return m_nKind == kGridTable || m_nKind == kGridView || m_nKind == kGridTableLike;
    }
    // Ctrl+End on rows whose read stopped short reads them again first.
    void ReadAgainIfStopped();
    void ReadKeys();
    void ReadResultKey();
    // The grid's columns in display order with their names and visibility.
    std::vector<CColumnRefreshInfo> SaveColumnLayout();
    // "Executed OK." with the time the statement took.
    void ShowExecuted(ULONGLONG nMilliseconds);
    CString SaveErrorText(int nColumn, UINT nKind, LPCWSTR pszText);
    bool HasUnsavedRow() const;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnClose();
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    // Header sorts run after the grid's own notification has returned.
    afx_msg LRESULT OnDeferredSort(WPARAM wParam, LPARAM lParam);
    // The rows of the memory cursor shown stopped before their end (posted by the cursor,
    // whichever read met the failure): the status says so and the window tells why, once.
    static constexpr UINT WM_ROWS_STOPPED = WM_APP + 2;
    afx_msg LRESULT OnRowsStopped(WPARAM wParam, LPARAM lParam);
    void WatchRowsStop();
    // A SQLite result still streaming is read on in idle time, a slice per tick (see
    // StartReadingOn).
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    void StartReadingOn();

    // Commands (grid_child_commands.cpp).
    afx_msg void OnSaveData();
    afx_msg void OnDeleteAllRecords();
    afx_msg void OnGoTo();
    afx_msg void OnShowSQLQuery();
    afx_msg void OnColumns();
    afx_msg void OnTableInfo();
    afx_msg void OnSort();
    afx_msg void OnFilter();
    afx_msg void OnRefresh();
    afx_msg void OnInsert();
    afx_msg void OnUpdate();
    afx_msg void OnEditValue();
    afx_msg void OnCopyValue();
    afx_msg void OnCopy();
    afx_msg void OnPaste();
    afx_msg void OnDelete();
    afx_msg void OnUpdateOpen(CCmdUI* pCmdUI);
    afx_msg void OnUpdateObjectCommand(CCmdUI* pCmdUI);
    afx_msg void OnUpdateRefresh(CCmdUI* pCmdUI);
    afx_msg void OnUpdateSort(CCmdUI* pCmdUI);
    afx_msg void OnUpdateFilter(CCmdUI* pCmdUI);
    afx_msg void OnUpdateGoTo(CCmdUI* pCmdUI);
    afx_msg void OnUpdateColumns(CCmdUI* pCmdUI);
    afx_msg void OnUpdateInsert(CCmdUI* pCmdUI);
    afx_msg void OnUpdateUpdate(CCmdUI* pCmdUI);
    afx_msg void OnUpdateEditValue(CCmdUI* pCmdUI);
    afx_msg void OnUpdateCopyValue(CCmdUI* pCmdUI);
    afx_msg void OnUpdateCopy(CCmdUI* pCmdUI);
    afx_msg void OnUpdatePaste(CCmdUI* pCmdUI);
    afx_msg void OnUpdateDelete(CCmdUI* pCmdUI);
    DECLARE_MESSAGE_MAP()

    CString m_strIdleText;
    CGridChildView m_view;
    UINT m_nKind = 0;
    UINT m_nIconId = 0;
    HICON m_hIconLarge = nullptr;
    HICON m_hIconSmall = nullptr;
    CRDatabaseHelper* m_pHelper = nullptr;
    std::unique_ptr<Zelt::ICursor> m_pCursor;
    bool m_bForwardOnly = false;
    // The last statement opened streams from the driver (rows fetched as they are read).
    bool m_bStreamed = false;
    // How the window's SELECT is read: whole or streamed (None), or in steps that stop when the
    // session is wanted (a PostgreSQL cursor, dbaccess/held_cursor.h; MariaDB's first rows and
    // then the rest, dbaccess/mariadb_staged_read.h), the rest read on in idle time (ReadsOn) or
    // only when asked (a MariaDB role whose one connection cannot cancel it).
    enum class Staged
    {
        None,
        WhenAsked,
        ReadsOn,
    };
    Staged m_staged = Staged::None;
    // The cursor shown has stopped before its end and the window has said why.
    bool m_bStopTold = false;
    CString m_strInitialSelect;
    CString m_strCurrentSelect;
    CString m_strShowSQL;
    CStringPair m_name;
    CString m_strElapsed;
    UINT32 m_nPlanId = 0;
    CImageList* m_pHeaderImages = nullptr;
    CSortArray m_sort;
    CFilterArray m_filter;
    std::vector<CColumnRefreshInfo> m_pendingLayout; // kept while the cursor is closed
    // Save Data reads the cursor shown across the file dialog and the wait dialog, whose loops
    // dispatch what is posted to this window: a refresh (posted by a row just saved) or a header
    // sort run then would replace the cursor and delete it under the save. They wait for the
    // save's end and run then.
    bool m_bSavingData = false;
    bool m_bRefreshAfterSave = false;
    // A row saved from the grid changed the table, but the cursor still holds the row as it was
    // read (a live recordset: a memory cursor takes the row in place, see
    // CRGrid::PlaceSavedRowInCursor, and the grid then asks for no refresh): the refresh that
    // reads it again is posted, and until it has run what reads the cursor (Save Data) would see
    // the old values.
    bool m_bRowSavedSinceRead = false;
    std::vector<std::pair<WPARAM, LPARAM>> m_sortsAfterSave;
};
