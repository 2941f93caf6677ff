#include "controls/html_static.h"

#include "util/reg_key.h"

#include <shellapi.h>
#include <cstdio>

IMPLEMENT_DYNAMIC(CRHtmlStatic, CStatic)

BEGIN_MESSAGE_MAP(CRHtmlStatic, CStatic)
    ON_WM_PAINT()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_CAPTURECHANGED()
    ON_WM_SETTINGCHANGE()
END_MESSAGE_MAP()

LPCWSTR CRHtmlStatic::s_settingsKey = L"Software\\Microsoft\\Internet Explorer\\Settings";

CRHtmlStatic::CRHtmlStatic()
{
    m_hHandCursor = ::LoadCursorW(nullptr, IDC_HAND);
    LoadLinkColors();
}

CRHtmlStatic::~CRHtmlStatic() = default;

void CRHtmlStatic::SetLink(LPCWSTR target)
{
    m_strLink = target != nullptr ? target : L"";
}

void CRHtmlStatic::SetLinkRange(int first, int end)
{
    m_nLinkFirst = first;
    m_nLinkEnd = end;
}

void CRHtmlStatic::GetEffectiveRange(int first, int end, int length, int& effFirst, int& effEnd)
{
    // A first character outside the text makes the whole text the link; an end outside it, or
    // before the first character, runs the link to the end of the text.
    effFirst = (first >= 0 && first < length) ? first : 0;
    effEnd = (end >= 0 && end < length) ? end : length;
    if (effEnd < effFirst)
        effEnd = length;
}

bool CRHtmlStatic::ParseColor(LPCWSTR text, COLORREF& color)
{
    int r = 0, g = 0, b = 0;
    if (text == nullptr || swscanf(text, L"%d,%d,%d", &r, &g, &b) != 3)
        return false;
    color = RGB(r, g, b);
    return true;
}

void CRHtmlStatic::LoadLinkColors()
{
    CRRegKey key(HKEY_CURRENT_USER, s_settingsKey, KEY_READ);
    if (!key.IsOpen())
        return;
    CString value;
    COLORREF color;
    if (key.QueryStringValue(L"Anchor Color", value) && ParseColor(value, color))
        m_crLink = color;
    if (key.QueryStringValue(L"Use Anchor Hover Color", value))
    {
        if (value.CompareNoCase(L"yes") == 0)
        {
            CString hover;
            if (key.QueryStringValue(L"Anchor Color Hover", hover) && ParseColor(hover, color))
            {
                m_crHover = color;
                m_bUseHoverColor = true;
            }
        }
        else
        {
            m_bUseHoverColor = false;
        }
    }
}

void CRHtmlStatic::MakeFonts(CFont& normal, CFont& link)
{
    LOGFONTW lf = {};
    HFONT hFont = (HFONT)SendMessage(WM_GETFONT);
    if (hFont == nullptr || ::GetObjectW(hFont, sizeof(lf), &lf) == 0)
    {
        lf = LOGFONTW{};
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
    }
    lf.lfUnderline = FALSE;
    normal.CreateFontIndirect(&lf);
    lf.lfUnderline = m_bHover ? TRUE : FALSE;
    link.CreateFontIndirect(&lf);
}

bool CRHtmlStatic::GetLinkRect(CRect& textRect, CRect* pLinkRect)
{
    HDC hDC = ::GetDC(m_hWnd);
    if (hDC == nullptr)
        return false;
    CFont normal, link;
    MakeFonts(normal, link);
    HGDIOBJ oldFont = ::SelectObject(hDC, (HFONT)normal);

    CString text;
    GetWindowText(text);
    const int length = text.GetLength();
    SIZE whole = {};
    ::GetTextExtentPoint32W(hDC, text, length, &whole);

    CRect client;
    GetClientRect(&client);
    textRect = client;
    if (whole.cy < client.Height())
    {
        textRect.top = client.top + (client.Height() - whole.cy) / 2;
        textRect.bottom = textRect.top + whole.cy;
    }
    const DWORD style = GetStyle() & SS_TYPEMASK;
    if (style == SS_CENTER)
        textRect.left = client.left + (client.Width() - whole.cx) / 2;
    else if (style == SS_RIGHT)
        textRect.left = client.right - whole.cx;
    textRect.right = textRect.left + whole.cx;

    if (pLinkRect != nullptr)
    {
        int first, end;
        GetEffectiveRange(m_nLinkFirst, m_nLinkEnd, length, first, end);
        SIZE before = {}, stretch = {};
        ::GetTextExtentPoint32W(hDC, text, first, &before);
        ::GetTextExtentPoint32W(hDC, (LPCWSTR)text + first, end - first, &stretch);
        *pLinkRect = textRect;
        pLinkRect->left = textRect.left + before.cx;
        pLinkRect->right = pLinkRect->left + stretch.cx;
    }
    ::SelectObject(hDC, oldFont);
    ::ReleaseDC(m_hWnd, hDC);
    return true;
}

BOOL CRHtmlStatic::SetToolTip(LPCWSTR text)
{
    m_bToolTipActive = true;
    CRect textRect, linkRect;
    if (!GetLinkRect(textRect, &linkRect))
        return FALSE;
    if (m_toolTip.GetSafeHwnd() == nullptr && !m_toolTip.Create(this))
        return FALSE;
    return m_toolTip.AddTool(this, text != nullptr ? text : (LPCWSTR)m_strLink, &linkRect, 1);
}

BOOL CRHtmlStatic::PreTranslateMessage(MSG* pMsg)
{
    if (m_bToolTipActive && m_toolTip.GetSafeHwnd() != nullptr &&
        (pMsg->message == WM_LBUTTONDOWN || pMsg->message == WM_LBUTTONUP ||
         pMsg->message == WM_MOUSEMOVE))
        m_toolTip.RelayEvent(pMsg);
    return CStatic::PreTranslateMessage(pMsg);
}

void CRHtmlStatic::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    CRect textRect, linkRect;
    if (GetLinkRect(textRect, &linkRect))
    {
        CString text;
        GetWindowText(text);
        int first, end;
        GetEffectiveRange(m_nLinkFirst, m_nLinkEnd, text.GetLength(), first, end);
        CFont normal, link;
        MakeFonts(normal, link);

        ::SetBkMode(hDC, OPAQUE);
        ::SetBkColor(hDC, ::GetSysColor(COLOR_BTNFACE));
        HGDIOBJ oldFont = ::SelectObject(hDC, (HFONT)normal);
        ::SetTextColor(hDC, ::GetSysColor(COLOR_BTNTEXT));
        ::ExtTextOutW(hDC, textRect.left, textRect.top, ETO_CLIPPED, &ps.rcPaint, text, first,
                      nullptr);

        ::SelectObject(hDC, (HFONT)link);
        ::SetTextColor(hDC, (m_bHover && m_bUseHoverColor) ? m_crHover : m_crLink);
        ::ExtTextOutW(hDC, linkRect.left, linkRect.top, ETO_CLIPPED, &ps.rcPaint,
                      (LPCWSTR)text + first, end - first, nullptr);

        ::SelectObject(hDC, (HFONT)normal);
        ::SetTextColor(hDC, ::GetSysColor(COLOR_BTNTEXT));
        ::ExtTextOutW(hDC, linkRect.right, linkRect.top, ETO_CLIPPED, &ps.rcPaint,
                      (LPCWSTR)text + end, text.GetLength() - end, nullptr);
        ::SelectObject(hDC, oldFont);
    }
    ::EndPaint(m_hWnd, &ps);
}

bool CRHtmlStatic::IsCursorOnLink()
{
    CRect textRect, linkRect;
    if (!GetLinkRect(textRect, &linkRect))
        return false;
    ClientToScreen(&linkRect);
    POINT pt;
    return ::GetCursorPos(&pt) && linkRect.PtInRect(pt);
}

void CRHtmlStatic::OnMouseMove(UINT nFlags, CPoint point)
{
    const bool bOnLink = IsCursorOnLink();
    if (bOnLink != (m_bHover != FALSE))
    {
        if (bOnLink)
        {
            HCURSOR hOld = ::SetCursor(m_hHandCursor);
            if (m_hSavedCursor == nullptr)
                m_hSavedCursor = hOld;
        }
        else if (m_hSavedCursor != nullptr)
        {
            ::SetCursor(m_hSavedCursor);
            m_hSavedCursor = nullptr;
        }
        m_bHover = bOnLink;
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    // Hold the capture while hovering, to learn when the mouse leaves.
    if (m_bHover)
    {
        if (::GetCapture() != m_hWnd)
            ::SetCapture(m_hWnd);
    }
    else if (::GetCapture() == m_hWnd)
    {
        ::ReleaseCapture();
    }
    CStatic::OnMouseMove(nFlags, point);
}

void CRHtmlStatic::OnCaptureChanged(CWnd* pWnd)
{
    m_bHover = (pWnd != nullptr && pWnd->GetSafeHwnd() == m_hWnd) ? IsCursorOnLink() : FALSE;
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    CStatic::OnCaptureChanged(pWnd);
}

void CRHtmlStatic::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (!m_strLink.IsEmpty() && IsCursorOnLink())
        OpenLink();
    CStatic::OnLButtonDown(nFlags, point);
}

void CRHtmlStatic::OpenLink()
{
    ::ShellExecuteW(nullptr, nullptr, m_strLink, nullptr, nullptr, SW_SHOW);
}

void CRHtmlStatic::OnSettingChange(UINT uFlags, LPCTSTR lpszSection)
{
    CStatic::OnSettingChange(uFlags, lpszSection);
    LoadLinkColors();
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
