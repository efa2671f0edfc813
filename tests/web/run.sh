#!/usr/bin/env bash
# The browser build's tests: its golden record under Node, its frames in chromium against the
# native capture's, a live run, a run to the end, and the page's weight.
#   tests/web/run.sh NATIVE_BUILD WEB_BUILD
set -u
native=$(cd "$1" && pwd)
web=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/../golden/demo.txt
clocks="0 210 460 816 1250 1640 1830"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
check() { if [ "$1" -eq 0 ]; then echo "ok: $2"; else echo "FAIL: $2"; failed=1; fi; }

(cd "$here" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
check $? "playwright-core installed"

node "$web/tools/quellbrand-capture.js" --golden "$work/golden.txt" 2>/dev/null &&
    diff "$golden" "$work/golden.txt"
check $? "the WebAssembly capture's golden record equals the native one"

"$native/tools/quellbrand-capture" --at "$(echo $clocks | tr ' ' ,)" --out "$work/native" 2>/dev/null
node "$here/browser.mjs" "$web/site" exact "$work/browser" $clocks
rc=$?
for c in $clocks; do
    name=at-$(printf %04d "$c").png
    differ=$(compare -metric AE "$work/native/$name" "$work/browser/$name" null: 2>&1) || rc=1
    [ "$differ" = 0 ] || { echo "song clock $c: $differ pixels differ"; rc=1; }
done
check $rc "frames at song clocks $clocks in chromium equal the native capture's"

# at device scale factors 1, 2 and 2.625 every picture pixel is a square of whole device pixels: the
# page in device pixels is the native frame scaled by whole pixels, black around it
node "$here/browser.mjs" "$web/site" pixels "$work/pixels" 816 >"$work/pixels.txt"
rc=$?
while read -r _ ratio scale left top file; do
    convert "$work/native/at-0816.png" -sample $((scale * 100))% "$work/scaled.png"
    convert "$file" -crop $((320 * scale))x$((240 * scale))+$left+$top +repage "$work/picture.png"
    differ=$(compare -metric AE "$work/scaled.png" "$work/picture.png" null: 2>&1) || rc=1
    around=$(convert "$file" -fill black -draw "rectangle $left,$top $((left + 320 * scale - 1)),$((top + 240 * scale - 1))" \
        -format '%[fx:maxima]' info:)
    echo "device scale factor $ratio: $scale device pixels a picture pixel at $left,$top; $differ pixels differ, brightest around $around"
    [ "$differ" = 0 ] && [ "$around" = 0 ] || rc=1
done <"$work/pixels.txt"
[ -s "$work/pixels.txt" ] || rc=1
check $rc "whole device pixels at device scale factors 1, 2 and 2.625"
node "$here/browser.mjs" "$web/site" phone
check $? "a phone both ways up: the picture fits, a touch starts it"

node "$here/browser.mjs" "$web/site" weight
check $? "page weight"
node "$here/browser.mjs" "$web/site" live
check $? "live in chromium: start, sound, picture, Escape, play again"
node "$here/browser.mjs" "$web/site" whole
check $? "live in chromium: the whole demo to its closing card"
exit $failed
