// The dialogs that choose what to connect to, each giving an ODBC connection string:
//   CDSNDlg     a data source with a login ("ODBC DSN"),
//   CDriverDlg  an installed driver ("ODBC Drivers"),
//   CConStrDlg  a stored or typed connection string ("ODBC Connection Strings"),
// and the question asked before a connection with an open transaction closes (CEndTransactionDlg).
// The three connection dialogs open the help topic "Connection.html" from their Help button and F1.
#pragma once

#include "framework/ui.h"

#include "controls/list_ctrl.h"
#include "controls/owner_draw_button.h"
#include "dbaccess/database.h"

#include <map>
#include <utility>
#include <vector>

// The user name and password last used per data source, for this run of the program only (never
// stored). Both empty: the trusted connection was chosen.
struct CLoginMemory
{
    struct Less
    {
        bool operator()(const CString& a, const CString& b) const { return wcscmp(a, b) < 0; }
    };
    std::map<CString, std::pair<CString, CString>, Less> m_logins;
};
extern CLoginMemory theLoginMemory;

// A dialog of this file: Help (button 1131) and F1 open the connection topic of the help.
class CConnectionDialog : public CDialog
{
public:
    CConnectionDialog(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}

protected:
    afx_msg void OnHelp();
    afx_msg BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    DECLARE_MESSAGE_MAP()
};

class CDSNDlg : public CConnectionDialog
{
public:
    explicit CDSNDlg(CWnd* pParent = nullptr);

    // After OK: "DSN=name;" with "UID=...;PWD=...;" or "Trusted_Connection=Yes;".
    const CString& GetConnectString() const { return m_strConnect; }
    // The data sources in list order, user ones before system ones of the same name.
    static void SortDataSources(std::vector<CDSNInfo>& sources);
    // The connection string of a choice; values are quoted (QuoteConnectValue).
    static CString BuildConnectString(LPCWSTR pszDSN, bool bServerLogin, LPCWSTR pszUser,
                                      LPCWSTR pszPassword);

protected:
    CRListCtrl m_wndList;
    std::vector<CDSNInfo> m_sources;
    CString m_strConnect;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void UpdateLoginFields();
    afx_msg void OnAuthenticationChanged();
    afx_msg void OnItemChangedDSNList(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};

class CDriverDlg : public CConnectionDialog
{
public:
    explicit CDriverDlg(CWnd* pParent = nullptr);

    const CString& GetDriverName() const { return m_strDriver; }
    const std::vector<std::pair<CString, CString>>& GetAttributes() const { return m_attributes; }

protected:
    CRListCtrl m_wndList;
    std::vector<CRDatabase::CDriverInfo> m_drivers;
    CString m_strDriver;
    std::vector<std::pair<CString, CString>> m_attributes;

    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnDblClkList(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};

class CConStrDlg : public CConnectionDialog
{
public:
    // Works on a copy of the recent connection strings; OK stores a shortened list.
    explicit CConStrDlg(CWnd* pParent = nullptr);

    // After OK: the text of the combo box (chosen or typed).
    const CString& GetConnectString() const { return m_strChosen; }

protected:
    CComboBox m_wndCombo;
    CRImageButton m_wndDelete;
    CImageList m_images;
    CStringArray m_strings;
    CString m_strChosen;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void FillCombo();
    afx_msg void OnDelete();
    DECLARE_MESSAGE_MAP()
};

// "End transaction?": Commit ends the dialog with IDC_COMMIT, Rollback with IDC_ROLLBACK,
// Cancel (the default) with IDCANCEL.
class CEndTransactionDlg : public CDialog
{
public:
    explicit CEndTransactionDlg(CWnd* pParent = nullptr);

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnCommit();
    afx_msg void OnRollback();
    DECLARE_MESSAGE_MAP()
};
