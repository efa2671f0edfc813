#!/usr/bin/env bash
# Soak: the whole demo, live under a virtual X server with disk audio, to its end, several times in
# a row. Each run must end by itself with status 0 and no sanitizer report; memory is sampled
# every two seconds after start-up. The demo's own memory (anonymous pages: heap, stacks, tables)
# must stay flat; the file-backed part grows as the embedded clips are first shown.
#   tests/soak.sh BINARY [RUNS]
# QB_SOAK_GROWTH_KB (default 1024) bounds the growth of the demo's own memory; a sanitizer build
# needs more, as its shadow memory fills in while the embedded data is first read.
set -u
bin=$1
runs=${2:-3}
work=$(mktemp -d)
trap 'kill -KILL $xvfb 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/whole/xserver.sh"
start_xvfb || { echo "no virtual X server"; exit 1; }
export SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=46 SDL_DISKAUDIOFILE=$work/out.raw
export ASAN_OPTIONS=halt_on_error=1 LSAN_OPTIONS=suppressions=$(dirname "$0")/lsan.supp
status=0
for run in $(seq "$runs"); do
    start=$(date +%s)
    "$bin" -w </dev/null >/dev/null 2>"$work/err" &
    pid=$!
    samples=()
    totals=()
    while kill -0 "$pid" 2>/dev/null; do
        anon=$(awk '/^RssAnon/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
        total=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
        if [ -n "$anon" ] && [ $(($(date +%s) - start)) -ge 6 ]; then
            samples+=("$anon")
            totals+=("$total")
        fi
        sleep 2
    done
    wait "$pid"
    code=$?
    elapsed=$(($(date +%s) - start))
    lo=$(printf '%s\n' "${samples[@]}" | sort -n | head -n 1)
    hi=$(printf '%s\n' "${samples[@]}" | sort -n | tail -n 1)
    reports=$(grep -c -E 'ERROR: (Address|Leak)Sanitizer|runtime error' "$work/err")
    tlo=$(printf '%s\n' "${totals[@]}" | sort -n | head -n 1)
    thi=$(printf '%s\n' "${totals[@]}" | sort -n | tail -n 1)
    echo "run $run: status $code after $elapsed s; anonymous memory ${lo}..${hi} kB, all resident ${tlo}..${thi} kB over ${#samples[@]} samples; $reports sanitizer reports"
    [ "$code" -eq 0 ] && [ "$reports" -eq 0 ] && [ $((hi - lo)) -le "${QB_SOAK_GROWTH_KB:-1024}" ] || status=1
done
exit $status
