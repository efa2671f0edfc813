#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a Release build, and a build
# with AddressSanitizer and UndefinedBehaviorSanitizer that stops at the first report.
set -eu
cd "$(dirname "$0")/.."
bash tools/deps.sh
jobs=$(nproc)
status=0
run() {
    local dir=$1; shift
    echo "== $dir"
    cmake -S . -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j"$jobs" >/dev/null
    (cd "$dir" && ctest -j"$jobs" --output-on-failure) || status=1
}
run build -DCMAKE_BUILD_TYPE=Release
ASAN_OPTIONS=halt_on_error=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
    run build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_SANITIZE=ON -DQB_BENCH=OFF
exit $status
