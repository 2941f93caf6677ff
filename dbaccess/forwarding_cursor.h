// A cursor that hands every question to another one, for cursors that read through others
// (dbaccess/held_cursor.h, dbaccess/mariadb_staged_read.h).
#pragma once

#include "dbaccess/cursor.h"

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

// A forward-only read through others that counts its rows (m_nRows, the current one included):
// MoveLast reads to the end, Move goes only to the next row or back to a first row still
// current, and the status follows the count; IsCountFinal says whether the last row has passed.
class CForwardRowsCursor : public CForwardingCursor
{
public:
    int GetRecordCount() override { return m_nRows; }
    bool MoveLast() override
    {
        while (!IsEOF())
            MoveNext();
        return false;
    }
    bool Move(int rows, USHORT fetchType) override
    {
        if (fetchType == SQL_FETCH_NEXT || (fetchType == SQL_FETCH_RELATIVE && rows == 1))
            return MoveNext();
        if (fetchType == SQL_FETCH_FIRST)
            return MoveFirst();
        return false;
    }
    bool IsBOF() override { return m_nRows == 0 && IsEOF(); }
    void GetStatus(CStatus& status) override
    {
        status.nCurrentRow = IsEOF() ? m_nRows : m_nRows - 1;
        status.bCountFinal = IsCountFinal();
    }

protected:
    virtual bool IsCountFinal() const = 0;
    int m_nRows = 0;
};

} // namespace Zelt
