// The arrays the catalog reads fill: one fixed record per row of an ODBC catalog function.
#pragma once

#include "dbaccess/catalog.h"

typedef CArray<CRTables::CTableInfo, const CRTables::CTableInfo&> CTableInfoArray;
typedef CArray<CRColumns::CColumnInfo, const CRColumns::CColumnInfo&> CColumnInfoArray;
typedef CArray<CRPrimaryKey::CPrimaryKeyInfo, const CRPrimaryKey::CPrimaryKeyInfo&>
    CPrimaryKeyArray;
typedef CArray<CRForeignKey::CForeignKeyInfo, const CRForeignKey::CForeignKeyInfo&>
    CForeignKeyArray;
