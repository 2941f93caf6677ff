// The schemas of a server's own catalog. The object browser leaves system tables out unless the
// option "Show system tables" is on, because the driver lists them as system tables; PostgreSQL's
// driver reports the functions and constraints of its catalog schemas like anyone else's, so the
// lists of procedures and of constraints leave those schemas out by their names.
#pragma once

#include "framework/core.h"

class CRDatabaseHelper;

// pg_catalog, information_schema and pg_toast on PostgreSQL; nothing on other products.
bool IsSystemSchema(int nDBMSKind, const CString& strSchema);

// Whether a list read for this schema (empty: all schemas) leaves the system schemas out: only
// when the user asked for no schema in particular and "Show system tables" is off.
bool HidesSystemSchemas(const CRDatabaseHelper& helper, const CString& strAskedSchema);

// Removes, keeping the order, the elements whose schema (given by the function) is a system
// schema of the product.
template <class TArray, class TSchemaOf>
void RemoveSystemSchemaObjects(int nDBMSKind, TArray& objects, TSchemaOf schemaOf)
{
    INT_PTR nKept = 0;
    for (INT_PTR i = 0; i < objects.GetSize(); ++i)
    {
        if (IsSystemSchema(nDBMSKind, schemaOf(objects[i])))
            continue;
        if (nKept != i)
            objects[nKept] = objects[i];
        ++nKept;
    }
    objects.SetSize(nKept);
}
