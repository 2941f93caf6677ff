#!/usr/bin/env bash
# The database bar and the constraints dialog over big catalogs, beside isql listing the same
# tables (`help`, SQLTables) in the same run:
#   - the Tables tab over 10,000 tables in one schema and over 1,000 schemas of 10 tables, on
#     PostgreSQL and SQLite (SQLite has no schemas: only the first shape), from the activation of
#     the tab on a shown bar to the filled tree, with the memory the fill took;
#   - the Procedures tab on PostgreSQL (every routine of a fresh database);
#   - the constraints dialog of a whole PostgreSQL database of 2,500 tables of four constraints.
# Each PostgreSQL shape lives in a scratch database of its own and each SQLite one in a scratch
# file, all dropped at the end. QL_BENCH_TABLES changes the 10,000. Figures only: never fails.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
n="${QL_BENCH_TABLES:-10000}"
exe="$QL_BINARY_DIR/bench/object_browser/bench_object_browser.exe"
export PGPASSWORD=quenlark
psql_db() { local db="$1"; shift; psql -h 127.0.0.1 -U quenlark -d "$db" -qAt -v ON_ERROR_STOP=1 "$@"; }
tag="$$_$(date +%s%N | tail -c 7)"
counter=0
unique() { counter=$((counter + 1)); echo "ql_objbench_${1}_${tag}_${counter}"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f", a / b; else print "n/a" }'; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }
pg_connect() { echo "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=$1;UID=quenlark;PWD=quenlark;"; }
sqlite_connect() { echo "Driver=SQLite3;Database=$1;"; }
# Without a window manager (bare Xvfb) Wine waits two seconds for one to withdraw each managed
# top-level window that goes away, the wait dialog included: not what a user waits for.
wine reg add 'HKCU\Software\Wine\AppDefaults\bench_object_browser.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

databases=() files=()
cleanup() {
  for db in "${databases[@]}"; do psql_db quenlark -c "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1; done
  rm -f "${files[@]}"
}
trap cleanup EXIT

new_pg_database() {
  local db; db=$(unique "$1")
  psql_db quenlark -c "CREATE DATABASE $db" >/dev/null && databases+=("$db") && echo "$db"
}

# isql listing every table (`help` is SQLTables): "<seconds> <peak MB>".
isql_help() {
  local out
  out=$( { echo help | /usr/bin/time -f "QLTIME %e %M" isql -k "$1" -b >/dev/null; } 2>&1 | grep QLTIME)
  awk '{ printf "%s %.1f", $2, $3 / 1024 }' <<<"$out"
}

report_tree() { # label, connect string, tab, [cancelexec]
  local out isql secs mb
  isql=$(isql_help "$2"); secs=${isql% *}; mb=${isql#* }
  out=$(timeout 600 xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe" tree "$2" "$3" ${4:-} 2>&1 | tr -d '\r' | grep seconds=)
  if [ -z "$out" ]; then echo "   $1: no figures"; return; fi
  local s ws pr items rec
  s=$(field seconds "$out"); ws=$(field ws_growth_mb "$out"); pr=$(field private_growth_mb "$out")
  items=$(field items "$out"); rec=$(field record_bytes "$out")
  printf '   %-44s %7.3f s = %5s x isql (%s s)   growth %6s MB working set, %6s MB private = %4s x isql peak (%s MB)   %s items, %s bytes per cached record\n' \
    "$1" "$s" "$(ratio "$s" "$secs")" "$secs" "$ws" "$pr" "$(ratio "$ws" "$mb")" "$mb" "$items" "$rec"
}

# ---- PostgreSQL -----------------------------------------------------------------------------
flat=$(new_pg_database flat)
psql_db "$flat" -c "CREATE SCHEMA bench" >/dev/null
for ((from = 1; from <= n; from += 2000)); do
  to=$((from + 1999)); [ $to -gt "$n" ] && to=$n
  psql_db "$flat" -c "DO \$\$ BEGIN FOR i IN $from..$to LOOP EXECUTE format('CREATE TABLE bench.t%s (id int)', i); END LOOP; END \$\$" >/dev/null
done
wide=$(new_pg_database wide)
schemas=$((n / 10))
for ((from = 1; from <= schemas; from += 200)); do
  to=$((from + 199)); [ $to -gt "$schemas" ] && to=$schemas
  psql_db "$wide" -c "DO \$\$ BEGIN FOR s IN $from..$to LOOP EXECUTE format('CREATE SCHEMA s%s', s);
    FOR i IN 1..10 LOOP EXECUTE format('CREATE TABLE s%s.t%s (id int)', s, i); END LOOP; END LOOP; END \$\$" >/dev/null
done
echo "-- PostgreSQL: Tables tab (CancelExec off, then on: the wait dialog shown and pumped)"
report_tree "$n tables in one schema" "$(pg_connect "$flat")" 0
report_tree "$n tables in one schema, CancelExec" "$(pg_connect "$flat")" 0 cancelexec
report_tree "$schemas schemas of 10 tables" "$(pg_connect "$wide")" 0
report_tree "$schemas schemas of 10 tables, CancelExec" "$(pg_connect "$wide")" 0 cancelexec
echo "-- PostgreSQL: Procedures tab ($(psql_db "$flat" -c 'select count(*) from pg_proc') routines in pg_proc)"
report_tree "every routine" "$(pg_connect "$flat")" 2
report_tree "every routine, CancelExec" "$(pg_connect "$flat")" 2 cancelexec

# The constraints dialog: 2,500 tables of a primary key, a unique, a check and a foreign key.
cons=$(new_pg_database constraints)
psql_db "$cons" -c "CREATE SCHEMA bench; CREATE TABLE bench.root (id int PRIMARY KEY)" >/dev/null
for ((from = 1; from <= n / 4; from += 500)); do
  to=$((from + 499)); [ $to -gt $((n / 4)) ] && to=$((n / 4))
  psql_db "$cons" -c "DO \$\$ BEGIN FOR i IN $from..$to LOOP EXECUTE format('CREATE TABLE bench.t%s (id int PRIMARY KEY, code varchar(20) UNIQUE CHECK (length(code) < 10), root_id int REFERENCES bench.root)', i); END LOOP; END \$\$" >/dev/null
done
rows=$(psql_db "$cons" -c "select count(*) from pg_constraint where contype in ('c','p','u','f')")
echo "-- PostgreSQL: constraints dialog of the whole database ($rows constraints)"
for mode in "" cancelexec; do
  out=$(timeout 600 xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe" constraints "$(pg_connect "$cons")" $mode 2>&1 | tr -d '\r' | grep seconds=)
  printf '   %-44s %7.3f s, %s rows, growth %s MB working set, %s bytes per record\n' "shown with its rows${mode:+, $mode}" \
    "$(field seconds "$out")" "$(field items "$out")" "$(field ws_growth_mb "$out")" "$(field record_bytes "$out")"
done

# ---- SQLite ---------------------------------------------------------------------------------
file="/tmp/$(unique sqlite).db"; files+=("$file")
{ echo "BEGIN;"; for ((i = 1; i <= n; i++)); do echo "CREATE TABLE t$i (id INTEGER);"; done; echo "COMMIT;"; } | sqlite3 "$file"
echo "-- SQLite: Tables tab (no schemas: one node)"
report_tree "$n tables" "$(sqlite_connect "$file")" 0
report_tree "$n tables, CancelExec" "$(sqlite_connect "$file")" 0 cancelexec
exit 0
