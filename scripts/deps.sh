#!/usr/bin/env bash
# Installs the Debian packages one level of work needs, only those that are missing.
#   scripts/deps.sh run    building and running the demo
#   scripts/deps.sh test   that, and what the quick tests need
#   scripts/deps.sh web    building the demo for web browsers, and serving it
#   scripts/deps.sh release  everything scripts/release.sh needs: run, web, the video and the zip
#   scripts/deps.sh full   all of it, and what the full test command needs (ARM, fuzzing, load,
#                        a browser)
set -eu
level=${1:-run}
run=(build-essential cmake pkg-config libsdl1.2-dev libfreetype-dev fonts-dejavu-core
     fonts-dejavu-extra libstb-dev)
test=(libsdl2-dev libgtest-dev libbenchmark-dev xvfb xdotool ffmpeg imagemagick sox bc python3)
web=(emscripten python3)
release=(ffmpeg imagemagick zip unzip crossbuild-essential-arm64)
full=(chromium crossbuild-essential-armel crossbuild-essential-arm64 qemu-user clang-14 libclang-rt-14-dev stress-ng libsdl2-2.0-0 libxmp-dev
      lintian appstream desktop-file-utils diffoscope manpages-dev meson ninja-build libglib2.0-dev
      qemu-system-arm device-tree-compiler cpio pulseaudio pulseaudio-utils)
case "$level" in
run) packages=("${run[@]}") ;;
test) packages=("${run[@]}" "${test[@]}") ;;
web) packages=("${run[@]}" "${web[@]}") ;;
release) packages=("${run[@]}" "${web[@]}" "${release[@]}") ;;
full) packages=("${run[@]}" "${test[@]}" "${web[@]}" "${release[@]}" "${full[@]}") ;;
*) echo "usage: scripts/deps.sh run|test|web|release|full" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
    echo "Missing packages; run: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
