#!/usr/bin/env bash
# Unpacks Debian's sdl12-compat (SDL 1.2 on top of SDL 2) into DIR without installing it (it
# conflicts with libsdl1.2debian); prints the folder to put in LD_LIBRARY_PATH.
#   scripts/sdl12-compat.sh DIR
set -eu
dir=$(realpath -m "$1")
lib=$dir/usr/lib/$(gcc -dumpmachine)/sdl12-compat
if [ ! -f "$dir/.complete" ]; then
    mkdir -p "$dir/debs"
    (cd "$dir/debs" && { apt-get download -qq libsdl1.2-compat >/dev/null 2>&1 ||
        { apt-get update -qq && apt-get download -qq libsdl1.2-compat >/dev/null; }; })
    for deb in "$dir"/debs/*.deb; do dpkg -x "$deb" "$dir"; done
    touch "$dir/.complete"
fi
[ -e "$lib/libSDL-1.2.so.0" ] || { echo "no libSDL-1.2.so.0 in $lib" >&2; exit 1; }
echo "$lib"
