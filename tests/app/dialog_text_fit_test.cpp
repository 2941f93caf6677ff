// Every dialog template of Quenlark.exe, created by the system's dialog manager from the program's
// own resources (so with the template's real font as this machine's fonts render it): no static,
// check box, radio button or push button shows a text wider (or, wrapped, taller) than its
// control. Texts that the program replaces at run time are measured as the template has them.
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The program's own editor class is not needed to lay out a template: any window stands in,
// registered for the test's time only (other tests of this process register the real class).
class CStandInClasses
{
public:
    CStandInClasses()
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kEditorClass;
        m_registered = RegisterClassW(&wc) != 0; // the real class may be registered already
    }
    ~CStandInClasses()
    {
        if (m_registered)
            UnregisterClassW(kEditorClass, GetModuleHandleW(nullptr));
    }

private:
    static constexpr const wchar_t* kEditorClass = L"RColorEditorClass";
    bool m_registered = false;
};

struct CMisfit
{
    std::wstring text;
    int id = 0;
    SIZE need = {};
    SIZE have = {};
};

// The room a control gives its text, and how the text is laid out in it; false for controls
// that draw no plain text of their own.
bool TextRoom(HWND control, RECT& room, UINT& format, bool& wraps)
{
    wchar_t cls[64] = {};
    GetClassNameW(control, cls, 64);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    RECT client;
    GetClientRect(control, &client);
    room = client;
    format = DT_CALCRECT | DT_EXPANDTABS;
    if (lstrcmpiW(cls, L"Button") == 0)
    {
        wraps = (style & BS_MULTILINE) != 0;
        switch (style & BS_TYPEMASK)
        {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            // The pushed-in border takes an edge on each side, and the focus rectangle a
            // pixel inside it; a text that reaches the border reads as cut off, so a gap of
            // two pixels more stays free on either side.
            InflateRect(&room, -GetSystemMetrics(SM_CXEDGE) - 3, -GetSystemMetrics(SM_CYEDGE));
            return true;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: {
            // The box (13 pixels at 96 dpi) and a gap of half a digit's width come first.
            HDC dc = GetDC(control);
            HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageW(control, WM_GETFONT, 0, 0));
            INT digit = 0;
            GetCharWidth32W(dc, L'0', L'0', &digit);
            const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
            SelectObject(dc, old);
            ReleaseDC(control, dc);
            room.left += MulDiv(12, dpi, 96) + 1 + digit / 2;
            return true;
        }
        default: return false; // group boxes, owner-drawn buttons
        }
    }
    if (lstrcmpiW(cls, L"Static") == 0)
    {
        if ((style & SS_ELLIPSISMASK) != 0)
            return false; // shortens its text by design
        if (style & SS_NOPREFIX)
            format |= DT_NOPREFIX;
        switch (style & SS_TYPEMASK)
        {
        case SS_LEFT:
        case SS_CENTER:
        case SS_RIGHT: wraps = true; return true;
        case SS_SIMPLE:
        case SS_LEFTNOWORDWRAP: wraps = false; return true;
        default: return false; // icons, bitmaps, frames
        }
    }
    return false;
}

std::vector<CMisfit> MisfitsOf(HWND dialog)
{
    std::vector<CMisfit> misfits;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        const std::wstring text = ql::WindowText(child);
        RECT room;
        UINT format = 0;
        bool wraps = false;
        if (text.empty() || !TextRoom(child, room, format, wraps))
            continue;
        const int width = room.right - room.left, height = room.bottom - room.top;
        RECT needed = {0, 0, std::max(width, 1), 0};
        HDC dc = GetDC(child);
        HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageW(child, WM_GETFONT, 0, 0));
        DrawTextW(dc, text.c_str(), -1, &needed, format | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        const SIZE need = {needed.right - needed.left, needed.bottom - needed.top};
        // A single line is centred vertically and may overhang a short control; wrapped lines
        // must all show.
        if (need.cx > width || (wraps && need.cy > height))
            misfits.push_back({text, GetDlgCtrlID(child), need, {width, height}});
    }
    return misfits;
}

TEST(DialogTemplates, EveryTextFitsItsControl)
{
    HMODULE program = LoadLibraryExW(ql::ProgramPath().c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr) << Narrow(ql::ProgramPath());
    std::vector<WORD> ids;
    EnumResourceNamesW(
        program, RT_DIALOG,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
            if (IS_INTRESOURCE(name))
                reinterpret_cast<std::vector<WORD>*>(param)->push_back(LOWORD(name));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&ids));
    EXPECT_GE(ids.size(), 30u); // every template of the program, not a few
    CStandInClasses standIns;
    // Page templates are children: they get a hidden frame of their own.
    HWND host = CreateWindowExW(0, L"Static", L"", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                                nullptr, nullptr, nullptr);
    std::ostringstream report;
    for (WORD id : ids)
    {
        HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(id), RT_DIALOG);
        HGLOBAL loaded = found ? LoadResource(program, found) : nullptr;
        auto* tmpl = loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
        ASSERT_NE(tmpl, nullptr) << "template " << id;
        HWND dialog =
            CreateDialogIndirectParamW(GetModuleHandleW(nullptr), tmpl, host, QuietDialogProc, 0);
        EXPECT_NE(dialog, nullptr) << "template " << id << " does not load: " << GetLastError();
        if (dialog == nullptr)
            continue;
        for (const CMisfit& m : MisfitsOf(dialog))
            report << "template " << id << ", control " << m.id << " \"" << Narrow(m.text)
                   << "\": needs " << m.need.cx << "x" << m.need.cy << " px, has " << m.have.cx
                   << "x" << m.have.cy << "\n";
        DestroyWindow(dialog);
    }
    DestroyWindow(host);
    FreeLibrary(program);
    EXPECT_EQ("", report.str());
}

} // namespace
