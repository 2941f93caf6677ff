// Dialog data exchange: DoDataExchange moves values between member variables and controls
// (UpdateData(FALSE) to the controls, UpdateData(TRUE) back with validation). A failed
// conversion or validation tells the user, puts the focus on the control and throws a
// CUserException, which UpdateData turns into FALSE.
#pragma once

#include "framework/controls_basic.h"

class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CWnd* m_pDlgWnd;
    HWND m_idLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;

    HWND PrepareCtrl(int nIDC);     // the control, remembered for Fail
    HWND PrepareEditCtrl(int nIDC); // the same, and Fail selects its text
    [[noreturn]] void Fail();       // focus the last control, throw CUserException
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Text(CDataExchange* pDX, int nIDC, long& value);
void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value);
void DDX_Text(CDataExchange* pDX, int nIDC, short& value);
void DDX_Text(CDataExchange* pDX, int nIDC, BYTE& value);
void DDX_Text(CDataExchange* pDX, int nIDC, LONGLONG& value);
void DDX_Text(CDataExchange* pDX, int nIDC, ULONGLONG& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
void DDX_Text(CDataExchange* pDX, int nIDC, float& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value); // nIDC: first button of the group
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBStringExact(CDataExchange* pDX, int nIDC, CString& value);
// Subclasses the control into rControl the first time (a control object kept by the dialog).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal);
void DDV_MinMaxDWord(CDataExchange* pDX, DWORD value, DWORD minVal, DWORD maxVal);
void DDV_MinMaxShort(CDataExchange* pDX, short value, short minVal, short maxVal);
void DDV_MinMaxByte(CDataExchange* pDX, BYTE value, BYTE minVal, BYTE maxVal);
void DDV_MinMaxLongLong(CDataExchange* pDX, LONGLONG value, LONGLONG minVal, LONGLONG maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal);
void DDV_MinMaxFloat(CDataExchange* pDX, const float& value, float minVal, float maxVal);
