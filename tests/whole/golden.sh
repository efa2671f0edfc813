#!/usr/bin/env bash
# The whole demo captured twice gives the same record, and that record is the reviewed golden
# one. QB_UPDATE_GOLDEN=1 rewrites the golden file instead (on purpose only; review the diff).
set -u
capture=$1
golden=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
${QB_RUN:-} "$capture" --golden "$work/a.txt" 2>/dev/null || { echo "capture failed"; exit 1; }
${QB_RUN:-} "$capture" --golden "$work/b.txt" 2>/dev/null || { echo "capture failed"; exit 1; }
cmp -s "$work/a.txt" "$work/b.txt" || { echo "two captures differ"; diff "$work/a.txt" "$work/b.txt" | head; exit 1; }
grep -qx "first frame t 2 clock 0" "$work/a.txt" || { echo "the first frame is not at t 2 with clock 0"; exit 1; }
last=$(sed -n 's/^last frame t [0-9]* clock \([0-9]*\)$/\1/p' "$work/a.txt")
[ "$last" -gt 1840 ] && [ "$last" -le 1845 ] || { echo "the last frame's clock is $last"; exit 1; }
if [ "${QB_UPDATE_GOLDEN:-0}" = 1 ]; then
    cp "$work/a.txt" "$golden"
    echo "golden record rewritten: review it with git diff"
    exit 0
fi
if ! diff -u "$golden" "$work/a.txt" >"$work/diff"; then
    echo "the capture differs from the golden record:"
    head -40 "$work/diff"
    exit 1
fi
echo "capture matches the golden record ($(grep -c '^at ' "$golden") frame hashes)"
