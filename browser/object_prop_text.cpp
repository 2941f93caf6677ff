// Window-free texts of the object property lists.
#include "browser/object_prop_text.h"

CString FormatColumnCopyPart(LPCWSTR pszName, LPCWSTR pszType, LPCWSTR pszSize, LPCWSTR pszDigits,
                             bool bWithType)
{
    CString text = pszName;
    if (!bWithType)
        return text;
    text += L" ";
    text += pszType;
    // Some drivers (SQLite's) report the declared type with its size already, "VARCHAR(40)":
    // a second size would make the copy unusable as a column definition.
    const size_t nTypeLength = pszType ? wcslen(pszType) : 0;
    if (nTypeLength > 0 && pszType[nTypeLength - 1] == L')')
        return text;
    text += L"(";
    text += pszSize;
    if (pszDigits != nullptr && *pszDigits && wcscmp(pszDigits, L"0") != 0)
    {
        text += L",";
        text += pszDigits;
    }
    text += L")";
    return text;
}

CString JoinCopyParts(const std::vector<CString>& parts)
{
    CString text;
    for (size_t i = 0; i < parts.size(); ++i)
    {
        if (i > 0)
            text += L"\r\n";
        text += parts[i];
    }
    if (parts.size() > 1)
        text += L"\r\n";
    return text;
}

CString GetParamIOTypeText(int nColumnType)
{
    static const LPCWSTR kTexts[] = {L"Unknown",   L"In",  L"In, out",
                                     L"Resultset", L"Out", L"Return value"};
    return nColumnType >= 0 && nColumnType <= 5 ? CString(kTexts[nColumnType]) : CString();
}

CString FormatForeignKeyReference(LPCWSTR pszSchema, LPCWSTR pszTable, LPCWSTR pszColumn)
{
    CString text;
    if (pszSchema && *pszSchema)
        text += CString(pszSchema) + L".";
    if (pszTable && *pszTable)
        text += CString(pszTable) + L".";
    text += pszColumn;
    return text;
}

CString MakeListDropQuestion(LPCWSTR pszSingular, LPCWSTR pszPlural,
                             const std::vector<CString>& names)
{
    CString text = names.size() > 1 ? pszPlural : pszSingular;
    text += L" ";
    for (size_t i = 0; i < names.size(); ++i)
    {
        if (i > 0)
            text += L", ";
        text += names[i];
    }
    text += L" will be dropped.\nContinue?";
    return text;
}
