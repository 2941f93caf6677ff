#!/usr/bin/env bash
# Opens a generated table (1,000,000 rows x 10 columns by default; QL_BENCH_ROWS changes it) in a
# grid window, from SQLite, PostgreSQL (a table window fetches in steps from a cursor held in
# the user's session; a query window reads whole, as psql reads) and MariaDB, beside a 1,000-row
# table: the first screen,
# reading every row, closing the window, and the peak memory against the data as CSV; the native
# tools reading the same table for comparison. Each program run is also timed whole, from start
# to exit, so that time spent after the measured phases (tearing down, exiting) shows.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
export QL_BENCH_ODBCSYSINI="${ODBCSYSINI:-/etc}" ODBCSYSINI=$QL_BINARY_DIR/tests/odbc ODBCINI=$QL_BINARY_DIR/tests/odbc/user.ini
[ -f "$ODBCSYSINI/odbcinst.ini" ] || export ODBCSYSINI="${QL_BENCH_ODBCSYSINI:-/etc}" ODBCINI=/etc/odbc.ini
rows="${QL_BENCH_ROWS:-1000000}"
exe="$QL_BINARY_DIR/bench/grid_window/bench_grid_window.exe"
reader="$QL_BINARY_DIR/bench/cursor_read/bench_cursor_read.exe"
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

# Closing a window waits for a window manager unless the program's windows are unmanaged.
wine reg add 'HKCU\Software\Wine\AppDefaults\bench_grid_window.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
repeat="${QL_BENCH_REPEAT:-3}"
# One run: the program's figures, the whole process's time and its peak resident memory (VmHWM
# of its Unix process, sampled until it ends; Windows' own counters mean little under Wine).
run() {
  local t out bg peak=0 pid v
  t=$(now)
  out=$(mktemp)
  # A Wine server still lingering after the last program (or the registry change above) holds
  # that program's display, gone with its xvfb-run: this one's windows would fail to open.
  wineserver -w
  QL_BENCH_READ_ON="${read_on:-0}" QL_BENCH_QUERY="${query:-0}" xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe" "$1" "$2" >"$out" 2>&1 &
  bg=$!
  while kill -0 "$bg" 2>/dev/null; do
    for pid in $(pgrep -f 'bench_grid_window\.exe'); do
      { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
      v=$(awk '/^VmHWM:/ { print $2 * 1024 }' "/proc/$pid/status" 2>/dev/null)
      [ -n "$v" ] && [ "$v" -gt "$peak" ] && peak=$v
    done
    sleep 0.05
  done
  wait "$bg"
  echo "$(tr -d '\r' <"$out" | grep first_screen) whole=$(awk -v a="$t" -v b="$(now)" 'BEGIN{printf "%.3f", b-a}') peak_rss=$peak"
  rm -f "$out"
}
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
# The median of one figure over several outputs (one per line).
med() { while read -r line; do field "$1" "$line"; done <<<"$2" | median; }
# QL_BENCH_DBS (e.g. "SQLite PostgreSQL") limits the products measured; QL_BENCH_REPEAT sets the
# runs per table (medians are reported).
dbs="${QL_BENCH_DBS:-SQLite SQLiteQuery SQLiteReadOn SQLiteStepAPI PostgreSQL PostgreSQLQuery MariaDB}"
report() {  # name, connect big, connect small, native seconds, csv bytes, big table
  local small_out="" big_out="" i
  [[ " $dbs " == *" $1 "* ]] || return 0
  for ((i = 0; i < repeat; i++)); do
    small_out+="$(run "$3" "$small")"$'\n'
    big_out+="$(run "$2" "$big")"$'\n'
  done
  small_out="${small_out%$'\n'}"; big_out="${big_out%$'\n'}"
  local fs_big fs_small end close peak base
  fs_big=$(med first_screen "$big_out"); fs_small=$(med first_screen "$small_out")
  end=$(med end "$big_out"); close=$(med close "$big_out")
  # The 1,000-row run stands for the program's own memory.
  peak=$(med peak_rss "$big_out"); base=$(med peak_rss "$small_out")
  echo "-- $1: ${path:-?}"
  echo "   ($rows rows x 10 columns, CSV $5 bytes; native tool reads it in $4 s; medians of $repeat)"
  echo "   first screen: $fs_big s against $fs_small s for 1,000 rows = $(ratio "$fs_big" "$fs_small") x"
  echo "   scrolled to the last row: $end s ($(med rows "$big_out") rows) = $(ratio "$end" "$4") x native;" \
       "closing: $close s = $(ratio "$close" "$4") x native"
  echo "   the window's thread busy for $(med end_cpu "$big_out") s of the scroll to the last row"
  [ "${read_on:-0}" = 1 ] && echo "   read on in idle time after the first screen: $(med read_on "$big_out") s;" \
       "first screen, reading on and scrolling: $(awk -v a="$fs_big" -v b="$(med read_on "$big_out")" -v c="$end" 'BEGIN{printf "%.3f", a+b+c}') s"
  # The floor under the scroll to the end: the same connection's driver reading every row into
  # typed buffers, nothing shown (the recordset benchmark's "moves only").
  local floor_out="" floor
  for ((i = 0; i < repeat; i++)); do
    floor_out+="$(wine "$reader" fetch "$2" "SELECT * FROM $6" 2>/dev/null | tr -d '\r')"$'\n'
  done
  floor=$(med seconds "${floor_out%$'\n'}")
  echo "   the driver alone reading every row: ${floor:-?} s = $(ratio "${floor:-0}" "$4") x native"
  echo "   tearing down the rest: $(med teardown "$big_out") s; whole process $(med whole "$big_out") s"
  echo "   peak resident memory $peak bytes, $(awk -v p="$peak" -v b="$base" 'BEGIN{print p - b}') more than" \
       "with 1,000 rows = $(ratio "$(awk -v p="$peak" -v b="$base" 'BEGIN{print p - b}')" "$5") x CSV" \
       "($(ratio "$peak" "$5") x CSV for the whole process)"
  [ -z "$(med first_screen "$big_out")" ] && echo "   (no figures)"
}

sel="SELECT * FROM $big"
# The native tools, timed as medians too.
timed() { local t i; for ((i = 0; i < repeat; i++)); do t=$(now); "$@" >/dev/null; awk -v a="$t" -v b="$(now)" 'BEGIN{printf "%.3f\n", b-a}'; done | median; }
csv_sqlite=$(sqlite3 -csv "$sqlite_big" "$sel" | wc -c); native_sqlite=$(timed sqlite3 -csv "$sqlite_big" "$sel")
csv_pg=$(psql_q -c "\\copy ($sel) TO STDOUT WITH CSV" | wc -c); native_pg=$(timed psql_q -c "\\copy ($sel) TO STDOUT WITH CSV")
csv_maria=$(maria_q -B -e "$sel" | wc -c); native_maria=$(timed maria_q -B -e "$sel")
path="table window, forward-only statement read on demand into a memory cursor" report SQLite "Driver=SQLite3;Database=$sqlite_big;" "Driver=SQLite3;Database=$sqlite_small;" "$native_sqlite" "$csv_sqlite" "$big"
# A query window on the same table (the user's own SELECT, not the table's window).
path="query window, the user's SELECT" query=1 report SQLiteQuery "Driver=SQLite3;Database=$sqlite_big;" "Driver=SQLite3;Database=$sqlite_small;" "$native_sqlite" "$csv_sqlite" "$big"
# The same when the user waits on the first screen until the window has read on by itself.
path="table window, read on in idle time before Ctrl+End" read_on=1 report SQLiteReadOn "Driver=SQLite3;Database=$sqlite_big;" "Driver=SQLite3;Database=$sqlite_small;" "$native_sqlite" "$csv_sqlite" "$big"
# The user's StepAPI=1 streams every forward-only statement (the default string streams table
# windows only).
path="table window, the user's StepAPI=1 string" report SQLiteStepAPI "Driver=SQLite3;Database=$sqlite_big;StepAPI=1;" "Driver=SQLite3;Database=$sqlite_small;StepAPI=1;" "$native_sqlite" "$csv_sqlite" "$big"
pg="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;UID=quenlark;PWD=quenlark;"
# The table window: DECLARE ... CURSOR WITH HOLD in the user's one session (its timestamps
# declared as the server's text of them, which the program reads), then FETCHes as the window
# reads on, each next one run ahead on a thread while the window reads the one before (the
# driver's own cursors are off).
path="table window, FETCHes from a cursor WITH HOLD in the user's session (timestamps as the text of one row value), one run ahead" report PostgreSQL "$pg" "$pg" "$native_pg" "$csv_pg" "$big"
# A query window on the same table: the user's own SELECT, read whole when it runs.
path="query window, the user's SELECT read whole when it runs" query=1 report PostgreSQLQuery "$pg" "$pg" "$native_pg" "$csv_pg" "$big"
maria="Driver={MariaDB Unicode};Server=127.0.0.1;Port=3306;Database=quenlark;UID=quenlark;PWD=quenlark;"
path="table window, read whole when the SELECT runs" report MariaDB "$maria" "$maria" "$native_maria" "$csv_maria" "$big"
drop_generated_table "$big"; drop_generated_table "$small"; rm -f "$sqlite_big" "$sqlite_small"
exit 0
