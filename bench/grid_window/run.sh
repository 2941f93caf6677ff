#!/usr/bin/env bash
# Opens a generated table (100,000 rows x 10 columns by default; QL_BENCH_ROWS changes it) in a
# grid window, from SQLite, PostgreSQL and MariaDB, beside a 1,000-row table: the first screen,
# reading every row, closing the window, and the peak memory against the data as CSV; the native
# tools reading the same table for comparison. Each program run is also timed whole, from start
# to exit, so that time spent after the measured phases (tearing down, exiting) shows.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
export ODBCSYSINI=$QL_BINARY_DIR/tests/odbc ODBCINI=$QL_BINARY_DIR/tests/odbc/user.ini
[ -f "$ODBCSYSINI/odbcinst.ini" ] || export ODBCSYSINI=/etc ODBCINI=/etc/odbc.ini
rows="${QL_BENCH_ROWS:-100000}"
exe="$QL_BINARY_DIR/bench/grid_window/bench_grid_window.exe"
source "$here/../generated_table.sh"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }
now() { date +%s.%N; }

# The servers are shared: the tables carry this run's process id and clock.
tag="$$_$(date +%s%N | tail -c 7)"
big=ql_gridwin_big_$tag
small=ql_gridwin_small_$tag
sqlite_big="/tmp/ql_gridwin_bench_${rows}_$tag.db"
sqlite_small="/tmp/ql_gridwin_bench_1000_$tag.db"
make_generated_table "$rows" "$big" "$sqlite_big"
make_generated_table 1000 "$small" "$sqlite_small"

run() {
  local t out
  t=$(now)
  out=$(xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe" "$1" "$2" 2>&1 | tr -d '\r' | grep first_screen)
  echo "$out whole=$(awk -v a="$t" -v b="$(now)" 'BEGIN{printf "%.3f", b-a}')"
}
# QL_BENCH_DBS (e.g. "SQLite PostgreSQL") limits the products measured.
dbs="${QL_BENCH_DBS:-SQLite PostgreSQL MariaDB}"
report() {  # name, connect big, connect small, native seconds, csv bytes
  local small_out big_out
  [[ " $dbs " == *" $1 "* ]] || return 0
  small_out=$(run "$3" "$small")
  big_out=$(run "$2" "$big")
  echo "-- $1 ($rows rows x 10 columns, CSV $5 bytes; native tool reads it in $4 s)"
  echo "   first screen: $(field first_screen "$big_out") s against $(field first_screen "$small_out") s for 1,000 rows" \
       "= $(ratio "$(field first_screen "$big_out")" "$(field first_screen "$small_out")") x"
  echo "   every row read: $(field end "$big_out") s ($(field rows "$big_out") rows) = $(ratio "$(field end "$big_out")" "$4") x native;" \
       "closing: $(field close "$big_out") s = $(ratio "$(field close "$big_out")" "$4") x native"
  echo "   tearing down the rest: $(field teardown "$big_out") s; whole process $(field whole "$big_out") s"
  echo "   peak private memory $(field peak_private_bytes "$big_out") bytes = $(ratio "$(field peak_private_bytes "$big_out")" "$5") x CSV"
  [ -z "$big_out" ] && echo "   (no figures)"
}

sel="SELECT * FROM $big"
t=$(now); csv_sqlite=$(sqlite3 -csv "$sqlite_big" "$sel" | wc -c); native_sqlite=$(awk -v a="$t" -v b="$(now)" 'BEGIN{printf "%.3f", b-a}')
t=$(now); csv_pg=$(psql_q -c "\\copy ($sel) TO STDOUT WITH CSV" | wc -c); native_pg=$(awk -v a="$t" -v b="$(now)" 'BEGIN{printf "%.3f", b-a}')
t=$(now); csv_maria=$(maria_q -B -e "$sel" | wc -c); native_maria=$(awk -v a="$t" -v b="$(now)" 'BEGIN{printf "%.3f", b-a}')
report SQLite "Driver=SQLite3;Database=$sqlite_big;" "Driver=SQLite3;Database=$sqlite_small;" "$native_sqlite" "$csv_sqlite"
pg="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;UID=quenlark;PWD=quenlark;"
report PostgreSQL "$pg" "$pg" "$native_pg" "$csv_pg"
maria="Driver={MariaDB Unicode};Server=127.0.0.1;Port=3306;Database=quenlark;UID=quenlark;PWD=quenlark;"
report MariaDB "$maria" "$maria" "$native_maria" "$csv_maria"
drop_generated_table "$big"; drop_generated_table "$small"; rm -f "$sqlite_big" "$sqlite_small"
exit 0
