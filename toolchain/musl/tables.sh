#!/usr/bin/env bash
# Fills the call lists into the patched musl's call table, src/internal/arm/dual_svc.s, from the
# one file each list lives in: @ABI_DIFFERING_CALLS@ (never made) and @LINUX24_MISSING_CALLS@
# (below 240, answered ENOSYS in the legacy mode), each as an assembler condition on n.
#   toolchain/musl/tables.sh MUSL_SOURCE_DIR
set -eu
here=$(dirname "$0")
target=$1/src/internal/arm/dual_svc.s
# the numbers of a list file (first field of each line that is not a comment)
numbers() { awk '!/^#/ && NF { print $1 }' "$1"; }
# a sorted list of numbers as "n == a || (n >= b && n <= c) || ..."
condition() {
    sort -n -u | awk '
        function flush() { if (first == "") return
            term = first == last ? "n == " first : "(n >= " first " && n <= " last ")"
            out = out == "" ? term : out " || " term }
        { if (first != "" && $1 == last + 1) { last = $1; next } flush(); first = last = $1 }
        END { flush(); print out }'
}
differing=$(numbers "$here/abi-differing-calls.txt" | condition)
# the calls below 240 that Linux 2.4's table does not have
missing=$(numbers "$here/linux-2.4-arm-syscalls.txt" |
    awk '{ have[$1] = 1 } END { for (n = 0; n < 240; n++) if (!(n in have)) print n }' | condition)
[ -n "$differing" ] && [ -n "$missing" ] || { echo "tables.sh: an empty call list"; exit 1; }
grep -q '@ABI_DIFFERING_CALLS@' "$target" && grep -q '@LINUX24_MISSING_CALLS@' "$target" ||
    { echo "tables.sh: $target has no call lists to fill (is the series applied?)"; exit 1; }
# (& means the match to sed)
sed -i -e "s/@ABI_DIFFERING_CALLS@/${differing//&/\\&}/" -e "s/@LINUX24_MISSING_CALLS@/${missing//&/\\&}/" "$target"
