// Reads every row and every field of a table, as text, through a forward-only bound recordset
// or through a memory cursor over one, and prints rows per second (and, for the memory cursor,
// the memory its rows take). Two modes measure around it: "fetch" moves the recordset through
// the rows without reading a field, and "floor" is the least any ODBC reader pays here: blocks of
// 1000 rows, every column bound as 8-bit text, nothing else.
//
//   bench_cursor_read.exe fetch|recordset|memory|floor "<connection string>" "<SELECT ...>"
//   bench_cursor_read.exe field "<connection string>" "<SELECT ...>"   (each column's text, in ns)
//   bench_cursor_read.exe format                                       (each kind of value, in ns)
//   bench_cursor_read.exe dump|dumpmem|dumpsave "<connection string>" "<SELECT ...>"
//       (every field's text, one line a row, as UTF-8: the recordset, the memory cursor over it,
//       or the recordset as the multi-table save opens it; for comparing two builds' texts)
//
// Output: one line "mode=<m> rows=<n> seconds=<s> rows_per_second=<r> [mem_bytes=<b>
// peak_private_bytes=<p>]".
#include "bench/common/bench_clock.h"
#include "dbaccess/database.h"
#include "dbaccess/db_exception.h"
#include "dbaccess/field_text.h"
#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"

#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <memory>
#include <vector>

namespace {

size_t PrivateBytes(bool peak)
{
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                              sizeof pmc))
        return 0;
    return peak ? pmc.PeakPagefileUsage : pmc.PagefileUsage;
}

// Reads the current row's fields as text; the total length keeps the work from being skipped.
size_t ReadRow(Zelt::ICursor& c, int columns, CString& text)
{
    size_t total = 0;
    for (int col = 1; col <= columns; ++col)
        if (c.GetFieldText(static_cast<UINT>(col), text))
            total += static_cast<size_t>(text.GetLength());
    return total;
}

// The bare ODBC loop: no recordset, no conversion of ours.
int Floor(SQLHDBC hDbc, LPCWSTR sql, long& rows, size_t& bytes)
{
    // QL_FLOOR_ROWS and QL_FLOOR_WIDTH change the block (for finding where a driver's time goes).
    const char* rowsVar = getenv("QL_FLOOR_ROWS");
    const char* widthVar = getenv("QL_FLOOR_WIDTH");
    const SQLULEN kRows = rowsVar ? strtoul(rowsVar, nullptr, 10) : 1000;
    const SQLLEN kWidth = widthVar ? strtol(widthVar, nullptr, 10) : 256;
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocStmt(hDbc, &hStmt)))
        return 1;
    SQLSetStmtOption(hStmt, SQL_ROWSET_SIZE, kRows);
    if (!SQL_SUCCEEDED(SQLExecDirectW(hStmt, const_cast<SQLWCHAR*>(sql), SQL_NTS)))
        return 1;
    SQLSMALLINT columns = 0;
    SQLNumResultCols(hStmt, &columns);
    std::vector<std::vector<char>> data(columns, std::vector<char>(kRows * kWidth));
    std::vector<std::vector<SQLLEN>> ind(columns, std::vector<SQLLEN>(kRows));
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c)
        SQLBindCol(hStmt, c, SQL_C_CHAR, data[c - 1].data(), kWidth, ind[c - 1].data());
    std::vector<SQLUSMALLINT> status(kRows);
    for (;;)
    {
        SQLULEN fetched = 0;
        const SQLRETURN rc = SQLExtendedFetch(hStmt, SQL_FETCH_NEXT, 1, &fetched, status.data());
        if (!SQL_SUCCEEDED(rc))
            break;
        rows += static_cast<long>(fetched);
        for (SQLSMALLINT c = 0; c < columns; ++c)
            for (SQLULEN r = 0; r < fetched; ++r)
                if (ind[c][r] > 0)
                    bytes += static_cast<size_t>(ind[c][r]);
    }
    SQLFreeStmt(hStmt, SQL_DROP);
    return 0;
}

// The least an unbound reader pays: one SQLFetch per row and one SQLGetData per column into a
// fixed buffer (QL_GETDATA_WIDE=1: as UTF-16, else as 8-bit text).
int GetDataFloor(SQLHDBC hDbc, LPCWSTR sql, long& rows, size_t& bytes)
{
    const char* wideVar = getenv("QL_GETDATA_WIDE");
    const bool wide = wideVar && wideVar[0] == '1';
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocStmt(hDbc, &hStmt)))
        return 1;
    if (!SQL_SUCCEEDED(SQLExecDirectW(hStmt, const_cast<SQLWCHAR*>(sql), SQL_NTS)))
        return 1;
    SQLSMALLINT columns = 0;
    SQLNumResultCols(hStmt, &columns);
    std::vector<char> buffer(65536);
    while (SQL_SUCCEEDED(SQLFetch(hStmt)))
    {
        ++rows;
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c)
        {
            SQLLEN ind = 0;
            if (SQL_SUCCEEDED(SQLGetData(hStmt, c, wide ? SQL_C_WCHAR : SQL_C_CHAR, buffer.data(),
                                         static_cast<SQLLEN>(buffer.size()), &ind)) &&
                ind > 0)
                bytes += static_cast<size_t>(ind);
        }
    }
    SQLFreeStmt(hStmt, SQL_DROP);
    return 0;
}

// What the recordset's text of one value costs, by kind, without a database.
void FormatCosts()
{
    const int n = 1000000;
    CString out;
    size_t total = 0;
    auto report = [&](const char* what, double start) {
        printf("format %-28s %6.1f ns\n", what, (qlbench::Now() - start) * 1e9 / n);
    };
    for (SQLULEN size : {15u, 17u})
    {
        Zelt::ICursor::CColumnDesc desc;
        desc.nSQLType = SQL_DOUBLE;
        desc.nColumnSize = size;
        double start = qlbench::Now();
        for (int i = 1; i <= n; ++i)
        {
            SetDoubleText(out, i / 7.0, &desc);
            total += static_cast<size_t>(out.GetLength());
        }
        report(size == 15 ? "double, size 15 (i / 7.0)" : "double, size 17 (i / 7.0)", start);
        start = qlbench::Now();
        for (int i = 1; i <= n; ++i)
        {
            SetDoubleText(out, i * 1.25, &desc);
            total += static_cast<size_t>(out.GetLength());
        }
        report(size == 15 ? "double, size 15 (i * 1.25)" : "double, size 17 (i * 1.25)", start);
    }
    TIMESTAMP_STRUCT ts{2024, 3, 5, 7, 8, 9, 0};
    double start = qlbench::Now();
    for (int i = 1; i <= n; ++i)
    {
        ts.second = static_cast<SQLUSMALLINT>(i % 60);
        SetTimestampText(out, &ts, SQL_TYPE_TIMESTAMP);
        total += static_cast<size_t>(out.GetLength());
    }
    report("timestamp", start);
    start = qlbench::Now();
    for (int i = 1; i <= n; ++i)
    {
        SetSignedText(out, static_cast<LONGLONG>(i) * 1000003);
        total += static_cast<size_t>(out.GetLength());
    }
    report("integer", start);
    printf("format total=%zu\n", total);
}

// Writes the current row's texts, tab-separated, NULL as \N.
void DumpRow(Zelt::ICursor& c, int columns, CString& text, std::string& line)
{
    line.clear();
    for (int col = 1; col <= columns; ++col)
    {
        if (col > 1)
            line += '\t';
        if (!c.GetFieldText(static_cast<UINT>(col), text))
        {
            line += "\\N";
            continue;
        }
        const int n =
            WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
        const size_t at = line.size();
        line.resize(at + static_cast<size_t>(n));
        WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), line.data() + at, n, nullptr,
                            nullptr);
    }
    line += '\n';
    fwrite(line.data(), 1, line.size(), stdout);
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc == 2 && std::wstring(argv[1]) == L"format")
    {
        FormatCosts();
        return 0;
    }
    if (argc < 4)
    {
        fprintf(stderr, "usage: bench_cursor_read recordset|memory <connect> <select>\n");
        return 2;
    }
    const std::wstring mode = argv[1];
    try
    {
        CRDatabase db;
        if (!db.Open(argv[2], CRDatabase::openNoPrompt, nullptr, 0, 0, 0))
        {
            fprintf(stderr, "connect cancelled\n");
            return 1;
        }
        const size_t before = PrivateBytes(false);
        const double start = qlbench::Now();
        if (mode == L"floor" || mode == L"getdata")
        {
            long rows = 0;
            size_t bytes = 0;
            if ((mode == L"floor" ? Floor : GetDataFloor)(db.GetConnectionHandle(), argv[3], rows,
                                                          bytes))
            {
                fprintf(stderr, "floor: the statement failed\n");
                return 1;
            }
            const double seconds = qlbench::Now() - start;
            printf("mode=%ls rows=%ld seconds=%.3f rows_per_second=%.0f bytes=%zu\n", mode.c_str(),
                   rows, seconds, rows / seconds, bytes);
            return 0;
        }
        auto rs = std::make_unique<CRRecordset>(&db);
        if (mode == L"dumpsave")
            rs->Open(argv[3], RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT);
        else
            rs->Open(argv[3], RS_FORWARD_ONLY, RS_READONLY);
        const int columns = rs->GetColumnCount();
        CString text;
        size_t chars = 0;
        long rows = 0;
        if (mode == L"dump" || mode == L"dumpsave")
        {
            std::string line;
            for (; !rs->IsEOF(); rs->MoveNext())
                DumpRow(*rs, columns, text, line);
        }
        else if (mode == L"dumpmem")
        {
            Zelt::CMemCursor mem(std::move(rs));
            std::string line;
            for (bool ok = mem.MoveFirst(); ok && !mem.IsEOF(); ok = mem.MoveNext())
                DumpRow(mem, columns, text, line);
        }
        else if (mode == L"fetch")
        {
            // The fetches alone: what the driver and the driver manager cost.
            while (!rs->IsEOF())
            {
                ++rows;
                rs->MoveNext();
            }
            const double seconds = qlbench::Now() - start;
            printf("mode=fetch rows=%ld seconds=%.3f rows_per_second=%.0f\n", rows, seconds,
                   rows / seconds);
        }
        else if (mode == L"field")
        {
            // The cost of one GetFieldText of each column of the first row, read many times.
            const int n = 1000000;
            for (int col = 1; col <= columns; ++col)
            {
                const double t0 = qlbench::Now();
                for (int i = 0; i < n; ++i)
                    if (rs->GetFieldText(static_cast<UINT>(col), text))
                        chars += static_cast<size_t>(text.GetLength());
                printf("field %d (%ls) %.1f ns\n", col,
                       static_cast<LPCWSTR>(rs->GetColumnName(col)),
                       (qlbench::Now() - t0) * 1e9 / n);
            }
        }
        else if (mode == L"recordset")
        {
            while (!rs->IsEOF())
            {
                chars += ReadRow(*rs, columns, text);
                ++rows;
                rs->MoveNext();
            }
            const double seconds = qlbench::Now() - start;
            printf("mode=recordset rows=%ld seconds=%.3f rows_per_second=%.0f chars=%zu\n", rows,
                   seconds, rows / seconds, chars);
        }
        else
        {
            // Fill the memory cursor from its source, then read it back from memory.
            Zelt::CMemCursor mem(std::move(rs));
            while (mem.MoveNext() && !mem.IsEOF())
                ++rows;
            const double filled = qlbench::Now() - start;
            for (bool ok = mem.MoveFirst(); ok && !mem.IsEOF(); ok = mem.MoveNext())
                chars += ReadRow(mem, columns, text);
            const double seconds = qlbench::Now() - start;
            printf("mode=memory rows=%ld seconds=%.3f rows_per_second=%.0f fill_seconds=%.3f "
                   "mem_bytes=%zu peak_private_bytes=%zu chars=%zu\n",
                   rows, seconds, rows / seconds, filled, mem.GetMemoryUsed(),
                   PrivateBytes(true) - before, chars);
        }
    }
    catch (Zelt::CRDBException* e)
    {
        fprintf(stderr, "database error: %ls\n", static_cast<LPCWSTR>(e->m_strError));
        e->Delete();
        return 1;
    }
    return 0;
}
