// Relations between tables read from the foreign keys, and the SELECT that joins tables along
// them (the join road of the tables dialog and the join wizard).
#pragma once

#include "framework/core.h"
#include "dbaccess/database.h"
#include "services/catalog_arrays.h"

#include <functional>
#include <map>
#include <vector>

// One foreign-key column pair. As read from the catalog the first end is the referenced
// (primary-key) table and the second end the referencing one.
class CTableRelation
{
public:
    CString m_strSchema1;
    CString m_strTable1;
    CString m_strColumn1;
    CString m_strSchema2;
    CString m_strTable2;
    CString m_strColumn2;
    CString m_strPKName;
    CString m_strFKName;

    // Exchanges the two ends; the key names stay.
    void Reverse();
    // Whether the first end names this table (exact comparison).
    bool FirstEndIs(const CString& strSchema, const CString& strTable) const
    {
        return m_strSchema1 == strSchema && m_strTable1 == strTable;
    }
};

// One table of a join with the relations it leads along.
class CJoinTableEntry
{
public:
    CJoinTableEntry() {}
    CJoinTableEntry(const CString& strSchema, const CString& strTable)
        : m_strSchema(strSchema), m_strTable(strTable)
    {}
    CString m_strSchema;
    CString m_strTable;
    int m_nJoinCount = 0;      // join trees that take this table in as a joined table
    int m_nExpansionCount = 0; // joined tables expanded below this table's own tree
    std::vector<CTableRelation> m_relations;
};

// One relation per foreign-key record, in record order. Drivers that leave FK_NAME empty
// (SQLite's names no key) still tell the keys apart by their KEY_SEQ runs: each run from 1 of
// one referencing table is one key and gets a name of its own ("#1", "#2", ... after the
// referencing table), so a key of several columns stays one join.
void AppendForeignKeyRelations(const CForeignKeyArray& keys, std::vector<CTableRelation>& out);

// The join text after "FROM " for entries in join order, or empty when there is nothing to
// write. Names are put into SQL for pDatabase (may be null: double quotes where needed); the
// product kind decides Access's parentheses. pfnStep, when given, runs after each step of the
// two passes and stops the work by answering false (then false is returned).
bool BuildJoinText(std::vector<CJoinTableEntry>& entries, CRDatabase* pDatabase, int nDBMSKind,
                   CString& strText, const std::function<bool()>& pfnStep = nullptr);
