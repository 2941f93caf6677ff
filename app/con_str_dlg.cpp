// The connection-strings dialog and the end-transaction question.
#include "app/connection_dialogs.h"

#include "app/app_settings.h"
#include "resources/resource.h"

// ---- Connection strings -------------------------------------------------------------------------

namespace {

// Selecting a combo entry selects its whole text with the caret at the end, which scrolls a long
// string to its end ("er=SQLite3;Database=..."). Keep the text selected (typing still replaces
// it) but put the caret, and so the view, at its start.
void ShowStringStart(CComboBox& combo)
{
    COMBOBOXINFO info = {sizeof(info)};
    if (!::GetComboBoxInfo(combo.m_hWnd, &info) || info.hwndItem == nullptr)
        return;
    const int length = ::GetWindowTextLengthW(info.hwndItem);
    ::SendMessageW(info.hwndItem, EM_SETSEL, length, 0);
    ::SendMessageW(info.hwndItem, EM_SCROLLCARET, 0, 0);
}

} // namespace

BEGIN_MESSAGE_MAP(CConStrDlg, CConnectionDialog)
    ON_BN_CLICKED(IDC_DELETE_STRING, &CConStrDlg::OnDelete)
END_MESSAGE_MAP()

CConStrDlg::CConStrDlg(CWnd* pParent) : CConnectionDialog(IDD_CONNECT_STRINGS, pParent)
{
    m_strings.Copy(theSettings.m_connectStrings);
}

BOOL CConStrDlg::OnInitDialog()
{
    CConnectionDialog::OnInitDialog();
    m_wndCombo.SubclassDlgItem(IDC_CONNECT_STRING, this);
    if (m_images.Create(15, 15, ILC_COLOR24 | ILC_MASK, 1, 1))
    {
        HBITMAP hBitmap =
            (HBITMAP)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDB_DELETE),
                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        if (hBitmap != nullptr)
        {
            ImageList_AddMasked(m_images.m_hImageList, hBitmap, RGB(255, 255, 255));
            ::DeleteObject(hBitmap);
        }
    }
    m_wndDelete.SubclassDlgItem(IDC_DELETE_STRING, this);
    m_wndDelete.SetImage(&m_images, 0);
    // The dialog manager would give the combo box (the first control) the focus after this and
    // select its text again, scrolled to the end; give it the focus here instead.
    m_wndCombo.SetFocus();
    FillCombo();
    return FALSE;
}

void CConStrDlg::FillCombo()
{
    m_wndCombo.ResetContent();
    for (INT_PTR i = 0; i < m_strings.GetSize(); ++i)
        m_wndCombo.AddString(m_strings[i]);
    m_wndCombo.SetCurSel(0);
    ShowStringStart(m_wndCombo);
}

void CConStrDlg::OnDelete()
{
    const int nSelected = m_wndCombo.GetCurSel();
    if (m_strings.GetSize() == 0 || nSelected < 0 || nSelected >= (int)m_strings.GetSize())
        return;
    m_strings.RemoveAt(nSelected);
    FillCombo();
}

void CConStrDlg::OnOK()
{
    if (m_strings.GetSize() != theSettings.m_connectStrings.GetSize())
    {
        theSettings.m_connectStrings.Copy(m_strings);
        theSettings.SaveConnectStrings();
    }
    m_wndCombo.GetWindowText(m_strChosen);
    EndDialog(IDOK);
}

// ---- End transaction ----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CEndTransactionDlg, CDialog)
    ON_BN_CLICKED(IDC_COMMIT, &CEndTransactionDlg::OnCommit)
    ON_BN_CLICKED(IDC_ROLLBACK, &CEndTransactionDlg::OnRollback)
END_MESSAGE_MAP()

CEndTransactionDlg::CEndTransactionDlg(CWnd* pParent) : CDialog(IDD_END_TRANSACTION, pParent) {}

BOOL CEndTransactionDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    HICON hIcon =
        (HICON)::LoadImageW(nullptr, IDI_QUESTION, IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                            ::GetSystemMetrics(SM_CYICON), LR_SHARED);
    SendDlgItemMessage(IDC_QUESTION_ICON, STM_SETICON, (WPARAM)hIcon, 0);
    // The dialog manager would focus the first tab stop, Commit; Enter presses the focused push
    // button, so the safe answer, Cancel, takes the focus as well as the default.
    GotoDlgCtrl(GetDlgItem(IDCANCEL));
    return FALSE;
}

void CEndTransactionDlg::OnCommit()
{
    EndDialog(IDC_COMMIT);
}

void CEndTransactionDlg::OnRollback()
{
    EndDialog(IDC_ROLLBACK);
}
