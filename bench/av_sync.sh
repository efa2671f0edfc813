#!/usr/bin/env bash
# Picture against sound on the desktop, through a real sound server: starts PulseAudio with a null
# sink (its own runtime folder, a Unix socket only), plays the demo in a window under Xvfb with
# SDL's PulseAudio driver while the sink's monitor is recorded with its times, and prints the
# offset of every row change (its sound at the sink less the first frame that shows it).
#   bench/av_sync.sh BUILD [sdl12|compat] [heard|mixed] [SECONDS]
# compat runs the same binary on Debian's sdl12-compat (SDL 1.2 on SDL 2). SECONDS: how long to
# play, 200 (the whole demo) by default. Extra environment (QUELLBRAND_AV_OFFSET_MS) passes through.
set -eu
build=$(cd "$1" && pwd)
library=${2:-sdl12}
sync=${3:-heard}
seconds=${4:-200}
here=$(cd "$(dirname "$0")" && pwd)
for p in pulseaudio pulseaudio-utils libpulse-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$p" >/dev/null
done
[ -x "$build/bench/av-sync-record" ] || cmake -S "$here/.." -B "$build" >/dev/null
cmake --build "$build" --target av-sync-record av-sync-offsets quellbrand >/dev/null

work=$(mktemp -d)
pulse=
xvfb=
cleanup() {
    [ -n "$pulse" ] && kill "$pulse" 2>/dev/null && wait "$pulse" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=../tests/whole/pulse_server.sh
source "$here/../tests/whole/pulse_server.sh"
pulse_setup
start_pulse

# shellcheck source=../tests/whole/xserver.sh
source "$here/../tests/whole/xserver.sh"
start_xvfb
env=(SDL_AUDIODRIVER=pulse QUELLBRAND_TRACE="$work/trace.txt")
[ "$sync" = heard ] && env+=(QUELLBRAND_SYNC=heard)
if [ "$library" = compat ]; then
    compat=$(bash "$here/../scripts/sdl12-compat.sh" "$build/sdl12-compat")
    env+=(LD_LIBRARY_PATH="$compat" SDL_AUDIODRIVER=pulseaudio)
fi
"$build/bench/av-sync-record" quellbrand_sink.monitor $((seconds + 5)) "$work/rec.raw" \
    "$work/rec.txt" &
recorder=$!
sleep 1
env "${env[@]}" timeout -s TERM "$seconds" "$build/src/quellbrand" -w >"$work/demo.log" 2>&1 || true
kill "$recorder" 2>/dev/null || true
wait "$recorder" || true
echo "desktop, $library, sync $sync:"
"$build/bench/av-sync-offsets" desktop "$work/rec.raw" "$work/rec.txt" "$work/trace.txt" || true
[ -n "${AV_SYNC_KEEP:-}" ] && cp "$work/rec.raw" "$work/rec.txt" "$work/trace.txt" "$work/demo.log" "$AV_SYNC_KEEP"/
exit 0
