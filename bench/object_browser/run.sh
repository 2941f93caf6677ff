#!/usr/bin/env bash
# The database bar and the constraints dialog over big catalogs, beside isql listing the same
# tables (`help`, SQLTables) in the same run:
#   - the Tables tab over 10,000 tables in one schema and over 1,000 schemas of 10 tables, on
#     PostgreSQL and SQLite (SQLite has no schemas: only the first shape), from the activation of
#     the tab on a shown bar to the filled tree, with the memory the fill took, then "Refresh" of
#     the biggest schema node;
#   - the Procedures tab on PostgreSQL (every routine of a fresh database);
#   - the constraints dialog of a whole PostgreSQL database of 2,500 tables of four constraints.
# Each PostgreSQL shape lives in a scratch database of its own and each SQLite one in a scratch
# file, all dropped at the end. QL_BENCH_TABLES changes the 10,000. Figures only: never fails.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
source "$here/../common/catalog_bench.sh"
n="${QL_BENCH_TABLES:-10000}"
exe="$QL_BINARY_DIR/bench/object_browser/bench_object_browser.exe"
unmanaged_windows bench_object_browser.exe

report_tree() { # label, connect string, tab, [cancelexec]
  local out isql secs mb
  isql=$(isql_help "$2"); secs=${isql% *}; mb=${isql#* }
  local both refresh
  both=$(on_display "$exe" tree "$2" "$3" ${4:-})
  out=$(grep '^seconds=' <<<"$both"); refresh=$(grep refresh_seconds= <<<"$both")
  if [ -z "$out" ]; then echo "   $1: no figures"; return; fi
  local s ws pr
  s=$(field seconds "$out"); ws=$(field ws_growth_mb "$out"); pr=$(field private_growth_mb "$out")
  printf '   %-40s %7.3f s = %5s x isql (%s s)   growth %5s MB working set = %4s x isql peak (%s MB), %5s MB private   %s items, %s bytes per cached record%s\n' \
    "$1" "$s" "$(ratio "$s" "$secs")" "$secs" "$ws" "$(ratio "$ws" "$mb")" "$mb" "$pr" \
    "$(field items "$out")" "$(field record_bytes "$out")" "$(wait_figures "$out")"
  [ -n "$refresh" ] && printf '   %-40s %7.3f s (%s items; peak working set %s MB)\n' "  then Refresh of its biggest schema node" \
    "$(field refresh_seconds "$refresh")" "$(field refresh_items "$refresh")" "$(field peak_ws_mb "$refresh")"
}

# The wait dialog's marquee ticks taken during the step, and the longest stretch without one.
wait_figures() {
  [ "$(field wait_ticks "$1")" = "0" ] && return
  echo "; wait dialog: $(field wait_ticks "$1") ticks, longest $(field longest_unpumped "$1") s without"
}

# ---- PostgreSQL -----------------------------------------------------------------------------
new_pg_database flat; flat=$REPLY
pg_tables_in_schema "$flat" bench "$n"
new_pg_database wide; wide=$REPLY
pg_schemas_of_ten "$wide" $((n / 10))
echo "-- PostgreSQL: Tables tab (CancelExec off, then on: the catalog read as a job behind the wait dialog)"
report_tree "$n tables in one schema" "$(pg_connect "$flat")" 0
report_tree "$n tables in one schema, CancelExec" "$(pg_connect "$flat")" 0 cancelexec
report_tree "$((n / 10)) schemas of 10 tables" "$(pg_connect "$wide")" 0
report_tree "$((n / 10)) schemas of 10 tables, CancelExec" "$(pg_connect "$wide")" 0 cancelexec
echo "-- PostgreSQL: Procedures tab ($(psql_db "$flat" -c 'select count(*) from pg_proc') routines in pg_proc)"
report_tree "every routine" "$(pg_connect "$flat")" 2
report_tree "every routine, CancelExec" "$(pg_connect "$flat")" 2 cancelexec

# The constraints dialog: tables of a primary key, a unique, a check and a foreign key.
new_pg_database constraints; cons=$REPLY
psql_db "$cons" -c "CREATE SCHEMA bench; CREATE TABLE bench.root (id int PRIMARY KEY)" >/dev/null
for ((from = 1; from <= n / 4; from += 500)); do
  to=$((from + 499)); [ $to -gt $((n / 4)) ] && to=$((n / 4))
  psql_db "$cons" -c "DO \$\$ BEGIN FOR i IN $from..$to LOOP EXECUTE format('CREATE TABLE bench.t%s (id int PRIMARY KEY, code varchar(20) UNIQUE CHECK (length(code) < 10), root_id int REFERENCES bench.root)', i); END LOOP; END \$\$" >/dev/null
done
rows=$(psql_db "$cons" -c "select count(*) from pg_constraint where contype in ('c','p','u','f')")
echo "-- PostgreSQL: constraints dialog of the whole database ($rows constraints)"
for mode in "" cancelexec; do
  out=$(on_display "$exe" constraints "$(pg_connect "$cons")" $mode | grep seconds=)
  printf '   %-40s %7.3f s, %s rows, growth %s MB working set, %s bytes per record%s\n' "shown with its rows${mode:+, CancelExec}" \
    "$(field seconds "$out")" "$(field items "$out")" "$(field ws_growth_mb "$out")" "$(field record_bytes "$out")" "$(wait_figures "$out")"
done

# ---- SQLite ---------------------------------------------------------------------------------
new_sqlite_tables "$n"; file=$REPLY
echo "-- SQLite: Tables tab (no schemas: one node)"
report_tree "$n tables" "$(sqlite_connect "$file")" 0
report_tree "$n tables, CancelExec" "$(sqlite_connect "$file")" 0 cancelexec
exit 0
