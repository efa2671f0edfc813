#!/usr/bin/env bash
# Installs what is missing, builds the demo for web browsers into build-web/site and serves that
# folder on http://127.0.0.1:8000 (loopback only).
#   scripts/web.sh            build and serve
#   scripts/web.sh --build    build only (the site, and the capture tool for Node)
set -eu
cd "$(dirname "$0")/.."
serve=1
[ "${1:-}" = "--build" ] && serve=0
bash scripts/deps.sh web
# emscripten's optimiser needs Debian's JavaScript parser, whatever node is first on PATH
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
jobs=$(nproc)
# The art and the song are made by a native build of the generators.
cmake -S . -B build-web/host -DCMAKE_BUILD_TYPE=Release -DQB_TESTS=OFF -DQB_BENCH=OFF >/dev/null
cmake --build build-web/host -j"$jobs" --target qb_clips qb_pictures qb_song qb_player >/dev/null
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DQB_HOST_BUILD="$PWD/build-web/host" \
    >/dev/null
cmake --build build-web -j"$jobs" --target quellbrand quellbrand-capture >/dev/null
echo "site: build-web/site ($(du -sh build-web/site | cut -f1))"
[ $serve -eq 1 ] || exit 0
echo "serving on http://127.0.0.1:8000 (Ctrl-C stops)"
exec python3 -m http.server 8000 --bind 127.0.0.1 --directory build-web/site
