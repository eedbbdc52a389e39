#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine in the test prefix (headless); each prints
# its figures as ratios against a baseline measured in the same run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMO_BUILD_DIR:-$root/build}
"$root/tools/build.sh" "$build" NIMO bench_installed bench_startup
"$root/tools/wineprefix.sh" "$build/wineprefix" --headless
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. "$root/tools/prefix.sh"
prefix_server "$WINEPREFIX"
pack="$build/bench-pack"
rm -rf "$pack" && cp -r "$root/pack" "$pack"
echo "== Installed list load"
"$build/wine-exec.sh" "$build/bin/bench_installed.exe"
echo "== Start-up to first visible window"
"$build/wine-exec.sh" "$build/bin/bench_startup.exe" "$(winepath -w "$build/bin/NIMO.exe")" "$(winepath -w "$pack")"
