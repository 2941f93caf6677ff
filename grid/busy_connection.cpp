#include "grid/busy_connection.h"

#include <atomic>

namespace {
// Written by the user-interface thread around a job; read by paint code on the same thread, but
// kept atomic so a worker may ask too.
std::atomic<int> g_nBusyDepth{0};
} // namespace

bool IsConnectionBusy()
{
    return g_nBusyDepth.load() > 0;
}

CConnectionBusyScope::CConnectionBusyScope()
{
    ++g_nBusyDepth;
}

CConnectionBusyScope::~CConnectionBusyScope()
{
    --g_nBusyDepth;
}
