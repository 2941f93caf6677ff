#include "controls/owner_draw_button.h"

#include <vssym32.h>

namespace {

CRButton::CBinding g_binding;

FARPROC LookupByName(HMODULE hModule, LPCSTR name)
{
    return hModule != nullptr ? ::GetProcAddress(hModule, name) : nullptr;
}

void Bind(HMODULE hUxTheme, HMODULE hUser, CRButton::PFNLOOKUP lookup)
{
    CRButton::CBinding b;
    b.bInitialised = true;
    b.hUxTheme = hUxTheme;
    b.hUser = hUser;
    if (hUxTheme != nullptr)
    {
        b.pfnOpenThemeData = (decltype(b.pfnOpenThemeData))(void*)lookup(hUxTheme, "OpenThemeData");
        b.pfnCloseThemeData =
            (decltype(b.pfnCloseThemeData))(void*)lookup(hUxTheme, "CloseThemeData");
        b.pfnDrawThemeBackground =
            (decltype(b.pfnDrawThemeBackground))(void*)lookup(hUxTheme, "DrawThemeBackground");
        b.pfnDrawThemeText = (decltype(b.pfnDrawThemeText))(void*)lookup(hUxTheme, "DrawThemeText");
        b.pfnGetThemeBackgroundContentRect =
            (decltype(b.pfnGetThemeBackgroundContentRect))(void*)lookup(
                hUxTheme, "GetThemeBackgroundContentRect");
    }
    if (hUser != nullptr)
        b.pfnTrackMouseEvent =
            (decltype(b.pfnTrackMouseEvent))(void*)lookup(hUser, "TrackMouseEvent");
    b.bThemes = b.pfnOpenThemeData != nullptr && b.pfnCloseThemeData != nullptr &&
                b.pfnDrawThemeBackground != nullptr && b.pfnDrawThemeText != nullptr &&
                b.pfnGetThemeBackgroundContentRect != nullptr;
    b.bMouseTracking = b.pfnTrackMouseEvent != nullptr;
    g_binding = b;
}

} // namespace

const CRButton::CBinding& CRButton::GetBinding()
{
    return g_binding;
}

void CRButton::Rebind(HMODULE hUxTheme, HMODULE hUser, PFNLOOKUP lookup)
{
    Bind(hUxTheme, hUser, lookup != nullptr ? lookup : LookupByName);
}

// ---------------------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CRButton, CButton)
IMPLEMENT_DYNAMIC(CRColorButton, CRButton)
IMPLEMENT_DYNAMIC(CRImageButton, CRButton)

BEGIN_MESSAGE_MAP(CRButton, CButton)
    ON_WM_THEMECHANGED()
    ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

CRButton::CRButton()
{
    if (!g_binding.bInitialised)
        Bind(::GetModuleHandleW(L"UXTHEME.DLL"), ::GetModuleHandleW(L"USER32.DLL"), LookupByName);
}

CRButton::~CRButton()
{
    CloseTheme();
}

void CRButton::OpenTheme()
{
    if (g_binding.bThemes && m_hWnd != nullptr)
        m_hTheme = g_binding.pfnOpenThemeData(m_hWnd, L"Button");
    m_bThemeOpened = true;
}

void CRButton::CloseTheme()
{
    // The handle came from the binding in force when it was opened; a later rebinding without
    // themes must not leak or misuse it.
    if (m_hTheme != nullptr && g_binding.pfnCloseThemeData != nullptr)
        g_binding.pfnCloseThemeData(m_hTheme);
    m_hTheme = nullptr;
}

LRESULT CRButton::OnThemeChanged()
{
    if (g_binding.bThemes)
    {
        CloseTheme();
        OpenTheme();
    }
    return 0;
}

void CRButton::OnKillFocus(CWnd* pNewWnd)
{
    CButton::OnKillFocus(pNewWnd);
    m_bHot = false;
    Invalidate(FALSE);
}

BOOL CRButton::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->hwnd == m_hWnd)
    {
        switch (pMsg->message)
        {
        case WM_MOUSEMOVE:
            if (!m_bHot)
            {
                m_bHot = true;
                Invalidate(FALSE);
            }
            if (g_binding.bMouseTracking)
            {
                TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hWnd, HOVER_DEFAULT};
                g_binding.pfnTrackMouseEvent(&tme);
            }
            break;
        case WM_MOUSELEAVE:
            if (m_bHot)
            {
                m_bHot = false;
                Invalidate(FALSE);
            }
            break;
        case WM_LBUTTONDBLCLK:
            // A quick second click presses the button again instead of being a double click.
            pMsg->message = WM_LBUTTONDOWN;
            break;
        }
    }
    return CButton::PreTranslateMessage(pMsg);
}

void CRButton::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    if (g_binding.bThemes && !m_bThemeOpened)
        OpenTheme();

    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    CRect rect(lpDIS->rcItem);
    const bool bFocused = (lpDIS->itemState & ODS_FOCUS) != 0 && ::GetFocus() == m_hWnd;
    const bool bPressed = (lpDIS->itemState & ODS_SELECTED) != 0;
    const bool bDisabled = (lpDIS->itemState & ODS_DISABLED) != 0;

    if (g_binding.bThemes && m_hTheme != nullptr)
    {
        int state = bDisabled ? PBS_DISABLED : bPressed ? PBS_PRESSED : PBS_NORMAL;
        if (!bPressed)
        {
            if (m_bHot)
                state = PBS_HOT;
            else if (bFocused)
                state = PBS_DEFAULTED;
        }
        g_binding.pfnDrawThemeBackground(m_hTheme, lpDIS->hDC, BP_PUSHBUTTON, state, &rect,
                                         nullptr);
    }
    else
    {
        ::FillRect(lpDIS->hDC, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
        RECT edge = rect;
        ::DrawEdge(lpDIS->hDC, &edge, bPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
        if (bFocused)
            ::FrameRect(lpDIS->hDC, &rect, (HBRUSH)::GetStockObject(BLACK_BRUSH));
    }

    rect.DeflateRect(::GetSystemMetrics(SM_CXEDGE) + 1, ::GetSystemMetrics(SM_CYEDGE) + 1);
    if (bFocused && (lpDIS->itemState & ODS_NOFOCUSRECT) == 0)
        ::DrawFocusRect(lpDIS->hDC, &rect);
    rect.DeflateRect(1, 1);
    if (bPressed)
        rect.OffsetRect(1, 1);
    DrawContent(pDC, rect, bPressed, bDisabled);
}

void CRButton::DrawContent(CDC* pDC, CRect rect, bool /*bPressed*/, bool bDisabled)
{
    CString text;
    GetWindowText(text);
    if (text.IsEmpty())
        return;
    HDC hDC = pDC->GetSafeHdc();
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_WORDBREAK;
    int oldMode = ::SetBkMode(hDC, TRANSPARENT);
    COLORREF oldBk = ::SetBkColor(hDC, ::GetSysColor(COLOR_BTNFACE));
    COLORREF oldText;
    if (!bDisabled)
    {
        oldText = ::SetTextColor(hDC, ::GetSysColor(COLOR_BTNTEXT));
        ::DrawTextW(hDC, text, text.GetLength(), &rect, format);
    }
    else
    {
        // Embossed: a highlight copy one pixel down and right, the shadow on top.
        CRect shifted = rect;
        shifted.OffsetRect(1, 1);
        oldText = ::SetTextColor(hDC, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextW(hDC, text, text.GetLength(), &shifted, format);
        ::SetTextColor(hDC, ::GetSysColor(COLOR_BTNSHADOW));
        ::DrawTextW(hDC, text, text.GetLength(), &rect, format);
    }
    ::SetTextColor(hDC, oldText);
    ::SetBkColor(hDC, oldBk);
    ::SetBkMode(hDC, oldMode);
}

// ---------------------------------------------------------------------------------------------

void CRColorButton::SetColor(COLORREF color)
{
    m_color = color;
    if (::IsWindow(m_hWnd))
        Invalidate(FALSE);
}

void CRColorButton::DrawContent(CDC* pDC, CRect rect, bool, bool bDisabled)
{
    HDC hDC = pDC->GetSafeHdc();
    rect.DeflateRect(1, 1);
    HBRUSH hBrush = ::CreateSolidBrush(m_color);
    HPEN hPen =
        ::CreatePen(PS_SOLID, 1, ::GetSysColor(bDisabled ? COLOR_BTNSHADOW : COLOR_BTNTEXT));
    HGDIOBJ oldBrush = ::SelectObject(hDC, hBrush);
    HGDIOBJ oldPen = ::SelectObject(hDC, hPen);
    ::Rectangle(hDC, rect.left, rect.top, rect.right, rect.bottom);
    ::SelectObject(hDC, oldPen);
    ::SelectObject(hDC, oldBrush);
    ::DeleteObject(hPen);
    ::DeleteObject(hBrush);
}

// ---------------------------------------------------------------------------------------------

void CRImageButton::SetImage(CImageList* pImageList, int nImage)
{
    m_pImageList = pImageList;
    m_nImage = nImage;
    if (::IsWindow(m_hWnd))
        Invalidate(FALSE);
}

void CRImageButton::DrawContent(CDC* pDC, CRect rect, bool, bool bDisabled)
{
    rect.DeflateRect(1, 1);
    HIMAGELIST hList = m_pImageList != nullptr ? m_pImageList->GetSafeHandle() : nullptr;
    if (hList == nullptr || m_nImage < 0)
        return;
    IMAGEINFO info = {};
    if (!ImageList_GetImageInfo(hList, m_nImage, &info))
        return;
    HICON hIcon = ImageList_GetIcon(hList, m_nImage, ILD_NORMAL);
    if (hIcon == nullptr)
        return;
    const int cx = info.rcImage.right - info.rcImage.left;
    const int cy = info.rcImage.bottom - info.rcImage.top;
    int x = rect.left;
    int y = rect.top;
    if (rect.Width() > cx)
        x += (rect.Width() - cx) / 2;
    if (rect.Height() > cy)
        y += (rect.Height() - cy) / 2;
    ::DrawStateW(pDC->GetSafeHdc(), nullptr, nullptr, (LPARAM)hIcon, 0, x, y, cx, cy,
                 DST_ICON | (bDisabled ? DSS_DISABLED : DSS_NORMAL));
    ::DestroyIcon(hIcon);
}
