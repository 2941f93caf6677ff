// A tab control whose pages are modeless dialogs (CRTabDialog). The pages are siblings of the
// tab control, placed over its display area; the hosting dialog owns the page objects.
#pragma once

#include "controls/tab_dialog.h"

#include <vector>

class CRDialogTabCtrl : public CTabCtrl
{
    DECLARE_DYNAMIC(CRDialogTabCtrl)

public:
    CRDialogTabCtrl() = default;
    ~CRDialogTabCtrl() override = default; // the pages belong to the hosting dialog

    // Creates the page's window and appends its tab; the first page is shown (not loaded),
    // the others hidden. Answers the tab index, or -1 when the page's window cannot be created.
    int AddPage(CRTabDialog* pPage, UINT nIDTemplate, LPCTSTR lpszTitle);
    // Shows the selected page with nCmdShow (loading it first), hides the others, and shows
    // or hides the tab control itself with the same command.
    void ShowCurrentPage(int nCmdShow);
    // Resets every page but pExcept.
    void InvalidateOtherPages(CRTabDialog* pExcept);
    // The area pages occupy, in the parent's client coordinates.
    void GetPageRect(RECT* pRect) const;

    int GetPageCount() const { return (int)m_pages.size(); }
    CRTabDialog* GetPage(int index) const
    {
        return index >= 0 && index < (int)m_pages.size() ? m_pages[index] : nullptr;
    }

protected:
    std::vector<CRTabDialog*> m_pages;

    CWnd* GetPageParent() const;

    afx_msg void OnSelChange(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
