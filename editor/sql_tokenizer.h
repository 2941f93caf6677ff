// The default tokenizer of the editor (SQL colouring from the window's word, range and regexp
// rules) and the computation of the colouring state carried from one line (or row) to the next.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// An RCETokenizerProc: reads one token of a line with the rules of the window's state.
void CALLBACK RColorEditorTokenizeSQL(const RCE_STATE* state, BYTE inState, const WCHAR* text,
                                      int length, int pos, int firstNonBlank, COLORREF* colour,
                                      int* colouredLen, int* tokenLen, BYTE* outState);

// The window uses the default tokenizer.
bool RCEIsDefaultTokenizer(const RCE_STATE* st);
// Whether per-line states are needed; stores the answer as the colouring-active flag.
bool RCEHasColoring(RCE_STATE* st);

// Where the tokenizer reading a line or row begins and how far it may look:
//   text      first character of the row
//   length    characters up to the visible end of the logical line
//   visible   characters up to the visible end of the row
//   firstNonBlank  first non-blank position of the logical line relative to text, or -1 when it
//             lies on an earlier row
struct RCETokenSpan
{
    const WCHAR* text;
    int length;
    int visible;
    int firstNonBlank;
};
RCETokenSpan RCEGetTokenSpan(const RCE_STATE* st, const RCERowPos* rec);

// Calls the window's tokenizer once; a token length below 1 is taken as 1.
void RCETokenize(const RCE_STATE* st, BYTE inState, const RCETokenSpan& span, int pos,
                 COLORREF* colour, int* colouredLen, int* tokenLen, BYTE* outState);

// The state carried into the line (or row) after rec, given the state in force at its start.
void RCEComputeLineState(const RCE_STATE* st, const RCERowPos* rec, const RCELineState& in,
                         RCELineState* out);

// Recomputes and stores the line states from the last valid one up to line (or row) n, so that
// RCEGetLineState (n) is right afterwards.
void RCEEnsureLineStates(RCE_STATE* st, UINT32 n);
