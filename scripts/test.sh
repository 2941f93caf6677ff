#!/usr/bin/env bash
# Builds Quenlark and every test program, starts the database servers, and runs all tests under
# Wine on a virtual display. Extra arguments go to ctest (e.g. -R controls).
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
bash "$here/setup.sh"
source "$here/env.sh"
bash "$here/build.sh"
bash "$here/databases.sh"
# The tests run in a Wine prefix of their own, apart from the one scripts/run.sh, the pictures
# and the benchmarks use: those stop their prefix's Wine server (and with it every program in
# it) when they end, and the end-to-end tests clear the program's settings in theirs.
export QL_WINEPREFIX="$QL_BINARY_DIR/wineprefix-tests"
source "$here/env.sh"
export QL_TEST_ARGS="$*"
# One test run at a time in a build tree: a second one waits here. flock -o keeps the lock out
# of the Wine server, which could otherwise outlive an interrupted run holding it.
lock="$QL_BINARY_DIR/tests.lock"
if ! flock -n "$lock" true; then
  echo "Waiting for the other test run in $QL_BINARY_DIR to end"
fi
exec flock -o "$lock" xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  source "$QL_SOURCE_DIR/scripts/env.sh"
  # A Wine server an interrupted earlier run left behind (persistent, its programs on a display
  # that is gone) ends first: each run starts on a server of its own.
  wineserver -k 2>/dev/null || true
  wineserver -w
  bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
  wineserver -p
  # Start the prefix services now, detached from ctest: they outlive each test program and would
  # otherwise hold its output pipe open.
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
  rc=0
  ctest --test-dir "$QL_BINARY_DIR" --output-on-failure $QL_TEST_ARGS || rc=$?
  if [ "$rc" != 0 ]; then
    bash "$QL_SOURCE_DIR/scripts/failures.sh" "$QL_BINARY_DIR/Testing/Temporary/LastTest.log"
  fi
  wineserver -k || true
  exit $rc'
