# Sourced: start_xvfb starts a private Xvfb display and exports DISPLAY (its screen
# SK_XVFB_SCREEN, 1280x1024x24 unless set); stop_xvfb ends it.
start_xvfb() {
  command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; return 2; }
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${SK_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
    SK_XVFB_PID=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      sleep 0.1
    done
    kill "$SK_XVFB_PID" 2>/dev/null
  done
  echo "could not start Xvfb" >&2
  return 2
}
stop_xvfb() {
  [ -n "${SK_XVFB_PID:-}" ] && kill "$SK_XVFB_PID" 2>/dev/null && wait "$SK_XVFB_PID" 2>/dev/null
  SK_XVFB_PID=""
}
