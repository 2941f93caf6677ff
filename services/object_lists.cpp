// Lists of stored code: procedures, packages, triggers, invalid objects, compile errors.
#include "services/object_lists.h"

#include "dbaccess/catalog.h"
#include "dbaccess/error_report.h"
#include "dbaccess/recordset.h"
#include "services/database_helper.h"
#include "services/wait_dlg.h"

namespace {

bool HasText(LPCWSTR psz)
{
    return psz && *psz;
}

} // namespace

CString BuildProceduresSQL(const CSQLDialect& dialect, LPCWSTR pszSchema)
{
    if (dialect.GetKind() != DBMS_MSSQL)
        return CString();
    const CString strFilter =
        HasText(pszSchema) ? L" and sch.name=" + dialect.Literal(pszSchema) : CString();
    return L"SELECT sch.name, obj.name, obj.type FROM sys.objects obj, sys.schemas sch WHERE "
           L"obj.schema_id = sch.schema_id and obj.type IN ('P','IF','TF','FN', 'PC')" +
           strFilter +
           L" UNION ALL SELECT sch.name, obj.name, obj.type FROM sys.system_objects obj, "
           L"sys.schemas sch WHERE obj.schema_id = sch.schema_id and obj.type IN "
           L"('P','IF','TF','FN', 'PC')" +
           strFilter;
}

CString BuildPackagesSQL(const CSQLDialect& dialect, LPCWSTR pszSchema)
{
    if (dialect.GetKind() != DBMS_ORACLE)
        return CString();
    CString strSQL = L"SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_TYPE='PACKAGE' ";
    if (HasText(pszSchema))
        strSQL += L"AND OWNER=" + dialect.Literal(pszSchema) + L" ";
    return strSQL + L"ORDER BY OWNER, OBJECT_NAME";
}

CString BuildTriggersSQL(const CSQLDialect& dialect, LPCWSTR pszSchema, int nServerMajor)
{
    const CString strSchema = dialect.Literal(pszSchema);
    switch (dialect.GetKind())
    {
    case DBMS_ORACLE:
        return L"SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_TYPE='TRIGGER'" +
               (HasText(pszSchema) ? L" AND OWNER=" + strSchema : CString()) +
               L" ORDER BY OWNER, OBJECT_NAME";
    case DBMS_MSSQL:
        if (nServerMajor < 9)
            return L"select 'dbo', sysobjects.name from sysobjects where sysobjects.xtype = 'TR'" +
                   (HasText(pszSchema) ? L" and 'dbo'=" + strSchema : CString()) +
                   L" order by sysobjects.name";
        return L"select sch.name, tr.name from sys.triggers tr, sys.objects obj, sys.schemas sch "
               L"where tr.object_id = obj.object_id and obj.schema_id = sch.schema_id" +
               (HasText(pszSchema) ? L" and sch.name=" + strSchema : CString()) +
               L" order by sch.name, tr.name";
    case DBMS_FIREBIRD:
        return L"select NULL, rdb$trigger_name from rdb$triggers where ((rdb$system_flag = 0) or "
               L"(rdb$system_flag is null)) and (rdb$trigger_name not in (select "
               L"rdb$trigger_name from rdb$check_constraints)) order by rdb$trigger_name";
    case DBMS_MYSQL:
        return L"select TRIGGER_SCHEMA, TRIGGER_NAME from INFORMATION_SCHEMA.TRIGGERS where "
               L"TRIGGER_SCHEMA=" +
               strSchema + L" order by TRIGGER_SCHEMA, TRIGGER_NAME";
    default: return CString();
    }
}

CString BuildInvalidObjectsSQL(const CSQLDialect& dialect, int nObjectKind, LPCWSTR pszSchema)
{
    if (dialect.GetKind() != DBMS_ORACLE)
        return CString();
    CString strSQL = L"SELECT OWNER, OBJECT_NAME FROM ALL_OBJECTS WHERE STATUS='INVALID'";
    if (HasText(pszSchema))
        strSQL += L" AND OWNER=" + dialect.Literal(pszSchema);
    switch (nObjectKind)
    {
    case DBOBJ_VIEW: strSQL += L" AND OBJECT_TYPE='VIEW'"; break;
    case DBOBJ_PROCEDURE: strSQL += L" AND OBJECT_TYPE='PROCEDURE'"; break;
    case DBOBJ_FUNCTION: strSQL += L" AND OBJECT_TYPE='FUNCTION'"; break;
    case DBOBJ_PACKAGE: strSQL += L" AND OBJECT_TYPE='PACKAGE'"; break;
    case DBOBJ_TRIGGER: strSQL += L" AND OBJECT_TYPE='TRIGGER'"; break;
    default: break;
    }
    return strSQL;
}

CString BuildCompileErrorsSQL(const CSQLDialect& dialect, const CStringPair& name)
{
    if (dialect.GetKind() != DBMS_ORACLE)
        return CString();
    return L"SELECT LINE, POSITION, TEXT FROM ALL_ERRORS WHERE OWNER=" +
           dialect.Literal(name.m_strFirst) + L" AND NAME=" + dialect.Literal(name.m_strSecond) +
           L" ORDER BY LINE, POSITION";
}

CString StripProcedureGroup(const CString& strName)
{
    const int nSemicolon = strName.Find(L';');
    return nSemicolon < 0 ? strName : strName.Left(nSemicolon);
}

// ---- CRDatabaseHelper ----------------------------------------------------------------------

bool CWaitDlgProgress::PumpMessages()
{
    return m_pDlg->PumpMessages();
}

void CWaitDlgProgress::SetMessageText(LPCWSTR pszText)
{
    m_pDlg->SetMessageText(pszText);
}

void CWaitDlgProgress::SetInfoText(LPCWSTR pszText)
{
    m_pDlg->SetInfoText(pszText);
}

namespace {

// Appends (column 1, column 2) of every row; false when the statement cannot be opened.
bool ReadObjectPairs(CRDatabase& db, const CString& strSQL, CDBObjectsArray& objects,
                     bool bTrimNames = false)
{
    if (strSQL.IsEmpty())
        return false;
    CRRecordset rs(&db);
    if (!rs.Open(strSQL, RS_FORWARD_ONLY, RS_READONLY))
        return false;
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        CString strSchema, strName;
        rs.GetFieldText(1, strSchema);
        rs.GetFieldText(2, strName);
        // Firebird pads names with blanks.
        if (bTrimNames)
            strName.Trim();
        objects.SetAtGrow(objects.GetSize(), CIndexedDBObject(strSchema, strName, -1));
    }
    return true;
}

} // namespace

bool CRDatabaseHelper::ReadProceduresNow(CDBStoredProcsArray& procs, LPCWSTR pszSchema,
                                         CWaitDlg* pWait)
{
    if (!pWait)
        return ReadProcedureList(procs, pszSchema, nullptr);
    CWaitDlgProgress progress(pWait);
    return ReadProcedureList(procs, pszSchema, &progress);
}

bool CRDatabaseHelper::ReadProcedureList(CDBStoredProcsArray& procs, LPCWSTR pszSchema,
                                         IReadProgress* pProgress)
{
    CRDatabase& db = GetCatalogDatabase();
    // After each record: the wait dialog runs and shows the name, or ends the read.
    auto added = [&](const CDBStoredProcInfo& info) {
        procs.SetAtGrow(procs.GetSize(), info);
        if (!pProgress)
            return true;
        if (pProgress->PumpMessages())
            return false;
        pProgress->SetInfoText(MakeObjectName(info, true));
        return true;
    };

    if (GetDBMSKind() == DBMS_MSSQL)
    {
        CConnectionDialect dialect(&db);
        CRRecordset rs(&db);
        if (!rs.Open(BuildProceduresSQL(dialect, pszSchema), RS_FORWARD_ONLY, RS_READONLY))
            return false;
        for (; !rs.IsEOF(); rs.MoveNext())
        {
            CString strSchema, strName, strType;
            rs.GetFieldText(1, strSchema);
            rs.GetFieldText(2, strName);
            rs.GetFieldText(3, strType);
            strType.Trim(L' ');
            const int nType = (strType == L"P" || strType == L"PC")
                                  ? CDBStoredProcInfo::typeProcedure
                                  : CDBStoredProcInfo::typeFunction;
            if (!added(CDBStoredProcInfo(strSchema, StripProcedureGroup(strName), nType, L"")))
                return false;
        }
        return true;
    }

    CRProcedures reader(&db, HasText(pszSchema) ? pszSchema : nullptr, nullptr);
    CRProcedures::CProcedureInfo info;
    while (reader.Fetch(&info))
    {
        if (!added(CDBStoredProcInfo(info.szProcedureSchem,
                                     StripProcedureGroup(info.szProcedureName), info.nProcedureType,
                                     info.szRemarks)))
            return false;
    }
    return true;
}

bool CRDatabaseHelper::ReadPackagesNow(CDBObjectsArray& packages, LPCWSTR pszSchema)
{
    CRDatabase& db = GetCatalogDatabase();
    return ReadObjectPairs(db, BuildPackagesSQL(CConnectionDialect(&db), pszSchema), packages);
}

bool CRDatabaseHelper::ReadTriggersNow(CDBObjectsArray& triggers, LPCWSTR pszSchema)
{
    CRDatabase& db = GetCatalogDatabase();
    CString strSchema;
    // MySQL keeps triggers by database: without a schema, the current one.
    if (GetDBMSKind() == DBMS_MYSQL && !HasText(pszSchema))
    {
        strSchema = GetCurrentDatabaseName();
        pszSchema = strSchema;
    }
    return ReadObjectPairs(
        db, BuildTriggersSQL(CConnectionDialect(&db), pszSchema, GetServerMajorVersion()), triggers,
        GetDBMSKind() == DBMS_FIREBIRD);
}

bool CRDatabaseHelper::ReadInvalidObjectsNow(CDBObjectsArray& objects, int nObjectKind,
                                             LPCWSTR pszSchema)
{
    CRDatabase& db = GetCatalogDatabase();
    return ReadObjectPairs(
        db, BuildInvalidObjectsSQL(CConnectionDialect(&db), nObjectKind, pszSchema), objects);
}

bool CRDatabaseHelper::GetCompileErrors(CDBObjErrorsArray& errors, const CStringPair& name)
{
    CRDatabase& db = GetCatalogDatabase();
    const CString strSQL = BuildCompileErrorsSQL(CConnectionDialect(&db), name);
    if (strSQL.IsEmpty())
        return false;
    bool bResult = false;
    RunReportingErrors(
        [&] {
            CRRecordset rs(&db);
            if (!rs.Open(strSQL, RS_FORWARD_ONLY, RS_READONLY))
                return;
            for (; !rs.IsEOF(); rs.MoveNext())
            {
                long nLine = 0, nPosition = 0;
                CString strText;
                rs.GetFieldLong(1, nLine);
                rs.GetFieldLong(2, nPosition);
                rs.GetFieldText(3, strText);
                errors.SetAtGrow(errors.GetSize(), CDBObjError(nLine, nPosition, strText));
            }
            bResult = true;
        },
        nullptr, false);
    return bResult;
}

bool CRDatabaseHelper::GetProcedures(CWaitHolder* pWait, LPCWSTR pszSchema,
                                     CDBStoredProcsArray& procs)
{
    // A job's worker must not pump the dialog: the job reads without it.
    CWaitDlg* pPumped = IsCancelExecEnabled() || pWait == nullptr ? nullptr : pWait->GetWaitDlg();
    return RunCatalogRead(pWait, [&] { return ReadProceduresNow(procs, pszSchema, pPumped); });
}

bool CRDatabaseHelper::GetInvalidObjects(CWaitHolder* pWait, LPCWSTR pszSchema, int nObjectKind,
                                         CDBObjectsArray& objects)
{
    return RunCatalogRead(pWait,
                          [&] { return ReadInvalidObjectsNow(objects, nObjectKind, pszSchema); });
}

bool CRDatabaseHelper::GetPackages(CWaitHolder* pWait, LPCWSTR pszSchema, CDBObjectsArray& packages)
{
    return RunCatalogRead(pWait, [&] { return ReadPackagesNow(packages, pszSchema); });
}

bool CRDatabaseHelper::GetTriggers(CWaitHolder* pWait, LPCWSTR pszSchema, CDBObjectsArray& triggers)
{
    return RunCatalogRead(pWait, [&] { return ReadTriggersNow(triggers, pszSchema); });
}
