#!/usr/bin/env bash
# Installs what is needed, builds, and plays a quiz in a window: the text
# sample quiz once it is built, else the player alone (its built-in test
# quiz). Without a display it runs under Xvfb, saves a screenshot and prints
# its path. Usage: scripts/play.sh [PROGRAM-FILE]
source "$(dirname "$0")/lib.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || ensure_packages "${TEST_PACKAGES[@]}"
configure_and_build "$PLOXA_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

program=${1:-}
if [ -z "$program" ]; then
  for candidate in "$PLOXA_ROOT/build/examples/culture" "$PLOXA_ROOT/build/bin/ploxa"; do
    if [ -x "$candidate" ]; then program=$candidate; break; fi
  done
fi
if [ -z "$program" ] || [ ! -x "$program" ]; then
  echo "play.sh: the player is not built yet (no build/bin/ploxa); nothing to play." >&2
  exit 1
fi

# The progress file is written beside where the player runs: play in a folder of our own.
mkdir -p "$PLOXA_ROOT/artifacts/play"
cd "$PLOXA_ROOT/artifacts/play"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$program"
fi

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(private_runtime_dir)}
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" &
xvfb=$!
trap 'kill $player $wm $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$displayfile")"
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The window manager first, so that it manages the player's window from the start.
for _ in $(seq 300); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
"$program" &
player=$!
# Its window, or a message box about its quiz: the screenshot shows what is on screen.
timeout 20 xdotool search --sync --onlyvisible --class ploxa >/dev/null 2>&1 || true
sleep 1
shot=$PLOXA_ROOT/artifacts/play.png
import -window root "$shot"
echo "Screenshot of the player under Xvfb: $shot"
