#!/usr/bin/env bash
# The jukebox in a real X window on a virtual display, driven by real X key events (xdotool):
# B opens the browse mode, a screenshot is taken, Escape goes back to the main mode, Q quits. Usage: xvfb_smoke.sh TAVRIX HOME
# (HOME holds run/, pics/, music/). Exit 0 when the jukebox acted on both keys and quit by itself.
set -euo pipefail
tavrix=$1
home=$2
cd "$home/run"
rm -f log.txt smoke.bmp
display_number=$((90 + RANDOM % 400))
Xvfb ":$display_number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=":$display_number"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# The script only takes the screenshot and ends a run that went wrong; the keys come from X.
printf 'wait 4000\nshot smoke.bmp\nwait 20000\nclose\n' > smoke-script.txt
env -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 TAVRIX_AUDIO_SINK=fakesink \
  "$tavrix" --headless --script smoke-script.txt >/dev/null 2>&1 &
jukebox=$!
window=$(xdotool search --sync --onlyvisible --name "The Tavrix Jukebox" | head -1)
sleep 1.5
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key b
sleep 4
xdotool key Escape
sleep 1.5
xdotool key q
status=0
wait $jukebox || status=$?
grep -q "BROWSE MODE - Key b" log.txt || { echo "no browse mode in log.txt"; exit 1; }
[ "$(grep -c "^set_main_mode" log.txt)" -ge 2 ] || { echo "Escape did not go back to the main mode"; exit 1; }
grep -qx "quit" log.txt || { echo "no quit in log.txt"; exit 1; }
[ -s smoke.bmp ] || { echo "no screenshot"; exit 1; }
exit $status
