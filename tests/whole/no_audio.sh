#!/usr/bin/env bash
# With an audio driver that cannot open, the demo says so once, runs silent from the timer, and
# its pictures still follow the song (it is still running, not waiting for a first tick forever).
set -u
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=no-such-driver "$bin" </dev/null >/dev/null 2>"$work/err" &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || { echo "the demo ended"; cat "$work/err"; exit 1; }
kill -KILL "$pid"
wait "$pid" 2>/dev/null
grep -q "running without sound" "$work/err" || { echo "no word of the missing sound"; cat "$work/err"; exit 1; }
[ "$(wc -l <"$work/err")" -eq 1 ] || { echo "more than one line on standard error"; cat "$work/err"; exit 1; }
echo "silent driver took over"
