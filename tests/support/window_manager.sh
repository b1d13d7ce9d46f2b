# Sourced by the X server tests: starts openbox on $DISPLAY and waits until it
# manages windows, as a desktop's would before a program maps its own. A loaded
# machine can take seconds, and now and then openbox fails to open a display
# that was just started; it is started again then.
# Usage: start_window_manager LOG_FILE; sets wm_pid; fails after 30 s.
start_window_manager() {
  wm_log=$1
  wm_pid=""
  wm_tries=0
  while [ $wm_tries -lt 300 ]; do
    if [ -z "$wm_pid" ] || ! kill -0 "$wm_pid" 2>/dev/null; then
      openbox --sm-disable >>"$wm_log" 2>&1 &
      wm_pid=$!
    fi
    wmctrl -m >/dev/null 2>&1 && return 0
    sleep 0.1
    wm_tries=$((wm_tries + 1))
  done
  return 1
}
