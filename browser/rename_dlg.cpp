// CRenameDBObjDlg: the new name of an object or of one of its parts.
#include "browser/rename_dlg.h"

#include "resources/resource.h"

CRenameDBObjDlg::CRenameDBObjDlg(UINT nKind, CStringPair* pObject, LPCWSTR pszSubName,
                                 CWnd* pParent)
    : CDialog(IDD_DBO_RENAME, pParent), m_nKind(nKind), m_pObject(pObject),
      m_strSubName(pszSubName ? pszSubName : L"")
{}

CString CRenameDBObjDlg::GetOldNameText(const CStringPair& object, LPCWSTR pszSubName)
{
    CString text = MakeObjectName(object, true);
    if (pszSubName != nullptr && *pszSubName)
        text += CString(L".") + pszSubName;
    return text;
}

CString CRenameDBObjDlg::GetProposal(const CStringPair& object, LPCWSTR pszSubName)
{
    return pszSubName != nullptr && *pszSubName ? CString(pszSubName) : object.m_strSecond;
}

void CRenameDBObjDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DBO_OLD_NAME, m_editOld);
    DDX_Control(pDX, IDC_DBO_NEW_NAME, m_editNew);
    DDX_Text(pDX, IDC_DBO_NEW_NAME, m_strNewName);
}

BOOL CRenameDBObjDlg::OnInitDialog()
{
    if (m_pObject != nullptr)
        m_strNewName = GetProposal(*m_pObject, m_strSubName);
    CDialog::OnInitDialog();
    if (m_pObject != nullptr)
        m_editOld.SetWindowText(GetOldNameText(*m_pObject, m_strSubName));
    return TRUE;
}
