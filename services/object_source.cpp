// Stored source text of database objects.
#include "services/object_source.h"

#include "dbaccess/error_report.h"
#include "dbaccess/recordset.h"
#include "framework/win_app.h"
#include "services/database_helper.h"

CString BuildOracleSourceSQL(const CSQLDialect& dialect, LPCWSTR pszType, LPCWSTR pszOwner,
                             LPCWSTR pszName)
{
    return L"SELECT TEXT FROM ALL_SOURCE WHERE TYPE=" + dialect.Literal(pszType) + L" AND OWNER=" +
           dialect.Literal(pszOwner) + L" AND NAME=" + dialect.Literal(pszName) + L" ORDER BY LINE";
}

CString BuildObjectSourceSQL(const CSQLDialect& dialect, const CStringPair& name, int nObjectKind)
{
    const CString strSchema = dialect.Literal(name.m_strFirst);
    const CString strName = dialect.Literal(name.m_strSecond);
    switch (dialect.GetKind())
    {
    case DBMS_SQLSERVER:
    case DBMS_MSSQL: return L"sp_helptext " + dialect.NameLiteral(name);
    case DBMS_ORACLE:
        switch (nObjectKind)
        {
        case DBOBJ_VIEW:
            return L"SELECT TEXT FROM ALL_VIEWS WHERE OWNER=" + strSchema + L" AND VIEW_NAME=" +
                   strName;
        case DBOBJ_PROCEDURE:
            return BuildOracleSourceSQL(dialect, L"PROCEDURE", name.m_strFirst, name.m_strSecond);
        case DBOBJ_FUNCTION:
            return BuildOracleSourceSQL(dialect, L"FUNCTION", name.m_strFirst, name.m_strSecond);
        case DBOBJ_PACKAGE:
            return BuildOracleSourceSQL(dialect, L"PACKAGE", name.m_strFirst, name.m_strSecond);
        case DBOBJ_TRIGGER:
            return BuildOracleSourceSQL(dialect, L"TRIGGER", name.m_strFirst, name.m_strSecond);
        }
        break;
    case DBMS_FIREBIRD:
        switch (nObjectKind)
        {
        case DBOBJ_VIEW:
            return L"select rdb$view_source from rdb$relations where rdb$relation_name=" +
                   dialect.NameLiteral(name);
        case DBOBJ_PROCEDURE:
            return L"select rdb$procedure_source from rdb$procedures where "
                   L"rdb$procedure_name=" +
                   dialect.NameLiteral(name);
        case DBOBJ_TRIGGER:
            return L"select rdb$trigger_source from rdb$triggers where rdb$trigger_name=" +
                   dialect.NameLiteral(name);
        }
        break;
    case DBMS_MYSQL:
        switch (nObjectKind)
        {
        case DBOBJ_VIEW:
            return L"SELECT VIEW_DEFINITION FROM INFORMATION_SCHEMA.VIEWS WHERE TABLE_SCHEMA=" +
                   strSchema + L" AND TABLE_NAME=" + strName;
        case DBOBJ_PROCEDURE:
        case DBOBJ_FUNCTION:
            return L"SELECT ROUTINE_DEFINITION FROM INFORMATION_SCHEMA.ROUTINES WHERE "
                   L"ROUTINE_SCHEMA=" +
                   strSchema + L" AND ROUTINE_NAME=" + strName;
        case DBOBJ_TRIGGER:
            return L"SELECT ACTION_STATEMENT FROM INFORMATION_SCHEMA.TRIGGERS WHERE "
                   L"TRIGGER_SCHEMA=" +
                   strSchema + L" AND TRIGGER_NAME=" + strName;
        }
        break;
    case DBMS_POSTGRESQL:
        switch (nObjectKind)
        {
        case DBOBJ_VIEW:
            return L"select definition from pg_catalog.pg_views where schemaname=" + strSchema +
                   L" and viewname=" + strName;
        // Overloads share a name: the oldest one is taken, the same every time. The oid is
        // read for routines whose body is kept as a parsed SQL body.
        case DBOBJ_PROCEDURE:
        case DBOBJ_FUNCTION:
            return L"select proc.prosrc, proc.oid from pg_catalog.pg_proc proc, "
                   L"pg_catalog.pg_namespace ns where proc.pronamespace=ns.oid and ns.nspname=" +
                   strSchema + L" and proc.proname=" + strName + L" order by proc.oid";
        }
        break;
    default: break;
    }
    return CString();
}

CString BuildPostgresSQLBodySQL(LPCWSTR pszOid)
{
    return CString(L"select pg_catalog.pg_get_function_sqlbody(") + pszOid + L")";
}

LPCWSTR GetPackageBodySeparator()
{
    return L"\r\n\r\n-----------------------------------------------------------\r\n\r\n";
}

CString DescribeWithheldSource(LPCWSTR pszName, int nObjectKind)
{
    if (nObjectKind == DBOBJ_VIEW)
        return CString(L"The server gives no text of view ") + pszName +
               L" to this user: it shows a view's text only to users with the SHOW VIEW "
               L"privilege on the view.";
    return CString(L"The server gives no text of ") +
           (nObjectKind == DBOBJ_FUNCTION ? L"function " : L"procedure ") + pszName +
           L" to this user: it shows a routine's text only to the routine's definer and to "
           L"users who may read every routine's definition (SELECT on mysql.proc, or SHOW "
           L"CREATE ROUTINE).";
}

// ---- CRDatabaseHelper ----------------------------------------------------------------------

namespace {

// Every row's column 1 appended, nothing between rows (the rows carry their own line ends).
void AppendAllRows(CRRecordset& rs, CString& strText)
{
    for (; !rs.IsEOF(); rs.MoveNext())
    {
        CString strLine;
        rs.GetFieldText(1, strLine);
        strText += strLine;
    }
}

// Column 1 of the first row; false when there is none.
bool ReadFirstValue(CRDatabase& db, const CString& strSQL, CString& strText,
                    CString* pstrSecond = nullptr)
{
    CRRecordset rs(&db);
    if (!rs.Open(strSQL, RS_FORWARD_ONLY, RS_READONLY) || rs.IsEOF())
        return false;
    rs.GetFieldText(1, strText);
    if (pstrSecond)
        rs.GetFieldText(2, *pstrSecond);
    return true;
}

bool IsDigitsOnly(const CString& strText)
{
    if (strText.IsEmpty())
        return false;
    for (int i = 0; i < strText.GetLength(); ++i)
        if (strText[i] < L'0' || strText[i] > L'9')
            return false;
    return true;
}

bool ReadOracleSource(CRDatabase& db, LPCWSTR pszType, const CStringPair& name, CString& strText)
{
    strText.Empty();
    CConnectionDialect dialect(&db);
    CRRecordset rs(&db);
    if (!rs.Open(BuildOracleSourceSQL(dialect, pszType, name.m_strFirst, name.m_strSecond),
                 RS_FORWARD_ONLY, RS_READONLY))
        return false;
    AppendAllRows(rs, strText);
    return true;
}

} // namespace

CString CRDatabaseHelper::GetCurrentDatabaseName()
{
    CString strName;
    GetCatalogDatabase().GetInfoString(SQL_DATABASE_NAME, strName);
    return strName;
}

bool CRDatabaseHelper::GetObjectSource(const CStringPair& name, int nObjectKind, CString& strSource,
                                       bool* pbTold)
{
    strSource.Empty();
    bool bResult = false;
    bool bTold = false;
    const bool bRan = RunReportingErrors(
        [&] {
            CRDatabase& db = GetCatalogDatabase();
            CConnectionDialect dialect(&db);
            CStringPair object = name;
            const DBMSKind nKind = dialect.GetKind();
            if (nKind == DBMS_MYSQL && object.m_strFirst.IsEmpty())
                object.m_strFirst = GetCurrentDatabaseName();
            const CString strSQL = BuildObjectSourceSQL(dialect, object, nObjectKind);
            if (strSQL.IsEmpty())
                return;

            switch (nKind)
            {
            case DBMS_SQLSERVER:
            case DBMS_MSSQL: {
                CRRecordset rs(&db);
                if (!rs.Open(strSQL, RS_FORWARD_ONLY, RS_READONLY))
                    return;
                // The old driver gives the text as the second result.
                if (nKind == DBMS_SQLSERVER && !rs.MoreResults())
                    return;
                AppendAllRows(rs, strSource);
                bResult = true;
                return;
            }
            case DBMS_ORACLE: {
                if (nObjectKind == DBOBJ_VIEW)
                {
                    // Unbound: the LONG column comes through SQLGetData.
                    CRRecordset rs(&db);
                    if (!rs.Open(strSQL, RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND))
                        return;
                    if (!rs.IsEOF())
                        rs.GetFieldText(1, strSource);
                    bResult = true;
                    return;
                }
                LPCWSTR pszType = nObjectKind == DBOBJ_PROCEDURE  ? L"PROCEDURE"
                                  : nObjectKind == DBOBJ_FUNCTION ? L"FUNCTION"
                                  : nObjectKind == DBOBJ_PACKAGE  ? L"PACKAGE"
                                                                  : L"TRIGGER";
                bResult = ReadOracleSource(db, pszType, object, strSource);
                if (bResult && nObjectKind == DBOBJ_PACKAGE)
                {
                    // A body that cannot be read (no privilege on it, say) leaves the
                    // package header alone.
                    CString strBody;
                    bool bBody = false;
                    try
                    {
                        bBody = ReadOracleSource(db, L"PACKAGE BODY", object, strBody);
                    }
                    catch (CException* e)
                    {
                        CExceptionHolder held(e);
                    }
                    if (bBody && !strBody.IsEmpty())
                        strSource += GetPackageBodySeparator() + strBody;
                }
                return;
            }
            case DBMS_POSTGRESQL: {
                CString strOid;
                bResult = ReadFirstValue(db, strSQL, strSource,
                                         nObjectKind == DBOBJ_VIEW ? nullptr : &strOid);
                // A routine written as BEGIN ATOMIC (PostgreSQL 14 on) keeps no source text
                // but a parsed body, which the server writes back as text.
                if (bResult && strSource.IsEmpty() && IsDigitsOnly(strOid) &&
                    GetServerMajorVersion() >= 14)
                    ReadFirstValue(db, BuildPostgresSQLBodySQL(strOid), strSource);
                return;
            }
            default:
                if (!ReadFirstValue(db, strSQL, strSource))
                    return;
                // MariaDB and MySQL list a view or routine to users who may not read its text
                // and give them the text empty (a view without SHOW VIEW) or NULL (a routine
                // of another definer): no object of these kinds has an empty text.
                if (nKind == DBMS_MYSQL && strSource.IsEmpty() && nObjectKind != DBOBJ_TRIGGER)
                {
                    AfxMessageBox(
                        DescribeWithheldSource(FormatObjectName(object, &db, true), nObjectKind),
                        MB_ICONEXCLAMATION);
                    bTold = true;
                    return;
                }
                bResult = true;
                return;
            }
        },
        nullptr, false);
    if (pbTold)
        *pbTold = !bResult && (bTold || !bRan);
    return bResult;
}
