// How long a query waits that the user runs while a table window's result is still being read:
// the earlier one is read as a table window reads it (forward-only, on the program's reading
// connection where there is one, streamed, the next rows fetched ahead), its first block shown;
// then the next query opens on the user's connection as the SQL query dialog opens a SELECT.
//
//   bench_query_beside_read.exe "<connection string>" "<first SELECT>" "<next SELECT>" [rows]
//
// Output: one line "first=<s> beside=<s> rows_after=<n> after=<s>": the first block of the first
// result, the next query's open and first row, and the rows of the first result read afterwards
// (every one, or as many as [rows] says) and the time they took.
#include "bench/common/bench_clock.h"
#include "dbaccess/database.h"
#include "dbaccess/db_exception.h"
#include "dbaccess/recordset.h"

#include <shellapi.h>

#include <cstdio>

int main()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 4)
    {
        fprintf(stderr, "usage: bench_query_beside_read CONNECT FIRST_SELECT NEXT_SELECT [ROWS]\n");
        return 2;
    }
    try
    {
        CRDatabase db;
        if (!db.Open(argv[1], CRDatabase::openNoPrompt, nullptr, 0, 0, 0))
            return 1;
        CRDatabase* pReader = db.ReadingConnection();
        double t0 = qlbench::Now();
        CRRecordset grid(pReader != nullptr ? pReader : &db);
        if (!grid.Open(argv[2], RS_FORWARD_ONLY, RS_NUMERIC_AS_TEXT))
            return 1;
        grid.ReadAheadFromNextBlock();
        const double first = qlbench::Now() - t0;

        t0 = qlbench::Now();
        {
            CRRecordset next(&db);
            if (!next.Open(argv[3], RS_STATIC, RS_NUMERIC_AS_TEXT))
                return 1;
        }
        const double beside = qlbench::Now() - t0;

        const long limit = argc > 4 ? _wtol(argv[4]) : -1;
        long rows = 0;
        t0 = qlbench::Now();
        while (!grid.IsEOF() && (limit < 0 || rows < limit))
        {
            ++rows;
            grid.MoveNext();
        }
        printf("first=%.3f beside=%.3f rows_after=%ld after=%.3f\n", first, beside, rows,
               qlbench::Now() - t0);
        fflush(stdout);
    }
    catch (Zelt::CRDBException* e)
    {
        fwprintf(stderr, L"%ls\n", static_cast<LPCWSTR>(e->m_strError));
        e->Delete();
        return 1;
    }
    return 0;
}
