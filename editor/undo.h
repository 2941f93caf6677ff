// Operations of the undo history: records are begun, filled with the removed and inserted
// text, and closed; a full history drops its oldest record.
#pragma once

#include "editor/undo_history.h"

// Starts an open record; a full history with nothing undone drops its oldest record, otherwise
// the redo steps from current on are discarded.
RCEUndoRecord& RCEHistBeginRecord(RCE_HIST& hist, UINT32 caretBefore, UINT32 position);
// Keeps min(current, count) records; a saved mark beyond them is lost.
void RCEHistTruncate(RCE_HIST& hist, uint64_t keep);
void RCEHistClear(RCE_HIST& hist);
// The open record (at index current), or null.
RCEUndoRecord* RCEHistOpenRecord(RCE_HIST& hist);
void RCEHistSaveRemoved(RCE_HIST& hist, const WCHAR* text, UINT32 count);
void RCEHistSaveInserted(RCE_HIST& hist, const WCHAR* text, UINT32 count);
void RCEHistCloseRecord(RCE_HIST& hist, UINT32 caretAfter);
// Appends a closed record directly (used for the sub-records of a group).
void RCEHistAppendClosed(RCE_HIST& hist, UINT32 position, const WCHAR* removed, UINT32 removedCount,
                         const WCHAR* inserted, UINT32 insertedCount);

bool RCEHistCanUndo(const RCE_HIST& hist);
bool RCEHistCanRedo(const RCE_HIST& hist);
inline UINT32 RCEHistTextLength(const std::shared_ptr<std::wstring>& s)
{
    return s ? (UINT32)s->size() : 0;
}
