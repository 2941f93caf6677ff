// CPropertyPage and CPropertySheet: tabbed sheets and wizards over the common control.
//
// DoModal creates the sheet modeless and runs it in the framework's own modal loop, so the
// PreTranslateMessage walk sees every message (a page's controls, then the page, then the
// sheet, which applies the dialog keys). The PSN_* notifications call the page's virtual
// members; the wizard's buttons are set with SetWizardButtons (PSM_SETWIZBUTTONS).
#pragma once

#include "framework/dialog.h"
#include "framework/controls_common.h"

#include <vector>

#ifndef ID_WIZBACK
#define ID_WIZBACK 0x3023
#define ID_WIZNEXT 0x3024
#define ID_WIZFINISH 0x3025
#endif

class CPropertySheet;

class CPropertyPage : public CDialog
{
    DECLARE_DYNAMIC(CPropertyPage)

public:
    CPropertyPage();
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);
    explicit CPropertyPage(LPCTSTR lpszTemplateName, UINT nIDCaption = 0);
    ~CPropertyPage() override;
    void Construct(UINT nIDTemplate, UINT nIDCaption = 0);
    void Construct(LPCTSTR lpszTemplateName, UINT nIDCaption = 0);
    // A page from a template in memory (kept by the caller while the sheet runs).
    void ConstructIndirect(LPCDLGTEMPLATE lpTemplate, LPCTSTR lpszCaption = nullptr);

    PROPSHEETPAGEW m_psp;

    CPropertySheet* GetSheet() const;
    void CancelToClose();
    void SetModified(BOOL bChanged = TRUE);
    LRESULT QuerySiblings(WPARAM wParam, LPARAM lParam);

    virtual BOOL OnSetActive();  // the page becomes current (false: skip it)
    virtual BOOL OnKillActive(); // the page is left (false: stay; default validates)
    void OnOK() override;        // after a successful apply
    void OnCancel() override;
    virtual BOOL OnApply();         // OK or Apply (false: stay on the page)
    virtual void OnReset();         // Cancel
    virtual BOOL OnQueryCancel();   // false keeps the sheet open
    virtual LRESULT OnWizardBack(); // 0 previous page, -1 stay, or a template id
    virtual LRESULT OnWizardNext();
    virtual BOOL OnWizardFinish(); // false keeps the wizard open

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    CString m_strCaption;
    BOOL m_bFirstSetActive = TRUE;
    void CommonConstruct(LPCTSTR lpszTemplateName, UINT nIDCaption);
    friend class CPropertySheet;
};

class CPropertySheet : public CWnd
{
    DECLARE_DYNAMIC(CPropertySheet)

public:
    CPropertySheet();
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CPropertySheet() override;
    void Construct(LPCTSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);

    PROPSHEETHEADERW m_psh;

    void AddPage(CPropertyPage* pPage);
    void RemovePage(CPropertyPage* pPage);
    void RemovePage(int nPage);
    int GetPageCount() const { return (int)m_pages.size(); }
    CPropertyPage* GetPage(int nPage) const;
    int GetPageIndex(CPropertyPage* pPage) const;
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const;
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage);
    void SetTitle(LPCTSTR lpszText, UINT nStyle = 0);
    void SetWizardMode();
    BOOL IsWizard() const { return (m_psh.dwFlags & (PSH_WIZARD | PSH_WIZARD97)) != 0; }
    void SetWizardButtons(DWORD dwFlags);
    void SetFinishText(LPCTSTR lpszText);
    void EnableStackedTabs(BOOL bStacked);
    CTabCtrl* GetTabControl() const;
    void PressButton(int nButton) { ::SendMessageW(m_hWnd, PSM_PRESSBUTTON, nButton, 0); }
    void EndDialog(int nEndID);

    virtual INT_PTR DoModal();
    // Modeless: the sheet stays until it is destroyed.
    virtual BOOL Create(CWnd* pParentWnd = nullptr, DWORD dwStyle = (DWORD)-1, DWORD dwExStyle = 0);
    virtual BOOL OnInitDialog();
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL ContinueModal() override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // The button that closed the last modal run (IDOK, IDCANCEL or ID_WIZFINISH).
    int m_nModalResultCode = IDCANCEL;

protected:
    std::vector<CPropertyPage*> m_pages;
    std::vector<PROPSHEETPAGEW> m_psps;
    CString m_strCaption;
    CWnd* m_pParentWnd = nullptr;
    BOOL m_bStacked = TRUE;
    BOOL m_bModeless = FALSE;
    BOOL BuildPageArray();
    HWND CreateSheetWindow(HWND hWndParent);
    friend class CPropertyPage;
    friend int CALLBACK AfxPropSheetCallback(HWND, UINT, LPARAM);
};
