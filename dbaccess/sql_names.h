// Names of database objects in SQL text: quoting by product, reserved words, object names with
// their schema, and text literals.
#pragma once

#include "dbaccess/database.h"

#include <vector>

// The name of a database object: its schema (may be empty) and its name (may hold dots).
class CStringPair
{
public:
    CStringPair() {}
    CStringPair(const CString& strFirst, const CString& strSecond)
        : m_strFirst(strFirst), m_strSecond(strSecond)
    {}

    CString m_strFirst;  // the schema
    CString m_strSecond; // the name
};

// The reserved words, joined by "," without blanks.
LPCWSTR GetSQLReservedWords();
// Whether PostgreSQL reads the name as one of its own reserved words ("limit", "window"), which
// the list above does not all hold.
bool IsPostgreSQLReservedWord(LPCWSTR pszName);

// Whether a name must be quoted: digit first, not an identifier, a reserved word, one of the
// connection's type names, or letters of the case the product folds. Without a database only
// the first three rules apply.
bool NeedsSQLQuotes(LPCWSTR pszName, CRDatabase* pDatabase);
// The name in the quotes of the connection's product (double quotes when there is none).
CString QuoteSQLName(LPCWSTR pszName, CRDatabase* pDatabase);
CString QuoteSQLNameIfNeeded(LPCWSTR pszName, CRDatabase* pDatabase);
// Schema and each dot-separated part of the name, each quoted when it needs it. On PostgreSQL,
// MySQL-like servers and SQLite, whose catalogs give names without qualifiers, the name is one
// part, dots and all.
CString FormatObjectName(const CStringPair& name, CRDatabase* pDatabase, bool bWithSchema);

// The quoting rules above for many names on one connection. The connection's type names and
// identifier case are asked of the driver once, at the first name that gets that far, and kept:
// asked for every name, they made copying the names of thousands of tables take seconds. The
// answers are those of the functions above; a driver failure is raised the same way.
class CSQLNameQuoter
{
public:
    explicit CSQLNameQuoter(CRDatabase* pDatabase) : m_pDatabase(pDatabase) {}
    bool NeedsQuotes(LPCWSTR pszName);
    CString QuoteIfNeeded(LPCWSTR pszName);
    CString FormatObjectName(const CStringPair& name, bool bWithSchema);

private:
    CRDatabase* m_pDatabase;
    bool m_bRead = false;
    std::vector<CString> m_typeNames;
    bool m_bCaseKnown = false;
    WORD m_nCase = 0;
    int m_nPlainNames = -1; // whether a dot is part of a name; -1 not asked yet
};
// "first.second" with each part quoted when needed; no dot when first is empty.
CString MakeQuotedTwoPartName(LPCWSTR pszFirst, LPCWSTR pszSecond, CRDatabase* pDatabase);
// "schema.name" (no quoting) when asked and the schema is not empty, else the name.
CString MakeObjectName(const CStringPair& name, bool bWithSchema);
CString MakeObjectNameLiteral(const CStringPair& name, bool bWithSchema);
// 'q1.q2.name' with empty qualifiers left out.
CString ObjectNameToStringLiteral(const CStringPair& qualifiers, LPCWSTR pszName);
// 'text' with every apostrophe doubled.
CString QuoteSQLString(LPCWSTR pszText);
// Orders by the first strings, then the second, without regard to the case of A to Z.
bool LessByNamePair(const CStringPair& a, const CStringPair& b);
