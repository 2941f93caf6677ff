// CAboutDlg: "About Quenlark" with the program icon, the product name, the version line
// ("Version " + the product version of the program file + " (64 bit)") and two links.
#pragma once

#include "framework/ui.h"

#include "controls/html_static.h"

class CAboutDlg : public CDialog
{
public:
    explicit CAboutDlg(CWnd* pParent = nullptr);

    // The version line for a product version text.
    static CString MakeVersionLine(LPCWSTR pszProductVersion);
    // The product version of the program file, "major.minor.build.revision".
    static CString GetProductVersion();

protected:
    CRHtmlStatic m_wndHomePage;
    CRHtmlStatic m_wndReport;

    BOOL OnInitDialog() override;
};
