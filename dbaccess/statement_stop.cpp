#include "dbaccess/statement_stop.h"

#include "dbaccess/db_exception.h"

#include <sqlext.h>

namespace {
// One handle may take the cancels of several statements (CRDatabase::CancelHandleFor): no two
// reach the driver at once.
std::mutex s_cancelling;
} // namespace

void CStatementStop::Ask()
{
    m_bAsked = true;
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_hRunning == SQL_NULL_HSTMT)
        return;
    std::lock_guard<std::mutex> cancelling(s_cancelling);
    SQLCancel(m_hRunning);
}

CStatementStop::CRunning::CRunning(CStatementStop& stop, SQLHSTMT hCancel) : m_stop(stop)
{
    std::lock_guard<std::mutex> lock(m_stop.m_lock);
    m_stop.m_hRunning = hCancel;
}

CStatementStop::CRunning::~CRunning()
{
    std::lock_guard<std::mutex> lock(m_stop.m_lock);
    m_stop.m_hRunning = SQL_NULL_HSTMT;
}

void ThrowStoppedBeforeStart()
{
    auto* e = new Zelt::CRDBException(L"Operation canceled");
    e->m_nRetCode = static_cast<WORD>(SQL_ERROR);
    e->m_strSQLState = L"HY008";
    e->m_bStopAsked = true;
    throw e;
}
