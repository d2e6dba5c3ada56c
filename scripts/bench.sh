#!/usr/bin/env bash
# Builds the benchmarks and runs them under Wine with an X display, printing each one's ratio
# against the reference measured in the same run. Non-zero exit when a figure is not met.
# Usage: bench.sh [benchmark...]   (default: all of them)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}
benches=("$@")
[ ${#benches[@]} -gt 0 ] || benches=(GradientBench OrderBench WatcherBench StartupBench OpenDialogBench)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" --target "${benches[@]}" KeepAlive

source "$root/scripts/xvfb.sh"
trap kovra_desktop_stop EXIT
kovra_desktop_start "$build"

status=0
for bench in "${benches[@]}"; do
  echo "== $bench"
  (cd "$build/bin" && "$build/wine-run.sh" "./$bench.exe" </dev/null) || status=1
done
exit $status
