#!/usr/bin/env bash
# Sets up, builds and runs Kovra beside the simulated quote application and trading client.
# With no display it runs under Xvfb and saves a screenshot to build/demo/. KOVRA_DPI=144 (or any
# resolution) runs it on a screen of that many pixels per inch, in a prefix made for it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" windows
bin="$root/build/bin"
out="$root/build/demo"
mkdir -p "$out"

source "$root/scripts/xvfb.sh"
headless=0
[ -n "${DISPLAY:-}" ] || headless=1
prefix="$root/build/wineprefix${KOVRA_DPI:+-dpi$KOVRA_DPI}"
shot="$out/screen${KOVRA_DPI:+-$KOVRA_DPI}.png"
cleanup() {
  bash "$root/scripts/wine-session.sh" stop "$prefix"
  kovra_xvfb_stop
}
trap cleanup EXIT
kovra_xvfb_start
bash "$root/scripts/wine-session.sh" start "$prefix" "$bin/KeepAlive.exe"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8

source "$root/scripts/demo-run.sh"

if [ "$headless" = 1 ]; then
  import -window root "$shot"
  echo "screenshot: $shot"
else
  echo "Kovra is running; choose 退出 on its stock box's menu to end the demo."
  wait "$kovra_pid"
fi
