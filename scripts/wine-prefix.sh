#!/usr/bin/env bash
# Creates (once) the Wine prefix used by tests and the demo, tuned for running headless:
# no window manager wait, no crash debugger, a desktop process that stays up. With a DPI (or
# KOVRA_DPI set), the prefix's screen has that many pixels per inch (Wine's default is 96); Wine
# reads it when a session starts, so a prefix keeps the one it was made with.
# Usage: wine-prefix.sh PREFIX [DPI]
set -euo pipefail
prefix=$1
dpi=${2:-${KOVRA_DPI:-}}
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
# Wine draws caption buttons, size grips and frame-control arrows with its Marlett font, which
# this Wine does not find in Debian's folder for it: the prefix gets a copy (also an older prefix).
install_fonts() {
  local fonts=$prefix/drive_c/windows/Fonts source=/usr/share/wine/fonts/marlett.ttf
  if [ -d "$fonts" ] && [ -f "$source" ] && [ ! -f "$fonts/marlett.ttf" ]; then
    cp "$source" "$fonts/"
  fi
}
if [ -f "$prefix/.kovra-ready" ]; then
  install_fonts
  exit 0
fi
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
wineboot -i </dev/null >/dev/null 2>&1
install_fonts
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="kovra-no-debugger.exe"
"Auto"="1"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
if [ -n "$dpi" ]; then
  hex=$(printf '%08x' "$dpi")
  cat >>"$reg" <<REG

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:$hex

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts]
"LogPixels"=dword:$hex
REG
fi
wine reg import "$(winepath -w "$reg")" </dev/null >/dev/null 2>&1
wineserver -w
touch "$prefix/.kovra-ready"
