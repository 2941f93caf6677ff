// The script window's editor and its search.
#include "windows/sql_child_view.h"

#include "app/app_settings.h"
#include "controls/utility.h"
#include "editor/rce_messages.h"
#include "resources/resource.h"
#include "windows/find_replace_dlg.h"
#include "windows/grid_window_text.h"
#include "windows/sql_child_frame.h"

IMPLEMENT_DYNAMIC(CSQLChildView, CColorEditCtrl)

BEGIN_MESSAGE_MAP(CSQLChildView, CColorEditCtrl)
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

RECT PlaceDialogOffSelection(const RECT& dialog, const RECT& selection, int nScreenHeight)
{
    RECT overlap;
    if (!::IntersectRect(&overlap, &dialog, &selection))
        return dialog;
    const int nHeight = dialog.bottom - dialog.top;
    RECT moved = dialog;
    if (selection.bottom + nHeight <= nScreenHeight)
        moved.top = selection.bottom;
    else
        moved.top = selection.top - nHeight;
    moved.bottom = moved.top + nHeight;
    return moved;
}

void CSQLChildView::SelectText(HWND hDialog, int nStart, int nEnd)
{
    RCESelRange range = {nStart, nEnd, {0, 0, 0, 0}};
    if (hDialog != nullptr)
        ::GetWindowRect(hDialog, &range.avoid);
    SendMessage(RCEM_SETSELEX, 0, (LPARAM)&range);
}

int CSQLChildView::FindText(LPCWSTR pszFind, bool bDown, bool bMatchCase, bool bWholeWord,
                            int nStart, bool bStopAtEnd)
{
    CWaitCursor wait;
    const CString strText = GetText();
    return FindTextIn(strText, pszFind, bDown, bMatchCase, bWholeWord, nStart, bStopAtEnd);
}

int CSQLChildView::FindNext(HWND hDialog, LPCWSTR pszFind, bool bDown, bool bMatchCase,
                            bool bWholeWord, int nStart, bool bStopAtEnd)
{
    CWaitCursor wait;
    if (nStart < 0)
    {
        DWORD dwStart = 0, dwEnd = 0;
        SendMessage(EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
        nStart = bDown ? (int)dwEnd : (int)dwStart;
    }
    const int nFound = FindText(pszFind, bDown, bMatchCase, bWholeWord, nStart, bStopAtEnd);
    if (nFound < 0)
        return -1;
    const int nEnd = nFound + (int)wcslen(pszFind);
    if (hDialog == nullptr)
    {
        SendMessage(EM_SETSEL, nFound, nEnd);
        SendMessage(EM_SCROLLCARET);
        return nFound;
    }
    SelectText(hDialog, nFound, nEnd);
    RECT selection = {};
    if (SendMessage(RCEM_GETSELRECT, 0, (LPARAM)&selection))
    {
        RECT dialog;
        ::GetWindowRect(hDialog, &dialog);
        const RECT moved =
            PlaceDialogOffSelection(dialog, selection, ::GetSystemMetrics(SM_CYFULLSCREEN));
        if (moved.top != dialog.top)
            ::SetWindowPos(hDialog, nullptr, moved.left, moved.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return nFound;
}

CString CSQLChildView::GetFindWord()
{
    CString strSelected = GetSelText();
    if (!strSelected.IsEmpty())
        return strSelected;
    DWORD dwStart = 0, dwEnd = 0;
    SendMessage(EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    const CString strText = GetText();
    int nFrom = (int)dwStart, nTo = (int)dwStart;
    while (nFrom > 0 && IsIdentChar(strText[nFrom - 1]))
        --nFrom;
    while (nTo < strText.GetLength() && IsIdentChar(strText[nTo]))
        ++nTo;
    return strText.Mid(nFrom, nTo - nFrom);
}

void CSQLChildView::OnFind()
{
    const CString strWord = GetFindWord();
    if (!strWord.IsEmpty())
        theSettings.m_find.m_strFind = strWord;
    CFindDlg& dlg = GetFindDialog();
    dlg.m_pView = this;
    dlg.DoModal();
}

void CSQLChildView::OnReplace()
{
    CReplaceDlg& dlg = GetReplaceDialog();
    dlg.m_pView = this;
    const CString strWord = GetFindWord();
    if (!strWord.IsEmpty())
        theSettings.m_replace.m_strFind = strWord;
    dlg.DoModal();
}

void CSQLChildView::FindAgain(bool bDown)
{
    const CFindSettings& find = theSettings.m_find;
    if (find.m_strFind.IsEmpty())
        return;
    if (FindNext(nullptr, find.m_strFind, bDown, find.m_bMatchCase != 0, find.m_bWholeWord != 0, -1,
                 false) < 0)
        ShowCannotFind(find.m_strFind);
}

void CSQLChildView::OnContextMenu(CWnd*, CPoint point)
{
    if (CSQLChildFrame* pFrame = dynamic_cast<CSQLChildFrame*>(GetParent()))
        pFrame->ShowContextMenu(point);
}
