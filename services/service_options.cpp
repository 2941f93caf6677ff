#include "services/service_options.h"

namespace {
CServiceOptions g_options;
} // namespace

void BindServiceOptions(const CServiceOptions& options)
{
    g_options = options;
}

bool GetCancelExecOption()
{
    return g_options.pCancelExec != nullptr && *g_options.pCancelExec != 0;
}

int GetCursorLibOption()
{
    return g_options.pCursorLib != nullptr ? *g_options.pCursorLib : 1;
}

bool GetUseCursorForEditOption()
{
    return g_options.pUseCursorForEdit == nullptr || *g_options.pUseCursorForEdit != 0;
}
