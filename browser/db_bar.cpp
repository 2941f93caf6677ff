// CDBBar: the docking bar that hosts the object trees.
#include "browser/db_bar.h"

IMPLEMENT_DYNAMIC(CDBBar, CSizingVS2015Bar)

BEGIN_MESSAGE_MAP(CDBBar, CSizingVS2015Bar)
    ON_WM_CREATE()
END_MESSAGE_MAP()

CDBBar::CDBBar() = default;
CDBBar::~CDBBar() = default;

int CDBBar::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CSizingVS2015Bar::OnCreate(lpCreateStruct) == -1)
        return -1;
    m_dwSCBStyle = (m_dwSCBStyle & ~SCBS_EDGEALL) | SCBS_SIZECHILD;
    return m_tabCtrl.Create(this) ? 0 : -1;
}

BOOL CDBBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
    if (pHdr != nullptr && pHdr->hwndFrom == m_tabCtrl.GetSafeHwnd() &&
        pHdr->code == CRWndSwitch::kNotifyActivated)
    {
        *pResult = 0;
        m_tabCtrl.ActivateTab(m_tabCtrl.GetActiveIndex());
        return TRUE;
    }
    return CSizingVS2015Bar::OnNotify(wParam, lParam, pResult);
}

void CDBBar::Refresh(bool bShow)
{
    if (!m_tabCtrl.GetSafeHwnd())
        return;
    if (bShow)
        m_tabCtrl.ActivateTab(m_tabCtrl.GetActiveIndex());
    else
        m_tabCtrl.ClearAll();
}

void CDBBar::RefreshCurrent()
{
    if (m_tabCtrl.GetSafeHwnd())
        m_tabCtrl.RefreshVisible();
}
