// The frame the in-process benchmarks show the program's windows in: registered as the
// application's main window, as the main frame is in the program.
#pragma once

#include "framework/ui.h"

namespace qlbench {

class CBenchHost : public CMDIFrameWnd
{};

// Initialises the framework and creates the frame, hidden; null when that fails.
inline CBenchHost* CreateBenchHost(LPCWSTR pszTitle)
{
    AfxWinInit(::GetModuleHandleW(nullptr), nullptr, ::GetCommandLineW(), SW_SHOWNORMAL);
    auto* pHost = new CBenchHost;
    if (!pHost->Create(nullptr, pszTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                       CRect(0, 0, 1000, 700)))
        return nullptr;
    AfxGetApp()->m_pMainWnd = pHost;
    return pHost;
}

inline void DestroyBenchHost(CBenchHost* pHost)
{
    AfxGetApp()->m_pMainWnd = nullptr;
    pHost->DestroyWindow();
}

} // namespace qlbench
