// CFileDialog and CColorDialog over the common dialog library.
#include "framework/file_dialog.h"

#include "framework/module_state.h"
#include "framework/win_app.h"

#include <commctrl.h>

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)
IMPLEMENT_DYNAMIC(CColorDialog, CDialog)

namespace {

const DWORD kFileBufferChars = 32768;

HWND OwnerWindow(CWnd* pParentWnd)
{
    CWnd* pOwner = pParentWnd != nullptr ? pParentWnd : AfxGetMainWnd();
    HWND h = pOwner != nullptr ? pOwner->GetSafeHwnd() : nullptr;
    return h != nullptr ? ::GetAncestor(h, GA_ROOT) : nullptr;
}

} // namespace

// The hook of the explorer dialog: attaches the object to the child dialog; the object's
// window procedure sees everything after that.
UINT_PTR CALLBACK AfxFileDialogHookProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return 0;
    auto* pOfn = reinterpret_cast<OPENFILENAMEW*>(lParam);
    auto* pDlg = reinterpret_cast<CFileDialog*>(pOfn->lCustData);
    if (pDlg == nullptr)
        return TRUE;
    if (CWnd::FromHandlePermanent(hWnd) == nullptr && !pDlg->SubclassWindow(hWnd))
        return TRUE;
    // Where the system's dialog stands before anyone moves it (see CenterIfUnplaced).
    pDlg->m_rectUnplaced.SetRectEmpty();
    if (HWND hDialog = ::GetParent(hWnd))
        ::GetWindowRect(hDialog, &pDlg->m_rectUnplaced);
    return pDlg->OnInitDialog();
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName,
                         DWORD dwFlags, LPCTSTR lpszFilter, CWnd* pParentWnd, DWORD dwSize,
                         BOOL bVistaStyle)
    : m_bOpenFileDialog(bOpenFileDialog)
{
    (void)dwSize;
    (void)bVistaStyle;
    m_pParentWnd = pParentWnd;
    m_ofn = OPENFILENAMEW{};
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLEHOOK;
    m_ofn.hInstance = AfxGetResourceHandle();
    m_fileBuffer.assign(kFileBufferChars, L'\0');
    if (lpszFileName != nullptr)
        lstrcpynW(m_fileBuffer.data(), lpszFileName, (int)kFileBufferChars);
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = kFileBufferChars;
    if (lpszDefExt != nullptr)
    {
        m_strDefExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_strDefExt;
    }
    if (lpszFilter != nullptr)
    {
        // "a|b|c|d|" becomes "a\0b\0c\0d\0\0".
        for (const wchar_t* p = lpszFilter; *p != 0; ++p)
            m_filterBuffer.push_back(*p == L'|' ? L'\0' : *p);
        m_filterBuffer.push_back(L'\0');
        m_filterBuffer.push_back(L'\0');
        m_ofn.lpstrFilter = m_filterBuffer.data();
    }
}

CFileDialog::~CFileDialog() = default;

INT_PTR CFileDialog::DoModal()
{
    m_ofn.hwndOwner = OwnerWindow(m_pParentWnd);
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = (DWORD)m_fileBuffer.size();
    m_ofn.lpfnHook = AfxFileDialogHookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    m_ofn.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK;
    if (m_ofn.lpTemplateName != nullptr)
        m_ofn.Flags |= OFN_ENABLETEMPLATE;
    m_fileBuffer.back() = 0;
    const BOOL bOK = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    if (m_hWnd != nullptr)
        Detach();
    return bOK ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const
{
    const wchar_t* p = m_fileBuffer.data();
    if ((m_ofn.Flags & OFN_ALLOWMULTISELECT) && m_ofn.nFileOffset > 0 &&
        p[m_ofn.nFileOffset - 1] == 0)
    {
        // Several names: the folder, then the first name.
        CString strPath(p);
        const wchar_t* pName = p + m_ofn.nFileOffset;
        if (!strPath.IsEmpty() && strPath[strPath.GetLength() - 1] != L'\\')
            strPath += L'\\';
        return strPath + pName;
    }
    return CString(p);
}

CString CFileDialog::GetFileName() const
{
    CString strPath = GetPathName();
    int n = strPath.ReverseFind(L'\\');
    int m = strPath.ReverseFind(L'/');
    n = n > m ? n : m;
    return n >= 0 ? strPath.Mid(n + 1) : strPath;
}

CString CFileDialog::GetFileExt() const
{
    CString strName = GetFileName();
    int n = strName.ReverseFind(L'.');
    return n >= 0 ? strName.Mid(n + 1) : CString();
}

CString CFileDialog::GetFileTitle() const
{
    CString strName = GetFileName();
    int n = strName.ReverseFind(L'.');
    return n >= 0 ? strName.Left(n) : strName;
}

CString CFileDialog::GetFolderPath() const
{
    CString str;
    HWND hDlg = m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr;
    if (hDlg == nullptr)
        return str;
    wchar_t buf[MAX_PATH * 4] = {};
    if (::SendMessageW(hDlg, CDM_GETFOLDERPATH, MAX_PATH * 4, (LPARAM)buf) > 0)
        str = buf;
    return str;
}

POSITION CFileDialog::GetStartPosition() const
{
    return m_fileBuffer[0] != 0
               ? reinterpret_cast<POSITION>(const_cast<wchar_t*>(m_fileBuffer.data()))
               : nullptr;
}

CString CFileDialog::GetNextPathName(POSITION& pos) const
{
    const wchar_t* pStart = m_fileBuffer.data();
    const wchar_t* p = reinterpret_cast<const wchar_t*>(pos);
    if (p == nullptr)
        return CString();
    const BOOL bMulti = (m_ofn.Flags & OFN_ALLOWMULTISELECT) && m_ofn.nFileOffset > 0 &&
                        pStart[m_ofn.nFileOffset - 1] == 0;
    if (!bMulti)
    {
        pos = nullptr;
        return CString(pStart);
    }
    if (p == pStart)
        p = pStart + m_ofn.nFileOffset;
    CString strFolder(pStart);
    if (!strFolder.IsEmpty() && strFolder[strFolder.GetLength() - 1] != L'\\')
        strFolder += L'\\';
    CString strName(p);
    p += strName.GetLength() + 1;
    pos = *p != 0 ? reinterpret_cast<POSITION>(const_cast<wchar_t*>(p)) : nullptr;
    return strFolder + strName;
}

void CFileDialog::SetControlText(int nID, LPCTSTR lpsz)
{
    if (HWND hDlg = ::GetParent(m_hWnd))
        ::SendMessageW(hDlg, CDM_SETCONTROLTEXT, nID, (LPARAM)lpsz);
}

void CFileDialog::HideControl(int nID)
{
    if (HWND hDlg = ::GetParent(m_hWnd))
        ::SendMessageW(hDlg, CDM_HIDECONTROL, nID, 0);
}

void CFileDialog::SetDefExt(LPCSTR lpsz)
{
    m_strDefExt = CString(lpsz);
    m_ofn.lpstrDefExt = m_strDefExt;
    if (m_hWnd != nullptr)
        if (HWND hDlg = ::GetParent(m_hWnd))
            ::SendMessageW(hDlg, CDM_SETDEFEXT, 0, (LPARAM)(LPCWSTR)m_strDefExt);
}

BOOL CFileDialog::OnFileNameOK()
{
    return FALSE;
}
void CFileDialog::OnInitDone() {}
void CFileDialog::OnFileNameChange() {}
void CFileDialog::OnFolderChange() {}
void CFileDialog::OnTypeChange() {}

BOOL CFileDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* pNotify = reinterpret_cast<OFNOTIFYW*>(lParam);
    switch (pNotify->hdr.code)
    {
    case CDN_INITDONE:
        OnInitDone();
        CenterWhenShown();
        break;
    case CDN_SELCHANGE: OnFileNameChange(); break;
    case CDN_FOLDERCHANGE: OnFolderChange(); break;
    case CDN_TYPECHANGE:
        m_ofn.nFilterIndex = pNotify->lpOFN->nFilterIndex;
        OnTypeChange();
        break;
    case CDN_FILEOK: {
        const LRESULT reject = OnFileNameOK() ? 1 : 0;
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, reject);
        *pResult = reject;
        return TRUE;
    }
    default: return CDialog::OnNotify(wParam, lParam, pResult);
    }
    *pResult = 0;
    return TRUE;
}

// The explorer dialog's own window procedure, extended while it waits to be shown.
LRESULT CALLBACK CFileDialog::CenterOnShowProc(HWND hWnd, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR uId, DWORD_PTR dwRefData)
{
    if ((message == WM_SHOWWINDOW && wParam) || message == WM_NCDESTROY)
    {
        ::RemoveWindowSubclass(hWnd, &CFileDialog::CenterOnShowProc, uId);
        if (message == WM_SHOWWINDOW)
            reinterpret_cast<CFileDialog*>(dwRefData)->CenterIfUnplaced(hWnd);
    }
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}

void CFileDialog::CenterWhenShown()
{
    // The dialog's size is final only when it shows: a size the user gave an earlier dialog
    // (OFN_ENABLESIZING) is applied after CDN_INITDONE, keeping the top-left corner.
    HWND hDialog = m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr;
    if (hDialog != nullptr && !m_rectUnplaced.IsRectEmpty() && !::IsWindowVisible(hDialog))
        ::SetWindowSubclass(hDialog, &CFileDialog::CenterOnShowProc, 1,
                            reinterpret_cast<DWORD_PTR>(this));
}

void CFileDialog::CenterIfUnplaced(HWND hDialog)
{
    // With a hook the explorer dialog keeps its template's position, (0, 0) in the owner's
    // client area, over the owner's menu and toolbar. It is centred over its owner instead,
    // as the dialog manager does for the program's own dialogs, unless the derived class has
    // moved it already.
    CRect rect;
    ::GetWindowRect(hDialog, &rect);
    if (rect.left == m_rectUnplaced.left && rect.top == m_rectUnplaced.top)
        CWnd::FromHandle(hDialog)->CenterWindow();
}

BOOL CFileDialog::PreTranslateMessage(MSG* pMsg)
{
    return CWnd::PreTranslateMessage(pMsg);
}

// ---------------------------------------------------------------------------------------------

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd)
{
    m_pParentWnd = pParentWnd;
    m_cc = CHOOSECOLORW{};
    m_cc.lStructSize = sizeof(m_cc);
    m_cc.lpCustColors = GetSavedCustomColors();
    m_cc.Flags = dwFlags | CC_ENABLEHOOK;
    m_cc.rgbResult = clrInit;
    if (clrInit != 0)
        m_cc.Flags |= CC_RGBINIT;
}

CColorDialog::~CColorDialog() = default;

COLORREF* CColorDialog::GetSavedCustomColors()
{
    static COLORREF colors[16] = {
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
        RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)};
    return colors;
}

namespace {

UINT_PTR CALLBACK ColorDialogHookProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return 0;
    auto* pcc = reinterpret_cast<CHOOSECOLORW*>(lParam);
    auto* pDlg = reinterpret_cast<CColorDialog*>(pcc->lCustData);
    if (pDlg != nullptr && CWnd::FromHandlePermanent(hWnd) == nullptr && pDlg->SubclassWindow(hWnd))
        return pDlg->OnInitDialog();
    return TRUE;
}

} // namespace

INT_PTR CColorDialog::DoModal()
{
    m_cc.hwndOwner = OwnerWindow(m_pParentWnd);
    m_cc.lpfnHook = ColorDialogHookProc;
    m_cc.lCustData = reinterpret_cast<LPARAM>(this);
    m_cc.Flags |= CC_ENABLEHOOK;
    const BOOL bOK = ::ChooseColorW(&m_cc);
    if (m_hWnd != nullptr)
        Detach();
    return bOK ? IDOK : IDCANCEL;
}

void CColorDialog::SetCurrentColor(COLORREF clr)
{
    m_cc.rgbResult = clr;
    m_cc.Flags |= CC_RGBINIT;
    if (m_hWnd != nullptr)
    {
        // The dialog's red, green and blue edit boxes.
        ::SetDlgItemInt(m_hWnd, 706, GetRValue(clr), FALSE);
        ::SetDlgItemInt(m_hWnd, 707, GetGValue(clr), FALSE);
        ::SetDlgItemInt(m_hWnd, 708, GetBValue(clr), FALSE);
    }
}
