#!/usr/bin/env bash
# ARM920T cycles for one call of a cost-driver step (a frame, the presentation, a second of the
# song), from the handheld's static build on qemu's ARMv4T core, over two runs of different
# lengths so start-up cancels: the core's cycles from bench/arm920t.c, cache misses from qemu's
# cache plugin at the ARM920T's geometry (16 KB instruction and 16 KB data caches, 64-way,
# 32-byte lines, round-robin replacement), and the stores into the 16-bit screen, which is the
# uncached framebuffer on the handheld.
#   bench/cycles.sh PLUGINS_DIR build-gp2x/build/bench/quellbrand-cost WHAT [CLOCK]
# Memory model, in core cycles at 200 MHz:
#   line fill        optimistic 20 (a page hit, the bus at half the core's clock)
#                    pessimistic 60 (a row miss and a dirty line written back first)
#   framebuffer      every store waits for its write on the bus: the handheld maps the framebuffer
#   store            uncached and unbuffered, so the write buffer takes none of it. A single write
#                    is 4 bus cycles at half the core's clock to an open SDRAM row, 8 when the row
#                    must be opened first: optimistic 7, pessimistic 15 more than the store's
#                    issue cycle, for each store (each register of an STM a write of its own)
# The cache plugin sees the framebuffer as cached: a fill for every 32 framebuffer bytes is taken
# off its misses. It allocates a line on a store miss, which the ARM920T (read-allocate) does not:
# such a store goes to the write buffer, but a later load of the line then misses, so both bounds
# count it as a fill.
set -eu
plugins=$1 cost=$2 what=$3 clock=${4:-0}
fill_opt=20 fill_pess=60 fb_store_opt=7 fb_store_pess=15
n=10
[ "$what" = song ] && n=4
screen=$(arm-linux-gnueabi-nm -S "$cost" | awk '/ _ZN12_GLOBAL__N_16screenE$/ { print $1, $2 }')
read -r address size <<<"$screen"
fb=$(printf '%x-%x' $((0x$address)) $((0x$address + 0x$size)))
cache=dcachesize=16384,dassoc=64,dblksize=32,icachesize=16384,iassoc=64,iblksize=32,evict=fifo
run() {
    qemu-arm -cpu ti925t -plugin "$plugins/libarm920t.so,fb=$fb" -plugin "$plugins/libcache.so,$cache" \
        -d plugin "$cost" "$what" "$1" "$clock" 2>&1 >/dev/null |
        awk '/^arm920t/ { i = $3; o = $5; p = $6; s = $10; b = $12 }
             /^0 / { d = $3; m = $6 } END { print i, o, p, d, m, s, b }'
}
read -r i1 o1 p1 d1 m1 s1 b1 < <(run "$n")
read -r i2 o2 p2 d2 m2 s2 b2 < <(run $((2 * n)))
awk -v n="$n" -v w="$what" -v c="$clock" -v i=$((i2 - i1)) -v o=$((o2 - o1)) -v p=$((p2 - p1)) \
    -v d=$((d2 - d1)) -v m=$((m2 - m1)) -v s=$((s2 - s1)) -v b=$((b2 - b1)) -v fo="$fill_opt" \
    -v fp="$fill_pess" -v so="$fb_store_opt" -v sp="$fb_store_pess" 'BEGIN {
    i /= n; o /= n; p /= n; d /= n; m /= n; s /= n; b /= n
    lines = b / 32
    opt = o + (d + m - lines) * fo + s * so
    pess = p + (d + m - lines) * fp + s * sp
    printf "%-8s %5s  insns %9.0f  core %9.0f..%9.0f  D misses %7.0f  I misses %6.0f  fb bytes %7.0f  cycles %9.0f..%9.0f\n",
        w, c, i, o, p, d, m, b, opt, pess }'
