#!/usr/bin/env bash
# Builds the module fuzzer with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer),
# writes the seed corpus and fuzzes, starting from the corpus kept in tests/fuzz/corpus (where the
# last long campaign ended). Crashes are kept in build-fuzz/crashes and fail the run.
#   scripts/fuzz.sh [SECONDS [JOBS RUNS]]
#   scripts/fuzz.sh --keep        minimises what build-fuzz/corpus found into tests/fuzz/corpus
# SECONDS bounds the run (default 60). With JOBS, that many fuzzers share the corpus, each
# stopping after RUNS inputs (or SECONDS); their logs are build-fuzz/fuzz-N.log and the inputs
# run by all of them are added up at the end.
set -eu
cd "$(dirname "$0")/.."
kept=tests/fuzz/corpus
if [ "${1:-}" = --keep ]; then
    rm -rf build-fuzz/kept && mkdir -p build-fuzz/kept $kept
    build-fuzz/tests/fuzz_module -merge=1 -max_len=300000 -rss_limit_mb=2048 build-fuzz/kept \
        $kept build-fuzz/corpus 2>&1 | grep -E 'MERGE-OUTER: [0-9]+ new files' || true
    rm -rf $kept && mv build-fuzz/kept $kept
    echo "$(ls $kept | wc -l) inputs kept in $kept ($(du -sh $kept | cut -f1))"
    exit 0
fi
seconds=${1:-60}
jobs=${2:-}
runs=${3:--1}
dir=build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B $dir -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_FUZZ=ON \
    -DQB_BENCH=OFF >/dev/null
cmake --build $dir -j"$(nproc)" --target fuzz_module fuzz_seeds >/dev/null
mkdir -p $dir/corpus $dir/seeds $dir/crashes
$dir/tests/fuzz_seeds $dir/seeds
options=(-max_total_time="$seconds" -runs="$runs" -print_final_stats=1 -max_len=300000
         -rss_limit_mb=2048)
if [ -z "$jobs" ]; then
    $dir/tests/fuzz_module "${options[@]}" -artifact_prefix=$dir/crashes/ $dir/corpus $dir/seeds \
        $([ -d $kept ] && echo $kept) 2>&1 | tail -n 14
    exit "${PIPESTATUS[0]}"
fi
# libFuzzer writes each job's log into the working directory
rm -f $dir/fuzz-*.log
status=0
(cd $dir && tests/fuzz_module "${options[@]}" -jobs="$jobs" -workers="$jobs" \
    -artifact_prefix=crashes/ corpus seeds $([ -d ../$kept ] && echo ../$kept) >/dev/null 2>&1) ||
    status=$?
grep -h 'stat::number_of_executed_units' $dir/fuzz-*.log |
    awk '{ n += $2; jobs += 1 } END { printf "inputs run: %d by %d fuzzers\n", n, jobs }'
grep -h -E '^==[0-9]+==ERROR|^SUMMARY' $dir/fuzz-*.log || true
exit $status
