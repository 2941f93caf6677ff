// Constraints and triggers of a table.
#include "services/table_constraints.h"

#include "dbaccess/error_report.h"
#include "dbaccess/recordset.h"
#include "services/database_helper.h"
#include "services/throttled_progress.h"

namespace {

// " " + piece + literal, or nothing when the value is empty.
CString Filter(const CSQLDialect& dialect, LPCWSTR pszPiece, const CString& strValue, bool bBlank)
{
    if (strValue.IsEmpty())
        return CString();
    return pszPiece + dialect.Literal(strValue) + (bBlank ? L" " : L"");
}

CString MSSQLConstraintsSQL(const CSQLDialect& d, const CStringPair& t)
{
    static const LPCWSTR kParts[] = {
        L"select csch.name, cc.name, 1, cc.definition, tsch.name, tbl.name, null, null from "
        L"sys.check_constraints cc, sys.schemas csch, sys.tables tbl, sys.schemas tsch where "
        L"cc.schema_id = csch.schema_id and tbl.object_id = cc.parent_object_id and "
        L"tbl.schema_id = tsch.schema_id ",
        L"union all select csch.name, pkc.name, 2, null, tsch.name, tbl.name, null, null from "
        L"sys.key_constraints pkc, sys.schemas csch, sys.tables tbl, sys.schemas tsch where "
        L"pkc.type = 'PK' and pkc.schema_id = csch.schema_id and tbl.object_id = "
        L"pkc.parent_object_id and tbl.schema_id = tsch.schema_id ",
        L"union all select csch.name, fkc.name, 3, null, tsch.name, tbl.name, fktsch.name, "
        L"fktbl.name from sys.foreign_keys fkc, sys.schemas csch, sys.tables tbl, sys.schemas "
        L"tsch, sys.tables fktbl, sys.schemas fktsch where fkc.type = 'F' and fkc.schema_id = "
        L"csch.schema_id and tbl.object_id = fkc.parent_object_id and tbl.schema_id = "
        L"tsch.schema_id and fktbl.object_id = fkc.referenced_object_id and fktbl.schema_id = "
        L"fktsch.schema_id ",
        L"union all select tsch.name, i.name, 4, null, tsch.name, tbl.name, null, null from "
        L"sys.indexes i, sys.tables tbl, sys.schemas tsch where i.is_primary_key = 0 and "
        L"i.is_unique = 1 and tbl.object_id = i.object_id and tbl.schema_id = tsch.schema_id ",
    };
    CString strSQL;
    for (LPCWSTR pszPart : kParts)
        strSQL += pszPart + Filter(d, L"and tbl.name=", t.m_strSecond, true) +
                  Filter(d, L"and tsch.name=", t.m_strFirst, true);
    return strSQL;
}

CString OracleConstraintsSQL(const CSQLDialect& d, const CStringPair& t)
{
    return L"select OWNER, CONSTRAINT_NAME, decode (CONSTRAINT_TYPE, 'C', 1, 'P', 2, 'R', 3, 4), "
           L"SEARCH_CONDITION, OWNER, TABLE_NAME, NULL, NULL from ALL_CONSTRAINTS where "
           L"CONSTRAINT_TYPE in ('C','P','U') " +
           Filter(d, L"and TABLE_NAME=", t.m_strSecond, true) +
           Filter(d, L"and OWNER=", t.m_strFirst, false) +
           L"union all select C.OWNER, C.CONSTRAINT_NAME, decode (C.CONSTRAINT_TYPE, 'C', 1, "
           L"'P', 2, 'R', 3, 4), C.SEARCH_CONDITION, C.OWNER, C.TABLE_NAME, R.OWNER, "
           L"R.TABLE_NAME from ALL_CONSTRAINTS C LEFT JOIN ALL_CONSTRAINTS R ON C.R_OWNER=R.OWNER "
           L"AND C.R_CONSTRAINT_NAME=R.CONSTRAINT_NAME where C.CONSTRAINT_TYPE in ('R') " +
           Filter(d, L"and C.TABLE_NAME=", t.m_strSecond, true) +
           Filter(d, L"and C.OWNER=", t.m_strFirst, false);
}

CString FirebirdConstraintsSQL(const CSQLDialect& d, const CStringPair& t)
{
    return L"select NULL, r.rdb$constraint_name, 1, t.rdb$trigger_source, NULL, "
           L"r.rdb$relation_name, NULL, NULL from rdb$relation_constraints r, "
           L"rdb$check_constraints c, rdb$triggers t where "
           L"r.rdb$constraint_name=c.rdb$constraint_name and "
           L"c.rdb$trigger_name=t.rdb$trigger_name " +
           Filter(d, L"and r.rdb$relation_name=", t.m_strSecond, true) +
           L"union all select NULL, r.rdb$constraint_name, 2, NULL, NULL, r.rdb$relation_name, "
           L"NULL, NULL from rdb$relation_constraints r where r.rdb$constraint_type = 'PRIMARY "
           L"KEY' " +
           Filter(d, L"and r.rdb$relation_name=", t.m_strSecond, true) +
           L"union all select NULL, r.rdb$constraint_name, 3, NULL, NULL, r.rdb$relation_name, "
           L"NULL, fk.rdb$relation_name from rdb$relation_constraints r, rdb$ref_constraints c, "
           L"rdb$relation_constraints fk where r.rdb$constraint_type = 'FOREIGN KEY' and "
           L"c.rdb$constraint_name=r.rdb$constraint_name and "
           L"fk.rdb$constraint_name=c.rdb$const_name_uq " +
           Filter(d, L"and r.rdb$relation_name=", t.m_strSecond, true) +
           L"union all select NULL, i.rdb$index_name, 4, NULL, NULL, i.rdb$relation_name, NULL, "
           L"NULL from rdb$indices i where i.rdb$unique_flag = 1 " +
           Filter(d, L"and i.rdb$relation_name=", t.m_strSecond, false);
}

CString MySQLConstraintsSQL(const CSQLDialect& d, const CStringPair& t, int nMajor, int nMinor)
{
    const CString strFilters = Filter(d, L"and tc.TABLE_NAME=", t.m_strSecond, true) +
                               Filter(d, L"and tc.TABLE_SCHEMA=", t.m_strFirst, false);
    if (nMajor < 5 || (nMajor == 5 && nMinor == 0))
        return L"select tc.CONSTRAINT_SCHEMA, tc.CONSTRAINT_NAME, cast(case tc.CONSTRAINT_TYPE "
               L"when 'PRIMARY KEY' then 2 when 'FOREIGN KEY' then 3 else 4 end as decimal(5)), "
               L"'', tc.TABLE_SCHEMA, tc.TABLE_NAME, NULL, NULL from "
               L"INFORMATION_SCHEMA.TABLE_CONSTRAINTS tc where tc.CONSTRAINT_TYPE in ('PRIMARY "
               L"KEY', 'FOREIGN KEY', 'UNIQUE') " +
               strFilters;
    return L"select tc.CONSTRAINT_SCHEMA, tc.CONSTRAINT_NAME, cast(case tc.CONSTRAINT_TYPE when "
           L"'PRIMARY KEY' then 2 else 4 end as decimal(5)), '', tc.TABLE_SCHEMA, tc.TABLE_NAME, "
           L"NULL, NULL from INFORMATION_SCHEMA.TABLE_CONSTRAINTS tc where tc.CONSTRAINT_TYPE in "
           L"('PRIMARY KEY', 'UNIQUE') " +
           strFilters +
           L"union all select tc.CONSTRAINT_SCHEMA, tc.CONSTRAINT_NAME, 3, '', tc.TABLE_SCHEMA, "
           L"tc.TABLE_NAME, NULL, rc.REFERENCED_TABLE_NAME from "
           L"INFORMATION_SCHEMA.TABLE_CONSTRAINTS tc, INFORMATION_SCHEMA.REFERENTIAL_CONSTRAINTS "
           L"rc where tc.CONSTRAINT_TYPE='FOREIGN KEY' and "
           L"rc.CONSTRAINT_SCHEMA=tc.CONSTRAINT_SCHEMA and "
           L"rc.CONSTRAINT_NAME=tc.CONSTRAINT_NAME " +
           strFilters;
}

// The check text comes from pg_get_expr: the consrc column is gone since PostgreSQL 12.
CString PostgresConstraintsSQL(const CSQLDialect& d, const CStringPair& t)
{
    const CString strFilters = Filter(d, L"AND ns.nspname=", t.m_strFirst, true) +
                               Filter(d, L"AND t.relname=", t.m_strSecond, false);
    return L"SELECT ns.nspname, c.conname, case c.contype when 'c' then 1 when 'p' then 2 else 4 "
           L"end, pg_catalog.pg_get_expr(c.conbin, c.conrelid), tns.nspname, t.relname, NULL, "
           L"NULL FROM pg_catalog.pg_constraint c, pg_catalog.pg_class t, "
           L"pg_catalog.pg_namespace ns, pg_catalog.pg_namespace tns WHERE c.conrelid = t.oid "
           L"AND c.contype IN ('c', 'p', 'u') AND c.connamespace = ns.oid AND t.relnamespace = "
           L"tns.oid " +
           strFilters +
           L"union all SELECT ns.nspname, c.conname, 3, pg_catalog.pg_get_expr(c.conbin, "
           L"c.conrelid), tns.nspname, t.relname, fns.nspname, f.relname FROM "
           L"pg_catalog.pg_constraint c, pg_catalog.pg_class t, pg_catalog.pg_namespace ns, "
           L"pg_catalog.pg_namespace tns, pg_catalog.pg_class f, pg_catalog.pg_namespace fns "
           L"WHERE c.conrelid = t.oid AND c.contype ='f' AND c.confrelid = f.oid AND "
           L"f.relnamespace = fns.oid AND c.connamespace = ns.oid AND t.relnamespace = tns.oid " +
           strFilters;
}

} // namespace

CString BuildTableConstraintsSQL(const CSQLDialect& dialect, const CStringPair& table, int nMajor,
                                 int nMinor)
{
    switch (dialect.GetKind())
    {
    case DBMS_MSSQL: return MSSQLConstraintsSQL(dialect, table);
    case DBMS_ORACLE: return OracleConstraintsSQL(dialect, table);
    case DBMS_FIREBIRD: return FirebirdConstraintsSQL(dialect, table);
    case DBMS_MYSQL: return MySQLConstraintsSQL(dialect, table, nMajor, nMinor);
    case DBMS_POSTGRESQL: return PostgresConstraintsSQL(dialect, table);
    default: return CString();
    }
}

CString BuildTableTriggersSQL(const CSQLDialect& dialect, const CStringPair& table)
{
    switch (dialect.GetKind())
    {
    case DBMS_MSSQL: return L"exec sp_helptrigger " + dialect.NameLiteral(table);
    case DBMS_FIREBIRD:
        return L"select rdb$trigger_name, rdb$trigger_type from rdb$triggers where "
               L"((rdb$system_flag = 0) or (rdb$system_flag is null)) and (rdb$trigger_name not "
               L"in (select rdb$trigger_name from rdb$check_constraints)) and "
               L"rdb$relation_name=" +
               dialect.NameLiteral(table) + L" order by rdb$trigger_name";
    case DBMS_MYSQL:
        return L"SELECT TRIGGER_SCHEMA, TRIGGER_NAME, EVENT_MANIPULATION, ACTION_TIMING FROM "
               L"INFORMATION_SCHEMA.TRIGGERS WHERE EVENT_OBJECT_SCHEMA=" +
               dialect.Literal(table.m_strFirst) + L" AND EVENT_OBJECT_TABLE=" +
               dialect.Literal(table.m_strSecond) + L" ORDER BY TRIGGER_SCHEMA, TRIGGER_NAME";
    default: return CString();
    }
}

void DecodeFirebirdTriggerType(int nType, int& nInsert, int& nUpdate, int& nDelete, int& nAfter)
{
    nInsert = (nType == 1 || nType == 2) ? 1 : 0;
    nUpdate = (nType == 3 || nType == 4) ? 1 : 0;
    nDelete = (nType == 5 || nType == 6) ? 1 : 0;
    nAfter = (nType == 2 || nType == 4 || nType == 6) ? 1 : 0;
}

// ---- CRDatabaseHelper ----------------------------------------------------------------------

namespace {

void TrimTrailing(CString& str)
{
    str.TrimRight();
}

} // namespace

bool CRDatabaseHelper::GetTableConstraints(CDBConstraintInfoArray& constraints,
                                           const CStringPair& table, CWaitDlg* pWait)
{
    if (!pWait)
        return ReadTableConstraints(constraints, table, nullptr);
    CWaitDlgProgress progress(pWait);
    CThrottledProgress throttled(progress);
    return ReadTableConstraints(constraints, table, &throttled);
}

bool CRDatabaseHelper::ReadTableConstraints(CDBConstraintInfoArray& constraints,
                                            const CStringPair& table, IReadProgress* pProgress)
{
    constraints.RemoveAll();
    bool bResult = false;
    RunReportingErrors(
        [&] {
            CRDatabase& db = GetCatalogDatabase();
            CConnectionDialect dialect(&db);
            const DBMSKind nKind = dialect.GetKind();
            CStringPair filter = table;
            int nMajor = -1, nMinor = -1;
            if (nKind == DBMS_MYSQL)
            {
                // Without a schema every database's constraints would come.
                if (filter.m_strFirst.IsEmpty())
                    filter.m_strFirst = GetCurrentDatabaseName();
                if (!db.GetInfoVersion(SQL_DBMS_VER, &nMajor, &nMinor, nullptr))
                    nMajor = nMinor = -1;
            }
            const CString strSQL = BuildTableConstraintsSQL(dialect, filter, nMajor, nMinor);
            if (strSQL.IsEmpty())
                return;
            CRRecordset rs(&db);
            if (!rs.Open(strSQL, RS_FORWARD_ONLY, RS_READONLY))
                return;
            for (; !rs.IsEOF(); rs.MoveNext())
            {
                CDBConstraintInfo info;
                long nType = 0;
                rs.GetFieldText(1, info.m_strSchema);
                rs.GetFieldText(2, info.m_strName);
                rs.GetFieldLong(3, nType);
                info.m_nType = static_cast<int>(nType);
                rs.GetFieldText(4, info.m_strText);
                rs.GetFieldText(5, info.m_strTableSchema);
                rs.GetFieldText(6, info.m_strTableName);
                rs.GetFieldText(7, info.m_strRefTableSchema);
                rs.GetFieldText(8, info.m_strRefTableName);
                if (nKind == DBMS_FIREBIRD)
                {
                    // Names come padded with blanks, and a check constraint held as several
                    // triggers comes once per trigger.
                    for (CString* p :
                         {&info.m_strSchema, &info.m_strName, &info.m_strTableSchema,
                          &info.m_strTableName, &info.m_strRefTableSchema, &info.m_strRefTableName})
                        TrimTrailing(*p);
                    bool bSeen = false;
                    for (INT_PTR i = 0; i < constraints.GetSize() && !bSeen; ++i)
                        bSeen = constraints[i].IsSame(info);
                    if (bSeen)
                        continue;
                }
                constraints.SetAtGrow(constraints.GetSize(), info);
                if (pProgress)
                {
                    if (pProgress->PumpMessages())
                        return;
                    pProgress->SetMessageText(MakeObjectName(info.GetTable(), true));
                    pProgress->SetInfoText(MakeObjectName(info.GetName(), true));
                }
            }
            bResult = true;
        },
        nullptr, false);
    return bResult;
}

bool CRDatabaseHelper::GetTableTriggers(CDBTriggerInfoArray& triggers, const CStringPair& table)
{
    bool bResult = false;
    RunReportingErrors(
        [&] {
            CRDatabase& db = GetCatalogDatabase();
            CConnectionDialect dialect(&db);
            const DBMSKind nKind = dialect.GetKind();
            CStringPair object = table;
            if (nKind == DBMS_MYSQL && object.m_strFirst.IsEmpty())
                object.m_strFirst = GetCurrentDatabaseName();
            const CString strSQL = BuildTableTriggersSQL(dialect, object);
            if (strSQL.IsEmpty())
                return;
            CRRecordset rs(&db);
            if (!rs.Open(strSQL, RS_FORWARD_ONLY, RS_READONLY))
                return;
            for (; !rs.IsEOF(); rs.MoveNext())
            {
                CDBTriggerInfo info;
                if (nKind == DBMS_MSSQL)
                {
                    rs.GetFieldTextByName(L"trigger_name", info.m_strName);
                    rs.GetFieldTextByName(GetServerMajorVersion() >= 9 ? L"trigger_schema"
                                                                       : L"trigger_owner",
                                          info.m_strSchema);
                    rs.GetFieldIntByName(L"isupdate", info.m_nUpdate);
                    rs.GetFieldIntByName(L"isdelete", info.m_nDelete);
                    rs.GetFieldIntByName(L"isinsert", info.m_nInsert);
                    rs.GetFieldIntByName(L"isafter", info.m_nAfter);
                    rs.GetFieldIntByName(L"isinsteadof", info.m_nInsteadOf);
                }
                else if (nKind == DBMS_FIREBIRD)
                {
                    long nType = 0;
                    rs.GetFieldText(1, info.m_strName);
                    info.m_strName.Trim();
                    rs.GetFieldLong(2, nType);
                    DecodeFirebirdTriggerType(static_cast<int>(nType), info.m_nInsert,
                                              info.m_nUpdate, info.m_nDelete, info.m_nAfter);
                }
                else
                {
                    CString strEvent, strTiming;
                    rs.GetFieldText(1, info.m_strSchema);
                    rs.GetFieldText(2, info.m_strName);
                    rs.GetFieldText(3, strEvent);
                    rs.GetFieldText(4, strTiming);
                    info.m_nDelete = strEvent == L"DELETE" ? 1 : 0;
                    info.m_nInsert = strEvent == L"INSERT" ? 1 : 0;
                    info.m_nUpdate = strEvent == L"UPDATE" ? 1 : 0;
                    info.m_nAfter = strTiming == L"AFTER" ? 1 : 0;
                }
                triggers.SetAtGrow(triggers.GetSize(), info);
            }
            bResult = true;
        },
        nullptr, false);
    return bResult;
}
