// The Options sheet's "Editor" page: font, colours, tabs, auto-save, encoding, ".sql" files.
#include "app/options_dlg.h"

#include "app/file_association.h"
#include "resources/resource.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CEditorOptionsDlg, COptionsPage)
    ON_NOTIFY(UDN_DELTAPOS, IDC_OPT_TAB_SIZE_SPIN, &CEditorOptionsDlg::OnDeltaposTabSize)
    ON_NOTIFY(UDN_DELTAPOS, IDC_OPT_AUTOSAVE_TIME_SPIN, &CEditorOptionsDlg::OnDeltaposAutosaveTime)
    ON_BN_CLICKED(IDC_OPT_AUTOSAVE, &CEditorOptionsDlg::OnAutosave)
    ON_BN_CLICKED(IDC_OPT_KEYWORD_COLOR, &CEditorOptionsDlg::OnKeywordColor)
    ON_BN_CLICKED(IDC_OPT_STRING_COLOR, &CEditorOptionsDlg::OnStringColor)
    ON_BN_CLICKED(IDC_OPT_NUMBER_COLOR, &CEditorOptionsDlg::OnNumberColor)
    ON_BN_CLICKED(IDC_OPT_COMMENT_COLOR, &CEditorOptionsDlg::OnCommentColor)
    ON_BN_CLICKED(IDC_OPT_ATTRIBUTE_COLOR, &CEditorOptionsDlg::OnAttributeColor)
    ON_BN_CLICKED(IDC_OPT_ASSOCIATE, &CEditorOptionsDlg::OnAssociate)
END_MESSAGE_MAP()

CEditorOptionsDlg::CEditorOptionsDlg(COptionsValues& values)
    : COptionsPage(IDD_OPTIONS_EDITOR, values, L"::/Properties.html#Editor")
{}

BOOL CEditorOptionsDlg::OnInitDialog()
{
    COptionsPage::OnInitDialog();
    m_fontCombo.SubclassDlgItem(IDC_OPT_FONT_NAME, this);
    m_fontCombo.FillFonts(kFontFilterDevice | kFontFilterRaster | kFontFilterTrueType);
    m_fontCombo.ShowFont(m_values.m_strFontName, (BYTE)m_values.m_nCharset);
    CString strFace;
    BYTE nCharset = 0;
    if (m_fontCombo.GetSelFont(strFace, nCharset) && strFace == m_values.m_strFontName &&
        nCharset == (BYTE)m_values.m_nCharset)
        m_nStoredFontIndex = m_fontCombo.GetCurSel();
    else
        m_nStoredFontIndex = -1;
    m_nShownFontIndex = m_fontCombo.GetCurSel();

    m_sizeCombo.SubclassDlgItem(IDC_OPT_FONT_SIZE, this);
    for (int nSize : {7, 8, 9, 10, 11, 12, 13, 14, 16, 18, 20, 22, 24, 28, 36, 48})
    {
        CString strSize;
        strSize.Format(L"%d", nSize);
        m_sizeCombo.AddString(strSize);
    }
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (::GetComboBoxInfo(m_sizeCombo.m_hWnd, &info) && info.hwndItem != nullptr)
        ::SetWindowLongW(info.hwndItem, GWL_STYLE,
                         ::GetWindowLongW(info.hwndItem, GWL_STYLE) | ES_NUMBER);
    CString strSize;
    strSize.Format(L"%d", m_values.m_nFontSize);
    const int nSizeIndex = m_sizeCombo.FindStringExact(-1, strSize);
    if (nSizeIndex >= 0)
        m_sizeCombo.SetCurSel(nSizeIndex);
    m_sizeCombo.SetWindowText(strSize);

    const std::pair<CRColorButton*, std::pair<UINT, COLORREF>> colors[] = {
        {&m_keywordColor, {IDC_OPT_KEYWORD_COLOR, m_values.m_crKeyword}},
        {&m_stringColor, {IDC_OPT_STRING_COLOR, m_values.m_crString}},
        {&m_numberColor, {IDC_OPT_NUMBER_COLOR, m_values.m_crNumber}},
        {&m_commentColor, {IDC_OPT_COMMENT_COLOR, m_values.m_crComment}},
        {&m_attributeColor, {IDC_OPT_ATTRIBUTE_COLOR, m_values.m_crAttribute}},
    };
    for (const auto& color : colors)
    {
        color.first->SubclassDlgItem(color.second.first, this);
        color.first->SetColor(color.second.second);
    }

    InitSpin(IDC_OPT_TAB_SIZE_SPIN, IDC_OPT_TAB_SIZE, 1, 8, m_values.m_nTabSize);
    SendDlgItemMessage(IDC_OPT_TAB_SIZE, EM_LIMITTEXT, 1, 0);
    InitSpin(IDC_OPT_AUTOSAVE_TIME_SPIN, IDC_OPT_AUTOSAVE_TIME, 1, 120, m_values.m_nAutosaveTime);
    SendDlgItemMessage(IDC_OPT_AUTOSAVE_TIME, EM_LIMITTEXT, 3, 0);
    m_encodingCombo.SubclassDlgItem(IDC_OPT_EDITOR_ENCODING, this);
    m_encodingCombo.Init((UINT)m_values.m_nEditorEncoding);
    UpdateData(FALSE);
    EnableAutosaveControls();
    return TRUE;
}

void CEditorOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    COptionsPage::DoDataExchange(pDX);
    COptionsValues& v = m_values;
    DDX_Text(pDX, IDC_OPT_TAB_SIZE, v.m_nTabSize);
    DDX_Check(pDX, IDC_OPT_TAB_SPACES, v.m_bTabUseSpaces);
    DDX_Check(pDX, IDC_OPT_INDENT, v.m_bIndent);
    DDX_Check(pDX, IDC_OPT_WANT_TAB, v.m_bWantTab);
    DDX_Check(pDX, IDC_OPT_VIRTUAL_SPACE, v.m_bVirtualSpace);
    DDX_Check(pDX, IDC_OPT_AUTO_COMPLETE, v.m_bAutoComplete);
    DDX_Check(pDX, IDC_OPT_AUTOSAVE, v.m_bAutosave);
    DDX_Text(pDX, IDC_OPT_AUTOSAVE_TIME, v.m_nAutosaveTime);
    // Pasted text is not held to the edits' lengths: the spins' upper limits hold all the same
    // (tab stops billions of columns apart would hang the editor).
    if (pDX->m_bSaveAndValidate)
    {
        v.m_nTabSize = std::min(v.m_nTabSize, 8);
        v.m_nAutosaveTime = std::min(v.m_nAutosaveTime, 120);
    }
}

BOOL CEditorOptionsDlg::OnKillActive()
{
    if (!CheckPositive(IDC_OPT_TAB_SIZE) || !CheckPositive(IDC_OPT_FONT_SIZE) ||
        !CheckPositive(IDC_OPT_AUTOSAVE_TIME))
        return FALSE;
    return COptionsPage::OnKillActive();
}

void CEditorOptionsDlg::OnOK()
{
    // Wine and many systems lack the default face: a face the list never had stays as stored
    // unless the user chose another entry.
    CString strFace;
    BYTE nCharset = 0;
    if ((m_nStoredFontIndex >= 0 || m_fontCombo.GetCurSel() != m_nShownFontIndex) &&
        m_fontCombo.GetSelFont(strFace, nCharset))
    {
        m_values.m_strFontName = strFace;
        m_values.m_nCharset = nCharset;
    }
    CString strSize;
    m_sizeCombo.GetWindowText(strSize);
    m_values.m_nFontSize = _wtoi(strSize);
    m_values.m_crKeyword = m_keywordColor.GetColor();
    m_values.m_crString = m_stringColor.GetColor();
    m_values.m_crNumber = m_numberColor.GetColor();
    m_values.m_crComment = m_commentColor.GetColor();
    m_values.m_crAttribute = m_attributeColor.GetColor();
    m_values.m_nEditorEncoding = (int)m_encodingCombo.GetEncoding();
    COptionsPage::OnOK();
}

void CEditorOptionsDlg::EnableAutosaveControls()
{
    const BOOL bEnable = IsDlgButtonChecked(IDC_OPT_AUTOSAVE) == BST_CHECKED;
    for (UINT nID : {IDC_OPT_AUTOSAVE_TIME, IDC_OPT_AUTOSAVE_TIME_SPIN})
        ::EnableWindow(::GetDlgItem(m_hWnd, nID), bEnable);
}

void CEditorOptionsDlg::OnDeltaposTabSize(NMHDR* pNMHDR, LRESULT* pResult)
{
    StepValue(pNMHDR, pResult, IDC_OPT_TAB_SIZE, m_values.m_nTabSize, 1, 1, 8);
}

void CEditorOptionsDlg::OnDeltaposAutosaveTime(NMHDR* pNMHDR, LRESULT* pResult)
{
    StepValue(pNMHDR, pResult, IDC_OPT_AUTOSAVE_TIME, m_values.m_nAutosaveTime, 1, 1, 120);
}

void CEditorOptionsDlg::OnAutosave()
{
    EnableAutosaveControls();
}

void CEditorOptionsDlg::OnKeywordColor()
{
    ChooseColor(m_keywordColor, m_values.m_crKeyword);
}

void CEditorOptionsDlg::OnStringColor()
{
    ChooseColor(m_stringColor, m_values.m_crString);
}

void CEditorOptionsDlg::OnNumberColor()
{
    ChooseColor(m_numberColor, m_values.m_crNumber);
}

void CEditorOptionsDlg::OnCommentColor()
{
    ChooseColor(m_commentColor, m_values.m_crComment);
}

void CEditorOptionsDlg::OnAttributeColor()
{
    ChooseColor(m_attributeColor, m_values.m_crAttribute);
}

void CEditorOptionsDlg::OnAssociate()
{
    if (RegisterSqlFileAssociation(HKEY_CLASSES_ROOT))
        AfxMessageBox(IDS_ASSOCIATION_CREATED, MB_ICONINFORMATION);
    else
        AfxMessageBox(IDS_ASSOCIATION_FAILED, MB_ICONERROR);
}
