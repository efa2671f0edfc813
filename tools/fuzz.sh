#!/usr/bin/env bash
# Builds the module fuzzer with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer),
# writes the seed corpus and fuzzes for the given seconds (default 60). Crashes are kept in
# build-fuzz/crashes and fail the run.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B $dir -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_FUZZ=ON \
    -DQB_BENCH=OFF >/dev/null
cmake --build $dir -j"$(nproc)" --target fuzz_module fuzz_seeds >/dev/null
mkdir -p $dir/corpus $dir/seeds $dir/crashes
$dir/tests/fuzz_seeds $dir/seeds
$dir/tests/fuzz_module -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=$dir/crashes/ \
    -max_len=300000 -rss_limit_mb=2048 $dir/corpus $dir/seeds 2>&1 | tail -n 14
