#!/bin/bash
# Quellbrand by Tessaline & Vek, started by PortMaster: its controls, the program, PortMaster's end.

XDG_DATA_HOME=${XDG_DATA_HOME:-$HOME/.local/share}

if [ -d "/opt/system/Tools/PortMaster/" ]; then
  controlfolder="/opt/system/Tools/PortMaster"
elif [ -d "/opt/tools/PortMaster/" ]; then
  controlfolder="/opt/tools/PortMaster"
elif [ -d "$XDG_DATA_HOME/PortMaster/" ]; then
  controlfolder="$XDG_DATA_HOME/PortMaster"
else
  controlfolder="/roms/ports/PortMaster"
fi

source $controlfolder/control.txt
[ -f "${controlfolder}/mod_${CFW_NAME}.txt" ] && source "${controlfolder}/mod_${CFW_NAME}.txt"
get_controls

GAMEDIR=/$directory/ports/quellbrand
cd "$GAMEDIR" || exit 1
> "$GAMEDIR/log.txt" && exec > >(tee "$GAMEDIR/log.txt") 2>&1

# a copy that lost its executable bit (a zip, a card formatted FAT) still runs
chmod +x "$GAMEDIR/quellbrand64"

# The demo reads the pad itself through SDL's game controllers; gptokeyb is only the exit hotkey,
# its mapping sends nothing. The panel's turn, in quarter turns, in degrees.
export SDL_GAMECONTROLLERCONFIG="$sdl_controllerconfig"
export QUELLBRAND_ROTATION=$(( ${DISPLAY_ORIENTATION:-0} * 90 ))

$GPTOKEYB "quellbrand64" -c "$GAMEDIR/quellbrand.gptk" &
pm_platform_helper "$GAMEDIR/quellbrand64"
./quellbrand64

pm_finish
