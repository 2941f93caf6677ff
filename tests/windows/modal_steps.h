// Drives a modal dialog from a thread timer: each step runs once the dialog's window exists,
// one step per tick, with the dialog's messages handled in between.
#pragma once

#include "framework/ui.h"

#include "editor/editor_class.h"

#include <functional>
#include <vector>

namespace qltest {

class CModalSteps
{
public:
    typedef std::function<void(HWND hDialog)> Step;

    // Runs dlg.DoModal() while the steps run; the last step must end the dialog.
    static INT_PTR Run(CDialog& dlg, std::vector<Step> steps, UINT period = 60)
    {
        CModalSteps runner{&dlg, std::move(steps)};
        s_pCurrent = &runner;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, period, &CModalSteps::Tick);
        const INT_PTR result = dlg.DoModal();
        ::KillTimer(nullptr, timer);
        s_pCurrent = nullptr;
        return result;
    }

private:
    CModalSteps(CDialog* pDlg, std::vector<Step> steps) : m_pDlg(pDlg), m_steps(std::move(steps)) {}
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        CModalSteps* self = s_pCurrent;
        if (self == nullptr || self->m_bBusy || self->m_pDlg->GetSafeHwnd() == nullptr ||
            self->m_next >= self->m_steps.size())
            return;
        self->m_bBusy = true; // a step may pump messages (a nested box)
        self->m_steps[self->m_next++](self->m_pDlg->GetSafeHwnd());
        self->m_bBusy = false;
    }

    CDialog* m_pDlg;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    bool m_bBusy = false;
    static inline CModalSteps* s_pCurrent = nullptr;
};

// Registers the editor window class once for the whole test program.
inline bool EnsureEditorClass()
{
    static const bool registered = RegisterRColorEditorClass(::GetModuleHandleW(nullptr)) != 0;
    return registered;
}

// Clicks a button of a dialog as the user would (BN_CLICKED to the dialog).
inline void ClickButton(HWND hDialog, int nID)
{
    ::SendMessageW(hDialog, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                   (LPARAM)::GetDlgItem(hDialog, nID));
}

} // namespace qltest
