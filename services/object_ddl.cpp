// Drop and rename statements of database objects, and the database helper's members that run
// them.
#include "services/object_ddl.h"

#include "services/database_helper.h"

namespace {

CString SpRename(const CSQLDialect& dialect, const CString& strOld, LPCWSTR pszNewName,
                 LPCWSTR pszType = nullptr)
{
    CString strSQL = L"{call sp_rename(" + strOld + L", " + dialect.Literal(pszNewName);
    if (pszType)
        strSQL += CString(L", ") + dialect.Literal(pszType);
    return strSQL + L")}";
}

} // namespace

CString BuildDropObjectSQL(const CSQLDialect& dialect, int nObjectKind, const CStringPair& name)
{
    const DBMSKind nKind = dialect.GetKind();
    LPCWSTR pszWord = nullptr;
    switch (nObjectKind)
    {
    case DBOBJ_TABLE: pszWord = L"TABLE"; break;
    // Access keeps its queries as tables.
    case DBOBJ_VIEW: pszWord = nKind == DBMS_ACCESS ? L"TABLE" : L"VIEW"; break;
    // PostgreSQL's driver lists procedures and functions alike as functions; ROUTINE drops
    // either. Elsewhere a function must be dropped as a function.
    case DBOBJ_PROCEDURE: pszWord = nKind == DBMS_POSTGRESQL ? L"ROUTINE" : L"PROCEDURE"; break;
    case DBOBJ_FUNCTION: pszWord = nKind == DBMS_POSTGRESQL ? L"ROUTINE" : L"FUNCTION"; break;
    case DBOBJ_PACKAGE: pszWord = L"PACKAGE"; break;
    case DBOBJ_TRIGGER: pszWord = L"TRIGGER"; break;
    default: return CString();
    }
    return CString(L"DROP ") + pszWord + L" " + dialect.ObjectName(name);
}

CString BuildDropConstraintSQL(const CSQLDialect& dialect, const CDBConstraintInfo& constraint)
{
    const DBMSKind nKind = dialect.GetKind();
    const CString strTable = dialect.ObjectName(constraint.GetTable());
    const CString strName = dialect.Name(constraint.m_strName);
    switch (constraint.m_nType)
    {
    case CDBConstraintInfo::typeForeignKey:
        if (nKind == DBMS_MYSQL)
            return L"alter table " + strTable + L" drop foreign key " + strName;
        break;
    case CDBConstraintInfo::typePrimaryKey:
        if (nKind == DBMS_MYSQL)
            return L"alter table " + strTable + L" drop primary key";
        break;
    case CDBConstraintInfo::typeCheck: break;
    case CDBConstraintInfo::typeUnique:
        // Where indexes are dropped as "drop index ... on table", a unique constraint is listed
        // as (and dropped through) its index; the others know no such statement and drop it as
        // a constraint of its table.
        if (nKind == DBMS_MYSQL || nKind == DBMS_MSSQL || nKind == DBMS_ACCESS)
            return L"drop index " + strName + L" on " + strTable;
        break;
    default: return CString();
    }
    return L"alter table " + strTable + L" drop constraint " + strName;
}

CString BuildDropColumnSQL(const CSQLDialect& dialect, const CStringPair& table, LPCWSTR pszColumn)
{
    const CString strStart = L"alter table " + dialect.ObjectName(table);
    if (dialect.GetKind() == DBMS_FIREBIRD)
        return strStart + L" drop " + dialect.Name(pszColumn);
    return strStart + L" drop column " + dialect.Name(pszColumn);
}

CString BuildDropIndexSQL(const CSQLDialect& dialect, const CStringPair& table,
                          LPCWSTR pszIndexSchema, LPCWSTR pszIndex)
{
    switch (dialect.GetKind())
    {
    case DBMS_ACCESS:
    case DBMS_MSSQL:
    case DBMS_MYSQL:
        return L"drop index " + dialect.Name(pszIndex) + L" on " + dialect.ObjectName(table);
    case DBMS_ORACLE:
    case DBMS_FIREBIRD:
    case DBMS_POSTGRESQL: return L"drop index " + dialect.TwoPartName(pszIndexSchema, pszIndex);
    default: return CString();
    }
}

CString BuildRenameObjectSQL(const CSQLDialect& dialect, int nObjectKind, const CStringPair& name,
                             LPCWSTR pszNewName)
{
    const DBMSKind nKind = dialect.GetKind();
    if (nKind == DBMS_MSSQL)
        return SpRename(dialect, dialect.NameLiteral(name), pszNewName);
    const CString strTail = L" rename to " + dialect.Name(pszNewName);
    switch (nKind)
    {
    case DBMS_ORACLE:
        if (nObjectKind == DBOBJ_TABLE)
            return L"alter table " + dialect.ObjectName(name) + strTail;
        if (nObjectKind == DBOBJ_TRIGGER)
            return L"alter trigger " + dialect.ObjectName(name) + strTail;
        break;
    case DBMS_POSTGRESQL:
        if (nObjectKind == DBOBJ_TABLE)
            return L"alter table " + dialect.ObjectName(name) + strTail;
        if (nObjectKind == DBOBJ_VIEW)
            return L"alter view " + dialect.ObjectName(name) + strTail;
        break;
    // Firebird cannot rename a table at all.
    case DBMS_OTHER:
    case DBMS_SQLSERVER:
        if (nObjectKind == DBOBJ_TABLE)
            return L"alter table " + dialect.ObjectName(name) + strTail;
        break;
    // A new name without the table's database would move the table into the session's current
    // database.
    case DBMS_MYSQL:
        if (nObjectKind == DBOBJ_TABLE)
            return L"alter table " + dialect.ObjectName(name) + L" rename to " +
                   dialect.ObjectName(CStringPair(name.m_strFirst, pszNewName));
        break;
    default: break;
    }
    return CString();
}

CString BuildRenameConstraintSQL(const CSQLDialect& dialect, const CDBConstraintInfo& constraint,
                                 LPCWSTR pszNewName)
{
    const DBMSKind nKind = dialect.GetKind();
    // A unique constraint is listed there from its index: sp_rename must be told so.
    if (nKind == DBMS_MSSQL && constraint.m_nType == CDBConstraintInfo::typeUnique)
        return SpRename(dialect, dialect.NameLiteral(constraint.GetTable(), constraint.m_strName),
                        pszNewName, L"index");
    if (nKind == DBMS_POSTGRESQL)
        return L"alter table " + dialect.ObjectName(constraint.GetTable()) +
               L" rename constraint " + dialect.Name(constraint.m_strName) + L" to " +
               dialect.Name(pszNewName);
    return BuildRenameObjectSQL(dialect, DBOBJ_CONSTRAINT, constraint.GetName(), pszNewName);
}

CString BuildRenameColumnSQL(const CSQLDialect& dialect, const CStringPair& table,
                             LPCWSTR pszColumn, LPCWSTR pszNewName)
{
    const CString strTable = dialect.ObjectName(table);
    switch (dialect.GetKind())
    {
    case DBMS_MSSQL: return SpRename(dialect, dialect.NameLiteral(table, pszColumn), pszNewName);
    case DBMS_FIREBIRD:
        return L"alter table " + strTable + L" alter column " + dialect.Name(pszColumn) + L" to " +
               dialect.Name(pszNewName);
    case DBMS_ACCESS:
    case DBMS_MYSQL: return CString();
    default:
        return L"alter table " + strTable + L" rename column " + dialect.Name(pszColumn) + L" to " +
               dialect.Name(pszNewName);
    }
}

CString BuildRenameIndexSQL(const CSQLDialect& dialect, const CStringPair& table,
                            LPCWSTR pszIndexSchema, LPCWSTR pszIndex, LPCWSTR pszNewName)
{
    switch (dialect.GetKind())
    {
    case DBMS_MSSQL:
        return SpRename(dialect, dialect.NameLiteral(table, pszIndex), pszNewName, L"index");
    case DBMS_ORACLE:
    case DBMS_POSTGRESQL:
        return L"alter index " + dialect.TwoPartName(pszIndexSchema, pszIndex) + L" rename to " +
               dialect.Name(pszNewName);
    // MySQL names an index within its table only: a qualified name is refused.
    case DBMS_MYSQL:
        return L"alter table " + dialect.ObjectName(table) + L" rename index " +
               dialect.Name(pszIndex) + L" to " + dialect.Name(pszNewName);
    default: return CString();
    }
}

// ---- CRDatabaseHelper ----------------------------------------------------------------------

namespace {

bool RunStatement(CRDatabase& db, const CString& strSQL)
{
    if (strSQL.IsEmpty())
        return false;
    db.ExecuteSQL(strSQL);
    return true;
}

} // namespace

bool CRDatabaseHelper::DropObject(int nObjectKind, const CStringPair& name)
{
    CConnectionDialect dialect(&GetCatalogDatabase());
    return RunStatement(m_db, BuildDropObjectSQL(dialect, nObjectKind, name));
}

bool CRDatabaseHelper::DropConstraint(const CDBConstraintInfo& constraint)
{
    CConnectionDialect dialect(&GetCatalogDatabase());
    return RunStatement(m_db, BuildDropConstraintSQL(dialect, constraint));
}

bool CRDatabaseHelper::DropColumn(const CStringPair& table, LPCWSTR pszColumn)
{
    CConnectionDialect dialect(&GetCatalogDatabase());
    return RunStatement(m_db, BuildDropColumnSQL(dialect, table, pszColumn));
}

bool CRDatabaseHelper::DropIndex(const CStringPair& table, LPCWSTR pszIndexSchema, LPCWSTR pszIndex)
{
    CConnectionDialect dialect(&GetCatalogDatabase());
    return RunStatement(m_db, BuildDropIndexSQL(dialect, table, pszIndexSchema, pszIndex));
}

bool CRDatabaseHelper::RenameObject(int nObjectKind, const CStringPair& name, LPCWSTR pszNewName)
{
    CConnectionDialect dialect(&GetCatalogDatabase());
    return RunStatement(m_db, BuildRenameObjectSQL(dialect, nObjectKind, name, pszNewName));
}

bool CRDatabaseHelper::RenameConstraint(const CDBConstraintInfo& constraint, LPCWSTR pszNewName)
{
    CConnectionDialect dialect(&GetCatalogDatabase());
    return RunStatement(m_db, BuildRenameConstraintSQL(dialect, constraint, pszNewName));
}

bool CRDatabaseHelper::RenameColumn(const CStringPair& table, LPCWSTR pszColumn, LPCWSTR pszNewName)
{
    CConnectionDialect dialect(&GetCatalogDatabase());
    return RunStatement(m_db, BuildRenameColumnSQL(dialect, table, pszColumn, pszNewName));
}

bool CRDatabaseHelper::RenameIndex(const CStringPair& table, LPCWSTR pszIndexSchema,
                                   LPCWSTR pszIndex, LPCWSTR pszNewName)
{
    CConnectionDialect dialect(&GetCatalogDatabase());
    return RunStatement(m_db,
                        BuildRenameIndexSQL(dialect, table, pszIndexSchema, pszIndex, pszNewName));
}
