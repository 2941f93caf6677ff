// The sort and filter of a grid window: one CSortInfo per sorted column, one CFilterInfo per
// filter condition, and the condition list that also keeps the WHERE text built from it.
#pragma once

#include "framework/core.h"
#include "grid/grid_item.h"

#include <vector>

// Sort orders of CSortInfo.
enum SortOrder : int
{
    kSortNone = 0,
    kSortAscending = 1,
    kSortDescending = 2,
};

struct CSortInfo
{
    CString m_strColumn;
    int m_nOrder = kSortNone;

    CSortInfo() = default;
    CSortInfo(LPCWSTR pszColumn, int nOrder) : m_strColumn(pszColumn), m_nOrder(nOrder) {}
};
typedef std::vector<CSortInfo> CSortArray;

// Operation codes of a filter condition.
enum FilterOperation : int
{
    kFilterEqual = 0,
    kFilterNotEqual = 1,
    kFilterGreater = 2,
    kFilterGreaterEqual = 3,
    kFilterLess = 4,
    kFilterLessEqual = 5,
    kFilterLike = 6,
    kFilterNotLike = 7,
    kFilterIn = 8,
    kFilterNotIn = 9,
    kFilterOperationCount = 10,
};

// Logic codes: how a condition joins the next one.
enum FilterLogic : int
{
    kFilterAnd = 0,
    kFilterOr = 1,
};

struct CFilterInfo
{
    CString m_strColumn;
    int m_nOperation = kFilterEqual;
    CGridItem m_value; // text and marker kind (1 NULL); the flag byte stays 0
    int m_nLogic = kFilterAnd;
};

// The conditions and the WHERE condition text built from them (CFilterDlg::BuildCondition).
template <class TYPE>
class CRArray : public std::vector<TYPE>
{
public:
    CString m_strCondition;
};
typedef CRArray<CFilterInfo> CFilterArray;

// True when some entry of the sort has an order.
bool HasSortOrder(const CSortArray& sort);
