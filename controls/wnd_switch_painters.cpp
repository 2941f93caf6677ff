// The three looks of the window switcher: tab painters and strip buttons.
#include "controls/wnd_switch.h"

#include "controls/sizing_vs2015_bar.h"
#include "util/utility.h"

#include <algorithm>

namespace {

bool IsEmptyRect(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

void FillRect(CDC* pDC, int left, int top, int right, int bottom, COLORREF color)
{
    if (right > left && bottom > top)
        pDC->FillSolidRect(left, top, right - left, bottom - top, color);
}

void HLine(CDC* pDC, int x1, int x2, int y, COLORREF color)
{
    FillRect(pDC, x1, y, x2, y + 1, color);
}
void VLine(CDC* pDC, int x, int y1, int y2, COLORREF color)
{
    FillRect(pDC, x, y1, x + 1, y2, color);
}

bool HasIcon(const CRWndSwitch::CWndInfo& info)
{
    return info.imageList != nullptr && info.imageList->m_hImageList != nullptr &&
           info.imageIndex >= 0;
}

// The close glyph is the docking bar caption's close mark.
void DrawCloseGlyph(CDC* pDC, const RECT& rect, COLORREF color, int thickness)
{
    CSizingVS2015Bar::DrawX(pDC, CRect(rect), color, thickness);
}

} // namespace

COLORREF CRWndSwitch::AdjustColor(COLORREF color, int percent)
{
    auto adjust = [percent](int c) { return std::min(255, c * (100 + percent) / 100); };
    return RGB(adjust(GetRValue(color)), adjust(GetGValue(color)), adjust(GetBValue(color)));
}

void CRWndSwitch::DrawArrow(CDC* pDC, const RECT& rect, int direction, COLORREF color)
{
    CPen pen;
    pen.CreatePen(PS_SOLID, 1, color);
    CBrush brush;
    brush.CreateSolidBrush(color);
    CPen* pOldPen = pDC->SelectObject(&pen);
    CBrush* pOldBrush = pDC->SelectObject(&brush);
    POINT points[3];
    if (direction == 2)
    {
        const int w = rect.right - rect.left;
        const int base = rect.top + w / 4 + 1;
        points[0] = {rect.left, base};
        points[1] = {rect.right - 1, base};
        points[2] = {rect.left + w / 2, base + w / 2};
        HLine(pDC, rect.left, rect.right, base - 2, color);
    }
    else
    {
        const int h = rect.bottom - rect.top;
        const int x0 = rect.left + h / 4;
        const int mid = rect.top + h / 2;
        if (direction == 0)
        {
            points[0] = {x0 + h / 2, rect.top};
            points[1] = {x0 + h / 2, rect.bottom - 1};
            points[2] = {x0, mid};
        }
        else
        {
            points[0] = {x0, rect.top};
            points[1] = {x0, rect.bottom - 1};
            points[2] = {x0 + h / 2, mid};
        }
    }
    pDC->Polygon(points, 3);
    pDC->SelectObject(pOldBrush);
    pDC->SelectObject(pOldPen);
}

// --- Shared painter parts ----------------------------------------------------------------

COLORREF CRWndSwitch::CTabPainter::GetAccentColor()
{
    return m_accentColor == (COLORREF)-1 ? ::GetSysColor(COLOR_WINDOW) : m_accentColor;
}

int CRWndSwitch::CTabPainter::MeasureM(CDC* pDC)
{
    return pDC->GetTextExtent(L"M", 1).cx;
}

void CRWndSwitch::CTabPainter::DrawTitleAndIcon(CDC* pDC, const CWndInfo& info, RECT text,
                                                COLORREF color)
{
    if (HasIcon(info))
        ImageList_Draw(info.imageList->m_hImageList, info.imageIndex, pDC->m_hDC, info.iconPos.x,
                       info.iconPos.y, ILD_TRANSPARENT);
    if (text.right <= text.left)
        return;
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(color);
    pDC->DrawText(info.title, &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_WORD_ELLIPSIS);
}

namespace {

// Width of the title (and icon) as measured, capped when a maximum is set.
int CappedWidth(int width, int maxTitleWidth)
{
    return maxTitleWidth >= 1 ? std::min(width, maxTitleWidth) : width;
}

// Fills the bands between the client area (less the strip) and the hosted-window area; with a
// line colour, the pixel row or column along the hosted window is drawn in it.
void FillMargins(CDC* pDC, CRWndSwitch::CTabPainter* pPainter, const RECT& area, COLORREF back,
                 bool line, COLORREF lineColor)
{
    if (IsEmptyRect(area))
        return;
    RECT m = {};
    pPainter->GetClientMargins(&m);
    const RECT outer = {area.left - m.left, area.top - m.top, area.right + m.right,
                        area.bottom + m.bottom};
    if (m.left > 0)
    {
        FillRect(pDC, outer.left, outer.top, area.left, outer.bottom, back);
        if (line)
            VLine(pDC, area.left - 1, area.top - (m.top > 0 ? 1 : 0),
                  area.bottom + (m.bottom > 0 ? 1 : 0), lineColor);
    }
    if (m.right > 0)
    {
        FillRect(pDC, area.right, outer.top, outer.right, outer.bottom, back);
        if (line)
            VLine(pDC, area.right, area.top - (m.top > 0 ? 1 : 0),
                  area.bottom + (m.bottom > 0 ? 1 : 0), lineColor);
    }
    if (m.top > 0)
    {
        FillRect(pDC, area.left, outer.top, area.right, area.top, back);
        if (line)
            HLine(pDC, area.left, area.right, area.top - 1, lineColor);
    }
    if (m.bottom > 0)
    {
        FillRect(pDC, area.left, area.bottom, area.right, outer.bottom, back);
        if (line)
            HLine(pDC, area.left, area.right, area.bottom, lineColor);
    }
}

} // namespace

// --- Style 0: raised three-dimensional tabs ------------------------------------------------

int CRWndSwitch::CVS2003TabPainter::GetTopMargin()
{
    return ::GetSystemMetrics(SM_CYEDGE);
}
int CRWndSwitch::CVS2003TabPainter::GetBottomMargin()
{
    return ::GetSystemMetrics(SM_CYEDGE);
}

int CRWndSwitch::CVS2003TabPainter::GetClientMargins(RECT* pMargins)
{
    ::SetRectEmpty(pMargins);
    return 0;
}

COLORREF CRWndSwitch::CVS2003TabPainter::GetBackColor()
{
    return AdjustColor(::GetSysColor(COLOR_3DFACE), 5);
}

void CRWndSwitch::CVS2003TabPainter::DrawBackground(CDC* pDC, const RECT& strip)
{
    const COLORREF back = GetBackColor();
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    if (m_tabPosition == kTabsTop)
    {
        const int band = strip.bottom - GetBottomMargin();
        FillRect(pDC, strip.left, strip.top, strip.right, band, back);
        FillRect(pDC, strip.left, band, strip.right, strip.bottom, face);
        HLine(pDC, strip.left, strip.right, band - 1, light);
    }
    else
    {
        const int band = strip.top + GetTopMargin();
        FillRect(pDC, strip.left, strip.top, strip.right, band, face);
        FillRect(pDC, strip.left, band, strip.right, strip.bottom, back);
        HLine(pDC, strip.left, strip.right, band, light);
    }
}

void CRWndSwitch::CVS2003TabPainter::DrawTabBackground(CDC* pDC, const RECT& tab, bool active, bool)
{
    if (active)
    {
        RECT r = tab;
        const UINT sides = m_tabPosition == kTabsTop ? (BF_LEFT | BF_TOP | BF_RIGHT)
                                                     : (BF_LEFT | BF_RIGHT | BF_BOTTOM);
        pDC->DrawEdge(&r, EDGE_RAISED, sides | BF_MIDDLE);
    }
    else
    {
        FillRect(pDC, tab.left, tab.top, tab.right, tab.bottom, GetBackColor());
    }
}

void CRWndSwitch::CVS2003TabPainter::MeasureTab(CDC* pDC, int x, bool active, const CWndInfo& info,
                                                CFont* pFont, CFont* pBoldFont, int maxTitleWidth,
                                                RECT& tab, RECT& close, CImageList*, int,
                                                POINT& iconPos)
{
    CFont* pOld = pDC->SelectObject(active && pBoldFont != nullptr ? pBoldFont : pFont);
    const int m = MeasureM(pDC);
    const int iconPart = HasIcon(info) ? m / 2 + ::GetSystemMetrics(SM_CXSMICON) : 0;
    const int title = pDC->GetTextExtent(info.title).cx;
    pDC->SelectObject(pOld);
    tab.left = x;
    iconPos = {x + m / 2, tab.top + (tab.bottom - tab.top - ::GetSystemMetrics(SM_CYSMICON)) / 2};
    tab.right = x + m + CappedWidth(iconPart + title, maxTitleWidth) +
                (active ? 2 * ::GetSystemMetrics(SM_CXEDGE) : 1);
    ::SetRectEmpty(&close);
}

void CRWndSwitch::CVS2003TabPainter::DrawTab(CDC* pDC, const CWndInfo& info, bool active, bool,
                                             POINT, CFont* pFont, CFont* pBoldFont, bool separator)
{
    const RECT& tab = info.tabRect;
    RECT text = tab;
    COLORREF color;
    CFont* pOld = pDC->SelectObject(active && pBoldFont != nullptr ? pBoldFont : pFont);
    DrawTabBackground(pDC, tab, active, false);
    if (active)
    {
        if (m_tabPosition == kTabsTop)
            text.top += ::GetSystemMetrics(SM_CYEDGE);
        else
            text.bottom -= ::GetSystemMetrics(SM_CYEDGE);
        ::InflateRect(&text, -::GetSystemMetrics(SM_CXEDGE), 0);
        color = ::GetSysColor(COLOR_BTNTEXT);
    }
    else
    {
        text.right -= m_lineWidth;
        color = ::GetSysColor(COLOR_3DDKSHADOW);
        if (separator)
            VLine(pDC, tab.right - 1, tab.top + ::GetSystemMetrics(SM_CYEDGE) + 2, tab.bottom - 3,
                  color);
    }
    const int m = MeasureM(pDC);
    if (HasIcon(info))
        text.left += m / 2 + ::GetSystemMetrics(SM_CXSMICON);
    text.left += m / 2;
    text.right = std::max<LONG>(text.left, text.right - m / 2);
    DrawTitleAndIcon(pDC, info, text, color);
    pDC->SelectObject(pOld);
}

void CRWndSwitch::CVS2003TabPainter::DrawFrame(CDC*, const RECT&, const RECT&) {}

// --- Style 1: light blue gradient tabs -----------------------------------------------------

namespace {
const COLORREF kIE11Line = RGB(115, 131, 147);
const COLORREF kIE11Tab = RGB(153, 193, 241);
const COLORREF kIE11Glyph = RGB(29, 109, 202);
} // namespace

int CRWndSwitch::CIE11TabPainter::GetTopMargin()
{
    return m_tabPosition == kTabsTop ? ::GetSystemMetrics(SM_CYEDGE) : 0;
}

int CRWndSwitch::CIE11TabPainter::GetBottomMargin()
{
    return m_tabPosition == kTabsBottom ? ::GetSystemMetrics(SM_CYEDGE) : 0;
}

int CRWndSwitch::CIE11TabPainter::GetClientMargins(RECT* pMargins)
{
    ::SetRectEmpty(pMargins);
    if (m_tabPosition == kTabsBottom)
        pMargins->left = pMargins->top = pMargins->right = 2 * m_lineWidth;
    return pMargins->left;
}

COLORREF CRWndSwitch::CIE11TabPainter::GetBackColor()
{
    return RGB(185, 209, 234);
}

void CRWndSwitch::CIE11TabPainter::DrawBackground(CDC* pDC, const RECT& strip)
{
    FillRect(pDC, strip.left, strip.top, strip.right, strip.bottom, GetBackColor());
}

void CRWndSwitch::CIE11TabPainter::DrawTabBackground(CDC* pDC, const RECT& tab, bool active,
                                                     bool hot)
{
    if (!active && !hot)
    {
        FillRect(pDC, tab.left, tab.top, tab.right, tab.bottom, kIE11Tab);
        return;
    }
    const COLORREF outer = kIE11Tab;
    const COLORREF inner = RGB(255, 255, 255);
    const COLORREF top = m_tabPosition == kTabsTop ? outer : inner;
    const COLORREF bottom = m_tabPosition == kTabsTop ? inner : outer;
    TRIVERTEX vertices[2] = {};
    vertices[0] = {tab.left,
                   tab.top,
                   (COLOR16)(GetRValue(top) << 8),
                   (COLOR16)(GetGValue(top) << 8),
                   (COLOR16)(GetBValue(top) << 8),
                   0};
    vertices[1] = {tab.right,
                   tab.bottom,
                   (COLOR16)(GetRValue(bottom) << 8),
                   (COLOR16)(GetGValue(bottom) << 8),
                   (COLOR16)(GetBValue(bottom) << 8),
                   0};
    GRADIENT_RECT gradient = {0, 1};
    // GradientFill forwards to this gdi32 entry; taking it directly needs no further library.
    if (!::GdiGradientFill(pDC->m_hDC, vertices, 2, &gradient, 1, GRADIENT_FILL_RECT_V))
        FillRect(pDC, tab.left, tab.top, tab.right, tab.bottom, inner);
}

void CRWndSwitch::CIE11TabPainter::MeasureTab(CDC* pDC, int x, bool, const CWndInfo& info,
                                              CFont* pFont, CFont*, int maxTitleWidth, RECT& tab,
                                              RECT& close, CImageList*, int, POINT& iconPos)
{
    CFont* pOld = pDC->SelectObject(pFont);
    const int m = MeasureM(pDC);
    const int m2 = m & ~1;
    const int iconPart = HasIcon(info) ? m / 2 + ::GetSystemMetrics(SM_CXSMICON) : 0;
    const int title = pDC->GetTextExtent(info.title).cx;
    pDC->SelectObject(pOld);
    const int height = tab.bottom - tab.top;
    tab.left = x;
    iconPos = {x + m / 2, tab.top + (height - ::GetSystemMetrics(SM_CYSMICON)) / 2};
    int w = CappedWidth(iconPart + title, maxTitleWidth) + m;
    ::SetRectEmpty(&close);
    if (m_closeGlyphPerTab)
    {
        close.left = x + w;
        close.top = tab.top + (height - m2) / 2;
        close.right = close.left + m2 + 1;
        close.bottom = close.top + m2 + 1;
        w += m / 2 + m2;
    }
    tab.right = x + w + m_lineWidth;
}

void CRWndSwitch::CIE11TabPainter::DrawTab(CDC* pDC, const CWndInfo& info, bool active, bool hot,
                                           POINT, CFont* pFont, CFont*, bool)
{
    const RECT& tab = info.tabRect;
    CFont* pOld = pDC->SelectObject(pFont);
    DrawTabBackground(pDC, tab, active, hot);
    VLine(pDC, tab.left, tab.top, tab.bottom, kIE11Line);
    if (m_tabPosition == kTabsTop)
        HLine(pDC, tab.left, tab.right, tab.top, kIE11Line);
    else
        HLine(pDC, tab.left, tab.right, tab.bottom - 1, kIE11Line);
    const int m = MeasureM(pDC);
    RECT text = tab;
    text.left += m / 2 + (HasIcon(info) ? m / 2 + ::GetSystemMetrics(SM_CXSMICON) : 0);
    text.right = IsEmptyRect(info.closeRect) ? tab.right - m / 2 : info.closeRect.left;
    DrawTitleAndIcon(pDC, info, text, RGB(0, 0, 0));
    if (!IsEmptyRect(info.closeRect))
        DrawCloseGlyph(pDC, info.closeRect, kIE11Line, 1);
    pDC->SelectObject(pOld);
}

void CRWndSwitch::CIE11TabPainter::DrawFrame(CDC* pDC, const RECT&, const RECT& area)
{
    FillMargins(pDC, this, area, GetBackColor(), false, 0);
}

// --- Style 2: flat tabs in the highlight colour ------------------------------------------

int CRWndSwitch::CVS2015TabPainter::GetTopMargin()
{
    return m_tabPosition == kTabsTop ? ::GetSystemMetrics(SM_CYEDGE) : 1;
}

int CRWndSwitch::CVS2015TabPainter::GetBottomMargin()
{
    return ::GetSystemMetrics(SM_CYEDGE);
}

int CRWndSwitch::CVS2015TabPainter::GetClientMargins(RECT* pMargins)
{
    ::SetRectEmpty(pMargins);
    if (m_tabPosition == kTabsBottom)
        pMargins->left = pMargins->top = pMargins->right = 2;
    return pMargins->left;
}

COLORREF CRWndSwitch::CVS2015TabPainter::GetBackColor()
{
    return ::GetSysColor(COLOR_3DFACE);
}

void CRWndSwitch::CVS2015TabPainter::DrawBackground(CDC* pDC, const RECT& strip)
{
    FillRect(pDC, strip.left, strip.top, strip.right, strip.bottom, GetBackColor());
    if (m_tabPosition == kTabsTop)
    {
        FillRect(pDC, strip.left, strip.bottom - GetBottomMargin(), strip.right, strip.bottom,
                 ::GetSysColor(COLOR_HIGHLIGHT));
    }
    else
    {
        RECT m = {};
        GetClientMargins(&m);
        FillRect(pDC, strip.left + std::max<LONG>(m.left - 1, 0), strip.top,
                 strip.right - std::max<LONG>(m.right - 1, 0), strip.top + GetTopMargin(),
                 ::GetSysColor(COLOR_BTNSHADOW));
    }
}

void CRWndSwitch::CVS2015TabPainter::DrawTabBackground(CDC* pDC, const RECT& tab, bool active,
                                                       bool hot)
{
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    COLORREF color = GetBackColor();
    if (m_tabPosition == kTabsTop)
    {
        if (active)
            color = highlight;
        else if (hot)
            color = AdjustColor(highlight, 25);
    }
    else
    {
        if (active)
            color = GetAccentColor();
        else if (hot)
            color = BlendColors(highlight, GetAccentColor(), 64);
    }
    FillRect(pDC, tab.left, tab.top, tab.right, tab.bottom, color);
}

void CRWndSwitch::CVS2015TabPainter::MeasureTab(CDC* pDC, int x, bool, const CWndInfo& info,
                                                CFont* pFont, CFont*, int maxTitleWidth, RECT& tab,
                                                RECT& close, CImageList*, int, POINT& iconPos)
{
    CFont* pOld = pDC->SelectObject(pFont);
    const int m = MeasureM(pDC);
    const int m2 = m & ~1;
    const int iconPart = HasIcon(info) ? m / 2 + ::GetSystemMetrics(SM_CXSMICON) : 0;
    const int title = pDC->GetTextExtent(info.title).cx;
    pDC->SelectObject(pOld);
    const int u = m_tabPosition == kTabsBottom ? 1 : 0;
    const int height = tab.bottom - tab.top;
    tab.left = x;
    iconPos = {x + u + m / 2, tab.top + (height - ::GetSystemMetrics(SM_CYSMICON)) / 2};
    int w = CappedWidth(u + iconPart + title, maxTitleWidth) + m;
    ::SetRectEmpty(&close);
    if (m_closeGlyphPerTab)
    {
        close.left = x + w;
        close.top = tab.top + (height - m2) / 2;
        close.right = close.left + m2 + 1;
        close.bottom = close.top + m2 + 1;
        w += m / 2 + m2;
    }
    tab.right = x + u + w;
}

void CRWndSwitch::CVS2015TabPainter::DrawTab(CDC* pDC, const CWndInfo& info, bool active, bool hot,
                                             POINT hotPoint, CFont* pFont, CFont*, bool)
{
    const RECT& tab = info.tabRect;
    const bool bottom = m_tabPosition == kTabsBottom;
    CFont* pOld = pDC->SelectObject(pFont);
    DrawTabBackground(pDC, tab, active, hot);
    COLORREF color = ::GetSysColor(COLOR_BTNTEXT);
    if (!bottom && (active || hot))
        color = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    else if (bottom && active)
        color = ::GetSysColor(COLOR_HIGHLIGHT);
    const int m = MeasureM(pDC);
    const int u = bottom ? 1 : 0;
    RECT text = tab;
    text.left += u + m / 2 + (HasIcon(info) ? m / 2 + ::GetSystemMetrics(SM_CXSMICON) : 0);
    text.right = IsEmptyRect(info.closeRect) ? tab.right - m / 2 : info.closeRect.left;
    DrawTitleAndIcon(pDC, info, text, color);
    if (m_closeGlyphPerTab && (active || hot) && !IsEmptyRect(info.closeRect))
    {
        COLORREF glyph = bottom ? ::GetSysColor(COLOR_BTNTEXT) : color;
        if (hot && ::PtInRect(&info.closeRect, hotPoint))
            glyph = RGB(255, 0, 0);
        DrawCloseGlyph(pDC, info.closeRect, glyph, 2);
    }
    if (bottom && active)
    {
        const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
        VLine(pDC, tab.left, tab.top, tab.bottom, shadow);
        VLine(pDC, tab.right - 1, tab.top, tab.bottom, shadow);
        HLine(pDC, tab.left, tab.right, tab.bottom - 1, shadow);
        HLine(pDC, tab.left + 1, tab.right - 1, tab.top, GetAccentColor());
    }
    pDC->SelectObject(pOld);
}

void CRWndSwitch::CVS2015TabPainter::DrawFrame(CDC* pDC, const RECT&, const RECT& area)
{
    FillMargins(pDC, this, area, GetBackColor(), true, ::GetSysColor(COLOR_BTNSHADOW));
}

// --- Buttons -----------------------------------------------------------------------------

int CRWndSwitch::CVS2003Button::GetWidth()
{
    return ::GetSystemMetrics(SM_CYMENU) - 2 * ::GetSystemMetrics(SM_CYEDGE) - 1;
}

void CRWndSwitch::CVS2003Button::Draw(CDC* pDC, POINT stripOrigin, bool, POINT)
{
    if (m_state == kButtonHidden)
        return;
    RECT r = GetRect();
    ::OffsetRect(&r, -stripOrigin.x, -stripOrigin.y);
    const bool pressed = m_state == kButtonPressed;
    pDC->DrawEdge(&r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
    const int cxEdge = ::GetSystemMetrics(SM_CXEDGE);
    const int cyEdge = ::GetSystemMetrics(SM_CYEDGE);
    CFont font;
    font.CreateFont(GetHeight() - (2 * cyEdge + 2), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                    SYMBOL_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH, L"Marlett");
    CFont* pOld = pDC->SelectObject(&font);
    ::InflateRect(&r, -cxEdge, -cyEdge);
    if (pressed)
        ::OffsetRect(&r, 2, 2);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(::GetSysColor(COLOR_BTNTEXT));
    pDC->DrawText(m_glyph, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    pDC->SelectObject(pOld);
}

int CRWndSwitch::CIE11Button::GetWidth()
{
    return ::GetSystemMetrics(SM_CYMENU);
}

void CRWndSwitch::CIE11Button::Draw(CDC* pDC, POINT stripOrigin, bool, POINT)
{
    if (m_state == kButtonHidden)
        return;
    RECT r = GetRect();
    ::OffsetRect(&r, -stripOrigin.x, -stripOrigin.y);
    CPen pen;
    pen.CreatePen(PS_SOLID, m_penWidth, kIE11Line);
    CBrush brush;
    brush.CreateSolidBrush(kIE11Tab);
    CPen* pOldPen = pDC->SelectObject(&pen);
    CBrush* pOldBrush = pDC->SelectObject(&brush);
    pDC->Rectangle(&r);
    pDC->SelectObject(pOldBrush);
    pDC->SelectObject(pOldPen);
    if (m_state == kButtonPressed)
    {
        RECT focus = r;
        ::InflateRect(&focus, -m_penWidth, -m_penWidth);
        pDC->DrawFocusRect(&focus);
    }
    RECT inner = r;
    ::InflateRect(&inner, -4 * m_penWidth, -4 * m_penWidth);
    if (m_kind == kScrollLeft || m_kind == kScrollRight)
    {
        DrawArrow(pDC, inner, m_kind == kScrollLeft ? 0 : 1, kIE11Glyph);
        return;
    }
    // The plus sign: two bars through the centre, as thick as a quarter of their length.
    const int length = (inner.right - inner.left) & ~1;
    const int thickness = (length / 4) & ~1;
    const int cx = (inner.left + inner.right) / 2;
    const int cy = (inner.top + inner.bottom) / 2;
    for (int i = 0; i < thickness; ++i)
    {
        VLine(pDC, cx - thickness / 2 + i, cy - length / 2, cy + length / 2, kIE11Glyph);
        HLine(pDC, cx - length / 2, cx + length / 2, cy - thickness / 2 + i, kIE11Glyph);
    }
}

int CRWndSwitch::CVS2015Button::GetWidth()
{
    return ::GetSystemMetrics(SM_CYMENU) - ::GetSystemMetrics(SM_CYEDGE);
}

void CRWndSwitch::CVS2015Button::Draw(CDC* pDC, POINT stripOrigin, bool hot, POINT hotPoint)
{
    if (m_state == kButtonHidden)
        return;
    RECT hit = GetRect();
    RECT r = hit;
    ::OffsetRect(&r, -stripOrigin.x, -stripOrigin.y);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    if (m_state == kButtonPressed || (hot && ::PtInRect(&hit, hotPoint)))
    {
        CPen pen;
        pen.CreatePen(PS_SOLID, m_penWidth, highlight);
        CBrush brush;
        brush.CreateSolidBrush(BlendColors(highlight, ::GetSysColor(COLOR_WINDOW), 48));
        CPen* pOldPen = pDC->SelectObject(&pen);
        CBrush* pOldBrush = pDC->SelectObject(&brush);
        pDC->Rectangle(&r);
        pDC->SelectObject(pOldBrush);
        pDC->SelectObject(pOldPen);
        if (m_state == kButtonPressed)
        {
            RECT focus = r;
            ::InflateRect(&focus, -m_penWidth, -m_penWidth);
            pDC->DrawFocusRect(&focus);
        }
    }
    RECT inner = r;
    ::InflateRect(&inner, -3 * m_penWidth, -3 * m_penWidth);
    DrawArrow(pDC, inner, m_kind == kScrollLeft ? 0 : m_kind == kScrollRight ? 1 : 2, highlight);
}
