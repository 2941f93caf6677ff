// Wizard pages on a real wizard: buttons by page position, refreshing dirty pages, validation
// that refuses Next or Finish, and a modal run ended from a timer.
#include "controls/wizard_page.h"
#include "window_test_util.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using qltest::PumpPending;

namespace {

class CWizardPageTemplate
{
public:
    CWizardPageTemplate()
    {
        DLGTEMPLATE dlg = {};
        dlg.style = WS_CHILD | DS_CONTROL | DS_SETFONT;
        dlg.cdit = 0;
        dlg.cx = 200;
        dlg.cy = 100;
        const WORD* w = (const WORD*)&dlg;
        m_words.insert(m_words.end(), w, w + sizeof(dlg) / 2);
        m_words.insert(m_words.end(), {0, 0, 0, 8});
        for (LPCWSTR s = L"MS Shell Dlg"; *s; ++s)
            m_words.push_back(*s);
        m_words.push_back(0);
    }
    LPCDLGTEMPLATE get() const { return (LPCDLGTEMPLATE)m_words.data(); }

private:
    std::vector<WORD> m_words;
};

class CTestPage : public CRPropertyPage
{
public:
    CTestPage() : CRPropertyPage(0)
    {
        static CWizardPageTemplate pageTemplate;
        ConstructIndirect(pageTemplate.get());
    }
    int refreshes = 0;
    int validations = 0;
    bool valid = true;
    bool alwaysDirty = false;

    bool RefreshPage() override
    {
        ++refreshes;
        return true;
    }
    bool ValidatePage() override
    {
        ++validations;
        return valid;
    }
    bool IsPageDirty() override { return alwaysDirty || CRPropertyPage::IsPageDirty(); }
};

class WizardTest : public ::testing::Test
{
protected:
    qltest::CTestHost host;
    std::unique_ptr<CRWizard> wizard;
    std::vector<std::unique_ptr<CTestPage>> pages;

    void Open(int count)
    {
        ASSERT_TRUE(host.CreateHost(300, 200));
        wizard = std::make_unique<CRWizard>(&host, 0);
        for (int i = 0; i < count; ++i)
        {
            pages.push_back(std::make_unique<CTestPage>());
            wizard->AddPage(pages.back().get());
        }
        ASSERT_TRUE(wizard->Create(&host));
        PumpPending();
    }
    void TearDown() override
    {
        if (wizard && ::IsWindow(wizard->m_hWnd))
            wizard->DestroyWindow();
        PumpPending();
    }
    // The state of the sheet's Back, Next and Finish buttons as a user sees them.
    bool Usable(int id)
    {
        HWND hButton = ::GetDlgItem(wizard->m_hWnd, id);
        return hButton != nullptr && ::IsWindowVisible(hButton) && ::IsWindowEnabled(hButton);
    }
    void Press(int button)
    {
        wizard->PressButton(button);
        PumpPending();
    }
};

TEST_F(WizardTest, ButtonsFollowThePagePosition)
{
    EXPECT_EQ((DWORD)PSWIZB_FINISH, CRPropertyPage::WizardButtonsFor(true, true));
    EXPECT_EQ((DWORD)PSWIZB_NEXT, CRPropertyPage::WizardButtonsFor(true, false));
    EXPECT_EQ((DWORD)(PSWIZB_BACK | PSWIZB_FINISH), CRPropertyPage::WizardButtonsFor(false, true));
    EXPECT_EQ((DWORD)(PSWIZB_BACK | PSWIZB_NEXT), CRPropertyPage::WizardButtonsFor(false, false));

    Open(3);
    EXPECT_TRUE(wizard->IsWizard());
    EXPECT_EQ(0u, wizard->m_psh.dwFlags & PSH_HASHELP);
    EXPECT_TRUE(pages[0]->IsFirstPage());
    EXPECT_FALSE(pages[0]->IsLastPage());
    EXPECT_FALSE(pages[2]->IsLastPage()); // not created yet: no sheet around it
    EXPECT_FALSE(Usable(ID_WIZBACK));
    EXPECT_TRUE(Usable(ID_WIZNEXT));
    Press(PSBTN_NEXT);
    EXPECT_EQ(1, wizard->GetActiveIndex());
    EXPECT_TRUE(Usable(ID_WIZBACK));
    EXPECT_TRUE(Usable(ID_WIZNEXT));
    Press(PSBTN_NEXT);
    EXPECT_EQ(2, wizard->GetActiveIndex());
    EXPECT_TRUE(pages[2]->IsLastPage());
    EXPECT_FALSE(pages[2]->IsFirstPage());
    EXPECT_TRUE(Usable(ID_WIZBACK));
    EXPECT_TRUE(Usable(ID_WIZFINISH));

    // A page outside any sheet is neither first nor last.
    CTestPage loose;
    EXPECT_FALSE(loose.IsFirstPage());
    EXPECT_FALSE(loose.IsLastPage());
}

TEST_F(WizardTest, SinglePageOffersOnlyFinish)
{
    Open(1);
    EXPECT_FALSE(Usable(ID_WIZBACK));
    EXPECT_TRUE(Usable(ID_WIZFINISH));
    EXPECT_FALSE(Usable(ID_WIZNEXT));
}

TEST_F(WizardTest, ValidationRefusesNextButBackAlwaysGoesBack)
{
    Open(3);
    Press(PSBTN_NEXT);
    pages[1]->valid = false;
    Press(PSBTN_NEXT);
    EXPECT_EQ(1, wizard->GetActiveIndex());
    EXPECT_EQ(1, pages[1]->validations);
    EXPECT_FALSE(pages[1]->GetDirtyFlag());
    Press(PSBTN_BACK);
    EXPECT_EQ(0, wizard->GetActiveIndex());
    Press(PSBTN_NEXT);
    pages[1]->valid = true;
    Press(PSBTN_NEXT);
    EXPECT_EQ(2, wizard->GetActiveIndex());

    // Finish is refused the same way: the wizard stays open.
    pages[2]->valid = false;
    Press(PSBTN_FINISH);
    EXPECT_TRUE(::IsWindow(wizard->m_hWnd));
    EXPECT_EQ(2, wizard->GetActiveIndex());
}

TEST_F(WizardTest, DirtyPagesAreRefreshedWhenEntered)
{
    Open(3);
    pages[1]->alwaysDirty = true;
    EXPECT_EQ(1, pages[0]->refreshes);
    EXPECT_TRUE(pages[0]->IsActivated());
    // Never shown: nothing to bring up to date.
    EXPECT_TRUE(pages[2]->RefreshIfActive());
    EXPECT_EQ(0, pages[2]->refreshes);

    Press(PSBTN_NEXT);
    Press(PSBTN_BACK);
    EXPECT_EQ(1, pages[0]->refreshes); // its flag was cleared when it was left
    Press(PSBTN_NEXT);
    EXPECT_EQ(2, pages[1]->refreshes); // this one reports itself dirty each time
    pages[0]->SetDirty();
    Press(PSBTN_BACK);
    EXPECT_EQ(2, pages[0]->refreshes);

    EXPECT_TRUE(pages[0]->RefreshIfActive());
    EXPECT_EQ(3, pages[0]->refreshes);
}

TEST(WizardModal, FinishEndsTheModalRun)
{
    qltest::CTestHost host;
    ASSERT_TRUE(host.CreateHost(300, 200));
    CRWizard wizard(&host);
    CTestPage first, second;
    wizard.AddPage(&first);
    wizard.AddPage(&second);
    // The wizard runs its own loop: a timer walks it to the end like a user, a step once the
    // one before has shown, and gives up only when the wizard hangs.
    static CRWizard* s_wizard;
    static ULONGLONG s_start;
    static bool s_gaveUp;
    s_wizard = &wizard;
    s_start = ::GetTickCount64();
    s_gaveUp = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        if (s_wizard->m_hWnd == nullptr || !::IsWindowVisible(s_wizard->m_hWnd))
            return;
        if (::GetTickCount64() - s_start > 30000)
        {
            s_gaveUp = true;
            s_wizard->PressButton(PSBTN_CANCEL);
        }
        else if (s_wizard->GetActiveIndex() == 0)
            s_wizard->PressButton(PSBTN_NEXT);
        else if (s_wizard->GetActiveIndex() == 1)
            s_wizard->PressButton(PSBTN_FINISH);
    });
    const INT_PTR result = wizard.DoModal();
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(ID_WIZFINISH, result);
    EXPECT_EQ(1, second.validations);
    EXPECT_FALSE(s_gaveUp);
}

} // namespace
