// The grid and script windows' test program: windowed tests share the program's start-up.
#include "tests/support/windowed_tests.h"

int main(int argc, char** argv)
{
    return qltest::RunWindowedTests(argc, argv);
}
