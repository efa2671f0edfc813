#!/usr/bin/env bash
# The source tarball: made by cpack from a configured tree, it holds no build trees, installed node
# modules, release set or git, and a fresh unpack of it builds (Release) and passes the quick suite.
#   tests/source_tarball.sh BUILD
set -u
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cpack --config "$build/CPackSourceConfig.cmake" >"$work/cpack.log" 2>&1) ||
    { echo "cpack failed"; cat "$work/cpack.log"; exit 1; }
tarball=$(ls "$work"/quellbrand-*.tar.gz 2>/dev/null | head -n 1)
[ -n "$tarball" ] || { echo "no quellbrand-VERSION.tar.gz"; exit 1; }
name=$(basename "$tarball" .tar.gz)
tar tzf "$tarball" >"$work/list"
grep -v "^$name/" "$work/list" && { echo "files outside $name/"; exit 1; }
grep -E "^$name/(build[^/]*|dist|\.git)/|/node_modules/" "$work/list" | head -n 5 | grep . &&
    { echo "the tarball holds build trees, node modules, the release set or git"; exit 1; }
echo "$(basename "$tarball"): $(wc -l <"$work/list") entries, $(stat -c %s "$tarball") bytes"
mkdir "$work/unpacked" && tar xzf "$tarball" -C "$work/unpacked" || exit 1
# the Release build's quick suite: what the sanitizer build would add needs no other file
(cd "$work/unpacked/$name" && bash scripts/deps.sh test && cmake -S . -B build -DCMAKE_BUILD_TYPE=Release \
    -DQB_TESTS=ON && cmake --build build -j"$(nproc)" && cd build && ctest -j"$(nproc)" -LE long) \
    >"$work/quick.log" 2>&1 ||
    { echo "the quick tests failed in the unpacked tree"; tail -n 40 "$work/quick.log"; exit 1; }
grep -E "tests passed|tests failed" "$work/quick.log" | tail -n 1
