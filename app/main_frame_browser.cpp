// CMainFrame: the database bar's refresh command and the editor's auto-complete words.
#include "app/main_frame.h"

#include "app/auto_complete_words.h"

BOOL CMainFrame::FillAutoCompleteWords(CWnd* pMainWnd, CRCEAutoCompleteWordArray& words)
{
    CMainFrame* pFrame = GetMainFrame();
    if (pFrame == nullptr || (pMainWnd != nullptr && pMainWnd != pFrame))
        return FALSE;
    CRDatabase* pDatabase = pFrame->IsConnected() ? &pFrame->m_dbHelper.GetDatabase() : nullptr;
    return FillAutoCompleteWordList(words, pDatabase,
                                    [pFrame](CRCEAutoCompleteWordArray& list) {
                                        return pFrame->m_wndDBBar.GetTabCtrl().AddAutoCompleteWords(
                                            list);
                                    })
               ? TRUE
               : FALSE;
}

void CMainFrame::OnRefreshDatabaseBar()
{
    m_wndDBBar.RefreshCurrent();
}

void CMainFrame::OnUpdateRefreshDatabaseBar(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsConnected() && m_wndDBBar.IsVisible());
}
