#!/usr/bin/env bash
# Configures and builds NIMO.exe (and its tests) in BUILD_DIR with the mingw-w64 toolchain.
#   tools/build.sh BUILD_DIR [targets...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1; shift
"$root/tools/deps.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" ${1:+--target "$@"}
