#!/usr/bin/env bash
# Long runs of the session sequence test against the model of the native clients.
# Usage: bash bench/session_sequence/run.sh [PRODUCT [FIRST_SEED[-LAST_SEED] [STEPS [SKIP]]]]
#   PRODUCT PostgreSQL, MariaDB, SQLite or all (default all); seeds default 1-10, steps 500;
#   SKIP step kinds left out, separated by commas.
# A disagreement's report names the seed and the steps: the same arguments replay it.
# QL_SEQUENCE_CONNECT_EXTRA adds options to the program's connection ("UseDeclareFetch=0;").
# Figures only: it never fails.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# The benchmarks' build tree (bench/run.sh builds it); a replay run alone builds the program.
export QL_BINARY_DIR="${QL_BINARY_DIR:-$here/../../build-bench}"
source "$here/../../scripts/env.sh"
exe="$QL_BINARY_DIR/bench/session_sequence/bench_session_sequence.exe"
QL_JOBS="${QL_JOBS:-3}" QL_TARGETS=bench_session_sequence bash "$QL_SOURCE_DIR/scripts/build.sh" \
  -DQL_BUILD_BENCH=ON -DQL_BUILD_TESTS=OFF >/dev/null || exit 0
bash "$QL_SOURCE_DIR/scripts/databases.sh" >/dev/null
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
# The drivers as users have them, without psqlODBC's communication log (see bench/run.sh).
if [ -z "${ODBCSYSINI:-}" ]; then
  odbc_dir="$QL_BINARY_DIR/bench-odbc"
  mkdir -p "$odbc_dir"
  sed 's/^CommLog=1/CommLog=0/' /etc/odbcinst.ini >"$odbc_dir/odbcinst.ini"
  [ -f "$odbc_dir/odbc.ini" ] || : >"$odbc_dir/odbc.ini"
  export ODBCSYSINI="$odbc_dir"
fi
wine "$exe" "${1:-all}" "${2:-1-10}" "${3:-500}" "${4:-}" 2>&1 | tr -d '\r'
exit 0
