#!/usr/bin/env bash
# Wine ignores file permissions for root, not read-only bind mounts.
#   readonly.sh WINE_EXEC TESTS_EXE PROGRAM_DIR PACK_DIR
set -euo pipefail
root=$(mktemp -d /tmp/nimo-readonly.XXXXXX)
trap 'for f in "$root"/*; do ! mountpoint -q "$f" || umount "$f" || exit 1; done; rm -rf "$root"' EXIT
mkdir "$root/program" "$root/pack"
cp "$3/NIMO.exe" "$3"/*.lng "$root/program/"
cp -r "$4/." "$root/pack/"
for f in "$root/program" "$root/pack"; do
  mount --bind "$f" "$f" && mount -o remount,bind,ro "$f" || { echo "readonly.sh: cannot mount $f read-only" >&2; exit 77; }
done
windows="Z:${root//\//\\}"
NIMO_READONLY_PROGRAM="$windows\\program" NIMO_READONLY_PACK="$windows\\pack" "$1" "$2"
