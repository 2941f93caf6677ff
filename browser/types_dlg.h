// CTypesDlg "Types": the data types the driver reports (SQLGetTypeInfo), one row per type.
#pragma once

#include "framework/ui.h"

#include "controls/quenlark_list_ctrl.h"
#include "dbaccess/database.h"

class CTypesDlg : public CDialog
{
public:
    CTypesDlg(CRDatabase* pDatabase, CWnd* pParent);

    BOOL OnInitDialog() override;
    // The name of an SQL type number as this dialog's database product knows it.
    CString GetSQLTypeName(int nType) const;

    CQuenlarkListCtrl& GetList() { return m_list; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    CQuenlarkListCtrl m_list;
    CRDatabase* m_pDatabase;
};
