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
//
// One thread for all the blocks of a store, started with the first block made ahead: a thread
// under Wine starts by clearing a megabyte of its stack, a quarter of the work of a block.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
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
    // Ends the thread, once it has made the block it is making.
    ~CTouchedBlocks();

    // A block of nSize bytes: the one made ahead where it is of that size, else a new one. Then
    // a block of nNextSize is made ahead, where that is at least kSmallestMadeAhead. Throws
    // std::bad_alloc as new does.
    std::unique_ptr<unsigned char[]> Take(size_t nSize, size_t nNextSize);
    // Drops the block made ahead (the store is emptied, or has all it will have).
    void Clear();

private:
    void Run();
    // The block being made is made (under m_mutex).
    void WaitMade(std::unique_lock<std::mutex>& lock);

    // What the thread does next. Unstarted: no block was made ahead yet, so no thread runs;
    // NoThread: none could be started, and blocks are made when asked for; Idle, with or without
    // m_next; Asked, m_nNextSize to be made; Ending.
    // Unstarted -> Idle (the thread started) or NoThread; Idle -> Asked (Take) -> Idle (made);
    // any -> Ending (destructor).
    enum class Step
    {
        Unstarted,
        NoThread,
        Idle,
        Asked,
        Ending,
    };
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Step m_step = Step::Unstarted;
    size_t m_nNextSize = 0;
    std::unique_ptr<unsigned char[]> m_next; // of m_nNextSize, once made (null: not to be had)
    std::thread m_thread;
};

} // namespace Zelt
