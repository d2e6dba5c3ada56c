#!/usr/bin/env bash
# Pictures of the shell layer's windows for the eye: builds ShellShots and runs it under Wine with
# an X display, then converts its bitmaps to PNG in the output folder.
# Usage: shell-shots.sh [output folder]   (default: build/shots)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}
out=$(mkdir -p "${1:-$build/shots}" && cd "${1:-$build/shots}" && pwd)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" --target ShellShots KeepAlive

source "$root/scripts/xvfb.sh"
trap kovra_desktop_stop EXIT
kovra_desktop_start "$build"

(cd "$build/bin" && "$build/wine-run.sh" ./ShellShots.exe "Z:$out" </dev/null)
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$out"
