#!/usr/bin/env bash
# With no display at all (no DISPLAY, no dummy video driver) the demo says so in one line on
# standard error and exits with status 1.
set -u
bin=$1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
env -u DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy timeout 120 ${QB_RUN:-} "$bin" </dev/null >/dev/null 2>"$err"
status=$?
[ "$status" -eq 1 ] || { echo "exit status $status, not 1"; cat "$err"; exit 1; }
[ "$(wc -l <"$err")" -eq 1 ] || { echo "not exactly one line on standard error:"; cat "$err"; exit 1; }
grep -q "^quellbrand: cannot open the 320x240 16-bit video mode: " "$err" || { cat "$err"; exit 1; }
echo "one line, status 1: $(cat "$err")"

# On a text terminal the terminal is left as it was: all it shows is the sound menu's empty line
# and that one line (no text-mode driver takes it over first).
out=$(mktemp)
trap 'rm -f "$err" "$out"' EXIT
env -u DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy TERM=xterm timeout 120 \
    script -qec "${QB_RUN:-} $bin" /dev/null </dev/null >"$out" 2>&1
shown=$(tr -d '\r' <"$out" | od -An -c | tr -s ' ')
expected=$(printf '\nquellbrand: cannot open the 320x240 16-bit video mode: no graphical display\n' | od -An -c | tr -s ' ')
[ "$shown" = "$expected" ] || { echo "the terminal showed more than the line:"; od -c "$out" | head -20; exit 1; }
echo "the terminal showed only that line"
