// Painting one run of a line, the window's background colours, the caret shape and the two
// scroll bars of the colour editor.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// Paints one run of text in one colour pair. x is the run's offset from the start of the line
// (tab stops are computed from it); cell is the run's rectangle: left = where the run starts,
// right = the clipping edge. With opaque, colour a is the background and colour b the text;
// without, the text is drawn in colour a on the DC's background. width (when given) receives
// the pixels the run occupies added to its value. False when a GDI call fails.
bool RCEPaintRun(RCE_STATE* state, HDC dc, COLORREF a, COLORREF b, int x, const WCHAR* text,
                 int count, RECT* cell, bool opaque, int* width);

// Window background: COLOR_WINDOW, or COLOR_BTNFACE for a read-only window without
// RCEO_READONLYWHITE.
COLORREF RCEBackColor(RCE_STATE* state);
// Background of one row: the caret row under RCEO_CURLINE is blended with the highlight colour.
COLORREF RCELineBackColor(RCE_STATE* state, const RCERowPos& row);

// Creates the system caret for the insert mode and metrics of the window.
bool RCECreateCaret(RCE_STATE* state);

// Widest row in columns of average character width, rounded up.
UINT32 RCEWidestColumns(RCE_STATE* state);

void RCEUpdateHScroll(RCE_STATE* state);
void RCEUpdateVScroll(RCE_STATE* state);
// Sets the horizontal bar's range, page and position, drawing it when redraw is set.
void RCESetHScrollInfo(RCE_STATE* state, bool redraw);
// The widest row grew while editing: the range is set at once and the bar drawn shortly after
// (drawing a scroll bar is slow, and typing may widen the row with every key).
void RCERequestHScrollUpdate(RCE_STATE* state);
// The timer of that drawing; false for other timers.
bool RCEOnScrollBarTimer(RCE_STATE* state, UINT_PTR id);
// Updates both bars, the horizontal one first unless verticalFirst.
void RCEUpdateScrollBars(RCE_STATE* state, bool verticalFirst = false);

int RCEGetHScrollPos(RCE_STATE* state);
int RCEGetVScrollPos(RCE_STATE* state);

// Whether the caret's pixel x lies in the horizontally visible part; otherwise delta receives
// the columns to scroll (positive to the right).
bool RCECaretHScroll(RCE_STATE* state, int* delta);
