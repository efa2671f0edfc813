#!/bin/sh
# A Versatile Express device tree whose only screen is a fixed 320x240 framebuffer of 24-bit
# pixels, like the Caanoo's: a simple-framebuffer node over the board's video memory (reserved,
# never mapped by the kernel), which the display controller leaves alone without a panel.
#   simplefb_dtb.sh IN.dtb OUT.dtb ADDRESS
set -eu
in=$1 out=$2 address=$3
{
    dtc -q -I dtb -O dts "$in"
    printf '/ {\n\tframebuffer@%x {\n\t\tcompatible = "simple-framebuffer";\n' "$address"
    printf '\t\treg = <0x0 %#x 0x0 %#x>;\n' "$address" $((320 * 240 * 3))
    printf '\t\twidth = <320>; height = <240>; stride = <960>; format = "r8g8b8";\n\t};\n};\n'
} | dtc -q -I dts -O dtb -o "$out" -
