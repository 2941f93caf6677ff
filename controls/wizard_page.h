// The wizard sheet and the base of its pages: a page sets Back, Next and Finish from its
// position, rebuilds its content when it is entered while marked dirty, and may refuse Next or
// Finish until its input is valid.
#pragma once

#include "framework/property_sheet.h"

class CRWizard : public CPropertySheet
{
    DECLARE_DYNAMIC(CRWizard)

public:
    explicit CRWizard(CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
};

class CRPropertyPage : public CPropertyPage
{
    DECLARE_DYNAMIC(CRPropertyPage)

public:
    explicit CRPropertyPage(UINT nIDTemplate);

    // Brings a page that was already visited up to date at once; true for a page never shown.
    virtual bool RefreshIfActive();
    // True when the content must be rebuilt before the page is shown.
    virtual bool IsPageDirty();
    // Checks the input before Next or Finish.
    virtual bool ValidatePage();
    // Rebuilds the content; false refuses the activation.
    virtual bool RefreshPage();

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardBack() override;
    LRESULT OnWizardNext() override;
    BOOL OnWizardFinish() override;

    bool IsFirstPage() const;
    bool IsLastPage() const;
    bool IsActivated() const { return m_bActivated; }
    bool GetDirtyFlag() const { return m_bDirty; }
    void SetDirty(bool dirty = true) { m_bDirty = dirty; }

    // The wizard buttons of a page by its position.
    static DWORD WizardButtonsFor(bool first, bool last);

protected:
    bool m_bDirty = true;
    bool m_bActivated = false;
};
