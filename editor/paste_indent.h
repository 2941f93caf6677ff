// Pasting from the clipboard and indenting or outdenting the selected lines as one undo step.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

void RCEPaste(RCE_STATE* state);
// Tab / Shift+Tab on a selection that spans lines; false when the selection holds no LF.
bool RCEIndentLines(RCE_STATE* state, bool outdent);
