#include "editor/undo.h"

RCEUndoRecord& RCEHistBeginRecord(RCE_HIST& hist, UINT32 caretBefore, UINT32 position)
{
    if (hist.current >= hist.limit && hist.records.size() == hist.current)
    {
        hist.records.erase(hist.records.begin());
        hist.current = hist.limit - 1;
        if (hist.saved != RCE_HIST::kNeverSaved)
            hist.saved = hist.saved == 0 ? RCE_HIST::kNeverSaved : hist.saved - 1;
    }
    else
    {
        RCEHistTruncate(hist, hist.current);
    }
    RCEUndoRecord rec;
    rec.caretBefore = caretBefore;
    rec.position = position;
    hist.records.push_back(std::move(rec));
    return hist.records.back();
}

void RCEHistTruncate(RCE_HIST& hist, uint64_t keep)
{
    if (keep < hist.records.size())
        hist.records.resize((size_t)keep);
    if (hist.current > hist.records.size())
        hist.current = hist.records.size();
    if (hist.saved != RCE_HIST::kNeverSaved && hist.saved > keep)
        hist.saved = RCE_HIST::kNeverSaved;
}

void RCEHistClear(RCE_HIST& hist)
{
    hist.records.clear();
    hist.current = 0;
}

RCEUndoRecord* RCEHistOpenRecord(RCE_HIST& hist)
{
    if (hist.current < hist.records.size() && !hist.records[(size_t)hist.current].done)
        return &hist.records[(size_t)hist.current];
    return nullptr;
}

void RCEHistSaveRemoved(RCE_HIST& hist, const WCHAR* text, UINT32 count)
{
    if (RCEUndoRecord* rec = RCEHistOpenRecord(hist); rec && count)
        rec->removed = std::make_shared<std::wstring>(text, count);
}

void RCEHistSaveInserted(RCE_HIST& hist, const WCHAR* text, UINT32 count)
{
    if (RCEUndoRecord* rec = RCEHistOpenRecord(hist); rec && count)
        rec->inserted = std::make_shared<std::wstring>(text, count);
}

void RCEHistCloseRecord(RCE_HIST& hist, UINT32 caretAfter)
{
    if (RCEUndoRecord* rec = RCEHistOpenRecord(hist))
    {
        rec->caretAfter = caretAfter;
        rec->done = 1;
        hist.current += 1;
    }
}

void RCEHistAppendClosed(RCE_HIST& hist, UINT32 position, const WCHAR* removed, UINT32 removedCount,
                         const WCHAR* inserted, UINT32 insertedCount)
{
    RCEUndoRecord rec;
    rec.done = 1;
    rec.position = position;
    rec.caretBefore = rec.caretAfter = position;
    if (removedCount)
        rec.removed = std::make_shared<std::wstring>(removed, removedCount);
    if (insertedCount)
        rec.inserted = std::make_shared<std::wstring>(inserted, insertedCount);
    hist.records.push_back(std::move(rec));
    hist.current = hist.records.size();
}

bool RCEHistCanUndo(const RCE_HIST& hist)
{
    return hist.current > 0 && hist.records[(size_t)hist.current - 1].done;
}

bool RCEHistCanRedo(const RCE_HIST& hist)
{
    return hist.current < hist.records.size() && hist.records[(size_t)hist.current].done;
}
