#include "windows/sql_child_frame.h"

#include "app/app_helpers.h"
#include "app/app_settings.h"
#include "app/main_frame.h"
#include "app/windows_array.h"
#include "controls/utility.h"
#include "dbaccess/error_report.h"
#include "editor/rce_messages.h"
#include "resources/resource.h"
#include "services/script_file_notes.h"
#include "services/script_reader.h"
#include "services/script_writer.h"
#include "services/sql_file_dialog.h"

IMPLEMENT_DYNCREATE(CSQLChildFrame, CMenuPaintingChildWnd)

BEGIN_MESSAGE_MAP(CSQLChildFrame, CMenuPaintingChildWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_SETFOCUS()
    ON_WM_HELPINFO()
    ON_MESSAGE(WM_SHOW_READ_NOTE, &CSQLChildFrame::OnShowReadNote)
    ON_COMMAND(ID_FILE_SAVE, &CSQLChildFrame::OnSave)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, &CSQLChildFrame::OnUpdateSave)
    ON_COMMAND(ID_FILE_SAVE_AS, &CSQLChildFrame::OnSaveAs)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_AS, &CSQLChildFrame::OnUpdateSaveAs)
    ON_COMMAND(ID_EDIT_UNDO, &CSQLChildFrame::OnUndo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, &CSQLChildFrame::OnUpdateUndo)
    ON_COMMAND(ID_EDIT_REDO, &CSQLChildFrame::OnRedo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REDO, &CSQLChildFrame::OnUpdateRedo)
    ON_COMMAND(ID_EDIT_CUT, &CSQLChildFrame::OnCut)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, &CSQLChildFrame::OnUpdateNeedSelection)
    ON_COMMAND(ID_EDIT_COPY, &CSQLChildFrame::OnCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, &CSQLChildFrame::OnUpdateNeedSelection)
    ON_COMMAND(ID_EDIT_DELETE, &CSQLChildFrame::OnDelete)
    ON_UPDATE_COMMAND_UI(ID_EDIT_DELETE, &CSQLChildFrame::OnUpdateNeedSelection)
    ON_COMMAND(ID_EDIT_PASTE, &CSQLChildFrame::OnPaste)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, &CSQLChildFrame::OnUpdatePaste)
    ON_COMMAND(ID_EDIT_SELECT_ALL, &CSQLChildFrame::OnSelectAll)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, &CSQLChildFrame::OnUpdateSelectAll)
    ON_COMMAND(ID_EDIT_WORD_WRAP, &CSQLChildFrame::OnWordWrap)
    ON_UPDATE_COMMAND_UI(ID_EDIT_WORD_WRAP, &CSQLChildFrame::OnUpdateWordWrap)
    ON_COMMAND(ID_EDIT_COPY_AS_C, &CSQLChildFrame::OnCopyAsCCode)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY_AS_C, &CSQLChildFrame::OnUpdateNeedSelection)
    ON_COMMAND(ID_SCRIPT_EXECUTE_CURRENT, &CSQLChildFrame::OnExecuteCurrentScript)
    ON_UPDATE_COMMAND_UI(ID_SCRIPT_EXECUTE_CURRENT, &CSQLChildFrame::OnUpdateExecuteCurrentScript)
    ON_COMMAND(ID_SCRIPT_EXECUTE_SELECTION, &CSQLChildFrame::OnExecuteSelection)
    ON_UPDATE_COMMAND_UI(ID_SCRIPT_EXECUTE_SELECTION, &CSQLChildFrame::OnUpdateExecuteSelection)
    ON_COMMAND(ID_SCRIPT_EXECUTE_PLAN, &CSQLChildFrame::OnExecuteSelectionPlan)
    ON_UPDATE_COMMAND_UI(ID_SCRIPT_EXECUTE_PLAN, &CSQLChildFrame::OnUpdateExecuteSelectionPlan)
    ON_COMMAND(ID_EDIT_FIND, &CSQLChildFrame::OnFind)
    ON_COMMAND(ID_EDIT_REPLACE, &CSQLChildFrame::OnReplace)
    ON_COMMAND(ID_EDIT_REPEAT, &CSQLChildFrame::OnFindAgain)
    ON_COMMAND(ID_EDIT_FIND_PREVIOUS, &CSQLChildFrame::OnFindPrevious)
END_MESSAGE_MAP()

CSQLChildFrame::CSQLChildFrame()
{
    theSQLWindows.Add(this);
}

CSQLChildFrame::CSQLChildFrame(CRDatabaseHelper* pHelper, LPCWSTR pszPath, UINT nEncoding,
                               CRecentFileList* pRecentFiles)
    : m_pHelper(pHelper), m_strPath(pszPath), m_nEncoding(nEncoding),
      m_bBom(nEncoding == SCRIPT_ENCODING_UNICODE || nEncoding == SCRIPT_ENCODING_UTF8),
      m_pRecentFiles(pRecentFiles)
{
    theSQLWindows.Add(this);
    if (!m_strPath.IsEmpty() && m_pRecentFiles != nullptr)
    {
        m_pRecentFiles->Add(m_strPath);
        m_pRecentFiles->WriteList();
    }
}

CSQLChildFrame::~CSQLChildFrame()
{
    theSQLWindows.Remove(this);
}

BOOL CSQLChildFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    if (!CMDIChildWnd::PreCreateWindow(cs))
        return FALSE;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    cs.lpszClass = AfxRegisterWndClass(
        CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1),
        ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_SQL_SCRIPT)));
    return TRUE;
}

int CSQLChildFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CMDIChildWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    m_hIconLarge =
        (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_SQL_SCRIPT), IMAGE_ICON,
                            ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0);
    m_hIconSmall =
        (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_SQL_SCRIPT), IMAGE_ICON,
                            ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0);
    SetIcon(m_hIconLarge, TRUE);
    SetIcon(m_hIconSmall, FALSE);

    CRect client;
    GetClientRect(&client);
    if (!m_view.CreateEx(WS_EX_CLIENTEDGE, RCE_CLASS_NAME, L"", WS_CHILD | WS_VISIBLE | WS_BORDER,
                         client, this, AFX_IDW_PANE_FIRST))
        return -1;
    ApplyEditorOptions();

    if (m_strPath.IsEmpty())
    {
        if (m_nEncoding == 0)
        {
            m_nEncoding = theSettings.m_nEditorEncoding;
            m_bBom = m_nEncoding == SCRIPT_ENCODING_UNICODE;
        }
    }
    else if (!ReadScriptFile())
        return -1;
    RecalcLayout();
    return 0;
}

bool CSQLChildFrame::ReadScriptFile()
{
    CWaitCursor wait;
    std::unique_ptr<CSQLScriptFile> file;
    try
    {
        file = std::make_unique<CSQLScriptFile>(m_strPath, CFile::modeRead | CFile::shareDenyNone,
                                                L";", m_nEncoding);
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
        AfxMessageBox(FormatErrorText(e), MB_ICONERROR);
        return false;
    }
    if (file->GetLength() > 0x7FFFFFFF)
    {
        AfxMessageBox(LoadResString(IDS_FILE_TOO_BIG), MB_ICONERROR);
        return false;
    }
    // The editor takes its text up to the first NUL: such a file would open cut, run cut and
    // save cut, so it does not open at all.
    const CString refusal = GetScriptNulRefusal(m_strPath, *file, false);
    if (!refusal.IsEmpty())
    {
        AfxMessageBox(refusal, MB_ICONERROR);
        return false;
    }
    CString text;
    bool bRead = false;
    try
    {
        bRead = file->ReadAll(text);
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
    }
    if (!bRead)
    {
        AfxMessageBox(LoadResString(IDS_FAILED_TO_READ_FILE), MB_ICONERROR);
        return false;
    }
    m_nEncoding = file->GetEncoding();
    m_bBom = file->HasBom();
    m_view.SetWindowText(text);
    m_view.SendMessage(EM_SETMODIFY, FALSE);
    // Bad bytes of a UTF-8 file show as U+FFFD; the user hears of it once the window is up
    // (a message box inside the MDI child's creation would run its modal loop half-way through
    // WM_MDICREATE), and a save asks before it writes the marks over those bytes.
    m_bBadBytesRead = file->GetBadByteCount() != 0;
    m_strReadNote = GetScriptBadBytesNote(m_strPath, *file, false);
    // The editor keeps a CR without its LF as a line feed (old Mac line ends): said too, since
    // a save writes LF there.
    const CString crNote = GetScriptLoneCrNote(text);
    if (!crNote.IsEmpty())
        m_strReadNote += (m_strReadNote.IsEmpty() ? m_strPath + L"\n" : CString(L"\n")) + crNote;
    if (!m_strReadNote.IsEmpty())
        PostMessage(WM_SHOW_READ_NOTE);
    return true;
}

LRESULT CSQLChildFrame::OnShowReadNote(WPARAM, LPARAM)
{
    if (!m_strReadNote.IsEmpty())
    {
        const CString note = m_strReadNote;
        m_strReadNote.Empty();
        AfxMessageBox(note, MB_ICONEXCLAMATION);
    }
    return 0;
}

void CSQLChildFrame::OnDestroy()
{
    CMDIChildWnd::OnDestroy();
    if (m_hIconLarge != nullptr)
        ::DestroyIcon(m_hIconLarge);
    if (m_hIconSmall != nullptr)
        ::DestroyIcon(m_hIconSmall);
    m_hIconLarge = m_hIconSmall = nullptr;
}

void CSQLChildFrame::SetScriptText(LPCWSTR pszText)
{
    if (pszText == nullptr || m_view.GetSafeHwnd() == nullptr)
        return;
    m_view.SetWindowText(pszText);
    m_view.SendMessage(EM_SETMODIFY, FALSE);
}

bool CSQLChildFrame::IsModified() const
{
    return m_view.GetSafeHwnd() != nullptr && m_view.SendMessage(EM_GETMODIFY) != 0;
}

void CSQLChildFrame::ApplyEditorOptions()
{
    if (m_view.GetSafeHwnd() == nullptr)
        return;
    theSettings.ApplySQLEditorSettings(m_view.GetSafeHwnd(), theSettings.m_bSQLEditorWordWrap
                                                                 ? RCEO_WORDWRAP | RCEO_WORDWRAPMENU
                                                                 : RCEO_WORDWRAPMENU);
    m_view.SendMessage(RCEM_SETNOTIFY, RCENF_CARETMOVED | RCENF_MENUITEM);
}

// ---- Writing ----------------------------------------------------------------------------------

bool CSQLChildFrame::WriteScriptFile(LPCWSTR pszPath, UINT nEncoding, bool bReport)
{
    CWaitCursor wait;
    if (nEncoding != SCRIPT_ENCODING_UNICODE && nEncoding != SCRIPT_ENCODING_UTF8)
        nEncoding = SCRIPT_ENCODING_ANSI;
    const CString text = m_view.GetText();
    std::string bytes;
    bool bLossy = false;
    if (!EncodeScriptText(text, nEncoding, bytes, bLossy))
    {
        if (bReport)
            AfxMessageBox(GetErrorText(::GetLastError()), MB_ICONERROR);
        return false;
    }
    // Characters the code page cannot hold would become "?": never unasked, whatever the
    // script was read as; auto-save leaves such a script modified instead.
    if (bLossy && (!bReport || AfxMessageBox(LoadResString(IDS_TEXT_CHANGED),
                                             MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK))
        return false;
    // The marks of bytes that were no UTF-8 would replace those bytes in the file: never
    // unasked either (ANSI was asked about just above, the code page has no such character).
    if (m_bBadBytesRead && !bLossy)
    {
        const int nMarks = CountReplacementChars(text);
        if (nMarks > 0 && (!bReport || AfxMessageBox(GetScriptBadBytesSaveQuestion(nMarks),
                                                     MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK))
            return false;
    }

    const bool bBom = ScriptWritesBom(nEncoding, m_nEncoding, m_bBom != 0);
    std::string head;
    if (bBom)
    {
        const ByteOrderMark& mark =
            nEncoding == SCRIPT_ENCODING_UNICODE ? GetUnicodeBom() : GetUtf8Bom();
        head.assign(reinterpret_cast<const char*>(mark.pBytes), mark.nCount);
    }
    try
    {
        WriteFileReplacing(pszPath, head, bytes);
    }
    catch (CFileException* e)
    {
        CExceptionHolder held(e);
        if (bReport)
            AfxMessageBox(GetWriteErrorText(e, pszPath), MB_ICONERROR);
        return false;
    }
    if (bBom)
        m_bBom = TRUE;
    m_bBadBytesRead = false;
    m_view.SendMessage(EM_SETMODIFY, FALSE);
    return true;
}

bool CSQLChildFrame::Save()
{
    if (m_strPath.IsEmpty())
        return SaveAs();
    return WriteScriptFile(m_strPath, m_nEncoding, true);
}

bool CSQLChildFrame::SaveAs()
{
    const CString folder = m_strPath.IsEmpty() ? CString() : GetFolderOfPath(m_strPath);
    for (;;)
    {
        CSQLFileDialog dlg(FALSE, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING,
                           m_nEncoding, this);
        if (!folder.IsEmpty())
            dlg.m_ofn.lpstrInitialDir = folder;
        if (dlg.DoModal() != IDOK)
            return false;
        theSettings.SaveCurrentDirectory();
        const CString path = dlg.GetPathName();
        const UINT nEncoding = dlg.GetEncoding();
        if (!WriteScriptFile(path, nEncoding, true))
            continue;
        m_strPath = path;
        m_nEncoding = nEncoding;
        SetWindowText(CMainFrame::CompactPath(m_strPath));
        if (CMainFrame* pMain = GetMainFrame())
        {
            ::SendMessageW(pMain->m_hWndMDIClient, WM_MDIREFRESHMENU, 0, 0);
            pMain->DrawMenuBar();
            pMain->SetEncodingPane(m_nEncoding);
        }
        if (m_pRecentFiles != nullptr)
        {
            m_pRecentFiles->Add(m_strPath);
            m_pRecentFiles->WriteList();
        }
        return true;
    }
}

bool CSQLChildFrame::SaveModified()
{
    if (!IsModified())
        return true;
    // Asked at exit or by Close All, the question may be about a window behind others, or
    // minimised: the window it is about comes to the front first.
    if (m_hWnd != nullptr)
    {
        MDIActivate();
        if (IsIconic())
            MDIRestore();
        UpdateWindow();
    }
    const CString name = m_strPath.IsEmpty() ? CString(L"File") : L"'" + m_strPath + L"'";
    switch (AfxMessageBox(name + L" has changed.\nSave it?", MB_YESNOCANCEL | MB_ICONQUESTION))
    {
    case IDYES: return Save();
    case IDNO: return true;
    default: return false;
    }
}

void CSQLChildFrame::AutoSave()
{
    if (m_view.GetSafeHwnd() != nullptr && IsModified() && !m_strPath.IsEmpty())
        WriteScriptFile(m_strPath, m_nEncoding, false);
}

void CSQLChildFrame::OnClose()
{
    if (SaveModified())
        CMDIChildWnd::OnClose();
}

// ---- Routing, status and activation -----------------------------------------------------------

BOOL CSQLChildFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (m_view.GetSafeHwnd() != nullptr && m_view.OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return CMDIChildWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CSQLChildFrame::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    if (pHeader != nullptr && pHeader->hwndFrom == m_view.GetSafeHwnd())
    {
        if (pHeader->code == RCEN_CARETMOVED)
        {
            const auto* pCaret = reinterpret_cast<const RCENMCaretMoved*>(lParam);
            m_strCaret.Format(L"Ln %lu, Col %lu", (unsigned long)pCaret->line,
                              (unsigned long)pCaret->column);
            CMainFrame* pMain = GetMainFrame();
            if (pMain != nullptr && pMain->MDIGetActive() == this)
                pMain->SetRowsPane(m_strCaret);
            *pResult = 0;
            return TRUE;
        }
        if (pHeader->code == RCEN_AUTOCOMPLETE)
        {
            m_view.UpdateAutoComplete();
            *pResult = 0;
            return TRUE;
        }
    }
    return CMDIChildWnd::OnNotify(wParam, lParam, pResult);
}

void CSQLChildFrame::OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd)
{
    CMDIChildWnd::OnMDIActivate(bActivate, pActivateWnd, pDeactivateWnd);
    CMainFrame* pMain = GetMainFrame();
    if (pMain == nullptr)
        return;
    if (bActivate)
    {
        pMain->SetRowsPane(m_strCaret);
        pMain->SetEncodingPane(m_nEncoding);
    }
    else
    {
        pMain->SetIdleMessage(nullptr);
        pMain->SetRowsPane(L"");
        pMain->SetEncodingPane(0);
    }
}

void CSQLChildFrame::OnSetFocus(CWnd* pOldWnd)
{
    CMDIChildWnd::OnSetFocus(pOldWnd);
    if (m_view.GetSafeHwnd() != nullptr)
        m_view.SetFocus();
}

BOOL CSQLChildFrame::OnHelpInfo(HELPINFO*)
{
    ShowHelpTopic(L"::/SQLScript.html");
    return TRUE;
}

void CSQLChildFrame::ShowContextMenu(CPoint point)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_SQL_CONTEXT_MENU))
        return;
    CMenu* pPopup = menu.GetSubMenu(0);
    if (pPopup == nullptr)
        return;
    if (point.x == -1 && point.y == -1)
    {
        CRect rect;
        m_view.GetWindowRect(&rect);
        point = rect.CenterPoint();
    }
    pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}

// ---- Editing ----------------------------------------------------------------------------------

bool CSQLChildFrame::HasSelection() const
{
    if (m_view.GetSafeHwnd() == nullptr)
        return false;
    DWORD start = 0, end = 0;
    m_view.SendMessage(EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    return start != end;
}

void CSQLChildFrame::OnSave()
{
    Save();
}

void CSQLChildFrame::OnUpdateSave(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsModified());
}

void CSQLChildFrame::OnSaveAs()
{
    SaveAs();
}

void CSQLChildFrame::OnUpdateSaveAs(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(TRUE);
}

void CSQLChildFrame::OnUndo()
{
    m_view.SendMessage(EM_UNDO);
}

void CSQLChildFrame::OnUpdateUndo(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_view.SendMessage(EM_CANUNDO) != 0);
}

void CSQLChildFrame::OnRedo()
{
    m_view.SendMessage(RCEM_REDO);
}

void CSQLChildFrame::OnUpdateRedo(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_view.SendMessage(RCEM_CANREDO) != 0);
}

void CSQLChildFrame::OnCut()
{
    m_view.SendMessage(WM_CUT);
}

void CSQLChildFrame::OnCopy()
{
    m_view.SendMessage(WM_COPY);
}

void CSQLChildFrame::OnDelete()
{
    m_view.SendMessage(WM_CLEAR);
}

void CSQLChildFrame::OnUpdateNeedSelection(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(HasSelection());
}

void CSQLChildFrame::OnPaste()
{
    m_view.SendMessage(WM_PASTE);
}

void CSQLChildFrame::OnUpdatePaste(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(::IsClipboardFormatAvailable(CF_TEXT));
}

void CSQLChildFrame::OnSelectAll()
{
    m_view.SendMessage(EM_SETSEL, 0, -1);
    m_view.SendMessage(EM_SCROLLCARET);
}

void CSQLChildFrame::OnUpdateSelectAll(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_view.GetWindowTextLength() > 0);
}

void CSQLChildFrame::OnWordWrap()
{
    const UINT nOptions = (UINT)m_view.SendMessage(RCEM_GETOPTIONS) ^ RCEO_WORDWRAP;
    m_view.SendMessage(RCEM_SETOPTIONS, TRUE, nOptions);
    theSettings.m_bSQLEditorWordWrap = (nOptions & RCEO_WORDWRAP) != 0;
}

void CSQLChildFrame::OnUpdateWordWrap(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(TRUE);
    pCmdUI->SetCheck((m_view.SendMessage(RCEM_GETOPTIONS) & RCEO_WORDWRAP) != 0);
}

void CSQLChildFrame::OnCopyAsCCode()
{
    CWaitCursor wait;
    const CString text = m_view.GetSelText();
    if (!text.IsEmpty())
        MakeCStringLiteral(m_hWnd, text);
}

// ---- Search: the view does the work ------------------------------------------------------------

void CSQLChildFrame::OnFind()
{
    m_view.OnFind();
}

void CSQLChildFrame::OnReplace()
{
    m_view.OnReplace();
}

void CSQLChildFrame::OnFindAgain()
{
    m_view.FindAgain(true);
}

void CSQLChildFrame::OnFindPrevious()
{
    m_view.FindAgain(false);
}
