#!/usr/bin/env bash
# Builds qemu-arm from Debian's qemu source package with tests/gp2x/qemu-linux24.patch (the GP2X
# F100/F200's Linux 2.4 as a personality, switched on by QEMU_LINUX24_SYSCALLS) into OUT_DIR, and
# prints its path. Cached while the patch is the one that made it.
#   tests/gp2x/qemu-linux24.sh OUT_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath -m "$1")
key=$(cat "$here/qemu-linux24.patch" "$0" | sha256sum | cut -c 1-16)
if [ "$(cat "$out/.complete" 2>/dev/null)" = "$key" ]; then echo "$out/qemu-arm"; exit 0; fi
bash "$here/../../scripts/deb-src.sh"
missing=()
for p in meson ninja-build libglib2.0-dev pkg-config; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
mkdir -p "$out/src"
cd "$out/src"
ls qemu_*.orig.tar.* >/dev/null 2>&1 || apt-get source --download-only -qq qemu >/dev/null 2>&1
rm -rf tree build && mkdir tree build
tar -xf "$(ls qemu_*.orig.tar.* | head -n 1)" -C tree --strip-components=1
patch -s -d tree -p1 <"$here/qemu-linux24.patch"
# Debian's meson and python: the source package ships neither QEMU's own meson nor its firmware
cd build
PATH=/usr/bin:$PATH ../tree/configure --meson=meson --target-list=arm-linux-user --disable-system \
    --disable-tools --disable-docs --disable-werror --disable-capstone --disable-slirp \
    --disable-fdt --disable-plugins --disable-install-blobs >"$out/configure.log" 2>&1 ||
    { echo "qemu's configure failed: $out/configure.log" >&2; exit 1; }
ninja qemu-arm >"$out/build.log" 2>&1 || { echo "qemu failed to build: $out/build.log" >&2; exit 1; }
cp qemu-arm "$out/qemu-arm"
cd "$out" && rm -rf src/tree src/build
echo "$key" >"$out/.complete"
echo "$out/qemu-arm"
