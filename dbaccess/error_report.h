// The one way to handle a caught exception: the standard error box, the text it shows, and a
// holder that deletes a caught exception on every path.
//
// Exceptions are thrown by pointer and must be deleted by the handler that catches them. Catch
// sites do not call Delete themselves; they either report and forget:
//
//     if (!RunReportingErrors([&] { db.ExecuteSQL(sql); }))
//         return false;                 // the user has seen the error box
//
// or keep the exception for a while (to read it, re-report it later, carry it to another thread):
//
//     catch (CException* e)
//     {
//         CExceptionHolder held(e);     // deleted when held goes out of scope
//         output.Add(FormatErrorText(held.Get(), L"\r\n"));
//     }
//
// The box reads "ODBC error code: %d\n", "State: <SQLSTATE>\n" (only when there is one) and the
// message for a database error, the exception's own message for any other framework exception,
// and "Unknown exception" for anything else.
#pragma once

#include "framework/core.h"
#include "dbaccess/db_exception.h"

#include <utility>

// Owns one caught exception and calls Delete on it when it goes out of scope.
class CExceptionHolder
{
public:
    CExceptionHolder() = default;
    explicit CExceptionHolder(CException* e) : m_pException(e) {}
    ~CExceptionHolder() { Reset(); }
    CExceptionHolder(CExceptionHolder&& other) noexcept : m_pException(other.Release()) {}
    CExceptionHolder& operator=(CExceptionHolder&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    CExceptionHolder(const CExceptionHolder&) = delete;
    CExceptionHolder& operator=(const CExceptionHolder&) = delete;

    CException* Get() const { return m_pException; }
    explicit operator bool() const { return m_pException != nullptr; }
    // The held exception as a database error, or null when it is another kind.
    Zelt::CRDBException* GetDBException() const;
    // Gives up ownership without deleting (to rethrow it, for example).
    CException* Release() { return std::exchange(m_pException, nullptr); }
    // Deletes the held exception and holds pNew instead.
    void Reset(CException* pNew = nullptr);

private:
    CException* m_pException = nullptr;
};

// The return code as the user sees it: SQL_ERROR is -1, SQL_INVALID_HANDLE -2.
int DisplayedReturnCode(const Zelt::CRDBException& e);

// The text of the standard error box with the given line end ("\n" for the box, "\r\n" for the
// output bar and the script error dialog). A null exception gives "Unknown exception".
CString FormatErrorText(CException* e, LPCWSTR pszLineEnd = L"\n");

// True for the error a driver answers the user's own Cancel with: the program had asked for the
// stop (CStatementStop). The SQLSTATE does not tell: a statement the server cancels itself
// (statement_timeout, lock_timeout, pg_cancel_backend, MariaDB's max_statement_time) fails with
// the same 57014 or 70100 as one the user cancelled, and that error is the user's to see. Such
// errors are not shown in a box.
bool IsCancelledStatementError(const Zelt::CRDBException& e);

// Shows the standard error box for the exception (owner: the main window when there is one) and
// deletes it. A null exception shows "Unknown exception".
void ReportException(CException* e, HWND hOwner = nullptr);
// The box for a caught non-framework exception: "Unknown exception".
void ReportUnknownException(HWND hOwner = nullptr);

// Runs the action; a framework exception it throws (database errors included) is shown in the
// standard error box and deleted, anything else shows "Unknown exception". Returns true when the
// action finished without an exception. bQuietOnCancel leaves cancelled statements unreported.
template <class Action>
bool RunReportingErrors(Action&& action, HWND hOwner = nullptr, bool bQuietOnCancel = true)
{
    try
    {
        std::forward<Action>(action)();
        return true;
    }
    catch (Zelt::CRDBException* e)
    {
        CExceptionHolder held(e);
        if (!(bQuietOnCancel && IsCancelledStatementError(*e)))
            ReportException(held.Release(), hOwner);
    }
    catch (CException* e)
    {
        ReportException(e, hOwner);
    }
    catch (...)
    {
        ReportUnknownException(hOwner);
    }
    return false;
}
