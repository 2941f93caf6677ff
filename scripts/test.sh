#!/usr/bin/env bash
# Builds Quenlark and every test program, starts the database servers, and runs all tests under
# Wine. Extra arguments go to ctest (e.g. -R controls, -j 2). The test programs run side by side,
# as many at once as the machine has cores unless the arguments or CTEST_PARALLEL_LEVEL say how
# many, each in a Wine prefix, Wine server and virtual display of its own (scripts/wine-test.sh).
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
bash "$here/setup.sh"
source "$here/env.sh"
bash "$here/build.sh"
bash "$here/databases.sh"
# The tests' Wine prefix, of which each test program runs in a copy: apart from the one
# scripts/run.sh, the pictures and the benchmarks use, since those stop their prefix's Wine server
# (and with it every program in it) when they end, and the end-to-end tests clear the program's
# settings in theirs.
export QL_WINEPREFIX="$QL_BINARY_DIR/wineprefix-tests"
source "$here/env.sh"
jobs=(-j "$(nproc)")
if [ -n "${CTEST_PARALLEL_LEVEL:-}" ]; then
  jobs=()
fi
for argument in "$@"; do
  case "$argument" in
    -j* | --parallel*) jobs=() ;;
  esac
done
# One test run at a time in a build tree: a second one waits here. flock -o keeps the lock out
# of the Wine servers, which could otherwise outlive an interrupted run holding it.
lock="$QL_BINARY_DIR/tests.lock"
if ! flock -n "$lock" true; then
  echo "Waiting for the other test run in $QL_BINARY_DIR to end"
fi
exec flock -o "$lock" bash -c '
  source "$QL_SOURCE_DIR/scripts/env.sh"
  # A Wine server an interrupted earlier run left on the tests prefix ends first: the programs
  # copy the prefix, which must not change meanwhile.
  wineserver -k 2>/dev/null || true
  wineserver -w
  rc=0
  ctest --test-dir "$QL_BINARY_DIR" --output-on-failure "$@" || rc=$?
  if [ "$rc" != 0 ]; then
    bash "$QL_SOURCE_DIR/scripts/failures.sh" "$QL_BINARY_DIR/Testing/Temporary/LastTest.log"
  fi
  exit $rc' bash "${jobs[@]}" "$@"
