#include "controls/tab_dialog.h"

#include "controls/dialog_tab_ctrl.h"

#include <uxtheme.h>

IMPLEMENT_DYNAMIC(CRTabDialog, CRSizableDlg)

CRTabDialog::CRTabDialog(UINT nIDTemplate, CRDialogTabCtrl* pOwner)
    : CRSizableDlg(nIDTemplate, nullptr), m_pOwner(pOwner)
{}

bool CRTabDialog::LoadPage()
{
    m_bLoaded = true;
    return true;
}

void CRTabDialog::ResetPage()
{
    m_bLoaded = false;
}

BOOL CRTabDialog::OnInitDialog()
{
    CRSizableDlg::OnInitDialog();
    EnableTabPageTexture(m_hWnd);
    return TRUE;
}

void CRTabDialog::NotifyOtherPages()
{
    if (m_pOwner != nullptr)
        m_pOwner->InvalidateOtherPages(this);
}

bool EnableTabPageTexture(HWND hDlg, LPCWSTR moduleName)
{
    // Only a visual-styles library already in the process is used: without it the tab control
    // is drawn classic too, and the plain dialog background already matches it.
    HMODULE hModule = ::GetModuleHandleW(moduleName);
    if (hModule == nullptr || hDlg == nullptr)
        return false;
    typedef HRESULT(WINAPI * PFNENABLE)(HWND, DWORD);
    auto pfnEnable = (PFNENABLE)(void*)::GetProcAddress(hModule, "EnableThemeDialogTexture");
    if (pfnEnable == nullptr)
        return false;
    return pfnEnable(hDlg, ETDT_ENABLETAB) == S_OK;
}
