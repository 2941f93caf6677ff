// What tells this test program's names apart from those of every other test program running on
// the machine at the same time. scripts/wine-test.sh runs each program in a Wine prefix of its
// own, side by side with the others, and Wine gives out the same process ids in every prefix:
// the script passes its own (Linux) process id in QL_TEST_PROCESS, which no other process on the
// machine has while the program runs, and the program's test name in QL_TEST_PROGRAM.
#pragma once

#include <windows.h>

#include <cwctype>
#include <string>

namespace qltest {

// An environment variable of the script's, when it holds letters, digits, '_' and '-' only.
inline std::wstring TestScriptValue(const wchar_t* name)
{
    wchar_t value[128] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 128);
    if (length == 0 || length >= 128)
        return std::wstring();
    for (const wchar_t* p = value; *p; ++p)
        if (!iswalnum(*p) && *p != L'_' && *p != L'-')
            return std::wstring();
    return value;
}

// The process id of the script that runs this program, digits only, to go into every name the
// program makes on the servers and in /tmp in place of the Wine process id; "" for a program
// started otherwise (by hand, in the build's prefix).
inline const std::wstring& TestProcessId()
{
    static const std::wstring id = [] {
        const std::wstring process = TestScriptValue(L"QL_TEST_PROCESS");
        return process.find_first_not_of(L"0123456789") != std::wstring::npos ? std::wstring()
                                                                              : process;
    }();
    return id;
}

// The program's test name ("test_app_e2e_grid"), or "" when the script did not start it.
inline const std::wstring& TestProgramName()
{
    static const std::wstring name = TestScriptValue(L"QL_TEST_PROGRAM");
    return name;
}

} // namespace qltest
