#include "dbaccess/touched_blocks.h"

#include <new>
#include <system_error>

namespace Zelt {

namespace {

// The smallest page of the systems the program runs on: one write in each is one fault.
constexpr size_t kPageBytes = 4096;

} // namespace

CTouchedBlocks::~CTouchedBlocks()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_step = Step::Ending;
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

void CTouchedBlocks::WaitMade(std::unique_lock<std::mutex>& lock)
{
    m_changed.wait(lock, [this] { return m_step != Step::Asked; });
}

void CTouchedBlocks::Clear()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    WaitMade(lock);
    m_next.reset();
    m_nNextSize = 0;
}

std::unique_ptr<unsigned char[]> CTouchedBlocks::Take(size_t nSize, size_t nNextSize)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    WaitMade(lock);
    std::unique_ptr<unsigned char[]> block;
    if (m_next && m_nNextSize == nSize)
        block = std::move(m_next);
    m_next.reset();
    m_nNextSize = 0;
    if (nNextSize >= kSmallestMadeAhead)
    {
        if (m_step == Step::Unstarted)
        {
            // (The thread waits for the lock before it looks at the step.)
            m_step = Step::Idle;
            try
            {
                m_thread = std::thread([this] { Run(); });
            }
            catch (const std::system_error&)
            {
                m_step = Step::NoThread;
            }
        }
        if (m_step == Step::Idle)
        {
            m_nNextSize = nNextSize;
            m_step = Step::Asked;
            m_changed.notify_all();
        }
    }
    lock.unlock();
    // Out of memory here throws, on the reader's thread, as new does.
    if (!block)
        block.reset(new unsigned char[nSize]);
    return block;
}

void CTouchedBlocks::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;)
    {
        m_changed.wait(lock, [this] { return m_step == Step::Asked || m_step == Step::Ending; });
        if (m_step == Step::Ending)
            return;
        const size_t nSize = m_nNextSize;
        lock.unlock();
        // Out of memory here is only a block not made ahead: Take makes it when asked, and
        // meets the failure there.
        std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[nSize]);
        if (block)
            for (size_t at = 0; at < nSize; at += kPageBytes)
                static_cast<volatile unsigned char*>(block.get())[at] = 0;
        lock.lock();
        m_next = std::move(block);
        if (m_step == Step::Asked)
            m_step = Step::Idle;
        m_changed.notify_all();
    }
}

} // namespace Zelt
