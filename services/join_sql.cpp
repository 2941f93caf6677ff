// The helper's join road: relations of the chosen tables and the joining SELECT, behind the
// wait dialog.
#include "services/database_helper.h"

#include "dbaccess/error_report.h"
#include "resources/resource.h"
#include "services/table_relations.h"
#include "services/wait_dlg.h"
#include "util/utility.h"

bool CRDatabaseHelper::CollectTableRelations(const CDBObjectsArray& tables, CWnd* pParent,
                                             std::vector<CJoinTableEntry>& entries)
{
    entries.clear();
    bool bResult = false;
    RunReportingErrors(
        [&] {
            if (!SupportsForeignKeys())
            {
                AfxMessageBox(LoadResString(IDS_NO_FOREIGN_KEY_INFO), MB_ICONERROR);
                return;
            }
            CWaitHolder wait(pParent, CWaitDlg::flagCancel | CWaitDlg::flagNoMarquee,
                             static_cast<int>(tables.GetSize()));
            wait.SetProcessText(LoadResString(IDS_COLLECTING_TABLES_INFO));
            for (INT_PTR i = 0; i < tables.GetSize(); ++i)
            {
                wait.SetInfoText(FormatObjectName(tables[i], &GetCatalogDatabase(), true));
                if (wait.IsCancelled())
                    return;
                CJoinTableEntry entry(tables[i].m_strFirst, tables[i].m_strSecond);
                CForeignKeyArray keys;
                if (GetForeignKeys(&wait, tables[i], &keys))
                    AppendForeignKeyRelations(keys, entry.m_relations);
                entries.push_back(entry);
                wait.Step();
            }
            bResult = true;
        },
        pParent ? pParent->GetSafeHwnd() : nullptr);
    return bResult;
}

bool CRDatabaseHelper::BuildJoinSQL(std::vector<CJoinTableEntry>& entries, CWnd* pParent,
                                    CString& strSQL)
{
    strSQL.Empty();
    bool bResult = false;
    RunReportingErrors(
        [&] {
            CWaitHolder wait(pParent, CWaitDlg::flagCancel | CWaitDlg::flagNoMarquee,
                             static_cast<int>(2 * entries.size()));
            wait.SetProcessText(LoadResString(IDS_GENERATING_SQL));
            CString text;
            bool bCancelled = false;
            const bool bBuilt =
                BuildJoinText(entries, &GetCatalogDatabase(), GetDBMSKind(), text, [&] {
                    if (wait.IsCancelled())
                    {
                        bCancelled = true;
                        return false;
                    }
                    wait.Step();
                    return true;
                });
            if (!bBuilt || bCancelled)
                return;
            strSQL = L"SELECT *\nFROM " + text;
            bResult = true;
        },
        pParent ? pParent->GetSafeHwnd() : nullptr);
    return bResult;
}
