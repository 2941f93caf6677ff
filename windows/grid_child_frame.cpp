// The grid window: construction, opening, reading and notifications.
#include "windows/grid_child_frame.h"

#include "grid/result_key.h"
#include "grid/session_zone.h"

#include "app/app_helpers.h"
#include "app/app_settings.h"
#include "app/main_frame.h"
#include "app/windows_array.h"
#include "dbaccess/error_report.h"
#include "dbaccess/held_cursor.h"
#include "dbaccess/mariadb_staged_read.h"
#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"
#include "grid/busy_connection.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "windows/select_rebuild.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CGridChildFrame, CMenuPaintingChildWnd)

namespace {

const UINT_PTR kReadOnTimer = 0x5157;
// A slice of reading on stays well below what a user notices between two messages. Slices follow
// one another within a tick while no message waits, for at most a tick's time: the window
// repaints between ticks.
const LONGLONG kReadOnSliceMs = 25;
const LONGLONG kReadOnTickMs = 200;
// Rows of the memory cursor that become items in one idle tick, and the pause before trying
// again while the grid takes none (a row being edited).
const int kRowsPerTick = 2000;
const UINT kHeldRowsRetryMs = 250;
// The pause before looking again for rows still being fetched (a slow result read ahead).
const UINT kFetchingRetryMs = 10;

} // namespace

BEGIN_MESSAGE_MAP(CGridChildFrame, CMenuPaintingChildWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_WM_SETFOCUS()
    ON_WM_HELPINFO()
    ON_WM_MEASUREITEM()
    ON_WM_DRAWITEM()
    ON_WM_MENUCHAR()
    ON_WM_INITMENUPOPUP()
    ON_MESSAGE(WM_APP + 1, &CGridChildFrame::OnDeferredSort)
    ON_MESSAGE(WM_ROWS_STOPPED, &CGridChildFrame::OnRowsStopped)
    ON_WM_TIMER()
    ON_COMMAND(ID_QUERY_SAVE_DATA, &CGridChildFrame::OnSaveData)
    ON_COMMAND(ID_QUERY_DELETE_ALL, &CGridChildFrame::OnDeleteAllRecords)
    ON_COMMAND(ID_QUERY_GOTO, &CGridChildFrame::OnGoTo)
    ON_COMMAND(ID_QUERY_SHOW_SQL, &CGridChildFrame::OnShowSQLQuery)
    ON_COMMAND(ID_QUERY_COLUMNS, &CGridChildFrame::OnColumns)
    ON_COMMAND(ID_QUERY_TABLE_INFO, &CGridChildFrame::OnTableInfo)
    ON_COMMAND(ID_QUERY_SORT, &CGridChildFrame::OnSort)
    ON_COMMAND(ID_QUERY_FILTER, &CGridChildFrame::OnFilter)
    ON_COMMAND(ID_QUERY_REFRESH, &CGridChildFrame::OnRefresh)
    ON_COMMAND(ID_EDIT_INSERT, &CGridChildFrame::OnInsert)
    ON_COMMAND(ID_EDIT_UPDATE, &CGridChildFrame::OnUpdate)
    ON_COMMAND(ID_EDIT_VALUE, &CGridChildFrame::OnEditValue)
    ON_COMMAND(ID_EDIT_COPY_VALUE, &CGridChildFrame::OnCopyValue)
    ON_COMMAND(ID_EDIT_COPY, &CGridChildFrame::OnCopy)
    ON_COMMAND(ID_EDIT_PASTE, &CGridChildFrame::OnPaste)
    ON_COMMAND(ID_EDIT_DELETE, &CGridChildFrame::OnDelete)
    ON_UPDATE_COMMAND_UI(ID_QUERY_SAVE_DATA, &CGridChildFrame::OnUpdateOpen)
    ON_UPDATE_COMMAND_UI(ID_QUERY_SHOW_SQL, &CGridChildFrame::OnUpdateOpen)
    ON_UPDATE_COMMAND_UI(ID_QUERY_DELETE_ALL, &CGridChildFrame::OnUpdateObjectCommand)
    ON_UPDATE_COMMAND_UI(ID_QUERY_TABLE_INFO, &CGridChildFrame::OnUpdateObjectCommand)
    ON_UPDATE_COMMAND_UI(ID_QUERY_REFRESH, &CGridChildFrame::OnUpdateRefresh)
    ON_UPDATE_COMMAND_UI(ID_QUERY_SORT, &CGridChildFrame::OnUpdateSort)
    ON_UPDATE_COMMAND_UI(ID_QUERY_FILTER, &CGridChildFrame::OnUpdateFilter)
    ON_UPDATE_COMMAND_UI(ID_QUERY_GOTO, &CGridChildFrame::OnUpdateGoTo)
    ON_UPDATE_COMMAND_UI(ID_QUERY_COLUMNS, &CGridChildFrame::OnUpdateColumns)
    ON_UPDATE_COMMAND_UI(ID_EDIT_INSERT, &CGridChildFrame::OnUpdateInsert)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UPDATE, &CGridChildFrame::OnUpdateUpdate)
    ON_UPDATE_COMMAND_UI(ID_EDIT_VALUE, &CGridChildFrame::OnUpdateEditValue)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY_VALUE, &CGridChildFrame::OnUpdateCopyValue)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, &CGridChildFrame::OnUpdateCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, &CGridChildFrame::OnUpdatePaste)
    ON_UPDATE_COMMAND_UI(ID_EDIT_DELETE, &CGridChildFrame::OnUpdateDelete)
END_MESSAGE_MAP()

namespace {

CString LoadText(UINT nID)
{
    CString str;
    str.LoadString(nID);
    return str;
}

bool IsNumberSQLType(int nType)
{
    return nType == SQL_INTEGER || nType == SQL_SMALLINT || nType == SQL_TINYINT ||
           nType == SQL_BIGINT || nType == SQL_NUMERIC || nType == SQL_DECIMAL ||
           nType == SQL_FLOAT || nType == SQL_REAL || nType == SQL_DOUBLE;
}

bool ReadColumnOrder(CListCtrl& list, int nCount, std::vector<int>& order)
{
    order.assign(nCount, 0);
    return nCount > 0 &&
           ::SendMessageW(list.m_hWnd, LVM_GETCOLUMNORDERARRAY, nCount, (LPARAM)order.data()) != 0;
}

} // namespace

CGridChildFrame::CGridChildFrame()
{
    theGridWindows.Add(this);
}

void CGridChildFrame::Construct(CRDatabaseHelper* pHelper, UINT nKind)
{
    m_pHelper = pHelper;
    m_nKind = nKind;
    m_view.m_nKind = nKind;
    m_nIconId = GetIconId(nKind);
    theGridWindows.Add(this);
}

CGridChildFrame::CGridChildFrame(CRDatabaseHelper* pHelper, LPCWSTR pszSelect, LPCWSTR pszShowSQL,
                                 const CFilterArray* pFilter, UINT nKind, const CStringPair& name,
                                 CImageList* pHeaderImages)
    : m_strInitialSelect(pszSelect), m_strCurrentSelect(pszSelect), m_strShowSQL(pszShowSQL),
      m_name(name), m_pHeaderImages(pHeaderImages)
{
    Construct(pHelper, nKind);
    if (pFilter != nullptr && CanFilterKind(nKind))
        m_filter = *pFilter;
}

CGridChildFrame::CGridChildFrame(CRDatabaseHelper* pHelper, std::unique_ptr<Zelt::ICursor>& cursor,
                                 UINT nKind, const CStringPair& name, CImageList* pHeaderImages)
    : m_pCursor(std::move(cursor)), m_name(name), m_pHeaderImages(pHeaderImages)
{
    Construct(pHelper, nKind);
    if (m_pCursor)
    {
        m_bForwardOnly = m_pCursor->IsForwardOnly();
        m_strInitialSelect = m_strCurrentSelect = m_pCursor->GetSQL();
    }
}

CGridChildFrame::CGridChildFrame(CRDatabaseHelper* pHelper, LPCWSTR pszPlanSelect,
                                 LPCWSTR pszShowSQL, UINT32 nStatementId)
    : m_bForwardOnly(true), m_strInitialSelect(pszPlanSelect), m_strCurrentSelect(pszPlanSelect),
      m_strShowSQL(pszShowSQL), m_nPlanId(nStatementId)
{
    Construct(pHelper, kGridPlan);
}

CGridChildFrame::~CGridChildFrame()
{
    theGridWindows.Remove(this);
    m_view.m_pCursor = nullptr;
    m_pCursor.reset();
}

UINT CGridChildFrame::GetIconId(UINT nKind)
{
    switch (nKind)
    {
    case kGridTable: return IDI_GRID_TABLE;
    case kGridView: return IDI_GRID_VIEW;
    case kGridProcedure: return IDI_GRID_PROCEDURE;
    case kGridFunction: return IDI_GRID_FUNCTION;
    case kGridTableLike: return IDI_GRID_TABLE_LIKE;
    case kGridPlan: return IDI_GRID_PLAN;
    default: return 0;
    }
}

int CGridChildFrame::GetObjectKind() const
{
    switch (m_nKind)
    {
    case kGridTable:
    case kGridTableLike: return DBOBJ_TABLE;
    case kGridView: return DBOBJ_VIEW;
    case kGridFunction: return DBOBJ_PROCEDURE;
    default: return 0;
    }
}

BOOL CGridChildFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CMDIChildWnd::PreCreateWindow(cs))
        return FALSE;
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    HICON hIcon =
        m_nIconId != 0 ? ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIconId)) : nullptr;
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                       (HBRUSH)(COLOR_WINDOW + 1), hIcon);
    return TRUE;
}

int CGridChildFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CMDIChildWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (m_nIconId != 0)
    {
        m_hIconLarge =
            (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIconId), IMAGE_ICON,
                                ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0);
        m_hIconSmall = (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIconId),
                                           IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), 0);
        SetIcon(m_hIconLarge, TRUE);
        SetIcon(m_hIconSmall, FALSE);
    }
    CRect client;
    GetClientRect(&client);
    if (!m_view.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_SHOWSELALWAYS, GetGridOptions(),
                       client, this, AFX_IDW_PANE_FIRST))
        return -1;
    m_view.m_pDatabase = m_pHelper ? &m_pHelper->GetDatabase() : nullptr;
    m_view.m_pQuoteDatabase = m_pHelper ? &m_pHelper->GetCatalogDatabase() : nullptr;
    if (m_pHeaderImages != nullptr)
        m_view.SetHeaderImageList(m_pHeaderImages);
    if (CanSort())
    {
        m_view.m_strSortAscending = L"Sort ascending";
        m_view.m_strSortDescending = L"Sort descending";
    }
    m_view.m_pOwner = this;
    RecalcLayout();

    bool bOpened;
    if (!m_pCursor)
    {
        bOpened = !m_strInitialSelect.IsEmpty() &&
                  ApplySortAndFilter(nullptr, &m_filter, IDS_GRID_EXECUTING, false);
    }
    else
    {
        // A forward-only result (EXPLAIN, SHOW, VALUES, a procedure's rows ...) cannot go back
        // to the rows the grid shows: like a requery, it is read through a memory cursor.
        if (m_pCursor->IsForwardOnly() && m_pCursor->HasResultColumns() && m_pHelper != nullptr)
        {
            // A query streaming (SQLite) is read on as a table window's read is.
            auto* pRecordset = dynamic_cast<CRRecordset*>(m_pCursor.get());
            m_bStreamed = pRecordset != nullptr && pRecordset->StreamsRows();
            if (m_bStreamed)
                pRecordset->ReadAheadFromNextBlock();
            Zelt::CMemCursor* pMem =
                m_pHelper->ReadToMemCursor(AfxGetMainWnd(), m_pCursor.release(), false);
            if (pMem == nullptr)
                return -1;
            if (m_bStreamed)
                pMem->ReadToEndBeforeTransactions(&m_pHelper->GetDatabase());
            m_pCursor.reset(pMem);
        }
        m_view.SetCursor(m_pCursor.get());
        WatchRowsStop();
        bOpened = LoadCursor(true, nullptr, 0);
        if (bOpened)
            StartReadingOn();
    }
    if (!bOpened)
        return -1;
    SetStatusMessage(0);
    ShowElapsedTime();
    return 0;
}

void CGridChildFrame::OnDestroy()
{
    if (m_hIconLarge != nullptr)
        ::DestroyIcon(m_hIconLarge);
    if (m_hIconSmall != nullptr)
        ::DestroyIcon(m_hIconSmall);
    m_hIconLarge = m_hIconSmall = nullptr;
    if (m_nKind == kGridPlan && m_pHelper != nullptr && m_pHelper->IsOpen())
        m_pHelper->ClearExplainPlan(m_nPlanId);
    theGridWindows.Remove(this);
    theSettings.Save();
    CMDIChildWnd::OnDestroy();
}

bool CGridChildFrame::HasUnsavedRow() const
{
    return m_view.m_hWnd != nullptr && (m_view.IsModified() || m_view.IsInserting());
}

EditedRowAnswer CGridChildFrame::AskAboutEditedRow()
{
    if (!HasUnsavedRow())
        return EditedRowAnswer::Settled;
    // Asked by the main window, the question may be about a window behind others or minimised:
    // it comes to the front first. Its focus also ends a cell editor still open, whose value
    // then belongs to the row the question is about.
    if (m_hWnd != nullptr)
    {
        MDIActivate();
        if (IsIconic())
            MDIRestore();
        m_view.SetFocus();
        UpdateWindow();
    }
    if (!HasUnsavedRow())
        return EditedRowAnswer::Settled;
    switch (AfxMessageBox(L"The current row has changes that are not saved.\n"
                          L"Save them before the window closes?",
                          MB_YESNOCANCEL | MB_ICONQUESTION))
    {
    case IDYES:
        // A failed save has shown its error; the row stays in edit mode.
        return m_view.CommitRow() && !HasUnsavedRow() ? EditedRowAnswer::Settled
                                                      : EditedRowAnswer::Keep;
    case IDNO: return EditedRowAnswer::Drop;
    default: return EditedRowAnswer::Keep;
    }
}

void CGridChildFrame::DropEditedRow()
{
    if (HasUnsavedRow())
        m_view.CancelEdit();
}

void CGridChildFrame::OnClose()
{
    // Closing the window would lose the row being edited: let the user save it first.
    const EditedRowAnswer answer = AskAboutEditedRow();
    if (answer == EditedRowAnswer::Keep)
        return;
    if (answer == EditedRowAnswer::Drop)
        DropEditedRow();
    CMDIChildWnd::OnClose();
}

void CGridChildFrame::OnSetFocus(CWnd* pOldWnd)
{
    CMDIChildWnd::OnSetFocus(pOldWnd);
    if (m_view.m_hWnd != nullptr)
        m_view.SetFocus();
}

BOOL CGridChildFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (nID == ID_VIEW_STATUS_BAR)
        return FALSE;
    if (m_view.m_hWnd != nullptr && m_view.OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CMDIChildWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CGridChildFrame::GetMessageString(UINT nID, CString& rMessage) const
{
    if (nID == AFX_IDS_IDLEMESSAGE && !m_strIdleText.IsEmpty())
    {
        rMessage = m_strIdleText;
        return;
    }
    CMDIChildWnd::GetMessageString(nID, rMessage);
}

void CGridChildFrame::OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd)
{
    CMDIChildWnd::OnMDIActivate(bActivate, pActivateWnd, pDeactivateWnd);
    CMainFrame* pMain = GetMainFrame();
    if (pMain == nullptr)
        return;
    if (bActivate)
    {
        SetRowsText();
        ShowElapsedTime();
        pMain->SetIdleMessage(m_strIdleText);
    }
    else
    {
        pMain->SetRowsPane(L"");
        pMain->SetPane2(L"");
        pMain->SetIdleMessage(nullptr);
    }
}

// ---- Options and status --------------------------------------------------------------------

UINT CGridChildFrame::GetGridOptions() const
{
    UINT nOptions = 0;
    if (theSettings.m_bGridLines)
        nOptions |= kGridLines;
    if (theSettings.m_bSelectFullLine)
        nOptions |= kGridFullRowSelect;
    if (theSettings.m_bEditable && CanSort())
        nOptions |= kGridEditable;
    if (theSettings.m_bAdjustColumns)
        nOptions |= kGridFitColumns;
    if (theSettings.m_bFetchAllRecs)
        nOptions |= kGridFetchAll;
    if (theSettings.m_bColumnScroll)
        nOptions |= kGridColumnScroll;
    if (theSettings.m_bMarkEvenLines)
        nOptions |= kGridShadeOddRows;
    if (theSettings.m_bMarkEditLines)
        nOptions |= kGridMarkEditedRow;
    if (theSettings.m_bMarkSortedColumns)
        nOptions |= kGridDrawHeader;
    return nOptions;
}

void CGridChildFrame::ApplyOptions()
{
    // The grid's own cursor decides: a memory cursor keeps every row already, so the grid's row
    // cache stays at its usual size over it; only a bare forward-only cursor needs them all.
    const bool bForwardOnly = m_pCursor && m_pCursor->IsForwardOnly();
    m_view.m_bUseCache = (bForwardOnly || theSettings.m_bUseCache) ? 1 : 0;
    m_view.m_nCacheSize = bForwardOnly ? 0x7FFFFFFF : theSettings.m_nCacheSize;
    m_view.m_bShowMarkers = theSettings.m_bDebug ? 1 : 0;
    m_view.SetOptions(GetGridOptions());
    m_view.m_crEditFrame = theSettings.m_crEditLines;
}

bool CGridChildFrame::IsConnected() const
{
    return m_pHelper != nullptr && m_pHelper->IsOpen();
}

bool CGridChildFrame::IsCursorOpen() const
{
    return IsConnected() && m_pCursor && m_pCursor->HasResultColumns();
}

void CGridChildFrame::CloseCursor()
{
    if (!m_pCursor)
        return;
    // The grid must not read a closed cursor (its columns are gone with it): it lets go first,
    // and the layout waits for the next requery. Whether the driver still describes the result
    // does not count: once the server has dropped the session, psqlODBC fails SQLNumResultCols
    // on a statement that is still allocated, and a grid left on it would fetch from a handle
    // the disconnect frees (or, reused, from a statement of the next connection).
    if (m_view.m_hWnd != nullptr && m_view.GetCursor() == m_pCursor.get())
    {
        m_pendingLayout = SaveColumnLayout();
        m_view.SetCursor(nullptr);
    }
    m_pCursor->Close();
}

std::vector<CColumnRefreshInfo> CGridChildFrame::SaveColumnLayout()
{
    std::vector<CColumnRefreshInfo> layout;
    if (m_view.m_hWnd == nullptr || m_view.GetColumnCount() <= 0)
        return layout;
    std::vector<int> order;
    if (ReadColumnOrder(m_view, m_view.GetColumnCount(), order))
    {
        for (int nColumn : order)
        {
            CColumnRefreshInfo info;
            info.m_strName = m_view.GetColumnObject(nColumn)->m_strName;
            info.m_bVisible = m_view.IsColumnShown(nColumn);
            layout.push_back(info);
        }
    }
    return layout;
}

bool CGridChildFrame::IsActiveChild() const
{
    CMainFrame* pMain = GetMainFrame();
    return pMain != nullptr && m_hWnd != nullptr && pMain->MDIGetActive() == this;
}

void CGridChildFrame::SetRowsText()
{
    // The panes belong to the active window; others (refreshed in the background) keep quiet.
    CMainFrame* pMain = GetMainFrame();
    if (!IsActiveChild() || m_view.m_hWnd == nullptr)
        return;
    auto* pMem = dynamic_cast<Zelt::CMemCursor*>(m_pCursor.get());
    pMain->SetRowsPane(FormatRowsText(m_view.GetItemCount(), m_view.GetColumnCount(),
                                      m_view.IsFullyLoaded(),
                                      pMem != nullptr && pMem->IsStopped()));
}

void CGridChildFrame::ShowElapsedTime()
{
    if (IsActiveChild())
        GetMainFrame()->SetPane2(m_strElapsed);
}

void CGridChildFrame::SetStatusMessage(UINT nPromptId)
{
    CMainFrame* pMain = GetMainFrame();
    if (nPromptId == 0)
    {
        m_strIdleText = theSettings.m_bEditable && CanSort() ? LoadText(IDS_GRID_IDLE) : CString();
        if (pMain != nullptr)
            pMain->SetIdleMessage(m_strIdleText);
    }
    else if (pMain != nullptr)
        pMain->ShowMessage(nPromptId);
}

// ---- Opening ----------------------------------------------------------------------------------

bool CGridChildFrame::ApplySortAndFilter(const CSortArray* pSort, const CFilterArray* pFilter,
                                         UINT nPrompt, bool bKeepLayout)
{
    CSize scroll(0, 0);
    const bool bScroll = m_view.m_hWnd != nullptr && m_view.GetPageSize(scroll);
    const bool bSort = pSort != nullptr && CanSort();
    const bool bFilter = pFilter != nullptr && CanFilter();
    CRDatabase* pQuote = m_pHelper ? &m_pHelper->GetCatalogDatabase() : nullptr;
    // A PostgreSQL object's window selects some columns as text under their own names (see
    // BuildObjectSelect): its sort names the object's columns.
    const CString strQualifier = ShowsObject() && pQuote &&
                                         m_pHelper->GetDBMSKind() == DBMS_POSTGRESQL &&
                                         !m_name.m_strSecond.IsEmpty()
                                     ? FormatObjectName(m_name, pQuote, true)
                                     : CString();
    const CString strOrder = bSort ? BuildOrderByList(*pSort, pQuote, strQualifier) : CString();
    const CString strCondition = bFilter ? pFilter->m_strCondition : CString();
    CString strSelect, strWhyNot;
    const bool bBackslash = m_pHelper && m_pHelper->GetDatabase().UsesBackslashEscapes();
    if (!RebuildSelect(m_strCurrentSelect, bSort, strOrder, bFilter, strCondition, bBackslash,
                       strSelect, strWhyNot))
    {
        AfxMessageBox(strWhyNot, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    SetStatusMessage(nPrompt);
    const bool bResult = Requery(strSelect, bKeepLayout, pSort, pFilter, -1);
    if (bResult && m_nKind != kGridPlan)
        m_strShowSQL = strSelect;
    SetStatusMessage(0);
    if (bScroll && m_view.m_hWnd != nullptr)
        m_view.SendMessage(LVM_SCROLL, scroll.cx, scroll.cy);
    return bResult;
}

bool CGridChildFrame::OpenRecordset(LPCWSTR pszSelect, std::unique_ptr<Zelt::ICursor>& cursor)
{
    // Every window reads in the user's session: what it shows is what the same SELECT there
    // gives (settings, role, temporary tables, the user's own uncommitted rows).
    CRDatabase& db = m_pHelper->GetDatabase();
    CRDatabase& read = db;
    auto pRecordset = std::make_unique<CRRecordset>(&read);
    pRecordset->SetQueryTimeout(db.GetQueryTimeout());
    if (CMainFrame* pMain = GetMainFrame())
        pMain->UpdateWindow();
    // A connection that streams its results gets a forward-only statement read on demand into a
    // memory cursor: the first screen comes before the driver has read the whole result. SQLite
    // streams only tables whose columns are all declared (the others keep the driver's whole
    // read, which types them right).
    const UINT nDeclared = m_nKind == kGridTable ? m_pHelper->DeclaredColumnsOption(m_name) : 0;
    m_bStreamed =
        read.IsStreamingResults() && (!read.StreamsDeclaredColumnsOnly() || nDeclared != 0);
    const UINT nType = ((m_pCursor && m_bForwardOnly) || m_nKind == kGridPlan || m_bStreamed)
                           ? RS_FORWARD_ONLY
                           : m_pHelper->GetCursorType();
    UINT nOptions = RS_NUMERIC_AS_TEXT | nDeclared;
    // A result window's query of the user's streams where the driver types it alike either way
    // (SQLite); a procedure's call is no query and runs as it did.
    if (m_nKind == kGridQuery || m_nKind == kGridProcedure)
        nOptions |= RS_QUERY_MAY_STREAM;
    // A table or view read inside a transaction (outside one a held cursor reads the dates as
    // the server's text already).
    else if (ShowsObject())
        nOptions |= RS_SERVER_TEXTS;
    if (m_nKind == kGridPlan)
        nOptions |= RS_READONLY | RS_UNBOUND;
    else if (m_nKind == kGridView && m_pHelper->GetDBMSKind() == DBMS_POSTGRESQL)
        nOptions |= RS_READONLY;
    bool bOpened = false;
    bool bCancelled = false;
    m_staged = Staged::None;
    if (ShowsObject() && Zelt::CMariaDBStagedRead::IsUsable(db, pszSelect))
    {
        // MariaDB's driver stores each result whole: the first rows come by a statement of their
        // own, the rest by another in idle time (dbaccess/mariadb_staged_read.h).
        m_bStreamed = true;
        m_staged = Staged::WhenAsked;
        const UINT nStaged = nOptions & ~RS_DECLARED_COLUMNS;
        auto staged = std::make_unique<Zelt::CMariaDBStagedRead>(&db, pszSelect, nStaged);
        bOpened = staged->Open([&](CRRecordset& rs, LPCWSTR pszText) {
            if (CRDatabaseHelper::IsCancelExecEnabled())
                return m_pHelper->OpenRecordset(&rs, pszText, RS_FORWARD_ONLY, nStaged, nullptr,
                                                &bCancelled);
            CWaitCursor wait;
            return rs.Open(pszText, RS_FORWARD_ONLY, nStaged);
        });
        if (bOpened && staged->ReadsOnByItself())
            m_staged = Staged::ReadsOn;
        if (bOpened)
            cursor = std::move(staged);
        else if (!bCancelled)
            AfxMessageBox(L"Can't open recordset", MB_OK | MB_ICONERROR);
        return bOpened;
    }
    if (ReadsThroughHeldCursor())
    {
        // The window's own SELECT on PostgreSQL, outside a transaction: read in steps through a
        // cursor in the reads' transaction (dbaccess/held_cursor.h), into a memory cursor as a
        // streamed result is, on in idle time, and stopped when the session is wanted.
        m_bStreamed = true;
        auto held =
            std::make_unique<Zelt::CHeldCursor>(&db, pszSelect, nOptions & ~RS_DECLARED_COLUMNS);
        bOpened = held->Open([&](CRRecordset& rs, LPCWSTR pszText, UINT nTextOptions) {
            if (CRDatabaseHelper::IsCancelExecEnabled())
                return m_pHelper->OpenRecordset(&rs, pszText, RS_FORWARD_ONLY, nTextOptions,
                                                nullptr, &bCancelled);
            CWaitCursor wait;
            return rs.Open(pszText, RS_FORWARD_ONLY, nTextOptions);
        });
        if (bOpened)
        {
            m_staged = Staged::ReadsOn;
            cursor = std::move(held);
        }
        else if (!bCancelled)
            AfxMessageBox(L"Can't open recordset", MB_OK | MB_ICONERROR);
        return bOpened;
    }
    if (CRDatabaseHelper::IsCancelExecEnabled())
        bOpened = m_pHelper->OpenRecordset(pRecordset.get(), pszSelect, nType, nOptions, nullptr,
                                           &bCancelled);
    else
    {
        CWaitCursor wait;
        bOpened = pRecordset->Open(pszSelect, nType, nOptions);
    }
    if (!bOpened)
    {
        if (!bCancelled)
            AfxMessageBox(L"Can't open recordset", MB_OK | MB_ICONERROR);
        return false;
    }
    m_bStreamed = m_bStreamed || pRecordset->StreamsRows();
    // A streamed result goes to a memory cursor, which reads it only forward: the driver's (and
    // a server's) work on the next rows may overlap the window's on these.
    if (m_bStreamed)
        pRecordset->ReadAheadFromNextBlock();
    cursor = std::move(pRecordset);
    return true;
}

bool CGridChildFrame::ReadsThroughHeldCursor() const
{
    // Only the program's own SELECT of an object: the user's statement is read whole, as psql
    // reads it, and is never wrapped.
    return ShowsObject() && m_pHelper != nullptr &&
           Zelt::CHeldCursor::IsUsable(m_pHelper->GetDatabase());
}

bool CGridChildFrame::Requery(LPCWSTR pszSelect, bool bKeepLayout, const CSortArray* pSort,
                              const CFilterArray* pFilter, int nSelectRow)
{
    if (m_pHelper == nullptr)
        return false;
    const CString strSelect(pszSelect);
    std::vector<CColumnRefreshInfo> layout;
    if (bKeepLayout && m_pCursor)
        layout = m_view.GetColumnCount() > 0 ? SaveColumnLayout() : m_pendingLayout;
    m_strElapsed.Empty();
    const UINT nTimeout = (UINT)theSettings.m_nQueryTimeout;
    m_pHelper->GetDatabase().SetQueryTimeout(nTimeout);
    if (m_pHelper->GetDBMSKind() == DBMS_MSSQL)
        m_pHelper->GetCatalogDatabase().SetQueryTimeout(nTimeout);

    bool bResult = false;
    RunReportingErrors([&] {
        std::unique_ptr<Zelt::ICursor> cursor;
        if (!OpenRecordset(strSelect, cursor))
            return;
        if (CMainFrame* pMain = GetMainFrame())
            pMain->UpdateWindow();
        m_strCurrentSelect = strSelect;
        if (cursor->GetColumnCount() <= 0)
        {
            // A statement without a result set: nothing to read into memory or show.
            ShowExecuted(cursor->GetExecutionTime());
            cursor->Close();
            return;
        }
        const bool bForwardOnly = cursor->IsForwardOnly();
        if (m_nKind == kGridPlan || bForwardOnly)
        {
            Zelt::CMemCursor* pMem =
                m_pHelper->ReadToMemCursor(AfxGetMainWnd(), cursor.release(), m_nKind == kGridPlan);
            if (pMem == nullptr)
                return;
            // A staged read is not read whole before a transaction: it stops there.
            if (m_bStreamed && m_staged == Staged::None)
                pMem->ReadToEndBeforeTransactions(&m_pHelper->GetDatabase());
            cursor.reset(pMem);
        }
        m_bForwardOnly = bForwardOnly;
        // The grid lets go of the old cursor before it is deleted: nothing may paint from it.
        m_view.SetCursor(cursor.get());
        m_pCursor.swap(cursor);
        cursor.reset();
        WatchRowsStop();
        m_bRowSavedSinceRead = false;
        m_sort = pSort ? *pSort : CSortArray();
        m_filter = pFilter ? *pFilter : CFilterArray();
        m_pendingLayout.clear();
        if (LoadCursor(true, layout.empty() ? nullptr : &layout, nSelectRow))
        {
            theSettings.Save();
            bResult = true;
        }
        StartReadingOn();
    });
    return bResult;
}

// A SQLite statement part read keeps the database file's shared lock: no other process can
// commit a change while a table window sits on its first screen. So the rest is read into the
// memory cursor while the program is idle (WM_TIMER comes only when no other message waits), and
// the statement, with its lock, ends with the last row. The grid takes the rows read as items in
// the same idle ticks, so the window shows the whole table once it is read. A MariaDB window's
// rest is read so too: its statement runs on a thread while the window answers, and is cancelled
// when anything else wants the session.
void CGridChildFrame::StartReadingOn()
{
    auto* pMem = dynamic_cast<Zelt::CMemCursor*>(m_pCursor.get());
    if (m_bStreamed && pMem != nullptr && pMem->IsSourceOpen() && m_hWnd != nullptr &&
        m_pHelper != nullptr &&
        (m_staged == Staged::ReadsOn || m_pHelper->GetDatabase().ReadsResultsBeforeStatements()))
        SetTimer(kReadOnTimer, 1);
}

void CGridChildFrame::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kReadOnTimer)
    {
        CMenuPaintingChildWnd::OnTimer(nIDEvent);
        return;
    }
    auto* pMem = dynamic_cast<Zelt::CMemCursor*>(m_pCursor.get());
    if (pMem == nullptr || m_view.GetCursor() != pMem ||
        (!pMem->IsSourceOpen() && m_view.GetItemCount() >= pMem->GetRecordCount()))
    {
        KillTimer(kReadOnTimer);
        return;
    }
    // A statement running on a worker owns the connection; the next tick tries again.
    if (IsConnectionBusy())
        return;
    // No tick while this one reads (an error's message box would let the next one in).
    KillTimer(kReadOnTimer);
    bool bMore = false;
    bool bFetching = false;
    // A failure of the source stops the rows (the cursor posts WM_ROWS_STOPPED); anything else
    // is told here. Only rows already fetched are taken, and the slice is kept row by row: over
    // a slow result (each row a long computation) the window still answers its messages, a
    // close among them, within the slice.
    if (pMem->IsSourceOpen())
    {
        RunReportingErrors([&] {
            const LONGLONG nTickEnd = GetTickMs() + kReadOnTickMs;
            do
            {
                const int nBefore = pMem->GetRecordCount();
                bMore = pMem->ReadOnUntil(std::min(GetTickMs() + kReadOnSliceMs, nTickEnd));
                bFetching = bMore && pMem->GetRecordCount() == nBefore;
            } while (bMore && !bFetching && GetTickMs() < nTickEnd &&
                     HIWORD(::GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE)) == 0);
        });
    }
    if (m_hWnd == nullptr || pMem != m_pCursor.get())
        return;
    // The rows read come into the window as well, so that it shows the whole table once read;
    // not while a row is being edited, which the next ticks wait for.
    const bool bAppended = m_view.AppendHeldRows(pMem->GetRecordCount(), kRowsPerTick);
    if (bAppended || (bMore && !bFetching))
        SetTimer(kReadOnTimer, 1);
    else if (bMore)
        SetTimer(kReadOnTimer, kFetchingRetryMs);
    else if (m_view.GetItemCount() < pMem->GetRecordCount())
        SetTimer(kReadOnTimer, kHeldRowsRetryMs);
}

void CGridChildFrame::WatchRowsStop()
{
    m_bStopTold = false;
    auto* pMem = dynamic_cast<Zelt::CMemCursor*>(m_pCursor.get());
    if (pMem == nullptr || m_hWnd == nullptr)
        return;
    // The read that meets the failure may run on a worker (a statement of the user's reads a
    // SQLite result to its end first): a posted message is safe from any thread, and the box
    // waits for the window's own turn.
    const HWND hWnd = m_hWnd;
    pMem->SetStopNotice([hWnd] { ::PostMessageW(hWnd, WM_ROWS_STOPPED, 0, 0); });
    if (pMem->IsStopped())
        PostMessage(WM_ROWS_STOPPED);
}

LRESULT CGridChildFrame::OnRowsStopped(WPARAM, LPARAM)
{
    auto* pMem = dynamic_cast<Zelt::CMemCursor*>(m_pCursor.get());
    // A save reading the rows tells their stop itself, with the state of its file.
    if (pMem == nullptr || !pMem->IsStopped() || m_bStopTold || m_bSavingData)
        return 0;
    m_bStopTold = true;
    // The rows read before the stop come into the window before it is told: the words say the
    // window shows them (reading on may run ahead of the rows taken in each idle tick).
    m_view.AppendHeldRows(pMem->GetRecordCount(), pMem->GetRecordCount());
    SetRowsText();
    // The user's own Cancel is not told again; the status still says the rows stopped.
    const Zelt::CRDBException* pError = pMem->GetStopError();
    if (pError == nullptr || IsCancelledStatementError(*pError))
        return 0;
    Zelt::CRDBException copy(*pError);
    CString strText;
    strText.Format(LoadText(IDS_GRID_ROWS_STOPPED), pMem->GetRecordCount(),
                   (LPCWSTR)FormatErrorText(&copy));
    AfxMessageBox(strText, MB_OK | MB_ICONERROR);
    return 0;
}

void CGridChildFrame::ReadAgainIfStopped()
{
    // Rows whose read was stopped short (the session was wanted for something else, or the
    // user cancelled) have nothing more to give: the last row is reached by reading them again,
    // from a result of this moment (a read that went on where the other stopped could show a
    // row twice or leave one out). A read that failed was told once; Refresh reads it again.
    auto* pMem = dynamic_cast<Zelt::CMemCursor*>(m_pCursor.get());
    const Zelt::CRDBException* pStop = pMem != nullptr ? pMem->GetStopError() : nullptr;
    if (pStop != nullptr && IsCancelledStatementError(*pStop) && !m_bSavingData)
        Refresh(false);
}

void CGridChildFrame::ReadKeys()
{
    m_view.m_primaryKey.RemoveAll();
    m_view.m_foreignKeys.RemoveAll();
    m_view.m_bResultKeyed = false;
    m_view.m_strNoEditReason.Empty();
    m_view.m_columnNoEditReasons.clear();
    if (m_nKind == kGridProcedure)
    {
        ReadResultKey();
        return;
    }
    if (m_nKind == kGridTable && m_pCursor && m_pHelper != nullptr &&
        m_pHelper->GetDatabase().IsSQLite())
        NoteSQLiteGeneratedColumns(m_pHelper->GetDatabase(), m_pCursor.get(),
                                   m_pCursor->GetTableName(), m_view.m_columnNoEditReasons);
    if (m_nKind != kGridTable || m_pHeaderImages == nullptr || !theSettings.m_bShowKeysInGrid)
        return;
    RunReportingErrors([&] {
        CPrimaryKeyArray keys;
        CForeignKeyArray fks;
        if (theSettings.m_bTableDialogPKey && m_pHelper->SupportsPrimaryKeys())
            m_pHelper->GetPrimaryKeys(m_name, &keys);
        if (theSettings.m_bTableDialogFKey && m_pHelper->SupportsForeignKeys())
            m_pHelper->GetForeignKeysNow(m_name, &fks);
        m_view.m_primaryKey.Copy(keys);
        m_view.m_foreignKeys.Copy(fks);
    });
}

// A query's columns that it computes or renames are no columns of its table: their first edit
// says why (ReadResultColumnSources), on every product. A PostgreSQL query's result is read
// read-only, and neither SQLite's nor MariaDB's driver changes a row of a static result at its
// cursor: their rows are changed by statements keyed by the table's primary key, when it has one
// (FindResultKey), and otherwise the first edit says why not.
void CGridChildFrame::ReadResultKey()
{
    if (!m_pCursor || m_pHelper == nullptr || !theSettings.m_bEditable)
        return;
    CRDatabase& db = m_pHelper->GetDatabase();
    const UINT nKind = m_pHelper->GetDBMSKind();
    const bool bSQLite = db.IsSQLite();
    RunReportingErrors([&] {
        m_view.m_columnNoEditReasons = ReadResultColumnSources(
            m_pCursor.get(), nKind == DBMS_POSTGRESQL || nKind == DBMS_MYSQL || bSQLite);
        if (bSQLite && !m_view.m_columnNoEditReasons.empty())
            NoteSQLiteGeneratedColumns(db, m_pCursor.get(), m_pCursor->GetTableName(),
                                       m_view.m_columnNoEditReasons);
    });
    if (nKind != DBMS_POSTGRESQL && nKind != DBMS_MYSQL && !bSQLite)
        return;
    RunReportingErrors([&] {
        std::vector<CString> names;
        m_view.m_strNoEditReason =
            FindResultKey(db, m_pCursor.get(), names, &m_view.m_columnNoEditReasons);
        for (const CString& name : names)
        {
            CRPrimaryKey::CPrimaryKeyInfo info{};
            wcsncpy(info.szColumnName, name, QL_CATALOG_TEXT - 1);
            m_view.m_primaryKey.Add(info);
        }
        m_view.m_bResultKeyed = !names.empty();
        // Found by its key's values, a row needs the zone they were read in (see SetCursor, which
        // ran before the key was known).
        if (m_view.m_bResultKeyed)
            m_view.m_readZone = NoteReadZone(m_view.m_pDatabase, m_pCursor.get());
    });
}

bool CGridChildFrame::LoadCursor(bool bRebuildColumns,
                                 const std::vector<CColumnRefreshInfo>* pLayout, int nSelectRow)
{
    if (!m_pCursor)
        return false;
    bool bResult = false;
    RunReportingErrors([&] {
        Zelt::ICursor* pCursor = m_pCursor.get();
        m_strElapsed = FormatElapsedTime(pCursor->GetExecutionTime());
        const int nColumns = pCursor->GetColumnCount();
        if (nColumns <= 0)
        {
            ShowExecuted(pCursor->GetExecutionTime());
            pCursor->Close();
            return;
        }
        ShowElapsedTime();
        ApplyOptions();
        if (bRebuildColumns)
        {
            CWaitCursor wait;
            m_view.Clear();
            ReadKeys();
            for (int nColumn = 1; nColumn <= nColumns; ++nColumn)
            {
                const CString strName = pCursor->GetColumnName(nColumn);
                bool bPrimary = false, bForeign = false;
                for (INT_PTR i = 0; i < m_view.m_primaryKey.GetSize(); ++i)
                    bPrimary = bPrimary || strName == m_view.m_primaryKey[i].szColumnName;
                for (INT_PTR i = 0; i < m_view.m_foreignKeys.GetSize(); ++i)
                    bForeign = bForeign || strName == m_view.m_foreignKeys[i].szFkColumnName;
                const int nImage = bPrimary && bForeign ? 2 : bPrimary ? 0 : bForeign ? 1 : -1;
                UINT nSortMark = 0;
                for (const CSortInfo& info : m_sort)
                {
                    if (info.m_strColumn == strName &&
                        (info.m_nOrder == kSortAscending || info.m_nOrder == kSortDescending))
                        nSortMark = info.m_nOrder;
                }
                const int nSQLType = pCursor->GetColumnSQLType(nColumn);
                const int nFormat = IsNumberSQLType(nSQLType) ? LVCFMT_RIGHT : LVCFMT_LEFT;
                const int nCType = pCursor->GetColumnCType(nColumn);
                const Zelt::ICursor::CColumnDesc* pDesc = pCursor->GetColumn(nColumn);
                if ((nCType == SQL_C_FLOAT || nCType == SQL_C_DOUBLE) &&
                    !pCursor->IsNumericAsText() && pDesc != nullptr && pDesc->nDecimalDigits >= 1)
                {
                    CString strFormat;
                    strFormat.Format(L"%%.%df", (int)pDesc->nDecimalDigits);
                    m_view.InsertColumn(strName, nColumn, strFormat, 100, nFormat, nImage, 0,
                                        bForeign, nSortMark);
                }
                else
                    m_view.InsertColumn(strName, nColumn, 100, nFormat, nImage, 0, bForeign,
                                        nSortMark);
            }
            if (pLayout != nullptr)
            {
                std::vector<int> order;
                std::vector<CString> names;
                for (int i = 0; i < m_view.GetColumnCount(); ++i)
                    names.push_back(m_view.GetColumnObject(i)->m_strName);
                std::vector<int> visible;
                if (ReadColumnOrder(m_view, m_view.GetColumnCount(), order))
                {
                    if (RestoreColumnLayout(*pLayout, names, order, visible))
                        ::SendMessageW(m_view.m_hWnd, LVM_SETCOLUMNORDERARRAY, order.size(),
                                       (LPARAM)order.data());
                    for (size_t i = 0; i < visible.size(); ++i)
                    {
                        if (visible[i] >= 0 && (visible[i] != 0) != m_view.IsColumnShown((int)i))
                            m_view.ShowColumn((int)i, visible[i] != 0);
                    }
                }
            }
        }
        if (m_view.LoadRows(nSelectRow))
        {
            SetRowsText();
            bResult = true;
        }
        else
            pCursor->Close();
    });
    return bResult;
}

void CGridChildFrame::ShowExecuted(ULONGLONG nMilliseconds)
{
    m_strElapsed = FormatElapsedTime(nMilliseconds);
    if (CMainFrame* pMain = GetMainFrame())
        pMain->ShowExecuted(m_strElapsed);
    else
        AfxMessageBox(L"Executed OK.\nElapsed time: " + m_strElapsed + L".", MB_ICONINFORMATION);
}

void CGridChildFrame::SortByColumn(int nColumn, bool bAscending)
{
    CGridColumn* pColumn = m_view.GetColumnObject(nColumn);
    if (pColumn == nullptr)
        return;
    CSortArray sort = {
        CSortInfo(pColumn->m_strName, bAscending ? kSortAscending : kSortDescending)};
    ApplySortAndFilter(&sort, &m_filter, IDS_GRID_SORTING, true);
}

void CGridChildFrame::Refresh(bool bAsk)
{
    if (!CanSort() || m_view.m_hWnd == nullptr)
        return;
    // A result window runs its statement again: silently only when it merely reads.
    if (m_nKind == kGridProcedure && !IsRereadableSelect(m_strCurrentSelect))
    {
        if (!bAsk)
            return;
        if (AfxMessageBox(L"The statement of this window does more than read data:\n\n" +
                              m_strCurrentSelect + L"\n\nRun it again?",
                          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return;
    }
    CSize scroll(0, 0);
    const bool bScroll = m_view.GetPageSize(scroll);
    const int nRow = m_view.GetSelectedItem();
    SetStatusMessage(IDS_GRID_REFRESHING);
    const CSortArray sort = m_sort;
    const CFilterArray filter = m_filter;
    Requery(m_strCurrentSelect, true, &sort, &filter, nRow);
    SetStatusMessage(0);
    if (bScroll && m_view.m_hWnd != nullptr)
        m_view.SendMessage(LVM_SCROLL, scroll.cx, scroll.cy);
}

// ---- Notifications ---------------------------------------------------------------------------

CString CGridChildFrame::SaveErrorText(int nColumn, UINT nKind, LPCWSTR pszText)
{
    CString strName;
    CGridColumn* pColumn = nColumn >= 1 ? m_view.GetColumnObject(nColumn - 1) : nullptr;
    if (pColumn != nullptr)
        strName = pColumn->m_strName;
    return FormatSaveErrorText(strName, pColumn != nullptr, nKind, pszText);
}

BOOL CGridChildFrame::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* pHeader = reinterpret_cast<NMHDR*>(lParam);
    if (pHeader == nullptr || m_view.m_hWnd == nullptr || pHeader->hwndFrom != m_view.m_hWnd)
        return CMDIChildWnd::OnNotify(wParam, lParam, pResult);
    auto editPrompt = [this] {
        if (m_view.IsInserting())
            SetStatusMessage(IDS_INSERT_PROMPT);
        else if (m_view.IsEditing())
            SetStatusMessage(IDS_UPDATE_PROMPT);
        else
            SetStatusMessage(0);
    };
    switch (pHeader->code)
    {
    case kGridSortAscending:
    case kGridSortDescending: {
        const int nColumn = reinterpret_cast<GridNotifyColumn*>(lParam)->nColumn - 1;
        PostMessage(WM_APP + 1, (WPARAM)nColumn, pHeader->code == kGridSortAscending);
        break;
    }
    case kGridDatabaseError:
        AfxMessageBox(reinterpret_cast<GridNotifyText*>(lParam)->strText, MB_OK | MB_ICONERROR);
        editPrompt();
        break;
    case kGridRowDone:
        SetStatusMessage(0);
        if (reinterpret_cast<GridNotifyFlag*>(lParam)->bFlag)
        {
            m_bRowSavedSinceRead = true;
            PostMessage(WM_COMMAND, ID_QUERY_REFRESH);
        }
        break;
    case kGridUpdating: SetStatusMessage(IDS_UPDATING); break;
    case kGridInserting: SetStatusMessage(IDS_INSERTING_ROW); break;
    case kGridDeleting: SetStatusMessage(IDS_DELETING_ROW); break;
    case kGridEditBegun: SetStatusMessage(IDS_EDIT_PROMPT); break;
    case kGridCellStored: editPrompt(); break;
    case kGridInsertMode: SetStatusMessage(IDS_INSERT_PROMPT); break;
    case kGridEditCancelled: SetStatusMessage(0); break;
    case kGridEditError: {
        auto* pError = reinterpret_cast<GridNotifyEditError*>(lParam);
        AfxMessageBox(SaveErrorText(pError->nColumn, pError->nKind, pError->strText),
                      MB_OK | MB_ICONERROR);
        break;
    }
    case kGridCountChanged: SetRowsText(); break;
    case kGridEndWanted: ReadAgainIfStopped(); break;
    default: return CMDIChildWnd::OnNotify(wParam, lParam, pResult);
    }
    *pResult = 0;
    return TRUE;
}

LRESULT CGridChildFrame::OnDeferredSort(WPARAM wParam, LPARAM lParam)
{
    if (m_bSavingData)
    {
        m_sortsAfterSave.emplace_back(wParam, lParam);
        return 0;
    }
    SortByColumn((int)wParam, lParam != 0);
    return 0;
}
