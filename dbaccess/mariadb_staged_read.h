// A MariaDB table or view window's own SELECT, read in two statements so that the first screen
// does not wait for the whole result.
//
// The MariaDB driver here (Connector/ODBC 3.1.15) stores every result whole when its statement
// runs: its option not to cache forward-only results (NO_CACHE, OPTION bit 1048576) came with
// 3.1.17, and this driver ignores it (measured: SQLExecDirect of a SELECT of 1,000,000 rows
// returns after the whole read either way). So the first statement is the SELECT with a LIMIT of
// kFirstRows, which the window shows at once. Only when it gave that many does the SELECT itself
// run again for the rest, on a thread of its own, begun once the reader goes past the first rows
// (the window reads on in idle time), so that the program answers while the server and the
// driver work; its first rows are compared with those of the first statement, and the reader
// goes on with the rows after them. Where they differ (another session changed the rows between
// the two, or rows that sort alike came in another order), the read stops there and says so:
// what the window shows is always the rows of one SELECT.
//
// While the second statement runs it holds the session; anything else that is to reach the
// connection (a statement of the user's, a transaction's start or end, an edit, a save, closing
// the window) first holds the read (CRDatabase::IReadAhead), which cancels it: the driver sends
// KILL QUERY over a connection of its own, and the statement ends within a few tenths of a
// second. The rows read stay, the read stops ("reading stopped") and Refresh reads them again.
// A role limited to one connection (@@max_user_connections = 1) cannot open the driver's second
// connection and its cancel fails: there the rest is not read by itself, only when the reader
// goes on (Ctrl+End, scrolling), and such a read runs to its end. Once the statement has run,
// its rows sit in the driver's memory and nothing is held on the server: reading them on leaves
// the session free.
//
// Each statement runs in autocommit mode, outside any transaction: it holds what a SELECT of the
// user's holds while it runs, nothing after. The rest is not read inside a transaction begun
// after the first rows (the read stops there, in words).
#pragma once

#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"

#include <functional>
#include <memory>

namespace Zelt {

// An ICursor that hands every question to another one (m_pTarget), for cursors that read
// through others.
class CForwardingCursor : public ICursor
{
public:
    void Close() override {}
    UINT GetQueryTimeout() override { return m_pTarget->GetQueryTimeout(); }
    ULONGLONG GetExecutionTime() override { return m_pTarget->GetExecutionTime(); }
    bool IsForwardOnly() override { return true; }
    bool IsNumericAsText() override { return m_pTarget->IsNumericAsText(); }
    short GetColumnCount() override { return m_pTarget->GetColumnCount(); }
    int GetColumnCType(UINT col) override { return m_pTarget->GetColumnCType(col); }
    short GetColumnSQLType(UINT col) override { return m_pTarget->GetColumnSQLType(col); }
    LONGLONG GetColumnSize(UINT col) override { return m_pTarget->GetColumnSize(col); }
    int FindColumn(LPCWSTR name) override { return m_pTarget->FindColumn(name); }
    const CColumnDesc* GetColumn(UINT col) override { return m_pTarget->GetColumn(col); }
    int GetRecordCount() override { return m_pTarget->GetRecordCount(); }
    CString GetSQL() override { return m_pTarget->GetSQL(); }
    CString GetTableName() override { return m_pTarget->GetTableName(); }
    CString GetCursorName() override { return CString(); }
    CString GetColumnName(UINT col) override { return m_pTarget->GetColumnName(col); }
    bool IsDecimalColumn(UINT col) override { return m_pTarget->IsDecimalColumn(col); }
    bool IsColumnNullable(UINT col) override { return m_pTarget->IsColumnNullable(col); }
    bool MoveFirst() override { return m_pTarget->MoveFirst(); }
    bool MoveLast() override { return m_pTarget->MoveLast(); }
    bool MoveNext() override { return m_pTarget->MoveNext(); }
    bool IsNextRowReady() override { return m_pTarget->IsNextRowReady(); }
    bool WaitNextRowReady(LONGLONG nUntilMs) override
    {
        return m_pTarget->WaitNextRowReady(nUntilMs);
    }
    bool MovePrev() override { return false; }
    bool SetAbsolutePosition(int) override { return false; }
    bool Refresh() override { return true; }
    bool Move(int rows, USHORT fetchType) override { return m_pTarget->Move(rows, fetchType); }
    bool IsBOF() override { return m_pTarget->IsBOF(); }
    bool IsEOF() override { return m_pTarget->IsEOF(); }
    bool HasResultColumns() override { return m_pTarget->HasResultColumns(); }
    void GetStatus(CStatus& status) override { m_pTarget->GetStatus(status); }
    void SetPos(ULONGLONG, USHORT) override {}

    bool IsFieldValid(UINT col) override { return m_pTarget->IsFieldValid(col); }
    bool IsFieldNull(UINT col) override { return m_pTarget->IsFieldNull(col); }
    bool IsFieldNoTotal(UINT col) override { return m_pTarget->IsFieldNoTotal(col); }
    bool IsFieldEmpty(UINT col) override { return m_pTarget->IsFieldEmpty(col); }
    bool IsFieldTypeUnknown(UINT col) override { return m_pTarget->IsFieldTypeUnknown(col); }
    bool IsFieldTruncated(UINT col) override { return m_pTarget->IsFieldTruncated(col); }
    bool IsFieldHeldAsText(UINT col) override { return m_pTarget->IsFieldHeldAsText(col); }
    int GetFieldBlobForm(UINT col) override { return m_pTarget->GetFieldBlobForm(col); }

    bool GetFieldGuid(UINT col, GUID& v) override { return m_pTarget->GetFieldGuid(col, v); }
    bool GetFieldByte(UINT col, BYTE& v) override { return m_pTarget->GetFieldByte(col, v); }
    bool GetFieldBinary(UINT col, CByteArray& v) override
    {
        return m_pTarget->GetFieldBinary(col, v);
    }
    bool GetFieldOleDateTime(UINT col, COleDateTime& v) override
    {
        return m_pTarget->GetFieldOleDateTime(col, v);
    }
    bool GetFieldTimestampOffset(UINT col, SQL_SS_TIMESTAMPOFFSET_STRUCT& v) override
    {
        return m_pTarget->GetFieldTimestampOffset(col, v);
    }
    bool GetFieldTimestamp(UINT col, TIMESTAMP_STRUCT& v) override
    {
        return m_pTarget->GetFieldTimestamp(col, v);
    }
    bool GetFieldTime(UINT col, CTime& v) override { return m_pTarget->GetFieldTime(col, v); }
    bool GetFieldDouble(UINT col, double& v) override { return m_pTarget->GetFieldDouble(col, v); }
    bool GetFieldFloat(UINT col, float& v) override { return m_pTarget->GetFieldFloat(col, v); }
    bool GetFieldBigInt(UINT col, LONGLONG& v) override
    {
        return m_pTarget->GetFieldBigInt(col, v);
    }
    bool GetFieldShort(UINT col, short& v) override { return m_pTarget->GetFieldShort(col, v); }
    bool GetFieldLong(UINT col, long& v) override { return m_pTarget->GetFieldLong(col, v); }
    bool GetFieldInt(UINT col, int& v) override { return m_pTarget->GetFieldInt(col, v); }
    bool GetFieldBool(UINT col, bool& v) override { return m_pTarget->GetFieldBool(col, v); }
    bool GetFieldText(UINT col, CString& v) override { return m_pTarget->GetFieldText(col, v); }
    bool GetFieldTextA(UINT col, CStringA& v) override { return m_pTarget->GetFieldTextA(col, v); }
    bool GetFieldAsciiText(UINT col, const char*& text, size_t& length) override
    {
        return m_pTarget->GetFieldAsciiText(col, text, length);
    }

protected:
    ICursor* m_pTarget = nullptr;
};

class CMariaDBStagedRead : public CForwardingCursor
{
public:
    // nOptions: those of both statements' recordsets.
    CMariaDBStagedRead(CRDatabase* pDatabase, LPCWSTR pszSelect, UINT nOptions);
    ~CMariaDBStagedRead() override;

    // Whether the program's own SELECT on the connection is read so: MariaDB or MySQL, outside
    // any transaction, and a SELECT without the word LIMIT (one with a LIMIT is read whole).
    static bool IsUsable(CRDatabase& db, LPCWSTR pszSelect);
    // The first statement: the SELECT with its LIMIT on a line of its own (the SELECT may end in
    // a comment to the end of its line).
    static CString FirstRowsText(LPCWSTR pszSelect);
    static constexpr int kFirstRows = 200;

    // Runs the first statement through run (the caller's way of running a statement the user may
    // cancel; false when cancelled or refused) and takes its rows. Driver failures throw.
    bool Open(const std::function<bool(CRRecordset&, LPCWSTR)>& run);
    // Whether the window may read the rest on by itself: there is a rest, and its statement can
    // be cancelled when the user acts (the role may open the driver's second connection).
    bool ReadsOnByItself() const { return m_bMayCancel && m_state == State::First; }

    // Zelt::ICursor
    void Close() override;
    ULONGLONG GetExecutionTime() override { return m_nExecutionTime; }
    int GetRecordCount() override { return m_nRows; }
    CString GetSQL() override { return m_strSelect; }
    CString GetTableName() override;
    // Forward only: MoveFirst succeeds only on the first row, the others but MoveNext fail.
    bool MoveFirst() override;
    bool MoveLast() override;
    bool MoveNext() override;
    bool Move(int rows, USHORT fetchType) override;
    bool IsBOF() override { return m_nRows == 0 && IsEOF(); }
    bool IsEOF() override { return m_state == State::Ended || m_state == State::Closed; }
    void GetStatus(CStatus& status) override;
    // At the last of the first rows the next row is the rest's first: not ready until its
    // statement has run (asking begins it).
    bool IsNextRowReady() override;
    bool WaitNextRowReady(LONGLONG nUntilMs) override;

    // The rest's statement runs on its thread.
    bool IsReadingRest() const { return m_state == State::RunningRest; }

private:
    // First: the first statement's rows are read (m_pFirst). RunningRest: the rest's statement
    // runs on the thread. Rest: its rows are read (m_pRest). Ended, Stopped, Closed: the last row
    // passed, a failure ended the read (m_pStopped), the reader let go before the end.
    enum class State
    {
        Unopened,
        First,
        RunningRest,
        Rest,
        Ended,
        Stopped,
        Closed,
    };
    // The statement of the rest on its thread (mariadb_staged_read.cpp).
    class CRestRun;
    bool AtEndOfFirst() const { return m_state == State::First && m_nRows >= m_nFirst; }
    bool HasRest() const { return m_nFirst >= kFirstRows; }
    // Begins the rest's statement; a refusal (no connection, a transaction open) stops the read.
    void StartRest();
    // Waits for the rest's statement, checks its first rows against the first statement's and
    // makes the row after them the current one.
    void TakeRest();
    // Whether the rest's first rows are the first statement's, field by field.
    bool RestBeginsWithFirstRows();
    void DropRest();
    void End();
    bool IsOnItsConnection() const;
    [[noreturn]] void Stop(CRDBException* pError);
    [[noreturn]] void ThrowStopped() const;

    CRDatabase* m_pDatabase;
    CString m_strSelect;
    UINT m_nOptions;
    std::unique_ptr<CMemCursor> m_pFirst;
    std::unique_ptr<CRRecordset> m_pRest;
    std::shared_ptr<CRestRun> m_pRun;
    UINT m_nConnectionSerial = 0;
    State m_state = State::Unopened;
    int m_nRows = 0;  // rows read so far, the current one included
    int m_nFirst = 0; // rows the first statement gave
    bool m_bMayCancel = false;
    ULONGLONG m_nExecutionTime = 0;
    std::unique_ptr<CRDBException> m_pStopped;
};

} // namespace Zelt
