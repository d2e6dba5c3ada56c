#!/usr/bin/env bash
# Sets up, builds and runs every test: the native tests under sanitizers, then the Windows
# tests under Wine with an X display. Ends with the summary line; non-zero exit on any failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}
export KOVRA_BUILD_DIR=$build
bash "$root/scripts/setup.sh" || exit 1
bash "$root/scripts/build.sh" all || exit 1
[ "${1:-}" = "--build-only" ] && exit 0

status=0
echo "== native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --test-dir "$build/native" --output-on-failure -j "$(nproc)" </dev/null || status=1

echo "== Windows tests under Wine"
source "$root/scripts/xvfb.sh"
trap kovra_desktop_stop EXIT
kovra_desktop_start "$build"
if ! ctest --test-dir "$build" --output-on-failure -j 2 ${KOVRA_CTEST_ARGS:-} </dev/null; then
  # Very rarely a Wine process dies while starting, before the test program prints anything.
  # Tests that failed that way, and only those, get one more run; any other failure stands.
  log="$build/Testing/Temporary/LastTest.log"
  silent=$(awk '/^[0-9]+\/[0-9]+ Test: /{name=$3} /^Output:/{out=1; lines=0; next}
                out && /^<end of output>/{out=0; next} out && !/^-+$/{lines++}
                /^Test Failed/{print (lines ? "LOUD " : "") name}' "$log")
  if [ -n "$silent" ] && ! grep -q '^LOUD ' <<<"$silent"; then
    echo "== these tests died before their program started; running them once more:"
    echo "$silent"
    pattern="^($(paste -sd'|' <<<"$silent"))\$"
    ctest --test-dir "$build" --output-on-failure -R "$pattern" </dev/null || status=1
  else
    status=1
  fi
fi
exit $status
