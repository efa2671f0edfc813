#!/usr/bin/env bash
# The handheld executable on a real ARM kernel: Debian's armmp Linux under qemu-system-arm's
# Versatile Express (Cortex-A15) with a 320x240 panel, an initramfs of busybox, the demo as
# /bin/program, a stand-in menu at /usr/gp2x/gp2xmenu, and sound through the kernel's OSS emulation
# on the loopback card, whose other end a recorder in the guest writes to a disk the host reads.
# Five boots:
# - the framebuffer at 16 bits, the loopback card in one channel: the whole demo;
# - the same, with the sound card's driver unbound under the demo and bound again: the demo goes
#   on in step without sound, then with it (stream_resumes.py), START ends it;
# - the framebuffer at 32 bits, and the sound device answering stereo to a request for one channel
#   (as the Caanoo's does): START through a FIFO standing in for /dev/GPIO ends the demo early;
#   qemu is stopped twice for 0.4 s on the way, so that the sound device underruns;
# - the sound device's ring set up as the GP2X's driver makes it (2 x 1024 frames), 60 s;
# - the screen a fixed 24-bit framebuffer like the Caanoo's (the kernel's simple framebuffer
#   driver, read from the guest's memory), the sound device in two channels, 60 s.
# The demo follows the song as heard (the handheld's default). In the boots without a stall or a
# lost card, a recorder's times say when each sample was heard; with the demo's trace they give
# the offset of every row (bench/av_sync.cpp), which must average within 10 ms, every major cut
# within 45 ms. The loopback moves in the kernel's timer ticks (4 ms), which bounds the precision.
# QB_VM_SYNC=mixed runs the boots with the mixed clock instead, for comparison (not checked).
# Each must execute the menu in the demo's own process, in /usr/gp2x, with /dev/dsp free and no
# thread or process of the demo left; the recorded sound must be the offline capture's stream
# sample for sample (sound_check.py: an underrun is listed with what it inserted and lost, and
# allowed only near a stall vm.py made and logged, or a pause the guest saw itself not run
# (pause_watch: the host may deschedule qemu, or be taken by its hypervisor), so a boot on a quiet
# host allows none; on the GP2X's 46 ms ring one that loses nothing is allowed anywhere, as the
# host may pause qemu that long below what the guest can tell apart); screen dumps
# every few seconds must each be a frame the capture replays from the guest's trace
# (screen_check.py).
# Run it alone: the emulator needs a whole core, and a late emulator underruns the sound device.
#   tests/gp2x_kernel.sh GP2X_BUILD HOST_BUILD [CACHE]
set -u
gp2x=$(realpath "$1")
host=$(realpath "$2")
cache=$(realpath -m "${3:-build-gp2x/vm}")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/gp2x/work_dir.sh"
choose_work_dir

# Debian's current armmp kernel (its ABI number changes with updates: resolved, never named) and
# armel's static busybox, once
if [ ! -f "$cache/.ready" ]; then
    for arch in armhf armel; do
        dpkg --print-foreign-architectures | grep -qx $arch || dpkg --add-architecture $arch
    done
    apt-get update -qq
    kernel_package=$(apt-cache depends linux-image-armmp:armhf | awk '/Depends: linux-image-[0-9]/ { sub(/:.*/, "", $2); print $2; exit }')
    [ -n "$kernel_package" ] || { echo "FAILED: no armmp kernel in the archive"; exit 1; }
    rm -rf "$cache" && mkdir -p "$cache/deb"
    (cd "$cache/deb" && apt-get download -qq "$kernel_package:armhf" busybox-static:armel) ||
        { echo "FAILED: the kernel and busybox do not download"; exit 1; }
    dpkg-deb -x "$cache"/deb/linux-image-*.deb "$cache/kernel"
    dpkg-deb -x "$cache"/deb/busybox-static_*.deb "$cache/busybox"
    rm -rf "$cache/deb"
    touch "$cache/.ready"
fi
version=$(ls "$cache/kernel/lib/modules")
kernel=$cache/kernel
echo "kernel $version, $(strings "$cache/busybox/bin/busybox" | grep -m1 -o 'BusyBox v[0-9.]*')"

# the guest's own programs: the recorder, the witness of pauses and the stand-in menu
for program in dsp_record pause_watch menu_stub; do
    arm-linux-gnueabi-gcc -static -O2 -Wall "$here/gp2x/$program.c" -o "$work/$program" ||
        { echo "FAILED: $program does not build"; exit 1; }
done

# The initramfs. The kernel hands init the command line's unknown name=value words: boot_press
# (START so many seconds after the first frame), boot_stereo (the loopback card fixed at two
# channels first), boot_lose and boot_back (the card's driver unbound and bound again so many
# seconds after the first frame), boot_ring (two OSS fragments of so many frames for the demo's
# stream), boot_sync (QUELLBRAND_SYNC for the demo).
root=$work/root
mkdir -p "$root"/{bin,proc,sys,dev,tmp,modules,usr/gp2x}
cp "$cache/busybox/bin/busybox" "$root/bin/"
for applet in sh mount cat echo sleep insmod poweroff dd sync kill mkfifo printf tr; do
    ln -s busybox "$root/bin/$applet"
done
for module in soundcore snd snd-timer snd-pcm snd-aloop snd-mixer-oss snd-pcm-oss virtio_mmio virtio_blk; do
    file=$(find "$kernel/lib/modules/$version/kernel" \( -name "$module.ko" -o -name "${module//-/_}.ko" \) | head -n 1)
    [ -n "$file" ] || { echo "FAILED: no module $module in $version"; exit 1; }
    cp "$file" "$root/modules/"
    basename "$file" >>"$root/modules/order"
done
cp "$gp2x/src/quellbrand" "$root/bin/program"
cp "$work/dsp_record" "$work/pause_watch" "$root/bin/"
cp "$work/menu_stub" "$root/usr/gp2x/gp2xmenu"
cat >"$root/init" <<'INIT'
#!/bin/sh
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for m in $(cat /modules/order); do insmod /modules/$m || echo "MODULE_FAILED $m"; done
pause_watch &
for d in /dev/fb0 /dev/dsp /dev/adsp /dev/vda; do
    i=0
    while [ ! -e $d ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
done
echo "DEVICES_READY uptime=$(cat /proc/uptime)"
echo "SCREEN bits=$(cat /sys/class/graphics/fb0/bits_per_pixel) size=$(cat /sys/class/graphics/fb0/virtual_size)"
channels=1
if [ -n "$boot_stereo" ]; then
    # the first end opened fixes the loopback's format; OSS then answers what the card has
    channels=2
    echo "program 0 0 direct" >/proc/asound/card0/pcm0p/oss
fi
if [ -n "$boot_ring" ]; then
    # in bytes of the demo's stream: two channels with the heard clock, one with the mixed
    bytes=$((boot_ring * 4))
    [ "$boot_sync" = mixed ] && bytes=$((boot_ring * 2))
    echo "program 2 $bytes" >/proc/asound/card0/pcm0p/oss
fi
dsp_record /dev/adsp /dev/vda 44100 $channels 40000000 0 /tmp/times &
recorder=$!
sleep 0.3
[ -n "$boot_press" ] && mkfifo /tmp/gpio && export QUELLBRAND_GPIO=/tmp/gpio
[ -n "$boot_sync" ] && export QUELLBRAND_SYNC=$boot_sync
QUELLBRAND_TRACE=/tmp/trace /bin/program </dev/null &
program=$!
echo "PROGRAM_PID=$program"
# the screen is the demo's once its trace has a frame
while [ ! -s /tmp/trace ] && kill -0 $program 2>/dev/null; do sleep 0.1; done
echo DUMPS_START
(sleep 5; echo "DEVICE_RING $(tr '\n' ' ' </proc/asound/card0/pcm0p/sub0/hw_params)") &
[ -n "$boot_press" ] && (sleep $boot_press; printf '\000\001\000\000' >/tmp/gpio; echo "PRESSED START") &
if [ -n "$boot_lose" ]; then
    # the sound card taken away under the demo (its driver unbound: writes to /dev/dsp fail), and
    # given back; a second recorder hears what the demo plays then (on the disk from 24 MiB)
    (sleep $boot_lose; echo snd_aloop.0 >/sys/bus/platform/drivers/snd_aloop/unbind; echo "CARD_GONE"
     sleep $((boot_back - boot_lose)); echo snd_aloop.0 >/sys/bus/platform/drivers/snd_aloop/bind
     i=0; while [ ! -e /dev/adsp ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
     echo "CARD_BACK"; exec dsp_record /dev/adsp /dev/vda 44100 1 40000000 24) &
    second=$!
fi
wait $program
echo "PROGRAM_EXIT=$?"
echo DUMPS_STOP
kill $recorder $second 2>/dev/null
wait $recorder
[ -n "$second" ] && wait $second
dd if=/tmp/trace of=/dev/vda bs=1M seek=48 2>/dev/null
dd if=/tmp/times of=/dev/vda bs=1M seek=56 2>/dev/null
sync
poweroff -f
INIT
chmod +x "$root/init"
(cd "$root" && find . | sort | cpio -o -H newc --quiet -R 0:0 | gzip -1) >"$work/initrd.gz"
echo "initramfs: $(($(stat -c %s "$work/initrd.gz") / 1024)) KiB"

# what the guest must play and show, made offline
"$host/tools/quellbrand-capture" --wav "$work/reference.wav" 2>/dev/null ||
    { echo "FAILED: the offline capture"; exit 1; }
python3 "$here/gp2x/sound_check.py" --self-test "$work/reference.wav" || fail "the sound check's own test"

# boot NAME BITS LIMIT DUMP_EVERY CHANNELS [KERNEL WORDS [VM.PY OPTIONS]]: the run's files in
# $work/NAME. At 24 bits the screen is the simple framebuffer in the board's video memory.
video_memory=0x18000000
boot() {
    local name=$1 bits=$2 limit=$3 every=$4 channels=$5 words=${6:-} stalls=(${7:-})
    local out=$work/$name
    mkdir -p "$out"
    local board=$kernel/usr/lib/linux-image-$version/vexpress-v2p-ca15-tc1.dtb
    if [ "$bits" = 24 ]; then
        bash "$here/gp2x/simplefb_dtb.sh" "$board" "$out/board.dtb" $video_memory &&
            stalls+=(--memory-screen $video_memory)
    else
        bash "$here/gp2x/panel_dtb.sh" "$board" "$out/board.dtb" clcd@1f0000 "$bits"
    fi || { fail "$name: the device tree"; return; }
    [ -n "${QB_VM_SYNC:-}" ] && words="$words boot_sync=$QB_VM_SYNC"
    # the sound from 0, the sound after a card came back from 24 MiB, the trace from 48 MiB, the
    # recorder's times from 56 MiB
    truncate -s 64M "$out/disk.img"
    local start=$(date +%s)
    python3 "$here/gp2x/vm.py" "$out" "$limit" "$every" "${stalls[@]}" -- qemu-system-arm -M vexpress-a15 -m 256 \
        -nic none -audiodev none,id=silent -kernel "$kernel/boot/vmlinuz-$version" -dtb "$out/board.dtb" \
        -initrd "$work/initrd.gz" -drive if=none,file="$out/disk.img",format=raw,id=disk \
        -device virtio-blk-device,drive=disk -append "console=ttyAMA0 rdinit=/init quiet panic=-1 $words"
    local log=$out/console.log
    echo "== $name: $(($(date +%s) - start)) s from boot to power-off"
    grep -E "DEVICES_READY|SCREEN|RECORD|DEVICE_RING|PRESSED|CARD_|PROGRAM_EXIT|LAUNCHER_EXEC|MODULE_FAILED|TIMEOUT|STALL|PAUSE|quellbrand" "$log"
    grep -q "SCREEN bits=$bits size=320,240" "$log" || fail "$name: the framebuffer is not 320x240 at $bits bits"
    # the menu: an exec in the demo's process, in its folder, the sound device free, nothing left
    local pid=$(sed -n 's/.*PROGRAM_PID=\([0-9]*\).*/\1/p' "$log")
    grep -q "LAUNCHER_EXEC pid=$pid cwd=/usr/gp2x dsp=free threads=1 demos=0" "$log" &&
        grep -q "PROGRAM_EXIT=0" "$log" || fail "$name: the menu did not start as it should"
    python3 "$here/gp2x/disk_split.py" "$out" || fail "$name: the disk"
    rm -f "$out/disk.img"
    local frames=$(wc -l <"$out/trace")
    echo "the guest's trace: $frames frames, song clock $(head -1 "$out/trace" | cut -d' ' -f2) to $(tail -1 "$out/trace" | cut -d' ' -f2)"
    local early=()
    [ -n "$(echo "$words" | grep -o boot_press)" ] && early=(--early)
    # the GP2X's ring is shorter than a pause the host may give the emulator unseen
    [ -n "$(echo "$words" | grep -o boot_ring)" ] && early+=(--short-ring)
    python3 "$here/gp2x/sound_check.py" "$out/sound.raw" "$work/reference.wav" --channels "$channels" \
        --log "$log" "${early[@]}" || fail "$name: the sound"
    if [ -n "$(echo "$words" | grep -o boot_lose)" ]; then
        # the card taken away: the demo says so, goes on in step, and plays on once it is back
        grep -q "quellbrand: the sound device stopped" "$log" && grep -q "quellbrand: the sound device is back" "$log" ||
            fail "$name: the demo did not say that the sound went and came back"
        python3 "$here/whole/stream_resumes.py" "$out/trace" "$out/sound2.raw" "$work/reference.wav" --early ||
            fail "$name: the picture or the sound around the card's absence"
    fi
    if [ -n "$(echo "$words" | grep -o boot_measure)" ]; then
        # picture against sound heard: every row's offset, the major cuts', every frame's row
        "$host/bench/av-sync-offsets" desktop "$out/sound.raw" "$out/times" "$out/trace" "$channels" \
            >"$out/offsets" || fail "$name: the offsets could not be measured"
        cat "$out/offsets"
        [ -n "${QB_VM_SYNC:-}" ] || awk '
            /^offset_ms/ { for (i = 2; i <= NF; i++) { n++; if ($i + 0 > 45 || $i + 0 < -45) bad = bad " cut " i - 1 ": " $i } }
            /^whole run/ { mean = $6 + 0; rows = 1 }
            END { if (!rows || !n) { print "no rows or cuts measured"; exit 1 }
                  if (mean > 10 || mean < -10) bad = bad " mean " mean " ms"
                  if (bad != "") { print "out of bounds:" bad; exit 1 } }' "$out/offsets" ||
            fail "$name: picture and sound heard are apart"
    fi
    "$host/tools/quellbrand-capture" --replay "$out/trace" --frames "$out/frames" --depth "$bits" 2>/dev/null ||
        { fail "$name: the guest's trace does not replay"; return; }
    python3 "$here/gp2x/screen_check.py" "$out" "$out/frames" "$bits" || fail "$name: the screen"
}
wanted whole-16 && boot whole-16 16 420 5 1 boot_measure=1
# the sound card's driver unbound 6 s after the first frame (the demo's writes to /dev/dsp fail)
# and bound again 4 s later; START ends it 20 s in
wanted lost-16 && boot lost-16 16 120 5 1 "boot_lose=6 boot_back=10 boot_press=20"
# qemu stopped twice for 0.4 s, as a busy host would: the sound device underruns for real
if wanted press-32; then
    boot press-32 32 120 3 2 "boot_press=12 boot_stereo=1" "--stalls 4,8 --stall-ms 400"
    # the guest's witness saw both stalls, each within a second and as long as it was, less the
    # witness's 4 ms sleep and the guest's 4 ms timer tick
    awk '{ t = $0; sub(/^\[ */, "", t); t += 0 }
         /STALL from/ { n++; for (k = 1; k < NF; k++) if ($k == "from") from[n] = $(k + 1); ms[n] = $(NF - 3) }
         / PAUSED for/ { m++; at[m] = t; for (k = 1; k < NF; k++) if ($k == "for") late[m] = $(k + 1) }
         END { for (i = 1; i <= n; i++) { ok = 0
                   for (j = 1; j <= m; j++) ok += at[j] >= from[i] && at[j] <= from[i] + 1 && late[j] >= ms[i] - 8
                   if (!ok) { print "stall " i " not seen"; bad = 1 } }
               exit bad || n != 2 }' "$work/press-32/console.log" ||
        fail "press-32: the guest did not see the stalls as pauses"
    # the press ends the demo long before its end
    frames=$(wc -l <"$work/press-32/trace" 2>/dev/null || echo 0)
    [ "$frames" -gt 0 ] && [ "$frames" -lt 1000 ] || fail "START did not end the demo early ($frames frames)"
fi
# the GP2X's ring: 2 fragments of 1024 frames
wanted ring-16 && boot ring-16 16 120 5 1 "boot_ring=1024 boot_press=62 boot_measure=1"
# the Caanoo's screen and sound
wanted stereo-24 && boot stereo-24 24 120 5 2 "boot_stereo=1 boot_press=62 boot_measure=1"
echo "the stage took $(($(date +%s) - began)) s"
exit $failed
