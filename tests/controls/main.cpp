// The control library's test program: windowed tests with the common controls 6 and the framework.
#include "tests/support/windowed_tests.h"

int main(int argc, char** argv)
{
    return qltest::RunWindowedTests(argc, argv);
}
