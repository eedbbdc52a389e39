#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine in the test prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMO_BUILD_DIR:-$root/build}
"$root/tools/build.sh" "$build" bench_installed
"$root/tools/wineprefix.sh" "$build/wineprefix" --headless
"$build/wine-exec.sh" "$build/bin/bench_installed.exe"
