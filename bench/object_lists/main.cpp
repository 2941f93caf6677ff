// Reads every procedure and function of the database (the procedures tree's read) and the
// constraints of every table (the constraints dialog's read for the whole database) through the
// database helper, timed, with the peak memory of the process.
//
//   bench_object_lists.exe "<connection string>"
//
// Output: "procedures=<n> seconds=<s>", "constraints=<n> seconds=<s>", "peak_mb=<m>".
#include "bench/common/bench_clock.h"
#include "services/database_helper.h"

#include "dbaccess/db_exception.h"

#include <psapi.h>
#include <shellapi.h>

#include <cstdio>

int main()
{
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argc < 2)
    {
        fwprintf(stderr, L"usage: bench_object_lists.exe <connection string>\n");
        return 2;
    }
    try
    {
        CRDatabaseHelper helper;
        if (!helper.Connect(argv[1], nullptr, 0, 0, 0))
            return 1;
        double t0 = qlbench::Now();
        CDBStoredProcsArray procs;
        helper.ReadProcedureList(procs, nullptr, nullptr);
        double t1 = qlbench::Now();
        wprintf(L"procedures=%lld seconds=%.3f\n", static_cast<long long>(procs.GetSize()),
                t1 - t0);
        CDBConstraintInfoArray constraints;
        t0 = qlbench::Now();
        helper.ReadTableConstraints(constraints, CStringPair(), nullptr);
        t1 = qlbench::Now();
        wprintf(L"constraints=%lld seconds=%.3f\n", static_cast<long long>(constraints.GetSize()),
                t1 - t0);
        PROCESS_MEMORY_COUNTERS counters = {sizeof(counters)};
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
        wprintf(L"peak_mb=%.1f\n", counters.PeakWorkingSetSize / 1048576.0);
        helper.Close();
    }
    catch (Zelt::CRDBException* e)
    {
        fwprintf(stderr, L"error: %ls\n", e->m_strError.GetString());
        e->Delete();
        return 1;
    }
    return 0;
}
