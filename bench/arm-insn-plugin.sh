#!/usr/bin/env bash
# Builds qemu's instruction-counting plugin (libinsn.so) from Debian's qemu source package, which
# ships no binary of it. Usage: bench/arm-insn-plugin.sh OUT_DIR
set -eu
out=$(realpath -m "$1")
[ -f "$out/libinsn.so" ] && { echo "$out/libinsn.so"; exit 0; }
mkdir -p "$out/src"
bash "$(dirname "$0")/../tools/deb-src.sh"
dpkg -s libglib2.0-dev >/dev/null 2>&1 || apt-get install -y -qq libglib2.0-dev >/dev/null
cd "$out/src"
apt-get source --download-only -qq qemu >/dev/null 2>&1
tarball=$(ls qemu_*.orig.tar.* | head -n 1)
tar -xf "$tarball" --wildcards '*/include/qemu/qemu-plugin.h' '*/tests/plugin/insn.c'
top=$(ls -d qemu-*/ | head -n 1)
gcc -O2 -shared -fPIC -I "$top/include/qemu" $(pkg-config --cflags glib-2.0) \
    "$top/tests/plugin/insn.c" -o "$out/libinsn.so" $(pkg-config --libs glib-2.0)
echo "$out/libinsn.so"
