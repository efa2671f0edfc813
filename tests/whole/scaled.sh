#!/usr/bin/env bash
# Whole-pixel scaling under a virtual X server of a desktop's size.
#   auto:       1920x1080, QUELLBRAND_SCALE=auto, a window: 1280x960, 4x4 blocks, black bands
#               in the top and bottom 80 rows
#   two:        QUELLBRAND_SCALE=2, a window: 640x480
#   invalid:    QUELLBRAND_SCALE=x: one line on standard error, then 320x240
#   fullscreen: 1280x1024, QUELLBRAND_SCALE=auto, full screen: the picture at scale 4 (1280x960)
#               centred, black above and below
set -u
bin=$1
mode=$2
work=$(mktemp -d)
trap 'kill -KILL $xvfb $demo 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/xserver.sh"
size=1920x1080
[ "$mode" = fullscreen ] && size=1280x1024
start_xvfb "$size" || { echo "no virtual X server"; exit 1; }
case $mode in
auto) value=auto want=1280x960 scale=4 ;;
two) value=2 want=640x480 scale=2 ;;
invalid) value=x want=320x240 scale=1 ;;
fullscreen) value=auto want=1280x1024 scale=4 ;;
esac
args=(-w)
[ "$mode" = fullscreen ] && args=()
QUELLBRAND_SCALE=$value SDL_AUDIODRIVER=dummy "$bin" "${args[@]}" </dev/null >"$work/out" 2>"$work/err" &
demo=$!
find_demo_window "$demo" || { echo "no window"; cat "$work/err"; exit 1; }
# a full-screen window may take its size only after it appears
for _ in $(seq 300); do
    geometry=$(xdotool getwindowgeometry "$win" 2>/dev/null | sed -n 's/.*Geometry: //p')
    [ "$geometry" = "$want" ] && break
    sleep 0.1
done
[ "$geometry" = "$want" ] || { echo "window is $geometry, not $want"; exit 1; }
if [ "$mode" = invalid ]; then
    [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "QUELLBRAND_SCALE" "$work/err" ||
        { echo "not one line about the setting:"; cat "$work/err"; exit 1; }
else
    [ -s "$work/err" ] && { echo "unexpected words on standard error:"; cat "$work/err"; exit 1; }
fi
# the picture is lit somewhere once the first scenes run
eval "$(xdotool getwindowgeometry --shell "$win")"
w=${want%x*} h=${want#*x}
lit=0
for _ in $(seq 100); do
    ffmpeg -loglevel error -f x11grab -draw_mouse 0 -video_size "$want" -i "$display+$X,$Y" \
        -frames:v 1 -y "$work/shot.png" || { echo "screenshot failed"; exit 1; }
    mean=$(convert "$work/shot.png" -format "%[fx:mean]" info:)
    awk -v m="$mean" 'BEGIN { exit !(m > 0.01) }' && { lit=1; break; }
    sleep 0.2
done
[ $lit -eq 1 ] || { echo "the picture stays black"; exit 1; }
# black above and below the Canvas: its bands, and in full screen the screen around the picture
top=$(( (h - 240 * scale) / 2 + 20 * scale ))
for band in "${w}x${top}+0+0" "${w}x${top}+0+$((h - top))"; do
    mean=$(convert "$work/shot.png" -crop "$band" -format "%[fx:mean]" info:)
    awk -v m="$mean" 'BEGIN { exit !(m == 0) }' || { echo "band $band is not black ($mean)"; exit 1; }
done
# every screen pixel is a copy of one picture pixel: sampled down and up again, nothing changes
if [ "$scale" -gt 1 ]; then
    pic=$((240 * scale))
    convert "$work/shot.png" -crop "${w}x${pic}+0+$(( (h - pic) / 2 ))" +repage "$work/pic.png"
    convert "$work/pic.png" -sample "$((100 / scale))%" -sample "$((100 * scale))%" "$work/blocks.png"
    differ=$(compare -metric AE "$work/pic.png" "$work/blocks.png" null: 2>&1)
    [ "$differ" = 0 ] || { echo "$differ pixels are not in ${scale}x${scale} blocks"; exit 1; }
fi
xdotool key --window "$win" Escape 2>/dev/null
wait_gone "$demo" 60 || { echo "still running 60 s after Escape"; exit 1; }
wait "$demo"
status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; exit 1; }
echo "$mode: $want, scale $scale, bands black, whole pixels"
