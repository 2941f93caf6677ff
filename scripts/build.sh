#!/usr/bin/env bash
# Configures and builds Quenlark and its test programs with the MinGW-w64 toolchain.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
if [ ! -f "$QL_BINARY_DIR/CMakeCache.txt" ]; then
  # ccache, when installed, is shared by every checkout: paths below the checkout's parent are
  # hashed relative to it, so two work trees of the project reuse each other's objects.
  launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$QL_SOURCE_DIR" -B "$QL_BINARY_DIR" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$QL_SOURCE_DIR/cmake/mingw-w64.cmake" "${launcher[@]}" "$@"
fi
# QL_TARGETS (space separated) builds only those targets; QL_JOBS sets the parallelism.
targets=()
for t in ${QL_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$QL_BINARY_DIR" -j "${QL_JOBS:-$(nproc)}" "${targets[@]}"
