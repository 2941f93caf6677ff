// Runs a script file through the Execute SQL Script run (reader, statement loop, output text)
// with nobody watching: the commit question is answered Yes, the output is kept in memory.
//
//   bench_script_run.exe "<connection string>" <script path> <separator> <transaction 0|1>
//                        <cancelable 0|1, or d: read the statements, send none>
//
// Output: one line "statements=<n> errors=<e> seconds=<s> statements_per_second=<r>".
#include "bench/common/bench_clock.h"
#include "app/script_file_run.h"
#include "dbaccess/database.h"
#include "dbaccess/db_exception.h"
#include "services/script_worker.h"

#include <shellapi.h>

#include <cstdio>
#include <memory>

namespace {

class CQuietHost : public CScriptFileHost
{
public:
    CQuietHost(CRDatabase& db, bool bCancelable, bool bDryRun)
        : m_runner(db, bCancelable, nullptr), m_bDryRun(bDryRun)
    {}
    int Message(LPCWSTR pszText, UINT nType) override
    {
        if (nType & MB_ICONERROR)
            fwprintf(stderr, L"message: %ls\n", pszText);
        return (nType & MB_YESNO) ? IDYES : IDOK;
    }
    void ClearOutput() override { m_nOutput = 0; }
    void AppendOutput(LPCWSTR pszText) override { m_nOutput += wcslen(pszText); }
    // As the main window does: the counter twice a second, the messages every 20 ms.
    bool Progress(int nCount) override
    {
        const DWORD now = ::GetTickCount();
        if (nCount == 1 || now - m_nLast >= 20)
        {
            m_nLast = now;
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&msg);
        }
        return false;
    }
    void EndProgress() override {}
    int RunStatement(LPCWSTR pszSQL) override { return m_bDryRun ? 0 : (int)m_runner.Run(pszSQL); }
    void Beep(UINT) override {}

private:
    CScriptStatementRunner m_runner;
    bool m_bDryRun;
    size_t m_nOutput = 0;
    DWORD m_nLast = 0;
};

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 6)
    {
        fprintf(stderr,
                "usage: bench_script_run <connect> <script> <separator> <trans> <cancel>\n");
        return 2;
    }
    CRDatabase db;
    try
    {
        if (!db.Open(argv[1], CRDatabase::openNoPrompt, nullptr, 0, 0, 0))
            return 1;
    }
    catch (Zelt::CRDBException* e)
    {
        fwprintf(stderr, L"connect: %ls\n", e->m_strError.GetString());
        e->Delete();
        return 1;
    }
    CScriptFileRunOptions options;
    options.strPath = argv[2];
    options.strSeparator = argv[3];
    options.bTransaction = argv[4][0] == L'1';
    // Cancelable "dry": the statements are read and prepared but not sent (the reader's share).
    CQuietHost host(db, argv[5][0] == L'1', argv[5][0] == L'd');
    const double start = qlbench::Now();
    const CScriptFileRunResult result = RunScriptFile(db, options, host);
    const double seconds = qlbench::Now() - start;
    printf("statements=%d errors=%d seconds=%.3f statements_per_second=%.0f\n", result.nStatements,
           result.nErrors, seconds, seconds > 0 ? result.nStatements / seconds : 0.0);
    db.Close();
    return 0;
}
