#!/usr/bin/env bash
# The sound server goes away mid-song and comes back: the demo plays through a private PulseAudio
# server (a null sink, its own runtime folder), which is killed 8 s after the first frame and
# started again 5 s later. The demo must say so once each way, its song clock must go on while
# the server is gone (the trace), the sound must come back (the sink's monitor, recorded from the
# restart) as the offline capture's stream from where the song then was, and the demo must end by
# itself at the song's end with status 0.
#   tests/whole/sound_lost.sh QUELLBRAND QUELLBRAND_CAPTURE
set -u
bin=$1
capture=$2
here=$(cd "$(dirname "$0")" && pwd)
for tool in pulseaudio pactl parec; do
    command -v $tool >/dev/null || { echo "no $tool (scripts/deps.sh full installs it)"; exit 1; }
done
work=$(mktemp -d)
pulse=
recorder=
demo=
cleanup() {
    for p in $demo $recorder $pulse; do kill -KILL "$p" 2>/dev/null; done
    wait 2>/dev/null
    [ -n "${QB_KEEP:-}" ] && cp -r "$work" "$QB_KEEP"
    rm -rf "$work"
}
trap cleanup EXIT
# shellcheck source=pulse_server.sh
source "$here/pulse_server.sh"
pulse_setup
start_pulse || exit 1
"$capture" --wav "$work/reference.wav" 2>/dev/null || { echo "the offline capture failed"; exit 1; }

SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=pulse QUELLBRAND_TRACE="$work/trace" "$bin" </dev/null \
    >/dev/null 2>"$work/err" &
demo=$!
while [ ! -s "$work/trace" ]; do
    kill -0 "$demo" 2>/dev/null || { echo "the demo ended before its first frame"; cat "$work/err"; exit 1; }
    sleep 0.1
done
monotonic() { python3 -c 'import time; print(time.monotonic_ns())'; }
sleep 8
killed=$(monotonic)
{ kill -KILL "$pulse" && wait "$pulse"; } 2>/dev/null # as a crash ends it
sleep 5
start_pulse || exit 1
restarted=$(monotonic)
parec -d quellbrand_sink.monitor --format=s16le --channels=1 --rate=44100 --raw >"$work/after.raw" &
recorder=$!
# the whole song is about three minutes; a demo that hangs is ended after twice that
for _ in $(seq 3600); do kill -0 "$demo" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$demo" 2>/dev/null; then
    echo "the demo did not end by itself"; cat "$work/err"; exit 1
fi
wait "$demo"
status=$?
demo=
sleep 1
kill "$recorder" 2>/dev/null
wait "$recorder" 2>/dev/null
recorder=
failed=0
[ "$status" -eq 0 ] || { echo "exit status $status"; failed=1; }
cat "$work/err"
grep -c . "$work/err" | grep -qx 2 && head -1 "$work/err" | grep -q "sound device stopped" &&
    tail -1 "$work/err" | grep -q "sound device is back" ||
    { echo "not one line for the loss and one for the return"; failed=1; }
# through SDL 1.2 a PulseAudio server plays nothing for up to 1.8 s after a stream's first
# buffers, at the demo's start as after the return: the clock stands still that long there
python3 "$here/stream_resumes.py" "$work/trace" "$work/after.raw" "$work/reference.wav" \
    --gone "$killed" "$restarted" --most 2.5 || failed=1
exit $failed
