// The editor's text storage: one movable block of UTF-16 characters, lines separated by a single
// LF (a CR before the LF stays in the text but is not part of the line's visible length). The
// block is locked for the duration of every message handler (RCETextGuard). This file also holds
// the position helpers that work on the locked text and the caret/selection.
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

// --- Storage and locking ----------------------------------------------------------------------

// One zero-filled movable page; capacity, length and pointer 0. False when the allocation fails.
bool RCEAllocText(RCE_STATE* st);
void RCEFreeText(RCE_STATE* st);
// capacity = block size / 2, text = the locked block. False without a handle or when the lock fails.
bool RCELockBuffer(RCE_STATE* st);
bool RCEUnlockBuffer(RCE_STATE* st);
// Makes room for length + extra characters (the smallest multiple of half a page). The buffer must
// be locked; it is locked again afterwards. False when the reallocation fails (text unchanged).
bool RCEGrowText(RCE_STATE* st, UINT32 extra);
// Half the system page size, in characters: the growth step of the block.
UINT32 RCETextGrowStep();

// The bracket of every message handler: takes the state from the window (extra bytes index 0) and
// locks its text. state is null when the window has no state; text is null when there is no
// handle or the lock failed.
struct RCETextGuard
{
    HWND hwnd = nullptr;
    RCE_STATE* state = nullptr;
};
RCE_STATE* RCELockText(HWND hwnd, RCETextGuard* guard);
void RCEUnlockText(RCETextGuard* guard);

// Scoped form of the guard.
class RCETextLock
{
public:
    explicit RCETextLock(HWND hwnd) { RCELockText(hwnd, &m_guard); }
    ~RCETextLock() { RCEUnlockText(&m_guard); }
    RCETextLock(const RCETextLock&) = delete;
    RCETextLock& operator=(const RCETextLock&) = delete;
    RCE_STATE* state() const { return m_guard.state; }

private:
    RCETextGuard m_guard;
};

// Sends EN_CHANGE to the parent with the text unlocked, so the parent may send messages back.
void RCENotifyChange(HWND hwnd, RCE_STATE* st);

// --- Positions and lines ----------------------------------------------------------------------

// i = length, or text[i..i+1] is CR LF, or text[i] is LF.
bool RCEIsLineEnd(const RCE_STATE* st, UINT32 i);
// i = 0 or text[i-1] is LF.
bool RCEIsLineStart(const RCE_STATE* st, UINT32 i);
// start = the index after the nearest LF before rec.end (0 when none).
void RCELineStartBack(const RCE_STATE* st, RCERowPos* rec);
// end = the first LF at or after rec.start, or length.
void RCELineEndForward(const RCE_STATE* st, RCERowPos* rec);
// end - start, less a CR that stands before the ending LF.
UINT32 RCEVisibleLength(const RCE_STATE* st, const RCERowPos* rec);
UINT32 RCEVisibleEnd(const RCE_STATE* st, const RCERowPos* rec);
// The next logical line; false at the last line.
bool RCENextLine(const RCE_STATE* st, RCERowPos* rec);
// The first index in [from, min(to, limit)) holding neither space nor tab; from when none.
UINT32 RCEFirstNonBlank(const WCHAR* text, UINT32 from, UINT32 to, UINT32 limit);
// The spaces from the column reached by count characters to the next tab stop (tabs expand).
UINT32 RCETabFill(const WCHAR* text, UINT32 count, UINT32 tab);
// The identifier run around the caret: first and last index; true only for runs longer than one.
bool RCEWordAt(const RCE_STATE* st, UINT32* from, UINT32* to);

// Virtual space is in force: RCEO_VIRTUALSPACE set and RCEO_WORDWRAP clear.
bool RCEVirtualSpace(const RCE_STATE* st);
// Position comparisons; the virtual columns count only in virtual space at a line end.
bool RCEPosLE(const RCE_STATE* st, UINT32 a, UINT32 acol, UINT32 b, UINT32 bcol);
bool RCEPosGT(const RCE_STATE* st, UINT32 a, UINT32 acol, UINT32 b, UINT32 bcol);
bool RCEPosEQ(const RCE_STATE* st, UINT32 a, UINT32 acol, UINT32 b, UINT32 bcol);

// The selection's ends, smaller first; both are the caret without a selection.
void RCEGetSelRange(const RCE_STATE* st, UINT32* start, UINT32* startCol, UINT32* end,
                    UINT32* endCol);
// The same for callers outside a handler: brackets itself with the window's text lock.
bool RCEGetSelRange(HWND hwnd, UINT32* start, UINT32* startCol, UINT32* end, UINT32* endCol);
// A selection exists and holds a LF.
bool RCESelHasLineBreak(const RCE_STATE* st);
// on: starts a selection anchored at the caret unless one is active; off: ends it.
void RCEAnchorSelection(RCE_STATE* st, bool on);
// The position differs from the caret (the virtual column counts only in virtual space with the
// caret at the visible end of its line).
bool RCECaretDiffers(const RCE_STATE* st, UINT32 index, UINT32 vcol);
