#!/usr/bin/env bash
# Builds Quenlark and every test program, starts the database servers, and runs all tests under
# Wine on a virtual display. Extra arguments go to ctest (e.g. -R controls).
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
bash "$here/setup.sh"
source "$here/env.sh"
bash "$here/build.sh"
bash "$here/databases.sh"
export QL_TEST_ARGS="$*"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  source "$QL_SOURCE_DIR/scripts/env.sh"
  bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
  wineserver -p
  # Start the prefix services now, detached from ctest: they outlive each test program and would
  # otherwise hold its output pipe open.
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
  rc=0
  ctest --test-dir "$QL_BINARY_DIR" --output-on-failure $QL_TEST_ARGS || rc=$?
  wineserver -k || true
  exit $rc'
