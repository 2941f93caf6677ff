/* The canned results of the fake driver: statement results and catalog rows. */
#include "fake_driver.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

void fake_reset_result(FakeStmt* stmt)
{
    for (int i = 0; i < stmt->numOwned; ++i)
        free(stmt->owned[i]);
    stmt->numOwned = 0;
    stmt->numCols = 0;
    stmt->numRows = 0;
    stmt->current = -1;
    stmt->noTotal = 0;
    stmt->rowErrorAt = -1;
    stmt->rowCount = -1;
    memset(stmt->getDataOffset, 0, sizeof stmt->getDataOffset);
}

void fake_set_columns(FakeStmt* stmt, const FakeColumn* cols, int count)
{
    stmt->numCols = count;
    for (int i = 0; i < count; ++i)
        stmt->cols[i] = cols[i];
}

void fake_add_row(FakeStmt* stmt, const char* const* values)
{
    if (stmt->numRows >= FAKE_MAX_ROWS)
        return;
    for (int c = 0; c < stmt->numCols; ++c)
    {
        const char* v = values[c];
        if (v)
        {
            char* copy = strdup(v);
            stmt->owned[stmt->numOwned++] = copy;
            v = copy;
        }
        stmt->rows[stmt->numRows][c] = v;
    }
    stmt->numRows++;
    stmt->rowCount = stmt->numRows;
}

static const FakeColumn rowColumns[] = {
    {"ID", SQL_INTEGER, 10},    {"NAME", SQL_VARCHAR, 20},      {"NOTE", SQL_LONGVARCHAR, 1000000},
    {"BIN", SQL_VARBINARY, 16}, {"TS", SQL_TYPE_TIMESTAMP, 26},
};

static void add_generated_rows(FakeStmt* stmt, int count)
{
    fake_set_columns(stmt, rowColumns, 5);
    for (int r = 0; r < count; ++r)
    {
        char id[16], name[32], note[64], ts[40];
        snprintf(id, sizeof id, "%d", r + 1);
        snprintf(name, sizeof name, "name %d", r + 1);
        snprintf(note, sizeof note, "a longer note for row %d", r + 1);
        snprintf(ts, sizeof ts, "2024-03-%02d 07:08:09.123456", (r % 28) + 1);
        const char* values[5] = {id, name, (r % 3 == 2) ? NULL : note, "AB\x01\xff", ts};
        fake_add_row(stmt, values);
    }
}

void fake_run_statement_result(FakeStmt* stmt, const char* sql, SQLRETURN* ret)
{
    fake_reset_result(stmt);
    *ret = SQL_SUCCESS;
    stmt->rowCount = 1;
    /* A statement after which the driver crashes when asked for further results. */
    stmt->faultOnMore = strstr(sql, "FAULT AFTER") != NULL;
    if (fake_canned_result(stmt, sql, ret))
        return;
    int n = 0;
    const char* missing = stmt->conn->missingTable;
    if (missing[0] && strstr(sql, missing))
    {
        char create[160], drop[160];
        snprintf(create, sizeof create, "CREATE TABLE %s", missing);
        snprintf(drop, sizeof drop, "DROP TABLE %s", missing);
        if (strncmp(sql, create, strlen(create)) == 0 && !stmt->conn->tableExists)
        {
            stmt->conn->tableExists = 1;
            return;
        }
        if (strncmp(sql, drop, strlen(drop)) == 0 && stmt->conn->tableExists)
        {
            stmt->conn->tableExists = 0;
            return;
        }
        if (!stmt->conn->tableExists)
        {
            fake_add_diag(&stmt->diag, "42S02", "[Quenlark][Fake] table or view does not exist");
            stmt->rowCount = -1;
            *ret = SQL_ERROR;
            return;
        }
    }
    if (sscanf(sql, "FAKE ERROR %d", &n) == 1)
    {
        for (int i = 1; i <= n && i <= FAKE_MAX_DIAG; ++i)
        {
            char state[6], msg[64];
            snprintf(state, sizeof state, "FK00%d", i);
            snprintf(msg, sizeof msg, "[Quenlark][Fake] error %d", i);
            fake_add_diag(&stmt->diag, state, msg);
        }
        stmt->rowCount = -1;
        *ret = SQL_ERROR;
    }
    else if (strncmp(sql, "FAKE INFO", 9) == 0)
    {
        fake_add_diag(&stmt->diag, "01000", "[Quenlark][Fake] a warning");
        *ret = SQL_SUCCESS_WITH_INFO;
    }
    else if (sscanf(sql, "FAKE ROWS %d", &n) == 1)
    {
        add_generated_rows(stmt, n);
        stmt->rowCount = -1;
    }
    else if (strncmp(sql, "FAKE NOTOTAL", 12) == 0)
    {
        add_generated_rows(stmt, 1);
        stmt->noTotal = 1;
        stmt->rowCount = -1;
    }
    else if (strncmp(sql, "FAKE STATEMENTS", 15) == 0)
    {
        static const FakeColumn countColumn[] = {{"STATEMENTS", SQL_INTEGER, 10}};
        char count[16];
        snprintf(count, sizeof count, "%d", stmt->conn->liveStatements);
        const char* values[1] = {count};
        fake_set_columns(stmt, countColumn, 1);
        fake_add_row(stmt, values);
    }
    else if (strncmp(sql, "FAKE GUIDS", 10) == 0)
    {
        /* A uniqueidentifier-like column: one value and one NULL. */
        static const FakeColumn guidColumn[] = {{"ID", SQL_GUID, 36}};
        const char* first[1] = {"01234567-89ab-cdef-0123-456789abcdef"};
        const char* second[1] = {NULL};
        fake_set_columns(stmt, guidColumn, 1);
        fake_add_row(stmt, first);
        fake_add_row(stmt, second);
        stmt->rowCount = -1;
    }
    else if (strncmp(sql, "FAKE ROWERROR", 13) == 0)
    {
        add_generated_rows(stmt, 2);
        stmt->rowErrorAt = 1;
        stmt->rowCount = -1;
    }
}

/* ---- catalog ---------------------------------------------------------------------------- */

#define T(n)                                                                                       \
    {                                                                                              \
        n, SQL_VARCHAR, 128                                                                        \
    }
#define S(n)                                                                                       \
    {                                                                                              \
        n, SQL_SMALLINT, 5                                                                         \
    }
#define I(n)                                                                                       \
    {                                                                                              \
        n, SQL_INTEGER, 10                                                                         \
    }

static const FakeColumn tableCols[] = {T("TABLE_CAT"), T("TABLE_SCHEM"), T("TABLE_NAME"),
                                       T("TABLE_TYPE"), T("REMARKS")};
static const char* const tableRows[][5] = {
    {NULL, "SALES", "ORDERS", "TABLE", "All orders"},
    {NULL, "SALES", "ORDER_VIEW", "VIEW", NULL},
    {NULL, "SYS", "DUAL", "SYSTEM TABLE", NULL},
    {NULL, "SALES", "TEMP1", "GLOBAL TEMPORARY", NULL},
    {NULL, "SALES", "lower1", "table", NULL},
};

static const FakeColumn columnCols[] = {
    T("TABLE_CAT"),        T("TABLE_SCHEM"),    T("TABLE_NAME"),       T("COLUMN_NAME"),
    S("DATA_TYPE"),        T("TYPE_NAME"),      I("COLUMN_SIZE"),      I("BUFFER_LENGTH"),
    S("DECIMAL_DIGITS"),   S("NUM_PREC_RADIX"), S("NULLABLE"),         T("REMARKS"),
    T("COLUMN_DEF"),       S("SQL_DATA_TYPE"),  S("SQL_DATETIME_SUB"), I("CHAR_OCTET_LENGTH"),
    I("ORDINAL_POSITION"), T("IS_NULLABLE")};
static const char* const columnRows[][18] = {
    {NULL, "SALES", "ORDERS", "ID", "4", "INTEGER", "10", "4", "0", "10", "0", "key", NULL, "4",
     NULL, NULL, "1", "NO"},
    {NULL, "SALES", "ORDERS", "NAME", "12", "VARCHAR2", "40", "40", NULL, NULL, "1", NULL, "'none'",
     "12", NULL, "40", "2", "YES"},
};

static const FakeColumn typeCols[] = {
    T("TYPE_NAME"),        S("DATA_TYPE"),          I("COLUMN_SIZE"),       T("LITERAL_PREFIX"),
    T("LITERAL_SUFFIX"),   T("CREATE_PARAMS"),      S("NULLABLE"),          S("CASE_SENSITIVE"),
    S("SEARCHABLE"),       S("UNSIGNED_ATTRIBUTE"), S("FIXED_PREC_SCALE"),  S("AUTO_UNIQUE_VALUE"),
    T("LOCAL_TYPE_NAME"),  S("MINIMUM_SCALE"),      S("MAXIMUM_SCALE"),     S("SQL_DATA_TYPE"),
    S("SQL_DATETIME_SUB"), I("NUM_PREC_RADIX"),     S("INTERVAL_PRECISION")};
static const char* const typeRows[][19] = {
    {"VARCHAR2", "12", "4000", "'", "'", "max length", "1", "1", "3", NULL, "0", "0", "VARCHAR2",
     NULL, NULL, "12", NULL, NULL, NULL},
    {"NUMBER", "3", "38", NULL, NULL, NULL, "1", "0", "2", "0", "0", "0", NULL, "0", "38", "3",
     NULL, "10", NULL},
    {"clob", "-1", "2147483647", "'", "'", NULL, "1", "1", "3", NULL, "0", "0", NULL, NULL, NULL,
     "-1", NULL, "10", NULL},
};

static const FakeColumn pkCols[] = {T("TABLE_CAT"),   T("TABLE_SCHEM"), T("TABLE_NAME"),
                                    T("COLUMN_NAME"), S("KEY_SEQ"),     T("PK_NAME")};
static const char* const pkRows[][6] = {
    {NULL, "SALES", "ORDERS", "ID", "1", "PK_ORDERS"},
};

static const FakeColumn fkCols[] = {T("PKTABLE_CAT"),   T("PKTABLE_SCHEM"), T("PKTABLE_NAME"),
                                    T("PKCOLUMN_NAME"), T("FKTABLE_CAT"),   T("FKTABLE_SCHEM"),
                                    T("FKTABLE_NAME"),  T("FKCOLUMN_NAME"), S("KEY_SEQ"),
                                    S("UPDATE_RULE"),   S("DELETE_RULE"),   T("FK_NAME"),
                                    T("PK_NAME"),       S("DEFERRABILITY")};
static const char* const fkRows[][14] = {
    {NULL, "SALES", "CUSTOMERS", "ID", NULL, "SALES", "ORDERS", "CUSTOMER_ID", "1", "1", "0",
     "FK_ORDERS_CUSTOMERS", "PK_CUSTOMERS", "7"},
};

static const FakeColumn procCols[] = {
    T("PROCEDURE_CAT"),     T("PROCEDURE_SCHEM"), T("PROCEDURE_NAME"), I("NUM_INPUT_PARAMS"),
    I("NUM_OUTPUT_PARAMS"), I("NUM_RESULT_SETS"), T("REMARKS"),        S("PROCEDURE_TYPE")};
static const char* const procRows[][8] = {
    {NULL, "SALES", "ADD_ORDER", "-1", "-1", "-1", "adds an order", "1"},
    {NULL, "SALES", "GET_TOTAL", "-1", "-1", "-1", NULL, "2"},
};

static const FakeColumn procColCols[] = {
    T("PROCEDURE_CAT"),     T("PROCEDURE_SCHEM"),  T("PROCEDURE_NAME"), T("COLUMN_NAME"),
    S("COLUMN_TYPE"),       S("DATA_TYPE"),        T("TYPE_NAME"),      I("COLUMN_SIZE"),
    I("BUFFER_LENGTH"),     S("DECIMAL_DIGITS"),   S("NUM_PREC_RADIX"), S("NULLABLE"),
    T("REMARKS"),           T("COLUMN_DEF"),       S("SQL_DATA_TYPE"),  S("SQL_DATETIME_SUB"),
    I("CHAR_OCTET_LENGTH"), I("ORDINAL_POSITION"), T("IS_NULLABLE")};
static const char* const procColRows[][19] = {
    {NULL, "SALES", "ADD_ORDER", "P_ID", "1", "4", "INTEGER", "10", "4", "0", "10", "0", "the id",
     NULL, "4", NULL, NULL, "1", "NO"},
    {NULL, "SALES", "ADD_ORDER", "P_NOTE", "1", "12", "VARCHAR2", NULL, NULL, NULL, NULL, NULL,
     NULL, NULL, "12", NULL, NULL, "2", ""},
};
/* A function with a return value, an output and an input/output parameter. */
static const char* const procColRowsGetTotal[][19] = {
    {NULL, "SALES", "GET_TOTAL", "RETURN_VALUE", "5", "4", "INTEGER", "10", "4", "0", "10", "1",
     NULL, NULL, "4", NULL, NULL, "0", "YES"},
    {NULL, "SALES", "GET_TOTAL", "P_ID", "1", "4", "INTEGER", "10", "4", "0", "10", "0", NULL, NULL,
     "4", NULL, NULL, "1", "NO"},
    {NULL, "SALES", "GET_TOTAL", "P_NOTE", "1", "12", "VARCHAR2", "20", "20", NULL, NULL, "1", NULL,
     NULL, "12", NULL, NULL, "2", "YES"},
    {NULL, "SALES", "GET_TOTAL", "P_OUT", "4", "12", "VARCHAR2", "20", "20", NULL, NULL, "1", NULL,
     NULL, "12", NULL, NULL, "3", "YES"},
    {NULL, "SALES", "GET_TOTAL", "P_IO", "2", "4", "INTEGER", "10", "4", "0", "10", "1", NULL, NULL,
     "4", NULL, NULL, "4", "YES"},
};

static const FakeColumn statCols[] = {T("TABLE_CAT"),
                                      T("TABLE_SCHEM"),
                                      T("TABLE_NAME"),
                                      S("NON_UNIQUE"),
                                      T("INDEX_QUALIFIER"),
                                      T("INDEX_NAME"),
                                      S("TYPE"),
                                      S("ORDINAL_POSITION"),
                                      T("COLUMN_NAME"),
                                      {"ASC_OR_DESC", SQL_CHAR, 1},
                                      I("CARDINALITY"),
                                      I("PAGES"),
                                      T("FILTER_CONDITION")};
static const char* const statRows[][13] = {
    {NULL, "SALES", "ORDERS", NULL, NULL, NULL, "0", NULL, NULL, NULL, "42", "3", NULL},
    {NULL, "SALES", "ORDERS", "0", "SALES", "PK_ORDERS", "3", "1", "ID", "A", "42", "1", NULL},
};

#define ROWS(stmt, cols, rows)                                                                     \
    do                                                                                             \
    {                                                                                              \
        fake_set_columns(stmt, cols, (int)(sizeof cols / sizeof cols[0]));                         \
        for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r)                                  \
            fake_add_row(stmt, rows[r]);                                                           \
    } while (0)

static int type_listed(const char* list, const char* type)
{
    if (!list)
        return 1;
    const char* p = list;
    size_t n = strlen(type);
    while (*p)
    {
        while (*p == ' ' || *p == '\'')
            ++p;
        const char* end = p;
        while (*end && *end != ',')
            ++end;
        const char* last = end;
        while (last > p && (last[-1] == '\'' || last[-1] == ' '))
            --last;
        if ((size_t)(last - p) == n && strncmp(p, type, n) == 0)
            return 1;
        p = *end ? end + 1 : end;
    }
    return 0;
}

void fake_catalog_result(FakeStmt* stmt, const char* function, const char* const* args,
                         int argCount)
{
    char line[2048];
    size_t len = (size_t)snprintf(line, sizeof line, "%s(", function);
    for (int i = 0; i < argCount && len < sizeof line; ++i)
        len += (size_t)snprintf(line + len, sizeof line - len, "%s%s", i ? "|" : "",
                                args[i] ? args[i] : "<null>");
    if (len < sizeof line)
        snprintf(line + len, sizeof line - len, ")");
    fake_log(stmt->conn, line);

    fake_reset_result(stmt);
    if (strcmp(function, "SQLTables") == 0)
    {
        fake_set_columns(stmt, tableCols, 5);
        for (size_t r = 0; r < sizeof tableRows / sizeof tableRows[0]; ++r)
            if (type_listed(args[3], tableRows[r][3]))
                fake_add_row(stmt, tableRows[r]);
    }
    else if (strcmp(function, "SQLColumns") == 0)
    {
        ROWS(stmt, columnCols, columnRows);
        if (atoi(stmt->conn->odbcVer) < 3)
            stmt->numCols = 12;
    }
    else if (strcmp(function, "SQLGetTypeInfo") == 0)
        ROWS(stmt, typeCols, typeRows);
    else if (strcmp(function, "SQLPrimaryKeys") == 0)
        ROWS(stmt, pkCols, pkRows);
    else if (strcmp(function, "SQLForeignKeys") == 0)
        ROWS(stmt, fkCols, fkRows);
    else if (strcmp(function, "SQLProcedures") == 0)
        ROWS(stmt, procCols, procRows);
    else if (strcmp(function, "SQLProcedureColumns") == 0 && argCount > 2 && args[2] &&
             (strcmp(args[2], "GET_TOTAL") == 0 || strcmp(args[2], "GET\\_TOTAL") == 0))
        ROWS(stmt, procColCols, procColRowsGetTotal);
    else if (strcmp(function, "SQLProcedureColumns") == 0)
        ROWS(stmt, procColCols, procColRows);
    else if (strcmp(function, "SQLStatistics") == 0)
        ROWS(stmt, statCols, statRows);
    stmt->rowCount = -1;
}
