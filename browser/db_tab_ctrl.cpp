// CDBTabCtrl: the database bar's tabs and trees, filled on demand.
#include "browser/db_tab_ctrl.h"

#include "app/main_frame.h"
#include "controls/icon_strip.h"
#include "editor/colour_rules.h"
#include "resources/resource.h"
#include "services/wait_dlg.h"

IMPLEMENT_DYNAMIC(CDBTabCtrl, CRWndSwitch)

BEGIN_MESSAGE_MAP(CDBTabCtrl, CRWndSwitch)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

constexpr DWORD kTreeStyle = WS_CHILD | WS_CLIPCHILDREN | TVS_HASBUTTONS | TVS_HASLINES |
                             TVS_LINESATROOT | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS;

// Icons of the image list in image order.
constexpr UINT kImageIcons[] = {
    IDI_TABLES_TAB,           IDI_VIEWS_TAB,        IDI_PROCEDURES_TAB,
    IDI_DBO_SCHEMA,           IDI_DBO_TABLE,        IDI_DBO_VIEW,
    IDI_DBO_PROCEDURE,        IDI_DBO_FUNCTION,     IDI_DBO_INVALID_PROCEDURE,
    IDI_DBO_INVALID_FUNCTION, IDI_DBO_PACKAGE,      IDI_DBO_INVALID_PACKAGE,
    IDI_DBO_SYSTEM_TABLE,     IDI_DBO_TRIGGERS_TAB, IDI_DBO_TRIGGER,
    IDI_DBO_INVALID_TRIGGER,
};

} // namespace

CDBTabCtrl::CDBTabCtrl()
    : CRWndSwitch(kToolTips, kTabsBottom), m_tablesTree(&m_loadingTree),
      m_viewsTree(&m_loadingTree), m_procsTree(&m_loadingTree), m_triggersTree(&m_loadingTree)
{}

CDBTabCtrl::~CDBTabCtrl()
{
    m_bClosing = true;
}

void CDBTabCtrl::OnDestroy()
{
    m_bClosing = true;
    CRWndSwitch::OnDestroy();
}

CDBTreeCtrl* CDBTabCtrl::GetTree(int nIndex)
{
    switch (nIndex)
    {
    case kTables: return &m_tablesTree;
    case kViews: return &m_viewsTree;
    case kProcedures: return &m_procsTree;
    case kTriggers: return &m_triggersTree;
    default: return nullptr;
    }
}

bool CDBTabCtrl::Create(CWnd* pParent)
{
    SetStyle(2);
    if (!CRWndSwitch::Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, CRect(0, 0, 0, 0), pParent,
                             IDW_DBO_SWITCH))
        return false;
    AddWindow(&m_tablesTree, L"Tables", L"Tables", &m_images, DBOIMG_TABLES_TAB);
    AddWindow(&m_viewsTree, L"Views", L"Views", &m_images, DBOIMG_VIEWS_TAB);
    AddWindow(&m_procsTree, L"Procedures", L"Procedures", &m_images, DBOIMG_PROCS_TAB);
    AddWindow(&m_triggersTree, L"Triggers", L"Triggers", &m_images, DBOIMG_TRIGGERS_TAB);
    m_nCurrentTab = -1;
    if (IsWindowVisible())
        ActivateTab(kTables);
    return true;
}

int CDBTabCtrl::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CRWndSwitch::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (m_pHelper == nullptr)
        if (CMainFrame* pFrame = GetMainFrame())
            m_pHelper = &pFrame->GetDatabaseHelper();

    HFONT hFont = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
    if (hFont == nullptr)
    {
        CClientDC dc(this);
        LOGFONTW lf = {};
        lf.lfHeight = -MulDiv(8, dc.GetDeviceCaps(LOGPIXELSY), 72);
        wcscpy_s(lf.lfFaceName, L"MS Sans Serif");
        if (!m_font.CreateFontIndirect(&lf))
            return -1;
        hFont = (HFONT)m_font.GetSafeHandle();
    }
    SendMessage(WM_SETFONT, (WPARAM)hFont, TRUE);

    const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
    if (m_images.Create(cx, cy, ILC_COLOR32 | ILC_MASK, 16, 1))
        AddIconResources(m_images.m_hImageList, AfxGetResourceHandle(), kImageIcons,
                         sizeof(kImageIcons) / sizeof(kImageIcons[0]));

    struct
    {
        CDBTreeCtrl* pTree;
        UINT nID;
    } trees[] = {{&m_tablesTree, IDW_DBO_TABLES_TREE},
                 {&m_viewsTree, IDW_DBO_VIEWS_TREE},
                 {&m_procsTree, IDW_DBO_PROCS_TREE},
                 {&m_triggersTree, IDW_DBO_TRIGGERS_TREE}};
    for (auto& tree : trees)
    {
        if (!tree.pTree->Create(kTreeStyle, CRect(0, 0, 0, 0), this, tree.nID))
            return -1;
        tree.pTree->SetImageList(&m_images, TVSIL_NORMAL);
        tree.pTree->SetHelper(m_pHelper);
    }
    if (!m_loadingTree.Create(kTreeStyle, CRect(0, 0, 0, 0), this, IDW_DBO_LOADING_TREE))
        return -1;

    const COLORREF crBack = (COLORREF)m_tablesTree.SendMessage(TVM_GETBKCOLOR);
    if (crBack != (COLORREF)-1)
        SetPainterColor(crBack);
    return 0;
}

void CDBTabCtrl::OnSize(UINT nType, int cx, int cy)
{
    CRWndSwitch::OnSize(nType, cx, cy);
    CRect area;
    GetClientArea(&area);
    CWnd* windows[] = {&m_tablesTree, &m_viewsTree, &m_procsTree, &m_triggersTree, &m_loadingTree};
    for (CWnd* pWnd : windows)
        if (pWnd->GetSafeHwnd())
            pWnd->SetWindowPos(nullptr, area.left, area.top, area.Width(), area.Height(),
                               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool CDBTabCtrl::ActivateTab(int nIndex)
{
    if (m_bClosing || nIndex == m_nCurrentTab)
        return true;
    CDBTreeCtrl* pTree = GetTree(nIndex);
    if (pTree == nullptr)
        return true;
    CDBTreeCtrl* pCurrent = GetTree(m_nCurrentTab);
    CWnd* pBar = GetParent();
    if (!pTree->IsFilled() && pBar != nullptr && pBar->IsWindowVisible())
    {
        m_loadingTree.ShowWindow(SW_SHOW);
        pTree->ShowWindow(SW_HIDE);
        if (pCurrent)
            pCurrent->ShowWindow(SW_HIDE);
        CWaitHolder wait;
        pTree->Fill(wait);
    }
    pTree->ShowWindow(SW_SHOW);
    m_loadingTree.ShowWindow(SW_HIDE);
    if (pCurrent && pCurrent != pTree)
        pCurrent->ShowWindow(SW_HIDE);
    pTree->UpdateWindow();
    // A bar that is hidden (while the main window is being built) takes no focus.
    if (IsWindowVisible())
        pTree->SetFocus();
    m_nCurrentTab = nIndex;
    return true;
}

void CDBTabCtrl::RefreshTree(int nIndex)
{
    CDBTreeCtrl* pTree = GetTree(nIndex);
    m_loadingTree.ShowWindow(SW_SHOW);
    pTree->ShowWindow(SW_HIDE);
    pTree->Clear();
    m_nCurrentTab = -1;
    ActivateTab(nIndex);
}

void CDBTabCtrl::RefreshVisible()
{
    if (m_bClosing)
        return;
    for (int nIndex : {kTables, kViews, kProcedures})
    {
        if (GetTree(nIndex)->IsWindowVisible())
        {
            RefreshTree(nIndex);
            break;
        }
    }
    if (m_triggersTree.IsWindowVisible())
        RefreshTree(kTriggers);
}

void CDBTabCtrl::ClearAll()
{
    if (m_bClosing)
        return;
    m_nCurrentTab = -1;
    for (int nIndex : {kTables, kViews, kProcedures, kTriggers})
        GetTree(nIndex)->Clear();
}

bool CDBTabCtrl::AddAutoCompleteWords(CRCEAutoCompleteWordArray& words)
{
    if (m_bClosing)
        return false;
    CWaitHolder wait;
    for (int nIndex : {kTables, kViews, kProcedures})
    {
        CDBTreeCtrl* pTree = GetTree(nIndex);
        if (!pTree->IsFilled())
            pTree->Fill(wait);
        if (const CStringArray* pSchemas = pTree->GetSchemaList())
            for (INT_PTR i = 0; i < pSchemas->GetSize(); ++i)
                if (!pSchemas->GetAt(i).IsEmpty())
                    RCEAddAutoCompleteWord(words, pSchemas->GetAt(i));
        CStringArray names;
        pTree->GetCachedNames(names);
        for (INT_PTR i = 0; i < names.GetSize(); ++i)
            RCEAddAutoCompleteWord(words, names[i]);
    }
    return true;
}
