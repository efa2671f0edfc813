#!/usr/bin/env bash
# Picture against sound in the browser build, on Web Audio's clock: plays the page in headless
# chromium and prints the offset of every row change (the context time its first sample reaches
# the output less the context time the first frame showing it was presented), and the gaps in the
# sound.
#   bench/av_sync_web.sh BUILD WEB_BUILD [heard|mixed] [SECONDS] [QUEUE] [stress [WORKERS]]
# SECONDS: how long to play (200: the whole demo); QUEUE: SDL's queued buffers (the page's own by
# default); stress: with every core kept busy by stress-ng (WORKERS of it, one a core by default).
set -eu
build=$(cd "$1" && pwd)
web=$(cd "$2" && pwd)
sync=${3:-heard}
seconds=${4:-200}
queue=${5:-3}
here=$(cd "$(dirname "$0")" && pwd)
# installed by the browser tests; reinstalled only when missing, so a test run beside is left alone
[ -d "$here/../tests/web/node_modules/playwright-core" ] ||
    (cd "$here/../tests/web" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
cmake --build "$build" --target av-sync-offsets >/dev/null
work=$(mktemp -d)
stress=
trap '[ -n "$stress" ] && kill $stress 2>/dev/null; rm -rf "$work"' EXIT
if [ "${6:-}" = stress ]; then
    stress-ng --cpu "${7:-$(nproc)}" --timeout $((seconds + 60))s >/dev/null 2>&1 &
    stress=$!
fi
echo "browser, sync $sync, queue $queue${stress:+, ${7:-$(nproc)} stress-ng workers}:"
node "$here/av_sync_web.mjs" "$web/site" "$work" "$sync" "$seconds" "$queue"
"$build/bench/av-sync-offsets" web "$work/buffers.txt" "$work/trace.txt" || true
