#!/usr/bin/env bash
# Under a virtual X server: the window has its size and title, the bands are black, Escape ends
# the demo with status 0.
set -u
bin=$1
work=$(mktemp -d)
trap 'kill -KILL $xvfb $demo 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/xserver.sh"
start_xvfb || { echo "no virtual X server"; exit 1; }

SDL_AUDIODRIVER=dummy "$bin" -w </dev/null >"$work/out" 2>&1 &
demo=$!
find_demo_window "$demo"
[ -n "$win" ] || { echo "no window titled 'Quellbrand by Tessaline & Vek'"; exit 1; }
geometry=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "320x240" ] || { echo "window is $geometry, not 320x240"; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"
ffmpeg -loglevel error -f x11grab -draw_mouse 0 -video_size 320x240 -i "$display+$X,$Y" \
    -frames:v 1 -y "$work/shot.png" || { echo "screenshot failed"; exit 1; }
# the bands above and below the Canvas are black
for band in "320x20+0+0" "320x20+0+220"; do
    mean=$(convert "$work/shot.png" -crop "$band" -format "%[fx:mean]" info:)
    awk -v m="$mean" 'BEGIN { exit !(m == 0) }' || { echo "band $band is not black ($mean)"; exit 1; }
done
xdotool mousemove --window "$win" 160 120
xdotool key --window "$win" Escape
wait_gone "$demo" 60 || { echo "still running 60 s after Escape"; exit 1; }
wait "$demo"
status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; cat "$work/out"; exit 1; }
echo "window, title, bands and Escape as expected"
