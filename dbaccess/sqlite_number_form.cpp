#include "dbaccess/sqlite_number_form.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

CString QuotedName(const CString& column)
{
    CString name = column;
    name.Replace(L"\"", L"\"\"");
    return L"\"" + name + L"\"";
}

CString Quoted(const CString& text)
{
    CString doubled = text;
    doubled.Replace(L"'", L"''");
    return L"'" + doubled + L"'";
}

bool IsIntegerText(const std::wstring& text)
{
    size_t i = text[0] == L'-' ? 1 : 0;
    if (i == text.size() || (text[i] == L'0' && (i > 0 || text.size() > 1)))
        return false;
    for (size_t j = i; j < text.size(); ++j)
        if (text[j] < L'0' || text[j] > L'9')
            return false;
    errno = 0;
    wchar_t* end = nullptr;
    std::wcstoll(text.c_str(), &end, 10);
    return errno != ERANGE;
}

// SQLite writes a real with 15 significant digits and always with its point: 2.0, 1.0e+20.
bool IsRealText(const std::wstring& text)
{
    if (text.find_first_not_of(L"-0123456789.e+") != std::wstring::npos ||
        text.find(L'.') == std::wstring::npos)
        return false;
    const std::string narrow(text.begin(), text.end());
    char* end = nullptr;
    const double value = std::strtod(narrow.c_str(), &end);
    if (end != narrow.c_str() + narrow.size())
        return false;
    char written[40];
    std::snprintf(written, sizeof written, "%.15g", value);
    std::string sqlite = written;
    if (sqlite.find_first_of(".ni") == std::string::npos)
    {
        const size_t e = sqlite.find('e');
        sqlite.insert(e == std::string::npos ? sqlite.size() : e, ".0");
    }
    return sqlite == narrow;
}

// The SQL form of ReadsAsSQLiteNumber for a text in the column: it reads the same cast to an
// integer or a real and back.
CString NumberTextCondition(const CString& name)
{
    return L"(CAST(CAST(" + name + L" AS INTEGER) AS TEXT)=" + name + L" OR CAST(CAST(" + name +
           L" AS REAL) AS TEXT)=" + name + L" OR " + name + L" IN ('Inf','-Inf'))";
}

} // namespace

bool ReadsAsSQLiteNumber(const CString& text)
{
    if (text.IsEmpty())
        return false;
    const std::wstring value(text.GetString());
    return value == L"Inf" || value == L"-Inf" || IsIntegerText(value) || IsRealText(value);
}

bool MayHoldSQLiteNumbers(const CString& declaredType)
{
    CString type = declaredType;
    type.MakeUpper();
    if (type.Find(L"INT") >= 0)
        return true;
    return type.Find(L"CHAR") < 0 && type.Find(L"CLOB") < 0 && type.Find(L"TEXT") < 0;
}

CString SQLiteColumnNumberFormsQuestion(const CString& table, const CString& column)
{
    const CString name = QuotedName(column);
    return L"SELECT coalesce(max(typeof(" + name + L") IN ('integer','real')),0)+2*coalesce(max(" +
           L"typeof(" + name + L")='text' AND " + NumberTextCondition(name) + L"),0) FROM " + table;
}

CString SQLiteNumberFormQuestion(const CString& table, const CString& column, const CString& text)
{
    const CString name = QuotedName(column);
    // A real is compared as it reads (with 15 digits), as the driver read it.
    return L"SELECT coalesce(max(typeof(" + name + L") IN ('integer','real')),0)+2*coalesce(max(" +
           L"typeof(" + name + L")='text'),0) FROM " + table + L" WHERE CAST(" + name +
           L" AS TEXT)=" + Quoted(text);
}
