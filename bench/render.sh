#!/usr/bin/env bash
# The module renderer as shipped (player, mixer and WAV writing) against libxmp on the same modules,
# side by side in one run: mono, 44100 Hz, 16-bit, nearest-neighbour, SECONDS of audio each, the
# best of RUNS runs in CPU time (user + system).
#   bench/render.sh [BUILD [SECONDS [RUNS]]]     (needs libxmp-dev; BUILD defaults to build)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-600}
runs=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -x "$build/bench/xmp-render" ] || { echo "no $build/bench/xmp-render: install libxmp-dev and build again"; exit 1; }
"$build/bench/bench-modules" "$work"
cp "$build/song.mod" "$work/song.mod"

# the best CPU time of the runs of a command, in seconds
best() {
    local best_time=
    for _ in $(seq "$runs"); do
        local t
        t=$({ TIMEFORMAT='%3U %3S'; time "$@" >/dev/null 2>&1; } 2>&1 | awk '{ print $1 + $2 }')
        best_time=$(awk -v a="$t" -v b="${best_time:-$t}" 'BEGIN { print (a < b ? a : b) }')
    done
    echo "$best_time"
}

printf "| module | channels | quellbrand-render (s) | libxmp (s) | speed against libxmp |\n"
printf "|---|---|---|---|---|\n"
status=0
for m in song four six eight busy; do
    channels=4
    case $m in six) channels=6 ;; eight) channels=8 ;; esac
    q=$(best "$build/tools/quellbrand-render" "$work/q.wav" "$work/$m.mod" --until 999999 --seconds "$seconds")
    x=$(best "$build/bench/xmp-render" "$work/x.wav" "$work/$m.mod" "$seconds")
    [ "$(stat -c %s "$work/q.wav")" -ge "$(stat -c %s "$work/x.wav")" ] || { echo "$m: quellbrand-render wrote less audio"; status=1; }
    ratio=$(awk -v q="$q" -v x="$x" 'BEGIN { printf "%.2f", (q > 0 ? x / q : 0) }')
    printf "| %s | %d | %.3f | %.3f | %s× |\n" "$m" "$channels" "$q" "$x" "$ratio"
done
echo
echo "$seconds s of audio per run, best of $runs runs, written to $work (a file system like the user's)"
exit $status
