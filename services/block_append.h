// Appending a long run of big fixed records (catalog rows of 256-character fields, 2.5 KB each)
// to a typed array without holding the list twice.
//
// Added one by one, the array reallocates again and again as it grows, copying every record so
// far each time, and at the last step holds the old and the new copy at once: twice the list at
// its peak. Here the records are first kept in blocks of about two megabytes; then the array
// grows once to its final size and takes the blocks in order, each block freed as soon as it
// has been copied (blocks of that size go back to the system when freed), so the peak is the
// list once and one block.
#pragma once

#include "framework/ui.h"

#include <memory>
#include <vector>

// Appends every record that fetch(record) yields (until it returns false) to the array, in
// order. When fetch throws, the records read before are appended and the exception goes on.
template <class T, class Fetch>
void AppendInBlocks(CArray<T, const T&>& list, Fetch&& fetch, size_t nBlockRecords = 0)
{
    if (nBlockRecords == 0)
        nBlockRecords = sizeof(T) >= (2u << 20) ? 1 : (2u << 20) / sizeof(T);
    struct CBlock
    {
        std::unique_ptr<T[]> records;
        size_t count = 0;
    };
    std::vector<CBlock> blocks;
    size_t nTotal = 0;
    auto moveIn = [&] {
        if (nTotal == 0)
            return;
        // One allocation for all: the growth step is the whole run (then automatic again).
        list.SetSize(list.GetSize(), static_cast<INT_PTR>(nTotal));
        for (CBlock& block : blocks)
        {
            const INT_PTR nAt = list.GetSize();
            list.SetSize(nAt + static_cast<INT_PTR>(block.count));
            for (size_t i = 0; i < block.count; ++i)
                list[nAt + static_cast<INT_PTR>(i)] = block.records[i];
            block.records.reset();
        }
        list.SetSize(list.GetSize(), 0);
        blocks.clear();
        nTotal = 0;
    };
    try
    {
        for (;;)
        {
            if (blocks.empty() || blocks.back().count == nBlockRecords)
            {
                CBlock block;
                block.records.reset(new T[nBlockRecords]());
                blocks.push_back(std::move(block));
            }
            CBlock& block = blocks.back();
            if (!fetch(block.records[block.count]))
                break;
            ++block.count;
            ++nTotal;
        }
    }
    catch (...)
    {
        moveIn();
        throw;
    }
    moveIn();
}
