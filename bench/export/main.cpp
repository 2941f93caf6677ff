// Saves every row of a SELECT into a file through one export writer and the save job, as the
// multi-table save does (forward-only result, unbound, numbers as text), and prints the time,
// rows per second, the file's size and the process's peak memory growth.
//
//   bench_export.exe csv|html|sql|xlsx|read|fetch "<connection string>" "<SELECT ...>" <path>
//
// "read" reads every value as text and writes nothing (what the writers start from); "fetch"
// only moves through the rows (what the driver and the row loop cost).
//
// Output: one line "format=<f> rows=<n> seconds=<s> rows_per_second=<r> bytes=<b>
// peak_private_bytes=<p> end_file_seconds=<e>" (e: the part of s after the last row, in which
// the workbook is saved).
#include "bench/common/bench_clock.h"
#include "framework/ui.h"

#include "dbaccess/database.h"
#include "dbaccess/db_exception.h"
#include "dbaccess/recordset.h"
#include "services/csv_data_file.h"
#include "services/excel_data_file.h"
#include "services/html_data_file.h"
#include "services/save_data_job.h"
#include "services/sql_data_file.h"

#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>

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

// Counts the rows as the writer receives them.
class CCountingFile : public CDataFile
{
public:
    explicit CCountingFile(CDataFile* pInner) : m_pInner(pInner) {}
    void BeginFile() override { m_pInner->BeginFile(); }
    void BeginTable(const CStringPair& n, LPCWSTR d) override { m_pInner->BeginTable(n, d); }
    void AddColumnHeader(Zelt::ICursor* c, int i) override { m_pInner->AddColumnHeader(c, i); }
    void EndHeader(const CStringPair& n) override { m_pInner->EndHeader(n); }
    void BeginRow() override { m_pInner->BeginRow(); }
    void AddValue(Zelt::ICursor* c, int i) override { m_pInner->AddValue(c, i); }
    void EndRow() override
    {
        m_pInner->EndRow();
        ++m_nRows;
    }
    void EndRows(const CStringPair& n) override { m_pInner->EndRows(n); }
    void EndTable(const CStringPair& n) override { m_pInner->EndTable(n); }
    void Flush() override { m_pInner->Flush(); }
    void EndFile() override { m_pInner->EndFile(); }
    long m_nRows = 0;

private:
    CDataFile* m_pInner;
};

// Reads every value as text and writes nothing.
class CReadingFile : public CDataFile
{
public:
    void AddValue(Zelt::ICursor* pCursor, int column) override
    {
        pCursor->GetFieldText(column + 1, m_text);
    }
    CString m_text;
};

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 5)
    {
        fprintf(stderr, "usage: bench_export csv|html|sql|xlsx <connect> <select> <path>\n");
        return 2;
    }
    AfxWinInit(::GetModuleHandleW(nullptr), nullptr, ::GetCommandLineW(), SW_HIDE);
    const std::wstring format = argv[1];
    const CString path = argv[4];
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
        std::unique_ptr<CDataFile> file;
        if (format == L"csv")
            file = std::make_unique<CCSVDataFile>(path, L",");
        else if (format == L"html")
            file = std::make_unique<CHTMLDataFile>(path, true, true);
        else if (format == L"sql")
        {
            CSQLScriptOptions options;
            options.nTarget = SQLTARGET_POSTGRESQL;
            options.nEncoding = SQLENC_UTF8;
            options.bCommit = true;
            file = std::make_unique<CSQLDataFile>(path, options, &db);
        }
        else if (format == L"xlsx")
            file = std::make_unique<CExcelDataFile>(path);
        else if (format == L"fetch")
            file = std::make_unique<CDataFile>(); // moving alone: what the driver costs
        else
            file = std::make_unique<CReadingFile>(); // reading alone: the writers' baseline
        CCountingFile counting(file.get());
        CRRecordset rs(&db);
        // As the multi-table save opens a table (the generated one declares every column, so
        // SQLite streams it); QL_BENCH_BOUND=1 reads bound columns instead.
        UINT nOptions = RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT | RS_DECLARED_COLUMNS;
        wchar_t bound[8] = {};
        if (GetEnvironmentVariableW(L"QL_BENCH_BOUND", bound, 8) && bound[0] == L'1')
            nOptions = RS_READONLY | RS_NUMERIC_AS_TEXT | RS_DECLARED_COLUMNS;
        rs.Open(argv[3], RS_FORWARD_ONLY, nOptions);
        counting.BeginFile();
        CRDatabaseHelper::CSaveDataAsyncThread job(
            &counting, &rs, nullptr, CStringPair(L"", L"bench"), nullptr, L"", nullptr);
        CRDatabaseHelper::CAsyncThread::Execute(&job, nullptr, false);
        const double rowsDone = qlbench::Now();
        counting.EndFile();
        file.reset();
        const double seconds = qlbench::Now() - start;
        const size_t peak = PrivateBytes(true);
        WIN32_FILE_ATTRIBUTE_DATA info{};
        ULONGLONG bytes = 0;
        CString written = format == L"xlsx" && path.Right(5) != L".xlsx" ? path + L".xlsx" : path;
        if (GetFileAttributesExW(written, GetFileExInfoStandard, &info))
            bytes = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        printf("format=%ls rows=%ld seconds=%.3f rows_per_second=%.0f bytes=%llu "
               "peak_private_bytes=%llu end_file_seconds=%.3f\n",
               format.c_str(), counting.m_nRows, seconds,
               seconds > 0 ? counting.m_nRows / seconds : 0.0, bytes,
               static_cast<unsigned long long>(peak > before ? peak - before : 0),
               start + seconds - rowsDone);
    }
    catch (Zelt::CRDBException* e)
    {
        fprintf(stderr, "database error: %ls\n", e->m_strError.GetString());
        e->Delete();
        return 1;
    }
    catch (CException* e)
    {
        wchar_t text[512] = {};
        e->GetErrorMessage(text, 512);
        fprintf(stderr, "error: %ls\n", text);
        e->Delete();
        return 1;
    }
    return 0;
}
