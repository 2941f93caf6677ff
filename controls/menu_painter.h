// Draws a window's menus owner-drawn: the images of the matching toolbar buttons, the menu font
// (bold for the default item), check and radio marks, right-aligned accelerators and mnemonics.
// Not a window: its owner feeds it from WM_INITMENUPOPUP, WM_MEASUREITEM, WM_DRAWITEM and
// WM_MENUCHAR.
#pragma once

#include "framework/ui.h"

#include <vector>

class CRMenuPainter
{
public:
    struct CItemData
    {
        UINT32 commandId = 0;
        BOOL defaultItem = FALSE; // the item has MFS_DEFAULT
        CString text;             // as the menu holds it: ampersand, tab and accelerator
    };

    // The item data of a converted separator (it has no record).
    static constexpr ULONG_PTR kSeparatorData = ~(ULONG_PTR)0;

    CRMenuPainter() = default;
    virtual ~CRMenuPainter() = default;

    // Converts every submenu of the menu; its top-level items stay as they are.
    BOOL SetMenu(CMenu* pMenu);
    // Keeps the toolbar (a toolbar control window) as the source of item images, converts the
    // menu (its top level only when skipTopLevel is false) and measures the toolbar's images.
    BOOL LoadToolBarImages(CMenu* pMenu, CWnd* pToolBar, bool skipTopLevel);
    // Converts a popup about to open, except a system menu and the system menu of a maximised
    // child window (the first popup of the menu bar, holding system commands).
    void InitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void MeasureItem(CWnd* pWnd, LPMEASUREITEMSTRUCT lpMIS);
    void DrawItem(LPDRAWITEMSTRUCT lpDIS);
    // MNC_EXECUTE with the position of the first enabled item whose mnemonic is the character.
    LRESULT MenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);

    int GetItemCount() const { return (int)m_items.size(); }
    const CItemData* GetItem(ULONG_PTR index) const
    {
        return index < m_items.size() ? &m_items[index] : nullptr;
    }
    int GetImageWidth() const { return m_imageWidth; }
    int GetImageHeight() const { return m_imageHeight; }

    // The menu font of the system (bold for the default item).
    static bool CreateMenuFont(CFont& font, bool bold);
    // The mnemonic of an item text in lower case: the character after the first '&', else the
    // first character; 0 for an empty text.
    static WCHAR GetMnemonic(const CString& text);

protected:
    CWnd* m_pToolBar = nullptr;
    INT32 m_imageWidth = 0;
    INT32 m_imageHeight = 0;
    std::vector<CItemData> m_items;
    INT32 m_margin = 2;
    CString m_checkGlyph = L"b";
    CString m_radioGlyph = L"h";
    CString m_submenuGlyph = L"4";

    void ConvertMenu(HMENU hMenu, bool skipThisLevel);
    void ConvertItem(HMENU hMenu, int position);
    bool CreateGlyphFont(CFont& font, int height) const;
    int FindButtonImage(UINT id) const;
    void DrawImage(CDC* pDC, const RECT& column, UINT id, bool disabled, bool checked,
                   COLORREF background, bool* pDrawn);
};
