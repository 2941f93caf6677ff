// What the product statement builders need from a connection: its product kind, names written
// as it needs them, and its text literals. The builders are pure text functions over this, so
// every product's statements can be built and checked without a server.
#pragma once

#include "framework/core.h"

#include "dbaccess/sql_names.h"

class CSQLDialect
{
public:
    virtual ~CSQLDialect() {}

    virtual DBMSKind GetKind() const = 0;
    // One name, quoted when it needs quoting.
    virtual CString Name(LPCWSTR pszName) const = 0;
    // Schema and name, each part quoted when needed, the schema first when present.
    virtual CString ObjectName(const CStringPair& name) const = 0;
    // "first.second", each quoted when needed; the name alone when first is empty.
    virtual CString TwoPartName(LPCWSTR pszFirst, LPCWSTR pszSecond) const = 0;
    // A text literal that reads back as exactly this text on the connection (backslashes and
    // apostrophes as the server's current settings need them).
    virtual CString Literal(LPCWSTR pszText) const = 0;

    // The literal of "schema.name", or of the name alone when the schema is empty.
    CString NameLiteral(const CStringPair& name) const
    {
        return Literal(MakeObjectName(name, true));
    }
    // The literal of "schema.table.part" with empty qualifiers left out.
    CString NameLiteral(const CStringPair& qualifiers, LPCWSTR pszPart) const;
};

// The dialect of an open connection (quoting by FormatObjectName and its kin, literals by the
// connection's StringLiteral).
class CConnectionDialect : public CSQLDialect
{
public:
    explicit CConnectionDialect(CRDatabase* pDatabase) : m_pDatabase(pDatabase) {}

    DBMSKind GetKind() const override { return m_pDatabase->GetDBMSKind(); }
    CString Name(LPCWSTR pszName) const override;
    CString ObjectName(const CStringPair& name) const override;
    CString TwoPartName(LPCWSTR pszFirst, LPCWSTR pszSecond) const override;
    CString Literal(LPCWSTR pszText) const override;

private:
    CRDatabase* m_pDatabase;
};
