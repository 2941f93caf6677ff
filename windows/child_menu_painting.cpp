#include "windows/child_menu_painting.h"

#include "app/main_frame.h"

IMPLEMENT_DYNAMIC(CMenuPaintingChildWnd, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CMenuPaintingChildWnd, CMDIChildWnd)
    ON_WM_MEASUREITEM()
    ON_WM_DRAWITEM()
    ON_WM_MENUCHAR()
    ON_WM_INITMENUPOPUP()
END_MESSAGE_MAP()

namespace {

CRMenuPainter* MainMenuPainter()
{
    CMainFrame* pMain = GetMainFrame();
    return pMain != nullptr && pMain->GetSafeHwnd() != nullptr ? &pMain->GetMenuPainter() : nullptr;
}

} // namespace

void CMenuPaintingChildWnd::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMIS)
{
    CRMenuPainter* pPainter = MainMenuPainter();
    if (pPainter != nullptr && lpMIS != nullptr && lpMIS->CtlType == ODT_MENU)
        pPainter->MeasureItem(this, lpMIS);
    else
        CMDIChildWnd::OnMeasureItem(nIDCtl, lpMIS);
}

void CMenuPaintingChildWnd::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDIS)
{
    CRMenuPainter* pPainter = MainMenuPainter();
    if (pPainter != nullptr && lpDIS != nullptr && lpDIS->CtlType == ODT_MENU)
        pPainter->DrawItem(lpDIS);
    else
        CMDIChildWnd::OnDrawItem(nIDCtl, lpDIS);
}

LRESULT CMenuPaintingChildWnd::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    CRMenuPainter* pPainter = MainMenuPainter();
    return pPainter != nullptr ? pPainter->MenuChar(nChar, nFlags, pMenu)
                               : CMDIChildWnd::OnMenuChar(nChar, nFlags, pMenu);
}

void CMenuPaintingChildWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CMDIChildWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    if (CRMenuPainter* pPainter = MainMenuPainter())
        pPainter->InitMenuPopup(pPopupMenu, nIndex, bSysMenu);
}
