#include "windows/script_dialogs.h"

#include "app/app_helpers.h"
#include "app/app_settings.h"
#include "dbaccess/database.h"
#include "dbaccess/error_report.h"
#include "editor/rce_messages.h"

namespace {

UINT WordWrapBits(int bWordWrap)
{
    return bWordWrap ? (RCEO_WORDWRAP | RCEO_WORDWRAPMENU) : RCEO_WORDWRAPMENU;
}

int IsWordWrapOn(HWND hEditor)
{
    return (::SendMessageW(hEditor, RCEM_GETOPTIONS, 0, 0) & RCEO_WORDWRAP) != 0;
}

} // namespace

// ---- CExecSQLScriptDlg ----------------------------------------------------------------------

const wchar_t* const CExecSQLScriptDlg::kSeparators[4] = {L"", L";", L"GO", L"/"};

BEGIN_MESSAGE_MAP(CExecSQLScriptDlg, CDialog)
    ON_BN_CLICKED(IDC_HELP_BUTTON, &CExecSQLScriptDlg::OnHelp)
END_MESSAGE_MAP()

CExecSQLScriptDlg::CExecSQLScriptDlg(CRDatabase* pDatabase, bool bShowStopAfterError, CWnd* pParent)
    : CDialog(IDD, pParent), m_strSeparator(theSettings.m_strSQLSeparator),
      m_bStopAfterError(theSettings.m_bStopAfterError), m_bShowStopAfterError(bShowStopAfterError)
{
    if (pDatabase != nullptr && pDatabase->IsOpen())
    {
        try
        {
            m_bOpenTransactionEnabled = !pDatabase->IsInTransaction();
        }
        catch (CException* e)
        {
            CExceptionHolder held(e); // the driver cannot tell: offer no transaction
        }
    }
    m_bOpenTransaction = m_bOpenTransactionEnabled ? 1 : 0;
}

BOOL CExecSQLScriptDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CComboBox* pCombo = static_cast<CComboBox*>(GetDlgItem(IDC_SCRIPT_SEPARATOR));
    for (const wchar_t* separator : kSeparators)
    {
        const int index = pCombo->AddString(separator);
        if (m_strSeparator.CompareNoCase(separator) == 0)
            pCombo->SetCurSel(index);
    }
    CheckDlgButton(IDC_OPEN_TRANSACTION, m_bOpenTransaction);
    GetDlgItem(IDC_OPEN_TRANSACTION)->EnableWindow(m_bOpenTransactionEnabled);
    CheckDlgButton(IDC_STOP_AFTER_ERROR, m_bStopAfterError);
    GetDlgItem(IDC_STOP_AFTER_ERROR)->ShowWindow(m_bShowStopAfterError ? SW_SHOW : SW_HIDE);
    return TRUE;
}

void CExecSQLScriptDlg::OnOK()
{
    CComboBox* pCombo = static_cast<CComboBox*>(GetDlgItem(IDC_SCRIPT_SEPARATOR));
    const int selected = pCombo->GetCurSel();
    m_strSeparator.Empty();
    if (selected >= 0)
        pCombo->GetLBText(selected, m_strSeparator);
    m_bOpenTransaction = IsDlgButtonChecked(IDC_OPEN_TRANSACTION) == BST_CHECKED;
    m_bStopAfterError = IsDlgButtonChecked(IDC_STOP_AFTER_ERROR) == BST_CHECKED;
    theSettings.m_strSQLSeparator = m_strSeparator;
    theSettings.m_bStopAfterError = m_bStopAfterError;
    theSettings.SaveScriptSettings();
    EndDialog(IDOK);
}

void CExecSQLScriptDlg::OnHelp()
{
    ShowHelpTopic(L"::/SQLScript.html");
}

// ---- CSQLError ----------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CSQLError, CDialog)
    ON_BN_CLICKED(IDC_SQL_RETRY, &CSQLError::OnRetry)
    ON_BN_CLICKED(IDC_IGNORE_ERRORS, &CSQLError::OnIgnoreErrors)
    ON_BN_CLICKED(IDC_HELP_BUTTON, &CSQLError::OnHelp)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CSQLError::CSQLError(CWnd* pParent) : CDialog(IDD, pParent) {}

BOOL CSQLError::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_editor.SubclassDlgItem(IDC_SQL_EDITOR, this);
    theSettings.ApplySQLEditorSettings(m_editor.GetSafeHwnd(),
                                       WordWrapBits(theSettings.m_bSQLErrorWordWrap));
    m_editor.SetWindowText(m_strStatement);
    SetDlgItemText(IDC_SQL_ERROR_TEXT, m_strError);
    return TRUE;
}

void CSQLError::ReadControls()
{
    if (m_editor.GetSafeHwnd() != nullptr)
        m_strStatement = m_editor.GetText();
}

void CSQLError::OnRetry()
{
    ReadControls();
    EndDialog(resultRetry);
}

void CSQLError::OnIgnoreErrors()
{
    ReadControls();
    EndDialog(resultIgnoreErrors);
}

void CSQLError::OnOK()
{
    ReadControls();
    EndDialog(resultNext);
}

void CSQLError::OnCancel()
{
    EndDialog(resultStop);
}

void CSQLError::OnHelp()
{
    ShowHelpTopic(L"::/SQLScript.html#Debug");
}

BOOL CSQLError::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    if (pHeader != nullptr && pHeader->idFrom == IDC_SQL_EDITOR &&
        pHeader->code == RCEN_AUTOCOMPLETE)
        m_editor.UpdateAutoComplete();
    return CDialog::OnNotify(wParam, lParam, pResult);
}

void CSQLError::OnDestroy()
{
    if (m_editor.GetSafeHwnd() != nullptr)
    {
        theSettings.m_bSQLErrorWordWrap = IsWordWrapOn(m_editor.GetSafeHwnd());
        theSettings.SaveSQLErrorWordWrap();
    }
    CDialog::OnDestroy();
}

// ---- CShowSQLDlg --------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CShowSQLDlg, CRSizableDlg)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CShowSQLDlg::CShowSQLDlg(LPCWSTR pszCaption, CWnd* pParent)
    : CRSizableDlg(IDD, pParent), m_strCaption(pszCaption)
{}

CShowSQLDlg::~CShowSQLDlg()
{
    if (m_hIcon != nullptr)
        ::DestroyIcon(m_hIcon);
}

BOOL CShowSQLDlg::OnInitDialog()
{
    CRSizableDlg::OnInitDialog();
    if (!m_strCaption.IsEmpty())
        SetWindowText(m_strCaption);
    m_editor.SubclassDlgItem(IDC_SQL_EDITOR, this);
    theSettings.ApplySQLEditorSettings(m_editor.GetSafeHwnd(),
                                       WordWrapBits(theSettings.m_bShowSQLWordWrap));
    m_editor.SetWindowText(m_strSQL);
    m_editor.SendMessage(EM_SETREADONLY, TRUE);

    CRect rect;
    GetWindowRect(&rect);
    SaveControlPos(&m_editor, rect, kAnchorFar, kAnchorFar, kAnchorFar, kAnchorFar, m_editorOffset);
    SaveControlPos(GetDlgItem(IDOK), rect, kAnchorCenter, kAnchorCenter, kAnchorNear, kAnchorFar,
                   m_closeOffset);

    m_hIcon = static_cast<HICON>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_SHOW_SQL), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    if (m_hIcon != nullptr)
        SetIcon(m_hIcon, FALSE);
    RestorePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosShowSQL]);
    return TRUE;
}

void CShowSQLDlg::OnSize(UINT nType, int cx, int cy)
{
    CRSizableDlg::OnSize(nType, cx, cy);
    if (m_editor.GetSafeHwnd() == nullptr || nType == SIZE_MINIMIZED)
        return;
    CRect rect;
    GetWindowRect(&rect);
    MoveControl(&m_editor, rect, kAnchorFar, kAnchorFar, kAnchorFar, kAnchorFar, m_editorOffset);
    MoveControl(GetDlgItem(IDOK), rect, kAnchorCenter, kAnchorCenter, kAnchorNear, kAnchorFar,
                m_closeOffset);
}

void CShowSQLDlg::OnDestroy()
{
    SavePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosShowSQL]);
    if (m_editor.GetSafeHwnd() != nullptr)
    {
        theSettings.m_bShowSQLWordWrap = IsWordWrapOn(m_editor.GetSafeHwnd());
        theSettings.SaveShowSQLWordWrap();
    }
    CRSizableDlg::OnDestroy();
}
