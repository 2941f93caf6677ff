// The widest row behind the horizontal scroll bar when text is removed: measuring rows as they
// change only ever widens it, so a deletion that touches a row of the widest width measures the
// whole text again and lets the range (and the bar) shrink.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// Whether one of the rows from row through the row holding position end is as wide as the
// widest row. Called before a deletion from row to end.
bool RCERowsReachWidest(RCE_STATE* state, RCERowPos row, UINT32 end);
// Measures every row anew; the horizontal range follows, and a view scrolled beyond the new
// range moves back to its end.
void RCERemeasureWidest(RCE_STATE* state);
