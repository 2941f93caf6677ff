// The dialect of an open connection.
#include "services/sql_dialect.h"

CString CSQLDialect::NameLiteral(const CStringPair& qualifiers, LPCWSTR pszPart) const
{
    CString strText;
    if (!qualifiers.m_strFirst.IsEmpty())
        strText += qualifiers.m_strFirst + L".";
    if (!qualifiers.m_strSecond.IsEmpty())
        strText += qualifiers.m_strSecond + L".";
    strText += pszPart ? pszPart : L"";
    return Literal(strText);
}

CString CConnectionDialect::Name(LPCWSTR pszName) const
{
    return QuoteSQLNameIfNeeded(pszName, m_pDatabase);
}

CString CConnectionDialect::ObjectName(const CStringPair& name) const
{
    return FormatObjectName(name, m_pDatabase, true);
}

CString CConnectionDialect::TwoPartName(LPCWSTR pszFirst, LPCWSTR pszSecond) const
{
    return MakeQuotedTwoPartName(pszFirst, pszSecond, m_pDatabase);
}

CString CConnectionDialect::Literal(LPCWSTR pszText) const
{
    return m_pDatabase->StringLiteral(pszText ? pszText : L"");
}
