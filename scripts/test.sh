#!/usr/bin/env bash
# Installs what is missing, builds and runs the tests; each stage prints its time, the last line
# counts the stages.
#   scripts/test.sh          quick: Release and AddressSanitizer + UndefinedBehaviorSanitizer unit
#                          tests, the golden record, and the whole-program tests that take seconds
#   scripts/test.sh --full   everything: also the three-minute runs to the end, the 32-bit
#                          soft-float ARM build under emulation (same golden record), the
#                          handheld's static ARMv4T build on an emulated ARMv4T core,
#                          the browser build in Node and headless chromium, two builds that must
#                          give the same package, ThreadSanitizer, a minute of fuzzing and the
#                          quick suite under load
set -eu
cd "$(dirname "$0")/.."
full=0
[ "${1:-}" = --full ] && full=1
if [ $full -eq 1 ]; then bash scripts/deps.sh full; else bash scripts/deps.sh test; fi
jobs=$(nproc)
status=0
passed=0
failed=0
began=$(date +%s)
stage_start=
# every stage counts once in the closing line
begin() { echo "== $1"; stage_start=$(date +%s); }
stage() {
    local took=$(($(date +%s) - stage_start))
    if [ "$1" -eq 0 ]; then passed=$((passed + 1)); echo "-- passed in ${took} s"
    else failed=$((failed + 1)); status=1; echo "-- FAILED in ${took} s"; fi
}
configure() { local dir=$1; shift; cmake -S . -B "$dir" "$@" >/dev/null && cmake --build "$dir" -j"$jobs" >/dev/null; }
run() {
    local dir=$1; shift
    begin "$dir"
    local rc=0
    configure "$dir" "$@" && (cd "$dir" && ctest -j"$jobs" --output-on-failure $CTEST_EXTRA) || rc=$?
    stage $rc
}
sanitizer_env() {
    export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
}

# the three-minute runs to the end only in the full command
if [ $full -eq 1 ]; then CTEST_EXTRA="-E demo_survives_a_stall"; else CTEST_EXTRA="-LE long"; fi
run build -DCMAKE_BUILD_TYPE=Release -DQB_TESTS=ON -DQB_BENCH=ON
sanitizer_env
# of the long runs, the sanitizer build takes the one stopped for 15 s in the middle
if [ $full -eq 1 ]; then CTEST_EXTRA="-E _to_its_end$"; else CTEST_EXTRA="-LE long"; fi
run build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_SANITIZE=ON -DQB_TESTS=ON -DQB_BENCH=OFF
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS

if [ $full -eq 1 ]; then
    begin "build-arm"
    rc=0
    bash scripts/arm-sysroot.sh build-arm/armel-sysroot || rc=$?
    [ $rc -eq 0 ] && { configure build-arm -DCMAKE_TOOLCHAIN_FILE=cmake/armel.cmake -DCMAKE_BUILD_TYPE=Release \
        -DQB_ARM_SYSROOT="$PWD/build-arm/armel-sysroot" -DQB_HOST_BUILD="$PWD/build" -DQB_BENCH=OFF &&
        (cd build-arm && ctest -j"$jobs" --output-on-failure) || rc=$?; }
    stage $rc

    # the handheld's static build: musl, libgcc's helpers and SDL 1.2 for ARMv4T, on an ARMv4T core
    begin "gp2x"
    rc=0
    bash toolchain/gp2x.sh >/dev/null || rc=$?
    [ $rc -eq 0 ] && { configure build-gp2x/build -DCMAKE_TOOLCHAIN_FILE=cmake/gp2x.cmake \
        -DQB_HOST_BUILD="$PWD/build" &&
        bash tests/gp2x.sh build-gp2x/build tests/golden/demo.txt build-gp2x/qemu || rc=$?; }
    # and the cycle model its frame budget is worked out with
    bash bench/qemu-plugins.sh build-gp2x/plugins >/dev/null && bash tests/bench/arm920t.sh build-gp2x/plugins ||
        rc=1
    stage $rc

    # the same executable on a real ARM kernel: screen, sound device, buttons and the menu; alone,
    # as every stage runs, since a late emulator underruns the sound device
    begin "gp2x on a kernel"
    rc=0
    if [ -x build-gp2x/build/src/quellbrand ]; then
        bash tests/gp2x_kernel.sh build-gp2x/build build build-gp2x/vm || rc=$?
    else
        echo "no handheld executable: the gp2x stage failed"
        rc=1
    fi
    stage $rc

    # today's handhelds: the aarch64 binary's imports, the golden record and the SDL 2 host on
    # emulated Cortex-A53 and A35 cores with Debian's arm64 SDL 2, the port's launch script
    begin "portmaster"
    rc=0
    bash scripts/arm-sysroot.sh build-a64/sysroot arm64 || rc=$?
    [ $rc -eq 0 ] && { cmake -S . -B build-a64/build -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64.cmake \
        -DCMAKE_BUILD_TYPE=Release -DQB_ARM_SYSROOT="$PWD/build-a64/sysroot" -DQB_HOST_BUILD="$PWD/build" >/dev/null &&
        cmake --build build-a64/build -j"$jobs" --target quellbrand-sdl2 quellbrand-record >/dev/null &&
        bash tests/portmaster.sh build-a64/build build-a64/sysroot tests/golden/demo.txt build || rc=$?; }
    stage $rc

    # the same binary on a real ARM64 kernel: KMS/DRM with Mesa's OpenGL ES, ALSA, a uinput pad;
    # alone, as the handheld's kernel stage
    begin "portmaster on a kernel"
    rc=0
    if [ -x build-a64/build/src/quellbrand-sdl2 ]; then
        bash tests/portmaster_kernel.sh build-a64/build build build-a64/vm || rc=$?
    else
        echo "no aarch64 binary: the portmaster stage failed"
        rc=1
    fi
    stage $rc

    begin "sdl12-compat"
    rc=0
    compat=$(bash scripts/sdl12-compat.sh build/sdl12-compat) || rc=$?
    if [ $rc -eq 0 ]; then
        # the demo must really run on the compat library
        LD_LIBRARY_PATH=$compat ldd build/src/quellbrand | grep -q "$compat/libSDL-1.2.so.0" ||
            { echo "the demo does not load $compat"; rc=1; }
        runtime=$(mktemp -d)
        [ $rc -eq 0 ] && (cd build && LD_LIBRARY_PATH=$compat QB_DISK_CHANNELS=2 XDG_RUNTIME_DIR=$runtime \
            ctest -j"$jobs" -L sdl --output-on-failure) || rc=$?
        rm -rf "$runtime"
    fi
    stage $rc

    begin "package"
    rc=0
    bash tests/package.sh build || rc=$?
    stage $rc

    begin "source tarball"
    rc=0
    bash tests/source_tarball.sh build || rc=$?
    stage $rc

    begin "reproducible"
    rc=0
    bash tests/reproducible.sh . || rc=$?
    stage $rc

    begin "browser"
    rc=0
    bash scripts/web.sh --build && bash tests/web/run.sh build build-web || rc=$?
    stage $rc

    begin "release"
    rc=0
    bash tests/release.sh || rc=$?
    stage $rc

    begin "build-tsan"
    rc=0
    cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_TSAN=ON -DQB_BENCH=OFF >/dev/null &&
        cmake --build build-tsan -j"$jobs" --target test_player test_sound quellbrand quellbrand-capture >/dev/null &&
        (cd build-tsan && TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/../tests/tsan.supp" \
            ctest --output-on-failure -R 'Replayer|Heard|golden_record$|demo_runs_headless|demo_without_audio_device') ||
        rc=$?
    stage $rc

    begin "fuzz"
    rc=0
    bash scripts/fuzz.sh 60 || rc=$?
    if ls build-fuzz/crashes/* >/dev/null 2>&1; then
        echo "the fuzzer found crashing inputs: build-fuzz/crashes"
        rc=1
    fi
    stage $rc

    begin "under load"
    rc=0
    bash tests/under_load.sh 3 || rc=$?
    stage $rc
fi
echo
echo "all stages took $(($(date +%s) - began)) s"
echo "stages: $passed passed, $failed failed"
exit $status
