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
    Join();
}

void CTouchedBlocks::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CTouchedBlocks::Clear()
{
    Join();
    m_next.reset();
    m_nNextSize = 0;
    m_bNextFailed = false;
}

std::unique_ptr<unsigned char[]> CTouchedBlocks::Take(size_t nSize, size_t nNextSize)
{
    Join();
    std::unique_ptr<unsigned char[]> block;
    if (m_next && !m_bNextFailed && m_nNextSize == nSize)
        block = std::move(m_next);
    else
        block.reset(new unsigned char[nSize]);
    m_next.reset();
    m_nNextSize = 0;
    m_bNextFailed = false;
    if (nNextSize >= kSmallestMadeAhead)
    {
        m_nNextSize = nNextSize;
        try
        {
            m_thread = std::thread([this, nNextSize] {
                // Out of memory here is only a block not made ahead: Take makes it when asked,
                // and meets the failure there, on the reader's thread.
                unsigned char* p = new (std::nothrow) unsigned char[nNextSize];
                if (p == nullptr)
                {
                    m_bNextFailed = true;
                    return;
                }
                for (size_t at = 0; at < nNextSize; at += kPageBytes)
                    static_cast<volatile unsigned char*>(p)[at] = 0;
                m_next.reset(p);
            });
        }
        catch (const std::system_error&)
        {
            // No thread to be had: the next block is made when it is asked for.
            m_nNextSize = 0;
        }
    }
    return block;
}

} // namespace Zelt
