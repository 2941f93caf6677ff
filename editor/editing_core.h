// Every change of an editor's text: the two buffer primitives, the one replace operation that
// records undo, keeps rows and caret consistent, repaints and notifies, and the editing entry
// points built on it.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// Flags of RCEReplaceText.
#define RCERT_UNDO 0x1       // record the edit in the undo history
#define RCERT_NOTIFY 0x2     // send EN_CHANGE when done
#define RCERT_PLACECARET 0x4 // caret after the inserted text
#define RCERT_RAW 0x8        // insert the text as it is (undo and redo restore stored text)

// What a buffer primitive changed.
struct RCEEditInfo
{
    UINT32 row = 0; // row (or line) of the edit position before the edit
    UINT32 rowsAdded = 0;
    UINT32 rowsRemoved = 0;
    UINT32 linesAdded = 0;
    UINT32 linesRemoved = 0;
    UINT32 inserted = 0; // characters inserted
};

// Raw insertion: no undo, no repaint. Converts a CR not followed by LF into LF, keeps the line
// count and the wrap rows. False for a negative count or when the buffer cannot grow.
bool RCEBufferInsert(RCE_STATE* state, const WCHAR* text, int count, UINT32 position,
                     RCEEditInfo* info, bool raw = false);
// Raw deletion of [start, end); nothing when the range is empty or passes the text end.
bool RCEBufferDelete(RCE_STATE* state, UINT32 start, UINT32 end, RCEEditInfo* info);

// Deletes deleteCount characters at position and inserts text there, all or nothing.
int RCEReplaceText(RCE_STATE* state, UINT32 position, UINT32 caretBefore, UINT32 deleteCount,
                   const WCHAR* text, int textCount, UINT32 flags, UINT32 virtualColumnAfter = 0);

// Typing, pasting and EM_REPLACESEL: replaces the selection (or overwrites) with text;
// typedChar (0 for pasted text) drives auto-indent.
bool RCEInsertText(RCE_STATE* state, const WCHAR* text, int count, WCHAR typedChar);
// count < 0 deletes backwards, > 0 forwards, 0 with a selection deletes the selection.
bool RCEDeleteChars(RCE_STATE* state, int count);

int RCEUndo(RCE_STATE* state);
int RCERedo(RCE_STATE* state);
bool RCECanUndo(const RCE_STATE* state);
bool RCECanRedo(const RCE_STATE* state);
bool RCEIsModified(const RCE_STATE* state);
void RCESetModified(RCE_STATE* state, bool modified);

void RCEOnSetText(RCE_STATE* state, const WCHAR* text);
void RCEOnReplaceSel(RCE_STATE* state, const WCHAR* text);
int RCEOnReplaceRange(RCE_STATE* state, const void* record);
void RCEClear(RCE_STATE* state);
void RCECut(RCE_STATE* state);
bool RCECopy(RCE_STATE* state);
void RCEChangeCase(RCE_STATE* state, bool upper);
int RCEOnFindReplace(RCE_STATE* state, void* record);
