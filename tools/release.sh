#!/usr/bin/env bash
# Builds NIMO and packs the program's folder for Windows users: NIMO.exe, its language
# files, help.chm, README.txt and the bundled extension pack in its own folder beside
# them, as `cmake --install` lays them out. Prints the zip's path.
#   tools/release.sh     ->  BUILD/release/NIMO-<version>.zip
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMO_BUILD_DIR:-$root/build}
"$root/tools/build.sh" "$build" NIMO helpfile >/dev/null
version=$(sed -n 's/^project(NIMO VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=NIMO-$version
dest=$build/release
rm -rf "${dest:?}/$name" "$dest/$name.zip"
mkdir -p "$dest"
cmake --install "$build" --prefix "$dest/$name" --strip >/dev/null
[ -f "$dest/$name/help.chm" ] || { echo "help.chm was not built (is chmcmd installed?)" >&2; exit 1; }
(cd "$dest" && zip -qrX "$name.zip" "$name")
echo "$dest/$name.zip"
