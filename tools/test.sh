#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test three times: a Release build, a build
# with AddressSanitizer and UndefinedBehaviorSanitizer that stops at the first report, and a
# 32-bit soft-float ARM build run under emulation, which must match the same golden record. Then
# the threaded tests under ThreadSanitizer, and a minute of fuzzing the module loader and player.
set -eu
cd "$(dirname "$0")/.."
bash tools/deps.sh
jobs=$(nproc)
status=0
passed=0
failed=0
# every stage counts once in the closing line
stage() { if [ "$1" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); status=1; fi; }
run() {
    local dir=$1; shift
    echo "== $dir"
    cmake -S . -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j"$jobs" >/dev/null
    local rc=0
    (cd "$dir" && ctest -j"$jobs" --output-on-failure $CTEST_EXTRA) || rc=$?
    stage $rc
}
CTEST_EXTRA=
run build -DCMAKE_BUILD_TYPE=Release
# the three-minute run to the end is left to the Release build
CTEST_EXTRA="-LE long" \
ASAN_OPTIONS=halt_on_error=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
    run build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_SANITIZE=ON -DQB_BENCH=OFF
bash tools/arm-sysroot.sh build-arm/armel-sysroot
CTEST_EXTRA="" run build-arm -DCMAKE_TOOLCHAIN_FILE=cmake/armel.cmake -DCMAKE_BUILD_TYPE=Release \
    -DQB_ARM_SYSROOT="$PWD/build-arm/armel-sysroot" -DQB_HOST_BUILD="$PWD/build" -DQB_BENCH=OFF

echo "== build-tsan"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_TSAN=ON -DQB_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$jobs" --target test_player quellbrand quellbrand-capture >/dev/null
tsan_status=0
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/../tests/tsan.supp" \
    ctest --output-on-failure -R 'Replayer|golden_record|demo_runs_headless|demo_without_audio_device') ||
    tsan_status=1
stage $tsan_status

echo "== fuzz"
fuzz_status=0
bash tools/fuzz.sh 60 || fuzz_status=1
if ls build-fuzz/crashes/* >/dev/null 2>&1; then
    echo "the fuzzer found crashing inputs: build-fuzz/crashes"
    fuzz_status=1
fi
stage $fuzz_status
echo
echo "stages: $passed passed, $failed failed"
exit $status
