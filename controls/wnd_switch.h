// A tab strip that hosts child windows and shows one of them beside the strip. Tabs are drawn
// by an exchangeable painter in one of three styles; small buttons scroll the tabs, close a
// window, list the windows or ask the parent for a new one. The parent hears of switches,
// right clicks and the plus button through WM_NOTIFY (idFrom 0, hwndFrom the strip).
#pragma once

#include "framework/ui.h"

#include <vector>

class CRWndSwitch : public CWnd
{
    DECLARE_DYNAMIC(CRWndSwitch)

public:
    // Style flags.
    enum : UINT
    {
        kClosable = 1,   // a close button (style 0) or a close glyph in each tab (styles 1, 2)
        kToolTips = 2,   // a tooltip per tab
        kDraggable = 4,  // tabs can be dragged to another place
        kPlusButton = 8, // style 1: a plus button; the strip is painted also without tabs
    };
    // Tab positions.
    enum : UINT
    {
        kTabsTop = 0,
        kTabsBottom = 1
    };
    // Notification codes.
    enum : UINT
    {
        kNotifyActivated = 1,  // after another tab became active
        kNotifyActivating = 2, // before the active tab changes; nonzero vetoes
        kNotifyRightClick = 5, // NMRIGHTCLICK
        kNotifyPlus = 6,       // the plus button was clicked
    };
    // Command ids of the owner's window-list menu.
    enum : UINT
    {
        kFirstWindowCmd = 0xFF00,
        kMoreWindowsCmd = 0xFF09
    };

    struct NMRIGHTCLICK
    {
        NMHDR hdr;
        INT64 index; // the tab under the pointer
        POINT point; // the release point, screen coordinates
    };

    struct CWndInfo
    {
        CString title;
        CWnd* window = nullptr; // not owned
        RECT tabRect = {};
        RECT closeRect = {};
        UINT32 uniqueId = 0;
        CImageList* imageList = nullptr; // not owned
        INT32 imageIndex = -1;
        POINT iconPos = {};
        HWND hWnd = nullptr; // the hosted window's handle, to find the tab of a window that is gone
    };

    // The drawing object of one style.
    class CTabPainter
    {
    public:
        explicit CTabPainter(UINT tabPosition) : m_tabPosition(tabPosition) {}
        virtual ~CTabPainter() = default;

        virtual int GetTopMargin() = 0;
        virtual int GetBottomMargin() = 0;
        virtual int GetClientMargins(RECT* pMargins) = 0;
        virtual COLORREF GetBackColor() = 0;
        virtual void DrawBackground(CDC* pDC, const RECT& strip) = 0;
        virtual void DrawTabBackground(CDC* pDC, const RECT& tab, bool active, bool hot) = 0;
        virtual COLORREF GetAccentColor();
        // Sets the tab's right edge (left, top and bottom are preset), its close rectangle and
        // its icon position.
        virtual void MeasureTab(CDC* pDC, int x, bool active, const CWndInfo& info, CFont* pFont,
                                CFont* pBoldFont, int maxTitleWidth, RECT& tab, RECT& close,
                                CImageList* pImageList, int imageIndex, POINT& iconPos) = 0;
        virtual void DrawTab(CDC* pDC, const CWndInfo& info, bool active, bool hot, POINT hotPoint,
                             CFont* pFont, CFont* pBoldFont, bool separator) = 0;
        virtual void DrawFrame(CDC* pDC, const RECT& client, const RECT& area) = 0;
        virtual bool HasHotTracking() = 0;
        virtual bool IsHotSpot(const RECT& close, POINT point) = 0;

        UINT m_tabPosition = 0;
        COLORREF m_accentColor = (COLORREF)-1;

    protected:
        // The title with the space of the icon and close glyph taken off.
        static void DrawTitleAndIcon(CDC* pDC, const CWndInfo& info, RECT text, COLORREF color);
        static int MeasureM(CDC* pDC);
    };

    class CVS2003TabPainter : public CTabPainter
    {
    public:
        explicit CVS2003TabPainter(UINT tabPosition) : CTabPainter(tabPosition) {}
        int GetTopMargin() override;
        int GetBottomMargin() override;
        int GetClientMargins(RECT* pMargins) override;
        COLORREF GetBackColor() override;
        void DrawBackground(CDC* pDC, const RECT& strip) override;
        void DrawTabBackground(CDC* pDC, const RECT& tab, bool active, bool hot) override;
        void MeasureTab(CDC* pDC, int x, bool active, const CWndInfo& info, CFont* pFont,
                        CFont* pBoldFont, int maxTitleWidth, RECT& tab, RECT& close,
                        CImageList* pImageList, int imageIndex, POINT& iconPos) override;
        void DrawTab(CDC* pDC, const CWndInfo& info, bool active, bool hot, POINT hotPoint,
                     CFont* pFont, CFont* pBoldFont, bool separator) override;
        void DrawFrame(CDC* pDC, const RECT& client, const RECT& area) override;
        bool HasHotTracking() override { return false; }
        bool IsHotSpot(const RECT&, POINT) override { return false; }

        INT32 m_lineWidth = 1;
    };

    class CIE11TabPainter : public CTabPainter
    {
    public:
        CIE11TabPainter(UINT tabPosition, bool closeGlyphPerTab)
            : CTabPainter(tabPosition), m_closeGlyphPerTab(closeGlyphPerTab)
        {}
        int GetTopMargin() override;
        int GetBottomMargin() override;
        int GetClientMargins(RECT* pMargins) override;
        COLORREF GetBackColor() override;
        void DrawBackground(CDC* pDC, const RECT& strip) override;
        void DrawTabBackground(CDC* pDC, const RECT& tab, bool active, bool hot) override;
        void MeasureTab(CDC* pDC, int x, bool active, const CWndInfo& info, CFont* pFont,
                        CFont* pBoldFont, int maxTitleWidth, RECT& tab, RECT& close,
                        CImageList* pImageList, int imageIndex, POINT& iconPos) override;
        void DrawTab(CDC* pDC, const CWndInfo& info, bool active, bool hot, POINT hotPoint,
                     CFont* pFont, CFont* pBoldFont, bool separator) override;
        void DrawFrame(CDC* pDC, const RECT& client, const RECT& area) override;
        bool HasHotTracking() override { return true; }
        bool IsHotSpot(const RECT&, POINT) override { return true; }

        INT32 m_lineWidth = 1;
        bool m_closeGlyphPerTab = false;
    };

    class CVS2015TabPainter : public CTabPainter
    {
    public:
        CVS2015TabPainter(UINT tabPosition, bool closeGlyphPerTab)
            : CTabPainter(tabPosition), m_closeGlyphPerTab(closeGlyphPerTab)
        {}
        int GetTopMargin() override;
        int GetBottomMargin() override;
        int GetClientMargins(RECT* pMargins) override;
        COLORREF GetBackColor() override;
        void DrawBackground(CDC* pDC, const RECT& strip) override;
        void DrawTabBackground(CDC* pDC, const RECT& tab, bool active, bool hot) override;
        void MeasureTab(CDC* pDC, int x, bool active, const CWndInfo& info, CFont* pFont,
                        CFont* pBoldFont, int maxTitleWidth, RECT& tab, RECT& close,
                        CImageList* pImageList, int imageIndex, POINT& iconPos) override;
        void DrawTab(CDC* pDC, const CWndInfo& info, bool active, bool hot, POINT hotPoint,
                     CFont* pFont, CFont* pBoldFont, bool separator) override;
        void DrawFrame(CDC* pDC, const RECT& client, const RECT& area) override;
        bool HasHotTracking() override { return true; }
        bool IsHotSpot(const RECT&, POINT) override { return true; }

        bool m_closeGlyphPerTab = false;
    };

    // Button states.
    enum : INT32
    {
        kButtonHidden = 0,
        kButtonPressed = 1,
        kButtonShown = 2
    };

    class CButtonBase
    {
    public:
        virtual ~CButtonBase() = default;
        virtual void Draw(CDC* pDC, POINT stripOrigin, bool hot, POINT hotPoint) = 0;
        virtual int GetWidth() = 0;
        virtual int GetHeight() { return GetWidth(); }

        RECT GetRect()
        {
            return {m_position.x, m_position.y, m_position.x + GetWidth(),
                    m_position.y + GetHeight()};
        }
        bool IsShown() const { return m_state != kButtonHidden; }

        POINT m_position = {};
        INT32 m_state = kButtonHidden;
    };

    class CVS2003Button : public CButtonBase
    {
    public:
        explicit CVS2003Button(LPCTSTR glyph) : m_glyph(glyph) {}
        void Draw(CDC* pDC, POINT stripOrigin, bool hot, POINT hotPoint) override;
        int GetWidth() override;
        CString m_glyph;
    };

    // Kinds of the style 1 and 2 buttons.
    enum : INT32
    {
        kScrollLeft = 0,
        kScrollRight = 1,
        kThirdButton = 2
    };

    class CIE11Button : public CButtonBase
    {
    public:
        explicit CIE11Button(INT32 kind) : m_kind(kind) {}
        void Draw(CDC* pDC, POINT stripOrigin, bool hot, POINT hotPoint) override;
        int GetWidth() override;
        INT32 m_penWidth = 1;
        INT32 m_kind = 0;
    };

    class CVS2015Button : public CButtonBase
    {
    public:
        explicit CVS2015Button(INT32 kind) : m_kind(kind) {}
        void Draw(CDC* pDC, POINT stripOrigin, bool hot, POINT hotPoint) override;
        int GetWidth() override;
        INT32 m_penWidth = 1;
        INT32 m_kind = 0;
    };

    // Each channel times (100 + percent) / 100, capped at 255.
    static COLORREF AdjustColor(COLORREF color, int percent);
    // A filled triangle: direction 0 left, 1 right, 2 down (with a line above its base).
    static void DrawArrow(CDC* pDC, const RECT& rect, int direction, COLORREF color);

public:
    CRWndSwitch(UINT styleFlags = 0, UINT tabPosition = kTabsTop);
    ~CRWndSwitch() override;

    using CWnd::Create;
    BOOL Create(DWORD dwStyle, DWORD dwExStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                LPVOID lpParam = nullptr);
    bool SetStyle(int style);
    int AddWindow(CWnd* pWnd, LPCTSTR lpszTitle, LPCTSTR lpszToolTip, CImageList* pImageList,
                  int imageIndex);
    bool ActivateTab(int index);
    int GetActiveIndex() const;
    void GetClientArea(RECT* pRect);
    void SetPainterColor(COLORREF color);

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Read access for owners and tests.
    int GetTabCount() const { return (int)m_tabs.size(); }
    const CWndInfo* GetTab(int index) const
    {
        return index >= 0 && index < (int)m_tabs.size() ? &m_tabs[index] : nullptr;
    }
    int GetStyle() const { return m_style; }
    CTabPainter* GetPainter() const { return m_pPainter; }
    CButtonBase* GetCloseButton() const { return m_pCloseButton; }
    CButtonBase* GetPlusButton() const { return m_pPlusButton; }
    CButtonBase* GetScrollLeftButton() const { return m_pScrollLeft; }
    CButtonBase* GetScrollRightButton() const { return m_pScrollRight; }
    CButtonBase* GetListButton() const { return m_pListButton; }
    int GetHotTab() const { return (int)m_hotTab; }
    int GetScrollOrigin() const { return m_scrollOrigin; }
    int GetStripHeight();
    void GetStripRect(RECT* pRect);
    int GetTabAreaRight();
    // The client width at which every tab shows its whole title (with the buttons beside them).
    int GetIdealWidth();
    CToolTipCtrl& GetToolTip() { return m_toolTip; }
    CWnd* GetPreviousWindow() const { return m_pPreviousWindow; }
    // Builds the window-list popup of the list button (ids 1, 2, ... in title order) and
    // answers the tab index of each item in that order.
    std::vector<int> BuildWindowListMenu(CMenu& menu) const;

    // Set directly by the hosting owner.
    INT32 m_windowListMenuPos = -1; // position of the popup in the owner's menu; -1 off
    CString m_moreWindowsText;      // the item after the first nine windows
    INT32 m_maxTitleWidth = 0;      // 0: no limit

protected:
    INT32 m_margin = 0;
    std::vector<CWndInfo> m_tabs;
    INT64 m_activeIndex = -1;
    INT64 m_dragPartner = -1;
    INT64 m_dragIndex = -1;
    CWnd* m_pPreviousWindow = nullptr;
    INT32 m_scrollOrigin = 0;
    bool m_layoutDirty = false;
    UINT m_styleFlags = 0;
    CToolTipCtrl m_toolTip;
    UINT m_tabPosition = 0;
    INT32 m_wheelAccumulator = 0;
    INT32 m_hWheelAccumulator = 0;
    int m_style = -1;
    CTabPainter* m_pPainter = nullptr;
    CButtonBase* m_pCloseButton = nullptr;
    CButtonBase* m_pPlusButton = nullptr;
    CButtonBase* m_pScrollLeft = nullptr;
    CButtonBase* m_pScrollRight = nullptr;
    CButtonBase* m_pListButton = nullptr;
    bool m_hot = false;
    POINT m_hotPoint = {};
    INT64 m_hotTab = -1;
    CButtonBase* m_pHotButton = nullptr;
    bool m_bDestroying = false;

    LRESULT Notify(UINT code);
    int TabFromPoint(POINT point) const;
    CButtonBase* ButtonFromPoint(POINT point);
    bool IsInTabArea(POINT point);
    RECT GetVisibleTabRect(int index);
    void ScrollTabs(int direction);
    void ClearHot();
    void DrawButtonNow(CButtonBase* pButton);
    void ShowWindowList();
    void DeleteButtons();
    // Drops the tab of a hosted window that is being destroyed; a removed active tab hands
    // over to its neighbour.
    void RemoveTabOfWindow(HWND hWnd);
    void RemoveTab(int index);
    void PaintStrip(CDC* pDC);
    void PlaceButtons();

    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnCaptureChanged(CWnd* pWnd);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    afx_msg void OnMouseHWheel(UINT nFlags, short zDelta, CPoint pt);
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg BOOL OnWindowCommand(UINT nID);
    afx_msg void OnParentNotify(UINT message, LPARAM lParam);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
