// CRGrid: tool tips of cells. Long, multi-line, binary and markup values show in full (wrapped
// or indented); other cells show their text only when it does not fit the column.
#include "grid/grid.h"
#include "grid/cell_text.h"

#include <string>

namespace {

// The last tip texts handed to the tool tip control; the control reads them after we return.
std::wstring& WideTipBuffer()
{
    static std::wstring buffer;
    return buffer;
}

std::string& NarrowTipBuffer()
{
    static std::string buffer;
    return buffer;
}

} // namespace

BOOL CRGrid::OnToolTipText(NMHDR* pNMHDR, LRESULT* pResult)
{
    if (pResult)
        *pResult = 0;
    HWND hTip = reinterpret_cast<HWND>(SendMessage(LVM_GETTOOLTIPS));
    if (hTip != nullptr)
    {
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        ::SendMessageW(hTip, TTM_SETMAXTIPWIDTH, 0, client.right - client.left);
        ::SendMessageW(hTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
    }
    if (!m_bUseCache || m_pCursor == nullptr)
        return FALSE;
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    int row = -1, column = -1;
    if (CellFromPoint(pt, &row, &column) != 1)
        return FALSE;

    CString tip;
    bool haveTip = false;
    CGridColumn* pColumn = GetColumnObject(column);
    if (pColumn != nullptr)
    {
        int sqlType = m_pCursor->GetColumnSQLType(pColumn->m_nCursorColumn);
        if (IsLongValueSQLType(sqlType))
        {
            CGridItem value;
            bool have = false;
            if (row == m_nEditedRow && (m_bInserting || m_bModified))
            {
                value = pColumn->m_value;
                have = true;
            }
            else
            {
                have = CopyFromCache(row, column, value);
            }
            if (have)
                haveTip = MakeLongValueTip(sqlType, value, tip);
        }
    }
    if (!haveTip)
    {
        CString text = GetItemText(row, column);
        int need = GetStringWidth(text) + ::GetSystemMetrics(SM_CXEDGE) * (column == 0 ? 1 : 3) +
                   2 * GetStringWidth(L" ");
        if (GetColumnWidth(column) < need)
            tip = text;
    }

    if (pNMHDR->code == TTN_GETDISPINFOA)
    {
        std::string& buffer = NarrowTipBuffer();
        int n =
            ::WideCharToMultiByte(CP_ACP, 0, tip, tip.GetLength(), nullptr, 0, nullptr, nullptr);
        buffer.assign(n > 0 ? n : 0, '\0');
        if (n > 0)
            ::WideCharToMultiByte(CP_ACP, 0, tip, tip.GetLength(), buffer.data(), n, nullptr,
                                  nullptr);
        reinterpret_cast<NMTTDISPINFOA*>(pNMHDR)->lpszText = buffer.data();
    }
    else
    {
        std::wstring& buffer = WideTipBuffer();
        buffer.assign(static_cast<LPCWSTR>(tip));
        reinterpret_cast<NMTTDISPINFOW*>(pNMHDR)->lpszText = buffer.data();
    }
    return TRUE;
}
