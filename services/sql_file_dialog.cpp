#include "services/sql_file_dialog.h"

#include "resources/resource.h"
#include "services/encoding_combo.h"

namespace {

// Controls of the system's explorer-style dialog: the file-type label and combo box.
const int kFileTypeLabel = 1089; // stc2
const int kFileTypeCombo = 1136; // cmb1

} // namespace

IMPLEMENT_DYNAMIC(CSQLFileDialog, CFileDialog)

BEGIN_MESSAGE_MAP(CSQLFileDialog, CFileDialog)
    ON_CBN_SELCHANGE(IDC_ENCODING_COMBO, &CSQLFileDialog::OnSelChangeEncoding)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CSQLFileDialog::CSQLFileDialog(BOOL bOpenFileDialog, DWORD dwFlags, UINT nEncoding,
                               CWnd* pParentWnd)
    : CFileDialog(bOpenFileDialog, nullptr, nullptr, dwFlags,
                  L"SQL scripts (*.sql)|*.sql|All files|*.*|", pParentWnd),
      m_nEncoding(nEncoding)
{
    m_ofn.lpTemplateName = MAKEINTRESOURCEW(IDD_SQL_FILE_ENCODING);
}

BOOL CSQLFileDialog::OnInitDialog()
{
    CFileDialog::OnInitDialog();
    if (CComboBox* pCombo = static_cast<CComboBox*>(GetDlgItem(IDC_ENCODING_COMBO)))
    {
        CEncodingComboBox::FillEncodings(*pCombo, m_bOpenFileDialog != FALSE, m_nEncoding);
        const int selected = pCombo->GetCurSel();
        if (selected >= 0)
            m_nEncoding = static_cast<UINT>(pCombo->GetItemData(selected));
    }
    AlignEncodingRow();
    // FALSE: the focus stays where the system's dialog puts it, on the file name. TRUE would
    // let the child template's dialog manager move it to its first control, the encoding box.
    return FALSE;
}

void CSQLFileDialog::OnSelChangeEncoding()
{
    CComboBox* pCombo = static_cast<CComboBox*>(GetDlgItem(IDC_ENCODING_COMBO));
    const int selected = pCombo != nullptr ? pCombo->GetCurSel() : CB_ERR;
    if (selected >= 0)
        m_nEncoding = static_cast<UINT>(pCombo->GetItemData(selected));
}

void CSQLFileDialog::OnSize(UINT nType, int cx, int cy)
{
    CFileDialog::OnSize(nType, cx, cy);
    AlignEncodingRow();
}

void CSQLFileDialog::AlignEncodingRow()
{
    HWND hDialog = ::GetParent(m_hWnd);
    if (hDialog == nullptr)
        return;
    const struct
    {
        int nOwn;
        int nReference;
    } rows[] = {{IDC_ENCODING_LABEL, kFileTypeLabel}, {IDC_ENCODING_COMBO, kFileTypeCombo}};
    for (const auto& row : rows)
    {
        HWND hOwn = ::GetDlgItem(m_hWnd, row.nOwn);
        HWND hReference = ::GetDlgItem(hDialog, row.nReference);
        if (hOwn == nullptr || hReference == nullptr)
            continue;
        RECT own, reference;
        ::GetWindowRect(hOwn, &own);
        ::GetWindowRect(hReference, &reference);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&own), 2);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&reference), 2);
        // The left edge and width of the file-type row; the own top and height (for the combo
        // box the height with its list, or the list would shrink to nothing).
        int height = own.bottom - own.top;
        RECT dropped;
        if (row.nOwn == IDC_ENCODING_COMBO &&
            ::SendMessageW(hOwn, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)))
            height = dropped.bottom - dropped.top;
        ::SetWindowPos(hOwn, nullptr, reference.left, own.top, reference.right - reference.left,
                       height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
