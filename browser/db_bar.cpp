// CDBBar: the docking bar that hosts the object trees.
#include "browser/db_bar.h"

#include <algorithm>

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
    if (!m_tabCtrl.Create(this))
        return -1;
    FitTabTitles();
    return 0;
}

void CDBBar::FitTabTitles()
{
    // The default width is widened (never narrowed) until the four tab titles show whole in
    // the system's dialog font; a width the user chose is restored over it later.
    const DWORD dwStyle = m_dwSCBStyle;
    CRect rc(0, 0, m_szVert.cx, m_szVert.cy);
    CalcClientRect(rc, AFX_IDW_DOCKBAR_LEFT);
    m_dwSCBStyle = dwStyle;
    const int nWidth = m_tabCtrl.GetIdealWidth() + (m_szVert.cx - rc.Width());
    m_szVert.cx = std::max<LONG>(m_szVert.cx, nWidth);
    m_szFloat.cx = std::max<LONG>(m_szFloat.cx, nWidth);
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
