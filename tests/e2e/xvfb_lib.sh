# shellcheck shell=sh disable=SC2034,SC2154  # sourced: the scripts set work and title and read origin_x, origin_y, wid
# Shared by the end-to-end scripts, sourced after they set work (their work
# folder) and title (the quiz window's caption): an X server with a window
# manager, the player's window and where its client area lies on the screen.
. "$(dirname "$0")/../support/window_manager.sh"

# Exits 77 (skipped) when the X server, xdotool, openbox or wmctrl is missing.
require_tools() {
  for tool in Xvfb xdotool openbox wmctrl; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIP: $tool is not installed (packages xvfb xdotool openbox wmctrl)"
      exit 77
    fi
  done
  for tool in import convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is missing (package imagemagick)"; exit 1; }
  done
}

# A fresh work folder: run/ for the program file and its progress file, logs/.
prepare_work() {
  rm -rf "$work"
  mkdir -p "$work/run" "$work/logs" "$work/runtime"
  chmod 700 "$work/runtime"
  export XDG_RUNTIME_DIR="$work/runtime"
  export QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY
}

xvfb_pid=""; wm_pid=""; player_pid=""
cleanup() {
  for pid in $player_pid $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  for log in "$work"/logs/*; do echo "--- $log"; tail -n 20 "$log"; done
  exit 1
}

start_x() {  # screen, as WIDTHxHEIGHTxDEPTH
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$work/display" 2>"$work/logs/xvfb.log" &
  xvfb_pid=$!
  i=0
  while [ ! -s "$work/display" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  DISPLAY=":$(head -n 1 "$work/display")"
  export DISPLAY

  start_window_manager "$work/logs/openbox.log" || fail "openbox did not start within 30 s"
}

# Starts run/PROGRAM in its folder (where the progress file lives), waits for
# its window (wid) and gives it the size asked for.
start_program() {  # program, log name, width, height
  (cd "$work/run" && exec "./$1") >"$work/logs/$2.log" 2>&1 &
  player_pid=$!
  wid=$(timeout 20 xdotool search --sync --onlyvisible --name "$title" | head -n 1)
  [ -n "$wid" ] || fail "the quiz window did not appear"
  xdotool windowsize --sync "$wid" "$3" "$4" 2>/dev/null || xdotool windowsize "$wid" "$3" "$4"
  xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
  sleep 0.5
}

close_player() {
  wmctrl -c "$title"
  i=0
  while kill -0 "$player_pid" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
  kill -0 "$player_pid" 2>/dev/null && fail "the quiz did not close"
  wait "$player_pid" || fail "the quiz ended with code $?"
  player_pid=""
}

# The client area's origin on the screen: the pointer put at the window's 0, 0
# (the window manager's frame lies around it).
client_origin() {
  xdotool mousemove --sync --window "$wid" 0 0
  eval "$(xdotool getmouselocation --shell)"
  origin_x=$X
  origin_y=$Y
}
