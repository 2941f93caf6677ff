#!/usr/bin/env bash
# The procedures tree's read of every routine and the constraints dialog's read of a whole
# database on PostgreSQL, through the database helper, beside psql running the same catalog
# statements. A scratch schema gets QL_BENCH_TABLES tables (default 2500) of four constraints each
# (primary key, unique, check, foreign key) so that the whole database holds about 10,000.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
n="${QL_BENCH_TABLES:-2500}"
exe="$QL_BINARY_DIR/bench/object_lists/bench_object_lists.exe"
export PGPASSWORD=quenlark
psql_q() { psql -h 127.0.0.1 -U quenlark -d quenlark -qAt "$@"; }
pg="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;UID=quenlark;PWD=quenlark;"
schema=ql_bench_constraints
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }

psql_q -c "DROP SCHEMA IF EXISTS $schema CASCADE" >/dev/null 2>&1
psql_q -c "CREATE SCHEMA $schema" >/dev/null
psql_q -c "CREATE TABLE $schema.root (id int PRIMARY KEY)" >/dev/null
awk -v n="$n" -v s="$schema" 'BEGIN { print "BEGIN;"; for (i = 1; i <= n; i++)
  printf "CREATE TABLE %s.t%d (id int PRIMARY KEY, code varchar(20) UNIQUE CHECK (length(code) < 10), root_id int REFERENCES %s.root);\n", s, i, s;
  print "COMMIT;" }' | psql_q -f - >/dev/null
echo "-- PostgreSQL: $(psql_q -c "select count(*) from pg_constraint") constraints, $(psql_q -c "select count(*) from pg_proc") routines"

out=$(wine "$exe" "$pg" 2>&1 | tr -d '\r')
procs_s=$(field seconds "$(grep procedures= <<<"$out")")
cons_s=$(field seconds "$(grep constraints= <<<"$out")")
echo "   Quenlark: $(grep procedures= <<<"$out"); $(grep constraints= <<<"$out"); $(grep peak_mb <<<"$out")"

# The same reads by psql: the driver's procedure query is close to a plain pg_proc join.
t0=$(now); psql_q -c "select n.nspname, p.proname, p.prokind from pg_proc p join pg_namespace n on n.oid = p.pronamespace" >/dev/null; t1=$(now)
echo "   psql, routines with their schemas: $(elapsed "$t0" "$t1") s (Quenlark ${procs_s:-?} s)"
sql="SELECT ns.nspname, c.conname, case c.contype when 'c' then 1 when 'p' then 2 else 4 end, pg_catalog.pg_get_expr(c.conbin, c.conrelid), tns.nspname, t.relname, NULL, NULL FROM pg_catalog.pg_constraint c, pg_catalog.pg_class t, pg_catalog.pg_namespace ns, pg_catalog.pg_namespace tns WHERE c.conrelid = t.oid AND c.contype IN ('c', 'p', 'u') AND c.connamespace = ns.oid AND t.relnamespace = tns.oid union all SELECT ns.nspname, c.conname, 3, pg_catalog.pg_get_expr(c.conbin, c.conrelid), tns.nspname, t.relname, fns.nspname, f.relname FROM pg_catalog.pg_constraint c, pg_catalog.pg_class t, pg_catalog.pg_namespace ns, pg_catalog.pg_namespace tns, pg_catalog.pg_class f, pg_catalog.pg_namespace fns WHERE c.conrelid = t.oid AND c.contype ='f' AND c.confrelid = f.oid AND f.relnamespace = fns.oid AND c.connamespace = ns.oid AND t.relnamespace = tns.oid"
t0=$(now); rows=$(psql_q -c "$sql" | wc -l); t1=$(now)
echo "   psql, the same constraint statement: $rows rows in $(elapsed "$t0" "$t1") s (Quenlark ${cons_s:-?} s)"
psql_q -c "DROP SCHEMA IF EXISTS $schema CASCADE" >/dev/null 2>&1
exit 0
