// CMainFrame: the driver information dialogs of the Connect menu (properties, types, functions).
#include "app/main_frame.h"

#include "browser/functions_dlg.h"
#include "browser/odbc_properties_dlg.h"
#include "browser/types_dlg.h"

void CMainFrame::OnConnectionProperties()
{
    if (!IsConnected())
        return;
    // The main connection: its attributes (timeouts, cursor library) are the ones in use.
    CODBCProp dlg(this);
    FillConnectionProperties(dlg, m_dbHelper.GetDatabase(), m_dbHelper.GetCursorType());
    dlg.DoModal();
}

void CMainFrame::OnConnectionTypes()
{
    if (!IsConnected())
        return;
    CTypesDlg dlg(&m_dbHelper.GetCatalogDatabase(), nullptr);
    dlg.DoModal();
}

void CMainFrame::OnConnectionFunctions()
{
    if (!IsConnected())
        return;
    CFunctionsDlg dlg(&m_dbHelper.GetCatalogDatabase(), this);
    dlg.DoModal();
}
