#!/usr/bin/env bash
# Ctrl-C (SIGINT) and SIGTERM end a running demo the way Escape does: after the current frame,
# with status 0, promptly.
set -u
bin=$1
work=$(mktemp -d)
trap 'kill -KILL $demo 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/xserver.sh"
for signal in INT TERM; do
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ${QB_RUN:-} "$bin" </dev/null >"$work/out" 2>"$work/err" &
    demo=$!
    # the sound menu's empty line comes once SDL is up and the signals are the demo's
    while [ ! -s "$work/out" ]; do
        kill -0 "$demo" 2>/dev/null || { echo "the demo ended early"; cat "$work/err"; exit 1; }
        sleep 0.05
    done
    sleep 1
    kill -0 "$demo" 2>/dev/null || { echo "the demo ended early"; cat "$work/err"; exit 1; }
    sent=$(date +%s%N)
    kill -"$signal" "$demo"
    wait_gone "$demo" 30 || { echo "SIG$signal: still running 30 s later"; exit 1; }
    took=$((($(date +%s%N) - sent) / 1000000))
    wait "$demo"
    status=$?
    [ "$status" -eq 0 ] || { echo "SIG$signal: exit status $status"; cat "$work/err"; exit 1; }
    # a frame is at most 40 ms away; a loaded machine may take longer, but not seconds
    [ "$took" -le 5000 ] || { echo "SIG$signal: ended only after $took ms"; exit 1; }
    echo "SIG$signal: ended after $took ms with status 0"
    rm -f "$work/out"
done
