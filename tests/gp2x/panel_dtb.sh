#!/bin/sh
# A Versatile Express device tree with a plain 320x240 panel on the CLCD NODE in place of the HDMI
# bridge (the framebuffer driver takes only a panel), at BITS per pixel: the driver picks the
# deepest mode the memory bandwidth it is told of allows (16, or 32 for 24-bit colour).
#   panel_dtb.sh IN.dtb OUT.dtb NODE BITS
set -eu
in=$1 out=$2 node=$3 bits=$4
width=320 height=240
clock=$(((width + 88) * (height + 22) * 60))
# bytes a second the driver may use: BITS per pixel at the pixel clock, and a little more
bandwidth=$((clock * (bits + 2) / 8))
dtc -q -I dtb -O dts "$in" |
    awk -v bw=$bandwidth -v w=$width -v h=$height -v clk=$clock -v node="$node" '
  $1 == node && $2 == "{" { inside = 1; depth = 0 }
  inside && /remote-endpoint = / { sub(/<0x[0-9a-f]+>/, "<0xfff1>") }
  inside && /max-memory-bandwidth/ { sub(/<0x[0-9a-f]+>/, "<" bw ">") }
  inside && /phandle = / { endpoint = $3; sub(/;$/, "", endpoint) }
  inside && /\{/ { depth++ }
  inside && /\};/ { if (--depth == 0) inside = 0 }
  { print }
  END {
    print "/ {\n\tqemu-panel {\n\t\tcompatible = \"panel-dpi\";"
    print "\t\tport { endpoint { remote-endpoint = " endpoint "; phandle = <0xfff1>; }; };"
    print "\t\tpanel-timing {\n\t\t\tclock-frequency = <" clk ">;"
    print "\t\t\thactive = <" w ">; vactive = <" h ">;"
    print "\t\t\thfront-porch = <20>; hback-porch = <38>; hsync-len = <30>;"
    print "\t\t\tvfront-porch = <4>; vback-porch = <15>; vsync-len = <3>;\n\t\t};\n\t};\n};"
  }' | dtc -q -I dts -O dtb -o "$out" -
