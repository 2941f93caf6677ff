// The grid and script windows' test program: windowed tests share the program's start-up, inside an
// application object whose message boxes are answered from a script and remembered.
#include "tests/support/windowed_tests.h"
#include "window_test_util.h"

namespace {
gwtest::CScriptedBoxApp theApp(L"QuenlarkWindowsTests");
} // namespace

int main(int argc, char** argv)
{
    return qltest::RunWindowedTests(argc, argv);
}
