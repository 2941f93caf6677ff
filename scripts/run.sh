#!/usr/bin/env bash
# Builds Quenlark and starts it under Wine: on the current display when there is one, otherwise on
# a virtual one. Arguments go to the program (a .sql script or a database file).
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
bash "$here/setup.sh"
source "$here/env.sh"
bash "$here/build.sh"
exe="$QL_BINARY_DIR/bin/Quenlark.exe"
if [ -n "${DISPLAY:-}" ]; then
  bash "$here/wine-prefix.sh"
  exec wine "$exe" "$@"
else
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"; exec wine "$0" "$@"' "$exe" "$@"
fi
