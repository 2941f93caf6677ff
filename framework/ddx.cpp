// Dialog data exchange and validation.
#include "framework/ddx.h"
#include "framework/win_app.h"
#include "framework/wnd_internal.h"

#include <cerrno>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <limits>

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWndCtrl = ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), nIDC);
    if (hWndCtrl == nullptr)
    {
        TRACE(L"DDX: no control with id %d\n", nIDC);
        AfxThrowNotSupportedException();
    }
    m_idLastControl = hWndCtrl;
    m_bEditLastControl = FALSE;
    return hWndCtrl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWndCtrl = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWndCtrl;
}

void CDataExchange::Fail()
{
    if (!m_bSaveAndValidate)
    {
        // Filling the controls cannot be refused by the user: nothing to point at.
        AfxThrowUserException();
    }
    if (m_idLastControl != nullptr && ::IsWindow(m_idLastControl))
    {
        ::SetFocus(m_idLastControl);
        if (m_bEditLastControl)
            ::SendMessageW(m_idLastControl, EM_SETSEL, 0, -1);
    }
    AfxThrowUserException();
}

// ---------------------------------------------------------------------------------------------
// Text.

static CString ControlText(HWND hWnd)
{
    CString text;
    int nLen = ::GetWindowTextLengthW(hWnd);
    wchar_t* p = text.GetBufferSetLength(nLen + 1);
    int nGot = ::GetWindowTextW(hWnd, p, nLen + 1);
    text.ReleaseBuffer(nGot < 0 ? 0 : nGot);
    return text;
}

// Sets the text only when it differs, so the caret and undo state survive a refresh.
static void SetControlText(HWND hWnd, LPCWSTR lpszNew)
{
    CString current = ControlText(hWnd);
    if (current != lpszNew)
        ::SetWindowTextW(hWnd, lpszNew);
}

static void ReportBadInput(CDataExchange* pDX, LPCWSTR lpszMessage)
{
    AfxMessageBox(lpszMessage, MB_ICONEXCLAMATION);
    pDX->Fail();
}

// Parses a whole signed integer within [minVal, maxVal]; spaces around it are allowed.
static bool ParseInteger(const CString& text, long long minVal, unsigned long long maxVal,
                         bool bSigned, long long* pSigned, unsigned long long* pUnsigned)
{
    const wchar_t* p = text.GetString();
    while (iswspace(*p))
        p++;
    if (*p == 0)
        return false;
    bool bNegative = false;
    if (*p == L'-' || *p == L'+')
    {
        bNegative = *p == L'-';
        p++;
    }
    if (!iswdigit(*p))
        return false;
    unsigned long long value = 0;
    while (iswdigit(*p))
    {
        unsigned digit = (unsigned)(*p - L'0');
        if (value > (std::numeric_limits<unsigned long long>::max() - digit) / 10)
            return false;
        value = value * 10 + digit;
        p++;
    }
    while (iswspace(*p))
        p++;
    if (*p != 0)
        return false;
    if (bSigned)
    {
        if (bNegative)
        {
            if (value > (unsigned long long)(-(minVal + 1)) + 1)
                return false;
            *pSigned = value == 0 ? 0 : -(long long)(value - 1) - 1;
        }
        else
        {
            if (value > maxVal)
                return false;
            *pSigned = (long long)value;
        }
    }
    else
    {
        if (bNegative && value != 0)
            return false;
        if (value > maxVal)
            return false;
        *pUnsigned = value;
    }
    return true;
}

template <class T>
static void DDX_TextInteger(CDataExchange* pDX, int nIDC, T& value)
{
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        CString text = ControlText(hWnd);
        long long s = 0;
        unsigned long long u = 0;
        bool bSigned = std::numeric_limits<T>::is_signed;
        if (!ParseInteger(text, (long long)std::numeric_limits<T>::min(),
                          (unsigned long long)std::numeric_limits<T>::max(), bSigned, &s, &u))
            ReportBadInput(pDX, bSigned ? L"Please enter an integer."
                                        : L"Please enter a positive integer.");
        value = bSigned ? (T)s : (T)u;
    }
    else
    {
        CString text;
        if constexpr (std::numeric_limits<T>::is_signed)
            text.Format(L"%I64d", (long long)value);
        else
            text.Format(L"%I64u", (unsigned long long)value);
        SetControlText(hWnd, text);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = ControlText(hWnd);
    else
        SetControlText(hWnd, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    DDX_TextInteger(pDX, nIDC, value);
}
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value)
{
    DDX_TextInteger(pDX, nIDC, value);
}
void DDX_Text(CDataExchange* pDX, int nIDC, long& value)
{
    DDX_TextInteger(pDX, nIDC, value);
}
void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value)
{
    DDX_TextInteger(pDX, nIDC, value);
}
void DDX_Text(CDataExchange* pDX, int nIDC, short& value)
{
    DDX_TextInteger(pDX, nIDC, value);
}
void DDX_Text(CDataExchange* pDX, int nIDC, BYTE& value)
{
    DDX_TextInteger(pDX, nIDC, value);
}
void DDX_Text(CDataExchange* pDX, int nIDC, LONGLONG& value)
{
    DDX_TextInteger(pDX, nIDC, value);
}
void DDX_Text(CDataExchange* pDX, int nIDC, ULONGLONG& value)
{
    DDX_TextInteger(pDX, nIDC, value);
}

template <class T>
static void DDX_TextFloat(CDataExchange* pDX, int nIDC, T& value, int nDigits)
{
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        CString text = ControlText(hWnd);
        const wchar_t* p = text.GetString();
        while (iswspace(*p))
            p++;
        wchar_t* end = nullptr;
        errno = 0;
        double d = wcstod(p, &end);
        bool bOk = end != p && errno == 0 && std::isfinite(d);
        if (bOk)
        {
            while (iswspace(*end))
                end++;
            bOk = *end == 0;
        }
        if (bOk && std::numeric_limits<T>::max() < std::fabs(d))
            bOk = false;
        if (!bOk)
            ReportBadInput(pDX, L"Please enter a number.");
        value = (T)d;
    }
    else
    {
        CString text;
        text.Format(L"%.*g", nDigits, (double)value);
        SetControlText(hWnd, text);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value)
{
    DDX_TextFloat(pDX, nIDC, value, 15);
}
void DDX_Text(CDataExchange* pDX, int nIDC, float& value)
{
    DDX_TextFloat(pDX, nIDC, value, 6);
}

// ---------------------------------------------------------------------------------------------
// Buttons, lists, combo boxes.

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = (int)::SendMessageW(hWnd, BM_GETCHECK, 0, 0);
    else
        ::SendMessageW(hWnd, BM_SETCHECK, (WPARAM)(value < 0 || value > 2 ? 0 : value), 0);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    // The group runs from nIDC (WS_GROUP) to the next control with WS_GROUP; value is the
    // index of the checked radio button, -1 for none.
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int iButton = 0;
    do
    {
        if (::SendMessageW(hWnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
        {
            if (pDX->m_bSaveAndValidate)
            {
                if (::SendMessageW(hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED)
                    value = iButton;
            }
            else
            {
                ::SendMessageW(hWnd, BM_SETCHECK, iButton == value ? BST_CHECKED : BST_UNCHECKED,
                               0);
            }
            iButton++;
        }
        hWnd = ::GetWindow(hWnd, GW_HWNDNEXT);
    } while (hWnd != nullptr && !(::GetWindowLongW(hWnd, GWL_STYLE) & WS_GROUP));
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        index = (int)::SendMessageW(hWnd, CB_GETCURSEL, 0, 0);
    else
        ::SendMessageW(hWnd, CB_SETCURSEL, (WPARAM)index, 0);
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        index = (int)::SendMessageW(hWnd, LB_GETCURSEL, 0, 0);
    else
        ::SendMessageW(hWnd, LB_SETCURSEL, (WPARAM)index, 0);
}

static CString ListItemText(HWND hWnd, UINT msgLen, UINT msgText, int nIndex)
{
    CString text;
    int nLen = (int)::SendMessageW(hWnd, msgLen, (WPARAM)nIndex, 0);
    if (nLen < 0)
        return text;
    wchar_t* p = text.GetBufferSetLength(nLen + 1);
    int nGot = (int)::SendMessageW(hWnd, msgText, (WPARAM)nIndex, (LPARAM)p);
    text.ReleaseBuffer(nGot < 0 ? 0 : nGot);
    return text;
}

static void DDX_CBStringImpl(CDataExchange* pDX, int nIDC, CString& value, UINT findMsg)
{
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        // A drop-down list has no edit text: take the selected item's.
        if ((::GetWindowLongW(hWnd, GWL_STYLE) & 0x3) == CBS_DROPDOWNLIST)
        {
            int nIndex = (int)::SendMessageW(hWnd, CB_GETCURSEL, 0, 0);
            value =
                nIndex >= 0 ? ListItemText(hWnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, nIndex) : CString();
        }
        else
        {
            value = ControlText(hWnd);
        }
    }
    else
    {
        int nIndex = (int)::SendMessageW(hWnd, findMsg, (WPARAM)-1, (LPARAM)value.GetString());
        if (nIndex != CB_ERR)
            ::SendMessageW(hWnd, CB_SETCURSEL, (WPARAM)nIndex, 0);
        else if ((::GetWindowLongW(hWnd, GWL_STYLE) & 0x3) != CBS_DROPDOWNLIST)
            ::SetWindowTextW(hWnd, value); // a text not in the list, in the edit part
        else
            ::SendMessageW(hWnd, CB_SETCURSEL, (WPARAM)-1, 0);
    }
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value)
{
    DDX_CBStringImpl(pDX, nIDC, value, CB_FINDSTRING);
}
void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value)
{
    DDX_CBStringImpl(pDX, nIDC, value, CB_FINDSTRINGEXACT);
}

static void DDX_LBStringImpl(CDataExchange* pDX, int nIDC, CString& value, UINT findMsg)
{
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        int nIndex = (int)::SendMessageW(hWnd, LB_GETCURSEL, 0, 0);
        value = nIndex >= 0 ? ListItemText(hWnd, LB_GETTEXTLEN, LB_GETTEXT, nIndex) : CString();
    }
    else
    {
        int nIndex = (int)::SendMessageW(hWnd, findMsg, (WPARAM)-1, (LPARAM)value.GetString());
        ::SendMessageW(hWnd, LB_SETCURSEL, (WPARAM)(nIndex == LB_ERR ? -1 : nIndex), 0);
    }
}

void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value)
{
    DDX_LBStringImpl(pDX, nIDC, value, LB_FINDSTRING);
}
void DDX_LBStringExact(CDataExchange* pDX, int nIDC, CString& value)
{
    DDX_LBStringImpl(pDX, nIDC, value, LB_FINDSTRINGEXACT);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd != nullptr)
        return; // subclassed already
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(hWndCtrl))
        AfxThrowNotSupportedException();
}

// ---------------------------------------------------------------------------------------------
// Validation (only when saving).

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    if (!pDX->m_bSaveAndValidate)
    {
        // Tell the edit box the limit, so the user cannot type beyond it.
        if (pDX->m_idLastControl != nullptr && pDX->m_bEditLastControl)
            ::SendMessageW(pDX->m_idLastControl, EM_LIMITTEXT, (WPARAM)nChars, 0);
        return;
    }
    if (value.GetLength() > nChars)
    {
        CString message;
        message.Format(L"Enter no more than %d characters.", nChars);
        ReportBadInput(pDX, message);
    }
}

template <class T>
static void DDV_Range(CDataExchange* pDX, T value, T minVal, T maxVal, LPCWSTR lpszFormat)
{
    if (!pDX->m_bSaveAndValidate)
        return;
    if (value < minVal || value > maxVal)
    {
        CString message;
        message.Format(lpszFormat, minVal, maxVal);
        ReportBadInput(pDX, message);
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    DDV_Range(pDX, (long long)value, (long long)minVal, (long long)maxVal,
              L"Enter an integer between %I64d and %I64d.");
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal)
{
    DDV_Range(pDX, (unsigned long long)value, (unsigned long long)minVal,
              (unsigned long long)maxVal, L"Enter an integer between %I64u and %I64u.");
}

void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal)
{
    DDV_Range(pDX, (long long)value, (long long)minVal, (long long)maxVal,
              L"Enter an integer between %I64d and %I64d.");
}

void DDV_MinMaxDWord(CDataExchange* pDX, DWORD value, DWORD minVal, DWORD maxVal)
{
    DDV_Range(pDX, (unsigned long long)value, (unsigned long long)minVal,
              (unsigned long long)maxVal, L"Enter an integer between %I64u and %I64u.");
}

void DDV_MinMaxShort(CDataExchange* pDX, short value, short minVal, short maxVal)
{
    DDV_Range(pDX, (long long)value, (long long)minVal, (long long)maxVal,
              L"Enter an integer between %I64d and %I64d.");
}

void DDV_MinMaxByte(CDataExchange* pDX, BYTE value, BYTE minVal, BYTE maxVal)
{
    DDV_Range(pDX, (unsigned long long)value, (unsigned long long)minVal,
              (unsigned long long)maxVal, L"Enter an integer between %I64u and %I64u.");
}

void DDV_MinMaxLongLong(CDataExchange* pDX, LONGLONG value, LONGLONG minVal, LONGLONG maxVal)
{
    DDV_Range(pDX, (long long)value, (long long)minVal, (long long)maxVal,
              L"Enter an integer between %I64d and %I64d.");
}

void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal)
{
    DDV_Range(pDX, value, minVal, maxVal, L"Enter a number between %g and %g.");
}

void DDV_MinMaxFloat(CDataExchange* pDX, const float& value, float minVal, float maxVal)
{
    DDV_Range(pDX, (double)value, (double)minVal, (double)maxVal,
              L"Enter a number between %g and %g.");
}
