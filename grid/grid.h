// CRGrid: the data grid. An owner-data report list view over a result cursor (Zelt::ICursor): the
// list holds only a count of items and every cell is supplied on request, from a cache of cell
// values or straight from the cursor, and rows are read only as the user reaches them. (A list
// item per row cost the list view half a millisecond each under Wine: minutes for a big table.) Rows can be edited in place,
// inserted, deleted, copied and pasted; the grid writes the INSERT, UPDATE and DELETE statements
// itself and reports everything to its owner window through WM_NOTIFY codes (GridNotifyCode).
//
// List columns are numbered from 0, cursor columns from 1; every grid column carries its own
// cursor column number (CGridColumn::m_nCursorColumn) and that number is the one used to read,
// save, copy and paste the column's values.
//
// Where the members live:
//   grid_create.cpp, grid_cursor_rows.cpp, grid_cache.cpp   construction, options, cursor, loading
//   grid_columns.cpp, grid_header_draw.cpp                   columns, widths, order, header
//   grid_draw.cpp, grid_colors.cpp                           row colours and frames
//   grid_input.cpp, grid_notify.cpp, grid_wait.cpp           keys, mouse, owner codes, waiting
//   grid_row_edit.cpp                                        the editing state machine
// Members marked [logic] are implemented in the saving, clipboard, cell editor, order dialog and
// value text files (grid_save.cpp, grid_clipboard.cpp, grid_edit.cpp, column_order_dlg.cpp,
// grid_cell_value.cpp, grid_tooltip.cpp).
#pragma once

#include "controls/edit_list_ctrl.h"
#include "controls/theme_access.h"
#include "dbaccess/catalog.h"
#include "dbaccess/cursor.h"
#include "dbaccess/database.h"
#include "grid/grid_item.h"
#include "grid/session_zone.h"
#include "grid/text_widths.h"

#include <vector>

class CGridEdit;
class CRRecordset;
struct CRowSqlColumn;
namespace Zelt {
class CRDBException;
}

// Codes of the grid's WM_NOTIFY notifications to its owner window; the record is a NMHDR
// followed by the payload (GridNotify* below).
enum GridNotifyCode : UINT
{
    kGridSortAscending = 1,  // GridNotifyColumn: current column + 1
    kGridSortDescending = 2, // GridNotifyColumn
    kGridDatabaseError = 3,  // GridNotifyText: the exception's message
    kGridRowDone = 4,        // GridNotifyFlag: 1 = the owner should read the data again
    kGridUpdating = 5,
    kGridInserting = 6,
    kGridDeleting = 7,
    kGridEditBegun = 8, // GridNotifyUInt: 1 when the row is being inserted
    kGridCellStored = 9,
    kGridInsertMode = 10,
    kGridEditCancelled = 11,
    kGridEditError = 12, // GridNotifyEditError
    kGridCountChanged = 13,
    // Ctrl+End, before the grid reads the rows left: the owner may first put a cursor in place
    // of one whose read stopped short, which has no rows left to give.
    kGridEndWanted = 14,
};

// Kinds of code 12.
enum GridEditErrorKind : UINT
{
    kGridErrorEditing = 1,
    kGridErrorOddBinary = 2,
    kGridErrorInvalidData = 3,
    kGridErrorDatabase = 4,
    kGridErrorNoRows = 5,
    kGridErrorTooLong = 6, // the value is longer than the grid holds: not opened for editing
};

struct GridNotifyColumn
{
    NMHDR hdr;
    int nColumn;
};
struct GridNotifyText
{
    NMHDR hdr;
    CString strText;
};
struct GridNotifyFlag
{
    NMHDR hdr;
    BYTE bFlag;
};
struct GridNotifyUInt
{
    NMHDR hdr;
    UINT nValue;
};
struct GridNotifyEditError
{
    NMHDR hdr;
    int nColumn;
    UINT nKind;
    CString strText;
};

// Option bits of CRGrid::SetOptions.
enum GridOption : UINT
{
    kGridLines = 0x1,
    kGridFullRowSelect = 0x2,
    kGridEditable = 0x4,
    kGridFitColumns = 0x8,
    kGridFetchAll = 0x10,
    kGridColumnScroll = 0x20,
    kGridShadeOddRows = 0x40,
    kGridMarkEditedRow = 0x80,
    kGridDrawHeader = 0x100,
};

// Display kinds of a column: how its value becomes text.
enum GridDisplayKind : UINT
{
    kGridShowText = 0,       // the value text unchanged
    kGridShowTextFormat = 1, // the first format with the text
    kGridShowLong = 2,       // the first format with the 32-bit number
    kGridShowDouble = 3,     // the first format with the double
    kGridShowDateTime = 4,   // date and time formats
};

// What the grid knows about the cursor column shown in one list column, and the edited row's
// value of that column.
struct CGridColumn
{
    UINT m_nCursorColumn = 0; // 1-based
    UINT m_nDisplayKind = kGridShowText;
    CString m_strFormat;  // numeric format, or date format
    CString m_strFormat2; // time format
    CString m_strName;
    UINT m_nNullable = 0; // 0 ask the cursor, 1 nullable, 2 not nullable
    BYTE m_bForeignKey = 0;
    UINT m_nSortMark = 0;    // 0 none, 1 ascending, 2 descending
    BYTE m_bChanged = 0;     // the edited row's cell was changed
    CGridItem m_value;       // the edited row's value of this column
    CString m_strSavedText;  // the cell's text when editing of an existing row began
    UINT m_nFittedWidth = 0; // also the width kept while hidden
    UINT m_nGivenWidth = 0;
    UINT m_nListFormat = 0; // LVCFMT_* alignment
    BYTE m_bVisible = 1;
};

class CRGrid : public CREditListCtrl
{
    DECLARE_DYNAMIC(CRGrid)

public:
    // Interface of long reads: lets messages run between rows and shows progress.
    class IWait
    {
    public:
        virtual ~IWait() {}
        // Runs pending window messages; true when the user asked to cancel.
        virtual bool PumpMessages() = 0;
        // One unit of progress done.
        virtual void Step() = 0;
        // The rows read so far, told before each pump of a read of rows.
        virtual void ShowRowsRead(int /*nRows*/) {}
    };

    // The plain wait object: an hourglass cursor for its lifetime.
    class CWait : public IWait
    {
    public:
        bool PumpMessages() override { return false; }
        void Step() override {}

    private:
        CWaitCursor m_cursor;
    };

    // One bound parameter of a generated statement. [logic]
    struct CInsertParam
    {
        int m_nCType = 0; // SQL_C_BINARY or SQL_C_TIMESTAMP
        int m_nSQLType = 0;
        CString m_strText; // hexadecimal text of an edited binary value
        CByteArray m_bytes;
        TIMESTAMP_STRUCT m_timestamp{}; // the inline value
        SQLLEN m_nIndicator = -5;       // bytes, 16, or SQL_NULL_DATA

        CInsertParam() = default;
        CInsertParam(const CInsertParam& other) { *this = other; }
        CInsertParam& operator=(const CInsertParam& other)
        {
            if (this != &other)
            {
                m_nCType = other.m_nCType;
                m_nSQLType = other.m_nSQLType;
                m_strText = other.m_strText;
                m_bytes.Copy(other.m_bytes);
                m_timestamp = other.m_timestamp;
                m_nIndicator = other.m_nIndicator;
            }
            return *this;
        }
    };

    // One column of a copied row. [logic]
    struct CClipColInfo
    {
        int m_nCType = 0;
        UINT m_nKind = 0;
        CString m_strName;
        CString m_strValue;
    };

    CRGrid();
    ~CRGrid() override;

    // --- Structure, options, cursor, rows (grid_create.cpp, grid_cursor_rows.cpp) -------------
    BOOL Create(DWORD dwStyle, UINT nOptions, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetOptions(UINT nOptions);
    UINT GetOptions() const { return m_nOptions; }
    bool HasOption(UINT bit) const { return (m_nOptions & bit) != 0; }
    // Attaches a cursor (not owned; may be null) and clears the grid.
    void SetCursor(Zelt::ICursor* pCursor);
    Zelt::ICursor* GetCursor() const { return m_pCursor; }
    // Ends an edit, deletes all items and columns, empties the cache.
    void Clear();
    // Fills the list from the cursor: one screen, or every row with kGridFetchAll; reads up to
    // and selects nWantedRow when it is >= 0.
    bool LoadRows(int nWantedRow);
    // A database error goes to *ppError when given (for the caller to tell once its wait is
    // gone), else it is told at once.
    bool ReadRows(int nWantedRow, IWait* pWait, Zelt::CRDBException** ppError = nullptr);
    // The cursor's count is final and every row is an item.
    bool IsFullyLoaded();
    // The value of a cell (cache or cursor); false for a row outside the items.
    bool GetCellText(int nRow, int nColumn, CGridItem& item);
    // The text shown in a cell, reading ahead when the last item is shown.
    bool ReadCellText(int nRow, int nColumn, CGridItem& item);
    void SelectRow(int nRow);
    void SelectRow(int nRow, IWait* pWait);
    void SelectRowClamped(int nRow);
    void FetchNextRow(bool bNotify, IWait* pWait);
    void AddRowItem(bool bNotify, IWait* pWait);
    // Stores a new value into a cell of the edited row; used by the cell editor and paste.
    bool SetCellEditValue(int nRow, int nColumn, const CGridItem& value);
    void ResetEditState();
    // Item count changes of the owner-data list: rows appended as they are read, the row being
    // inserted, a deleted row. Appending inside a batch (RowBatch) is counted and given to the
    // list once when the batch ends.
    void AppendItems(int nCount);
    bool RemoveItem(int nRow);
    int GetItemCountWithPending() const;
    // Shows a cell's new text: the list keeps no text, so the row is drawn again from its source.
    void ShowCellText(int nRow);
    // Page Down and Ctrl+End reading (true when rows were read).
    bool ReadAheadPage();
    bool ReadAllRows();
    // Ctrl+End: the owner is asked first (kGridEndWanted), then every row is read.
    bool ReadToLastRow();
    // Appends, as items, up to nMax of the cursor's rows after the last item, no further than
    // row nHeld (rows the cursor holds already, so that nothing is read from the driver); not
    // while a row is edited or a read runs. True when items were added.
    bool AppendHeldRows(int nHeld, int nMax);
    // Scroll amounts that bring the list back to its present scroll position (LVM_SCROLL).
    bool GetPageSize(CSize& size);
    int GetColumnCount() const { return (int)m_columns.size(); }
    CGridColumn* GetColumnObject(int nColumn) const;
    bool IsEditing() const { return m_bEditing; }
    bool IsInserting() const { return m_bInserting != 0; }
    bool IsModified() const { return m_bModified != 0; }
    int GetEditedRow() const { return m_nEditedRow; }
    int GetCurrentColumn() const { return m_nCurrentColumn; }
    void SetCurrentColumn(int nColumn) { m_nCurrentColumn = nColumn; }
    // True while a long read is under way (messages may be dispatched inside it).
    bool IsReading() const { return m_nReadDepth > 0; }

    // --- Cell cache (grid_cache.cpp) ----------------------------------------------------------
    void ClearCache();
    bool IsInCache(int nRow, int nColumn) const;
    bool CopyFromCache(int nRow, int nColumn, CGridItem& item) const;
    bool FillCache(int nFirstRow, bool bForce);
    bool ReadCellDirect(int nRow, int nColumn, CGridItem& item);
    // The first row a cache window of nCacheRows centred on nRow starts at, for nItems items.
    static int CacheWindowStart(int nRow, int nCacheRows, int nItems);

    // --- Columns and header (grid_columns.cpp, grid_header_draw.cpp) ---------------------------
    // Display kind 0. nImage < 0 or outside the header image list: no image.
    int InsertColumn(LPCWSTR pszName, UINT nCursorColumn, int nWidth, int nFormat, int nImage,
                     UINT nNullable, bool bForeignKey, UINT nSortMark);
    // Display kind 3 with a numeric format ("%.2f"); a decimal column keeps its exact text.
    int InsertColumn(LPCWSTR pszName, UINT nCursorColumn, LPCWSTR pszFormat, int nWidth,
                     int nFormat, int nImage, UINT nNullable, bool bForeignKey, UINT nSortMark);
    // A column with an empty header text.
    int InsertColumnNoCaption(UINT nCursorColumn, int nWidth, int nFormat, UINT nNullable);
    bool ShowColumn(int nColumn, bool bShow);
    bool IsColumnVisible(int nColumn) const;
    bool IsColumnShown(int nColumn) const { return IsColumnVisible(nColumn); }
    void ApplyColumnWidths();
    int GetColumnAtPosition(int nPosition);
    int GetPositionOfColumn(int nColumn);
    bool MoveColumn(int nFrom, int nTo);
    // Runs the column order dialog. [logic]
    void ShowOrderDialog(LPCWSTR pszTitle);
    void SetHeaderImageList(CImageList* pImageList);
    void DeleteAllColumns();
    // The grid draws its header items (option bit 8, or Windows 6.2 and later).
    bool DrawsHeader() const;
    void ComputeInitialWidths();

    // --- Row drawing (grid_draw.cpp) ----------------------------------------------------------
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    LRESULT CustomDraw(NMLVCUSTOMDRAW* pDraw);

    // --- Input, notifications, waiting (grid_input.cpp, grid_notify.cpp) ----------------------
    void NotifyOwner(UINT nCode);
    void NotifyRowDone(bool bFlag);
    void NotifyCountChanged();
    void NotifyDatabaseError(Zelt::CRDBException* e, UINT nCode = kGridDatabaseError);
    // The text of a database failure: one that met the session gone says that the open
    // transaction went with it (which the connection then no longer shows).
    CString DatabaseErrorText(LPCWSTR pszText);
    void NotifyText(UINT nCode, LPCWSTR pszText);
    // Code 12 with the 1-based column (0 for none), the kind and a text. [logic]
    void NotifyEditError(int nColumn, UINT nKind, LPCWSTR pszText = L"");
    void OnBeginEdit(int nRow);
    bool IsReadyForEdit() const;
    bool CanUpdateRow() const;
    bool CanEditValue() const;
    bool CanCopy() const;
    bool CanCopyValue() const;
    bool CanPaste() const;
    void EditSelectedRow(int nColumn);
    bool CanUseCursorForEdit(UINT nMask);
    bool ScrollByColumn(bool bRight);
    bool GetScrollOrigin(CPoint& origin);

    // --- Row editing (grid_row_edit.cpp) ------------------------------------------------------
    bool PrepareEditCell(int nRow, int nColumn, RECT* pRect, CGridItem* pValue);
    CGridEdit* EditCell(int nRow, int nColumn);
    bool SetCellValue(int nRow, int nColumn, LPCWSTR pszText, UINT nKind);
    bool InsertRow(bool bOpenEditor);
    bool CommitRow();
    bool CancelEdit();
    bool DeleteRow();

    // --- Saving rows as SQL [logic] (grid_save.cpp) -------------------------------------------
    // What a saved row came to: no statement was needed, its statement ran and the window reads
    // its rows again, or its statement ran and the row is in place in the cursor.
    enum class SavedRow
    {
        Unchanged,
        Run,
        RunAndPlaced,
    };
    bool SaveRow(SavedRow& saved);
    // After a row's statement ran: puts the row in place in a memory cursor (row_in_place.h),
    // so that the window need not read its rows again. False for another cursor.
    // returnedKeys: a new row's key values as the server gave them (ReturningKeysClause).
    bool PlaceSavedRowInCursor(bool bInserted, const std::vector<CRowSqlColumn>& columns,
                               const std::vector<CString>& returnedKeys);
    bool DeleteRowFromDB(int nRow);
    // " WHERE ..." over the key values of the cursor's current row, or " WHERE CURRENT OF ...".
    CString BuildKeyCondition(UINT nPositionedBit, std::vector<CInsertParam>& params);
    bool MakeSaveValue(int nColumn, const CGridItem& value, int nCType, int nSQLType,
                       CStringArray& values, std::vector<CInsertParam>& params);
    bool MakeKeyValue(UINT nCursorColumn, Zelt::ICursor* pCursor, CString& strText,
                      std::vector<CInsertParam>& params);
    bool ExecuteSave(LPCWSTR pszStatement, std::vector<CInsertParam>& params);

    // --- Clipboard [logic] (grid_clipboard.cpp) -----------------------------------------------
    // A value longer than the grid holds of it is never copied cut, nor left out of a copied
    // row: Copy and CopyCellValue refuse such a row or cell and tell it (TellCutValue).
    bool Copy();
    bool CopyRowToClipboard();
    bool CopyCellValue(int nRow, int nColumn);
    // The name of the column of the cell (of the first such cell of the row when nColumn is
    // -1) whose value the grid holds cut; empty when there is none.
    CString CutColumnName(int nRow, int nColumn = -1);
    // The value of a cell as it is copied: the cell's text, but a date or time shown as its
    // text with milliseconds has every digit of its fraction.
    bool GetCellCopyText(int nRow, int nColumn, CGridItem& item);
    bool Paste();
    bool PasteUnicodeRow(const void* pBlock, SIZE_T nSize);
    bool PasteAnsiRow(const void* pBlock, SIZE_T nSize);

    // --- Cell value text and tool tips [logic] (value_text.cpp, grid_tooltip.cpp) -------------
    // The value of one column of the cursor's current row; always true.
    bool FormatCellValue(int nColumn, CGridItem& item);
    BOOL OnToolTipText(NMHDR* pNMHDR, LRESULT* pResult);

    // --- Virtual operations a grid window overrides -------------------------------------------
    virtual void OrderColumns(LPCWSTR pszTitle);
    virtual bool CanUseValueKey();
    virtual bool UseCursorForEdit(UINT nMask);
    virtual bool ConfirmDelete();
    // Tells that the value of the column is not copied (alone, or in its row when bRow is set):
    // it is longer than the grid holds of it.
    virtual void TellCutValue(LPCWSTR pszColumnName, bool bRow);
    // Asked before a row of the list (not a new one) enters edit mode or is deleted; false
    // leaves the row alone.
    virtual bool ConfirmRowEdit(int nRow);
    // Asked before a cell of a list column is edited; false leaves it alone. By default, false
    // where the column is no table column (see ColumnNoEditReason).
    virtual bool ConfirmColumnEdit(int nColumn);
    // Why the list column's values cannot be stored in the table ("" when they can).
    CString ColumnNoEditReason(int nColumn);
    virtual void CreateWait(IWait*& pWait);
    virtual void DrawHeaderItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

    // --- Framework overrides -------------------------------------------------------------------
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // --- Fields the owner sets directly after construction ------------------------------------
    Zelt::ICursor* m_pCursor = nullptr;
    bool m_bForwardOnly = false;
    std::vector<CGridColumn*> m_columns; // owned; index = list column
    CArray<CRPrimaryKey::CPrimaryKeyInfo, const CRPrimaryKey::CPrimaryKeyInfo&> m_primaryKey;
    CArray<CRForeignKey::CForeignKeyInfo, const CRForeignKey::CForeignKeyInfo&> m_foreignKeys;
    CRDatabase* m_pQuoteDatabase = nullptr; // names are quoted for it; falls back to m_pDatabase
    CRDatabase* m_pDatabase = nullptr;      // rows are saved through it
    CReadZone m_readZone;                   // the session zone the cursor's rows were read in
    // By cursor column (index 0 is column 1): why a column of a query's result is no column of
    // its table read as stored, "" for one that is; empty for a result that needs no such word.
    std::vector<CString> m_columnNoEditReasons;
    CString m_strSortAscending;
    CString m_strSortDescending;
    CWnd* m_pOwner = nullptr;
    UINT m_bShowMarkers = 0;
    UINT m_nOptions = kGridLines | kGridFullRowSelect;
    CImageList* m_pHeaderImages = nullptr;
    int m_nCacheFirstRow = -1;
    int m_nCacheRows = 0;
    int m_nCacheColumns = 0;
    int m_nCacheSize = 500;
    std::vector<CGridItem> m_cache; // m_nCacheRows x m_nCacheColumns, row-major
    UINT m_bUseCache = 1;
    int m_nCurrentColumn = -1;
    int m_nEditedRow = -1;
    UINT m_bModified = 0;
    UINT m_bInserting = 0;
    COLORREF m_crEditFrame = RGB(255, 0, 0);
    UINT m_nClipFormatAnsi = 0;    // "RGrid Clipboard format"
    UINT m_nClipFormatUnicode = 0; // "RGrid Clipboard Unicode format"

    // Posted to the grid to commit the edited row after a selection change, outside the
    // list view's own notification.
    static constexpr UINT WM_GRID_DEFERRED_COMMIT = WM_APP + 0x2F1;
    // Posted to apply column widths grown by cells being shown, outside the list's painting.
    static constexpr UINT WM_GRID_APPLY_WIDTHS = WM_APP + 0x2F2;

    // How a long read (Ctrl+End, selecting a row far below, reading every row at load) fits
    // column widths: the first kFitAllRows rows it reads are measured, then one in
    // kFitSampleStride. Rows it passes over are measured when they are shown.
    static constexpr int kFitAllRows = 2000;
    static constexpr int kFitSampleStride = 50;
    // True when the row a long read has read nRead rows before is measured.
    static bool IsSampledRow(int nRead)
    {
        return nRead < kFitAllRows || nRead % kFitSampleStride == 0;
    }

protected:
    void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemChanging(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnThemeChanged();
    afx_msg LRESULT OnDeferredCommit(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnApplyWidths(WPARAM wParam, LPARAM lParam);
    BOOL OnHeaderNotify(NMHDR* pNMHDR, LRESULT* pResult);
    void FitWidthsToRow(int nRow, IWait* pWait);
    // The font, pad and screen width FitWidthsToRow measures with, asked for again now and then.
    void RefreshFitMetrics();
    // A cell shown after a long read that fitted widths from a sample: its column grows to the
    // text when that is wider (applied by a posted message, not inside the painting).
    void FitWidthToShownText(int nColumn, const CString& strText);
    // Runs the remaining-rows loop with widths fitted from a sample of the rows.
    // nRead: rows of the same long read already taken (rows appended in idle ticks go on
    // sampling where the last tick stopped).
    struct SampledFit
    {
        explicit SampledFit(CRGrid& grid, int nRead = 0)
            : m_grid(grid), m_nOuter(grid.m_nSampledRead)
        {
            grid.m_nSampledRead = nRead;
        }
        ~SampledFit() { m_grid.m_nSampledRead = m_nOuter; }
        SampledFit(const SampledFit&) = delete;
        SampledFit& operator=(const SampledFit&) = delete;
        CRGrid& m_grid;
        int m_nOuter;
    };
    void ShowHeaderMenu(int nColumn);
    // Lets the wait object dispatch messages with the grid marked as inside a read; true when
    // the read must stop (cancelled, or the grid was cleared meanwhile).
    bool PumpWait(IWait* pWait);
    // The milliseconds PumpWait goes by.
    virtual ULONGLONG PumpClock() const { return ::GetTickCount64(); }
    // Reads every row the cursor has left, letting messages run, until the end, a cancel or
    // another cursor.
    void ReadRemainingRows(Zelt::ICursor* pCursor, IWait* pWait);
    void InsertColumnObject(CGridColumn* pColumn, int nImage);

    // Rows read but not yet given to the list, and the depth of batches collecting them.
    struct RowBatch
    {
        explicit RowBatch(CRGrid& grid) : m_grid(grid) { ++grid.m_nBatchDepth; }
        ~RowBatch();
        RowBatch(const RowBatch&) = delete;
        RowBatch& operator=(const RowBatch&) = delete;
        CRGrid& m_grid;
    };
    CTextWidths m_textWidths;
    // What FitWidthsToRow measures with, and for how many rows it has been.
    HFONT m_hFitFont = nullptr;
    int m_nFitPad = 0;
    int m_nFitScreen = 0;
    int m_nFitMetricsAge = 0;
    // Rows read so far by the long read under way (-1: none; every row is measured).
    int m_nSampledRead = -1;
    // Some rows were read without being measured: shown cells fit their columns.
    bool m_bFitShownCells = false;
    bool m_bWidthsPosted = false;
    std::vector<int> m_grownColumns; // columns whose fitted width grew since the last post
    // Columns whose fitted width grew in the row batch under way, set when it ends: a width set
    // per row that grows it lays the list and its header out anew each time (under Wine a few
    // round trips to the server), hundreds of times in a long read.
    std::vector<int> m_batchGrownColumns;
    // Rows read since the wait object last ran messages, and when it did (PumpWait).
    static constexpr ULONGLONG kPumpPeriod = 30; // milliseconds
    int m_nRowsSincePump = 0;
    ULONGLONG m_nLastPumpTick = 0;
    int m_nPendingItems = 0;
    int m_nBatchDepth = 0;
    bool m_bCountNotifyPending = false;

    // Depth of message dispatching inside a read; requests that arrive meanwhile are served from
    // the cache only and never move the cursor, read rows or change the items.
    int m_nReadDepth = 0;
    // Set when the grid is cleared while a read is under way: the read stops.
    bool m_bAbortRead = false;
    bool m_bCommitPosted = false;
    CUxTheme m_headerTheme;

    DECLARE_MESSAGE_MAP()
};

// Colour of shaded rows: each channel below 128 gets 32 lighter, the others 20 darker.
COLORREF ShiftColor(COLORREF color);
// A two-pixel frame inside a cell rectangle.
void DrawDoubleFrame(CDC* pDC, const RECT& rect, COLORREF color);

// What EditCell (grid_row_edit.cpp) uses of the cell editor, declared in grid/grid_edit.h [logic]:
//   CGridEdit(int nRow, int nColumn, UINT nFlags, const CGridItem& value,
//             CGridEdit::CDataInterface*& pSource);       // takes over the source, nulls it
//   BOOL CGridEdit::Create(DWORD dwStyle, const RECT& rect, CRGrid* pGrid, UINT nID, int nLimit);
//   CRGridTimeDataInterface(int nSQLType); CRGridGuidDataInterface();
//   bool MakeFKValuesQuery(LPCWSTR pszColumn,
//       const CArray<CRForeignKey::CForeignKeyInfo, const CRForeignKey::CForeignKeyInfo&>& keys,
//       CRDatabase* pDatabase, CRDatabase* pQuoteDatabase, UINT nTimeout,
//       CGridEdit::CDataInterface*& pSource);
