// Lines and wrap rows of the editor text: walks between them, conversions between index, line and
// row, the caret line, and the per-line (or per-row) colouring states. Rows exist while
// RCEO_WORDWRAP is set and the wrap-row table is not empty; otherwise everything works on lines.
// All functions need the text locked.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

bool RCEHasRows(const RCE_STATE* st);
// The number of rows, else the number of lines.
UINT32 RCELineCount(const RCE_STATE* st);

bool RCEIsRowStart(const RCE_STATE* st, UINT32 i);
// i = length, text[i] is LF, or i is a wrap point.
bool RCEIsRowEnd(const RCE_STATE* st, UINT32 i);
// The row holding index i (the last row whose start is not above i); 0 without rows.
UINT32 RCERowOf(const RCE_STATE* st, UINT32 i);
// start and number from the row holding rec.end (the earlier row at a wrap point).
void RCERowStart(const RCE_STATE* st, RCERowPos* rec);
// end from the row that starts at rec.start.
void RCERowEnd(const RCE_STATE* st, RCERowPos* rec);
// The next or previous line (or row); false when there is none.
bool RCEStepLine(const RCE_STATE* st, RCERowPos* rec, bool forward);
// Steps a copy of from towards index i until it holds i; false when lines run out.
bool RCEStepToPos(const RCE_STATE* st, UINT32 i, const RCERowPos* from, RCERowPos* rec);

UINT32 RCERowToLine(const RCE_STATE* st, UINT32 row);
// The first row whose line is not below line (the row count when none).
UINT32 RCELineToRow(const RCE_STATE* st, UINT32 line);
// The last row whose line is not above line.
UINT32 RCELastRowOfLine(const RCE_STATE* st, UINT32 line);
// The logical line around a row.
void RCERowToLineRec(const RCE_STATE* st, const RCERowPos* row, RCERowPos* line);
// The visible end of the logical line a row belongs to.
UINT32 RCELogicalEnd(const RCE_STATE* st, const RCERowPos* row);

// Rebuilds the caret line record.
void RCEFindCaretLine(RCE_STATE* st);
// The stored caret line is valid, holds the caret and starts and ends at row boundaries.
bool RCECaretLineValid(const RCE_STATE* st);
// Line or row n; false when n >= RCELineCount.
bool RCEGetLineRec(RCE_STATE* st, UINT32 n, RCERowPos* rec);
// 1-based logical line and column of the caret (a tab counts 1).
void RCEGetCaretLineCol(RCE_STATE* st, UINT32* line, UINT32* col);
// The caret stands at the visible end of its line in virtual space (with a virtual column above
// 0 unless allowZero).
bool RCEVirtualAtEOL(const RCE_STATE* st, bool allowZero);
// RCETabFill over the caret line up to the caret with the window's tab size (2 without state).
UINT32 RCECaretTabFill(RCE_STATE* st);

// --- Line states --------------------------------------------------------------------------------

void RCEGetLineState(RCE_STATE* st, UINT32 n, RCELineState* ls);
void RCESetLineState(RCE_STATE* st, UINT32 n, const RCELineState& ls);
bool RCELineStateValid(const RCE_STATE* st, UINT32 n);
// n equals the valid-up-to number of the mode in force.
bool RCEIsStateFrontier(const RCE_STATE* st, UINT32 n);
// Lowers the valid-up-to number of the mode in force to n.
void RCEInvalidateLineStates(RCE_STATE* st, UINT32 n);
// Both valid-up-to numbers to 0 (new rules or tokenizer).
void RCEResetLineStates(RCE_STATE* st);
