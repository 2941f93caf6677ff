// The About box.
#include "app/about_dlg.h"

#include "controls/utility.h"
#include "resources/resource.h"

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent) {}

CString CAboutDlg::MakeVersionLine(LPCWSTR pszProductVersion)
{
    return LoadResString(IDS_VERSION) + pszProductVersion + L" (64 bit)";
}

CString CAboutDlg::GetProductVersion()
{
    VS_FIXEDFILEINFO info{};
    GetModuleVersionInfo(nullptr, nullptr, nullptr, &info);
    CString str;
    str.Format(L"%u.%u.%u.%u", HIWORD(info.dwProductVersionMS), LOWORD(info.dwProductVersionMS),
               HIWORD(info.dwProductVersionLS), LOWORD(info.dwProductVersionLS));
    return str;
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_ABOUT_VERSION, MakeVersionLine(GetProductVersion()));
    m_wndHomePage.SubclassDlgItem(IDC_ABOUT_LINK1, this);
    m_wndHomePage.SetLink(L"https://www.dravolen.example/quenlark");
    m_wndReport.SubclassDlgItem(IDC_ABOUT_LINK2, this);
    m_wndReport.SetLink(L"mailto:quenlark@dravolen.example");
    return TRUE;
}
