// The environment of one driver-manager list (data sources or drivers). It lives for one read
// of the list and is freed on every way out of it, a failed list call included: the exception
// takes the environment's diagnostics when it is made, before the environment goes.
//
//     CRListEnvironment env;
//     if (!env.IsValid()) return false;
//     SQLRETURN nRet = SQLDriversW(env.Get(), ...);
//     if (!SQL_SUCCEEDED(nRet)) env.ThrowFailure(nRet);
#pragma once

#include "dbaccess/db_exception.h"

class CRListEnvironment
{
public:
    // Allocated the ODBC 2 way, as the lists have always been read.
    CRListEnvironment()
    {
        if (!SQL_SUCCEEDED(SQLAllocEnv(&m_hEnv)))
            m_hEnv = SQL_NULL_HENV;
    }
    ~CRListEnvironment()
    {
        if (m_hEnv != SQL_NULL_HENV)
            SQLFreeEnv(m_hEnv);
    }
    CRListEnvironment(const CRListEnvironment&) = delete;
    CRListEnvironment& operator=(const CRListEnvironment&) = delete;

    bool IsValid() const { return m_hEnv != SQL_NULL_HENV; }
    SQLHENV Get() const { return m_hEnv; }

    // Throws what the environment's diagnostics say about a failed list call.
    [[noreturn]] void ThrowFailure(SQLRETURN nRet) const
    {
        throw new Zelt::CRDBException(m_hEnv, SQL_NULL_HDBC, SQL_NULL_HSTMT, nRet);
    }

private:
    SQLHENV m_hEnv = SQL_NULL_HENV;
};
