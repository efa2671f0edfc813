#!/usr/bin/env bash
# The release set: scripts/release.sh writes dist/ with every file, the checksums verify, the video
# has its H.264 and AAC streams at 960x720 and lasts as long as the capture's demo, the handhelds'
# zips hold what each handheld's menu expects, and the zipped site plays in headless chromium.
#   tests/release.sh
set -u
cd "$(dirname "$0")/.."
here=$PWD/tests
bash scripts/release.sh >/dev/null 2>&1 || { echo "scripts/release.sh failed"; exit 1; }
v=$(sed -n 's/^project(quellbrand VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
status=0
for f in "quellbrand_${v}_amd64.deb" "quellbrand-$v.tar.gz" "quellbrand-$v-web.zip" "quellbrand-$v.mp4" \
    "quellbrand-$v-gp2x.zip" "quellbrand-$v-portmaster.zip" \
    "quellbrand-$v.txt" SHA256SUMS pictures/horse.png pictures/strip.png pictures/rings.png \
    pictures/torus.png pictures/crystal.png pictures/glow.png pictures/contact-strip.png; do
    [ -s "dist/$f" ] || { echo "dist/$f is missing"; status=1; }
done
(cd dist && sha256sum --quiet -c SHA256SUMS) || { echo "the checksums do not verify"; status=1; }
grep -q "Photosensitivity warning" "dist/quellbrand-$v.txt" && grep -q "Expat" "dist/quellbrand-$v.txt" ||
    { echo "the release note lacks the warning or the licence"; status=1; }
streams=$(ffprobe -v error -show_entries stream=codec_name,width,height -of csv=p=0 "dist/quellbrand-$v.mp4" | sort | tr '\n' ' ')
[ "$streams" = "aac h264,960,720 " ] || { echo "the video's streams: $streams"; status=1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/tools/quellbrand-capture --golden "$work/golden.txt" 2>/dev/null
frames=$(sed -n 's/^frames //p' "$work/golden.txt")
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "dist/quellbrand-$v.mp4")
awk -v d="$duration" -v f="$frames" 'BEGIN { e = d - f * 0.04; exit !(e < 0.5 && e > -0.5) }' ||
    { echo "the video lasts $duration s, the capture $frames frames"; status=1; }
echo "video: $streams$duration s for $frames frames of the capture"
# the handhelds' zip: the folder for the SD card, a static ARM executable, the launcher entry, a
# 32x32 icon, a title picture, a note with the buttons, the warning and the licence
mkdir "$work/gp2x" && unzip -q "dist/quellbrand-$v-gp2x.zip" -d "$work/gp2x" || status=1
listed=$(cd "$work/gp2x" && find . -type f | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "./quellbrand/quellbrand.gpe ./quellbrand/quellbrand.ini ./quellbrand/quellbrand.png ./quellbrand/quellbrand.txt ./quellbrand/quellbrand_t.png " ] ||
    { echo "the handhelds' zip holds: $listed"; status=1; }
g=$work/gp2x/quellbrand
[ -x "$g/quellbrand.gpe" ] && arm-linux-gnueabi-readelf -h -l "$g/quellbrand.gpe" | grep -q "Version5 EABI, soft-float" &&
    ! arm-linux-gnueabi-readelf -l "$g/quellbrand.gpe" | grep -q INTERP ||
    { echo "quellbrand.gpe is not a static ARM executable"; status=1; }
for field in 'name="Quellbrand"' 'path="/quellbrand/quellbrand.gpe"' 'icon="/quellbrand/quellbrand.png"' \
    'title="/quellbrand/quellbrand_t.png"'; do
    grep -qxF "$field" "$g/quellbrand.ini" || { echo "quellbrand.ini lacks $field"; status=1; }
done
[ "$(identify -format %wx%h "$g/quellbrand.png")" = 32x32 ] || { echo "the icon is not 32x32"; status=1; }
[ "$(identify -format %wx%h "$g/quellbrand_t.png")" = 320x240 ] || { echo "the title is not 320x240"; status=1; }
for words in "Photosensitivity warning" Expat START "L / R / X / Y" F100 Caanoo; do
    grep -q "$words" "$g/quellbrand.txt" || { echo "the handhelds' note lacks $words"; status=1; }
done
echo "handhelds' zip: $listed"
# the PortMaster port: its folder as PortMaster lays one out, the fields PortMaster reads, LF line
# endings, a 640x480 screenshot, an exit hotkey mapping that sends nothing, the binary's imports
mkdir "$work/pm" && unzip -q "dist/quellbrand-$v-portmaster.zip" -d "$work/pm" || status=1
listed=$(cd "$work/pm" && find . -type f | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "./quellbrand/Quellbrand.sh ./quellbrand/README.md ./quellbrand/gameinfo.xml ./quellbrand/port.json ./quellbrand/quellbrand/licenses/LICENSE.quellbrand.txt ./quellbrand/quellbrand/quellbrand.gptk ./quellbrand/quellbrand/quellbrand64 ./quellbrand/screenshot.png " ] ||
    { echo "the port's zip holds: $listed"; status=1; }
p=$work/pm/quellbrand
python3 - "$p/port.json" <<'PORT' || status=1
import json, sys
port = json.load(open(sys.argv[1]))
a = port["attr"]
want = {"name": port["name"] == "quellbrand.zip", "title": a["title"] == "Quellbrand",
        "desc": len(a["desc"]) > 20, "porter": a["porter"] == ["Tessaline & Vek"],
        "arch": a["arch"] == ["aarch64"], "no runtime": a["runtime"] == [],
        "items": port["items"] == ["Quellbrand.sh", "quellbrand"]}
bad = [k for k, ok in want.items() if not ok]
if bad:
    sys.exit("port.json: wrong " + ", ".join(bad))
PORT
! grep -l $'\r' "$p"/*.sh "$p"/*.json "$p"/*.xml "$p"/*.md "$p"/quellbrand/*.gptk || { echo "CR line endings"; status=1; }
[ "$(identify -format %wx%h "$p/screenshot.png")" = 640x480 ] || { echo "the screenshot is not 640x480"; status=1; }
grep -q "<path>./Quellbrand.sh</path>" "$p/gameinfo.xml" && grep -q "<name>Quellbrand</name>" "$p/gameinfo.xml" ||
    { echo "gameinfo.xml lacks the path or the name"; status=1; }
for words in "Photosensitivity warning" Expat START; do
    grep -q "$words" "$p/README.md" || { echo "the port's README lacks $words"; status=1; }
done
for words in 'source $controlfolder/control.txt' get_controls pm_platform_helper pm_finish \
    '$GPTOKEYB "quellbrand64" -c' 'chmod +x'; do
    grep -qF "$words" "$p/Quellbrand.sh" || { echo "Quellbrand.sh lacks $words"; status=1; }
done
[ "$(grep -c '^[a-z0-9_]* = "$' "$p/quellbrand/quellbrand.gptk")" -eq 25 ] ||
    { echo "the mapping leaves a gamepad button sending something"; status=1; }
bash "$here/portmaster/imports.sh" "$p/quellbrand/quellbrand64" build-a64/sysroot/usr/include/SDL2 || status=1
echo "PortMaster zip: $listed"
mkdir "$work/site" && unzip -q "dist/quellbrand-$v-web.zip" -d "$work/site" || status=1
node "$here/web/browser.mjs" "$work/site" live || { echo "the zipped site does not play"; status=1; }
ls -l dist | tail -n +2
exit $status
