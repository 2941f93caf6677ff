#include "controls/menu_painter.h"

#include "util/utility.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool IsSeparatorData(ULONG_PTR data)
{
    return data == CRMenuPainter::kSeparatorData;
}

int Luminance(COLORREF color)
{
    return (GetRValue(color) * 299 + GetGValue(color) * 587 + GetBValue(color) * 114) / 1000;
}

// The colour of a check or radio mark on the given colour: the item's text colour when it shows
// there, else the menu text colour, else black or white. A selected item's text is light on the
// highlight, but its mark sits on the image column, which the highlight does not cover and which
// is light in most colour schemes.
COLORREF MarkColor(COLORREF textColor, COLORREF behind)
{
    const int kVisible = 96; // a luminance step that reads as a mark, not as a tint
    const int back = Luminance(behind);
    if (std::abs(Luminance(textColor) - back) >= kVisible)
        return textColor;
    const COLORREF menuText = ::GetSysColor(COLOR_MENUTEXT);
    if (std::abs(Luminance(menuText) - back) >= kVisible)
        return menuText;
    return back >= 128 ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

} // namespace

bool CRMenuPainter::CreateMenuFont(CFont& font, bool bold)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW lf = {};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        lf = metrics.lfMenuFont;
    else
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    return font.CreateFontIndirect(&lf) != FALSE;
}

bool CRMenuPainter::CreateGlyphFont(CFont& font, int height) const
{
    return font.CreateFont(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                           L"Marlett") != FALSE;
}

WCHAR CRMenuPainter::GetMnemonic(const CString& text)
{
    if (text.IsEmpty())
        return 0;
    const int amp = text.Find(L'&');
    WCHAR c = amp >= 0 && amp + 1 < text.GetLength() ? text[amp + 1] : text[0];
    return (WCHAR)(ULONG_PTR)::CharLowerW((LPWSTR)(ULONG_PTR)c);
}

// --- Converting ----------------------------------------------------------------------------

BOOL CRMenuPainter::SetMenu(CMenu* pMenu)
{
    m_items.clear();
    if (pMenu != nullptr && pMenu->m_hMenu != nullptr)
        ConvertMenu(pMenu->m_hMenu, true);
    return TRUE;
}

BOOL CRMenuPainter::LoadToolBarImages(CMenu* pMenu, CWnd* pToolBar, bool skipTopLevel)
{
    m_pToolBar = pToolBar;
    m_items.clear();
    if (pMenu != nullptr && pMenu->m_hMenu != nullptr)
        ConvertMenu(pMenu->m_hMenu, skipTopLevel);
    m_imageWidth = m_imageHeight = 0;
    if (pToolBar != nullptr && ::IsWindow(pToolBar->m_hWnd))
    {
        HIMAGELIST hImages = (HIMAGELIST)::SendMessageW(pToolBar->m_hWnd, TB_GETIMAGELIST, 0, 0);
        const int count = hImages != nullptr ? ImageList_GetImageCount(hImages) : 0;
        for (int i = 0; i < count; ++i)
        {
            IMAGEINFO info = {};
            if (ImageList_GetImageInfo(hImages, i, &info))
            {
                m_imageWidth =
                    std::max<INT32>(m_imageWidth, info.rcImage.right - info.rcImage.left);
                m_imageHeight =
                    std::max<INT32>(m_imageHeight, info.rcImage.bottom - info.rcImage.top);
            }
        }
    }
    return TRUE;
}

void CRMenuPainter::InitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    if (bSysMenu || pPopupMenu == nullptr || pPopupMenu->m_hMenu == nullptr)
        return;
    HMENU hMenu = pPopupMenu->m_hMenu;
    if (nIndex == 0)
    {
        const int count = ::GetMenuItemCount(hMenu);
        for (int i = 0; i < count; ++i)
        {
            MENUITEMINFOW mii = {sizeof(mii)};
            mii.fMask = MIIM_FTYPE | MIIM_ID;
            if (::GetMenuItemInfoW(hMenu, i, TRUE, &mii) && (mii.fType & MFT_SEPARATOR) == 0 &&
                mii.wID >= 0xF000)
                return; // the system menu of a maximised child window
        }
    }
    ConvertMenu(hMenu, false);
}

void CRMenuPainter::ConvertMenu(HMENU hMenu, bool skipThisLevel)
{
    const int count = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i)
    {
        HMENU hSub = ::GetSubMenu(hMenu, i);
        if (!skipThisLevel)
            ConvertItem(hMenu, i);
        if (hSub != nullptr)
            ConvertMenu(hSub, false);
    }
}

void CRMenuPainter::ConvertItem(HMENU hMenu, int position)
{
    MENUITEMINFOW mii = {sizeof(mii)};
    mii.fMask = MIIM_STATE | MIIM_ID | MIIM_FTYPE;
    if (!::GetMenuItemInfoW(hMenu, position, TRUE, &mii) || (mii.fType & MFT_OWNERDRAW) != 0)
        return;
    MENUITEMINFOW set = {sizeof(set)};
    set.fMask = MIIM_FTYPE | MIIM_DATA;
    set.fType = mii.fType | MFT_OWNERDRAW;
    if ((mii.fType & MFT_SEPARATOR) != 0)
    {
        set.dwItemData = kSeparatorData;
        ::SetMenuItemInfoW(hMenu, position, TRUE, &set);
        return;
    }
    CString text;
    const int length = ::GetMenuStringW(hMenu, position, nullptr, 0, MF_BYPOSITION);
    if (length > 0)
    {
        ::GetMenuStringW(hMenu, position, text.GetBuffer(length + 1), length + 1, MF_BYPOSITION);
        text.ReleaseBuffer();
    }
    const BOOL isDefault = (mii.fState & MFS_DEFAULT) != 0;
    // A record is shared only by items that look the same: one command can stand in several
    // menus under different labels.
    size_t index = m_items.size();
    if (mii.wID != 0)
        for (size_t i = 0; i < m_items.size(); ++i)
            if (m_items[i].commandId == mii.wID && m_items[i].defaultItem == isDefault &&
                m_items[i].text == text)
            {
                index = i;
                break;
            }
    if (index == m_items.size())
    {
        CItemData item;
        item.commandId = mii.wID;
        item.defaultItem = isDefault;
        item.text = text;
        m_items.push_back(item);
    }
    set.dwItemData = index;
    ::SetMenuItemInfoW(hMenu, position, TRUE, &set);
}

// --- Measuring and drawing -------------------------------------------------------------------

void CRMenuPainter::MeasureItem(CWnd* pWnd, LPMEASUREITEMSTRUCT lpMIS)
{
    if (lpMIS == nullptr)
        return;
    if (IsSeparatorData(lpMIS->itemData))
    {
        lpMIS->itemWidth = 0;
        lpMIS->itemHeight = m_margin * 4 + 1;
        return;
    }
    const CItemData* pItem = GetItem(lpMIS->itemData);
    if (pItem == nullptr)
        return;
    HWND hWnd = pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr;
    HDC hDC = ::GetDC(hWnd);
    CDC* pDC = CDC::FromHandle(hDC);
    CFont font;
    CreateMenuFont(font, pItem->defaultItem != FALSE);
    CFont* pOldFont = pDC->SelectObject(&font);
    RECT text = {0, 0, 0, 0};
    pDC->DrawText(pItem->text, &text, DT_CALCRECT | DT_SINGLELINE);
    const int tw = text.right - text.left;
    const int th = text.bottom - text.top;
    CFont glyphFont;
    CreateGlyphFont(glyphFont, th);
    pDC->SelectObject(&glyphFont);
    RECT check = {0, 0, 0, 0};
    pDC->DrawText(m_checkGlyph, &check, DT_CALCRECT | DT_SINGLELINE);
    RECT arrow = {0, 0, 0, 0};
    pDC->DrawText(m_submenuGlyph, &arrow, DT_CALCRECT | DT_SINGLELINE);
    pDC->SelectObject(pOldFont);
    ::ReleaseDC(hWnd, hDC);
    const int cw = check.right - check.left;
    const int ch = check.bottom - check.top;
    const int aw = arrow.right - arrow.left;
    lpMIS->itemWidth = tw + m_margin * 2 + aw + m_margin * 2 +
                       (std::max(m_imageWidth, cw) + m_margin) + m_margin * 2;
    lpMIS->itemHeight = std::max(th, std::max(m_imageHeight, ch)) + m_margin * 2;
}

int CRMenuPainter::FindButtonImage(UINT id) const
{
    if (m_pToolBar == nullptr || !::IsWindow(m_pToolBar->m_hWnd))
        return -1;
    HWND hBar = m_pToolBar->m_hWnd;
    const int count = (int)::SendMessageW(hBar, TB_BUTTONCOUNT, 0, 0);
    for (int i = 0; i < count; ++i)
    {
        TBBUTTON button = {};
        if (::SendMessageW(hBar, TB_GETBUTTON, i, (LPARAM)&button) &&
            (button.fsStyle & BTNS_SEP) == 0 && (UINT)button.idCommand == id)
            return button.iBitmap;
    }
    return -1;
}

void CRMenuPainter::DrawImage(CDC* pDC, const RECT& column, UINT id, bool disabled, bool checked,
                              COLORREF background, bool* pDrawn)
{
    *pDrawn = false;
    const int image = FindButtonImage(id);
    if (image < 0)
        return;
    HWND hBar = m_pToolBar->m_hWnd;
    HIMAGELIST hImages = (HIMAGELIST)::SendMessageW(hBar, TB_GETIMAGELIST, 0, 0);
    IMAGEINFO info = {};
    if (hImages == nullptr || !ImageList_GetImageInfo(hImages, image, &info))
        return;
    const int w = info.rcImage.right - info.rcImage.left;
    const int h = info.rcImage.bottom - info.rcImage.top;
    const int x = column.left + (column.right - column.left - w) / 2;
    const int y = column.top + (column.bottom - column.top - h) / 2;
    if (checked)
    {
        const RECT back = {x - 1, y - 1, x + w + 1, y + h + 1};
        pDC->FillSolidRect(&back,
                           BlendColors(::GetSysColor(COLOR_HIGHLIGHT), RGB(255, 255, 255), 64));
    }
    // The image is put together in a memory bitmap and copied in one go.
    CDC memDC;
    memDC.CreateCompatibleDC(pDC);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(pDC, w, h);
    CBitmap* pOldBitmap = memDC.SelectObject(&bitmap);
    memDC.BitBlt(0, 0, w, h, pDC, x, y, SRCCOPY);
    HIMAGELIST hDisabled =
        disabled ? (HIMAGELIST)::SendMessageW(hBar, TB_GETDISABLEDIMAGELIST, 0, 0) : nullptr;
    if (!disabled)
    {
        ImageList_Draw(hImages, image, memDC.m_hDC, 0, 0, ILD_TRANSPARENT);
    }
    else if (hDisabled != nullptr && image < ImageList_GetImageCount(hDisabled))
    {
        ImageList_Draw(hDisabled, image, memDC.m_hDC, 0, 0, ILD_TRANSPARENT);
    }
    else
    {
        // Grayed: the image's shape in one colour that stands out from the background.
        COLORREF gray = ::GetSysColor(COLOR_GRAYTEXT);
        if (gray == background)
            gray = ::GetSysColor(COLOR_3DFACE);
        if (gray == background)
            gray = ::GetSysColor(COLOR_BTNSHADOW);
        CDC maskDC;
        maskDC.CreateCompatibleDC(pDC);
        CBitmap mask;
        mask.CreateBitmap(w, h, 1, 1, nullptr);
        CBitmap* pOldMask = maskDC.SelectObject(&mask);
        maskDC.FillSolidRect(0, 0, w, h, RGB(255, 255, 255));
        ImageList_Draw(hImages, image, maskDC.m_hDC, 0, 0, ILD_MASK);
        CBrush brush;
        brush.CreateSolidBrush(gray);
        CBrush* pOldBrush = memDC.SelectObject(&brush);
        memDC.SetBkColor(RGB(255, 255, 255));
        memDC.SetTextColor(RGB(0, 0, 0));
        memDC.BitBlt(0, 0, w, h, &maskDC, 0, 0, 0x00B8074A); // brush where the mask is black
        memDC.SelectObject(pOldBrush);
        maskDC.SelectObject(pOldMask);
    }
    pDC->BitBlt(x, y, w, h, &memDC, 0, 0, SRCCOPY);
    memDC.SelectObject(pOldBitmap);
    *pDrawn = true;
}

void CRMenuPainter::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    if (lpDIS == nullptr || lpDIS->CtlType != ODT_MENU)
        return;
    const bool separator = IsSeparatorData(lpDIS->itemData);
    const CItemData* pItem = separator ? nullptr : GetItem(lpDIS->itemData);
    if (!separator && pItem == nullptr)
        return;
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    const RECT item = lpDIS->rcItem;
    const bool selected = (lpDIS->itemState & ODS_SELECTED) != 0;
    const bool disabled = (lpDIS->itemState & (ODS_DISABLED | ODS_GRAYED)) != 0;
    const COLORREF menuColor = ::GetSysColor(COLOR_MENU);
    const COLORREF columnColor = ::GetSysColor(COLOR_3DFACE);

    CFont font;
    CreateMenuFont(font, pItem != nullptr && pItem->defaultItem != FALSE);
    CFont* pOldFont = pDC->SelectObject(&font);
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(pDC->m_hDC, &tm);
    CFont glyphFont;
    CreateGlyphFont(glyphFont, tm.tmHeight);
    pDC->SelectObject(&glyphFont);
    const int checkWidth = pDC->GetTextExtent(m_checkGlyph).cx;
    const int arrowWidth = pDC->GetTextExtent(m_submenuGlyph).cx;
    pDC->SelectObject(&font);

    RECT column = item;
    column.right = item.left + std::max(m_imageWidth, checkWidth) + 3 * m_margin;
    const int saved = ::SaveDC(pDC->m_hDC);
    pDC->SetBkMode(TRANSPARENT);
    if (separator)
    {
        pDC->FillSolidRect(&item, menuColor);
        if (columnColor != menuColor)
            pDC->FillSolidRect(&column, columnColor);
        const int y = (item.top + item.bottom) / 2;
        RECT line = {column.right + m_margin, y, item.right - m_margin, y + 1};
        if (line.right > line.left)
            pDC->FillSolidRect(&line, ::GetSysColor(COLOR_GRAYTEXT));
    }
    else
    {
        const COLORREF background =
            selected && !disabled ? ::GetSysColor(COLOR_HIGHLIGHT) : menuColor;
        COLORREF textColor;
        if (disabled)
        {
            textColor = ::GetSysColor(COLOR_GRAYTEXT);
            for (int index : {COLOR_MENUTEXT, COLOR_HIGHLIGHTTEXT, COLOR_3DFACE})
                if (textColor == background)
                    textColor = ::GetSysColor(index);
        }
        else if (selected)
        {
            textColor = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        }
        else
        {
            textColor = ::GetSysColor(COLOR_MENUTEXT);
        }
        RECT rest = item;
        rest.left = column.right;
        pDC->FillSolidRect(&rest, background);
        const COLORREF columnBack = columnColor != menuColor ? columnColor : background;
        pDC->FillSolidRect(&column, columnBack);

        // Label and accelerator.
        CString label = pItem->text;
        CString accelerator;
        const int tab = label.Find(L'\t');
        if (tab >= 0)
        {
            accelerator = label.Mid(tab + 1);
            label = label.Left(tab);
        }
        RECT text = item;
        text.left = column.right + m_margin;
        text.right = item.right - 3 * m_margin - arrowWidth;
        pDC->SetTextColor(textColor);
        UINT flags = DT_VCENTER | DT_SINGLELINE;
        if ((lpDIS->itemState & ODS_NOACCEL) != 0)
            flags |= DT_HIDEPREFIX;
        pDC->DrawText(label, &text, flags);
        if (!accelerator.IsEmpty())
            pDC->DrawText(accelerator, &text, flags | DT_RIGHT);

        // Image, else the check mark.
        bool drawn = false;
        const bool checked = (lpDIS->itemState & ODS_CHECKED) != 0;
        if (m_pToolBar != nullptr)
            DrawImage(pDC, column, lpDIS->itemID, disabled, checked, background, &drawn);
        if (checked && !drawn)
        {
            bool radio = false;
            HMENU hMenu = (HMENU)lpDIS->hwndItem;
            const int count = ::GetMenuItemCount(hMenu);
            for (int i = 0; i < count; ++i)
            {
                MENUITEMINFOW mii = {sizeof(mii)};
                mii.fMask = MIIM_FTYPE | MIIM_DATA;
                if (::GetMenuItemInfoW(hMenu, i, TRUE, &mii) && mii.dwItemData == lpDIS->itemData)
                {
                    radio = (mii.fType & MFT_RADIOCHECK) != 0;
                    break;
                }
            }
            pDC->SelectObject(&glyphFont);
            pDC->SetTextColor(MarkColor(textColor, columnBack));
            RECT mark = column;
            pDC->DrawText(radio ? m_radioGlyph : m_checkGlyph, &mark,
                          DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    ::RestoreDC(pDC->m_hDC, saved);
    pDC->SelectObject(pOldFont);
}

LRESULT CRMenuPainter::MenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    if (nFlags != MF_POPUP || pMenu == nullptr || pMenu->m_hMenu == nullptr)
        return 0;
    const WCHAR c = (WCHAR)(ULONG_PTR)::CharLowerW((LPWSTR)(ULONG_PTR)(WCHAR)nChar);
    HMENU hMenu = pMenu->m_hMenu;
    const int count = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i)
    {
        MENUITEMINFOW mii = {sizeof(mii)};
        mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA;
        if (!::GetMenuItemInfoW(hMenu, i, TRUE, &mii))
            continue;
        if ((mii.fType & MFT_SEPARATOR) != 0 || (mii.fType & MFT_OWNERDRAW) == 0 ||
            (mii.fState & (MFS_DISABLED | MFS_GRAYED)) != 0 || IsSeparatorData(mii.dwItemData))
            continue;
        const CItemData* pItem = GetItem(mii.dwItemData);
        if (pItem != nullptr && GetMnemonic(pItem->text) == c && c != 0)
            return MAKELRESULT(i, MNC_EXECUTE);
    }
    return 0;
}
