#!/usr/bin/env bash
# The offline programs and the benchmarks need no SDL library: none is in their dynamic section.
set -u
status=0
for program in "$@"; do
    needed=$(readelf -d "$program" | awk '/NEEDED/ { print $NF }')
    if printf '%s\n' "$needed" | grep -qi sdl; then
        echo "$(basename "$program") needs $(printf '%s\n' "$needed" | grep -i sdl | tr -d '[]')"
        status=1
    fi
done
[ $status -eq 0 ] && echo "$# programs, none loads SDL"
exit $status
