# Sourced by the test and demo scripts: gives the run an X display, starting Xvfb when there is none.
# Defines kovra_xvfb_start (sets DISPLAY) and kovra_xvfb_stop, and kovra_desktop_start/stop for a
# display with a warm Wine session.
kovra_xvfb_pid=""
kovra_xvfb_start() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fdfile" </dev/null >/dev/null 2>&1 &
  kovra_xvfb_pid=$!
  local n
  for n in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  DISPLAY=":$(head -n1 "$fdfile")"
  export DISPLAY
  rm -f "$fdfile"
}
kovra_xvfb_stop() {
  if [ -n "$kovra_xvfb_pid" ]; then
    kill "$kovra_xvfb_pid" 2>/dev/null || true
    wait "$kovra_xvfb_pid" 2>/dev/null || true
    kovra_xvfb_pid=""
  fi
}

# A display and the warm Wine session of build folder $1 for the rest of the calling script;
# kovra_desktop_stop ends both (for the script's EXIT trap).
kovra_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
kovra_desktop_prefix=""
kovra_desktop_start() {
  kovra_desktop_prefix="$1/wineprefix"
  kovra_xvfb_start
  bash "$kovra_scripts/wine-session.sh" start "$kovra_desktop_prefix" "$1/bin/KeepAlive.exe"
}
kovra_desktop_stop() {
  [ -z "$kovra_desktop_prefix" ] || bash "$kovra_scripts/wine-session.sh" stop "$kovra_desktop_prefix"
  kovra_xvfb_stop
}
