// The join wizard and its two pages.
#include "browser/join_wizard.h"

#include "app/app_settings.h"
#include "dbaccess/sql_names.h"
#include "editor/rce_messages.h"
#include "resources/resource.h"
#include "services/database_helper.h"

std::vector<CJoinTableEntry> MakeInitialJoinOrder(const std::vector<CJoinTableEntry>& entries)
{
    std::vector<CJoinTableEntry> order;
    for (size_t i = 0; i < entries.size(); ++i)
    {
        const CJoinTableEntry& e = entries[i];
        int nAfter = -1;
        for (size_t j = 0; j < order.size(); ++j)
            for (const CTableRelation& r : order[j].m_relations)
                if (r.FirstEndIs(e.m_strSchema, e.m_strTable))
                    nAfter = static_cast<int>(j);
        if (i == 0)
            order.push_back(e);
        else
            order.insert(order.begin() + (nAfter + 1), e);
    }
    return order;
}

bool MoveJoinEntry(std::vector<CJoinTableEntry>& entries, int from, int to)
{
    const int n = static_cast<int>(entries.size());
    if (from < 0 || to < 0 || from >= n || to >= n)
        return false;
    if (from == to)
        return true;
    CJoinTableEntry moved = entries[from];
    entries.erase(entries.begin() + from);
    auto handOver = [](CJoinTableEntry& source, CJoinTableEntry& target, const CString& schema,
                       const CString& table) {
        for (size_t i = 0; i < source.m_relations.size();)
        {
            if (source.m_relations[i].FirstEndIs(schema, table))
            {
                CTableRelation r = source.m_relations[i];
                r.Reverse();
                target.m_relations.push_back(r);
                source.m_relations.erase(source.m_relations.begin() + i);
            }
            else
                ++i;
        }
    };
    if (from < to)
        for (int i = from; i < to; ++i) // the entries it passes, now at from .. to - 1
            handOver(moved, entries[i], entries[i].m_strSchema, entries[i].m_strTable);
    else
        for (int i = to; i < from; ++i)
            handOver(entries[i], moved, moved.m_strSchema, moved.m_strTable);
    entries.insert(entries.begin() + to, moved);
    return true;
}

// ---- Join Order -----------------------------------------------------------------------------

bool CJoinTablesPage::CJoinListCtrl::CanMoveItem(int from, int to)
{
    const int n = static_cast<int>(m_entries.size());
    return from >= 0 && to >= 0 && from < n && to < n;
}

void CJoinTablesPage::CJoinListCtrl::OnItemMoved(int from, int to)
{
    MoveJoinEntry(m_entries, from, to);
}

BEGIN_MESSAGE_MAP(CJoinTablesPage, CRPropertyPage)
    ON_BN_CLICKED(IDC_JOIN_TOP, &CJoinTablesPage::OnTop)
    ON_BN_CLICKED(IDC_JOIN_UP, &CJoinTablesPage::OnUp)
    ON_BN_CLICKED(IDC_JOIN_DOWN, &CJoinTablesPage::OnDown)
    ON_BN_CLICKED(IDC_JOIN_BOTTOM, &CJoinTablesPage::OnBottom)
END_MESSAGE_MAP()

CJoinTablesPage::CJoinTablesPage(CRDatabaseHelper* pHelper,
                                 const std::vector<CJoinTableEntry>& entries, CString& strSQL)
    : CRPropertyPage(IDD_JOIN_TABLES), m_pHelper(pHelper), m_entries(MakeInitialJoinOrder(entries)),
      m_strSQL(strSQL), m_list(m_entries)
{}

BOOL CJoinTablesPage::OnInitDialog()
{
    CRPropertyPage::OnInitDialog();
    m_list.SubclassDlgItem(IDC_JOIN_LIST, this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    CRect client;
    m_list.GetClientRect(&client);
    m_list.InsertColumn(0, L"Tables", LVCFMT_LEFT, client.Width());
    m_buttons.Attach(this);
    return TRUE;
}

bool CJoinTablesPage::RefreshPage()
{
    m_list.DeleteAllItems();
    for (size_t i = 0; i < m_entries.size(); ++i)
    {
        const int nRow = m_list.InsertItem(
            static_cast<int>(i),
            MakeObjectName(CStringPair(m_entries[i].m_strSchema, m_entries[i].m_strTable), true));
        m_list.SetItemData(nRow, i);
    }
    if (m_list.GetItemCount() > 0)
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return true;
}

bool CJoinTablesPage::ValidatePage()
{
    std::vector<CJoinTableEntry> copy = m_entries;
    return m_pHelper && m_pHelper->BuildJoinSQL(copy, this, m_strSQL);
}

void CJoinTablesPage::OnTop()
{
    m_list.MoveSelectedItems(true, true);
}

void CJoinTablesPage::OnUp()
{
    m_list.MoveSelectedItems(true, false);
}

void CJoinTablesPage::OnDown()
{
    m_list.MoveSelectedItems(false, false);
}

void CJoinTablesPage::OnBottom()
{
    m_list.MoveSelectedItems(false, true);
}

// ---- Join SQL -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CJoinSQLPage, CRPropertyPage)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CJoinSQLPage::CJoinSQLPage(CRDatabaseHelper* pHelper, CString& strSQL)
    : CRPropertyPage(IDD_JOIN_SQL), m_pHelper(pHelper), m_strSQL(strSQL)
{}

BOOL CJoinSQLPage::OnInitDialog()
{
    CRPropertyPage::OnInitDialog();
    m_editor.SubclassDlgItem(IDC_JOIN_SQL, this);
    if (CWnd* pPlan = GetDlgItem(IDC_JOIN_SHOW_PLAN))
        pPlan->EnableWindow(m_pHelper && m_pHelper->SupportsExecutionPlan());
    theSettings.ApplySQLEditorSettings(
        m_editor.GetSafeHwnd(),
        theSettings.m_bJoinWordWrap ? (RCEO_WORDWRAP | RCEO_WORDWRAPMENU) : RCEO_WORDWRAPMENU);
    if (m_menu.LoadMenu(IDR_SQL_CONTEXT_MENU))
    {
        CMenu* pSub = m_menu.GetSubMenu(1);
        if (pSub)
            m_editor.SendMessage(RCEM_SETCONTEXTMENU, (WPARAM)pSub->GetSafeHmenu(), 7);
    }
    return TRUE;
}

bool CJoinSQLPage::IsPageDirty()
{
    return m_strSQL != m_strShown || GetDirtyFlag();
}

bool CJoinSQLPage::RefreshPage()
{
    m_strShown = m_strSQL;
    m_editor.SetWindowText(m_strSQL);
    CheckDlgButton(IDC_JOIN_SHOW_PLAN, m_bShowPlan ? BST_CHECKED : BST_UNCHECKED);
    return true;
}

bool CJoinSQLPage::ValidatePage()
{
    m_strResultSQL = m_editor.GetText();
    m_bShowPlan = IsDlgButtonChecked(IDC_JOIN_SHOW_PLAN) == BST_CHECKED;
    return true;
}

BOOL CJoinSQLPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
    if (pHdr && pHdr->idFrom == IDC_JOIN_SQL && pHdr->code == RCEN_AUTOCOMPLETE)
    {
        *pResult = m_editor.UpdateAutoCompleteWords();
        return TRUE;
    }
    return CRPropertyPage::OnNotify(wParam, lParam, pResult);
}

void CJoinSQLPage::OnDestroy()
{
    if (m_editor.GetSafeHwnd())
    {
        theSettings.m_bJoinWordWrap =
            (::SendMessageW(m_editor.GetSafeHwnd(), RCEM_GETOPTIONS, 0, 0) & RCEO_WORDWRAP) != 0;
        theSettings.SaveJoinWordWrap();
    }
    CRPropertyPage::OnDestroy();
}

// ---- CJoinWizard ----------------------------------------------------------------------------

CJoinWizard::CJoinWizard(CRDatabaseHelper* pHelper, const std::vector<CJoinTableEntry>& entries,
                         CWnd* pParent)
    : CRWizard(pParent), m_tablesPage(pHelper, entries, m_strSQL), m_sqlPage(pHelper, m_strSQL)
{
    AddPage(&m_tablesPage);
    AddPage(&m_sqlPage);
}
