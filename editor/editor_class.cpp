#include "editor/editor_class.h"

#include <new>

#include "editor/auto_complete_popup.h"
#include "editor/caret_selection.h"
#include "editor/context_menu.h"
#include "editor/editing_core.h"
#include "editor/editor_messages.h"
#include "editor/keyboard.h"
#include "editor/line_paint.h"
#include "editor/mouse_scroll.h"
#include "editor/paint.h"
#include "editor/paste_indent.h"
#include "editor/sql_tokenizer.h"
#include "editor/text_measure.h"
#include "editor/undo.h"
#include "editor/window_common.h"
#include "editor/word_wrap.h"

static UINT g_wheelMessage = WM_MOUSEWHEEL;

UINT RCEWheelMessage()
{
    return g_wheelMessage;
}

// Windows 95 and Windows NT before 4.0 deliver the wheel through a registered message.
static bool IsOldWheelSystem()
{
    OSVERSIONINFOW vi{sizeof(vi)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&vi))
        return false;
#pragma GCC diagnostic pop
    if (vi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return vi.dwMajorVersion == 4 && vi.dwMinorVersion == 0;
    return vi.dwPlatformId == VER_PLATFORM_WIN32_NT && vi.dwMajorVersion < 4;
}

static void RCERegisterWheelMessage()
{
    g_wheelMessage = WM_MOUSEWHEEL;
    if (IsOldWheelSystem())
    {
        UINT msg = RegisterWindowMessageW(L"MSWHEEL_ROLLMSG");
        if (msg)
            g_wheelMessage = msg;
    }
}

BOOL RegisterRColorEditorClass(HINSTANCE instance)
{
    WNDCLASSW wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = RColorEditorWndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 8;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.lpszClassName = RCE_CLASS_NAME;
    if (!RegisterClassW(&wc))
        return 0;
    RCERegisterWheelMessage();
    return 1;
}

void RCEReadWheelSettings(RCE_STATE* s)
{
    UINT lines = 3;
    if (IsOldWheelSystem())
    {
        HWND wheel = FindWindowW(L"MouseZ", L"Magellan MSWHEEL");
        UINT msg = RegisterWindowMessageW(L"MSH_SCROLL_LINES_MSG");
        if (wheel && msg)
            lines = (UINT)SendMessageW(wheel, msg, 0, 0);
    }
    else if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0))
    {
        lines = 3;
    }
    s->wheelLines = lines;
    UINT chars = 3;
    if (!SystemParametersInfoW(SPI_GETWHEELSCROLLCHARS, 0, &chars, 0))
        chars = 3;
    s->wheelColumns = chars;
}

static LRESULT RCEOnCreate(HWND hwnd)
{
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    style |= WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
    SetWindowLongW(hwnd, GWL_STYLE, style);
    if (!SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                      SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER |
                          SWP_FRAMECHANGED))
        return -1;
    RCE_STATE* s = new (std::nothrow) RCE_STATE;
    if (!s)
        return -1;
    s->hwnd = hwnd;
    s->hist.records.reserve(s->hist.limit);
    s->tokenizer = RColorEditorTokenizeSQL;
    s->created = RCEAllocText(s) ? 1 : 0;
    RCEReadWheelSettings(s);
    SetLastError(0);
    if (!s->created || (!SetWindowLongPtrW(hwnd, 0, (LONG_PTR)s) && GetLastError() != 0))
    {
        RCEFreeText(s);
        delete s;
        return -1;
    }
    RCESetFontMetrics(s, nullptr);
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL};
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
    SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
    return 0;
}

static void RCEOnDestroy(HWND hwnd, RCE_STATE* s)
{
    RCEHistClear(s->hist);
    RCEFreeText(s);
    s->wrapRows.clear();
    if (s->timerId)
    {
        KillTimer(hwnd, s->timerId);
        s->timerId = 0;
    }
    RCEFreeAutoComplete(s);
    SetWindowLongPtrW(hwnd, 0, 0);
    delete s;
}

// Rebuilds the row records and the view after the rows were rebuilt or dropped.
static void RelayoutRows(RCE_STATE* s, UINT32 topIndex)
{
    RCEFindCaretLine(s);
    s->caretRow.valid = 1;
    RCERowPos rec = s->caretRow;
    if (RCEStepToPos(s, topIndex, &s->caretRow, &rec))
    {
        s->topRow = rec;
    }
    else
    {
        RCEGetLineRec(s, 0, &s->topRow);
    }
    s->topRow.valid = 1;
    if (!RCEVirtualSpace(s))
        s->caretVCol = 0;
    RCEUpdateScrollBars(s);
    RCEScrollCaretIntoView(s);
}

static int ClientWidth(HWND hwnd)
{
    RECT rc{};
    GetClientRect(hwnd, &rc);
    return rc.right - rc.left;
}

UINT32 RCESetOptions(RCE_STATE* s, UINT32 bits, bool redraw)
{
    UINT32 old = s->options;
    s->options = bits;
    if ((old ^ bits) & RCEO_WORDWRAP)
    {
        UINT32 topIndex = s->topRow.start;
        if (bits & RCEO_WORDWRAP)
        {
            s->wrapWidth = ClientWidth(s->hwnd);
            RCEWrapAll(s);
        }
        else
        {
            s->wrapRows.clear();
            s->wrapWidth = -1;
            RCEResetLineStates(s);
        }
        RCEHasColoring(s);
        s->widestRow = 0;
        RCEUpdateWidestLine(s, 0, true);
        RelayoutRows(s, topIndex);
    }
    else
    {
        RCEHasColoring(s);
    }
    if (!RCEVirtualSpace(s))
    {
        s->caretVCol = 0;
        s->anchorVCol = 0;
    }
    RCEUpdateHScroll(s);
    if (redraw)
        RCERedraw(s);
    return old;
}

void RCEOnSetFont(RCE_STATE* s, HFONT font, bool redraw)
{
    RCESetFontMetrics(s, font);
    s->widestRow = 0;
    RCEUpdateWidestLine(s, 0, true);
    if (RCEWrapOn(s))
    {
        UINT32 topIndex = s->topRow.start;
        s->wrapWidth = ClientWidth(s->hwnd);
        RCEWrapAll(s);
        RelayoutRows(s, topIndex);
    }
    RCEUpdateScrollBars(s);
    if (IsWindowEnabled(s->hwnd) && GetFocus() == s->hwnd)
    {
        DestroyCaret();
        RCECreateCaret(s);
        RCEUpdateCaret(s, false, s->caretRow.number);
        ShowCaret(s->hwnd);
    }
    if (redraw)
        RCERedraw(s);
}

void RCEOnSize(RCE_STATE* s, int width)
{
    bool rewrapped = false;
    UINT32 topIndex = s->topRow.start;
    if (RCEWrapOn(s) && width != s->wrapWidth)
    {
        s->wrapWidth = width;
        RCEWrapAll(s);
        rewrapped = true;
    }
    RCEUpdateScrollBars(s);
    if (rewrapped)
    {
        RelayoutRows(s, topIndex);
        InvalidateRect(s->hwnd, nullptr, FALSE);
    }
}

static inline int SignedLo(LPARAM l)
{
    return (int)(short)LOWORD(l);
}
static inline int SignedHi(LPARAM l)
{
    return (int)(short)HIWORD(l);
}

// Runs the handler of one message with the state's text locked. A message that arrives while
// an outer handler of the same window holds the lock (a synchronous send from inside it) uses
// that lock.
static LRESULT Dispatch(HWND hwnd, RCE_STATE* s, UINT msg, WPARAM wp, LPARAM lp, bool* handled);

LRESULT CALLBACK RColorEditorWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CREATE)
        return RCEOnCreate(hwnd);
    if ((msg >= WM_USER + 17 && msg <= WM_USER + 19) || msg == WM_USER + 23 ||
        msg == WM_USER + 24 || msg == WM_KEYUP || msg == WM_SYSKEYUP)
        return DefWindowProcW(hwnd, msg, wp, lp);
    RCE_STATE* s = (RCE_STATE*)GetWindowLongPtrW(hwnd, 0);
    if (!s)
    {
        if (msg == EM_GETSEL)
            return -1;
        if (msg >= WM_USER && msg <= WM_USER + 29)
            return 0;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    bool nested = s->text != nullptr;
    RCETextGuard guard;
    if (!nested)
        RCELockText(hwnd, &guard);
    if (!s->text && msg != WM_DESTROY && msg != WM_PAINT)
    {
        // The text could not be locked: answer as if there were no state.
        if (!nested)
            RCEUnlockText(&guard);
        if (msg == EM_GETSEL)
            return -1;
        if ((msg >= WM_USER && msg <= WM_USER + 29) || msg == WM_ERASEBKGND)
            return msg == WM_ERASEBKGND;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    bool handled = true;
    LRESULT result = Dispatch(hwnd, s, msg, wp, lp, &handled);
    if (msg == WM_DESTROY)
        return 0; // the state is gone
    if (!nested)
        RCEUnlockText(&guard);
    if (!handled)
        return DefWindowProcW(hwnd, msg, wp, lp);
    return result;
}

static LRESULT Dispatch(HWND hwnd, RCE_STATE* s, UINT msg, WPARAM wp, LPARAM lp, bool* handled)
{
    LRESULT r = 0;
    if (RCEHandleInterfaceMessage(s, msg, wp, lp, &r))
        return r;
    if (msg == RCEWheelMessage())
    {
        RCEOnMouseWheel(s, (short)HIWORD(wp));
        return 0;
    }
    switch (msg)
    {
    case WM_DESTROY: RCEOnDestroy(hwnd, s); return 0;
    case WM_SIZE: RCEOnSize(s, (int)(short)LOWORD(lp)); return 0;
    case WM_SETFONT: RCEOnSetFont(s, (HFONT)wp, LOWORD(lp) != 0); return 0;
    case WM_SETFOCUS: RCEOnSetFocus(s); return 0;
    case WM_KILLFOCUS: RCEOnKillFocus(s); return 0;
    case WM_SETTEXT: RCEOnSetText(s, (const WCHAR*)lp); return 0;
    case WM_PAINT: RCEOnPaint(s); return 0;
    case WM_PRINTCLIENT: RCEPrintClient(s, (HDC)wp); return 0;
    case WM_ERASEBKGND: return 1;
    case EM_SETSEL: RCESetSel(s, (int)wp, (int)lp); return 0;
    case EM_REPLACESEL: RCEOnReplaceSel(s, (const WCHAR*)lp); return 0;
    case EM_UNDO: return RCEUndo(s);
    case WM_CONTEXTMENU: RCEOnContextMenu(s, SignedLo(lp), SignedHi(lp)); return 0;
    case WM_KEYDOWN: *handled = RCEOnKeyDown(s, (UINT)wp, LOWORD(lp)); return 0;
    case WM_CHAR: RCEOnChar(s, (WCHAR)wp, LOWORD(lp)); return 0;
    case WM_SYSKEYDOWN: *handled = RCEOnSysKeyDown(s, (UINT)wp); return 0;
    case WM_SYSCHAR: *handled = RCEOnSysChar(s, (WCHAR)wp); return 0;
    case WM_TIMER:
        if (!RCEOnScrollBarTimer(s, (UINT_PTR)wp))
            RCEOnTimer(s, (UINT_PTR)wp);
        return 0;
    case WM_HSCROLL: RCEScrollHorz(s, LOWORD(wp), 1, s->caretRow.number); return 0;
    case WM_VSCROLL: RCEScrollVert(s, LOWORD(wp), 1, s->caretRow.number); return 0;
    case WM_MOUSEMOVE: RCEOnMouseMove(s, SignedLo(lp), SignedHi(lp), wp); return 0;
    case WM_LBUTTONDOWN: RCEOnLButtonDown(s, SignedLo(lp), SignedHi(lp), false); return 0;
    case WM_LBUTTONDBLCLK: RCEOnLButtonDown(s, SignedLo(lp), SignedHi(lp), true); return 0;
    case WM_LBUTTONUP: RCEOnLButtonUp(s); return 0;
    case WM_RBUTTONDOWN: RCEOnRButtonDown(s, SignedLo(lp), SignedHi(lp)); return 0;
    case WM_CAPTURECHANGED: RCEOnCaptureChanged(s); return 0;
    case WM_MOUSEHWHEEL: RCEOnMouseHWheel(s, (short)HIWORD(wp)); return 0;
    case WM_CUT: RCECut(s); return 0;
    case WM_COPY: RCECopy(s); return 0;
    case WM_CLEAR: RCEClear(s); return 0;
    case WM_PASTE: RCEPaste(s); return 0;
    default: *handled = false; return 0;
    }
}
