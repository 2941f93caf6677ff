// The colour editor's message interface: private messages, option and notify bits, the records
// passed by pointer in lParam and the notifications sent to the parent window.
#pragma once

#include <windows.h>

#include <cstddef>

#include "editor/rce_rules.h"

#define RCE_CLASS_NAME L"RColorEditorClass"

// Private messages.
#define RCEM_CANREDO (WM_USER + 0)
#define RCEM_REDO (WM_USER + 1)
#define RCEM_GETOPTIONS (WM_USER + 2)
#define RCEM_SETOPTIONS (WM_USER + 3)     // wParam redraw, lParam bits; returns the old bits
#define RCEM_SETWORDCOLORS (WM_USER + 4)  // wParam count, lParam tagRCEWordColor*
#define RCEM_SETRANGECOLORS (WM_USER + 5) // wParam count (max 255), lParam tagRCERangeColor*
#define RCEM_GETTABSIZE (WM_USER + 6)
#define RCEM_SETTABSIZE (WM_USER + 7) // wParam redraw, lParam size (0 = 8); returns the old size
#define RCEM_SETREGEXPCOLORS (WM_USER + 8) // wParam count, lParam tagRCERegExpColor*
#define RCEM_GETSELLENGTH (WM_USER + 9)
#define RCEM_GETSELTEXT (WM_USER + 10)      // wParam buffer size, lParam buffer
#define RCEM_SETINDENTWORDS (WM_USER + 11)  // wParam count, lParam RCEIndentWord*
#define RCEM_REPLACERANGE (WM_USER + 12)    // lParam RCEReplaceRange*
#define RCEM_GETSELRECT (WM_USER + 13)      // lParam RECT*
#define RCEM_SETSELEX (WM_USER + 14)        // lParam RCESelRange*
#define RCEM_SETCONTEXTMENU (WM_USER + 15)  // wParam HMENU, lParam position (<0: end)
#define RCEM_SETTOKENIZER (WM_USER + 16)    // lParam RCETokenizerProc (null: default SQL)
#define RCEM_IGNORED (WM_USER + 20)         // accepted and ignored
#define RCEM_SETINDENTHOOK (WM_USER + 21)   // lParam RCEIndentHook*
#define RCEM_GETCARETINFO (WM_USER + 22)    // lParam RCECaretInfo*
#define RCEM_FINDREPLACE (WM_USER + 25)     // lParam RCEFindReplace*
#define RCEM_GOTO (WM_USER + 26)            // lParam RCEGoToLine*
#define RCEM_SETNOTIFY (WM_USER + 27)       // wParam notify bits
#define RCEM_SETAUTOCOMPLETE (WM_USER + 28) // lParam RCEAutoCompleteTable*
#define RCEM_SHOWAUTOCOMPLETE (WM_USER + 29)

// Option bits (RCEM_GETOPTIONS / RCEM_SETOPTIONS).
#define RCEO_TABSPACES 0x1
#define RCEO_AUTOINDENT 0x2
#define RCEO_WANTTAB 0x4
#define RCEO_VIRTUALSPACE 0x8
#define RCEO_READONLYWHITE 0x10
#define RCEO_LINESTATE 0x20
#define RCEO_SHOWSPACES 0x80 // spaces painted as a middle dot, tabs as a guillemet
#define RCEO_WORDWRAP 0x200
#define RCEO_WORDWRAPMENU 0x400
#define RCEO_CURLINE 0x800
#define RCEO_AUTOCOMPLETE 0x1000

// Notify bits (RCEM_SETNOTIFY).
#define RCENF_CARETMOVED 0x1
#define RCENF_MENUITEM 0x2
#define RCENF_DEFAULT RCENF_MENUITEM

// WM_NOTIFY codes.
#define RCEN_CARETMOVED 1
#define RCEN_MENUITEM 2
#define RCEN_AUTOCOMPLETE 3

// RCEFindReplace flags.
#define RCEFR_DOWN 0x1
#define RCEFR_MATCHCASE 0x2
#define RCEFR_WHOLEWORD 0x4
#define RCEFR_REPLACEALL 0x8

// RCEAutoCompleteTable flags.
#define RCEAC_TEXTWORDS 0x1 // also offer the words of the text itself

#pragma pack(push, 1)

struct RCECaretInfo
{
    UINT32 size;     // must be sizeof(RCECaretInfo) = 20
    UINT32 line;     // 1-based logical line
    UINT32 column;   // 1-based, characters
    UINT32 selStart; // start <= end
    UINT32 selEnd;
};

struct RCEReplaceRange
{
    UINT32 start;
    UINT32 end;
    const WCHAR* text;
    INT32 length; // negative: up to the terminating NUL
};

struct RCESelRange
{
    INT32 start;
    INT32 end;
    RECT avoid; // screen coordinates the selection is to stay clear of
};

struct RCEGoToLine
{
    UINT32 line;   // 1-based
    UINT32 column; // 0-based offset from the start of the line or wrap row
    UINT32 length; // characters to select
};

struct RCEFindReplace
{
    const WCHAR* text;
    INT32 length; // -1: up to NUL
    INT32 start;  // in and out
    UINT32 flags; // RCEFR_*
    const WCHAR* replacement;
    INT32 replacementLength; // -1: up to NUL
};

struct RCEAutoCompleteTable
{
    tagRCEAutoCompleteWord* words;
    UINT32 count;
    UINT32 flags; // RCEAC_*
};

#pragma pack(pop)

static_assert(sizeof(RCECaretInfo) == 20, "RCECaretInfo layout");
static_assert(sizeof(RCEReplaceRange) == 20, "RCEReplaceRange layout");
static_assert(sizeof(RCESelRange) == 24, "RCESelRange layout");
static_assert(sizeof(RCEGoToLine) == 12, "RCEGoToLine layout");
static_assert(sizeof(RCEAutoCompleteTable) == 16, "RCEAutoCompleteTable layout");
static_assert(offsetof(RCEReplaceRange, text) == 8 && offsetof(RCEReplaceRange, length) == 16,
              "RCEReplaceRange field offsets");
static_assert(offsetof(RCEFindReplace, start) == 12 && offsetof(RCEFindReplace, replacement) == 20,
              "RCEFindReplace field offsets");

// Notification payloads: an NMHDR (24 bytes) followed by the payload at offset 24.
struct RCENMCaretMoved
{
    NMHDR hdr;     // code RCEN_CARETMOVED
    UINT32 line;   // 1-based logical line
    UINT32 column; // 1-based, plus the virtual column while virtual space is in force
};

struct RCENMMenuItem
{
    NMHDR hdr; // code RCEN_MENUITEM
    HMENU menu;
    UINT32 id;
};

static_assert(sizeof(NMHDR) == 24, "NMHDR layout");
static_assert(offsetof(RCENMCaretMoved, line) == 24 && offsetof(RCENMCaretMoved, column) == 28,
              "RCENMCaretMoved field offsets");
static_assert(offsetof(RCENMMenuItem, menu) == 24 && offsetof(RCENMMenuItem, id) == 32,
              "RCENMMenuItem field offsets");
