// Quoting of object names and text for SQL statements.
#include "dbaccess/sql_names.h"

#include "dbaccess/catalog.h"

#include <vector>

namespace {

const wchar_t kReservedWords[] =
    L"ABSOLUTE,ACTION,ADA,ADD,ALL,ALLOCATE,ALTER,AND,ANY,ARE,AS,ASC,ASSERTION,AT,"
    L"AUTHORIZATION,AVG,BEGIN,BETWEEN,BIT,BIT_LENGTH,BOTH,BY,CASCADE,CASCADED,CASE,CAST,"
    L"CATALOG,CHAR,CHAR_LENGTH,CHARACTER,CHARACTER_LENGTH,CHECK,CLOSE,COALESCE,COLLATE,"
    L"COLLATION,COLUMN,COMMIT,CONNECT,CONNECTION,CONSTRAINT,CONSTRAINTS,CONTINUE,CONVERT,"
    L"CORRESPONDING,COUNT,CREATE,CROSS,CURRENT,CURRENT_DATE,CURRENT_TIME,CURRENT_TIMESTAMP,"
    L"CURRENT_USER,CURSOR,DATE,DAY,DEALLOCATE,DEC,DECIMAL,DECLARE,DEFAULT,DEFERRABLE,DEFERRED,"
    L"DELETE,DESC,DESCRIBE,DESCRIPTOR,DIAGNOSTICS,DISCONNECT,DISTINCT,DOMAIN,DOUBLE,DROP,ELSE,"
    L"END,END-EXEC,ESCAPE,EXCEPT,EXCEPTION,EXEC,EXECUTE,EXISTS,EXTERNAL,EXTRACT,FALSE,FETCH,"
    L"FIRST,FLOAT,FOR,FOREIGN,FORTRAN,FOUND,FROM,FULL,GET,GLOBAL,GO,GOTO,GRANT,GROUP,HAVING,"
    L"HOUR,IDENTITY,IMMEDIATE,IN,INCLUDE,INDEX,INDICATOR,INITIALLY,INNER,INPUT,INSENSITIVE,"
    L"INSERT,INT,INTEGER,INTERSECT,INTERVAL,INTO,IS,ISOLATION,JOIN,KEY,LANGUAGE,LAST,LEADING,"
    L"LEFT,LEVEL,LIKE,LOCAL,LOWER,MATCH,MAX,MIN,MINUTE,MODULE,MONTH,NAMES,NATIONAL,NATURAL,"
    L"NCHAR,NEXT,NO,NONE,NOT,NULL,NULLIF,NUMERIC,OCTET_LENGTH,OF,ON,ONLY,OPEN,OPTION,OR,ORDER,"
    L"OUTER,OUTPUT,OVERLAPS,PAD,PARTIAL,PASCAL,PLI,POSITION,PRECISION,PREPARE,PRESERVE,"
    L"PRIMARY,PRIOR,PRIVILEGES,PROCEDURE,PUBLIC,READ,REAL,REFERENCES,RELATIVE,RESTRICT,REVOKE,"
    L"RIGHT,ROLLBACK,ROWS,SCHEMA,SCROLL,SECOND,SECTION,SELECT,SESSION,SESSION_USER,SET,SIZE,"
    L"SMALLINT,SOME,SPACE,SQL,SQLCA,SQLCODE,SQLERROR,SQLSTATE,SQLWARNING,SUBSTRING,SUM,"
    L"SYSTEM_USER,TABLE,TEMPORARY,THEN,TIME,TIMESTAMP,TIMEZONE_HOUR,TIMEZONE_MINUTE,TO,"
    L"TRAILING,TRANSACTION,TRANSLATE,TRANSLATION,TRIM,TRUE,UNION,UNIQUE,UNKNOWN,UPDATE,UPPER,"
    L"USAGE,USER,USING,VALUE,VALUES,VARCHAR,VARYING,VIEW,WHEN,WHENEVER,WHERE,WITH,WORK,WRITE,"
    L"YEAR,ZONE,references,column,modify,replace,number,sysdate,date,varchar2,raw,long,text,"
    L"ntext,datetime,datetimeoffset,uniqueidentifier,guid,short,currency,yesno,byte,binary,"
    L"money,nvarchar,tinyint,memo,bigint,if,return,function,type,record,package,trigger,"
    L"instead,after,try,catch,truncate";

// The words PostgreSQL's grammar takes for no table or column name unless quoted (its fully
// reserved words and those that may only name functions and types): "limit", "offset" and
// "window" are common column names that the list above does not hold.
const wchar_t kPostgreSQLReservedWords[] =
    L"ALL,ANALYSE,ANALYZE,AND,ANY,ARRAY,AS,ASC,ASYMMETRIC,AUTHORIZATION,BINARY,BOTH,CASE,CAST,"
    L"CHECK,COLLATE,COLLATION,COLUMN,CONCURRENTLY,CONSTRAINT,CREATE,CROSS,CURRENT_CATALOG,"
    L"CURRENT_DATE,CURRENT_ROLE,CURRENT_SCHEMA,CURRENT_TIME,CURRENT_TIMESTAMP,CURRENT_USER,"
    L"DEFAULT,DEFERRABLE,DESC,DISTINCT,DO,ELSE,END,EXCEPT,FALSE,FETCH,FOR,FOREIGN,FREEZE,FROM,"
    L"FULL,GRANT,GROUP,HAVING,ILIKE,IN,INITIALLY,INNER,INTERSECT,INTO,IS,ISNULL,JOIN,LATERAL,"
    L"LEADING,LEFT,LIKE,LIMIT,LOCALTIME,LOCALTIMESTAMP,NATURAL,NOT,NOTNULL,NULL,OFFSET,ON,ONLY,"
    L"OR,ORDER,OUTER,OVERLAPS,PLACING,PRIMARY,REFERENCES,RETURNING,RIGHT,SELECT,SESSION_USER,"
    L"SIMILAR,SOME,SYMMETRIC,SYSTEM_USER,TABLE,TABLESAMPLE,THEN,TO,TRAILING,TRUE,UNION,UNIQUE,"
    L"USER,USING,VARIADIC,VERBOSE,WHEN,WHERE,WINDOW,WITH";

// Each list split once, on first use; database code runs on one thread at a time.
std::vector<CString> g_reservedWords;
std::vector<CString> g_postgreSQLReservedWords;

wchar_t FoldAscii(wchar_t ch)
{
    return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - L'a' + L'A') : ch;
}

int CompareNoCaseAscii(LPCWSTR a, LPCWSTR b)
{
    for (;; ++a, ++b)
    {
        wchar_t ca = FoldAscii(*a), cb = FoldAscii(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (!ca)
            return 0;
    }
}

bool IsIdentifierText(LPCWSTR pszName)
{
    for (LPCWSTR p = pszName; *p; ++p)
    {
        wchar_t ch = *p;
        if (!(iswalpha(ch) || iswdigit(ch) || ch == L'_'))
            return false;
    }
    return true;
}

// The words of a list joined by ",", split into words on first use.
const std::vector<CString>& SplitOnce(std::vector<CString>& words, LPCWSTR list)
{
    if (!words.empty())
        return words;
    for (LPCWSTR p = list;;)
    {
        LPCWSTR pComma = wcschr(p, L',');
        if (!pComma)
        {
            words.emplace_back(p);
            break;
        }
        words.emplace_back(p, static_cast<int>(pComma - p));
        p = pComma + 1;
    }
    return words;
}

bool IsListedWord(std::vector<CString>& words, LPCWSTR list, LPCWSTR pszName)
{
    for (const CString& word : SplitOnce(words, list))
        if (CompareNoCaseAscii(pszName, word) == 0)
            return true;
    return false;
}

// Doubles every occurrence of ch.
CString DoubleChar(LPCWSTR pszText, wchar_t ch)
{
    CString s;
    for (LPCWSTR p = pszText; *p; ++p)
    {
        s += *p;
        if (*p == ch)
            s += ch;
    }
    return s;
}

} // namespace

LPCWSTR GetSQLReservedWords()
{
    return kReservedWords;
}

bool IsPostgreSQLReservedWord(LPCWSTR pszName)
{
    return IsListedWord(g_postgreSQLReservedWords, kPostgreSQLReservedWords, pszName);
}

bool NeedsSQLQuotes(LPCWSTR pszName, CRDatabase* pDatabase)
{
    return CSQLNameQuoter(pDatabase).NeedsQuotes(pszName);
}

bool CSQLNameQuoter::NeedsQuotes(LPCWSTR pszName)
{
    if (!pszName)
        pszName = L"";
    if (pszName[0] >= L'0' && pszName[0] <= L'9')
        return true;
    if (!IsIdentifierText(pszName))
        return true;
    if (IsListedWord(g_reservedWords, kReservedWords, pszName))
        return true;
    if (!m_pDatabase)
        return false;

    if (!m_bRead)
    {
        CRTypes types(m_pDatabase);
        CRTypes::CTypeInfo info;
        while (types.Fetch(&info))
            m_typeNames.emplace_back(info.szTypeName);
        m_bCaseKnown = m_pDatabase->GetInfoWord(SQL_IDENTIFIER_CASE, m_nCase);
        m_bRead = true;
    }
    for (const CString& type : m_typeNames)
        if (CompareNoCaseAscii(pszName, type) == 0)
            return true;

    if (!m_bCaseKnown)
        return false;
    for (LPCWSTR p = pszName; *p; ++p)
    {
        if (m_nCase == SQL_IC_UPPER && iswlower(*p))
            return true;
        if (m_nCase == SQL_IC_LOWER && iswupper(*p))
            return true;
    }
    return false;
}

CString CSQLNameQuoter::QuoteIfNeeded(LPCWSTR pszName)
{
    if (NeedsQuotes(pszName))
        return QuoteSQLName(pszName, m_pDatabase);
    return CString(pszName ? pszName : L"");
}

CString QuoteSQLName(LPCWSTR pszName, CRDatabase* pDatabase)
{
    if (!pszName)
        pszName = L"";
    UINT nKind = pDatabase ? pDatabase->GetDBMSKind() : DBMS_OTHER;
    if (nKind == DBMS_MYSQL)
        return L"`" + DoubleChar(pszName, L'`') + L"`";
    // A product we do not know quotes as its driver says: a server that reads "..." as a string
    // (MySQL-like servers in their default mode) would otherwise compare with a constant.
    CString strQuote;
    if (nKind == DBMS_OTHER && pDatabase && pDatabase->IsOpen() &&
        pDatabase->GetInfoString(SQL_IDENTIFIER_QUOTE_CHAR, strQuote) &&
        strQuote.GetLength() == 1 && strQuote[0] != L'"' && strQuote[0] != L' ')
    {
        const wchar_t ch = strQuote[0];
        return strQuote + DoubleChar(pszName, ch) + strQuote;
    }
    // Brackets only where the product takes them; elsewhere a double quote is doubled.
    bool bBrackets = nKind == DBMS_ACCESS || nKind == DBMS_SQLSERVER || nKind == DBMS_MSSQL;
    if (bBrackets && wcschr(pszName, L'"'))
        return L"[" + DoubleChar(pszName, L']') + L"]";
    return L"\"" + DoubleChar(pszName, L'"') + L"\"";
}

CString QuoteSQLNameIfNeeded(LPCWSTR pszName, CRDatabase* pDatabase)
{
    if (NeedsSQLQuotes(pszName, pDatabase))
        return QuoteSQLName(pszName, pDatabase);
    return CString(pszName ? pszName : L"");
}

CString FormatObjectName(const CStringPair& name, CRDatabase* pDatabase, bool bWithSchema)
{
    return CSQLNameQuoter(pDatabase).FormatObjectName(name, bWithSchema);
}

namespace {

// PostgreSQL, MySQL-like servers and SQLite report an object's name without qualifiers: a dot in
// it is part of the name ("main.t" on SQLite is a table of its own, not the table t).
bool HasPlainObjectNames(CRDatabase* pDatabase)
{
    if (pDatabase == nullptr)
        return false;
    const UINT nKind = pDatabase->GetDBMSKind();
    if (nKind == DBMS_POSTGRESQL || nKind == DBMS_MYSQL)
        return true;
    CString strName;
    return nKind == DBMS_OTHER && pDatabase->IsOpen() && pDatabase->GetDBMSName(strName) &&
           strName == L"SQLite";
}

} // namespace

CString CSQLNameQuoter::FormatObjectName(const CStringPair& name, bool bWithSchema)
{
    CString strResult;
    CString strRest = name.m_strSecond;
    if (m_nPlainNames < 0)
        m_nPlainNames = HasPlainObjectNames(m_pDatabase) ? 1 : 0;
    const bool bWhole = m_nPlainNames == 1;
    for (;;)
    {
        CString strPart;
        const int nDot = bWhole ? -1 : strRest.Find(L'.');
        bool bLast = nDot < 0;
        if (bLast)
            strPart = strRest;
        else
        {
            strPart = strRest.Left(nDot);
            strRest = strRest.Mid(nDot + 1);
        }
        if (!strResult.IsEmpty())
            strResult += L".";
        strResult += QuoteIfNeeded(strPart);
        if (bLast)
            break;
    }
    if (bWithSchema && !name.m_strFirst.IsEmpty())
    {
        CString strSchema = QuoteIfNeeded(name.m_strFirst);
        strResult = strResult.IsEmpty() ? strSchema : strSchema + L"." + strResult;
    }
    return strResult;
}

CString MakeQuotedTwoPartName(LPCWSTR pszFirst, LPCWSTR pszSecond, CRDatabase* pDatabase)
{
    CString strResult;
    if (pszFirst && *pszFirst)
        strResult = QuoteSQLNameIfNeeded(pszFirst, pDatabase) + L".";
    strResult += QuoteSQLNameIfNeeded(pszSecond, pDatabase);
    return strResult;
}

CString MakeObjectName(const CStringPair& name, bool bWithSchema)
{
    if (bWithSchema && !name.m_strFirst.IsEmpty())
        return name.m_strFirst + L"." + name.m_strSecond;
    return name.m_strSecond;
}

CString MakeObjectNameLiteral(const CStringPair& name, bool bWithSchema)
{
    return QuoteSQLString(MakeObjectName(name, bWithSchema));
}

CString ObjectNameToStringLiteral(const CStringPair& qualifiers, LPCWSTR pszName)
{
    CString strText;
    if (!qualifiers.m_strFirst.IsEmpty())
        strText += qualifiers.m_strFirst + L".";
    if (!qualifiers.m_strSecond.IsEmpty())
        strText += qualifiers.m_strSecond + L".";
    strText += pszName ? pszName : L"";
    return QuoteSQLString(strText);
}

CString QuoteSQLString(LPCWSTR pszText)
{
    return L"'" + DoubleChar(pszText ? pszText : L"", L'\'') + L"'";
}

bool LessByNamePair(const CStringPair& a, const CStringPair& b)
{
    int n = CompareNoCaseAscii(a.m_strFirst, b.m_strFirst);
    if (n != 0)
        return n < 0;
    return CompareNoCaseAscii(a.m_strSecond, b.m_strSecond) < 0;
}
