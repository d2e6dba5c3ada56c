#!/usr/bin/env bash
# Configures and builds both trees: build/ (Windows, cross-compiled) and build/native (Linux);
# KOVRA_BUILD_DIR names another folder instead of build/.
# Usage: build.sh [windows|native|all]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
build=${KOVRA_BUILD_DIR:-$root/build}  # several work trees can build side by side
jobs=$(nproc)
if [ "$what" = windows ] || [ "$what" = all ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
  cmake --build "$build" -j "$jobs"
fi
if [ "$what" = native ] || [ "$what" = all ]; then
  cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$build/native" -j "$jobs"
fi
