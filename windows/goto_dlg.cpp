// The Go To dialog and the references of a grid row.
#include "windows/goto_dlg.h"

#include "app/app_settings.h"
#include "dbaccess/sql_names.h"
#include "dbaccess/value_text.h"
#include "grid/grid.h"
#include "resources/resource.h"

CString CursorValueText(Zelt::ICursor* pCursor, UINT nColumn, bool& bNull)
{
    bNull = pCursor->IsFieldNull(nColumn);
    if (bNull)
        return CString();
    // (A value of another kind than its column's is taken as the text it is stored as.)
    switch (pCursor->IsFieldHeldAsText(nColumn) ? SQL_VARCHAR : pCursor->GetColumnSQLType(nColumn))
    {
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP: {
        TIMESTAMP_STRUCT ts{};
        if (pCursor->GetFieldTimestamp(nColumn, ts))
        {
            // PostgreSQL's infinite dates have only their word.
            if (const int infinity = TimestampInfinity(ts))
                return InfinityText(infinity);
            if (IsFarFutureTimestamp(ts))
                return FarFutureText(ts, pCursor->GetColumnSQLType(nColumn));
            CString str;
            str.Format(L"%04d-%02d-%02d %02d:%02d:%02d.%09lu", ts.year, ts.month, ts.day, ts.hour,
                       ts.minute, ts.second, (unsigned long)ts.fraction);
            return str;
        }
        break;
    }
    default: break;
    }
    CString str;
    pCursor->GetFieldText(nColumn, str);
    return str;
}

std::vector<CGoToItem> CollectGoToItems(CRGrid& grid, int nRow)
{
    std::vector<CGoToItem> items;
    Zelt::ICursor* pCursor = grid.GetCursor();
    if (pCursor == nullptr || nRow < 0 || !pCursor->SetAbsolutePosition(nRow + 1))
        return items;
    for (INT_PTR i = 0; i < grid.m_foreignKeys.GetSize(); ++i)
    {
        const CRForeignKey::CForeignKeyInfo& key = grid.m_foreignKeys[i];
        const int nColumn = pCursor->FindColumn(key.szFkColumnName);
        if (nColumn < 1)
            continue;
        CGoToItem item;
        // A driver that gives its keys no names (SQLite) still has them: they go by table.
        item.m_strKeyName =
            key.szFkName[0] ? CString(key.szFkName) : CString(L"(") + key.szPkTableName + L")";
        item.m_strTable = key.szFkTableName;
        item.m_strColumn = key.szFkColumnName;
        item.m_strSchema = key.szFkTableSchem;
        item.m_strRefSchema = key.szPkTableSchem;
        item.m_strRefTable = key.szPkTableName;
        item.m_strRefColumn = key.szPkColumnName;
        // Reading a cell for its display text moves the cursor: stand on the row each time.
        if (!pCursor->SetAbsolutePosition(nRow + 1))
            continue;
        bool bNull = false;
        item.m_strFilterValue = CursorValueText(pCursor, nColumn, bNull);
        if (bNull)
            continue;
        CGridItem shown;
        const int nListColumn = [&] {
            for (int c = 0; c < grid.GetColumnCount(); ++c)
                if ((int)grid.GetColumnObject(c)->m_nCursorColumn == nColumn)
                    return c;
            return -1;
        }();
        item.m_strValue = nListColumn >= 0 && grid.GetCellText(nRow, nListColumn, shown)
                              ? shown.m_strText
                              : item.m_strFilterValue;
        items.push_back(item);
    }
    return items;
}

BEGIN_MESSAGE_MAP(CGoToDlg, CRSizableDlg)
    ON_NOTIFY(NM_DBLCLK, IDC_ITEM_LIST, &CGoToDlg::OnDblClick)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CGoToDlg::CGoToDlg(const std::vector<CGoToItem>& items, CWnd* pParent)
    : CRSizableDlg(IDD_GOTO, pParent), m_items(items)
{}

CGoToDlg::~CGoToDlg()
{
    if (m_hIcon != nullptr)
        ::DestroyIcon(m_hIcon);
}

BOOL CGoToDlg::OnInitDialog()
{
    CRSizableDlg::OnInitDialog();
    m_list.SubclassDlgItem(IDC_ITEM_LIST, this);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                            LVS_EX_LABELTIP);
    // Group view where the list view has it; Wine's does not, and then a first column names the
    // key instead.
    m_bGroups = ::SendMessageW(m_list.m_hWnd, LVM_ENABLEGROUPVIEW, TRUE, 0) == 1 ||
                ::SendMessageW(m_list.m_hWnd, LVM_ISGROUPVIEWENABLED, 0, 0) != 0;
    int nFirst = 0;
    if (!m_bGroups)
        m_list.InsertColumn(nFirst++, L"FK", LVCFMT_LEFT, 150);
    m_list.InsertColumn(nFirst, L"Table", LVCFMT_LEFT, 150);
    m_list.InsertColumn(nFirst + 1, L"Column", LVCFMT_LEFT, 150);
    m_list.InsertColumn(nFirst + 2, L"Data", LVCFMT_LEFT, 150);
    std::vector<CString> groups;
    for (size_t i = 0; i < m_items.size(); ++i)
    {
        const CGoToItem& item = m_items[i];
        if (item.m_strKeyName.IsEmpty())
            continue;
        int nGroup = -1;
        for (size_t g = 0; g < groups.size(); ++g)
            if (groups[g] == item.m_strKeyName)
                nGroup = (int)g;
        if (nGroup < 0)
        {
            nGroup = (int)groups.size();
            groups.push_back(item.m_strKeyName);
            if (m_bGroups)
            {
                LVGROUP group = {sizeof(group)};
                group.mask = LVGF_HEADER | LVGF_GROUPID;
                group.pszHeader = const_cast<LPWSTR>(item.m_strKeyName.GetString());
                group.iGroupId = nGroup;
                ::SendMessageW(m_list.m_hWnd, LVM_INSERTGROUP, (WPARAM)-1, (LPARAM)&group);
            }
        }
        LVITEMW lvi = {};
        lvi.mask = LVIF_TEXT | LVIF_PARAM | (m_bGroups ? LVIF_GROUPID : 0);
        lvi.iItem = m_list.GetItemCount();
        const CString strTable =
            MakeObjectName(CStringPair(item.m_strRefSchema, item.m_strRefTable), true);
        lvi.pszText =
            const_cast<LPWSTR>(m_bGroups ? strTable.GetString() : item.m_strKeyName.GetString());
        lvi.lParam = (LPARAM)i;
        lvi.iGroupId = nGroup;
        const int nRow = (int)::SendMessageW(m_list.m_hWnd, LVM_INSERTITEMW, 0, (LPARAM)&lvi);
        if (!m_bGroups)
            m_list.SetItemText(nRow, 1, strTable);
        m_list.SetItemText(nRow, nFirst + 1, item.m_strRefColumn);
        m_list.SetItemText(nRow, nFirst + 2, item.m_strValue);
    }
    if (m_list.GetItemCount() > 0)
        m_list.SelectItem(0);
    m_list.AutoSizeColumns();
    m_hIcon =
        (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_GRID_GOTO), IMAGE_ICON,
                            ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0);
    SetIcon(m_hIcon, FALSE);
    CRect window;
    GetWindowRect(&window);
    SaveControlPos(GetDlgItem(IDC_ITEM_LIST), window, kAnchorFar, kAnchorFar, kAnchorFar,
                   kAnchorFar, m_offsets[0]);
    SaveControlPos(GetDlgItem(IDOK), window, kAnchorNear, kAnchorFar, kAnchorNear, kAnchorFar,
                   m_offsets[1]);
    SaveControlPos(GetDlgItem(IDCANCEL), window, kAnchorNear, kAnchorFar, kAnchorNear, kAnchorFar,
                   m_offsets[2]);
    RestorePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosGoTo]);
    return TRUE;
}

void CGoToDlg::OnSize(UINT nType, int cx, int cy)
{
    CRSizableDlg::OnSize(nType, cx, cy);
    if (m_list.m_hWnd == nullptr)
        return;
    CRect window;
    GetWindowRect(&window);
    MoveControl(GetDlgItem(IDC_ITEM_LIST), window, kAnchorFar, kAnchorFar, kAnchorFar, kAnchorFar,
                m_offsets[0]);
    MoveControl(GetDlgItem(IDOK), window, kAnchorNear, kAnchorFar, kAnchorNear, kAnchorFar,
                m_offsets[1]);
    MoveControl(GetDlgItem(IDCANCEL), window, kAnchorNear, kAnchorFar, kAnchorNear, kAnchorFar,
                m_offsets[2]);
}

void CGoToDlg::OnDestroy()
{
    SavePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosGoTo]);
    CRSizableDlg::OnDestroy();
}

void CGoToDlg::OnDblClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OnOK();
}

void CGoToDlg::OnOK()
{
    const int nRow = m_list.GetSelectedItem();
    if (nRow < 0)
        return;
    const size_t nIndex = m_list.GetItemData(nRow);
    if (nIndex >= m_items.size())
        return;
    const CString strKey = m_items[nIndex].m_strKeyName;
    std::vector<CGoToItem> chosen;
    for (const CGoToItem& item : m_items)
        if (item.m_strKeyName == strKey)
            chosen.push_back(item);
    if (chosen.empty())
        return;
    m_items = chosen;
    EndDialog(IDOK);
}
