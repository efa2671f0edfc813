#!/usr/bin/env bash
# The release set: scripts/release.sh writes dist/ with every file, the checksums verify, the video
# has its H.264 and AAC streams at 960x720 and lasts as long as the capture's demo, and the zipped
# site plays in headless chromium.
#   tests/release.sh
set -u
cd "$(dirname "$0")/.."
here=$PWD/tests
bash scripts/release.sh >/dev/null 2>&1 || { echo "scripts/release.sh failed"; exit 1; }
v=$(sed -n 's/^project(quellbrand VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
status=0
for f in "quellbrand_${v}_amd64.deb" "quellbrand-$v.tar.gz" "quellbrand-$v-web.zip" "quellbrand-$v.mp4" \
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
mkdir "$work/site" && unzip -q "dist/quellbrand-$v-web.zip" -d "$work/site" || status=1
node "$here/web/browser.mjs" "$work/site" live || { echo "the zipped site does not play"; status=1; }
ls -l dist | tail -n +2
exit $status
