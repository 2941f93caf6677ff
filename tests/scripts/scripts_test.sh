#!/usr/bin/env bash
# The helper scripts, run as they are on a copy of the scripts folder, with Wine, the virtual
# display and the build replaced by small stand-ins (no Wine process starts):
# - failures.sh keeps, of a failed case that printed much, every failure report and the last
#   lines;
# - screenshots.sh runs in a Wine prefix that run.sh and start.sh do not use (it clears the
#   program's settings there), and replaces the pictures in docs/ only when --docs asks;
# - wine-test.sh runs each test program in a fresh copy of the tests' prefix (made once), on a
#   display of its own, with a process id of its own for the program's names, and stops the
#   program's Wine server and display at the end, its exit code the program's.
set -u
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

# ---- failures.sh ------------------------------------------------------------------------------
{
  echo '[ RUN      ] Suite.Long'
  for i in $(seq 30); do printf 'early %d\r\n' "$i"; done
  printf 'Z:\\src\\a_test.cpp:20: Failure\r\nExpected equality of these values:\r\n'
  printf '  count\r\n    Which is: 1\r\n\r\n'
  for i in $(seq 200); do echo "middle $i"; done
  printf 'Z:\\src\\a_test.cpp:90: Failure\r\nthe second report\r\n\r\n'
  for i in $(seq 60); do echo "late $i"; done
  echo '[  FAILED  ] Suite.Long (5 ms)'
  echo '[ RUN      ] Suite.Passes'
  echo 'Z:\src\a_test.cpp:99: Failure'
  echo '[       OK ] Suite.Passes (1 ms)'
  echo '[ RUN      ] Suite.Crashes'
  for i in $(seq 120); do echo "crash $i"; done
  echo '<end of output>'
} > "$tmp/LastTest.log"
report="$(bash "$source_dir/scripts/failures.sh" "$tmp/LastTest.log")"
for kept in 'Expected equality of these values:' '    Which is: 1' 'the second report' \
  'late 60' '[  FAILED  ] Suite.Long (5 ms)' '---- Suite.Crashes (the test program ended inside it)' \
  'crash 120'; do
  grep -qF -- "$kept" <<<"$report" || fail "failures.sh left out \"$kept\""
done
for dropped in 'early 1' 'middle 100' 'crash 1' 'Suite.Passes'; do
  grep -qxF -- "$dropped" <<<"${report//$'\r'/}" && fail "failures.sh kept \"$dropped\""
done
grep -qF -- 'lines left out)' <<<"$report" || fail "failures.sh does not say what it left out"

# ---- screenshots.sh ----------------------------------------------------------------------------
copy="$tmp/tree"
mkdir -p "$copy/scripts" "$copy/docs" "$tmp/bin"
cp "$source_dir/scripts/screenshots.sh" "$source_dir/scripts/env.sh" "$copy/scripts/"
for step in setup build; do echo 'exit 0' > "$copy/scripts/$step.sh"; done
echo 'touch "$1"' > "$copy/scripts/demo-database.sh"
echo 'mkdir -p "$WINEPREFIX/drive_c"' > "$copy/scripts/wine-prefix.sh"
# xvfb-run runs its command; Wine's tools note the prefix they were given; the program's
# driver asks for the README's three whole-screen pictures, one after the other.
cat > "$tmp/bin/xvfb-run" <<'STUB'
#!/usr/bin/env bash
while [ $# -gt 0 ]; do
  case "$1" in -a) shift ;; -s) shift 2 ;; *) break ;; esac
done
exec "$@"
STUB
cat > "$tmp/bin/wine" <<'STUB'
#!/usr/bin/env bash
echo "$WINEPREFIX" >> "$QL_STUB_LOG"
[ "$1" = explorer ] || exit 0
for shot in main grid script; do
  : > "$QL_WORK/$shot.ready"
  for _ in $(seq 200); do [ -e "$QL_WORK/$shot.ready" ] || break; sleep 0.05; done
done
STUB
printf '#!/bin/sh\necho "$WINEPREFIX" >> "$QL_STUB_LOG"\n' > "$tmp/bin/wineserver"
printf '#!/bin/sh\necho "Z:$2"\n' > "$tmp/bin/winepath"
printf '#!/bin/sh\nfor last; do :; done\necho new > "$last"\n' > "$tmp/bin/import"
chmod +x "$tmp/bin"/*
shots() {
  env -u QL_BINARY_DIR -u QL_WINEPREFIX -u WINEPREFIX PATH="$tmp/bin:$PATH" QL_SHOTS_POSTGRES= \
    QL_STUB_LOG="$tmp/prefixes.log" bash "$copy/scripts/screenshots.sh" "$@" >"$tmp/shots.out" 2>&1 ||
    { fail "screenshots.sh $*:"; cat "$tmp/shots.out"; }
}
# The prefix run.sh and start.sh use: the one env.sh gives when no other is asked for.
users_prefix="$(env -u QL_BINARY_DIR -u QL_WINEPREFIX bash -c \
  "source '$copy/scripts/env.sh'; echo \"\$WINEPREFIX\"")"
for picture in main grid script; do echo old > "$copy/docs/$picture.png"; done

shots
[ -s "$tmp/prefixes.log" ] || fail "screenshots.sh started no Wine tool"
grep -qxF "$users_prefix" "$tmp/prefixes.log" && fail "screenshots.sh uses the prefix of run.sh"
[ "$(cat "$copy/scripts/../build/screenshots/all/main.png" 2>/dev/null)" = new ] ||
  fail "screenshots.sh wrote no pictures"
for picture in main grid script; do
  [ "$(cat "$copy/docs/$picture.png")" = old ] || fail "screenshots.sh replaced docs/$picture.png"
done
shots --docs
for picture in main grid script; do
  [ "$(cat "$copy/docs/$picture.png")" = new ] ||
    fail "screenshots.sh --docs left docs/$picture.png as it was"
done

# ---- wine-test.sh ------------------------------------------------------------------------------
cp "$source_dir/scripts/wine-test.sh" "$copy/scripts/"
cat > "$copy/scripts/wine-prefix.sh" <<'STUB'
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
[ -f "$WINEPREFIX/made" ] && exit 0
mkdir -p "$WINEPREFIX" && sleep 0.2 && : > "$WINEPREFIX/made" && echo made >> "$QL_STUB_LOG"
STUB
rm -f "$tmp/bin/wine" "$tmp/bin/wineserver"
# The display stand-in says its number on the descriptor -displayfd names and runs until stopped;
# the program stand-in notes what it was given, finds its prefix a copy, leaves a file there and
# ends with the code its argument says.
cat > "$tmp/bin/Xvfb" <<'STUB'
#!/usr/bin/env bash
echo "Xvfb $$" >> "$QL_STUB_LOG"
echo "$((40 + RANDOM % 1000))" >&3
exec sleep 60
STUB
cat > "$tmp/bin/wine" <<'STUB'
#!/usr/bin/env bash
[ "$1" = reg ] && exit 0
[ -f "$WINEPREFIX/made" ] && [ ! -f "$WINEPREFIX/left" ] || echo "not a fresh copy" >> "$QL_STUB_LOG"
: > "$WINEPREFIX/left"
echo "run $QL_TEST_PROGRAM $WINEPREFIX $DISPLAY $QL_TEST_PROCESS" >> "$QL_STUB_LOG"
sleep 0.5
exit "$2"
STUB
printf '#!/bin/sh
echo "wineserver $WINEPREFIX $*" >> "$QL_STUB_LOG"
' > "$tmp/bin/wineserver"
chmod +x "$tmp/bin"/*
log="$tmp/wine-test.log"
: > "$log"
wine_test() {
  env PATH="$tmp/bin:$PATH" QL_BINARY_DIR="$tmp/build" QL_STUB_LOG="$log" \
    bash "$copy/scripts/wine-test.sh" "$@" >/dev/null 2>&1
}
SECONDS=0
wine_test test_one program.exe 0 & one=$!
wine_test test_two program.exe 3 & two=$!
wait "$one" || fail "wine-test.sh: a program that passed failed"
wait "$two"; [ $? = 3 ] || fail "wine-test.sh: the program's exit code 3 was not the script's"
wine_test test_one program.exe 0 || fail "wine-test.sh: the second run of a program failed"
[ "$(grep -c '^made$' "$log")" = 1 ] || fail "wine-test.sh made the tests' prefix $(grep -c '^made$' "$log") times"
grep -q 'not a fresh copy' "$log" && fail "wine-test.sh ran a program in a prefix not copied afresh"
runs="$(grep '^run ' "$log")"
[ "$(wc -l <<<"$runs")" = 3 ] || fail "wine-test.sh: the programs did not run: $runs"
for program in test_one test_two; do
  grep -qxE "run $program $tmp/build/tests/wine/$program :[0-9]+ [0-9]+" <<<"$runs" ||
    fail "wine-test.sh: $program not in a prefix of its own: $runs"
  grep -qxF "wineserver $tmp/build/tests/wine/$program -k" "$log" ||
    fail "wine-test.sh left the Wine server of $program running"
done
[ "$(awk '$1 == "run" {print $5}' <<<"$runs" | sort -u | wc -l)" = 3 ] ||
  fail "wine-test.sh: two runs had the same process id for their names: $runs"
[ "$SECONDS" -lt 20 ] || fail "wine-test.sh waited for its display to end by itself"

[ "$failed" = 0 ] && echo "scripts: all checks passed"
exit "$failed"
