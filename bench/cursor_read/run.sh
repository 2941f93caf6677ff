#!/usr/bin/env bash
# Reads a generated table (1,000,000 rows x 10 columns by default: integers, doubles, short and
# long text, timestamps) through CRRecordset (forward-only, bound) and Zelt::CMemCursor, from
# SQLite and from PostgreSQL, and beside it unixODBC's isql reading the same table through the
# same driver. Prints rows per second, the ratio to isql, and the memory cursor's memory against
# the size of the data as CSV. QL_BENCH_ROWS changes the row count.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
rows="${QL_BENCH_ROWS:-1000000}"
exe="$QL_BINARY_DIR/bench/cursor_read/bench_cursor_read.exe"
table=ql_rs_bench
select="SELECT id, n, big, d1, d2, s1, s2, t, ts1, ts2 FROM $table"
sqlite_db="/tmp/ql_rs_bench_${rows}.db"
source "$here/../generated_table.sh"

now() { date +%s.%N; }
rate() { awk -v r="$1" -v s="$2" 'BEGIN { if (s > 0) printf "%.0f", r / s; else print "n/a" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }

# --- data ---------------------------------------------------------------------------------
make_generated_table "$rows" "$table" "$sqlite_db"

csv_sqlite=$(sqlite3 -csv "$sqlite_db" "$select" | wc -c)
csv_pg=$(psql_q -c "\\copy ($select) TO STDOUT WITH CSV" | wc -c)

# --- runs -----------------------------------------------------------------------------------
run_isql() {
  local connect="$1" t0 t1
  t0=$(now)
  echo "$select" | isql -k "$connect" -b -d, -e >/dev/null 2>&1
  t1=$(now)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }'
}

run_ours() {
  wine "$exe" "$1" "$2" "$select" 2>&1 | tr -d '\r'
}

field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }

report() {
  local name="$1" connect="$2" csv="$3" streaming="$4"
  local isql_s rs mem rs_s mem_s mem_bytes peak fetch fetch_s alone alone_peak
  isql_s=$(run_isql "$connect")
  fetch=$(run_ours fetch "$connect")
  rs=$(run_ours recordset "$connect")
  mem=$(run_ours memory "$connect")
  # The drivers keep a whole result in memory by default; with the streaming options they do not,
  # and the process's growth is the memory cursor's own.
  alone=$(run_ours memory "$connect$streaming")
  fetch_s=$(field seconds "$fetch")
  alone_peak=$(field peak_private_bytes "$alone")
  rs_s=$(field seconds "$rs"); mem_s=$(field seconds "$mem")
  mem_bytes=$(field mem_bytes "$mem"); peak=$(field peak_private_bytes "$mem")
  echo "-- $name ($rows rows x 10 columns, CSV $csv bytes)"
  echo "   isql:               ${isql_s} s, $(rate "$rows" "$isql_s") rows/s"
  echo "   fetches alone:      ${fetch_s:-?} s, $(rate "$rows" "${fetch_s:-0}") rows/s (no field read)"
  echo "   CRRecordset:        ${rs_s:-?} s, $(rate "$rows" "${rs_s:-0}") rows/s, $(ratio "$isql_s" "${rs_s:-0}") x isql speed"
  echo "   Zelt::CMemCursor:   ${mem_s:-?} s (fill and read back), $(rate "$rows" "${mem_s:-0}") rows/s, $(ratio "$isql_s" "${mem_s:-0}") x isql speed"
  echo "                       rows in memory ${mem_bytes:-?} bytes = $(ratio "${mem_bytes:-0}" "$csv") x CSV;" \
       "process peak growth ${peak:-?} bytes = $(ratio "${peak:-0}" "$csv") x CSV (driver's copy of the result included)"
  echo "                       with the driver streaming ($streaming): process peak growth ${alone_peak:-?} bytes = $(ratio "${alone_peak:-0}" "$csv") x CSV"
  [ -z "$rs_s" ] && echo "   recordset run: $rs"
  [ -z "$mem_s" ] && echo "   memory run: $mem"
}

report SQLite "Driver=SQLite3;Database=$sqlite_db;" "$csv_sqlite" "StepAPI=1;"
report PostgreSQL "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;UID=quenlark;PWD=quenlark;" "$csv_pg" "UseDeclareFetch=1;Fetch=10000;"

psql_q -c "DROP TABLE IF EXISTS $table" >/dev/null
exit 0
