// CFunctionsDlg "Functions": the scalar and aggregate functions of ODBC, the ones the driver
// supports marked with an image. A click on a column header sorts by that column, each column
// keeping its own direction.
#pragma once

#include "framework/ui.h"

#include "controls/list_ctrl.h"
#include "dbaccess/database.h"

#include <vector>

class CFunctionsDlg : public CDialog
{
public:
    CFunctionsDlg(CRDatabase* pDatabase, CWnd* pParent);

    BOOL OnInitDialog() override;
    // One row; nRow counts the rows added so far (across categories) and becomes row + 1 as
    // the item data.
    void AddFunction(int& nRow, DWORD nValue, DWORD nBit, LPCWSTR pszName, LPCWSTR pszCategory);
    // The LVM_SORTITEMS callback; lParamSort is the dialog.
    static int CALLBACK CompareItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

    CRListCtrl& GetList() { return m_list; }
    int GetSortColumn() const { return m_nSortColumn; }
    bool IsAscending(int nColumn) const { return m_bAscending[nColumn] != 0; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnColumnClickList(NMHDR* pNMHDR, LRESULT* pResult);
    // Puts the rows in the order of the sort column and its direction.
    void SortRows();
    DECLARE_MESSAGE_MAP()

    CRListCtrl m_list;
    CRDatabase* m_pDatabase;
    CImageList m_images;
    int m_nSortColumn = 0;
    BYTE m_bAscending[2] = {1, 1};
    // The texts of the sort column by item data, taken before a sort: the callback must not
    // message the list while LVM_SORTITEMS runs (Wine's list view rearranges its items in
    // place and answers look-ups from the half-sorted state).
    std::vector<CString> m_sortTexts;
};
