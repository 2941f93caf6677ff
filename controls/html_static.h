// A static text in which one stretch acts as a web link: drawn in the browser's link colours,
// underlined with a hand cursor while the mouse is over it, with a tooltip, and opened with the
// shell on a click.
#pragma once

#include "framework/ui.h"

class CRHtmlStatic : public CStatic
{
    DECLARE_DYNAMIC(CRHtmlStatic)

public:
    CRHtmlStatic();
    ~CRHtmlStatic() override;

    void SetLink(LPCWSTR target);
    // The link is the characters [first, end) of the window text; end -1 means to the end.
    void SetLinkRange(int first, int end);
    // Adds a tooltip over the link with `text` (null: the link target); the result of adding it.
    BOOL SetToolTip(LPCWSTR text);
    // Reads the link colours from the browser settings of the current user.
    void LoadLinkColors();
    // The rectangle of the whole text and of the link stretch, in client coordinates.
    bool GetLinkRect(CRect& textRect, CRect* pLinkRect = nullptr);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The stretch [first, end) actually used for a text of `length` characters.
    static void GetEffectiveRange(int first, int end, int length, int& effFirst, int& effEnd);
    // Parses "r,g,b"; false unless exactly three numbers were read.
    static bool ParseColor(LPCWSTR text, COLORREF& color);

    BOOL m_bHover = FALSE;
    CString m_strLink;
    int m_nLinkFirst = 0;
    int m_nLinkEnd = -1;
    COLORREF m_crLink = RGB(0, 0, 255);
    bool m_bUseHoverColor = false;
    COLORREF m_crHover = RGB(255, 0, 0);
    CToolTipCtrl m_toolTip;
    bool m_bToolTipActive = false;
    HCURSOR m_hSavedCursor = nullptr;
    HCURSOR m_hHandCursor = nullptr;
    // Where the colours are read (the browser's settings key under the current user).
    static LPCWSTR s_settingsKey;

protected:
    // Opens the link target with the shell.
    virtual void OpenLink();
    bool IsCursorOnLink();
    void MakeFonts(CFont& normal, CFont& link);

    afx_msg void OnPaint();
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnCaptureChanged(CWnd* pWnd);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    DECLARE_MESSAGE_MAP()
};
