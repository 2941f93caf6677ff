// CRRecordset: PostgreSQL's 'infinity' and '-infinity' dates and timestamps, and its dates and
// timestamps past the year 9999. psqlODBC writes stand-ins for them into its structures: today's
// date for either infinite date, 9999-12-31 23:59:59 and -9999-01-01 for the infinite
// timestamps; for a date past 9999 the first four digits of its year with today's month and
// day, for such a timestamp today's date at midnight (its text forms are as wrong: "1234-00-00",
// "0000-00-00 00:00:00"). All but one are real values as well; where a value is one of them
// the driver is asked for it again as a double, which it reads from the server's text
// ("infinity" reads as an infinite number, any date as its year). A year past 9999 is all that
// can be had of such a value: it is kept as that year alone (SetFarFutureTimestamp).
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

// Today's date by the local clock, taken again each second at most (dates are checked row by
// row): the driver's stand-ins are made of the date of its own clock.
void Today(SYSTEMTIME& today)
{
    thread_local ULONGLONG takenAt = 0;
    thread_local SYSTEMTIME now{};
    const ULONGLONG ticks = GetTickCount64();
    if (takenAt == 0 || ticks - takenAt >= 1000)
    {
        GetLocalTime(&now);
        takenAt = ticks ? ticks : 1;
    }
    today = now;
}

// Whether the value falls on today's month and day in its own year or one either side (a day
// either side covers a midnight between the driver's reading of its clock and ours).
bool IsNearToday(const TIMESTAMP_STRUCT& ts, bool anyYear)
{
    if (ts.month < 1 || ts.month > 12 || ts.day < 1 || ts.day > 31)
        return false;
    SYSTEMTIME today{};
    Today(today);
    const long long day = DaysFromCivil(ts.year, ts.month, ts.day);
    for (long long year = ts.year - 1; year <= ts.year + 1; ++year)
    {
        if (!anyYear && year != today.wYear)
            continue;
        const long long diff = day - DaysFromCivil(year, today.wMonth, today.wDay);
        if (diff >= -1 && diff <= 1)
            return true;
    }
    return false;
}

bool IsMidnight(const TIMESTAMP_STRUCT& ts)
{
    return ts.hour == 0 && ts.minute == 0 && ts.second == 0 && ts.fraction == 0;
}

} // namespace

bool CRRecordset::ReadsInfinityStandIns(UINT col) const
{
    // (A value made from the server's text is the value itself.)
    if (m_dateDialect != DateDialect::PostgreSQL || col < 1 || col > m_descs.size() ||
        IsServerTextColumn(col))
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
        ask = (ts.year == 9999 && ts.month == 12 && ts.day == 31 && ts.hour == 23 &&
               ts.minute == 59 && ts.second == 59 && ts.fraction == 0) ||
              (IsMidnight(ts) && IsNearToday(ts, false));
    }
    else
    {
        // Either stand-in of a date: today, or today's month and day in a year of four digits.
        ask = IsNearToday(ts, true);
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
    if (!SQL_SUCCEEDED(rc) || ind != sizeof value)
        return;
    if (std::isinf(value))
        SetInfiniteTimestamp(ts, value < 0);
    else if (value >= 10000)
        SetFarFutureTimestamp(ts, value < 4294967295.0 ? static_cast<unsigned long>(value) : 0);
}

void CRRecordset::CorrectInfinities()
{
    if (m_dateDialect != DateDialect::PostgreSQL)
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
