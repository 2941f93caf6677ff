// MariaDB's ODBC driver refuses SET NAMES itself ("SQL command SET NAMES is not allowed", no
// server error number) and keeps the character set it connected with, in which it converts every
// text it sends and reads. Scripts of other tools begin with it (Adminer, Navicat): it is no
// error of theirs, only a statement the driver does not pass on, and the user reads a note.
#pragma once

#include "framework/core.h"

#include <sql.h>

class CRDatabase;

// The statement that just failed on hStmt is SET NAMES, SET CHARACTER SET or SET CHARSET, and
// the MariaDB driver refused it.
bool IsRefusedCharacterSetChange(const CRDatabase& db, SQLHSTMT hStmt, LPCWSTR pszSQL);

// The note for such a statement: not run, and the character set the connection keeps (asked of
// the server).
CString CharacterSetKeptNote(CRDatabase& db, LPCWSTR pszSQL);
