#!/usr/bin/env bash
# The handheld's static build on qemu's ARMv4T core (ti925t, the ARM920T's architecture):
# - its golden record is the reviewed one;
# - the whole demo plays to its end on SDL's dummy video and disk audio and exits 0, and the disk
#   stream (the audio callback's buffers as they were written) hashes to the record's audio hash;
# - every system call of that run was in Linux 2.6.24's ARM EABI table: its number is at most 352
#   (fallocate, the last entry of that table; numbers are only ever appended) and syscalls(2) gives
#   the kernel that added it as 2.6.24 or earlier;
# - no executable holds an instruction an ARMv4T core lacks.
#   tests/gp2x.sh BUILD GOLDEN
set -u
build=$1
golden=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
core=(qemu-arm -cpu ti925t)
failed=0
fail() { echo "FAILED: $*"; failed=1; }
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

QB_RUN="${core[*]}" bash "$(dirname "$0")/whole/golden.sh" "$build/src/quellbrand-record" "$golden" ||
    fail "the ARMv4T record is not the golden record"

# The whole demo at the pace of a sound card: one 2048-sample buffer every 46 ms. The system call
# trace is reduced to its names as it comes (the frame gate reads the clock millions of times).
start=$(date +%s)
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=46 SDL_DISKAUDIOFILE="$work/out.raw" \
    "${core[@]}" -strace "$build/src/quellbrand" </dev/null 2>&1 >/dev/null |
    grep -aoE '(^|[^0-9])[0-9]+ [a-z_][a-z_0-9]*\(|Unknown syscall [0-9]+' |
    sed -E 's/^[^0-9]?[0-9]+ //; s/\($//' | sort -u >"$work/calls"
status=${PIPESTATUS[0]}
echo "the demo ran $(($(date +%s) - start)) s and exited with $status"
[ "$status" -eq 0 ] || fail "the demo exited with $status"
read -r want_hash want_buffers < <(sed -n 's/^audio \([0-9a-f]*\) \([0-9]*\) buffers$/\1 \2/p' "$golden")
python3 - "$work/out.raw" "$want_hash" "$want_buffers" <<'PY' || failed=1
import sys
data = open(sys.argv[1], 'rb').read()
want, buffers = sys.argv[2], int(sys.argv[3])
size = 2048 * 2
# SDL writes silence while the device is paused, before the demo starts its sound; the callback's
# stream begins with the first buffer that is not silent (the song's first buffer is not)
first = 0
while first * size < len(data) and not any(data[first * size:(first + 1) * size]):
    first += 1
print(f"disk stream: {len(data) // size} buffers, {first} of them silence before the sound starts;"
      f" the record hashes {buffers}")
stream = data[first * size:(first + buffers) * size]
if len(stream) < buffers * size:
    sys.exit("FAILED: the disk stream is shorter than the record's sound")
h = 1469598103934665603
for b in stream:
    h = ((h ^ b) * 1099511628211) & 0xffffffffffffffff
if f"{h:016x}" != want:
    sys.exit(f"FAILED: the disk stream hashes to {h:016x}, the record to {want}")
print("the disk stream hashes to the golden record's sound")
PY

# System calls: qemu's names, numbered by the kernel's ARM EABI header, dated by syscalls(2).
header=/usr/arm-linux-gnueabi/include/asm/unistd-eabi.h
zcat /usr/share/man/man2/syscalls.2.gz |
    sed -nE 's/^\\fB([a-z_0-9]+)\\fP\([0-9]\)\t([0-9.]+).*/\1 \2/p' >"$work/since"
[ -s "$work/calls" ] || fail "no system calls were traced"
while read -r name; do
    number=$(sed -nE "s/^#define __NR_${name} \(__NR_SYSCALL_BASE \+ ([0-9]+)\)$/\1/p" "$header")
    since=$(awk -v n="$name" '$1 == n { print $2 }' "$work/since")
    printf '%-18s %4s  since %s\n' "$name" "${number:-?}" "${since:-?}"
    [ -n "$number" ] && [ "$number" -le 352 ] || fail "$name is not in the 2.6.24 ARM EABI table"
    [ -n "$since" ] && printf '%s\n2.6.24\n' "$since" | sort -VC ||
        fail "$name came after Linux 2.6.24"
done <"$work/calls"
exit $failed
