#!/usr/bin/env bash
# The aarch64 binary of the SDL 2 host on a real ARM64 kernel, as on today's handhelds: Debian's
# arm64 Linux under qemu-system-aarch64's virt board (Cortex-A53) with a virtio GPU at a handheld's
# panel size, SDL 2 on KMS/DRM drawing through Mesa's software OpenGL ES, sound through ALSA on the
# loopback card, whose other end a recorder in the guest writes to a disk the host reads, and a
# gamepad made in the guest with uinput. Two boots, START pressed on the pad some seconds after
# the first frame: 640x480 and 720x720 (the picture twice its size, centred on black).
# Each must end with status 0 on START; the recorded sound must be the offline capture's stream
# sample for sample, no underrun allowed (sound_check.py; the GP2X stage's witness of pauses is
# not used here: in this guest of two processors a real-time task made the stream underrun as the
# demo closed, 5 boots in 25); screen dumps every few seconds must each
# be a frame the capture replays from the guest's trace, scaled as the host scales it and widened
# from 5-6-5 as SDL 2 widens it (screen_check.py). The picture's pace in the guest and its offset
# from the sound heard are reported, not checked: Mesa's software OpenGL ES on an emulated core is
# far slower than a handheld's GPU.
# Run it alone: the emulator needs both cores, and a late emulator underruns the sound device.
#   tests/portmaster_kernel.sh A64_BUILD HOST_BUILD [CACHE]
set -u
build=$(realpath "$1")
host=$(realpath "$2")
cache=$(realpath -m "${3:-build-a64/vm}")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/gp2x/work_dir.sh"
choose_work_dir

# Debian's current arm64 kernel (its ABI number changes with updates: resolved, never named) and
# the guest's root: busybox, SDL 2 with its closure, ALSA's configuration and Mesa, once
if [ ! -f "$cache/.ready" ]; then
    dpkg --print-foreign-architectures | grep -qx arm64 || { dpkg --add-architecture arm64 && apt-get update -qq; }
    kernel_package=$(apt-cache depends linux-image-arm64:arm64 | awk '/Depends: linux-image-[0-9]/ { sub(/:.*/, "", $2); print $2; exit }')
    [ -n "$kernel_package" ] || { echo "FAILED: no arm64 kernel in the archive"; exit 1; }
    roots="libsdl2-2.0-0 libasound2-data libegl1 libegl-mesa0 libgles2 libgbm1 libgl1-mesa-dri busybox-static"
    # of two providers of one library, one; what only a full system uses, nothing (the closure names
    # architecture-independent packages without the architecture)
    packages=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
                   --no-replaces --no-enhances $(for p in $roots; do echo "$p:arm64"; done) 2>/dev/null |
               grep -v '^[ <]' | sort -u |
               grep -vE '^(libelogind0|sysvinit-utils|lsb-base|x11-common|xkb-data)(:arm64)?$')
    rm -rf "$cache" && mkdir -p "$cache/deb"
    (cd "$cache/deb" && apt-get download -qq "$kernel_package:arm64" $packages 2>&1 | grep -v unsandboxed)
    ls "$cache"/deb/linux-image-*.deb >/dev/null 2>&1 || { echo "FAILED: the kernel does not download"; exit 1; }
    for deb in "$cache"/deb/*.deb; do
        case $deb in
        */linux-image-*) dpkg-deb -x "$deb" "$cache/kernel" ;;
        *) dpkg-deb -x "$deb" "$cache/root" ;;
        esac || { echo "FAILED: $deb does not unpack"; exit 1; }
    done
    rm -rf "$cache/deb" "$cache"/root/usr/share/{doc,man,locale,lintian,bug} "$cache"/root/usr/lib/aarch64-linux-gnu/gconv
    touch "$cache/.ready"
fi
version=$(ls "$cache/kernel/lib/modules")
kernel=$cache/kernel
echo "kernel $version; the guest's root $(du -sm "$cache/root" | cut -f1) MiB"

# The initramfs: the root, the modules, the guest's own programs (the recorder, the pad), the demo.
# The kernel hands init the command line's unknown name=value words: boot_press (START so many
# seconds after the first frame).
root=$work/root
cp -a "$cache/root" "$root"
mkdir -p "$root"/{proc,sys,dev,tmp,modules}
for applet in sh mount cat echo sleep insmod poweroff dd sync kill tr head; do
    ln -sf busybox "$root/bin/$applet"
done
python3 "$here/portmaster/module_order.py" "$kernel/lib/modules/$version" virtio_pci virtio_blk virtio-gpu \
    snd-aloop snd-pcm-oss uinput evdev >"$work/modules" || { echo "FAILED: the kernel's modules"; exit 1; }
while read -r module; do
    cp "$module" "$root/modules/" && basename "$module" >>"$root/modules/order"
done <"$work/modules"
aarch64-linux-gnu-gcc -static -O2 -Wall "$here/gp2x/dsp_record.c" -o "$root/bin/dsp_record" &&
    aarch64-linux-gnu-gcc -static -O2 -Wall "$here/portmaster/gamepad.c" -o "$root/bin/gamepad" ||
    { echo "FAILED: the guest's programs do not build"; exit 1; }
cp "$build/src/quellbrand-sdl2" "$root/bin/quellbrand64"
cat >"$root/init" <<'INIT'
#!/bin/sh
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for m in $(cat /modules/order); do insmod /modules/$m || echo "MODULE_FAILED $m"; done
for d in /dev/dri/card0 /dev/snd/pcmC0D0p /dev/adsp /dev/vda /dev/uinput; do
    i=0
    while [ ! -e $d ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
done
echo "DEVICES_READY uptime=$(cat /proc/uptime)"
echo "SCREEN $(head -n 1 /sys/class/drm/card0-Virtual-1/modes)"
dsp_record /dev/adsp /dev/vda 44100 1 40000000 0 /tmp/times &
recorder=$!
gamepad &
pad=$!
sleep 0.5
# as PortMaster's launch script gives it: the pad's mapping; SDL's KMS/DRM video through Mesa's
# software renderer, ALSA's first card
export HOME=/tmp SDL_VIDEODRIVER=kmsdrm SDL_AUDIODRIVER=alsa AUDIODEV=hw:0,0
export MESA_LOADER_DRIVER_OVERRIDE=kms_swrast GBM_ALWAYS_SOFTWARE=1
export SDL_GAMECONTROLLERCONFIG="03000000091200000100000011010000,Quellbrand test pad,a:b0,b:b1,y:b2,x:b3,leftshoulder:b4,rightshoulder:b5,back:b6,start:b7,dpup:b8,dpdown:b9,dpleft:b10,dpright:b11,leftx:a0,lefty:a1,platform:Linux,"
QUELLBRAND_TRACE=/tmp/trace /bin/quellbrand64 </dev/null &
program=$!
# the screen is the demo's once its trace has a frame
while [ ! -s /tmp/trace ] && kill -0 $program 2>/dev/null; do sleep 0.1; done
echo DUMPS_START
# no dump once START is on its way: the demo's end gives the screen back to the console
(sleep $boot_press; echo DUMPS_STOP; sleep 0.1; kill -USR1 $pad) &
wait $program
echo "PROGRAM_EXIT=$?"
echo DUMPS_STOP
kill $recorder $pad 2>/dev/null
wait $recorder
dd if=/tmp/trace of=/dev/vda bs=1M seek=48 2>/dev/null
dd if=/tmp/times of=/dev/vda bs=1M seek=56 2>/dev/null
sync
poweroff -f
INIT
chmod +x "$root/init"
# uncompressed: the emulated core would take long to inflate it
(cd "$root" && find . | sort | cpio -o -H newc --quiet -R 0:0) >"$work/initrd"
rm -rf "$root"
echo "initramfs: $(($(stat -c %s "$work/initrd") >> 20)) MiB"

# what the guest must play and show, made offline
"$host/tools/quellbrand-capture" --wav "$work/reference.wav" 2>/dev/null ||
    { echo "FAILED: the offline capture"; exit 1; }

# boot NAME WIDTH HEIGHT PRESS LIMIT: the run's files in $work/NAME
boot() {
    local name=$1 width=$2 height=$3 press=$4 limit=$5
    local out=$work/$name
    mkdir -p "$out"
    # the sound from 0, the trace from 48 MiB, the recorder's times from 56 MiB
    truncate -s 64M "$out/disk.img"
    local start=$(date +%s)
    python3 "$here/gp2x/vm.py" "$out" "$limit" 4 -- qemu-system-aarch64 -M virt -cpu cortex-a53 -smp 2 \
        -m 1536 -nic none -kernel "$kernel/boot/vmlinuz-$version" -initrd "$work/initrd" \
        -device virtio-gpu-pci,xres=$width,yres=$height \
        -drive if=none,file="$out/disk.img",format=raw,id=disk -device virtio-blk-pci,drive=disk \
        -append "console=ttyAMA0 rdinit=/init quiet panic=-1 boot_press=$press"
    local log=$out/console.log
    echo "== $name: $(($(date +%s) - start)) s from boot to power-off"
    grep -E "DEVICES_READY|SCREEN|RECORD|PAD_READY|PRESSED|PROGRAM_EXIT|MODULE_FAILED|TIMEOUT|quellbrand" "$log"
    grep -q "SCREEN ${width}x$height" "$log" || fail "$name: the screen is not ${width}x$height"
    grep -q "PRESSED START" "$log" && grep -q "PROGRAM_EXIT=0" "$log" ||
        fail "$name: START on the pad did not end the demo with status 0"
    python3 "$here/gp2x/disk_split.py" "$out" || fail "$name: the disk"
    rm -f "$out/disk.img"
    local frames=$(wc -l <"$out/trace")
    local first=$(head -1 "$out/trace" | cut -d' ' -f1) last=$(tail -1 "$out/trace" | cut -d' ' -f1)
    echo "the guest's trace: $frames frames, song clock $(head -1 "$out/trace" | cut -d' ' -f2) to" \
        "$(tail -1 "$out/trace" | cut -d' ' -f2), $(awk -v n="$frames" -v a="$first" -v b="$last" \
        'BEGIN { if (b > a) printf "%.1f", (n - 1) * 1e9 / (b - a); else print "?" }') frames a second"
    python3 "$here/gp2x/sound_check.py" "$out/sound.raw" "$work/reference.wav" --log "$log" --early ||
        fail "$name: the sound"
    "$host/tools/quellbrand-capture" --replay "$out/trace" --frames "$out/frames" --depth 16 2>/dev/null ||
        { fail "$name: the guest's trace does not replay"; return; }
    python3 "$here/gp2x/screen_check.py" "$out" "$out/frames" 16 --scaled --sdl || fail "$name: the screen"
    # picture against sound heard, reported: at a software renderer's pace a frame shows late
    "$host/bench/av-sync-offsets" desktop "$out/sound.raw" "$out/times" "$out/trace" 1 2>/dev/null |
        grep "^whole run" || echo "picture against sound heard: not measured"
}
wanted panel-640 && boot panel-640 640 480 40 240
wanted square-720 && boot square-720 720 720 15 180
echo "the stage took $(($(date +%s) - began)) s"
exit $failed
