// What the product's own client (psql, mysql, sqlite3) does with a user's statements, as far as
// another session can see it: whether a transaction is open or aborted, which rows are committed,
// which the session itself reads, and what the server holds for the session meanwhile. Pure logic,
// driven by the sequence test (session_sequence_test.cpp), which compares the program with it
// after every step.
//
// The scratch table holds integer ids. "Reads" are statements that read a table (a SELECT, a
// table window, a query grid, a procedure's SELECT); their rows are what Visible() gives when the
// read starts.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace QlSequence {

enum class Product
{
    PostgreSQL,
    MariaDB,
    SQLite
};

enum class SessionState
{
    None,
    Open,
    Aborted // PostgreSQL: an error inside the transaction; everything but its end is refused
};

class CSessionModel
{
public:
    explicit CSessionModel(Product product) : m_product(product) {}

    // ---- Statements; each returns whether the native client reports success.

    // isolation: 0 the product's default, 1 repeatable read, 2 serializable; bImmediate: SQLite's
    // BEGIN IMMEDIATE (the write lock at once).
    bool Begin(int isolation = 0, bool bImmediate = false)
    {
        if (m_state == SessionState::Aborted)
            return false;
        if (m_state == SessionState::Open)
        {
            if (m_product == Product::SQLite)
            {
                // "cannot start a transaction within a transaction", once IMMEDIATE has taken
                // the write lock
                if (bImmediate)
                    m_nLock = 2;
                return false;
            }
            if (m_product == Product::PostgreSQL)
            {
                // A warning; the transaction goes on, and its isolation level is set as by SET
                // TRANSACTION.
                return isolation == 0 || SetIsolation(isolation);
            }
            EndTransaction(true); // MariaDB commits the open one first
        }
        m_state = SessionState::Open;
        m_isolation = m_product == Product::MariaDB  ? 1
                      : m_product == Product::SQLite ? 2
                                                     : isolation;
        if (bImmediate)
            m_nLock = 2;
        return true;
    }
    // PostgreSQL's SET TRANSACTION ISOLATION LEVEL SERIALIZABLE.
    bool SetSerializable()
    {
        if (m_state == SessionState::None)
            return true; // a warning outside a transaction block
        if (m_state == SessionState::Aborted)
            return false;
        return SetIsolation(2);
    }
    bool Insert(int id)
    {
        if (m_state == SessionState::Aborted)
            return false;
        if (m_state == SessionState::None)
        {
            m_committed.push_back(id);
            return true;
        }
        Write();
        m_pending.push_back(id);
        return true;
    }
    // An insert of a key that is there: it fails, after taking the write's locks.
    bool InsertDuplicate()
    {
        if (m_state == SessionState::Aborted)
            return false;
        if (m_state == SessionState::Open)
            Write();
        return Fail();
    }
    // A statement the server refuses before it reads anything (a table that is not there), or,
    // bSnapshot, while reading (PostgreSQL's division by zero).
    bool FailingStatement(bool bSnapshot)
    {
        if (m_state == SessionState::Aborted)
            return false;
        if (bSnapshot)
            TakeSnapshot();
        return Fail();
    }
    // A read of a table; false when refused. Visible() gives its rows when it succeeds.
    bool Read()
    {
        if (m_state == SessionState::Aborted)
            return false;
        TakeSnapshot();
        if (m_state == SessionState::Open)
        {
            m_bTouched = true;
            m_nLock = std::max(m_nLock, 1);
        }
        return true;
    }
    bool Savepoint(const std::string& name)
    {
        if (m_state == SessionState::Aborted)
            return false;
        if (m_state == SessionState::None)
        {
            if (m_product == Product::PostgreSQL)
                return false; // 25P01: only in transaction blocks
            if (m_product == Product::MariaDB)
                return true;              // accepted, and gone with the statement's own transaction
            m_state = SessionState::Open; // SQLite: a deferred transaction begins
            m_isolation = 2;
        }
        m_savepoints.push_back({name, m_pending.size(), m_bTouched});
        return true;
    }
    bool RollbackTo(const std::string& name)
    {
        if (m_state == SessionState::None)
            return false;
        auto it = std::find_if(m_savepoints.rbegin(), m_savepoints.rend(),
                               [&](const CSavepoint& s) { return s.name == name; });
        if (it == m_savepoints.rend())
            return m_state == SessionState::Aborted ? false : Fail();
        const CSavepoint kept = *it;
        m_savepoints.erase(it.base(), m_savepoints.end()); // the named one stays
        m_pending.resize(kept.nPending);
        m_state = SessionState::Open;
        // MariaDB may let the table locks taken since the savepoint go: known only when some
        // were taken before it.
        if (!kept.bTouched)
            m_bTouchUnknown = m_bTouched;
        return true;
    }
    bool Commit()
    {
        if (m_state == SessionState::None)
            return m_product != Product::SQLite;       // SQLite: no transaction is active
        EndTransaction(m_state == SessionState::Open); // an aborted one rolls back
        return true;
    }
    bool Rollback()
    {
        if (m_state == SessionState::None)
            return m_product != Product::SQLite;
        EndTransaction(false);
        return true;
    }
    // Another session commits a row; on SQLite only while this session holds no lock.
    bool OtherInsert(int id)
    {
        if (m_product == Product::SQLite && m_nLock > 0)
            return false;
        m_committed.push_back(id);
        return true;
    }

    // ---- What is seen.

    SessionState State() const { return m_state; }
    size_t CommittedCount() const { return m_committed.size(); }
    size_t PendingCount() const { return m_pending.size(); }
    // The rows a read starting now gets, in ascending order.
    std::vector<int> Visible() const
    {
        std::vector<int> rows = m_bSnapshot ? m_snapshot : m_committed;
        rows.insert(rows.end(), m_pending.begin(), m_pending.end());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    // PostgreSQL: the transaction holds a transaction id (it wrote).
    bool HasWritten() const { return m_bWrote; }
    // MariaDB: the transaction holds table locks (it read or wrote a table); -1 when a rollback
    // to a savepoint leaves it open whether the server let them go.
    int HoldsTableLocks() const
    {
        if (m_state != SessionState::Open)
            return 0;
        return m_bTouchUnknown ? -1 : m_bTouched ? 1 : 0;
    }
    // SQLite: 0 no lock, 1 shared (another connection cannot commit a write), 2 reserved.
    int SQLiteLock() const { return m_nLock; }
    const std::vector<std::string>& SavepointNames() const
    {
        m_names.clear();
        for (const CSavepoint& s : m_savepoints)
            m_names.push_back(s.name);
        return m_names;
    }
    // One line for a report: "open, 3 committed, 2 pending, savepoints sp1 sp2".
    std::string Describe() const
    {
        std::string text = m_state == SessionState::None   ? "no transaction"
                           : m_state == SessionState::Open ? "transaction open"
                                                           : "transaction aborted";
        text += ", " + std::to_string(m_committed.size()) + " committed, " +
                std::to_string(m_pending.size()) + " pending";
        if (m_bSnapshot)
            text += ", snapshot of " + std::to_string(m_snapshot.size());
        for (const CSavepoint& s : m_savepoints)
            text += " " + s.name;
        return text;
    }

private:
    struct CSavepoint
    {
        std::string name;
        size_t nPending;
        bool bTouched;
    };

    // An error: PostgreSQL aborts an open transaction; the others go on (the statement alone
    // is undone).
    bool Fail()
    {
        if (m_product == Product::PostgreSQL && m_state == SessionState::Open)
            m_state = SessionState::Aborted;
        return false;
    }
    // Another level is refused once a query ran (25001) or inside a savepoint.
    bool SetIsolation(int isolation)
    {
        if (isolation == m_isolation)
            return true;
        if (m_bQueried || !m_savepoints.empty())
            return Fail();
        m_isolation = isolation;
        return true;
    }
    void Write()
    {
        if (m_product == Product::PostgreSQL)
            TakeSnapshot();
        m_bWrote = true;
        m_bTouched = true;
        m_nLock = 2;
    }
    // The snapshot of a repeatable-read transaction: PostgreSQL's first statement that needs one,
    // InnoDB's first read.
    void TakeSnapshot()
    {
        if (m_state == SessionState::Open)
            m_bQueried = true;
        if (m_state == SessionState::Open && m_isolation >= 1 && !m_bSnapshot)
        {
            m_bSnapshot = true;
            m_snapshot = m_committed;
        }
    }
    void EndTransaction(bool bCommit)
    {
        if (bCommit)
            m_committed.insert(m_committed.end(), m_pending.begin(), m_pending.end());
        m_pending.clear();
        m_savepoints.clear();
        m_snapshot.clear();
        m_state = SessionState::None;
        m_isolation = 0;
        m_bQueried = m_bSnapshot = m_bWrote = m_bTouched = m_bTouchUnknown = false;
        m_nLock = 0;
    }

    Product m_product;
    SessionState m_state = SessionState::None;
    std::vector<int> m_committed;
    std::vector<int> m_pending;
    std::vector<CSavepoint> m_savepoints;
    int m_isolation = 0;      // 0 read committed, 1 repeatable read, 2 serializable
    bool m_bQueried = false;  // PostgreSQL: a statement of the transaction took a snapshot
    bool m_bSnapshot = false; // the snapshot a repeatable read keeps
    std::vector<int> m_snapshot;
    bool m_bWrote = false;
    bool m_bTouched = false;
    bool m_bTouchUnknown = false;
    int m_nLock = 0;
    mutable std::vector<std::string> m_names;
};

} // namespace QlSequence
