#!/usr/bin/env bash
# Builds the benchmark programs in their own build tree and runs each benchmark folder's run.sh.
# Usage: bash bench/run.sh [folder ...]   (default: every folder with a run.sh)
# Each folder's run.sh names the variables it reads (grid_window: QL_BENCH_ROWS, the table sizes,
# and QL_BENCH_REPEAT, the runs per figure). The machine's load is printed before each folder:
# the figures mean little without it.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export QL_BINARY_DIR="${QL_BINARY_DIR:-$here/../build-bench}"
bash "$here/../scripts/setup.sh"
# The native tools the benchmarks compare with and generate their data with.
command -v sqlite3 >/dev/null || { apt-get install -y -q sqlite3 >/dev/null || true; }
bash "$here/../scripts/build.sh" -DQL_BUILD_BENCH=ON -DQL_BUILD_TESTS=OFF || exit 0
bash "$here/../scripts/databases.sh"
# The drivers as users have them: Debian's psqlODBC template turns on its communication log,
# which writes a line for every statement and every fetch and would be measured with them.
odbc_dir="$QL_BINARY_DIR/bench-odbc"
mkdir -p "$odbc_dir"
sed 's/^CommLog=1/CommLog=0/' /etc/odbcinst.ini >"$odbc_dir/odbcinst.ini"
if [ -f /etc/odbc.ini ]; then cp /etc/odbc.ini "$odbc_dir/odbc.ini"; else : >"$odbc_dir/odbc.ini"; fi
export ODBCSYSINI="$odbc_dir"
folders=("$@")
if [ ${#folders[@]} -eq 0 ]; then
  for d in "$here"/*/; do [ -f "$d/run.sh" ] && folders+=("$(basename "$d")"); done
fi
for f in "${folders[@]}"; do
  echo "== $f ($(nproc) processors; $(uptime))"
  bash "$here/$f/run.sh" || echo "(benchmark $f did not finish)"
done
exit 0
