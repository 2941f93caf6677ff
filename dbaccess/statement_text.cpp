#include "dbaccess/statement_text.h"

#include "dbaccess/database.h"
#include "dbaccess/sqlite_driver_text.h"

#include <sqlext.h>

#include <cstring>
#include <string>

// The 8-bit entries themselves, not the UTF-16 ones that UNICODE maps their names to (Wine's
// odbc32 exports them under these names only).
#undef SQLExecDirect
#undef SQLPrepare

namespace {

// The first character beyond U+FFFF of the text, or 0.
UINT FirstSupplementary(LPCWSTR pszSQL)
{
    for (LPCWSTR p = pszSQL; p != nullptr && *p; ++p)
        if (IS_HIGH_SURROGATE(p[0]) && IS_LOW_SURROGATE(p[1]))
            return 0x10000 + ((p[0] - 0xD800u) << 10) + (p[1] - 0xDC00u);
    return 0;
}

std::string ToUtf8(LPCWSTR pszText)
{
    const int nBytes = ::WideCharToMultiByte(CP_UTF8, 0, pszText, -1, nullptr, 0, nullptr, nullptr);
    std::string text(nBytes > 0 ? nBytes : 1, '\0');
    if (nBytes > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, pszText, -1, &text[0], nBytes, nullptr, nullptr);
    return text;
}

// U+1D11E: hex() of the value the statement holds shows the bytes that reached SQLite.
const char kProbeHex[] = "F09D849E";

// Whether the statement, sent one way, reaches SQLite with the character whole; -1 when it could
// not be asked.
int ProbeWhole(CRDatabase& db, bool bNarrow)
{
    int whole = -1;
    db.RunOwnStatementBy(
        [bNarrow](SQLHSTMT hStmt) {
            return bNarrow
                       ? SQLExecDirect(hStmt, (SQLCHAR*)"SELECT hex('\xF0\x9D\x84\x9E')", SQL_NTS)
                       : SQLExecDirectW(hStmt, (SQLWCHAR*)L"SELECT hex('\U0001D11E')", SQL_NTS);
        },
        [&](SQLHSTMT hStmt, SQLRETURN nRet) {
            if (hStmt == SQL_NULL_HSTMT)
                return;
            whole = 0;
            if (SQL_SUCCEEDED(nRet) && SQL_SUCCEEDED(SQLFetch(hStmt)))
            {
                char hex[32] = {};
                SQLLEN nLength = 0;
                whole =
                    SQL_SUCCEEDED(SQLGetData(hStmt, 1, SQL_C_CHAR, hex, sizeof hex, &nLength)) &&
                            std::strcmp(hex, kProbeHex) == 0
                        ? 1
                        : 0;
            }
        });
    return whole;
}

enum Route
{
    routeWide,   // as UTF-16: whole, or not SQLite
    routeNarrow, // as UTF-8 through the 8-bit entry
    routeNone,   // neither: refused
};

Route ChooseRoute(CRDatabase* pDatabase, LPCWSTR pszSQL)
{
    if (pDatabase == nullptr || !pDatabase->IsSQLite() || FirstSupplementary(pszSQL) == 0)
        return routeWide;
    int nRoute = pDatabase->GetSupplementaryTextRoute();
    if (nRoute < 0)
    {
        const int nWide = ProbeWhole(*pDatabase, false);
        const int nNarrow = nWide == 1 ? 0 : ProbeWhole(*pDatabase, true);
        if (nWide < 0 || nNarrow < 0)
            return routeWide; // asked again with the next such statement
        nRoute = nWide == 1 ? routeWide : nNarrow == 1 ? routeNarrow : routeNone;
        pDatabase->SetSupplementaryTextRoute(nRoute);
    }
    if (nRoute == routeNone)
    {
        const UINT nChar = FirstSupplementary(pszSQL);
        CString strMessage;
        strMessage.Format(L"The statement holds the character U+%04X, which the SQLite driver "
                          L"cannot take in the text of a statement. Give it as char(%u) instead.",
                          nChar, nChar);
        throw new Zelt::CRDBException(strMessage);
    }
    return static_cast<Route>(nRoute);
}

// On SQLite, the text its driver's escape scan reads as SQLite does (see SQLiteDriverText), and
// whose rows the driver reads where SQLite returns rows (SQLiteRowsText); false when the text goes
// as written. Text the driver would change without a word is refused.
bool ScannedText(CRDatabase* pDatabase, LPCWSTR pszSQL, std::wstring& scanned)
{
    if (pDatabase == nullptr || !pDatabase->IsSQLite())
        return false;
    std::wstring rows, refusal;
    const bool bRows = SQLiteRowsText(pszSQL, rows);
    if (bRows)
        pszSQL = rows.c_str();
    const bool bChanged = SQLiteDriverText(pszSQL, scanned, refusal);
    if (!refusal.empty())
        throw new Zelt::CRDBException(CString(refusal.c_str()));
    if (bRows && !bChanged)
        scanned = std::move(rows);
    return bRows || bChanged;
}

} // namespace

SQLRETURN ExecDirectText(CRDatabase* pDatabase, SQLHSTMT hStmt, LPCWSTR pszSQL)
{
    if (pszSQL == nullptr)
        pszSQL = L"";
    std::wstring scanned;
    if (ScannedText(pDatabase, pszSQL, scanned))
        pszSQL = scanned.c_str();
    if (ChooseRoute(pDatabase, pszSQL) == routeNarrow)
    {
        std::string text = ToUtf8(pszSQL);
        return SQLExecDirect(hStmt, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS);
    }
    return SQLExecDirectW(hStmt, const_cast<SQLWCHAR*>(pszSQL), SQL_NTS);
}

SQLRETURN PrepareText(CRDatabase* pDatabase, SQLHSTMT hStmt, LPCWSTR pszSQL)
{
    if (pszSQL == nullptr)
        pszSQL = L"";
    std::wstring scanned;
    if (ScannedText(pDatabase, pszSQL, scanned))
        pszSQL = scanned.c_str();
    if (ChooseRoute(pDatabase, pszSQL) == routeNarrow)
    {
        std::string text = ToUtf8(pszSQL);
        return SQLPrepare(hStmt, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS);
    }
    return SQLPrepareW(hStmt, const_cast<SQLWCHAR*>(pszSQL), SQL_NTS);
}

SQLRETURN ExecDirectOwnText(CRDatabase* pDatabase, SQLHSTMT hStmt, LPCWSTR pszSQL)
{
    std::wstring scanned, refusal;
    if (pszSQL != nullptr && pDatabase != nullptr && pDatabase->IsSQLite())
    {
        if (SQLiteDriverText(pszSQL, scanned, refusal))
            pszSQL = scanned.c_str();
        else if (!refusal.empty())
            return SQL_ERROR; // nothing sent
    }
    return SQLExecDirectW(hStmt, const_cast<SQLWCHAR*>(pszSQL), SQL_NTS);
}
