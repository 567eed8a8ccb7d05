# A virtual X server with a window manager, for the scripts that drive real windows. Sourced:
#   start_x11_server      # exports DISPLAY; Xvfb at 1280 x 1024 with openbox
#   stop_x11_server
x11_server=
x11_window_manager=
start_x11_server() {
  export DISPLAY=:$((90 + RANDOM % 800))
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  x11_server=$!
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  x11_window_manager=$!
  sleep 1
}
stop_x11_server() {
  if [ -n "$x11_window_manager" ]; then kill "$x11_window_manager" 2>/dev/null || true; fi
  if [ -n "$x11_server" ]; then kill "$x11_server" 2>/dev/null || true; fi
  x11_window_manager=
  x11_server=
}
