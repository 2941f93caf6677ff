// Per-window state of the colour editor and its line/row position records.
//
// Who maintains what: the text storage, line and row records, line states, wrap rows and the
// metrics fields marked [text] are kept by the text buffer, line index and word-wrap code; the
// fields marked [window] belong to the window procedure, editing, caret and keyboard handlers.
// New fields go at the end of their group.
#pragma once

#include <windows.h>

#include <vector>

#include "editor/undo_history.h"
#include "editor/rce_rules.h"

// A text line (without wrap rows) or a wrap row (with them).
struct RCERowPos
{
    UINT32 number; // line number, or row index with wrap rows; 0-based
    UINT32 start;  // index of the first character
    UINT32 end;    // index of the LF that ends it or the text length; for a row continued on the
                   // next row, the index at which the next row starts
    UINT32 valid;  // nonzero when known to match the text
};

// One row of the word-wrap table, ordered by start.
struct RCEWrapRow
{
    UINT32 start;    // first character (strictly increasing through the table)
    UINT32 line;     // logical line of the row
    RCELineState ls; // colouring state in force at the row's start
};

struct RCEAutoCompletePopup; // the open auto-complete list (keyboard handling)

struct RCE_STATE
{
    UINT32 caretIndex = 0;          // [window]
    UINT32 caretVCol = 0;           // [window] columns beyond the line end (virtual space only)
    RCERowPos topRow{0, 0, 0, 1};   // [text] first visible row; number = vertical scroll position
    RCERowPos caretRow{0, 0, 0, 1}; // [text] row holding the caret
    UINT32 insertMode = 1;          // [window] 1 insert, 0 overwrite
    HFONT font = nullptr;           // [text] null = the DC's default font
    TEXTMETRICW tm{};               // [text]
    UINT32 metricsValid = 0;        // [text]
    HGDIOBJ savedFont = nullptr;    // [window] paint DC's previous font
    UINT32 lineCount = 1;           // [text] number of text lines, 1 for an empty text
    UINT32 widestRow = 0;           // [text] pixels; only grows
    UINT32 firstVisibleColumn = 0;  // [window] horizontal scroll position in columns
    UINT32 tabSize = 8;             // [window]
    UINT32 selActive = 0;           // [window]
    UINT32 anchorIndex = 0;         // [window]
    UINT32 anchorVCol = 0;          // [window]
    UINT32 mouseCapture = 0;        // [window]
    UINT_PTR timerId = 0;           // [window] drag auto-scroll timer
    RCE_HIST hist;                  // [window] undo history
    UINT32 options = 0;             // [window] RCEO_*
    UINT32 notifyBits = 2;          // [window] RCENF_*
    UINT32 stickyValid = 0;         // [window]
    UINT32 stickyX = 0;             // [window]
    INT32 wheelRemainderV = 0;      // [window]
    INT32 wheelRemainderH = 0;      // [window]
    UINT32 wheelLines = 3;          // [window] 0xFFFFFFFF = a page per notch
    UINT32 wheelColumns = 3;        // [window]
    const tagRCEWordColor* wordRules = nullptr; // [window] borrowed from the sender
    UINT32 wordCount = 0;
    const tagRCERangeColor* rangeRules = nullptr; // [window] borrowed; at most 255
    UINT32 rangeCount = 0;
    const tagRCERegExpColor* regexpRules = nullptr; // [window] borrowed
    UINT32 regexpCount = 0;
    UINT32 colouringActive = 0;                 // [text] RCEHasColoring
    RCETokenizerProc tokenizer = nullptr;       // [window] set to the SQL tokenizer on creation
    const RCEIndentWord* indentWords = nullptr; // [window] borrowed
    UINT32 indentCount = 0;
    const RCEIndentHook* indentHook = nullptr;              // [window] borrowed
    std::vector<BYTE> lineStates = std::vector<BYTE>(1, 0); // [text] one state byte per line
    UINT32 lineStatesValid = 0;              // [text] highest line whose stored state is right
    HMENU extraMenu = nullptr;               // [window] borrowed
    INT32 extraMenuPos = -1;                 // [window]
    std::vector<RCEWrapRow> wrapRows;        // [text] empty while word wrap is off
    INT32 wrapWidth = -1;                    // [text] client width the rows were wrapped for
    UINT32 wrapStatesValid = 0;              // [text]
    RCEAutoCompletePopup* acPopup = nullptr; // [window] owned
    const tagRCEAutoCompleteWord* acWords = nullptr; // [window] borrowed
    UINT32 acCount = 0;
    UINT32 acFlags = 1;     // [window] RCEAC_*
    HLOCAL hText = nullptr; // [text] movable, zero-initialised block
    UINT32 capacity = 0;    // [text] characters; refreshed at every lock
    UINT32 length = 0;      // [text] characters in use
    WCHAR* text = nullptr;  // [text] the locked block; valid only inside the handler guard
    BYTE created = 0;       // [text] 1 when the text block could be allocated
    HWND hwnd = nullptr;    // [window] the editor window (for measuring and notifications)
    // --- [window] added by the window code ---
    UINT32 hscrollPending = 0; // [window] the horizontal bar waits to be drawn (timer 2)
    HDC measureDC = nullptr;   // [text] when set, measuring uses this DC (with its font) instead
                               // of the window's; for measuring without a window
};
