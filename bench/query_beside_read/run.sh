#!/usr/bin/env bash
# A query the user runs on PostgreSQL while a table window's result is still being read on the
# program's reading connection: how long it waits, on a slow result (a view of QL_BENCH_SLOW_ROWS rows, default 200,000, taking 1 ms
# each: the whole result takes minutes) and on a large one (the generated table, QL_BENCH_ROWS
# rows, default 1,000,000). The next query runs on the user's own connection and waits for
# nothing of the first result; afterwards the first result's rows still all come
# (the large one read to its end, the slow one for 2,000 rows). Figures only: it never fails.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
rows="${QL_BENCH_ROWS:-1000000}"
slow_rows="${QL_BENCH_SLOW_ROWS:-200000}"
exe="$QL_BINARY_DIR/bench/query_beside_read/bench_query_beside_read.exe"
# The servers are shared: the objects carry this run's process id and clock.
tag="$$_$(date +%s%N | tail -c 7)"
big=ql_beside_big_$tag
small=ql_beside_small_$tag
slow=ql_beside_slow_$tag
sqlite_file="/tmp/ql_beside_$tag.db"
source "$here/../generated_table.sh"
make_generated_table "$rows" "$big" "$sqlite_file"
make_generated_table 1000 "$small" "$sqlite_file.small"
psql_q -c "CREATE VIEW $slow AS SELECT g AS id, pg_sleep(0.001) IS NULL AS slept
           FROM generate_series(1, $slow_rows) g" >/dev/null
trap 'psql_q -c "DROP VIEW IF EXISTS $slow" >/dev/null; drop_generated_table "$big";
      drop_generated_table "$small"; rm -f "$sqlite_file" "$sqlite_file.small"' EXIT
pg="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;UID=quenlark;PWD=quenlark;"

run() {  # label, first select, next select, rows to read after
  local out
  out=$(wine "$exe" "$pg" "$2" "$3" "$4" 2>&1 | tr -d '\r')
  echo "-- $1"
  echo "   first block: $(sed -n 's/.*first=\([^ ]*\).*/\1/p' <<<"$out") s;" \
       "next query ($3) beside it: $(sed -n 's/.*beside=\([^ ]*\).*/\1/p' <<<"$out") s"
  echo "   rows of the first result read afterwards: $(sed -n 's/.*rows_after=\([^ ]*\).*/\1/p' <<<"$out")" \
       "in $(sed -n 's/.* after=\([^ ]*\).*/\1/p' <<<"$out") s"
  grep -q first= <<<"$out" || echo "   (no figures: $out)"
}
run "slow view ($slow_rows rows, 1 ms each)" "SELECT * FROM $slow" "SELECT * FROM $small" 2000
run "slow view ($slow_rows rows, 1 ms each)" "SELECT * FROM $slow" "SELECT 1" 2000
run "large table ($rows rows x 10 columns)" "SELECT * FROM $big" "SELECT * FROM $small" -1
exit 0
