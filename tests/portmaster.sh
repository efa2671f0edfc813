#!/usr/bin/env bash
# Today's handhelds, in emulation: the aarch64 binary's imports (imports.sh); under qemu-aarch64
# on a Cortex-A53 and a Cortex-A35 with Debian's arm64 SDL 2, the golden record, Escape, a game
# controller's START and SIGTERM each ending the SDL 2 host early, and (on the A53) the whole song
# through SDL's disk audio, whose stream must be the golden record's sound; the port's launch
# script under a stand-in for PortMaster (launch.sh).
#   tests/portmaster.sh A64_BUILD SYSROOT GOLDEN HOST_BUILD
set -u
build=$(realpath "$1")
sysroot=$(realpath "$2")
golden=$(realpath "$3")
host=$(realpath "$4")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAILED: $*"; failed=1; }
bin=$build/src/quellbrand-sdl2

bash "$here/portmaster/imports.sh" "$bin" "$sysroot/usr/include/SDL2" || fail "the binary's imports"
# the stand-in for the handheld's keys and controller, for the emulated core
aarch64-linux-gnu-gcc -shared -fPIC -O2 -I"$sysroot/usr/include/SDL2" \
    -isystem "$sysroot/usr/include/aarch64-linux-gnu" "$here/host/sdl2/inject.c" -o "$work/inject.so" \
    -ldl || { echo "FAILED: the stand-in does not build"; exit 1; }

emulate() { echo "qemu-aarch64 -L $sysroot -cpu $1"; }
QB_RUN=$(emulate cortex-a53) bash "$here/whole/sdl2_host.sh" "$bin" "$work/inject.so" "$golden" --whole \
    >"$work/whole.log" 2>&1 &
whole=$!
for cpu in cortex-a53 cortex-a35; do
    echo "== $cpu"
    QB_RUN=$(emulate $cpu) bash "$here/whole/golden.sh" "$build/src/quellbrand-record" "$golden" ||
        fail "the record on the $cpu is not the golden record"
    QB_RUN=$(emulate $cpu) bash "$here/whole/sdl2_host.sh" "$bin" "$work/inject.so" "$golden" ||
        fail "the SDL 2 host on the $cpu does not end as it should"
done
echo "== the launch script"
bash "$here/portmaster/launch.sh" "$here/../scripts/portmaster" "$host/src/quellbrand-sdl2" ||
    fail "the launch script"
wait $whole || fail "the whole song on the cortex-a53"
echo "== the whole song on the cortex-a53"
cat "$work/whole.log"
exit $failed
