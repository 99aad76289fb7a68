# Sourced: starts and stops what the Windows tests need. An X display (Xvfb,
# unless DISPLAY is set and IMPRINTA_XVFB is not 1; IMPRINTA_SCREEN, e.g. 1366x768,
# sets its size) and a persistent wineserver.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
_XVFB_PID=""
start_session() {
  if [ -z "${DISPLAY:-}" ] || [ "${IMPRINTA_XVFB:-}" = 1 ]; then
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 1 -screen 0 "${IMPRINTA_SCREEN:-1280x1024}x24" -nolisten tcp >"$fd_file" 2>/dev/null &
    _XVFB_PID=$!
    for _ in $(seq 1 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
    export DISPLAY=":$(head -1 "$fd_file")"
    rm -f "$fd_file"
  fi
  # Wine's background services keep the first process's output open: start them detached.
  wine wineboot </dev/null >/dev/null 2>&1 || true
  wineserver -p 2>/dev/null || true
}
stop_session() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ -n "$_XVFB_PID" ]; then kill "$_XVFB_PID" 2>/dev/null || true; wait "$_XVFB_PID" 2>/dev/null || true; fi
}
