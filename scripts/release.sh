#!/usr/bin/env bash
# The release set in dist/: the Debian package, the source tarball, the browser site as a zip, the
# GP2X-family handhelds' zip, the PortMaster port's zip, a video of the whole demo (H.264 and AAC, 960x720 by whole pixels),
# the README's pictures, a plain-text release note and SHA256SUMS.
#   scripts/release.sh
set -eu
cd "$(dirname "$0")/.."
bash scripts/deps.sh release
jobs=$(nproc)
version=$(sed -n 's/^project(quellbrand VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# the same bytes from the same commit
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH
# a tree the tests configured keeps its tests; a new one needs none
new=()
[ -f build/CMakeCache.txt ] || new=(-DQB_TESTS=OFF -DQB_BENCH=OFF)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release "${new[@]}" >/dev/null
cmake --build build -j"$jobs" --target quellbrand quellbrand-capture quellbrand-icon package_files >/dev/null
bash scripts/web.sh --build >/dev/null
rm -rf dist
mkdir -p dist
cmake --build build --target deb >/dev/null
cp build/quellbrand_"$version"_*.deb dist/
(cd dist && cpack --config ../build/CPackSourceConfig.cmake >/dev/null && rm -rf _CPack_Packages)
(cd build-web/site && zip -q -X -r "../../dist/quellbrand-$version-web.zip" index.html quellbrand.js quellbrand.wasm)
build/tools/quellbrand-capture --video "dist/quellbrand-$version.mp4" --scale 3 2>/dev/null

# The handhelds: a folder for the SD card's root with the static executable as the menu's .gpe,
# an entry for the Wiz's and Caanoo's launchers, its 32x32 icon and title picture, and a note.
bash toolchain/gp2x.sh >/dev/null
cmake -S . -B build-gp2x/build -DCMAKE_TOOLCHAIN_FILE=cmake/gp2x.cmake -DQB_HOST_BUILD="$PWD/build" >/dev/null
cmake --build build-gp2x/build -j"$jobs" --target quellbrand >/dev/null
gp2x=$(mktemp -d)
trap 'rm -rf "$gp2x"' EXIT
folder=$gp2x/quellbrand
mkdir "$folder"
cp build-gp2x/build/src/quellbrand "$folder/quellbrand.gpe"
build/tools/quellbrand-icon 32 "$folder/quellbrand.png"
build/tools/quellbrand-capture --at 100 --out "$gp2x/title" >/dev/null 2>&1
cp "$gp2x/title/at-0100.png" "$folder/quellbrand_t.png"
cat >"$folder/quellbrand.ini" <<INI
[info]
name="Quellbrand"
path="/quellbrand/quellbrand.gpe"
icon="/quellbrand/quellbrand.png"
title="/quellbrand/quellbrand_t.png"
INI
cat >"$folder/quellbrand.txt" <<GP2X
Quellbrand $version by Tessaline & Vek, for GP2X-family handhelds

Photosensitivity warning: this demo contains flashing lights and fast-moving
high-contrast patterns that may affect people with photosensitive epilepsy.

Copy the folder quellbrand to the root of the SD card. On a GP2X F100 or F200
start quellbrand.gpe from the menu; on a Wiz or a Caanoo, Quellbrand appears
in the launcher (quellbrand.ini). When the song ends, or on START, the demo
returns to the menu.

One executable runs on all four models: the F100 and F200 (Linux 2.4), the
Wiz and the Caanoo (Linux 2.6). It needs nothing else on the card.

Buttons
  START (Caanoo: Home)   end the demo
  A                      restart the current clip
  B                      reverse the clip's direction
  stick up / down        clip speed
  L / R / X / Y          feedback, blur, glow, film strip

Licence: the Expat (MIT) licence. Copyright 2026 Tessaline & Vek.
GP2X
(cd "$gp2x" && find quellbrand -exec touch -d "@$SOURCE_DATE_EPOCH" {} + &&
    zip -q -X -r "$OLDPWD/dist/quellbrand-$version-gp2x.zip" quellbrand)
# Today's handhelds: the PortMaster port, its folder as PortMaster lays a port out: the metadata,
# the launch script, and beside them the program's folder (the aarch64 binary, the exit hotkey's
# mapping, the licence)
bash scripts/arm-sysroot.sh build-a64/sysroot arm64 >/dev/null
cmake -S . -B build-a64/build -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DQB_ARM_SYSROOT="$PWD/build-a64/sysroot" -DQB_HOST_BUILD="$PWD/build" >/dev/null
cmake --build build-a64/build -j"$jobs" --target quellbrand-sdl2 >/dev/null
port=$(mktemp -d)
trap 'rm -rf "$gp2x" "$port"' EXIT
folder=$port/quellbrand
mkdir -p "$folder/quellbrand/licenses"
cp scripts/portmaster/{port.json,README.md,gameinfo.xml,Quellbrand.sh} "$folder/"
cp scripts/portmaster/quellbrand.gptk "$folder/quellbrand/"
cp build-a64/build/src/quellbrand-sdl2 "$folder/quellbrand/quellbrand64"
cp LICENSE "$folder/quellbrand/licenses/LICENSE.quellbrand.txt"
build/tools/quellbrand-capture --at 100 --scale 2 --out "$port/shot" >/dev/null 2>&1
cp "$port/shot/at-0100.png" "$folder/screenshot.png"
(cd "$port" && find quellbrand -exec touch -d "@$SOURCE_DATE_EPOCH" {} + &&
    zip -q -X -r "$OLDPWD/dist/quellbrand-$version-portmaster.zip" quellbrand)
bash scripts/readme-pictures.sh build >/dev/null
mkdir -p dist/pictures && cp docs/*.png dist/pictures/

note=dist/quellbrand-$version.txt
{
cat <<NOTE
Quellbrand $version by Tessaline & Vek
======================================

Photosensitivity warning: this demo contains flashing lights and fast-moving
high-contrast patterns that may affect people with photosensitive epilepsy.

Quellbrand is a self-contained audiovisual demo: one four-channel ProTracker
song, played by the demo's own module player and software mixer, drives three
minutes of black-and-white animation clips through a chain of picture effects
(warped texture, sprites, blur, video feedback, block glow, old-film damage, a
film strip), shown at 320x240. Everything it shows and plays is made by its
own code at build time.

Platforms and how to run each
-----------------------------
Debian 12 and later (amd64):
    sudo apt install ./quellbrand_${version}_amd64.deb
    then start Quellbrand from the menu, or run quellbrand-desktop
    (quellbrand -w for a window at 320x240).
Other Linux desktops, from source (SDL 1.2 or sdl12-compat):
    tar xzf quellbrand-$version.tar.gz && cd quellbrand-$version
    bash scripts/demo.sh
A web browser: unzip quellbrand-$version-web.zip into any folder a web
    server serves (index.html, quellbrand.js, quellbrand.wasm; serve .wasm as
    application/wasm) and open it; click or touch to start.
GP2X-family handhelds (F100, F200, Wiz, Caanoo): unzip
    quellbrand-$version-gp2x.zip to the root of the SD card and start
    Quellbrand from the menu (quellbrand/quellbrand.txt says more).
Today's Linux handhelds (aarch64, PortMaster): unzip
    quellbrand-$version-portmaster.zip and copy what is in its folder
    quellbrand (Quellbrand.sh and the folder quellbrand) into PortMaster's
    ports folder; start Quellbrand from Ports. Needs glibc 2.17 or later and the
    firmware's SDL 2.0.10 or later.
No computer at hand: quellbrand-$version.mp4 is the whole demo on video.

Controls (keys, and the handhelds' buttons)
-------------------------------------------
Escape (or a mouse button on the desktop; START, the Caanoo's Home)  end the demo
Return (A)           restart the current clip
Space (B)            reverse the clip's direction
Up / Down (stick)    clip speed
F1 / F2 / F3 / F4 (L / R / X / Y)   feedback, blur, glow, film strip
f                    full screen (browser)

Credits
-------
Code, art and music: Tessaline & Vek.

Licence
-------
The Expat (MIT) licence, for the program and everything it makes (art, song,
pictures). Copyright 2026 Tessaline & Vek.

Checksums (SHA-256)
-------------------
NOTE
(cd dist && find . -type f ! -name "$(basename "$note")" ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
    xargs sha256sum)
} >"$note"
(cd dist && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)
ls -la dist dist/pictures
