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
bash "$here/build.sh"
exe="$QL_BINARY_DIR/bin/Quenlark.exe"
demo="$QL_BINARY_DIR/demo/quenlark-demo.db"
if [ ! -f "$demo" ]; then
  mkdir -p "$(dirname "$demo")"
  bash "$here/demo-database.sh" "$demo"
fi
export QL_DEMO_DATABASE="$demo"

# One import: the seed connection string, the connect at start-up, and "Grid lines" (whose
# presence makes the program read the user's key rather than the machine's).
seed_settings() {
  if wine reg query 'HKCU\Software\Dravolen\Quenlark\ConnectStrings' /v ConnectString0 \
      >/dev/null 2>&1; then
    return
  fi
  local reg="$QL_BINARY_DIR/demo/seed.reg"
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Dravolen\\Quenlark]\r\n'
    printf '"Grid lines"="Yes"\r\n"Connect DB at startup"="Yes"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Dravolen\\Quenlark\\ConnectStrings]\r\n'
    printf '"ConnectString0"="Driver=SQLite3;Database=%s;"\r\n' "$QL_DEMO_DATABASE"
  } > "$reg"
  wine regedit /S "$reg" >/dev/null 2>&1
}
export -f seed_settings

if [ -n "${DISPLAY:-}" ]; then
  bash "$here/wine-prefix.sh"
  seed_settings
  exec wine "$exe" "$@"
else
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"; seed_settings; exec wine "$0" "$@"' "$exe" "$@"
fi
