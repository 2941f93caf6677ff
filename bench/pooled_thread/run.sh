#!/usr/bin/env bash
# Starting and joining a thread for an empty work under Wine: a new thread against a pooled one
# (bench_pooled_thread.exe), QL_BENCH_RUNS processes (default 5) of QL_BENCH_WORKS works each
# (default 200). Figures only: it never fails.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
runs="${QL_BENCH_RUNS:-5}"
exe="$QL_BINARY_DIR/bench/pooled_thread/bench_pooled_thread.exe"
for ((i = 0; i < runs; i++)); do
  wine "$exe" "${QL_BENCH_WORKS:-200}" 2>/dev/null | tr -d '\r'
done
exit 0
