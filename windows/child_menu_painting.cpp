#include "windows/child_menu_painting.h"

#include "app/main_frame.h"

namespace {

CRMenuPainter* MainMenuPainter()
{
    CMainFrame* pMain = GetMainFrame();
    return pMain != nullptr && pMain->GetSafeHwnd() != nullptr ? &pMain->GetMenuPainter() : nullptr;
}

} // namespace

bool MeasureChildMenuItem(CWnd* pWnd, LPMEASUREITEMSTRUCT lpMIS)
{
    CRMenuPainter* pPainter = MainMenuPainter();
    if (pPainter == nullptr || lpMIS == nullptr || lpMIS->CtlType != ODT_MENU)
        return false;
    pPainter->MeasureItem(pWnd, lpMIS);
    return true;
}

bool DrawChildMenuItem(LPDRAWITEMSTRUCT lpDIS)
{
    CRMenuPainter* pPainter = MainMenuPainter();
    if (pPainter == nullptr || lpDIS == nullptr || lpDIS->CtlType != ODT_MENU)
        return false;
    pPainter->DrawItem(lpDIS);
    return true;
}

bool ChildMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu, LRESULT& result)
{
    CRMenuPainter* pPainter = MainMenuPainter();
    if (pPainter == nullptr)
        return false;
    result = pPainter->MenuChar(nChar, nFlags, pMenu);
    return true;
}

void InitChildMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    if (CRMenuPainter* pPainter = MainMenuPainter())
        pPainter->InitMenuPopup(pPopupMenu, nIndex, bSysMenu);
}
