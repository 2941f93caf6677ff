// A page of a tab control that hosts modeless dialogs: a resizable dialog that fills its
// controls lazily, the first time it is shown, and again after another page marked it stale.
#pragma once

#include "controls/sizable_dlg.h"

class CRDialogTabCtrl;

class CRTabDialog : public CRSizableDlg
{
    DECLARE_DYNAMIC(CRTabDialog)

public:
    CRTabDialog(UINT nIDTemplate, CRDialogTabCtrl* pOwner);

    // Fills the page; the base only records that the page is loaded. Overrides fill their
    // controls, then call the base.
    virtual bool LoadPage();
    // Marks the page stale so that it loads again when next shown.
    virtual void ResetPage();

    BOOL OnInitDialog() override;

    // Asks the owning tab control to mark every other page stale.
    void NotifyOtherPages();

    bool IsLoaded() const { return m_bLoaded; }
    CRDialogTabCtrl* GetOwnerTab() const { return m_pOwner; }

protected:
    bool m_bLoaded = false;
    CRDialogTabCtrl* m_pOwner = nullptr;
};

// Gives a dialog the themed background of a tab page (ETDT_ENABLETAB) through the named
// visual-styles library; does nothing and answers false when that library is not in the process
// or lacks the function (tests name an absent one).
bool EnableTabPageTexture(HWND hDlg, LPCWSTR moduleName = L"UXTHEME.DLL");
