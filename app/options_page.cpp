// What the Options pages share: help topics, the positive-number check, spins and colours.
#include "app/options_dlg.h"

#include "app/app_helpers.h"

IMPLEMENT_DYNAMIC(COptionsPage, CPropertyPage)

BEGIN_MESSAGE_MAP(COptionsPage, CPropertyPage)
    ON_COMMAND(ID_HELP, &COptionsPage::OnHelp)
    ON_WM_HELPINFO()
END_MESSAGE_MAP()

void COptionsPage::OnHelp()
{
    ShowHelpTopic(m_pszHelpTopic);
}

BOOL COptionsPage::OnHelpInfo(HELPINFO*)
{
    OnHelp();
    return TRUE;
}

BOOL COptionsPage::OnSetActive()
{
    COptionsDlg* pSheet = static_cast<COptionsDlg*>(GetSheet());
    if (pSheet != nullptr)
        pSheet->m_nActivePage = pSheet->GetPageIndex(this);
    return CPropertyPage::OnSetActive();
}

bool COptionsPage::CheckPositive(UINT nID)
{
    CString strText;
    GetDlgItemText(nID, strText);
    strText.Trim();
    // A pasted "-5" gets past the digits-only edit: negative is not greater than 0 either.
    if (!strText.IsEmpty() && _wtoi(strText) > 0)
        return true;
    CWnd* pField = GetDlgItem(nID);
    if (pField != nullptr)
        pField->SetFocus();
    AfxMessageBox(L"This field must be greater than 0", MB_ICONERROR);
    return false;
}

void COptionsPage::InitSpin(UINT nSpinID, UINT nEditID, int nLower, int nUpper, int nValue)
{
    HWND hSpin = ::GetDlgItem(m_hWnd, nSpinID);
    ::SendMessageW(hSpin, UDM_SETBUDDY, (WPARAM)::GetDlgItem(m_hWnd, nEditID), 0);
    ::SendMessageW(hSpin, UDM_SETRANGE32, nLower, nUpper);
    ::SendMessageW(hSpin, UDM_SETPOS32, 0, nValue);
}

void COptionsPage::StepValue(NMHDR* pNMHDR, LRESULT* pResult, UINT nEditID, int& nValue, int nStep,
                             int nMin, int nMax)
{
    const NMUPDOWN* pUpDown = (const NMUPDOWN*)pNMHDR;
    BOOL bNumber = FALSE;
    const int nOld = (int)GetDlgItemInt(nEditID, &bNumber, FALSE);
    nValue = bNumber ? nOld : 0;
    const long long nNew = (long long)nValue + (long long)pUpDown->iDelta * nStep;
    if (nNew >= nMin)
        nValue = nMax > 0 && nNew > nMax ? nMax : (int)nNew;
    SetDlgItemInt(nEditID, (UINT)nValue, FALSE);
    *pResult = 0;
}

void COptionsPage::ChooseColor(CRColorButton& button, COLORREF& crValue)
{
    CColorDialog dlg(crValue, CC_RGBINIT | CC_FULLOPEN | CC_SOLIDCOLOR, this);
    if (dlg.DoModal() != IDOK)
        return;
    crValue = dlg.GetColor();
    button.SetColor(crValue);
    button.Invalidate();
}
