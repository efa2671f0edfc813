#!/usr/bin/env bash
# The SDL 2 host on SDL's offscreen video and disk audio: Escape, a controller's START and SIGTERM
# each end it early with status 0, as the last event it handled; with --whole it plays to the
# song's end and its stream is the golden record's sound.
#   sdl2_host.sh QUELLBRAND-SDL2 INJECT.so GOLDEN [--whole]
set -u
bin=$1 inject=$2 golden=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'kill -KILL $demo 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
failed=0
# Under LeakSanitizer: what the libraries SDL 2 loads for itself and unloads at its end keep
# cannot be told from anything else (their code is gone when the leaks are looked for); the
# shared host code is checked for leaks under SDL 1.2.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
run() { # NAME ENV...: the demo in the background, its trace and sound in $work/NAME.*
    local name=$1; shift
    env SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=46 \
        SDL_DISKAUDIOFILE="$work/$name.raw" QUELLBRAND_TRACE="$work/$name.trace" "$@" \
        ${QB_RUN:-} "$bin" </dev/null >/dev/null 2>"$work/$name.err" &
    demo=$!
}
if [ "${4:-}" = --whole ]; then
    run whole
    wait $demo || { echo "FAILED: the whole demo exited with $?"; cat "$work/whole.err"; exit 1; }
    read -r hash buffers < <(sed -n 's/^audio \([0-9a-f]*\) \([0-9]*\) buffers$/\1 \2/p' "$golden")
    python3 "$here/../gp2x/stream_hash.py" "$work/whole.raw" "$hash" "$buffers" || exit 1
    echo "the whole demo: $(wc -l <"$work/whole.trace") frames, to the song's end"
    exit 0
fi
# way, what is done, the event it ends with (SDL 1.2's numbers, as the trace keeps them)
while read -r name how; do
    case $how in
    sigterm) run "$name" ;;
    # a sanitized program then has the stand-in ahead of the sanitizer's run-time
    *) run "$name" LD_PRELOAD="$inject" QB_INJECT="$how" QB_INJECT_MS=2000 \
           ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" ;;
    esac
    if [ "$how" = sigterm ]; then
        while [ ! -s "$work/$name.trace" ] && kill -0 $demo 2>/dev/null; do sleep 0.1; done
        sleep 2
        kill -TERM $demo
    fi
    wait $demo
    status=$?
    frames=$(wc -l <"$work/$name.trace" 2>/dev/null || echo 0)
    last=$(tail -1 "$work/$name.trace" | awk '{ print $NF }')
    if [ $status -eq 0 ] && [ "$frames" -gt 0 ] && [ "$frames" -lt 1000 ] && [ "$last" = 2:27 ]; then
        echo "$name: ended after $frames frames with status 0, on Escape"
    else
        echo "FAILED: $name: status $status, $frames frames, last event $last"
        cat "$work/$name.err"
        failed=1
    fi
done <<'WAYS'
escape key:27
start button:6
sigterm sigterm
WAYS
exit $failed
