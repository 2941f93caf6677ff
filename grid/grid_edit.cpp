// CGridEdit: the grid's in-place cell editor (see grid_edit.h).
#include "grid/grid_edit.h"
#include "grid/grid.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CGridEdit, CInPlaceWnd)

BEGIN_MESSAGE_MAP(CGridEdit, CInPlaceWnd)
    ON_WM_CREATE()
    ON_WM_KILLFOCUS()
    ON_BN_CLICKED(CGridEdit::idNullBox, &CGridEdit::OnNullClicked)
    ON_BN_CLICKED(CGridEdit::idButton, &CGridEdit::OnButtonClicked)
END_MESSAGE_MAP()

CGridEdit::CGridEdit(int nRow, int nColumn, UINT nFlags, const CGridItem& value,
                     CDataInterface*& pSource)
    : CInPlaceWnd(nRow, nColumn), m_strText(value.m_strText), m_nKind(value.m_nKind),
      m_bNullBox((nFlags & flagNullBox) ? 1 : 0), m_bListOffered((nFlags & flagList) ? 1 : 0),
      m_pSource(pSource)
{
    pSource = nullptr;
    if (m_nKind != kGridValue)
        m_strText.Empty();
}

CGridEdit::~CGridEdit()
{
    delete m_pSource;
}

BOOL CGridEdit::Create(DWORD dwEditStyle, const RECT& rect, CRGrid* pGrid, UINT nID, int nLimit)
{
    return Create(dwEditStyle, rect, static_cast<CWnd*>(pGrid), nID, nLimit);
}

BOOL CGridEdit::Create(DWORD dwEditStyle, const RECT& rect, CWnd* pGrid, UINT nID, int nLimit)
{
    m_dwEditStyle = dwEditStyle & ~WS_CHILD;
    m_nLimit = nLimit;
    return CWnd::CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW)), nullptr,
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect, pGrid, nID);
}

int CGridEdit::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CInPlaceWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int w = client.right, h = client.bottom;
    if (m_bNullBox && !m_check.Create(L"", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                                      CRect(0, 0, h, h), this, idNullBox))
        return -1;
    if (m_bListOffered && !m_button.Create(L"\x2026", WS_CHILD | WS_VISIBLE | BS_FLAT,
                                           CRect(w - h, 0, w, h), this, idButton))
        return -1;
    CRect editRect(m_bNullBox ? h : 0, 0, m_bListOffered ? w - h : w, h);
    if (!m_edit.Create(m_dwEditStyle | WS_CHILD, editRect, this, idEdit))
        return -1;
    HWND hGrid = ::GetParent(m_hWnd);
    if (hGrid != nullptr)
        m_edit.SendMessage(WM_SETFONT, ::SendMessageW(hGrid, WM_GETFONT, 0, 0), FALSE);
    if (m_nKind != kGridValue)
        m_strText.Empty();
    m_edit.SendMessage(EM_LIMITTEXT, m_nLimit < 1 ? 2147483647 : m_nLimit);
    // The text is set once and leaves the caret at its start, as setting it does: the edit
    // control takes each change to a long text slowly under Wine (about a second at 30,000
    // characters), so nothing after it sets the text again or moves the selection.
    m_bQuietChange = true;
    m_edit.SetWindowText(m_nKind == kGridValue ? m_strText : CString());
    m_bQuietChange = false;
    m_strFitting = m_strText;
    if (m_nKind == kGridValue)
    {
        if (m_check.m_hWnd)
            m_check.SetCheck(BST_CHECKED);
    }
    else
        UpdateNullState();
    m_edit.SetFocus();
    AdjustWidth();
    return 0;
}

void CGridEdit::UpdateNullState()
{
    const bool bWasQuiet = m_bQuietChange;
    m_bQuietChange = true;
    UpdateNullText();
    m_bQuietChange = bWasQuiet;
}

void CGridEdit::UpdateNullText()
{
    if (m_nKind == kGridValue || m_nKind == kGridEmpty)
    {
        m_edit.SetWindowText(m_nKind == kGridValue ? m_strText : CString());
        m_edit.EnableWindow(TRUE);
        if (m_check.m_hWnd)
            m_check.SetCheck(BST_CHECKED);
    }
    else
    {
        m_edit.GetWindowText(m_strText);
        m_edit.SetWindowText(m_nKind == kGridNull ? L"NULL" : L"");
        m_edit.EnableWindow(FALSE);
        if (m_check.m_hWnd)
            m_check.SetCheck(BST_UNCHECKED);
    }
}

void CGridEdit::OnNullClicked()
{
    if (!m_bNullBox)
        return;
    m_nKind = m_check.GetCheck() == BST_CHECKED ? kGridValue : kGridNull;
    UpdateNullState();
    m_edit.SetFocus();
}

void CGridEdit::OnButtonClicked()
{
    ToggleList();
}

BOOL CGridEdit::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN)
    {
        const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
        switch (pMsg->wParam)
        {
        case VK_RETURN:
            if (IsListOpen())
            {
                ChooseListEntry();
                return TRUE;
            }
            break;
        case VK_ESCAPE:
            if (IsListOpen())
            {
                CloseList();
                return TRUE;
            }
            break;
        case VK_SPACE:
            if (ctrl && m_bListOffered && !IsListOpen())
            {
                ToggleList();
                return TRUE;
            }
            break;
        case VK_DELETE:
            ::TranslateMessage(pMsg);
            ::DispatchMessageW(pMsg);
            return TRUE;
        case 'N':
            if (ctrl && m_bNullBox)
            {
                m_check.SetFocus();
                m_check.SetCheck(m_check.GetCheck() == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
                OnNullClicked();
                return TRUE;
            }
            break;
        }
    }
    return CInPlaceWnd::PreTranslateMessage(pMsg);
}

BOOL CGridEdit::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == idEdit && code == EN_CHANGE)
    {
        KeepToldLimit();
        AdjustWidth();
        return TRUE;
    }
    if (id == idList && code == LBN_DBLCLK)
    {
        ChooseListEntry();
        return TRUE;
    }
    return CInPlaceWnd::OnCommand(wParam, lParam);
}

int CountCharacters(const CString& text)
{
    int count = 0;
    for (int i = 0; i < text.GetLength(); ++i, ++count)
        if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.GetLength() && IS_LOW_SURROGATE(text[i + 1]))
            ++i;
    return count;
}

CString FormatLimitMessage(int nLimit, int nChars, LPCWSTR pszHolder)
{
    CString strMessage;
    strMessage.Format(L"This %s holds at most %d characters; the value would have %d.", pszHolder,
                      nLimit, nChars);
    return strMessage;
}

LONGLONG ColumnEditLimit(Zelt::ICursor* pCursor, UINT nCursorColumn)
{
    // Only a size that bounds the column's values limits the editor: for a type without a
    // bound the driver reports a figure of its own (psqlODBC's 8190 for text), and a value cut
    // there would be saved cut.
    if (pCursor == nullptr)
        return -1;
    const Zelt::ICursor::CColumnDesc* pDesc = pCursor->GetColumn(nCursorColumn);
    if (pDesc == nullptr || !pDesc->bSizeIsLimit)
        return -1;
    const int cType = pCursor->GetColumnCType(nCursorColumn);
    const LONGLONG size = pCursor->GetColumnSize(nCursorColumn);
    if (cType == SQL_C_CHAR || cType == SQL_C_WCHAR)
        return size;
    if (cType == SQL_C_BINARY)
        return 2 * size;
    return -1;
}

void CGridEdit::KeepToldLimit()
{
    if (m_edit.m_hWnd == nullptr || m_bTelling)
        return;
    CString text;
    m_edit.GetWindowText(text);
    const int nChars = CountCharacters(text);
    if (m_nToldLimit < 1 || m_bQuietChange || !m_edit.IsWindowEnabled() || nChars <= m_nToldLimit)
    {
        m_strFitting = text;
        m_edit.GetSel(m_nFittingStart, m_nFittingEnd);
        return;
    }
    // The message box takes the focus: the editor must not take that for the end of the edit.
    m_bTelling = true;
    m_edit.SetWindowText(m_strFitting);
    m_edit.SetSel(m_nFittingStart, m_nFittingEnd);
    const HWND hEdit = m_edit.m_hWnd;
    AfxMessageBox(FormatLimitMessage(m_nToldLimit, nChars, m_strLimitHolder) +
                      L"\n\nThe change was not made.",
                  MB_ICONEXCLAMATION);
    if (!::IsWindow(hEdit))
        return;
    m_bTelling = false;
    m_edit.SetFocus();
}

// The editor's rectangle in the grid's client coordinates.
static CRect RectInParent(HWND hWnd)
{
    CRect r;
    ::GetWindowRect(hWnd, &r);
    ::MapWindowPoints(nullptr, ::GetParent(hWnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void CGridEdit::AdjustWidth()
{
    if (m_edit.m_hWnd == nullptr)
        return;
    CString text;
    m_edit.GetWindowText(text);
    SIZE extent{};
    HDC hdc = ::GetDC(m_edit.m_hWnd);
    HGDIOBJ old = ::SelectObject(hdc, reinterpret_cast<HGDIOBJ>(m_edit.SendMessage(WM_GETFONT)));
    ::GetTextExtentPoint32W(hdc, text, text.GetLength(), &extent);
    ::SelectObject(hdc, old);
    ::ReleaseDC(m_edit.m_hWnd, hdc);
    TEXTMETRICW tm{};
    hdc = ::GetDC(m_hWnd);
    ::GetTextMetricsW(hdc, &tm);
    ::ReleaseDC(m_hWnd, hdc);
    const int need = extent.cx + 5 + tm.tmMaxCharWidth;
    RECT editClient{};
    ::GetClientRect(m_edit.m_hWnd, &editClient);
    if (need <= editClient.right)
        return;
    const int shortfall = need - editClient.right;
    CRect r = RectInParent(m_hWnd);
    RECT gridClient{};
    ::GetClientRect(::GetParent(m_hWnd), &gridClient);
    const int partH = RectInParent(m_edit.m_hWnd).Height();
    const int checkW = m_bNullBox ? partH : 0, buttonW = m_bListOffered ? partH : 0;
    int right = r.left + checkW + buttonW + need >= gridClient.right ? gridClient.right
                                                                     : r.right + shortfall;
    if (right <= r.right)
        return; // never narrower
    ::MoveWindow(m_hWnd, r.left, r.top, right - r.left, r.Height(), TRUE);
    AlignChildren(!m_bListAbove);
}

void CGridEdit::AlignChildren(bool bPartsAtTop)
{
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int w = client.right, H = client.bottom;
    const int h = RectInParent(m_edit.m_hWnd).Height();
    const int y = bPartsAtTop ? 0 : H - h;
    const int checkW = m_bNullBox ? h : 0, buttonW = m_bListOffered ? h : 0;
    if (m_check.m_hWnd)
        ::MoveWindow(m_check.m_hWnd, 0, y, h, h, TRUE);
    ::MoveWindow(m_edit.m_hWnd, checkW, y, std::max(0, w - checkW - buttonW), h, TRUE);
    if (m_button.m_hWnd)
        ::MoveWindow(m_button.m_hWnd, w - h, y, h, h, TRUE);
    if (m_list.m_hWnd)
        ::MoveWindow(m_list.m_hWnd, 0, bPartsAtTop ? h : 0, w, std::max(0, H - h), TRUE);
}

void CGridEdit::ToggleList()
{
    if (!m_bListOffered)
        return;
    if (IsListOpen())
    {
        CloseList();
        return;
    }
    CRect r = RectInParent(m_hWnd);
    const int h = r.Height();
    CRect listRect(0, h, r.Width(), h + 10 * h);
    if (!m_list.CreateEx(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE, L"LISTBOX", nullptr,
                         WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                         listRect, this, idList))
        return;
    m_list.SendMessage(WM_SETFONT, m_edit.SendMessage(WM_GETFONT), FALSE);
    int count = 0;
    if (m_pSource != nullptr && m_pSource->Open())
    {
        CWaitCursor wait;
        CString value;
        while (m_pSource->GetNext(value))
        {
            if (m_list.AddString(value) >= 0)
                ++count;
        }
    }
    CString typed;
    m_edit.GetWindowText(typed);
    if (m_nKind != kGridValue || typed.IsEmpty())
        m_list.SetCurSel(0);
    else
        m_list.SendMessage(LB_SELECTSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(static_cast<LPCWSTR>(typed)));
    int listH =
        count >= 1 ? static_cast<int>(m_list.SendMessage(LB_GETITEMHEIGHT, 0)) * std::min(count, 15)
                   : 10 * h;
    listH += 2 * ::GetSystemMetrics(SM_CYFIXEDFRAME);

    RECT gridClient{};
    ::GetClientRect(::GetParent(m_hWnd), &gridClient);
    const int below = gridClient.bottom - r.bottom, above = r.top - gridClient.top;
    m_bListAbove = false;
    if (r.bottom + listH > gridClient.bottom)
    {
        if (below < above)
        {
            m_bListAbove = true;
            listH = std::min(listH, above);
        }
        else
        {
            listH = std::max(0, below);
        }
    }
    if (m_bListAbove)
        ::MoveWindow(m_hWnd, r.left, r.top - listH, r.Width(), h + listH, TRUE);
    else
        ::MoveWindow(m_hWnd, r.left, r.top, r.Width(), h + listH, TRUE);
    AlignChildren(!m_bListAbove);
    m_list.SetFocus();
}

void CGridEdit::CloseList()
{
    if (!IsListOpen())
        return;
    CRect r = RectInParent(m_hWnd);
    const int h = RectInParent(m_edit.m_hWnd).Height();
    // The focus goes back to the edit box first, so the list's focus loss stays inside.
    m_edit.SetFocus();
    m_list.DestroyWindow();
    if (m_bListAbove)
        ::MoveWindow(m_hWnd, r.left, r.bottom - h, r.Width(), h, TRUE);
    else
        ::MoveWindow(m_hWnd, r.left, r.top, r.Width(), h, TRUE);
    m_bListAbove = false;
    AlignChildren(true);
    m_edit.SetFocus();
}

void CGridEdit::ChooseListEntry()
{
    if (!IsListOpen())
        return;
    int sel = m_list.GetCurSel();
    if (sel < 0)
        return;
    CString text;
    m_list.GetText(sel, text);
    CloseList();
    m_nKind = kGridValue;
    m_strText = text;
    UpdateNullState();
    m_edit.SetWindowText(text);
}

bool CGridEdit::IsOwnWindow(HWND hWnd) const
{
    return hWnd != nullptr && (hWnd == m_hWnd || hWnd == m_edit.m_hWnd || hWnd == m_check.m_hWnd ||
                               hWnd == m_button.m_hWnd || hWnd == m_list.m_hWnd);
}

void CGridEdit::OnKillFocus(CWnd* pNewWnd)
{
    HWND hNew = AfxGetSafeHwnd(pNewWnd);
    if (m_hWnd == nullptr || IsOwnWindow(hNew) || m_bTelling)
        return;
    // Destroying the window below may leave other focus losses on the way: end only once.
    if (m_bEnding)
        return;
    m_bEnding = true;
    CInPlaceWnd::OnKillFocus(pNewWnd);

    // Everything the notification carries is copied before the window (and this object) goes.
    HWND hGrid = ::GetParent(m_hWnd);
    HWND hOwner = hGrid ? ::GetParent(hGrid) : nullptr;
    const int row = m_nRow, column = m_nColumn, reason = m_nEndReason;
    CString text;
    m_edit.GetWindowText(text);
    const UINT kind = m_nKind;
    const UINT_PTR editorId = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
    const WPARAM gridId = hGrid ? static_cast<WPARAM>(::GetDlgCtrlID(hGrid)) : 0;

    ::DestroyWindow(m_hWnd); // deletes this object

    NMLVDISPINFOW info{};
    info.hdr.hwndFrom = hGrid;
    info.hdr.idFrom = editorId;
    info.hdr.code = LVN_ENDLABELEDITW;
    info.item.mask = LVIF_TEXT | LVIF_PARAM;
    info.item.iItem = row;
    info.item.iSubItem = column;
    info.item.pszText =
        reason == kInPlaceEscape ? nullptr : const_cast<LPWSTR>(static_cast<LPCWSTR>(text));
    info.item.cchTextMax = text.GetLength();
    const UINT kindBits = (kind == kGridValue || kind == kGridNull || text.IsEmpty()) ? kind : 0;
    info.item.lParam =
        static_cast<LPARAM>(static_cast<WORD>(reason) | (static_cast<DWORD>(kindBits) << 16));
    if (hOwner != nullptr)
        ::SendMessageW(hOwner, WM_NOTIFY, gridId, reinterpret_cast<LPARAM>(&info));
}
