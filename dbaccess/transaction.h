// A transaction that rolls back unless it was committed:
//
//     CRTransaction trans(db);          // begins, unless one is open already (then joins it)
//     db.ExecuteSQL(...);               // a throw leaves the scope: rolled back
//     trans.Commit();
//
// A joined transaction neither commits nor rolls back: its owner decides. The roll-back in the
// destructor never throws; its failure is dropped, since the original error is the one to show.
#pragma once

#include "dbaccess/database.h"

class CRTransaction
{
public:
    explicit CRTransaction(CRDatabase& db, bool bStart = true);
    ~CRTransaction();
    CRTransaction(const CRTransaction&) = delete;
    CRTransaction& operator=(const CRTransaction&) = delete;

    // True when this object began the transaction (and so ends it).
    bool IsOwner() const { return m_bOwner; }
    // Commits an owned transaction; driver failures throw. Later calls do nothing.
    void Commit();
    // Rolls an owned transaction back now; driver failures throw. Later calls do nothing.
    void Rollback();

private:
    CRDatabase& m_db;
    bool m_bOwner = false;
};
