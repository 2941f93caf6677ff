#include "controls/column_fit.h"

#include "controls/header_fit.h"

#include <algorithm>
#include <commctrl.h>
#include <numeric>

namespace {

std::vector<int> CappedWidths(const std::vector<int>& wanted, const std::vector<int>& least,
                              int nCap)
{
    std::vector<int> widths(wanted.size());
    for (size_t i = 0; i < wanted.size(); ++i)
        widths[i] = std::max(least[i], std::min(wanted[i], nCap));
    return widths;
}

int Sum(const std::vector<int>& widths)
{
    return std::accumulate(widths.begin(), widths.end(), 0);
}

} // namespace

std::vector<int> ShareColumnWidths(const std::vector<int>& wantedIn, const std::vector<int>& least,
                                   int nAvailable)
{
    if (wantedIn.empty() || least.size() != wantedIn.size())
        return wantedIn;
    std::vector<int> wanted(wantedIn.size());
    for (size_t i = 0; i < wanted.size(); ++i)
        wanted[i] = std::max(wantedIn[i], least[i]);
    const int nTotal = Sum(wanted);
    if (nTotal <= nAvailable)
    {
        wanted.back() += nAvailable - nTotal;
        return wanted;
    }
    if (Sum(least) >= nAvailable)
        return least;
    // The highest common cap whose widths still fit: the sum grows with the cap.
    int low = 0, high = *std::max_element(wanted.begin(), wanted.end());
    while (low < high)
    {
        const int mid = low + (high - low + 1) / 2;
        if (Sum(CappedWidths(wanted, least, mid)) <= nAvailable)
            low = mid;
        else
            high = mid - 1;
    }
    std::vector<int> widths = CappedWidths(wanted, least, low);
    // The pixels a common cap cannot share go one each to the columns it cut.
    int nLeft = nAvailable - Sum(widths);
    for (size_t i = 0; i < widths.size() && nLeft > 0; ++i)
        if (widths[i] < wanted[i])
        {
            ++widths[i];
            --nLeft;
        }
    return widths;
}

void FitColumnsToList(HWND hList, unsigned nSortableColumns)
{
    HWND hHeader = (HWND)::SendMessageW(hList, LVM_GETHEADER, 0, 0);
    const int nColumns = hHeader ? (int)::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0) : 0;
    if (nColumns <= 0)
        return;
    // The list view measures its own texts (with its label padding and the first column's
    // icon), so its content width is taken from an automatic sizing of each column.
    std::vector<int> wanted(nColumns), least(nColumns);
    for (int i = 0; i < nColumns; ++i)
    {
        ::SendMessageW(hList, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(LVSCW_AUTOSIZE, 0));
        wanted[i] = (int)::SendMessageW(hList, LVM_GETCOLUMNWIDTH, i, 0);
        least[i] = HeaderTitleWidth(hList, i, i < 32 && (nSortableColumns & (1u << i)));
    }
    RECT rc = {};
    ::GetClientRect(hList, &rc);
    int nAvailable = rc.right - rc.left;
    // The client area loses the vertical scroll bar's width once the rows need it; while the
    // list is not yet drawn that bar may still be missing.
    const LONG nStyle = ::GetWindowLongW(hList, GWL_STYLE);
    const int nRows = (int)::SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0);
    const int nPerPage = (int)::SendMessageW(hList, LVM_GETCOUNTPERPAGE, 0, 0);
    if (!(nStyle & WS_VSCROLL) && nRows > nPerPage)
        nAvailable -= ::GetSystemMetrics(SM_CXVSCROLL);
    const std::vector<int> widths = ShareColumnWidths(wanted, least, nAvailable);
    for (int i = 0; i < nColumns; ++i)
        ::SendMessageW(hList, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(widths[i], 0));
}
