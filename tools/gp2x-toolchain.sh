#!/usr/bin/env bash
# The pieces of a fully static ARMv4T (ARM920T), soft-float, little-endian EABI executable, built
# from Debian's source packages with Debian's armel compiler and kept in build-gp2x/toolchain:
#   musl/              the C library and its mathematics, from the musl source package
#   lib/libgcc-v4t.a   the compiler's run-time helpers (integer division, soft-float arithmetic,
#                      the kernel-helper atomics) from GCC's libgcc sources, for ARMv4T: Debian's
#                      armel libgcc is built for ARMv5TE and its division starts with clz
# Debian's libgcc.a still serves the helpers written in C, which use no ARMv5 instruction; link
# libgcc-v4t.a before it.
#   tools/gp2x-toolchain.sh [DIR]
set -eu
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build-gp2x/toolchain}")
[ -f "$out/.complete" ] && { echo "$out"; exit 0; }
dpkg -s crossbuild-essential-armel >/dev/null 2>&1 ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq crossbuild-essential-armel >/dev/null; }
cc=arm-linux-gnueabi-gcc
arch=(-march=armv4t -mtune=arm920t -mfloat-abi=soft -marm)
src=$out/src
mkdir -p "$src" "$out/lib"
bash tools/deb-src.sh
cd "$src"

# musl, static only
[ -d musl ] || {
    apt-get source --download-only -qq musl >/dev/null 2>&1
    mkdir musl && tar -xf musl_*.orig.tar.gz -C musl --strip-components=1
}
(cd musl && CC=$cc CFLAGS="${arch[*]} -O2" ./configure --prefix="$out/musl" --target=arm-linux-gnueabi \
    --disable-shared >"$out/musl.log" 2>&1 && make -j"$(nproc)" >>"$out/musl.log" 2>&1 &&
    make install >>"$out/musl.log" 2>&1) || { echo "musl failed: $out/musl.log"; exit 1; }

# libgcc's assembly helpers, one object a function as libgcc builds them, and its atomics
[ -d libgcc ] || {
    apt-get source --download-only -qq gcc-12 >/dev/null 2>&1
    inner=$(tar -tzf gcc-12_*.orig.tar.gz | grep -E '/gcc-[0-9.]+-dfsg\.tar\.xz$' | head -n 1)
    tar -xzf gcc-12_*.orig.tar.gz "$inner"
    tar -xJf "$inner" --wildcards '*/libgcc/config/arm/*'
    mv gcc-*/libgcc libgcc
}
arm=$src/libgcc/config/arm
# the functions libgcc's ARM makefiles (t-elf, t-bpabi, t-linux) assemble from lib1funcs.S
functions="_udivsi3 _divsi3 _umodsi3 _modsi3 _dvmd_lnx _bb_init_func _call_via_rX
    _interwork_call_via_rX _lshrdi3 _ashrdi3 _ashldi3 _arm_negdf2 _arm_addsubdf3 _arm_muldivdf3
    _arm_cmpdf2 _arm_unorddf2 _arm_fixdfsi _arm_fixunsdfsi _arm_truncdfsf2 _arm_negsf2
    _arm_addsubsf3 _arm_muldivsf3 _arm_cmpsf2 _arm_unordsf2 _arm_fixsfsi _arm_fixunssfsi
    _arm_floatdidf _arm_floatdisf _arm_floatundidf _arm_floatundisf _clzsi2 _clzdi2 _ctzsi2
    _aeabi_lcmp _aeabi_ulcmp _aeabi_ldivmod _aeabi_uldivmod"
rm -rf objects && mkdir objects
for f in $functions; do
    $cc "${arch[@]}" -c -x assembler-with-cpp -DL$f -I"$arm" "$arm/lib1funcs.S" -o "objects/$f.o" 2>/dev/null
done
$cc "${arch[@]}" -O2 -w -c "$arm/linux-atomic.c" -o objects/linux-atomic.o
rm -f "$out/lib/libgcc-v4t.a"
arm-linux-gnueabi-ar rcs "$out/lib/libgcc-v4t.a" objects/*.o
touch "$out/.complete"
echo "$out"
