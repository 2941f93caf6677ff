/* Canned answers of the fake driver: result sets for statements that begin with a given text,
 * read from the file named by the connection string key Canned=<file> each time a statement
 * runs (a test may rewrite it between statements). The file is UTF-8, one item per line:
 *
 *   statement <prefix>          an answer for statements beginning with prefix (the longest
 *                               matching prefix wins; the rest of the line is the prefix)
 *   columns <NAME>[:int]...     the columns of a result set, separated by tabs (text columns
 *                               are varchar unless marked :int)
 *   row <value>...              one row, values separated by tabs; \N is NULL, and \t \n \r \\
 *                               stand for tab, line feed, carriage return and backslash
 *   result                      the next result set of the same statement (SQLMoreResults)
 *   error <SQLSTATE> <message>  the statement fails with this diagnostic
 *   # ...                       a comment
 */
#include "fake_driver.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define CANNED_LINE 16384

static void chomp(char* line)
{
    size_t n = strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
        line[--n] = 0;
}

static char* unescape(char* text)
{
    char* out = text;
    for (char* p = text; *p; ++p)
    {
        if (*p == '\\' && p[1])
        {
            ++p;
            *out++ = *p == 't' ? '\t' : *p == 'n' ? '\n' : *p == 'r' ? '\r' : *p;
        }
        else
            *out++ = *p;
    }
    *out = 0;
    return text;
}

/* Splits at tabs in place; returns the number of fields. */
static int split_tabs(char* text, char** fields, int maxFields)
{
    int n = 0;
    char* p = text;
    while (n < maxFields)
    {
        fields[n++] = p;
        char* tab = strchr(p, '\t');
        if (!tab)
            break;
        *tab = 0;
        p = tab + 1;
    }
    return n;
}

/* The longest prefix of the file that sql begins with, copied to out; 0 when none. */
static int find_prefix(FILE* f, const char* sql, char* out, size_t outSize)
{
    char* line = malloc(CANNED_LINE);
    size_t best = 0;
    int found = 0;
    while (fgets(line, CANNED_LINE, f))
    {
        chomp(line);
        if (strncmp(line, "statement ", 10) != 0)
            continue;
        const char* prefix = line + 10;
        size_t n = strlen(prefix);
        if (strncmp(sql, prefix, n) == 0 && (!found || n > best) && n < outSize)
        {
            best = n;
            found = 1;
            memcpy(out, prefix, n + 1);
        }
    }
    free(line);
    return found;
}

/* Loads result set number index of the answer for prefix; 0 when it has no such result. */
static int load_result(FakeStmt* stmt, FILE* f, const char* prefix, int index, SQLRETURN* ret)
{
    char* line = malloc(CANNED_LINE);
    int inAnswer = 0, current = 0, loaded = 0;
    *ret = SQL_SUCCESS;
    rewind(f);
    while (fgets(line, CANNED_LINE, f))
    {
        chomp(line);
        if (strncmp(line, "statement ", 10) == 0)
        {
            if (inAnswer)
                break;
            inAnswer = strcmp(line + 10, prefix) == 0;
            continue;
        }
        if (!inAnswer)
            continue;
        if (strcmp(line, "result") == 0)
        {
            if (current == index)
                break;
            ++current;
            continue;
        }
        if (current != index)
            continue;
        loaded = 1;
        if (strncmp(line, "columns ", 8) == 0)
        {
            char* fields[FAKE_MAX_COLS];
            int n = split_tabs(line + 8, fields, FAKE_MAX_COLS);
            FakeColumn cols[FAKE_MAX_COLS];
            for (int i = 0; i < n; ++i)
            {
                char* mark = strstr(fields[i], ":int");
                if (mark)
                    *mark = 0;
                /* The name lives as long as the result, with its values. */
                char* name = strdup(fields[i]);
                stmt->owned[stmt->numOwned++] = name;
                cols[i].name = name;
                cols[i].sqlType = mark ? SQL_INTEGER : SQL_VARCHAR;
                cols[i].size = mark ? 10 : 4000;
            }
            fake_set_columns(stmt, cols, n);
        }
        else if (strncmp(line, "row ", 4) == 0 || strcmp(line, "row") == 0)
        {
            char* fields[FAKE_MAX_COLS];
            const char* values[FAKE_MAX_COLS] = {0};
            int n = split_tabs(line + (line[3] ? 4 : 3), fields, FAKE_MAX_COLS);
            for (int i = 0; i < n && i < stmt->numCols; ++i)
                values[i] = strcmp(fields[i], "\\N") == 0 ? NULL : unescape(fields[i]);
            fake_add_row(stmt, values);
        }
        else if (strncmp(line, "error ", 6) == 0)
        {
            char state[6] = {0};
            snprintf(state, sizeof state, "%.5s", line + 6);
            const char* message = strlen(line) > 12 ? line + 12 : "[Quenlark][Fake] canned error";
            fake_add_diag(&stmt->diag, state, message);
            *ret = SQL_ERROR;
        }
    }
    free(line);
    if (loaded)
        stmt->rowCount = -1;
    return loaded;
}

int fake_canned_result(FakeStmt* stmt, const char* sql, SQLRETURN* ret)
{
    stmt->cannedNext = 0;
    if (!stmt->conn->canned[0])
        return 0;
    FILE* f = fopen(stmt->conn->canned, "r");
    if (!f)
        return 0;
    int matched = find_prefix(f, sql, stmt->cannedPrefix, sizeof stmt->cannedPrefix);
    if (matched)
    {
        load_result(stmt, f, stmt->cannedPrefix, 0, ret);
        stmt->cannedNext = 1;
    }
    fclose(f);
    return matched;
}

int fake_canned_more(FakeStmt* stmt)
{
    if (stmt->cannedNext <= 0 || !stmt->conn->canned[0])
        return 0;
    FILE* f = fopen(stmt->conn->canned, "r");
    if (!f)
        return 0;
    int next = stmt->cannedNext;
    fake_reset_result(stmt);
    SQLRETURN ret;
    int loaded = load_result(stmt, f, stmt->cannedPrefix, next, &ret) && ret != SQL_ERROR;
    fclose(f);
    stmt->cannedNext = loaded ? next + 1 : 0;
    return loaded;
}
