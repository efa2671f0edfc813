#!/usr/bin/env bash
# The quick suite (Release and sanitizer builds, without the three-minute runs) several times in a
# row while a CPU hog keeps every core busy; reports failures per test and fails on any.
#   tests/under_load.sh [ROUNDS]      (default 5; the builds must exist: run scripts/test.sh first)
set -u
cd "$(dirname "$0")/.."
rounds=${1:-5}
jobs=$(nproc)
work=$(mktemp -d)
hog=
trap '[ -n "$hog" ] && kill $hog 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
if command -v stress-ng >/dev/null; then
    stress-ng --cpu "$jobs" --quiet >/dev/null 2>&1 &
    hog=$!
else
    for _ in $(seq "$jobs"); do (while :; do :; done) & hog="$hog $!"; done
fi
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
for round in $(seq "$rounds"); do
    for dir in build build-sanitize; do
        start=$(date +%s)
        (cd "$dir" && ctest -j"$jobs" -LE long --output-on-failure >"$work/$dir-$round.log" 2>&1)
        rc=$?
        summary=$(grep -E 'tests passed|tests failed' "$work/$dir-$round.log" | tail -n 1)
        echo "round $round, $dir: ${summary:-no summary} ($(($(date +%s) - start)) s)"
        if [ $rc -ne 0 ]; then
            sed -n 's/^ *[0-9]* - \([^ ]*\) .*/\1/p' "$work/$dir-$round.log" >>"$work/failures"
            sed -n '/The following tests FAILED/,$p' "$work/$dir-$round.log"
            [ -s "$work/failures" ] || echo "ctest itself failed" >>"$work/failures"
        fi
    done
done
if [ -s "$work/failures" ]; then
    echo "failures per test under load:"
    sort "$work/failures" | uniq -c | sort -rn
    exit 1
fi
echo "no failure in $rounds rounds under load"
