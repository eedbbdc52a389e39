#!/usr/bin/env bash
# Wine ignores file permissions for root, not read-only bind mounts.
#   readonly.sh WINE_EXEC TESTS_EXE PROGRAM_DIR PACK_DIR
set -euo pipefail
root=$(mktemp -d /tmp/nimo-readonly.XXXXXX)
# A Wine process of the test may still be ending when it returns: the mounts wait for it,
# and one still held after 30 s names its holders and fails the run.
unmount() {
  local f pid tries
  for f in "$root"/*; do
    for ((tries = 0; tries < 60; tries++)); do ! mountpoint -q "$f" || umount "$f" 2>/dev/null || { sleep 0.5; continue; }; break; done
    mountpoint -q "$f" || continue
    for pid in /proc/[0-9]*; do
      ls -l "$pid/cwd" "$pid/fd" 2>/dev/null | grep -q " $f" && echo "readonly.sh: $f held by $(tr '\0' ' ' < "$pid/cmdline")" >&2
    done
    umount -l "$f"
    rc=1
  done
  rm -rf "$root"
}
rc=0
trap 'status=$?; unmount; [ "$status" -ne 0 ] || status=$rc; exit "$status"' EXIT
mkdir "$root/program" "$root/pack"
cp "$3/NIMO.exe" "$3"/*.lng "$root/program/"
cp -r "$4/." "$root/pack/"
for f in "$root/program" "$root/pack"; do
  mount --bind "$f" "$f" && mount -o remount,bind,ro "$f" || { echo "readonly.sh: cannot mount $f read-only" >&2; exit 77; }
done
windows="Z:${root//\//\\}"
NIMO_READONLY_PROGRAM="$windows\\program" NIMO_READONLY_PACK="$windows\\pack" "$1" "$2"
