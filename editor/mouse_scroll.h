// Mouse selection, scroll bars, the wheel, drag auto-scroll and keeping the caret visible.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

void RCEScrollCaretIntoView(RCE_STATE* state);
// action: 0 up/left by count, 1 down/right by count, 2 page up/left, 3 page down/right,
// 4 and 5 to the thumb's track position.
void RCEScrollVert(RCE_STATE* state, int action, int count, UINT32 previousCaretRow);
void RCEScrollHorz(RCE_STATE* state, int action, int count, UINT32 previousCaretRow);
// One-row scroll of the top row; false when refused.
bool RCEScrollOneRow(RCE_STATE* state, bool down);
// Position under a client point; false when the point lies below the last row.
bool RCEHitTest(RCE_STATE* state, int x, int y, UINT32* index, UINT32* vcol);

void RCEOnLButtonDown(RCE_STATE* state, int x, int y, bool doubleClick);
void RCEOnLButtonUp(RCE_STATE* state);
void RCEOnMouseMove(RCE_STATE* state, int x, int y, WPARAM keys);
void RCEOnCaptureChanged(RCE_STATE* state);
void RCEOnTimer(RCE_STATE* state, UINT_PTR id);
void RCEOnRButtonDown(RCE_STATE* state, int x, int y);
void RCEOnMouseWheel(RCE_STATE* state, int delta);
void RCEOnMouseHWheel(RCE_STATE* state, int delta);
void RCEOnSetFocus(RCE_STATE* state);
void RCEOnKillFocus(RCE_STATE* state);
