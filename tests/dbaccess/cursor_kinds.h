// The cursors the program reads results through, for suites run on every database and kind:
// the recordset itself, and memory cursors over a forward-only recordset, bound and unbound,
// or over FETCHes from a cursor held in a PostgreSQL session.
#pragma once

#include "recordset_test_util.h"

#include "dbaccess/held_cursor.h"
#include "dbaccess/mem_cursor.h"

#include <memory>
#include <string>

namespace QlRsTest {

enum class Kind
{
    Recordset,
    MemBound,
    MemUnbound,
    // A read as a table window makes it: its columns declared (SQLite steps through it), bound,
    // read ahead after its first block.
    MemDeclared,
    // A PostgreSQL table window's read: FETCHes from a cursor held in the session.
    MemHeld
};

struct CursorParam
{
    Db db;
    Kind kind;
};

inline std::string CursorParamName(const testing::TestParamInfo<CursorParam>& info)
{
    static const char* kinds[] = {"Recordset", "MemBound", "MemUnbound", "MemDeclared", "MemHeld"};
    return std::string(DbName(info.param.db)) + "_" + kinds[static_cast<int>(info.param.kind)];
}

// Opens the statement as the kind reads it (read-only, plus the options).
inline std::unique_ptr<Zelt::ICursor> OpenCursor(CRDatabase* db, Kind kind, const CString& sql,
                                                 UINT options = 0)
{
    auto rs = std::make_unique<CRRecordset>(db);
    switch (kind)
    {
    case Kind::Recordset: rs->Open(sql, RS_STATIC, RS_READONLY | options); return rs;
    case Kind::MemBound:
        rs->Open(sql, RS_FORWARD_ONLY, RS_READONLY | options);
        return std::make_unique<Zelt::CMemCursor>(std::move(rs));
    case Kind::MemDeclared:
        rs->Open(sql, RS_FORWARD_ONLY, RS_READONLY | RS_DECLARED_COLUMNS | options);
        rs->ReadAheadFromNextBlock();
        return std::make_unique<Zelt::CMemCursor>(std::move(rs));
    case Kind::MemHeld: {
        auto held = std::make_unique<Zelt::CHeldCursor>(db, sql, options);
        held->Open([](CRRecordset& step, LPCWSTR pszText, UINT nOptions) {
            return step.Open(pszText, RS_FORWARD_ONLY, nOptions);
        });
        return std::make_unique<Zelt::CMemCursor>(std::move(held));
    }
    default:
        rs->Open(sql, RS_FORWARD_ONLY, RS_READONLY | RS_UNBOUND | options);
        return std::make_unique<Zelt::CMemCursor>(std::move(rs));
    }
}

inline auto EveryDatabaseAndCursorKind()
{
    return testing::Values(
        CursorParam{Db::SQLite, Kind::Recordset}, CursorParam{Db::SQLite, Kind::MemBound},
        CursorParam{Db::SQLite, Kind::MemUnbound}, CursorParam{Db::SQLite, Kind::MemDeclared},
        CursorParam{Db::PostgreSQL, Kind::Recordset}, CursorParam{Db::PostgreSQL, Kind::MemBound},
        CursorParam{Db::PostgreSQL, Kind::MemUnbound},
        CursorParam{Db::PostgreSQL, Kind::MemDeclared}, CursorParam{Db::PostgreSQL, Kind::MemHeld},
        CursorParam{Db::MariaDB, Kind::Recordset}, CursorParam{Db::MariaDB, Kind::MemBound},
        CursorParam{Db::MariaDB, Kind::MemUnbound});
}

} // namespace QlRsTest
