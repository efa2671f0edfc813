#!/usr/bin/env bash
# Installs what is missing, builds the demo and runs it in a window scaled to fit the desktop, its
# pictures following the song as it is heard.
set -eu
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQB_TESTS=OFF -DQB_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target quellbrand >/dev/null
# scaled by whole pixels to fit the desktop and heard-synced, unless the caller chose otherwise
QUELLBRAND_SCALE=${QUELLBRAND_SCALE:-auto} QUELLBRAND_SYNC=${QUELLBRAND_SYNC:-heard} \
    exec build/src/quellbrand -w "$@"
