#!/usr/bin/env bash
# The handheld's static build on qemu's ARMv4T core (ti925t, the ARM920T's architecture), under
# two kernels: plain qemu, which takes both system-call conventions as the Caanoo's Linux 2.6
# does, and qemu with the GP2X F100/F200's Linux 2.4 as a personality (tests/gp2x/qemu-linux24.sh:
# old ABI only, no futex, no kernel helpers, no thread pointer call, no tid clearing).
# - the personality itself answers as Linux 2.4 does (tests/gp2x/linux24_probe.c);
# - no executable holds an instruction an ARMv4T core lacks, and every system call in them is
#   dual-encoded: swi #(0x900000 + n) right after r7 is set to n (ARM-private: 0x9f0000 + k and
#   0x0f0000 + k), none is swi 0, and the calls that differ between the two ABIs are never made;
# - under each kernel, the golden record is the reviewed one;
# - under each kernel, the whole demo plays to its end on SDL's dummy video and disk audio, the
#   disk stream hashes to the record's audio hash, every thread it started has ended before it
#   executes the menu launcher (a stub in qemu's -L prefix at /usr/gp2x/gp2xmenu, which reports
#   that it ran, in /usr/gp2x, in the demo's process), and every system call it made is in
#   Linux 2.4's table, but for the few a newer kernel answers (listed below, each with why).
#   tests/gp2x.sh BUILD GOLDEN QEMU_OUT_DIR
set -u
build=$1
golden=$2
here=$(cd "$(dirname "$0")" && pwd)
table=$(dirname "$here")/toolchain/musl/linux-2.4-arm-syscalls.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAILED: $*"; failed=1; }
qemu=$(bash "$here/gp2x/qemu-linux24.sh" "${3:-build-gp2x/qemu}") || { echo "FAILED: no qemu-arm"; exit 1; }
plain=("$qemu" -cpu ti925t)
linux24=(env QEMU_LINUX24_SYSCALLS="$table" "$qemu" -cpu ti925t)
executables=("$build/src/quellbrand" "$build/src/quellbrand-record" "$build/bench/quellbrand-cost")

# ARMv5 and later mnemonics, as objdump names them (udf, the permanently undefined encoding GCC
# uses for a trap, is undefined on every core)
later='clz|blx|bkpt|bxj|ldc2|stc2|cdp2|mcr2|mrc2|mcrr|mrrc|ldrd|strd|pld|pli|qadd|qsub|qdadd|qdsub'
later+='|smla[bt][bt]|smlaw[bt]|smlal[bt][bt]|smul[bt][bt]|smulw[bt]|ldrex|strex|clrex|rev|sxt|uxt'
later+='|sel|ssat|usat|pkh|sadd|ssub|sasx|ssax|uadd|usub|uasx|usax|uq|shadd|shsub|uhadd|uhsub'
later+='|smuad|smusd|smlad|smlsd|smlald|smlsld|smmla|smmul|smmls|umaal|usad|cps|srs|rfe|setend'
later+='|dmb|dsb|isb|wfi|wfe|sev|yield|movw|movt|bfi|bfc|ubfx|sbfx|rbit|mls|sdiv|udiv|smc|hvc|eret'
later+='|lda|stl|v[a-z]|dbg|ldrht|strht|ldrsht|ldrsbt'
for exe in "${executables[@]}"; do
    [ -x "$exe" ] || { fail "$exe is missing"; continue; }
    arm-linux-gnueabi-readelf -h -l "$exe" >"$work/headers"
    grep -q "Flags:.*Version5 EABI, soft-float ABI" "$work/headers" && ! grep -qE "INTERP|DYNAMIC" "$work/headers" ||
        fail "$exe is not a static soft-float EABI executable"
    arm-linux-gnueabi-objdump -d "$exe" >"$work/disassembly"
    arm-linux-gnueabi-nm "$exe" | grep -q ' \$t' && fail "$exe has Thumb code"
    awk -F'\t' -v later="^($later)" 'NF >= 3 { split($3, w, " ")
        if (w[1] ~ later || $0 ~ /UNDEFINED/ || $2 ~ /^e320f0/) print }' "$work/disassembly" >"$work/later"
    if [ -s "$work/later" ]; then
        fail "$exe holds $(wc -l <"$work/later") instructions an ARMv4T core lacks:"
        head -5 "$work/later"
    else
        echo "$(basename "$exe"): $(grep -c $'^ *[0-9a-f]*:\t' "$work/disassembly") lines disassembled, all ARMv4T"
    fi
done

# The system calls in the executables: each swi's number against the r7 set before it.
for exe in "${executables[@]}"; do
    [ -x "$exe" ] || continue
    arm-linux-gnueabi-objdump -d "$exe" |
        python3 "$here/gp2x/syscall_check.py" "$(basename "$exe")" "$(dirname "$here")/toolchain/musl/abi-differing-calls.txt" ||
        failed=1
done

# The personality: a program with no C library asks what Linux 2.4 answers, and plain qemu fails it.
arm-linux-gnueabi-gcc -march=armv4t -marm -mfloat-abi=soft -nostdlib -ffreestanding -static -O2 \
    -fno-stack-protector "$here/gp2x/linux24_probe.c" -o "$work/probe" || fail "the probe does not build"
"${linux24[@]}" "$work/probe" >"$work/probe.out" 2>&1 || { cat "$work/probe.out"; fail "the Linux 2.4 personality"; }
echo "Linux 2.4 personality: $(grep -c '^ok' "$work/probe.out") of $(grep -cE '^(ok|FAILED)' "$work/probe.out") checks hold"
"${plain[@]}" "$work/probe" >/dev/null 2>&1 && fail "the probe passes without the personality"

# Threads ending while they are joined, 2000 times: under Linux 2.4 the joiner may unmap a thread's
# stack the moment the thread lets the thread list go, just before its exit call. (The toolchain
# is found as cmake/gp2x.cmake finds it.)
cc=${QB_GP2X_TOOLCHAIN:-$(dirname "$here")/build-gp2x/toolchain}/bin/gp2x-gcc
"$cc" -O2 "$here/gp2x/thread_ends.c" -o "$work/thread_ends" || fail "the thread probe does not build"
"${linux24[@]}" "$work/thread_ends" 2000 >"$work/thread_ends.out" 2>&1 &&
    echo "Linux 2.4: $(cat "$work/thread_ends.out") threads started, ended and joined" ||
    fail "threads ending under Linux 2.4: $(tail -1 "$work/thread_ends.out")"

for kernel in plain linux24; do
    declare -n run=$kernel
    QB_RUN="${run[*]}" bash "$here/whole/golden.sh" "$build/src/quellbrand-record" "$golden" ||
        fail "the ARMv4T record under $kernel qemu is not the golden record"
    unset -n run
done

# The whole demo at the pace of a sound card (one 2048-sample buffer every 46 ms), under each kernel
# at once. The trace is reduced as it comes (the frame gate reads the clock millions of times): to
# the names of the calls, and to the lines that start and end threads and the program.
prefix=$work/prefix
mkdir -p "$prefix/usr/gp2x"
cat >"$prefix/usr/gp2x/gp2xmenu" <<'STUB'
#!/bin/sh
echo "pid $$ cwd $(pwd)" >"$QB_LAUNCHER_REPORT"
STUB
chmod +x "$prefix/usr/gp2x/gp2xmenu"
play() {
    local kernel=$1
    declare -n run=$kernel
    local out=$work/$kernel
    mkdir -p "$out"
    local start=$(date +%s)
    QB_LAUNCHER_REPORT="$out/launcher" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk \
        SDL_DISKAUDIODELAY=46 SDL_DISKAUDIOFILE="$out/out.raw" \
        "${run[@]:0:${#run[@]}-2}" -L "$prefix" "${run[@]: -2}" -strace "$build/src/quellbrand" </dev/null 2>&1 >/dev/null |
        grep -aoE '(^|[^0-9])[0-9]+ [a-z_][a-z_0-9]*\(|Unknown syscall [0-9]+' | sed -E 's/^[^0-9U]//' |
        awk -v calls="$out/calls.seen" -v life="$out/events" '!seen[$0]++ { print > calls }
            /^[0-9]+ (clone|exit|execve)\($/ { print > life }'
    echo "${PIPESTATUS[0]} $(($(date +%s) - start))" >"$out/status"
}
play plain &
play linux24 &
wait

read -r want_hash want_buffers < <(sed -n 's/^audio \([0-9a-f]*\) \([0-9]*\) buffers$/\1 \2/p' "$golden")
for kernel in plain linux24; do
    out=$work/$kernel
    read -r status took <"$out/status"
    echo "== $kernel qemu: the demo ran $took s and exited with $status"
    [ "$status" -eq 0 ] || fail "the demo exited with $status under $kernel qemu"
    python3 "$here/gp2x/stream_hash.py" "$out/out.raw" "$want_hash" "$want_buffers" ||
        fail "the sound under $kernel qemu"
    # the launcher ran in the demo's own process, in its folder; every thread had ended before
    if grep -q "^pid [0-9]* cwd $prefix/usr/gp2x$" "$out/launcher" 2>/dev/null; then
        echo "the launcher ran: $(cat "$out/launcher")"
    else
        fail "the launcher did not run under $kernel qemu"
    fi
    python3 "$here/gp2x/threads_ended.py" "$out/events" || fail "threads under $kernel qemu"
    sed -E 's/^[0-9]+ //; s/\($//' "$out/calls.seen" | sort -u >"$out/calls"
    [ -s "$out/calls" ] || fail "no system calls were traced under $kernel qemu"
    # What a newer kernel answers, and Linux 2.4 never sees (the legacy mode makes none of them):
    #   linux24_lacks_983045  set_tls (0xf0000 + 5), asked once at start; without it, the legacy mode
    #   set_tid_address       the main thread's id at start (2.4: gettid)
    #   futex                 every lock and wait (2.4: a yield)
    #   clock_gettime         SDL's and the frame gate's clock (2.4: gettimeofday, never going back)
    #   exit_group            the process's end (2.4: the other threads ended, then exit)
    case $kernel in
    plain) allowed="set_tid_address futex clock_gettime exit_group" ;;
    linux24) allowed="linux24_lacks_983045" ;;
    esac
    while read -r name; do
        number=$(awk -v n="$name" '$1 !~ /^#/ && $2 == n { print $1 }' "$table")
        if [ -n "$number" ]; then
            printf '%-22s %4s  in Linux 2.4\n' "$name" "$number"
        elif [[ " $allowed " == *" $name "* ]]; then
            printf '%-22s       a newer kernel answers it\n' "$name"
        else
            fail "$name under $kernel qemu is not in Linux 2.4's table"
        fi
    done <"$out/calls"
done
# The buttons, through FIFOs standing in for the devices: START on the GP2X's /dev/GPIO under
# Linux 2.4, Home on the Caanoo's input device under plain qemu; each ends the demo at once, and
# it leaves for the launcher with status 0.
press() {
    local kernel=$1 variable=$2 bytes=$3 what=$4
    declare -n run=$kernel
    local out=$work/press-$kernel
    mkdir -p "$out"
    mkfifo "$out/device"
    (printf "$bytes" >"$out/device") &
    env "$variable=$out/device" QB_LAUNCHER_REPORT="$out/launcher" SDL_VIDEODRIVER=dummy \
        SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=46 SDL_DISKAUDIOFILE="$out/out.raw" \
        "${run[@]:0:${#run[@]}-2}" -L "$prefix" "${run[@]: -2}" "$build/src/quellbrand" </dev/null >/dev/null 2>&1
    local status=$?
    wait
    local buffers=$(($(stat -c %s "$out/out.raw") / 4096))
    if [ $status -eq 0 ] && [ -s "$out/launcher" ] && [ $buffers -lt 100 ]; then
        echo "$what ends the demo after $buffers sound buffers, through the launcher"
    else
        fail "$what under $kernel qemu: status $status, $buffers sound buffers, launcher: $(cat "$out/launcher" 2>/dev/null)"
    fi
}
press linux24 QUELLBRAND_GPIO '\x00\x01\x00\x00' "START on /dev/GPIO"
# an input event on a 32-bit kernel: time (two words), type 1 (a key), code 0x126 (Home), value 1
press plain QUELLBRAND_EVENTS '\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x26\x01\x01\x00\x00\x00' \
    "Home on the Caanoo's input device"
exit $failed
