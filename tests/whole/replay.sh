#!/usr/bin/env bash
# A live run's screen, checked exactly whatever its timing: the demo runs in a window under a
# virtual X server with QUELLBRAND_TRACE; three times it is stopped (SIGSTOP), so that no frame
# is being shown, the time is read once it has stopped, and the window is grabbed; the capture
# then makes the traced frames again (--replay), and each grab must be, pixel for pixel in the
# screen's 5-6-5 colours, the last frame traced before that time, or the one after it when the
# stop came between its showing and its line in the trace (a frame's time is read once shown).
#   tests/whole/replay.sh QUELLBRAND QUELLBRAND-CAPTURE
set -u
bin=$1
capture=$2
work=$(mktemp -d)
trap 'kill -CONT $demo 2>/dev/null; kill -KILL $xvfb $demo 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/xserver.sh"
start_xvfb || { echo "no virtual X server"; exit 1; }
monotonic() { python3 -c 'import time; print(time.monotonic_ns())'; }

QUELLBRAND_TRACE="$work/trace" SDL_AUDIODRIVER=dummy "$bin" -w </dev/null >"$work/out" 2>&1 &
demo=$!
find_demo_window "$demo"
[ -n "$win" ] || { echo "no window titled 'Quellbrand by Tessaline & Vek'"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$win")"
for shot in 1 2 3; do
    sleep 2
    kill -STOP "$demo"
    wait_stopped "$demo" || { echo "the demo did not stop on SIGSTOP"; exit 1; }
    monotonic >"$work/stop-$shot"
    ffmpeg -loglevel error -f x11grab -draw_mouse 0 -video_size 320x240 -i "$display+$X,$Y" \
        -frames:v 1 -y "$work/shot-$shot.png" || { echo "grab $shot failed"; exit 1; }
    kill -CONT "$demo"
done
xdotool key --window "$win" Escape
wait_gone "$demo" 60 || { echo "still running 60 s after Escape"; exit 1; }
wait "$demo" || { echo "the demo failed"; cat "$work/out"; exit 1; }
"$capture" --replay "$work/trace" --frames "$work/frames" 2>/dev/null ||
    { echo "the trace does not replay"; exit 1; }
python3 - "$work" <<'PY'
import subprocess, sys
work = sys.argv[1]
frames = [int(l.split()[0]) for l in open(f"{work}/trace")]
def rgb565(png):
    raw = subprocess.run(["convert", png, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    return bytes(b >> (2 if i % 3 == 1 else 3) for i, b in enumerate(raw))
failed = compared = 0
for shot in (1, 2, 3):
    stop = int(open(f"{work}/stop-{shot}").read())
    shown = sum(1 for ns in frames if ns < stop) - 1
    grab = rgb565(f"{work}/shot-{shot}.png")
    match = [k for k in (shown, shown + 1)
             if 0 <= k < len(frames) and rgb565(f"{work}/frames/frame-{k:05d}.png") == grab]
    if match:
        print(f"grab {shot}: frame {match[0]} of {len(frames)}, as replayed from the trace")
        compared += 1
    elif shown < 0 and not any(grab):
        print(f"grab {shot}: black, before the first frame (a slow start)")
    else:
        print(f"FAILED: grab {shot} is neither frame {shown} nor {shown + 1} as replayed")
        failed = 1
if not compared:
    print("FAILED: no grab came after a frame was shown")
    failed = 1
sys.exit(failed)
PY
