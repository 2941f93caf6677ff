// CSQLChildFrame: the MDI child window of one SQL script: the editor view, the file's path,
// encoding and byte-order mark, saving back in that encoding, the Edit commands, the caret
// position in the status bar, auto-save, and running the script or a selection.
//
// sql_child_frame.cpp: creation, reading and writing, the editor commands;
// sql_child_run.cpp: running the script, a selection or its plan.
#pragma once

#include "framework/ui.h"

#include "windows/child_menu_painting.h"
#include "windows/sql_child_view.h"

class CRDatabaseHelper;
class CRecentFileList;

class CSQLChildFrame : public CMenuPaintingChildWnd
{
    DECLARE_DYNCREATE(CSQLChildFrame)

public:
    CSQLChildFrame();
    // pszPath may be null (a new script); nEncoding 0 detects the file's encoding, or takes
    // "Editor encoding" for a new script. pRecentFiles (may be null) gets the path at once.
    CSQLChildFrame(CRDatabaseHelper* pHelper, LPCWSTR pszPath, UINT nEncoding,
                   CRecentFileList* pRecentFiles);
    ~CSQLChildFrame() override;

    // Puts the text into the editor, not marked as modified.
    void SetScriptText(LPCWSTR pszText);

    // Writes the editor's text to the path in the encoding. With bReport every failure is
    // shown and a lossy ANSI conversion is asked about; without it (auto-save) nothing is
    // shown and a lossy conversion is not written. The old file stays intact on failure.
    bool WriteScriptFile(LPCWSTR pszPath, UINT nEncoding, bool bReport);
    bool Save();
    bool SaveAs();
    // Asks to save a modified script; true when the window may close.
    bool SaveModified();
    // The main frame's timer: a modified script with a path writes itself, silently.
    void AutoSave();
    // The editor scheme of the settings and the notifications the frame needs.
    void ApplyEditorOptions();
    // The script window's popup menu (the first of menu 198) at a screen point.
    void ShowContextMenu(CPoint point);

    const CString& GetPath() const { return m_strPath; }
    UINT GetEncoding() const { return m_nEncoding; }
    bool HasBom() const { return m_bBom != 0; }
    bool IsModified() const;
    CSQLChildView& GetView() { return m_view; }
    CRDatabaseHelper* GetDatabaseHelper() const { return m_pHelper; }

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd) override;

protected:
    bool ReadScriptFile();
    bool HasSelection() const;
    bool IsConnected() const;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    // Posted by ReadScriptFile: tells what was read in place of bad bytes.
    static constexpr UINT WM_SHOW_READ_NOTE = WM_APP + 1;
    afx_msg LRESULT OnShowReadNote(WPARAM, LPARAM);

    // Files.
    afx_msg void OnSave();
    afx_msg void OnUpdateSave(CCmdUI* pCmdUI);
    afx_msg void OnSaveAs();
    afx_msg void OnUpdateSaveAs(CCmdUI* pCmdUI);
    // Editing.
    afx_msg void OnUndo();
    afx_msg void OnUpdateUndo(CCmdUI* pCmdUI);
    afx_msg void OnRedo();
    afx_msg void OnUpdateRedo(CCmdUI* pCmdUI);
    afx_msg void OnCut();
    afx_msg void OnCopy();
    afx_msg void OnDelete();
    afx_msg void OnUpdateNeedSelection(CCmdUI* pCmdUI);
    afx_msg void OnPaste();
    afx_msg void OnUpdatePaste(CCmdUI* pCmdUI);
    afx_msg void OnSelectAll();
    afx_msg void OnUpdateSelectAll(CCmdUI* pCmdUI);
    afx_msg void OnWordWrap();
    afx_msg void OnUpdateWordWrap(CCmdUI* pCmdUI);
    afx_msg void OnCopyAsCCode();
    // Running (sql_child_run.cpp).
    afx_msg void OnExecuteCurrentScript();
    afx_msg void OnUpdateExecuteCurrentScript(CCmdUI* pCmdUI);
    afx_msg void OnExecuteSelection();
    afx_msg void OnUpdateExecuteSelection(CCmdUI* pCmdUI);
    afx_msg void OnExecuteSelectionPlan();
    afx_msg void OnUpdateExecuteSelectionPlan(CCmdUI* pCmdUI);
    afx_msg void OnFind();
    afx_msg void OnReplace();
    afx_msg void OnFindAgain();
    afx_msg void OnFindPrevious();
    DECLARE_MESSAGE_MAP()

    CRDatabaseHelper* m_pHelper = nullptr;
    CString m_strPath;
    UINT m_nEncoding = 0;
    BYTE m_bBom = 0;
    // The file read had bytes that are no UTF-8, read as U+FFFD; cleared by a write.
    bool m_bBadBytesRead = false;
    CString m_strReadNote;
    CString m_strCaret;
    CRecentFileList* m_pRecentFiles = nullptr;
    HICON m_hIconLarge = nullptr;
    HICON m_hIconSmall = nullptr;
    CSQLChildView m_view;
};
