#!/usr/bin/env bash
# Sets up, builds and runs the tray utility, wavedesk.exe, as Windows XP with
# the simulated adapter installed, in the build folder's own Wine prefix. It
# runs inside a Wine desktop (explorer /desktop=wavedesk,1024x768), whose
# taskbar holds the notification area with the utility's icon.
#
# With a display, the desktop opens as a window: double-click the icon for
# the property sheet, right-click it for the menu; the command returns when
# the program exits ("Exit" in the menu).
#
# Headless (no DISPLAY), it runs under Xvfb: waits for the icon, saves a
# screenshot of the desktop with the icon, opens the sheet (the tray callback
# with a double-click) and saves a screenshot of each of its four pages, then
# chooses "Exit" in the tray menu and checks that the program ended. The
# screenshots go to build/screenshots/; their paths are printed.
#
# nxdemo.exe (the adapter's status printed through NXLIB32) remains a tool:
#   . scripts/wine-env.sh; wd_wine_start; wine "$WD_BIN/nxdemo.exe"
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target wavedesk wdctl nxsim nxproto nxlib32

headless=0
[ -z "${DISPLAY:-}" ] && headless=1
. scripts/wine-env.sh
wd_wine_start
# The utility is for Windows 98 to XP; Wine's default version is later.
wine reg add 'HKCU\Software\Wine\AppDefaults\wavedesk.exe' /v Version /d winxp /f >/dev/null 2>&1
wine "$WD_BIN/nxsim.exe" install
# A small living world: three networks (one with WEP), the signal drifting
# and traffic in bursts, so the icon, the meter and the graphs move.
wine "$WD_BIN/nxsim.exe" demo

desktop=(explorer /desktop=wavedesk,1024x768 "$WD_BIN/wavedesk.exe")
if [ "$headless" -eq 0 ]; then
    wine "${desktop[@]}"
    exit 0
fi

shots="$WD_ROOT/build/screenshots"
mkdir -p "$shots"
rm -f "$shots"/*.png
ctl() { wine "$WD_BIN/wdctl.exe" -d wavedesk "$@"; }
shot() {
    import -window root "$shots/$1.png"
    echo "screenshot: $shots/$1.png"
}
fail() {
    echo "run: $*" >&2
    shot failure || true
    exit 1
}

wine "${desktop[@]}" &
shell=$!
ctl wait-icon || fail "the tray icon did not appear"
sleep 1 # the taskbar paints the icon
shot tray
ctl open && ctl wait-sheet || fail "the property sheet did not open"
page=0
for name in status configuration statistics about; do
    ctl page "$page" || fail "page $page could not be selected"
    sleep 1
    shot "sheet-$page-$name"
    page=$((page + 1))
done
ctl menu exit || fail "the tray menu did not give \"Exit\""
ctl wait-exit || fail "the program did not end after \"Exit\""
for _ in $(seq 100); do
    kill -0 "$shell" 2>/dev/null || break
    sleep 0.1
done
# The desktop's shell ends with the last program on it.
kill -0 "$shell" 2>/dev/null && fail "the Wine desktop stayed after the program ended"
wait "$shell" || true
echo "run: wavedesk showed its icon and sheet and ended on \"Exit\""
