#!/usr/bin/env bash
# What the aarch64 binary asks of the device: nothing of glibc newer than 2.17, nothing of the C++
# library's (it is inside), no library but SDL 2, libm, libc and libgcc_s, and no SDL function
# newer than SDL 2.0.10 (by the "\since" of each function in SDL's own headers).
#   imports.sh BINARY SDL2_HEADERS_DIR
set -u
bin=$1 headers=$2
failed=0
fail() { echo "FAILED: $*"; failed=1; }
dynamic=$(aarch64-linux-gnu-objdump -T "$bin") || { echo "FAILED: objdump"; exit 1; }
newest=$(echo "$dynamic" | grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -1)
echo "newest glibc symbol version: $newest"
[ "$(printf '%s\n2.17\n' "$newest" | sort -V | tail -1)" = 2.17 ] || fail "it needs glibc $newest"
echo "$dynamic" | grep -E 'GLIBC_2\.(1[89]|[2-9][0-9])' | sed 's/^/  newer: /'
cxx=$(echo "$dynamic" | grep -cE 'GLIBCXX_|CXXABI_')
[ "$cxx" -eq 0 ] || fail "$cxx imports from the C++ library"
needed=$(aarch64-linux-gnu-readelf -d "$bin" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort | tr '\n' ' ')
echo "needed: $needed"
for library in $needed; do
    case $library in
    libSDL2-2.0.so.0 | libm.so.6 | libc.so.6 | libgcc_s.so.1) ;;
    *) fail "it needs $library" ;;
    esac
done
# every SDL function's version, from the comment before its declaration
versions=$(awk '
    /\\since/ && match($0, /SDL [0-9]+\.[0-9]+\.[0-9]+/) { since = substr($0, RSTART + 4, RLENGTH - 4) }
    match($0, /SDLCALL +SDL_[A-Za-z0-9_]+ *\(/) {
        name = substr($0, RSTART, RLENGTH); sub(/SDLCALL +/, "", name); sub(/ *\($/, "", name)
        print name, (since == "" ? "unknown" : since); since = "" }' "$headers"/*.h)
used=$(echo "$dynamic" | awk '$NF ~ /^SDL_/ && $0 ~ /\*UND\*/ { print $NF }' | sort -u)
count=0
for f in $used; do
    count=$((count + 1))
    v=$(echo "$versions" | awk -v f="$f" '$1 == f { print $2; exit }')
    if [ -z "$v" ] || [ "$v" = unknown ]; then
        fail "$f: no version in SDL's headers"
    elif [ "$(printf '%s\n2.0.10\n' "$v" | sort -V | tail -1)" != 2.0.10 ]; then
        fail "$f is from SDL $v"
    fi
done
echo "$count SDL functions, all in SDL 2.0.10 or before"
exit $failed
