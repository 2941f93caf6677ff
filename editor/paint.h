// Window painting of the colour editor: rows drawn token by token in the tokenizer's colours
// with the selection inverted, and repainting of parts of the window.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

void RCEOnPaint(RCE_STATE* state);
// Paints the whole client area into dc (WM_PRINTCLIENT).
void RCEPrintClient(RCE_STATE* state, HDC dc);
// Repaints rows [firstRow, lastRow] (lastRow UINT32 max: to the bottom of the window).
void RCERepaintRows(RCE_STATE* state, UINT32 firstRow, UINT32 lastRow);
// Invalidates and repaints the whole window.
void RCERedraw(RCE_STATE* state);
// The colouring state at the start of row n, computing states from the last valid one.
void RCEStateAtRow(RCE_STATE* state, const RCERowPos& row, RCELineState* ls);
// Measures count rows from row for the widest row; updates the horizontal bar when it grew.
void RCEMeasureRows(RCE_STATE* state, RCERowPos row, UINT32 count);
