#!/usr/bin/env bash
# Saves a generated table (1,000,000 rows x 10 columns by default) from SQLite, PostgreSQL and
# MariaDB through the export writers and the save job, beside `sqlite3 -csv` and
# `psql \copy ... csv` writing the same rows. Prints rows per second, the ratio to the native
# tool, the file sizes, and the process's peak memory growth for the CSV at a tenth of the rows
# and at all of them (it should not grow with the row count). QL_BENCH_ROWS changes the count;
# QL_BENCH_FORMATS the formats (default "read csv html sql xlsx"; "fetch" moves through the rows
# alone). QL_BENCH_DBS limits the databases (default "SQLite PostgreSQL MariaDB").
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
rows="${QL_BENCH_ROWS:-1000000}"
formats="${QL_BENCH_FORMATS:-read csv html sql xlsx}"
exe="$QL_BINARY_DIR/bench/export/bench_export.exe"
# The servers are shared: the table's name is this run's own.
table="ql_export_bench_$$_$(date +%s%N | tail -c 7)"
select="SELECT id, n, big, d1, d2, s1, s2, t, ts1, ts2 FROM $table"
sqlite_db="/tmp/${table}.db"
out="/tmp/ql_export_bench_out"
source "$here/../generated_table.sh"

now() { date +%s.%N; }
rate() { awk -v r="$1" -v s="$2" 'BEGIN { if (s > 0) printf "%.0f", r / s; else print "n/a" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<" $2"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

make_generated_table "$rows" "$table" "$sqlite_db"
small=$((rows / 10))

ours() { wine "$exe" "$1" "$2" "$3" "Z:${4//\//\\}" 2>&1 | tr -d '\r'; }

report() {
  local name="$1" connect="$2" native_s="$3" native_bytes="$4" csv_s=""
  echo "-- $name ($rows rows x 10 columns)"
  echo "   native CSV:  ${native_s} s, $(rate "$rows" "$native_s") rows/s, $native_bytes bytes"
  for f in $formats; do
    local r s
    r=$(ours "$f" "$connect" "$select" "$out.$f")
    s=$(field seconds "$r")
    if [ -z "$s" ]; then echo "   $f: $r"; continue; fi
    [ "$f" = csv ] && csv_s=$s
    local own=""
    [ "$f" != csv ] && [ -n "${csv_s:-}" ] && own=" = $(ratio "$s" "$csv_s") x the time of the CSV export"
    echo "   $f: $s s, $(rate "$rows" "$s") rows/s ($(ratio "$native_s" "$s") x native CSV)," \
         "$(field bytes "$r") bytes, peak growth $(field peak_private_bytes "$r") bytes$own"
    rm -f "$out.$f"
  done
  local r10
  r10=$(ours csv "$connect" "$select LIMIT $small" "$out.small")
  echo "   csv of $small rows: peak growth $(field peak_private_bytes "$r10") bytes"
  rm -f "$out.small"
}

measured() { [[ " ${QL_BENCH_DBS:-SQLite PostgreSQL MariaDB} " == *" $1 "* ]]; }
if measured SQLite; then
  t0=$(now); sqlite3 -csv "$sqlite_db" "$select" >"$out.native"; t1=$(now)
  report SQLite "Driver=SQLite3;Database=$sqlite_db;" "$(elapsed "$t0" "$t1")" "$(stat -c %s "$out.native")"
fi
if measured PostgreSQL; then
  t0=$(now); psql_q -c "\\copy ($select) TO '$out.native' WITH CSV"; t1=$(now)
  report PostgreSQL "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=quenlark;UID=quenlark;PWD=quenlark;UseDeclareFetch=1;Fetch=10000;" "$(elapsed "$t0" "$t1")" "$(stat -c %s "$out.native")"
fi
# MariaDB has no CSV copy of its own in the client: its batch output (tab-separated) stands in.
if measured MariaDB; then
  t0=$(now); maria_q -B -e "$select" >"$out.native"; t1=$(now)
  report MariaDB "Driver={MariaDB Unicode};Server=127.0.0.1;Port=3306;Database=quenlark;UID=quenlark;PWD=quenlark;" "$(elapsed "$t0" "$t1")" "$(stat -c %s "$out.native")"
fi
rm -f "$out.native"
drop_generated_table "$table"
rm -f "$sqlite_db"
exit 0
