#!/usr/bin/env bash
# The core (frame loop, timeline, presentation, clips, effects, sound, player) includes no SDL or
# browser header, reads no environment and makes no stand-in streams: those are the front ends'.
set -u
src=$1
hits=$(grep -rnE '#include *[<"](SDL|emscripten)|getenv|tmpfile|fmemopen|ungetc' \
    "$src/demo" "$src/fx" "$src/sound" "$src/player")
if [ -n "$hits" ]; then
    echo "the core reaches outside itself:"
    echo "$hits"
    exit 1
fi
echo "the core is headless"
