# Sourced by the test and demo scripts: gives the run an X display, starting Xvfb when there is none.
# Defines kovra_xvfb_start (sets DISPLAY) and kovra_xvfb_stop.
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
