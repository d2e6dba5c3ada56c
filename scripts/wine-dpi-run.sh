#!/usr/bin/env bash
# Runs a Windows test program on a screen of another resolution: in a Wine prefix of its own made
# with DPI pixels per inch, inside a session of its own that ends with the program. The program
# finds the resolution it was meant to see in KOVRA_EXPECT_DPI.
# Usage: wine-dpi-run.sh PREFIX DPI PROGRAM [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1 dpi=$2
shift 2
export KOVRA_DPI=$dpi KOVRA_EXPECT_DPI=$dpi
trap 'bash "$here/wine-session.sh" stop "$prefix"' EXIT
bash "$here/wine-session.sh" start "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8 \
  LANG=zh_CN.UTF-8
wine "$@"
