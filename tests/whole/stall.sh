#!/usr/bin/env bash
# The demo stopped for fifteen seconds (SIGSTOP, as Ctrl-Z or a suspended machine would) and
# continued: it keeps running, without a sanitizer report, and ends by itself with status 0.
set -u
bin=$1
work=$(mktemp -d)
trap 'kill -KILL $demo 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=46 SDL_DISKAUDIOFILE=$work/out.raw
"$bin" </dev/null >/dev/null 2>"$work/err" &
demo=$!
# twenty seconds in: the song plays and a clip runs
sleep 20
kill -0 "$demo" 2>/dev/null || { echo "the demo ended early"; cat "$work/err"; exit 1; }
kill -STOP "$demo"
sleep 15
kill -CONT "$demo"
wait "$demo"
status=$?
demo=
[ "$status" -eq 0 ] || { echo "exit status $status"; cat "$work/err"; exit 1; }
grep -q "Sanitizer" "$work/err" && { echo "sanitizer report:"; cat "$work/err"; exit 1; }
echo "stopped for 15 s, continued, ended by itself with status 0"
