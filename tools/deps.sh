#!/usr/bin/env bash
# Installs the Debian packages the demo and its tests need, only those that are missing.
set -eu
packages=(build-essential cmake pkg-config libsdl1.2-dev libfreetype-dev fonts-dejavu-core
          fonts-dejavu-extra libstb-dev libgtest-dev libbenchmark-dev xvfb xdotool x11-utils
          ffmpeg imagemagick sox bc python3 crossbuild-essential-armel qemu-user
          clang-14 libclang-rt-14-dev)
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
