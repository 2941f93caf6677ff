#include "app/exec_sql_dlg.h"

#include "app/app_helpers.h"
#include "app/app_settings.h"
#include "editor/rce_messages.h"

BEGIN_MESSAGE_MAP(CExecSQLDlg, CRSizableDlg)
    ON_BN_CLICKED(IDC_PREVIOUS_QUERY, &CExecSQLDlg::OnPreviousQuery)
    ON_BN_CLICKED(IDC_NEXT_QUERY, &CExecSQLDlg::OnNextQuery)
    ON_BN_CLICKED(IDC_HELP_BUTTON, &CExecSQLDlg::OnHelp)
    ON_WM_HELPINFO()
    ON_COMMAND(ID_EDIT_COPY_AS_C, &CExecSQLDlg::OnCopyAsCCode)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CExecSQLDlg::CExecSQLDlg(bool bPlanSupported, LPCWSTR pszText, CWnd* pParent)
    : CRSizableDlg(IDD, pParent), m_bPlanSupported(bPlanSupported),
      m_anchors{{IDC_SQL_EDITOR, kAnchorFar, kAnchorFar, kAnchorFar, kAnchorFar, {}},
                {IDC_SHOW_PLAN, kAnchorNear, kAnchorNear, kAnchorNear, kAnchorFar, {}},
                {IDOK, kAnchorNear, kAnchorNear, kAnchorNear, kAnchorFar, {}},
                {IDCANCEL, kAnchorNear, kAnchorNear, kAnchorNear, kAnchorFar, {}},
                {IDC_HELP_BUTTON, kAnchorNear, kAnchorFar, kAnchorNear, kAnchorFar, {}},
                {IDC_PREVIOUS_QUERY, kAnchorNear, kAnchorFar, kAnchorNear, kAnchorNear, {}},
                {IDC_NEXT_QUERY, kAnchorNear, kAnchorFar, kAnchorNear, kAnchorNear, {}}}
{
    if (pszText != nullptr && *pszText != 0)
        m_strQuery = pszText;
    else if (theSettings.m_sqlQueries.GetSize() > 0)
        m_strQuery = theSettings.m_sqlQueries[0];
}

CExecSQLDlg::~CExecSQLDlg()
{
    if (m_hIcon != nullptr)
        ::DestroyIcon(m_hIcon);
}

BOOL CExecSQLDlg::OnInitDialog()
{
    CRSizableDlg::OnInitDialog();
    GetDlgItem(IDC_SHOW_PLAN)->EnableWindow(m_bPlanSupported);

    m_editor.SubclassDlgItem(IDC_SQL_EDITOR, this);
    theSettings.ApplySQLEditorSettings(
        m_editor.GetSafeHwnd(),
        theSettings.m_bExecSQLWordWrap ? RCEO_WORDWRAP | RCEO_WORDWRAPMENU : RCEO_WORDWRAPMENU);
    if (m_menu.LoadMenu(IDR_SQL_CONTEXT_MENU))
    {
        if (CMenu* pItems = m_menu.GetSubMenu(1))
            m_editor.SendMessage(RCEM_SETCONTEXTMENU, (WPARAM)pItems->GetSafeHmenu(), 7);
    }
    m_editor.SetWindowText(m_strQuery);

    m_images.Create(15, 15, ILC_COLOR24 | ILC_MASK, 2, 1);
    for (UINT nBitmap : {IDB_MOVE_UP, IDB_MOVE_DOWN})
    {
        CBitmap bitmap;
        if (bitmap.LoadBitmap(nBitmap))
            m_images.Add(&bitmap, RGB(255, 255, 255));
    }
    m_btnPrevious.SubclassDlgItem(IDC_PREVIOUS_QUERY, this);
    m_btnPrevious.SetImage(&m_images, 0);
    m_btnNext.SubclassDlgItem(IDC_NEXT_QUERY, this);
    m_btnNext.SetImage(&m_images, 1);

    CRect rect;
    GetWindowRect(&rect);
    for (CAnchored& a : m_anchors)
        SaveControlPos(GetDlgItem(a.nID), rect, a.controlX, a.referenceX, a.controlY, a.referenceY,
                       a.offset);

    m_hIcon =
        (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_SQL_SCRIPT), IMAGE_ICON,
                            ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0);
    if (m_hIcon != nullptr)
        SetIcon(m_hIcon, FALSE);
    RestorePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosExecSQL]);
    m_editor.SetFocus();
    return FALSE;
}

void CExecSQLDlg::OnSize(UINT nType, int cx, int cy)
{
    CRSizableDlg::OnSize(nType, cx, cy);
    if (m_editor.GetSafeHwnd() == nullptr || nType == SIZE_MINIMIZED)
        return;
    CRect rect;
    GetWindowRect(&rect);
    for (const CAnchored& a : m_anchors)
        MoveControl(GetDlgItem(a.nID), rect, a.controlX, a.referenceX, a.controlY, a.referenceY,
                    a.offset);
}

void CExecSQLDlg::ShowQuery(int nIndex)
{
    m_nIndex = nIndex;
    m_editor.SetWindowText(theSettings.m_sqlQueries[nIndex]);
    m_editor.SetFocus();
}

void CExecSQLDlg::OnPreviousQuery()
{
    const int nCount = (int)theSettings.m_sqlQueries.GetSize();
    if (nCount > 0)
        ShowQuery(m_nIndex - 1 < 0 ? nCount - 1 : m_nIndex - 1);
}

void CExecSQLDlg::OnNextQuery()
{
    const int nCount = (int)theSettings.m_sqlQueries.GetSize();
    if (nCount > 0)
        ShowQuery(m_nIndex + 1 >= nCount ? 0 : m_nIndex + 1);
}

void CExecSQLDlg::OnHelp()
{
    ShowHelpTopic(L"::/SQLQuery.html");
}

BOOL CExecSQLDlg::OnHelpInfo(HELPINFO*)
{
    OnHelp();
    return TRUE;
}

void CExecSQLDlg::OnCopyAsCCode()
{
    CWaitCursor wait;
    const CString text = m_editor.GetSelText();
    if (!text.IsEmpty())
        MakeCStringLiteral(m_hWnd, text);
}

BOOL CExecSQLDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    if (pHeader != nullptr && pHeader->idFrom == IDC_SQL_EDITOR)
    {
        if (pHeader->code == RCEN_MENUITEM)
        {
            // "Copy as C Code" works on a selection.
            const auto* pItem = reinterpret_cast<const RCENMMenuItem*>(lParam);
            const bool bSelection = m_editor.SendMessage(RCEM_GETSELLENGTH) >= 1;
            ::EnableMenuItem(pItem->menu, pItem->id,
                             MF_BYCOMMAND | (bSelection ? MF_ENABLED : MF_GRAYED));
        }
        else if (pHeader->code == RCEN_AUTOCOMPLETE)
            m_editor.UpdateAutoComplete();
    }
    return CRSizableDlg::OnNotify(wParam, lParam, pResult);
}

void CExecSQLDlg::OnOK()
{
    m_strQuery = m_editor.GetText();
    m_bShowPlan = IsDlgButtonChecked(IDC_SHOW_PLAN) == BST_CHECKED;
    EndDialog(IDOK);
}

void CExecSQLDlg::OnDestroy()
{
    if (m_editor.GetSafeHwnd() != nullptr)
    {
        theSettings.m_bExecSQLWordWrap =
            (m_editor.SendMessage(RCEM_GETOPTIONS) & RCEO_WORDWRAP) != 0;
        theSettings.SaveExecSQLWordWrap();
    }
    SavePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosExecSQL]);
    CRSizableDlg::OnDestroy();
}
