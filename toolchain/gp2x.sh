#!/usr/bin/env bash
# The pieces of a fully static ARMv4T (ARM920T), soft-float, little-endian EABI executable, built
# from Debian's source packages with Debian's armel compiler and kept in build-gp2x/toolchain:
#   musl/              the C library and its mathematics, from the musl source package, for every
#                      GP2X-family kernel: Linux 2.4 and 2.6 of either ABI (the patch series in
#                      toolchain/musl/, applied in the order of their numbers)
#   lib/libgcc-v4t.a   the compiler's run-time helpers (integer division, soft-float arithmetic,
#                      64-bit arithmetic, the kernel-helper atomics) from GCC's libgcc sources, for
#                      ARMv4T: Debian's armel libgcc is built for ARMv5TE and its division starts
#                      with clz
#   kernel/            the Linux headers SDL's drivers include (from the armel cross headers)
#   bin/gp2x-gcc, bin/gp2x-g++  the compilers: musl's headers and, when linking, a static
#                      executable of musl and libgcc-v4t.a and nothing else: no C++ run-time
#   sdl/               SDL 1.2 from the libsdl1.2 source package, static: framebuffer console and
#                      dummy video, OSS and disk audio
#   toolchain/gp2x.sh [DIR]
set -eu
cd "$(dirname "$0")/.."
here=$PWD
out=$(realpath -m "${1:-build-gp2x/toolchain}")
# the musl release the patch series was made for
musl_version=1.2.3
# the cache holds while this script and the musl series are the ones that made it
key=$(cat toolchain/gp2x.sh toolchain/musl/* | sha256sum | cut -c 1-16)
[ "$(cat "$out/.complete" 2>/dev/null)" = "$key" ] && { echo "$out"; exit 0; }
rm -rf "$out/.complete" "$out/musl" "$out/sdl" "$out/src/musl"
dpkg -s crossbuild-essential-armel >/dev/null 2>&1 ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq crossbuild-essential-armel >/dev/null; }
cc=arm-linux-gnueabi-gcc
arch=(-march=armv4t -mtune=arm920t -mfloat-abi=soft -marm)
src=$out/src
mkdir -p "$src" "$out/lib"
bash scripts/deb-src.sh
cd "$src"

# musl, static only: the release the series was made for, the series in order, then the call
# lists filled in from their files
[ -d musl ] || {
    rm -f musl_*
    apt-get source --download-only -qq musl >/dev/null 2>&1
    tarball=$(ls musl_*.orig.tar.gz 2>/dev/null | head -n 1)
    found=${tarball#musl_}
    found=${found%.orig.tar.gz}
    [ "$found" = "$musl_version" ] || {
        echo "Debian's musl source package is ${found:-missing}; toolchain/musl/ was made for $musl_version" >&2
        echo "(see that each patch still applies and does what its header says, then change musl_version)" >&2
        exit 1
    }
    mkdir musl.part && tar -xf "$tarball" -C musl.part --strip-components=1
    for p in "$here"/toolchain/musl/[0-9]*.patch; do
        patch -s -d musl.part -p1 --no-backup-if-mismatch <"$p" || { echo "$(basename "$p") does not apply" >&2; exit 1; }
    done
    bash "$here/toolchain/musl/tables.sh" musl.part
    mv musl.part musl
}
(cd musl && CC=$cc CFLAGS="${arch[*]} -O2" ./configure --prefix="$out/musl" --target=arm-linux-gnueabi \
    --disable-shared >"$out/musl.log" 2>&1 && make -j"$(nproc)" >>"$out/musl.log" 2>&1 &&
    make install >>"$out/musl.log" 2>&1) || { echo "musl failed: $out/musl.log"; exit 1; }

# libgcc: its ARM assembly helpers, its C helpers and atomics, one object a function as libgcc's
# makefiles build them (Makefile.in, config/arm/t-elf, t-bpabi, t-linux)
[ -d gcc/libgcc ] || {
    apt-get source --download-only -qq gcc-12 >/dev/null 2>&1
    inner=$(tar -tzf gcc-12_*.orig.tar.gz | grep -E '/gcc-[0-9.]+-dfsg\.tar\.xz$' | head -n 1)
    tar -xzf gcc-12_*.orig.tar.gz "$inner"
    rm -rf gcc && mkdir gcc
    tar -xJf "$inner" -C gcc --strip-components=1 --wildcards '*/libgcc/config/arm/*' \
        '*/libgcc/libgcc2.[ch]' '*/include/longlong.h'
    rm -rf "$(dirname "$inner")"
}
libgcc=$src/gcc/libgcc
arm=$libgcc/config/arm
asm_functions="_udivsi3 _divsi3 _umodsi3 _modsi3 _dvmd_lnx _bb_init_func _call_via_rX
    _interwork_call_via_rX _lshrdi3 _ashrdi3 _ashldi3 _arm_negdf2 _arm_addsubdf3 _arm_muldivdf3
    _arm_cmpdf2 _arm_unorddf2 _arm_fixdfsi _arm_fixunsdfsi _arm_truncdfsf2 _arm_negsf2
    _arm_addsubsf3 _arm_muldivsf3 _arm_cmpsf2 _arm_unordsf2 _arm_fixsfsi _arm_fixunssfsi
    _arm_floatdidf _arm_floatdisf _arm_floatundidf _arm_floatundisf _clzsi2 _clzdi2 _ctzsi2
    _aeabi_lcmp _aeabi_ulcmp _aeabi_ldivmod _aeabi_uldivmod"
# libgcc2.c's functions, less those assembled above and the ones for modes ARM has not (XF, TF)
c_functions="_muldi3 _negdi2 _cmpdi2 _ucmpdi2 _clear_cache _absvsi2 _absvdi2 _addvsi3 _addvdi3
    _subvsi3 _subvdi3 _mulvsi3 _mulvdi3 _negvsi2 _negvdi2 _ffssi2 _ffsdi2 _clz _ctzdi2
    _popcount_tab _popcountsi2 _popcountdi2 _paritysi2 _paritydi2 _powisf2 _powidf2 _mulhc3
    _mulsc3 _muldc3 _divhc3 _divsc3 _divdc3 _bswapsi2 _bswapdi2 _clrsbsi2 _clrsbdi2
    _fixunssfsi _fixunsdfsi _fixsfdi _fixdfdi _fixunssfdi _fixunsdfdi _floatdisf _floatdidf
    _floatundisf _floatundidf _divdi3 _moddi3 _divmoddi4 _udivdi3 _umoddi3 _udivmoddi4
    _udiv_w_sdiv"
# libgcc2.c includes the headers a configured GCC tree generates; of them it needs only the word
# size and, for the EABI names, the ARM library header
shim=$src/libgcc-shim
mkdir -p "$shim"
for h in tconfig.h coretypes.h; do : >"$shim/$h"; done
printf '#include <stddef.h>\n#include <limits.h>\n' >"$shim/tsystem.h"
printf '#define UNITS_PER_WORD 4\n#define MIN_UNITS_PER_WORD 4\n' >"$shim/tm.h"
echo '#include "bpabi-lib.h"' >"$shim/libgcc_tm.h"
c_flags=("${arch[@]}" -O2 -fno-inline -fbuilding-libgcc -fno-stack-protector -DIN_GCC -DIN_LIBGCC2
    -Dinhibit_libc -I"$shim" -I"$libgcc" -I"$src/gcc/include" -I"$arm" -w)
rm -rf objects && mkdir objects
for f in $asm_functions; do
    $cc "${arch[@]}" -c -x assembler-with-cpp -DL$f -I"$arm" "$arm/lib1funcs.S" -o "objects/$f.o" 2>/dev/null
done
for f in $c_functions; do
    $cc "${c_flags[@]}" -DL$f -c "$libgcc/libgcc2.c" -o "objects/c$f.o"
done
# the atomics reach the kernel's helpers through musl's pointers to them, which its legacy mode
# (Linux 2.4, where the helpers' page cannot be read) points elsewhere
sed -i -e 's|^#define KERNEL_CMPXCHG 0xffff0fc0$|extern unsigned long __a_cas_ptr;\n#define KERNEL_CMPXCHG __a_cas_ptr|' \
    -e 's|^#define KERNEL_DMB 0xffff0fa0$|extern unsigned long __a_barrier_ptr;\n#define KERNEL_DMB __a_barrier_ptr|' \
    "$arm/linux-atomic.c"
grep -q '^#define KERNEL_CMPXCHG __a_cas_ptr$' "$arm/linux-atomic.c" &&
    grep -q '^#define KERNEL_DMB __a_barrier_ptr$' "$arm/linux-atomic.c" ||
    { echo "libgcc's atomics do not name the kernel helpers as expected"; exit 1; }
for f in bpabi.c unaligned-funcs.c linux-atomic.c; do
    $cc "${c_flags[@]}" -c "$arm/$f" -o "objects/${f%.c}.o"
done
rm -f "$out/lib/libgcc-v4t.a"
arm-linux-gnueabi-ar rcs "$out/lib/libgcc-v4t.a" objects/*.o

# the compiler wrappers
kernel=$out/kernel/include
mkdir -p "$kernel/sys" "$out/bin"
for d in linux asm asm-generic mtd; do ln -sfn "/usr/arm-linux-gnueabi/include/$d" "$kernel/$d"; done
echo '#include <linux/soundcard.h>' >"$kernel/sys/soundcard.h"
gcc_include=$($cc -print-file-name=include)
cxx_include=/usr/arm-linux-gnueabi/include/c++/$($cc -dumpversion)
for tool in gcc g++; do
    if [ $tool = g++ ]; then
        # libstdc++'s headers were configured for glibc and ask its version: answer as a current
        # one, so they leave out what old versions lacked or had in excess
        headers="-isystem $cxx_include -isystem $cxx_include/arm-linux-gnueabi '-D__GLIBC_PREREQ(a,b)=1'"
    else
        headers=
    fi
    cat >"$out/bin/gp2x-$tool" <<WRAPPER
#!/bin/sh
# arm-linux-gnueabi-$tool for the static ARMv4T musl executable (toolchain/gp2x.sh)
link=1
for a; do case \$a in -c | -S | -E | -M | -MM) link=0 ;; esac; done
set -- ${arch[*]} -nostdinc $headers -isystem $out/musl/include -isystem $kernel -isystem $gcc_include "\$@"
[ \$link = 0 ] && exec arm-linux-gnueabi-$tool "\$@"
exec arm-linux-gnueabi-$tool -static -nostdlib -L$out/musl/lib $out/musl/lib/crt1.o $out/musl/lib/crti.o "\$@" \\
    -Wl,--start-group $out/musl/lib/libc.a $out/lib/libgcc-v4t.a \\
    -Wl,--end-group $out/musl/lib/crtn.o
WRAPPER
    chmod +x "$out/bin/gp2x-$tool"
done

# SDL 1.2, static, with the handheld's drivers and the tests' ones
[ -d sdl ] || {
    apt-get source --download-only -qq libsdl1.2 >/dev/null 2>&1
    dpkg-source -x libsdl1.2_*.dsc sdl >/dev/null 2>&1
}
(cd sdl && ./configure --host=arm-linux-gnueabi CC="$out/bin/gp2x-gcc" CFLAGS=-O2 \
    --prefix="$out/sdl" --disable-shared --enable-static --disable-rpath --disable-loadso \
    --disable-joystick --disable-cdrom --disable-assembly --disable-alsa --disable-esd \
    --disable-pulseaudio --disable-arts --disable-nas --disable-video-x11 --disable-dga \
    --disable-video-directfb --disable-video-ps3 --disable-video-svga --disable-video-opengl \
    --disable-input-tslib --disable-screensaver --enable-oss --enable-diskaudio \
    --enable-video-fbcon --enable-video-dummy >"$out/sdl.log" 2>&1 &&
    make -j"$(nproc)" >>"$out/sdl.log" 2>&1 && make install >>"$out/sdl.log" 2>&1) ||
    { echo "SDL failed: $out/sdl.log"; exit 1; }
echo "$key" >"$out/.complete"
echo "$out"
