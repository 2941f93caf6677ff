// The file dialog with a child template and its hook (the child's own handlers run, a name can
// be refused), and the colour dialog.
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
