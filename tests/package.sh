#!/usr/bin/env bash
# The Debian package: built from the Release tree, no lintian errors, installed with dpkg, the
# installed program runs headless for three seconds, and the package is removed again.
#   tests/package.sh BUILD     (as root: it installs and removes the package)
set -u
build=$(realpath "$1")
work=$(mktemp -d)
demo=
trap '[ -n "$demo" ] && kill -KILL $demo 2>/dev/null; dpkg --purge quellbrand >/dev/null 2>&1; rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { echo "cpack failed"; cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/quellbrand_*_amd64.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "no quellbrand_<version>_amd64.deb"; exit 1; }
lintian --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1
cat "$work/lintian" | grep -v "root privileges"
grep -q '^E:' "$work/lintian" && { echo "lintian reports errors"; exit 1; }
dpkg -i "$deb" >/dev/null || { echo "dpkg -i failed"; exit 1; }
for f in /usr/games/quellbrand /usr/share/applications/quellbrand.desktop \
    /usr/share/icons/hicolor/48x48/apps/quellbrand.png /usr/share/icons/hicolor/256x256/apps/quellbrand.png \
    /usr/share/man/man6/quellbrand.6.gz; do
    [ -e "$f" ] || { echo "$f is not installed"; exit 1; }
done
grep -qx 'Exec=env QUELLBRAND_SCALE=auto QUELLBRAND_SYNC=heard /usr/games/quellbrand' /usr/share/applications/quellbrand.desktop ||
    { echo "the menu entry does not start the demo full screen, scaled, heard-synced"; exit 1; }
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy /usr/games/quellbrand </dev/null >/dev/null 2>"$work/err" &
demo=$!
sleep 3
kill -0 "$demo" 2>/dev/null || { echo "the installed demo ended early"; cat "$work/err"; exit 1; }
kill -TERM "$demo"
wait "$demo"
status=$?
demo=
[ "$status" -eq 0 ] || { echo "the installed demo ended with status $status"; exit 1; }
dpkg --purge quellbrand >/dev/null || { echo "dpkg --purge failed"; exit 1; }
[ -e /usr/games/quellbrand ] && { echo "/usr/games/quellbrand is still there"; exit 1; }
echo "$(basename "$deb"): lintian clean of errors, installed, ran 3 s, ended by SIGTERM, removed"
