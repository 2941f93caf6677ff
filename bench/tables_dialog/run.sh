#!/usr/bin/env bash
# The tables dialog (Ctrl+T) over 10,000 tables on PostgreSQL and SQLite, beside isql listing the
# same tables (`help`, SQLTables) in the same run: the dialog shown with every row (catalog read
# included), a click on Schema, and copying every name (Ctrl+A, left Ctrl+Insert). Scratch
# database and file, dropped at the end; QL_BENCH_TABLES changes the 10,000. Figures only.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
source "$here/../common/catalog_bench.sh"
n="${QL_BENCH_TABLES:-10000}"
exe="$QL_BINARY_DIR/bench/tables_dialog/bench_tables_dialog.exe"
unmanaged_windows bench_tables_dialog.exe

report() { # label, connect string
  local isql secs out
  isql=$(isql_help "$2"); secs=${isql% *}
  out=$(on_display "$exe" "$2" | grep show=)
  if [ -z "$out" ]; then echo "   $1: no figures"; return; fi
  echo "-- $1: $(field rows "$out") rows; isql help $secs s (peak ${isql#* } MB)"
  for step in show sort select_all copy; do
    printf '   %-10s %7.3f s = %5s x isql\n' "$step" "$(field $step "$out")" "$(ratio "$(field $step "$out")" "$secs")"
  done
  echo "   copied $(field copied_chars "$out") characters; growth $(field ws_growth_mb "$out") MB working set"
}

new_pg_database tables; db=$REPLY
pg_tables_in_schema "$db" bench "$n"
report "PostgreSQL, $n tables" "$(pg_connect "$db")"
new_sqlite_tables "$n"; file=$REPLY
report "SQLite, $n tables" "$(sqlite_connect "$file")"
exit 0
