#!/usr/bin/env bash
# Builds the benchmarks and runs them under Wine, printing each one's ratio against the
# reference measured in the same run. Non-zero exit when a benchmark's own check fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" --target GradientBench
status=0
for bench in GradientBench; do
  echo "== $bench"
  "$build/wine-run.sh" "$build/bin/$bench.exe" </dev/null || status=1
done
exit $status
