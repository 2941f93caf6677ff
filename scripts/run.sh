#!/usr/bin/env bash
# Builds Quenlark and starts it under Wine: on the current display when there is one, otherwise on
# a virtual one. Arguments go to the program (a .sql script or a database file).
#
# The first run also builds a demo SQLite database (build/demo/quenlark-demo.db) and, while no
# connection string is stored yet, makes it the most recent connection with "Restore last
# database connection at startup" on, so the program opens connected to it.
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
bash "$here/setup.sh"
source "$here/env.sh"
# The program and its help file only; the test programs are built by scripts/test.sh.
QL_TARGETS="${QL_TARGETS:-Quenlark}" bash "$here/build.sh"
exec bash "$here/start.sh" "$@"
