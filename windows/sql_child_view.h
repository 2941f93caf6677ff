// CSQLChildView: the editor of a script window, with the text search behind Find, Find Again and
// Replace. The script window's frame forwards its search commands here.
#pragma once

#include "editor/color_edit_ctrl.h"

class CSQLChildView : public CColorEditCtrl
{
    DECLARE_DYNAMIC(CSQLChildView)

public:
    CSQLChildView() = default;

    // Selects a range; the editor scrolls it clear of the dialog's window.
    void SelectText(HWND hDialog, int nStart, int nEnd);
    // The position of the find text from nStart, or -1 (wait cursor shown).
    int FindText(LPCWSTR pszFind, bool bDown, bool bMatchCase, bool bWholeWord, int nStart,
                 bool bStopAtEnd);
    // Finds and selects the next match from nStart (-1: the selection's end going down, its start
    // going up). With a dialog, the dialog moves off the selection. The position or -1.
    int FindNext(HWND hDialog, LPCWSTR pszFind, bool bDown, bool bMatchCase, bool bWholeWord,
                 int nStart, bool bStopAtEnd);
    // The selected text, or the word around the caret.
    CString GetFindWord();

    // The script window's search commands.
    void OnFind();
    void OnReplace();
    // Find Again (down) and Find Previous; "Can not find '%s'" when there is no match.
    void FindAgain(bool bDown);

protected:
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
    DECLARE_MESSAGE_MAP()
};

// Where a dialog goes so that it does not cover a selection: just below it when the screen has
// room there, else just above it. Unchanged when they do not overlap.
RECT PlaceDialogOffSelection(const RECT& dialog, const RECT& selection, int nScreenHeight);
