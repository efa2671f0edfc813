#!/usr/bin/env bash
# Two builds from clean clones give the same demo and the same package: different folders, umask,
# time zone and locale, the same SOURCE_DATE_EPOCH (the last commit's time). On a difference,
# diffoscope's summary, then failure.
#   tests/reproducible.sh [REPO]
set -u
repo=$(cd "${1:-.}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SOURCE_DATE_EPOCH=$(git -C "$repo" log -1 --format=%ct)
export SOURCE_DATE_EPOCH
build() { # folder umask zone locale
    (umask "$2" && git clone -q "$repo" "$1" && cd "$1" && export TZ=$3 LC_ALL=$4 &&
        cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQB_TESTS=OFF -DQB_BENCH=OFF >/dev/null &&
        cmake --build build -j"$(nproc)" --target deb >/dev/null 2>&1)
}
build "$work/one" 022 UTC C || { echo "the first build failed"; exit 1; }
build "$work/second-build-somewhere-else" 077 Pacific/Kiritimati C.UTF-8 || { echo "the second build failed"; exit 1; }
status=0
for f in src/quellbrand quellbrand_1.0.0_amd64.deb; do
    a=$work/one/build/$f b=$work/second-build-somewhere-else/build/$f
    if cmp -s "$a" "$b"; then
        echo "same: $f ($(sha256sum <"$a" | cut -c1-16))"
    else
        echo "DIFFERENT: $f"
        timeout 600 diffoscope --text - "$a" "$b" 2>&1 | head -n 80
        status=1
    fi
done
exit $status
