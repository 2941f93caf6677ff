// Large memory blocks for a store that only grows (a memory cursor's rows), each next one made
// ready on a thread of its own while the store fills the one before.
//
// A block fresh from the heap is pages the system has only promised: the first write to each
// page stops the writer for a fault, under Wine a round through the kernel of several
// microseconds. A memory cursor writes a few hundred megabytes on a long read, on the thread the
// window answers on, and those faults were a third of its time there. Here the next block is
// allocated and every page written once beside the reader, so that the reader's own first writes
// cost nothing more than any other. One block ahead at most: what is held beyond the rows is
// that block alone.
#pragma once

#include <cstddef>
#include <memory>
#include <thread>

namespace Zelt {

class CTouchedBlocks
{
public:
    // Blocks smaller than this are made when asked for: the thread would cost more than the
    // faults of a small cursor's first blocks.
    static constexpr size_t kSmallestMadeAhead = 1u << 20;

    CTouchedBlocks() = default;
    CTouchedBlocks(const CTouchedBlocks&) = delete;
    CTouchedBlocks& operator=(const CTouchedBlocks&) = delete;
    // Waits for a block being made.
    ~CTouchedBlocks();

    // A block of nSize bytes: the one made ahead where it is of that size, else a new one. Then
    // a block of nNextSize is made ahead, where that is at least kSmallestMadeAhead. Throws
    // std::bad_alloc as new does.
    std::unique_ptr<unsigned char[]> Take(size_t nSize, size_t nNextSize);
    // Drops the block made ahead (the store is emptied).
    void Clear();

private:
    void Join();

    std::thread m_thread;
    std::unique_ptr<unsigned char[]> m_next; // written by m_thread until it is joined
    size_t m_nNextSize = 0;
    bool m_bNextFailed = false;
};

} // namespace Zelt
