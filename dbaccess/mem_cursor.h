// A cursor that takes over another one and keeps every row it has read in memory, so that a
// forward-only result can be scrolled both ways. The source is read one row per step forward and
// deleted as soon as it reports its end; from then on the row count is final. A source that fails
// part way (the server ends the statement, the database file is locked or gone) is deleted as
// well, but the count stays open: the cursor keeps the failure as the reason its rows stopped,
// and those who show or save the rows tell it (the read itself goes on as if at the end, since
// the one who happens to read then, a transaction's begin for example, is not the one to tell).
#pragma once

#include "dbaccess/cursor.h"
#include "dbaccess/touched_blocks.h"
#include "dbaccess/database.h"
#include "dbaccess/db_exception.h"

#include <functional>
#include <memory>
#include <vector>

namespace Zelt {

class CMemCursor : public ICursor, private CRDatabase::IStreamingResult
{
public:
    explicit CMemCursor(std::unique_ptr<ICursor> source);
    ~CMemCursor() override;

    void Close() override;
    UINT GetQueryTimeout() override { return m_nQueryTimeout; }
    ULONGLONG GetExecutionTime() override { return m_nExecutionTime; }
    bool IsForwardOnly() override { return false; }
    bool IsNumericAsText() override { return m_bNumericAsText; }
    short GetColumnCount() override { return static_cast<short>(m_columns.size()); }
    int GetColumnCType(UINT col) override;
    short GetColumnSQLType(UINT col) override;
    LONGLONG GetColumnSize(UINT col) override;
    int FindColumn(LPCWSTR name) override;
    const CColumnDesc* GetColumn(UINT col) override;
    int GetRecordCount() override { return static_cast<int>(m_rows.size()); }
    CString GetSQL() override { return m_strSQL; }
    // The source's table (taken when the cursor is made), so rows can be saved through it.
    CString GetTableName() override { return m_strTableName; }
    CString GetCursorName() override { return CString(); }
    CString GetColumnName(UINT col) override;
    bool IsDecimalColumn(UINT col) override;
    bool IsColumnNullable(UINT col) override;

    bool MoveFirst() override;
    bool MoveLast() override;
    bool MoveNext() override;
    bool MovePrev() override;
    bool SetAbsolutePosition(int row) override;
    bool Refresh() override { return true; }
    bool Move(int rows, USHORT fetchType) override;
    bool IsBOF() override;
    bool IsEOF() override;
    bool HasResultColumns() override { return !m_columns.empty(); }
    void GetStatus(CStatus& status) override;
    void SetPos(ULONGLONG, USHORT) override {}

    bool IsFieldValid(UINT col) override;
    bool IsFieldNull(UINT col) override;
    bool IsFieldNoTotal(UINT) override { return false; }
    bool IsFieldEmpty(UINT col) override;
    bool IsFieldTypeUnknown(UINT col) override;
    bool IsFieldTruncated(UINT col) override;
    bool IsFieldHeldAsText(UINT col) override;
    int GetFieldBlobForm(UINT col) override;

    bool GetFieldGuid(UINT col, GUID& value) override;
    bool GetFieldByte(UINT col, BYTE& value) override;
    bool GetFieldBinary(UINT col, CByteArray& value) override;
    bool GetFieldOleDateTime(UINT col, COleDateTime& value) override;
    bool GetFieldTimestampOffset(UINT col, SQL_SS_TIMESTAMPOFFSET_STRUCT& value) override;
    bool GetFieldTimestamp(UINT col, TIMESTAMP_STRUCT& value) override;
    bool GetFieldTime(UINT col, CTime& value) override;
    bool GetFieldDouble(UINT col, double& value) override;
    bool GetFieldFloat(UINT col, float& value) override;
    bool GetFieldBigInt(UINT col, LONGLONG& value) override;
    bool GetFieldShort(UINT col, short& value) override;
    bool GetFieldLong(UINT col, long& value) override;
    bool GetFieldInt(UINT col, int& value) override;
    bool GetFieldBool(UINT col, bool& value) override;
    bool GetFieldText(UINT col, CString& value) override;
    bool GetFieldTextA(UINT col, CStringA& value) override;

    // The source streams from pDatabase: every row left is read before a transaction on that
    // connection begins or ends (the statement would not survive it).
    void ReadToEndBeforeTransactions(CRDatabase* pDatabase);
    // Reads every row the source has left; the current row stays.
    void ReadToEnd() override;
    // Reads up to nRows more rows from the source; the current row stays. True while the source
    // has rows left.
    bool ReadOn(int nRows);
    // Reads on while the tick count (GetTickMs) is below nUntilMs, taking the rows the source
    // has ready by then (see ICursor::WaitNextRowReady); never waits for a row past that time.
    // True while the source has rows left.
    bool ReadOnUntil(LONGLONG nUntilMs);
    bool IsSourceOpen() const { return m_source != nullptr; }
    // The next row is held, or the source has it ready (see ICursor::IsNextRowReady).
    bool IsNextRowReady() override;
    bool WaitNextRowReady(LONGLONG nUntilMs) override;

    // The source failed before its end: the rows held are all there will be, and GetStatus
    // never calls their count final. GetStopError is the failure (null while none).
    bool IsStopped() const { return m_stopError != nullptr; }
    const CRDBException* GetStopError() const { return m_stopError.get(); }
    // Throws a copy of the failure, for one who reads the rows to their end and must not take
    // the stop for it (a saved file).
    [[noreturn]] void ThrowStopError() const;
    // Called once, on the reading thread, when the rows stop.
    void SetStopNotice(std::function<void()> notice) { m_stopNotice = std::move(notice); }

    // Rows changed in place, for a window whose edits the server has taken: every other row
    // keeps its index, and the rows the source has still to give come after the last as before
    // (so a change made while the source is open stays where it was made). nRow is 0-based; a
    // row inserted at nRow pushes that row and the ones after it one place down. False, with
    // nothing changed, for a row out of range or values of other kinds than the columns'.
    //
    // From the current row of another cursor over the same columns (a SELECT of that row
    // again), taken as a row of the source is.
    bool ReplaceRow(int nRow, ICursor& from);
    bool InsertRow(int nRow, ICursor& from);
    // Whether from's columns are this cursor's: the same names, C types and numbers as text.
    bool HasColumnsOf(ICursor& from);
    // From texts, as a user typed them (the server not asked): each given field is kept in its
    // column's kind where its text reads as one (an integer, a number, hexadecimal bytes), else
    // as its text (IsFieldHeldAsText). Fields not given keep their values (NULL in a new row).
    struct CFieldText
    {
        bool bGiven = false;
        bool bNull = false;
        CString strText;
    };
    bool ReplaceRowFields(int nRow, const std::vector<CFieldText>& fields);
    bool InsertRowFields(int nRow, const std::vector<CFieldText>& fields);
    bool RemoveRow(int nRow);

    // Bytes held for the rows read so far (row items and their values).
    size_t GetMemoryUsed() const { return m_nArenaUsed + m_rows.capacity() * sizeof(void*); }

    // One column: its description, the C type the source reports (what GetColumnCType answers)
    // and the C type the values are kept as here, which differs only for numbers the source
    // holds as text (kept as wide text, reported as the source reports them).
    struct CColumnEntry
    {
        CColumnDesc desc;
        int nCType = SQL_C_DEFAULT;
        LONGLONG nSize = 0;
        int nStoreType = SQL_C_DEFAULT;
    };

    // One field of one row. Fixed-size values sit in the slot; the others point into the
    // cursor's row storage (null for NULL), but for a timestamp packed into the slot itself (see
    // mem_cursor.cpp). A row is its fields' slots followed by a byte of flags a field.
    union CItemValue
    {
        UINT32 u32;
        INT32 i32;
        UINT64 u64;
        INT64 i64;
        BYTE b;
        float f;
        double d;
        const void* p;
    };
    enum : BYTE
    {
        kFieldNotNull = 1,
        kFieldTruncated = 2,
        // A value of another kind than its column's, kept as its text (see IsFieldHeldAsText).
        kFieldHeldAsText = 4,
        // Two bits: what a value that reads as a SQLite blob's text is (GetFieldBlobForm).
        kFieldBlobFormShift = 3,
        kFieldBlobFormMask = 3 << kFieldBlobFormShift,
    };

private:
    void DeleteSource();
    // Runs a read of the source; a failure there stops the rows (see IsStopped) and gives false.
    template <class Read>
    bool ReadSource(Read read);
    // Reads rows while more() says so (asked before each row).
    template <class More>
    bool ReadOnWhile(More more);
    void Stop(CException* e);
    bool ReadFirstSourceRow();
    void FetchRow();
    // Stores the current row of from (whose columns are this cursor's) in the row storage.
    CItemValue* StoreRow(ICursor& from);
    // A copy of row nRow (or of an all-NULL row for -1) with the given fields set from texts.
    CItemValue* StoreRowFields(int nRow, const std::vector<CFieldText>& fields);
    void PlaceRow(int nRow, CItemValue* items, bool bInsert);
    const CItemValue* GetItem(UINT col) const;
    const CItemValue* GetItemOrThrow(UINT col) const;
    // The flags of a field of the current row (GetItem has found the field).
    BYTE FieldFlags(UINT col) const;
    const CColumnEntry& Column(UINT col);
    void* Allocate(size_t size, size_t align = 8);

    [[noreturn]] static void ThrowNoColumn(UINT col);
    [[noreturn]] static void ThrowNoData(UINT col);
    [[noreturn]] static void ThrowUnknownType(int cType);
    [[noreturn]] static void ThrowHeldAsText(UINT col);

    std::unique_ptr<ICursor> m_source;
    UINT m_nQueryTimeout = 0;
    ULONGLONG m_nExecutionTime = 0;
    bool m_bNumericAsText = false;
    CString m_strSQL;
    CString m_strTableName;
    CRDatabase* m_pWatchedDatabase = nullptr;
    std::unique_ptr<CRDBException> m_stopError;
    std::function<void()> m_stopNotice;
    std::vector<CColumnEntry> m_columns;
    std::vector<CItemValue*> m_rows;
    int m_nCurrentRow = -1;

    // Row storage: rows are never dropped while the cursor lives, so they are carved out of
    // large blocks instead of one heap allocation per value.
    std::vector<std::unique_ptr<BYTE[]>> m_blocks;
    CTouchedBlocks m_nextBlocks;
    BYTE* m_pFree = nullptr;
    size_t m_nFreeLeft = 0;
    size_t m_nArenaUsed = 0;

    // Scratch values reused by FetchRow.
    CString m_scratchText;
    CStringA m_scratchTextA;
    CByteArray m_scratchBytes;
};

} // namespace Zelt
