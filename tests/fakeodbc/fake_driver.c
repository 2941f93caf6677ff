/* The fake ODBC driver: handles, connect, information, attributes, statements, fetching and
 * diagnostics. See fake_driver.h for what it answers. */
#include "fake_driver.h"

#include <odbcinst.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <strings.h>

#define MAGIC_ENV 0x454e5631
#define MAGIC_DBC 0x44424331
#define MAGIC_STMT 0x53544d31

/* ---- text ------------------------------------------------------------------------------- */

/* Wide (UTF-16) text to a new UTF-8 string; NULL for a null pointer. */
static char* to_utf8(const SQLWCHAR* text, SQLINTEGER length)
{
    if (!text)
        return NULL;
    if (length == SQL_NTS)
        for (length = 0; text[length]; ++length)
            ;
    char* out = malloc((size_t)length * 3 + 1);
    size_t n = 0;
    for (SQLINTEGER i = 0; i < length; ++i)
    {
        unsigned cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
        {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80)
            out[n++] = (char)cp;
        else if (cp < 0x800)
        {
            out[n++] = (char)(0xC0 | (cp >> 6));
            out[n++] = (char)(0x80 | (cp & 0x3F));
        }
        else if (cp < 0x10000)
        {
            out[n++] = (char)(0xE0 | (cp >> 12));
            out[n++] = (char)(0x80 | ((cp >> 6) & 0x3F));
            out[n++] = (char)(0x80 | (cp & 0x3F));
        }
        else
        {
            out[n++] = (char)(0xF0 | (cp >> 18));
            out[n++] = (char)(0x80 | ((cp >> 12) & 0x3F));
            out[n++] = (char)(0x80 | ((cp >> 6) & 0x3F));
            out[n++] = (char)(0x80 | (cp & 0x3F));
        }
    }
    out[n] = 0;
    return out;
}

/* UTF-8 to UTF-16 code units; returns the number of units (out may be NULL to count). */
static size_t utf8_to_wide(const char* s, SQLWCHAR* out)
{
    size_t n = 0;
    const unsigned char* p = (const unsigned char*)s;
    while (*p)
    {
        unsigned cp;
        if (*p < 0x80)
            cp = *p++;
        else if ((*p & 0xE0) == 0xC0 && p[1])
        {
            cp = ((p[0] & 0x1F) << 6) | (p[1] & 0x3F);
            p += 2;
        }
        else if ((*p & 0xF0) == 0xE0 && p[1] && p[2])
        {
            cp = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
            p += 3;
        }
        else if ((*p & 0xF8) == 0xF0 && p[1] && p[2] && p[3])
        {
            cp = ((p[0] & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) |
                 (p[3] & 0x3F);
            p += 4;
        }
        else
        {
            cp = '?';
            ++p;
        }
        if (cp >= 0x10000)
        {
            cp -= 0x10000;
            if (out)
            {
                out[n] = (SQLWCHAR)(0xD800 + (cp >> 10));
                out[n + 1] = (SQLWCHAR)(0xDC00 + (cp & 0x3FF));
            }
            n += 2;
        }
        else
        {
            if (out)
                out[n] = (SQLWCHAR)cp;
            ++n;
        }
    }
    return n;
}

/* Copies text into a wide buffer of bufferBytes bytes; the full length in bytes (or
 * characters when inChars) goes to *length. SQL_SUCCESS_WITH_INFO when cut. */
static SQLRETURN put_wide(const char* text, SQLPOINTER buffer, SQLLEN bufferBytes, void* length,
                          int lengthIsSmall, int inChars, FakeDiagList* diag)
{
    size_t units = utf8_to_wide(text, NULL);
    SQLWCHAR* wide = malloc((units + 1) * sizeof(SQLWCHAR));
    utf8_to_wide(text, wide);
    wide[units] = 0;
    SQLRETURN ret = SQL_SUCCESS;
    if (buffer && bufferBytes >= (SQLLEN)sizeof(SQLWCHAR))
    {
        size_t room = (size_t)bufferBytes / sizeof(SQLWCHAR) - 1;
        size_t copy = units < room ? units : room;
        memcpy(buffer, wide, copy * sizeof(SQLWCHAR));
        ((SQLWCHAR*)buffer)[copy] = 0;
        if (copy < units)
            ret = SQL_SUCCESS_WITH_INFO;
    }
    else if (units > 0 || !buffer)
        ret = buffer ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
    if (ret == SQL_SUCCESS_WITH_INFO && diag)
        fake_add_diag(diag, "01004", "[Quenlark][Fake] String data, right truncated");
    SQLLEN full = inChars ? (SQLLEN)units : (SQLLEN)(units * sizeof(SQLWCHAR));
    if (length)
    {
        if (lengthIsSmall)
            *(SQLSMALLINT*)length = (SQLSMALLINT)full;
        else
            *(SQLINTEGER*)length = (SQLINTEGER)full;
    }
    free(wide);
    return ret;
}

/* ---- diagnostics and log ------------------------------------------------------------------ */

void fake_add_diag(FakeDiagList* list, const char* state, const char* message)
{
    if (list->count >= FAKE_MAX_DIAG)
        return;
    FakeDiag* d = &list->records[list->count++];
    snprintf(d->state, sizeof d->state, "%s", state);
    snprintf(d->message, sizeof d->message, "%s", message);
}

static void clear_diag(FakeDiagList* list)
{
    list->count = 0;
}

void fake_log(FakeConn* conn, const char* text)
{
    if (!conn || !conn->log[0])
        return;
    FILE* f = fopen(conn->log, "a");
    if (!f)
        return;
    fprintf(f, "%s\n", text);
    fclose(f);
}

static FakeDiagList* diag_of(SQLSMALLINT type, SQLHANDLE handle)
{
    if (!handle)
        return NULL;
    switch (type)
    {
    case SQL_HANDLE_ENV:
        return ((FakeEnv*)handle)->magic == MAGIC_ENV ? &((FakeEnv*)handle)->diag : NULL;
    case SQL_HANDLE_DBC:
        return ((FakeConn*)handle)->magic == MAGIC_DBC ? &((FakeConn*)handle)->diag : NULL;
    case SQL_HANDLE_STMT:
        return ((FakeStmt*)handle)->magic == MAGIC_STMT ? &((FakeStmt*)handle)->diag : NULL;
    }
    return NULL;
}

static FakeConn* conn_of(SQLHDBC h)
{
    FakeConn* c = (FakeConn*)h;
    return (c && c->magic == MAGIC_DBC) ? c : NULL;
}

static FakeStmt* stmt_of(SQLHSTMT h)
{
    FakeStmt* s = (FakeStmt*)h;
    if (s && s->magic == MAGIC_STMT)
    {
        clear_diag(&s->diag);
        return s;
    }
    return NULL;
}

/* ---- handles ---------------------------------------------------------------------------- */

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output)
{
    if (!output)
        return SQL_ERROR;
    switch (type)
    {
    case SQL_HANDLE_ENV: {
        FakeEnv* e = calloc(1, sizeof *e);
        e->magic = MAGIC_ENV;
        *output = e;
        return SQL_SUCCESS;
    }
    case SQL_HANDLE_DBC: {
        FakeConn* c = calloc(1, sizeof *c);
        c->magic = MAGIC_DBC;
        c->env = (FakeEnv*)input;
        c->autocommit = SQL_AUTOCOMMIT_ON;
        *output = c;
        return SQL_SUCCESS;
    }
    case SQL_HANDLE_STMT: {
        FakeConn* c = conn_of(input);
        if (!c)
            return SQL_INVALID_HANDLE;
        FakeStmt* s = calloc(1, sizeof *s);
        s->magic = MAGIC_STMT;
        s->conn = c;
        c->liveStatements++;
        fake_reset_result(s);
        *output = s;
        return SQL_SUCCESS;
    }
    }
    return SQL_ERROR;
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle)
{
    if (!diag_of(type, handle))
        return SQL_INVALID_HANDLE;
    if (type == SQL_HANDLE_STMT)
    {
        fake_reset_result((FakeStmt*)handle);
        ((FakeStmt*)handle)->conn->liveStatements--;
    }
    ((FakeEnv*)handle)->magic = 0;
    free(handle);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT hstmt, SQLUSMALLINT option)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (option == SQL_DROP)
        return SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
    if (option == SQL_CLOSE)
        fake_reset_result(s);
    else if (option == SQL_UNBIND)
        memset(s->bind, 0, sizeof s->bind);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT hstmt)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    fake_reset_result(s);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV env, SQLINTEGER attr, SQLPOINTER value, SQLINTEGER length)
{
    (void)attr;
    (void)value;
    (void)length;
    return env ? SQL_SUCCESS : SQL_INVALID_HANDLE;
}

SQLRETURN SQL_API SQLGetEnvAttr(SQLHENV env, SQLINTEGER attr, SQLPOINTER value,
                                SQLINTEGER bufferLength, SQLINTEGER* length)
{
    (void)bufferLength;
    (void)length;
    if (!env)
        return SQL_INVALID_HANDLE;
    if (value)
        *(SQLINTEGER*)value = attr == SQL_ATTR_ODBC_VERSION ? SQL_OV_ODBC3 : 0;
    return SQL_SUCCESS;
}

/* ---- connect ---------------------------------------------------------------------------- */

/* Value of key in "k=v;k=v" (case-insensitive key, braces removed); 1 when found. */
static int conn_value(const char* s, const char* key, char* out, size_t outSize)
{
    size_t klen = strlen(key);
    const char* p = s;
    while (*p)
    {
        while (*p == ';' || *p == ' ')
            ++p;
        const char* eq = strchr(p, '=');
        if (!eq)
            break;
        const char* v = eq + 1;
        const char* end;
        if (*v == '{')
        {
            ++v;
            end = strchr(v, '}');
            if (!end)
                end = v + strlen(v);
        }
        else
        {
            end = strchr(v, ';');
            if (!end)
                end = v + strlen(v);
        }
        if ((size_t)(eq - p) == klen && strncasecmp(p, key, klen) == 0)
        {
            size_t n = (size_t)(end - v);
            if (n >= outSize)
                n = outSize - 1;
            memcpy(out, v, n);
            out[n] = 0;
            return 1;
        }
        p = end;
        if (*p == '}')
            ++p;
    }
    return 0;
}

static SQLRETURN do_connect(FakeConn* c, const char* in, SQLUSMALLINT completion)
{
    char value[64];
    clear_diag(&c->diag);
    snprintf(c->dbms, sizeof c->dbms, "QuenlarkFake");
    snprintf(c->dbmsVer, sizeof c->dbmsVer, "01.02.0003");
    snprintf(c->odbcVer, sizeof c->odbcVer, "03.80");
    c->identCase = SQL_IC_SENSITIVE;
    c->log[0] = 0;
    c->dsn[0] = 0;
    snprintf(c->driverVer, sizeof c->driverVer, "01.00.0000");
    c->scrollOptions = SQL_SO_FORWARD_ONLY | SQL_SO_STATIC;
    c->cursorAttr1[0] = SQL_CA1_NEXT | SQL_CA1_ABSOLUTE | SQL_CA1_RELATIVE;
    c->cursorAttr1[1] = 0;
    c->cursorAttr1[2] = 0;
    if (conn_value(in, "DSN", c->dsn, sizeof c->dsn) && c->dsn[0])
    {
        /* A data source supplies the product from its odbc.ini section. */
        SQLGetPrivateProfileString(c->dsn, "DBMS", c->dbms, c->dbms, sizeof c->dbms, "odbc.ini");
    }
    char driver[128];
    if (conn_value(in, "Driver", driver, sizeof driver) && driver[0])
    {
        /* So does a driver entry from its odbcinst.ini section. */
        char product[128];
        SQLGetPrivateProfileString(driver, "DBMS", "", product, sizeof product, "odbcinst.ini");
        if (product[0])
            snprintf(c->dbms, sizeof c->dbms, "%s", product);
        SQLGetPrivateProfileString(driver, "DriverVer", "", product, sizeof product,
                                   "odbcinst.ini");
        if (product[0])
            snprintf(c->driverVer, sizeof c->driverVer, "%s", product);
    }
    conn_value(in, "DBMS", c->dbms, sizeof c->dbms);
    conn_value(in, "DriverVer", c->driverVer, sizeof c->driverVer);
    if (conn_value(in, "ScrollOptions", value, sizeof value))
        c->scrollOptions = (SQLUINTEGER)strtoul(value, NULL, 0);
    static const char* const attrKeys[3] = {"StaticAttr1", "KeysetAttr1", "DynamicAttr1"};
    for (int i = 0; i < 3; ++i)
    {
        c->cursorAttr1Fails[i] = 0;
        if (conn_value(in, attrKeys[i], value, sizeof value))
        {
            if (strcasecmp(value, "fail") == 0)
                c->cursorAttr1Fails[i] = 1;
            else
                c->cursorAttr1[i] = (SQLUINTEGER)strtoul(value, NULL, 0);
        }
    }
    c->noDBMSVer = conn_value(in, "NoDBMSVer", value, sizeof value) && atoi(value);
    c->logParams = conn_value(in, "LogParams", value, sizeof value) && atoi(value);
    if (conn_value(in, "ConnectHold", value, sizeof value))
        for (int waited = 0; waited < 60000 && access(value, F_OK) == 0; waited += 10)
            usleep(10000);
    conn_value(in, "DBMSVer", c->dbmsVer, sizeof c->dbmsVer);
    conn_value(in, "ODBCVer", c->odbcVer, sizeof c->odbcVer);
    conn_value(in, "Log", c->log, sizeof c->log);
    if (conn_value(in, "IdentCase", value, sizeof value))
        c->identCase = atoi(value);
    c->noRowCount = conn_value(in, "NoRowCount", value, sizeof value) && atoi(value);
    c->noTransact = conn_value(in, "NoTransact", value, sizeof value) && atoi(value);
    c->noTrace = conn_value(in, "NoTrace", value, sizeof value) && atoi(value);
    c->missingTable[0] = 0;
    c->tableExists = 0;
    conn_value(in, "MissingTable", c->missingTable, sizeof c->missingTable);
    c->canned[0] = 0;
    conn_value(in, "Canned", c->canned, sizeof c->canned);

    if (conn_value(in, "Prompt", value, sizeof value) && strcasecmp(value, "Cancel") == 0 &&
        completion != SQL_DRIVER_NOPROMPT)
        return SQL_NO_DATA;
    if (conn_value(in, "FailConnect", value, sizeof value))
    {
        int n = atoi(value);
        for (int i = 1; i <= n; ++i)
        {
            char state[6], msg[64];
            snprintf(state, sizeof state, "2800%d", i % 10);
            snprintf(msg, sizeof msg, "[Quenlark][Fake] connect failure %d", i);
            fake_add_diag(&c->diag, state, msg);
        }
        return SQL_ERROR;
    }
    if (conn_value(in, "ConnectLimit", value, sizeof value))
    {
        /* The server goes away after that many connects of this process. */
        static int connects;
        if (++connects > atoi(value))
        {
            fake_add_diag(&c->diag, "08001", "[Quenlark][Fake] the server is not available");
            return SQL_ERROR;
        }
    }
    c->connected = 1;
    fake_log(c, "CONNECT");
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC hdbc, SQLHWND hwnd, SQLWCHAR* in, SQLSMALLINT inLength,
                                    SQLWCHAR* out, SQLSMALLINT outMax, SQLSMALLINT* outLength,
                                    SQLUSMALLINT completion)
{
    (void)hwnd;
    FakeConn* c = conn_of(hdbc);
    if (!c)
        return SQL_INVALID_HANDLE;
    char* text = to_utf8(in, inLength);
    SQLRETURN ret = do_connect(c, text ? text : "", completion);
    if (ret == SQL_SUCCESS && (out || outLength))
        ret = put_wide(text ? text : "", out, (SQLLEN)outMax * (SQLLEN)sizeof(SQLWCHAR), outLength,
                       1, 1, &c->diag);
    free(text);
    return ret;
}

SQLRETURN SQL_API SQLConnectW(SQLHDBC hdbc, SQLWCHAR* dsn, SQLSMALLINT dsnLength, SQLWCHAR* user,
                              SQLSMALLINT userLength, SQLWCHAR* password,
                              SQLSMALLINT passwordLength)
{
    (void)user;
    (void)userLength;
    (void)password;
    (void)passwordLength;
    FakeConn* c = conn_of(hdbc);
    if (!c)
        return SQL_INVALID_HANDLE;
    char* name = to_utf8(dsn, dsnLength);
    char in[256];
    snprintf(in, sizeof in, "DSN=%s;", name ? name : "");
    free(name);
    return do_connect(c, in, SQL_DRIVER_NOPROMPT);
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC hdbc)
{
    FakeConn* c = conn_of(hdbc);
    if (!c)
        return SQL_INVALID_HANDLE;
    c->connected = 0;
    return SQL_SUCCESS;
}

/* ---- information and attributes ----------------------------------------------------------- */

SQLRETURN SQL_API SQLGetInfoW(SQLHDBC hdbc, SQLUSMALLINT type, SQLPOINTER value,
                              SQLSMALLINT bufferLength, SQLSMALLINT* length)
{
    FakeConn* c = conn_of(hdbc);
    if (!c)
        return SQL_INVALID_HANDLE;
    clear_diag(&c->diag);
    const char* text = NULL;
    switch (type)
    {
    case SQL_DBMS_NAME: text = c->dbms; break;
    case SQL_DBMS_VER:
        if (c->noDBMSVer)
        {
            fake_add_diag(&c->diag, "HY096", "[Quenlark][Fake] no server version");
            return SQL_ERROR;
        }
        text = c->dbmsVer;
        break;
    case SQL_DRIVER_ODBC_VER: text = c->odbcVer; break;
    case SQL_DRIVER_NAME: text = "libquenlarkfakeodbc.so"; break;
    case SQL_DRIVER_VER: text = c->driverVer; break;
    case SQL_DATA_SOURCE_NAME: text = c->dsn; break;
    case SQL_DATABASE_NAME: text = "fakedb"; break;
    case SQL_SERVER_NAME: text = "fakeserver"; break;
    case SQL_USER_NAME: text = "fakeuser"; break;
    case SQL_IDENTIFIER_QUOTE_CHAR: text = "\""; break;
    case SQL_SEARCH_PATTERN_ESCAPE: text = "\\"; break;
    case SQL_CATALOG_NAME_SEPARATOR: text = "."; break;
    case SQL_CATALOG_TERM: text = ""; break;
    case SQL_SCHEMA_TERM: text = "schema"; break;
    case SQL_TABLE_TERM: text = "table"; break;
    case SQL_PROCEDURE_TERM: text = "procedure"; break;
    case SQL_KEYWORDS:
    case SQL_SPECIAL_CHARACTERS:
    case SQL_COLLATION_SEQ: text = ""; break;
    case SQL_CATALOG_NAME:
    case SQL_DATA_SOURCE_READ_ONLY:
    case SQL_MULT_RESULT_SETS:
    case SQL_NEED_LONG_DATA_LEN:
    case SQL_ROW_UPDATES:
    case SQL_DESCRIBE_PARAMETER:
    case SQL_INTEGRITY:
    case SQL_MAX_ROW_SIZE_INCLUDES_LONG:
    case SQL_ORDER_BY_COLUMNS_IN_SELECT: text = "N"; break;
    case SQL_COLUMN_ALIAS:
    case SQL_ACCESSIBLE_TABLES:
    case SQL_ACCESSIBLE_PROCEDURES:
    case SQL_EXPRESSIONS_IN_ORDERBY:
    case SQL_MULTIPLE_ACTIVE_TXN:
    case SQL_OUTER_JOINS:
    case SQL_PROCEDURES:
    case SQL_LIKE_ESCAPE_CLAUSE: text = "Y"; break;
    }
    if (text)
        return put_wide(text, value, bufferLength, length, 1, 0, &c->diag);

    SQLUINTEGER number = 0;
    int isWord = 0;
    switch (type)
    {
    case SQL_IDENTIFIER_CASE:
        number = (SQLUINTEGER)c->identCase;
        isWord = 1;
        break;
    case SQL_QUOTED_IDENTIFIER_CASE:
        number = SQL_IC_SENSITIVE;
        isWord = 1;
        break;
    case SQL_TXN_CAPABLE:
        number = SQL_TC_ALL;
        isWord = 1;
        break;
    case SQL_CURSOR_COMMIT_BEHAVIOR:
    case SQL_CURSOR_ROLLBACK_BEHAVIOR:
        number = SQL_CB_PRESERVE;
        isWord = 1;
        break;
    case SQL_CORRELATION_NAME:
        number = SQL_CN_ANY;
        isWord = 1;
        break;
    case SQL_NON_NULLABLE_COLUMNS:
        number = SQL_NNC_NON_NULL;
        isWord = 1;
        break;
    case SQL_GROUP_BY:
        number = SQL_GB_GROUP_BY_CONTAINS_SELECT;
        isWord = 1;
        break;
    case SQL_TXN_ISOLATION_OPTION:
    case SQL_DEFAULT_TXN_ISOLATION: number = SQL_TXN_READ_COMMITTED; break;
    case SQL_GETDATA_EXTENSIONS: number = SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER; break;
    case SQL_SCROLL_OPTIONS: number = c->scrollOptions; break;
    case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1: number = SQL_CA1_NEXT; break;
    case SQL_STATIC_CURSOR_ATTRIBUTES1:
    case SQL_KEYSET_CURSOR_ATTRIBUTES1:
    case SQL_DYNAMIC_CURSOR_ATTRIBUTES1: {
        const int i = type == SQL_STATIC_CURSOR_ATTRIBUTES1   ? 0
                      : type == SQL_KEYSET_CURSOR_ATTRIBUTES1 ? 1
                                                              : 2;
        if (c->cursorAttr1Fails[i])
        {
            fake_add_diag(&c->diag, "HY096", "[Quenlark][Fake] no cursor attributes");
            return SQL_ERROR;
        }
        number = c->cursorAttr1[i];
        break;
    }
    case SQL_KEYSET_CURSOR_ATTRIBUTES2:
    case SQL_DYNAMIC_CURSOR_ATTRIBUTES2: number = 0; break;
    case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2: number = SQL_CA2_READ_ONLY_CONCURRENCY; break;
    case SQL_STATIC_CURSOR_ATTRIBUTES2:
        number = SQL_CA2_READ_ONLY_CONCURRENCY | SQL_CA2_CRC_EXACT;
        break;
    default: isWord = bufferLength == 2; break;
    }
    if (value)
    {
        if (isWord)
            *(SQLUSMALLINT*)value = (SQLUSMALLINT)number;
        else
            *(SQLUINTEGER*)value = number;
    }
    if (length)
        *length = isWord ? 2 : 4;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC hdbc, SQLINTEGER attr, SQLPOINTER value,
                                     SQLINTEGER length)
{
    (void)length;
    FakeConn* c = conn_of(hdbc);
    if (!c)
        return SQL_INVALID_HANDLE;
    clear_diag(&c->diag);
    switch (attr)
    {
    case SQL_ATTR_AUTOCOMMIT:
        c->autocommit = (SQLULEN)value;
        fake_log(c, c->autocommit == SQL_AUTOCOMMIT_ON ? "AUTOCOMMIT ON" : "AUTOCOMMIT OFF");
        break;
    case SQL_ATTR_TRACE:
        if (c->noTrace)
        {
            fake_add_diag(&c->diag, "HY000", "[Quenlark][Fake] tracing is not available");
            return SQL_ERROR;
        }
        c->trace = (SQLULEN)value;
        break;
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetConnectAttrW(SQLHDBC hdbc, SQLINTEGER attr, SQLPOINTER value,
                                     SQLINTEGER bufferLength, SQLINTEGER* length)
{
    (void)bufferLength;
    FakeConn* c = conn_of(hdbc);
    if (!c)
        return SQL_INVALID_HANDLE;
    clear_diag(&c->diag);
    SQLUINTEGER number = 0;
    switch (attr)
    {
    case SQL_ATTR_AUTOCOMMIT: number = (SQLUINTEGER)c->autocommit; break;
    case SQL_ATTR_TRACE: number = (SQLUINTEGER)c->trace; break;
    case SQL_ATTR_LOGIN_TIMEOUT: number = 15; break;
    case SQL_ATTR_CONNECTION_TIMEOUT: number = 0; break;
    default: break;
    }
    if (value)
        *(SQLUINTEGER*)value = number;
    if (length)
        *length = 4;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion)
{
    if (type != SQL_HANDLE_DBC)
        return SQL_SUCCESS;
    FakeConn* c = conn_of(handle);
    if (!c)
        return SQL_INVALID_HANDLE;
    clear_diag(&c->diag);
    fake_log(c, completion == SQL_COMMIT ? "COMMIT" : "ROLLBACK");
    if (c->noTransact)
    {
        fake_add_diag(&c->diag, "HY000", "[Quenlark][Fake] transaction failed");
        return SQL_ERROR;
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT hstmt, SQLINTEGER attr, SQLPOINTER value,
                                  SQLINTEGER length)
{
    (void)length;
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (attr == SQL_ATTR_ROW_STATUS_PTR)
        s->rowStatus = (SQLUSMALLINT*)value;
    else if (attr == SQL_ATTR_ROWS_FETCHED_PTR)
        s->rowsFetched = (SQLULEN*)value;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetStmtAttrW(SQLHSTMT hstmt, SQLINTEGER attr, SQLPOINTER value,
                                  SQLINTEGER bufferLength, SQLINTEGER* length)
{
    (void)bufferLength;
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (attr == SQL_ATTR_APP_ROW_DESC || attr == SQL_ATTR_APP_PARAM_DESC ||
        attr == SQL_ATTR_IMP_ROW_DESC || attr == SQL_ATTR_IMP_PARAM_DESC)
    {
        fake_add_diag(&s->diag, "HY092", "[Quenlark][Fake] descriptors are not available");
        return SQL_ERROR;
    }
    if (value)
        *(SQLULEN*)value = attr == SQL_ATTR_ROW_ARRAY_SIZE ? 1 : 0;
    if (length)
        *length = sizeof(SQLULEN);
    return SQL_SUCCESS;
}

/* ---- statements ------------------------------------------------------------------------- */

static SQLRETURN run(FakeStmt* s, const char* sql)
{
    fake_log(s->conn, sql);
    SQLRETURN ret;
    fake_run_statement_result(s, sql, &ret);
    return ret;
}

SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT hstmt, SQLWCHAR* text, SQLINTEGER length)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    char* sql = to_utf8(text, length);
    SQLRETURN ret = run(s, sql ? sql : "");
    free(sql);
    return ret;
}

SQLRETURN SQL_API SQLPrepareW(SQLHSTMT hstmt, SQLWCHAR* text, SQLINTEGER length)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    char* sql = to_utf8(text, length);
    snprintf(s->prepared, sizeof s->prepared, "%s", sql ? sql : "");
    free(sql);
    fake_reset_result(s);
    return SQL_SUCCESS;
}

/* With LogParams=1: one line per bound parameter after the statement,
 * "PARAM <n> <IN|INOUT|OUT> c=<C type> sql=<SQL type> <value or NULL>" (text as UTF-8), and
 * every output parameter gets a value: integers 100 + n, text "out<n>". */
static void log_and_answer_params(FakeStmt* s)
{
    if (!s->conn || !s->conn->logParams)
        return;
    for (int n = 1; n <= FAKE_MAX_PARAMS; ++n)
    {
        FakeParam* p = &s->params[n];
        if (!p->ioType)
            continue;
        const char* io = p->ioType == SQL_PARAM_INPUT_OUTPUT ? "INOUT"
                         : p->ioType == SQL_PARAM_OUTPUT     ? "OUT"
                                                             : "IN";
        char value[512] = "NULL";
        const int isNull = p->indicator && *p->indicator == SQL_NULL_DATA;
        if (!isNull && p->value && p->ioType != SQL_PARAM_OUTPUT)
        {
            switch (p->cType)
            {
            case SQL_C_LONG: snprintf(value, sizeof value, "%d", *(SQLINTEGER*)p->value); break;
            case SQL_C_SHORT: snprintf(value, sizeof value, "%d", *(SQLSMALLINT*)p->value); break;
            case SQL_C_DOUBLE: snprintf(value, sizeof value, "%g", *(double*)p->value); break;
            case SQL_C_WCHAR: {
                SQLLEN bytes = p->indicator ? *p->indicator : SQL_NTS;
                char* text = to_utf8((SQLWCHAR*)p->value,
                                     bytes == SQL_NTS ? SQL_NTS : (SQLINTEGER)(bytes / 2));
                snprintf(value, sizeof value, "'%s'", text ? text : "");
                free(text);
                break;
            }
            case SQL_C_CHAR: snprintf(value, sizeof value, "'%s'", (char*)p->value); break;
            default: snprintf(value, sizeof value, "<c type %d>", p->cType); break;
            }
        }
        char line[700];
        snprintf(line, sizeof line, "PARAM %d %s c=%d sql=%d %s", n, io, p->cType, p->sqlType,
                 value);
        fake_log(s->conn, line);
        if (p->ioType == SQL_PARAM_INPUT || !p->value)
            continue;
        if (p->cType == SQL_C_LONG)
        {
            *(SQLINTEGER*)p->value = 100 + n;
            if (p->indicator)
                *p->indicator = sizeof(SQLINTEGER);
        }
        else if (p->cType == SQL_C_WCHAR && p->bufferLength >= 16)
        {
            SQLWCHAR* out = (SQLWCHAR*)p->value;
            out[0] = 'o';
            out[1] = 'u';
            out[2] = 't';
            out[3] = (SQLWCHAR)('0' + n % 10);
            out[4] = 0;
            if (p->indicator)
                *p->indicator = 4 * sizeof(SQLWCHAR);
        }
    }
}

SQLRETURN SQL_API SQLExecute(SQLHSTMT hstmt)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    SQLRETURN ret = run(s, s->prepared);
    if (SQL_SUCCEEDED(ret))
        log_and_answer_params(s);
    return ret;
}

SQLRETURN SQL_API SQLNumParams(SQLHSTMT hstmt, SQLSMALLINT* count)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    int n = 0;
    char quote = 0;
    for (const char* p = s->prepared; *p; ++p)
    {
        if (quote)
        {
            if (*p == quote)
                quote = 0;
        }
        else if (*p == '\'' || *p == '"')
            quote = *p;
        else if (*p == '?')
            ++n;
    }
    if (count)
        *count = (SQLSMALLINT)n;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLBindParameter(SQLHSTMT hstmt, SQLUSMALLINT number, SQLSMALLINT ioType,
                                   SQLSMALLINT cType, SQLSMALLINT sqlType, SQLULEN size,
                                   SQLSMALLINT digits, SQLPOINTER value, SQLLEN bufferLength,
                                   SQLLEN* indicator)
{
    (void)size;
    (void)digits;
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (number >= 1 && number <= FAKE_MAX_PARAMS)
    {
        FakeParam* p = &s->params[number];
        p->ioType = ioType;
        p->cType = cType;
        p->sqlType = sqlType;
        p->value = value;
        p->bufferLength = bufferLength;
        p->indicator = indicator;
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLCancel(SQLHSTMT hstmt)
{
    FakeStmt* s = (FakeStmt*)hstmt;
    return (s && s->magic == MAGIC_STMT) ? SQL_SUCCESS : SQL_INVALID_HANDLE;
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT hstmt, SQLLEN* count)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (s->conn->noRowCount)
    {
        fake_add_diag(&s->diag, "HY000", "[Quenlark][Fake] row count is not available");
        return SQL_ERROR;
    }
    if (count)
        *count = s->rowCount;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLMoreResults(SQLHSTMT hstmt)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (s->faultOnMore)
        *(volatile int*)0 = 0;
    if (fake_canned_more(s))
        return SQL_SUCCESS;
    fake_reset_result(s);
    return SQL_NO_DATA;
}

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT hstmt, SQLSMALLINT* count)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (count)
        *count = (SQLSMALLINT)s->numCols;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDescribeColW(SQLHSTMT hstmt, SQLUSMALLINT col, SQLWCHAR* name,
                                  SQLSMALLINT nameMax, SQLSMALLINT* nameLength,
                                  SQLSMALLINT* sqlType, SQLULEN* size, SQLSMALLINT* digits,
                                  SQLSMALLINT* nullable)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (col < 1 || col > s->numCols)
    {
        fake_add_diag(&s->diag, "07009", "[Quenlark][Fake] Invalid descriptor index");
        return SQL_ERROR;
    }
    const FakeColumn* c = &s->cols[col - 1];
    if (sqlType)
        *sqlType = c->sqlType;
    if (size)
        *size = c->size;
    if (digits)
        *digits = c->sqlType == SQL_TYPE_TIMESTAMP ? 6 : 0;
    if (nullable)
        *nullable = SQL_NULLABLE;
    return put_wide(c->name, name, (SQLLEN)nameMax * (SQLLEN)sizeof(SQLWCHAR), nameLength, 1, 1,
                    &s->diag);
}

SQLRETURN SQL_API SQLColAttributeW(SQLHSTMT hstmt, SQLUSMALLINT col, SQLUSMALLINT field,
                                   SQLPOINTER text, SQLSMALLINT bufferLength,
                                   SQLSMALLINT* textLength, SQLLEN* number)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (col < 1 || col > s->numCols)
    {
        fake_add_diag(&s->diag, "07009", "[Quenlark][Fake] Invalid descriptor index");
        return SQL_ERROR;
    }
    const FakeColumn* c = &s->cols[col - 1];
    SQLLEN value = 0;
    switch (field)
    {
    case SQL_DESC_NAME:
    case SQL_DESC_LABEL:
    case SQL_DESC_BASE_COLUMN_NAME:
        return put_wide(c->name, text, bufferLength, textLength, 1, 0, &s->diag);
    case SQL_DESC_TYPE_NAME:
    case SQL_DESC_TABLE_NAME:
    case SQL_DESC_BASE_TABLE_NAME:
    case SQL_DESC_SCHEMA_NAME:
    case SQL_DESC_CATALOG_NAME: return put_wide("", text, bufferLength, textLength, 1, 0, &s->diag);
    case SQL_DESC_COUNT: value = s->numCols; break;
    case SQL_DESC_TYPE:
    case SQL_DESC_CONCISE_TYPE: value = c->sqlType; break;
    case SQL_DESC_LENGTH:
    case SQL_DESC_OCTET_LENGTH:
    case SQL_DESC_DISPLAY_SIZE:
    case SQL_DESC_PRECISION:
    case SQL_COLUMN_LENGTH:
    case SQL_COLUMN_PRECISION: value = (SQLLEN)c->size; break;
    case SQL_DESC_NULLABLE: value = SQL_NULLABLE; break;
    case SQL_DESC_UNSIGNED: value = SQL_FALSE; break;
    case SQL_DESC_SEARCHABLE: value = SQL_PRED_SEARCHABLE; break;
    case SQL_DESC_UPDATABLE: value = SQL_ATTR_READONLY; break;
    default: break;
    }
    if (number)
        *number = value;
    return SQL_SUCCESS;
}

/* ---- fetching --------------------------------------------------------------------------- */

static SQLSMALLINT default_c_type(SQLSMALLINT sqlType)
{
    switch (sqlType)
    {
    case SQL_INTEGER: return SQL_C_SLONG;
    case SQL_SMALLINT: return SQL_C_SSHORT;
    case SQL_VARBINARY:
    case SQL_BINARY:
    case SQL_LONGVARBINARY: return SQL_C_BINARY;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: return SQL_C_TIMESTAMP;
    case SQL_GUID: return SQL_C_GUID;
    }
    return SQL_C_CHAR;
}

/* Copies value of column col (0-based) of the current row as cType. offset holds the bytes
 * already given (SQLGetData chunks) or NULL for bound columns. */
static SQLRETURN get_value(FakeStmt* s, int col, SQLSMALLINT cType, SQLPOINTER target,
                           SQLLEN bufferLength, SQLLEN* indicator, SQLLEN* offset)
{
    const char* v = s->rows[s->current][col];
    if (!v)
    {
        if (!indicator)
        {
            fake_add_diag(&s->diag, "22002",
                          "[Quenlark][Fake] Indicator variable required but not supplied");
            return SQL_ERROR;
        }
        *indicator = SQL_NULL_DATA;
        return SQL_SUCCESS;
    }
    if (cType == SQL_C_DEFAULT)
        cType = default_c_type(s->cols[col].sqlType);

    if (cType == SQL_C_CHAR || cType == SQL_C_BINARY || cType == SQL_C_WCHAR)
    {
        /* Bytes of the value in the requested form. */
        size_t total;
        char* bytes;
        if (cType == SQL_C_WCHAR)
        {
            size_t units = utf8_to_wide(v, NULL);
            bytes = malloc((units + 1) * sizeof(SQLWCHAR));
            utf8_to_wide(v, (SQLWCHAR*)bytes);
            total = units * sizeof(SQLWCHAR);
        }
        else
        {
            total = strlen(v);
            bytes = malloc(total + 1);
            memcpy(bytes, v, total);
        }
        size_t done = offset ? (size_t)*offset : 0;
        if (offset && done > 0 && done >= total)
        {
            free(bytes);
            return SQL_NO_DATA;
        }
        size_t left = total - done;
        size_t term = cType == SQL_C_CHAR ? 1 : cType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : 0;
        size_t room = bufferLength > (SQLLEN)term ? (size_t)bufferLength - term : 0;
        if (cType == SQL_C_WCHAR)
            room -= room % sizeof(SQLWCHAR);
        size_t copy = left < room ? left : room;
        if (target && bufferLength > 0)
        {
            memcpy(target, bytes + done, copy);
            if (term)
                memset((char*)target + copy, 0, term);
        }
        free(bytes);
        if (indicator)
            *indicator = (s->noTotal && col == 2) ? SQL_NO_TOTAL : (SQLLEN)left;
        if (offset)
            *offset = (SQLLEN)(done + copy);
        if (copy < left)
        {
            fake_add_diag(&s->diag, "01004", "[Quenlark][Fake] String data, right truncated");
            return SQL_SUCCESS_WITH_INFO;
        }
        return SQL_SUCCESS;
    }

    if (offset && *offset > 0)
        return SQL_NO_DATA;
    if (offset)
        *offset = 1;
    SQLLEN size = 0;
    switch (cType)
    {
    case SQL_C_LONG:
    case SQL_C_SLONG:
    case SQL_C_ULONG:
        if (target)
            *(SQLINTEGER*)target = (SQLINTEGER)atol(v);
        size = 4;
        break;
    case SQL_C_SHORT:
    case SQL_C_SSHORT:
    case SQL_C_USHORT:
        if (target)
            *(SQLSMALLINT*)target = (SQLSMALLINT)atoi(v);
        size = 2;
        break;
    case SQL_C_TINYINT:
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_BIT:
        if (target)
            *(signed char*)target = (signed char)atoi(v);
        size = 1;
        break;
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
        if (target)
            *(long long*)target = atoll(v);
        size = 8;
        break;
    case SQL_C_DOUBLE:
        if (target)
            *(double*)target = atof(v);
        size = 8;
        break;
    case SQL_C_GUID: {
        /* "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" */
        unsigned int d1 = 0, d2 = 0, d3 = 0, b[8] = {0};
        sscanf(v, "%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x", &d1, &d2, &d3, &b[0], &b[1], &b[2],
               &b[3], &b[4], &b[5], &b[6], &b[7]);
        SQLGUID* g = target;
        if (g)
        {
            g->Data1 = d1;
            g->Data2 = (unsigned short)d2;
            g->Data3 = (unsigned short)d3;
            for (int i = 0; i < 8; ++i)
                g->Data4[i] = (unsigned char)b[i];
        }
        size = sizeof(SQLGUID);
        break;
    }
    case SQL_C_FLOAT:
        if (target)
            *(float*)target = (float)atof(v);
        size = 4;
        break;
    case SQL_C_TIMESTAMP:
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_DATE:
    case SQL_C_TYPE_DATE:
    case SQL_C_TIME:
    case SQL_C_TYPE_TIME: {
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
        char frac[16] = "";
        sscanf(v, "%d-%d-%d %d:%d:%d.%9[0-9]", &y, &mo, &d, &h, &mi, &sec, frac);
        unsigned long nanos = 0;
        for (int i = 0; i < 9; ++i)
            nanos = nanos * 10 +
                    (frac[i] && i < (int)strlen(frac) ? (unsigned long)(frac[i] - '0') : 0);
        if (cType == SQL_C_DATE || cType == SQL_C_TYPE_DATE)
        {
            SQL_DATE_STRUCT* t = target;
            if (t)
            {
                t->year = (SQLSMALLINT)y;
                t->month = (SQLUSMALLINT)mo;
                t->day = (SQLUSMALLINT)d;
            }
            size = sizeof *t;
        }
        else if (cType == SQL_C_TIME || cType == SQL_C_TYPE_TIME)
        {
            SQL_TIME_STRUCT* t = target;
            if (t)
            {
                t->hour = (SQLUSMALLINT)h;
                t->minute = (SQLUSMALLINT)mi;
                t->second = (SQLUSMALLINT)sec;
            }
            size = sizeof *t;
        }
        else
        {
            SQL_TIMESTAMP_STRUCT* t = target;
            if (t)
            {
                t->year = (SQLSMALLINT)y;
                t->month = (SQLUSMALLINT)mo;
                t->day = (SQLUSMALLINT)d;
                t->hour = (SQLUSMALLINT)h;
                t->minute = (SQLUSMALLINT)mi;
                t->second = (SQLUSMALLINT)sec;
                t->fraction = (SQLUINTEGER)nanos;
            }
            size = sizeof *t;
        }
        break;
    }
    default:
        fake_add_diag(&s->diag, "HY003", "[Quenlark][Fake] Program type out of range");
        return SQL_ERROR;
    }
    if (indicator)
        *indicator = size;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLBindCol(SQLHSTMT hstmt, SQLUSMALLINT col, SQLSMALLINT cType, SQLPOINTER target,
                             SQLLEN bufferLength, SQLLEN* indicator)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (col > FAKE_MAX_COLS || (s->numCols > 0 && col > s->numCols))
    {
        fake_add_diag(&s->diag, "07009", "[Quenlark][Fake] Invalid descriptor index");
        return SQL_ERROR;
    }
    FakeBinding* b = &s->bind[col];
    b->cType = cType;
    b->target = target;
    b->bufferLength = bufferLength;
    b->indicator = indicator;
    return SQL_SUCCESS;
}

/* Moves to row index and fills the bound columns. */
static SQLRETURN fetch_row(FakeStmt* s, int index)
{
    if (index < 0)
    {
        s->current = -1;
        if (s->rowsFetched)
            *s->rowsFetched = 0;
        return SQL_NO_DATA;
    }
    if (index >= s->numRows)
    {
        s->current = s->numRows;
        if (s->rowsFetched)
            *s->rowsFetched = 0;
        return SQL_NO_DATA;
    }
    s->current = index;
    memset(s->getDataOffset, 0, sizeof s->getDataOffset);
    if (s->rowsFetched)
        *s->rowsFetched = 1;
    if (index == s->rowErrorAt)
    {
        if (s->rowStatus)
            s->rowStatus[0] = SQL_ROW_ERROR;
        fake_add_diag(&s->diag, "01S01", "[Quenlark][Fake] Error in row");
        return SQL_SUCCESS_WITH_INFO;
    }
    if (s->rowStatus)
        s->rowStatus[0] = SQL_ROW_SUCCESS;
    SQLRETURN ret = SQL_SUCCESS;
    for (int c = 1; c <= s->numCols; ++c)
    {
        FakeBinding* b = &s->bind[c];
        if (!b->target && !b->indicator)
            continue;
        SQLRETURN r = get_value(s, c - 1, b->cType, b->target, b->bufferLength, b->indicator, NULL);
        if (r == SQL_ERROR)
            return r;
        if (r == SQL_SUCCESS_WITH_INFO)
            ret = r;
    }
    return ret;
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT hstmt)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (s->numCols == 0)
    {
        fake_add_diag(&s->diag, "24000", "[Quenlark][Fake] Invalid cursor state");
        return SQL_ERROR;
    }
    return fetch_row(s, s->current + 1);
}

SQLRETURN SQL_API SQLFetchScroll(SQLHSTMT hstmt, SQLSMALLINT orientation, SQLLEN offset)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (s->numCols == 0)
    {
        fake_add_diag(&s->diag, "24000", "[Quenlark][Fake] Invalid cursor state");
        return SQL_ERROR;
    }
    int target;
    switch (orientation)
    {
    case SQL_FETCH_NEXT: target = s->current + 1; break;
    case SQL_FETCH_PRIOR: target = s->current - 1; break;
    case SQL_FETCH_FIRST: target = 0; break;
    case SQL_FETCH_LAST: target = s->numRows - 1; break;
    case SQL_FETCH_ABSOLUTE:
        target = offset > 0 ? (int)offset - 1 : offset < 0 ? s->numRows + (int)offset : -1;
        break;
    case SQL_FETCH_RELATIVE: target = s->current + (int)offset; break;
    default:
        fake_add_diag(&s->diag, "HY106", "[Quenlark][Fake] Fetch type out of range");
        return SQL_ERROR;
    }
    return fetch_row(s, target);
}

SQLRETURN SQL_API SQLExtendedFetch(SQLHSTMT hstmt, SQLUSMALLINT orientation, SQLLEN offset,
                                   SQLULEN* rowCount, SQLUSMALLINT* rowStatus)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    SQLUSMALLINT* savedStatus = s->rowStatus;
    SQLULEN* savedFetched = s->rowsFetched;
    s->rowStatus = rowStatus;
    s->rowsFetched = rowCount;
    SQLRETURN ret = SQLFetchScroll(hstmt, (SQLSMALLINT)orientation, offset);
    s->rowStatus = savedStatus;
    s->rowsFetched = savedFetched;
    return ret;
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT hstmt, SQLUSMALLINT col, SQLSMALLINT cType, SQLPOINTER target,
                             SQLLEN bufferLength, SQLLEN* indicator)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    if (s->current < 0 || s->current >= s->numRows)
    {
        fake_add_diag(&s->diag, "24000", "[Quenlark][Fake] Invalid cursor state");
        return SQL_ERROR;
    }
    if (col < 1 || col > s->numCols)
    {
        fake_add_diag(&s->diag, "07009", "[Quenlark][Fake] Invalid descriptor index");
        return SQL_ERROR;
    }
    return get_value(s, col - 1, cType, target, bufferLength, indicator,
                     &s->getDataOffset[col - 1]);
}

/* ---- diagnostics ------------------------------------------------------------------------ */

SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number,
                                 SQLWCHAR* state, SQLINTEGER* native, SQLWCHAR* message,
                                 SQLSMALLINT bufferLength, SQLSMALLINT* length)
{
    FakeDiagList* list = diag_of(type, handle);
    if (!list)
        return SQL_INVALID_HANDLE;
    if (number < 1 || number > list->count)
        return SQL_NO_DATA;
    const FakeDiag* d = &list->records[number - 1];
    if (state)
        put_wide(d->state, state, 6 * sizeof(SQLWCHAR), NULL, 1, 1, NULL);
    if (native)
        *native = number;
    return put_wide(d->message, message, (SQLLEN)bufferLength * (SQLLEN)sizeof(SQLWCHAR), length, 1,
                    1, NULL);
}

SQLRETURN SQL_API SQLGetDiagFieldW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number,
                                   SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT bufferLength,
                                   SQLSMALLINT* length)
{
    FakeDiagList* list = diag_of(type, handle);
    if (!list)
        return SQL_INVALID_HANDLE;
    if (field == SQL_DIAG_NUMBER)
    {
        if (value)
            *(SQLINTEGER*)value = list->count;
        return SQL_SUCCESS;
    }
    if (number < 1 || number > list->count)
        return SQL_NO_DATA;
    const FakeDiag* d = &list->records[number - 1];
    switch (field)
    {
    case SQL_DIAG_SQLSTATE: return put_wide(d->state, value, bufferLength, length, 1, 0, NULL);
    case SQL_DIAG_MESSAGE_TEXT:
        return put_wide(d->message, value, bufferLength, length, 1, 0, NULL);
    case SQL_DIAG_CLASS_ORIGIN:
    case SQL_DIAG_SUBCLASS_ORIGIN:
        return put_wide("ODBC 3.0", value, bufferLength, length, 1, 0, NULL);
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME: return put_wide("", value, bufferLength, length, 1, 0, NULL);
    case SQL_DIAG_NATIVE:
        if (value)
            *(SQLINTEGER*)value = number;
        return SQL_SUCCESS;
    case SQL_DIAG_ROW_NUMBER:
    case SQL_DIAG_COLUMN_NUMBER:
        if (value)
            *(SQLLEN*)value = SQL_NO_ROW_NUMBER;
        return SQL_SUCCESS;
    }
    return SQL_ERROR;
}

/* ---- catalog ---------------------------------------------------------------------------- */

static SQLRETURN catalog(SQLHSTMT hstmt, const char* function, int count, SQLWCHAR** args,
                         SQLSMALLINT* lengths)
{
    FakeStmt* s = stmt_of(hstmt);
    if (!s)
        return SQL_INVALID_HANDLE;
    char* texts[6] = {0};
    for (int i = 0; i < count; ++i)
        texts[i] = to_utf8(args[i], lengths[i]);
    fake_catalog_result(s, function, (const char* const*)texts, count);
    for (int i = 0; i < count; ++i)
        free(texts[i]);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLTablesW(SQLHSTMT h, SQLWCHAR* c, SQLSMALLINT cl, SQLWCHAR* s, SQLSMALLINT sl,
                             SQLWCHAR* t, SQLSMALLINT tl, SQLWCHAR* ty, SQLSMALLINT tyl)
{
    SQLWCHAR* a[] = {c, s, t, ty};
    SQLSMALLINT l[] = {cl, sl, tl, tyl};
    return catalog(h, "SQLTables", 4, a, l);
}

SQLRETURN SQL_API SQLColumnsW(SQLHSTMT h, SQLWCHAR* c, SQLSMALLINT cl, SQLWCHAR* s, SQLSMALLINT sl,
                              SQLWCHAR* t, SQLSMALLINT tl, SQLWCHAR* co, SQLSMALLINT col)
{
    SQLWCHAR* a[] = {c, s, t, co};
    SQLSMALLINT l[] = {cl, sl, tl, col};
    return catalog(h, "SQLColumns", 4, a, l);
}

SQLRETURN SQL_API SQLPrimaryKeysW(SQLHSTMT h, SQLWCHAR* c, SQLSMALLINT cl, SQLWCHAR* s,
                                  SQLSMALLINT sl, SQLWCHAR* t, SQLSMALLINT tl)
{
    SQLWCHAR* a[] = {c, s, t};
    SQLSMALLINT l[] = {cl, sl, tl};
    return catalog(h, "SQLPrimaryKeys", 3, a, l);
}

SQLRETURN SQL_API SQLForeignKeysW(SQLHSTMT h, SQLWCHAR* pc, SQLSMALLINT pcl, SQLWCHAR* ps,
                                  SQLSMALLINT psl, SQLWCHAR* pt, SQLSMALLINT ptl, SQLWCHAR* fc,
                                  SQLSMALLINT fcl, SQLWCHAR* fs, SQLSMALLINT fsl, SQLWCHAR* ft,
                                  SQLSMALLINT ftl)
{
    SQLWCHAR* a[] = {pc, ps, pt, fc, fs, ft};
    SQLSMALLINT l[] = {pcl, psl, ptl, fcl, fsl, ftl};
    return catalog(h, "SQLForeignKeys", 6, a, l);
}

SQLRETURN SQL_API SQLProceduresW(SQLHSTMT h, SQLWCHAR* c, SQLSMALLINT cl, SQLWCHAR* s,
                                 SQLSMALLINT sl, SQLWCHAR* p, SQLSMALLINT pl)
{
    SQLWCHAR* a[] = {c, s, p};
    SQLSMALLINT l[] = {cl, sl, pl};
    return catalog(h, "SQLProcedures", 3, a, l);
}

SQLRETURN SQL_API SQLProcedureColumnsW(SQLHSTMT h, SQLWCHAR* c, SQLSMALLINT cl, SQLWCHAR* s,
                                       SQLSMALLINT sl, SQLWCHAR* p, SQLSMALLINT pl, SQLWCHAR* co,
                                       SQLSMALLINT col)
{
    SQLWCHAR* a[] = {c, s, p, co};
    SQLSMALLINT l[] = {cl, sl, pl, col};
    return catalog(h, "SQLProcedureColumns", 4, a, l);
}

SQLRETURN SQL_API SQLStatisticsW(SQLHSTMT h, SQLWCHAR* c, SQLSMALLINT cl, SQLWCHAR* s,
                                 SQLSMALLINT sl, SQLWCHAR* t, SQLSMALLINT tl, SQLUSMALLINT unique,
                                 SQLUSMALLINT reserved)
{
    (void)unique;
    (void)reserved;
    SQLWCHAR* a[] = {c, s, t};
    SQLSMALLINT l[] = {cl, sl, tl};
    return catalog(h, "SQLStatistics", 3, a, l);
}

SQLRETURN SQL_API SQLGetTypeInfoW(SQLHSTMT h, SQLSMALLINT type)
{
    FakeStmt* s = stmt_of(h);
    if (!s)
        return SQL_INVALID_HANDLE;
    char arg[16];
    snprintf(arg, sizeof arg, "%d", type);
    const char* args[] = {arg};
    fake_catalog_result(s, "SQLGetTypeInfo", args, 1);
    return SQL_SUCCESS;
}
