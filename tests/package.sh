#!/usr/bin/env bash
# The Debian package: built from the Release tree, lintian without errors or warnings, the menu
# entry and AppStream metainfo validated, installed with dpkg, the installed program runs headless
# for three seconds, and the package is removed again; and cmake --install into a staging folder.
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
grep -q '^[EW]:' "$work/lintian" && { echo "lintian reports errors or warnings"; exit 1; }
dpkg -i "$deb" >/dev/null || { echo "dpkg -i failed"; exit 1; }
installed="games/quellbrand games/quellbrand-desktop share/applications/quellbrand.desktop
    share/metainfo/net.quellbrand.demo.metainfo.xml share/icons/hicolor/48x48/apps/quellbrand.png
    share/icons/hicolor/256x256/apps/quellbrand.png share/man/man6/quellbrand.6.gz
    share/man/man6/quellbrand-desktop.6.gz share/doc/quellbrand/copyright"
for f in $installed; do
    [ -e "/usr/$f" ] || { echo "/usr/$f is not installed"; exit 1; }
done
desktop-file-validate /usr/share/applications/quellbrand.desktop || { echo "the menu entry is not valid"; exit 1; }
appstreamcli validate --no-net /usr/share/metainfo/net.quellbrand.demo.metainfo.xml >"$work/appstream" 2>&1 ||
    { echo "the AppStream metainfo is not valid"; cat "$work/appstream"; exit 1; }
grep -qx 'Exec=quellbrand-desktop' /usr/share/applications/quellbrand.desktop ||
    { echo "the menu entry does not start the wrapper"; exit 1; }
# the wrapper starts the demo scaled and heard-synced
grep -q 'QUELLBRAND_SCALE=${QUELLBRAND_SCALE:-auto} QUELLBRAND_SYNC=${QUELLBRAND_SYNC:-heard}' /usr/games/quellbrand-desktop ||
    { echo "the wrapper does not set the scale and the sync"; exit 1; }
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
echo "$(basename "$deb"): lintian clean, menu entry and metainfo valid, installed, ran 3 s, ended by SIGTERM, removed"

# cmake --install: the same files under any prefix, inside DESTDIR
DESTDIR="$work/staging" cmake --install "$build" --prefix /opt/qb >/dev/null || { echo "cmake --install failed"; exit 1; }
for f in $installed; do
    [ -e "$work/staging/opt/qb/$f" ] || { echo "cmake --install left out $f"; exit 1; }
done
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 120 "$work/staging/opt/qb/games/quellbrand-desktop" </dev/null >/dev/null 2>&1 &
demo=$!
sleep 2
kill -0 "$demo" 2>/dev/null || { echo "the staged wrapper did not start the demo"; exit 1; }
kill -TERM "$demo"
wait "$demo" || { echo "the staged demo did not end cleanly"; exit 1; }
demo=
echo "cmake --install: every file under the prefix inside DESTDIR, the wrapper starts the demo"
