#!/usr/bin/env bash
# End to end: scripts/start.sh (the last step of scripts/run.sh) without a display, as a user on a
# machine without data sources runs it. It starts Quenlark on a virtual display of its own,
# connected to the demo database, the first time and every later time; its windows are not
# handed to a window manager there (X11 Driver "Managed"="N": override-redirect X windows), for
# which Wine would otherwise wait about two seconds each time a window hides.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/env.sh"
settings='HKCU\Software\Dravolen'
title='quenlark-demo.db - Quenlark'

# The script runs in a build tree of its own that shares the program: its own Wine prefix, so its
# own Wine server, fresh as a user's first one. Stopping the script's processes then never touches
# the server the other test programs run on.
scratch="$QL_BINARY_DIR/tests/start-without-display"
mkdir -p "$scratch"
ln -sfn "$QL_BINARY_DIR/bin" "$scratch/bin"
export QL_BINARY_DIR="$scratch"
export QL_WINEPREFIX="$scratch/wineprefix" WINEPREFIX="$scratch/wineprefix"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh" >/dev/null
wine reg delete "$settings" /f >/dev/null 2>&1
# The Wine server those commands started, and its desktop process, have no display: a program
# started while they linger cannot make a window (Wine: "no driver could be loaded") and ends at
# once. The script's program must start a Wine server of its own, on its virtual display.
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null

started=""
stop() {
  [ -n "$started" ] || return
  # The program closes as a user closes it (its settings written), then the prefix's server and
  # with it every process of the prefix ends; the virtual display goes with the script.
  DISPLAY=$display wine taskkill /im Quenlark.exe >/dev/null 2>&1
  for _ in $(seq 100); do
    DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -qF "\"$title\"" || break
    sleep 0.1
  done
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  kill -- -"$started" 2>/dev/null
  wait "$started" 2>/dev/null
  started=""
}
finish() {
  stop
  wine reg delete "$settings" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  exit "$1"
}

# Starts the script and waits for the main window with the title on its display; its X window
# id goes to $window, the display to $display.
start() {
  setsid env -u DISPLAY -u XAUTHORITY bash "$QL_SOURCE_DIR/scripts/start.sh" \
    </dev/null >/dev/null 2>&1 &
  started=$!
  display=""
  window=""
  local xvfb arguments
  for _ in $(seq 600); do
    # The display of the Xvfb that the script's xvfb-run started, with its authority file.
    if [ -z "$display" ]; then
      xvfb=$(pgrep -P "$started" -x Xvfb | head -n 1)
      if [ -n "$xvfb" ]; then
        arguments=$(tr '\0' '\n' </proc/"$xvfb"/cmdline)
        display=$(grep -m 1 '^:[0-9]' <<<"$arguments")
        XAUTHORITY=$(grep -A 1 '^-auth$' <<<"$arguments" | tail -n 1)
        export XAUTHORITY
      fi
    fi
    if [ -n "$display" ]; then
      window=$(DISPLAY=$display xwininfo -root -tree 2>/dev/null |
        grep -F "\"$title\": (" | head -n 1 | awk '{print $1}')
      [ -n "$window" ] && return 0
    fi
    sleep 0.1
  done
  echo "start $1: no window \"$title\" on the script's display (${display:-none found}):"
  DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -i quenlark | head -n 3
  return 1
}

for run in 1 2; do
  start "$run" || finish 1
  state=$(DISPLAY=$display xwininfo -id "$window" | grep 'Override Redirect State')
  echo "start $run: main window $window on $display: $state"
  case "$state" in
    *yes*) ;;
    *) echo "the main window is handed to a window manager that is not there"; finish 1 ;;
  esac
  stop
done
finish 0
