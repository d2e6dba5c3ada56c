#!/usr/bin/env bash
# Photographs every look of the framed controls: builds the gallery program, shows its four
# windows on an X display of its own (Xvfb) and saves the screen to build/gallery/<name>.png.
# Usage: gallery.sh [name]   (default "gallery"; name shots "before" and "after" to compare)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}
name=${1:-gallery}
cmake --build "$build" --target Gallery KeepAlive >/dev/null
out="$build/gallery"
mkdir -p "$out"
rm -f "$out/gallery.ready"

source "$root/scripts/xvfb.sh"
unset DISPLAY  # a display of our own: nothing else paints over the windows or takes focus
prefix="$build/wineprefix"
gallery_pid=""
cleanup() {
  [ -z "$gallery_pid" ] || kill "$gallery_pid" 2>/dev/null || true
  bash "$root/scripts/wine-session.sh" stop "$prefix"
  kovra_xvfb_stop
}
trap cleanup EXIT
kovra_xvfb_start
bash "$root/scripts/wine-session.sh" start "$prefix" "$build/bin/KeepAlive.exe"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8

(cd "$out" && exec wine "$build/bin/Gallery.exe" </dev/null >/dev/null 2>&1) &
gallery_pid=$!
deadline=$((SECONDS + 60))
until [ -e "$out/gallery.ready" ]; do
  [ "$SECONDS" -lt "$deadline" ] || { echo "the gallery did not come up" >&2; exit 1; }
  sleep 0.2
done
sleep 1  # the last repaints after the signal
import -window root "$out/$name.png"
echo "screenshot: $out/$name.png"
