#!/usr/bin/env bash
# CPU use of the live demo: a window under a virtual X server, SDL's disk audio paced in real time,
# for SECONDS; prints the process's CPU time over the time it ran.
#   bench/cpu_use.sh BINARY [SECONDS]
set -eu
bin=$1
seconds=${2:-20}
work=$(mktemp -d)
trap 'kill -KILL $xvfb $demo 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
source "$(dirname "$0")/../tests/whole/xserver.sh"
start_xvfb || { echo "no virtual X server"; exit 1; }
SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=46 SDL_DISKAUDIOFILE=$work/out.raw "$bin" -w </dev/null >/dev/null 2>&1 &
demo=$!
sleep "$seconds"
ticks=$(getconf CLK_TCK)
read -r utime stime start <<<"$(awk '{ print $14, $15, $22 }' /proc/$demo/stat)"
uptime=$(awk '{ print $1 }' /proc/uptime)
awk -v u="$utime" -v s="$stime" -v st="$start" -v up="$uptime" -v hz="$ticks" 'BEGIN {
    ran = up - st / hz; cpu = (u + s) / hz
    printf "%.1f s of CPU in %.1f s: %.0f %% of one core\n", cpu, ran, 100 * cpu / ran }'
