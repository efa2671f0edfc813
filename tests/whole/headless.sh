#!/usr/bin/env bash
# The demo starts with no screen or sound device and is still running three seconds later.
set -u
bin=$1
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ${QB_RUN:-} "$bin" </dev/null >/dev/null 2>&1 &
pid=$!
sleep 3
if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    echo "quellbrand exited early with status $?"
    exit 1
fi
kill -KILL "$pid"
wait "$pid" 2>/dev/null
echo "still running after 3 s"
