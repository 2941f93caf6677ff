// Message maps on real windows: handler arguments, command routing, reflection.
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT WM_TEST_PLAIN = WM_APP + 1;
UINT g_registeredMessage = ::RegisterWindowMessageW(L"QuenlarkFrameworkTestMessage");

// A top-level window that records what its handlers receive.
class CArgWnd : public CWnd
{
public:
    std::vector<std::wstring> log;
    LPVOID createParam = nullptr;
    BOOL ctrlHeld = FALSE;

    BOOL CreatePopup(LPVOID param = nullptr)
    {
        return CreateEx(0, nullptr, L"args", WS_POPUP, 0, 0, 200, 150, nullptr, nullptr, param);
    }

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs)
    {
        createParam = cs->lpCreateParams;
        return CWnd::OnCreate(cs);
    }
    afx_msg void OnSize(UINT nType, int cx, int cy) { Add(L"size", nType, cx, cy); }
    afx_msg void OnLButtonDown(UINT nFlags, CPoint pt) { Add(L"lbutton", nFlags, pt.x, pt.y); }
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
    {
        ctrlHeld = ::GetKeyState(VK_CONTROL) < 0;
        Add(L"key", nChar, nRepCnt, nFlags);
    }
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt)
    {
        Add(L"wheel", nFlags, zDelta, pt.x);
        return TRUE;
    }
    afx_msg void OnTimer(UINT_PTR nIDEvent) { Add(L"timer", (int)nIDEvent, 0, 0); }
    afx_msg LRESULT OnPlain(WPARAM wParam, LPARAM lParam)
    {
        Add(L"plain", (int)wParam, (int)lParam, 0);
        return 1234;
    }
    afx_msg LRESULT OnRegistered(WPARAM wParam, LPARAM)
    {
        Add(L"registered", (int)wParam, 0, 0);
        return 77;
    }

    void Add(LPCWSTR what, long a, long b, long c)
    {
        CString s;
        s.Format(L"%s %d %d %d", what, (int)a, (int)b, (int)c);
        log.push_back(s.GetString());
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CArgWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_WM_MOUSEWHEEL()
    ON_WM_TIMER()
    ON_MESSAGE(WM_TEST_PLAIN, &CArgWnd::OnPlain)
    ON_REGISTERED_MESSAGE(g_registeredMessage, &CArgWnd::OnRegistered)
END_MESSAGE_MAP()

TEST(WindowsMessageMap, HandlersGetTheUnpackedArguments)
{
    int marker = 0;
    CArgWnd wnd;
    ASSERT_TRUE(wnd.CreatePopup(&marker));
    EXPECT_EQ(wnd.createParam, &marker);
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
    wnd.log.clear();

    wnd.SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
    // Client coordinates left of and above the window are negative.
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, -7));
    wnd.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, (WORD)-120), MAKELPARAM(30, 40));
    wnd.SendMessage(WM_TIMER, 42, 0);
    EXPECT_EQ(wnd.SendMessage(WM_TEST_PLAIN, 5, -6), 1234);
    EXPECT_EQ(wnd.SendMessage(g_registeredMessage, 9, 0), 77);

    std::vector<std::wstring> expected = {
        L"size 2 640 480", L"lbutton 5 -5 -7", L"wheel 8 -120 30",
        L"timer 42 0 0",   L"plain 5 -6 0",    L"registered 9 0 0",
    };
    EXPECT_EQ(wnd.log, expected);
    wnd.DestroyWindow();
    EXPECT_EQ(wnd.m_hWnd, nullptr);
}

TEST(WindowsMessageMap, KeyHandlersSeeTheKeyboardStateTheTestSets)
{
    CArgWnd wnd;
    ASSERT_TRUE(wnd.CreatePopup());
    wnd.log.clear();
    SetHeldKeys({VK_CONTROL});
    wnd.SendMessage(WM_KEYDOWN, 'N', MAKELPARAM(3, 0x31));
    SetHeldKeys({});
    ASSERT_EQ(wnd.log.size(), 1u);
    EXPECT_EQ(wnd.log[0], L"key 78 3 49");
    EXPECT_TRUE(wnd.ctrlHeld);
    wnd.DestroyWindow();
}

TEST(WindowsMessageMap, UnhandledMessagesReachTheDefaultProcedure)
{
    CArgWnd wnd;
    ASSERT_TRUE(wnd.CreatePopup());
    wnd.SetWindowText(L"caption text");
    CString text;
    wnd.GetWindowText(text);
    EXPECT_EQ(text, CString(L"caption text"));
    EXPECT_EQ(wnd.GetWindowTextLength(), 12);
    wnd.DestroyWindow();
}

// ---------------------------------------------------------------------------------------------
// Commands.

enum : UINT
{
    ID_PLAIN = 1001,
    ID_RANGE_FIRST = 1010,
    ID_RANGE_LAST = 1019,
    ID_DISABLED = 1020,
    ID_EX = 1030
};

class CCmdWnd : public CWnd
{
public:
    std::vector<UINT> commands;
    BOOL exAnswer = TRUE;
    int buttonClicks = 0;

protected:
    afx_msg void OnPlain() { commands.push_back(ID_PLAIN); }
    afx_msg void OnRange(UINT nID) { commands.push_back(nID); }
    afx_msg void OnDisabled() { commands.push_back(ID_DISABLED); }
    afx_msg void OnUpdateDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    afx_msg BOOL OnEx(UINT nID)
    {
        commands.push_back(nID);
        return exAnswer;
    }
    afx_msg void OnButton() { buttonClicks++; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCmdWnd, CWnd)
    ON_COMMAND(ID_PLAIN, &CCmdWnd::OnPlain)
    ON_COMMAND_RANGE(ID_RANGE_FIRST, ID_RANGE_LAST, &CCmdWnd::OnRange)
    ON_COMMAND(ID_DISABLED, &CCmdWnd::OnDisabled)
    ON_UPDATE_COMMAND_UI(ID_DISABLED, &CCmdWnd::OnUpdateDisabled)
    ON_COMMAND_EX(ID_EX, &CCmdWnd::OnEx)
    ON_BN_CLICKED(300, &CCmdWnd::OnButton)
END_MESSAGE_MAP()

TEST(WindowsCommands, MenuCommandsAndRangesReachTheirHandlers)
{
    CCmdWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"cmd", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    EXPECT_EQ(wnd.SendMessage(WM_COMMAND, ID_PLAIN, 0), 1);
    wnd.SendMessage(WM_COMMAND, ID_RANGE_FIRST, 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(ID_RANGE_LAST, 1), 0); // an accelerator
    // Just before the range: nobody handles it.
    EXPECT_EQ(wnd.SendMessage(WM_COMMAND, ID_RANGE_FIRST - 1, 0), 0);
    // A command its update handler disables is dropped (as from an accelerator).
    wnd.SendMessage(WM_COMMAND, ID_DISABLED, 0);
    EXPECT_EQ(wnd.commands, (std::vector<UINT>{ID_PLAIN, ID_RANGE_FIRST, ID_RANGE_LAST}));

    // The _EX form lets its handler decline.
    wnd.commands.clear();
    EXPECT_TRUE(wnd.OnCmdMsg(ID_EX, CN_COMMAND, nullptr, nullptr));
    wnd.exAnswer = FALSE;
    EXPECT_FALSE(wnd.OnCmdMsg(ID_EX, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(wnd.commands, (std::vector<UINT>{ID_EX, ID_EX}));

    // Asking only whether a handler exists calls nothing.
    AFX_CMDHANDLERINFO info = {};
    EXPECT_TRUE(wnd.OnCmdMsg(ID_RANGE_FIRST + 3, CN_COMMAND, nullptr, &info));
    EXPECT_EQ(info.pTarget, &wnd);
    EXPECT_FALSE(wnd.OnCmdMsg(999, CN_COMMAND, nullptr, &info));
    EXPECT_EQ(wnd.commands.size(), 2u);
    wnd.DestroyWindow();
}

TEST(WindowsCommands, ButtonClicksArriveAsControlNotifications)
{
    CCmdWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"cmd", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    HWND hButton = ::CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | BS_PUSHBUTTON, 0, 0, 50, 20,
                                     wnd.m_hWnd, (HMENU)300, nullptr, nullptr);
    ASSERT_NE(hButton, nullptr);
    ::SendMessageW(hButton, BM_CLICK, 0, 0);
    EXPECT_EQ(wnd.buttonClicks, 1);
    wnd.DestroyWindow();
}

// ---------------------------------------------------------------------------------------------
// Reflection.

const UINT IDC_LIST = 200, IDC_OWNERDRAW = 201, IDC_PLAIN_OWNERDRAW = 202;

class CReflectList : public CListCtrl
{
public:
    int dispInfoCalls = 0;
    int columnClicks = 0;
    std::vector<std::wstring> endEdits;

protected:
    afx_msg void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
    {
        auto* pInfo = reinterpret_cast<NMLVDISPINFOW*>(pNMHDR);
        dispInfoCalls++;
        if (pInfo->item.mask & LVIF_TEXT)
        {
            CString text;
            text.Format(L"row %d col %d", pInfo->item.iItem, pInfo->item.iSubItem);
            lstrcpynW(pInfo->item.pszText, text, pInfo->item.cchTextMax);
        }
        *pResult = 0;
    }
    afx_msg BOOL OnColumnClick(NMHDR*, LRESULT*)
    {
        columnClicks++;
        return FALSE; // the parent sees it too
    }
    afx_msg void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
    {
        auto* pInfo = reinterpret_cast<NMLVDISPINFOW*>(pNMHDR);
        CString s;
        s.Format(L"%d,%d,%d,%d", pInfo->item.iItem, pInfo->item.iSubItem, (int)pNMHDR->idFrom,
                 (int)LOWORD(pInfo->item.lParam));
        endEdits.push_back(s.GetString());
        *pResult = 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectList, CListCtrl)
    ON_NOTIFY_REFLECT(LVN_GETDISPINFOW, &CReflectList::OnGetDispInfo)
    ON_NOTIFY_REFLECT_EX(LVN_COLUMNCLICK, &CReflectList::OnColumnClick)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDITW, &CReflectList::OnEndLabelEdit)
END_MESSAGE_MAP()

class CDrawButton : public CButton
{
public:
    std::vector<UINT> drawn;

protected:
    void DrawItem(LPDRAWITEMSTRUCT p) override { drawn.push_back(p->CtlID); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDrawButton, CButton)
    ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

class CReflectParent : public CWnd
{
public:
    std::vector<std::wstring> seen;

protected:
    afx_msg void OnListNotify(UINT nID, NMHDR* pNMHDR, LRESULT*)
    {
        CString s;
        s.Format(L"notify %u %d", nID, (int)pNMHDR->code);
        seen.push_back(s.GetString());
    }
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT)
    {
        CString s;
        s.Format(L"draw %d", nIDCtl);
        seen.push_back(s.GetString());
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectParent, CWnd)
    ON_NOTIFY_RANGE(LVN_GETDISPINFOW, IDC_LIST, IDC_LIST, &CReflectParent::OnListNotify)
    ON_NOTIFY_RANGE(LVN_COLUMNCLICK, IDC_LIST, IDC_LIST, &CReflectParent::OnListNotify)
    ON_NOTIFY_RANGE(LVN_ENDLABELEDITW, IDC_LIST, IDC_LIST, &CReflectParent::OnListNotify)
    ON_NOTIFY_RANGE(NM_CLICK, IDC_LIST, IDC_LIST, &CReflectParent::OnListNotify)
    ON_WM_DRAWITEM()
END_MESSAGE_MAP()

class WindowsReflection : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            parent.CreateEx(0, nullptr, L"parent", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr));
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 200), &parent,
                                IDC_LIST));
        list.InsertColumn(0, L"A", LVCFMT_LEFT, 80);
        list.InsertColumn(1, L"B", LVCFMT_LEFT, 80);
        ASSERT_EQ(list.InsertItem(0, LPSTR_TEXTCALLBACKW), 0);
        ASSERT_TRUE(button.Create(L"draw", WS_CHILD | BS_OWNERDRAW, CRect(0, 210, 80, 230), &parent,
                                  IDC_OWNERDRAW));
    }
    void TearDown() override { parent.DestroyWindow(); }

    void SendListNotify(UINT code, UINT_PTR idFrom)
    {
        NMLISTVIEW nm = {};
        nm.hdr.hwndFrom = list.m_hWnd;
        nm.hdr.idFrom = idFrom;
        nm.hdr.code = code;
        parent.SendMessage(WM_NOTIFY, IDC_LIST, (LPARAM)&nm);
    }

    CReflectParent parent;
    CReflectList list;
    CDrawButton button;
};

TEST_F(WindowsReflection, ListNotificationsAreHandledByTheListFirst)
{
    // The list asks its parent for callback text; the list's own map answers.
    EXPECT_EQ(list.GetItemText(0, 1), CString(L"row 0 col 1"));
    EXPECT_GE(list.dispInfoCalls, 1);

    // A reflected handler that declines leaves the notification to the parent; a code without a
    // reflected entry goes to the parent alone.
    SendListNotify(LVN_COLUMNCLICK, IDC_LIST);
    SendListNotify(NM_CLICK, IDC_LIST);
    EXPECT_EQ(list.columnClicks, 1);
    CString click, colClick;
    colClick.Format(L"notify %u %d", IDC_LIST, (int)LVN_COLUMNCLICK);
    click.Format(L"notify %u %d", IDC_LIST, (int)NM_CLICK);
    EXPECT_EQ(parent.seen, (std::vector<std::wstring>{colClick.GetString(), click.GetString()}));
}

TEST_F(WindowsReflection, EndOfEditReachesTheListAsReflectedNotification)
{
    // As an in-place editor reports: hwndFrom the list, idFrom the editor's own id.
    NMLVDISPINFOW info = {};
    info.hdr.hwndFrom = list.m_hWnd;
    info.hdr.idFrom = 2000;
    info.hdr.code = LVN_ENDLABELEDITW;
    info.item.mask = LVIF_PARAM;
    info.item.iItem = 3;
    info.item.iSubItem = 1;
    info.item.lParam = MAKELPARAM(2, 0xFFFF);
    parent.SendMessage(WM_NOTIFY, IDC_LIST, (LPARAM)&info);

    // The same record sent straight to the list as the reflected message.
    EXPECT_EQ(WM_REFLECT_BASE + WM_NOTIFY, 0xBC4Eu);
    info.item.iItem = 4;
    list.SendMessage(0xBC4E, 0, (LPARAM)&info);

    EXPECT_EQ(list.endEdits, (std::vector<std::wstring>{L"3,1,2000,2", L"4,1,2000,2"}));
    EXPECT_TRUE(parent.seen.empty());
}

TEST_F(WindowsReflection, OwnerDrawGoesToTheButtonsMapAndPlainButtonsToTheParent)
{
    HWND hPlain =
        ::CreateWindowExW(0, L"BUTTON", L"plain", WS_CHILD | BS_OWNERDRAW, 100, 210, 80, 20,
                          parent.m_hWnd, (HMENU)(UINT_PTR)IDC_PLAIN_OWNERDRAW, nullptr, nullptr);
    ASSERT_NE(hPlain, nullptr);
    for (HWND h : {button.m_hWnd, hPlain})
    {
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = (UINT)::GetDlgCtrlID(h);
        dis.hwndItem = h;
        dis.hDC = ::GetDC(h);
        parent.SendMessage(WM_DRAWITEM, dis.CtlID, (LPARAM)&dis);
        ::ReleaseDC(h, dis.hDC);
    }
    EXPECT_EQ(button.drawn, (std::vector<UINT>{IDC_OWNERDRAW}));
    CString plain;
    plain.Format(L"draw %u", IDC_PLAIN_OWNERDRAW);
    EXPECT_EQ(parent.seen, (std::vector<std::wstring>{plain.GetString()}));
}

TEST_F(WindowsReflection, RealPaintingOfAnOwnerDrawButtonIsReflected)
{
    parent.ShowWindow(SW_SHOWNA);
    button.ShowWindow(SW_SHOWNA);
    button.RedrawWindow();
    PumpPending();
    EXPECT_FALSE(button.drawn.empty());
}

} // namespace

namespace {

// ---------------------------------------------------------------------------------------------
// Reflected control notifications and colours.

const UINT IDC_OWN_EDIT = 400, IDC_SHARED_EDIT = 401, IDC_LABEL = 402;

class CSelfChangingEdit : public CEdit
{
public:
    int changes = 0;
    BOOL share = FALSE; // let the parent see the change too

protected:
    afx_msg BOOL OnChange()
    {
        changes++;
        return !share;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSelfChangingEdit, CEdit)
    ON_CONTROL_REFLECT_EX(EN_CHANGE, &CSelfChangingEdit::OnChange)
END_MESSAGE_MAP()

class CColouredLabel : public CStatic
{
public:
    CBrush brush{RGB(1, 2, 3)};

protected:
    afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor)
    {
        EXPECT_EQ(nCtlColor, (UINT)CTLCOLOR_STATIC);
        pDC->SetTextColor(RGB(200, 0, 0));
        return (HBRUSH)brush.m_hObject;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColouredLabel, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class CEditParent : public CWnd
{
public:
    std::vector<UINT> changed;
    int ctlColors = 0;
    CBrush brush{RGB(9, 9, 9)};

protected:
    afx_msg void OnEditChange(UINT nID) { changed.push_back(nID); }
    afx_msg HBRUSH OnCtlColor(CDC*, CWnd*, UINT)
    {
        ctlColors++;
        return (HBRUSH)brush.m_hObject;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CEditParent, CWnd)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_OWN_EDIT, IDC_SHARED_EDIT, &CEditParent::OnEditChange)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

TEST(WindowsReflectedCommands, ControlNotificationsGoToTheControlFirst)
{
    CEditParent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"edits", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr));
    CSelfChangingEdit own, shared;
    shared.share = TRUE;
    ASSERT_TRUE(own.Create(WS_CHILD | WS_BORDER, CRect(0, 0, 100, 20), &parent, IDC_OWN_EDIT));
    ASSERT_TRUE(
        shared.Create(WS_CHILD | WS_BORDER, CRect(0, 30, 100, 50), &parent, IDC_SHARED_EDIT));
    own.SetWindowText(L"a");
    shared.SetWindowText(L"b");
    EXPECT_EQ(own.changes, 1);
    EXPECT_EQ(shared.changes, 1);
    EXPECT_EQ(parent.changed, (std::vector<UINT>{IDC_SHARED_EDIT}));
    parent.DestroyWindow();
}

TEST(WindowsReflectedCommands, ColoursComeFromTheControlOrElseTheParent)
{
    CEditParent parent;
    ASSERT_TRUE(
        parent.CreateEx(0, nullptr, L"colours", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr));
    CColouredLabel label;
    ASSERT_TRUE(label.Create(L"label", WS_CHILD, CRect(0, 0, 100, 20), &parent, IDC_LABEL));
    HWND hPlain = ::CreateWindowExW(0, L"STATIC", L"plain", WS_CHILD, 0, 30, 100, 20, parent.m_hWnd,
                                    nullptr, nullptr, nullptr);
    HDC hDC = ::GetDC(label.m_hWnd);
    LRESULT own = parent.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)hDC, (LPARAM)label.m_hWnd);
    EXPECT_EQ((HBRUSH)own, (HBRUSH)label.brush.m_hObject);
    EXPECT_EQ(::GetTextColor(hDC), RGB(200, 0, 0));
    EXPECT_EQ(parent.ctlColors, 0);
    LRESULT other = parent.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)hDC, (LPARAM)hPlain);
    EXPECT_EQ((HBRUSH)other, (HBRUSH)parent.brush.m_hObject);
    EXPECT_EQ(parent.ctlColors, 1);
    ::ReleaseDC(label.m_hWnd, hDC);
    parent.DestroyWindow();
}

} // namespace
