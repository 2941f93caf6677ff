#include "editor_window_fixture.h"

EditorWindowTest* EditorWindowTest::s_current = nullptr;

static const WCHAR kParentClass[] = L"RCETestParent";

LRESULT CALLBACK EditorWindowTest::ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    EditorWindowTest* t = s_current;
    if (t && msg == WM_COMMAND && (HWND)lp == t->edit)
    {
        if (HIWORD(wp) == EN_CHANGE)
        {
            ++t->changes;
            if (t->onChange)
                t->onChange();
        }
        else
            t->commands.push_back(LOWORD(wp));
        return 0;
    }
    if (t && msg == WM_NOTIFY)
    {
        const NMHDR* hdr = (const NMHDR*)lp;
        Notice n{hdr->code, 0, 0, 0};
        if (hdr->code == RCEN_CARETMOVED)
        {
            n.line = ((const RCENMCaretMoved*)lp)->line;
            n.column = ((const RCENMCaretMoved*)lp)->column;
        }
        else if (hdr->code == RCEN_MENUITEM)
        {
            n.id = ((const RCENMMenuItem*)lp)->id;
        }
        t->notices.push_back(n);
        if (t->onNotify)
            t->onNotify(hdr->code, hdr);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void EditorWindowTest::SetUp()
{
    static bool registered = false;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (!registered)
    {
        ASSERT_TRUE(RegisterRColorEditorClass(inst));
        WNDCLASSW wc{};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.lpszClassName = kParentClass;
        ASSERT_TRUE(RegisterClassW(&wc));
        registered = true;
    }
    s_current = this;
    // One parent serves every test: destroying a top-level window is slow here.
    static HWND shared = nullptr;
    if (!shared || !IsWindow(shared))
    {
        shared = CreateWindowExW(0, kParentClass, L"Editor test", WS_POPUP | WS_VISIBLE, 0, 0, 640,
                                 480, nullptr, nullptr, inst, nullptr);
        SetForegroundWindow(shared);
    }
    parent = shared;
    ASSERT_NE(parent, nullptr);
    Recreate(0);
}

void EditorWindowTest::Recreate(DWORD extraStyle)
{
    if (edit)
        DestroyWindow(edit);
    edit =
        CreateWindowExW(0, RCE_CLASS_NAME, L"", WS_CHILD | WS_VISIBLE | extraStyle, 0, 0, 600, 400,
                        parent, (HMENU)(INT_PTR)kEditorId, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    Send(WM_SETFONT, (WPARAM)GetStockObject(ANSI_FIXED_FONT), 1);
    SetFocus(edit);
    changes = 0;
    commands.clear();
    notices.clear();
}

void EditorWindowTest::TearDown()
{
    SetModifiers(false, false);
    if (edit)
        DestroyWindow(edit);
    edit = nullptr;
    onNotify = nullptr;
    onChange = nullptr;
    s_current = nullptr;
    Pump();
}

std::wstring EditorWindowTest::Text() const
{
    int n = (int)Send(WM_GETTEXTLENGTH);
    std::wstring s((size_t)n + 1, L'\0');
    Send(WM_GETTEXT, (WPARAM)n + 1, (LPARAM)s.data());
    s.resize((size_t)n);
    return s;
}

std::pair<DWORD, DWORD> EditorWindowTest::Sel() const
{
    DWORD a = 0, b = 0;
    Send(EM_GETSEL, (WPARAM)&a, (LPARAM)&b);
    return {a, b};
}

std::wstring EditorWindowTest::SelText() const
{
    int n = (int)Send(RCEM_GETSELLENGTH);
    std::wstring s((size_t)n + 1, L'\0');
    Send(RCEM_GETSELTEXT, (WPARAM)n + 1, (LPARAM)s.data());
    s.resize(wcslen(s.c_str()));
    return s;
}

void EditorWindowTest::SetModifiers(bool ctrl, bool shift, bool alt)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    auto set = [&](int vk, bool down) { keys[vk] = down ? 0x80 : 0; };
    set(VK_CONTROL, ctrl);
    set(VK_LCONTROL, ctrl);
    set(VK_SHIFT, shift);
    set(VK_LSHIFT, shift);
    set(VK_MENU, alt);
    set(VK_LMENU, alt);
    SetKeyboardState(keys);
}

void EditorWindowTest::Key(UINT vk, bool ctrl, bool shift, UINT repeat)
{
    SetModifiers(ctrl, shift);
    Send(WM_KEYDOWN, vk, (LPARAM)repeat);
    SetModifiers(false, false);
}

void EditorWindowTest::Char(WCHAR ch, bool ctrl, bool shift)
{
    SetModifiers(ctrl, shift);
    Send(WM_CHAR, ch, 1);
    SetModifiers(false, false);
}

void EditorWindowTest::Type(const std::wstring& text)
{
    for (WCHAR ch : text)
        Send(WM_CHAR, ch == L'\n' ? L'\r' : ch, 1);
}

void EditorWindowTest::Pump()
{
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

void EditorWindowTest::Click(int x, int y, bool doubleClick)
{
    LPARAM lp = MAKELPARAM(x, y);
    Send(doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, lp);
    Send(WM_LBUTTONUP, 0, lp);
}

static void CALLBACK EndMenuTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    EndMenu();
}

void EditorWindowTest::EndModalSoon(UINT ms)
{
    SetTimer(nullptr, 0, ms, EndMenuTimer);
}
