// Editor benchmark: a generated SQL script of about 20 MB (400,000 lines with comments, strings
// and long lines) in a real editor window with the program's colour rules. Reports the time to
// set it and paint the first screen, the time per keystroke at the end and in the middle, the
// time to scroll to the end, the peak memory against the text size and the time of the
// tokenizer (with its regular-expression rules) over the whole text.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "editor/colour_rules.h"
#include "editor/editor_class.h"
#include "editor/rce_messages.h"
#include "editor/rce_state.h"
#include "editor/regexp.h"
#include "editor/sql_tokenizer.h"

namespace {

double Now()
{
    static LARGE_INTEGER freq{};
    if (!freq.QuadPart)
        QueryPerformanceFrequency(&freq);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)freq.QuadPart;
}

std::wstring MakeScript(size_t targetChars, size_t* lines)
{
    std::wstring s;
    s.reserve(targetChars + 4096);
    wchar_t buf[200];
    for (size_t n = 0; s.size() < targetChars; ++n)
    {
        swprintf(buf, 200, L"-- statement %zu: totals per customer\r\nselect 0x%zx as flags,\r\n",
                 n, n);
        s += buf;
        for (int k = 0; k < 16; ++k)
        {
            swprintf(buf, 200, L"  c.col_%d,\r\n", k);
            s += buf;
        }
        s += L"  sum(o.amount) as total\r\n  from customers c join orders o on o.cid = c.id\r\n";
        swprintf(buf, 200,
                 L" where o.status = 'paid' and o.note <> 'it''s \\' done' and o.year = %zu\r\n",
                 2000 + n % 25);
        s += buf;
        s += L" /* grouped by the name\r\n    of the customer */ group by c.name\r\n order by "
             L"total desc;\r\n";
        if (n % 4 == 0)
        {
            std::wstring longLine = L"insert into log values (";
            for (int k = 0; k < 12; ++k)
                longLine +=
                    L"'value " + std::to_wstring(k) + L"', " + std::to_wstring(k * 3.5) + L", ";
            s += longLine + L"null);\r\n";
        }
        s += L"\r\n";
    }
    *lines = 1;
    for (WCHAR c : s)
        *lines += c == L'\n';
    return s;
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Pump()
{
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

void Pump();

double TypeChars(HWND edit, int count)
{
    double t0 = Now();
    for (int i = 0; i < count; ++i)
    {
        SendMessageW(edit, WM_CHAR, i % 10 == 9 ? L' ' : (WCHAR)(L'a' + i % 26), 1);
        UpdateWindow(edit);
        Pump(); // what a message loop does between two keys
    }
    return (Now() - t0) / count;
}

} // namespace

int main()
{
    HINSTANCE inst = GetModuleHandleW(nullptr);
    RegisterRColorEditorClass(inst);
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = inst;
    wc.lpszClassName = L"RCEBenchHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, L"RCEBenchHost", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 1000,
                                800, nullptr, nullptr, inst, nullptr);
    HWND edit = CreateWindowExW(0, RCE_CLASS_NAME, L"", WS_CHILD | WS_VISIBLE, 0, 0, 1000, 800,
                                host, (HMENU)1, inst, nullptr);
    SendMessageW(edit, WM_SETFONT, (WPARAM)GetStockObject(ANSI_FIXED_FONT), 0);
    SetFocus(edit);
    {
        HDC dc = GetDC(edit);
        HGDIOBJ old = SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(edit, dc);
        printf("font: height %ld, average width %ld, widest %ld, %s pitch\n", tm.tmHeight,
               tm.tmAveCharWidth, tm.tmMaxCharWidth,
               (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) ? "variable" : "fixed");
    }

    CRCEWordColorArray words;
    CRCERangeColorArray ranges;
    CRCERegExpColorArray regexps;
    RCEInitWordColors(words);
    RCEInitRangeColors(ranges);
    RCEInitRegExpColors(regexps);
    RCEAddWordColorList(words, RGB(0, 0, 255),
                        L"select, from, where, and, or, order, by, group, join, on, as, insert, "
                        L"into, values, null, desc, sum",
                        0);
    RCEAddRangeColor(ranges, RGB(200, 0, 0), L"'", 0, L"'", 0, L'\\');
    RCEAddRangeColor(ranges, RGB(0, 128, 0), L"--", 0, L"\n", 0, 0);
    RCEAddRangeColor(ranges, RGB(0, 128, 0), L"/*", 0, L"*/", 0, 0);
    CRegExp* hex = CRegExp::Compile(L"0x[0-9a-fA-F]{1,}");
    CRegExp* num = CRegExp::Compile(L"[0-9]{0,}(\\.[0-9]{1,}){0,1}");
    RCEAddRegExpColor(regexps, RGB(160, 0, 160), hex, 0x2 | 0x4);
    RCEAddRegExpColor(regexps, RGB(160, 0, 160), num, 0x2 | 0x4);
    SendMessageW(edit, RCEM_SETWORDCOLORS, RCEGetCount(words), (LPARAM)RCEGetData(words));
    SendMessageW(edit, RCEM_SETRANGECOLORS, RCEGetCount(ranges), (LPARAM)RCEGetData(ranges));
    SendMessageW(edit, RCEM_SETREGEXPCOLORS, RCEGetCount(regexps), (LPARAM)RCEGetData(regexps));
    UpdateWindow(edit);
    Pump();

    size_t lines = 0;
    size_t chars = 10u * 1024 * 1024; // 20 MB of UTF-16
    if (const char* mb = getenv("QL_BENCH_MB"))
        chars = (size_t)atoi(mb) * 512 * 1024;
    std::wstring script = MakeScript(chars, &lines);
    size_t textBytes = script.size() * sizeof(WCHAR);
    printf("text: %zu characters (%.1f MB), %zu lines\n", script.size(), textBytes / 1048576.0,
           lines);

    double t0 = Now();
    SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)script.c_str());
    UpdateWindow(edit);
    double setPaint = Now() - t0;
    printf("set text and paint the first screen: %.1f ms\n", setPaint);

    SendMessageW(edit, EM_SETSEL, (WPARAM)script.size() / 2, (LPARAM)script.size() / 2);
    UpdateWindow(edit);
    double middle = TypeChars(edit, getenv("QL_BENCH_KEYS") ? atoi(getenv("QL_BENCH_KEYS")) : 1000);
    printf("keystroke in the middle (1000 characters): %.3f ms on average\n", middle);

    t0 = Now();
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(edit, WM_KEYDOWN, VK_END, 1);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    UpdateWindow(edit);
    double toEnd = Now() - t0;
    printf("scroll to the end (Ctrl+End, colouring states of every line): %.1f ms\n", toEnd);

    double end = TypeChars(edit, 1000);
    printf("keystroke at the end (1000 characters): %.3f ms on average\n", end);

    t0 = Now();
    for (int i = 0; i < 200; ++i)
    {
        SendMessageW(edit, WM_VSCROLL, SB_PAGEUP, 0);
        UpdateWindow(edit);
    }
    printf("page up with repaint: %.2f ms per page\n", (Now() - t0) / 200);

    // Word wrap: all rows built at once, then typing in the middle of the wrapped text.
    t0 = Now();
    SendMessageW(edit, RCEM_SETOPTIONS, 1, RCEO_WORDWRAP);
    printf("word wrap on (all rows built, first screen painted): %.1f ms\n", Now() - t0);
    SendMessageW(edit, EM_SETSEL, (WPARAM)script.size() / 3, (LPARAM)script.size() / 3);
    UpdateWindow(edit);
    printf("keystroke in the middle with word wrap (200 characters): %.3f ms on average\n",
           TypeChars(edit, 200));
    SendMessageW(edit, RCEM_SETOPTIONS, 1, 0);

    PROCESS_MEMORY_COUNTERS pmc{sizeof(pmc)};
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    // The generated script string itself is a second copy of the text held by the benchmark.
    double peak = (double)pmc.PeakPagefileUsage - (double)textBytes;
    printf("peak memory (less the benchmark's own copy of the script): %.1f MB = %.2f x the text\n",
           peak / 1048576.0, peak / (double)textBytes);

    // The tokenizer with its rules over the whole text, line by line.
    RCE_STATE st;
    st.wordRules = RCEGetData(words);
    st.wordCount = RCEGetCount(words);
    st.rangeRules = RCEGetData(ranges);
    st.rangeCount = RCEGetCount(ranges);
    st.regexpRules = RCEGetData(regexps);
    st.regexpCount = RCEGetCount(regexps);
    st.tokenizer = RColorEditorTokenizeSQL;
    t0 = Now();
    size_t tokens = 0;
    BYTE state = 0;
    const WCHAR* text = script.c_str();
    size_t pos = 0;
    while (pos < script.size())
    {
        size_t eol = script.find(L'\n', pos);
        if (eol == std::wstring::npos)
            eol = script.size();
        int len = (int)(eol - pos);
        if (len > 0 && text[pos + len - 1] == L'\r')
            --len;
        int first = 0;
        while (first < len && (text[pos + first] == L' ' || text[pos + first] == L'\t'))
            ++first;
        int p = 0;
        while (p < len)
        {
            COLORREF c = 0;
            int coloured = 0, token = 0;
            BYTE out = state;
            RColorEditorTokenizeSQL(&st, state, text + pos, len, p, first, &c, &coloured, &token,
                                    &out);
            state = out;
            p += token > 0 ? token : 1;
            ++tokens;
        }
        // A line-feed end closes its range at the end of the line.
        if (state && state <= st.rangeCount && st.rangeRules[state - 1].endLength == 1 &&
            st.rangeRules[state - 1].end[0] == L'\n')
            state = 0;
        pos = eol + 1;
    }
    double tok = Now() - t0;
    printf("tokenizer with word, range and regexp rules over the whole text: %.0f ms (%zu tokens, "
           "%.1f MB/s)\n",
           tok, tokens, textBytes / 1048576.0 / (tok / 1000.0));

    // Replace-all of many matches: one edit of the span of its matches.
    {
        std::wstring small;
        for (int i = 0; i < 20000; ++i)
            small += L"value_" + std::to_wstring(i % 7) + L" = :p\r\n";
        SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)small.c_str());
        UpdateWindow(edit);
        RCEFindReplace fr{L":p", -1, 0, RCEFR_REPLACEALL, L"?", -1};
        t0 = Now();
        LRESULT n = SendMessageW(edit, RCEM_FINDREPLACE, 0, (LPARAM)&fr);
        UpdateWindow(edit);
        printf("replace all of %ld matches in %zu characters (with repaint): %.1f ms\n", (long)n,
               small.size(), Now() - t0);
        SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)script.c_str());
        SendMessageW(edit, EM_SETSEL, 0, 0);
        fr = RCEFindReplace{L"paid", -1, 0, RCEFR_REPLACEALL, L"settled", -1};
        t0 = Now();
        n = SendMessageW(edit, RCEM_FINDREPLACE, 0, (LPARAM)&fr);
        UpdateWindow(edit);
        printf("replace all of %ld matches in the whole script (with repaint): %.1f ms\n", (long)n,
               Now() - t0);
    }

    DestroyWindow(edit);
    DestroyWindow(host);
    RCEFreeWordColors(words);
    RCEFreeRangeColors(ranges);
    RCEFreeRegExpColors(regexps);
    CRegExp::Delete(hex);
    CRegExp::Delete(num);
    return 0;
}
