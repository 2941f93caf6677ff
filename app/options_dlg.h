// The Options sheet: pages "Main", "Database objects" and "Editor" over one COptionsValues.
#pragma once

#include "app/options_values.h"
#include "controls/font_combo.h"
#include "controls/owner_draw_button.h"
#include "services/encoding_combo.h"

class COptionsPage : public CPropertyPage
{
    DECLARE_DYNAMIC(COptionsPage)

public:
    COptionsPage(UINT nIDTemplate, COptionsValues& values, LPCWSTR pszHelpTopic)
        : CPropertyPage(nIDTemplate), m_values(values), m_pszHelpTopic(pszHelpTopic)
    {}

    afx_msg void OnHelp();
    afx_msg BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    // Remembers this page as the sheet's active one.
    BOOL OnSetActive() override;

protected:
    // Empty or 0: the message, the focus to the field and false.
    bool CheckPositive(UINT nID);
    // Sets a spin's range, its buddy and its position.
    void InitSpin(UINT nSpinID, UINT nEditID, int nLower, int nUpper, int nValue);
    // One arrow of a spin (UDN_DELTAPOS): the edit's value taken, stepped by the arrow times
    // nStep and written back; below nMin keeps the old value, nMax (when > 0) caps it.
    void StepValue(NMHDR* pNMHDR, LRESULT* pResult, UINT nEditID, int& nValue, int nStep, int nMin,
                   int nMax);
    // Opens the colour dialog for a swatch button; OK stores the colour there and in crValue.
    void ChooseColor(CRColorButton& button, COLORREF& crValue);

    COptionsValues& m_values;
    LPCWSTR m_pszHelpTopic;
    DECLARE_MESSAGE_MAP()
};

class CMainOptionsDlg : public COptionsPage
{
public:
    explicit CMainOptionsDlg(COptionsValues& values);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnKillActive() override;
    void EnableCacheControls();

    afx_msg void OnDeltaposConnectionTimeout(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDeltaposLoginTimeout(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDeltaposQueryTimeout(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDeltaposConnectStrings(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDeltaposSQLQueries(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDeltaposCacheSize(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnUseCache();
    afx_msg void OnMarkEditLines();
    afx_msg void OnEditLinesColor();

    CRColorButton m_editLinesColor;
    DECLARE_MESSAGE_MAP()
};

class CDBObjOptionsDlg : public COptionsPage
{
public:
    explicit CDBObjOptionsDlg(COptionsValues& values);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
};

class CEditorOptionsDlg : public COptionsPage
{
public:
    explicit CEditorOptionsDlg(COptionsValues& values);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnKillActive() override;
    void OnOK() override;

    afx_msg void OnDeltaposTabSize(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnDeltaposAutosaveTime(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnAutosave();
    afx_msg void OnKeywordColor();
    afx_msg void OnStringColor();
    afx_msg void OnNumberColor();
    afx_msg void OnCommentColor();
    afx_msg void OnAttributeColor();
    afx_msg void OnAssociate();

    CRFontComboBox m_fontCombo;
    CComboBox m_sizeCombo;
    CEncodingComboBox m_encodingCombo;
    CRColorButton m_keywordColor;
    CRColorButton m_stringColor;
    CRColorButton m_numberColor;
    CRColorButton m_commentColor;
    CRColorButton m_attributeColor;

private:
    void EnableAutosaveControls();
    // The face entry selected at start; -1 when the stored face is not in the list (a system
    // without that font), in which case the stored face is kept unless the user picks another.
    int m_nStoredFontIndex = -1;
    int m_nShownFontIndex = -1;
    DECLARE_MESSAGE_MAP()
};

class COptionsDlg : public CPropertySheet
{

public:
    COptionsDlg(COptionsValues& values, CWnd* pParent, int nStartPage);

    // The page that was active when the sheet closed (kept by the pages as they become active:
    // by the time the sheet's window is gone its tab control cannot be asked).
    int m_nActivePage = 0;

    CMainOptionsDlg m_mainPage;
    CDBObjOptionsDlg m_dbObjPage;
    CEditorOptionsDlg m_editorPage;
};
