// The statements that list the constraints and the triggers of a table from each product's
// catalog. "" where the product has no such list.
#pragma once

#include "services/sql_dialect.h"

// An empty table name or schema drops that filter. nMajor, nMinor: the MySQL server's version
// (before 5.1 the referenced table of a foreign key is not read); -1 when it is not known.
CString BuildTableConstraintsSQL(const CSQLDialect& dialect, const CStringPair& table, int nMajor,
                                 int nMinor);
// MySQL needs the schema (the caller gives the current database when it has none).
CString BuildTableTriggersSQL(const CSQLDialect& dialect, const CStringPair& table);

// The flags of a Firebird trigger type (1/2 insert, 3/4 update, 5/6 delete; even: after).
void DecodeFirebirdTriggerType(int nType, int& nInsert, int& nUpdate, int& nDelete, int& nAfter);
