// The application's test program: logic, windows of the application in this process, and the
// program itself driven from outside (e2e_*_test.cpp).
#include "tests/support/windowed_tests.h"

int main(int argc, char** argv)
{
    return qltest::RunWindowedTests(argc, argv);
}
