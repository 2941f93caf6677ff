#!/usr/bin/env bash
# Shows a generated table (1,000,000 rows x 10 columns by default) in a grid, from SQLite and from
# PostgreSQL, beside the same for a 1,000-row table: the time until the first screen is filled,
# the time to select row 500,000 and the time to read to the end, and the process's peak memory
# against the size of the data as CSV. QL_BENCH_ROWS changes the row count.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
rows="${QL_BENCH_ROWS:-1000000}"
exe="$QL_BINARY_DIR/bench/grid/bench_grid.exe"
source "$here/../generated_table.sh"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }

make_tables() { make_generated_table "$1" "$2" "/tmp/ql_grid_bench_$1.db"; }  # $1 rows, $2 table

big=ql_grid_bench_big
small=ql_grid_bench_small
make_tables "$rows" "$big"
make_tables 1000 "$small"
half=$((rows / 2 - 1))

report() {  # name, connect big, connect small, csv
  local name="$1" big_out small_out
  # Each program on a Wine server of its own: one lingering after the last holds that
  # program's display, gone with its xvfb-run, and the next one's windows would fail to open.
  wineserver -w
  small_out=$(xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe" "$3" "SELECT * FROM $small" 500 2>&1 | tr -d '\r')
  wineserver -w
  big_out=$(xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe" "$2" "SELECT * FROM $big" "$half" 2>&1 | tr -d '\r')
  echo "-- $name ($rows rows x 10 columns, CSV $4 bytes)"
  echo "   first screen: $(field first_screen "$big_out") s against $(field first_screen "$small_out") s for 1,000 rows" \
       "= $(ratio "$(field first_screen "$big_out")" "$(field first_screen "$small_out")") x"
  echo "   select row $((half + 1)): $(field page "$big_out") s; on to the end: $(field end "$big_out") s" \
       "($(field rows "$big_out") items)"
  echo "   peak private memory $(field peak_private_bytes "$big_out") bytes =" \
       "$(ratio "$(field peak_private_bytes "$big_out")" "$4") x CSV"
  [ -z "$(field first_screen "$big_out")" ] && echo "   run: $big_out"
}

sel="SELECT * FROM $big"
csv_sqlite=$(sqlite3 -csv "/tmp/ql_grid_bench_$rows.db" "$sel" | wc -c)
csv_pg=$(psql_q -c "\\copy ($sel) TO STDOUT WITH CSV" | wc -c)
report SQLite "Driver=SQLite3;Database=/tmp/ql_grid_bench_$rows.db;" "Driver=SQLite3;Database=/tmp/ql_grid_bench_1000.db;" "$csv_sqlite"
pg="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;UID=quenlark;PWD=quenlark;"
report PostgreSQL "$pg" "$pg" "$csv_pg"

drop_generated_table "$big"; drop_generated_table "$small"
exit 0
