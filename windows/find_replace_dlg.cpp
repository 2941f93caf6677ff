// The Find and Replace dialogs.
#include "windows/find_replace_dlg.h"

#include "app/app_settings.h"
#include "resources/resource.h"
#include "windows/grid_window_text.h"
#include "windows/sql_child_view.h"

void ShowCannotFind(LPCWSTR pszFind)
{
    CString strFormat, strText;
    strFormat.LoadString(IDS_CANNOT_FIND);
    strText.Format(strFormat, pszFind);
    AfxMessageBox(strText, MB_OK | MB_ICONHAND);
}

namespace {

void FillCombo(CWnd* pDialog, UINT nID, const CStringArray& list, const CString& strText)
{
    HWND hCombo = ::GetDlgItem(pDialog->m_hWnd, nID);
    ::SendMessageW(hCombo, CB_RESETCONTENT, 0, 0);
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        ::SendMessageW(hCombo, CB_ADDSTRING, 0, (LPARAM)list[i].GetString());
    ::SetWindowTextW(hCombo, strText);
}

CString ComboText(CWnd* pDialog, UINT nID)
{
    CString str;
    pDialog->GetDlgItemText(nID, str);
    return str;
}

// The text of the combo box as it will be after a selection change (the edit part is updated
// only after the notification).
CString SelectedComboText(CWnd* pDialog, UINT nID)
{
    HWND hCombo = ::GetDlgItem(pDialog->m_hWnd, nID);
    const int nSel = (int)::SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    if (nSel < 0)
        return CString();
    const int nLength = (int)::SendMessageW(hCombo, CB_GETLBTEXTLEN, nSel, 0);
    CString str;
    ::SendMessageW(hCombo, CB_GETLBTEXT, nSel, (LPARAM)str.GetBuffer(nLength + 1));
    str.ReleaseBuffer();
    return str;
}

void ReadOptions(CWnd* pDialog, CFindSettings& find)
{
    find.m_strFind = ComboText(pDialog, IDC_FIND_WHAT);
    find.m_bMatchCase = pDialog->IsDlgButtonChecked(IDC_MATCH_CASE) ? 1 : 0;
    find.m_bWholeWord = pDialog->IsDlgButtonChecked(IDC_WHOLE_WORD) ? 1 : 0;
    find.m_nDirection = pDialog->IsDlgButtonChecked(IDC_DIRECTION_UP) ? 0 : 1;
}

void ShowOptions(CWnd* pDialog, const CFindSettings& find)
{
    pDialog->CheckDlgButton(IDC_MATCH_CASE, find.m_bMatchCase ? BST_CHECKED : BST_UNCHECKED);
    pDialog->CheckDlgButton(IDC_WHOLE_WORD, find.m_bWholeWord ? BST_CHECKED : BST_UNCHECKED);
    pDialog->CheckRadioButton(IDC_DIRECTION_UP, IDC_DIRECTION_DOWN,
                              find.m_nDirection == 0 ? IDC_DIRECTION_UP : IDC_DIRECTION_DOWN);
}

} // namespace

// ---- Find ----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFindDlg, CDialog)
    ON_BN_CLICKED(IDC_FIND_NEXT, &CFindDlg::OnFindNext)
    ON_CBN_EDITCHANGE(IDC_FIND_WHAT, &CFindDlg::OnEditChange)
    ON_CBN_SELCHANGE(IDC_FIND_WHAT, &CFindDlg::OnSelChange)
END_MESSAGE_MAP()

CFindDlg::CFindDlg(CWnd* pParent) : CDialog(IDD_FIND, pParent) {}

BOOL CFindDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_pView == nullptr || m_pView->m_hWnd == nullptr)
    {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    const CFindSettings& find = theSettings.m_find;
    FillCombo(this, IDC_FIND_WHAT, find.m_findList, find.m_strFind);
    ShowOptions(this, find);
    GetDlgItem(IDC_FIND_NEXT)->EnableWindow(!find.m_strFind.IsEmpty());
    return TRUE;
}

void CFindDlg::ReadControls()
{
    ReadOptions(this, theSettings.m_find);
}

void CFindDlg::OnEditChange()
{
    GetDlgItem(IDC_FIND_NEXT)->EnableWindow(!ComboText(this, IDC_FIND_WHAT).IsEmpty());
}

void CFindDlg::OnSelChange()
{
    GetDlgItem(IDC_FIND_NEXT)->EnableWindow(!SelectedComboText(this, IDC_FIND_WHAT).IsEmpty());
}

void CFindDlg::OnFindNext()
{
    ReadControls();
    CFindSettings& find = theSettings.m_find;
    if (find.m_strFind.IsEmpty())
        return;
    const CString strFind = find.m_strFind;
    theSettings.AddFindString(strFind);
    FillCombo(this, IDC_FIND_WHAT, find.m_findList, strFind);
    if (m_pView->FindNext(m_hWnd, strFind, find.m_nDirection == 1, find.m_bMatchCase != 0,
                          find.m_bWholeWord != 0, -1, false) < 0)
    {
        // The dialog is gone before the message shows.
        ShowWindow(SW_HIDE);
        EndDialog(IDOK);
        ShowCannotFind(strFind);
    }
}

// ---- Replace -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CReplaceDlg, CDialog)
    ON_BN_CLICKED(IDC_FIND_NEXT, &CReplaceDlg::OnFindNext)
    ON_BN_CLICKED(IDC_REPLACE, &CReplaceDlg::OnReplace)
    ON_BN_CLICKED(IDC_REPLACE_ALL, &CReplaceDlg::OnReplaceAll)
    ON_CBN_EDITCHANGE(IDC_FIND_WHAT, &CReplaceDlg::OnEditChange)
    ON_CBN_SELCHANGE(IDC_FIND_WHAT, &CReplaceDlg::OnSelChange)
END_MESSAGE_MAP()

CReplaceDlg::CReplaceDlg(CWnd* pParent) : CDialog(IDD_REPLACE, pParent) {}

BOOL CReplaceDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_pView == nullptr || m_pView->m_hWnd == nullptr)
    {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    const CFindSettings& replace = theSettings.m_replace;
    FillCombo(this, IDC_FIND_WHAT, replace.m_findList, replace.m_strFind);
    FillCombo(this, IDC_REPLACE_WITH, replace.m_replaceList, replace.m_strReplace);
    ShowOptions(this, replace);
    EnableButtons(!replace.m_strFind.IsEmpty());
    return TRUE;
}

void CReplaceDlg::EnableButtons(bool bEnable)
{
    for (UINT nID : {IDC_FIND_NEXT, IDC_REPLACE, IDC_REPLACE_ALL})
        GetDlgItem(nID)->EnableWindow(bEnable);
}

void CReplaceDlg::ReadControls()
{
    CFindSettings& replace = theSettings.m_replace;
    ReadOptions(this, replace);
    replace.m_strReplace = ComboText(this, IDC_REPLACE_WITH);
}

void CReplaceDlg::OnEditChange()
{
    EnableButtons(!ComboText(this, IDC_FIND_WHAT).IsEmpty());
}

void CReplaceDlg::OnSelChange()
{
    EnableButtons(!SelectedComboText(this, IDC_FIND_WHAT).IsEmpty());
}

bool CReplaceDlg::SearchOrClose(int nStart)
{
    const CFindSettings& replace = theSettings.m_replace;
    if (m_pView->FindNext(m_hWnd, replace.m_strFind, replace.m_nDirection == 1,
                          replace.m_bMatchCase != 0, replace.m_bWholeWord != 0, nStart, false) >= 0)
        return true;
    const CString strFind = replace.m_strFind;
    ShowWindow(SW_HIDE);
    EndDialog(IDOK);
    ShowCannotFind(strFind);
    return false;
}

void CReplaceDlg::OnFindNext()
{
    ReadControls();
    CFindSettings& replace = theSettings.m_replace;
    if (replace.m_strFind.IsEmpty())
        return;
    theSettings.AddReplaceStrings(replace.m_strFind, replace.m_strReplace);
    SearchOrClose(-1);
}

void CReplaceDlg::OnReplace()
{
    ReadControls();
    CFindSettings& replace = theSettings.m_replace;
    if (replace.m_strFind.IsEmpty())
        return;
    theSettings.AddReplaceStrings(replace.m_strFind, replace.m_strReplace);
    DWORD dwStart = 0, dwEnd = 0;
    m_pView->SendMessage(EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    if (dwStart == dwEnd)
    {
        SearchOrClose(-1);
        return;
    }
    m_bFirstReplace = false;
    // Only a selection that is a match is replaced; any other selection is first searched
    // from, whichever Replace of the run this is.
    const int nLength = replace.m_strFind.GetLength();
    const bool bMatch =
        (int)(dwEnd - dwStart) == nLength &&
        m_pView->FindText(replace.m_strFind, true, replace.m_bMatchCase != 0,
                          replace.m_bWholeWord != 0, (int)dwStart, true) == (int)dwStart;
    if (!bMatch)
    {
        SearchOrClose((int)dwStart);
        return;
    }
    m_pView->SendMessage(EM_REPLACESEL, TRUE, (LPARAM)replace.m_strReplace.GetString());
    const int nInsertedEnd = (int)dwStart + replace.m_strReplace.GetLength();
    m_pView->SendMessage(EM_SETSEL, dwStart, nInsertedEnd);
    SearchOrClose(replace.m_nDirection == 1 ? nInsertedEnd : (int)dwStart);
}

void CReplaceDlg::OnReplaceAll()
{
    ReadControls();
    CFindSettings& replace = theSettings.m_replace;
    if (replace.m_strFind.IsEmpty())
        return;
    theSettings.AddReplaceStrings(replace.m_strFind, replace.m_strReplace);
    CWaitCursor wait;
    DWORD dwStart = 0, dwEnd = 0;
    m_pView->SendMessage(EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    int nCaret = replace.m_nDirection == 1 ? (int)dwEnd : (int)dwStart;
    // The replacements are made on a copy of the text, which then replaces the editor's text
    // in one step: searched and replaced in the editor match by match, a long script with
    // thousands of matches kept the program busy for many minutes.
    CString strText = m_pView->GetText();
    if (ReplaceAllIn(strText, replace.m_strFind, replace.m_strReplace, replace.m_bMatchCase != 0,
                     replace.m_bWholeWord != 0, nCaret) > 0)
    {
        m_pView->SendMessage(EM_SETSEL, 0, m_pView->GetWindowTextLength());
        m_pView->SendMessage(EM_REPLACESEL, TRUE, (LPARAM)strText.GetString());
    }
    const int nLength = m_pView->GetWindowTextLength();
    if (nCaret > nLength)
        nCaret = nLength;
    m_pView->SendMessage(EM_SETSEL, nCaret, nCaret);
    m_pView->SendMessage(EM_SCROLLCARET);
    EndDialog(IDOK);
}

CFindDlg& GetFindDialog()
{
    static CFindDlg dlg;
    return dlg;
}

CReplaceDlg& GetReplaceDialog()
{
    static CReplaceDlg dlg;
    return dlg;
}
