// CRRecordset: PostgreSQL's 'infinity' and '-infinity' dates and timestamps. psqlODBC writes
// stand-ins for them into its structures: today's date for either infinite date, 9999-12-31
// 23:59:59 and -9999-01-01 for the infinite timestamps. The first two are real values as well;
// where a value is one of them the driver is asked for it again as a double, which it reads from
// the server's text ("infinity" reads as an infinite number, any date as its year).
// The era of a date column is beyond this: psqlODBC reads "0044-03-15 BC" as 44-03-15 for every
// C type it offers (structures, text, numbers: the text it hands over is rebuilt from the parsed
// date), so a date BC reads as the same date AD and nothing tells them apart. Timestamps keep
// their era (a negative year).
#include "dbaccess/recordset.h"

#include "dbaccess/value_text.h"
#include "framework/date_time.h"

#include <cmath>

namespace {

bool IsDateType(SQLSMALLINT type)
{
    return type == SQL_TYPE_DATE || type == SQL_DATE;
}

bool IsTimestampType(SQLSMALLINT type)
{
    return type == SQL_TYPE_TIMESTAMP || type == SQL_TIMESTAMP;
}

// The driver's stand-in of an infinite date is the date of its own clock; a day either side
// covers a midnight between its reading and ours.
bool IsNearToday(const TIMESTAMP_STRUCT& ts)
{
    if (ts.month < 1 || ts.month > 12 || ts.day < 1 || ts.day > 31)
        return false;
    // Today, taken again each second at most (dates are checked row by row).
    thread_local ULONGLONG takenAt = 0;
    thread_local long long today = 0;
    const ULONGLONG ticks = GetTickCount64();
    if (takenAt == 0 || ticks - takenAt >= 1000)
    {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        today = DaysFromCivil(now.wYear, now.wMonth, now.wDay);
        takenAt = ticks ? ticks : 1;
    }
    const long long diff = DaysFromCivil(ts.year, ts.month, ts.day) - today;
    return diff >= -1 && diff <= 1;
}

} // namespace

bool CRRecordset::ReadsInfinityStandIns(UINT col) const
{
    if (!m_bInfinityStandIns || col < 1 || col > m_descs.size())
        return false;
    const SQLSMALLINT type = m_descs[col - 1].nSQLType;
    return m_columns[col - 1]->nCType == SQL_C_TIMESTAMP &&
           (IsDateType(type) || IsTimestampType(type));
}

void CRRecordset::CorrectInfinity(UINT col, TIMESTAMP_STRUCT& ts,
                                  const std::function<void()>& position)
{
    const SQLSMALLINT type = m_descs[col - 1].nSQLType;
    bool ask = false;
    if (IsTimestampType(type))
    {
        if (ts.year == -9999 && ts.month == 1 && ts.day == 1 && ts.hour == 0 && ts.minute == 0 &&
            ts.second == 0 && ts.fraction == 0)
        {
            // No timestamp of PostgreSQL's reaches back to 9999 BC.
            SetInfiniteTimestamp(ts, true);
            return;
        }
        ask = ts.year == 9999 && ts.month == 12 && ts.day == 31 && ts.hour == 23 &&
              ts.minute == 59 && ts.second == 59 && ts.fraction == 0;
    }
    else
    {
        ask = IsNearToday(ts);
    }
    if (!ask)
        return;
    position();
    double value = 0;
    SQLLEN ind = 0;
    SQLRETURN rc;
    do
        rc = SQLGetData(m_hStmt, static_cast<SQLUSMALLINT>(col), SQL_C_DOUBLE, &value, sizeof value,
                        &ind);
    while (rc == SQL_STILL_EXECUTING);
    if (SQL_SUCCEEDED(rc) && ind == sizeof value && std::isinf(value))
        SetInfiniteTimestamp(ts, value < 0);
}

void CRRecordset::CorrectInfinities()
{
    if (!m_bInfinityStandIns)
        return;
    bool positioned = !InBlocks();
    for (UINT col = 1; col <= m_columns.size(); ++col)
    {
        CSQLColumn& rec = *m_columns[col - 1];
        if (!ReadsInfinityStandIns(col) || !rec.value.p ||
            rec.nIndicator != sizeof(TIMESTAMP_STRUCT))
            continue;
        CorrectInfinity(col, *static_cast<TIMESTAMP_STRUCT*>(rec.value.p), [&] {
            if (!positioned)
                PositionInBlock();
            positioned = true;
        });
    }
}
