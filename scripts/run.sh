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
# screenshots go to build/screenshots/; their paths are printed. Before the
# exit it also takes the Status page disconnected (the adapter out of range
# for a moment). The pictures that docs/ keeps, cut to the sheet and to the
# notification area with the icon's tooltip, go to build/screenshots/docs/:
#   cp build/screenshots/docs/*.png docs/
#
# nxdemo.exe (the adapter's status printed through NXLIB32) remains a tool:
#   . scripts/wine-env.sh [mingw64]; wd_wine_start; wine "$WD_BIN/nxdemo.exe"
#
# Where this machine cannot run 32-bit programs (or WD_NO_WIN32=1), it runs
# the 64-bit build (build/mingw64) under 64-bit Wine instead, and says so.
#
# WD_DPI=120 runs it all with large fonts (the prefix at 120 dots per inch);
# the pictures then carry the suffix -120dpi.
set -euo pipefail
cd "$(dirname "$0")/.."
dpi=${WD_DPI:-96}
case "$dpi" in
'' | *[!0-9]*) echo "run: WD_DPI is \"$dpi\": dots per inch, such as 96 or 120" >&2 && exit 2 ;;
esac
scripts/setup.sh
. scripts/machine.sh
wd_choose_build run
build=$WD_CHOSEN_BUILD
cmake --preset "$build" >/dev/null
cmake --build --preset "$build" --target wavedesk wdctl nxsim nxproto nxlib32

headless=0
[ -z "${DISPLAY:-}" ] && headless=1
. scripts/wine-env.sh "$build"
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

suffix=""
[ "$dpi" -ne 96 ] && suffix="-${dpi}dpi"
shots="$WD_ROOT/build/screenshots"
docs="$shots/docs"
mkdir -p "$shots" "$docs"
# Only this run's kind of pictures: the other size's stay beside them.
if [ -n "$suffix" ]; then
    rm -f "$shots"/*"$suffix.png" "$docs"/*"$suffix.png"
else
    find "$shots" "$docs" -maxdepth 1 -name '*.png' ! -name '*dpi.png' -delete
fi
ctl() { wine "$WD_BIN/wdctl.exe" -d wavedesk "$@"; }
shot() {
    import -window root "$shots/$1$suffix.png"
    echo "screenshot: $shots/$1$suffix.png"
}
# crop SHOT GEOMETRY NAME: part of a screenshot, for docs/.
crop() {
    convert "$shots/$1$suffix.png" -crop "$2" +repage "$docs/$3$suffix.png"
    echo "picture: $docs/$3$suffix.png"
}
# The sheet's own rectangle, and the notification area's right end with
# the tooltip above it (from the icon's WxH+X+Y), grown with the fonts.
sheet_rect() { ctl rect | tr -d '\r'; }
tray_rect() {
    local w h x y cw=$((320 * dpi / 96)) ch=$((52 * dpi / 96))
    IFS='x+' read -r w h x y < <(ctl tray-rect | tr -d '\r')
    echo "${cw}x$ch+$((x + w - cw))+$((y + h - ch))"
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
ctl point-tray && sleep 2 || fail "the tray icon is not in the notification area"
shot tray-tooltip
crop tray-tooltip "$(tray_rect)" tray
ctl open && ctl wait-sheet || fail "the property sheet did not open"
page=0
for name in status configuration statistics about; do
    ctl page "$page" || fail "page $page could not be selected"
    # The graphs scroll by a sample a second: some history to show.
    [ "$name" = statistics ] && sleep 12
    sleep 1
    shot "sheet-$page-$name"
    crop "sheet-$page-$name" "$(sheet_rect)" "$name"
    page=$((page + 1))
done
# Out of range for a moment: the Status page says so.
ctl page 0 || fail "the Status page could not be selected"
wine "$WD_BIN/nxsim.exe" range out
ctl wait-text 1004 "Disconnected:" || fail "the Status page did not show the link lost"
sleep 1
shot sheet-0-status-disconnected
crop sheet-0-status-disconnected "$(sheet_rect)" status-disconnected
wine "$WD_BIN/nxsim.exe" range in
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
