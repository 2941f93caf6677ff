# Sourced by the other scripts: where things live.
QL_SOURCE_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QL_BINARY_DIR="${QL_BINARY_DIR:-$QL_SOURCE_DIR/build}"
export QL_SOURCE_DIR QL_BINARY_DIR
export WINEPREFIX="$QL_BINARY_DIR/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$QL_SOURCE_DIR")}"
