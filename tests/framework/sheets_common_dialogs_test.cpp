// The file dialog with a child template and its hook (the child's own handlers run, a name can
// be refused), where it opens, and the colour dialog.
#include "frames_test_frame.h"

#include <gtest/gtest.h>

namespace {

const int IDC_CHILD_LABEL = 1180;

class CTestFileDialog : public CFileDialog
{
public:
    explicit CTestFileDialog(BOOL bOpen)
        : CFileDialog(bOpen, L"sql", nullptr, OFN_HIDEREADONLY | OFN_ENABLESIZING,
                      L"Scripts (*.sql)|*.sql|All files (*.*)|*.*||")
    {
        DialogTemplate& tmpl = ChildTemplate();
        m_hTemplate = ::GlobalAlloc(GMEM_FIXED, 4096);
        memcpy(m_hTemplate, tmpl.Get(), 1024);
        m_ofn.hInstance = reinterpret_cast<HINSTANCE>(m_hTemplate);
        m_ofn.Flags |= OFN_ENABLETEMPLATEHANDLE;
    }
    ~CTestFileDialog() override { ::GlobalFree(m_hTemplate); }

    CString m_strName;
    int m_nInit = 0, m_nFileOk = 0;
    BOOL m_bChildLabelSeen = FALSE;
    BOOL m_bParentHasTypeCombo = FALSE;

    static DialogTemplate& ChildTemplate()
    {
        static DialogTemplate tmpl = [] {
            DialogTemplate t(L"", 200, 20,
                             WS_CHILD | WS_VISIBLE | DS_3DLOOK | DS_CONTROL | WS_CLIPSIBLINGS |
                                 DS_SETFONT);
            t.Add(0x82, IDC_CHILD_LABEL, L"Encoding:", WS_CHILD | WS_VISIBLE, 5, 4, 60, 10);
            return t;
        }();
        return tmpl;
    }

protected:
    BOOL OnInitDialog() override
    {
        ++m_nInit;
        CFileDialog::OnInitDialog();
        m_bChildLabelSeen = GetDlgItem(IDC_CHILD_LABEL) != nullptr;
        m_bParentHasTypeCombo = ::GetDlgItem(::GetParent(m_hWnd), 1136) != nullptr;
        PostNameAndOk();
        return TRUE;
    }
    BOOL OnFileNameOK() override
    {
        // The first name is refused; the dialog stays and is confirmed again.
        if (++m_nFileOk == 1)
        {
            PostNameAndOk();
            return TRUE;
        }
        return FALSE;
    }
    void PostNameAndOk()
    {
        HWND hDlg = ::GetParent(m_hWnd);
        SetControlText(0x480, m_strName); // edt1
        SetControlText(0x47C, m_strName); // cmb13
        ::PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    }
    HGLOBAL m_hTemplate = nullptr;
};

TEST(CommonDialogTest, FileDialogRunsTheChildTemplateAndCanRefuseAName)
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    CString folder(temp);
    if (folder.Right(1) != L"\\")
        folder += L"\\";
    CTestFileDialog dlg(FALSE);
    dlg.m_ofn.lpstrInitialDir = folder;
    dlg.m_strName = folder + L"ql_file_dialog_test.sql";
    ::DeleteFileW(dlg.m_strName);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_nInit, 1);
    EXPECT_TRUE(dlg.m_bChildLabelSeen);
    EXPECT_TRUE(dlg.m_bParentHasTypeCombo);
    EXPECT_EQ(dlg.m_nFileOk, 2);
    EXPECT_EQ(dlg.GetPathName().CompareNoCase(dlg.m_strName), 0);
    EXPECT_STREQ(dlg.GetFileName(), L"ql_file_dialog_test.sql");
    EXPECT_STREQ(dlg.GetFileExt(), L"sql");
    EXPECT_STREQ(dlg.GetFileTitle(), L"ql_file_dialog_test");
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

// A file dialog that reports where it stands once shown and closes; with a place, its
// OnInitDone moves the system's dialog there first.
class CPlacedFileDialog : public CFileDialog
{
public:
    CPlacedFileDialog(CWnd* pOwner, const POINT* pPlace)
        : CFileDialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_ENABLESIZING, nullptr, pOwner),
          m_pPlace(pPlace)
    {}
    CRect m_rectShown;

protected:
    void OnInitDone() override
    {
        if (m_pPlace != nullptr)
            ::SetWindowPos(::GetParent(m_hWnd), nullptr, m_pPlace->x, m_pPlace->y, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        // Handled in the dialog's own message loop, once it shows.
        PostMessage(WM_APP);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_APP)
            return CFileDialog::WindowProc(message, wParam, lParam);
        HWND hDlg = ::GetParent(m_hWnd);
        if (::IsWindowVisible(hDlg))
            ::GetWindowRect(hDlg, &m_rectShown);
        ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    const POINT* m_pPlace;
};

TEST(CommonDialogTest, FileDialogOpensCentredOverItsOwnerUnlessPlaced)
{
    HWND hOwner = ::CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300,
                                    200, 700, 600, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hOwner, nullptr);
    CWnd owner;
    owner.Attach(hOwner);

    CPlacedFileDialog centred(&owner, nullptr);
    EXPECT_EQ(centred.DoModal(), IDCANCEL);
    ASSERT_FALSE(centred.m_rectShown.IsRectEmpty());
    EXPECT_NEAR(centred.m_rectShown.CenterPoint().x, 300 + 700 / 2, 1);
    EXPECT_NEAR(centred.m_rectShown.CenterPoint().y, 200 + 600 / 2, 1);

    const POINT place = {40, 30};
    CPlacedFileDialog placed(&owner, &place);
    EXPECT_EQ(placed.DoModal(), IDCANCEL);
    EXPECT_EQ(placed.m_rectShown.left, 40);
    EXPECT_EQ(placed.m_rectShown.top, 30);

    owner.Detach();
    ::DestroyWindow(hOwner);
}

class CTestColorDialog : public CColorDialog
{
public:
    explicit CTestColorDialog(COLORREF clr) : CColorDialog(clr, CC_FULLOPEN) {}
    BOOL m_bInit = FALSE;

protected:
    BOOL OnInitDialog() override
    {
        m_bInit = TRUE;
        CColorDialog::OnInitDialog();
        PostMessage(WM_COMMAND, IDOK, 0);
        return TRUE;
    }
};

TEST(CommonDialogTest, ColorDialogGivesTheChosenColour)
{
    CTestColorDialog dlg(RGB(10, 120, 200));
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(dlg.m_bInit);
    EXPECT_EQ(dlg.GetColor(), RGB(10, 120, 200));
    EXPECT_EQ(dlg.m_cc.lpCustColors, CColorDialog::GetSavedCustomColors());
}

} // namespace
