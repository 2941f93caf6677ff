// The framework tests run inside an application object, as the program does: COM and the
// common controls are initialised, and message boxes are answered at once and remembered
// (so a validation failure does not block a test).
#include "windows_test_support.h"

#include <gtest/gtest.h>

namespace {
class CTestApp : public CWinApp
{
public:
    CTestApp() : CWinApp(L"QuenlarkFrameworkTests") {}
    int DoMessageBox(LPCTSTR lpszPrompt, UINT, UINT) override
    {
        TestMessageBoxes().push_back(CString(lpszPrompt));
        return IDOK;
    }
};

CTestApp theApp;
} // namespace

std::vector<CString>& TestMessageBoxes()
{
    static std::vector<CString> texts;
    return texts;
}

int main(int argc, char** argv)
{
    AfxWinInit(::GetModuleHandleW(nullptr), nullptr, ::GetCommandLineW(), SW_SHOWNORMAL);
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    AfxWinTerm();
    return result;
}
