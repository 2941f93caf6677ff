// Loading rows from the cursor: one screen at first (or all of them), more as the user reaches
// the end of the list, and the text supply of the callback items.
#include "grid/grid.h"

#include "grid/busy_connection.h"
#include "dbaccess/db_exception.h"

#include <algorithm>

namespace {

// Hides the list for a bulk load and shows it again, also when the load ends by an exception.
struct HiddenWindow
{
    HWND hWnd;
    explicit HiddenWindow(HWND h) : hWnd(h) { ::ShowWindow(hWnd, SW_HIDE); }
    ~HiddenWindow()
    {
        if (::IsWindow(hWnd))
            ::ShowWindow(hWnd, SW_SHOW);
    }
};

struct LockedUpdate
{
    HWND hWnd;
    // Redrawing is switched off as well: a locked window is still repainted after every item
    // on some systems, which makes long reads crawl.
    explicit LockedUpdate(HWND h) : hWnd(h)
    {
        ::LockWindowUpdate(hWnd);
        ::SendMessageW(hWnd, WM_SETREDRAW, FALSE, 0);
    }
    ~LockedUpdate()
    {
        if (::IsWindow(hWnd))
            ::SendMessageW(hWnd, WM_SETREDRAW, TRUE, 0);
        ::LockWindowUpdate(nullptr);
        if (::IsWindow(hWnd))
            ::InvalidateRect(hWnd, nullptr, TRUE);
    }
};

} // namespace

bool CRGrid::PumpWait(IWait* pWait)
{
    bool cancelled = false;
    // Looking at the message queue costs round trips to the Wine server: each message taken and
    // the empty queue at the end, a few hundred microseconds apiece on a busy machine, the price
    // of a hundred rows or more. So it is done for the first row and then by the clock alone,
    // once kPumpPeriod has passed; never by a count of rows, which would mean thousands of pumps
    // in a long read for nothing a user sees. The period answers Cancel at once and lets the wait
    // dialog's marquee (a 25 ms timer) and the paints come about as often as they are asked for.
    if (pWait != nullptr)
    {
        const ULONGLONG now = PumpClock();
        if (m_nRowsSincePump == 0 || now - m_nLastPumpTick >= kPumpPeriod)
        {
            m_nRowsSincePump = 0;
            m_nLastPumpTick = now;
            ++m_nReadDepth;
            pWait->ShowRowsRead(GetItemCountWithPending());
            cancelled = pWait->PumpMessages();
            --m_nReadDepth;
            if (m_hWnd == nullptr || !::IsWindow(m_hWnd))
                return true;
        }
    }
    ++m_nRowsSincePump;
    return cancelled || m_bAbortRead || m_hWnd == nullptr;
}

bool CRGrid::LoadRows(int nWantedRow)
{
    if (m_hWnd == nullptr || m_nReadDepth > 0)
        return false;
    IWait* pWait = nullptr;
    bool result;
    Zelt::CRDBException* pError = nullptr;
    {
        HiddenWindow hidden(m_hWnd);
        if (HasOption(kGridFetchAll))
            CreateWait(pWait);
        else
            pWait = new CWait;
        result = ReadRows(nWantedRow, pWait, &pError);
        if (!result && ::IsWindow(m_hWnd))
        {
            ClearCache();
            DeleteAllItems();
        }
    }
    // The wait dialog goes before the error is told: it disables the main window and holds
    // back the messages the error's box needs.
    delete pWait;
    if (pError != nullptr)
    {
        NotifyDatabaseError(pError);
        pError->Delete();
    }
    return result;
}

bool CRGrid::ReadRows(int nWantedRow, IWait* pWait, Zelt::CRDBException** ppError)
{
    ResetEditState();
    ClearCache();
    DeleteAllItems();
    if (m_pCursor == nullptr)
        return false;
    m_bAbortRead = false;
    m_nRowsSincePump = 0;
    m_bFitShownCells = false;
    Zelt::ICursor* const pCursor = m_pCursor;
    try
    {
        if (HasOption(kGridFitColumns))
            ComputeInitialWidths();
        if (pCursor->GetRecordCount() <= 0)
        {
            ApplyColumnWidths();
            return true;
        }
        pCursor->MoveFirst();
        // The first item stands in the list at once: it gives the row height.
        if (!pCursor->IsEOF())
            AddRowItem(false, pWait);
        {
            RowBatch batch(*this);

            if (HasOption(kGridFetchAll))
                ReadRemainingRows(pCursor, pWait);
            else if (!pCursor->IsEOF())
            {
                int n = 0;
                RECT r = {LVIR_BOUNDS};
                const int screen = ::GetSystemMetrics(SM_CYSCREEN);
                if (screen > 0 && SendMessage(LVM_GETITEMRECT, 0, (LPARAM)&r) && r.bottom > r.top)
                    n = screen / (r.bottom - r.top) + 1;
                if (nWantedRow >= 0)
                    n = std::max(n, nWantedRow);
                for (int i = 0; i < n; ++i)
                {
                    if (pCursor->IsEOF() || PumpWait(pWait) || m_pCursor != pCursor)
                        break;
                    FetchNextRow(false, pWait);
                    if (pWait)
                        pWait->Step();
                }
            }
        }
        // Cleared (or given another cursor) while messages ran: that state stands.
        if (m_bAbortRead || m_pCursor != pCursor || !::IsWindow(m_hWnd))
            return false;
        NotifyCountChanged();
        if (nWantedRow >= 0)
        {
            SelectRow(nWantedRow, pWait);
            EnsureVisible(nWantedRow, FALSE);
        }
        SetOptions(m_nOptions);
        ApplyColumnWidths();
        Invalidate();
        return true;
    }
    catch (Zelt::CRDBException* e)
    {
        if (ppError != nullptr)
        {
            *ppError = e;
            return false;
        }
        NotifyDatabaseError(e);
        e->Delete();
        return false;
    }
}

void CRGrid::ReadRemainingRows(Zelt::ICursor* pCursor, IWait* pWait)
{
    SampledFit sampled(*this);
    while (!pCursor->IsEOF())
    {
        if (PumpWait(pWait) || m_pCursor != pCursor)
            break;
        // A row still to come from a statement running beside the window (a MariaDB window's
        // rest): the wait dialog answers meanwhile, its Cancel among it.
        // (Asked first without a deadline: the clock is a call into the system, the price of a
        // row's values.)
        if (pWait != nullptr && !pCursor->IsNextRowReady() &&
            !pCursor->WaitNextRowReady(GetTickMs() + static_cast<LONGLONG>(kPumpPeriod)))
        {
            m_nRowsSincePump = 0;
            continue;
        }
        FetchNextRow(false, pWait);
        if (pWait)
            pWait->Step();
    }
}

bool CRGrid::IsFullyLoaded()
{
    if (m_pCursor == nullptr || m_hWnd == nullptr)
        return false;
    Zelt::ICursor::CStatus status;
    m_pCursor->GetStatus(status);
    int items = GetItemCount();
    if (m_bInserting)
        --items; // the new row is not a cursor row
    return status.bCountFinal && items == m_pCursor->GetRecordCount();
}

void CRGrid::FetchNextRow(bool bNotify, IWait* pWait)
{
    if (m_pCursor == nullptr || m_pCursor->IsEOF())
        return;
    if (m_pCursor->MoveNext() && !m_pCursor->IsEOF())
    {
        AddRowItem(bNotify, pWait);
        return;
    }
    if (bNotify)
        NotifyCountChanged();
}

void CRGrid::AddRowItem(bool bNotify, IWait* pWait)
{
    if (m_pCursor == nullptr || m_pCursor->IsEOF())
        return;
    AppendItems(1);
    if (HasOption(kGridFitColumns))
    {
        // Turning every cell of a million rows into text only to measure it was most of the
        // time of reading them all: a long read measures a sample, and the rows it passes over
        // fit their columns when they are shown. (The row's index is asked of the list only
        // for a measured row: a message to the list per row is a few per cent of a long read.)
        if (m_nSampledRead < 0 || IsSampledRow(m_nSampledRead))
            FitWidthsToRow(GetItemCountWithPending() - 1, pWait);
        else
            m_bFitShownCells = true;
        if (m_nSampledRead >= 0)
            ++m_nSampledRead;
    }
    if (bNotify)
    {
        if (m_nBatchDepth > 0)
            m_bCountNotifyPending = true;
        else
            NotifyCountChanged();
    }
}

void CRGrid::AppendItems(int nCount)
{
    if (m_hWnd == nullptr)
        return;
    if (m_nBatchDepth > 0)
    {
        m_nPendingItems += nCount;
        return;
    }
    const int count = GetItemCount() + m_nPendingItems + nCount;
    m_nPendingItems = 0;
    if (count != GetItemCount())
        SetItemCountEx(count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

int CRGrid::GetItemCountWithPending() const
{
    return (m_hWnd != nullptr ? GetItemCount() : 0) + m_nPendingItems;
}

CRGrid::RowBatch::~RowBatch()
{
    if (--m_grid.m_nBatchDepth > 0)
        return;
    std::vector<int> grown;
    grown.swap(m_grid.m_batchGrownColumns);
    if (m_grid.m_hWnd != nullptr && ::IsWindow(m_grid.m_hWnd))
        for (int c : grown)
        {
            CGridColumn* pColumn = m_grid.GetColumnObject(c);
            if (pColumn != nullptr && pColumn->m_bVisible &&
                m_grid.GetColumnWidth(c) != (int)pColumn->m_nFittedWidth)
                m_grid.SetColumnWidth(c, (int)pColumn->m_nFittedWidth);
        }
    m_grid.AppendItems(0);
    if (m_grid.m_bCountNotifyPending)
    {
        m_grid.m_bCountNotifyPending = false;
        if (m_grid.m_hWnd != nullptr && ::IsWindow(m_grid.m_hWnd))
            m_grid.NotifyCountChanged();
    }
}

bool CRGrid::RemoveItem(int nRow)
{
    if (m_hWnd == nullptr || nRow < 0 || nRow >= GetItemCount())
        return false;
    return DeleteItem(nRow) != FALSE;
}

void CRGrid::ShowCellText(int nRow)
{
    if (m_hWnd != nullptr && nRow >= 0 && nRow < GetItemCount())
        RedrawItems(nRow, nRow);
}

void CRGrid::RefreshFitMetrics()
{
    // The font, the pad and the screen width are asked for again every so many rows only:
    // under Wine the questions cost more than measuring a whole row.
    if (m_nFitMetricsAge <= 0 || m_nFitMetricsAge >= 1024)
    {
        m_hFitFont = (HFONT)SendMessage(WM_GETFONT);
        m_nFitPad = 2 * m_textWidths.Measure(m_hWnd, m_hFitFont, L"M", 1);
        m_nFitScreen = ::GetSystemMetrics(SM_CXSCREEN);
        m_nFitMetricsAge = 0;
    }
    ++m_nFitMetricsAge;
}

void CRGrid::FitWidthToShownText(int nColumn, const CString& strText)
{
    CGridColumn* pColumn = GetColumnObject(nColumn);
    if (pColumn == nullptr || m_hWnd == nullptr)
        return;
    RefreshFitMetrics();
    int w = m_textWidths.Measure(m_hWnd, m_hFitFont, strText, std::min(strText.GetLength(), 260)) +
            m_nFitPad;
    if (m_nFitScreen > 0)
        w = std::min(w, m_nFitScreen);
    if ((int)pColumn->m_nFittedWidth >= w)
        return;
    pColumn->m_nFittedWidth = w;
    // A hidden column keeps width 0; its fitted width comes back when it is shown.
    if (!pColumn->m_bVisible)
        return;
    m_grownColumns.push_back(nColumn);
    if (!m_bWidthsPosted)
        m_bWidthsPosted = PostMessage(WM_GRID_APPLY_WIDTHS) != FALSE;
}

LRESULT CRGrid::OnApplyWidths(WPARAM, LPARAM)
{
    m_bWidthsPosted = false;
    std::vector<int> grown;
    grown.swap(m_grownColumns);
    for (int c : grown)
    {
        CGridColumn* pColumn = GetColumnObject(c);
        if (pColumn != nullptr && pColumn->m_bVisible &&
            GetColumnWidth(c) != (int)pColumn->m_nFittedWidth)
            SetColumnWidth(c, (int)pColumn->m_nFittedWidth);
    }
    return 0;
}

void CRGrid::FitWidthsToRow(int nRow, IWait*)
{
    RefreshFitMetrics();
    const HFONT hFont = m_hFitFont;
    const int pad = m_nFitPad;
    const int screen = m_nFitScreen;
    for (int c = 0; c < (int)m_columns.size(); ++c)
    {
        CGridColumn* pColumn = m_columns[c];
        // A column as wide as the screen grows no further.
        if (pColumn == nullptr || (screen > 0 && (int)pColumn->m_nFittedWidth >= screen))
            continue;
        CGridItem value;
        // The cursor stands on the new row, so this reads without moving it.
        ReadCellDirect(nRow, c, value);
        int w = m_textWidths.Measure(m_hWnd, hFont, value.m_strText,
                                     std::min(value.m_strText.GetLength(), 260)) +
                pad;
        if (screen > 0)
            w = std::min(w, screen);
        if ((int)pColumn->m_nFittedWidth < w)
        {
            pColumn->m_nFittedWidth = w;
            // A hidden column keeps width 0; its fitted width comes back when it is shown.
            if (!pColumn->m_bVisible)
                continue;
            if (m_nBatchDepth == 0)
                SetColumnWidth(c, w);
            else if (std::find(m_batchGrownColumns.begin(), m_batchGrownColumns.end(), c) ==
                     m_batchGrownColumns.end())
                m_batchGrownColumns.push_back(c);
        }
    }
}

void CRGrid::SelectRow(int nRow)
{
    SelectRow(nRow, nullptr);
}

void CRGrid::SelectRow(int nRow, IWait* pWait)
{
    if (nRow < 0 || m_hWnd == nullptr)
        return;
    if (nRow >= GetItemCount() && m_pCursor != nullptr && !HasOption(kGridFetchAll) &&
        m_nReadDepth == 0 && !m_bInserting && !IsFullyLoaded())
    {
        CWait ownWait;
        IWait* wait = pWait ? pWait : &ownWait;
        LockedUpdate lock(m_hWnd);
        try
        {
            m_pCursor->SetAbsolutePosition(GetItemCount());
            bool added = false;
            {
                RowBatch batch(*this);
                SampledFit sampled(*this);
                while (!m_pCursor->IsEOF())
                {
                    FetchNextRow(false, wait);
                    added = true;
                }
            }
            if (added)
                NotifyCountChanged();
        }
        catch (Zelt::CRDBException* e)
        {
            NotifyDatabaseError(e);
            e->Delete();
        }
        nRow = std::min(nRow, GetItemCount() - 1);
        if (nRow < 0)
            return;
    }
    SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnsureVisible(nRow, FALSE);
}

void CRGrid::SelectRowClamped(int nRow)
{
    if (m_hWnd == nullptr)
        return;
    const int count = GetItemCount();
    if (count >= 1 && nRow >= count && (HasOption(kGridFetchAll) || IsFullyLoaded()))
        nRow = count - 1;
    SelectRow(nRow);
}

bool CRGrid::ReadAheadPage()
{
    if (m_nEditedRow >= 0 || m_bEditing || m_pCursor == nullptr || HasOption(kGridFetchAll) ||
        m_nReadDepth > 0 || IsFullyLoaded() || !m_pCursor->IsNextRowReady())
        return false;
    const int selected = GetSelectedItem();
    const int perPage = GetCountPerPage();
    const int count = GetItemCount();
    if (selected < 0 || perPage < 2 || selected + perPage < count)
        return false;
    LockedUpdate lock(m_hWnd);
    CWaitCursor hourglass;
    try
    {
        m_pCursor->SetAbsolutePosition(count);
        {
            RowBatch batch(*this);
            for (int i = count; !m_pCursor->IsEOF() && i <= selected + perPage + 1; ++i)
                FetchNextRow(false, nullptr);
        }
        NotifyCountChanged();
    }
    catch (Zelt::CRDBException* e)
    {
        NotifyDatabaseError(e);
        e->Delete();
    }
    return true;
}

bool CRGrid::ReadAllRows()
{
    if (m_nEditedRow >= 0 || m_bEditing || m_pCursor == nullptr || m_nReadDepth > 0 ||
        IsFullyLoaded())
        return false;
    Zelt::ICursor* const pCursor = m_pCursor;
    IWait* pWait = nullptr;
    m_bAbortRead = false;
    m_nRowsSincePump = 0;
    {
        LockedUpdate lock(m_hWnd);
        Zelt::CRDBException* pError = nullptr;
        try
        {
            CreateWait(pWait);
            pCursor->SetAbsolutePosition(GetItemCount());
            {
                RowBatch batch(*this);
                ReadRemainingRows(pCursor, pWait);
            }
            if (::IsWindow(m_hWnd))
                NotifyCountChanged();
        }
        catch (Zelt::CRDBException* e)
        {
            pError = e;
        }
        // The wait dialog goes before the error is told (see LoadRows).
        delete pWait;
        if (pError != nullptr)
        {
            NotifyDatabaseError(pError);
            pError->Delete();
        }
    }
    if (::IsWindow(m_hWnd))
        SetFocus();
    return true;
}

bool CRGrid::ReadToLastRow()
{
    if (m_nEditedRow >= 0 || m_bEditing || m_pCursor == nullptr || m_nReadDepth > 0)
        return false;
    NotifyOwner(kGridEndWanted);
    return ReadAllRows();
}

bool CRGrid::AppendHeldRows(int nHeld, int nMax)
{
    if (m_hWnd == nullptr || m_nEditedRow >= 0 || m_bEditing || m_bInserting ||
        m_pCursor == nullptr || m_nReadDepth > 0 || IsConnectionBusy())
        return false;
    const int count = GetItemCount();
    const int nEnd = std::min(nHeld, count + nMax);
    if (count <= 0 || count >= nEnd)
        return false;
    try
    {
        // The current row's position is where the shown rows' reading goes on from.
        m_pCursor->SetAbsolutePosition(count);
        {
            RowBatch batch(*this);
            SampledFit sampled(*this, count);
            for (int i = count; i < nEnd && !m_pCursor->IsEOF(); ++i)
                FetchNextRow(false, nullptr);
        }
        NotifyCountChanged();
    }
    catch (Zelt::CRDBException* e)
    {
        NotifyDatabaseError(e);
        e->Delete();
    }
    return GetItemCount() > count;
}

bool CRGrid::ReadCellText(int nRow, int nColumn, CGridItem& item)
{
    if (nRow == m_nEditedRow && m_nEditedRow >= 0)
    {
        CGridColumn* pColumn = GetColumnObject(nColumn);
        if (pColumn != nullptr && ((m_bInserting && pColumn->m_bChanged) || m_bModified))
        {
            item = pColumn->m_value;
            return true;
        }
        item.Clear();
        return false;
    }
    try
    {
        if (m_pCursor != nullptr && m_nReadDepth == 0 && !IsConnectionBusy() && !m_bInserting &&
            !HasOption(kGridFetchAll) && nRow >= GetItemCount() - 1 && !IsFullyLoaded() &&
            m_pCursor->IsNextRowReady())
        {
            const int count = GetItemCount();
            Zelt::ICursor::CStatus status;
            m_pCursor->GetStatus(status);
            if (status.nCurrentRow != count - 1)
                m_pCursor->SetAbsolutePosition(count);
            RowBatch batch(*this);
            for (int i = count - 1; !m_pCursor->IsEOF() && i <= nRow; ++i)
                FetchNextRow(true, nullptr);
        }
        if (!GetCellText(nRow, nColumn, item))
        {
            item.Clear();
            return false;
        }
    }
    catch (CException* e)
    {
        item.Clear();
        if (m_bShowMarkers)
        {
            item.m_strText = GetSpecialValueText(kGridException);
            item.m_nKind = kGridException;
        }
        e->Delete();
    }
    return true;
}

void CRGrid::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    NMLVDISPINFOW* pInfo = (NMLVDISPINFOW*)pNMHDR;
    if (m_pCursor == nullptr || !(pInfo->item.mask & LVIF_TEXT) || pInfo->item.pszText == nullptr ||
        pInfo->item.cchTextMax <= 0)
        return;
    CGridItem value;
    ReadCellText(pInfo->item.iItem, pInfo->item.iSubItem, value);
    if (m_bFitShownCells && HasOption(kGridFitColumns) && pInfo->item.iItem != m_nEditedRow)
        FitWidthToShownText(pInfo->item.iSubItem, value.m_strText);
    const int n = std::min(value.m_strText.GetLength(), pInfo->item.cchTextMax - 1);
    wmemcpy(pInfo->item.pszText, value.m_strText, n);
    pInfo->item.pszText[n] = 0;
}

bool CRGrid::SetCellEditValue(int nRow, int nColumn, const CGridItem& value)
{
    CGridColumn* pColumn = GetColumnObject(nColumn);
    if (pColumn == nullptr)
        return true;
    CGridItem held;
    if (nRow == m_nEditedRow)
        held = pColumn->m_value;
    bool changed;
    if (held.m_nKind != kGridValue)
        changed = held.m_nKind != value.m_nKind;
    else if (value.m_nKind == kGridValue)
        changed = held.m_strText != value.m_strText;
    else
        changed = true;
    if (!changed)
        return true;
    CGridItem stored = value;
    if (stored.m_nKind != kGridValue)
        stored.m_strText = m_bShowMarkers ? GetSpecialValueText(stored.m_nKind) : L"";
    if (m_bInserting || m_bModified)
    {
        ShowCellText(nRow);
        pColumn->m_bChanged = 1;
        pColumn->m_value = stored;
        SelectRowClamped(nRow);
    }
    return true;
}

bool CRGrid::GetPageSize(CSize& size)
{
    size = CSize(0, 0);
    if (m_hWnd == nullptr)
        return false;
    CPoint origin;
    const bool haveOrigin = GetScrollOrigin(origin);
    size.cx = haveOrigin ? origin.x : 0;
    RECT r = {LVIR_BOUNDS};
    if (GetItemCount() > 0 && SendMessage(LVM_GETITEMRECT, 0, (LPARAM)&r))
        size.cy = GetTopIndex() * (r.bottom - r.top);
    return haveOrigin || size.cy != 0;
}

void CRGrid::ComputeInitialWidths()
{
    HWND hHeader = ::GetDlgItem(m_hWnd, 0);
    if (hHeader == nullptr)
        return;
    HDC hDC = ::GetDC(hHeader);
    if (hDC == nullptr)
        return;
    HGDIOBJ oldFont = ::SelectObject(hDC, (HFONT)::SendMessageW(hHeader, WM_GETFONT, 0, 0));
    SIZE m = {};
    ::GetTextExtentPoint32W(hDC, L"M", 1, &m);
    const int pad = m.cx;
    const int screen = ::GetSystemMetrics(SM_CXSCREEN);
    for (int c = 0; c < (int)m_columns.size(); ++c)
    {
        CGridColumn* pColumn = m_columns[c];
        if (pColumn == nullptr)
            continue;
        SIZE text = {};
        ::GetTextExtentPoint32W(hDC, pColumn->m_strName, pColumn->m_strName.GetLength(), &text);
        int w = pad + 2 * ::GetSystemMetrics(SM_CXEDGE) + text.cx;
        if (m_pHeaderImages != nullptr && m_pHeaderImages->m_hImageList != nullptr)
        {
            HDITEMW hd = {};
            hd.mask = HDI_FORMAT | HDI_IMAGE;
            if (::SendMessageW(hHeader, HDM_GETITEMW, c, (LPARAM)&hd) && (hd.fmt & HDF_IMAGE) &&
                hd.iImage >= 0)
            {
                IMAGEINFO info = {};
                if (ImageList_GetImageInfo(m_pHeaderImages->m_hImageList, hd.iImage, &info))
                    w += (info.rcImage.right - info.rcImage.left) + pad;
            }
        }
        if (HasOption(kGridDrawHeader))
            w += 1 + (((::GetSystemMetrics(SM_CXSMICON) / 2) + 1) & ~1);
        if (screen >= 1)
            w = std::min(w, screen);
        pColumn->m_nFittedWidth = w;
    }
    ::SelectObject(hDC, oldFont);
    ::ReleaseDC(hHeader, hDC);
}
