# Sourced by the catalog benchmarks: scratch PostgreSQL databases and SQLite files with many
# tables, isql listing them beside the program, and the figures' arithmetic. Every scratch name
# carries the process id, a clock token and a counter; everything made is dropped on exit.
export PGPASSWORD=quenlark
psql_db() { local db="$1"; shift; psql -h 127.0.0.1 -U quenlark -d "$db" -qAt -v ON_ERROR_STOP=1 "$@"; }
bench_tag="$$_$(date +%s%N | tail -c 7)"
bench_counter=0
bench_databases=() bench_files=()
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f", a / b; else print "n/a" }'; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }
pg_connect() { echo "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=$1;UID=quenlark;PWD=quenlark;"; }
sqlite_connect() { echo "Driver=SQLite3;Database=$1;"; }

bench_cleanup() {
  for db in "${bench_databases[@]}"; do psql_db quenlark -c "DROP DATABASE IF EXISTS $db" >/dev/null 2>&1; done
  rm -f "${bench_files[@]}"
}
trap bench_cleanup EXIT

# unique_name PURPOSE: a scratch name of this run (set in $REPLY: no subshell, so the counter
# and the cleanup lists hold).
unique_name() { bench_counter=$((bench_counter + 1)); REPLY="ql_objbench_${1}_${bench_tag}_${bench_counter}"; }

# new_pg_database PURPOSE: an empty scratch database, its name in $REPLY.
new_pg_database() {
  unique_name "$1"
  psql_db quenlark -c "CREATE DATABASE $REPLY" >/dev/null && bench_databases+=("$REPLY")
}

# pg_tables_in_schema DATABASE SCHEMA COUNT: tables t1..tCOUNT (id int), made on the server in
# batches (one transaction each stays within the lock table).
pg_tables_in_schema() {
  local db="$1" schema="$2" n="$3" from to
  psql_db "$db" -c "CREATE SCHEMA $schema" >/dev/null
  for ((from = 1; from <= n; from += 2000)); do
    to=$((from + 1999)); [ $to -gt "$n" ] && to=$n
    psql_db "$db" -c "DO \$\$ BEGIN FOR i IN $from..$to LOOP EXECUTE format('CREATE TABLE $schema.t%s (id int)', i); END LOOP; END \$\$" >/dev/null
  done
}

# pg_schemas_of_ten DATABASE SCHEMAS: schemas s1..sSCHEMAS of ten tables each.
pg_schemas_of_ten() {
  local db="$1" n="$2" from to
  for ((from = 1; from <= n; from += 200)); do
    to=$((from + 199)); [ $to -gt "$n" ] && to=$n
    psql_db "$db" -c "DO \$\$ BEGIN FOR s IN $from..$to LOOP EXECUTE format('CREATE SCHEMA s%s', s);
      FOR i IN 1..10 LOOP EXECUTE format('CREATE TABLE s%s.t%s (id int)', s, i); END LOOP; END LOOP; END \$\$" >/dev/null
  done
}

# new_sqlite_tables COUNT: a scratch file of COUNT tables made in one transaction, its path in $REPLY.
new_sqlite_tables() {
  unique_name sqlite
  REPLY="/tmp/$REPLY.db"
  bench_files+=("$REPLY")
  { echo "BEGIN;"; for ((i = 1; i <= $1; i++)); do echo "CREATE TABLE t$i (id INTEGER);"; done; echo "COMMIT;"; } | sqlite3 "$REPLY"
}

# isql_help CONNECT: isql listing every table (`help` is SQLTables): "<seconds> <peak MB>".
isql_help() {
  local out
  out=$( { echo help | /usr/bin/time -f "QLTIME %e %M" isql -k "$1" -b >/dev/null; } 2>&1 | grep QLTIME)
  awk '{ printf "%s %.1f", $2, $3 / 1024 }' <<<"$out"
}

# Without a window manager (bare Xvfb) Wine waits two seconds for one to withdraw each managed
# top-level window that goes away (the wait dialog, the dialog measured): not what a user waits
# for. unmanaged_windows PROGRAM.exe
unmanaged_windows() {
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$1\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
}

# Each program on a Wine server of its own: one lingering after the last program (or a registry
# change) holds that program's display, gone with its xvfb-run, and the next one's windows would
# fail to open.
on_display() { wineserver -w; timeout 900 xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@" 2>&1 | tr -d '\r'; }
