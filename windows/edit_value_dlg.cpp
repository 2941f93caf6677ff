// The Edit dialog of long values.
#include "windows/edit_value_dlg.h"

#include "app/app_settings.h"
#include "editor/rce_messages.h"
#include "grid/grid_edit.h"
#include "resources/resource.h"
#include "services/database_helper.h"
#include "windows/grid_window_text.h"

namespace {

const CRSizableDlg::CAnchoredControl kLayout[7] = {
    {IDC_VALUE_EDITOR, {kAnchorFar, kAnchorFar, kAnchorFar, kAnchorFar}},
    {IDC_VALUE_FIND_LABEL, {kAnchorNear, kAnchorNear, kAnchorNear, kAnchorFar}},
    {IDC_VALUE_FIND, {kAnchorNear, kAnchorNear, kAnchorNear, kAnchorFar}},
    {IDC_MOVE_DOWN, {kAnchorNear, kAnchorNear, kAnchorNear, kAnchorFar}},
    {IDC_MOVE_UP, {kAnchorNear, kAnchorNear, kAnchorNear, kAnchorFar}},
    {IDOK, {kAnchorNear, kAnchorFar, kAnchorNear, kAnchorFar}},
    {IDCANCEL, {kAnchorNear, kAnchorFar, kAnchorNear, kAnchorFar}},
};

bool IsXmlCandidate(int nSQLType, bool bSqlServer)
{
    return nSQLType == SQL_CHAR || nSQLType == SQL_VARCHAR || nSQLType == SQL_LONGVARCHAR ||
           nSQLType == SQL_WCHAR || nSQLType == SQL_WVARCHAR || nSQLType == SQL_WLONGVARCHAR ||
           (nSQLType == -152 && bSqlServer);
}

} // namespace

// The last text searched for in this dialog, kept while the program runs.
CString& LastFindText()
{
    static CString text;
    return text;
}

BEGIN_MESSAGE_MAP(CEditValueDlg, CRSizableDlg)
    ON_EN_CHANGE(IDC_VALUE_FIND, &CEditValueDlg::OnFindChange)
    ON_BN_CLICKED(IDC_MOVE_DOWN, &CEditValueDlg::OnFindDown)
    ON_BN_CLICKED(IDC_MOVE_UP, &CEditValueDlg::OnFindUp)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CEditValueDlg::CEditValueDlg(CRDatabaseHelper* pHelper, LPCWSTR pszTitle, const CGridItem& value,
                             int nSQLType, CWnd* pParent)
    : CRSizableDlg(IDD_EDIT_VALUE, pParent), m_pHelper(pHelper), m_strTitle(pszTitle),
      m_value(value), m_nSQLType(nSQLType)
{
    // A NULL opens empty; whatever is typed then replaces it.
    if (m_value.m_nKind != kGridValue)
        m_value.m_strText.Empty();
    m_strOriginal = m_value.m_strText;
}

bool CEditValueDlg::ParseXml(LPCWSTR pszText, CString& strXml) const
{
    CString strIndent = L"\t";
    if (theSettings.m_bTabUseSpaces)
    {
        strIndent.Empty();
        for (int i = 0; i < theSettings.m_nTabSize; ++i)
            strIndent += L' ';
    }
    return FormatXmlIndented(pszText, strIndent, strXml);
}

BOOL CEditValueDlg::OnInitDialog()
{
    CRSizableDlg::OnInitDialog();
    m_hIcon = (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_GRID_EDIT_VALUE),
                                  IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                  ::GetSystemMetrics(SM_CYSMICON), 0);
    SetIcon(m_hIcon, FALSE);
    if (!m_strTitle.IsEmpty())
    {
        CString strCaption;
        GetWindowText(strCaption);
        SetWindowText(strCaption + L" " + m_strTitle);
    }
    m_editor.SubclassDlgItem(IDC_VALUE_EDITOR, this);
    CString strText = m_value.m_strText;
    const bool bSqlServer = m_pHelper != nullptr && m_pHelper->GetDBMSKind() == DBMS_MSSQL;
    if (m_value.m_nKind == kGridValue && IsXmlCandidate(m_nSQLType, bSqlServer))
    {
        CString strXml;
        // A value the XML layout would not give back whole is shown, and kept, as it is.
        if (IsXmlKeptWhole(m_value.m_strText) && ParseXml(m_value.m_strText, strXml))
        {
            m_bXml = true;
            strText = strXml;
        }
    }
    if (m_bXml)
        theSettings.ApplyXMLViewSettings(m_editor.m_hWnd);
    else
        theSettings.ApplyTextViewSettings(m_editor.m_hWnd);
    m_editor.SetWindowText(strText);
    m_editor.SendMessage(EM_SETSEL, 0, 0);
    m_editor.SendMessage(EM_SCROLLCARET);
    m_buttons.Attach(this);
    SetDlgItemText(IDC_VALUE_FIND, LastFindText());
    GetDlgItem(IDC_MOVE_DOWN)->EnableWindow(!LastFindText().IsEmpty());
    GetDlgItem(IDC_MOVE_UP)->EnableWindow(!LastFindText().IsEmpty());
    SaveControlPositions(kLayout, 7, m_offsets);
    RestorePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosEditValue]);
    return TRUE;
}

void CEditValueDlg::OnSize(UINT nType, int cx, int cy)
{
    CRSizableDlg::OnSize(nType, cx, cy);
    if (m_editor.m_hWnd == nullptr)
        return;
    MoveControls(kLayout, 7, m_offsets);
}

void CEditValueDlg::OnDestroy()
{
    SavePlacement(theSettings.m_dlgPos[CAppSettings::dlgPosEditValue]);
    if (m_editor.m_hWnd != nullptr)
    {
        theSettings.m_bEditValueWordWrap =
            (m_editor.SendMessage(WM_USER + 2) & 0x200) != 0 ? 1 : 0; // RCEM_GETOPTIONS
        theSettings.SaveEditValueWordWrap();
    }
    CRSizableDlg::OnDestroy();
}

void CEditValueDlg::OnFindChange()
{
    if (m_editor.m_hWnd == nullptr)
        return;
    GetDlgItemText(IDC_VALUE_FIND, LastFindText());
    GetDlgItem(IDC_MOVE_DOWN)->EnableWindow(!LastFindText().IsEmpty());
    GetDlgItem(IDC_MOVE_UP)->EnableWindow(!LastFindText().IsEmpty());
    FindInText(true, true);
}

void CEditValueDlg::FindInText(bool bFromSelectionStart, bool bDown)
{
    const CString strFind = LastFindText();
    if (strFind.IsEmpty())
        return;
    DWORD dwStart = 0, dwEnd = 0;
    m_editor.SendMessage(EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    RCEFindReplace find = {};
    find.text = strFind;
    find.length = -1;
    find.start = (INT32)(bFromSelectionStart ? dwStart : dwEnd);
    find.flags = bDown ? RCEFR_DOWN : 0;
    if (m_editor.SendMessage(RCEM_FINDREPLACE, 0, (LPARAM)&find))
    {
        m_editor.SendMessage(EM_SETSEL, find.start, find.start + strFind.GetLength());
        m_editor.SendMessage(EM_SCROLLCARET);
    }
}

void CEditValueDlg::OnOK()
{
    CString strText = m_editor.GetText();
    if (m_bXml)
    {
        CString strCompact;
        if (FormatXmlCompact(strText, strCompact))
        {
            // Typed XML the compact form would not hold whole is stored as typed.
            if (!strCompact.IsEmpty() && IsXmlKeptWhole(strText, strCompact))
                strText = strCompact;
            // The value the dialog opened with stays byte for byte when only its layout was
            // looked at.
            CString strOriginalCompact;
            if (FormatXmlCompact(m_strOriginal, strOriginalCompact) &&
                strOriginalCompact == strText)
                strText = m_strOriginal;
        }
        else
        {
            CString strQuestion;
            strQuestion.LoadString(IDS_INVALID_XML);
            if (AfxMessageBox(strQuestion, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
                return;
        }
    }
    m_bChanged = strText != m_strOriginal || (m_value.m_nKind != kGridValue && !strText.IsEmpty());
    // Told here, before the save: a server would refuse the value or, in some modes, cut it.
    const int nChars = CountCharacters(strText);
    if (m_bChanged && m_nLimit > 0 && nChars > m_nLimit)
    {
        AfxMessageBox(FormatLimitMessage(static_cast<int>(m_nLimit), nChars) +
                          L"\n\nShorten it, or Cancel to keep the value as it was.",
                      MB_ICONEXCLAMATION);
        m_editor.SetFocus();
        return;
    }
    if (m_bChanged)
    {
        m_value.m_strText = strText;
        m_value.m_nKind = kGridValue;
    }
    EndDialog(IDOK);
}
