#!/usr/bin/env bash
# Builds a sysroot of Debian's armel packages for the cross build: SDL 1.2 with its run-time
# closure, GoogleTest and libstdc++, fetched with apt-get download and unpacked with dpkg -x.
set -eu
dir=$(realpath -m "$1")
[ -f "$dir/.complete" ] && exit 0
if ! dpkg --print-foreign-architectures | grep -qx armel; then
    dpkg --add-architecture armel
    apt-get update -qq
fi
apt-cache show libsdl1.2debian:armel >/dev/null 2>&1 || apt-get update -qq
runtime=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
              --no-replaces --no-enhances libsdl1.2debian:armel libstdc++6:armel 2>/dev/null |
          grep -v '^ ' | grep -v '^<' | sed 's/:armel$//' | sort -u)
mkdir -p "$dir/debs"
cd "$dir/debs"
# architecture-independent members (data, common files) are not needed to link or run
wanted=$(apt-cache show --no-all-versions $(for p in $runtime libsdl1.2-dev libgtest-dev; do echo "$p:armel"; done) \
             2>/dev/null | awk '/^Package:/ { p = $2 } /^Architecture: armel/ { print p ":armel" }' | sort -u)
apt-get download -qq $wanted >/dev/null 2>&1
for deb in *.deb; do dpkg -x "$deb" "$dir"; done
touch "$dir/.complete"
echo "armel sysroot ready in $dir ($(ls *.deb | wc -l) packages)"
