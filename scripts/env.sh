# Sourced by the other scripts: where things live.
QL_SOURCE_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QL_BINARY_DIR="${QL_BINARY_DIR:-$QL_SOURCE_DIR/build}"
export QL_SOURCE_DIR QL_BINARY_DIR
# QL_WINEPREFIX chooses another prefix (scripts/test.sh runs the tests in one of their own).
export WINEPREFIX="${QL_WINEPREFIX:-$QL_BINARY_DIR/wineprefix}"
export WINEDEBUG=-all
# winedbg disabled: Wine starts it on a crash even without an AeDebug debugger, and it then holds
# the test runner's output pipe until the test's time-out; a crash should end the run at once.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$QL_SOURCE_DIR")}"
