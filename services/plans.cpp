// Execution plans of the database helper.
#include "services/plans.h"

#include "dbaccess/error_report.h"
#include "framework/ui.h"
#include "dbaccess/recordset.h"
#include "services/database_helper.h"
#include "services/sql_outline.h"

#include <cstdlib>
#include <ctime>

const wchar_t kPlanTableName[] = L"QUENLARK_PLAN_TABLE";

namespace {

UINT32 g_nNextStatementId = 0;
bool g_bStatementIdSeeded = false;

const wchar_t kPlanTableColumns[] =
    L" (\n  STATEMENT_ID     VARCHAR2(30),\n  TIMESTAMP        DATE,\n  REMARKS          "
    L"VARCHAR2(80),\n  OPERATION        VARCHAR2(30),\n  OPTIONS          VARCHAR2(30),\n  "
    L"OBJECT_NODE      VARCHAR2(128),\n  OBJECT_OWNER     VARCHAR2(30),\n  OBJECT_NAME      "
    L"VARCHAR2(30),\n  OBJECT_INSTANCE  NUMBER(38),\n  OBJECT_TYPE      VARCHAR2(30),\n  "
    L"OPTIMIZER        VARCHAR2(255),\n  SEARCH_COLUMNS   NUMBER,\n  ID               "
    L"NUMBER(38),\n  PARENT_ID        NUMBER(38),\n  POSITION         NUMBER(38),\n  COST     "
    L"        NUMBER(38),\n  CARDINALITY      NUMBER(38),\n  BYTES            NUMBER(38),\n  "
    L"OTHER_TAG        VARCHAR2(255),\n  PARTITION_START  VARCHAR2(255),\n  PARTITION_STOP   "
    L"VARCHAR2(255),\n  PARTITION_ID     NUMBER(38),\n  OTHER            LONG,\n  "
    L"DISTRIBUTION     VARCHAR2(30)\n)";

const wchar_t kPlanSelectFormat[] =
    L"select\n  level \"Level\",\n  lpad(' ', (level-1)*4) || operation || decode(options, "
    L"null, ' ', ' (' || options || ')') \"Operation\",\n  decode(object_name, null, ' ', "
    L"object_name)  \"Object\",\n  decode(cost, null, ' ', cost) \"Cost\",\n  decode(bytes, "
    L"null, ' ', bytes) \"Bytes\",\n  decode(CARDINALITY, null, ' ', CARDINALITY) "
    L"\"Cardinality\",\n  decode(SEARCH_COLUMNS, null, ' ', SEARCH_COLUMNS) \"Search "
    L"columns\"\nfrom\n  %s\nstart with id=0 AND statement_id='%lu'\nconnect by prior "
    L"id=parent_id AND prior statement_id=statement_id";

CString FormatId(LPCWSTR pszFormat, UINT32 nId)
{
    CString str;
    str.Format(pszFormat, kPlanTableName, (unsigned long)nId);
    return str;
}

// Runs a statement whose failure only matters to the plan it belongs to.
bool RunReporting(CRDatabase& db, LPCWSTR pszSQL)
{
    return RunReportingErrors([&] { db.ExecuteSQL(pszSQL); }, nullptr, false);
}

} // namespace

CString BuildPlanTableDDL()
{
    return CString(L"CREATE TABLE ") + kPlanTableName + kPlanTableColumns;
}

CString BuildOracleExplainSQL(UINT32 nStatementId, LPCWSTR pszSQL)
{
    CString str;
    str.Format(L"explain plan set STATEMENT_ID='%lu' into %s for %s", (unsigned long)nStatementId,
               kPlanTableName, pszSQL);
    return str;
}

CString BuildOraclePlanSelect(UINT32 nStatementId)
{
    return FormatId(kPlanSelectFormat, nStatementId);
}

CString BuildOraclePlanDelete(UINT32 nStatementId)
{
    return FormatId(L"DELETE FROM %s WHERE STATEMENT_ID='%lu'", nStatementId);
}

int PrepareExplainText(LPCWSTR pszSQL, bool bBackslashEscapes, CString& strText)
{
    strText = StripSQLComments(pszSQL, bBackslashEscapes);
    CSQLOutline outline(strText, bBackslashEscapes);
    const int nCount = outline.CountStatements();
    if (nCount == 1)
    {
        strText = strText.Left(outline.GetContentEnd());
        strText.Trim();
        while (!strText.IsEmpty() && strText[strText.GetLength() - 1] == L';')
        {
            strText.Delete(strText.GetLength() - 1);
            strText.TrimRight();
        }
    }
    else if (nCount == 0)
        strText.Empty();
    return nCount;
}

UINT32 TakePlanStatementId()
{
    if (!g_bStatementIdSeeded)
    {
        srand((unsigned)time(nullptr));
        g_nNextStatementId = (UINT32)rand() << 16;
        g_bStatementIdSeeded = true;
    }
    return g_nNextStatementId++;
}

// ---- CRDatabaseHelper ----------------------------------------------------------------------

bool CRDatabaseHelper::ExplainPlan(LPCWSTR pszSQL, CString& strPlanSQL, UINT32& nStatementId)
{
    CString strText;
    const int nCount = PrepareExplainText(pszSQL, m_db.UsesBackslashEscapes(), strText);
    if (nCount == 0)
        return false;
    if (nCount > 1)
    {
        // Explaining several statements at once runs all but the first of them.
        AfxMessageBox(L"An execution plan is shown for one statement at a time.\nSelect only "
                      L"the statement to explain.",
                      MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const DBMSKind nKind = GetDBMSKind();
    if (nKind != DBMS_ORACLE && nKind != DBMS_MSSQL && nKind != DBMS_MYSQL &&
        nKind != DBMS_POSTGRESQL)
        return false;
    return RunReportingErrors(
        [&] {
            switch (nKind)
            {
            case DBMS_ORACLE: {
                const UINT32 nId = TakePlanStatementId();
                try
                {
                    m_db.ExecuteSQL(CString(L"SELECT COUNT(*) FROM ") + kPlanTableName);
                }
                catch (Zelt::CRDBException* e)
                {
                    CExceptionHolder held(e);
                    m_db.ExecuteSQL(BuildPlanTableDDL());
                    m_bPlanTable = true;
                }
                m_db.ExecuteSQL(BuildOracleExplainSQL(nId, strText));
                strPlanSQL = BuildOraclePlanSelect(nId);
                nStatementId = nId;
                break;
            }
            case DBMS_MSSQL:
                m_db.ExecuteSQL(L"SET SHOWPLAN_ALL ON");
                strPlanSQL = strText;
                break;
            case DBMS_MYSQL:
            case DBMS_POSTGRESQL: strPlanSQL = L"EXPLAIN " + strText; break;
            default: break;
            }
        },
        nullptr, false);
}

bool CRDatabaseHelper::EndExplainPlan()
{
    if (GetDBMSKind() != DBMS_MSSQL)
        return true;
    return RunReporting(m_db, L"SET SHOWPLAN_ALL OFF");
}

bool CRDatabaseHelper::ClearExplainPlan(UINT32 nStatementId)
{
    switch (GetDBMSKind())
    {
    case DBMS_ORACLE: return RunReporting(m_db, BuildOraclePlanDelete(nStatementId));
    case DBMS_MSSQL: return RunReporting(m_db, L"SET SHOWPLAN_ALL OFF");
    default: return false;
    }
}

bool CRDatabaseHelper::DropPlanTable()
{
    const bool bOurs = m_bPlanTable;
    m_bPlanTable = false;
    if (!bOurs)
        return false;
    switch (GetDBMSKind())
    {
    case DBMS_ORACLE: {
        bool bOpened = false;
        if (!RunReportingErrors(
                [&] {
                    CRRecordset rs(&m_db);
                    bOpened = rs.Open(CString(L"SELECT COUNT(*) FROM ") + kPlanTableName,
                                      RS_FORWARD_ONLY, RS_READONLY);
                },
                nullptr, false) ||
            !bOpened)
            return false;
        return RunReporting(m_db, CString(L"DROP TABLE ") + kPlanTableName);
    }
    case DBMS_MSSQL: return RunReporting(m_db, L"SET SHOWPLAN_ALL OFF");
    default: return false;
    }
}
