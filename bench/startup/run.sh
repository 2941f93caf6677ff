#!/usr/bin/env bash
# Start-up of Quenlark beside a plain Win32 program (bench_startup_peer) that shows a window and
# connects to the same SQLite file: the time from process start to the main window titled with
# the demo data source and answering a sent message, and the working set after a second of idle.
# Quenlark connects at start-up with its most recent connection string ("DSN=QuenlarkDemo;").
# Medians of QL_BENCH_RUNS (default 10) starts of each, alternating, on one Wine server. Figures
# only: it never fails. QL_BENCH_BASELINE names an earlier build's Quenlark.exe (in a folder of its
# own, the name unchanged) to start in the same rounds, for a before/after figure.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# Windows need a display: without one, a virtual one for the whole run.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "${BASH_SOURCE[0]}" "$@"
fi
source "$here/../../scripts/env.sh"
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
runs="${QL_BENCH_RUNS:-10}"
launcher="$QL_BINARY_DIR/bench/startup/bench_startup.exe"
peer="$QL_BINARY_DIR/bench/startup/bench_startup_peer.exe"
program="$QL_BINARY_DIR/bin/Quenlark.exe"
demo="$QL_BINARY_DIR/demo/quenlark-demo.db"
[ -f "$demo" ] || { mkdir -p "$(dirname "$demo")"; bash "$QL_SOURCE_DIR/scripts/demo-database.sh" "$demo"; }

# The demo as a data source of its own, so both programs title their window with its name.
odbcini=$(mktemp --suffix=.ini)
printf '[QuenlarkDemo]\nDescription=Quenlark demo database\nDriver=SQLite3\nDatabase=%s\n' "$demo" >"$odbcini"
export ODBCINI="$odbcini"

# A server left by an earlier benchmark keeps the desktop of that benchmark's display, which is
# gone: no window of this run would show. This run's server starts on this run's display.
wineserver -k 2>/dev/null
wineserver -w
wineserver -p
trap 'wineserver -k; rm -f "$odbcini"' EXIT
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
# As in the tests' prefix: neither program's windows are handed to a window manager, which a bare
# virtual display lacks (Wine would wait for one whenever a top-level window hides).
for p in Quenlark.exe bench_startup_peer.exe; do
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$p\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
done

winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print 0; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }

seed() {
  wine reg add 'HKCU\Software\Dravolen\Quenlark' /v 'Grid lines' /d Yes /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Dravolen\Quenlark' /v 'Connect DB at startup' /d Yes /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Dravolen\Quenlark\ConnectStrings' /v ConnectString0 \
    /d 'DSN=QuenlarkDemo;' /f >/dev/null 2>&1
}

baseline="${QL_BENCH_BASELINE:-}"
ql_ms=() ql_ws=() ql_priv=() peer_ms=() peer_ws=() peer_priv=() base_ms=() base_ws=()
for i in $(seq 1 "$runs"); do
  if [ -n "$baseline" ]; then
    seed
    out=$(wine "$launcher" Quenlark "QuenlarkDemo - Quenlark" "\"$(winpath "$baseline")\"" 2>&1 | tr -d '\r')
    base_ms+=("$(field ms "$out")"); base_ws+=("$(field ws "$out")")
    [ -z "$(field ms "$out")" ] && echo "   baseline run $i: $out"
  fi
  seed
  out=$(wine "$launcher" Quenlark "QuenlarkDemo - Quenlark" "\"$(winpath "$program")\"" 2>&1 | tr -d '\r')
  ql_ms+=("$(field ms "$out")"); ql_ws+=("$(field ws "$out")"); ql_priv+=("$(field private "$out")")
  [ -z "$(field ms "$out")" ] && echo "   Quenlark run $i: $out"
  out=$(wine "$launcher" QuenlarkBenchPeer "QuenlarkDemo - Peer" "\"$(winpath "$peer")\" DSN=QuenlarkDemo;" 2>&1 | tr -d '\r')
  peer_ms+=("$(field ms "$out")"); peer_ws+=("$(field ws "$out")"); peer_priv+=("$(field private "$out")")
  [ -z "$(field ms "$out")" ] && echo "   peer run $i: $out"
done
q_ms=$(printf '%s\n' "${ql_ms[@]}" | grep . | median)
p_ms=$(printf '%s\n' "${peer_ms[@]}" | grep . | median)
q_ws=$(printf '%s\n' "${ql_ws[@]}" | grep . | median)
p_ws=$(printf '%s\n' "${peer_ws[@]}" | grep . | median)
q_pr=$(printf '%s\n' "${ql_priv[@]}" | grep . | median)
p_pr=$(printf '%s\n' "${peer_priv[@]}" | grep . | median)
echo "-- start-up to a connected, answering main window (medians of $runs starts)"
printf '   %-28s %9s ms   working set %6s MB   private %6s MB\n' Quenlark "$q_ms" \
  "$(awk -v b="$q_ws" 'BEGIN{printf "%.1f", b/1048576}')" "$(awk -v b="$q_pr" 'BEGIN{printf "%.1f", b/1048576}')"
printf '   %-28s %9s ms   working set %6s MB   private %6s MB\n' "plain Win32 peer" "$p_ms" \
  "$(awk -v b="$p_ws" 'BEGIN{printf "%.1f", b/1048576}')" "$(awk -v b="$p_pr" 'BEGIN{printf "%.1f", b/1048576}')"
if [ -n "$baseline" ]; then
  b_ms=$(printf '%s\n' "${base_ms[@]}" | grep . | median)
  b_ws=$(printf '%s\n' "${base_ws[@]}" | grep . | median)
  printf '   %-28s %9s ms   working set %6s MB   (%s x the peer, working set %s x)\n' "baseline build" \
    "$b_ms" "$(awk -v b="$b_ws" 'BEGIN{printf "%.1f", b/1048576}')" "$(ratio "$b_ms" "$p_ms")" \
    "$(ratio "$b_ws" "$p_ws")"
fi
echo "   time $(ratio "$q_ms" "$p_ms") x the peer (target 1.5), working set $(ratio "$q_ws" "$p_ws") x (target 2)"
wine reg delete 'HKCU\Software\Dravolen' /f >/dev/null 2>&1
exit 0
