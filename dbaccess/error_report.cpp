// The standard error box and its text.
#include "dbaccess/error_report.h"

#include "framework/ui.h"

Zelt::CRDBException* CExceptionHolder::GetDBException() const
{
    return dynamic_cast<Zelt::CRDBException*>(m_pException);
}

void CExceptionHolder::Reset(CException* pNew)
{
    CException* old = std::exchange(m_pException, pNew);
    if (old != nullptr && old != pNew)
        old->Delete();
}

int DisplayedReturnCode(const Zelt::CRDBException& e)
{
    // The code is kept as a WORD; ODBC's codes are signed shorts.
    return static_cast<short>(e.m_nRetCode);
}

CString FormatErrorText(CException* e, LPCWSTR pszLineEnd)
{
    if (e == nullptr)
        return L"Unknown exception";
    if (auto* db = dynamic_cast<Zelt::CRDBException*>(e))
    {
        CString text;
        text.Format(L"ODBC error code: %d", DisplayedReturnCode(*db));
        text += pszLineEnd;
        if (!db->m_strSQLState.IsEmpty())
        {
            text += L"State: " + db->m_strSQLState;
            text += pszLineEnd;
        }
        CString message = db->m_strError;
        if (wcscmp(pszLineEnd, L"\n") != 0)
            message.Replace(L"\n", pszLineEnd);
        return text + message;
    }
    WCHAR buffer[1024] = {};
    if (e->GetErrorMessage(buffer, _countof(buffer)) && buffer[0] != 0)
        return buffer;
    return L"Unknown exception";
}

bool IsCancelledStatementError(const Zelt::CRDBException& e)
{
    return e.m_bStopAsked;
}

namespace {

HWND DefaultOwner(HWND hOwner)
{
    if (hOwner != nullptr)
        return hOwner;
    CWnd* pMain = AfxGetMainWnd();
    return pMain != nullptr ? pMain->GetSafeHwnd() : nullptr;
}

} // namespace

void ReportException(CException* e, HWND hOwner)
{
    CExceptionHolder held(e);
    if (e != nullptr && dynamic_cast<Zelt::CRDBException*>(e) == nullptr &&
        dynamic_cast<CUserException*>(e) != nullptr)
        return; // the user was told already
    if (e != nullptr && dynamic_cast<Zelt::CRDBException*>(e) == nullptr)
    {
        e->ReportError(MB_OK | MB_ICONERROR); // a framework exception reports itself
        return;
    }
    CString text = FormatErrorText(e);
    ::MessageBoxW(DefaultOwner(hOwner), text, AfxGetAppName(), MB_OK | MB_ICONERROR);
}

void ReportUnknownException(HWND hOwner)
{
    ::MessageBoxW(DefaultOwner(hOwner), L"Unknown exception", AfxGetAppName(),
                  MB_OK | MB_ICONERROR);
}
