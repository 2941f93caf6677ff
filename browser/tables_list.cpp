// Window-free rules of the tables dialog.
#include "browser/tables_list.h"

#include "services/database_helper.h"

#include <cwchar>

int CompareTablesRows(const CTablesRow& a, const CTablesRow& b, int nColumn, bool bAscending)
{
    const CString& x = nColumn == 1 ? a.m_strSchema : a.m_strName;
    const CString& y = nColumn == 1 ? b.m_strSchema : b.m_strName;
    const int n = _wcsicmp(x, y);
    return bAscending ? n : -n;
}

CString MakeDropQuestion(int nObjectKind, const std::vector<CString>& names)
{
    CString text = nObjectKind == DBOBJ_VIEW        ? L"View"
                   : nObjectKind == DBOBJ_PROCEDURE ? L"Procedure"
                                                    : L"Table";
    if (names.size() > 1)
        text += L"s";
    text += L" '";
    for (size_t i = 0; i < names.size(); ++i)
    {
        if (i)
            text += L", ";
        text += names[i];
    }
    text += L"' will be dropped.\nContinue?";
    return text;
}

int GetDropObjectKind(int nObjectKind, int nProcType)
{
    if (nObjectKind == DBOBJ_PROCEDURE)
        return nProcType == 2 ? DBOBJ_FUNCTION : DBOBJ_PROCEDURE;
    return nObjectKind;
}

CString JoinCopiedNames(const std::vector<CString>& names)
{
    CString text;
    for (size_t i = 0; i < names.size(); ++i)
    {
        if (i)
            text += L" \r\n";
        text += names[i];
    }
    return text;
}
