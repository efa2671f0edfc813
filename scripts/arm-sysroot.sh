#!/usr/bin/env bash
# Builds a sysroot of Debian's ARM packages for a cross build, fetched with apt-get download and
# unpacked with dpkg -x:
#   armel (the default): SDL 1.2 with its run-time closure, GoogleTest and libstdc++;
#   arm64: SDL 2 with its run-time closure and its development files (today's handhelds).
#   scripts/arm-sysroot.sh DIR [armel|arm64]
set -eu
dir=$(realpath -m "$1")
arch=${2:-armel}
case $arch in
armel) roots="libsdl1.2debian libstdc++6" dev="libsdl1.2-dev libgtest-dev" ;;
arm64) roots="libsdl2-2.0-0 libstdc++6" dev="libsdl2-dev" ;;
*) echo "usage: scripts/arm-sysroot.sh DIR [armel|arm64]" >&2; exit 2 ;;
esac
[ -f "$dir/.complete" ] && exit 0
if ! dpkg --print-foreign-architectures | grep -qx $arch; then
    dpkg --add-architecture $arch
    apt-get update -qq
fi
apt-cache show ${roots%% *}:$arch >/dev/null 2>&1 || apt-get update -qq
runtime=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
              --no-replaces --no-enhances $(for p in $roots; do echo "$p:$arch"; done) 2>/dev/null |
          grep -v '^ ' | grep -v '^<' | sed "s/:$arch\$//" | sort -u)
mkdir -p "$dir/debs"
cd "$dir/debs"
# architecture-independent members (data, common files) are not needed to link or run
wanted=$(apt-cache show --no-all-versions $(for p in $runtime $dev; do echo "$p:$arch"; done) \
             2>/dev/null | awk -v a=$arch '/^Package:/ { p = $2 } $0 == "Architecture: " a { print p ":" a }' | sort -u)
apt-get download -qq $wanted >/dev/null 2>&1
for deb in *.deb; do dpkg -x "$deb" "$dir"; done
touch "$dir/.complete"
echo "$arch sysroot ready in $dir ($(ls *.deb | wc -l) packages)"
