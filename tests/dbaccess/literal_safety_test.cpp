// Text and binary literals under the server settings that change how literals read: every hostile
// value, run as SELECT <literal> on the real servers, comes back unchanged, or the builder
// refuses it.
#include "conn_test_util.h"

#include "dbaccess/recordset.h"

#include <string>
#include <vector>

using namespace QlConnTest;
using namespace QlTestDb;

namespace {

// The first value of a query read whole as the C type (wide text or bytes), lengths taken from
// the indicators so that U+0000 and 00 bytes survive. False with a message when the query fails,
// gives no row, NULL, or more than one column.
bool ReadValue(CRDatabase& db, const CString& sql, SQLSMALLINT cType, std::string& bytes,
               std::string& error)
{
    bytes.clear();
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocStmt(db.GetConnectionHandle(), &hStmt)))
    {
        error = "no statement handle";
        return false;
    }
    bool ok = false;
    SQLSMALLINT columns = 0;
    if (!SQL_SUCCEEDED(SQLExecDirectW(hStmt, const_cast<SQLWCHAR*>(sql.GetString()), SQL_NTS)))
        error = Narrow(db.GetErrorText(hStmt));
    else if (!SQL_SUCCEEDED(SQLNumResultCols(hStmt, &columns)) || columns != 1)
        error = "result columns: " + std::to_string(columns);
    else if (!SQL_SUCCEEDED(SQLFetch(hStmt)))
        error = "no row";
    else
    {
        const size_t terminator = cType == SQL_C_WCHAR ? sizeof(wchar_t) : 0;
        std::vector<char> chunk(65536);
        for (;;)
        {
            SQLLEN indicator = 0;
            SQLRETURN ret = SQLGetData(hStmt, 1, cType, chunk.data(),
                                       static_cast<SQLLEN>(chunk.size()), &indicator);
            if (ret == SQL_NO_DATA)
            {
                ok = true;
                break;
            }
            if (!SQL_SUCCEEDED(ret) || indicator == SQL_NULL_DATA)
            {
                error = indicator == SQL_NULL_DATA ? "NULL" : Narrow(db.GetErrorText(hStmt));
                break;
            }
            size_t room = chunk.size() - terminator;
            size_t got = (indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) > room)
                             ? room
                             : static_cast<size_t>(indicator);
            bytes.append(chunk.data(), got);
            if (ret == SQL_SUCCESS)
            {
                ok = true;
                break;
            }
        }
    }
    SQLFreeStmt(hStmt, SQL_DROP);
    return ok;
}

std::wstring W(const wchar_t* text, size_t length)
{
    return std::wstring(text, length);
}

// Texts that end literals early, read backslashes as escapes, or get lost in conversion.
std::vector<std::wstring> HostileTexts()
{
    std::vector<std::wstring> texts = {
        L"plain",
        L"",
        L"'",
        L"''",
        L"O'Neil",
        L"\"",
        L"`",
        L"\u2018\u2019\u201C\u201D\u02BC\uFF07", // typographic and full-width quotes
        L"\\",
        L"\\\\",
        L"a\\",
        L"\\'",
        L"\\\\'",
        L"\\''",
        L"a\\' OR 1=1 -- ",
        L"\\'; DROP TABLE ql_never; --",
        L"0 --",
        L"0 -- ';DROP TABLE ql_never",
        L";DROP TABLE ql_never;",
        L"\\x41\\n\\0\\b\\Z\\%\\_",
        L"100% _x_",
        L"a\r\nb\tc\rd\n",
        L"\U0001F600 \U00010348 \u6771\u4EAC",       // 4-byte UTF-8 and CJK
        L"e\u0301 n\u0303\u0327 \u0061\u030A\u0301", // combining marks
        L"$$ $tag$ E'x' U&'\\0041' /* */ {fn x}",    // other quoting forms
    };
    std::wstring big;
    big.reserve(1 << 20);
    const std::wstring piece = L"ab'c\\d\"e\u00FC\U0001F600\r\n;--";
    while (big.size() + piece.size() <= (1u << 20))
        big += piece;
    big.resize(1u << 20, L'z');
    texts.push_back(big);
    return texts;
}

std::wstring WithNul()
{
    return W(L"a\0b\\\0'", 6);
}

std::string Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

CString Hex(const std::string& bytes)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring out;
    for (unsigned char b : bytes)
    {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return CString(out.c_str());
}

std::string Describe(const std::wstring& text)
{
    std::string s = Narrow(CString(text.c_str(), static_cast<int>(text.size())));
    return s.size() > 60 ? s.substr(0, 60) + "... (" + std::to_string(text.size()) + " chars)" : s;
}

struct Setting
{
    const char* label;
    LPCWSTR statement;  // run with ExecuteSQL before the checks; null: none
    bool nulAllowed;    // the product stores U+0000 in text
    LPCWSTR binaryCast; // %s: the literal; makes the untyped PostgreSQL form a bytea
    // %s: the literal; an expression giving the hexadecimal UTF-8 of the text, for a driver that
    // cannot hand text holding U+0000 back whole (MariaDB's ends wide text at it). Null: none.
    LPCWSTR textHex = nullptr;
};

CString Utf8Hex(const std::wstring& text)
{
    int n = text.empty()
                ? 0
                : WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    if (n)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n,
                            nullptr, nullptr);
    return Hex(bytes);
}

void CheckLiterals(CRDatabase& db, const Setting& setting)
{
    SCOPED_TRACE(setting.label);
    if (setting.statement)
        db.ExecuteSQL(setting.statement);

    std::vector<std::wstring> texts = HostileTexts();
    texts.push_back(WithNul());
    for (const std::wstring& text : texts)
    {
        const bool hasNul = text.find(L'\0') != std::wstring::npos;
        CString value(text.c_str(), static_cast<int>(text.size()));
        CString literal;
        auto refused = Catch([&] { literal = db.StringLiteral(value); });
        if (refused)
        {
            EXPECT_TRUE(hasNul && !setting.nulAllowed)
                << "refused " << Describe(text) << ": " << Narrow(refused->m_strError);
            continue;
        }
        EXPECT_TRUE(!hasNul || setting.nulAllowed) << "a literal for " << Describe(text);
        std::string got, error;
        if (setting.textHex)
        {
            CString sql;
            sql.Format(setting.textHex, literal.GetString());
            CString expected = Utf8Hex(text);
            if (!ReadValue(db, L"SELECT " + sql, SQL_C_WCHAR, got, error))
                ADD_FAILURE() << Describe(text) << ": " << error;
            else
                EXPECT_TRUE(got == Bytes(std::wstring(expected.GetString(), expected.GetLength())))
                    << Describe(text) << " as UTF-8 on the server";
            if (hasNul)
                continue;
        }
        if (!ReadValue(db, L"SELECT " + literal, SQL_C_WCHAR, got, error))
        {
            ADD_FAILURE() << Describe(text) << ": " << error;
            continue;
        }
        EXPECT_TRUE(got == Bytes(text))
            << Describe(text) << " came back as "
            << Describe(std::wstring(reinterpret_cast<const wchar_t*>(got.data()),
                                     got.size() / sizeof(wchar_t)));
    }

    const std::string binaries[] = {std::string("\x00\x27\x5C\x22\x60\xFF\x0A\x0D", 8),
                                    std::string("\x27", 1), std::string("\x5C", 1),
                                    std::string("\x5C\x78\x34\x31", 4), std::string()};
    for (const std::string& bytes : binaries)
    {
        CString sql;
        sql.Format(setting.binaryCast, db.BinaryLiteral(Hex(bytes)).GetString());
        std::string got, error;
        ASSERT_TRUE(ReadValue(db, L"SELECT " + sql, SQL_C_BINARY, got, error))
            << Narrow(Hex(bytes)) << ": " << error;
        EXPECT_EQ(Narrow(Hex(got)), Narrow(Hex(bytes)));
    }
}

} // namespace

TEST(LiteralSafety, PostgreSQLUnderEitherStringSetting)
{
    CRDatabase db;
    OpenOrFail(db, PostgresConnect());
    CheckLiterals(db, {"standard_conforming_strings on", L"SET standard_conforming_strings = on",
                       false, L"CAST(%s AS bytea)"});
    CheckLiterals(db, {"standard_conforming_strings off", L"SET standard_conforming_strings = off",
                       false, L"CAST(%s AS bytea)"});
}

TEST(LiteralSafety, MariaDBWithAndWithoutBackslashEscapes)
{
    CRDatabase db;
    OpenOrFail(db, MariaDBConnect());
    ASSERT_EQ(db.GetDBMSKind(), DBMS_MYSQL);
    CheckLiterals(db,
                  {"default sql_mode", nullptr, true, L"%s", L"HEX(CONVERT(%s USING utf8mb4))"});
    EXPECT_TRUE(db.UsesBackslashEscapes());

    // ExecuteSQL of a SET re-reads the mode.
    CheckLiterals(db, {"NO_BACKSLASH_ESCAPES",
                       L"SET SESSION sql_mode = CONCAT(@@SESSION.sql_mode, "
                       L"',NO_BACKSLASH_ESCAPES,ANSI_QUOTES')",
                       true, L"%s", L"HEX(CONVERT(%s USING utf8mb4))"});
    EXPECT_FALSE(db.UsesBackslashEscapes());
    EXPECT_EQ(db.StringLiteral(L"a\\b"), L"'a\\b'");

    // A mode changed behind the connection's back is seen once the literal rules are refreshed.
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocStmt(db.GetConnectionHandle(), &hStmt)));
    EXPECT_TRUE(SQL_SUCCEEDED(SQLExecDirectW(
        hStmt, const_cast<SQLWCHAR*>(L"SET SESSION sql_mode = 'STRICT_TRANS_TABLES'"), SQL_NTS)));
    SQLFreeStmt(hStmt, SQL_DROP);
    EXPECT_FALSE(db.UsesBackslashEscapes());
    db.RefreshLiteralRules();
    EXPECT_TRUE(db.UsesBackslashEscapes());
    CheckLiterals(db,
                  {"mode set directly", nullptr, true, L"%s", L"HEX(CONVERT(%s USING utf8mb4))"});

    // A SET run through a recordset (as scripts run statements) is seen at once.
    {
        CRRecordset rs(&db);
        rs.Open(L"  set sql_mode = 'NO_BACKSLASH_ESCAPES'", RS_FORWARD_ONLY, RS_READONLY);
    }
    EXPECT_FALSE(db.UsesBackslashEscapes());
    CheckLiterals(
        db, {"mode set by a recordset", nullptr, true, L"%s", L"HEX(CONVERT(%s USING utf8mb4))"});

    // Character sets of the user's: the driver goes on sending and reading utf8mb4, so they are
    // set back, and every text still comes back as written.
    CheckLiterals(db, {"character sets of the user's",
                       L"SET character_set_client = latin1, character_set_connection = latin1, "
                       L"character_set_results = latin1",
                       true, L"%s", L"HEX(CONVERT(%s USING utf8mb4))"});
    EXPECT_EQ(db.TakeSessionNote().Find(L"character_set_client (latin1), character_set_connection "
                                        L"(latin1), character_set_results (latin1) were set back"),
              0);
    CheckLiterals(db, {"results in the server's default", L"SET character_set_results = DEFAULT",
                       true, L"%s", L"HEX(CONVERT(%s USING utf8mb4))"});
    db.ExecuteSQL(L"SET collation_connection = utf8mb4_unicode_ci");
    EXPECT_EQ(db.TakeSessionNote(), L"");
}

TEST(LiteralSafety, SQLite)
{
    TempSQLiteFile file;
    CRDatabase db;
    OpenOrFail(db, file.Connect());
    CheckLiterals(db, {"SQLite", nullptr, false, L"%s"});
}
