#include "browser/system_schemas.h"

#include "app/app_settings.h"
#include "services/database_helper.h"

bool IsSystemSchema(int nDBMSKind, const CString& strSchema)
{
    if (nDBMSKind != DBMS_POSTGRESQL)
        return false;
    // PostgreSQL folds unquoted names to lower case: its own schemas are spelled so.
    return strSchema == L"pg_catalog" || strSchema == L"information_schema" ||
           strSchema == L"pg_toast";
}

bool HidesSystemSchemas(const CRDatabaseHelper& helper, const CString& strAskedSchema)
{
    return strAskedSchema.IsEmpty() && theSettings.m_bTableDialogSysTables == 0 &&
           helper.GetDBMSKind() == DBMS_POSTGRESQL;
}
