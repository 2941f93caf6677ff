// CRenameDBObjDlg "Rename": asks for the new name of an object, or of a column, constraint,
// trigger or index of an object (the sub-name).
#pragma once

#include "framework/ui.h"

#include "dbaccess/sql_names.h"

class CRenameDBObjDlg : public CDialog
{
public:
    // pszSubName: the part that gets a new name; null or empty renames the object itself.
    CRenameDBObjDlg(UINT nKind, CStringPair* pObject, LPCWSTR pszSubName, CWnd* pParent);

    // The new name as typed (neither trimmed nor checked: the database judges it).
    CString GetNewName() const { return m_strNewName; }
    // The old-name text and the proposal the dialog starts with.
    static CString GetOldNameText(const CStringPair& object, LPCWSTR pszSubName);
    static CString GetProposal(const CStringPair& object, LPCWSTR pszSubName);

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    UINT m_nKind;
    CStringPair* m_pObject;
    CString m_strSubName;
    CEdit m_editOld;
    CEdit m_editNew;
    CString m_strNewName;
};
