#!/usr/bin/env bash
# With an audio driver that cannot open, the demo says so once, runs silent from the timer, and
# its pictures still follow the song: after 3 s it is running (not waiting for a first tick);
# "full": it ends by itself on time for the timer's ticks, with status 0.
set -u
bin=$1
mode=${2:-short}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
start=$(date +%s)
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=no-such-driver "$bin" </dev/null >/dev/null 2>"$work/err" &
pid=$!
if [ "$mode" = full ]; then
    wait "$pid"
    status=$?
    elapsed=$(($(date +%s) - start))
    [ "$status" -eq 0 ] || { echo "exit status $status"; cat "$work/err"; exit 1; }
    # the silent driver keeps 41 ticks a second whatever the timer's steps: as long as with sound
    [ "$elapsed" -ge 165 ] && [ "$elapsed" -le 200 ] || { echo "ended after $elapsed s, not about 175"; exit 1; }
    echo "silent run ended by itself after $elapsed s"
    exit 0
fi
# the word comes at start-up; then the demo must still be running three seconds later
while ! grep -q "running without sound" "$work/err"; do
    kill -0 "$pid" 2>/dev/null || { echo "the demo ended"; cat "$work/err"; exit 1; }
    sleep 0.1
done
sleep 3
kill -0 "$pid" 2>/dev/null || { echo "the demo ended"; cat "$work/err"; exit 1; }
kill -KILL "$pid"
wait "$pid" 2>/dev/null
grep -q "running without sound" "$work/err" || { echo "no word of the missing sound"; cat "$work/err"; exit 1; }
[ "$(wc -l <"$work/err")" -eq 1 ] || { echo "more than one line on standard error"; cat "$work/err"; exit 1; }
echo "silent driver took over"
