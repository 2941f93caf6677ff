// The services' test program: the wait dialog and the jobs need the windowed start-up.
#include "tests/support/windowed_tests.h"

int main(int argc, char** argv)
{
    return qltest::RunWindowedTests(argc, argv);
}
