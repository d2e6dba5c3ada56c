#!/usr/bin/env bash
# Fuzzes the pure parsers natively with libFuzzer (INI reader, bracket extraction, number parsing
# and formatting), each for a bounded time, under AddressSanitizer and UndefinedBehaviorSanitizer.
# Inputs that break a target are left in build/fuzz/findings/<target>/; copy each one into
# tests/app/regressions/<target>/ so that parser_fault_tests replays it from then on.
# Usage: fuzz.sh [seconds per target, default 60] [target...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}/fuzz
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(IniFuzz BracketFuzz NumbersFuzz)

if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a \
     >/dev/null 2>&1; then
  apt-get update -qq && apt-get install -y -qq clang >/dev/null
fi

sources=(src/framework/runtime/Gbk.cpp src/framework/runtime/GbkTable.cpp
         src/framework/runtime/IniDocument.cpp src/framework/runtime/Numbers.cpp
         src/framework/runtime/Text.cpp src/app/StrMan.cpp src/app/StockCode.cpp
         src/app/ConfigValues.cpp)
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -fno-omit-frame-pointer -I"$root/src")
mkdir -p "$build"
status=0
for target in "${targets[@]}"; do
  exe=$build/$target
  if [ ! -x "$exe" ] || [ -n "$(find "$root/fuzz/$target.cpp" "${sources[@]/#/$root/}" -newer "$exe")" ]; then
    echo "== building $target"
    clang++ "${flags[@]}" "$root/fuzz/$target.cpp" "${sources[@]/#/$root/}" -o "$exe"
  fi
  corpus=$build/corpus/$target findings=$build/findings/$target
  mkdir -p "$corpus" "$findings"
  seeds=$root/fuzz/corpus/$target
  regressions=$root/tests/app/regressions/$target
  extra=()
  [ -d "$regressions" ] && extra+=("$regressions")
  echo "== fuzzing $target for ${seconds}s"
  if ! "$exe" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=1024 \
       -artifact_prefix="$findings/" -print_final_stats=1 "$corpus" "$seeds" "${extra[@]}" \
       >"$build/$target.log" 2>&1; then
    echo "!! $target found a fault: see $build/$target.log and $findings/"
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^Done' "$build/$target.log" || true
done
exit $status
