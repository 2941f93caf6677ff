// CDBTreeCtrl: items, names, the mouse and the keys of the object trees.
#include "browser/db_tree_ctrl.h"

#include "app/main_frame.h"
#include "browser/tree_rules.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "services/wait_dlg.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CDBTreeCtrl, CTreeCtrl)

UINT CDBTreeCtrl::s_nTestMenuCommand = 0;

BEGIN_MESSAGE_MAP(CDBTreeCtrl, CTreeCtrl)
    ON_WM_CREATE()
    ON_WM_RBUTTONDOWN()
    ON_WM_CONTEXTMENU()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MEASUREITEM()
    ON_WM_DRAWITEM()
    ON_WM_MENUCHAR()
END_MESSAGE_MAP()

CDBTreeCtrl::CDBTreeCtrl(CTreeCtrl* pLoadingTree) : m_pLoadingTree(pLoadingTree) {}

CDBTreeCtrl::~CDBTreeCtrl() = default;

int CDBTreeCtrl::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CTreeCtrl::OnCreate(lpCreateStruct) == -1)
        return -1;
    // The context menus show the images of the main toolbar's commands.
    if (CMainFrame* pFrame = GetMainFrame())
        m_menuPainter.LoadToolBarImages(nullptr, &pFrame->GetToolBar(), true);
    return 0;
}

void CDBTreeCtrl::Clear()
{
    DeleteAllItems();
    m_hUnnamedSchema = nullptr;
    m_schemaNodes.clear();
    m_bFilled = false;
}

CStringPair CDBTreeCtrl::GetObjectName(HTREEITEM hItem) const
{
    HTREEITEM hParent = hItem ? GetParentItem(hItem) : nullptr;
    return CStringPair(hParent ? GetSchemaText(hParent) : CString(),
                       hItem ? GetItemText(hItem) : CString());
}

CString CDBTreeCtrl::GetSchemaText(HTREEITEM hNode) const
{
    return hNode == nullptr || hNode == m_hUnnamedSchema ? CString() : GetItemText(hNode);
}

CString CDBTreeCtrl::UnnamedSchemaLabel() const
{
    // The database's name as the driver gives it; SQLite's is the file's path, of which the
    // file's name says enough.
    CString strName;
    if (m_pHelper != nullptr && m_pHelper->IsOpen())
        strName = m_pHelper->GetCurrentDatabaseName();
    const int nSlash = std::max(strName.ReverseFind(L'\\'), strName.ReverseFind(L'/'));
    if (nSlash >= 0)
        strName = strName.Mid(nSlash + 1);
    return strName.IsEmpty() ? CString(L"(default)") : strName;
}

CString CDBTreeCtrl::GetQuotedName(HTREEITEM hItem) const
{
    CStringPair name = GetObjectName(hItem);
    if (m_pHelper == nullptr)
        return MakeObjectName(name, true);
    return FormatObjectName(name, &m_pHelper->GetCatalogDatabase(), true);
}

HTREEITEM CDBTreeCtrl::FindSchemaNode(LPCWSTR pszSchema) const
{
    if (pszSchema == nullptr || *pszSchema == 0)
        return m_hUnnamedSchema;
    for (HTREEITEM hItem = GetRootItem(); hItem; hItem = GetNextSiblingItem(hItem))
        if (hItem != m_hUnnamedSchema && GetItemText(hItem) == pszSchema)
            return hItem;
    return nullptr;
}

HTREEITEM CDBTreeCtrl::FindOrAddSchemaNode(LPCWSTR pszSchema, bool* pbAdded)
{
    HTREEITEM hNode = nullptr;
    if (m_bSchemaIndex)
    {
        const auto found = m_schemaNodes.find(pszSchema);
        if (found != m_schemaNodes.end())
            hNode = found->second;
    }
    else
    {
        hNode = FindSchemaNode(pszSchema);
    }
    *pbAdded = hNode == nullptr;
    if (hNode == nullptr)
    {
        const bool bUnnamed = *pszSchema == 0;
        hNode = InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM,
                           bUnnamed ? UnnamedSchemaLabel() : CString(pszSchema), DBOIMG_SCHEMA,
                           DBOIMG_SCHEMA, 0, 0, 0, TVI_ROOT, TVI_LAST);
        if (bUnnamed)
            m_hUnnamedSchema = hNode;
        if (m_bSchemaIndex && hNode != nullptr)
            m_schemaNodes.emplace(pszSchema, hNode);
    }
    return hNode;
}

HTREEITEM CDBTreeCtrl::AddObjectItem(HTREEITEM hSchema, LPCWSTR pszName, int nImage,
                                     DWORD_PTR dwData)
{
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, pszName, nImage,
                      nImage, 0, 0, (LPARAM)dwData, hSchema, TVI_LAST);
}

void CDBTreeCtrl::DeleteChildren(HTREEITEM hItem)
{
    HTREEITEM hChild = GetChildItem(hItem);
    while (hChild)
    {
        HTREEITEM hNext = GetNextSiblingItem(hChild);
        DeleteItem(hChild);
        hChild = hNext;
    }
}

void CDBTreeCtrl::OnReadProgress(CWaitHolder& wait, INT_PTR nIndex)
{
    if (nIndex >= 1 && nIndex % 100 == 0 && wait.GetWaitDlg() != nullptr)
        wait.GetWaitDlg()->PumpMessages();
}

bool CDBTreeCtrl::CanRead() const
{
    return m_pHelper != nullptr && m_pHelper->IsOpen();
}

void CDBTreeCtrl::ShowLoading(bool bLoading)
{
    if (bLoading)
    {
        if (m_pLoadingTree && m_pLoadingTree->GetSafeHwnd())
            m_pLoadingTree->ShowWindow(SW_SHOW);
        ShowWindow(SW_HIDE);
    }
    else
    {
        ShowWindow(SW_SHOW);
        if (m_pLoadingTree && m_pLoadingTree->GetSafeHwnd())
            m_pLoadingTree->ShowWindow(SW_HIDE);
    }
}

bool CDBTreeCtrl::RunFillStep(CWaitHolder& wait, UINT nStatusID, const std::function<bool()>& step)
{
    struct CFillingScope
    {
        CFillingScope() { ++s_nFilling; }
        ~CFillingScope() { --s_nFilling; }
    } filling;
    CWnd* pMain = AfxGetMainWnd();
    if (pMain && pMain->GetSafeHwnd())
        pMain->SendMessage(WM_SETMESSAGESTRING, nStatusID);
    wait.Begin(CString(MAKEINTRESOURCEW(nStatusID)));
    if (pMain && pMain->GetSafeHwnd())
        pMain->UpdateWindow();
    const bool bResult = step();
    if (pMain && pMain->GetSafeHwnd())
        pMain->SendMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
    return bResult;
}

// ---- Mouse and keys ----------------------------------------------------------------------------

void CDBTreeCtrl::OnRButtonDown(UINT nFlags, CPoint point)
{
    // The item under the pointer becomes the selected one before its menu shows.
    SendMessage(WM_LBUTTONDOWN, nFlags, MAKELPARAM(point.x, point.y));
    UINT nHitFlags = 0;
    HTREEITEM hItem = HitTest(point, &nHitFlags);
    if (hItem && (nHitFlags & TVHT_ONITEM))
        ShowContextMenu(hItem, point);
}

void CDBTreeCtrl::OnContextMenu(CWnd*, CPoint point)
{
    CRect client;
    GetClientRect(&client);
    ScreenToClient(&point);
    HTREEITEM hItem = nullptr;
    if (!client.PtInRect(point))
    {
        // The keyboard's menu key: the selected item, at the centre of the tree.
        hItem = GetSelectedItem();
        point = client.CenterPoint();
    }
    ShowContextMenu(hItem, point);
}

void CDBTreeCtrl::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    CTreeCtrl::OnLButtonDblClk(nFlags, point);
    UINT nHitFlags = 0;
    HTREEITEM hHit = HitTest(point, &nHitFlags);
    HTREEITEM hSelected = GetSelectedItem();
    if (hHit && (nHitFlags & TVHT_ONITEM) && IsObjectItem(hSelected))
        Open(hSelected, (::GetKeyState(VK_SHIFT) & 0x8000) ? 0 : 1);
}

BOOL CDBTreeCtrl::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_DELETE))
    {
        HTREEITEM hItem = GetSelectedItem();
        if (hItem == nullptr)
            return TRUE;
        if (IsObjectItem(hItem))
        {
            if (pMsg->wParam == VK_RETURN)
                Open(hItem, 1);
            else if (CanDropTreeItem(GetObjectKind(hItem), GetItemData(hItem)))
                Drop(hItem); // as the menu: a system table's Drop is greyed there
        }
        else if (pMsg->wParam == VK_RETURN)
        {
            Expand(hItem, (GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED) ? TVE_COLLAPSE
                                                                               : TVE_EXPAND);
        }
        return TRUE;
    }
    return CTreeCtrl::PreTranslateMessage(pMsg);
}

BOOL CDBTreeCtrl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nID = LOWORD(wParam);
    if (lParam == 0 && HIWORD(wParam) == 0 && nID >= ID_DBO_REFRESH &&
        nID <= ID_DBO_SCHEMA_CONSTRAINTS)
    {
        HTREEITEM hItem = GetSelectedItem();
        DispatchCommand(hItem, nID);
        return TRUE;
    }
    if (lParam == 0 && nID == ID_QUERY_TABLE_INFO)
    {
        DispatchCommand(GetSelectedItem(), nID);
        return TRUE;
    }
    return CTreeCtrl::OnCommand(wParam, lParam);
}

// ---- Owner-drawn menus -------------------------------------------------------------------------

void CDBTreeCtrl::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (lpMeasureItemStruct->CtlType == ODT_MENU)
        m_menuPainter.MeasureItem(this, lpMeasureItemStruct);
    else
        CTreeCtrl::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

void CDBTreeCtrl::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct->CtlType == ODT_MENU)
        m_menuPainter.DrawItem(lpDrawItemStruct);
    else
        CTreeCtrl::OnDrawItem(nIDCtl, lpDrawItemStruct);
}

LRESULT CDBTreeCtrl::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    return m_menuPainter.MenuChar(nChar, nFlags, pMenu);
}
