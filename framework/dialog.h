// CDialog: modal and modeless dialog boxes from a resource template or a template in memory.
//
// DoModal runs the dialog in the framework's own modal loop (RunModalLoop), so every message
// goes through the PreTranslateMessage walk, and the dialog's own PreTranslateMessage calls
// IsDialogMessage. Combo and list boxes are filled from dialog-initialisation data before
// OnInitDialog: a resource of type 240 or RCDATA with the template's name, or the data passed
// to InitModalIndirect / CreateIndirect. Its records are: WORD control id, WORD message
// (0x0401 list box add, 0x0403 combo box add, or the Win32 LB_ADDSTRING / CB_ADDSTRING),
// DWORD byte count, that many bytes of ANSI text ending in NUL; a WORD 0 ends the data.
#pragma once

#include "framework/wnd.h"

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)

public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Modeless.
    virtual BOOL Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual BOOL CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr,
                                void* lpDialogInit = nullptr);
    virtual BOOL CreateIndirect(HGLOBAL hDialogTemplate, CWnd* pParentWnd = nullptr);

    // Modal.
    BOOL InitModalIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr,
                           void* lpDialogInit = nullptr);
    BOOL InitModalIndirect(HGLOBAL hDialogTemplate, CWnd* pParentWnd = nullptr);
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnSetFont(CFont* pFont);
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    // Focus and default button.
    void NextDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
    void GotoDlgCtrl(CWnd* pWndCtrl);
    void SetDefID(UINT nID) { ::SendMessageW(m_hWnd, DM_SETDEFID, nID, 0); }
    DWORD GetDefID() const { return (DWORD)::SendMessageW(m_hWnd, DM_GETDEFID, 0, 0); }
    void MapDialogRect(LPRECT lpRect) const { ::MapDialogRect(m_hWnd, lpRect); }

    // Fills list and combo boxes from dialog-initialisation data (see above); false on bad data.
    BOOL ExecuteDlgInit(LPCTSTR lpszResourceName);
    BOOL ExecuteDlgInit(LPVOID lpResource);

    LPCTSTR m_lpszTemplateName = nullptr;
    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    virtual void OnOK();     // UpdateData, then EndDialog(IDOK)
    virtual void OnCancel(); // EndDialog(IDCANCEL)
    virtual void PreInitDialog();
    BOOL CreateDlgIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd, HINSTANCE hInst);
    HWND PreModal();
    void PostModal();
    BOOL HandleInitDialog();
    // Centres a dialog that neither its template nor its OnInitDialog placed (see dialog.cpp).
    void CenterIfUnplaced(const RECT& rectBefore, DWORD dwStyleBefore);

    HGLOBAL m_hDialogTemplate = nullptr;
    LPCDLGTEMPLATE m_lpDialogTemplate = nullptr;
    void* m_lpDialogInit = nullptr;
    CString m_strTemplateName;
    BOOL m_bClosedByEndDialog = FALSE;
    bool m_bAutoCenter = false; // the template leaves the position to the program

    afx_msg void OnOkCommand();
    afx_msg void OnCancelCommand();

    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()
};

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
