#!/usr/bin/env bash
# Reads a generated table (1,000,000 rows x 10 columns by default: integers, doubles, short and
# long text, timestamps) from SQLite, PostgreSQL and MariaDB, in one go, through:
#   isql (unixODBC's command-line client, the same driver, text out), the product's own client
#   (sqlite3 -csv, psql \copy to CSV, mariadb --batch --quick), a bare ODBC loop under Wine
#   (blocks of 1000 rows bound as 8-bit text: the floor), the recordset moving without reading,
#   the recordset reading every field as text, the memory cursor filled and read back, and the
#   recordset and memory cursor again with the driver's streaming options.
# Every figure is the median of QL_BENCH_RUNS (default 5) whole processes, timed from outside;
# speed is isql's time over ours. QL_BENCH_ROWS changes the row count. Figures only: it never
# fails.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
rows="${QL_BENCH_ROWS:-1000000}"
runs="${QL_BENCH_RUNS:-5}"
exe="$QL_BINARY_DIR/bench/cursor_read/bench_cursor_read.exe"
# The servers (and /tmp) are shared: the table's name is this run's own.
table="ql_rs_bench_$$_$(date +%s%N | tail -c 7)"
select="SELECT id, n, big, d1, d2, s1, s2, t, ts1, ts2 FROM $table"
sqlite_db="/tmp/${table}.db"
source "$here/../generated_table.sh"

# One Wine server for the whole run: process start-up then costs a few milliseconds, as it
# would on Windows.
wineserver -p
trap 'wineserver -k; rm -f "$last_file" "$sqlite_db"; drop_generated_table "$table"' EXIT
# The prefix's services start now, detached: started by a measured run they would outlive it and
# hold its output pipe open.
wine cmd /c exit >/dev/null 2>&1 </dev/null || true

now() { date +%s.%N; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print 0; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }

# timed COMMAND...: runs it with its output discarded; prints the wall seconds.
timed() {
  local t0 t1
  t0=$(now)
  "$@" >/dev/null 2>&1
  t1=$(now)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f\n", b - a }'
}

# median_of COMMAND...: the median of $runs timed runs.
median_of() {
  local i
  for i in $(seq 1 "$runs"); do timed "$@"; done | median
}

isql_read() { echo "$select" | isql -k "$1" -b -d, -e; }
sqlite_native() { sqlite3 -csv "$sqlite_db" "$select"; }
pg_native() { psql_q -c "\\copy ($select) TO STDOUT WITH CSV"; }
maria_native() { maria_q --batch --quick --skip-column-names -e "$select"; }

# ours MODE CONNECT: the median wall time of whole runs; the last run's own line is kept in a
# file for its other figures (last prints it).
last_file=$(mktemp)
last() { cat "$last_file"; }
ours() {
  local i t0 t1 out times=()
  for i in $(seq 1 "$runs"); do
    t0=$(now)
    out=$(wine "$exe" "$1" "$2" "$select" 2>&1 | tr -d '\r')
    t1=$(now)
    times+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')")
  done
  printf '%s' "$out" >"$last_file"
  printf '%s\n' "${times[@]}" | median
}

line() { printf '   %-44s %8s s   %6s x isql\n' "$1" "$2" "$(ratio "$3" "$2")"; }

# QL_BENCH_DBS (e.g. "PostgreSQL") limits the products measured.
dbs="${QL_BENCH_DBS:-SQLite PostgreSQL MariaDB}"
report() {
  local name="$1" connect="$2" csv="$3" streaming="$4" native="$5"
  [[ " $dbs " == *" $name "* ]] || return 0
  local isql_s native_s floor_s fetch_s rs_s mem_s mem_line srs_s smem_s smem_line
  isql_s=$(median_of isql_read "$connect")
  native_s=$(median_of "$native")
  floor_s=$(ours floor "$connect")
  fetch_s=$(ours fetch "$connect")
  rs_s=$(ours recordset "$connect"); rs_line=$(last)
  mem_s=$(ours memory "$connect"); mem_line=$(last)
  srs_s=$(ours recordset "$connect$streaming")
  smem_s=$(ours memory "$connect$streaming"); smem_line=$(last)
  echo "-- $name ($rows rows x 10 columns, CSV $csv bytes; medians of $runs whole processes)"
  line "isql" "$isql_s" "$isql_s"
  line "native client" "$native_s" "$isql_s"
  line "bare ODBC floor (1000-row blocks, text)" "$floor_s" "$isql_s"
  line "CRRecordset, moves only" "$fetch_s" "$isql_s"
  line "CRRecordset, every field as text" "$rs_s" "$isql_s"
  line "Zelt::CMemCursor, filled and read back" "$mem_s" "$isql_s"
  line "CRRecordset with $streaming" "$srs_s" "$isql_s"
  line "Zelt::CMemCursor with $streaming" "$smem_s" "$isql_s"
  local mem_bytes peak speak
  mem_bytes=$(field mem_bytes "$mem_line"); peak=$(field peak_private_bytes "$mem_line")
  speak=$(field peak_private_bytes "$smem_line")
  echo "   memory cursor: rows held ${mem_bytes:-?} bytes = $(ratio "${mem_bytes:-0}" "$csv") x CSV;" \
       "process peak growth ${peak:-?} bytes = $(ratio "${peak:-0}" "$csv") x CSV," \
       "streaming ${speak:-?} bytes = $(ratio "${speak:-0}" "$csv") x CSV"
  [ -z "$(field rows "$rs_line")" ] && echo "   recordset run: $rs_line"
}

# --- data ---------------------------------------------------------------------------------
make_generated_table "$rows" "$table" "$sqlite_db"
csv_sqlite=$(sqlite_native | wc -c)
csv_pg=$(pg_native | wc -c)
csv_maria=$(maria_native | wc -c)

report SQLite "Driver=SQLite3;Database=$sqlite_db;" "$csv_sqlite" "StepAPI=1;" sqlite_native
report PostgreSQL "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;UID=quenlark;PWD=quenlark;" \
  "$csv_pg" "UseDeclareFetch=1;Fetch=10000;" pg_native
report MariaDB "Driver={MariaDB Unicode};Server=127.0.0.1;Port=3306;Database=quenlark;UID=quenlark;PWD=quenlark;" \
  "$csv_maria" "NO_CACHE=1;" maria_native

drop_generated_table "$table"
exit 0
