#include "controls/wnd_switch.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CRWndSwitch, CWnd)

BEGIN_MESSAGE_MAP(CRWndSwitch, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_RBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
    ON_WM_CAPTURECHANGED()
    ON_WM_SETFOCUS()
    ON_WM_MOUSEWHEEL()
    ON_WM_MOUSEHWHEEL()
    ON_WM_INITMENUPOPUP()
    ON_WM_PARENTNOTIFY()
    ON_WM_DESTROY()
    ON_COMMAND_EX_RANGE(CRWndSwitch::kFirstWindowCmd, CRWndSwitch::kFirstWindowCmd + 8,
                        &CRWndSwitch::OnWindowCommand)
END_MESSAGE_MAP()

namespace {

// Unique ids of tabs (their tooltip tools), shared by every strip of the process.
UINT32 g_lastTabId = 0;

bool IsEmptyRect(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

void OffsetTab(CRWndSwitch::CWndInfo& info, int dx)
{
    ::OffsetRect(&info.tabRect, dx, 0);
    if (!IsEmptyRect(info.closeRect))
        ::OffsetRect(&info.closeRect, dx, 0);
    info.iconPos.x += dx;
}

// The tabs' fonts: the stock GUI font, returned, and its bold form (made into bold) for the
// active tab. Measuring and painting take both from here, so a tab is as wide as it is drawn.
CFont* TabFonts(CFont& bold)
{
    CFont* pFont = CFont::FromHandle((HFONT)::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW lf = {};
    ::GetObjectW(pFont->m_hObject, sizeof(lf), &lf);
    lf.lfWeight = FW_BOLD;
    bold.CreateFontIndirect(&lf);
    return pFont;
}

} // namespace

CRWndSwitch::CRWndSwitch(UINT styleFlags, UINT tabPosition)
    : m_margin(::GetSystemMetrics(SM_CYEDGE)), m_styleFlags(styleFlags), m_tabPosition(tabPosition)
{
    m_scrollOrigin = m_margin;
    SetStyle(0);
}

CRWndSwitch::~CRWndSwitch()
{
    if (::IsWindow(m_hWnd))
        DestroyWindow();
    DeleteButtons();
    delete m_pPainter;
}

void CRWndSwitch::DeleteButtons()
{
    for (CButtonBase** pp :
         {&m_pCloseButton, &m_pPlusButton, &m_pScrollLeft, &m_pScrollRight, &m_pListButton})
    {
        delete *pp;
        *pp = nullptr;
    }
    m_pHotButton = nullptr;
}

BOOL CRWndSwitch::Create(DWORD dwStyle, DWORD dwExStyle, const RECT& rect, CWnd* pParentWnd,
                         UINT nID, LPVOID lpParam)
{
    LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    if (!CWnd::CreateEx(dwExStyle, cls, L"", dwStyle, rect, pParentWnd, nID, lpParam))
        return FALSE;
    if ((m_styleFlags & kToolTips) != 0 && !m_toolTip.Create(this, TTS_ALWAYSTIP | TTS_NOPREFIX))
    {
        DestroyWindow();
        return FALSE;
    }
    PlaceButtons();
    return TRUE;
}

bool CRWndSwitch::SetStyle(int style)
{
    CTabPainter* pPainter = nullptr;
    CButtonBase* pClose = nullptr;
    CButtonBase* pPlus = nullptr;
    CButtonBase* pLeft = nullptr;
    CButtonBase* pRight = nullptr;
    CButtonBase* pList = nullptr;
    const bool closable = (m_styleFlags & kClosable) != 0;
    const bool top = m_tabPosition == kTabsTop;
    switch (style)
    {
    case 0:
        pPainter = new CVS2003TabPainter(m_tabPosition);
        if (closable)
            pClose = new CVS2003Button(L"r");
        if (top)
        {
            pLeft = new CVS2003Button(L"3");
            pRight = new CVS2003Button(L"4");
        }
        break;
    case 1:
        pPainter = new CIE11TabPainter(m_tabPosition, closable);
        if (top)
        {
            pLeft = new CIE11Button(kScrollLeft);
            pRight = new CIE11Button(kScrollRight);
        }
        if ((m_styleFlags & kPlusButton) != 0)
            pPlus = new CIE11Button(kThirdButton);
        break;
    case 2:
        pPainter = new CVS2015TabPainter(m_tabPosition, closable);
        if (top)
        {
            pLeft = new CVS2015Button(kScrollLeft);
            pRight = new CVS2015Button(kScrollRight);
            pList = new CVS2015Button(kThirdButton);
        }
        break;
    default: return false;
    }
    if (m_pPainter != nullptr)
        pPainter->m_accentColor = m_pPainter->m_accentColor;
    DeleteButtons();
    delete m_pPainter;
    m_pPainter = pPainter;
    m_pCloseButton = pClose;
    m_pPlusButton = pPlus;
    m_pScrollLeft = pLeft;
    m_pScrollRight = pRight;
    m_pListButton = pList;
    m_style = style;
    if (m_pCloseButton != nullptr)
        m_pCloseButton->m_state = closable ? kButtonShown : kButtonHidden;
    if (m_pPlusButton != nullptr)
        m_pPlusButton->m_state = (m_styleFlags & kPlusButton) != 0 ? kButtonShown : kButtonHidden;
    if (m_pListButton != nullptr)
        m_pListButton->m_state = kButtonShown;
    m_hot = false;
    m_hotTab = -1;
    if (::IsWindow(m_hWnd))
    {
        PlaceButtons();
        if (CWnd* pActive = GetActiveIndex() >= 0 ? m_tabs[m_activeIndex].window : nullptr)
        {
            RECT area;
            GetClientArea(&area);
            pActive->MoveWindow(&area, TRUE);
        }
        Invalidate(FALSE);
    }
    return true;
}

void CRWndSwitch::SetPainterColor(COLORREF color)
{
    m_pPainter->m_accentColor = color;
    if (::IsWindow(m_hWnd))
        Invalidate(FALSE);
}

// --- Geometry ----------------------------------------------------------------------------

int CRWndSwitch::GetStripHeight()
{
    return std::max(::GetSystemMetrics(SM_CYMENU), ::GetSystemMetrics(SM_CYSMICON)) +
           m_pPainter->GetTopMargin() + m_pPainter->GetBottomMargin();
}

void CRWndSwitch::GetStripRect(RECT* pRect)
{
    GetClientRect(pRect);
    const int h = GetStripHeight();
    if (m_tabPosition == kTabsBottom)
        pRect->top = pRect->bottom - h;
    else
        pRect->bottom = pRect->top + h;
}

void CRWndSwitch::GetClientArea(RECT* pRect)
{
    if (pRect == nullptr)
        return;
    RECT client;
    GetClientRect(&client);
    const int h = GetStripHeight();
    if (client.bottom - client.top < h)
    {
        ::SetRectEmpty(pRect);
        return;
    }
    if (m_tabPosition == kTabsBottom)
        client.bottom -= h;
    else
        client.top += h;
    RECT margins = {};
    m_pPainter->GetClientMargins(&margins);
    client.left += margins.left;
    client.top += margins.top;
    client.right -= margins.right;
    client.bottom -= margins.bottom;
    client.right = std::max(client.right, client.left);
    client.bottom = std::max(client.bottom, client.top);
    *pRect = client;
}

int CRWndSwitch::GetTabAreaRight()
{
    for (CButtonBase* pButton : {m_pScrollLeft, m_pPlusButton, m_pCloseButton, m_pListButton})
        if (pButton != nullptr && pButton->IsShown())
            return pButton->m_position.x - ::GetSystemMetrics(SM_CXEDGE);
    RECT client;
    GetClientRect(&client);
    RECT margins = {};
    m_pPainter->GetClientMargins(&margins);
    return client.right - margins.right;
}

int CRWndSwitch::GetIdealWidth()
{
    // Measured as the strip's painting measures its tabs, in the same fonts.
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CFont boldFont;
    CFont* pFont = TabFonts(boldFont);
    CFont* pOldFont = dc.SelectObject(pFont);
    int x = m_margin;
    for (size_t i = 0; i < m_tabs.size(); ++i)
    {
        const CWndInfo& info = m_tabs[i];
        RECT tab = {x, 0, x, GetStripHeight()};
        RECT close = {};
        POINT icon = {};
        m_pPainter->MeasureTab(&dc, x, (INT64)i == m_activeIndex, info, pFont, &boldFont,
                               m_maxTitleWidth, tab, close, info.imageList, info.imageIndex, icon);
        x = tab.right;
    }
    dc.SelectObject(pOldFont);
    for (CButtonBase* pButton : {m_pScrollLeft, m_pPlusButton, m_pCloseButton, m_pListButton})
        if (pButton != nullptr && pButton->IsShown())
            x += pButton->GetWidth() + ::GetSystemMetrics(SM_CXEDGE);
    RECT margins = {};
    m_pPainter->GetClientMargins(&margins);
    return x + margins.right;
}

bool CRWndSwitch::IsInTabArea(POINT point)
{
    RECT strip;
    GetStripRect(&strip);
    return point.x >= strip.left && point.x < GetTabAreaRight() && point.y >= strip.top &&
           point.y < strip.bottom;
}

RECT CRWndSwitch::GetVisibleTabRect(int index)
{
    RECT r = m_tabs[index].tabRect;
    const int right = GetTabAreaRight();
    r.left = std::min<LONG>(r.left, right);
    r.right = std::min<LONG>(r.right, right);
    return r;
}

int CRWndSwitch::TabFromPoint(POINT point) const
{
    for (size_t i = 0; i < m_tabs.size(); ++i)
        if (::PtInRect(&m_tabs[i].tabRect, point))
            return (int)i;
    return -1;
}

CRWndSwitch::CButtonBase* CRWndSwitch::ButtonFromPoint(POINT point)
{
    for (CButtonBase* pButton :
         {m_pCloseButton, m_pPlusButton, m_pScrollLeft, m_pScrollRight, m_pListButton})
    {
        if (pButton == nullptr || !pButton->IsShown())
            continue;
        RECT r = pButton->GetRect();
        if (::PtInRect(&r, point))
            return pButton;
    }
    return nullptr;
}

void CRWndSwitch::PlaceButtons()
{
    RECT client;
    GetClientRect(&client);
    RECT strip;
    GetStripRect(&strip);
    const int stripHeight = strip.bottom - strip.top;
    int x = client.right - ::GetSystemMetrics(SM_CXEDGE);
    auto place = [&](CButtonBase* pButton) {
        x -= pButton->GetWidth();
        pButton->m_position = {x, strip.top + (stripHeight - pButton->GetHeight()) / 2};
    };
    for (CButtonBase* pButton : {m_pCloseButton, m_pListButton, m_pPlusButton})
        if (pButton != nullptr && pButton->IsShown())
            place(pButton);
    for (CButtonBase* pButton : {m_pScrollRight, m_pScrollLeft})
        if (pButton != nullptr)
            place(pButton);
}

// --- Tabs --------------------------------------------------------------------------------

LRESULT CRWndSwitch::Notify(UINT code)
{
    NMHDR hdr = {m_hWnd, 0, code};
    HWND hParent = ::GetParent(m_hWnd);
    return hParent != nullptr ? ::SendMessageW(hParent, WM_NOTIFY, 0, (LPARAM)&hdr) : 0;
}

int CRWndSwitch::GetActiveIndex() const
{
    return m_activeIndex >= 0 && m_activeIndex < (INT64)m_tabs.size() ? (int)m_activeIndex : -1;
}

int CRWndSwitch::AddWindow(CWnd* pWnd, LPCTSTR lpszTitle, LPCTSTR lpszToolTip,
                           CImageList* pImageList, int imageIndex)
{
    if (pWnd == nullptr)
        return -1;
    CWndInfo info;
    info.title = lpszTitle != nullptr ? lpszTitle : L"";
    info.window = pWnd;
    info.hWnd = pWnd->GetSafeHwnd();
    info.uniqueId = ++g_lastTabId;
    info.imageList = pImageList;
    info.imageIndex = imageIndex;
    m_tabs.push_back(info);
    const int k = (int)m_tabs.size() - 1;

    const bool first = GetActiveIndex() < 0;
    if (first)
        m_activeIndex = k;
    pWnd->ShowWindow(m_activeIndex == k ? SW_SHOW : SW_HIDE);
    if (first)
    {
        Notify(kNotifyActivated);
        // Not while the switch cannot be seen: the focus would activate a top-level window that
        // is still hidden (its frame repainted for nothing, a few milliseconds under Wine) and
        // leave the keyboard in a window nobody sees.
        if (::IsWindow(info.hWnd) && IsWindowVisible())
            pWnd->SetFocus();
    }
    if (::IsWindow(m_hWnd) && ::IsWindow(info.hWnd))
    {
        RECT area;
        GetClientArea(&area);
        pWnd->MoveWindow(&area, TRUE);
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE);
    }
    if ((m_styleFlags & kToolTips) != 0 && ::IsWindow(m_toolTip.m_hWnd))
    {
        RECT r = IsEmptyRect(m_tabs[k].tabRect) ? m_tabs[k].tabRect : GetVisibleTabRect(k);
        m_toolTip.AddTool(this, lpszToolTip != nullptr ? lpszToolTip : L"", &r, info.uniqueId);
    }
    return k;
}

bool CRWndSwitch::ActivateTab(int index)
{
    if (index < 0 || index >= (int)m_tabs.size())
        return false;
    CWndInfo& info = m_tabs[index];
    if (index == m_activeIndex)
    {
        info.window->SetFocus();
        return true;
    }
    if (Notify(kNotifyActivating) != 0)
        return false;
    // The parent may have changed the tabs while it was asked.
    if (index >= (int)m_tabs.size())
        return false;
    CWnd* pOld = GetActiveIndex() >= 0 ? m_tabs[m_activeIndex].window : nullptr;
    m_pPreviousWindow = pOld;
    CWnd* pNew = m_tabs[index].window;
    pNew->ShowWindow(SW_SHOW);
    pNew->SetFocus();
    if (pOld != nullptr && pOld != pNew)
        pOld->ShowWindow(SW_HIDE);
    m_activeIndex = index;
    if (m_tabs[index].tabRect.right - m_tabs[index].tabRect.left > 0)
        m_layoutDirty = true;
    RECT area;
    GetClientArea(&area);
    pNew->MoveWindow(&area, FALSE);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE);
    Notify(kNotifyActivated);
    return true;
}

void CRWndSwitch::RemoveTabOfWindow(HWND hWnd)
{
    for (size_t i = 0; i < m_tabs.size(); ++i)
        if (m_tabs[i].hWnd == hWnd)
        {
            RemoveTab((int)i);
            return;
        }
}

void CRWndSwitch::RemoveTab(int index)
{
    const bool wasActive = index == m_activeIndex;
    if (::IsWindow(m_toolTip.m_hWnd))
        m_toolTip.DelTool(this, m_tabs[index].uniqueId);
    if (m_pPreviousWindow == m_tabs[index].window)
        m_pPreviousWindow = nullptr;
    m_tabs.erase(m_tabs.begin() + index);
    m_dragIndex = m_dragPartner = -1;
    m_hotTab = -1;
    m_hot = false;
    if (m_activeIndex > index)
        --m_activeIndex;
    if (m_bDestroying)
        return;
    if (wasActive)
    {
        m_activeIndex = -1;
        if (!m_tabs.empty())
        {
            // The neighbour that took the closed tab's place, or the new last tab.
            m_activeIndex = std::min<int>(index, (int)m_tabs.size() - 1);
            CWnd* pNew = m_tabs[m_activeIndex].window;
            RECT area;
            GetClientArea(&area);
            pNew->MoveWindow(&area, FALSE);
            pNew->ShowWindow(SW_SHOW);
            HWND hFocus = ::GetFocus();
            if (hFocus == nullptr || hFocus == m_hWnd)
                pNew->SetFocus();
            Notify(kNotifyActivated);
        }
    }
    m_layoutDirty = true;
    Invalidate(FALSE);
}

void CRWndSwitch::OnParentNotify(UINT message, LPARAM lParam)
{
    CWnd::OnParentNotify(message, lParam);
    if (message == WM_DESTROY)
        RemoveTabOfWindow((HWND)lParam);
}

void CRWndSwitch::OnDestroy()
{
    m_bDestroying = true;
    CWnd::OnDestroy();
}

BOOL CRWndSwitch::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    const int active = GetActiveIndex();
    if (active >= 0 && ::IsWindow(m_tabs[active].hWnd) &&
        m_tabs[active].window->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CRWndSwitch::PreTranslateMessage(MSG* pMsg)
{
    if ((m_styleFlags & kToolTips) != 0 && ::IsWindow(m_toolTip.m_hWnd))
    {
        switch (pMsg->message)
        {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP: m_toolTip.RelayEvent(pMsg); break;
        }
    }
    return CWnd::PreTranslateMessage(pMsg);
}

void CRWndSwitch::OnSetFocus(CWnd* pOldWnd)
{
    CWnd::OnSetFocus(pOldWnd);
    const int active = GetActiveIndex();
    if (active >= 0 && ::IsWindow(m_tabs[active].hWnd))
        m_tabs[active].window->SetFocus();
}

void CRWndSwitch::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType == SIZE_MINIMIZED)
        return;
    PlaceButtons();
    if (!m_tabs.empty())
        Invalidate(FALSE);
    const int active = GetActiveIndex();
    if (active >= 0 && ::IsWindow(m_tabs[active].hWnd))
    {
        RECT area;
        GetClientArea(&area);
        m_tabs[active].window->MoveWindow(&area, TRUE);
    }
}

// --- Mouse -------------------------------------------------------------------------------

void CRWndSwitch::ClearHot()
{
    m_hot = false;
    m_hotTab = -1;
    m_pHotButton = nullptr;
}

void CRWndSwitch::DrawButtonNow(CButtonBase* pButton)
{
    if (pButton == nullptr || !pButton->IsShown())
        return;
    CClientDC dc(this);
    pButton->Draw(&dc, POINT{0, 0}, m_pHotButton == pButton, m_hotPoint);
}

void CRWndSwitch::OnLButtonDown(UINT nFlags, CPoint point)
{
    m_dragIndex = -1;
    ClearHot();
    CButtonBase* pButton = ButtonFromPoint(point);
    if (pButton != nullptr && !m_tabs.empty())
    {
        if (pButton == m_pListButton)
        {
            ShowWindowList();
            return;
        }
        if (pButton == m_pCloseButton || pButton == m_pScrollLeft || pButton == m_pScrollRight)
        {
            pButton->m_state = kButtonPressed;
            DrawButtonNow(pButton);
            SetCapture();
            return;
        }
    }
    if (pButton != nullptr && pButton == m_pPlusButton)
    {
        pButton->m_state = kButtonPressed;
        DrawButtonNow(pButton);
        SetCapture();
        return;
    }
    if (pButton != nullptr)
        return;
    const int tab = TabFromPoint(point);
    if (tab < 0)
    {
        CWnd::OnLButtonDown(nFlags, point);
        return;
    }
    if (m_pCloseButton == nullptr && (m_styleFlags & kClosable) != 0 &&
        ::PtInRect(&m_tabs[tab].closeRect, point))
    {
        const HWND hClosed = m_tabs[tab].hWnd;
        ::SendMessageW(hClosed, WM_CLOSE, 0, 0);
        if (!::IsWindow(hClosed))
            RemoveTabOfWindow(hClosed);
        return;
    }
    m_dragPartner = -1;
    // Only a tab that really became (or stayed) active can be dragged: after a veto the
    // active window is another one.
    if (ActivateTab(tab) && (m_styleFlags & kDraggable) != 0)
        m_dragIndex = tab;
}

void CRWndSwitch::OnLButtonUp(UINT nFlags, CPoint point)
{
    m_dragIndex = -1;
    for (CButtonBase* pButton : {m_pCloseButton, m_pPlusButton, m_pScrollLeft, m_pScrollRight})
    {
        if (pButton == nullptr || pButton->m_state != kButtonPressed)
            continue;
        pButton->m_state = kButtonShown;
        DrawButtonNow(pButton);
        if (GetCapture() == this)
            ::ReleaseCapture();
        // Like any push button, it acts only when released over it.
        RECT r = pButton->GetRect();
        if (!::PtInRect(&r, point))
            return;
        if (pButton == m_pCloseButton)
        {
            const int active = GetActiveIndex();
            if (active >= 0)
            {
                const HWND hClosed = m_tabs[active].hWnd;
                ::SendMessageW(hClosed, WM_CLOSE, 0, 0);
                if (!::IsWindow(hClosed))
                    RemoveTabOfWindow(hClosed);
            }
        }
        else if (pButton == m_pPlusButton)
        {
            Notify(kNotifyPlus);
        }
        else
        {
            ScrollTabs(pButton == m_pScrollLeft ? -1 : 1);
        }
        return;
    }
    CWnd::OnLButtonUp(nFlags, point);
}

void CRWndSwitch::ScrollTabs(int direction)
{
    if (direction == 0 || m_tabs.empty())
        return;
    int first = -1;
    if (direction < 0)
    {
        for (size_t i = 0; i < m_tabs.size(); ++i)
            if (m_tabs[i].tabRect.left >= 0)
            {
                first = (int)i;
                break;
            }
        if (first <= 0 || m_tabs[first - 1].tabRect.left >= 0)
            return;
        m_scrollOrigin -= m_tabs[first - 1].tabRect.left;
    }
    else
    {
        for (size_t i = 0; i < m_tabs.size(); ++i)
            if (m_tabs[i].tabRect.left > 0)
            {
                first = (int)i;
                break;
            }
        if (first < 0)
            return;
        m_scrollOrigin -= m_tabs[first].tabRect.left;
    }
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

BOOL CRWndSwitch::OnMouseWheel(UINT, short zDelta, CPoint)
{
    m_wheelAccumulator += zDelta;
    int count = 0;
    while (m_wheelAccumulator >= WHEEL_DELTA)
    {
        m_wheelAccumulator -= WHEEL_DELTA;
        --count;
    }
    while (m_wheelAccumulator <= -WHEEL_DELTA)
    {
        m_wheelAccumulator += WHEEL_DELTA;
        ++count;
    }
    if (count != 0)
        ScrollTabs(count);
    return TRUE;
}

void CRWndSwitch::OnMouseHWheel(UINT, short zDelta, CPoint)
{
    // Kept like the vertical one; the strip does not scroll sideways by it.
    m_hWheelAccumulator += zDelta;
    m_hWheelAccumulator %= WHEEL_DELTA;
}

void CRWndSwitch::OnRButtonUp(UINT nFlags, CPoint point)
{
    const int tab = TabFromPoint(point);
    if (tab >= 0)
    {
        NMRIGHTCLICK record = {};
        record.hdr = {m_hWnd, 0, kNotifyRightClick};
        record.index = tab;
        record.point = point;
        ::ClientToScreen(m_hWnd, &record.point);
        if (HWND hParent = ::GetParent(m_hWnd))
            ::SendMessageW(hParent, WM_NOTIFY, 0, (LPARAM)&record);
    }
    CWnd::OnRButtonUp(nFlags, point);
}

void CRWndSwitch::OnMouseMove(UINT nFlags, CPoint point)
{
    if ((nFlags & MK_LBUTTON) != 0)
    {
        if ((m_styleFlags & kDraggable) == 0 || m_dragIndex < 0 ||
            m_dragIndex >= (INT64)m_tabs.size() || !IsInTabArea(point))
            return;
        const int t = TabFromPoint(point);
        if (t < 0 || t == m_dragIndex)
            return;
        if (t == m_dragPartner)
        {
            // A wide tab must not jump back over a narrower one it has just passed.
            const RECT& partner = m_tabs[t].tabRect;
            const RECT& dragged = m_tabs[m_dragIndex].tabRect;
            const int width = dragged.right - dragged.left;
            const bool within =
                t < m_dragIndex ? point.x < partner.left + width : point.x >= partner.right - width;
            if (!within)
                return;
        }
        m_dragPartner = m_dragIndex;
        CWndInfo moved = m_tabs[m_dragIndex];
        m_tabs.erase(m_tabs.begin() + m_dragIndex);
        m_tabs.insert(m_tabs.begin() + t, moved);
        m_activeIndex = m_dragIndex = t;
        m_layoutDirty = true;
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return;
    }
    if (!m_pPainter->HasHotTracking())
        return;
    int tab = -1;
    CButtonBase* pButton = nullptr;
    if (IsInTabArea(point))
        tab = TabFromPoint(point);
    else
        pButton = ButtonFromPoint(point);
    if (tab == m_hotTab && pButton == m_pHotButton)
    {
        if (m_hot)
        {
            // Within the same tab only the close glyph changes with the point.
            const RECT* pClose = tab >= 0 ? &m_tabs[tab].closeRect : nullptr;
            const bool wasIn = pClose != nullptr && ::PtInRect(pClose, m_hotPoint);
            m_hotPoint = point;
            if (pClose != nullptr && wasIn != (::PtInRect(pClose, point) != FALSE))
                RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
        return;
    }
    const bool wasHot = m_hot;
    ClearHot();
    if (tab < 0 && pButton == nullptr)
    {
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE | TME_CANCEL, m_hWnd, 0};
        ::TrackMouseEvent(&tme);
    }
    bool hot = false;
    if (tab >= 0)
        hot = m_pPainter->IsHotSpot(m_tabs[tab].closeRect, point);
    else if (pButton != nullptr)
    {
        RECT r = pButton->GetRect();
        hot = ::PtInRect(&r, point) != FALSE;
    }
    if (hot)
    {
        m_hot = true;
        m_hotTab = tab;
        m_pHotButton = pButton;
        m_hotPoint = point;
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hWnd, 0};
        ::TrackMouseEvent(&tme);
    }
    if (hot || wasHot)
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CRWndSwitch::OnMouseLeave()
{
    ClearHot();
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CRWndSwitch::OnCaptureChanged(CWnd* pWnd)
{
    if (pWnd != this)
    {
        ClearHot();
        for (CButtonBase* pButton :
             {m_pCloseButton, m_pPlusButton, m_pScrollLeft, m_pScrollRight, m_pListButton})
            if (pButton != nullptr && pButton->m_state == kButtonPressed)
            {
                pButton->m_state = kButtonShown;
                DrawButtonNow(pButton);
            }
        Invalidate(FALSE);
    }
    CWnd::OnCaptureChanged(pWnd);
}

// --- Window lists ------------------------------------------------------------------------

std::vector<int> CRWndSwitch::BuildWindowListMenu(CMenu& menu) const
{
    std::vector<int> order(m_tabs.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = (int)i;
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        const int c = m_tabs[a].title.CompareNoCase(m_tabs[b].title);
        return c != 0 ? c < 0 : a < b;
    });
    for (size_t i = 0; i < order.size(); ++i)
        menu.AppendMenu(MF_STRING, i + 1, m_tabs[order[i]].title);
    return order;
}

void CRWndSwitch::ShowWindowList()
{
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    const std::vector<int> order = BuildWindowListMenu(menu);
    RECT r = m_pListButton->GetRect();
    POINT pt = {r.right, r.bottom};
    ::ClientToScreen(m_hWnd, &pt);
    const int cmd =
        (int)::TrackPopupMenu(menu.m_hMenu, TPM_RIGHTALIGN | TPM_NONOTIFY | TPM_RETURNCMD, pt.x,
                              pt.y, 0, m_hWnd, nullptr);
    if (cmd >= 1 && cmd <= (int)order.size())
        ActivateTab(order[cmd - 1]);
}

void CRWndSwitch::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    if (m_windowListMenuPos < 0 || bSysMenu || (INT32)nIndex != m_windowListMenuPos ||
        pPopupMenu == nullptr)
        return;
    for (int i = pPopupMenu->GetMenuItemCount() - 1; i >= 0; --i)
    {
        const UINT id = pPopupMenu->GetMenuItemID(i);
        if (id >= kFirstWindowCmd && id <= kMoreWindowsCmd)
            pPopupMenu->DeleteMenu(i, MF_BYPOSITION);
    }
    int count = pPopupMenu->GetMenuItemCount();
    if (count > 0 && (pPopupMenu->GetMenuState(count - 1, MF_BYPOSITION) & MF_SEPARATOR) != 0)
        pPopupMenu->DeleteMenu(--count, MF_BYPOSITION);
    if (m_tabs.empty())
        return;
    if (count > 0)
        pPopupMenu->AppendMenu(MF_SEPARATOR);
    const int shown = std::min<int>((int)m_tabs.size(), 9);
    for (int i = 0; i < shown; ++i)
    {
        CString text;
        if (::IsWindow(m_tabs[i].hWnd))
            m_tabs[i].window->GetWindowText(text);
        CString item;
        item.Format(L"&%d %s", i + 1, (LPCTSTR)text);
        pPopupMenu->AppendMenu(MF_STRING | (i == m_activeIndex ? MF_CHECKED : 0),
                               kFirstWindowCmd + i, item);
    }
    if (m_tabs.size() > 9 && !m_moreWindowsText.IsEmpty())
        pPopupMenu->AppendMenu(MF_STRING, kMoreWindowsCmd, m_moreWindowsText);
}

BOOL CRWndSwitch::OnWindowCommand(UINT nID)
{
    if (m_windowListMenuPos < 0)
        return FALSE;
    ActivateTab((int)(nID - kFirstWindowCmd));
    return TRUE;
}

// --- Painting ----------------------------------------------------------------------------

BOOL CRWndSwitch::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CRWndSwitch::OnPaint()
{
    CPaintDC dc(this);
    PaintStrip(&dc);
}

void CRWndSwitch::PaintStrip(CDC* pDC)
{
    for (CButtonBase* pButton : {m_pScrollLeft, m_pScrollRight})
        if (pButton != nullptr && pButton->m_state != kButtonPressed)
            pButton->m_state = kButtonHidden;
    RECT client;
    GetClientRect(&client);
    if (m_tabs.empty())
    {
        pDC->FillSolidRect(&client, ::GetSysColor(COLOR_APPWORKSPACE));
        if ((m_styleFlags & kPlusButton) == 0)
            return;
    }
    RECT strip;
    GetStripRect(&strip);
    const int stripWidth = strip.right - strip.left;
    const int stripHeight = strip.bottom - strip.top;
    if (stripWidth <= 0 || stripHeight <= 0)
        return;

    CDC memDC;
    memDC.CreateCompatibleDC(pDC);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(pDC, stripWidth, stripHeight);
    CBitmap* pOldBitmap = memDC.SelectObject(&bitmap);
    // The memory bitmap is drawn in the window's client coordinates.
    ::SetViewportOrgEx(memDC.m_hDC, -strip.left, -strip.top, nullptr);
    m_pPainter->DrawBackground(&memDC, strip);

    CFont boldFont;
    CFont* pFont = TabFonts(boldFont);
    CFont* pOldFont = memDC.SelectObject(pFont);

    const bool scrollable = m_pScrollLeft != nullptr && m_pScrollRight != nullptr;
    const int tabTop = strip.top + m_pPainter->GetTopMargin();
    const int tabBottom = strip.bottom - m_pPainter->GetBottomMargin();
    int x = scrollable ? m_scrollOrigin : m_margin;
    for (size_t i = 0; i < m_tabs.size(); ++i)
    {
        CWndInfo& info = m_tabs[i];
        const bool active = (INT64)i == m_activeIndex;
        info.tabRect = {x, tabTop, x, tabBottom};
        ::SetRectEmpty(&info.closeRect);
        m_pPainter->MeasureTab(&memDC, x, active, info, pFont, &boldFont, m_maxTitleWidth,
                               info.tabRect, info.closeRect, info.imageList, info.imageIndex,
                               info.iconPos);
        if (active && info.tabRect.right <= info.tabRect.left)
            m_layoutDirty = true;
        x = info.tabRect.right;
    }

    int tabRight = GetTabAreaRight();
    if (!m_tabs.empty())
    {
        const int count = (int)m_tabs.size();
        const int overflow =
            m_margin - tabRight + (m_tabs.back().tabRect.right - m_tabs.front().tabRect.left);
        if (overflow >= 1)
        {
            if (scrollable)
            {
                for (CButtonBase* pButton : {m_pScrollLeft, m_pScrollRight})
                    if (pButton->m_state != kButtonPressed)
                        pButton->m_state = kButtonShown;
                tabRight = GetTabAreaRight();
            }
            else
            {
                // Tabs at the bottom have no scroll buttons: they all give up a share.
                int shift = 0;
                for (int i = 0; i < count; ++i)
                {
                    CWndInfo& info = m_tabs[i];
                    OffsetTab(info, -shift);
                    const int width = info.tabRect.right - info.tabRect.left;
                    const int closeWidth = IsEmptyRect(info.closeRect)
                                               ? 0
                                               : info.closeRect.right - info.closeRect.left;
                    const int minWidth = ::GetSystemMetrics(SM_CXSMICON) +
                                         (info.iconPos.x - info.tabRect.left) + closeWidth;
                    const int cut = overflow / count + (i < overflow % count ? 1 : 0);
                    const int newWidth = std::max(width - cut, std::min(width, minWidth));
                    const int taken = width - newWidth;
                    info.tabRect.right -= taken;
                    if (!IsEmptyRect(info.closeRect))
                        ::OffsetRect(&info.closeRect, -taken, 0);
                    shift += taken;
                }
            }
        }
        const int firstLeft = m_tabs.front().tabRect.left;
        const int lastRight = m_tabs.back().tabRect.right;
        if (firstLeft < m_margin && lastRight < tabRight)
        {
            const int dx = std::min(m_margin - firstLeft, tabRight - lastRight);
            for (CWndInfo& info : m_tabs)
                OffsetTab(info, dx);
        }
        if (m_layoutDirty)
        {
            m_layoutDirty = false;
            const int active = GetActiveIndex();
            if (scrollable && active >= 0)
            {
                int dx = 0;
                const RECT& r = m_tabs[active].tabRect;
                if (r.right >= tabRight)
                    dx = tabRight - r.right;
                if (r.left + dx < m_margin)
                    dx = m_margin - r.left;
                if (dx != 0)
                    for (CWndInfo& info : m_tabs)
                        OffsetTab(info, dx);
            }
        }
        m_scrollOrigin = m_tabs.front().tabRect.left;
    }

    // Tabs are clipped to the tab area; the buttons are drawn beside it.
    const int saved = ::SaveDC(memDC.m_hDC);
    ::IntersectClipRect(memDC.m_hDC, strip.left, strip.top, std::max<int>(tabRight, strip.left),
                        strip.bottom);
    for (size_t i = 0; i < m_tabs.size(); ++i)
    {
        CWndInfo& info = m_tabs[i];
        if (info.tabRect.right >= 0)
        {
            const bool active = (INT64)i == m_activeIndex;
            const bool hot = m_hot && (INT64)i == m_hotTab;
            const bool separator = (INT64)(i + 1) != m_activeIndex;
            m_pPainter->DrawTab(&memDC, info, active, hot, m_hotPoint, pFont, &boldFont, separator);
        }
        if ((m_styleFlags & kToolTips) != 0 && ::IsWindow(m_toolTip.m_hWnd))
        {
            RECT visible = GetVisibleTabRect((int)i);
            m_toolTip.SetToolRect(this, info.uniqueId, &visible);
        }
    }
    ::RestoreDC(memDC.m_hDC, saved);
    for (CButtonBase* pButton :
         {m_pCloseButton, m_pPlusButton, m_pScrollLeft, m_pScrollRight, m_pListButton})
        if (pButton != nullptr && pButton->IsShown())
            pButton->Draw(&memDC, POINT{0, 0}, m_hot && m_pHotButton == pButton, m_hotPoint);

    pDC->BitBlt(strip.left, strip.top, stripWidth, stripHeight, &memDC, strip.left, strip.top,
                SRCCOPY);
    memDC.SelectObject(pOldFont);
    memDC.SelectObject(pOldBitmap);

    RECT area;
    GetClientArea(&area);
    CClientDC windowDC(this);
    m_pPainter->DrawFrame(&windowDC, client, area);
}
