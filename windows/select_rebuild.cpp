// SELECT rebuild for sorting and filtering.
#include "windows/select_rebuild.h"

#include "dbaccess/sql_names.h"
#include "services/sql_outline.h"

namespace {

bool IsOneOf(const CString& word, std::initializer_list<LPCWSTR> list)
{
    for (LPCWSTR item : list)
    {
        if (word == item)
            return true;
    }
    return false;
}

bool IsSetOperator(const CString& word)
{
    return IsOneOf(word, {L"UNION", L"INTERSECT", L"EXCEPT", L"MINUS"});
}

// Clauses that stand after WHERE and ORDER BY and would be dropped with them or end up before
// the new clauses.
bool IsTrailingClause(const CString& word)
{
    return IsOneOf(word, {L"GROUP", L"HAVING", L"WINDOW", L"QUALIFY", L"LIMIT", L"OFFSET", L"FETCH",
                          L"FOR", L"LOCK", L"INTO", L"PROCEDURE", L"UNION", L"INTERSECT", L"EXCEPT",
                          L"MINUS"});
}

const wchar_t kWhyOpen[] = L"its quotes, comments or parentheses are not closed.";
const wchar_t kWhyMany[] = L"it holds more than one statement.";
const wchar_t kWhyClauses[] =
    L"clauses such as LIMIT, TOP, GROUP BY or UNION would be lost or misplaced.";

} // namespace

bool HasSortOrder(const CSortArray& sort)
{
    for (const CSortInfo& info : sort)
    {
        if (info.m_nOrder == kSortAscending || info.m_nOrder == kSortDescending)
            return true;
    }
    return false;
}

CString BuildOrderByList(const CSortArray& sort, CRDatabase* pQuoteDatabase, LPCWSTR pszQualifier)
{
    const CString strQualifier =
        pszQualifier && *pszQualifier ? CString(pszQualifier) + L"." : CString();
    CString strList;
    for (const CSortInfo& info : sort)
    {
        if (info.m_nOrder != kSortAscending && info.m_nOrder != kSortDescending)
            continue;
        if (!strList.IsEmpty())
            strList += L",";
        strList += L" " + strQualifier + QuoteSQLNameIfNeeded(info.m_strColumn, pQuoteDatabase) +
                   (info.m_nOrder == kSortAscending ? L" ASC" : L" DESC");
    }
    return strList;
}

bool RebuildSelect(LPCWSTR pszCurrent, bool bSort, LPCWSTR pszOrderList, bool bFilter,
                   LPCWSTR pszCondition, bool bBackslashEscapes, CString& strResult,
                   CString& strWhyNot)
{
    const CString strCurrent(pszCurrent ? pszCurrent : L"");
    const CString strOrderList(pszOrderList ? pszOrderList : L"");
    const CString strCondition(pszCondition ? pszCondition : L"");
    strWhyNot.Empty();
    if (!bSort && !bFilter)
    {
        strResult = strCurrent;
        return true;
    }
    const CString strPrefix = L"The query cannot be sorted or filtered here: ";
    CSQLOutline outline(strCurrent, bBackslashEscapes);
    if (!outline.IsComplete())
    {
        strWhyNot = strPrefix + kWhyOpen;
        return false;
    }
    if (outline.CountStatements() > 1)
    {
        strWhyNot = strPrefix + kWhyMany;
        return false;
    }
    // The statement ends before a closing ';'.
    int nBodyEnd = strCurrent.GetLength();
    for (int nSemicolon : outline.GetSemicolons())
    {
        if (nSemicolon >= outline.GetContentEnd() - 1)
        {
            nBodyEnd = nSemicolon;
            break;
        }
    }

    const auto& words = outline.GetWords();
    size_t nWords = 0;
    while (nWords < words.size() && words[nWords].nStart < nBodyEnd)
        ++nWords;

    int nLastSetOp = -1;
    int nWhere = -1;
    int nWhereCount = 0;
    int nOrder = -1;
    bool bTop = false;
    for (size_t i = 0; i < nWords; ++i)
    {
        const CString& word = words[i].strUpper;
        if (IsSetOperator(word))
            nLastSetOp = (int)i;
        else if (word == L"WHERE")
        {
            nWhere = (int)i;
            ++nWhereCount;
        }
        else if (word == L"ORDER" && i + 1 < nWords && words[i + 1].strUpper == L"BY")
            nOrder = (int)i;
        else if (word == L"TOP" && i > 0 &&
                 IsOneOf(words[i - 1].strUpper, {L"SELECT", L"DISTINCT", L"ALL"}))
            bTop = true;
    }
    // A clause that is neither there nor asked for changes nothing: the text need not be cut.
    if (bFilter && nWhereCount == 0 && strCondition.IsEmpty())
        bFilter = false;
    if (bSort && nOrder < 0 && strOrderList.IsEmpty())
        bSort = false;
    if (!bSort && !bFilter)
    {
        strResult = strCurrent;
        return true;
    }
    if ((bFilter && (nLastSetOp >= 0 || nWhereCount > 1)) || (bSort && bTop) ||
        (nOrder >= 0 && nOrder < nLastSetOp))
    {
        strWhyNot = strPrefix + kWhyClauses;
        return false;
    }

    // The cut: the earlier of the clauses that are replaced.
    int nCutWord = -1;
    if (bFilter && nWhere >= 0)
        nCutWord = nWhere;
    if (bSort && nOrder >= 0 && (nCutWord < 0 || nOrder < nCutWord))
        nCutWord = nOrder;
    const size_t nKeptWords = nCutWord >= 0 ? (size_t)nCutWord : nWords;

    // Nothing that must follow the new clauses may stay before them, and nothing but the
    // replaced clauses may be cut away.
    for (size_t i = 0; i < nWords; ++i)
    {
        const CString& word = words[i].strUpper;
        if (i < nKeptWords)
        {
            const bool bAfterNewWhere =
                bFilter && (IsTrailingClause(word) || (word == L"ORDER" && i == (size_t)nOrder));
            const bool bAfterNewOrder =
                bSort && IsOneOf(word, {L"LIMIT", L"OFFSET", L"FETCH", L"FOR", L"LOCK"});
            if (bAfterNewWhere || bAfterNewOrder)
            {
                strWhyNot = strPrefix + kWhyClauses;
                return false;
            }
        }
        else if (IsTrailingClause(word))
        {
            strWhyNot = strPrefix + kWhyClauses;
            return false;
        }
    }

    const int nCut = nCutWord >= 0 ? words[nCutWord].nStart : nBodyEnd;
    strResult = strCurrent.Left(nCut);
    strResult.TrimRight();
    if (bFilter && !strCondition.IsEmpty())
        strResult += L"\nWHERE " + strCondition;
    if (bSort && !strOrderList.IsEmpty())
        strResult += L"\nORDER BY " + strOrderList;
    return true;
}
