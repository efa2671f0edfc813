#!/usr/bin/env bash
# Installs what is missing, builds the demo and runs it in a window scaled to fit the desktop.
set -eu
cd "$(dirname "$0")/.."
bash tools/deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQB_TESTS=OFF -DQB_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target quellbrand >/dev/null
# scaled by whole pixels to fit the desktop, unless the caller chose a scale
QUELLBRAND_SCALE=${QUELLBRAND_SCALE:-auto} exec build/src/quellbrand -w "$@"
