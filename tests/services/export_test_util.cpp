#include "export_test_util.h"

#include "tests/support/program_driver.h"

namespace QlExportTest {

int RunNative(const std::wstring& commandLine, std::string* output)
{
    return ql::RunNative(commandLine, output);
}

} // namespace QlExportTest
