#!/usr/bin/env bash
# With an audio driver that cannot open, or no sound card, the demo says so once, runs silent from
# the timer, and its pictures still follow the song: after 3 s it is running (not waiting for a first tick);
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
# Short: once with SDL's driver named and unable to open, once with none named and no card to be
# found (the sound libraries' own messages must not reach the terminal). The word comes at
# start-up; then the demo must still be running three seconds later, and have said one line.
printf 'pcm.!default { type hw card 99 }\n' >"$work/asound.conf"
silent_start() {
    while ! grep -q "running without sound" "$work/err"; do
        kill -0 "$pid" 2>/dev/null || { echo "the demo ended"; cat "$work/err"; return 1; }
        sleep 0.1
    done
    sleep 3
    kill -0 "$pid" 2>/dev/null || { echo "the demo ended"; cat "$work/err"; return 1; }
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null
    [ "$(wc -l <"$work/err")" -eq 1 ] || { echo "$1: not one line on standard error"; cat "$work/err"; return 1; }
    echo "$1: the silent driver took over, one line said"
}
silent_start "a driver that cannot open" || exit 1
env -u SDL_AUDIODRIVER SDL_VIDEODRIVER=dummy ALSA_CONFIG_PATH="$work/asound.conf" \
    PULSE_SERVER=unix:"$work/no-server" AUDIODEV="$work/no-device" "$bin" </dev/null >/dev/null 2>"$work/err" &
pid=$!
silent_start "no card" || exit 1
