// The editor's undo history: a capped list of edit records, each holding the text an edit
// removed and the text it inserted, shared between copies of the record.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct RCE_HIST;

struct RCEUndoRecord
{
    uint8_t done = 0;                       // 1 once the record is closed
    uint32_t caretBefore = 0;               // caret index before the edit
    uint32_t caretAfter = 0;                // caret index after the edit
    uint32_t position = 0;                  // index where the edit happened
    std::shared_ptr<std::wstring> inserted; // text the edit inserted (as stored)
    std::shared_ptr<std::wstring> removed;  // text the edit deleted
    std::shared_ptr<RCE_HIST> group;        // sub-records of a grouped edit
};

struct RCE_HIST
{
    std::vector<RCEUndoRecord> records;
    uint64_t current = 0; // records applied; from here on: redo steps
    uint64_t saved = 0;   // value of current at which the text is unmodified
    size_t limit = 1000;  // reserved capacity = history limit

    static constexpr uint64_t kNeverSaved = ~uint64_t(0);
};
