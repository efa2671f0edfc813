#!/usr/bin/env bash
# The ARM920T cycle model (bench/arm920t.c) on a probe whose cycles are worked out by hand:
# interlocks, multiplies, shifts by a register, LDM and STM, taken and untaken branches, a
# condition that fails, a call and return, and stores into the framebuffer range.
#   tests/bench/arm920t.sh PLUGINS_DIR
set -u
plugins=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
arm-linux-gnueabi-gcc -march=armv4t -marm -nostdlib -static "$(dirname "$0")/arm920t_probe.S" \
    -o "$work/probe" || exit 1
read -r address < <(arm-linux-gnueabi-nm "$work/probe" | awk '$3 == "fb" { print $1 }')
fb=$(printf '%x-%x' $((0x$address)) $((0x$address + 4)))
got=$(qemu-arm -cpu ti925t -plugin "$plugins/libarm920t.so,fb=$fb" -d plugin "$work/probe" 2>&1 |
    grep '^arm920t')
want="arm920t insns 1108 cycles 2412 2716 taken 101 fb-stores 100 fb-bytes 200"
[ "$got" = "$want" ] || { echo "got:  $got"; echo "want: $want"; exit 1; }
echo "$got"
