// CFileDialog: the system's Open and Save As dialogs (explorer style), with an optional child
// template whose controls the derived class handles through its message map; CColorDialog: the
// system's colour chooser.
#pragma once

#include "framework/dialog.h"

#include <commdlg.h>
#include <vector>

// An iteration position (an identical typedef elsewhere is allowed).
typedef struct __POSITION* POSITION;

class CFileDialog : public CDialog
{
    DECLARE_DYNAMIC(CFileDialog)

public:
    // lpszFilter: pairs of "description|pattern|", e.g. "Scripts (*.sql)|*.sql|All|*.*||".
    explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr,
                         LPCTSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         LPCTSTR lpszFilter = nullptr, CWnd* pParentWnd = nullptr, DWORD dwSize = 0,
                         BOOL bVistaStyle = FALSE);
    ~CFileDialog() override;

    OPENFILENAMEW m_ofn;
    BOOL m_bOpenFileDialog;

    // IDOK or IDCANCEL.
    INT_PTR DoModal() override;

    CString GetPathName() const;   // the chosen file (the first of several)
    CString GetFileName() const;   // without the folder
    CString GetFileExt() const;    // without the dot
    CString GetFileTitle() const;  // without folder and extension
    CString GetFolderPath() const; // while the dialog runs: the folder shown
    BOOL GetReadOnlyPref() const { return (m_ofn.Flags & OFN_READONLY) != 0; }
    // Several chosen files (OFN_ALLOWMULTISELECT).
    POSITION GetStartPosition() const;
    CString GetNextPathName(POSITION& pos) const;
    // The explorer dialog around the child template (the child is this window).
    CWnd* GetFileDialogWindow() const { return GetParent(); }
    void SetControlText(int nID, LPCTSTR lpsz);
    void HideControl(int nID);
    void SetDefExt(LPCSTR lpsz);

protected:
    virtual BOOL OnFileNameOK(); // true rejects the name
    virtual void OnInitDone();
    virtual void OnFileNameChange();
    virtual void OnFolderChange();
    virtual void OnTypeChange();
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // OK and Cancel belong to the system's dialog: its own processing.
    void OnOK() override { Default(); }
    void OnCancel() override { Default(); }

    // Centres the explorer dialog over its owner when it first shows, unless it was moved.
    void CenterWhenShown();
    void CenterIfUnplaced(HWND hDialog);
    static LRESULT CALLBACK CenterOnShowProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    std::vector<wchar_t> m_fileBuffer;
    std::vector<wchar_t> m_filterBuffer;
    CRect m_rectUnplaced; // the explorer dialog's rectangle when its hook first ran
    CString m_strDefExt;
    CString m_strTitle;
    friend UINT_PTR CALLBACK AfxFileDialogHookProc(HWND, UINT, WPARAM, LPARAM);
};

class CColorDialog : public CDialog
{
    DECLARE_DYNAMIC(CColorDialog)

public:
    explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);
    ~CColorDialog() override;

    CHOOSECOLORW m_cc;

    INT_PTR DoModal() override;
    COLORREF GetColor() const { return m_cc.rgbResult; }
    void SetCurrentColor(COLORREF clr);
    // The sixteen custom colours, shared by every colour dialog of the program.
    static COLORREF* GetSavedCustomColors();

protected:
    // OK and Cancel belong to the system's dialog: its own processing.
    void OnOK() override { Default(); }
    void OnCancel() override { Default(); }
};
