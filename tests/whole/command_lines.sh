#!/usr/bin/env bash
# Unusual command lines: none, thousands of arguments, a very long one, non-ASCII, an empty
# program name, a name ending in w. The demo starts and keeps running with each.
set -u
bin=$1
long=$(head -c 120000 /dev/zero | tr '\0' 'w')
many=()
for i in $(seq 5000); do many+=("-w$i"); done
try() {
    local what=$1; shift
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$@" </dev/null >/dev/null 2>&1 &
    local pid=$!
    sleep 2
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        echo "$what: ended with status $?"
        exit 1
    fi
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null
    echo "$what: running"
}
try "no arguments" "$bin"
try "-w" "$bin" -w
try "5000 arguments" "$bin" "${many[@]}"
try "a 120 kB argument" "$bin" "$long"
try "non-ASCII" "$bin" "-wé" "Quellbrand·Ω" $'\xff\xfe'
try "empty program name" bash -c 'exec -a "" "$0"' "$bin"
try "name ending in w" bash -c 'exec -a quellbrandw "$0" -w' "$bin"
try "name only w" bash -c 'exec -a w "$0"' "$bin"
