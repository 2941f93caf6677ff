// Undo history records of the colour editor. The editing core (undo/redo) owns this header's
// contents; it is kept apart so the window state can embed the history.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct RCE_HIST;

// One edit: what was removed and inserted at a position, with the caret before and after.
// Texts and nested groups are shared, so records move without copying them.
struct RCEUndoRecord {
    BYTE done = 0; // 1 once closed; an open record is neither undone nor redone
    UINT32 caretBefore = 0;
    UINT32 caretAfter = 0;
    UINT32 position = 0;
    std::shared_ptr<std::wstring> inserted; // as stored in the buffer; null when none
    std::shared_ptr<std::wstring> removed;  // null when none
    std::shared_ptr<RCE_HIST> group;        // sub-records of a grouped edit; null otherwise
};

#define RCE_HIST_LIMIT 1000
#define RCE_HIST_MODIFIED UINT64_MAX // saved position no history position has

struct RCE_HIST {
    std::vector<RCEUndoRecord> records; // capacity reserved to the history limit
    UINT64 current = 0;                 // records applied; records from here on are redo steps
    UINT64 saved = 0;                   // current at which the text counts as unmodified
};
