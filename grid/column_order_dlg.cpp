// The column order dialog (see column_order_dlg.h) and the grid member that runs it.
#include "grid/column_order_dlg.h"
#include "grid/grid.h"

#include <cstring>
#include <vector>

BEGIN_MESSAGE_MAP(COrderDlg, CDialog)
    ON_WM_DRAWITEM()
END_MESSAGE_MAP()

COrderDlg::COrderDlg() {}

COrderDlg::~COrderDlg() {}

BOOL COrderDlg::Init(LPCDLGTEMPLATE pTemplate, CRGrid* pGrid)
{
    m_pGrid = pGrid;
    return InitModalIndirect(pTemplate, pGrid);
}

BOOL COrderDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_pGrid == nullptr || m_pGrid->m_hWnd == nullptr)
    {
        EndDialog(0);
        return FALSE;
    }
    RECT client{};
    GetClientRect(&client);
    const int w = client.right, h = client.bottom;
    SetWindowText(m_strTitle);
    m_up.Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(w - 31, 10, w - 10, 30), this,
                idUp);
    m_down.Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(w - 31, 35, w - 10, 55), this,
                  idDown);
    m_list.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY,
                  CRect(10, 10, w - 41, h - 10), this, idList);
    m_list.ModifyStyleEx(0, WS_EX_CLIENTEDGE, SWP_FRAMECHANGED);
    HWND hHeader = reinterpret_cast<HWND>(m_pGrid->SendMessage(LVM_GETHEADER));
    if (hHeader != nullptr)
        m_list.SendMessage(WM_SETFONT, ::SendMessageW(hHeader, WM_GETFONT, 0, 0), FALSE);
    m_list.SetFocus();

    const int count = m_pGrid->GetColumnCount();
    std::vector<int> order(count > 0 ? count : 1);
    if (count > 0 && !m_pGrid->SendMessage(LVM_GETCOLUMNORDERARRAY, count,
                                           reinterpret_cast<LPARAM>(order.data())))
    {
        EndDialog(0);
        return FALSE;
    }
    for (int position = 0; position < count; ++position)
    {
        wchar_t caption[257] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = caption;
        column.cchTextMax = 257;
        if (!m_pGrid->SendMessage(LVM_GETCOLUMNW, order[position],
                                  reinterpret_cast<LPARAM>(&column)))
        {
            EndDialog(0);
            return FALSE;
        }
        m_list.AddString(caption);
    }
    m_list.SetCurSel(0);
    return TRUE;
}

bool COrderDlg::MoveSelected(int nDirection)
{
    if (m_pGrid == nullptr)
        return false;
    const int s = m_list.GetCurSel();
    const int count = m_pGrid->GetColumnCount();
    const int target = s + nDirection;
    if (s < 0 || s >= count || target < 0 || target >= count)
        return false;
    if (!m_pGrid->MoveColumn(s, target))
        return false;
    CString text;
    m_list.GetText(s, text);
    m_list.DeleteString(s);
    m_list.InsertString(target, text);
    m_list.SetFocus();
    m_list.SetCurSel(target);
    return true;
}

BOOL COrderDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    if ((id == idUp || id == idDown) && HIWORD(wParam) == BN_CLICKED)
    {
        MoveSelected(id == idUp ? -1 : 1);
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void COrderDlg::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct != nullptr && lpDrawItemStruct->CtlType == ODT_BUTTON &&
        (lpDrawItemStruct->CtlID == idUp || lpDrawItemStruct->CtlID == idDown))
    {
        DrawArrowButton(lpDrawItemStruct->hDC, lpDrawItemStruct->rcItem,
                        lpDrawItemStruct->itemState, lpDrawItemStruct->CtlID);
        return;
    }
    CDialog::OnDrawItem(nIDCtl, lpDrawItemStruct);
}

void COrderDlg::DrawArrowButton(HDC hDC, const RECT& rect, UINT nState, UINT nID)
{
    const bool pressed = (nState & 1) != 0;
    ::FillRect(hDC, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
    const COLORREF light = ::GetSysColor(pressed ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
    const COLORREF dark = ::GetSysColor(pressed ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
    HPEN lightPen = ::CreatePen(PS_SOLID, 1, light);
    HPEN darkPen = ::CreatePen(PS_SOLID, 1, dark);
    HGDIOBJ oldPen = ::SelectObject(hDC, lightPen);
    ::MoveToEx(hDC, rect.left, rect.bottom - 1, nullptr);
    ::LineTo(hDC, rect.left, rect.top);
    ::LineTo(hDC, rect.right - 1, rect.top);
    ::SelectObject(hDC, darkPen);
    ::LineTo(hDC, rect.right - 1, rect.bottom - 1);
    ::LineTo(hDC, rect.left, rect.bottom - 1);

    const int shift = pressed ? 1 : 0;
    const int height = rect.bottom - rect.top;
    const int y1 = rect.top + height / 3 + shift, y2 = rect.top + 2 * height / 3 + shift;
    const int left = rect.left + 3 + shift, right = rect.right - 4 + shift;
    const int middle = (rect.left + rect.right) / 2 + shift;
    POINT points[3];
    if (nID == idUp)
    {
        points[0] = {left, y2};
        points[1] = {right, y2};
        points[2] = {middle, y1};
    }
    else
    {
        points[0] = {left, y1};
        points[1] = {right, y1};
        points[2] = {middle, y2};
    }
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    HPEN textPen = ::CreatePen(PS_SOLID, 1, text);
    HBRUSH textBrush = ::CreateSolidBrush(text);
    ::SelectObject(hDC, textPen);
    HGDIOBJ oldBrush = ::SelectObject(hDC, textBrush);
    ::Polygon(hDC, points, 3);
    ::SelectObject(hDC, oldBrush);
    ::SelectObject(hDC, oldPen);
    ::DeleteObject(textBrush);
    ::DeleteObject(textPen);
    ::DeleteObject(darkPen);
    ::DeleteObject(lightPen);
}

void BuildOrderDialogTemplate(WORD (&buffer)[12])
{
    memset(buffer, 0, sizeof(buffer));
    DLGTEMPLATE t{};
    t.style = WS_VISIBLE | WS_SYSMENU | DS_3DLOOK;
    t.dwExtendedStyle = 0;
    t.cdit = 0;
    t.x = 0;
    t.y = 0;
    t.cx = 200;
    t.cy = 150;
    // The template is followed by three zero words: no menu, the default class, no title.
    memcpy(buffer, &t, sizeof(t));
}

void CRGrid::ShowOrderDialog(LPCWSTR pszTitle)
{
    alignas(4) WORD buffer[12];
    BuildOrderDialogTemplate(buffer);
    COrderDlg dialog;
    dialog.Init(reinterpret_cast<LPCDLGTEMPLATE>(buffer), this);
    dialog.m_strTitle = pszTitle ? pszTitle : L"";
    dialog.DoModal();
}
