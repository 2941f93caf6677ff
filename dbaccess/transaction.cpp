#include "dbaccess/transaction.h"

#include "dbaccess/error_report.h"

CRTransaction::CRTransaction(CRDatabase& db, bool bStart) : m_db(db)
{
    if (bStart && !m_db.IsInTransaction())
        m_bOwner = m_db.BeginGuard();
}

CRTransaction::~CRTransaction()
{
    if (!m_bOwner)
        return;
    try
    {
        m_db.EndTrans(false);
    }
    catch (CException* e)
    {
        CExceptionHolder dropped(e);
    }
    catch (...)
    {}
}

void CRTransaction::Commit()
{
    if (!m_bOwner)
        return;
    m_bOwner = false;
    m_db.EndTrans(true);
}

void CRTransaction::Rollback()
{
    if (!m_bOwner)
        return;
    m_bOwner = false;
    m_db.EndTrans(false);
}
