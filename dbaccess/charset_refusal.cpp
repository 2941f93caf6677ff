#include "dbaccess/charset_refusal.h"

#include "dbaccess/database.h"
#include "dbaccess/sql_lexer.h"

#include <sqlext.h>

#include <cwctype>
#include <string>

namespace {

// SET NAMES, SET CHARACTER SET or SET CHARSET, as the statement's first words (after comments).
bool IsCharacterSetChange(LPCWSTR pszSQL)
{
    std::wstring text;
    CSQLLexer::StripComments(pszSQL, text, SQLLexServerDialect(DBMS_MYSQL));
    CString words(text.c_str());
    words.Trim();
    words.MakeUpper();
    CString collapsed;
    bool bBlank = false;
    for (int i = 0; i < words.GetLength() && collapsed.GetLength() < 24; ++i)
    {
        const bool bSpace = iswspace(words[i]) != 0;
        if (!bSpace && bBlank && !collapsed.IsEmpty())
            collapsed += L' ';
        if (!bSpace)
            collapsed += words[i];
        bBlank = bSpace;
    }
    for (LPCWSTR head : {L"SET NAMES", L"SET CHARACTER SET", L"SET CHARSET"})
    {
        const int n = static_cast<int>(wcslen(head));
        if (collapsed.Left(n) == head && (collapsed.GetLength() == n || !iswalnum(collapsed[n])))
            return true;
    }
    return false;
}

// The MariaDB driver's own refusal of a character set change ("SQL command SET NAMES is not
// allowed", no server error number): it keeps the character set it connected with, in which it
// converts every text it sends and reads.
bool IsRefusedByDriver(SQLHSTMT hStmt)
{
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR message[512] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRecW(SQL_HANDLE_STMT, hStmt, 1, state, &native, message,
                                      static_cast<SQLSMALLINT>(sizeof message / sizeof *message),
                                      &length)))
        return false;
    // The server's own refusal (an unknown character set) carries its error number; the
    // driver's carries none, and a lost connection says so by its class. The wording is not read:
    // it may be translated.
    return native == 0 && wcsncmp(reinterpret_cast<LPCWSTR>(state), L"08", 2) != 0;
}

} // namespace

bool IsRefusedCharacterSetChange(const CRDatabase& db, SQLHSTMT hStmt, LPCWSTR pszSQL)
{
    return db.GetDBMSKind() == DBMS_MYSQL && pszSQL != nullptr && IsCharacterSetChange(pszSQL) &&
           IsRefusedByDriver(hStmt);
}

CString CharacterSetKeptNote(CRDatabase& db, LPCWSTR pszSQL)
{
    CString strStatement = pszSQL;
    strStatement.Trim();
    CString strCharset;
    db.RunOwnStatement(L"SELECT @@character_set_client", [&](SQLHSTMT hStmt, SQLRETURN nRet) {
        SQLWCHAR value[64] = {};
        SQLLEN nIndicator = 0;
        if (hStmt != SQL_NULL_HSTMT && SQL_SUCCEEDED(nRet) && SQL_SUCCEEDED(SQLFetch(hStmt)) &&
            SQL_SUCCEEDED(SQLGetData(hStmt, 1, SQL_C_WCHAR, value, sizeof value, &nIndicator)) &&
            nIndicator != SQL_NULL_DATA)
            strCharset = reinterpret_cast<LPCWSTR>(value);
    });
    CString strNote = L"Note: \"" + strStatement +
                      L"\" was not run: the MariaDB ODBC driver does not allow it. The "
                      L"connection keeps its character set";
    if (!strCharset.IsEmpty())
        strNote += L", " + strCharset;
    strNote += L": the driver converts all text to and from it.";
    return strNote;
}
