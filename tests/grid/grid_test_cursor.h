// A hand-made result cursor for the grid's logic tests: columns with fixed C and SQL types, rows
// of values kept in memory, a table name and a cursor name of the test's choice.
#pragma once

#include "dbaccess/cursor.h"
#include "dbaccess/value_text.h"

#include <cwchar>
#include <vector>

namespace GridTest {

struct Cell
{
    bool null = false;
    bool truncated = false;
    bool noTotal = false;
    bool empty = false;
    CString text;            // text of text and number columns
    std::vector<BYTE> bytes; // binary columns
    TIMESTAMP_STRUCT ts{};   // timestamp columns
};

inline Cell Text(LPCWSTR text)
{
    Cell c;
    c.text = text;
    return c;
}
inline Cell Null()
{
    Cell c;
    c.null = true;
    return c;
}
inline Cell Truncated(LPCWSTR text)
{
    Cell c;
    c.text = text;
    c.truncated = true;
    return c;
}
inline Cell Bytes(std::vector<BYTE> b)
{
    Cell c;
    c.bytes = b;
    return c;
}
inline Cell Stamp(int y, int mo, int d, int h, int mi, int s, unsigned fraction)
{
    Cell c;
    c.ts.year = (SQLSMALLINT)y;
    c.ts.month = (SQLUSMALLINT)mo;
    c.ts.day = (SQLUSMALLINT)d;
    c.ts.hour = (SQLUSMALLINT)h;
    c.ts.minute = (SQLUSMALLINT)mi;
    c.ts.second = (SQLUSMALLINT)s;
    c.ts.fraction = fraction;
    return c;
}

class TestCursor : public Zelt::ICursor
{
public:
    struct Column
    {
        CString name;
        int cType;
        short sqlType;
    };

    std::vector<Column> columns;
    std::vector<std::vector<Cell>> rows;
    CString table = L"t";
    CString cursorName = L"SQL_CUR1";
    int current = -1; // 0-based row

    void AddColumn(LPCWSTR name, int cType, short sqlType)
    {
        columns.push_back({name, cType, sqlType});
    }

    const Cell& At(UINT col)
    {
        if (current < 0 || current >= (int)rows.size() || col < 1 || col > columns.size())
            throw new CException();
        return rows[current][col - 1];
    }

    void Close() override {}
    UINT GetQueryTimeout() override { return 0; }
    ULONGLONG GetExecutionTime() override { return 0; }
    bool IsForwardOnly() override { return false; }
    bool IsNumericAsText() override { return false; }
    short GetColumnCount() override { return (short)columns.size(); }
    int GetColumnCType(UINT col) override
    {
        return col >= 1 && col <= columns.size() ? columns[col - 1].cType : SQL_C_DEFAULT;
    }
    short GetColumnSQLType(UINT col) override
    {
        return col >= 1 && col <= columns.size() ? columns[col - 1].sqlType : 0;
    }
    LONGLONG GetColumnSize(UINT) override { return 100; }
    int FindColumn(LPCWSTR name) override
    {
        for (size_t i = 0; i < columns.size(); ++i)
            if (_wcsicmp(columns[i].name, name) == 0)
                return (int)i + 1;
        return -1;
    }
    const CColumnDesc* GetColumn(UINT) override { return nullptr; }
    int GetRecordCount() override { return (int)rows.size(); }
    CString GetSQL() override { return L"SELECT * FROM " + table; }
    CString GetTableName() override { return table; }
    CString GetCursorName() override { return cursorName; }
    CString GetColumnName(UINT col) override
    {
        return col >= 1 && col <= columns.size() ? columns[col - 1].name : CString();
    }
    bool IsDecimalColumn(UINT col) override
    {
        return Zelt::IsDecimalSQLType(GetColumnSQLType(col));
    }
    bool IsColumnNullable(UINT) override { return true; }

    bool MoveFirst() override { return SetAbsolutePosition(1); }
    bool MoveLast() override { return SetAbsolutePosition((int)rows.size()); }
    bool MoveNext() override
    {
        ++current;
        return current < (int)rows.size();
    }
    bool MovePrev() override
    {
        --current;
        return current >= 0;
    }
    bool SetAbsolutePosition(int row) override
    {
        if (row < 1 || row > (int)rows.size())
            return false;
        current = row - 1;
        return true;
    }
    bool Refresh() override { return true; }
    bool Move(int, USHORT) override { return false; }
    bool IsBOF() override { return current < 0; }
    bool IsEOF() override { return current >= (int)rows.size(); }
    bool HasResultColumns() override { return !columns.empty(); }
    void GetStatus(CStatus& status) override
    {
        status.nCurrentRow = current;
        status.bCountFinal = true;
    }
    void SetPos(ULONGLONG, USHORT) override {}

    bool IsFieldValid(UINT col) override
    {
        const Cell& c = At(col);
        return !c.null && !c.noTotal && !c.empty && GetColumnCType(col) != SQL_C_DEFAULT;
    }
    bool IsFieldNull(UINT col) override { return At(col).null; }
    bool IsFieldNoTotal(UINT col) override { return At(col).noTotal; }
    bool IsFieldEmpty(UINT col) override { return At(col).empty; }
    bool IsFieldTypeUnknown(UINT col) override { return GetColumnCType(col) == SQL_C_DEFAULT; }
    bool IsFieldTruncated(UINT col) override { return At(col).truncated; }

    bool GetFieldGuid(UINT, GUID&) override { throw new CException(); }
    bool GetFieldByte(UINT, BYTE&) override { throw new CException(); }
    bool GetFieldBinary(UINT col, CByteArray& value) override
    {
        const Cell& c = At(col);
        value.SetSize((INT_PTR)c.bytes.size());
        for (size_t i = 0; i < c.bytes.size(); ++i)
            value[(INT_PTR)i] = c.bytes[i];
        return !c.null;
    }
    bool GetFieldOleDateTime(UINT, COleDateTime&) override { throw new CException(); }
    bool GetFieldTimestampOffset(UINT, SQL_SS_TIMESTAMPOFFSET_STRUCT&) override
    {
        throw new CException();
    }
    bool GetFieldTimestamp(UINT col, TIMESTAMP_STRUCT& value) override
    {
        const Cell& c = At(col);
        value = c.ts;
        return !c.null;
    }
    bool GetFieldTime(UINT, CTime&) override { throw new CException(); }
    bool GetFieldDouble(UINT col, double& value) override
    {
        const Cell& c = At(col);
        value = wcstod(c.text, nullptr);
        return !c.null;
    }
    bool GetFieldFloat(UINT col, float& value) override
    {
        double d;
        bool r = GetFieldDouble(col, d);
        value = (float)d;
        return r;
    }
    bool GetFieldBigInt(UINT col, LONGLONG& value) override
    {
        value = _wtoi64(At(col).text);
        return !At(col).null;
    }
    bool GetFieldShort(UINT col, short& value) override
    {
        value = (short)_wtoi(At(col).text);
        return !At(col).null;
    }
    bool GetFieldLong(UINT col, long& value) override
    {
        value = _wtol(At(col).text);
        return !At(col).null;
    }
    bool GetFieldInt(UINT col, int& value) override
    {
        value = _wtoi(At(col).text);
        return !At(col).null;
    }
    bool GetFieldBool(UINT col, bool& value) override
    {
        value = _wtoi(At(col).text) != 0;
        return !At(col).null;
    }
    bool GetFieldText(UINT col, CString& value) override
    {
        const Cell& c = At(col);
        if (c.null)
        {
            value.Empty();
            return false;
        }
        int cType = GetColumnCType(col);
        if (cType == SQL_C_TIMESTAMP)
            value = FormatTimestamp(&c.ts, GetColumnSQLType(col));
        else if (cType == SQL_C_BINARY)
            value = MakeStringN(c.bytes.data(), c.bytes.size(), c.bytes.size());
        else
            value = c.text;
        return true;
    }
    bool GetFieldTextA(UINT col, CStringA& value) override
    {
        CString w;
        bool r = GetFieldText(col, w);
        value = CStringA(w);
        return r;
    }
};

} // namespace GridTest
