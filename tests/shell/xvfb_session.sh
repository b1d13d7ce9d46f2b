# Sourced by the end-to-end scripts: a private X server with a window manager,
# and helpers to look at the screen. Exits 77 (skipped) when a tool is missing.
for tool in Xvfb xdotool openbox wmctrl import convert; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

# Programs started by the scripts write to $work/program.log, shown on failure.
fail() {
  echo "FAIL: $*"
  [ -s "${work:-}/program.log" ] && { echo "--- program output:"; tail -n 40 "$work/program.log"; }
  exit 1
}

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
cleanup() {
  kill $(jobs -p) 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
kill -0 "$xvfb_pid" 2>/dev/null && xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb did not start on $DISPLAY"
. "$(dirname "$0")/../support/window_manager.sh"
start_window_manager "$work/openbox.log" || { cat "$work/openbox.log"; fail "the window manager did not start within 30 s"; }


# wait_window NAME: the id of the visible window whose title matches NAME.
# xdotool's own waiting gives up with an X error when a window vanishes while it
# looks (a message box closing), so it is asked again until 20 s have passed.
wait_window() {
  local id
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# shot FILE: the whole screen.
shot() { import -window root "$1"; }

# count_colour FILE R G B: how many pixels have exactly that colour.
count_colour() {
  convert "$1" -alpha off -fill black +opaque "rgb($2,$3,$4)" -fill white -opaque "rgb($2,$3,$4)" \
    -format '%[fx:round(mean*w*h)]' info:
}

# expect_colour FILE R G B MIN WHAT: at least MIN pixels of that colour.
expect_colour() {
  local n
  n=$(count_colour "$1" "$2" "$3" "$4")
  [ "$n" -ge "$5" ] || fail "$6: $n pixels of rgb($2,$3,$4) in $1, expected at least $5"
  echo "ok: $6 ($n pixels of rgb($2,$3,$4))"
}
