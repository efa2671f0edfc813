#!/usr/bin/env bash
# Builds the qemu plugins the ARM benchmarks use, from Debian's qemu source package (which ships
# no binary of them) and bench/arm920t.c: libinsn.so (instruction counts), libcache.so (cache
# misses) and libarm920t.so (ARM920T cycles). Usage: bench/qemu-plugins.sh OUT_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath -m "$1")
mkdir -p "$out/src"
bash "$here/../scripts/deb-src.sh"
dpkg -s libglib2.0-dev >/dev/null 2>&1 || apt-get install -y -qq libglib2.0-dev >/dev/null
cd "$out/src"
if ! ls -d qemu-*/ >/dev/null 2>&1; then
    apt-get source --download-only -qq qemu >/dev/null 2>&1
    tar -xf "$(ls qemu_*.orig.tar.* | head -n 1)" --wildcards '*/include/qemu/qemu-plugin.h' \
        '*/tests/plugin/insn.c' '*/contrib/plugins/cache.c'
fi
top=$(ls -d qemu-*/ | head -n 1)
plugin() {
    [ "$2" -nt "$out/$1" ] || [ ! -f "$out/$1" ] || return 0
    gcc -O2 -shared -fPIC -I "$top/include/qemu" $(pkg-config --cflags glib-2.0) "$2" -o "$out/$1" \
        $(pkg-config --libs glib-2.0)
}
plugin libinsn.so "$top/tests/plugin/insn.c"
plugin libcache.so "$top/contrib/plugins/cache.c"
plugin libarm920t.so "$here/arm920t.c"
echo "$out"
