#!/usr/bin/env bash
# Under a virtual X server with disk audio: a flood of key presses and mouse motion. "short": five
# seconds of it, the demo still runs, and Escape then ends it with status 0. "full": ten seconds of
# it, and the demo still ends by itself on time with status 0.
set -u
bin=$1
mode=${2:-short}
work=$(mktemp -d)
trap 'kill -KILL $xvfb $demo 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/xserver.sh"
start_xvfb || { echo "no virtual X server"; exit 1; }
export SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=46 SDL_DISKAUDIOFILE=$work/out.raw
"$bin" -w </dev/null >/dev/null 2>"$work/err" &
demo=$!
start=$(date +%s)
find_demo_window "$demo" || { echo "no window"; cat "$work/err"; exit 1; }
xdotool mousemove --window "$win" 160 120
flood=12
[ "$mode" = short ] && flood=5
flooded=$(date +%s)
sent=0
while [ $(($(date +%s) - flooded)) -lt "$flood" ]; do
    xdotool key --window "$win" --delay 1 F1 F2 F3 F4 space Return Up Down Up F1 F3 space 2>/dev/null
    xdotool mousemove --window "$win" $((RANDOM % 320)) $((RANDOM % 240)) 2>/dev/null
    sent=$((sent + 13))
done
kill -0 "$demo" 2>/dev/null || { echo "the demo died under the flood"; cat "$work/err"; exit 1; }
if [ "$mode" = short ]; then
    xdotool key --window "$win" Escape
    wait_gone "$demo" 60 || { echo "still running 60 s after Escape"; exit 1; }
fi
wait "$demo"
status=$?
elapsed=$(($(date +%s) - start))
[ "$status" -eq 0 ] || { echo "exit status $status"; cat "$work/err"; exit 1; }
if [ "$mode" = full ]; then
    [ "$elapsed" -ge 160 ] && [ "$elapsed" -le 210 ] || { echo "ended after $elapsed s"; exit 1; }
    echo "$sent key presses and motions; ended by itself after $elapsed s"
else
    echo "$sent key presses and motions; running, then ended by Escape"
fi
