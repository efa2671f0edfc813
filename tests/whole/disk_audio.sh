#!/usr/bin/env bash
# The real demo with SDL's disk audio driver (real-time pacing: one 2048-sample buffer every
# 46 ms). "short": after 4 s the output is 16-bit mono at 44100 Hz and not silent; "closed" and
# "eof": the same with standard input closed or at its end (the pushed-back answer still picks
# 44100 Hz). "full": the demo plays to its end by itself, exits 0, and its output has the song's
# length, sound and few clips.
set -u
bin=$1
mode=${2:-short}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=46
export SDL_DISKAUDIOFILE="$work/out.raw"
start=$(date +%s.%N)
case "$mode" in
closed) "$bin" <&- >"$work/stdout" 2>"$work/stderr" & ;;
*) "$bin" </dev/null >"$work/stdout" 2>"$work/stderr" & ;;
esac
pid=$!
size() { stat -c %s "$work/out.raw" 2>/dev/null || echo 0; }
if [ "$mode" != full ]; then
    # the rate is measured from the first buffer on, so a slow start on a busy machine does not count
    while [ "$(size)" -eq 0 ]; do
        kill -0 "$pid" 2>/dev/null || { echo "the demo ended early"; cat "$work/stderr"; exit 1; }
        sleep 0.05
    done
    first=$(size)
    start=$(date +%s.%N)
    sleep 4
    kill -0 "$pid" 2>/dev/null || { echo "the demo ended early"; cat "$work/stderr"; exit 1; }
    last=$(size)
    elapsed=$(echo "$(date +%s.%N) - $start" | bc)
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null
else
    wait "$pid"
    status=$?
    elapsed=$(echo "$(date +%s.%N) - $start" | bc)
    [ "$status" -eq 0 ] || { echo "exit status $status"; cat "$work/stderr"; exit 1; }
fi
[ "$mode" = full ] && { first=0; last=$(size); }
bytes=$((last - first))
# 16-bit mono at 44100 Hz: 88200 bytes a second, paced by the 46 ms delay (44522 samples a second);
# 22050 Hz 8-bit would give a quarter of that. A busy machine may delay the audio thread a little,
# never speed it up. SDL 1.2 on SDL 2 (QB_DISK_CHANNELS=2) writes the mono stream as two equal
# channels.
channels=${QB_DISK_CHANNELS:-1}
seconds=$(echo "$bytes / 88200 / $channels" | bc -l)
raw=(-t raw -r 44100 -e signed -b 16 -c "$channels" "$work/out.raw")
if [ "$channels" -eq 2 ]; then
    difference=$(sox "${raw[@]}" -n remix 1v1,2v-1 stats 2>&1 | awk '/^RMS lev dB/ { print $4 }')
    [ "$difference" = "-inf" ] || { echo "the two channels differ (RMS $difference dB)"; exit 1; }
fi
echo "$bytes bytes in ${elapsed} s: $(printf %.1f "$seconds") s of 16-bit mono 44100 Hz"
awk -v s="$seconds" -v e="$elapsed" 'BEGIN { exit !(s > e * 0.6 && s < e * 1.15) }' ||
    { echo "output length does not match 16-bit mono 44100 Hz"; exit 1; }
stats=$(sox "${raw[@]}" -n remix 1 stats 2>&1)
rms=$(echo "$stats" | awk '/^RMS lev dB/ { print $4 }')
echo "RMS $rms dB"
awk -v r="$rms" 'BEGIN { exit !(r > -35) }' || { echo "output is silent"; exit 1; }
if [ "$mode" = full ]; then
    awk -v e="$elapsed" 'BEGIN { exit !(e > 165 && e < 200) }' || { echo "ran ${elapsed} s, not about 175"; exit 1; }
    clipped=$(python3 - "$work/out.raw" <<'PY'
import sys, array
a = array.array('h'); a.frombytes(open(sys.argv[1], 'rb').read())
print(sum(1 for v in a if v in (32767, -32768)) * 100.0 / max(1, len(a)))
PY
)
    echo "clipped: $clipped %"
    awk -v c="$clipped" 'BEGIN { exit !(c <= 0.01) }' || { echo "more than 0.01 % clipped"; exit 1; }
fi
