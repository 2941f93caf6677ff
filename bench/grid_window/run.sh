#!/usr/bin/env bash
# Opens a generated table of 10 columns in a grid window, from SQLite, PostgreSQL and MariaDB, by
# every path the program reads one (the table's window, a query window of the user's SELECT,
# SQLite's StepAPI=1 string), beside a 1,000-row table: the first screen, reading every row
# (Ctrl+End) against the native tool's whole read of the table (sqlite3, psql, mysql), closing
# the window, and the peak memory against the data as CSV.
#
# QL_BENCH_ROWS      the big tables' sizes, one or several (default "1000000 10000000"); the
#                    1,000-row table is always read beside them
# QL_BENCH_END_MAX   the largest size scrolled to its last row (default 1000000): larger tables
#                    are timed to their first screen only (with the memory that took)
# QL_BENCH_REPEAT    program runs per table and path (default 5): each figure is the median, the
#                    values of every run follow it in brackets, in the order they ran
# QL_BENCH_DBS       the paths measured (default "SQLite SQLiteQuery SQLiteStepAPI PostgreSQL
#                    PostgreSQLQuery MariaDB"; SQLiteReadOn and PostgreSQLReadOn, the table
#                    window read on in idle time before Ctrl+End, on request)
# QL_BENCH_FLOOR=1   also the driver alone reading every row (bench/cursor_read), per path
# QL_BENCH_TIMEOUT   seconds one program run may take (default 600); a run cut off shows "-"
#
# The tables are generated on the servers and by sqlite3 itself (bench/generated_table.sh); each
# program run is also timed whole, from start to exit, so that time spent after the measured
# phases (tearing down, exiting) shows. The peak resident memory is that of the program's Unix
# process, sampled from outside: Windows' own counters mean little under Wine.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
export QL_BENCH_ODBCSYSINI="${ODBCSYSINI:-/etc}" ODBCSYSINI=$QL_BINARY_DIR/tests/odbc ODBCINI=$QL_BINARY_DIR/tests/odbc/user.ini
[ -f "$ODBCSYSINI/odbcinst.ini" ] || export ODBCSYSINI="${QL_BENCH_ODBCSYSINI:-/etc}" ODBCINI=/etc/odbc.ini
sizes="${QL_BENCH_ROWS:-1000000 10000000}"
end_max="${QL_BENCH_END_MAX:-1000000}"
repeat="${QL_BENCH_REPEAT:-5}"
run_timeout="${QL_BENCH_TIMEOUT:-600}"
dbs="${QL_BENCH_DBS:-SQLite SQLiteQuery SQLiteStepAPI PostgreSQL PostgreSQLQuery MariaDB}"
exe="$QL_BINARY_DIR/bench/grid_window/bench_grid_window.exe"
reader="$QL_BINARY_DIR/bench/cursor_read/bench_cursor_read.exe"
source "$here/../generated_table.sh"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a != "" && b > 0) printf "%.2f", a / b; else print "n/a" }'; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }
now() { date +%s.%N; }

# The servers are shared: the tables carry this run's process id and clock.
tag="$$_$(date +%s%N | tail -c 7)"
small=ql_gridwin_small_$tag
sqlite_small="/tmp/ql_gridwin_bench_1000_$tag.db"
big_of() { echo "ql_gridwin_${1}_$tag"; }
sqlite_of() { echo "/tmp/ql_gridwin_bench_${1}_$tag.db"; }
cleanup() {
  local n
  drop_generated_table "$small"; rm -f "$sqlite_small"
  for n in $sizes; do drop_generated_table "$(big_of "$n")"; rm -f "$(sqlite_of "$n")"; done
}
trap cleanup EXIT
echo "(generating the tables: 1,000 rows and $sizes rows; $(uptime))"
make_generated_table 1000 "$small" "$sqlite_small"
for n in $sizes; do make_generated_table "$n" "$(big_of "$n")" "$(sqlite_of "$n")"; done

# Closing a window waits for a window manager unless the program's windows are unmanaged.
wine reg add 'HKCU\Software\Wine\AppDefaults\bench_grid_window.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# One run: the program's figures, the whole process's time and its peak resident memory (VmHWM
# of its Unix process, sampled until it ends). $3=1: the first screen only.
run() {
  local t out bg peak=0 pid v line
  t=$(now)
  out=$(mktemp)
  # A Wine server still lingering after the last program (or the registry change above) holds
  # that program's display, gone with its xvfb-run: this one's windows would fail to open.
  wineserver -w
  QL_BENCH_FIRST_ONLY="${3:-0}" QL_BENCH_READ_ON="${read_on:-0}" QL_BENCH_QUERY="${query:-0}" \
    timeout -k 10 "$run_timeout" xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe" "$1" "$2" >"$out" 2>&1 &
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
  line=$(tr -d '\r' <"$out" | grep first_screen)
  # A run cut off or failed leaves its figures empty: they show as "-".
  [ -z "$line" ] && { wineserver -k 2>/dev/null; peak=""; }
  echo "$line whole=$(awk -v a="$t" -v b="$(now)" 'BEGIN{printf "%.3f", b-a}') peak_rss=$peak"
  rm -f "$out"
}
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
# One figure of several outputs (one per line): every value in run order, and their median.
values() { while read -r line; do v=$(field "$1" "$line"); echo "${v:--}"; done <<<"$2"; }
med() { values "$1" "$2" | grep -v '^-$' | median; }
all() { echo "[$(values "$1" "$2" | paste -sd' ')]"; }
# The memory above the 1,000-row run's, per run.
above() { while read -r line; do v=$(field peak_rss "$line"); [ -n "$v" ] && echo "peak_rss=$((v - $2))" || echo "peak_rss="; done <<<"$1"; }

# The native tools' whole read of each table, as medians with every value.
declare -A native_med native_all csv_bytes
timed() {
  local t i list=""
  for ((i = 0; i < repeat; i++)); do
    t=$(now); "$@" >/dev/null
    list+="$(awk -v a="$t" -v b="$(now)" 'BEGIN{printf "%.3f", b-a}') "
  done
  echo "${list% }"
}
native() {  # product, table, sqlite file
  local sel="SELECT * FROM $2" list
  case $1 in
  SQLite)
    csv_bytes[$1_$2]=$(sqlite3 -csv "$3" "$sel" | wc -c)
    list=$(timed sqlite3 -csv "$3" "$sel") ;;
  PostgreSQL)
    csv_bytes[$1_$2]=$(psql_q -c "\\copy ($sel) TO STDOUT WITH CSV" | wc -c)
    list=$(timed psql_q -c "\\copy ($sel) TO STDOUT WITH CSV") ;;
  MariaDB)
    csv_bytes[$1_$2]=$(maria_q -B -e "$sel" | wc -c)
    list=$(timed maria_q -B -e "$sel") ;;
  esac
  native_all[$1_$2]="[$list]"
  native_med[$1_$2]=$(tr ' ' '\n' <<<"$list" | median)
}
tool() { case $1 in SQLite) echo sqlite3 ;; PostgreSQL) echo psql ;; MariaDB) echo mysql ;; esac; }

report() {  # name, product, connect big ({N}: the size), connect small
  local name=$1 product=$2 small_out="" i n big conn first_only big_out fs_small base
  [[ " $dbs " == *" $name "* ]] || return 0
  echo "-- $name: ${path:-?}"
  for ((i = 0; i < repeat; i++)); do small_out+="$(run "$4" "$small")"$'\n'; done
  small_out="${small_out%$'\n'}"
  fs_small=$(med first_screen "$small_out"); base=$(med peak_rss "$small_out")
  echo "   1,000 rows: first screen $fs_small s $(all first_screen "$small_out"); peak resident memory" \
       "$base bytes $(all peak_rss "$small_out")"
  for n in $sizes; do
    big=$(big_of "$n")
    conn=${3//\{N\}/$n}
    first_only=0
    [ "$n" -gt "$end_max" ] && first_only=1
    big_out=""
    for ((i = 0; i < repeat; i++)); do big_out+="$(run "$conn" "$big" "$first_only")"$'\n'; done
    big_out="${big_out%$'\n'}"
    local fs end close peak more csv key="${product}_$big"
    fs=$(med first_screen "$big_out")
    peak=$(med peak_rss "$big_out")
    more=$(above "$big_out" "${base:-0}")
    echo "   $n rows x 10 columns:"
    echo "     first screen: $fs s $(all first_screen "$big_out") = $(ratio "$fs" "$fs_small") x the 1,000-row table"
    if [ "$first_only" = 1 ]; then
      echo "     peak resident memory (first screen only): $peak bytes $(all peak_rss "$big_out")," \
           "$(med peak_rss "$more") more than with 1,000 rows $(all peak_rss "$more")"
      echo "     whole process $(med whole "$big_out") s $(all whole "$big_out")"
      continue
    fi
    end=$(med end "$big_out"); close=$(med close "$big_out"); csv=${csv_bytes[$key]}
    echo "     $(tool "$product") reads the table whole in ${native_med[$key]} s ${native_all[$key]}; CSV $csv bytes"
    echo "     scrolled to the last row (Ctrl+End): $end s $(all end "$big_out") ($(med rows "$big_out") rows)" \
         "= $(ratio "$end" "${native_med[$key]}") x $(tool "$product")'s whole read"
    echo "     the window's thread busy for $(med end_cpu "$big_out") s $(all end_cpu "$big_out") of it;" \
         "closing: $close s $(all close "$big_out")"
    [ "${read_on:-0}" = 1 ] && echo "     read on in idle time after the first screen: $(med read_on "$big_out") s $(all read_on "$big_out")"
    echo "     peak resident memory $peak bytes $(all peak_rss "$big_out") = $(ratio "$peak" "$csv") x CSV;" \
         "$(med peak_rss "$more") more than with 1,000 rows $(all peak_rss "$more") = $(ratio "$(med peak_rss "$more")" "$csv") x CSV"
    echo "     tearing down the rest: $(med teardown "$big_out") s; whole process $(med whole "$big_out") s $(all whole "$big_out")"
    if [ "${QL_BENCH_FLOOR:-0}" = 1 ]; then
      # The same connection's driver reading every row into typed buffers, nothing shown.
      local floor_out=""
      for ((i = 0; i < repeat; i++)); do
        floor_out+="$(wine "$reader" fetch "$conn" "SELECT * FROM $big" 2>/dev/null | tr -d '\r')"$'\n'
      done
      floor_out="${floor_out%$'\n'}"
      echo "     the driver alone reading every row: $(med seconds "$floor_out") s $(all seconds "$floor_out")"
    fi
  done
}

for n in $sizes; do
  [ "$n" -gt "$end_max" ] && continue
  big=$(big_of "$n")
  [[ " $dbs " == *" SQLite"* ]] && native SQLite "$big" "$(sqlite_of "$n")"
  [[ " $dbs " == *" PostgreSQL"* ]] && native PostgreSQL "$big"
  [[ " $dbs " == *" MariaDB "* ]] && native MariaDB "$big"
done
echo "(measuring: $repeat runs a figure; $(uptime))"
# SQLite's connection string names the file: {N} stands for each size's.
sqlite_big_conn="Driver=SQLite3;Database=$(sqlite_of "{N}");"
sqlite_small_conn="Driver=SQLite3;Database=$sqlite_small;"
path="table window, a forward-only statement read on demand into a memory cursor, fetched a batch ahead on a thread" \
  report SQLite SQLite "$sqlite_big_conn" "$sqlite_small_conn"
# A query window on the same table (the user's own SELECT, not the table's window).
path="query window, the user's SELECT" query=1 report SQLiteQuery SQLite "$sqlite_big_conn" "$sqlite_small_conn"
# The same when the user waits on the first screen until the window has read on by itself.
path="table window, read on in idle time before Ctrl+End" read_on=1 report SQLiteReadOn SQLite "$sqlite_big_conn" "$sqlite_small_conn"
# The user's StepAPI=1 streams every forward-only statement (the default string streams table
# windows only).
path="table window, the user's StepAPI=1 string" report SQLiteStepAPI SQLite "${sqlite_big_conn}StepAPI=1;" "${sqlite_small_conn}StepAPI=1;"
pg="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;UID=quenlark;PWD=quenlark;"
# The table window: DECLARE ... CURSOR in a transaction of the program's in the user's one
# session (its timestamps declared as the server's text of them, which the program reads), then
# FETCHes as the window reads on, each next one run ahead on a thread while the window reads the
# one before (the driver's own cursors are off).
path="table window, FETCHes from a cursor in the reads' transaction (timestamps as the text of one row value), one run ahead" \
  report PostgreSQL PostgreSQL "$pg" "$pg"
# The same when the user waits on the first screen until the window has read on by itself.
path="table window, read on in idle time before Ctrl+End" read_on=1 report PostgreSQLReadOn PostgreSQL "$pg" "$pg"
# A query window on the same table: the user's own SELECT, read whole when it runs.
path="query window, the user's SELECT read whole when it runs" query=1 report PostgreSQLQuery PostgreSQL "$pg" "$pg"
maria="Driver={MariaDB Unicode};Server=127.0.0.1;Port=3306;Database=quenlark;UID=quenlark;PWD=quenlark;"
path="table window, its first 200 rows by a LIMIT, the rest by the SELECT again on a thread" report MariaDB MariaDB "$maria" "$maria"
echo "(done; $(uptime))"
exit 0
