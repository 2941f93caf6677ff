// Long runs of the session sequence test: the same driver of steps and model as the test program
// (built here without GoogleTest), for as many seeds and steps as the command line asks.
//
//   bench_session_sequence.exe PRODUCT FIRST_SEED[-LAST_SEED] STEPS [SKIP]
//
// PRODUCT: PostgreSQL, MariaDB, SQLite or all. SKIP: step kinds left out, separated by commas
// (see kKindNames). Prints each disagreement's report (seed, steps, what disagreed) and one line
// "runs=<n> agreed=<n> steps=<n> seconds=<s> ms_per_step=<ms>"; the exit code is the number of
// runs that disagreed (at most 100).
#define QL_SEQUENCE_NO_TESTS
// The driver lives in the test's own file, so that a replay here runs exactly its steps.
#include "tests/dbaccess/session_sequence_test.cpp"

#include "bench/common/bench_clock.h"

#include <shellapi.h>

int main()
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 4)
    {
        fprintf(stderr, "usage: bench_session_sequence PRODUCT FIRST_SEED[-LAST_SEED] STEPS "
                        "[SKIP]\n");
        return 100;
    }
    const std::string product = QlSequence::Narrow(argv[1]);
    std::vector<QlSequence::Product> products;
    for (QlSequence::Product p : {QlSequence::Product::PostgreSQL, QlSequence::Product::MariaDB,
                                  QlSequence::Product::SQLite})
        if (product == "all" || _stricmp(product.c_str(), QlSequence::ProductName(p)) == 0)
            products.push_back(p);
    unsigned first = 0, last = 0;
    if (products.empty() || swscanf(argv[2], L"%u-%u", &first, &last) < 1)
    {
        fprintf(stderr, "unknown product or seed: %ls %ls\n", argv[1], argv[2]);
        return 100;
    }
    if (last < first)
        last = first;
    const int nSteps = _wtoi(argv[3]);
    const std::string skip = argc > 4 ? QlSequence::Narrow(argv[4]) : "";
    int runs = 0, agreed = 0;
    const double start = qlbench::Now();
    for (QlSequence::Product p : products)
        for (unsigned seed = first; seed <= last; ++seed)
        {
            const std::string report = QlSequence::RunSequence(p, seed, nSteps, skip);
            ++runs;
            if (report.empty())
                ++agreed;
            else
                printf("%s\n", report.c_str());
            fflush(stdout);
        }
    const double seconds = qlbench::Now() - start;
    printf("runs=%d agreed=%d steps=%d seconds=%.1f ms_per_step=%.1f\n", runs, agreed,
           runs * nSteps, seconds, runs > 0 ? 1000.0 * seconds / (runs * nSteps) : 0.0);
    return std::min(runs - agreed, 100);
}
