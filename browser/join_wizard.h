// The join wizard: "Join Order" puts the chosen tables in the order they are joined (every
// relation kept by the earlier of its two tables, turned to name the later), "Join SQL" shows
// the statement for editing and offers its execution plan.
#pragma once

#include "controls/list_ctrl.h"
#include "controls/wizard_page.h"
#include "editor/color_edit_ctrl.h"
#include "services/table_relations.h"
#include "windows/move_buttons.h"

#include <vector>

class CRDatabaseHelper;

// The initial join order: each table after the last one already placed that holds a relation
// naming it, at the front when none does.
std::vector<CJoinTableEntry> MakeInitialJoinOrder(const std::vector<CJoinTableEntry>& entries);
// Moves the entry at from to to, handing over the relations between it and the entries it
// passes so that each stays with the earlier table and names the later one. False (nothing
// changed) when a position lies outside.
bool MoveJoinEntry(std::vector<CJoinTableEntry>& entries, int from, int to);

class CJoinTablesPage : public CRPropertyPage
{
public:
    class CJoinListCtrl : public CRListCtrl
    {
    public:
        explicit CJoinListCtrl(std::vector<CJoinTableEntry>& entries) : m_entries(entries) {}
        bool CanMoveItem(int from, int to) override;
        void OnItemMoved(int from, int to) override;

    private:
        std::vector<CJoinTableEntry>& m_entries;
    };

    CJoinTablesPage(CRDatabaseHelper* pHelper, const std::vector<CJoinTableEntry>& entries,
                    CString& strSQL);
    BOOL OnInitDialog() override;
    bool RefreshPage() override;
    bool ValidatePage() override;
    const std::vector<CJoinTableEntry>& GetEntries() const { return m_entries; }
    CJoinListCtrl& GetList() { return m_list; }

protected:
    afx_msg void OnTop();
    afx_msg void OnUp();
    afx_msg void OnDown();
    afx_msg void OnBottom();
    DECLARE_MESSAGE_MAP()

    CRDatabaseHelper* m_pHelper;
    std::vector<CJoinTableEntry> m_entries;
    CString& m_strSQL;
    CMoveButtons m_buttons;
    CJoinListCtrl m_list;
};

class CJoinSQLPage : public CRPropertyPage
{
public:
    CJoinSQLPage(CRDatabaseHelper* pHelper, CString& strSQL);
    BOOL OnInitDialog() override;
    bool IsPageDirty() override;
    bool RefreshPage() override;
    bool ValidatePage() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    CString m_strResultSQL;
    bool m_bShowPlan = false;
    CColorEditCtrl& GetEditor() { return m_editor; }

protected:
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    CRDatabaseHelper* m_pHelper;
    CString& m_strSQL;
    CString m_strShown;
    CMenu m_menu;
    CColorEditCtrl m_editor;
};

class CJoinWizard : public CRWizard
{
public:
    CJoinWizard(CRDatabaseHelper* pHelper, const std::vector<CJoinTableEntry>& entries,
                CWnd* pParent);
    CString GetSQL() const { return m_sqlPage.m_strResultSQL; }
    bool GetShowPlan() const { return m_sqlPage.m_bShowPlan; }
    CJoinTablesPage& GetTablesPage() { return m_tablesPage; }
    CJoinSQLPage& GetSQLPage() { return m_sqlPage; }

protected:
    CString m_strSQL; // built by the order page, shown by the SQL page
    CJoinTablesPage m_tablesPage;
    CJoinSQLPage m_sqlPage;
};
