// Owner-drawn push buttons: CRButton draws the face (themed when visual styles are active,
// classic otherwise) and tracks the mouse for the hot look; derived buttons draw the contents:
// a colour swatch (CRColorButton) or an icon of an image list (CRImageButton).
// The buttons must have the BS_OWNERDRAW style.
#pragma once

#include "framework/ui.h"

#include <uxtheme.h>

class CRButton : public CButton
{
    DECLARE_DYNAMIC(CRButton)

public:
    CRButton();
    ~CRButton() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    // Draws the face contents into `rect`; the base draws the window text.
    virtual void DrawContent(CDC* pDC, CRect rect, bool bPressed, bool bDisabled);

    bool IsHot() const { return m_bHot; }
    bool IsThemed() const { return m_hTheme != nullptr; }

    // The process-wide binding to the theme and mouse-tracking functions, made once by the first
    // button. Rebind looks the functions up again through `lookup` in the given modules (null:
    // missing), so the classic path can be exercised on a system that has visual styles.
    struct CBinding
    {
        bool bInitialised = false;
        bool bThemes = false;
        bool bMouseTracking = false;
        HMODULE hUxTheme = nullptr;
        HMODULE hUser = nullptr;
        HTHEME(WINAPI* pfnOpenThemeData)(HWND, LPCWSTR) = nullptr;
        HRESULT(WINAPI* pfnCloseThemeData)(HTHEME) = nullptr;
        HRESULT(WINAPI* pfnDrawThemeBackground)
        (HTHEME, HDC, int, int, const RECT*, const RECT*) = nullptr;
        HRESULT(WINAPI* pfnDrawThemeText)
        (HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*) = nullptr;
        HRESULT(WINAPI* pfnGetThemeBackgroundContentRect)
        (HTHEME, HDC, int, int, const RECT*, RECT*) = nullptr;
        BOOL(WINAPI* pfnTrackMouseEvent)(LPTRACKMOUSEEVENT) = nullptr;
    };
    typedef FARPROC (*PFNLOOKUP)(HMODULE, LPCSTR);
    static const CBinding& GetBinding();
    static void Rebind(HMODULE hUxTheme, HMODULE hUser, PFNLOOKUP lookup);

protected:
    HTHEME m_hTheme = nullptr;
    bool m_bThemeOpened = false;
    bool m_bHot = false;

    void OpenTheme();
    void CloseTheme();

    afx_msg LRESULT OnThemeChanged();
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    DECLARE_MESSAGE_MAP()
};

// A button that shows a colour swatch (colour choices of the options dialogs).
class CRColorButton : public CRButton
{
    DECLARE_DYNAMIC(CRColorButton)

public:
    explicit CRColorButton(COLORREF color = RGB(0, 0, 0)) : m_color(color) {}

    COLORREF GetColor() const { return m_color; }
    // Sets the swatch colour and redraws the button.
    void SetColor(COLORREF color);

    void DrawContent(CDC* pDC, CRect rect, bool bPressed, bool bDisabled) override;

    COLORREF m_color;
};

// A button that shows one icon of an image list (the list is not owned).
class CRImageButton : public CRButton
{
    DECLARE_DYNAMIC(CRImageButton)

public:
    CRImageButton(CImageList* pImageList = nullptr, int nImage = -1)
        : m_pImageList(pImageList), m_nImage(nImage)
    {}

    void SetImage(CImageList* pImageList, int nImage);
    void DrawContent(CDC* pDC, CRect rect, bool bPressed, bool bDisabled) override;

    CImageList* m_pImageList;
    int m_nImage;
};
