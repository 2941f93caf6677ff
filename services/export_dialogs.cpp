#include "services/export_dialogs.h"

#include "resources/resource.h"
#include "services/export_settings.h"

#include <memory>

namespace {

CString LoadText(UINT nID, LPCWSTR pszFallback)
{
    CString s;
    if (!s.LoadString(nID))
        s = pszFallback;
    return s;
}

const LPCWSTR kTargets[] = {L"Oracle", L"Sybase",     L"MS SQL server",
                            L"Access", L"PostgreSQL", L"SQLite"};
const LPCWSTR kSeparators[] = {L"", L";", L"GO", L"/"};

} // namespace

// ---- CSV ---------------------------------------------------------------------------------

CSaveAsCSVDlg::CSaveAsCSVDlg() : CDialog(IDD_SAVEAS_CSV)
{
    m_strSeparator = *ExportSettings().pCSVSeparator;
}

BOOL CSaveAsCSVDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_EXPORT_SEPARATOR, m_strSeparator);
    return TRUE;
}

void CSaveAsCSVDlg::OnOK()
{
    CString text;
    GetDlgItemText(IDC_EXPORT_SEPARATOR, text);
    text.Trim();
    if (text.IsEmpty())
    {
        AfxMessageBox(LoadText(IDS_CSV_SEPARATOR_REQUIRED, L"CSV separator is required."));
        return;
    }
    m_strSeparator = text;
    const CExportSettings& settings = ExportSettings();
    *settings.pCSVSeparator = text;
    settings.saveCSVSeparator();
    EndDialog(IDOK);
}

// ---- INSERT script -------------------------------------------------------------------------

CSaveAsSQLDlg::CSaveAsSQLDlg() : CDialog(IDD_SAVEAS_SQL)
{
    const CExportSettings& settings = ExportSettings();
    m_strSeparator = *settings.pSQLSeparator;
    m_nCommitCount = *settings.pCommitQueries;
    m_bCommit = *settings.pInsCommit != 0;
    m_nTarget = *settings.pSaveAsDBType;
    if (m_nTarget < 0 || m_nTarget > SQLTARGET_SQLITE)
        m_nTarget = 0;
    m_nEncoding = *settings.pSaveAsEncoding;
}

CSQLScriptOptions CSaveAsSQLDlg::GetOptions() const
{
    CSQLScriptOptions options;
    options.strSeparator = m_strSeparator;
    options.nTarget = m_nTarget;
    // Access takes no COMMIT statements.
    options.bCommit = m_bCommit && m_nTarget != SQLTARGET_ACCESS;
    options.nCommitCount = m_nCommitCount;
    options.bSaveSchema = m_bSaveSchema;
    options.nGuidForm = m_nGuidForm;
    options.nEncoding = m_nEncoding;
    return options;
}

int CSaveAsSQLDlg::SelectedTarget() const
{
    int n = static_cast<int>(SendDlgItemMessage(IDC_EXPORT_DATABASE, CB_GETCURSEL));
    return n < 0 ? 0 : n;
}

BOOL CSaveAsSQLDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // windres has no DLGINIT: the combo boxes are filled here.
    for (LPCWSTR s : kSeparators)
        SendDlgItemMessage(IDC_EXPORT_SEPARATOR, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    for (LPCWSTR s : kTargets)
        SendDlgItemMessage(IDC_EXPORT_DATABASE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    m_encoding.SubclassDlgItem(IDC_EXPORT_ENCODING, this);
    m_encoding.Init(m_nEncoding);

    // The stored separator: its item when it is one (a stored "\nGO" is the GO item), else text.
    CString stored = m_strSeparator;
    stored.TrimLeft(L"\n");
    int item = -1;
    for (int i = 0; i < 4; ++i)
        if (stored == kSeparators[i])
            item = i;
    if (item >= 0)
        SendDlgItemMessage(IDC_EXPORT_SEPARATOR, CB_SETCURSEL, item);
    else
        SetDlgItemText(IDC_EXPORT_SEPARATOR, m_strSeparator);

    SendDlgItemMessage(IDC_EXPORT_DATABASE, CB_SETCURSEL, m_nTarget);
    CheckDlgButton(IDC_EXPORT_SAVE_SCHEMA, m_bSaveSchema ? BST_CHECKED : BST_UNCHECKED);
    // The spin control took the count edit as its buddy when it was created: setting it again
    // would take the spin's width off the edit a second time.
    SendDlgItemMessage(IDC_EXPORT_COMMIT_SPIN, UDM_SETRANGE32, 1, 32767);
    SendDlgItemMessage(IDC_EXPORT_COMMIT_SPIN, UDM_SETPOS32, 0, m_nCommitCount);
    CString count;
    count.Format(L"%d", m_nCommitCount);
    SetDlgItemText(IDC_EXPORT_COMMIT_COUNT, count);
    UpdateCommitControls();
    FillGuidCombo();
    return TRUE;
}

void CSaveAsSQLDlg::UpdateCommitControls()
{
    bool bAccess = SelectedTarget() == SQLTARGET_ACCESS;
    HWND hCheck = ::GetDlgItem(m_hWnd, IDC_EXPORT_COMMIT);
    if (bAccess)
        CheckDlgButton(IDC_EXPORT_COMMIT, BST_UNCHECKED);
    else
        CheckDlgButton(IDC_EXPORT_COMMIT, m_bCommit ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(hCheck, !bAccess);
    bool bCount = !bAccess && m_bCommit;
    for (int id : {IDC_EXPORT_COMMIT_COUNT, IDC_EXPORT_COMMIT_SPIN, IDC_EXPORT_COMMIT_QUERIES})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), bCount);
}

void CSaveAsSQLDlg::FillGuidCombo()
{
    SendDlgItemMessage(IDC_EXPORT_GUIDS, CB_RESETCONTENT);
    CString text = LoadText(IDS_GUID_AS_TEXT, L"Text strings");
    int i = static_cast<int>(SendDlgItemMessage(IDC_EXPORT_GUIDS, CB_ADDSTRING, 0,
                                                reinterpret_cast<LPARAM>(text.GetString())));
    SendDlgItemMessage(IDC_EXPORT_GUIDS, CB_SETITEMDATA, i, 0);
    if (SelectedTarget() == SQLTARGET_ORACLE)
    {
        CString binary = LoadText(IDS_GUID_AS_BINARY, L"Binary data");
        i = static_cast<int>(SendDlgItemMessage(IDC_EXPORT_GUIDS, CB_ADDSTRING, 0,
                                                reinterpret_cast<LPARAM>(binary.GetString())));
        SendDlgItemMessage(IDC_EXPORT_GUIDS, CB_SETITEMDATA, i, 1);
    }
    int select = 0;
    int count = static_cast<int>(SendDlgItemMessage(IDC_EXPORT_GUIDS, CB_GETCOUNT));
    for (int k = 0; k < count; ++k)
        if (static_cast<int>(SendDlgItemMessage(IDC_EXPORT_GUIDS, CB_GETITEMDATA, k)) ==
            m_nGuidForm)
            select = k;
    SendDlgItemMessage(IDC_EXPORT_GUIDS, CB_SETCURSEL, select);
}

BOOL CSaveAsSQLDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == IDC_EXPORT_COMMIT && code == BN_CLICKED)
    {
        m_bCommit = IsDlgButtonChecked(IDC_EXPORT_COMMIT) == BST_CHECKED;
        UpdateCommitControls();
        return TRUE;
    }
    if (id == IDC_EXPORT_DATABASE && code == CBN_SELCHANGE)
    {
        UpdateCommitControls();
        FillGuidCombo();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CSaveAsSQLDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* pHdr = reinterpret_cast<NMHDR*>(lParam);
    if (pHdr->idFrom == IDC_EXPORT_COMMIT_SPIN && pHdr->code == UDN_DELTAPOS)
    {
        NMUPDOWN* pUpDown = reinterpret_cast<NMUPDOWN*>(lParam);
        CString text;
        GetDlgItemText(IDC_EXPORT_COMMIT_COUNT, text);
        int count = _wtoi(text);
        if (count + pUpDown->iDelta >= 0)
            count += pUpDown->iDelta;
        m_nCommitCount = count;
        CString shown;
        shown.Format(L"%d", count);
        SetDlgItemText(IDC_EXPORT_COMMIT_COUNT, shown);
        *pResult = 1; // the count is set here, not by the control
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

void CSaveAsSQLDlg::OnOK()
{
    CString separator;
    GetDlgItemText(IDC_EXPORT_SEPARATOR, separator);
    int item = static_cast<int>(SendDlgItemMessage(IDC_EXPORT_SEPARATOR, CB_GETCURSEL));
    // GO and / stand on a line of their own, typed or chosen alike.
    CString trimmed = separator;
    trimmed.Trim();
    if (trimmed.CompareNoCase(L"GO") == 0 || trimmed == L"/")
        separator = L"\n" + trimmed;
    int target = SelectedTarget();
    if (target != SQLTARGET_ACCESS)
    {
        CString text;
        GetDlgItemText(IDC_EXPORT_COMMIT_COUNT, text);
        int count = _wtoi(text);
        bool bChecked = IsDlgButtonChecked(IDC_EXPORT_COMMIT) == BST_CHECKED;
        if (bChecked && count < 1)
        {
            AfxMessageBox(L"This field must be greater than 0", MB_ICONERROR);
            GotoDlgCtrl(GetDlgItem(IDC_EXPORT_COMMIT_COUNT));
            return;
        }
        m_nCommitCount = count;
        m_bCommit = bChecked;
    }
    m_strSeparator = separator;
    m_nSeparatorIndex = item;
    m_nTarget = target;
    m_bSaveSchema = IsDlgButtonChecked(IDC_EXPORT_SAVE_SCHEMA) == BST_CHECKED;
    int guid = static_cast<int>(SendDlgItemMessage(IDC_EXPORT_GUIDS, CB_GETCURSEL));
    m_nGuidForm =
        guid < 0 ? 0 : static_cast<int>(SendDlgItemMessage(IDC_EXPORT_GUIDS, CB_GETITEMDATA, guid));
    int enc = static_cast<int>(SendDlgItemMessage(IDC_EXPORT_ENCODING, CB_GETCURSEL));
    m_nEncoding =
        enc < 0 ? SQLENC_ANSI
                : static_cast<int>(SendDlgItemMessage(IDC_EXPORT_ENCODING, CB_GETITEMDATA, enc));
    EndDialog(IDOK);

    const CExportSettings& settings = ExportSettings();
    *settings.pInsCommit = m_bCommit ? 1 : 0;
    *settings.pCommitQueries = m_nCommitCount;
    *settings.pSaveAsDBType = m_nTarget;
    *settings.pSaveAsEncoding = m_nEncoding;
    settings.saveSaveAsSettings();
}

namespace {

std::unique_ptr<CSaveAsCSVDlg>& CSVDlg()
{
    static std::unique_ptr<CSaveAsCSVDlg> dlg;
    return dlg;
}

std::unique_ptr<CSaveAsSQLDlg>& SQLDlg()
{
    static std::unique_ptr<CSaveAsSQLDlg> dlg;
    return dlg;
}

} // namespace

CSaveAsCSVDlg& GetSaveAsCSVDlg()
{
    if (!CSVDlg())
        CSVDlg() = std::make_unique<CSaveAsCSVDlg>();
    return *CSVDlg();
}

CSaveAsSQLDlg& GetSaveAsSQLDlg()
{
    if (!SQLDlg())
        SQLDlg() = std::make_unique<CSaveAsSQLDlg>();
    return *SQLDlg();
}
