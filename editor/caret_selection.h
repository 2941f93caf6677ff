// Where the caret and the selection are and how they move: caret placement, selection by
// message, the movement engine behind the arrow keys, Home/End and the page keys.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// Places the system caret (when the window has the focus), repaints the previous and new caret
// rows under RCEO_CURLINE and sends RCEN_CARETMOVED. Nonzero when the caret was placed.
int RCEUpdateCaret(RCE_STATE* state, bool forceRow, UINT32 previousCaretRow);
// Moves the caret to index (with a virtual column kept only at a line end), removing the
// selection, and scrolls it into view.
void RCESetCaretIndex(RCE_STATE* state, UINT32 index, UINT32 virtualColumn);
// Removes the selection and repaints what it covered.
void RCERemoveSelection(RCE_STATE* state);
// Repaints the text between two positions (ordered or not).
void RCERepaintSpan(RCE_STATE* state, UINT32 a, UINT32 b);
// Makes the top and caret row records valid.
void RCEValidateRows(RCE_STATE* state);

void RCESetSel(RCE_STATE* state, int start, int end);
void RCESelectRange(RCE_STATE* state, int start, int end, const RECT* avoid);
void RCEOnSetSelEx(RCE_STATE* state, const void* record);
int RCEOnGoTo(RCE_STATE* state, const void* record);
int RCEOnGetSelRect(RCE_STATE* state, RECT* rect);

// rows != 0 moves by rows, else by characters; shiftExtends extends while Shift is held,
// forceExtend always.
void RCEMoveCaret(RCE_STATE* state, int rows, int characters, bool shiftExtends, bool wordMode,
                  bool forceExtend);
void RCEMoveHomeEnd(RCE_STATE* state, bool end, bool extend);
void RCEMoveDocHomeEnd(RCE_STATE* state, bool end, bool extend);
void RCEMovePage(RCE_STATE* state, int pages, bool extend);

// Selection length in characters (0 without a selection).
UINT32 RCESelLength(const RCE_STATE* state);
// Starts (or keeps) a selection and moves the caret to the position, repainting the change.
void RCEExtendTo(RCE_STATE* state, UINT32 index, UINT32 vcol);
