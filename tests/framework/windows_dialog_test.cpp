// Dialogs: the modal loop and its pre-translation, data exchange, initialisation data.
#include "windows_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const UINT WM_STEP = WM_APP + 10;
const UINT_PTR SAFETY_TIMER = 99;
const int IDC_EDIT = 100, IDC_TEXT = 101, IDC_CHECK = 102, IDC_COMBO = 103, IDC_RADIO1 = 104,
          IDC_RADIO2 = 105, IDC_LIST = 106;

// Ends a dialog that a test failed to end, so a fault shows as a failure, not a hang.
class CTimedDialog : public CDialog
{
public:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        SetTimer(SAFETY_TIMER, 30000); // for a hang only
        return TRUE;
    }

protected:
    afx_msg void OnTimer(UINT_PTR nIDEvent)
    {
        if (nIDEvent == SAFETY_TIMER)
            EndDialog(-2);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTimedDialog, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

// ---------------------------------------------------------------------------------------------
// Where a dialog opens.

TEST(WindowsDialogPlacement, OnlyADialogNothingPlacesIsCentredOverItsOwner)
{
    class CMovingDialog : public CDialog
    {
    public:
        POINT moveTo = {-1, -1};
        BOOL OnInitDialog() override
        {
            CDialog::OnInitDialog();
            if (moveTo.x >= 0)
                SetWindowPos(nullptr, moveTo.x, moveTo.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            return TRUE;
        }
    };
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_POPUP | WS_VISIBLE, 100, 80, 600, 400,
                               nullptr, nullptr));
    auto open = [&](DialogTemplate& t, POINT moveTo, CRect& rect) {
        CMovingDialog dlg;
        dlg.moveTo = moveTo;
        ASSERT_TRUE(dlg.CreateIndirect(t.Get(), &owner));
        dlg.GetWindowRect(&rect);
        dlg.DestroyWindow();
    };
    CRect rect;

    // At the owner's corner: centred over the owner.
    DialogTemplate corner(L"corner", 120, 60);
    corner.Place(0, 0);
    open(corner, {-1, -1}, rect);
    EXPECT_NEAR(rect.CenterPoint().x, 400, 1);
    EXPECT_NEAR(rect.CenterPoint().y, 280, 1);

    // Placed by the template: where the dialog manager put it, in the owner's client area.
    DialogTemplate placed(L"placed", 120, 60);
    open(placed, {-1, -1}, rect);
    EXPECT_NEAR(rect.left, 100, 40);
    EXPECT_NEAR(rect.top, 80, 40);

    // Moved by its own initialisation (a restored placement): left there.
    open(corner, {20, 30}, rect);
    EXPECT_EQ(rect.TopLeft(), CPoint(20, 30));

    // A child dialog (a page) stays at its place in the parent.
    DialogTemplate page(L"", 120, 60, WS_CHILD | DS_CONTROL | DS_SETFONT);
    page.Place(0, 0);
    open(page, {-1, -1}, rect);
    EXPECT_EQ(rect.TopLeft(), CPoint(100, 80));
    owner.DestroyWindow();
}

// ---------------------------------------------------------------------------------------------
// Pre-translation inside the modal loop.

// An edit box that swallows 'B' and turns 'C' into 'D' before its dialog sees the key.
class CFilterEdit : public CEdit
{
public:
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == 'B')
            return TRUE;
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == 'C')
            pMsg->wParam = 'D';
        return FALSE;
    }
};

class CKeyDialog : public CTimedDialog
{
public:
    std::vector<WPARAM> keys;
    std::vector<HWND> keyTargets;
    BOOL shiftHeld = FALSE;
    CFilterEdit edit;

    BOOL OnInitDialog() override
    {
        CTimedDialog::OnInitDialog();
        EXPECT_TRUE(edit.SubclassDlgItem(IDC_EDIT, this));
        HWND hEdit = edit.m_hWnd;
        for (WPARAM key :
             {WPARAM('A'), WPARAM('B'), WPARAM('C'), WPARAM(VK_TAB), WPARAM(VK_ESCAPE)})
            ::PostMessageW(hEdit, WM_KEYDOWN, key, 1);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
        {
            keys.push_back(pMsg->wParam);
            keyTargets.push_back(pMsg->hwnd);
            if (pMsg->wParam == VK_TAB)
                shiftHeld = ::GetKeyState(VK_SHIFT) < 0;
        }
        return CTimedDialog::PreTranslateMessage(pMsg);
    }
};

DialogTemplate KeyDialogTemplate()
{
    DialogTemplate t(L"keys", 160, 80);
    t.Add(0x81, IDC_EDIT, L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 10, 10, 100, 14);
    t.Add(0x80, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 40, 50, 14);
    t.Add(0x80, IDCANCEL, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 70, 40, 50, 14);
    return t;
}

TEST(WindowsModalDialog, KeysPassThroughTheControlThenTheDialogBeforeDispatch)
{
    DialogTemplate t = KeyDialogTemplate();
    CKeyDialog dlg;
    ASSERT_TRUE(dlg.InitModalIndirect(t.Get()));
    SetHeldKeys({VK_SHIFT});
    INT_PTR result = dlg.DoModal();
    SetHeldKeys({});

    // Esc went through IsDialogMessage to IDCANCEL; 'B' never reached the dialog; the dialog saw
    // the 'C' its edit box had changed.
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.keys, (std::vector<WPARAM>{'A', 'D', VK_TAB, VK_ESCAPE}));
    EXPECT_EQ(dlg.keyTargets.size(), 4u);
    EXPECT_TRUE(dlg.shiftHeld);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.edit.m_hWnd, nullptr); // detached when its window went
}

TEST(WindowsModalDialog, EndDialogDuringInitialisationSkipsTheLoop)
{
    class CQuickDialog : public CDialog
    {
    public:
        BOOL OnInitDialog() override
        {
            CDialog::OnInitDialog();
            EndDialog(42);
            return TRUE;
        }
    };
    DialogTemplate t = KeyDialogTemplate();
    CQuickDialog dlg;
    ASSERT_TRUE(dlg.InitModalIndirect(t.Get()));
    EXPECT_EQ(dlg.DoModal(), 42);
}

TEST(WindowsModalDialog, ParentIsDisabledWhileTheDialogRuns)
{
    class COwnerCheckDialog : public CDialog
    {
    public:
        HWND hOwner = nullptr;
        BOOL ownerEnabled = TRUE;
        BOOL OnInitDialog() override
        {
            CDialog::OnInitDialog();
            ownerEnabled = ::IsWindowEnabled(hOwner);
            EXPECT_EQ(::GetWindow(m_hWnd, GW_OWNER), hOwner);
            EndDialog(IDOK);
            return TRUE;
        }
    };
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    DialogTemplate t = KeyDialogTemplate();
    COwnerCheckDialog dlg;
    dlg.hOwner = owner.m_hWnd;
    ASSERT_TRUE(dlg.InitModalIndirect(t.Get(), &owner));
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_FALSE(dlg.ownerEnabled);
    EXPECT_TRUE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

// ---------------------------------------------------------------------------------------------
// Data exchange.

class CDataDialog : public CTimedDialog
{
public:
    int m_nNumber = 5;
    CString m_strText = L"hello";
    int m_nCheck = 1;
    int m_nComboIndex = 1;
    int m_nRadio = 1;
    CString m_strListChoice = L"two";

    // What the controls showed right after initialisation.
    CString shownNumber, shownText, shownCombo;
    int comboCount = -1, listCount = -1;
    UINT shownCheck = 0, shownRadio2 = 0;
    int listSel = -2;
    // What happened to the first, invalid OK.
    BOOL openAfterBadOk = FALSE;
    size_t messagesAfterBadOk = 0;
    HWND focusAfterBadOk = nullptr;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_EDIT, m_nNumber);
        DDV_MinMaxInt(pDX, m_nNumber, 1, 10);
        DDX_Text(pDX, IDC_TEXT, m_strText);
        DDV_MaxChars(pDX, m_strText, 8);
        DDX_Check(pDX, IDC_CHECK, m_nCheck);
        DDX_CBIndex(pDX, IDC_COMBO, m_nComboIndex);
        DDX_Radio(pDX, IDC_RADIO1, m_nRadio);
        DDX_LBString(pDX, IDC_LIST, m_strListChoice);
    }
    BOOL OnInitDialog() override
    {
        // The list box is filled in code before the exchange.
        SendDlgItemMessage(IDC_LIST, LB_ADDSTRING, 0, (LPARAM)L"one");
        SendDlgItemMessage(IDC_LIST, LB_ADDSTRING, 0, (LPARAM)L"two");
        CTimedDialog::OnInitDialog();
        GetDlgItemText(IDC_EDIT, shownNumber);
        GetDlgItemText(IDC_TEXT, shownText);
        GetDlgItemText(IDC_COMBO, shownCombo);
        comboCount = (int)SendDlgItemMessage(IDC_COMBO, CB_GETCOUNT);
        listCount = (int)SendDlgItemMessage(IDC_LIST, LB_GETCOUNT);
        listSel = (int)SendDlgItemMessage(IDC_LIST, LB_GETCURSEL);
        shownCheck = IsDlgButtonChecked(IDC_CHECK);
        shownRadio2 = IsDlgButtonChecked(IDC_RADIO2);

        // The user types an out-of-range number and presses OK.
        SetDlgItemText(IDC_EDIT, L"42");
        SetDlgItemText(IDC_TEXT, L"changed");
        PostMessage(WM_COMMAND, IDOK);
        PostMessage(WM_STEP, 1);
        return TRUE;
    }
    afx_msg LRESULT OnStep(WPARAM, LPARAM)
    {
        openAfterBadOk = ::IsWindow(m_hWnd) && ContinueModal();
        messagesAfterBadOk = TestMessageBoxes().size();
        focusAfterBadOk = ::GetFocus();
        // Corrected input, other choices, OK again.
        SetDlgItemText(IDC_EDIT, L" 7 ");
        CheckDlgButton(IDC_CHECK, BST_UNCHECKED);
        SendDlgItemMessage(IDC_COMBO, CB_SETCURSEL, 0);
        CheckRadioButton(IDC_RADIO1, IDC_RADIO2, IDC_RADIO1);
        SendDlgItemMessage(IDC_LIST, LB_SETCURSEL, 0);
        PostMessage(WM_COMMAND, IDOK);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDataDialog, CTimedDialog)
    ON_MESSAGE(WM_STEP, &CDataDialog::OnStep)
END_MESSAGE_MAP()

DialogTemplate DataDialogTemplate()
{
    DialogTemplate t(L"data", 200, 160);
    t.Add(0x81, IDC_EDIT, L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 10, 10, 100, 14);
    t.Add(0x81, IDC_TEXT, L"", ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 10, 28, 100, 14);
    t.Add(0x80, IDC_CHECK, L"check", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 46, 100, 12);
    t.Add(0x85, IDC_COMBO, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 10, 60, 100, 60);
    t.Add(0x80, IDC_RADIO1, L"r1", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 78, 40, 12);
    t.Add(0x80, IDC_RADIO2, L"r2", BS_AUTORADIOBUTTON, 60, 78, 40, 12);
    t.Add(0x83, IDC_LIST, L"", LBS_NOTIFY | WS_BORDER | WS_GROUP | WS_TABSTOP, 10, 94, 100, 30);
    t.Add(0x80, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 120, 10, 50, 14);
    t.Add(0x80, IDCANCEL, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 120, 28, 50, 14);
    return t;
}

TEST(WindowsDataExchange, ValuesGoBothWaysAndInvalidInputKeepsTheDialogOpen)
{
    DialogTemplate t = DataDialogTemplate();
    std::vector<BYTE> init =
        MakeDlgInit({{IDC_COMBO, "alpha"}, {IDC_COMBO, "beta"}, {IDC_COMBO, "gamma"}});
    CDataDialog dlg;
    ASSERT_TRUE(dlg.InitModalIndirect(t.Get(), nullptr, init.data()));
    TestMessageBoxes().clear();
    EXPECT_EQ(dlg.DoModal(), IDOK);

    // Members to controls, with the initialisation data in the combo box.
    EXPECT_EQ(dlg.shownNumber, CString(L"5"));
    EXPECT_EQ(dlg.shownText, CString(L"hello"));
    EXPECT_EQ(dlg.comboCount, 3);
    EXPECT_EQ(dlg.shownCombo, CString(L"beta"));
    EXPECT_EQ(dlg.shownCheck, (UINT)BST_CHECKED);
    EXPECT_EQ(dlg.shownRadio2, (UINT)BST_CHECKED);
    EXPECT_EQ(dlg.listCount, 2);
    EXPECT_EQ(dlg.listSel, 1);

    // The bad number was refused with a message, the dialog stayed, the focus went to the edit.
    EXPECT_TRUE(dlg.openAfterBadOk);
    EXPECT_EQ(dlg.messagesAfterBadOk, 1u);
    EXPECT_NE(dlg.focusAfterBadOk, nullptr);

    // Controls to members after the corrected OK.
    EXPECT_EQ(dlg.m_nNumber, 7);
    EXPECT_EQ(dlg.m_strText, CString(L"changed"));
    EXPECT_EQ(dlg.m_nCheck, 0);
    EXPECT_EQ(dlg.m_nComboIndex, 0);
    EXPECT_EQ(dlg.m_nRadio, 0);
    EXPECT_EQ(dlg.m_strListChoice, CString(L"one"));
    EXPECT_EQ(TestMessageBoxes().size(), 1u);
}

// A modeless dialog exchanging data on demand, and the conversions' edge cases.
class CModelessData : public CDialog
{
public:
    int m_nNumber = 0;
    UINT m_nUnsigned = 0;
    double m_dValue = 0;
    CString m_strText;
    CString m_strCombo;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_EDIT, m_nNumber);
        DDX_Text(pDX, IDC_TEXT, m_nUnsigned);
        DDX_Text(pDX, IDC_CHECK, m_dValue);
        DDV_MaxChars(pDX, m_strText, 3);
        DDX_CBString(pDX, IDC_COMBO, m_strCombo);
    }
};

TEST(WindowsDataExchange, NumberConversionRejectsWhatIsNotANumber)
{
    DialogTemplate t(L"modeless", 200, 100, WS_POPUP | WS_CAPTION | DS_SETFONT);
    t.Add(0x81, IDC_EDIT, L"", WS_BORDER, 10, 10, 100, 14);
    t.Add(0x81, IDC_TEXT, L"", WS_BORDER, 10, 28, 100, 14);
    t.Add(0x81, IDC_CHECK, L"", WS_BORDER, 10, 46, 100, 14);
    t.Add(0x85, IDC_COMBO, L"", CBS_DROPDOWN | WS_VSCROLL, 10, 64, 100, 60);
    CModelessData dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t.Get(), nullptr));
    ASSERT_NE(dlg.m_hWnd, nullptr);
    dlg.SendDlgItemMessage(IDC_COMBO, CB_ADDSTRING, 0, (LPARAM)L"first");
    dlg.SendDlgItemMessage(IDC_COMBO, CB_ADDSTRING, 0, (LPARAM)L"second");

    struct Case
    {
        LPCWSTR number, unsignedText, real;
        bool ok;
    };
    const Case cases[] = {
        {L"-2147483648", L"4294967295", L"1.5e3", true},
        {L"2147483648", L"0", L"0", false}, // int overflow
        {L"12abc", L"0", L"0", false},      // trailing garbage
        {L"", L"0", L"0", false},           // empty
        {L"1", L"-1", L"0", false},         // negative unsigned
        {L"1", L"1", L"1e999", false},      // real out of range
    };
    for (const Case& c : cases)
    {
        dlg.SetDlgItemText(IDC_EDIT, c.number);
        dlg.SetDlgItemText(IDC_TEXT, c.unsignedText);
        dlg.SetDlgItemText(IDC_CHECK, c.real);
        dlg.SetDlgItemText(IDC_COMBO, L"typed");
        EXPECT_EQ(dlg.UpdateData(TRUE), c.ok ? TRUE : FALSE) << CStringA(c.number).GetString();
    }
    dlg.SetDlgItemText(IDC_EDIT, L"-2147483648");
    dlg.SetDlgItemText(IDC_TEXT, L"4294967295");
    dlg.SetDlgItemText(IDC_CHECK, L"1.5e3");
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_nNumber, INT_MIN);
    EXPECT_EQ(dlg.m_nUnsigned, 4294967295u);
    EXPECT_DOUBLE_EQ(dlg.m_dValue, 1500.0);
    EXPECT_EQ(dlg.m_strCombo, CString(L"typed"));

    // Too long a text fails validation; to the controls, a combo text in the list selects it.
    dlg.m_strText = L"abcd";
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    dlg.m_strText = L"abc";
    dlg.m_strCombo = L"second";
    EXPECT_TRUE(dlg.UpdateData(FALSE));
    EXPECT_EQ(dlg.SendDlgItemMessage(IDC_COMBO, CB_GETCURSEL), 1);
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(WindowsDialogInit, RecordsFillListAndComboBoxesAndBadRecordsAreRefused)
{
    DialogTemplate t(L"init", 200, 100, WS_POPUP | WS_CAPTION | DS_SETFONT);
    t.Add(0x85, IDC_COMBO, L"", CBS_DROPDOWNLIST | WS_VSCROLL, 10, 10, 100, 60);
    t.Add(0x83, IDC_LIST, L"", WS_BORDER, 10, 30, 100, 40);
    std::vector<BYTE> combo = MakeDlgInit({{IDC_COMBO, "one"}, {IDC_COMBO, "two"}});
    std::vector<BYTE> list = MakeDlgInit({{IDC_LIST, "x"}}, 0x0401);
    combo.pop_back();
    combo.pop_back(); // join the two: one stream, one terminator
    combo.insert(combo.end(), list.begin(), list.end());

    CDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t.Get(), nullptr, combo.data()));
    EXPECT_EQ(dlg.SendDlgItemMessage(IDC_COMBO, CB_GETCOUNT), 2);
    EXPECT_EQ(dlg.SendDlgItemMessage(IDC_LIST, LB_GETCOUNT), 1);
    CString second;
    CComboBox* pCombo = static_cast<CComboBox*>(dlg.GetDlgItem(IDC_COMBO));
    pCombo->GetLBText(1, second);
    EXPECT_EQ(second, CString(L"two"));

    // A text without its terminating NUL inside the record is not read past its end.
    std::vector<BYTE> bad = MakeDlgInit({{IDC_COMBO, "abc"}});
    bad[8 + 3] = 'd'; // overwrite the NUL
    EXPECT_FALSE(dlg.ExecuteDlgInit(bad.data()));
    EXPECT_EQ(dlg.SendDlgItemMessage(IDC_COMBO, CB_GETCOUNT), 2);
    dlg.DestroyWindow();
}

} // namespace
