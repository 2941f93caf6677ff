// CMainFrame: calling a stored procedure or function, and the Tables, Views and Stored
// Procedures commands.
#include "app/main_frame.h"

#include "app/app_helpers.h"
#include "app/app_settings.h"
#include "browser/proc_params_dlg.h"
#include "browser/tables_dlg.h"
#include "dbaccess/error_report.h"
#include "dbaccess/mem_cursor.h"
#include "dbaccess/recordset.h"
#include "resources/resource.h"
#include "services/proc_call.h"

#include <memory>

namespace {

// The last procedure whose parameters dialog was confirmed, and its inputs, until the end.
CStringPair g_lastProcedure;
CProcParamsArray g_lastParams;
bool g_bHaveLastProcedure = false;

bool IsRemembered(const CProcParamsData& p)
{
    return p.IsInput() || p.m_bUnknownDirection;
}

void TakeRememberedValues(CProcParamsArray& params)
{
    for (INT_PTR i = 0; i < params.GetSize(); ++i)
    {
        CProcParamsData& p = params[i];
        if (!p.IsInput())
            continue;
        for (INT_PTR j = 0; j < g_lastParams.GetSize(); ++j)
        {
            const CProcParamsData& r = g_lastParams[j];
            if (!IsRemembered(r) || wcscmp(r.m_info.szColumnName, p.m_info.szColumnName) != 0)
                continue;
            p.m_bNull = r.m_bNull;
            p.m_strValue = r.m_strValue;
            p.m_bUnknownDirection = r.m_bUnknownDirection;
            if (p.GetColumnType() == SQL_PARAM_TYPE_UNKNOWN && r.GetColumnType() != 0)
                p.m_info.nColumnType = r.m_info.nColumnType;
            break;
        }
    }
}

void Remember(const CStringPair& name, const CProcParamsArray& params)
{
    g_lastProcedure = name;
    g_bHaveLastProcedure = true;
    g_lastParams.RemoveAll();
    for (INT_PTR i = 0; i < params.GetSize(); ++i)
        if (IsRemembered(params[i]))
            g_lastParams.Add(params[i]);
}

bool IsSameName(const CStringPair& a, const CStringPair& b)
{
    return a.m_strFirst == b.m_strFirst && a.m_strSecond == b.m_strSecond;
}

} // namespace

bool CMainFrame::BindProcedureCall(CRRecordset* pRecordset, LPCWSTR pszSQL,
                                   CProcParamsArray& params, bool bHasReturnValue)
{
    CWaitCursor wait;
    const int nKind = m_dbHelper.GetDBMSKind();
    // MariaDB's outputs come back in a result (see ReadProcedureOutputs): read whole, and numbers
    // as their text, so that a decimal keeps every digit.
    bool bOutputResult = false;
    for (INT_PTR i = 0; i < params.GetSize(); ++i)
        bOutputResult = bOutputResult ||
                        (nKind == DBMS_MYSQL && params[i].m_bPlaceholder && params[i].IsOutput() &&
                         params[i].GetColumnType() != SQL_RETURN_VALUE);
    if (!pRecordset->Prepare(pszSQL, RS_FORWARD_ONLY,
                             RS_READONLY | (bOutputResult ? RS_UNBOUND | RS_NUMERIC_AS_TEXT : 0)))
    {
        AfxMessageBox(L"Failed to call procedure!", MB_ICONERROR);
        return false;
    }
    CString strError;
    // MariaDB writes output text bound as wide characters as 8-bit bytes: take it as UTF-8.
    if (!BindProcedureParams(*pRecordset, params, bHasReturnValue, nKind == DBMS_MYSQL, strError))
    {
        AfxMessageBox(strError, MB_ICONERROR);
        return false;
    }
    bool bExecuted = false;
    if (!CRDatabaseHelper::IsCancelExecEnabled())
        bExecuted = pRecordset->Execute();
    else
    {
        bool bCancelled = false;
        bExecuted = m_dbHelper.ExecuteProcedure(pRecordset, this, &bCancelled);
        if (bCancelled)
            return false;
    }
    if (!bExecuted)
    {
        AfxMessageBox(L"Failed to call procedure!", MB_ICONERROR);
        return false;
    }
    ReadProcedureOutputs(*pRecordset, params,
                         IsReturnValueInResult(nKind, params, bHasReturnValue));
    return true;
}

void CMainFrame::CallStoredProcedure(const CStringPair& name)
{
    RunReportingErrors(
        [&] {
            CProcParamsArray params;
            bool bHasReturnValue = false;
            {
                CWaitCursor wait;
                ReadProcedureParams(m_dbHelper, name, params, bHasReturnValue);
            }
            if (g_bHaveLastProcedure && IsSameName(name, g_lastProcedure) &&
                g_lastParams.GetSize() > 0)
                TakeRememberedValues(params);
            bool bShowPlan = false;
            if (HasInputParams(params))
            {
                CStoredProcParamsDlg dlg(&params, m_dbHelper.CanExplainObject(DBOBJ_PROCEDURE),
                                         this);
                if (dlg.DoModal() != IDOK)
                    return;
                UpdateWindow();
                bShowPlan = dlg.m_bShowPlan != 0;
                Remember(name, params);
            }
            CString strSQL = BuildProcedureCall(m_dbHelper, name, params, bHasReturnValue);
            auto recordset = std::make_unique<CRRecordset>(&m_dbHelper.GetDatabase());
            UINT32 nStatementId = 0;
            if (bShowPlan)
            {
                CString strPlan;
                if (!m_dbHelper.ExplainPlan(strSQL, strPlan, nStatementId))
                    return;
                strSQL = strPlan;
            }
            CRDatabase& db = m_dbHelper.GetDatabase();
            // A procedure may open or end a transaction (MariaDB's START TRANSACTION, a
            // PostgreSQL procedure's COMMIT): the call is followed as the user's own SQL is.
            if (!bShowPlan)
                db.FollowStatementStart(strSQL);
            bool bBound = false;
            try
            {
                bBound = BindProcedureCall(recordset.get(), strSQL, params, bHasReturnValue);
                if (bBound && !bShowPlan)
                    FinishProcedureCall(*recordset);
            }
            catch (...)
            {
                if (!bShowPlan)
                    db.AfterFailedStatement(strSQL);
                throw;
            }
            if (!bShowPlan)
            {
                // Once every result of the call is read, the connection is free for the question.
                if (bBound)
                    db.AfterStatement(strSQL, true);
                else
                    db.AfterFailedStatement(strSQL);
            }
            if (!bBound)
                return;
            const CString strName = FormatObjectName(name, &m_dbHelper.GetCatalogDatabase(), true);
            if (!bShowPlan)
            {
                ShowExecuted(FormatElapsedTime(recordset->GetExecutionTime()));
                bool bOutputs = false;
                for (INT_PTR i = 0; i < params.GetSize(); ++i)
                    bOutputs = bOutputs || params[i].IsOutput();
                // The results show a cut value as far as it came back; the user hears first.
                const CString strCut = DescribeCutOutputs(params);
                if (!strCut.IsEmpty())
                    AfxMessageBox(L"Values came back longer than the room they were read into "
                                  L"and are shown cut:\n" +
                                      strCut,
                                  MB_ICONWARNING);
                if (bOutputs)
                {
                    CStoredProcResultsDlg results(&params, this);
                    results.DoModal();
                }
                return;
            }
            Zelt::CMemCursor* pMem = m_dbHelper.ReadToMemCursor(this, recordset.release(), true);
            m_dbHelper.EndExplainPlan();
            if (pMem && pMem->GetColumnCount() > 0)
                OpenRecordsetWindow(pMem, L"Execute " + strName + L"()", 3, CStringPair(), true);
            else
                delete pMem;
        },
        m_hWnd);
}

// ---- Object lists -----------------------------------------------------------------------------

void CMainFrame::RunObjectsDialog(int nObjectKind, UINT nPrompt)
{
    ShowMessage(nPrompt);
    RunReportingErrors(
        [&] {
            CTablesDlg dlg(&m_dbHelper, nObjectKind, this);
            // The dialog has read its list: what stays open now is no longer reading.
            ShowMessage(AFX_IDS_IDLEMESSAGE);
            const INT_PTR nResult = dlg.DoModal();
            if (nResult == IDC_TABLES_JOIN && !dlg.GetJoinSQL().IsEmpty())
            {
                ShowMessage(IDS_EXECUTING);
                ExecuteSQL(dlg.GetJoinSQL(), dlg.GetJoinShowPlan());
                return;
            }
            if (nResult != IDOK)
                return;
            const CDBObjectsArray& objects = dlg.GetResult();
            if (objects.GetSize() == 0)
                return;
            ShowMessage(IDS_EXECUTING);
            for (INT_PTR i = 0; i < objects.GetSize(); ++i)
            {
                if (nObjectKind == DBOBJ_PROCEDURE)
                    CallStoredProcedure(objects[i]);
                else
                    OpenDBObject(objects[i], nullptr, nObjectKind, true);
            }
        },
        m_hWnd);
    ShowMessage(AFX_IDS_IDLEMESSAGE);
}

void CMainFrame::OnTables()
{
    RunObjectsDialog(DBOBJ_TABLE, IDS_READING_TABLES);
}

void CMainFrame::OnViews()
{
    RunObjectsDialog(DBOBJ_VIEW, IDS_READING_VIEWS);
}

void CMainFrame::OnStoredProcedures()
{
    RunObjectsDialog(DBOBJ_PROCEDURE, IDS_READING_PROCEDURES);
}
