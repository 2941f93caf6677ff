// CMainFrame: status-bar texts, the window title and the update rules that depend only on the
// connection.
#include "app/main_frame.h"

#include "dbaccess/error_report.h"
#include "resources/resource.h"

void CMainFrame::ShowMessage(UINT nID)
{
    SetMessageText(nID);
    // Long commands show their prompt before they start: paint it now.
    if (m_wndStatusBar.GetSafeHwnd() != nullptr)
        m_wndStatusBar.UpdateWindow();
}

void CMainFrame::SetIdleMessage(LPCWSTR pszText)
{
    m_strIdleMessage = pszText != nullptr ? pszText : L"";
    SetMessageText(AFX_IDS_IDLEMESSAGE);
}

void CMainFrame::SetPaneText(LPCWSTR pszText, UINT nPaneID, int nIndex)
{
    if (m_wndStatusBar.GetSafeHwnd() == nullptr || nIndex < 0 ||
        nIndex >= m_wndStatusBar.GetCount())
        return;
    CString strText = L" ";
    strText += pszText != nullptr ? pszText : L"";
    strText += L" ";

    CClientDC dc(&m_wndStatusBar);
    CFont* pOldFont = dc.SelectObject(m_wndStatusBar.GetFont());
    CSize size = dc.GetTextExtent(strText);
    dc.SelectObject(pOldFont);

    UINT nID = 0, nStyle = 0;
    int cxWidth = 0;
    m_wndStatusBar.GetPaneInfo(nIndex, nID, nStyle, cxWidth);
    if (size.cx >= 1 && size.cx > cxWidth)
        m_wndStatusBar.SetPaneInfo(nIndex, nPaneID, 0, size.cx);
    m_wndStatusBar.SetPaneText(nIndex, strText);
}

void CMainFrame::SetRowsPane(LPCWSTR pszText)
{
    SetPaneText(pszText, ID_INDICATOR_ROWS, 1);
}

void CMainFrame::SetPane2(LPCWSTR pszText)
{
    SetPaneText(pszText, ID_INDICATOR_PANE2, 2);
}

void CMainFrame::SetEncodingPane(int nEncoding)
{
    CString strText;
    switch (nEncoding)
    {
    case 1: strText.LoadString(IDS_ENCODING_ANSI); break;
    case 2: strText.LoadString(IDS_ENCODING_UNICODE); break;
    case 3: strText.LoadString(IDS_ENCODING_UTF8); break;
    }
    SetPane2(strText);
}

void CMainFrame::SetConnectionTitle(LPCWSTR pszText)
{
    CString strProduct;
    strProduct.LoadString(IDR_MAINFRAME);
    CString strTitle = strProduct;
    if (pszText != nullptr && *pszText != 0)
        strTitle = CString(pszText) + L" - " + strProduct;
    SetTitle(strTitle);
    SetWindowText(strTitle);
}

bool CMainFrame::IsConnected() const
{
    return m_dbHelper.GetDatabase().IsOpen();
}

void CMainFrame::OnUpdateConnected(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(IsConnected());
}

bool CMainFrame::HasOpenTransaction()
{
    if (!IsConnected())
        return false;
    try
    {
        return m_dbHelper.GetDatabase().IsInTransaction();
    }
    catch (CException* e)
    {
        // Asked at every idle pass: a driver that cannot tell shows no transaction, no box.
        CExceptionHolder held(e);
    }
    return false;
}

void CMainFrame::OnUpdateTransPane(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(HasOpenTransaction());
}
