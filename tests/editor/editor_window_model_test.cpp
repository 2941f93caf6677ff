// Random edits, undo and redo in a real editor window, checked against a plain model of the
// text, with and without word wrap.
#include "editor_window_fixture.h"

#include <cstdlib>
#include <random>

namespace {

// The text as the editor stores an insertion: a CR not followed by LF becomes LF.
std::wstring Insert(const std::wstring& text, size_t at, const std::wstring& what)
{
    std::wstring out = text.substr(0, at) + what + text.substr(at);
    for (size_t i = at; i < at + what.size(); ++i)
        if (out[i] == L'\r' && (i + 1 >= out.size() || out[i + 1] != L'\n'))
            out[i] = L'\n';
    return out;
}

class EditModelTest : public EditorWindowTest, public ::testing::WithParamInterface<bool>
{};

} // namespace

TEST_P(EditModelTest, RandomEditsUndoAndRedoMatchTheModel)
{
    if (GetParam())
        SetOptions(RCEO_WORDWRAP);
    const char* seed = getenv("QL_EDIT_MODEL_SEED");
    std::mt19937 rng(seed ? (unsigned)atoi(seed) : 1234u);
    const std::wstring pieces[] = {L"select ",          L"a",  L"\r\n",   L"\r",    L"x\ry",
                                   L"long_identifier_", L"\t", L"(1, 2)", L"'str'", L"  "};
    std::vector<std::wstring> history{L""};
    size_t current = 0;
    for (int step = 0; step < 400; ++step)
    {
        const std::wstring& text = history[current];
        int op = (int)(rng() % 10);
        if (op < 5)
        {
            size_t at = rng() % (text.size() + 1);
            const std::wstring& what = pieces[rng() % 10];
            Send(EM_SETSEL, at, at);
            Send(EM_REPLACESEL, 0, (LPARAM)what.c_str());
            history.resize(current + 1);
            history.push_back(Insert(text, at, what));
            ++current;
        }
        else if (op < 7 && !text.empty())
        {
            size_t a = rng() % text.size();
            size_t b = std::min(text.size(), a + 1 + rng() % 12);
            // Deleting a range that ends between CR and LF takes the LF too.
            if (b < text.size() && text[b - 1] == L'\r' && text[b] == L'\n')
                ++b;
            Send(EM_SETSEL, a, b);
            Send(WM_CLEAR);
            history.resize(current + 1);
            history.push_back(text.substr(0, a) + text.substr(b));
            ++current;
        }
        else if (op < 9)
        {
            if (Send(EM_CANUNDO))
            {
                ASSERT_TRUE(Send(EM_UNDO));
                --current;
            }
            else
            {
                ASSERT_EQ(current, 0u);
            }
        }
        else if (Send(RCEM_CANREDO))
        {
            ASSERT_TRUE(Send(RCEM_REDO));
            ++current;
        }
        ASSERT_EQ(Text(), history[current]) << "step " << step;
        // Moving through the text must work at every state.
        if (step % 25 == 0)
        {
            Key(VK_END, true);
            Key(VK_UP, false, false, 3);
            Key(VK_HOME, true, true);
            ASSERT_EQ((size_t)Send(RCEM_GETSELLENGTH) <= history[current].size(), true);
        }
    }
    while (Send(EM_CANUNDO))
        Send(EM_UNDO);
    EXPECT_EQ(Text(), L"");
}

INSTANTIATE_TEST_SUITE_P(WrapOffAndOn, EditModelTest, ::testing::Bool());

namespace {

class KeyModelTest : public EditorWindowTest, public ::testing::WithParamInterface<bool>
{};

} // namespace

// Moving with every navigation key and typing at wherever the caret lands, in a narrow window
// (many wrap rows with word wrap on), keeps the text equal to the model.
TEST_P(KeyModelTest, NavigationAndTypingKeepTheText)
{
    SetWindowPos(edit, nullptr, 0, 0, 160, 120, SWP_NOZORDER | SWP_NOMOVE);
    if (GetParam())
        SetOptions(RCEO_WORDWRAP | RCEO_VIRTUALSPACE);
    else
        SetOptions(RCEO_VIRTUALSPACE);
    std::wstring model = L"select name, amount\r\n  from orders where id = 1\r\n\r\n"
                         L"a_rather_long_identifier_that_does_not_fit_on_one_row x\r\nend";
    SetText(model);
    const char* seed = getenv("QL_EDIT_MODEL_SEED");
    std::mt19937 rng(seed ? (unsigned)atoi(seed) : 77u);
    const UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT};
    for (int step = 0; step < 400; ++step)
    {
        int op = (int)(rng() % 12);
        if (op < 7)
        {
            Key(keys[rng() % 8], rng() % 4 == 0, rng() % 3 == 0, 1 + rng() % 2);
        }
        else if (op < 10)
        {
            auto [a, b] = Sel();
            // Typing replaces the selection; beyond a line end blanks fill the gap, so the
            // model takes the text from the editor's answer for that part.
            Char(L'q');
            std::wstring text = Text();
            ASSERT_EQ(text.substr(0, a), model.substr(0, a)) << "step " << step;
            ASSERT_EQ(text.substr(text.size() - (model.size() - b)), model.substr(b))
                << "step " << step;
            model = text;
        }
        else if (op == 10)
        {
            auto [a, b] = Sel();
            Char(L'\b');
            std::wstring text = Text();
            ASSERT_LE(text.size(), model.size() + 1) << "step " << step;
            if (a != b)
            {
                ASSERT_EQ(text, model.substr(0, a) + model.substr(b)) << "step " << step;
            }
            model = text;
        }
        else
        {
            SetWindowPos(edit, nullptr, 0, 0, 120 + (int)(rng() % 200), 120,
                         SWP_NOZORDER | SWP_NOMOVE);
        }
        auto [a, b] = Sel();
        ASSERT_LE(a, b);
        ASSERT_LE(b, model.size());
        ASSERT_EQ(Text(), model);
    }
}

INSTANTIATE_TEST_SUITE_P(WrapOffAndOn, KeyModelTest, ::testing::Bool());
