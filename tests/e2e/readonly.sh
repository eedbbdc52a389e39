#!/usr/bin/env bash
# Runs nimo_readonly_tests with a program folder (NIMO.exe and its translations) and a
# copy of the pack each on a read-only bind mount: Wine ignores file permissions for
# root, a read-only mount it cannot. The mounts go again however the run ends.
#   readonly.sh WINE_EXEC TESTS_EXE PROGRAM_DIR PACK_DIR
set -euo pipefail
wine_exec=$1 tests=$2 program=$3 pack=$4
root=$(mktemp -d /tmp/nimo-readonly.XXXXXX)
cleanup() {
  for folder in "$root/program" "$root/pack"; do
    if mountpoint -q "$folder"; then umount "$folder" || return; fi
  done
  rm -rf "$root"
}
trap cleanup EXIT
mkdir "$root/program" "$root/pack"
cp "$program/NIMO.exe" "$program"/*.lng "$root/program/"
cp -r "$pack/." "$root/pack/"
for folder in "$root/program" "$root/pack"; do
  if ! mount --bind "$folder" "$folder" || ! mount -o remount,bind,ro "$folder"; then
    echo "readonly.sh: cannot mount $folder read-only (needs root)" >&2
    exit 77
  fi
done
windows="Z:${root//\//\\}"
export NIMO_READONLY_PROGRAM="$windows\\program" NIMO_READONLY_PACK="$windows\\pack"
"$wine_exec" "$tests"
