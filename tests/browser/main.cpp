// The object browser's test program: windowed tests share the program's start-up, inside
// an application object whose message boxes are answered from a script and remembered.
#include "tests/support/windowed_tests.h"
#include "tests/windows/window_test_util.h"

namespace {
class CTestApp : public CWinApp
{
public:
    CTestApp() : CWinApp(L"QuenlarkBrowserTests") {}
    int DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT) override
    {
        gwtest::MessageBoxes().push_back(CString(lpszPrompt));
        auto& answers = gwtest::MessageBoxAnswers();
        if (!answers.empty())
        {
            const int nAnswer = answers.front();
            answers.pop_front();
            return nAnswer;
        }
        const UINT nButtons = nType & MB_TYPEMASK;
        return nButtons == MB_YESNO || nButtons == MB_YESNOCANCEL ? IDNO : IDOK;
    }
};

CTestApp theApp;
} // namespace

namespace gwtest {
std::vector<CString>& MessageBoxes()
{
    static std::vector<CString> texts;
    return texts;
}
std::deque<int>& MessageBoxAnswers()
{
    static std::deque<int> answers;
    return answers;
}
} // namespace gwtest

int main(int argc, char** argv)
{
    return qltest::RunWindowedTests(argc, argv);
}
