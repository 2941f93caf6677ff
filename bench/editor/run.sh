#!/usr/bin/env bash
# Editor benchmark: a generated 20 MB SQL script in a real editor window on a virtual display.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/env.sh"
exe="$QL_BINARY_DIR/bench/editor/bench_editor.exe"
[ -f "$exe" ] || { echo "bench_editor.exe not built"; exit 0; }
bash "$QL_SOURCE_DIR/scripts/wine-prefix.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" wine "$exe" "$@"
