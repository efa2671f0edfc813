#!/usr/bin/env bash
# Instruction counts per Canvas pixel (or per voice and output sample for the mixer), repeatable
# on a busy machine. x86-64: callgrind counting only inside cost_measure, with glibc's maths
# routines pinned. ARM: qemu's instruction plugin over two runs of different lengths.
#   bench/count.sh x86 build/bench/quellbrand-cost WHAT [CLOCK]
#   bench/count.sh arm build-arm/bench/quellbrand-cost WHAT [CLOCK]   (needs QB_ARM_SYSROOT and QB_INSN_PLUGIN)
set -eu
target=$1 cost=$2 what=$3 clock=${4:-0}
n=20
per=64000
[ "$what" = mix ] && per=$((4 * 22 * 2048)) # voice-samples in 22 buffers of four voices
[ "$what" = mix ] && n=4
[ "$what" = present4 ] && per=$((1280 * 960)) # output pixels of the picture at scale 4
if [ "$target" = x86 ]; then
    out=$(mktemp)
    env -i GLIBC_TUNABLES=glibc.cpu.hwcaps=-FMA,-AVX2 valgrind --tool=callgrind \
        --callgrind-out-file="$out" --toggle-collect=cost_measure "$cost" "$what" "$n" "$clock" >/dev/null 2>&1
    ir=$(callgrind_annotate "$out" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }')
    rm -f "$out"
else
    count() {
        qemu-arm -L "$QB_ARM_SYSROOT" -cpu arm926 -plugin "$QB_INSN_PLUGIN",inline=on -d plugin \
            "$cost" "$what" "$1" "$clock" 2>&1 >/dev/null | awk '/insns/ { gsub(/[^0-9]/, "", $NF); print $NF }'
    }
    a=$(count "$n")
    b=$(count $((2 * n)))
    ir=$((b - a))
fi
awk -v ir="$ir" -v n="$n" -v per="$per" -v w="$what" -v t="$target" \
    'BEGIN { printf "%-14s %-4s %12.0f instructions per call  %6.2f per %s\n", w, t, ir / n, ir / n / per, (w == "mix" ? "voice-sample" : "pixel") }'
