// Catalog readers: one class per ODBC catalog function. Each runs its call on its own statement
// when constructed, binds the wanted columns to a fixed record and hands out one record per
// Fetch. Texts are 256 characters with their terminator; longer values arrive cut.
#pragma once

#include "dbaccess/database.h"

#define QL_CATALOG_TEXT 256

// What a catalog read says when the session's transaction is aborted (PostgreSQL).
extern const wchar_t* const kAbortedCatalogRead;
// A catalog read's failure inside an aborted transaction is said as that (kAbortedCatalogRead,
// SQLSTATE 25P02) in place of the driver's text; other failures stay as they are.
void SayAbortedCatalogRead(CRDatabase* pDatabase, Zelt::CRDBException& e);

class CRCatalogStmt
{
public:
    explicit CRCatalogStmt(CRDatabase* pDatabase);
    ~CRCatalogStmt();
    CRCatalogStmt(const CRCatalogStmt&) = delete;
    CRCatalogStmt& operator=(const CRCatalogStmt&) = delete;

    // Frees the statement; Fetch answers false afterwards.
    void Close();
    bool IsOpen() const { return m_hStmt != SQL_NULL_HSTMT; }
    SQLHSTMT GetStatementHandle() const { return m_hStmt; }

protected:
    // A catalog name argument made literal for a search-pattern argument: "_", "%" and the escape
    // character itself get the driver's search escape. Null stays null.
    const wchar_t* PatternArgument(const wchar_t* pszName, CString& strStorage);
    // MariaDB and MySQL keep objects by database, which ODBC calls the catalog, and their drivers
    // refuse a schema argument: there the schema a caller names is the database. Returns it as
    // the catalog argument and takes it out of pszSchema; elsewhere null, pszSchema as it was.
    const wchar_t* CatalogArgument(const wchar_t*& pszSchema) const;
    // The other way round for a row read: on MariaDB and MySQL a row names its database as the
    // catalog and no schema, and takes the database as its schema here. The object is then named
    // with its database wherever it goes (opened, called, dropped, joined), not looked for in the
    // session's current database, which a USE may have made another one.
    void NameSchemaByCatalog(wchar_t* pszSchema, const wchar_t* pszCatalog) const;
    // Throws after freeing the statement when nRet is a failure (construction).
    void CheckConstruction(SQLRETURN nRet);
    SQLRETURN BindText(SQLUSMALLINT nColumn, wchar_t* pBuffer,
                       SQLLEN nBytes = QL_CATALOG_TEXT * sizeof(wchar_t));
    SQLRETURN BindLong(SQLUSMALLINT nColumn, SQLINTEGER* pValue);
    SQLRETURN BindShort(SQLUSMALLINT nColumn, SQLSMALLINT* pValue);
    // SQLFetch: true on a row, false at the end; failures throw and leave the reader open.
    bool FetchRow();
    // The next row into a record that starts every row from empty texts and zeros (a NULL column
    // leaves its buffer as it is), copied out; false at the end or when closed.
    template <class TInfo>
    bool FetchCleared(TInfo& record, TInfo* pOut)
    {
        if (!IsOpen() || !pOut)
            return false;
        ZeroMemory(&record, sizeof record);
        if (!FetchRow())
            return false;
        *pOut = record;
        return true;
    }
    // The indicator of a bound column (0-based binding slot).
    bool WasNull(int nSlot) const { return m_indicators[nSlot] == SQL_NULL_DATA; }

    CRDatabase* m_pDatabase;
    SQLHSTMT m_hStmt = SQL_NULL_HSTMT;
    SQLLEN m_indicators[20] = {};
    int m_nBound = 0;
    CString m_strEscape;
    bool m_bEscapeRead = false;
};

class CRTables : public CRCatalogStmt
{
public:
    enum
    {
        typeTable = 1,
        typeView = 2,
        typeSystemTable = 4
    };
    struct CTableInfo
    {
        wchar_t szTableCat[QL_CATALOG_TEXT];
        wchar_t szTableSchem[QL_CATALOG_TEXT];
        wchar_t szTableName[QL_CATALOG_TEXT];
        wchar_t szTableType[QL_CATALOG_TEXT];
        int nTableType; // 1 TABLE, 2 VIEW, 4 SYSTEM TABLE, -1 other
        wchar_t szRemarks[QL_CATALOG_TEXT];
    };

    CRTables(CRDatabase* pDatabase, UINT nTypeBits, LPCWSTR pszSchema);
    bool Fetch(CTableInfo* pInfo);
    // Appends every remaining record; answers the last Fetch (false).
    bool ReadAll(CArray<CTableInfo, const CTableInfo&>& list);
    static bool LessBySchemaAndName(const CTableInfo& a, const CTableInfo& b);

private:
    CTableInfo m_info;
};

class CRTypes : public CRCatalogStmt
{
public:
    struct CTypeInfo
    {
        wchar_t szTypeName[QL_CATALOG_TEXT];
        SQLINTEGER nDataType;
        SQLINTEGER nColumnSize;
        wchar_t szLiteralPrefix[QL_CATALOG_TEXT];
        wchar_t szLiteralSuffix[QL_CATALOG_TEXT];
        wchar_t szCreateParams[QL_CATALOG_TEXT];
        SQLINTEGER nNullable;
        SQLINTEGER nCaseSensitive;
        SQLINTEGER nSearchable;
        SQLINTEGER nUnsignedAttribute;
        SQLINTEGER nFixedPrecScale;
        SQLINTEGER nAutoUniqueValue;
        wchar_t szLocalTypeName[QL_CATALOG_TEXT];
        SQLINTEGER nMinimumScale;
        SQLINTEGER nMaximumScale;
    };

    explicit CRTypes(CRDatabase* pDatabase);
    bool Fetch(CTypeInfo* pInfo);

private:
    CTypeInfo m_info;
};

class CRColumns : public CRCatalogStmt
{
public:
    struct CColumnInfo
    {
        wchar_t szTableCat[QL_CATALOG_TEXT];
        wchar_t szTableSchem[QL_CATALOG_TEXT];
        wchar_t szTableName[QL_CATALOG_TEXT];
        wchar_t szColumnName[QL_CATALOG_TEXT];
        SQLINTEGER nDataType;
        wchar_t szTypeName[QL_CATALOG_TEXT];
        SQLINTEGER nColumnSize;
        SQLINTEGER nBufferLength;
        SQLINTEGER nDecimalDigits;
        SQLINTEGER nNumPrecRadix;
        SQLINTEGER nNullable;
        wchar_t szRemarks[QL_CATALOG_TEXT];
        wchar_t szColumnDef[QL_CATALOG_TEXT];
        SQLINTEGER nSQLDataType;
        SQLINTEGER nSQLDatetimeSub;
        SQLINTEGER nCharOctetLength;
        SQLINTEGER nOrdinalPosition;
        wchar_t szIsNullable[QL_CATALOG_TEXT];
    };

    CRColumns(CRDatabase* pDatabase, LPCWSTR pszSchema, LPCWSTR pszTable);
    bool Fetch(CColumnInfo* pInfo);
    // The driver speaks ODBC 3 or later: columns 13 to 18 are read.
    bool HasODBC3Columns() const { return m_bODBC3; }
    // The last row fetched has no IS_NULLABLE: an ODBC 2 driver has no such column, and some ODBC 3
    // drivers (PostgreSQL's) return it as NULL next to a valid NULLABLE.
    bool IsNullableMissing() const { return !m_bODBC3 || WasNull(17); }

private:
    CColumnInfo m_info;
    bool m_bODBC3 = false;
};

class CRPrimaryKey : public CRCatalogStmt
{
public:
    struct CPrimaryKeyInfo
    {
        wchar_t szTableCat[QL_CATALOG_TEXT];
        wchar_t szTableSchem[QL_CATALOG_TEXT];
        wchar_t szTableName[QL_CATALOG_TEXT];
        wchar_t szColumnName[QL_CATALOG_TEXT];
        SQLINTEGER nKeySeq;
        wchar_t szPkName[QL_CATALOG_TEXT];
    };

    CRPrimaryKey(CRDatabase* pDatabase, LPCWSTR pszSchema, LPCWSTR pszTable);
    bool Fetch(CPrimaryKeyInfo* pInfo);

private:
    CPrimaryKeyInfo m_info;
};

class CRForeignKey : public CRCatalogStmt
{
public:
    struct CForeignKeyInfo
    {
        wchar_t szPkTableCat[QL_CATALOG_TEXT];
        wchar_t szPkTableSchem[QL_CATALOG_TEXT];
        wchar_t szPkTableName[QL_CATALOG_TEXT];
        wchar_t szPkColumnName[QL_CATALOG_TEXT];
        wchar_t szFkTableCat[QL_CATALOG_TEXT];
        wchar_t szFkTableSchem[QL_CATALOG_TEXT];
        wchar_t szFkTableName[QL_CATALOG_TEXT];
        wchar_t szFkColumnName[QL_CATALOG_TEXT];
        SQLINTEGER nKeySeq;
        SQLINTEGER nUpdateRule;
        SQLINTEGER nDeleteRule;
        wchar_t szPkName[QL_CATALOG_TEXT];
        wchar_t szFkName[QL_CATALOG_TEXT];
    };

    CRForeignKey(CRDatabase* pDatabase, LPCWSTR pszPkSchema, LPCWSTR pszPkTable,
                 LPCWSTR pszFkSchema, LPCWSTR pszFkTable);
    bool Fetch(CForeignKeyInfo* pInfo);

private:
    CForeignKeyInfo m_info;
};

class CRProcedures : public CRCatalogStmt
{
public:
    struct CProcedureInfo
    {
        wchar_t szProcedureCat[QL_CATALOG_TEXT];
        wchar_t szProcedureSchem[QL_CATALOG_TEXT];
        wchar_t szProcedureName[QL_CATALOG_TEXT];
        wchar_t szRemarks[QL_CATALOG_TEXT];
        SQLSMALLINT nProcedureType;
    };

    CRProcedures(CRDatabase* pDatabase, LPCWSTR pszSchema, LPCWSTR pszProcedure);
    bool Fetch(CProcedureInfo* pInfo);

private:
    CProcedureInfo m_info;
};

class CRProcedureColumns : public CRCatalogStmt
{
public:
    struct CProcedureColumnInfo
    {
        wchar_t szProcedureCat[QL_CATALOG_TEXT];
        wchar_t szProcedureSchem[QL_CATALOG_TEXT];
        wchar_t szProcedureName[QL_CATALOG_TEXT];
        wchar_t szColumnName[QL_CATALOG_TEXT];
        SQLINTEGER nColumnType;
        SQLINTEGER nDataType;
        wchar_t szTypeName[QL_CATALOG_TEXT];
        SQLINTEGER nColumnSize;
        SQLINTEGER nBufferLength;
        SQLINTEGER nDecimalDigits;
        SQLINTEGER nNumPrecRadix;
        SQLINTEGER nNullable;
        wchar_t szRemarks[QL_CATALOG_TEXT];
    };

    CRProcedureColumns(CRDatabase* pDatabase, LPCWSTR pszSchema, LPCWSTR pszProcedure,
                       LPCWSTR pszColumn);
    bool Fetch(CProcedureColumnInfo* pInfo);

private:
    CProcedureColumnInfo m_info;
};

class CRStatistics : public CRCatalogStmt
{
public:
    struct CStatisticInfo
    {
        wchar_t szTableCat[QL_CATALOG_TEXT];
        wchar_t szTableSchem[QL_CATALOG_TEXT];
        wchar_t szTableName[QL_CATALOG_TEXT];
        SQLINTEGER nNonUnique;
        wchar_t szIndexQualifier[QL_CATALOG_TEXT];
        wchar_t szIndexName[QL_CATALOG_TEXT];
        SQLINTEGER nType;
        SQLINTEGER nOrdinalPosition;
        wchar_t szColumnName[QL_CATALOG_TEXT];
        wchar_t szAscOrDesc[2];
        SQLINTEGER nCardinality;
        SQLINTEGER nPages;
        wchar_t szFilterCondition[QL_CATALOG_TEXT];
    };

    CRStatistics(CRDatabase* pDatabase, LPCWSTR pszSchema, LPCWSTR pszTable);
    bool Fetch(CStatisticInfo* pInfo);

private:
    CStatisticInfo m_info;
};
