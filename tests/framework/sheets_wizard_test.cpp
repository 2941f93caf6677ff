// Property sheets and wizards in the framework's modal loop: the wizard's buttons follow the
// page position, PSN_* notifications reach the pages' members, and the pages see keys through
// PreTranslateMessage.
#include "frames_test_frame.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

const int IDC_PAGE_EDIT = 100;
const UINT_PTR STEP_TIMER = 7, SAFETY_TIMER = 8;

DialogTemplate& PageTemplate()
{
    static DialogTemplate tmpl = [] {
        DialogTemplate t(L"Page", 200, 100, WS_CHILD | WS_DISABLED | WS_CAPTION | DS_SETFONT);
        t.Add(0x81, IDC_PAGE_EDIT, L"",
              WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 10, 10, 120, 14);
        return t;
    }();
    return tmpl;
}

struct ButtonState
{
    BOOL bBack, bNext, bFinish;
};

class CTestPage : public CPropertyPage
{
public:
    CTestPage(LPCTSTR caption, int nPosition, int nCount) : m_nPosition(nPosition), m_nCount(nCount)
    {
        ConstructIndirect(PageTemplate().Get(), caption);
    }
    int m_nPosition, m_nCount;
    int m_nSetActive = 0, m_nKillActive = 0, m_nApply = 0, m_nReset = 0, m_nWizNext = 0,
        m_nWizFinish = 0;
    BOOL m_bAllowLeave = TRUE;
    std::vector<WPARAM> m_keys;

    BOOL OnSetActive() override
    {
        ++m_nSetActive;
        CPropertySheet* pSheet = GetSheet();
        if (pSheet != nullptr && pSheet->IsWizard())
        {
            // The buttons follow the position: first Next, last Back and Finish.
            DWORD dw = 0;
            if (m_nCount == 1)
                dw = PSWIZB_FINISH;
            else if (m_nPosition == 0)
                dw = PSWIZB_NEXT;
            else if (m_nPosition == m_nCount - 1)
                dw = PSWIZB_BACK | PSWIZB_FINISH;
            else
                dw = PSWIZB_BACK | PSWIZB_NEXT;
            pSheet->SetWizardButtons(dw);
        }
        return CPropertyPage::OnSetActive();
    }
    BOOL OnKillActive() override
    {
        ++m_nKillActive;
        return m_bAllowLeave && CPropertyPage::OnKillActive();
    }
    BOOL OnApply() override
    {
        ++m_nApply;
        return CPropertyPage::OnApply();
    }
    void OnReset() override { ++m_nReset; }
    LRESULT OnWizardNext() override
    {
        ++m_nWizNext;
        return m_bAllowLeave ? 0 : -1;
    }
    BOOL OnWizardFinish() override
    {
        ++m_nWizFinish;
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            m_keys.push_back(pMsg->wParam);
        return CPropertyPage::PreTranslateMessage(pMsg);
    }
};

// A sheet that runs a script of steps from a timer while its modal loop runs.
class CScriptedSheet : public CPropertySheet
{
public:
    explicit CScriptedSheet(LPCTSTR caption) : CPropertySheet(caption) {}
    std::vector<std::function<void(CScriptedSheet*)>> m_steps;
    size_t m_nStep = 0;
    BOOL m_bTimedOut = FALSE;

    BOOL OnInitDialog() override
    {
        CPropertySheet::OnInitDialog();
        SetTimer(STEP_TIMER, 30);
        SetTimer(SAFETY_TIMER, 30000); // for a hang only
        return TRUE;
    }
    ButtonState Buttons() const
    {
        auto state = [this](int id) {
            HWND h = ::GetDlgItem(m_hWnd, id);
            return h != nullptr && ::IsWindowVisible(h) && ::IsWindowEnabled(h);
        };
        return ButtonState{state(ID_WIZBACK), state(ID_WIZNEXT), state(ID_WIZFINISH)};
    }

protected:
    afx_msg void OnTimer(UINT_PTR nIDEvent)
    {
        if (nIDEvent == SAFETY_TIMER)
        {
            m_bTimedOut = TRUE;
            EndDialog(IDABORT);
            return;
        }
        if (m_nStep < m_steps.size())
        {
            auto step = m_steps[m_nStep++];
            step(this);
        }
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CScriptedSheet, CPropertySheet)
    ON_WM_TIMER()
END_MESSAGE_MAP()

TEST(SheetTest, WizardButtonsFollowThePagePosition)
{
    CTestPage p1(L"One", 0, 3), p2(L"Two", 1, 3), p3(L"Three", 2, 3);
    CScriptedSheet sheet(L"Wizard");
    sheet.AddPage(&p1);
    sheet.AddPage(&p2);
    sheet.AddPage(&p3);
    sheet.SetWizardMode();
    std::vector<ButtonState> seen;
    std::vector<int> indexes;
    auto record = [&](CScriptedSheet* s) {
        seen.push_back(s->Buttons());
        indexes.push_back(s->GetActiveIndex());
    };
    sheet.m_steps = {
        record,
        [](CScriptedSheet* s) { s->PressButton(PSBTN_NEXT); },
        record,
        [&](CScriptedSheet* s) {
            p2.m_bAllowLeave = FALSE; // Next refused: the wizard stays
            s->PressButton(PSBTN_NEXT);
        },
        record,
        [&](CScriptedSheet* s) {
            p2.m_bAllowLeave = TRUE;
            s->PressButton(PSBTN_NEXT);
        },
        record,
        [](CScriptedSheet* s) { s->PressButton(PSBTN_BACK); },
        record,
        [](CScriptedSheet* s) { s->PressButton(PSBTN_NEXT); },
        [](CScriptedSheet* s) { s->PressButton(PSBTN_FINISH); },
    };
    INT_PTR result = sheet.DoModal();
    EXPECT_FALSE(sheet.m_bTimedOut);
    EXPECT_EQ(result, ID_WIZFINISH);
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 1, 2, 1}));
    // First page: Next only.
    EXPECT_FALSE(seen[0].bBack);
    EXPECT_TRUE(seen[0].bNext);
    EXPECT_FALSE(seen[0].bFinish);
    // Middle page: Back and Next.
    EXPECT_TRUE(seen[1].bBack);
    EXPECT_TRUE(seen[1].bNext);
    EXPECT_FALSE(seen[1].bFinish);
    // Last page: Back and Finish.
    EXPECT_TRUE(seen[3].bBack);
    EXPECT_TRUE(seen[3].bFinish);
    EXPECT_FALSE(seen[3].bNext);
    // Back again: the middle page's buttons.
    EXPECT_TRUE(seen[4].bNext);
    EXPECT_FALSE(seen[4].bFinish);
    EXPECT_EQ(p3.m_nWizFinish, 1);
    EXPECT_GE(p2.m_nWizNext, 3);
    EXPECT_EQ(p1.m_nSetActive, 1);
    EXPECT_EQ(p2.m_nSetActive, 2); // the refused Next did not leave it
    EXPECT_EQ(sheet.m_hWnd, nullptr);
}

TEST(SheetTest, PagesSeeKeysAndOkAppliesEveryVisitedPage)
{
    CTestPage p1(L"General", 0, 2), p2(L"Editor", 1, 2);
    CScriptedSheet sheet(L"Options");
    sheet.AddPage(&p1);
    sheet.AddPage(&p2);
    sheet.m_steps = {
        [&](CScriptedSheet*) {
            // A key for the edit box of the first page goes through the page first.
            HWND hEdit = ::GetDlgItem(p1.m_hWnd, IDC_PAGE_EDIT);
            ::SetFocus(hEdit);
            ::PostMessageW(hEdit, WM_KEYDOWN, 'Q', 1); // the loop translates it into 'q'
        },
        [&](CScriptedSheet* s) {
            CString text;
            p1.GetDlgItemText(IDC_PAGE_EDIT, text);
            EXPECT_STREQ(text, L"q");
            s->SetActivePage(1);
        },
        [](CScriptedSheet* s) { s->PressButton(PSBTN_OK); },
    };
    INT_PTR result = sheet.DoModal();
    EXPECT_FALSE(sheet.m_bTimedOut);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(p1.m_keys, (std::vector<WPARAM>{'Q'}));
    EXPECT_EQ(p1.m_nApply, 1);
    EXPECT_EQ(p2.m_nApply, 1);
    EXPECT_EQ(p1.m_nKillActive, 1);
}

TEST(SheetTest, CancelResetsAndAPageCanKeepTheFocus)
{
    CTestPage p1(L"General", 0, 2), p2(L"Editor", 1, 2);
    CScriptedSheet sheet(L"Options");
    sheet.AddPage(&p1);
    sheet.AddPage(&p2);
    int nIndexAfterRefusal = -1;
    sheet.m_steps = {
        [&](CScriptedSheet* s) {
            p1.m_bAllowLeave = FALSE;
            s->SetActivePage(1);
        },
        [&](CScriptedSheet* s) {
            nIndexAfterRefusal = s->GetActiveIndex();
            s->PressButton(PSBTN_CANCEL);
        },
    };
    INT_PTR result = sheet.DoModal();
    EXPECT_FALSE(sheet.m_bTimedOut);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(nIndexAfterRefusal, 0);
    EXPECT_EQ(p1.m_nReset, 1);
    EXPECT_EQ(p1.m_nApply, 0);
}

} // namespace
