#!/usr/bin/env bash
# The port's launch script under a stand-in for PortMaster: a ports folder as a device has it, a
# control.txt giving what PortMaster's gives (get_controls, $GPTOKEYB, $ESUDO, $directory,
# DEVICE_ARCH, DISPLAY_WIDTH/HEIGHT/ORIENTATION, pm_platform_helper, pm_finish) and recording
# what it is called with, and the SDL 2 host (this machine's build) as the port's program, its
# executable bit lost. The script must make it executable, start gptokeyb for the exit hotkey with
# the port's mapping, start the program in its folder with PortMaster's controller mapping and
# the panel's turn, and end with status 0 when the program is sent SIGTERM, after pm_finish.
#   launch.sh SCRIPT_DIR QUELLBRAND-SDL2
set -u
port=$(realpath "$1")
program=$(realpath "$2")
work=$(mktemp -d)
trap 'kill -KILL $launch 2>/dev/null; pkill -KILL -f "$work/" 2>/dev/null; [ -n "${QB_KEEP:-}" ] || rm -rf "$work"' EXIT
ports=$work/roms/ports
mkdir -p "$ports/quellbrand" "$work/share/PortMaster" "$work/bin"
cp "$port/Quellbrand.sh" "$ports/"
cp "$port/quellbrand.gptk" "$ports/quellbrand/"
cp "$program" "$ports/quellbrand/quellbrand64"
chmod -x "$ports/quellbrand/quellbrand64"
calls=$work/calls
cat >"$work/bin/gptokeyb" <<'STUB'
#!/bin/bash
echo "gptokeyb $*" >>"$QB_CALLS"
sleep 600 &
trap 'kill $! 2>/dev/null; exit 0' TERM
wait
STUB
chmod +x "$work/bin/gptokeyb"
cat >"$work/share/PortMaster/control.txt" <<CONTROL
directory="${work#/}/roms"
ESUDO=""
ESUDOKILL="-sudokill"
GPTOKEYB="\$ESUDO $work/bin/gptokeyb -1 \$ESUDOKILL"
export DEVICE_ARCH=aarch64 DISPLAY_WIDTH=720 DISPLAY_HEIGHT=720 DISPLAY_ORIENTATION=1
CFW_NAME=standin
get_controls() { echo "get_controls" >>"\$QB_CALLS"; sdl_controllerconfig="standin-guid,Stand-in pad,a:b0,start:b9"; }
pm_platform_helper() { echo "pm_platform_helper \$*" >>"\$QB_CALLS"; }
pm_finish() { echo "pm_finish" >>"\$QB_CALLS"; pkill -f "$work/bin/gptokeyb"; }
CONTROL
XDG_DATA_HOME=$work/share QB_CALLS=$calls SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
    bash "$ports/Quellbrand.sh" >/dev/null 2>&1 &
launch=$!
pid=
for _ in $(seq 300); do
    pid=$(pgrep -f "^./quellbrand64" | head -1)
    [ -n "$pid" ] && break
    sleep 0.1
done
[ -n "$pid" ] || { echo "FAILED: the program did not start"; cat "$calls" 2>/dev/null; exit 1; }
sleep 2
environment=$(tr '\0' '\n' <"/proc/$pid/environ")
folder=$(readlink "/proc/$pid/cwd")
kill -TERM "$pid"
wait $launch
status=$?
failed=0
check() { if eval "$2"; then echo "$1"; else echo "FAILED: $1"; failed=1; fi; }
check "the script ends with status 0 ($status)" '[ $status -eq 0 ]'
check "the program was made executable" '[ -x "$ports/quellbrand/quellbrand64" ]'
check "it runs in its folder" '[ "$folder" = "$ports/quellbrand" ]'
check "with PortMaster's controller mapping" 'echo "$environment" | grep -qx "SDL_GAMECONTROLLERCONFIG=standin-guid,Stand-in pad,a:b0,start:b9"'
check "turned as the panel is" 'echo "$environment" | grep -qx "QUELLBRAND_ROTATION=90"'
check "get_controls, the helper for the program and pm_finish, in that order" \
    '[ "$(grep -v ^gptokeyb "$calls" | tr "\n" " ")" = "get_controls pm_platform_helper $ports/quellbrand/quellbrand64 pm_finish " ]'
check "gptokeyb as the exit hotkey for the program, with the port's mapping" \
    'grep -qx "gptokeyb -1 -sudokill quellbrand64 -c $ports/quellbrand/quellbrand.gptk" "$calls"'
[ $failed -eq 0 ] || cat "$calls"
exit $failed
