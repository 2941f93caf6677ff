// Helpers of the object statement tests: a dialect for a product without a connection, a file
// of canned answers for the fake driver, and a catcher of the message boxes operations show.
#pragma once

#include "services/sql_dialect.h"

#include "tests/dbaccess/test_databases.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace qlobjsql {

inline std::string A(const CString& s)
{
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, s, s.GetLength(), nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, s, s.GetLength(), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

// Quoting as the products do it for names that need quotes (by the rules that need no
// connection), literals as each product reads them by default.
class CTestDialect : public CSQLDialect
{
public:
    explicit CTestDialect(DBMSKind nKind) : m_nKind(nKind) {}

    DBMSKind GetKind() const override { return m_nKind; }
    CString Name(LPCWSTR pszName) const override
    {
        if (!NeedsSQLQuotes(pszName, nullptr))
            return pszName;
        CString s = pszName;
        if (m_nKind == DBMS_MYSQL)
        {
            s.Replace(L"`", L"``");
            return L"`" + s + L"`";
        }
        s.Replace(L"\"", L"\"\"");
        return L"\"" + s + L"\"";
    }
    CString ObjectName(const CStringPair& name) const override
    {
        CString s = Name(name.m_strSecond);
        return name.m_strFirst.IsEmpty() ? s : Name(name.m_strFirst) + L"." + s;
    }
    CString TwoPartName(LPCWSTR pszFirst, LPCWSTR pszSecond) const override
    {
        return (pszFirst && *pszFirst) ? Name(pszFirst) + L"." + Name(pszSecond) : Name(pszSecond);
    }
    CString Literal(LPCWSTR pszText) const override
    {
        return CRDatabase::FormatStringLiteral(m_nKind, pszText ? pszText : L"");
    }

private:
    DBMSKind m_nKind;
};

// Canned answers for the fake driver (Canned=<file>): built item by item, written by Save.
class CCannedAnswers
{
public:
    CCannedAnswers() : m_path(QlTestDb::NewUnixTempPath(L"canned", L".txt")) {}
    ~CCannedAnswers() { QlTestDb::RemoveUnixFile(m_path); }
    CCannedAnswers(const CCannedAnswers&) = delete;
    CCannedAnswers& operator=(const CCannedAnswers&) = delete;

    CString ConnectKey() const { return L"Canned=" + m_path + L";"; }

    CCannedAnswers& Statement(LPCWSTR pszPrefix)
    {
        return Line(CString(L"statement ") + pszPrefix);
    }
    // Names separated by "|"; "NAME:int" for an integer column.
    CCannedAnswers& Columns(LPCWSTR pszNames) { return Line(L"columns " + Tabs(pszNames)); }
    // Values separated by "|"; "\\N" is NULL.
    CCannedAnswers& Row(LPCWSTR pszValues) { return Line(L"row " + Tabs(pszValues)); }
    CCannedAnswers& NextResult() { return Line(L"result"); }
    CCannedAnswers& Error(LPCWSTR pszState, LPCWSTR pszMessage)
    {
        return Line(CString(L"error ") + pszState + L" " + pszMessage);
    }
    void Save() const
    {
        const std::string bytes = A(m_text);
        HANDLE h = ::CreateFileW(QlTestDb::WindowsPathOf(m_path), GENERIC_WRITE, FILE_SHARE_READ,
                                 nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(h);
    }
    void Clear() { m_text.Empty(); }

private:
    CCannedAnswers& Line(const CString& text)
    {
        m_text += text + L"\n";
        return *this;
    }
    static CString Tabs(LPCWSTR psz)
    {
        CString s = psz;
        s.Replace(L"|", L"\t");
        return s;
    }

    CString m_path;
    CString m_text;
};

// While it lives, every message box the thread shows is read and closed (a box nobody closes
// would hang the test program).
class CMessageBoxCatcher
{
public:
    CMessageBoxCatcher()
    {
        s_pTexts = &m_texts;
        m_nTimer = ::SetTimer(nullptr, 0, 30, &CMessageBoxCatcher::OnTimer);
    }
    ~CMessageBoxCatcher()
    {
        ::KillTimer(nullptr, m_nTimer);
        s_pTexts = nullptr;
    }
    CMessageBoxCatcher(const CMessageBoxCatcher&) = delete;
    CMessageBoxCatcher& operator=(const CMessageBoxCatcher&) = delete;

    // The texts of the boxes closed so far; forgotten afterwards.
    std::vector<CString> Take() { return std::exchange(m_texts, {}); }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND hFound = nullptr;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND hWnd, LPARAM lParam) -> BOOL {
                wchar_t cls[32] = {};
                ::GetClassNameW(hWnd, cls, 32);
                if (wcscmp(cls, L"#32770") == 0 && ::IsWindowVisible(hWnd))
                {
                    *reinterpret_cast<HWND*>(lParam) = hWnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&hFound));
        if (!hFound)
            return;
        wchar_t text[2048] = {};
        ::GetDlgItemTextW(hFound, 0xFFFF, text, 2048);
        if (s_pTexts)
            s_pTexts->push_back(text);
        ::PostMessageW(hFound, WM_COMMAND, IDOK, 0);
    }

    static inline std::vector<CString>* s_pTexts = nullptr;
    std::vector<CString> m_texts;
    UINT_PTR m_nTimer = 0;
};

} // namespace qlobjsql
