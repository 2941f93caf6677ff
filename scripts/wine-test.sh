#!/usr/bin/env bash
# Runs one test program under Wine in surroundings of its own, so that ctest may run the test
# programs side by side without one seeing another's windows, registry or files:
#   wine-test.sh <name> <program.exe> [arguments...]
# - a Wine prefix of its own, <build>/tests/wine/<name>, and with it a Wine server of its own: a
#   copy of the tests' prefix <build>/wineprefix-tests, which the first program to need it creates
#   (Wine takes many seconds to create a prefix; a copy took 1.4 s here);
# - a virtual display of its own. Xvfb picks a free display number itself (-displayfd):
#   xvfb-run -a guesses one from the lock files, and two started at once can guess the same;
# - QL_TEST_PROCESS, this script's process id, which the tests put into the names they make on
#   the database servers and in /tmp (tests/support/test_process.h): Wine gives out the same
#   process ids in every prefix, and no other process on the machine has this id while the
#   program runs. QL_TEST_PROGRAM is the name, for the program's folders in the build tree.
# At the end the prefix's Wine server stops, and with it every process the program left there,
# the copy goes (it holds some hundred megabytes), then the display; the program's exit code is
# the script's.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
name="${1:?usage: wine-test.sh <name> <program.exe> [arguments...]}"
program="${2:?usage: wine-test.sh <name> <program.exe> [arguments...]}"
shift 2
template="$QL_BINARY_DIR/wineprefix-tests"
prefix="$QL_BINARY_DIR/tests/wine/$name"
mkdir -p "$QL_BINARY_DIR/tests/wine"

xvfb=""
finish() {
  if [ -d "$prefix" ]; then
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null
    WINEPREFIX="$prefix" wineserver -w 2>/dev/null
    rm -rf "$prefix"
  fi
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
  fi
  rm -f "$prefix.xvfb"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# What an earlier run of this program that was killed left behind: its Wine server (which would
# keep running on the old copy) and its display.
if [ -d "$prefix" ]; then
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null
  WINEPREFIX="$prefix" wineserver -w 2>/dev/null
fi
if [ -f "$prefix.xvfb" ]; then
  old=$(cat "$prefix.xvfb")
  [ "$(cat /proc/"$old"/comm 2>/dev/null)" = Xvfb ] && kill "$old" 2>/dev/null
fi

displayed="$prefix.display"
rm -f "$displayed"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayed" </dev/null >/dev/null 2>&1 &
xvfb=$!
echo "$xvfb" > "$prefix.xvfb"
for _ in $(seq 200); do
  grep -q '^[0-9][0-9]*$' "$displayed" 2>/dev/null && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.05
done
number=$(grep -m 1 '^[0-9][0-9]*$' "$displayed" 2>/dev/null)
rm -f "$displayed"
if [ -z "$number" ]; then
  echo "wine-test.sh: the virtual display of $name did not start" >&2
  exit 1
fi
export DISPLAY=":$number"
unset XAUTHORITY

# The tests' prefix, once: a program started meanwhile waits for it.
(
  flock 9
  QL_WINEPREFIX="$template" bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
) 9>"$template.lock"

rm -rf "$prefix"
if ! cp -a "$template" "$prefix"; then
  echo "wine-test.sh: no Wine prefix for $name" >&2
  exit 1
fi
export WINEPREFIX="$prefix" QL_TEST_PROCESS=$$ QL_TEST_PROGRAM="$name"
# The program's windows are not handed to an X window manager (there is none on the display, and
# Wine would wait for one each time a top-level window hides): Wine reads that when the program
# starts. This first Wine process also starts the prefix's services, detached from the output
# that ctest reads, which they would otherwise hold open.
exe=$(basename "$program")
wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\X11 Driver" /v Managed /d N /f \
  </dev/null >/dev/null 2>&1
# In the background, so that a signal to stop (ctest's time-out, Ctrl-C) is handled at once.
wine "$program" "$@" &
wait $!
exit $?
