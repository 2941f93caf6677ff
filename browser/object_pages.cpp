// The information dialog, its pages and the constraints dialog.
#include "browser/object_pages.h"

#include "app/app_settings.h"
#include "dbaccess/error_report.h"
#include "editor/rce_messages.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "services/wait_dlg.h"

namespace {

HICON LoadSmallIcon(UINT nID)
{
    return (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nID), IMAGE_ICON,
                               ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0);
}

CRect WindowRect(CWnd* pWnd)
{
    CRect rect;
    pWnd->GetWindowRect(&rect);
    return rect;
}

constexpr UINT kPageButtons[] = {IDC_DBO_EXPORT, IDC_DBO_RENAME, IDC_DBO_DROP, IDC_DBO_VIEW_TEXT};

} // namespace

// ---- List pages --------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDBOListPage, CRTabDialog)
    ON_BN_CLICKED(IDC_DBO_EXPORT, &CDBOListPage::OnExport)
    ON_BN_CLICKED(IDC_DBO_RENAME, &CDBOListPage::OnRename)
    ON_BN_CLICKED(IDC_DBO_DROP, &CDBOListPage::OnDrop)
    ON_BN_CLICKED(IDC_DBO_VIEW_TEXT, &CDBOListPage::OnViewText)
    ON_NOTIFY(NM_DBLCLK, IDC_DBO_LIST, &CDBOListPage::OnDblClkList)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_DBO_LIST, &CDBOListPage::OnColumnClickList)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CDBOListPage::CDBOListPage(UINT nIDTemplate, CRDialogTabCtrl* pOwner, CDBObjProp* pList)
    : CRTabDialog(nIDTemplate, pOwner), m_pList(pList)
{}

CDBOListPage::~CDBOListPage()
{
    delete m_pList;
}

BOOL CDBOListPage::OnInitDialog()
{
    CRTabDialog::OnInitDialog();
    m_pList->SubclassDlgItem(IDC_DBO_LIST, this);
    m_pList->InitColumns();
    UpdateButtons();
    const CRect rect = WindowRect(this);
    SaveControlPos(m_pList, rect, 2, 2, 2, 2, m_offsets[0]);
    for (int i = 0; i < 4; ++i)
    {
        // The parameters page keeps its Export button in the lower right corner.
        const bool bRight = GetDlgItem(IDC_DBO_RENAME) == nullptr;
        SaveControlPos(GetDlgItem(kPageButtons[i]), rect, bRight ? 0 : 0, bRight ? 2 : 0, 0, 2,
                       m_offsets[1 + i]);
    }
    return TRUE;
}

void CDBOListPage::OnSize(UINT nType, int cx, int cy)
{
    CRTabDialog::OnSize(nType, cx, cy);
    if (m_pList == nullptr || m_pList->GetSafeHwnd() == nullptr)
        return;
    const CRect rect = WindowRect(this);
    MoveControl(m_pList, rect, 2, 2, 2, 2, m_offsets[0]);
    const bool bRight = GetDlgItem(IDC_DBO_RENAME) == nullptr;
    for (int i = 0; i < 4; ++i)
        MoveControl(GetDlgItem(kPageButtons[i]), rect, 0, bRight ? 2 : 0, 0, 2, m_offsets[1 + i]);
}

bool CDBOListPage::LoadPage()
{
    if (!m_pList->Fill(nullptr))
        return false;
    return CRTabDialog::LoadPage();
}

BOOL CDBOListPage::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_INSERT &&
        (::GetKeyState(VK_CONTROL) & 0x8000) && m_pList->CopyNames(CDBObjProp::copyNames))
        return TRUE;
    return CRTabDialog::PreTranslateMessage(pMsg);
}

void CDBOListPage::AfterChange(bool bChanged)
{
    if (bChanged)
        NotifyOtherPages();
}

void CDBOListPage::OnExport()
{
    m_pList->Export();
}

void CDBOListPage::OnRename()
{
    AfterChange(Rename());
}

void CDBOListPage::OnDrop()
{
    AfterChange(Drop());
}

void CDBOListPage::OnViewText()
{
    ViewText();
}

void CDBOListPage::OnDblClkList(NMHDR*, LRESULT* pResult)
{
    ViewText();
    *pResult = 0;
}

void CDBOListPage::OnColumnClickList(NMHDR* pNMHDR, LRESULT* pResult)
{
    if (auto* pProp = dynamic_cast<CConstraintProp*>(m_pList))
        pProp->OnColumnClick(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem);
    *pResult = 0;
}

CTableInfoDlg::CTableInfoDlg(CRDatabaseHelper* pHelper, const CStringPair& name, int nKind,
                             UINT bPrimaryKeys, UINT bForeignKeys, CRDialogTabCtrl* pOwner)
    : CDBOListPage(IDD_DBO_COLUMNS_PAGE, pOwner,
                   new CTableProp(pHelper, name, nKind, bPrimaryKeys, bForeignKeys)),
      m_pHelper(pHelper), m_nKind(nKind)
{}

void CTableInfoDlg::UpdateButtons()
{
    GetDlgItem(IDC_DBO_RENAME)
        ->EnableWindow(m_nKind == DBOBJ_TABLE && m_pHelper && m_pHelper->CanRenameColumn());
    GetDlgItem(IDC_DBO_DROP)->EnableWindow(m_nKind == DBOBJ_TABLE);
}

CTableIndexesDlg::CTableIndexesDlg(CRDatabaseHelper* pHelper, const CStringPair& name,
                                   CRDialogTabCtrl* pOwner)
    : CDBOListPage(IDD_DBO_INDEXES_PAGE, pOwner, new CIndexProp(pHelper, name)), m_pHelper(pHelper)
{}

void CTableIndexesDlg::UpdateButtons()
{
    GetDlgItem(IDC_DBO_RENAME)->EnableWindow(m_pHelper && m_pHelper->CanRenameIndex());
    GetDlgItem(IDC_DBO_DROP)->EnableWindow(m_pHelper && m_pHelper->CanDropIndex());
}

CTableConstraintsDlg::CTableConstraintsDlg(CRDatabaseHelper* pHelper, const CStringPair& name,
                                           CRDialogTabCtrl* pOwner)
    : CDBOListPage(IDD_DBO_CONSTRAINTS_PAGE, pOwner, new CConstraintProp(pHelper, name)),
      m_pHelper(pHelper)
{}

void CTableConstraintsDlg::UpdateButtons()
{
    GetDlgItem(IDC_DBO_RENAME)
        ->EnableWindow(m_pHelper && m_pHelper->CanRenameObject(DBOBJ_CONSTRAINT));
}

CTableTriggersDlg::CTableTriggersDlg(CRDatabaseHelper* pHelper, const CStringPair& name,
                                     CRDialogTabCtrl* pOwner)
    : CDBOListPage(IDD_DBO_TRIGGERS_PAGE, pOwner, new CTriggerProp(pHelper, name)),
      m_pHelper(pHelper)
{}

void CTableTriggersDlg::UpdateButtons()
{
    GetDlgItem(IDC_DBO_RENAME)
        ->EnableWindow(m_pHelper && m_pHelper->CanRenameObject(DBOBJ_TRIGGER));
}

CProcInfoDlg::CProcInfoDlg(CRDatabaseHelper* pHelper, const CStringPair& name,
                           CRDialogTabCtrl* pOwner)
    : CDBOListPage(IDD_DBO_PARAMETERS_PAGE, pOwner, new CProcedureProp(pHelper, name))
{}

// ---- Text pages --------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDBOTextDlg, CRTabDialog)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDBOTextDlg::CDBOTextDlg(CRDatabaseHelper* pHelper, const CStringPair& name, int nKind,
                         CRDialogTabCtrl* pOwner, bool bErrors)
    : CRTabDialog(bErrors ? IDD_DBO_ERRORS_PAGE : IDD_DBO_TEXT_PAGE, pOwner), m_pHelper(pHelper),
      m_name(name), m_nKind(nKind), m_bErrors(bErrors)
{}

CWnd* CDBOTextDlg::GetEditor()
{
    return GetDlgItem(m_bErrors ? IDC_DBO_ERRORS : IDC_DBO_TEXT);
}

BOOL CDBOTextDlg::OnInitDialog()
{
    CRTabDialog::OnInitDialog();
    CWnd* pEdit = GetEditor();
    const HWND hEdit = pEdit->GetSafeHwnd();
    if (m_bErrors)
    {
        // Compile errors are plain text: no colour rules.
        if (theSettings.m_hFont)
            ::SendMessageW(hEdit, WM_SETFONT, (WPARAM)theSettings.m_hFont, FALSE);
        ::SendMessageW(hEdit, RCEM_SETTABSIZE, FALSE, theSettings.m_nTabSize);
        ::SendMessageW(hEdit, RCEM_SETOPTIONS, TRUE, theSettings.GetEditorFlags());
    }
    else
    {
        theSettings.ApplySQLEditorSettings(hEdit, theSettings.m_bDBOTextWordWrap
                                                      ? (RCEO_WORDWRAP | RCEO_WORDWRAPMENU)
                                                      : RCEO_WORDWRAPMENU);
    }
    SaveControlPos(pEdit, WindowRect(this), 2, 2, 2, 2, m_offset);
    return TRUE;
}

void CDBOTextDlg::OnSize(UINT nType, int cx, int cy)
{
    CRTabDialog::OnSize(nType, cx, cy);
    if (CWnd* pEdit = GetEditor())
        MoveControl(pEdit, WindowRect(this), 2, 2, 2, 2, m_offset);
}

// The word-wrap choice made in the editor's menu holds for the next text page.
void CDBOTextDlg::OnDestroy()
{
    if (!m_bErrors)
    {
        if (CWnd* pEdit = GetEditor())
        {
            theSettings.m_bDBOTextWordWrap =
                (pEdit->SendMessage(RCEM_GETOPTIONS) & RCEO_WORDWRAP) != 0 ? 1 : 0;
            theSettings.SaveDBOTextWordWrap();
        }
    }
    CRTabDialog::OnDestroy();
}

CString CDBOTextDlg::FormatErrors(const CDBObjErrorsArray& errors)
{
    CString text;
    for (INT_PTR i = 0; i < errors.GetSize(); ++i)
    {
        CString one;
        one.Format(L"Line %d, position %d\n%s\n\n", errors[i].m_nLine, errors[i].m_nPosition,
                   errors[i].m_strText.GetString());
        text += one;
    }
    return text;
}

CString CDBOTextDlg::GetText()
{
    CString text;
    if (CWnd* pEdit = GetEditor())
        pEdit->GetWindowText(text);
    return text;
}

bool CDBOTextDlg::LoadPage()
{
    if (m_pHelper == nullptr)
        return false;
    CString text;
    if (m_bErrors)
    {
        CDBObjErrorsArray errors;
        if (m_pHelper->GetCompileErrors(errors, m_name))
            text = FormatErrors(errors);
    }
    else
    {
        CWaitCursor wait;
        if (!m_pHelper->GetObjectSource(m_name, m_nKind, text))
            return false;
    }
    GetEditor()->SetWindowText(text);
    return CRTabDialog::LoadPage();
}

// ---- The information dialog --------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDBOPropertiesDlg, CRSizableDlg)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDBOPropertiesDlg::CDBOPropertiesDlg(CRDatabaseHelper* pHelper, const CStringPair& name, int nKind,
                                     int nStartPage, CWnd* pParent)
    : CRSizableDlg(IDD_DBO_PROPERTIES, pParent), m_pHelper(pHelper), m_name(name), m_nKind(nKind),
      m_nStartPage(nStartPage),
      m_columnsPage(pHelper, name, nKind, nKind == DBOBJ_TABLE ? theSettings.m_bTableDialogPKey : 0,
                    nKind == DBOBJ_TABLE ? theSettings.m_bTableDialogFKey : 0, &m_tabs),
      m_indexesPage(pHelper, name, &m_tabs), m_constraintsPage(pHelper, name, &m_tabs),
      m_triggersPage(pHelper, name, &m_tabs), m_textPage(pHelper, name, nKind, &m_tabs),
      m_paramsPage(pHelper, name, &m_tabs), m_errorsPage(pHelper, name, nKind, &m_tabs, true)
{
    m_hIcon = LoadSmallIcon(IDI_DBO_PROPERTIES);
}

CDBOPropertiesDlg::~CDBOPropertiesDlg()
{
    if (m_hIcon)
        ::DestroyIcon(m_hIcon);
}

void CDBOPropertiesDlg::DoDataExchange(CDataExchange* pDX)
{
    CRSizableDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DBO_TABS, m_tabs);
}

CRTabDialog* CDBOPropertiesDlg::GetPage(int nPage)
{
    CRTabDialog* pages[] = {&m_columnsPage, &m_indexesPage, &m_constraintsPage, &m_triggersPage,
                            &m_textPage,    &m_paramsPage,  &m_errorsPage};
    return nPage >= 0 && nPage < 7 ? pages[nPage] : nullptr;
}

BOOL CDBOPropertiesDlg::OnInitDialog()
{
    CRSizableDlg::OnInitDialog();
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)m_hIcon);
    // The quoting asks the driver; a connection the server has dropped cannot answer, and the
    // dialog still opens on the name as the catalog gave it (its pages report what they cannot
    // read).
    CString strName;
    try
    {
        strName = FormatObjectName(m_name, &m_pHelper->GetCatalogDatabase(), true);
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
        strName = MakeObjectName(m_name, true);
    }
    SetWindowText(strName + L" information");

    struct
    {
        int nPage;
        UINT nTemplate;
        LPCWSTR pszCaption;
        bool bShown;
    } tabs[] = {
        {DBOPAGE_COLUMNS, IDD_DBO_COLUMNS_PAGE, L"Columns",
         m_nKind == DBOBJ_TABLE || m_nKind == DBOBJ_VIEW},
        {DBOPAGE_INDEXES, IDD_DBO_INDEXES_PAGE, L"Indexes", m_nKind == DBOBJ_TABLE},
        {DBOPAGE_CONSTRAINTS, IDD_DBO_CONSTRAINTS_PAGE, L"Constraints",
         m_pHelper->CanShowTableConstraints(m_nKind)},
        {DBOPAGE_TRIGGERS, IDD_DBO_TRIGGERS_PAGE, L"Triggers",
         m_pHelper->CanShowTableTriggers(m_nKind)},
        {DBOPAGE_PARAMETERS, IDD_DBO_PARAMETERS_PAGE, L"Parameters",
         m_nKind == DBOBJ_PROCEDURE || m_nKind == DBOBJ_FUNCTION},
        {DBOPAGE_TEXT, IDD_DBO_TEXT_PAGE, L"Text", m_pHelper->CanGetObjectSource(m_nKind)},
        {DBOPAGE_ERRORS, IDD_DBO_ERRORS_PAGE, L"Errors", m_pHelper->CanShowObjectErrors(m_nKind)},
    };
    for (const auto& tab : tabs)
        if (tab.bShown)
            m_nTabs[tab.nPage] = m_tabs.AddPage(GetPage(tab.nPage), tab.nTemplate, tab.pszCaption);

    const int nStart = m_nStartPage >= 0 && m_nStartPage < 7 ? m_nTabs[m_nStartPage] : -1;
    m_tabs.SetCurSel(nStart);
    m_tabs.ShowCurrentPage(SW_SHOW);
    if (nStart < 0)
        for (int i = 0; i < m_tabs.GetPageCount(); ++i)
            m_tabs.GetPage(i)->ShowWindow(SW_HIDE);

    const CRect rect = WindowRect(this);
    SaveControlPos(&m_tabs, rect, 2, 2, 2, 2, m_offsets[0]);
    SaveControlPos(GetDlgItem(IDOK), rect, 0, 2, 0, 2, m_offsets[1]);
    RestorePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosDBOProp]);
    return TRUE;
}

void CDBOPropertiesDlg::OnSize(UINT nType, int cx, int cy)
{
    CRSizableDlg::OnSize(nType, cx, cy);
    if (m_tabs.GetSafeHwnd() == nullptr)
        return;
    const CRect rect = WindowRect(this);
    MoveControl(&m_tabs, rect, 2, 2, 2, 2, m_offsets[0]);
    MoveControl(GetDlgItem(IDOK), rect, 0, 2, 0, 2, m_offsets[1]);
}

void CDBOPropertiesDlg::OnDestroy()
{
    SavePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosDBOProp]);
    CRSizableDlg::OnDestroy();
}

// ---- The constraints dialog --------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CConstraintsDlg, CRSizableDlg)
    ON_BN_CLICKED(IDC_DBO_VIEW_TEXT, &CConstraintsDlg::OnViewText)
    ON_BN_CLICKED(IDC_DBO_DROP, &CConstraintsDlg::OnDrop)
    ON_BN_CLICKED(IDC_DBO_RENAME, &CConstraintsDlg::OnRename)
    ON_BN_CLICKED(IDC_DBO_EXPORT, &CConstraintsDlg::OnExport)
    ON_NOTIFY(NM_DBLCLK, IDC_DBO_LIST, &CConstraintsDlg::OnDblClkList)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_DBO_LIST, &CConstraintsDlg::OnColumnClickList)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CConstraintsDlg::CConstraintsDlg(CRDatabaseHelper* pHelper, const CStringPair& name, CWnd* pParent)
    : CRSizableDlg(IDD_DBO_CONSTRAINTS, pParent), m_pHelper(pHelper), m_name(name),
      m_list(pHelper, name)
{
    m_hIcon = LoadSmallIcon(IDI_DBO_PROPERTIES);
}

CConstraintsDlg::~CConstraintsDlg()
{
    if (m_hIcon)
        ::DestroyIcon(m_hIcon);
}

void CConstraintsDlg::DoDataExchange(CDataExchange* pDX)
{
    CRSizableDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DBO_LIST, m_list);
}

BOOL CConstraintsDlg::OnInitDialog()
{
    CRSizableDlg::OnInitDialog();
    const bool bWhole = m_name.m_strFirst.IsEmpty() && m_name.m_strSecond.IsEmpty();
    const CString quoted = FormatObjectName(m_name, &m_pHelper->GetCatalogDatabase(), true);
    if (!bWhole)
        SetWindowText(quoted + L" constraints");
    GetDlgItem(IDC_DBO_RENAME)->EnableWindow(m_pHelper->CanRenameObject(DBOBJ_CONSTRAINT));

    bool bFilled = false;
    bool bCancelled = false;
    {
        CWaitDlg wait(this, CWaitDlg::flagCancel);
        wait.SetProcessText(CString(MAKEINTRESOURCEW(IDS_READING_CONSTRAINTS)));
        m_list.InitColumns();
        bFilled = m_list.Fill(&wait);
        bCancelled = wait.IsCancelled();
    }
    // Nothing to show: say so, and the dialog closes before it is seen. A read the user
    // cancelled closes it without saying there are no constraints.
    if (!bFilled || m_list.GetItemCount() == 0)
    {
        if (m_list.GetItemCount() == 0 && !(bCancelled && !bFilled))
        {
            CString text;
            if (bWhole)
                text = CString(MAKEINTRESOURCEW(IDS_NO_CONSTRAINTS));
            else
                text.Format(CString(MAKEINTRESOURCEW(IDS_NO_CONSTRAINTS_FOR)), quoted.GetString());
            AfxMessageBox(text, MB_ICONINFORMATION);
        }
        EndDialog(IDCANCEL);
        return TRUE;
    }
    const CRect rect = WindowRect(this);
    SaveControlPos(&m_list, rect, 2, 2, 2, 2, m_offsets[0]);
    SaveControlPos(GetDlgItem(IDCANCEL), rect, 0, 2, 0, 2, m_offsets[1]);
    const UINT buttons[] = {IDC_DBO_VIEW_TEXT, IDC_DBO_DROP, IDC_DBO_RENAME, IDC_DBO_EXPORT};
    for (int i = 0; i < 4; ++i)
        SaveControlPos(GetDlgItem(buttons[i]), rect, 0, 2, 0, 0, m_offsets[2 + i]);
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)m_hIcon);
    RestorePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosTableConstraints]);
    return TRUE;
}

void CConstraintsDlg::OnSize(UINT nType, int cx, int cy)
{
    CRSizableDlg::OnSize(nType, cx, cy);
    if (m_list.GetSafeHwnd() == nullptr)
        return;
    const CRect rect = WindowRect(this);
    MoveControl(&m_list, rect, 2, 2, 2, 2, m_offsets[0]);
    MoveControl(GetDlgItem(IDCANCEL), rect, 0, 2, 0, 2, m_offsets[1]);
    const UINT buttons[] = {IDC_DBO_VIEW_TEXT, IDC_DBO_DROP, IDC_DBO_RENAME, IDC_DBO_EXPORT};
    for (int i = 0; i < 4; ++i)
        MoveControl(GetDlgItem(buttons[i]), rect, 0, 2, 0, 0, m_offsets[2 + i]);
}

void CConstraintsDlg::OnDestroy()
{
    SavePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosTableConstraints]);
    CRSizableDlg::OnDestroy();
}

void CConstraintsDlg::OnViewText()
{
    m_list.ShowText();
}

void CConstraintsDlg::OnDrop()
{
    m_list.DropConstraints();
}

void CConstraintsDlg::OnRename()
{
    m_list.RenameConstraint();
}

void CConstraintsDlg::OnExport()
{
    m_list.Export();
}

void CConstraintsDlg::OnDblClkList(NMHDR*, LRESULT* pResult)
{
    m_list.ShowText();
    *pResult = 0;
}

void CConstraintsDlg::OnColumnClickList(NMHDR* pNMHDR, LRESULT* pResult)
{
    m_list.OnColumnClick(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem);
    *pResult = 0;
}

// ---- Entry points ------------------------------------------------------------------------------

void ShowDBObjectProperties(CRDatabaseHelper* pHelper, const CStringPair& name, int nKind,
                            int nStartPage, CWnd* pParent)
{
    if (pHelper == nullptr)
        return;
    CDBOPropertiesDlg dlg(pHelper, name, nKind, nStartPage, pParent);
    dlg.DoModal();
}

void ShowConstraintsDialog(CRDatabaseHelper* pHelper, const CStringPair& name, CWnd* pParent)
{
    if (pHelper == nullptr)
        return;
    CConstraintsDlg dlg(pHelper, name, pParent);
    dlg.DoModal();
}
