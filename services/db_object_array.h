// Lists of database objects the services fill and the object browser shows: objects by schema
// and name (packages, triggers, invalid objects, tables chosen by the user), stored procedures,
// compile errors, table constraints and table triggers.
#pragma once

#include "framework/core.h"

#include "dbaccess/sql_names.h"

// True when both schemas and both names are equal character by character: no case folding, no
// trimming; an empty schema equals only an empty schema.
inline bool IsSameDBObjectName(const CStringPair& a, const CStringPair& b)
{
    return a.m_strFirst == b.m_strFirst && a.m_strSecond == b.m_strSecond;
}

// One database object: its schema and name, and its index in the list it came from (-1 when it
// came from none, as for every record the database services add).
class CIndexedDBObject : public CStringPair
{
public:
    CIndexedDBObject() {}
    CIndexedDBObject(const CString& strSchema, const CString& strName, int nIndex = -1)
        : CStringPair(strSchema, strName), m_nIndex(nIndex)
    {}

    int m_nIndex = -1;
};

class CDBObjectsArray : public CArray<CIndexedDBObject, const CIndexedDBObject&>
{
public:
    // Whether some record has exactly this schema and name (IsSameDBObjectName); linear.
    bool Find(LPCWSTR pszSchema, LPCWSTR pszName) const
    {
        const CStringPair wanted(pszSchema ? pszSchema : L"", pszName ? pszName : L"");
        for (INT_PTR i = 0; i < GetSize(); ++i)
            if (IsSameDBObjectName(GetAt(i), wanted))
                return true;
        return false;
    }
};

// One stored procedure or function as the procedure catalog lists it.
class CDBStoredProcInfo : public CStringPair
{
public:
    CDBStoredProcInfo() {}
    CDBStoredProcInfo(const CString& strSchema, const CString& strName, int nType,
                      const CString& strRemarks)
        : CStringPair(strSchema, strName), m_nType(nType), m_strRemarks(strRemarks)
    {}

    // The ODBC PROCEDURE_TYPE values.
    enum
    {
        typeUnknown = 0,
        typeProcedure = 1,
        typeFunction = 2,
    };
    int m_nType = typeUnknown;
    CString m_strRemarks;
};

typedef CArray<CDBStoredProcInfo, const CDBStoredProcInfo&> CDBStoredProcsArray;

// One compile error of a stored object.
class CDBObjError
{
public:
    CDBObjError() {}
    CDBObjError(int nLine, int nPosition, const CString& strText)
        : m_nLine(nLine), m_nPosition(nPosition), m_strText(strText)
    {}

    int m_nLine = 0;
    int m_nPosition = 0;
    CString m_strText;
};

typedef CArray<CDBObjError, const CDBObjError&> CDBObjErrorsArray;

// One constraint of a table.
class CDBConstraintInfo
{
public:
    enum
    {
        typeCheck = 1,
        typePrimaryKey = 2,
        typeForeignKey = 3,
        typeUnique = 4,
    };

    CStringPair GetName() const { return CStringPair(m_strSchema, m_strName); }
    CStringPair GetTable() const { return CStringPair(m_strTableSchema, m_strTableName); }
    CStringPair GetReferencedTable() const
    {
        return CStringPair(m_strRefTableSchema, m_strRefTableName);
    }
    // Every field equal, texts exactly.
    bool IsSame(const CDBConstraintInfo& other) const
    {
        return m_strSchema == other.m_strSchema && m_strName == other.m_strName &&
               m_nType == other.m_nType && m_strText == other.m_strText &&
               m_strTableSchema == other.m_strTableSchema &&
               m_strTableName == other.m_strTableName &&
               m_strRefTableSchema == other.m_strRefTableSchema &&
               m_strRefTableName == other.m_strRefTableName;
    }

    CString m_strSchema; // of the constraint
    CString m_strName;
    int m_nType = 0;
    CString m_strText; // the check condition where the product gives one
    CString m_strTableSchema;
    CString m_strTableName;
    CString m_strRefTableSchema; // foreign keys only, where the product gives it
    CString m_strRefTableName;
};

typedef CArray<CDBConstraintInfo, const CDBConstraintInfo&> CDBConstraintInfoArray;

// One trigger of a table; the flags are 0 or 1.
class CDBTriggerInfo
{
public:
    CStringPair GetName() const { return CStringPair(m_strSchema, m_strName); }

    CString m_strSchema;
    CString m_strName;
    int m_nUpdate = 0;
    int m_nDelete = 0;
    int m_nInsert = 0;
    int m_nAfter = 0;     // 0: fires before the statement
    int m_nInsteadOf = 0; // an INSTEAD OF trigger
};

typedef CArray<CDBTriggerInfo, const CDBTriggerInfo&> CDBTriggerInfoArray;
