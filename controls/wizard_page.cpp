#include "controls/wizard_page.h"

IMPLEMENT_DYNAMIC(CRWizard, CPropertySheet)
IMPLEMENT_DYNAMIC(CRPropertyPage, CPropertyPage)

CRWizard::CRWizard(CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(L"", pParentWnd, iSelectPage)
{
    m_psh.dwFlags |= PSH_WIZARD;
    m_psh.dwFlags &= ~PSH_HASHELP;
}

CRPropertyPage::CRPropertyPage(UINT nIDTemplate) : CPropertyPage(nIDTemplate)
{
    m_psp.dwFlags &= ~PSP_HASHELP;
}

bool CRPropertyPage::RefreshIfActive()
{
    return m_bActivated ? RefreshPage() : true;
}
bool CRPropertyPage::IsPageDirty()
{
    return m_bDirty;
}
bool CRPropertyPage::ValidatePage()
{
    return true;
}
bool CRPropertyPage::RefreshPage()
{
    return true;
}

BOOL CRPropertyPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_bDirty = true;
    return TRUE;
}

DWORD CRPropertyPage::WizardButtonsFor(bool first, bool last)
{
    if (first)
        return last ? PSWIZB_FINISH : PSWIZB_NEXT;
    return last ? (PSWIZB_BACK | PSWIZB_FINISH) : (PSWIZB_BACK | PSWIZB_NEXT);
}

bool CRPropertyPage::IsFirstPage() const
{
    CPropertySheet* pSheet = GetSheet();
    return pSheet != nullptr && pSheet->GetPageIndex(const_cast<CRPropertyPage*>(this)) == 0;
}

bool CRPropertyPage::IsLastPage() const
{
    CPropertySheet* pSheet = GetSheet();
    if (pSheet == nullptr)
        return false;
    const int count = pSheet->GetPageCount();
    return count >= 1 && pSheet->GetPageIndex(const_cast<CRPropertyPage*>(this)) == count - 1;
}

BOOL CRPropertyPage::OnSetActive()
{
    CPropertySheet* pSheet = GetSheet();
    if (pSheet != nullptr && ::IsWindow(pSheet->m_hWnd))
    {
        // Posted: the sheet finishes its own page switch before the buttons change.
        ::PostMessageW(pSheet->m_hWnd, PSM_SETWIZBUTTONS, 0,
                       WizardButtonsFor(IsFirstPage(), IsLastPage()));
    }
    m_bActivated = true;
    if (IsPageDirty())
    {
        if (!RefreshPage())
            return FALSE;
        m_bDirty = false;
    }
    return CPropertyPage::OnSetActive();
}

LRESULT CRPropertyPage::OnWizardBack()
{
    m_bDirty = false;
    return CPropertyPage::OnWizardBack();
}

LRESULT CRPropertyPage::OnWizardNext()
{
    m_bDirty = false;
    if (!ValidatePage())
        return -1;
    return CPropertyPage::OnWizardNext();
}

BOOL CRPropertyPage::OnWizardFinish()
{
    m_bDirty = false;
    if (!ValidatePage())
        return FALSE;
    return CPropertyPage::OnWizardFinish();
}
