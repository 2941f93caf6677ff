// The two dialogs around a procedure call: "Parameters" (values and, where the catalog leaves it
// open, the direction of each input) and "Results" (output values and the return value). Both
// show the caller's parameter array in one list class, editable in the first only.
#pragma once

#include "controls/edit_list_ctrl.h"
#include "controls/sizable_dlg.h"
#include "services/proc_call.h"

class CRProcParamsListCtrl : public CREditListCtrl
{
public:
    CRProcParamsListCtrl(CProcParamsArray* pParams, bool bEditable)
        : m_pParams(pParams), m_bEditable(bEditable)
    {}

    // "Unknown", "In", "In, out", "Out"; empty for anything else (a return value).
    static CString GetParamIOTypeName(int nColumnType);
    // The most characters the value editor takes before it tells the user (hexadecimal digits
    // for binary values); -1 where the declared size does not bound the value.
    static int ValueToldLimit(const CProcParamsData& param);
    // Whether the parameter has a row: inputs (and those of unknown direction) in the editable
    // list, values that come back in the read-only one.
    static bool IsListed(const CProcParamsData& param, bool bEditable);
    static bool CanEditDirection(const CProcParamsData& param)
    {
        return param.GetColumnType() == SQL_PARAM_TYPE_UNKNOWN || param.m_bUnknownDirection;
    }

    // Columns and rows; row 0 selected.
    void Fill();
    // Opens the direction (column 2) or value (column 3) editor of a row.
    void EditCell(int nRow, int nColumn);
    CProcParamsData* RowParam(int nRow);

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

    CProcParamsArray* m_pParams;
    bool m_bEditable;
};

class CStoredProcParamsDlg : public CRSizableDlg
{
public:
    CStoredProcParamsDlg(CProcParamsArray* pParams, bool bPlanAllowed, CWnd* pParent);
    ~CStoredProcParamsDlg() override;
    BOOL OnInitDialog() override;
    CRProcParamsListCtrl& GetList() { return m_list; }

    int m_bShowPlan = 0; // "Show execution plan"

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    CRProcParamsListCtrl m_list;
    CProcParamsArray* m_pParams;
    bool m_bPlanAllowed;
    HICON m_hIcon = nullptr;
    POINT m_offsets[4] = {};
};

class CStoredProcResultsDlg : public CRSizableDlg
{
public:
    CStoredProcResultsDlg(CProcParamsArray* pParams, CWnd* pParent);
    ~CStoredProcResultsDlg() override;
    BOOL OnInitDialog() override;
    CRProcParamsListCtrl& GetList() { return m_list; }

protected:
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    CRProcParamsListCtrl m_list;
    CProcParamsArray* m_pParams;
    HICON m_hIcon = nullptr;
    POINT m_offsets[2] = {};
};
