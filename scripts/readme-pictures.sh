#!/usr/bin/env bash
# The README's pictures: frames of the demo from the capture at scale 2, chosen to show its range,
# and a contact strip of the whole demo, in docs/. The same bytes every time they are made.
#   scripts/readme-pictures.sh [BUILD]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
[ -x "$build/tools/quellbrand-capture" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quellbrand-capture >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# song clock and name: the horse under the title, the runner on the film strip, the rings, the
# torus over the texture, the crystal, its glow
shots="150:horse 332:strip 1150:rings 1420:torus 1620:crystal 1700:glow"
clocks=$(for s in $shots; do printf '%s,' "${s%%:*}"; done)
"$build/tools/quellbrand-capture" --at "${clocks%,}" --out "$work/big" --scale 2 >/dev/null 2>&1
mkdir -p docs
# no time stamps in the files, so the same frames give the same bytes
png() { # OUT, then what convert makes it of
    local out=$1
    shift
    convert "$@" -colorspace Gray -strip -define png:exclude-chunks=date,time \
        -define png:compression-level=9 "$out"
}
for s in $shots; do
    png "docs/${s#*:}.png" "$work/big/at-$(printf %04d "${s%%:*}").png"
done
# the contact strip: the first frame of every pattern of the song, at half size
strip=$(seq 0 100 1800 | tr '\n' ,)
"$build/tools/quellbrand-capture" --at "${strip%,}" --out "$work/strip" >/dev/null 2>&1
png docs/contact-strip.png "$work"/strip/at-*.png -crop 320x200+0+20 +repage -resize 50% +append
du -cb docs/*.png | tail -n 1
