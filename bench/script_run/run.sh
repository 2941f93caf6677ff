#!/usr/bin/env bash
# Runs a script of 100,000 INSERT statements (about 7 MB, one per line) and a 20 MB script on one
# line through Execute SQL Script's run, on SQLite and PostgreSQL, with and without "Open
# transaction" and "CancelExec" (statements on the kept worker), beside isql -b (same driver),
# sqlite3 and psql -f running the same files. QL_BENCH_STATEMENTS changes the statement count;
# QL_BENCH_AUTOCOMMIT=0 leaves out the (slow) runs without a transaction on PostgreSQL.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
n="${QL_BENCH_STATEMENTS:-100000}"
exe="$QL_BINARY_DIR/bench/script_run/bench_script_run.exe"
export PGPASSWORD=quenlark
pg="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;UID=quenlark;PWD=quenlark;"
psql_q() { psql -h 127.0.0.1 -U quenlark -d quenlark -qAt "$@"; }
work=/dev/shm/ql_script_bench_$$
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
lines="$work/inserts.sql"
oneline="$work/oneline.sql"
table=ql_script_bench_$$  # the servers are shared: this run's own table

# --- data: one INSERT per line, and about 20 MB of them on a single line ------------------------
awk -v n="$n" -v t="$table" 'BEGIN { for (i = 1; i <= n; i++)
  printf "INSERT INTO %s VALUES (%d, '\''name %d'\'', '\''city %d street %d; no. %d'\'', %d.25);\n",
    t, i, i, i % 977, i % 31, i, i }' > "$lines"
awk -v t="$table" 'BEGIN { size = 0; i = 0; while (size < 20000000) { i++;
  s = sprintf("INSERT INTO %s VALUES (%d, '\''name %d'\'', '\''%0120d'\'', %d.5);", t, i, i, i, i);
  printf "%s", s; size += length(s) } printf "\n" }' > "$oneline"
echo "-- $(wc -l < "$lines") statements in $(stat -c %s "$lines") bytes; one-line script $(stat -c %s "$oneline") bytes"

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }
create_sql="CREATE TABLE $table (id INTEGER, name VARCHAR(40), note VARCHAR(200), v DOUBLE PRECISION)"

sqlite_fresh() { rm -f "$work/bench.db"; sqlite3 "$work/bench.db" "$create_sql"; }
pg_fresh() { psql_q -c "DROP TABLE IF EXISTS $table" >/dev/null; psql_q -c "$create_sql" >/dev/null; }

# isql runs every line as a statement; with a transaction the file is framed by BEGIN/COMMIT.
run_isql() { # connect file trans
  local f="$2" t0 t1
  if [ "$3" = 1 ]; then { echo "BEGIN"; sed 's/;$//' "$2"; echo "COMMIT"; } > "$work/isql.sql";
  else sed 's/;$//' "$2" > "$work/isql.sql"; fi
  t0=$(now); isql -k "$1" -b < "$work/isql.sql" >/dev/null 2>&1; t1=$(now); elapsed "$t0" "$t1"
}
run_ours() { # connect file trans cancel
  local out; out=$(wine "$exe" "$1" "$(winepath -w "$2")" ";" "$3" "$4" 2>&1 | tr -d '\r')
  local s; s=$(field seconds "$out"); [ -z "$s" ] && echo "failed: $out" >&2; echo "${s:-0}"
}
line() { # label ours peer_label peer_seconds
  printf "   %-44s %8s s   %s %s s = %s x its speed\n" "$1" "$2" "$3" "$4" "$(ratio "$4" "$2")"
}

sqlite_connect="Driver=SQLite3;Database=$work/bench.db;"
echo "-- SQLite (database on tmpfs), $n INSERTs"
sqlite_fresh; t0=$(now); { echo "BEGIN;"; cat "$lines"; echo "COMMIT;"; } | sqlite3 "$work/bench.db"; t1=$(now)
peer_sqlite=$(elapsed "$t0" "$t1")
sqlite_fresh; peer_isql=$(run_isql "$sqlite_connect" "$lines" 1)
echo "   sqlite3 (one transaction): $peer_sqlite s; isql -b (one transaction): $peer_isql s"
for cancel in 0 1; do
  sqlite_fresh; s=$(run_ours "$sqlite_connect" "$lines" 1 $cancel)
  line "Quenlark, Open transaction, CancelExec $cancel" "$s" "isql" "$peer_isql"
done
sqlite_fresh; peer_auto=$(run_isql "$sqlite_connect" "$lines" 0)
sqlite_fresh; s=$(run_ours "$sqlite_connect" "$lines" 0 0)
line "Quenlark, autocommit, CancelExec 0" "$s" "isql autocommit" "$peer_auto"
sqlite_fresh; s=$(run_ours "$sqlite_connect" "$oneline" 1 0)
echo "   Quenlark, the 20 MB one-line script, Open transaction: $s s"

echo "-- PostgreSQL, $n INSERTs"
pg_fresh; t0=$(now); { echo "BEGIN;"; cat "$lines"; echo "COMMIT;"; } | psql_q -f - >/dev/null; t1=$(now)
peer_psql=$(elapsed "$t0" "$t1")
# psql with ON_ERROR_ROLLBACK keeps the transaction going past a failed statement as the
# program does (psqlODBC's statement-level rollback): a savepoint around every statement.
pg_fresh; t0=$(now); { echo "BEGIN;"; cat "$lines"; echo "COMMIT;"; } |
  psql_q -v ON_ERROR_ROLLBACK=on -f - >/dev/null; t1=$(now)
peer_psql_svp=$(elapsed "$t0" "$t1")
pg_fresh; peer_isql=$(run_isql "$pg" "$lines" 1)
echo "   psql -f (one transaction): $peer_psql s; with ON_ERROR_ROLLBACK=on: $peer_psql_svp s;" \
     "isql -b (one transaction): $peer_isql s"
for cancel in 0 1; do
  pg_fresh; s=$(run_ours "$pg" "$lines" 1 $cancel)
  line "Quenlark, Open transaction, CancelExec $cancel" "$s" "isql" "$peer_isql"
  echo "      $(ratio "$s" "$peer_psql") x the time of psql -f (target 1.1 at most);" \
       "$(ratio "$s" "$peer_psql_svp") x psql -f with ON_ERROR_ROLLBACK=on"
done
# The driver without its savepoint per statement (a failed statement would then end the whole
# transaction, which the program does not accept): what the savepoints cost.
pg_fresh; s=$(run_ours "${pg}Protocol=7.4-1;" "$lines" 1 0)
echo "   for comparison, the driver without statement-level rollback (Protocol=7.4-1): $s s =" \
     "$(ratio "$s" "$peer_psql") x the time of psql -f"
if [ "${QL_BENCH_AUTOCOMMIT:-1}" = 1 ]; then
  pg_fresh; t0=$(now); psql_q -f "$lines" >/dev/null; t1=$(now); peer_auto_psql=$(elapsed "$t0" "$t1")
  pg_fresh; peer_auto=$(run_isql "$pg" "$lines" 0)
  echo "   psql -f (autocommit): $peer_auto_psql s; isql -b (autocommit): $peer_auto s"
  for cancel in 0 1; do
    pg_fresh; s=$(run_ours "$pg" "$lines" 0 $cancel)
    line "Quenlark, autocommit, CancelExec $cancel" "$s" "isql autocommit" "$peer_auto"
  done
fi
pg_fresh; s=$(run_ours "$pg" "$oneline" 1 0)
echo "   Quenlark, the 20 MB one-line script, Open transaction: $s s"
psql_q -c "DROP TABLE IF EXISTS $table" >/dev/null
exit 0
