#!/usr/bin/env bash
# Starts the built Quenlark under Wine: on the current display when there is one, otherwise on a
# virtual one. Arguments go to the program. scripts/run.sh builds first and then comes here.
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
source "$here/env.sh"
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
  wine regedit /S "$reg" >/dev/null 2>&1 || true
}

# Without a window manager (the virtual display) Wine waits about two seconds for one each time a
# top-level window hides, so there the program's windows are left unmanaged, as the tests' are.
# On a real display the window manager manages them; the tests set the same value in this prefix,
# so it is removed again there.
window_management() {
  local key='HKCU\Software\Wine\AppDefaults\Quenlark.exe\X11 Driver'
  if [ "$1" = off ]; then
    # Checked and written again when it did not take: a Wine server that was just ending with
    # the prefix's last program can lose the value.
    for _ in 1 2 3; do
      wine reg add "$key" /v Managed /d N /f >/dev/null 2>&1 || true
      wine reg query "$key" /v Managed 2>/dev/null | grep -q 'Managed.*N' && break
    done
  else
    wine reg delete "$key" /v Managed /f >/dev/null 2>&1 || true
  fi
}

# Without a display this script runs again on a virtual one of its own. (xvfb-run is a POSIX sh
# script, which drops exported bash functions from the environment.)
if [ -z "${DISPLAY:-}" ]; then
  export QL_VIRTUAL_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
bash "$here/wine-prefix.sh"
seed_settings
if [ -n "${QL_VIRTUAL_DISPLAY:-}" ]; then
  window_management off
else
  window_management on
fi
exec wine "$exe" "$@"
