# Sourced by the test scripts: a virtual X display of their own.
#
#   start_xvfb FIRST-NUMBER [SCREEN]   sets DISPLAY and XVFB (the server's PID)
#   (XVFB_ARGS: more of Xvfb's options, such as -noreset)
#
# Takes the first display number from FIRST-NUMBER on that no X server holds
# (another run on this machine may hold the one asked for: two runs on one
# display would type into each other's windows), and waits until the server
# answers. Fails when none starts.
start_xvfb() {
  local n=$1 screen=${2:-1024x768x24} tries=0
  while [ $tries -lt 20 ]; do
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp ${XVFB_ARGS:-} >/dev/null 2>&1 &
    XVFB=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do
      kill -0 "$XVFB" 2>/dev/null || break
      xdpyinfo >/dev/null 2>&1 && return 0
      sleep 0.1
    done
    kill "$XVFB" 2>/dev/null
    n=$((n + 1)) tries=$((tries + 1))
  done
  echo "no X display could be started" >&2
  return 1
}
