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

class EditModelTest : public EditorWindowTest, public ::testing::WithParamInterface<bool> {};

} // namespace

TEST_P(EditModelTest, RandomEditsUndoAndRedoMatchTheModel)
{
    if (GetParam())
        SetOptions(RCEO_WORDWRAP);
    const char* seed = getenv("QL_EDIT_MODEL_SEED");
    std::mt19937 rng(seed ? (unsigned)atoi(seed) : 1234u);
    const std::wstring pieces[] = {L"select ", L"a", L"\r\n", L"\r", L"x\ry", L"long_identifier_",
                                   L"\t", L"(1, 2)", L"'str'", L"  "};
    std::vector<std::wstring> history{L""};
    size_t current = 0;
    for (int step = 0; step < 400; ++step) {
        const std::wstring& text = history[current];
        int op = (int)(rng() % 10);
        if (op < 5) {
            size_t at = rng() % (text.size() + 1);
            const std::wstring& what = pieces[rng() % 10];
            Send(EM_SETSEL, at, at);
            Send(EM_REPLACESEL, 0, (LPARAM)what.c_str());
            history.resize(current + 1);
            history.push_back(Insert(text, at, what));
            ++current;
        } else if (op < 7 && !text.empty()) {
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
        } else if (op < 9) {
            if (Send(EM_CANUNDO)) {
                ASSERT_TRUE(Send(EM_UNDO));
                --current;
            } else {
                ASSERT_EQ(current, 0u);
            }
        } else if (Send(RCEM_CANREDO)) {
            ASSERT_TRUE(Send(RCEM_REDO));
            ++current;
        }
        ASSERT_EQ(Text(), history[current]) << "step " << step;
        // Moving through the text must work at every state.
        if (step % 25 == 0) {
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
