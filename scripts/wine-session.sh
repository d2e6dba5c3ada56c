#!/usr/bin/env bash
# Starts or ends a warm Wine session for a test or demo run (prefix given by WINEPREFIX).
# A persistent wineserver and its service processes are started with every standard stream on
# /dev/null, so that they never hold CTest's output pipe; `stop` ends them and waits.
# Usage: wine-session.sh start|stop PREFIX [KEEPALIVE.exe]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=$1 prefix=$2
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
case $action in
  start)
    bash "$here/wine-prefix.sh" "$prefix"
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    # Wine's desktop process leaves a second after the last window; a hidden window keeps it up.
    if [ -n "${3:-}" ]; then
      setsid wine "$3" </dev/null >/dev/null 2>&1 &
    fi
    ;;
  stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    ;;
  *) echo "usage: $0 start|stop PREFIX [KEEPALIVE.exe]" >&2; exit 2 ;;
esac
