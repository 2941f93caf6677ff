#include "controls/dialog_tab_ctrl.h"

IMPLEMENT_DYNAMIC(CRDialogTabCtrl, CTabCtrl)

BEGIN_MESSAGE_MAP(CRDialogTabCtrl, CTabCtrl)
    ON_NOTIFY_REFLECT(TCN_SELCHANGE, &CRDialogTabCtrl::OnSelChange)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CWnd* CRDialogTabCtrl::GetPageParent() const
{
    CWnd* pParent = GetParent();
    return pParent != nullptr ? pParent : const_cast<CRDialogTabCtrl*>(this);
}

int CRDialogTabCtrl::AddPage(CRTabDialog* pPage, UINT nIDTemplate, LPCTSTR lpszTitle)
{
    if (pPage == nullptr || m_hWnd == nullptr)
        return -1;
    CWnd* pParent = GetPageParent();
    if (!pPage->Create(nIDTemplate, pParent))
        return -1;

    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPWSTR>(lpszTitle != nullptr ? lpszTitle : L"");
    const int k = (int)InsertItem((int)m_pages.size(), &item);
    if (k < 0)
    {
        pPage->DestroyWindow();
        return -1;
    }

    RECT rect;
    GetPageRect(&rect);
    // Pages are siblings of the tab control, so that they get the dialog's keyboard handling.
    if (pPage->GetParent() != pParent)
        pPage->SetParent(pParent);
    pPage->MoveWindow(&rect, TRUE);
    pPage->ShowWindow(k == 0 ? SW_SHOW : SW_HIDE);
    pPage->UpdateWindow();

    m_pages.insert(m_pages.begin() + k, pPage);
    return k;
}

void CRDialogTabCtrl::ShowCurrentPage(int nCmdShow)
{
    const int cur = GetCurSel();
    for (int i = 0; i < (int)m_pages.size(); ++i)
    {
        CRTabDialog* pPage = m_pages[i];
        if (nCmdShow != SW_HIDE && i == cur)
        {
            if (!pPage->IsLoaded())
                pPage->LoadPage();
            pPage->ShowWindow(nCmdShow);
        }
        else
        {
            pPage->ShowWindow(SW_HIDE);
        }
    }
    ShowWindow(nCmdShow);
}

void CRDialogTabCtrl::InvalidateOtherPages(CRTabDialog* pExcept)
{
    for (CRTabDialog* pPage : m_pages)
        if (pPage != pExcept)
            pPage->ResetPage();
}

void CRDialogTabCtrl::GetPageRect(RECT* pRect) const
{
    if (pRect == nullptr)
        return;
    CWnd* pParent = GetPageParent();
    RECT client;
    GetClientRect(&client);
    MapWindowPoints(pParent, &client);
    RECT tab = {};
    // Without tabs the pages start at the top of the client area.
    if (GetItemRect(0, &tab))
        MapWindowPoints(pParent, &tab);
    else
        tab.bottom = client.top;
    const int fx = ::GetSystemMetrics(SM_CXDLGFRAME);
    const int fy = ::GetSystemMetrics(SM_CYDLGFRAME);
    pRect->left = client.left + fx;
    pRect->top = tab.bottom + fy;
    pRect->right = client.right - fx;
    pRect->bottom = client.bottom - fy;
}

void CRDialogTabCtrl::OnSelChange(NMHDR*, LRESULT* pResult)
{
    const int cur = GetCurSel();
    CRTabDialog* pCurrent = GetPage(cur);
    if (pCurrent != nullptr && !pCurrent->IsLoaded())
        pCurrent->LoadPage();
    for (CRTabDialog* pPage : m_pages)
        pPage->ShowWindow(SW_HIDE);
    if (pCurrent != nullptr)
        pCurrent->ShowWindow(SW_SHOW);
    *pResult = 0;
}

void CRDialogTabCtrl::OnSize(UINT nType, int cx, int cy)
{
    CTabCtrl::OnSize(nType, cx, cy);
    if (m_pages.empty())
        return;
    RECT rect;
    GetPageRect(&rect);
    for (CRTabDialog* pPage : m_pages)
        pPage->MoveWindow(&rect, TRUE);
}
